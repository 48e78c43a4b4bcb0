#include "ui/widgets/Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace corvanta::ui {
namespace {

const QColor kInk(40, 40, 60);

void DrawFolder(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(240, 200, 80));
  QPainterPath path;
  path.moveTo(s * 0.08, s * 0.25);
  path.lineTo(s * 0.40, s * 0.25);
  path.lineTo(s * 0.48, s * 0.33);
  path.lineTo(s * 0.92, s * 0.33);
  path.lineTo(s * 0.92, s * 0.82);
  path.lineTo(s * 0.08, s * 0.82);
  path.closeSubpath();
  p.drawPath(path);
}

void DrawPrinter(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(s * 0.28, s * 0.1, s * 0.44, s * 0.3));
  p.setBrush(QColor(170, 170, 185));
  p.drawRoundedRect(QRectF(s * 0.08, s * 0.38, s * 0.84, s * 0.34), s * 0.06, s * 0.06);
  p.setBrush(Qt::white);
  p.drawRect(QRectF(s * 0.28, s * 0.6, s * 0.44, s * 0.3));
}

void DrawToolbox(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(200, 60, 50));
  p.drawRect(QRectF(s * 0.1, s * 0.38, s * 0.8, s * 0.48));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRectF(s * 0.36, s * 0.2, s * 0.28, s * 0.18));
  p.drawLine(QPointF(s * 0.1, s * 0.56), QPointF(s * 0.9, s * 0.56));
}

void DrawStation(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(90, 140, 210));
  p.drawRect(QRectF(s * 0.14, s * 0.14, s * 0.72, s * 0.5));
  p.setBrush(QColor(170, 170, 185));
  p.drawRect(QRectF(s * 0.3, s * 0.7, s * 0.4, s * 0.14));
}

void DrawNetwork(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 16));
  const QPointF a(s * 0.5, s * 0.2), b(s * 0.2, s * 0.78), c(s * 0.8, s * 0.78);
  p.drawLine(a, b);
  p.drawLine(b, c);
  p.drawLine(c, a);
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(60, 160, 90));
  for (QPointF pt : {a, b, c}) p.drawEllipse(pt, s * 0.13, s * 0.13);
}

void DrawGauge(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(250, 250, 240));
  p.drawEllipse(QRectF(s * 0.1, s * 0.1, s * 0.8, s * 0.8));
  p.setPen(QPen(QColor(200, 40, 40), s / 12));
  p.drawLine(QPointF(s * 0.5, s * 0.5), QPointF(s * 0.75, s * 0.28));
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(kInk);
  p.drawEllipse(QPointF(s * 0.5, s * 0.5), s * 0.06, s * 0.06);
}

void DrawHourglass(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(230, 200, 120));
  QPolygonF glass;
  glass << QPointF(s * 0.22, s * 0.1) << QPointF(s * 0.78, s * 0.1) << QPointF(s * 0.5, s * 0.5)
        << QPointF(s * 0.78, s * 0.9) << QPointF(s * 0.22, s * 0.9) << QPointF(s * 0.5, s * 0.5);
  p.drawPolygon(glass);
}

void DrawBulb(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(QColor(255, 235, 90));
  p.drawEllipse(QRectF(s * 0.2, s * 0.06, s * 0.6, s * 0.6));
  p.setBrush(QColor(170, 170, 185));
  p.drawRect(QRectF(s * 0.36, s * 0.64, s * 0.28, s * 0.22));
}

void DrawCopy(QPainter& p, double s) {
  p.setPen(QPen(kInk, s / 24));
  p.setBrush(Qt::white);
  p.drawRect(QRectF(s * 0.12, s * 0.1, s * 0.48, s * 0.58));
  p.setBrush(QColor(220, 232, 250));
  p.drawRect(QRectF(s * 0.4, s * 0.32, s * 0.48, s * 0.58));
}

// Bars growing or shrinking from left to right.
void DrawSort(QPainter& p, double s, bool ascending) {
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(70, 120, 200));
  for (int i = 0; i < 4; ++i) {
    const double h = s * (0.2 + 0.2 * (ascending ? i : 3 - i));
    p.drawRect(QRectF(s * (0.1 + 0.21 * i), s * 0.9 - h, s * 0.16, h));
  }
}

void DrawCheckMark(QPainter& p, double s) {
  p.setPen(QPen(Qt::black, s / 7, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  p.setBrush(Qt::NoBrush);
  QPolygonF tick;
  tick << QPointF(s * 0.2, s * 0.5) << QPointF(s * 0.42, s * 0.72) << QPointF(s * 0.8, s * 0.28);
  p.drawPolyline(tick);
}

}  // namespace

QPixmap MakePixmap(Picture picture, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const double s = size;
  switch (picture) {
    case Picture::Open: DrawFolder(p, s); break;
    case Picture::OpenBusy: DrawHourglass(p, s); break;
    case Picture::Print: DrawPrinter(p, s); break;
    case Picture::Toolbox: DrawToolbox(p, s); break;
    case Picture::Station: DrawStation(p, s); break;
    case Picture::Network: DrawNetwork(p, s); break;
    case Picture::Brisqon: DrawGauge(p, s); break;
    case Picture::Bulb: DrawBulb(p, s); break;
    case Picture::Copy: DrawCopy(p, s); break;
    case Picture::SortAscending: DrawSort(p, s, true); break;
    case Picture::SortDescending: DrawSort(p, s, false); break;
    case Picture::CheckMark: DrawCheckMark(p, s); break;
  }
  return pixmap;
}

QIcon MakeIcon(Picture picture) {
  QIcon icon;
  for (int size : {16, 24, 32}) icon.addPixmap(MakePixmap(picture, size));
  return icon;
}

QPixmap MakeCheckMark() { return MakePixmap(Picture::CheckMark, 16); }

QPixmap MakeLogo(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  const QPointF centre(size / 2.0, size / 2.0);
  const double radius = size * 0.38;
  constexpr int kStations = 12;
  QList<QPointF> points;
  for (int i = 0; i < kStations; ++i) {
    const double a = 2 * M_PI * i / kStations - M_PI / 2;
    points << centre + QPointF(std::cos(a) * radius, std::sin(a) * radius);
  }
  p.setPen(QPen(QColor(120, 150, 200, 140), size / 120.0));
  for (int i = 0; i < kStations; ++i)
    for (int j : {3, 5}) p.drawLine(points[i], points[(i + j) % kStations]);
  p.setPen(QPen(QColor(40, 60, 110), size / 80.0));
  p.setBrush(QColor(70, 120, 200));
  for (const QPointF& pt : points) p.drawEllipse(pt, size * 0.035, size * 0.035);
  return pixmap;
}

}  // namespace corvanta::ui

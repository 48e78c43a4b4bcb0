#include "ui/widgets/ChartView.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLinearGradient>
#include <QMenu>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>

#include "naming/TextFormat.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

const QColor kFrameColor(128, 128, 128);
const QColor kMarkBackground(255, 255, 225);

// A round step for a value axis of up to max: 1, 2 or 5 times a power of ten, about five
// steps in all.
double AxisStep(double max) {
  if (max <= 0) return 1;
  const double raw = max / 5;
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 5.0})
    if (raw <= m * magnitude) return std::max(1.0, m * magnitude);
  return std::max(1.0, 10 * magnitude);
}

double MaxTextWidth(const QFontMetricsF& fm, const std::vector<QString>& texts) {
  double w = 0;
  for (const QString& t : texts) w = std::max(w, fm.horizontalAdvance(t));
  return w;
}

}  // namespace

TChartView::TChartView(QWidget* parent) : QWidget(parent) {
  setMinimumSize(320, 240);
  setAttribute(Qt::WA_OpaquePaintEvent);
  popup_ = new QMenu(this);
  popup_->setObjectName("ChartPopup");
  QAction* properties = popup_->addAction(ToQ(std::string(kChartPropertiesItem)));
  properties->setObjectName("ChartProperties1");
  connect(properties, &QAction::triggered, this, &TChartView::PropertiesRequested);
}

void TChartView::SetData(ChartData data) {
  data_ = std::move(data);
  update();
}

void TChartView::SetLook(const ChartLook& look) {
  look_ = look;
  update();
}

const std::vector<ChartPoint>& TChartView::ActivePoints() const { return look_.BarActive ? data_.Bar : data_.Pie; }

std::vector<ChartPointText> TChartView::PointTexts() const {
  return ChartPointTexts(ActivePoints(), look_.BarActive ? look_.BarMarks : look_.PieMarks, look_.LegendPercent,
                         LocaleThousandsSeparator(), LocaleDecimalSeparator());
}

QPixmap TChartView::Picture() { return grab(); }

void TChartView::CopyToClipboard() { QApplication::clipboard()->setPixmap(Picture()); }

void TChartView::contextMenuEvent(QContextMenuEvent* event) {
  popup_->popup(event->globalPos());
  event->accept();
}

void TChartView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF all = rect();
  if (look_.Gradient) {
    QLinearGradient back(all.topLeft(), all.bottomLeft());
    back.setColorAt(0, ToQColor(look_.GradientTop));
    back.setColorAt(1, ToQColor(look_.GradientBottom));
    p.fillRect(all, back);
  } else {
    p.fillRect(all, Qt::white);
  }
  p.setPen(kFrameColor);
  p.setBrush(Qt::NoBrush);
  p.drawRect(all.adjusted(0.5, 0.5, -0.5, -0.5));

  QRectF area = all.adjusted(10, 8, -10, -10);
  if (look_.TitleVisible) {
    QFont titleFont = font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(font().pointSizeF() + 2);
    p.setFont(titleFont);
    p.setPen(Qt::blue);
    const double h = QFontMetricsF(titleFont).height();
    p.drawText(QRectF(area.left(), area.top(), area.width(), h), Qt::AlignCenter, ToQ(data_.Title));
    area.setTop(area.top() + h + 8);
  }
  p.setFont(font());
  const std::vector<ChartPointText> texts = PointTexts();
  if (look_.LegendVisible && !ActivePoints().empty()) area = PaintLegend(p, area, texts);
  if (area.width() < 20 || area.height() < 20) return;
  if (look_.BarActive)
    PaintBars(p, area, texts);
  else
    PaintPie(p, area, texts);
}

QRectF TChartView::PaintLegend(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts) {
  const std::vector<ChartPoint>& points = ActivePoints();
  const QFontMetricsF fm(font());
  std::vector<QString> labels, values;
  for (size_t i = 0; i < points.size(); ++i) {
    labels.push_back(ToQ(points[i].Label));
    values.push_back(ToQ(texts[i].LegendValue));
  }
  const double labelW = MaxTextWidth(fm, labels);
  const double valueW = MaxTextWidth(fm, values);
  const double rowH = fm.height() + 3;
  const double swatch = 10;
  const double width = 8 + swatch + 6 + labelW + 14 + valueW + 8;
  const double height = rowH * static_cast<double>(points.size()) + 8;
  const double top = area.top() + std::max(0.0, (area.height() - height) / 2);
  const QRectF box(area.right() - width, top, width, height);

  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 0, 0, 60));
  p.drawRect(box.translated(3, 3));
  p.setBrush(Qt::white);
  p.setPen(Qt::black);
  p.drawRect(box);
  for (size_t i = 0; i < points.size(); ++i) {
    const double y = box.top() + 4 + rowH * static_cast<double>(i);
    p.setPen(Qt::black);
    p.setBrush(ToQColor(points[i].Color));
    p.drawRect(QRectF(box.left() + 8, y + (rowH - swatch) / 2, swatch, swatch));
    p.drawText(QRectF(box.left() + 8 + swatch + 6, y, labelW, rowH), Qt::AlignLeft | Qt::AlignVCenter, labels[i]);
    p.drawText(QRectF(box.right() - 8 - valueW, y, valueW, rowH), Qt::AlignRight | Qt::AlignVCenter, values[i]);
  }
  area.setRight(box.left() - 12);
  return area;
}

QRectF TChartView::MarkBox(const QString& text, QPointF at, Qt::Alignment side) const {
  const QFontMetricsF fm(font());
  const QSizeF size(fm.horizontalAdvance(text) + 8, fm.height() + 4);
  QRectF box(QPointF(0, 0), size);
  if (side & Qt::AlignLeft)
    box.moveTopLeft(QPointF(at.x(), at.y() - size.height() / 2));
  else if (side & Qt::AlignRight)
    box.moveTopRight(QPointF(at.x(), at.y() - size.height() / 2));
  else
    box.moveBottomLeft(QPointF(at.x() - size.width() / 2, at.y()));
  return box;
}

void TChartView::PaintPie(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts) {
  const std::vector<ChartPoint>& points = data_.Pie;
  double total = 0;
  for (const ChartPoint& pt : points) total += static_cast<double>(std::max<int64_t>(pt.Value, 0));
  if (total <= 0) return;

  const QFontMetricsF fm(font());
  double markW = 0;
  for (const ChartPointText& t : texts) markW = std::max(markW, fm.horizontalAdvance(ToQ(t.Mark)) + 8);
  const double markH = fm.height() + 4;
  const double squash = look_.View3D ? 0.6 : 1.0;
  const double marginX = look_.MarksVisible ? markW + 20 : 8;
  const double marginY = look_.MarksVisible ? markH + 16 : 8;
  double rx = std::min((area.width() - 2 * marginX) / 2, (area.height() - 2 * marginY) / (2 * squash * 1.25));
  if (rx < 20) rx = std::min(area.width(), area.height()) / 2 - 4;
  if (rx < 4) return;
  const double ry = rx * squash;
  const double depth = look_.View3D ? std::max(4.0, rx * 0.15) : 0;
  const QPointF c(area.center().x(), area.center().y() - depth / 2);
  const QRectF top(c.x() - rx, c.y() - ry, 2 * rx, 2 * ry);

  struct Slice {
    double start;  // degrees, counter-clockwise from three o'clock
    double span;
    QColor color;
  };
  std::vector<Slice> slices;
  double at = 90;  // clockwise from twelve o'clock
  for (const ChartPoint& pt : points) {
    const double span = static_cast<double>(std::max<int64_t>(pt.Value, 0)) / total * 360.0;
    slices.push_back({at, -span, ToQColor(pt.Color)});
    at -= span;
  }
  auto drawSlice = [&](const QRectF& r, const Slice& s) {
    if (s.span <= -359.99)
      p.drawEllipse(r);
    else
      p.drawPie(r, qRound(s.start * 16), qRound(s.span * 16));
  };
  // The side of a tilted pie: layers from the bottom up in darker colours.
  if (depth > 0) {
    p.setPen(Qt::NoPen);
    for (int k = static_cast<int>(depth); k >= 1; --k)
      for (const Slice& s : slices) {
        p.setBrush(s.color.darker(150));
        drawSlice(top.translated(0, k), s);
      }
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::NoBrush);
    p.drawArc(top.translated(0, depth), 180 * 16, 180 * 16);
    p.drawLine(QPointF(top.left(), c.y()), QPointF(top.left(), c.y() + depth));
    p.drawLine(QPointF(top.right(), c.y()), QPointF(top.right(), c.y() + depth));
  }
  p.setPen(QPen(Qt::black, 1));
  for (const Slice& s : slices) {
    p.setBrush(s.color);
    drawSlice(top, s);
  }

  if (!look_.MarksVisible) return;
  struct Mark {
    QPointF edge;
    QRectF box;
    bool right;
  };
  std::vector<Mark> marks;
  for (size_t i = 0; i < slices.size() && i < texts.size(); ++i) {
    const double mid = qDegreesToRadians(slices[i].start + slices[i].span / 2);
    const double cs = std::cos(mid), sn = std::sin(mid);
    const double drop = sn < 0 ? depth : 0;
    const QPointF edge(c.x() + rx * cs, c.y() - ry * sn + drop);
    const QPointF anchor(c.x() + (rx + 14) * cs, c.y() - (ry + 14) * sn + drop);
    const bool right = cs >= 0;
    marks.push_back({edge, MarkBox(ToQ(texts[i].Mark), anchor, right ? Qt::AlignLeft : Qt::AlignRight), right});
  }
  // Marks of narrow neighbouring slices are moved apart, each side of the pie on its own,
  // and kept inside the chart.
  for (bool right : {false, true}) {
    std::vector<Mark*> side;
    for (Mark& m : marks)
      if (m.right == right) side.push_back(&m);
    std::sort(side.begin(), side.end(), [](const Mark* a, const Mark* b) { return a->box.top() < b->box.top(); });
    for (size_t k = 0; k < side.size(); ++k) {
      const double floor = k == 0 ? area.top() : side[k - 1]->box.bottom() + 1;
      if (side[k]->box.top() < floor) side[k]->box.moveTop(floor);
    }
    for (size_t k = side.size(); k-- > 0;) {
      const double ceiling = k + 1 == side.size() ? area.bottom() : side[k + 1]->box.top() - 1;
      if (side[k]->box.bottom() > ceiling) side[k]->box.moveBottom(ceiling);
    }
  }
  for (size_t i = 0; i < marks.size(); ++i) {
    const Mark& m = marks[i];
    const QPointF joint(m.right ? m.box.left() : m.box.right(), m.box.center().y());
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(m.edge, joint);
    p.setBrush(kMarkBackground);
    p.drawRect(m.box);
    p.drawText(m.box, Qt::AlignCenter, ToQ(texts[i].Mark));
  }
}

void TChartView::PaintBars(QPainter& p, QRectF area, const std::vector<ChartPointText>& texts) {
  const std::vector<ChartPoint>& points = data_.Bar;
  if (points.empty()) return;
  const QFontMetricsF fm(font());
  double max = 0;
  for (const ChartPoint& pt : points) max = std::max(max, static_cast<double>(pt.Value));
  const double step = AxisStep(max);
  const double axisMax = std::max(step, std::ceil(max / step) * step);
  const char sep = LocaleThousandsSeparator();

  std::vector<QString> axisLabels;
  for (double v = 0; v <= axisMax + step / 2; v += step)
    axisLabels.push_back(ToQ(FormatCount(static_cast<int64_t>(v), sep)));
  std::vector<QString> labels;
  for (const ChartPoint& pt : points) labels.push_back(ToQ(BarAxisLabel(pt.Label)));

  const double n = static_cast<double>(points.size());
  const double left = area.left() + MaxTextWidth(fm, axisLabels) + 10;
  const double right = area.right() - 4;
  const double slot = (right - left) / n;
  const double depth = look_.View3D ? std::min(14.0, slot * 0.3) : 0;
  const double labelW = MaxTextWidth(fm, labels);
  const bool upright = labelW + 4 > slot;  // labels that do not fit are turned to read upwards
  const double bottom = area.bottom() - (upright ? std::min(labelW, area.height() / 2) : fm.height()) - 6;
  const double top = area.top() + (look_.MarksVisible ? fm.height() + 10 : 4) + depth;
  if (bottom - top < 10 || slot < 2) return;
  auto yOf = [&](double v) { return bottom - v / axisMax * (bottom - top); };

  // Back wall, floor and grid lines; the 3D ones stand behind the bars.
  p.setPen(QPen(kFrameColor, 1));
  p.setBrush(QColor(255, 255, 255, 110));
  p.drawRect(QRectF(QPointF(left + depth, top - depth), QPointF(right + depth, bottom - depth)));
  if (depth > 0) {
    p.setBrush(QColor(200, 200, 200, 160));
    QPolygonF floor;
    floor << QPointF(left, bottom) << QPointF(left + depth, bottom - depth) << QPointF(right + depth, bottom - depth)
          << QPointF(right, bottom);
    p.drawPolygon(floor);
    QPolygonF wall;
    wall << QPointF(left, top) << QPointF(left + depth, top - depth) << QPointF(left + depth, bottom - depth)
         << QPointF(left, bottom);
    p.drawPolygon(wall);
  }
  p.setPen(Qt::black);
  for (size_t i = 0; i < axisLabels.size(); ++i) {
    const double y = yOf(static_cast<double>(i) * step);
    p.setPen(QPen(kFrameColor, 1, Qt::DotLine));
    p.drawLine(QPointF(left + depth, y - depth), QPointF(right + depth, y - depth));
    // In 3D the line runs on across the side wall down to its tick on the axis.
    if (depth > 0) p.drawLine(QPointF(left, y), QPointF(left + depth, y - depth));
    p.setPen(Qt::black);
    p.drawLine(QPointF(left - 4, y), QPointF(left, y));
    p.drawText(QRectF(area.left(), y - fm.height() / 2, left - 8 - area.left(), fm.height()),
               Qt::AlignRight | Qt::AlignVCenter, axisLabels[i]);
  }
  p.drawLine(QPointF(left, top), QPointF(left, bottom));
  p.drawLine(QPointF(left, bottom), QPointF(right, bottom));

  for (size_t i = 0; i < points.size(); ++i) {
    const double x = left + slot * static_cast<double>(i) + slot * 0.2;
    const double w = slot * 0.6 - depth * 0.5;
    const double y = yOf(static_cast<double>(std::max<int64_t>(points[i].Value, 0)));
    const QColor color = ToQColor(points[i].Color);
    p.setPen(QPen(Qt::black, 1));
    if (depth > 0) {
      QPolygonF side;
      side << QPointF(x + w, y) << QPointF(x + w + depth, y - depth) << QPointF(x + w + depth, bottom - depth)
           << QPointF(x + w, bottom);
      p.setBrush(color.darker(150));
      p.drawPolygon(side);
      QPolygonF lid;
      lid << QPointF(x, y) << QPointF(x + depth, y - depth) << QPointF(x + w + depth, y - depth) << QPointF(x + w, y);
      p.setBrush(color.lighter(120));
      p.drawPolygon(lid);
    }
    p.setBrush(color);
    p.drawRect(QRectF(QPointF(x, y), QPointF(x + w, bottom)));

    const double centre = x + w / 2;
    if (upright) {
      p.save();
      p.translate(centre, bottom + 4);
      p.rotate(-90);
      p.drawText(QRectF(-(area.bottom() - bottom), -fm.height() / 2, area.bottom() - bottom - 2, fm.height()),
                 Qt::AlignRight | Qt::AlignVCenter, labels[i]);
      p.restore();
    } else {
      p.drawText(QRectF(centre - slot / 2, bottom + 4, slot, fm.height()), Qt::AlignCenter, labels[i]);
    }
    if (look_.MarksVisible && i < texts.size()) {
      const QString text = ToQ(texts[i].Mark);
      const QRectF box = MarkBox(text, QPointF(centre + depth / 2, y - depth - 4), Qt::AlignHCenter);
      p.setBrush(kMarkBackground);
      p.drawRect(box);
      p.drawText(box, Qt::AlignCenter, text);
    }
  }
}

}  // namespace corvanta::ui

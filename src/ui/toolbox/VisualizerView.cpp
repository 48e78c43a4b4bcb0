#include "ui/toolbox/VisualizerView.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <algorithm>

#include "ui/toolbox/VisualizerFonts.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

QPolygon ArrowOf(const VisualizerLine& line, int separatorX, int half, int64_t top) {
  QPolygon polygon;
  for (const ArrowPoint& p : ArrowPolygon(line, separatorX, half))
    polygon << QPoint(static_cast<int>(p.X), static_cast<int>(p.Y - top));
  return polygon;
}

// Lines (or scales) of one page: they are stored page after page.
template <class Items>
std::pair<size_t, size_t> PageRange(const Items& items, int page) {
  auto first = std::partition_point(items.begin(), items.end(), [&](const auto& i) { return i.Page < page; });
  auto last = std::partition_point(first, items.end(), [&](const auto& i) { return i.Page <= page; });
  return {static_cast<size_t>(first - items.begin()), static_cast<size_t>(last - items.begin())};
}

}  // namespace

void PaintVisualizerBand(QPainter& painter, const VisualizerLayout& layout, const VisualizerOptions& options,
                         const QFont& font, const QColor& fontColor, int64_t top, int height, int page) {
  painter.save();
  painter.setFont(font);
  const QFontMetrics metrics(font, painter.device());
  const int sx = layout.Columns.SeparatorX;
  const int half = layout.Half;
  if (page < 0) {
    painter.setPen(ToQColor(kVisualizerSeparatorColor));
    painter.drawLine(sx, 0, sx, height);
  } else if (static_cast<size_t>(page) < layout.SeparatorBottom.size()) {
    painter.setPen(ToQColor(kVisualizerSeparatorColor));
    painter.drawLine(sx, 0, sx, static_cast<int>(layout.SeparatorBottom[page]));
  }
  painter.setPen(fontColor);

  const auto [firstScale, endScale] =
      page < 0 ? VisibleScales(layout, top, height) : PageRange(layout.Scales, page);
  QPen dotted(fontColor, 1, Qt::DotLine);
  for (size_t i = firstScale; i < endScale; ++i) {
    for (const ScaleMark& m : ScaleMarks(layout.Scales[i], sx, layout.LineHeight, metrics.height(), options.ThousandsSep)) {
      const int y1 = static_cast<int>(m.Y1 - top);
      switch (m.Type) {
        case ScaleMark::kTick: painter.drawLine(int(m.X1), y1, int(m.X2), y1); break;
        case ScaleMark::kLabel: painter.drawText(QPoint(int(m.X1), y1 + metrics.ascent()), ToQ(m.Text)); break;
        case ScaleMark::kDottedLine:
          painter.setPen(dotted);
          painter.drawLine(int(m.X1), y1, int(m.X2), static_cast<int>(m.Y2 - top));
          painter.setPen(fontColor);
          break;
      }
    }
  }

  const auto [first, end] = page < 0 ? VisibleLines(layout, top, height) : PageRange(layout.Lines, page);
  const QColor diagnostic = ToQColor(options.DiagnosticColor);
  for (size_t i = first; i < end; ++i) {
    const VisualizerLine& line = layout.Lines[i];
    const int y = static_cast<int>(line.Y - top);
    const QColor color = ToQColor(line.Color);
    painter.setPen(color);
    painter.setBrush(color);
    painter.drawPolygon(ArrowOf(line, sx, half, top));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(fontColor);
    const int baseline = y - half + metrics.ascent();
    for (const ColumnText& c : LineColumnTexts(line, layout.Columns, options)) {
      const QString text = ToQ(c.Text);
      painter.drawText(QPoint(c.Right - metrics.horizontalAdvance(text), baseline), text);
    }
    const QString summary = ToQ(LineSummary(layout, line));
    const int x = static_cast<int>(LineTextX(line, sx));
    painter.drawText(QPoint(x, baseline), summary);
    if (const std::string_view comment = LineComment(layout, line); !comment.empty()) {
      painter.setPen(diagnostic);
      painter.drawText(QPoint(x + metrics.horizontalAdvance(summary), baseline), ToQ(comment));
      painter.setPen(fontColor);
    }
  }
  painter.restore();
}

// The column titles, moved with the horizontal scroll bar.
class VisualizerHeader : public QWidget {
 public:
  explicit VisualizerHeader(TVisualizerView& box) : QWidget(&box), box_(box) {
    setObjectName("HeaderControl1");
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    box_.PaintHeader(painter);
  }

 private:
  TVisualizerView& box_;
};

class VisualizerArea : public QWidget {
 public:
  explicit VisualizerArea(TVisualizerView& box) : QWidget(&box), box_(box) {
    setObjectName("PaintBox1");
    setCursor(Qt::CrossCursor);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.translate(-box_.horizontal_->value(), 0);
    box_.Paint(painter, height());
    painter.resetTransform();
    if (!box_.selection_.isNull()) {
      // An inverted dotted rectangle, as a focus rectangle is drawn.
      painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
      painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
      painter.drawRect(box_.selection_.normalized());
    }
  }
  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::LeftButton) box_.StartSelection(event->position().toPoint());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (event->buttons() & Qt::LeftButton) box_.MoveSelection(event->position().toPoint());
  }
  void wheelEvent(QWheelEvent* event) override { QApplication::sendEvent(box_.vertical_, event); }

 private:
  TVisualizerView& box_;
};

TVisualizerView::TVisualizerView(QWidget* parent) : QWidget(parent) {
  setObjectName("VisualizerPanel");
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  setPalette(palette);
  header_ = new VisualizerHeader(*this);
  area_ = new VisualizerArea(*this);
  vertical_ = new QScrollBar(Qt::Vertical, this);
  vertical_->setObjectName("ScrollBar1");
  vertical_->setSingleStep(12);
  horizontal_ = new QScrollBar(Qt::Horizontal, this);
  horizontal_->setObjectName("ScrollBar2");
  horizontal_->setSingleStep(9);
  horizontal_->setPageStep(72);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  grid->addWidget(header_, 0, 0);
  grid->addWidget(area_, 1, 0);
  grid->addWidget(vertical_, 1, 1);
  grid->addWidget(horizontal_, 2, 0);
  header_->hide();
  connect(vertical_, &QScrollBar::valueChanged, area_, qOverload<>(&QWidget::update));
  connect(horizontal_, &QScrollBar::valueChanged, this, [this] {
    area_->update();
    header_->update();
  });
  UpdateBars();
}

TVisualizerView::~TVisualizerView() = default;

QWidget* TVisualizerView::PaintArea() const { return area_; }
QWidget* TVisualizerView::Header() const { return header_; }
int64_t TVisualizerView::ScrollOffset() const { return vertical_->value(); }

void TVisualizerView::Recalc(const VisualizerRequest& request, const QFont& font, const QColor& fontColor) {
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  font_ = HeldVisualizerFont(font);
  fontColor_ = fontColor;
  options_ = request.Options;
  VisualizerRequest r = request;
  r.Measure = QtTextMeasure(font_);
  r.PageHeight = 0;
  pass_ = std::make_shared<const VisualizerLayout>(LayOutVisualizer(r));
  QGuiApplication::restoreOverrideCursor();
  header_->setFixedHeight(QFontMetrics(font_).height() + 6);
  header_->setVisible(pass_->Columns.HeaderVisible());
  UpdateBars();
  area_->update();
  header_->update();
  emit PassChanged();
}

void TVisualizerView::Clear() {
  pass_.reset();
  selection_ = {};
  header_->hide();
  UpdateBars();
  area_->update();
  emit PassChanged();
}

void TVisualizerView::ScrollToTop() { vertical_->setValue(0); }

void TVisualizerView::CenterOn(int64_t y) {
  const int64_t wanted = y - area_->height() / 2;
  vertical_->setValue(static_cast<int>(std::clamp<int64_t>(wanted, 0, vertical_->maximum())));
}

void TVisualizerView::UpdateBars() {
  const int64_t maximum = pass_ ? VisualizerScrollMaximum(*pass_, area_->height()) : 0;
  vertical_->setRange(0, static_cast<int>(std::min<int64_t>(maximum, INT32_MAX)));
  vertical_->setPageStep(std::max(area_->height(), 1));
  horizontal_->setRange(0, std::max(0, kPaintWidth - area_->width()));
}

void TVisualizerView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  UpdateBars();
}

void TVisualizerView::Paint(QPainter& painter, int height) {
  if (!pass_) return;
  PaintVisualizerBand(painter, *pass_, options_, font_, fontColor_, vertical_->value(), height);
}

void TVisualizerView::PaintHeader(QPainter& painter) {
  if (!pass_) return;
  painter.translate(-horizontal_->value(), 0);
  painter.setFont(font_);
  int x = 0;
  for (const HeaderSection& section : pass_->Columns.Sections) {
    QStyleOptionHeader option;
    option.initFrom(header_);
    option.rect = QRect(x, 0, section.Width, header_->height());
    option.text = ToQ(section.Title);
    option.textAlignment = Qt::AlignCenter;
    style()->drawControl(QStyle::CE_Header, &option, &painter, header_);
    x += section.Width;
  }
}

void TVisualizerView::StartSelection(QPoint at) {
  anchor_ = at;
  selection_ = QRect(at, at);
  area_->update();
}

void TVisualizerView::MoveSelection(QPoint to) {
  selection_ = QRect(anchor_, to).normalized();
  area_->update();
}

QPixmap TVisualizerView::Picture() {
  const QRect chosen = selection_;
  selection_ = {};
  area_->repaint();
  if (chosen.isNull()) return grab();
  const QRect inPanel = chosen.translated(area_->pos() + QPoint(2, 2));
  return grab(inPanel.intersected(rect()));
}

void TVisualizerView::CopyToClipboard() { QGuiApplication::clipboard()->setPixmap(Picture()); }

}  // namespace corvanta::ui

#include "ui/toolbox/VisualizerView.h"

#include <QGridLayout>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>

namespace corvanta::ui {

namespace {

// The surface the packets are drawn on; white until something is drawn.
class TPaintBox : public QWidget {
 public:
  explicit TPaintBox(QWidget* parent) : QWidget(parent) {
    setObjectName("PaintBox1");
    setCursor(Qt::CrossCursor);
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
  }
};

}  // namespace

TVisualizerView::TVisualizerView(QWidget* parent) : QWidget(parent) {
  viewport_ = new QWidget(this);
  viewport_->setObjectName("VisualizerViewport");
  paintBox_ = new TPaintBox(viewport_);
  vertical_ = new QScrollBar(Qt::Vertical, this);
  vertical_->setObjectName("ScrollBar1");
  vertical_->setSingleStep(12);
  vertical_->setRange(0, 0);
  horizontal_ = new QScrollBar(Qt::Horizontal, this);
  horizontal_->setObjectName("ScrollBar2");
  horizontal_->setSingleStep(9);
  horizontal_->setPageStep(72);
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(0);
  grid->addWidget(viewport_, 0, 0);
  grid->addWidget(vertical_, 0, 1);
  grid->addWidget(horizontal_, 1, 0);
  // The horizontal bar moves the paint box left by its position.
  connect(horizontal_, &QScrollBar::valueChanged, this, [this] { PlacePaintBox(); });
  connect(vertical_, &QScrollBar::valueChanged, paintBox_, qOverload<>(&QWidget::update));
}

void TVisualizerView::ScrollToTop() { vertical_->setValue(0); }

QPixmap TVisualizerView::Picture() const { return paintBox_->grab(); }

void TVisualizerView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlacePaintBox();
}

void TVisualizerView::PlacePaintBox() {
  const int visible = viewport_->width();
  horizontal_->setRange(0, std::max(0, kPaintWidth - visible));
  paintBox_->setGeometry(-horizontal_->value(), 0, kPaintWidth, viewport_->height());
}

}  // namespace corvanta::ui

#include "ui/printing/PreviewForm.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "ui/printing/VisualizerPrintDocument.h"
#include "ui/widgets/WindowPlacementStore.h"

namespace corvanta::ui {

TPreviewForm::TPreviewForm(SettingsStore* store, QWidget* parent) : QDialog(parent), store_(store) {
  setObjectName("PreviewForm");
  setWindowTitle("Print Preview");
  setModal(false);
  resize(640, 720);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  bar->setObjectName("ToolBar1");
  layout->addWidget(bar);
  auto add = [&](const char* name, const char* caption, void (TPreviewForm::*slot)()) {
    auto* b = new QToolButton(bar);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(caption);
    bar->addWidget(b);
    connect(b, &QToolButton::clicked, this, slot);
  };
  add("ZoomtoFitBtn", "Zoom to Fit", &TPreviewForm::ZoomtoFitBtnClick);
  add("PageWidthBtn", "Page Width", &TPreviewForm::PageWidthBtnClick);
  add("ActualSizeBtn", "100%", &TPreviewForm::ActualSizeBtnClick);
  add("ZoomInBtn", "Zoom In", &TPreviewForm::ZoomInBtnClick);
  add("ZoomOutBtn", "Zoom Out", &TPreviewForm::ZoomOutBtnClick);
  bar->addSeparator();
  add("ToolButton2", "Previous Page", &TPreviewForm::ToolButton2Click);
  add("ToolButton1", "Next Page", &TPreviewForm::ToolButton1Click);

  scroll_ = new QScrollArea(this);
  scroll_->setObjectName("ScrollBox1");
  scroll_->setBackgroundRole(QPalette::Dark);
  canvas_ = new QWidget;
  paperImage_ = new QLabel(canvas_);
  paperImage_->setObjectName("Paper");
  scroll_->setWidget(canvas_);
  layout->addWidget(scroll_, 1);
  if (store_) RestorePlacement(*this, *store_, true);
}

QToolButton* TPreviewForm::Button(const QString& name) const { return findChild<QToolButton*>(name); }

void TPreviewForm::SetDocument(const VisualizerPrintDocument* document, const VisualizerPrintSettings* settings) {
  document_ = document;
  settings_ = settings;
}

int TPreviewForm::ScreenDpi() const { return logicalDpiY(); }

void TPreviewForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  page_ = 1;
  Refresh();
}

void TPreviewForm::hideEvent(QHideEvent* event) {
  if (store_) SavePlacement(*this, *store_);
  QDialog::hideEvent(event);
}

void TPreviewForm::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  if (isVisible() && zoom_ != Zoom::kPercent) ApplyZoom();
}

void TPreviewForm::Refresh() {
  pageCount_ = document_ && settings_ ? document_->CountPages(*settings_) : 0;
  page_ = std::clamp(page_, 1, std::max(1, pageCount_));
  ApplyZoom();
}

void TPreviewForm::ApplyZoom() {
  switch (zoom_) {
    case Zoom::kFit: paper_ = ZoomToFit(scroll_->width(), scroll_->height()); break;
    case Zoom::kPageWidth: paper_ = ZoomToPageWidth(scroll_->viewport()->width()); break;
    case Zoom::kPercent: paper_ = ZoomToPercent(percent_, ScreenDpi()); break;
  }
  Redraw();
}

void TPreviewForm::Redraw() {
  QPixmap paper(paper_.Width, paper_.Height);
  paper.fill(Qt::white);
  if (document_ && settings_ && pageCount_ > 0) {
    QPainter painter(&paper);
    VisualizerPrintDocument::Renderer(*document_, *settings_, PaperDevice(paper_)).Render(painter, page_);
  }
  paperImage_->setPixmap(paper);
  paperImage_->resize(paper.size());
  // The paper is centred in the box, with a rim of half the fit margin where it is larger.
  const QSize view = scroll_->viewport()->size();
  const int rim = kPreviewBoxMargin / 2;
  canvas_->resize(std::max(view.width(), paper_.Width + 2 * rim), std::max(view.height(), paper_.Height + 2 * rim));
  const auto [left, top] = CentrePaper(canvas_->width(), canvas_->height(), paper_);
  paperImage_->move(left, top);
}

void TPreviewForm::ZoomtoFitBtnClick() {
  zoom_ = Zoom::kFit;
  ApplyZoom();
}

void TPreviewForm::PageWidthBtnClick() {
  zoom_ = Zoom::kPageWidth;
  ApplyZoom();
}

void TPreviewForm::ActualSizeBtnClick() {
  zoom_ = Zoom::kPercent;
  percent_ = 100;
  ApplyZoom();
}

void TPreviewForm::ZoomInBtnClick() { ZoomStep(true); }

void TPreviewForm::ZoomOutBtnClick() { ZoomStep(false); }

void TPreviewForm::ZoomStep(bool in) {
  // From whatever size the paper has now, fitted ones included.
  const int current = static_cast<int>(std::lround(paper_.Width * 100.0 / ZoomToPercent(100, ScreenDpi()).Width));
  zoom_ = Zoom::kPercent;
  percent_ = NextZoomPercent(current, in);
  ApplyZoom();
}

void TPreviewForm::ToolButton1Click() {
  if (page_ >= pageCount_) return;
  ++page_;
  Redraw();
}

void TPreviewForm::ToolButton2Click() {
  if (page_ < 2) return;
  --page_;
  Redraw();
}

}  // namespace corvanta::ui

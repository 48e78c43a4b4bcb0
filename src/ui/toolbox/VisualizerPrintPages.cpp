#include "ui/toolbox/VisualizerPrintPages.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "ui/toolbox/VisualizerFonts.h"
#include "ui/toolbox/VisualizerView.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

VisualizerPrintPages::VisualizerPrintPages(VisualizerRequest request, const QFont& font, const QColor& fontColor,
                                           SelectionTexts texts)
    : request_(std::move(request)), font_(font), fontColor_(fontColor), texts_(std::move(texts)) {}

VisualizerPrintPages::~VisualizerPrintPages() = default;

int VisualizerPrintPages::DrawPage(QPainter& painter, const QSize& size, int page) {
  const int height = std::max(size.height(), 1);
  // Counting and drawing ask for the same size again and again: lay out once per height.
  if (!layout_ || layoutHeight_ != height) {
    VisualizerRequest request = request_;
    request.Measure = QtTextMeasure(font_, painter.device());
    request.PageHeight = height;
    layout_ = std::make_unique<VisualizerLayout>(LayOutVisualizer(request));
    layoutHeight_ = height;
  }
  if (page >= 0 && page < layout_->Pages) {
    QImage image(std::max(size.width(), 0) + 1, height + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      QPainter band(&image);
      PaintVisualizerBand(band, *layout_, request_.Options, font_, fontColor_, 0, height + 1, page);
    }
    painter.drawImage(0, 0, image);
  }
  return layout_->Pages;
}

std::vector<ColumnHeading> VisualizerPrintPages::ColumnHeadings() const {
  const ColumnGeometry geometry = ComputeColumns(request_.Options.Columns, QtTextMeasure(font_));
  // The sections come in column order, one for each column that is on.
  std::vector<ColumnHeading> headings;
  size_t section = 0;
  for (int right : geometry.Right) {
    if (right < 0 || section >= geometry.Sections.size()) continue;
    headings.push_back({geometry.Sections[section++].Title, right});
  }
  return headings;
}

QString VisualizerPrintPages::SourceText() const { return ToQ(texts_.Source); }
QString VisualizerPrintPages::DestinationText() const { return ToQ(texts_.Destination); }
QString VisualizerPrintPages::ApplicationText() const { return ToQ(texts_.App); }

}  // namespace corvanta::ui

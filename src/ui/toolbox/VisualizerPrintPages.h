#pragma once
// The visualizer's drawing as printed pages: the toolbox's current selection laid out once per
// page height and painted page by page, with the column headings of the same template.
#include <QColor>
#include <QFont>
#include <memory>

#include "analysis/ConversationFigures.h"
#include "analysis/VisualizerLayout.h"
#include "ui/printing/VisualizerPages.h"

namespace corvanta::ui {

class VisualizerPrintPages : public VisualizerPages {
 public:
  // `request` points into the model; the pages are used while the modal print dialog is open.
  VisualizerPrintPages(VisualizerRequest request, const QFont& font, const QColor& fontColor, SelectionTexts texts);
  ~VisualizerPrintPages() override;

  int DrawPage(QPainter& painter, const QSize& size, int page) override;
  std::vector<ColumnHeading> ColumnHeadings() const override;
  QFont DrawingFont() const override { return font_; }
  QString SourceText() const override;
  QString DestinationText() const override;
  QString ApplicationText() const override;

 private:
  VisualizerRequest request_;
  QFont font_;
  QColor fontColor_;
  SelectionTexts texts_;
  // The last pass and the page height it was laid out for.
  std::unique_ptr<VisualizerLayout> layout_;
  int layoutHeight_ = -1;
};

}  // namespace corvanta::ui

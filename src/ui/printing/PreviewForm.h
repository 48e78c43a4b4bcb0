#pragma once
#include <QDialog>

#include "analysis/PrintLayout.h"

class QLabel;
class QScrollArea;
class QToolButton;

namespace corvanta {
class SettingsStore;
}

namespace corvanta::ui {

class VisualizerPrintDocument;
struct VisualizerPrintSettings;

// The page preview of the visualizer print dialog: one page on a paper image, with zoom
// and page buttons.
class TPreviewForm : public QDialog {
  Q_OBJECT
 public:
  // With a store, the window's placement is restored now and saved when it closes.
  explicit TPreviewForm(SettingsStore* store = nullptr, QWidget* parent = nullptr);

  // What is previewed: the dialog's document at its applied settings. Both outlive the window.
  void SetDocument(const VisualizerPrintDocument* document, const VisualizerPrintSettings* settings);
  // Counts the pages again and redraws the current page.
  void Refresh();

  int CurrentPage() const { return page_; }
  int PageCount() const { return pageCount_; }
  PixelSize PaperSize() const { return paper_; }

  QScrollArea* ScrollBox() const { return scroll_; }
  QLabel* Paper() const { return paperImage_; }
  QToolButton* Button(const QString& name) const;

  void ZoomtoFitBtnClick();
  void PageWidthBtnClick();
  void ActualSizeBtnClick();
  void ZoomInBtnClick();
  void ZoomOutBtnClick();
  void ToolButton1Click();
  void ToolButton2Click();

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  enum class Zoom { kFit, kPageWidth, kPercent };
  void ApplyZoom();
  void ZoomStep(bool in);
  void Redraw();
  int ScreenDpi() const;

  SettingsStore* store_ = nullptr;
  const VisualizerPrintDocument* document_ = nullptr;
  const VisualizerPrintSettings* settings_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  QWidget* canvas_ = nullptr;
  QLabel* paperImage_ = nullptr;
  Zoom zoom_ = Zoom::kPercent;
  int percent_ = 100;
  int page_ = 1;
  int pageCount_ = 0;
  PixelSize paper_;
};

}  // namespace corvanta::ui

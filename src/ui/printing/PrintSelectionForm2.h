#pragma once
#include <QDialog>
#include <QPointer>

#include "analysis/PrintLayout.h"
#include "ui/printing/PrintControls.h"
#include "ui/printing/PrintSelectionForm.h"
#include "ui/printing/VisualizerPrintDocument.h"

class QCheckBox;
class QLineEdit;
class QPrinter;
class QPushButton;
class QSpinBox;

namespace corvanta::ui {

class DialogService;
class TPreviewForm;
class TPrintStatusForm;
class VisualizerPages;

// "Print Trellivue": prints the visualizer page by page with a header and a footer, over a
// page range, and shows the page preview. Keeps its own margins, which start at 1 inch.
class TPrintSelectionForm2 : public QDialog {
  Q_OBJECT
 public:
  TPrintSelectionForm2(DialogService& dialogs, TPrintStatusForm& status, TPreviewForm& preview,
                       QWidget* parent = nullptr);

  // The visualizer to print; set before the dialog is shown.
  void SetPages(VisualizerPages* pages) { document_.SetPages(pages); }
  void SetFileLine(std::function<QString()> fileLine) { document_.SetFileLine(std::move(fileLine)); }
  void SetPrinter(QPrinter* printer) { printer_ = printer; }
  void SetTips(PrintTips tips) { tips_ = std::move(tips); }

  const VisualizerPrintDocument& Document() const { return document_; }
  // What layout, preview and printing use, and what the controls show.
  const VisualizerPrintSettings& Applied() const { return applied_; }
  const VisualizerPrintSettings& Edited() const { return edited_; }
  const PageRange& Range() const { return range_; }

  QLineEdit* Title() const { return title_; }
  QCheckBox* IncludeFileNameCheckBox() const { return fileName_; }
  QCheckBox* IncludePrintedOnDateCheckBox() const { return printedOn_; }
  QCheckBox* IncludePageNumberCheckBox() const { return pageNumber_; }
  QLabel* MarginPanel(int side) const { return margins_.panels.at(static_cast<size_t>(side)); }
  TSpinButton* MarginSpin(int side) const { return margins_.spins.at(static_cast<size_t>(side)); }
  QSpinBox* PrintFirstPage() const { return firstPage_; }
  QSpinBox* PrintLastPage() const { return lastPage_; }
  QPushButton* SetupBtn() const { return setupBtn_; }
  QPushButton* PreviewBtn() const { return previewBtn_; }
  QPushButton* ApplyBtn() const { return applyBtn_; }
  QPushButton* PrintBtn() const { return printBtn_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }

  void ApplyBtnClick();
  void Button1Click();
  void Button2Click();

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void ShowSettings();
  void ShowRange();
  void Recount();
  void MarkEdited();
  void Spin(int side, bool up);

  DialogService& dialogs_;
  TPrintStatusForm& status_;
  TPreviewForm& preview_;
  QPrinter* printer_ = nullptr;
  PrintTips tips_;
  VisualizerPrintDocument document_;
  VisualizerPrintSettings edited_;
  VisualizerPrintSettings applied_;
  PageRange range_;
  int counted_ = 0;  // the drawing's pages at the applied margins; 0: nothing to print
  bool showing_ = false;  // controls being filled: not an edit

  QLineEdit* title_ = nullptr;
  QCheckBox* fileName_ = nullptr;
  QCheckBox* printedOn_ = nullptr;
  QCheckBox* pageNumber_ = nullptr;
  MarginControls margins_;
  QSpinBox* firstPage_ = nullptr;
  QSpinBox* lastPage_ = nullptr;
  QPushButton* setupBtn_ = nullptr;
  QPushButton* previewBtn_ = nullptr;
  QPushButton* applyBtn_ = nullptr;
  QPushButton* printBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
};

}  // namespace corvanta::ui

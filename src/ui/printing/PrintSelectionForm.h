#pragma once
#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>

#include "analysis/PrintLayout.h"
#include "ui/main/TipWizard.h"
#include "ui/printing/PrintControls.h"

class QCheckBox;
class QPixmap;
class QPrinter;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace corvanta {
struct PageSetup;
}

namespace corvanta::ui {

class DialogService;
class TPrintStatusForm;

// How the print dialogs reach the main window's tips.
struct PrintTips {
  std::function<void(const TipSet&)> show;
  std::function<void()> restore;
};

// "Print": prints snapshots of the open windows, one page each, with the page set-up's
// margins, scaling and header line.
class TPrintSelectionForm : public QDialog {
  Q_OBJECT
 public:
  TPrintSelectionForm(PageSetup& pageSetup, DialogService& dialogs, TPrintStatusForm& status,
                      QWidget* parent = nullptr);

  // The window printed for an entry of the list; windows register as they are made, and
  // an entry without one stays greyed.
  void SetWindow(PrintableWindow entry, QWidget* window);
  QWidget* Window(PrintableWindow entry) const;
  void SetPrinter(QPrinter* printer) { printer_ = printer; }
  // The header line's text, asked at printing time.
  void SetHeaderText(std::function<QString()> header) { header_ = std::move(header); }
  void SetTips(PrintTips tips) { tips_ = std::move(tips); }

  QCheckBox* Check(PrintableWindow entry) const;
  QToolButton* PictureButton(PrintableWindow entry) const;
  QLabel* MarginPanel(int side) const { return margins_.panels.at(static_cast<size_t>(side)); }
  TSpinButton* MarginSpin(int side) const { return margins_.spins.at(static_cast<size_t>(side)); }
  QCheckBox* PrintHeaderBox() const { return headerBox_; }
  QRadioButton* ProportionalButton() const { return proportional_; }
  QRadioButton* ToFitButton() const { return toFit_; }
  QPushButton* OKPrtBtn() const { return okBtn_; }
  QPushButton* SetupBtn() const { return setupBtn_; }
  QPushButton* CancelBtn() const { return cancelBtn_; }

  // Prints the checked windows and closes the dialog.
  void OKPrtBtnClick();

 public slots:
  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormActivate();
  void UpdateOk();
  void ShowMargins();
  void Spin(int side, bool up);
  void SetupBtnClick();
  // Prints one snapshot; false when printing cannot go on.
  bool PrintPicture(QPainter& painter, const QPixmap& picture, const QWidget& window, const QString& name);

  PageSetup& pageSetup_;
  DialogService& dialogs_;
  TPrintStatusForm& status_;
  QPrinter* printer_ = nullptr;
  std::function<QString()> header_;
  PrintTips tips_;
  std::array<QPointer<QWidget>, kPrintableWindowCount> windows_{};
  std::array<QCheckBox*, kPrintableWindowCount> checks_{};
  std::array<QToolButton*, kPrintableWindowCount> buttons_{};
  MarginControls margins_;
  QCheckBox* headerBox_ = nullptr;
  QRadioButton* proportional_ = nullptr;
  QRadioButton* toFit_ = nullptr;
  QPushButton* setupBtn_ = nullptr;
  QPushButton* okBtn_ = nullptr;
  QPushButton* cancelBtn_ = nullptr;
};

}  // namespace corvanta::ui

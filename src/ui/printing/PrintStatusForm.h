#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

namespace corvanta::ui {

// "Print Status": says what is being printed and lets the user cancel the rest.
class TPrintStatusForm : public QDialog {
  Q_OBJECT
 public:
  explicit TPrintStatusForm(QWidget* parent = nullptr);

  // A status code of the printing: 0 closes the window, a known code shows its text
  // ("Printing Main Window..."); page goes with the visualizer's page code. Lets pending
  // input run so that the cancel button is heard.
  void SetStatus(int code, int page = 0);
  // Set by the cancel button, cleared whenever the window is shown.
  bool Cancelled() const { return cancelled_; }

  QLabel* StatusTextBox() const { return text_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QLabel* text_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace corvanta::ui

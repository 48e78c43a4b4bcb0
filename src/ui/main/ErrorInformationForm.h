#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace corvanta::ui {

// The two texts of the failure window.
struct FailureTexts {
  QString first;   // "Exception X in Module Y at Z."
  QString second;  // the message, ending in "."
};

// className and message as the failure gives them; module is the program file's path.
FailureTexts MakeFailureTexts(const QString& className, const QString& module, const void* address,
                              const QString& message);

// "Error Information": shows a failure that escaped an event handler. "&Exit" ends the
// program; closing the window returns to it.
class TErrorInformationForm : public QDialog {
  Q_OBJECT
 public:
  explicit TErrorInformationForm(QWidget* parent = nullptr);

  // Shows the failure modally; true when the user chose "&Exit".
  bool ShowFailure(const FailureTexts& texts);
  // Fills the texts without showing the window.
  void SetTexts(const FailureTexts& texts);

  QLabel* FirstText() const { return first_; }
  QLabel* SecondText() const { return second_; }
  QPushButton* ExitButton() const { return exit_; }

 private:
  QLabel* first_ = nullptr;
  QLabel* second_ = nullptr;
  QPushButton* exit_ = nullptr;
};

}  // namespace corvanta::ui

#pragma once
#include <QApplication>
#include <QPointer>
#include <functional>

namespace corvanta::ui {

class TErrorInformationForm;

// The application object: a failure that escapes an event handler is caught where Qt
// dispatches the event and shown in the "Error Information" window.
class CorvantaApplication : public QApplication {
  Q_OBJECT
 public:
  CorvantaApplication(int& argc, char** argv);

  void SetErrorWindow(TErrorInformationForm* window);
  // What "&Exit" does; ends the program unless replaced.
  void SetExitAction(std::function<void()> action) { exitAction_ = std::move(action); }
  // Failures caught so far; the program goes on after each unless the user chose Exit.
  int FailureCount() const { return failures_; }

  bool notify(QObject* receiver, QEvent* event) override;

 private:
  void ReportFailure(const QString& className, const void* address, const QString& message);

  QPointer<TErrorInformationForm> errorWindow_;
  std::function<void()> exitAction_;
  bool showing_ = false;
  int failures_ = 0;
};

}  // namespace corvanta::ui

#include "ui/main/CorvantaApplication.h"

#include <cxxabi.h>

#include <QDebug>
#include <cstdlib>
#include <exception>
#include <memory>
#include <typeinfo>

#include "ui/main/ErrorInformationForm.h"

namespace corvanta::ui {
namespace {

QString Demangle(const std::type_info* type) {
  if (!type) return "unknown";
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(type->name(), nullptr, nullptr, &status), std::free);
  return status == 0 && name ? QString::fromUtf8(name.get()) : QString::fromUtf8(type->name());
}

}  // namespace

CorvantaApplication::CorvantaApplication(int& argc, char** argv) : QApplication(argc, argv) {}

void CorvantaApplication::SetErrorWindow(TErrorInformationForm* window) { errorWindow_ = window; }

bool CorvantaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    ReportFailure(Demangle(&typeid(e)), &e, QString::fromUtf8(e.what()));
  } catch (...) {
    ReportFailure(Demangle(abi::__cxa_current_exception_type()), nullptr, QString());
  }
  return false;
}

void CorvantaApplication::ReportFailure(const QString& className, const void* address, const QString& message) {
  ++failures_;
  const FailureTexts texts = MakeFailureTexts(className, applicationFilePath(), address, message);
  // A failure while the window is up, or before it exists, is only logged.
  if (showing_ || !errorWindow_) {
    qWarning().noquote() << texts.first << texts.second;
    return;
  }
  showing_ = true;
  const bool exitChosen = errorWindow_->ShowFailure(texts);
  showing_ = false;
  if (!exitChosen) return;
  if (exitAction_)
    exitAction_();
  else
    exit(1);
}

}  // namespace corvanta::ui

#pragma once
#include <QColor>
#include <QString>
#include <QStringList>
#include <QUrl>

class QPrinter;
class QWidget;

namespace corvanta::ui {

// The modal boxes and platform dialogs the windows open. Tests replace it to answer
// without blocking.
class DialogService {
 public:
  virtual ~DialogService() = default;
  virtual void Warning(QWidget* parent, const QString& title, const QString& text);
  virtual void Information(QWidget* parent, const QString& title, const QString& text);
  virtual void Error(QWidget* parent, const QString& title, const QString& text);
  // An existing file chosen by the user; empty when cancelled.
  virtual QString OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                               const QStringList& filters);
  virtual bool OpenUrl(const QUrl& url);
  // The platform's colour dialog preset with initial; an invalid colour when cancelled.
  virtual QColor ChooseColor(QWidget* parent, const QColor& initial);
  // A warning with OK and Cancel; true for OK.
  virtual bool WarningOkCancel(QWidget* parent, const QString& title, const QString& text);
  // The platform's printer set-up dialog on printer; true when the user accepted it.
  virtual bool PrinterSetup(QWidget* parent, QPrinter& printer);
};

}  // namespace corvanta::ui

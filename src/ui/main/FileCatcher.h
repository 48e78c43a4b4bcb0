#pragma once
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QStringList>

class QWidget;

namespace corvanta::ui {

// Makes one window control a drop target for files and tells when files are dropped on it.
class TFileCatcher : public QObject {
  Q_OBJECT
 public:
  explicit TFileCatcher(QObject* parent = nullptr) : QObject(parent) {}

  // Binding withdraws the previous control's registration and registers the new one.
  void SetControl(QWidget* control);
  QWidget* Control() const { return control_; }

  // The local paths of the last drop, in the order given, and where they were dropped.
  const QStringList& Files() const { return files_; }
  QPoint DropPoint() const { return dropPoint_; }

 signals:
  void OnDropFiles();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> control_;
  QStringList files_;
  QPoint dropPoint_;
};

}  // namespace corvanta::ui

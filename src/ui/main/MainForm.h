#pragma once
#include <QMainWindow>

class QTabWidget;

namespace corvanta::ui {

// The main window: six pages over the capture model.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget* parent = nullptr);
  QTabWidget* MainPageControl() const { return pages_; }

 private:
  QTabWidget* pages_ = nullptr;
};

}  // namespace corvanta::ui

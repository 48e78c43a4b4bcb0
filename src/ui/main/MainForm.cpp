#include "ui/main/MainForm.h"

#include <QLabel>
#include <QTabWidget>

namespace corvanta::ui {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setWindowTitle("Corvanta");
  pages_ = new QTabWidget(this);
  pages_->setObjectName("MainPageControl");
  for (const char* caption : {"File Summary", "Client/Server Expert", "DLC Error Expert", "Frame Size Chart",
                              "Protocol Chart", "Protocol Table"})
    pages_->addTab(new QLabel(this), caption);
  setCentralWidget(pages_);
  resize(800, 600);
}

}  // namespace corvanta::ui

#include <QApplication>
#include <cstring>
#include <iostream>

#include "Version.h"
#include "ui/main/MainForm.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << CORVANTA_PRODUCT << " " << CORVANTA_VERSION << "\n";
      return 0;
    }
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(CORVANTA_PRODUCT);
  corvanta::ui::TMainForm main;
  main.show();
  return app.exec();
}

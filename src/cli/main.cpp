#include <cstring>
#include <iostream>

#include "Version.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << CORVANTA_PRODUCT << " " << CORVANTA_VERSION << "\n";
      return 0;
    }
  }
  std::cerr << "usage: corvanta-cli TRACE...\n";
  return 1;
}

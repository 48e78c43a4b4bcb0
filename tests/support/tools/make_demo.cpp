// Writes the demo trace that the program opens when no trace is named.
#include <cstdio>
#include <vector>

#include "DemoTrace.h"
#include "TraceWriter.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo OUTPUT\n");
    return 2;
  }
  std::vector<uint8_t> image = corvanta::testing::WriteTrace(corvanta::testing::DemoTracePlan());
  // Without a writer for the format the file stays empty rather than failing the build.
  if (image.empty()) std::fprintf(stderr, "make_demo: no writer for the demo format yet; %s is empty\n", argv[1]);
  if (!corvanta::testing::SaveFile(argv[1], image)) {
    std::fprintf(stderr, "make_demo: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "cli/Cli.h"
#include "trace/HeapPages.h"

namespace {

// The folder of the running program, where OUI.TXT is made at build time.
std::string ProgramDirectory(const char* argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec && argv0) self = std::filesystem::absolute(argv0, ec);
  return ec ? std::string() : self.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
  if (corvanta::LargeInput(argc, argv)) corvanta::RestartWithHugePageHeap(argv);
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return corvanta::cli::RunCli(args, stdout, stderr, ProgramDirectory(argc > 0 ? argv[0] : nullptr));
}

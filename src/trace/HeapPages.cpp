#include "trace/HeapPages.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>

#if defined(__linux__)
#include <sys/auxv.h>
#include <unistd.h>
#endif

#include "trace/UsableCpus.h"

#if defined(__SANITIZE_ADDRESS__)
#define CORVANTA_MALLOC_REPLACED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define CORVANTA_MALLOC_REPLACED 1
#endif
#endif

namespace corvanta {

namespace {
constexpr std::string_view kHugePageTunable = "glibc.malloc.hugetlb";
// Threads other than the first get heaps of their own, which take no huge pages: one heap
// for all of them.
constexpr std::string_view kArenasTunable = "glibc.malloc.arena_max";
}

bool HugePagesOnRequest(std::string_view thpEnabled) { return thpEnabled.find("[madvise]") != std::string_view::npos; }

std::optional<std::string> TunablesAskingHugePages(const char* current) {
  const std::string_view now = current != nullptr ? current : "";
  if (now.find(kHugePageTunable) != std::string_view::npos) return std::nullopt;
  std::string value(now);
  const auto add = [&](std::string_view tunable) {
    if (!value.empty()) value += ':';
    value += tunable;
    value += "=1";
  };
  add(kHugePageTunable);
  if (now.find(kArenasTunable) == std::string_view::npos) add(kArenasTunable);
  return value;
}

bool LargeInput(int argc, char** argv) {
  unsigned long long bytes = 0;
  for (int i = 1; i < argc && argv[i] != nullptr; ++i) {
    std::error_code ec;
    const std::filesystem::path path(argv[i]);
    if (!std::filesystem::is_regular_file(path, ec)) continue;  // an option, or no such file
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) bytes += size;
    if (bytes >= kLargeTraceBytes) return true;
  }
  return false;
}

void RestartWithHugePageHeap(char** argv) {
#if defined(__linux__) && defined(__GLIBC__) && !defined(CORVANTA_MALLOC_REPLACED)
  if (argv == nullptr || argv[0] == nullptr) return;
  // A setuid start ignores tunables: it would start again and again.
  if (getauxval(AT_SECURE) != 0) return;
  // Under valgrind the program started again would run outside it, unmeasured.
  if (const char* preload = std::getenv("LD_PRELOAD");
      preload != nullptr && std::strstr(preload, "vgpreload") != nullptr)
    return;
  if (!HugePagesOnRequest(ReadSmallFile("/sys/kernel/mm/transparent_hugepage/enabled"))) return;
  const char* before = std::getenv("GLIBC_TUNABLES");
  const std::optional<std::string> value = TunablesAskingHugePages(before);
  if (!value) return;
  const std::optional<std::string> saved = before != nullptr ? std::optional<std::string>(before) : std::nullopt;
  if (setenv("GLIBC_TUNABLES", value->c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Not started again: leave the environment as it was, for the programs this one starts.
  if (saved)
    setenv("GLIBC_TUNABLES", saved->c_str(), 1);
  else
    unsetenv("GLIBC_TUNABLES");
#else
  (void)argv;
#endif
}

}  // namespace corvanta

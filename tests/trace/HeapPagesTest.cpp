// When the heap is asked to use huge pages: the system's mode and the tunables already set.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "trace/HeapPages.h"
#include "trace/UsableCpus.h"

namespace corvanta {
namespace {

TEST(HeapPages, OnlyWhereHugePagesComeOnRequest) {
  EXPECT_TRUE(HugePagesOnRequest("always [madvise] never\n"));
  EXPECT_FALSE(HugePagesOnRequest("[always] madvise never\n"));  // the heap has them already
  EXPECT_FALSE(HugePagesOnRequest("always madvise [never]\n"));
  EXPECT_FALSE(HugePagesOnRequest(""));  // no such file
}

TEST(HeapPages, TheUsersTunablesStay) {
  struct Case {
    const char* before;
    std::optional<std::string> after;
  };
  for (const Case& c : std::initializer_list<Case>{
           {nullptr, "glibc.malloc.hugetlb=1:glibc.malloc.arena_max=1"},
           {"", "glibc.malloc.hugetlb=1:glibc.malloc.arena_max=1"},
           {"glibc.malloc.arena_max=2", "glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1"},
           {"glibc.malloc.tcache_count=0",
            "glibc.malloc.tcache_count=0:glibc.malloc.hugetlb=1:glibc.malloc.arena_max=1"},
           {"glibc.malloc.hugetlb=0", std::nullopt},  // chosen by the user, or already started again
           {"glibc.malloc.arena_max=2:glibc.malloc.hugetlb=1", std::nullopt}})
    EXPECT_EQ(TunablesAskingHugePages(c.before), c.after) << (c.before ? c.before : "(unset)");
}

// Only files count, together: options and missing files are passed over.
TEST(HeapPages, LargeInputIsTheFilesNamed) {
  const auto folder = std::filesystem::temp_directory_path() / ("corvanta-heap-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const std::string half = (folder / "half").string(), other = (folder / "other").string();
  for (const std::string& path : {half, other}) {
    std::ofstream(path).put('x');
    std::filesystem::resize_file(path, kLargeTraceBytes / 2);  // sparse: no room taken
  }
  const auto large = [](std::vector<std::string> args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    return LargeInput(static_cast<int>(args.size()), argv.data());
  };
  EXPECT_FALSE(large({"corvanta-cli", "--json", half}));
  EXPECT_TRUE(large({"corvanta-cli", "--json", half, other}));
  EXPECT_FALSE(large({"corvanta-cli", half, (folder / "missing").string(), "--threads"}));
  EXPECT_FALSE(large({"corvanta-cli", folder.string()}));  // a folder is no trace
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace corvanta

// The CPUs a process may use: the quota files of both control-group versions and the
// process's own group.
#include <gtest/gtest.h>

#include <thread>

#include "trace/UsableCpus.h"

namespace corvanta {
namespace {

TEST(UsableCpus, QuotaFiles) {
  struct Case {
    const char* text;
    std::optional<int> cpus;
  };
  for (const Case& c : std::initializer_list<Case>{{"max 100000\n", std::nullopt},
                                                   {"100000 100000\n", 1},
                                                   {"150000 100000", 2},  // a part of a CPU is a CPU
                                                   {"50000 100000\n", 1},
                                                   {"400000 100000\n", 4},
                                                   {"", std::nullopt},
                                                   {"garbage", std::nullopt},
                                                   {"0 100000", std::nullopt},
                                                   {"100000 0", std::nullopt}})
    EXPECT_EQ(CpusOfCpuMax(c.text), c.cpus) << c.text;
  EXPECT_EQ(CpusOfCfsQuota("-1\n", "100000\n"), std::nullopt);
  EXPECT_EQ(CpusOfCfsQuota("200000\n", "100000\n"), 2);
  EXPECT_EQ(CpusOfCfsQuota("", "100000"), std::nullopt);
}

TEST(UsableCpus, GroupPaths) {
  const char* hybrid = "4:memory:/box/7\n3:cpu,cpuacct:/box/7\n0::/user.slice/x\n";
  EXPECT_EQ(CgroupV2Path(hybrid), "/user.slice/x");
  EXPECT_EQ(CgroupV1CpuPath(hybrid), "/box/7");
  EXPECT_EQ(CgroupV2Path("0::/\n"), "/");
  EXPECT_EQ(CgroupV1CpuPath("0::/\n"), std::nullopt);
  EXPECT_EQ(CgroupV1CpuPath("2:cpuacct:/a\n1:cpu:/b\n"), "/b");  // cpuacct alone is not cpu
  EXPECT_EQ(CgroupV2Path("1:cpu:/b"), std::nullopt);
  EXPECT_EQ(CgroupV2Path(""), std::nullopt);
}

TEST(UsableCpus, RunnableTasks) {
  const char* stat = "cpu  1 2 3\nctxt 9\nprocs_running 3\nprocs_blocked 0\n";
  EXPECT_EQ(ProcsRunning(stat), 3);
  EXPECT_EQ(ProcsRunning("cpu 1\nprocs_running 1"), 1);
  for (const char* text : {"", "procs_running 3\n", "cpu 1\nprocs_running \n", "cpu 1\nprocs_running 0\n",
                           "cpu 1\nprocs_running -2\n", "cpu 1\nprocs_running x\n"})
    EXPECT_EQ(ProcsRunning(text), std::nullopt) << text;
  EXPECT_EQ(TaskState("4242 (corvanta-read) R 1 4242 0"), 'R');
  EXPECT_EQ(TaskState("7 (a) b (c)) S 1 7"), 'S');  // a name with parentheses and spaces
  EXPECT_EQ(TaskState("7 (x)"), '\0');
  EXPECT_EQ(TaskState(""), '\0');
}

TEST(UsableCpus, AtLeastOneAndNoMoreThanTheMachine) {
  const int cpus = UsableCpus();
  EXPECT_GE(cpus, 1);
  if (std::thread::hardware_concurrency() > 0) {
    EXPECT_LE(cpus, static_cast<int>(std::thread::hardware_concurrency()));
  }
  EXPECT_EQ(ThreadsForTrace(0), 1);
  EXPECT_EQ(ThreadsForTrace(kLargeTraceBytes - 1), 1);  // small traces stay on one thread
  EXPECT_GE(ThreadsForTrace(kLargeTraceBytes), 1);
}

}  // namespace
}  // namespace corvanta

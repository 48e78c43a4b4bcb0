#pragma once
// How many CPUs this process may really use: the CPUs of its affinity mask, fewer where a
// control group's quota allows less (a container given one CPU on a larger machine), and
// fewer by those other processes keep busy as it starts. The hardware's count says nothing
// of any of these.
#include <optional>
#include <string>
#include <string_view>

namespace corvanta {

// The CPUs this process may use now; at least 1.
int UsableCpus();

// From this size a trace is large: what costs a few milliseconds once pays. Below it a trace
// is read and analysed on one thread, as a second thread's start, the first touch of the
// queue between the two and the handing over cost more than they save (they break even at
// about 100,000 frames, some 35 MB).
inline constexpr unsigned long long kLargeTraceBytes = 32ull << 20;
// The threads for a trace of this size: the usable CPUs, or one for a small trace.
int ThreadsForTrace(unsigned long long traceBytes);

// The CPUs a quota file allows, rounded up: cgroup v2 "cpu.max" ("max 100000" or
// "150000 100000"); empty when unlimited or unreadable.
std::optional<int> CpusOfCpuMax(std::string_view cpuMax);
// The same from cgroup v1's cpu.cfs_quota_us and cpu.cfs_period_us.
std::optional<int> CpusOfCfsQuota(std::string_view quotaUs, std::string_view periodUs);
// The cgroup v2 path of this process from the text of /proc/self/cgroup ("0::/a/b"); empty
// when there is none.
std::optional<std::string_view> CgroupV2Path(std::string_view procSelfCgroup);
// The cgroup v1 path of the cpu controller from the same text ("4:cpu,cpuacct:/a").
std::optional<std::string_view> CgroupV1CpuPath(std::string_view procSelfCgroup);
// The runnable tasks of the system from the text of /proc/stat ("procs_running 3"), the
// caller included; empty when it does not say.
std::optional<int> ProcsRunning(std::string_view procStat);
// The text of a small file such as those of /proc and /sys; empty when unreadable.
std::string ReadSmallFile(const std::string& path);
// A task's state letter ('R' running or runnable, 'S' asleep, ...) from the text of its
// /proc/.../stat ("12 (name) R 1 ..."); '\0' when it does not say.
char TaskState(std::string_view taskStat);

}  // namespace corvanta

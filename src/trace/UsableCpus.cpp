#include "trace/UsableCpus.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#ifdef __linux__
#include <sched.h>
#endif

namespace corvanta {

namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

std::optional<long long> Number(std::string_view s) {
  s = Trim(s);
  long long v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<int> CpusOf(long long quota, long long period) {
  if (quota <= 0 || period <= 0) return std::nullopt;
  const long long cpus = (quota + period - 1) / period;
  return static_cast<int>(std::clamp<long long>(cpus, 1, 4096));
}

// The tightest quota of the process's cgroup v2 group and the groups above it.
std::optional<int> CgroupV2Cpus() {
  const std::string self = ReadSmallFile("/proc/self/cgroup");
  const auto path = CgroupV2Path(self);
  if (!path) return std::nullopt;
  std::optional<int> cpus;
  std::string dir(*path);
  while (true) {
    if (auto c = CpusOfCpuMax(ReadSmallFile("/sys/fs/cgroup" + dir + "/cpu.max")))
      cpus = cpus ? std::min(*cpus, *c) : *c;
    if (dir.empty() || dir == "/") break;
    dir = dir.substr(0, dir.rfind('/'));
  }
  return cpus;
}

std::optional<int> CgroupV1Cpus() {
  const std::string self = ReadSmallFile("/proc/self/cgroup");
  const auto path = CgroupV1CpuPath(self);
  if (!path) return std::nullopt;
  for (const char* mount : {"/sys/fs/cgroup/cpu,cpuacct", "/sys/fs/cgroup/cpu"}) {
    const std::string dir = mount + std::string(*path == "/" ? "" : *path);
    if (auto c = CpusOfCfsQuota(ReadSmallFile(dir + "/cpu.cfs_quota_us"), ReadSmallFile(dir + "/cpu.cfs_period_us")))
      return c;
  }
  return std::nullopt;
}

// This process's own running or runnable threads, the caller at least: a desktop program's
// other threads are not other processes.
int OwnRunning() {
  int running = 0;
  std::error_code ec;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec))
    if (TaskState(ReadSmallFile(task.path().string() + "/stat")) == 'R') ++running;
  return std::max(1, running);
}

// Runnable tasks of the whole system besides this process's, the least of a few looks a
// moment apart (one look often catches a task that runs for an instant).
int BusyElsewhere() {
  constexpr int kLooks = 5;
  int least = 0;
  for (int look = 0; look < kLooks; ++look) {
    if (look > 0) std::this_thread::sleep_for(std::chrono::microseconds(100));
    const auto running = ProcsRunning(ReadSmallFile("/proc/stat"));
    if (!running) return 0;
    const int others = *running - OwnRunning();
    least = look == 0 ? others : std::min(least, others);
  }
  return std::max(0, least);
}

}  // namespace

std::string ReadSmallFile(const std::string& path) {
  std::ifstream in(path);
  if (!in) return {};
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

char TaskState(std::string_view taskStat) {
  // The name in parentheses may hold any character, parentheses and spaces included.
  const size_t close = taskStat.rfind(')');
  if (close == std::string_view::npos || close + 2 >= taskStat.size() || taskStat[close + 1] != ' ') return '\0';
  return taskStat[close + 2];
}

std::optional<int> ProcsRunning(std::string_view procStat) {
  constexpr std::string_view kKey = "\nprocs_running ";
  const size_t at = procStat.find(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  procStat.remove_prefix(at + kKey.size());
  const auto value = Number(procStat.substr(0, procStat.find('\n')));
  if (!value || *value < 1 || *value > 1 << 20) return std::nullopt;
  return static_cast<int>(*value);
}

std::optional<int> CpusOfCpuMax(std::string_view cpuMax) {
  cpuMax = Trim(cpuMax);
  const size_t space = cpuMax.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const auto quota = Number(cpuMax.substr(0, space));  // "max": no number, no limit
  const auto period = Number(cpuMax.substr(space + 1));
  if (!quota || !period) return std::nullopt;
  return CpusOf(*quota, *period);
}

std::optional<int> CpusOfCfsQuota(std::string_view quotaUs, std::string_view periodUs) {
  const auto quota = Number(quotaUs);  // -1: no limit
  const auto period = Number(periodUs);
  if (!quota || !period) return std::nullopt;
  return CpusOf(*quota, *period);
}

namespace {

// The path of the first line of /proc/self/cgroup whose controller list passes `match`.
template <class Match>
std::optional<std::string_view> CgroupPath(std::string_view text, Match match) {
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    const size_t first = line.find(':');
    const size_t second = first == std::string_view::npos ? first : line.find(':', first + 1);
    if (second != std::string_view::npos && match(line.substr(0, first), line.substr(first + 1, second - first - 1)))
      return Trim(line.substr(second + 1));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string_view> CgroupV2Path(std::string_view text) {
  return CgroupPath(text,
                    [](std::string_view id, std::string_view controllers) { return id == "0" && controllers.empty(); });
}

std::optional<std::string_view> CgroupV1CpuPath(std::string_view text) {
  return CgroupPath(text, [](std::string_view id, std::string_view controllers) {
    if (id == "0") return false;
    while (!controllers.empty()) {
      const size_t comma = controllers.find(',');
      if (controllers.substr(0, comma) == "cpu") return true;
      if (comma == std::string_view::npos) break;
      controllers.remove_prefix(comma + 1);
    }
    return false;
  });
}

int UsableCpus() {
  int cpus = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0) cpus = std::max(1, CPU_COUNT(&set));
  std::optional<int> quota = CgroupV2Cpus();
  if (!quota) quota = CgroupV1Cpus();
  if (quota) cpus = std::min(cpus, *quota);
  // CPUs that other processes keep busy are not this one's either: threads that hand work to
  // each other do it badly when each gets a CPU only part of the time.
  cpus = std::max(1, cpus - BusyElsewhere());
#endif
  return cpus;
}

int ThreadsForTrace(unsigned long long traceBytes) { return traceBytes < kLargeTraceBytes ? 1 : UsableCpus(); }

}  // namespace corvanta

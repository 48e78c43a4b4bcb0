// Every real capture cut short at many points and with bytes changed runs through
// corvanta-cli --json in-process: each run ends, within its buffers, with a report or a
// refusal. A watchdog turns a run that stands still into a failure naming the file.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <random>
#include <thread>

#include "CliTestSupport.h"
#include "cli/Cli.h"

namespace corvanta::testing {
namespace {

// Aborts the test program when one run takes longer than the limit.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  void Start(std::string what) {
    std::lock_guard<std::mutex> lock(mutex_);
    what_ = std::move(what);
    deadline_ = std::chrono::steady_clock::now() + limit_;
    ++generation_;
    wake_.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!done_) {
      const uint64_t generation = generation_;
      if (generation == 0) {
        wake_.wait(lock);
        continue;
      }
      if (!wake_.wait_until(lock, deadline_, [&] { return done_ || generation_ != generation; })) {
        std::fprintf(stderr, "\nA run did not end within %lld s: %s\n", static_cast<long long>(limit_.count()),
                     what_.c_str());
        std::abort();
      }
    }
  }

  std::chrono::seconds limit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string what_;
  std::chrono::steady_clock::time_point deadline_{};
  uint64_t generation_ = 0;
  bool done_ = false;
  std::thread thread_;
};

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
  const std::string text = ReadText(path.string());
  return {text.begin(), text.end()};
}

std::string ReadAll(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
  return text;
}

// One in-process run of corvanta-cli --json on path; the parsed report.
Json RunJson(const std::string& path, int& status) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(std::tmpfile(), &std::fclose);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> err(std::tmpfile(), &std::fclose);
  status = cli::RunCli({"--json", path}, out.get(), err.get(), {});
  bool ok = false;
  Json json = ParseJson(ReadAll(out.get()), &ok);
  EXPECT_TRUE(ok) << "not JSON";
  return json;
}

// Where a capture is cut: all through its header, then at spread-out points of its records.
std::vector<size_t> CutPoints(size_t size) {
  std::vector<size_t> cuts = {0, 39, 40, 49, 50, 64, 100, 128, 140, 200};
  for (size_t k = 1; k < 16; ++k) cuts.push_back(size * k / 16 + k);  // off the record boundaries
  std::vector<size_t> kept;
  for (size_t c : cuts)
    if (c < size) kept.push_back(c);
  return kept;
}

TEST(DamagedCaptures, EveryRunEndsWithAReportOrARefusal) {
  const std::vector<ManifestRow> rows = Manifest();
  CORVANTA_SKIP_WITHOUT_CAPTURES(rows);
  Watchdog watchdog(std::chrono::seconds(60));
  TempDir dir;
  std::mt19937 rng(20240614);
  int reports = 0, refusals = 0;
  for (const ManifestRow& row : rows) {
    SCOPED_TRACE(row.file);
    const std::vector<uint8_t> original = ReadBytes(CapturesDir() / row.file);
    ASSERT_GT(original.size(), 200u);
    // The variants keep the capture's name: detection looks at it.
    const std::string path = dir.File(row.file);

    std::vector<std::pair<std::string, std::vector<uint8_t>>> variants;
    for (size_t cut : CutPoints(original.size()))
      variants.emplace_back("cut at " + std::to_string(cut),
                            std::vector<uint8_t>(original.begin(), original.begin() + static_cast<long>(cut)));
    for (int round = 0; round < 12; ++round) {
      std::vector<uint8_t> bytes = original;
      // Half the rounds damage the first 256 bytes, where the headers are.
      const size_t span = round % 2 == 0 ? std::min<size_t>(256, bytes.size()) : bytes.size();
      const int count = 1 + static_cast<int>(rng() % 16);
      std::string what = "changed at";
      for (int i = 0; i < count; ++i) {
        const size_t at = rng() % span;
        const uint8_t values[] = {0x00, 0xFF, 0x7F, 0x80, static_cast<uint8_t>(rng())};
        bytes[at] = values[rng() % 5];
        what += " " + std::to_string(at);
      }
      variants.emplace_back(what, std::move(bytes));
    }

    for (const auto& [what, bytes] : variants) {
      SCOPED_TRACE(what);
      dir.Write(row.file, bytes);
      watchdog.Start(row.file + ", " + what);
      int status = -1;
      const Json json = RunJson(path, status);
      ASSERT_TRUE(json.IsObject());
      if (json.Has("error")) {
        ++refusals;
        EXPECT_EQ(status, 2);
        EXPECT_FALSE(json["error"].String().empty());
      } else {
        ++reports;
        EXPECT_EQ(status, 0);
        EXPECT_GE(json["frames"].Int(), 0);
        if (what.rfind("cut", 0) == 0) {
          EXPECT_LE(json["frames"].Int(), row.frames);
        }
      }
    }
  }
  // Both outcomes occur: damage was seen, and most damaged traces still give a report.
  EXPECT_GT(reports, 0);
  EXPECT_GT(refusals, 0);
}

}  // namespace
}  // namespace corvanta::testing

// Real captures converted by an independent tool into snoop and LANalyzer files: each file
// yields its manifest's frame count, and the two formats hand over the same frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "CaptureManifest.h"
#include "ReaderHarness.h"

namespace corvanta::testing {
namespace {

// capture name -> (file, frames) for the manifest rows of one format.
std::map<std::string, std::pair<std::string, size_t>> RowsOf(const std::string& format) {
  std::map<std::string, std::pair<std::string, size_t>> rows;
  for (const CaptureManifestRow& row : ReadCaptureManifest(format))
    rows[row.capture] = {row.path, static_cast<size_t>(row.frames)};
  return rows;
}

ReadResult ReadEthernet(AnalyzerKind kind, const std::string& path) {
  TraceInfo info;
  info.kind = kind;
  info.topology = kEthernet;
  return RunReader(info, path);
}

class Captures5 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(CapturesDir() / "manifest.tsv")) GTEST_SKIP() << "no shared captures";
    snoop_ = RowsOf("snoop");
    lanalyzer_ = RowsOf("lanalyzer");
    ASSERT_FALSE(snoop_.empty());
    ASSERT_EQ(snoop_.size(), lanalyzer_.size());
  }
  std::map<std::string, std::pair<std::string, size_t>> snoop_, lanalyzer_;
};

TEST_F(Captures5, EveryFileYieldsItsManifestCount) {
  for (const auto& [capture, row] : snoop_) {
    ReadResult r = ReadEthernet(15, row.first);
    EXPECT_TRUE(r.opened) << row.first;
    EXPECT_EQ(r.frames.size(), row.second) << row.first;
  }
  for (const auto& [capture, row] : lanalyzer_) {
    ReadResult r = ReadEthernet(13, row.first);
    EXPECT_TRUE(r.opened) << row.first;
    EXPECT_EQ(r.frames.size(), row.second) << row.first;
  }
}

// Both formats store the frames without their check sequence; the readers synthesise it.
// snoop raises frames shorter than 60 bytes to 60 (plus the 4), LANalyzer keeps the wire length.
TEST_F(Captures5, SnoopAndLanalyzerHandOverTheSameFrames) {
  for (const auto& [capture, row] : snoop_) {
    SCOPED_TRACE(capture);
    ReadResult snoop = ReadEthernet(15, row.first);
    ReadResult lan = ReadEthernet(13, lanalyzer_.at(capture).first);
    ASSERT_EQ(snoop.frames.size(), lan.frames.size());
    EXPECT_DOUBLE_EQ(snoop.startTime, lan.startTime);
    for (size_t i = 0; i < snoop.frames.size(); ++i) {
      const RecordedFrame& s = snoop.frames[i];
      const RecordedFrame& l = lan.frames[i];
      ASSERT_EQ(l.length, l.capturedLength) << "frame " << i + 1;
      if (l.length >= 64) {
        ASSERT_EQ(s.length, l.length) << "frame " << i + 1;
        ASSERT_EQ(s.capturedLength, l.capturedLength) << "frame " << i + 1;
        ASSERT_EQ(s.data, l.data) << "frame " << i + 1;
      } else {
        ASSERT_EQ(s.length, 64) << "frame " << i + 1;
        ASSERT_TRUE(std::equal(l.data.begin(), l.data.end() - 4, s.data.begin())) << "frame " << i + 1;
      }
      // snoop gives the local time of day, LANalyzer half-microseconds since the start.
      ASSERT_NEAR(s.timestamp - snoop.frames[0].timestamp, l.timestamp - lan.frames[0].timestamp, 1)
          << "frame " << i + 1;
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

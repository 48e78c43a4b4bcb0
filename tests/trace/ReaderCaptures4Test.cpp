// Real captures converted by an independent tool into the NetMon, Sniffer DOS and NetXRay
// formats: each must yield the frame count its manifest gives, and the formats must agree.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>

#include "CaptureManifest.h"
#include "ReaderHarness.h"

namespace corvanta::testing {
namespace {

using CaptureFile = CaptureManifestRow;

const std::map<std::string, AnalyzerKind> kFormatKinds = {
    {"netmon1", 8}, {"netmon2", 9}, {"ngsniffer", 11}, {"ngwsniffer_1_1", 10}, {"ngwsniffer_2_0", 10}};

std::vector<CaptureFile> ManifestFiles() {
  std::vector<CaptureFile> files;
  for (CaptureFile& f : ReadCaptureManifest())
    if (kFormatKinds.count(f.format)) files.push_back(std::move(f));
  return files;
}

ReadResult ReadCapture(const CaptureFile& file) {
  TraceInfo info;
  info.kind = kFormatKinds.at(file.format);
  info.topology = kEthernet;
  return RunReader(info, file.path);
}

class Captures4 : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(CapturesDir() / "manifest.tsv")) GTEST_SKIP() << "no shared captures";
    files_ = ManifestFiles();
    ASSERT_FALSE(files_.empty());
  }
  std::vector<CaptureFile> files_;
};

TEST_F(Captures4, EveryFileYieldsItsManifestCount) {
  for (const CaptureFile& file : files_) {
    ReadResult r = ReadCapture(file);
    EXPECT_TRUE(r.opened) << file.path;
    EXPECT_EQ(r.frames.size(), static_cast<size_t>(file.frames)) << file.path;
  }
}

// The same capture read from every format gives the same frames: lengths, bytes (the
// synthesised check sequence included), status and times. NetMon 2.x is the reference:
// NetMon 1.x keeps milliseconds only; Sniffer DOS counts from its own midnight with ticks of
// 0.83809534452 us, which the converting tool's clock differs from by under one part per
// million, so its times are compared as time since the first frame.
TEST_F(Captures4, FormatsAgreeFrameByFrame) {
  std::map<std::string, std::map<std::string, const CaptureFile*>> byCapture;
  for (const CaptureFile& file : files_) byCapture[file.capture][file.format] = &file;
  for (const auto& [capture, files] : byCapture) {
    ASSERT_TRUE(files.count("netmon2")) << capture;
    const ReadResult ref = ReadCapture(*files.at("netmon2"));
    ASSERT_FALSE(ref.frames.empty()) << capture;
    for (const auto& [format, file] : files) {
      SCOPED_TRACE(capture + ": " + format);
      const ReadResult r = ReadCapture(*file);
      ASSERT_EQ(r.frames.size(), ref.frames.size());
      const bool relative = format == "ngsniffer";
      const double tolerance = format == "netmon1" ? 2000 : 1;
      for (size_t i = 0; i < r.frames.size(); ++i) {
        const RecordedFrame& a = r.frames[i];
        const RecordedFrame& b = ref.frames[i];
        ASSERT_EQ(a.length, b.length) << "frame " << i + 1;
        ASSERT_EQ(a.capturedLength, b.capturedLength) << "frame " << i + 1;
        ASSERT_EQ(a.data, b.data) << "frame " << i + 1;
        ASSERT_EQ(a.status, b.status) << "frame " << i + 1;
        if (relative) {
          const double elapsed = b.timestamp - ref.frames[0].timestamp;
          ASSERT_NEAR(a.timestamp - r.frames[0].timestamp, elapsed, 2 + 1e-6 * std::fabs(elapsed)) << "frame " << i + 1;
        } else {
          ASSERT_NEAR(a.timestamp, b.timestamp, tolerance) << "frame " << i + 1;
        }
      }
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

// Real captures, converted by an independent tool into seven formats: opened, read and
// decoded like the program does, each must give the counts its manifest took from the
// original frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CaptureManifest.h"
#include "decode/CaptureModel.h"
#include "decode/Decoder.h"
#include "decode/TraceStatistics.h"
#include "naming/ProtocolNames.h"
#include "trace/OpenTrace.h"

namespace corvanta {
namespace {

using testing::CapturesDir;

struct Expectations {
  long frames = -1;
  long broadcast = -1;
  long multicast = -1;
  long stations = -1;
  long sendingStations = -1;
  std::map<std::string, long> categories;
};

struct ManifestRow {
  std::string capture;
  std::string format;
  std::string file;
  Expectations expected;
};

// The value after "key": in a flat JSON text; -1 when absent.
long NumberAfter(const std::string& json, const std::string& key) {
  size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return -1;
  return std::strtol(json.c_str() + at + key.size() + 3, nullptr, 10);
}

// The "name": count pairs of the "categories" object.
std::map<std::string, long> Categories(const std::string& json) {
  std::map<std::string, long> out;
  size_t open = json.find("\"categories\":");
  if (open == std::string::npos) return out;
  open = json.find('{', open);
  size_t close = json.find('}', open);
  std::string body = json.substr(open + 1, close - open - 1);
  size_t pos = 0;
  while ((pos = body.find('"', pos)) != std::string::npos) {
    size_t end = body.find('"', pos + 1);
    std::string name = body.substr(pos + 1, end - pos - 1);
    size_t colon = body.find(':', end);
    out[name] = std::strtol(body.c_str() + colon + 1, nullptr, 10);
    pos = body.find(',', colon);
    if (pos == std::string::npos) break;
  }
  return out;
}

std::vector<ManifestRow> Manifest(const std::string& format) {
  std::vector<ManifestRow> rows;
  for (const testing::CaptureManifestRow& m : testing::ReadCaptureManifest(format)) {
    ManifestRow row{m.capture, m.format, m.file, {}};
    const std::string& json = m.expectations;
    row.expected.frames = NumberAfter(json, "frames");
    row.expected.broadcast = NumberAfter(json, "broadcast");
    row.expected.multicast = NumberAfter(json, "multicast");
    row.expected.stations = NumberAfter(json, "stations");
    row.expected.sendingStations = NumberAfter(json, "sending_stations");
    row.expected.categories = Categories(json);
    rows.push_back(row);
  }
  return rows;
}

class CapturesDecode : public ::testing::TestWithParam<std::string> {};

TEST_P(CapturesDecode, CountsMatchTheManifest) {
  if (!std::filesystem::exists(CapturesDir() / "manifest.tsv")) GTEST_SKIP() << "no shared captures";
  std::vector<ManifestRow> rows = Manifest(GetParam());
  ASSERT_FALSE(rows.empty());
  for (const ManifestRow& row : rows) {
    SCOPED_TRACE(row.file);
    OpenOutcome open = OpenTrace((CapturesDir() / row.file).string());
    ASSERT_TRUE(open.accepted) << open.refusal;

    CaptureModel model;
    TraceStatistics stats;
    Decoder decoder(model, stats, DecodeEnvironment{});
    PassResult pass = ProcessTraceFile(open.info, decoder, nullptr, false);

    EXPECT_EQ(pass.framesRead, row.expected.frames);
    EXPECT_EQ(stats.TraceStats[kStatFrames].Value, row.expected.frames);
    EXPECT_EQ(stats.TraceStats[kStatBroadcast].Value, row.expected.broadcast);
    EXPECT_EQ(stats.TraceStats[kStatMulticast].Value, row.expected.multicast);
    EXPECT_EQ(model.Counts.Stations, row.expected.stations);
    EXPECT_EQ(model.Counts.SendingStations, row.expected.sendingStations);
    std::map<std::string, long> categories;
    for (int c = 0; c < kProtocolCategoryCount; ++c)
      if (stats.ProtocolStats[c].Frames != 0)
        categories[std::string(ProtocolCategoryName(c))] = stats.ProtocolStats[c].Frames;
    EXPECT_EQ(categories, row.expected.categories);
    EXPECT_GE(stats.IntervalCount, 1);
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, CapturesDecode,
                         ::testing::Values("snoop", "netmon1", "netmon2", "ngsniffer", "ngwsniffer_1_1",
                                           "ngwsniffer_2_0", "lanalyzer"));

}  // namespace
}  // namespace corvanta

// The shared captures as libpcap and pcapng files, read through libpcap: each gives the
// counts of its manifest, and the same protocol table and client/server rows as the snoop
// copy of the same capture (both follow one rule for lengths and keep microseconds).
#include "CliTestSupport.h"

namespace corvanta::testing {
namespace {

struct Output {
  ManifestRow row;
  Json json;
};

Json RunJson(const std::string& path) {
  RunResult r = RunCli({"--json", path});
  bool ok = false;
  Json json = ParseJson(r.out, &ok);
  EXPECT_EQ(r.status, 0) << path << ": " << r.err;
  EXPECT_TRUE(ok) << path << ": output is not JSON";
  return json;
}

std::vector<ManifestRow> PcapManifest() {
  std::vector<ManifestRow> rows;
  for (const CaptureManifestRow& m : ReadCaptureManifestIn(CapturesDir() / "pcap"))
    rows.push_back({m.capture, m.format, m.file, m.frames, ParseJson(m.expectations)});
  return rows;
}

const std::vector<Output>& Outputs() {
  static const std::vector<Output> outputs = [] {
    std::vector<Output> all;
    for (ManifestRow& row : PcapManifest()) {
      Json json = RunJson((CapturesDir() / "pcap" / row.file).string());
      all.push_back({std::move(row), std::move(json)});
    }
    return all;
  }();
  return outputs;
}

TEST(PcapConformance, EveryFileGivesTheManifestCounts) {
  CORVANTA_SKIP_WITHOUT_CAPTURES(PcapManifest());
  EXPECT_EQ(Outputs().size(), 24u);
  for (const Output& o : Outputs()) {
    SCOPED_TRACE(o.row.file);
    const Json& j = o.json;
    ASSERT_FALSE(j.Has("error")) << j["error"].String();
    EXPECT_EQ(j["analyzer_name"].String(), o.row.format == "pcap" ? "tcpdump" : "pcapng");
    EXPECT_TRUE(std::get<bool>(j["complete"].value));
    ExpectManifestCounts(j, o.row);
  }
}

TEST(PcapConformance, TheSameAnalysisAsTheSnoopCopy) {
  CORVANTA_SKIP_WITHOUT_CAPTURES(PcapManifest());
  std::map<std::string, std::string> snoop;
  for (const ManifestRow& row : Manifest())
    if (row.format == "snoop") snoop[row.capture] = (CapturesDir() / row.file).string();
  std::map<std::string, Json> reference;
  for (const Output& o : Outputs()) {
    SCOPED_TRACE(o.row.file);
    ASSERT_TRUE(snoop.count(o.row.capture));
    if (!reference.count(o.row.capture)) reference[o.row.capture] = RunJson(snoop[o.row.capture]);
    const Json& ref = reference[o.row.capture];
    const Json& j = o.json;
    EXPECT_EQ(j["bytes"].Int(), ref["bytes"].Int());
    EXPECT_EQ(j["start_time"].String(), ref["start_time"].String());
    EXPECT_EQ(j["duration"].String(), ref["duration"].String());
    EXPECT_EQ(j["protocols"].keyOrder, ref["protocols"].keyOrder);
    for (const auto& [name, record] : ref["protocols"].Object()) {
      SCOPED_TRACE(name);
      for (const char* key : {"frames", "bytes", "group_frames"})
        EXPECT_EQ(j["protocols"][name][key].Int(), record[key].Int()) << key;
    }
    const auto& rows = j["conversations"].Array();
    const auto& refRows = ref["conversations"].Array();
    ASSERT_EQ(rows.size(), refRows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      const Json& r = rows[i];
      const Json& x = refRows[i];
      SCOPED_TRACE("row " + std::to_string(i));
      for (const char* key : {"client", "server", "protocol", "duration", "marks"})
        EXPECT_EQ(r[key].String(), x[key].String()) << key;
      for (const char* key : {"packets", "bytes"}) EXPECT_EQ(r[key].Int(), x[key].Int()) << key;
      for (const char* key : {"response_time_ms", "throughput_c2s", "throughput_s2c"}) {
        EXPECT_EQ(r[key].IsNull(), x[key].IsNull()) << key;
        if (!x[key].IsNull()) {
          EXPECT_DOUBLE_EQ(r[key].Number(), x[key].Number()) << key;
        }
      }
      for (const char* event : {"E", "F", "G", "H", "I"}) EXPECT_EQ(r["events"][event].Int(), x["events"][event].Int());
      EXPECT_NEAR(DurationSeconds(r["duration"].String()), DurationSeconds(x["duration"].String()), 0.0011);
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

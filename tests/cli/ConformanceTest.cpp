// Real captures, converted by an independent tool into seven formats: every file is accepted
// and corvanta-cli --json gives the counts the manifest took from the original frames, and
// the seven copies of one capture give the same protocol table and client/server rows.
#include <cmath>
#include <set>

#include "CliTestSupport.h"

namespace corvanta::testing {
namespace {

struct Output {
  ManifestRow row;
  Json json;
  std::string text;
};

// Every manifest file through the program once; shared by the tests of this file.
const std::vector<Output>& Outputs() {
  static const std::vector<Output> outputs = [] {
    std::vector<Output> all;
    for (ManifestRow& row : Manifest()) {
      // Several threads even on one CPU: the reader ahead and the table shared out.
      RunResult r = RunCli({"--json", "--threads", "3", (CapturesDir() / row.file).string()});
      bool ok = false;
      Json json = ParseJson(r.out, &ok);
      EXPECT_EQ(r.status, 0) << row.file << ": " << r.err;
      EXPECT_TRUE(ok) << row.file << ": output is not JSON";
      all.push_back({std::move(row), std::move(json), std::move(r.out)});
    }
    return all;
  }();
  return outputs;
}

TEST(Conformance, EveryCaptureGivesTheManifestCounts) {
  CORVANTA_SKIP_WITHOUT_CAPTURES(Manifest());
  for (const Output& o : Outputs()) {
    SCOPED_TRACE(o.row.file);
    const Json& j = o.json;
    ASSERT_FALSE(j.Has("error")) << j["error"].String();
    ExpectManifestCounts(j, o.row);
  }
}

TEST(Conformance, OneThreadGivesTheSameJsonAsSeveral) {
  CORVANTA_SKIP_WITHOUT_CAPTURES(Manifest());
  for (const Output& o : Outputs()) {
    const RunResult one = RunCli({"--json", "--threads", "1", (CapturesDir() / o.row.file).string()});
    EXPECT_TRUE(one.out == o.text) << o.row.file;
  }
}

// The format whose timestamps and lengths are kept most faithfully: microseconds, the frame
// lengths as captured.
constexpr const char* kReferenceFormat = "ngwsniffer_2_0";

// Snoop's reader raises frames stored with their wire length to at least 60 bytes, so its
// byte counts (and what is derived from them) differ from the other formats' for short frames.
bool KeepsLengths(const std::string& format) { return format != "snoop"; }
// NetMon 1.x stores times in whole milliseconds.
double TimeResolutionMs(const std::string& format) { return format == "netmon1" ? 1.0 : 0.001; }

TEST(Conformance, TheSevenFormatsOfACaptureAgree) {
  CORVANTA_SKIP_WITHOUT_CAPTURES(Manifest());
  std::map<std::string, const Output*> reference;
  for (const Output& o : Outputs())
    if (o.row.format == kReferenceFormat) reference[o.row.capture] = &o;
  std::map<std::string, std::set<std::string>> formats;
  for (const Output& o : Outputs()) formats[o.row.capture].insert(o.row.format);

  for (const Output& o : Outputs()) {
    SCOPED_TRACE(o.row.file);
    EXPECT_EQ(formats[o.row.capture].size(), 7u);
    ASSERT_TRUE(reference.count(o.row.capture));
    const Json& ref = reference[o.row.capture]->json;
    const Json& j = o.json;
    const bool lengths = KeepsLengths(o.row.format);
    const double resolution = TimeResolutionMs(o.row.format);

    // The protocol table.
    EXPECT_EQ(j["protocols"].keyOrder, ref["protocols"].keyOrder);
    for (const auto& [name, record] : ref["protocols"].Object()) {
      SCOPED_TRACE(name);
      EXPECT_EQ(j["protocols"][name]["frames"].Int(), record["frames"].Int());
      EXPECT_EQ(j["protocols"][name]["group_frames"].Int(), record["group_frames"].Int());
      if (lengths) {
        EXPECT_EQ(j["protocols"][name]["bytes"].Int(), record["bytes"].Int());
      }
    }
    EXPECT_EQ(j["encapsulations"]["Etype"].Int(), ref["encapsulations"]["Etype"].Int());
    EXPECT_EQ(j["encapsulations"]["LLC"].Int(), ref["encapsulations"]["LLC"].Int());

    // The client/server rows, in the table's order.
    const auto& rows = j["conversations"].Array();
    const auto& refRows = ref["conversations"].Array();
    ASSERT_EQ(rows.size(), refRows.size());
    for (size_t i = 0; i < rows.size(); ++i) {
      const Json& r = rows[i];
      const Json& x = refRows[i];
      SCOPED_TRACE("row " + std::to_string(i) + " " + x["client"].String() + " " + x["server"].String() + " " +
                   x["protocol"].String());
      EXPECT_EQ(r["client"].String(), x["client"].String());
      EXPECT_EQ(r["server"].String(), x["server"].String());
      EXPECT_EQ(r["protocol"].String(), x["protocol"].String());
      EXPECT_EQ(r["packets"].Int(), x["packets"].Int());
      EXPECT_EQ(r["marks"].String(), x["marks"].String());
      for (const char* event : {"E", "F", "G", "H", "I"}) EXPECT_EQ(r["events"][event].Int(), x["events"][event].Int());
      if (lengths) {
        EXPECT_EQ(r["bytes"].Int(), x["bytes"].Int());
      }
      // Times are shown in milliseconds with three decimals: one step of rounding, plus
      // the format's own resolution at each end of an interval.
      EXPECT_NEAR(DurationSeconds(r["duration"].String()), DurationSeconds(x["duration"].String()),
                  (2 * resolution + 1.0) / 1000);
      EXPECT_EQ(r["response_time_ms"].IsNull(), x["response_time_ms"].IsNull());
      if (!x["response_time_ms"].IsNull()) {
        EXPECT_NEAR(r["response_time_ms"].Number(), x["response_time_ms"].Number(), resolution + 0.0015);
      }
      for (const char* key : {"throughput_c2s", "throughput_s2c"}) {
        EXPECT_EQ(r[key].IsNull(), x[key].IsNull()) << key;
        // A throughput lasts at least 0.1 s: millisecond times move it by up to 2%.
        if (lengths && !x[key].IsNull()) {
          const double tolerance = x[key].Number() * (resolution >= 1 ? 0.025 : 0.001) + 0.0015;
          EXPECT_NEAR(r[key].Number(), x[key].Number(), tolerance) << key;
        }
      }
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

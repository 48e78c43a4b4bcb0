// Figures the main window shows that the JSON report gives as well: the per-second
// utilisation series and the conversations that are not rows of the table.
#include "CliTestSupport.h"
#include "SampleTraces.h"

namespace corvanta::testing {
namespace {

TEST(WindowFiguresJson, UtilizationSeriesHasOneRecordPerSecond) {
  TracePlan plan = SessionPlan(10, kEthernet);
  // Two more frames, 1.5 and 3 seconds in: three seconds in all.
  plan.frames.push_back({PadFrame(EthernetII(kBroadcastMac, kClientMac, 0x0806, {})), 0, 1500000, 0});
  plan.frames.push_back({PadFrame(EthernetII(kServerMac, kClientMac, 0x0806, {})), 0, 3000000, 0});
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(plan));
  RunResult r = RunCli({"--json", "--bandwidth", "100", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = ParseJson(r.out);
  const std::vector<Json>& series = j["utilization_series"].Array();
  ASSERT_EQ(series.size(), 3u);
  long long frames = 0, bytes = 0;
  for (const Json& s : series) {
    for (const char* key :
         {"start", "frames", "bytes", "broadcast_frames", "broadcast_bytes", "utilization", "broadcast_utilization"})
      EXPECT_TRUE(s.Has(key)) << key;
    frames += s["frames"].Int();
    bytes += s["bytes"].Int();
  }
  EXPECT_EQ(frames, j["frames"].Int());
  EXPECT_EQ(bytes, j["bytes"].Int());
  EXPECT_EQ(series[0]["start"].Number(), 0);
  EXPECT_EQ(series[1]["start"].Number(), 1.5);
  EXPECT_EQ(series[1]["broadcast_frames"].Int(), 1);
  // Against the display bandwidth: 64 bytes and 20 of overhead at 100 Mbit/s.
  EXPECT_NEAR(series[2]["utilization"].Number(), 84.0 * 100 / 12500000, 0.005);
}

TEST(WindowFiguresJson, ConversationsNotListedWithTheirReasons) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
  RunResult r = RunCli({"--json", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = ParseJson(r.out);
  const Json& n = j["conversations_not_listed"];
  long long sum = 0;
  for (const char* key : {"broadcast", "no_request", "unsupported", "unanswered"}) {
    ASSERT_TRUE(n.Has(key)) << key;
    sum += n[key].Int();
  }
  EXPECT_EQ(n["count"].Int(), sum);
  EXPECT_EQ(j["conversations"].Array().size(), 1u);
}

}  // namespace
}  // namespace corvanta::testing

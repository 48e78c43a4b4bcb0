// --conversation with the visualizer's ladder, diagnostics and problem summary.
#include "CliTestSupport.h"
#include "SampleTraces.h"

namespace corvanta::testing {
namespace {

TEST(VisualizerLadder, JsonLadderFollowsTheRangeAndTextPrintsTheTable) {
  TempDir dir;
  const Written w = WrittenKinds().front();
  const std::string path = dir.Write(w.name, WriteTrace(SessionPlan(w.kind, kEthernet)));

  RunResult json = RunCli({"--json", "--conversation", "1", path});
  ASSERT_EQ(json.status, 0) << json.err;
  Json j = ParseJson(json.out);
  const Json& a = j["analysis"];
  const auto& ladder = a["ladder"].Array();
  ASSERT_GE(ladder.size(), 2u);
  int64_t previous = 0;
  bool reverse = false;
  for (const Json& line : ladder) {
    EXPECT_GT(line["frame"].Int(), previous);  // both directions, by frame number
    previous = line["frame"].Int();
    reverse = reverse || line["direction"].String() == "reverse";
    EXPECT_FALSE(line["summary"].String().empty());
    EXPECT_EQ(line["columns"]["packet"].String(), std::to_string(line["frame"].Int()));
  }
  EXPECT_TRUE(reverse);
  EXPECT_EQ(ladder[0]["columns"]["dtime"].String(), "0.000000");
  EXPECT_TRUE(a["problems"]["forward"].IsArray());
  EXPECT_TRUE(a["problems"]["reverse"].IsArray());
  EXPECT_TRUE(a["diagnostics"].IsArray());

  RunResult ranged = RunCli({"--json", "--conversation", "1", "--frames-from", "3", "--frames-to", "6", path});
  ASSERT_EQ(ranged.status, 0) << ranged.err;
  const Json r = ParseJson(ranged.out)["analysis"];
  EXPECT_EQ(r["selection"]["first_frame"].Int(), 3);
  EXPECT_EQ(r["selection"]["last_frame"].Int(), 6);
  ASSERT_EQ(r["ladder"].Array().size(), 4u);
  EXPECT_EQ(r["ladder"].Array()[0]["frame"].Int(), 3);

  RunResult text = RunCli({"--conversation", "1", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Source to Destination Problem Summary\n"), std::string::npos);
  EXPECT_NE(text.out.find("\nTrellivue\n  Packet  Dir"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  <-  "), std::string::npos);

  EXPECT_EQ(RunCli({"--conversation", "1", "--frames-from", "x", path}).status, 1);
}

}  // namespace
}  // namespace corvanta::testing

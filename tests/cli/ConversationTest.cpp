// --conversation: the toolbox's analysis of one row of the client/server table.
#include "CliTestSupport.h"
#include "SampleTraces.h"

namespace corvanta::testing {
namespace {

TEST(Conversation, JsonAndTextOfOneRow) {
  TempDir dir;
  const Written w = WrittenKinds().front();
  const std::string path = dir.Write(w.name, WriteTrace(SessionPlan(w.kind, kEthernet)));

  RunResult json = RunCli({"--json", "--conversation", "1", path});
  ASSERT_EQ(json.status, 0) << json.err;
  bool ok = false;
  Json j = ParseJson(json.out, &ok);
  ASSERT_TRUE(ok) << json.out;
  const Json& a = j["analysis"];
  EXPECT_EQ(a["conversation"].Int(), 1);
  EXPECT_EQ(a["selection"]["source"].String(), "10.0.0.1");
  EXPECT_EQ(a["selection"]["destination"].String(), "10.0.0.2");
  EXPECT_EQ(a["selection"]["protocol"].String(), j["conversations"].Array()[0]["protocol"].String());
  EXPECT_EQ(a["selection"]["first_frame"].Int(), 1);
  EXPECT_EQ(a["selection"]["last_frame"].Int(), j["frames"].Int());
  ASSERT_EQ(a["throughput"].Array().size(), 2u);
  ASSERT_EQ(a["latency"].Array().size(), 2u);
  const Json& upper = a["throughput"].Array()[0];
  EXPECT_EQ(upper["title"].String(), "From 10.0.0.1 to 10.0.0.2");
  EXPECT_TRUE(upper["peak"].IsNull());  // 7 packets: fewer than the window of 8
  EXPECT_EQ(upper["memo"].Array()[1].String().rfind("There are only 7 packets from the source", 0), 0u);
  const Json& latency = a["latency"].Array()[0];
  EXPECT_EQ(latency["state"].Int(), 0);
  EXPECT_GE(latency["pairs"].Int(), 6);
  EXPECT_DOUBLE_EQ(latency["best_ms"].Number(), 20.0);
  EXPECT_EQ(latency["send_to_receive_ratio"].String(), "1:1");
  EXPECT_EQ(a["latency"].Array()[1]["title"].String(), "Sender: 10.0.0.2  Responder: 10.0.0.1");

  // The what-if window as the half's button opens it: seeded, full duplex, two rows a speed.
  const Json& whatIf = latency["what_if"];
  EXPECT_EQ(whatIf["inputs"]["latency_ms"].Int(), 20);
  EXPECT_EQ(whatIf["inputs"]["send_ratio"].Int(), 1);
  EXPECT_EQ(whatIf["inputs"]["packets_per_transaction"].Int(), 2);
  EXPECT_TRUE(std::get<bool>(whatIf["inputs"]["full_duplex"].value));
  const auto& rows = whatIf["rows"].Array();
  ASSERT_EQ(rows.size(), 40u);
  EXPECT_EQ(rows[0]["link"].String(), "Send");
  EXPECT_EQ(rows[0]["bits_per_sec"].Int(), 32000);
  EXPECT_EQ(rows[0]["bytes_per_sec"].Int(), 4000);
  EXPECT_TRUE(rows[0]["resp_time_secs"].IsNull());
  EXPECT_EQ(rows[39]["link"].String(), "Receive");
  EXPECT_EQ(rows[39]["bits_per_sec"].Int(), 1000000000);
  // A faster link answers sooner, never under the 20 ms of latency.
  EXPECT_GT(rows[1]["resp_time_secs"].Number(), rows[39]["resp_time_secs"].Number());
  EXPECT_GE(rows[39]["resp_time_secs"].Number(), 0.02);
  EXPECT_GT(rows[1]["utilization"].Number(), rows[39]["utilization"].Number());

  // Inputs set on the command line over the seeded ones: half duplex, one row a speed.
  RunResult set = RunCli({"--json", "--conversation", "1", "--what-if", "users=40,full_duplex=0,host_ms=99999", path});
  ASSERT_EQ(set.status, 0) << set.err;
  const Json setWhatIf = ParseJson(set.out)["analysis"]["latency"].Array()[0]["what_if"];
  EXPECT_EQ(setWhatIf["inputs"]["users"].Int(), 40);
  EXPECT_EQ(setWhatIf["inputs"]["host_ms"].Int(), 10000);
  EXPECT_EQ(setWhatIf["inputs"]["latency_ms"].Int(), 20);
  ASSERT_EQ(setWhatIf["rows"].Array().size(), 20u);
  EXPECT_EQ(setWhatIf["rows"].Array()[0]["link"].String(), "Send/Rcv");
  // The windows' controls: kilobits are eight times the kilobytes of the same sampling.
  RunResult bits = RunCli({"--json", "--conversation", "1", "--kbits", "--sample-window", "4", "--responses", "small",
                           "--no-local-media-time", "--no-ack-packets", path});
  RunResult bytes = RunCli({"--json", "--conversation", "1", "--sample-window", "4", "--no-ack-packets", path});
  ASSERT_EQ(bits.status, 0) << bits.err;
  const Json b = ParseJson(bits.out)["analysis"];
  EXPECT_EQ(b["sample_window"].Int(), 4);
  EXPECT_EQ(b["throughput_unit"].String(), "KBits/Second");
  EXPECT_EQ(b["responses"].String(), "small");
  EXPECT_FALSE(std::get<bool>(b["include_local_media_time"].value));
  EXPECT_FALSE(std::get<bool>(b["include_ack_packets"].value));
  const Json lower = ParseJson(bytes.out)["analysis"]["throughput"].Array()[1];
  ASSERT_TRUE(lower["average"].IsNumber()) << bytes.out;
  EXPECT_NEAR(b["throughput"].Array()[1]["average"].Number(), 8 * lower["average"].Number(), 0.01);

  for (const std::vector<std::string>& bad : {std::vector<std::string>{"--json", "--what-if", "users=2", path},
                                              {"--json", "--kbits", path},
                                              {"--json", "--conversation", "1", "--sample-window", "3", path},
                                              {"--json", "--conversation", "1", "--responses", "tiny", path},
                                              {"--json", "--conversation", "1", "--what-if", "people=2", path},
                                              {"--json", "--conversation", "1", "--what-if", "users=2,", path},
                                              {"--json", "--conversation", "1", "--what-if", "users=two", path}}) {
    RunResult r = RunCli(bad);
    EXPECT_EQ(r.status, 1) << bad[bad.size() - 2];
    EXPECT_EQ(r.out, "");
  }

  RunResult text = RunCli({"--conversation", "1", path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Conversation 1: TCP/Port 1030<->HTTP\nSource: 10.0.0.1  Destination: 10.0.0.2"),
            std::string::npos);
  EXPECT_NE(text.out.find("    Best: 20.000 ms\n"), std::string::npos) << text.out;

  // A row the table does not have.
  RunResult missing = RunCli({"--json", "--conversation", "2", path});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("has no conversation 2"), std::string::npos);
  EXPECT_TRUE(ParseJson(missing.out).IsObject());
  EXPECT_FALSE(ParseJson(missing.out).Has("analysis"));
  for (const char* bad : {"0", "x", "-3"}) {
    RunResult r = RunCli({"--conversation", bad, path});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
}  // namespace corvanta::testing

// The three output modes over a trace of every supported kind and medium written by the
// test writers, the refusals and the usage errors, through the program itself.
#include <algorithm>

#include "CliTestSupport.h"
#include "SampleTraces.h"
#include "trace/Detection.h"

namespace corvanta::testing {
namespace {

TEST(Modes, EverySupportedKindReadsInAllThreeModes) {
  std::set<int> kinds;
  for (const Written& w : WrittenKinds()) {
    SCOPED_TRACE(std::to_string(w.kind) + (w.topology == kTokenRing ? " Token Ring " : " Ethernet ") + w.name);
    kinds.insert(w.kind);
    const TraceSpec plan = SessionSpec(w.kind, w.topology);
    TempDir dir;
    const std::vector<uint8_t> image = WriteTrace(plan);
    ASSERT_FALSE(image.empty());
    const std::string path = dir.Write(w.name, image);

    RunResult frames = RunCli({"--frames", path});
    ASSERT_EQ(frames.status, 0) << frames.err;
    EXPECT_EQ(std::count(frames.out.begin(), frames.out.end(), '\n'), static_cast<long>(plan.frames.size()));
    EXPECT_EQ(frames.out.substr(0, 2), "1\t");

    RunResult json = RunCli({"--json", path});
    ASSERT_EQ(json.status, 0) << json.err;
    bool ok = false;
    Json j = ParseJson(json.out, &ok);
    ASSERT_TRUE(ok) << json.out;
    EXPECT_EQ(j["analyzer"].Int(), w.kind);
    EXPECT_EQ(j["topology"].String(), w.topology == kTokenRing ? "Token Ring" : "Ethernet");
    EXPECT_EQ(j["frames"].Int(), static_cast<long long>(plan.frames.size()));
    // Token Ring counts the all-ones address with the multicast (functional) frames, and
    // 01-00-5E-... is no group address there.
    EXPECT_EQ(j["broadcast_frames"].Int(), w.topology == kTokenRing ? 0 : 1);
    EXPECT_EQ(j["multicast_frames"].Int(), 1);
    EXPECT_EQ(j["protocols"]["ARP/RARP"]["frames"].Int(), 2);
    EXPECT_EQ(j["protocols"]["IP"]["frames"].Int(), 15);
    EXPECT_EQ(j["sending_ip_addresses"].Int(), 2);
    ASSERT_EQ(j["conversations"].Array().size(), 1u);
    const Json& c = j["conversations"].Array()[0];
    EXPECT_EQ(c["client"].String(), "10.0.0.1");
    EXPECT_EQ(c["server"].String(), "10.0.0.2");
    EXPECT_EQ(c["protocol"].String(), "TCP/Port 1030<->HTTP");
    EXPECT_EQ(c["packets"].Int(), 14);
    EXPECT_EQ(j["size_buckets"].Array().size(), 72u);

    RunResult text = RunCli({path});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("File Attributes"), std::string::npos);
    EXPECT_NE(text.out.find("1 Conversation Analyzed"), std::string::npos);
    EXPECT_NE(text.out.find(w.topology == kTokenRing ? "Soft Error Summary" : "Collision Fragment Analysis"),
              std::string::npos);
  }
  EXPECT_EQ(kinds.size(), SupportedAnalyzers.size());
}

TEST(Modes, TheJsonKeysScriptsDependOn) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionSpec(10, kEthernet)));
  RunResult r = RunCli({"--json", "--bandwidth", "100", "--full-duplex", path});
  ASSERT_EQ(r.status, 0) << r.err;
  Json j = ParseJson(r.out);
  for (const char* key : {"file",
                          "analyzer",
                          "analyzer_name",
                          "topology",
                          "bandwidth_mbps",
                          "start_time",
                          "duration",
                          "comment",
                          "frames",
                          "bytes",
                          "broadcast_frames",
                          "multicast_frames",
                          "largest_frame",
                          "encapsulations",
                          "protocols",
                          "size_buckets",
                          "utilization",
                          "errors",
                          "stations",
                          "sending_stations",
                          "ip_addresses",
                          "sending_ip_addresses",
                          "ipx_addresses",
                          "sending_ipx_addresses",
                          "checksum_offload",
                          "conversations"})
    EXPECT_TRUE(j.Has(key)) << key;
  for (const char* key : {"average", "peak", "peak_bytes", "peak_frames", "broadcast_average", "broadcast_peak"})
    EXPECT_TRUE(j["utilization"].Has(key)) << key;
  for (const char* key : {"crc", "runts", "long", "fragments"}) EXPECT_TRUE(j["errors"].Has(key)) << key;
  EXPECT_EQ(j["file"].String(), path);
  EXPECT_EQ(j["analyzer_name"].String(), "NAI NetXRay/Sniffer Windows");
  EXPECT_EQ(j["bandwidth_mbps"].Int(), 100);
  EXPECT_EQ(j["start_time"].String(), "2000-01-01T12:00:00.000");  // TZ=UTC
  EXPECT_EQ(j["duration"].String(), "00:00:00.320");
  EXPECT_EQ(j["multicast_frames"].Int(), 1);
  EXPECT_EQ(j["encapsulations"]["Etype"].Int(), 17);
  EXPECT_EQ(j["protocols"].keyOrder, (std::vector<std::string>{"ARP/RARP", "IP"}));
  const Json& c = j["conversations"].Array().at(0);
  for (const char* key : {"client", "server", "protocol", "packets", "bytes", "duration", "response_time_ms",
                          "throughput_c2s", "throughput_s2c", "marks", "events"})
    EXPECT_TRUE(c.Has(key)) << key;
  EXPECT_TRUE(c["response_time_ms"].IsNumber());
  EXPECT_TRUE(c["throughput_c2s"].IsNumber());
  EXPECT_EQ(c["events"].keyOrder, (std::vector<std::string>{"E", "F", "G", "H", "I"}));
}

TEST(Modes, TextReportFollowsTheSeparatorAndBandwidth) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionSpec(10, kEthernet)));
  RunResult plain = RunCli({path});
  ASSERT_EQ(plain.status, 0);
  EXPECT_NE(plain.out.find("Media Utilization (based on 10 Mbps)"), std::string::npos);
  RunResult r = RunCli({"--locale-separator", ".", "--bandwidth", "1000", "--full-duplex", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("Bandwidth  2000 Mbps"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Media Utilization (based on 1000 Mbps)"), std::string::npos);
  // Total bytes and the ARP row's packet percent.
  EXPECT_NE(plain.out.find(" 7,142\n"), std::string::npos) << plain.out;
  EXPECT_NE(plain.out.find(" 11.80% "), std::string::npos);
  EXPECT_NE(r.out.find(" 7.142\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" 11,80% "), std::string::npos);
}

TEST(Modes, AHeaderBandwidthUnderOneMbitShowsTheBandwidthMeasuredAgainst) {
  TraceSpec plan = SessionSpec(10, kEthernet);
  plan.bandwidth = 500000;  // 0 Mbit/s after the integer division
  TempDir dir;
  const std::string path = dir.Write("slow.cap", WriteTrace(plan));
  RunResult r = RunCli({"--json", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ParseJson(r.out)["bandwidth_mbps"].Int(), 10);
  RunResult text = RunCli({path});
  EXPECT_NE(text.out.find("Media Utilization (based on 10 Mbps)"), std::string::npos) << text.out;
}

TEST(Modes, TokenRingSoftErrors) {
  TempDir dir;
  const std::string path = dir.Write("ring.cap", WriteTrace(RingErrorsSpec(10)));
  RunResult r = RunCli({"--json", path});
  ASSERT_EQ(r.status, 0) << r.err;
  Json j = ParseJson(r.out);
  EXPECT_EQ(j["topology"].String(), "Token Ring");
  EXPECT_EQ(j["encapsulations"].keyOrder, (std::vector<std::string>{"LLC", "SNAP", "MAC"}));
  EXPECT_EQ(j["encapsulations"]["MAC"].Int(), 9);
  EXPECT_EQ(j["soft_errors"]["line"].Int(), 4);
  EXPECT_EQ(j["soft_errors"]["burst"].Int(), 2);
  EXPECT_EQ(j["soft_errors"]["lost_frame"].Int(), 1);
  EXPECT_EQ(j["soft_errors"]["receive_congestion"].Int(), 4);
  EXPECT_EQ(j["conversations"].Array().size(), 0u);

  RunResult text = RunCli({path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("1 station (marked by an *) has had multiple upstream neighbors."), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("No IP or IPX packets in trace file."), std::string::npos);
  EXPECT_EQ(text.out.find("Novell Raw"), std::string::npos);
  EXPECT_NE(text.out.find("Functional"), std::string::npos);
}

TEST(Modes, RefusalsGiveFileAndErrorAndExitTwo) {
  TempDir dir;
  const std::string small = dir.Write("small.cap", std::vector<uint8_t>(39, 0));
  const std::string notTrace = dir.Write("notes.txt", std::vector<uint8_t>(400, 'x'));
  const std::string good = dir.Write("good.cap", WriteTrace(SessionSpec(10, kEthernet)));

  RunResult r = RunCli({"--json", small, good, notTrace, dir.File("missing.cap")});
  EXPECT_EQ(r.status, 2);
  bool ok = false;
  Json j = ParseJson(r.out, &ok);
  ASSERT_TRUE(ok) << r.out;
  ASSERT_EQ(j.Array().size(), 4u);
  EXPECT_EQ(j.Array()[0].keyOrder, (std::vector<std::string>{"file", "error"}));
  EXPECT_EQ(j.Array()[0]["error"].String(), "small.cap is too small.");
  EXPECT_EQ(j.Array()[1]["frames"].Int(), 17);
  EXPECT_EQ(j.Array()[2]["error"].String(), "notes.txt is osbolete, not supported, or not a trace file.");
  EXPECT_EQ(j.Array()[3]["error"].String(), "Unable to open Source file.  File is in use or name is bad.");

  RunResult text = RunCli({notTrace, good});
  EXPECT_EQ(text.status, 2);
  EXPECT_EQ(text.err, "notes.txt is osbolete, not supported, or not a trace file.\n");
  EXPECT_NE(text.out.find("Trace: " + good), std::string::npos);

  RunResult frames = RunCli({"--frames", small});
  EXPECT_EQ(frames.status, 2);
  EXPECT_EQ(frames.out, "");
  EXPECT_EQ(frames.err, "small.cap is too small.\n");

  RunResult one = RunCli({"--json", good});
  EXPECT_EQ(one.status, 0);
  EXPECT_TRUE(ParseJson(one.out).IsObject());  // one trace: an object, not an array
}

TEST(Modes, UsageErrorsExitOne) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"--json"},
                                             {"--json", "--frames", "x.cap"},
                                             {"--bandwidth"},
                                             {"--bandwidth", "fast", "x.cap"},
                                             {"--bandwidth", "0", "x.cap"},
                                             {"--locale-separator", "ab", "x.cap"},
                                             {"--nonsense", "x.cap"}}) {
    RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 1) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("corvanta-cli: "), std::string::npos);
  }
  RunResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"--json", "--frames", "--bandwidth", "--full-duplex", "--locale-separator", "Exit status"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  RunResult version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("Corvanta ", 0), 0u);
}

}  // namespace
}  // namespace corvanta::testing

// The three output modes over a trace of every supported kind and medium written by the
// test writers, the refusals and the usage errors, through the program itself.
#include <algorithm>
#include <regex>

#include "CliTestSupport.h"
#include "Packets.h"
#include "SampleTraces.h"
#include "trace/Bytes.h"
#include "trace/Detection.h"
#include "trace/FrameRecord.h"

namespace corvanta::testing {
namespace {

TEST(Modes, EverySupportedKindReadsInAllThreeModes) {
  std::set<int> kinds;
  for (const Written& w : WrittenKinds()) {
    SCOPED_TRACE(std::to_string(w.kind) + (w.topology == kTokenRing ? " Token Ring " : " Ethernet ") + w.name);
    kinds.insert(w.kind);
    const TracePlan plan = SessionPlan(w.kind, w.topology);
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
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
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
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
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
  TracePlan plan = SessionPlan(10, kEthernet);
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
  const std::string path = dir.Write("ring.cap", WriteTrace(RingErrorsPlan(10)));
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
  // The page's reports: station, upstream neighbour and count, the twice-reported one marked.
  const Json& dlc = j["dlc_errors"];
  const auto& reports = dlc["soft_error_reports"].Array();
  ASSERT_EQ(reports.size(), 10u);
  EXPECT_EQ(reports[1]["error"].String(), "Line Error");
  EXPECT_EQ(reports[1]["group"].String(), "Fault Domain");
  EXPECT_EQ(reports[1]["stations"].Int(), 2);
  EXPECT_EQ(reports[7]["error"].String(), "Rcvr Congestion");
  ASSERT_EQ(reports[7]["reports"].Array().size(), 1u);
  EXPECT_EQ(reports[7]["reports"].Array()[0].String().substr(reports[7]["reports"].Array()[0].String().size() - 2),
            "/4");
  EXPECT_EQ(dlc["marked_stations"].Int(), 1);
  EXPECT_EQ(dlc["memo"].Array().back().String(), "1 station (marked by an *) has had multiple upstream neighbors.");
  // The ring map: the poll's three stations in ring order, the reporter's neighbours by entry.
  const auto& ring = dlc["ring_map"]["stations"].Array();
  ASSERT_EQ(ring.size(), 3u);
  EXPECT_EQ(dlc["ring_map"]["caption"].String(), "(Downstream neighbors are clockwise)");
  EXPECT_EQ(ring[0]["state"].String(), "Active Monitor");
  EXPECT_EQ(ring[1]["address"].String(), "10005A000002");
  EXPECT_EQ(ring[1]["state"].String(), "Standby Monitor");
  EXPECT_EQ(ring[1]["line_upstream"].Array().size(), 2u);
  EXPECT_TRUE(std::get<bool>(ring[2]["congestion_errors"].value));

  RunResult text = RunCli({path});
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("1 station (marked by an *) has had multiple upstream neighbors."), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("No IP or IPX packets in trace file."), std::string::npos);
  EXPECT_EQ(text.out.find("Novell Raw"), std::string::npos);
  EXPECT_NE(text.out.find("Functional"), std::string::npos);
}

TEST(Modes, EthernetCollisionSuspects) {
  // The client sends 20 frames; two collision fragments come before its 6th and its 16th, and
  // the two frames after each fragment count as sent after a collision.
  TracePlan plan;
  double t = 0;
  for (int i = 0; i < 20; ++i) {
    if (i == 5 || i == 15) plan.frames.push_back({Bytes(40, 0x55), 0, t += 100, kStatusCrcError});
    plan.frames.push_back({PadFrame(EthernetII(kServerMac, kClientMac, 0x0806, {})), 0, t += 100, 0});
  }
  TempDir dir;
  RunResult r = RunCli({"--json", dir.Write("trace.cap", WriteTrace(plan))});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json dlc = ParseJson(r.out)["dlc_errors"];
  const auto& rows = dlc["collisions"].Array();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0]["address"].String(), "0020AF112233");
  EXPECT_EQ(rows[0]["transmits"].Int(), 20);
  EXPECT_EQ(rows[0]["retransmits"].Int(), 4);
  EXPECT_EQ(rows[0]["percent"].Int(), 20);
  EXPECT_EQ(dlc["memo"].Array().size(), 1u);  // "Notes": 20 frames are too few to suspect
}

TEST(Modes, ProblemSettingsJudgeTheTable) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
  // The session's response times are 20 ms: slow against a threshold of 10 ms, not of 1000.
  auto slow = [&](const std::string& threshold) {
    RunResult r = RunCli({"--json", "--problem-setting", "ThresholdCSSlowResponseTime=" + threshold, path});
    EXPECT_EQ(r.status, 0) << r.err;
    return ParseJson(r.out)["problem_totals"]["B"].Int();
  };
  EXPECT_EQ(slow("1000"), 0);
  EXPECT_EQ(slow("10"), 1);
  for (const char* bad : {"ThresholdCSSlowResponseTime=0", "EnableICMP=2", "Nothing=1", "EnableICMP"}) {
    RunResult r = RunCli({"--json", "--problem-setting", bad, path});
    EXPECT_EQ(r.status, 1) << bad;
    EXPECT_NE(r.err.find("invalid problem finder setting"), std::string::npos) << r.err;
  }
}

TEST(Modes, ServerPortsNameTheProtocols) {
  TempDir dir;
  const std::string path = dir.Write("trace.cap", WriteTrace(SessionPlan(10, kEthernet)));
  RunResult r = RunCli({"--json", "--conversation", "1", "--server-port", "80=Web Shop", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = ParseJson(r.out);
  EXPECT_EQ(j["conversations"].Array()[0]["protocol"].String(), "TCP/Port 1030<->Web Shop");
  EXPECT_EQ(j["analysis"]["selection"]["protocol"].String(), "TCP/Port 1030<->Web Shop");
  for (const char* bad : {"80", "80=", "http=Web", "65536=Web"})
    EXPECT_EQ(RunCli({"--json", "--server-port", bad, path}).status, 1) << bad;
}

TEST(Modes, RefusalsGiveFileAndErrorAndExitTwo) {
  TempDir dir;
  const std::string small = dir.Write("small.cap", std::vector<uint8_t>(39, 0));
  const std::string notTrace = dir.Write("notes.txt", std::vector<uint8_t>(400, 'x'));
  const std::string good = dir.Write("good.cap", WriteTrace(SessionPlan(10, kEthernet)));

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

// A trace whose reading ends at an unreadable record before the end of the file is reported
// with what was read and marked as partial; a trace its reader cannot open is refused.
TEST(Modes, PartialReadsAndReaderRefusals) {
  TempDir dir;
  std::vector<uint8_t> image = WriteTrace(SessionPlan(15, kEthernet));
  const std::vector<uint8_t> whole = image;
  // The second record's length now reaches past the end of the file.
  const size_t second = 16 + ByteView(image.data(), image.size()).U32be(16 + 8);
  SetBe32(image, second + 8, static_cast<uint32_t>(image.size()));
  const std::string cut = dir.Write("cut.snoop", image);
  const std::string good = dir.Write("good.snoop", whole);

  RunResult r = RunCli({"--json", cut, good});
  EXPECT_EQ(r.status, 0) << r.err;
  Json j = ParseJson(r.out);
  ASSERT_EQ(j.Array().size(), 2u);
  EXPECT_EQ(j.Array()[0]["frames"].Int(), 1);
  EXPECT_FALSE(std::get<bool>(j.Array()[0]["complete"].value));
  EXPECT_EQ(j.Array()[0]["bytes_read"].Int(), static_cast<long long>(second));
  EXPECT_TRUE(std::get<bool>(j.Array()[1]["complete"].value));
  EXPECT_EQ(j.Array()[1]["bytes_read"].Int(), static_cast<long long>(whole.size()));

  RunResult text = RunCli({"--locale-separator", "", cut});
  EXPECT_EQ(text.status, 0);
  EXPECT_NE(text.out.find("FILE PARTIALLY READ: " + std::to_string(second) + " of " + std::to_string(image.size()) +
                          " bytes read\n"),
            std::string::npos)
      << text.out;
  EXPECT_EQ(RunCli({good}).out.find("PARTIALLY"), std::string::npos);

  // A Domino trace whose chunks stop before naming the frame index.
  std::vector<uint8_t> domino = WriteTrace(SessionPlan(22, kEthernet));
  const std::string fram = "FRAM";
  const auto chunk = std::search(domino.begin() + 78, domino.end(), fram.begin(), fram.end());
  ASSERT_NE(chunk, domino.end());
  std::copy_n("STOP", 4, chunk);
  const std::string stop = dir.Write("stop.cap", domino);
  RunResult refused = RunCli({"--json", stop});
  EXPECT_EQ(refused.status, 2);
  EXPECT_EQ(ParseJson(refused.out)["error"].String(), "stop.cap contains no frames.");
  RunResult refusedText = RunCli({stop});
  EXPECT_EQ(refusedText.status, 2);
  EXPECT_EQ(refusedText.err, "stop.cap contains no frames.\n");
}

// A script has no Options menu: libpcap and pcapng files are read unless --no-pcap asks for
// the desktop program's default refusals.
TEST(Modes, PcapFilesAreReadUnlessNoPcap) {
  TempDir dir;
  const std::string pcap = dir.Write("lab.pcap", WriteTrace(SessionPlan(kAnalyzerTcpdump, kEthernet)));
  const std::string pcapng = dir.Write("lab.pcapng", WriteTrace(SessionPlan(kAnalyzerPcapNg, kTokenRing)));
  const std::string snoop = dir.Write("lab.snoop", WriteTrace(SessionPlan(kAnalyzerSnoop, kEthernet)));
  RunResult r = RunCli({"--json", pcap, pcapng, snoop});
  ASSERT_EQ(r.status, 0) << r.err;
  Json j = ParseJson(r.out);
  ASSERT_EQ(j.Array().size(), 3u);
  EXPECT_EQ(j.Array()[0]["analyzer"].Int(), 17);
  EXPECT_EQ(j.Array()[0]["analyzer_name"].String(), "tcpdump");
  EXPECT_EQ(j.Array()[1]["analyzer"].Int(), 25);
  EXPECT_EQ(j.Array()[1]["analyzer_name"].String(), "pcapng");
  EXPECT_EQ(j.Array()[1]["topology"].String(), "Token Ring");
  // The snoop copy of the same frames gives the same counts.
  for (const char* key : {"frames", "bytes", "broadcast_frames", "stations"})
    EXPECT_EQ(j.Array()[0][key].Int(), j.Array()[2][key].Int()) << key;

  RunResult off = RunCli({"--no-pcap", pcap, pcapng});
  EXPECT_EQ(off.status, 2);
  EXPECT_EQ(off.err,
            "lab.pcap contains an unsupported analyzer or topology.\n"
            "lab.pcapng is osbolete, not supported, or not a trace file.\n");
  EXPECT_NE(RunCli({"--help"}).out.find("--no-pcap"), std::string::npos);
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
                                             {"--threads", "0", "x.cap"},
                                             {"--nonsense", "x.cap"}}) {
    RunResult r = RunCli(args);
    EXPECT_EQ(r.status, 1) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("corvanta-cli: "), std::string::npos);
  }
  RunResult help = RunCli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* text : {"--json", "--frames", "--bandwidth", "--full-duplex", "--locale-separator", "--threads",
                           "--timings", "Exit status"})
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  RunResult version = RunCli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.rfind("Corvanta ", 0), 0u);
}

// Hundreds of short TCP and UDP exchanges between many hosts, some retransmitted, so that
// the client/server table is measured in several groups; a third of the TCP servers listen
// on a port of their own, learned from the SYNs, so that their directions are set after the
// pass in several groups too.
TracePlan ManyConversationsPlan() {
  TracePlan plan;
  plan.kind = 15;
  double t = 0;
  auto add = [&](Bytes bytes) {
    plan.frames.push_back({std::move(bytes), 0, t, 0});
    t += 700 + 13 * static_cast<double>(plan.frames.size() % 7);
  };
  for (int i = 0; i < 600; ++i) {
    const MacAddr cm = {0x00, 0x20, 0xAF, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)};
    const Ip4Addr ci = {10, 1, static_cast<uint8_t>(i / 40), static_cast<uint8_t>(1 + i % 40)};
    const bool learned = i % 3 == 1;
    const Ip4Addr si = {192, 168, learned ? uint8_t{1} : uint8_t{0}, static_cast<uint8_t>(1 + i % (learned ? 120 : 9))};
    const uint16_t sport = learned ? 40123 : 80;
    const auto cport = static_cast<uint16_t>(2000 + i);
    if (i % 5 == 4) {
      add(PadFrame(EthernetII(kServerMac, cm, 0x0800, IpUdp(ci, si, cport, 53, Filler(40)))));
      add(PadFrame(EthernetII(cm, kServerMac, 0x0800, IpUdp(si, ci, 53, cport, Filler(90)))));
      continue;
    }
    const uint32_t cseq = 1000u * static_cast<uint32_t>(i), sseq = 7u * static_cast<uint32_t>(i);
    auto tcp = [&](bool fromClient, uint8_t flags, uint32_t seq, uint32_t ack, size_t size) {
      const TcpSegment s{.srcPort = fromClient ? cport : sport,
                         .dstPort = fromClient ? sport : cport,
                         .seq = seq,
                         .ack = ack,
                         .flags = flags,
                         .payload = Filler(size)};
      add(PadFrame(fromClient ? EthernetII(kServerMac, cm, 0x0800, IpTcp(ci, si, s))
                              : EthernetII(cm, kServerMac, 0x0800, IpTcp(si, ci, s))));
    };
    tcp(true, kTcpSyn, cseq, 0, 0);
    tcp(false, kTcpSyn | kTcpAck, sseq, cseq + 1, 0);
    tcp(true, kTcpAck | kTcpPsh, cseq + 1, sseq + 1, 100 + static_cast<size_t>(i % 300));
    tcp(false, kTcpAck | kTcpPsh, sseq + 1, cseq + 101, 1000);
    if (i % 7 == 0) tcp(false, kTcpAck | kTcpPsh, sseq + 1, cseq + 101, 1000);  // sent again
    tcp(true, kTcpAck, cseq + 101, sseq + 1001, 0);
  }
  return plan;
}

// The report must not depend on how the work was shared out: the direct pass on one thread,
// the reader ahead and the table measured on several.
TEST(Modes, JsonIsTheSameOnOneAndSeveralThreads) {
  TempDir dir;
  const std::string many = dir.Write("many.snoop", WriteTrace(ManyConversationsPlan()));
  const std::string session = dir.Write("session.cap", WriteTrace(SessionPlan(10, kEthernet)));
  // Runts after full frames: what lies past their bytes must read alike on every path.
  TracePlan ring = SessionPlan(10, kTokenRing);
  for (size_t i = ring.frames.size(); i-- > 0;)
    ring.frames.insert(ring.frames.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                       {Bytes{0x10, 0x40, 0x00}, 0, ring.frames[i].offsetUs + 1, 0});
  const std::string runts = dir.Write("runts.cap", WriteTrace(ring));
  const RunResult one = RunCli({"--json", "--threads", "1", many, session, runts});
  ASSERT_EQ(one.status, 0) << one.err;
  bool ok = false;
  const Json j = ParseJson(one.out, &ok);
  ASSERT_TRUE(ok);
  ASSERT_GE(j.Array().size(), 1u);
  EXPECT_GE(j.Array()[0]["conversations"].Array().size(), 600u);
  for (const char* threads : {"2", "3", "8"}) {
    const RunResult several = RunCli({"--json", "--threads", threads, many, session, runts});
    EXPECT_EQ(several.status, 0);
    EXPECT_TRUE(several.out == one.out) << threads << " threads";
  }
}

// --timings says where each read trace's time went, on standard error only.
TEST(Modes, TimingsChangeNothingButStandardError) {
  TempDir dir;
  const std::string session = dir.Write("session.cap", WriteTrace(SessionPlan(10, kEthernet)));
  const std::string refused = dir.Write("empty.cap", {});
  const std::regex line(
      "corvanta-cli: .*session\\.cap: frame pass \\d+\\.\\d{3} s, client/server table \\d+\\.\\d{3} s, "
      "the rest \\d+\\.\\d{3} s, total \\d+\\.\\d{3} s\n");
  for (const char* mode : {"--json", "--bandwidth=10"}) {
    const RunResult plain = RunCli({mode, session, refused});
    const RunResult timed = RunCli({mode, "--timings", session, refused});
    EXPECT_EQ(timed.status, plain.status) << mode;
    EXPECT_TRUE(timed.out == plain.out) << mode;
    // The refused trace gets no line.
    std::smatch found;
    ASSERT_TRUE(std::regex_search(timed.err, found, line)) << mode << ": " << timed.err;
    EXPECT_EQ(timed.err.size(), plain.err.size() + static_cast<size_t>(found.length())) << timed.err;
  }
}

}  // namespace
}  // namespace corvanta::testing

// The engine and the table on conversations that the decoder filed from frames, and on the
// real captures.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "Packets.h"
#include "analysis/ClientServerTable.h"
#include "analysis/ConversationEngine.h"
#include "analysis/Selection.h"
#include "decode/Decoder.h"
#include "decode/DecoderHarness.h"
#include "trace/OpenTrace.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const Ip4Addr kClientIp = {192, 168, 1, 10};
const Ip4Addr kServerIp = {192, 168, 1, 20};
const MacAddr kClientMac = Station(0x10);
const MacAddr kServerMac = Station(0x20);

AddressKey KeyOf(const Ip4Addr& ip) { return AddressKey::Of(ip.data(), ip.size()); }

struct Wire {
  DecoderHarness h;
  // A segment between the client's port 1025 and the server's port 80.
  void Send(bool fromClient, uint32_t seq, uint32_t ack, uint8_t flags, size_t payload, double time) {
    TcpSegment s;
    s.srcPort = fromClient ? 1025 : 80;
    s.dstPort = fromClient ? 80 : 1025;
    s.seq = seq;
    s.ack = ack;
    s.flags = flags;
    s.payload = Filler(payload);
    if (fromClient)
      h.Feed(EthernetII(kServerMac, kClientMac, 0x0800, IpTcp(kClientIp, kServerIp, s)), time);
    else
      h.Feed(EthernetII(kClientMac, kServerMac, 0x0800, IpTcp(kServerIp, kClientIp, s)), time);
  }
  ClientServerTable Table(const BrisqonSettings& settings = {}) {
    ClientServerTable table;
    ClientServerOptions options;
    options.LastFrame = h.Frame().FrameNumber;
    table.Build(ClientServerSources{h.model, settings}, options);
    return table;
  }
};

// A handshake and four requests, each answered 5 ms later; the second request is sent twice.
TEST(ClientServerTableDecodeTest, DecodedHttpExchange) {
  Wire w;
  const double t0 = 1e9;
  w.Send(true, 100, 0, kTcpSyn, 0, t0);
  w.Send(false, 500, 101, kTcpSyn | kTcpAck, 0, t0 + 1000);
  w.Send(true, 101, 501, kTcpAck, 0, t0 + 2000);
  for (uint32_t k = 0; k < 4; ++k) {
    double base = t0 + 100000.0 * (k + 1);
    w.Send(true, 101 + 200 * k, 501 + 1000 * k, kTcpPsh | kTcpAck, 200, base);
    if (k == 1) w.Send(true, 101 + 200 * k, 501 + 1000 * k, kTcpPsh | kTcpAck, 200, base + 1000);
    w.Send(false, 501 + 1000 * k, 301 + 200 * k, kTcpPsh | kTcpAck, 1000, base + 5000);
    w.Send(true, 301 + 200 * k, 1501 + 1000 * k, kTcpAck, 0, base + 6000);
  }
  w.h.End();

  ClientServerTable table = w.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColClient], "192.168.1.10");
  EXPECT_EQ(row[kCsColServer], "192.168.1.20");
  EXPECT_EQ(row[kCsColProtocol], "TCP/Port 1025<->HTTP");
  EXPECT_EQ(row[kCsColPackets], "16");
  // The handshake (1 ms) and three requests (5 ms); the repeated request's answer is ambiguous.
  EXPECT_EQ(row[kCsColResponseTime], " 4.000");
  EXPECT_EQ(row[kCsColE], "1");
  EXPECT_EQ(row[kCsColDuration], "00:00:00.406");
  EXPECT_EQ(ClientServerStation(w.h.model, nullptr, row[kCsColClientKey]), "00000C123410");
  EXPECT_EQ(ClientServerStation(w.h.model, nullptr, row[kCsColServerKey]), "00000C123420");
}

TEST(ClientServerTableDecodeTest, DecodedPingPairsEveryRequest) {
  DecoderHarness h;
  for (uint16_t k = 1; k <= 10; ++k) {
    double t = 1e9 + k * 1e6;
    h.Feed(EthernetII(kServerMac, kClientMac, 0x0800,
                      Ipv4Packet(kClientIp, kServerIp, kIpIcmp, IcmpEcho(false, 7, k, Filler(32)))),
           t);
    h.Feed(EthernetII(kClientMac, kServerMac, 0x0800,
                      Ipv4Packet(kServerIp, kClientIp, kIpIcmp, IcmpEcho(true, 7, k, Filler(32)))),
           t + 700);
  }
  h.End();
  const NetAddressNode* client = h.model.NetAddresses.Find(KeyOf(kClientIp));
  ASSERT_NE(client, nullptr);
  Selection s;
  s.SourceStation = client;
  s.DestPeer = FindNetPeer(h.model, *client, KeyOf(kServerIp));
  s.CurrentConversation = h.model.Objects.Get<TNetPeer>(s.DestPeer).FirstConversation;
  ConversationEngine engine(h.model);
  engine.Options.LatencyMode = true;
  const AnalysisResult& r = engine.AnalyzeConversation(s);
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
  EXPECT_EQ(r.Pairs, 10);
  EXPECT_DOUBLE_EQ(r.BestDelay, 700);
  EXPECT_EQ(r.SendPackets, 10);
  EXPECT_EQ(r.ReceivePackets, 10);

  ResolveReverse(h.model, s);
  EXPECT_EQ(engine.AnalyzeReverse(s).AnalysisState, kAnalysisNoEcho);
}

TEST(ClientServerTableDecodeTest, DecodedNetWareRequests) {
  DecoderHarness h;
  const IpxAddress client{0x00001234, Station(0x10), 0x4003};
  const IpxAddress server{0x00001234, Station(0x20), kNcpSocket};
  for (uint8_t k = 0; k < 4; ++k) {
    double t = 1e9 + k * 2e5;
    h.Feed(
        EthernetNovellRaw(kServerMac, kClientMac, IpxPacket(17, server, client, NcpRequest(k, 3, 1, 0x48, Filler(20)))),
        t);
    h.Feed(
        EthernetNovellRaw(kClientMac, kServerMac, IpxPacket(17, client, server, NcpReply(k, 3, 1, 0, 0, Filler(20)))),
        t + 1500);
  }
  h.End();
  ClientServerTable table;
  table.Build(ClientServerSources{h.model, BrisqonSettings{}}, ClientServerOptions{});
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColProtocol], "IPX (Socket 4003<->NCP)/NCP");
  EXPECT_EQ(row[kCsColClient], "1234.00000C123410");
  EXPECT_EQ(row[kCsColResponseTime], " 1.500");
  EXPECT_EQ(row[kCsColPackets], "8");
}

std::filesystem::path Capture(const char* name) {
  const char* shared = std::getenv("CORVANTA_SHARED_DIR");
  return std::filesystem::path(shared ? shared : "../shared") / "captures" / name;
}

ClientServerTable TableOfCapture(const std::filesystem::path& path) {
  OpenOutcome open = OpenTrace(path.string());
  EXPECT_TRUE(open.accepted) << open.refusal;
  CaptureModel model;
  TraceStatistics stats;
  Decoder decoder(model, stats, DecodeEnvironment{});
  ProcessTraceFile(open.info, decoder, nullptr, false);
  ClientServerTable table;
  ClientServerOptions options;
  options.LastFrame = decoder.FramesRead();
  table.Build(ClientServerSources{model, BrisqonSettings{}}, options);
  return table;
}

// The decoder's index of address pairs, handed over after its pass, answers as a directory
// made from the model's chains, and the table built with it is the same.
TEST(ClientServerTableDecodeTest, HandedOverPairsAnswerAsMadeOnes) {
  Wire w;
  w.h.Dec().KeepNetPeers(true);
  double t = 1e9;
  for (uint8_t c = 1; c <= 6; ++c)
    for (uint8_t s = 1; s <= c % 3 + 1; ++s) {
      TcpSegment seg;
      seg.srcPort = static_cast<uint16_t>(2000 + c);
      seg.dstPort = 80;
      seg.flags = kTcpSyn;
      const Ip4Addr client = {10, 0, 0, c}, server = {10, 0, 1, s};
      w.h.Feed(EthernetII(kServerMac, kClientMac, 0x0800, IpTcp(client, server, seg)), t += 1000);
      std::swap(seg.srcPort, seg.dstPort);
      seg.flags = kTcpSyn | kTcpAck;
      w.h.Feed(EthernetII(kClientMac, kServerMac, 0x0800, IpTcp(server, client, seg)), t += 1000);
      // Data each way.
      seg.flags = kTcpPsh | kTcpAck;
      seg.seq = 1;
      seg.ack = 101;
      seg.payload = Filler(300);
      w.h.Feed(EthernetII(kClientMac, kServerMac, 0x0800, IpTcp(server, client, seg)), t += 1000);
      std::swap(seg.srcPort, seg.dstPort);
      seg.seq = 1;
      seg.ack = 301;
      seg.payload = Filler(100);
      w.h.Feed(EthernetII(kServerMac, kClientMac, 0x0800, IpTcp(client, server, seg)), t += 1000);
    }
  w.h.End();
  const PeerDirectory handed(w.h.model, w.h.Dec().TakeNetPeers());
  const PeerDirectory made(w.h.model);
  int pairs = 0;
  w.h.model.NetAddresses.ForEach([&](const NetAddressNode& node) {
    for (int32_t to = 0; to < w.h.model.NetAddresses.IdLimit(); ++to) {
      EXPECT_EQ(handed.Find(&node, to), made.Find(&node, to));
      pairs += handed.Find(&node, to) >= 0;
    }
  });
  EXPECT_EQ(pairs, 2 * (2 + 3 + 1 + 2 + 3 + 1));
  ClientServerTable table;
  ClientServerOptions options;
  options.LastFrame = w.h.Frame().FrameNumber;
  table.Build(ClientServerSources{w.h.model, {}, nullptr, nullptr, &handed}, options);
  const ClientServerTable expected = w.Table();
  ASSERT_EQ(table.RowCount(), expected.RowCount());
  EXPECT_EQ(table.RowCount(), 12u);
  for (size_t r = 0; r < table.RowCount(); ++r)
    for (int c = 0; c < kCsColumns; ++c) EXPECT_EQ(table.Rows()[r][c], expected.Rows()[r][c]);
}

TEST(ClientServerTableDecodeTest, RealCaptures) {
  if (!std::filesystem::exists(Capture("tcp_retransmissions.snoop"))) GTEST_SKIP() << "no captures";
  {
    // Six copies of one segment: a one-way conversation of five retransmissions.
    ClientServerTable table = TableOfCapture(Capture("tcp_retransmissions.snoop"));
    ASSERT_EQ(table.RowCount(), 1u);
    const ClientServerRow& row = table.Rows()[0];
    EXPECT_EQ(row[kCsColProtocol], "TCP/Port 1048<->Port 1043");
    EXPECT_EQ(row[kCsColPackets], "6");
    EXPECT_EQ(row[kCsColE], "5");
    EXPECT_EQ(row[kCsColServerToClient], "-");
  }
  {
    // Broadcast NetWare service traffic only: no conversation between a client and a server.
    ClientServerTable table = TableOfCapture(Capture("ipx.netmon2.cap"));
    EXPECT_EQ(table.RowCount(), 0u);
  }
  {
    ClientServerTable table = TableOfCapture(Capture("dns_lab.ngwsniffer_2_0.cap"));
    EXPECT_EQ(table.ConversationsCaption(), "11 Conversations Analyzed");
    for (const ClientServerRow& row : table.Rows()) {
      EXPECT_EQ(row[kCsColServer], "4.2.2.1");
      EXPECT_EQ(row[kCsColProtocol].rfind("UDP/Port ", 0), 0u);
      EXPECT_NE(row[kCsColResponseTime], "-");
    }
  }
}

}  // namespace
}  // namespace corvanta

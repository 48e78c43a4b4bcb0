// Client/server rows of small decoded traces that once came out wrong: fragmented pings,
// busy servers, clients answered only by ICMP errors, the inefficient-client mark, midnight,
// long TCP searches, NetBIOS sessions and hosts with checksum offload.
#include <gtest/gtest.h>

#include <cmath>

#include "Packets.h"
#include "analysis/ClientServerTable.h"
#include "decode/DecoderHarness.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const Ip4Addr kClientIp = {192, 168, 7, 10};
const Ip4Addr kServerIp = {192, 168, 7, 20};
const MacAddr kClientMac = Station(0x10);
const MacAddr kServerMac = Station(0x20);
constexpr double kStart = 36000e6;  // 10:00:00
constexpr double kDay = 86400e6;

struct Net {
  DecoderHarness h;
  uint16_t clientPort = 1025;
  uint16_t serverPort = 80;
  uint16_t nextId = 1;

  void Ip(bool fromClient, const Bytes& ip, double time) {
    if (fromClient)
      h.Feed(PadFrame(EthernetII(kServerMac, kClientMac, 0x0800, ip)), time);
    else
      h.Feed(PadFrame(EthernetII(kClientMac, kServerMac, 0x0800, ip)), time);
  }
  Ipv4Options Id(uint8_t ttl = 64) {
    Ipv4Options o;
    o.id = nextId++;
    o.ttl = ttl;
    return o;
  }
  void Tcp(bool fromClient, uint32_t seq, uint32_t ack, size_t payload, double time, uint8_t flags = 0) {
    TcpSegment s;
    s.srcPort = fromClient ? clientPort : serverPort;
    s.dstPort = fromClient ? serverPort : clientPort;
    s.seq = seq;
    s.ack = ack;
    s.flags = flags ? flags : static_cast<uint8_t>(kTcpAck | (payload ? kTcpPsh : 0));
    s.payload = Filler(payload);
    const Ip4Addr& src = fromClient ? kClientIp : kServerIp;
    const Ip4Addr& dst = fromClient ? kServerIp : kClientIp;
    Ip(fromClient, IpTcp(src, dst, s, Id()), time);
  }
  // count requests `spacing` apart from `start`, each answered `delay` later; times are
  // the time of day, so they wrap at midnight.
  void Exchange(int count, size_t request, size_t reply, double start, double spacing, double delay) {
    uint32_t clientSeq = 1000;
    uint32_t serverSeq = 5000;
    for (int k = 0; k < count; ++k) {
      const double t = std::fmod(start + k * spacing, kDay);
      Tcp(true, clientSeq, serverSeq, request, t);
      clientSeq += static_cast<uint32_t>(request);
      Tcp(false, serverSeq, clientSeq, reply, std::fmod(t + delay, kDay));
      serverSeq += static_cast<uint32_t>(reply);
    }
  }
  ClientServerTable Table() {
    h.End();
    ClientServerTable table;
    ClientServerOptions options;
    options.LastFrame = h.Frame().FrameNumber;
    table.Build(ClientServerSources{h.model, BrisqonSettings{}}, options);
    return table;
  }
};

// 4,000-byte pings in three fragments each, answered 10 ms later: each request pairs with
// its reply, not with a later fragment.
TEST(DecodedRowsTest, FragmentedPingsPairEachRequestWithItsReply) {
  Net n;
  for (uint16_t k = 1; k <= 6; ++k) {
    const double t = kStart + k * 1e6;
    for (bool request : {true, false}) {
      Bytes echo = IcmpEcho(!request, 9, k, Filler(3992));
      const Ip4Addr& src = request ? kClientIp : kServerIp;
      const Ip4Addr& dst = request ? kServerIp : kClientIp;
      Ipv4Options o = n.Id();
      for (size_t offset = 0; offset < echo.size(); offset += 1480) {
        o.fragmentOffset = static_cast<uint16_t>(offset);
        o.moreFragments = offset + 1480 < echo.size();
        Bytes piece(echo.begin() + static_cast<ptrdiff_t>(offset),
                    echo.begin() + static_cast<ptrdiff_t>(std::min(echo.size(), offset + 1480)));
        n.Ip(request, Ipv4Packet(src, dst, kIpIcmp, piece, o), t + (request ? 0 : 10000) + offset / 10.0);
      }
    }
  }
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.Rows()[0][kCsColProtocol], "ICMP Echo (Ping)");
  EXPECT_EQ(table.Rows()[0][kCsColResponseTime], " 10.000");
}

// A NetWare server answers "busy" at once and the real reply 20 ms later: the response time
// is the real reply's, and the busy replies mark C.
TEST(DecodedRowsTest, ServerBusyRepliesMarkCAndAreNoAnswers) {
  Net n;
  const IpxAddress client{0x00001234, kClientMac, 0x4003};
  const IpxAddress server{0x00001234, kServerMac, kNcpSocket};
  for (uint8_t k = 1; k <= 5; ++k) {
    const double t = kStart + k * 2e5;
    n.h.Feed(
        EthernetNovellRaw(kServerMac, kClientMac, IpxPacket(17, server, client, NcpRequest(k, 3, 1, 0x48, Filler(20)))),
        t);
    Bytes busy = NcpReply(k, 3, 1, 0, 0, Filler(20));
    busy[0] = busy[1] = 0x99;
    n.h.Feed(EthernetNovellRaw(kClientMac, kServerMac, IpxPacket(17, client, server, busy)), t + 500);
    n.h.Feed(
        EthernetNovellRaw(kClientMac, kServerMac, IpxPacket(17, client, server, NcpReply(k, 3, 1, 0, 0, Filler(20)))),
        t + 20000);
  }
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColResponseTime], " 20.000");
  EXPECT_EQ(row[kCsColC], kCsMark);
  EXPECT_EQ(table.Totals()[kCsColC], 1);
}

// A client whose UDP requests only ever got port-unreachable reports from the server is
// listed one-way with its reports under I.
TEST(DecodedRowsTest, ClientAnsweredOnlyByIcmpErrorsIsListed) {
  Net n;
  for (int k = 0; k < 3; ++k) {
    const double t = kStart + k * 1e6;
    Bytes request = IpUdp(kClientIp, kServerIp, 1025, 69, Filler(40), n.Id());
    n.Ip(true, request, t);
    n.Ip(false, Ipv4Packet(kServerIp, kClientIp, kIpIcmp, IcmpUnreachable(3, request), n.Id()), t + 300);
  }
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColClient], "192.168.7.10");
  EXPECT_EQ(row[kCsColProtocol], "UDP/Port 1025<->Port 69");
  EXPECT_EQ(row[kCsColPackets], "3");
  EXPECT_EQ(row[kCsColI], "3");
  EXPECT_EQ(row[kCsColResponseTime], "-");
  EXPECT_EQ(row[kCsColServerToClient], "-");
  EXPECT_EQ(table.Totals()[kCsColI], 3);
}

// D judges the conversation's average frame, both directions: an upload of full frames
// against small acknowledgements is no inefficient client; small requests answered by
// 300-byte replies are.
TEST(DecodedRowsTest, InefficientClientJudgesTheWholeConversation) {
  struct Case {
    size_t request;
    size_t reply;
    bool marked;
  };
  for (const Case& c : {Case{1460, 0, false}, Case{6, 242, true}}) {
    SCOPED_TRACE(c.request);
    Net n;
    n.Exchange(10, c.request, c.reply, kStart, 1e5, 2000);
    ClientServerTable table = n.Table();
    ASSERT_EQ(table.RowCount(), 1u);
    EXPECT_EQ(table.Rows()[0][kCsColD], c.marked ? kCsMark : "");
  }
}

// An exchange from 23:59:59.500 to 00:00:00.305: its duration and response times run on
// across midnight.
TEST(DecodedRowsTest, ExchangeAcrossMidnight) {
  Net n;
  n.Exchange(5, 200, 1000, kDay - 500000, 200000, 5000);
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColDuration], "00:00:00.805");
  EXPECT_EQ(row[kCsColResponseTime], " 5.000");
  EXPECT_EQ(row[kCsColClientToServer], " 1.613");  // 5 frames of 258 bytes over 0.8 s
}

// A request answered behind 1,100 segments of the server's: the search for its
// acknowledgement walks past them all.
TEST(DecodedRowsTest, TcpResponseBehindAWideWindowIsFound) {
  Net n;
  double t = kStart;
  n.Tcp(true, 100, 0, 0, t, kTcpSyn);
  n.Tcp(false, 500, 101, 0, t + 1000, kTcpSyn | kTcpAck);
  n.Tcp(true, 101, 501, 0, t + 1100);
  t += 10000;
  n.Tcp(true, 101, 501, 100, t);  // the request
  uint32_t serverSeq = 501;
  for (int k = 0; k < 1100; ++k) {
    n.Tcp(false, serverSeq, 101, 10, t + 1 + k * 5);  // data in flight, acknowledging the handshake only
    serverSeq += 10;
  }
  n.Tcp(false, serverSeq, 201, 0, t + 6500);
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  EXPECT_EQ(table.Rows()[0][kCsColResponseTime], " 3.750");  // (1 ms + 6.5 ms) / 2
}

// A NetBIOS session: the server's frames (from port 139) reach the model, so the row has
// both sides and a response time.
TEST(DecodedRowsTest, NetBiosSessionHasBothSides) {
  Net n;
  n.serverPort = 139;
  n.Exchange(4, 72, 40, kStart, 1e5, 3000);
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 1u);
  const ClientServerRow& row = table.Rows()[0];
  EXPECT_EQ(row[kCsColPackets], "8");
  EXPECT_EQ(row[kCsColResponseTime], " 3.000");
  EXPECT_NE(row[kCsColServerToClient], "-");
}

// The client's adapter fills in its checksums: its DNS queries carry wrong ones, and are
// still paired with their answers.
TEST(DecodedRowsTest, QueriesOfAHostWithChecksumOffloadArePaired) {
  Net n;
  for (uint16_t k = 0; k < 3; ++k) {
    const double t = kStart + k * 1e6;
    const uint16_t port = static_cast<uint16_t>(40000 + k);
    Bytes query = UdpHeader(kClientIp, kServerIp, port, 53, DnsQuery(k, "www.example.com"));
    query[6] ^= 0x5A;
    n.Ip(true, Ipv4Packet(kClientIp, kServerIp, kIpUdp, query, n.Id()), t);
    Bytes answer = UdpHeader(kServerIp, kClientIp, 53, port, DnsAnswer(k, "www.example.com", {{10, 1, 1, 1}}));
    n.Ip(false, Ipv4Packet(kServerIp, kClientIp, kIpUdp, answer, n.Id()), t + 12000);
  }
  ClientServerTable table = n.Table();
  ASSERT_EQ(table.RowCount(), 3u);
  for (const ClientServerRow& row : table.Rows()) EXPECT_EQ(row[kCsColResponseTime], " 12.000");
}

}  // namespace
}  // namespace corvanta

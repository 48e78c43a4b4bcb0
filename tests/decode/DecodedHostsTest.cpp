// What the decoder finds out about hosts over a whole pass: NetBIOS session servers, hosts
// whose adapter fills in the checksums, and packet times across midnight.
#include <gtest/gtest.h>

#include "DecoderHarness.h"
#include "decode/PacketFlags.h"

namespace corvanta::testing {
namespace {

const Ip4Addr kClientIp = {10, 0, 0, 5};
const Ip4Addr kServerIp = {10, 0, 0, 6};
const Ip4Addr kOtherIp = {10, 0, 0, 7};
const MacAddr kClientMac = Station(0x05);
const MacAddr kServerMac = Station(0x06);

AddressKey IpKey(const Ip4Addr& a) { return AddressKey::Of(a.data(), a.size()); }

Bytes Frame(const Ip4Addr& src, const Bytes& ip) {
  const bool fromClient = src == kClientIp;
  return PadFrame(EthernetII(fromClient ? kServerMac : kClientMac, fromClient ? kClientMac : kServerMac, 0x0800, ip));
}
Bytes Tcp(const Ip4Addr& src, const Ip4Addr& dst, uint16_t sport, uint16_t dport, uint32_t seq, uint32_t ack,
          size_t payload) {
  TcpSegment s;
  s.srcPort = sport;
  s.dstPort = dport;
  s.seq = seq;
  s.ack = ack;
  s.flags = kTcpAck | (payload ? kTcpPsh : 0);
  s.payload = Filler(payload);
  return Frame(src, IpTcp(src, dst, s));
}
// A DNS query whose UDP checksum is wrong when `wrongChecksum`.
Bytes Query(const Ip4Addr& src, uint16_t port, uint16_t id, bool wrongChecksum) {
  Bytes udp = UdpHeader(src, kServerIp, port, 53, DnsQuery(id, "www.example.com"));
  if (wrongChecksum) udp[6] ^= 0x5A;
  return Frame(src, Ipv4Packet(src, kServerIp, kIpUdp, udp));
}

std::vector<TPacket> PacketsFrom(const CaptureModel& model, const Ip4Addr& src) {
  std::vector<TPacket> out;
  if (const NetAddressNode* node = model.NetAddresses.Find(IpKey(src)))
    model.ForEachNetPeer(*node, [&](int32_t, const TNetPeer& peer) {
      model.ForEachConversation(peer, [&](int32_t, const TTransHead& c) {
        model.ForEachPacket(c, [&](int32_t, const TPacket& p) { out.push_back(p); });
      });
    });
  return out;
}

// Frames from port 139 keep the NetBIOS-IP category in the statistics and still reach the
// model, so that the session server is there with its packets.
TEST(DecodedHosts, NetBiosSessionServersReachTheModel) {
  DecoderHarness h;
  h.Feed(Tcp(kClientIp, kServerIp, 1050, 139, 1, 1, 72));
  h.Feed(Tcp(kServerIp, kClientIp, 139, 1050, 1, 73, 40));
  h.End();
  EXPECT_EQ(h.stats.ProtocolStats[kCatIp].Frames, 1);
  EXPECT_EQ(h.stats.ProtocolStats[kCatNetBiosIp].Frames, 1);
  const NetAddressNode* server = h.model.NetAddresses.Find(IpKey(kServerIp));
  ASSERT_NE(server, nullptr);
  EXPECT_EQ(server->Roles, kRolesSent);
  EXPECT_EQ(server->Category, kCatIp);
  EXPECT_EQ(h.model.Counts.SendingIpAddresses, 2);
  std::vector<TPacket> sent = PacketsFrom(h.model, kServerIp);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].Flags & kPacketDirection, kPacketReply);
}

// The client's adapter fills in every checksum of the packets with data (its bare
// acknowledgements are summed by the system); another host has one damaged packet among
// good ones and keeps its mark.
TEST(DecodedHosts, ChecksumOffloadIsTakenOnlyWhenNoneOfASendersChecksumsIsRight) {
  DecoderHarness h;
  for (uint16_t k = 0; k < 3; ++k) {
    h.Feed(Query(kClientIp, static_cast<uint16_t>(40000 + k), k, true));
    h.Feed(Tcp(kClientIp, kServerIp, 50000, 80, 1, 1, 0));  // a bare acknowledgement, summed right
  }
  for (uint16_t k = 0; k < 3; ++k) h.Feed(Query(kOtherIp, 41000, static_cast<uint16_t>(10 + k), k == 1));
  h.End();

  ASSERT_EQ(h.model.ChecksumOffload.size(), 1u);
  EXPECT_EQ(h.model.ChecksumOffload[0], IpKey(kClientIp));
  for (const TPacket& p : PacketsFrom(h.model, kClientIp)) EXPECT_EQ(p.Flags & kPacketUdpChecksumError, 0);
  int flagged = 0;
  for (const TPacket& p : PacketsFrom(h.model, kOtherIp)) flagged += (p.Flags & kPacketUdpChecksumError) != 0;
  EXPECT_EQ(flagged, 1);
}

TEST(DecodedHosts, TwoWrongChecksumsAreTooFewForOffload) {
  DecoderHarness h;
  h.Feed(Query(kClientIp, 40000, 1, true));
  h.Feed(Query(kClientIp, 40001, 2, true));
  h.End();
  EXPECT_TRUE(h.model.ChecksumOffload.empty());
  for (const TPacket& p : PacketsFrom(h.model, kClientIp))
    EXPECT_EQ(p.Flags & kPacketUdpChecksumError, kPacketUdpChecksumError);
}

// Packet times carry on across midnight; a small step back of the clock is no new day.
TEST(DecodedHosts, PacketTimesCarryOnAcrossMidnight) {
  constexpr double kDay = 86400e6;
  DecoderHarness h;
  h.Feed(Tcp(kClientIp, kServerIp, 1025, 80, 1, 1, 10), kDay - 300000);
  h.Feed(Tcp(kClientIp, kServerIp, 1025, 80, 11, 1, 10), kDay - 300010);  // jitter
  h.Feed(Tcp(kClientIp, kServerIp, 1025, 80, 21, 1, 10), 200000);
  h.Feed(Tcp(kClientIp, kServerIp, 1025, 80, 31, 1, 10), 100000);  // jitter in the new day
  h.End();
  std::vector<TPacket> sent = PacketsFrom(h.model, kClientIp);
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_DOUBLE_EQ(sent[0].Time, kDay - 300000);
  EXPECT_DOUBLE_EQ(sent[1].Time, kDay - 300010);
  EXPECT_DOUBLE_EQ(sent[2].Time, kDay + 200000);
  EXPECT_DOUBLE_EQ(sent[3].Time, kDay + 100000);
}

}  // namespace
}  // namespace corvanta::testing

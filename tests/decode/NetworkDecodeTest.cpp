#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "NetworkTestBench.h"
#include "naming/UserPorts.h"

namespace corvanta::testing {
namespace {

using NetworkIp = NetworkBench;

TcpSegment Segment(uint16_t src, uint16_t dst, uint32_t seq = 1000, uint8_t flags = kTcpAck, Bytes payload = {}) {
  TcpSegment s;
  s.srcPort = src;
  s.dstPort = dst;
  s.seq = seq;
  s.ack = 5000;
  s.flags = flags;
  s.payload = std::move(payload);
  return s;
}

TEST_F(NetworkIp, AddressNodesCountsAndRoles) {
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1025, 69, Filler(10))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(1026, 80))));
  const NetAddressNode* a = model.NetAddresses.Find(IpKey(kIpA));
  const NetAddressNode* b = model.NetAddresses.Find(IpKey(kIpB));
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->Roles, kRolesSent);
  EXPECT_EQ(b->Roles, 0);
  EXPECT_EQ(a->Category, kCatIp);
  EXPECT_EQ(a->Station, model.Stations.Find(MacKey(kMacA)));
  EXPECT_EQ(b->Station, model.Stations.Find(MacKey(kMacB)));
  EXPECT_EQ(a->PacketsSent, 2);
  EXPECT_EQ(a->BytesSent, 64 + 64);
  EXPECT_EQ(b->PacketsReceived, 2);
  EXPECT_EQ(a->SubProtocols, 1u << kSubUdp | 1u << kSubTcp);
  EXPECT_EQ(a->WorkSubProtocols, a->SubProtocols);
  EXPECT_EQ(b->SubProtocols, a->SubProtocols);
  EXPECT_EQ(b->WorkSubProtocols, 0u);  // only sending sets the working copy
  EXPECT_EQ(b->FirstPeer, 0);
  EXPECT_EQ(model.Counts.IpAddresses, 2);
  EXPECT_EQ(model.Counts.SendingIpAddresses, 1);

  // B answers: it becomes a sender once.
  Feed(EtherIp(IpTcp(kIpB, kIpA, Segment(80, 1026)), kMacA, kMacB));
  Feed(EtherIp(IpTcp(kIpB, kIpA, Segment(80, 1026)), kMacA, kMacB));
  EXPECT_EQ(b->Roles, kRolesSent);
  EXPECT_EQ(b->WorkSubProtocols, 1u << kSubUdp | 1u << kSubTcp);
  EXPECT_EQ(model.Counts.IpAddresses, 2);
  EXPECT_EQ(model.Counts.SendingIpAddresses, 2);
  EXPECT_EQ(model.Counts.IpxAddresses, 0);
}

TEST_F(NetworkIp, HeaderFieldsOfAPacket) {
  Ipv4Options o;
  o.ttl = 77;
  o.id = 0x1234;
  o.dontFragment = true;
  o.options = {1, 1, 1, 1};
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1025, 69, Filler(100), o)), {.time = 123456.5});
  const TPacket& p = Newest();
  EXPECT_EQ(p.Time, 123456.5);
  EXPECT_EQ(p.FrameNumber, 1);
  EXPECT_EQ(p.Length, 14 + 24 + 108 + 4);
  EXPECT_EQ(p.HeaderLength, 24);
  EXPECT_EQ(p.TotalLength, 24 + 108);
  EXPECT_EQ(p.Identification, 0x1234);
  EXPECT_EQ(model.Packets.FragmentOffset(model.Packets.Count() - 1), 0);  // the don't-fragment bit is not part of the offset
  EXPECT_EQ(p.TTL, 77);
  EXPECT_EQ(p.TransportHeaderLength, 8);
  EXPECT_EQ(p.Flags, kPacketRequest);
  EXPECT_EQ(model.Packets.Previous(model.Packets.Count() - 1), -1);
  EXPECT_EQ(model.Packets.Next(model.Packets.Count() - 1), -1);
}

TEST_F(NetworkIp, TcpFieldsMssAndDirection) {
  TcpSegment s = Segment(1025, 80, 0xFEDCBA98, kTcpSyn);
  s.ack = 0x01020304;
  s.window = 0x4000;
  s.mss = 1460;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  const TPacket& p = Newest();
  EXPECT_EQ(p.Sequence, 0xFEDCBA98u);
  EXPECT_EQ(p.Acknowledge, 0x01020304u);
  EXPECT_EQ(p.TransportHeaderLength, 24);
  EXPECT_EQ(p.TcpFlags, kTcpSyn);
  EXPECT_EQ(p.Window, 0x4000);
  EXPECT_EQ(p.Flags, kPacketRequest | kPacketMaxSegment);
  const TTransHead* c = Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->MaxSegment, 1460);

  s.flags = kTcpAck;  // the option is read only from a SYN
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  s.flags = kTcpSyn;  // a later SYN's option is marked, but the conversation keeps the first size
  s.mss = 536;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags & kPacketMaxSegment, kPacketMaxSegment);
  EXPECT_EQ(c->MaxSegment, 1460);
  Feed(EtherIp(IpTcp(kIpB, kIpA, Segment(80, 1025)), kMacA, kMacB));
  EXPECT_EQ(Newest().Flags, kPacketReply);
}

TEST_F(NetworkIp, DirectionInFramesUsesTheUserPorts) {
  UserPorts ports;
  ports.Add(UserPorts::MakeItem("5000", "Billing"));
  env.userPorts = &ports;
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(6000, 5000))));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(1100, 1200))));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(3000, 3000))));
  EXPECT_EQ(Newest().Flags, 0);
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(1025, 80)), kBroadcastMac));
  EXPECT_EQ(Newest().Flags, kPacketRequest | kPacketGroup);
}

TEST_F(NetworkIp, ServiceBitsOfNetBiosSnmpAndDnsAddToThePortRule) {
  Bytes nameQuery = Filler(50, 0);
  nameQuery[2] = 0x01;  // UDP[10]: bit 0x80 clear
  Bytes nameReply = nameQuery;
  nameReply[2] = 0x85;
  Feed(EtherIp(IpUdp(kIpA, kIpB, 137, 137, nameQuery)));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  Feed(EtherIp(IpUdp(kIpA, kIpB, 137, 1025, nameQuery)));
  EXPECT_EQ(Newest().Flags, kPacketReply | kPacketRequest);  // both bits
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1025, 137, nameReply)));
  EXPECT_EQ(Newest().Flags, kPacketReply | kPacketRequest);

  Bytes snmp(40, 0);
  snmp[13] = 0xA0;  // UDP[21]
  Feed(EtherIp(IpUdp(kIpA, kIpB, 161, 161, snmp)));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  snmp[13] = 0xA1;
  Feed(EtherIp(IpUdp(kIpA, kIpB, 161, 161, snmp)));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  snmp[13] = 0xA2;
  Feed(EtherIp(IpUdp(kIpA, kIpB, 161, 161, snmp)));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  snmp[13] = 0xA4;  // a trap
  Feed(EtherIp(IpUdp(kIpA, kIpB, 161, 161, snmp)));
  EXPECT_EQ(Newest().Flags, 0);

  Feed(EtherIp(IpUdp(kIpA, kIpB, 53, 53, DnsQuery(1, "a.example"))));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  Feed(EtherIp(IpUdp(kIpA, kIpB, 53, 53, DnsAnswer(1, "a.example", {kIpC}))));
  EXPECT_EQ(Newest().Flags, kPacketReply);
}

TEST_F(NetworkIp, ServiceBitsAreReadOnlyFromUdp) {
  // A TCP segment on port 53 has no DNS flags at UDP[10]: its direction is the port rule's.
  TcpSegment s = Segment(53, 1025);
  s.ack = 0x00008000;  // byte 10 of the TCP header has bit 0x80
  s.payload = DnsAnswer(1, "b.example", {kIpC});
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  s.srcPort = 1025;
  s.dstPort = 53;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  EXPECT_EQ(model.Names.Count(), 0);
}

TEST_F(NetworkIp, IcmpTypeCodeAndEchoSequence) {
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, IcmpEcho(false, 7, 0x0102, Filler(32)))));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  EXPECT_EQ(Newest().Sequence, 0x0102u);
  EXPECT_EQ(Newest().Window, 8);
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpEcho(true, 7, 0x0102, Filler(32))), kMacA, kMacB));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(Newest().Sequence, 0x0102u);
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, IcmpMessage(11, 1, 0x01020304, Filler(28)))));
  EXPECT_EQ(Newest().Window, 1 << 8 | 11);
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(Newest().Sequence, 0u);  // only echoes carry one
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, IcmpMessage(14, 0, 0, Filler(28)))));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
}

TEST_F(NetworkIp, SynWithoutAckTeachesAServerPort) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(40000, 8080, 1, kTcpSyn))));
  EXPECT_TRUE(model.LearnedServers.Contains(IpKey(kIpB), 8080));
  EXPECT_FALSE(model.LearnedServers.Contains(IpKey(kIpA), 8080));   // only at the server it was sent to
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(20, 8081, 1, kTcpSyn))));  // active FTP data
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(40000, 8082, 1, kTcpSyn | kTcpAck))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(40000, 1023, 1, kTcpSyn))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(40000, 8083, 1, kTcpAck))));
  Feed(EtherIp(IpUdp(kIpA, kIpB, 40000, 8084, Bytes{0, 0, 0, 0, 0, 2, 0, 0, 0, 0})));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(40000, 1024, 1, kTcpSyn))));
  EXPECT_EQ(model.LearnedServers.Count(), 2u);
  EXPECT_TRUE(model.LearnedServers.Contains(IpKey(kIpB), 1024));
}

TEST_F(NetworkIp, ChecksumsAreJudged) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(1025, 80, 1, kTcpAck, Filler(100)))));
  EXPECT_EQ(Newest().Flags & 0x7000, 0);
  TcpSegment bad = Segment(1025, 80, 1, kTcpAck, Filler(100));
  bad.badChecksum = true;
  Feed(EtherIp(IpTcp(kIpA, kIpB, bad)));
  EXPECT_EQ(Newest().Flags & 0x7000, kPacketTcpChecksumError);
  Ipv4Options badIp;
  badIp.badChecksum = true;
  Feed(EtherIp(IpTcp(kIpA, kIpB, Segment(1025, 80), badIp)));
  EXPECT_EQ(Newest().Flags & 0x7000, kPacketIpChecksumError);

  Bytes udp = IpUdp(kIpA, kIpB, 1025, 69, Filler(30));
  Feed(EtherIp(udp));
  EXPECT_EQ(Newest().Flags & 0x7000, 0);
  udp.back() ^= 0x40;
  Feed(EtherIp(udp));
  EXPECT_EQ(Newest().Flags & 0x7000, kPacketUdpChecksumError);
  // No checksum sent: never an error, whatever the data.
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpUdp, UdpHeader(kIpA, kIpB, 1025, 69, Filler(30), true))));
  EXPECT_EQ(Newest().Flags & 0x7000, 0);
}

// The transport checksum covers the whole datagram: a first fragment (More Fragments set)
// holds only part of it and is not judged; the same bytes unfragmented are.
TEST_F(NetworkIp, FirstFragmentsHaveNoTransportChecksumJudged) {
  for (uint8_t protocol : {kIpUdp, kIpTcp}) {
    Bytes datagram = protocol == kIpUdp ? UdpHeader(kIpA, kIpB, 1025, 2049, Filler(3000))
                                        : TcpHeader(kIpA, kIpB, Segment(1025, 2049, 1, kTcpAck, Filler(3000)));
    Ipv4Options first;
    first.id = 0x600;
    first.moreFragments = true;
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, protocol, Bytes(datagram.begin(), datagram.begin() + 1480), first)));
    EXPECT_EQ(Newest().Flags & 0x7000, 0) << int{protocol};
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, protocol, Bytes(datagram.begin(), datagram.begin() + 1480))));
    EXPECT_NE(Newest().Flags & 0x3000, 0) << int{protocol};
  }
}

TEST_F(NetworkIp, ChecksumVerificationLeavesTheFrameAsItWas) {
  Bytes frameBytes = EtherIp(IpTcp(kIpA, kIpB, Segment(1025, 80, 1, kTcpAck, Filler(100))));
  Feed(frameBytes);
  EXPECT_TRUE(std::equal(frameBytes.begin(), frameBytes.end(), frame->Data.begin()));
}

// A UDP sender whose checksum computes to zero sends 0xFFFF instead (0 means none).
TEST_F(NetworkIp, UdpChecksumOfAllOnesIsTheComputedZero) {
  Bytes payload = {0, 0};
  Bytes ip = IpUdp(kIpA, kIpB, 1025, 69, payload);
  // Choose the payload word that makes the sum over pseudo header and datagram 0xFFFF.
  uint16_t stored = static_cast<uint16_t>(ip[20 + 6] << 8 | ip[20 + 7]);
  uint16_t sum = static_cast<uint16_t>(~stored);  // the sum with the checksum field zero
  uint16_t word = static_cast<uint16_t>(0xFFFF - sum);
  ip[28] = static_cast<uint8_t>(word >> 8);
  ip[29] = static_cast<uint8_t>(word);
  ip[26] = ip[27] = 0xFF;
  Feed(EtherIp(ip));
  EXPECT_EQ(Newest().Flags & kPacketUdpChecksumError, 0);
  ip[26] = 0x00;
  ip[27] = 0x01;
  Feed(EtherIp(ip));
  EXPECT_EQ(Newest().Flags & kPacketUdpChecksumError, kPacketUdpChecksumError);
}

TEST_F(NetworkIp, ChecksumsOfAFrameWithoutPaddingAreJudged) {
  // 14 + 20 + 20 + 100 bytes: the IP packet ends right before the check sequence.
  TcpSegment bad = Segment(1025, 80, 1, kTcpAck, Filler(100));
  bad.badChecksum = true;
  Bytes frameBytes = EtherIp(IpTcp(kIpA, kIpB, bad));
  ASSERT_EQ(frameBytes.size(), 154u);
  Feed(frameBytes);
  EXPECT_EQ(Newest().Flags & kPacketTcpChecksumError, kPacketTcpChecksumError);
}

TEST_F(NetworkIp, ChecksumsAreNotJudgedForFramesNotCapturedWhole) {
  TcpSegment bad = Segment(1025, 80, 1, kTcpAck, Filler(100));
  bad.badChecksum = true;
  Ipv4Options badIp;
  badIp.badChecksum = true;
  Feed(EtherIp(IpTcp(kIpA, kIpB, bad, badIp)), {.missing = 60});
  EXPECT_EQ(Newest().Flags & 0x7000, 0);
  EXPECT_EQ(Newest().Sequence, 1u);  // the header is still read
  // A total length past the frame: not captured whole either.
  Bytes ip = IpTcp(kIpA, kIpB, bad, badIp);
  ip[2] = 0x05;
  Feed(EtherIp(ip));
  EXPECT_EQ(Newest().Flags & 0x7000, 0);
}

TEST_F(NetworkIp, LaterFragmentsTakeTheirPortsFromTheFirst) {
  Ipv4Options first;
  first.id = 0x4242;
  first.moreFragments = true;
  Bytes whole = IpUdp(kIpA, kIpB, 1025, 2049, Filler(1480 - 8), first);
  Feed(EtherIp(whole));
  Ipv4Options later = first;
  later.fragmentOffset = 1480;
  later.moreFragments = false;
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpUdp, Filler(100), later)));
  const TPacket& p = Newest();
  EXPECT_EQ(model.Packets.FragmentOffset(model.Packets.Count() - 1), 1480);
  EXPECT_EQ(p.Flags & kPacketDirection, 0);  // nothing of the transport header is read
  const TTransHead* c = Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(PacketsOf(c).size(), 2u);

  // Unknown identification: ports 0.
  later.id = 0x4343;
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpUdp, Filler(100), later)));
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 0, 0)).size(), 1u);
}

TEST_F(NetworkIp, FragmentPortSlotsAdvanceOnlyForANewIdentification) {
  Ipv4Options o;
  o.id = 9;
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1111, 2222, Filler(8), o)));
  Feed(EtherIp(IpUdp(kIpA, kIpB, 3333, 4444, Filler(8), o)));  // same identification: kept
  EXPECT_EQ(model.FragmentPorts.Cursor, 1);
  EXPECT_EQ(model.FragmentPorts.Slots[1].SourcePort, 1111);
  for (uint16_t id = 10; id < 10 + 32; ++id) {
    o.id = id;
    Feed(EtherIp(IpUdp(kIpA, kIpB, 5555, 6666, Filler(8), o)));
  }
  EXPECT_EQ(model.FragmentPorts.Cursor, 1);  // wrapped
  EXPECT_EQ(model.FragmentPorts.Slots[1].Identification, 10 + 31);
}

// The slots are written in a ring: the most recent slot of an identification is the first
// found going back from the cursor, which after a wrap lies before it in the array.
TEST_F(NetworkIp, TheMostRecentMatchingFragmentSlotWins) {
  struct Case {
    uint8_t cursor;
    uint16_t sourcePort;
    uint16_t destinationPort;
  };
  for (const Case& c : {Case{25, 300, 400}, Case{5, 100, 200}}) {
    SCOPED_TRACE(int{c.cursor});
    model.Reset();
    model.Objects.New<TDLCPeer>();
    model.FragmentPorts.Slots[3] = {77, 100, 200};
    model.FragmentPorts.Slots[20] = {77, 300, 400};
    model.FragmentPorts.Cursor = c.cursor;
    Ipv4Options later;
    later.id = 77;
    later.fragmentOffset = 8;
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpTcp, Filler(40), later)));
    EXPECT_NE(Conversation(IpKey(kIpA), IpKey(kIpB), c.sourcePort, c.destinationPort), nullptr);
    EXPECT_EQ(Newest().Flags & (kPacketZeroWindow | kPacketReset), 0);  // no TCP header to judge
  }
}

// Two hosts use the same identification; the later fragment of the second one is filed with
// its own first fragment after the slots wrapped round.
TEST_F(NetworkIp, LaterFragmentsFollowTheirOwnFirstFragmentAcrossTheWrap) {
  Ipv4Options o;
  for (uint16_t id = 1; id <= 29; ++id) {
    o.id = id;
    Feed(EtherIp(IpUdp(kIpC, kIpB, 5000, 6000, Filler(8), o)));
  }
  o.id = 0x4242;
  o.moreFragments = true;
  Feed(EtherIp(IpUdp(kIpC, kIpB, 1111, 2222, Filler(100), o)));  // slot 30
  o.moreFragments = false;
  for (uint16_t id = 30; id <= 32; ++id) {
    o.id = id;
    Feed(EtherIp(IpUdp(kIpC, kIpB, 5000, 6000, Filler(8), o)));
  }
  o.id = 0x4242;
  o.moreFragments = true;
  Feed(EtherIp(IpUdp(kIpA, kIpB, 3333, 4444, Filler(100), o)));  // slot 2, after the wrap
  Ipv4Options later = o;
  later.fragmentOffset = 1480;
  later.moreFragments = false;
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpUdp, Filler(100), later)));
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 3333, 4444)).size(), 2u);
  EXPECT_EQ(Conversation(IpKey(kIpA), IpKey(kIpB), 1111, 2222), nullptr);
}

// A later ICMP fragment starts with data, not with a type and code.
TEST_F(NetworkIp, LaterIcmpFragmentsCarryNoIcmpHeader) {
  Bytes echo = IcmpEcho(false, 7, 0x0102, Filler(3000));
  Ipv4Options o;
  o.id = 0x700;
  o.moreFragments = true;
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, Bytes(echo.begin(), echo.begin() + 1480), o)));
  EXPECT_EQ(Newest().Window, 8);
  EXPECT_EQ(Newest().Sequence, 0x0102u);
  o.fragmentOffset = 1480;
  o.moreFragments = false;
  Bytes rest = Filler(200, 0);  // starts like an echo reply: type 0, code 1, ...
  rest[0] = 0;
  rest[6] = 0x01;
  rest[7] = 0x02;
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, rest, o)));
  EXPECT_EQ(Newest().Window, 0);
  EXPECT_EQ(Newest().Sequence, 0u);
  EXPECT_EQ(Newest().Flags & kPacketDirection, 0);
}

TEST_F(NetworkIp, MalformedHeadersStayInsideTheFrame) {
  // Header length 60 in a 64-byte frame: the transport fields lie past the frame.
  Bytes ip = IpTcp(kIpA, kIpB, Segment(1025, 80));
  ip[0] = 0x4F;
  Feed(EtherIp(ip));
  EXPECT_EQ(Newest().HeaderLength, 60);
  EXPECT_NE(Conversation(IpKey(kIpA), IpKey(kIpB), 0, 0), nullptr);  // bytes past the frame read as zero
  // Header length 0 and a total length shorter than the header.
  ip[0] = 0x40;
  ip[2] = 0;
  ip[3] = 4;
  Feed(EtherIp(ip));
  EXPECT_EQ(Newest().HeaderLength, 0);
}

TEST_F(NetworkIp, RandomFramesDecodeQuietly) {
  std::mt19937 random(11);
  for (int i = 0; i < 3000; ++i) {
    size_t size = 54 + random() % 300;
    Bytes bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    bytes[0] &= 0xFE;
    bytes[12] = i % 2 ? 0x08 : 0x81;
    bytes[13] = i % 2 ? 0x00 : 0x37;
    if (i % 2) bytes[14] = static_cast<uint8_t>(0x40 | (bytes[14] & 0x0F));
    if (i % 3 == 0) bytes[14 + 9] = static_cast<uint8_t>(i % 6 ? kIpUdp : kIpTcp);
    if (i % 5 == 0) bytes[14 + 2] = bytes[14 + 3] = 0xFF;
    Feed(bytes, {.missing = static_cast<int>(random() % 3 == 0 ? random() % 40 : 0)});
  }
  stage.MarkLearnedServers();
  EXPECT_GT(model.Packets.Count(), 2999);
}

}  // namespace
}  // namespace corvanta::testing

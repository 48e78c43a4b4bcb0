#include <gtest/gtest.h>

#include "NetworkTestBench.h"

namespace corvanta::testing {
namespace {

using Conversations = NetworkBench;

TEST_F(Conversations, PeersAndConversationsOfAnAddressPair) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1026, 80, 1))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1))));
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, IcmpEcho(false, 1, 1, {}))));
  Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpIcmp, IcmpEcho(false, 1, 2, {}))));
  Feed(EtherIp(IpTcp(kIpA, kIpC, Tcp(1027, 80, 1))));

  const NetAddressNode* a = model.NetAddresses.Find(IpKey(kIpA));
  ASSERT_NE(a, nullptr);
  std::vector<AddressKey> peers;
  model.ForEachNetPeer(*a,
                       [&](int32_t, const TNetPeer& p) { peers.push_back(model.NetAddresses.AddressAt(p.Receiver)); });
  ASSERT_EQ(peers.size(), 2u);
  EXPECT_EQ(peers[0], IpKey(kIpB));
  EXPECT_EQ(peers[1], IpKey(kIpC));

  const TNetPeer* ab = Peer(IpKey(kIpA), IpKey(kIpB));
  ASSERT_NE(ab, nullptr);
  EXPECT_EQ(ab->Packets, 5);
  EXPECT_EQ(ab->Bytes, 5 * 64);
  EXPECT_EQ(ab->SubProtocols, 1u << kSubTcp | 1u << kSubIcmp);
  EXPECT_EQ(model.Objects.PacketsBySubProtocol(*ab)[kSubTcp], 3);
  EXPECT_EQ(model.Objects.PacketsBySubProtocol(*ab)[kSubIcmp], 2);
  EXPECT_EQ(ab->LastTTL, 64);
  std::vector<std::pair<uint8_t, int>> conversations;
  model.ForEachConversation(*ab, [&](int32_t, const TTransHead& c) {
    conversations.push_back({c.SubProtocol, static_cast<int>(PacketsOf(&c).size())});
  });
  EXPECT_EQ(conversations, (std::vector<std::pair<uint8_t, int>>{{kSubTcp, 2}, {kSubTcp, 1}, {kSubIcmp, 2}}));
}

TEST_F(Conversations, PortBasedConversationsMatchOnPortsAlone) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 2049, 1))));
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1025, 2049, Filler(20))));
  const TTransHead* c = Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->SubProtocol, kSubTcp);
  EXPECT_EQ(PacketsOf(c).size(), 2u);
  EXPECT_EQ(c->NextConversation, -1);
  EXPECT_EQ(model.Objects.PacketsBySubProtocol(*Peer(IpKey(kIpA), IpKey(kIpB)))[kSubUdp], 1);
}

TEST_F(Conversations, LargestWindowOfTheConversation) {
  TcpSegment s = Tcp(1025, 80, 1);
  for (uint16_t w : {1000, 30000, 500}) {
    s.window = w;
    Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  }
  EXPECT_EQ(model.LargestWindow(*Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80)), 30000);
}

TEST_F(Conversations, PacketChainAndCrcMark) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1, 10))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 11, 10))), {.status = kStatusCrcError});
  const TTransHead* c = Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80);
  ASSERT_NE(c, nullptr);
  const TPacket& first = model.Packets.At(c->FirstPacket);
  const TPacket& last = model.Packets.At(c->LastPacket);
  EXPECT_EQ(model.Packets.Next(c->FirstPacket), c->LastPacket);
  EXPECT_EQ(model.Packets.Previous(c->LastPacket), c->FirstPacket);
  EXPECT_EQ(model.Packets.Next(c->LastPacket), -1);
  EXPECT_EQ(first.Flags & kPacketCrcError, 0);
  EXPECT_EQ(last.Flags, kPacketRequest | kPacketCrcError);
}

TEST_F(Conversations, TcpGapPlaceholderBeforeASegmentPastTheExpectedSequence) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1000, 100))), {.time = 5000});
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1101, 100))), {.time = 6000});  // one beyond: no gap
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1203, 100, kTcpAck | kTcpPsh, 77))), {.time = 7000});
  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80));
  ASSERT_EQ(packets.size(), 4u);
  EXPECT_FALSE(IsGapPlaceholder(packets[1].Flags));
  const TPacket& gap = packets[2];
  EXPECT_TRUE(IsGapPlaceholder(gap.Flags));
  EXPECT_EQ(gap.Flags, kPacketGap | kPacketRequest);
  EXPECT_EQ(gap.Time, 6000);  // the previous packet's time
  EXPECT_EQ(gap.FrameNumber, 3);
  EXPECT_EQ(gap.Length, packets[3].Length);
  EXPECT_EQ(gap.Sequence, 1203u);
  EXPECT_EQ(gap.Acknowledge, 77u);
  EXPECT_EQ(gap.TotalLength, 0);
  EXPECT_EQ(gap.TcpFlags, 0);
  EXPECT_EQ(packets[3].Sequence, 1203u);
  EXPECT_EQ(packets[3].Time, 7000);
  EXPECT_EQ(packets[3].Flags, kPacketRequest);
}

TEST_F(Conversations, NoTcpGapAfterARetransmissionForASynOrPastTheSequenceSpace) {
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1000, 100))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1000, 100))));  // a retransmission
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 5000, 100))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 90000, 0, kTcpSyn))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 0xFFFFFFF0u, 100))));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 0xFFFFFFFFu, 10))));  // past 2^32: no gap
  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80));
  ASSERT_EQ(packets.size(), 7u);
  EXPECT_EQ(packets[1].Flags & kPacketRetransmission, kPacketRetransmission);
  for (size_t i : {0, 1, 2, 3, 5, 6}) EXPECT_FALSE(IsGapPlaceholder(packets[i].Flags)) << i;
  EXPECT_TRUE(IsGapPlaceholder(packets[4].Flags));  // 90001 before 0xFFFFFFF0
}

TEST_F(Conversations, NcpGapWhenASequenceNumberIsSkipped) {
  const IpxAddress server = {0x10, {0, 0, 0x1B, 0, 0, 1}, kNcpSocket};
  const IpxAddress client = {0x20, {0, 0, 0x1B, 0, 0, 2}, 0x4003};
  for (uint8_t seq : {1, 2, 4, 3, 0, 9})
    Feed(EtherIpx(IpxPacket(0x11, server, client, NcpRequest(seq, 1, 1, 0x17, {}))));
  std::vector<TPacket> packets = PacketsOf(Conversation(IpxKey(client), IpxKey(server), 0x4003, kNcpSocket));
  ASSERT_EQ(packets.size(), 8u);
  EXPECT_TRUE(IsGapPlaceholder(packets[2].Flags));  // before 4
  EXPECT_EQ(packets[2].Sequence, 4u);
  EXPECT_EQ(packets[3].Sequence, 4u);
  EXPECT_TRUE(IsGapPlaceholder(packets[6].Flags));  // 0 is skipped, 3 to 9
  EXPECT_EQ(packets[7].Sequence, 9u);
  EXPECT_EQ(std::count_if(packets.begin(), packets.end(), [](const TPacket& p) { return IsGapPlaceholder(p.Flags); }),
            2);
}

TEST_F(Conversations, ResetsAndZeroWindows) {
  TcpSegment s = Tcp(1025, 80, 1);
  s.window = 0;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags & (kPacketZeroWindow | kPacketReset), kPacketZeroWindow);
  s.flags = kTcpRst | kTcpAck;
  s.seq = 2;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags & (kPacketZeroWindow | kPacketReset), kPacketReset);
  s.flags = kTcpFin | kTcpAck;
  Feed(EtherIp(IpTcp(kIpA, kIpB, s)));
  EXPECT_EQ(Newest().Flags & (kPacketZeroWindow | kPacketReset), 0);
  // UDP and IPX packets have no window.
  Feed(EtherIp(IpUdp(kIpA, kIpB, 1025, 69, Filler(10))));
  EXPECT_EQ(Newest().Flags & kPacketZeroWindow, 0);
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include "NetworkTestBench.h"

namespace corvanta::testing {
namespace {

Ipv4Options Ttl(uint8_t ttl, uint16_t id = 0) {
  Ipv4Options o;
  o.ttl = ttl;
  o.id = id;
  return o;
}

const IpxAddress kServer = {0x10, {0, 0, 0x1B, 0, 0, 1}, kNcpSocket};
const IpxAddress kClient = {0x20, {0, 0, 0x1B, 0, 0, 2}, 0x4003};

class Repeats : public NetworkBench {
 protected:
  void FeedTcp(const TcpSegment& s, uint8_t ttl = 64) { Feed(EtherIp(IpTcp(kIpA, kIpB, s, Ttl(ttl)))); }
  void FeedNcp(uint8_t seq, uint8_t function, uint8_t hops = 0, double time = -1, const MacAddr& dst = kMacB) {
    Feed(EtherIpx(IpxPacket(0x11, kServer, kClient, NcpRequest(seq, 1, 1, function, {}), hops), dst), {.time = time});
  }
  void FeedSpx(uint8_t control, uint16_t seq, uint8_t hops = 0) {
    Feed(EtherIpx(IpxPacket(5, kServer, kClient, SpxHeader(control, 0, 0x1111, 0x2222, seq, 0, 4), hops)));
  }
  void FeedBurst(uint16_t seq, uint8_t missing, uint8_t function, uint8_t hops = 0) {
    Bytes data(60, 0);
    data[0] = data[1] = 0x77;
    data[21] = static_cast<uint8_t>(seq);
    data[23] = static_cast<uint8_t>(seq);
    data[35] = missing;
    data[36] = function;
    Feed(EtherIpx(IpxPacket(0x11, kServer, kClient, data, hops)));
  }
  static constexpr PacketFlags kMarks = kPacketRetransmission | kPacketRoutedDuplicate;
};

TEST_F(Repeats, TcpRetransmissionAndRoutedDuplicate) {
  FeedTcp(Tcp(1025, 80, 1000, 100));
  FeedTcp(Tcp(1025, 80, 1000, 100));
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  EXPECT_EQ(NewestDistance(), 1);
  FeedTcp(Tcp(1025, 80, 1000, 100), 63);  // the same segment again, one router later
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRoutedDuplicate);
  FeedTcp(Tcp(1025, 80, 1100, 100));
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  EXPECT_EQ(NewestDistance(), 0);
}

TEST_F(Repeats, TcpCandidatesReachTwentyBackButNotTheFirstPacketUnlessPrevious) {
  FeedTcp(Tcp(1025, 80, 1, 10));  // the conversation's first packet
  for (uint32_t i = 0; i < 25; ++i) FeedTcp(Tcp(1025, 80, 100 + i * 10, 10));
  FeedTcp(Tcp(1025, 80, 100 + 5 * 10, 10));  // 20 back
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  EXPECT_EQ(NewestDistance(), 20);
  FeedTcp(Tcp(1025, 80, 100 + 5 * 10, 10));  // the copy just filed
  EXPECT_EQ(NewestDistance(), 1);
  FeedTcp(Tcp(1025, 80, 100 + 4 * 10, 10));  // 23 back
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedTcp(Tcp(1025, 80, 1, 10));  // the first packet is not a candidate here
  EXPECT_EQ(Newest().Flags & kMarks, 0);
}

// Long conversations keep their last segments aside for the retransmission rule: the marks
// stay those of the walk along the chain, with gaps, controls, empty segments and routers.
TEST_F(Repeats, TcpMarksOfALongConversationMatchTheChainWalk) {
  uint32_t seed = 99;
  auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % range;
  };
  uint32_t sequence = 1000;
  uint32_t ack = 1;
  int marked = 0;
  for (int i = 0; i < 400; ++i) {
    const uint32_t r = next(10);
    uint32_t seq = r < 6 ? sequence : r < 9 ? sequence - 10 * next(25) : sequence + 30;  // new, repeated, gap
    const size_t payload = next(4) == 0 ? 0 : 10;
    const uint8_t flags = next(15) == 0 ? kTcpSyn : next(15) == 0 ? (kTcpFin | kTcpAck) : kTcpAck;
    ack = next(12) == 0 ? ack - 1 : ack + next(2);
    FeedTcp(Tcp(1025, 80, seq, payload, flags, ack), next(6) == 0 ? 63 : 64);
    if (seq == sequence) sequence += static_cast<uint32_t>(payload);

    const TPacket& newest = Newest();
    std::vector<TPacket> chain = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80));
    std::vector<TPacket> real;
    for (const TPacket& p : chain)
      if (IsRealPacket(p.Flags)) real.push_back(p);
    ASSERT_FALSE(real.empty());
    real.pop_back();  // the newest
    uint8_t distance = 0;
    PacketFlags marks = 0;
    if (!real.empty() && newest.Acknowledge >= real.back().Acknowledge) {
      const bool control = (newest.TcpFlags & (kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst)) != 0;
      const int n = static_cast<int>(real.size());
      for (int count = 1; count <= 20; ++count) {
        const int j = n - count;
        if (count > 1 && j < 1) break;  // the first packet is a candidate only as the previous one
        const TPacket& c = real[static_cast<size_t>(j)];
        const bool cControl = (c.TcpFlags & (kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst)) != 0;
        const int64_t length = int64_t{c.TotalLength} - c.HeaderLength - c.TransportHeaderLength + (cControl ? 1 : 0);
        // (no fragments here)
        if ((length == 0 && c.TTL <= newest.TTL) || c.Sequence != newest.Sequence) continue;
        distance = static_cast<uint8_t>(count);
        if (newest.TTL < c.TTL)
          marks = kPacketRoutedDuplicate;
        else if (control == cControl)
          marks = kPacketRetransmission;
        break;
      }
    }
    ASSERT_EQ(NewestDistance(), distance) << i;
    ASSERT_EQ(newest.Flags & kMarks, marks) << i;
    if (distance > 1) ++marked;
  }
  EXPECT_GT(marked, 50);  // the rule found segments further back, many times
}

TEST_F(Repeats, TcpRetransmissionNeedsAnAcknowledgementNotBelowThePrevious) {
  FeedTcp(Tcp(1025, 80, 1000, 100, kTcpAck, 500));
  FeedTcp(Tcp(1025, 80, 1000, 100, kTcpAck, 499));
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  EXPECT_EQ(NewestDistance(), 0);
}

TEST_F(Repeats, TcpControlSegmentsCountAsOneByte) {
  FeedTcp(Tcp(1025, 80, 7000, 0, kTcpSyn));
  FeedTcp(Tcp(1025, 80, 7000, 0, kTcpSyn));  // a repeated SYN
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  FeedTcp(Tcp(1025, 80, 7001, 0));
  FeedTcp(Tcp(1025, 80, 7001, 0));  // pure acknowledgements are not candidates
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedTcp(Tcp(1025, 80, 7000, 0));  // matches the SYN but disagrees on the control bits
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  EXPECT_EQ(NewestDistance(), 3);
}

TEST_F(Repeats, NcpRepeatedRequests) {
  FeedNcp(5, 0x48, 0, 1'000'000);
  FeedNcp(5, 0x48, 0, 3'000'000);
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  FeedNcp(5, 0x48, 1, 4'000'000);  // one more hop: seen again behind a router
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRoutedDuplicate);
  FeedNcp(5, 0x48, 1, 14'000'001);  // 10 s after the previous
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedNcp(5, 0x49, 1, 14'500'000);  // another function
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedNcp(5, 0x49, 1, 14'600'000, kBroadcastMac);
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedNcp(6, 0x49, 1, 14'700'000);
  EXPECT_EQ(Newest().Flags & kMarks, 0);
}

TEST_F(Repeats, SpxRepeatsTheRequestBeforeIt) {
  FeedSpx(0x40, 3);
  FeedSpx(0x40, 3);
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  FeedSpx(0x40, 3, 2);
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRoutedDuplicate);
  FeedSpx(0xC0, 3);  // a reply
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedSpx(0x40, 3);  // the previous packet is not a request
  EXPECT_EQ(Newest().Flags & kMarks, 0);
}

TEST_F(Repeats, Spx2SearchesTheCandidates) {
  FeedSpx(0x48, 10);
  FeedSpx(0x48, 11);
  FeedSpx(0x48, 12);
  FeedSpx(0x48, 11);
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  EXPECT_EQ(NewestDistance(), 2);
  FeedSpx(0x48, 12, 3);
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRoutedDuplicate);
  EXPECT_EQ(NewestDistance(), 2);
}

TEST_F(Repeats, PacketBurstMarks) {
  FeedBurst(1, 0, 1);  // a read request: no previous packet, nothing missing
  EXPECT_EQ(Newest().Flags & kMarks, 0);
  FeedBurst(1, 0, 0);  // repeats a read request
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  EXPECT_EQ(Newest().Function(), 0);
  FeedBurst(2, 3, 0);  // asks for missing fragments
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRetransmission);
  EXPECT_EQ(Newest().Function(), 3);
  FeedBurst(2, 0, 0, 1);  // the same burst one hop further
  EXPECT_EQ(Newest().Flags & kMarks, kPacketRoutedDuplicate);
  FeedBurst(3, 0, 0, 1);
  EXPECT_EQ(Newest().Flags & kMarks, 0);
}

class Fragments : public NetworkBench {
 protected:
  // A fragment of datagram id carrying `size` bytes from `offset`.
  void FeedFragment(uint16_t id, uint16_t offset, size_t size, bool more) {
    Ipv4Options o;
    o.id = id;
    o.fragmentOffset = offset;
    o.moreFragments = more;
    Bytes payload = offset == 0 ? UdpHeader(kIpA, kIpB, 1025, 2049, Filler(size - 8)) : Filler(size);
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpUdp, payload, o)));
  }
};

TEST_F(Fragments, AFragmentFollowingItsPredecessorIsNotMarked) {
  FeedFragment(1, 0, 1480, true);
  FeedFragment(1, 1480, 1480, true);
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, 0);
  FeedFragment(1, 2960, 100, false);
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, 0);
}

TEST_F(Fragments, AFragmentWhosePredecessorWasNotSeenIsMarked) {
  FeedFragment(1, 0, 1480, true);
  FeedFragment(1, 2960, 100, false);  // 1480 lost
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
  FeedFragment(2, 0, 1480, true);
  FeedFragment(3, 1480, 100, false);  // another datagram's fragment ends the walk
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
}

TEST_F(Fragments, ALoneLaterFragmentIsMarked) {
  FeedFragment(9, 1480, 100, false);  // the first packet of its conversation
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
}

TEST_F(Fragments, PrecedingFragmentsAreFoundFurtherBack) {
  FeedFragment(4, 0, 800, true);
  FeedFragment(4, 800, 800, true);
  FeedFragment(4, 2400, 800, false);  // 1600 missing so far
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
  FeedFragment(4, 1600, 800, true);  // late: follows 800, two back
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, 0);
}

// Fragments 0, 2960, 1480: the last follows the first, whether or not the datagram opened
// its conversation.
TEST_F(Fragments, OutOfOrderFragmentsFindTheConversationsFirstPacket) {
  for (bool opening : {true, false}) {
    SCOPED_TRACE(opening);
    model.Reset();
    model.Objects.New<TDLCPeer>();
    if (!opening) FeedFragment(1, 0, 100, false);  // an earlier, unfragmented datagram
    FeedFragment(2, 0, 1480, true);
    FeedFragment(2, 2960, 100, false);
    EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
    FeedFragment(2, 1480, 1480, true);
    EXPECT_EQ(Newest().Flags & kPacketMissingFragment, 0);
  }
}

// Many unmatched fragments of one identification do not walk back over each other without
// end: a predecessor further back than the bound is not looked for.
TEST_F(Fragments, TheFragmentWalkIsBounded) {
  FeedFragment(2, 0, 100, false);  // the first fragment below is not the conversation's first packet
  FeedFragment(3, 0, 1480, true);
  for (int k = 0; k < 200; ++k) FeedFragment(3, 8000, 8, true);
  FeedFragment(3, 1480, 1480, true);
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, kPacketMissingFragment);
  FeedFragment(3, 2960, 8, true);  // its predecessor is the one before
  EXPECT_EQ(Newest().Flags & kPacketMissingFragment, 0);
}

TEST_F(Fragments, LaterTcpFragmentsAreNotJudgedAsSegments) {
  Ipv4Options o;
  o.id = 5;
  o.moreFragments = true;
  for (uint16_t id : {5, 6}) {
    o.id = id;
    o.fragmentOffset = 0;
    o.moreFragments = true;
    Bytes segment = TcpHeader(kIpA, kIpB, Tcp(1025, 80, 1000u + id * 1000u, 1460));
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpTcp, Bytes(segment.begin(), segment.begin() + 1480), o)));
    o.fragmentOffset = 1480;
    o.moreFragments = false;
    Feed(EtherIp(Ipv4Packet(kIpA, kIpB, kIpTcp, Bytes(segment.begin() + 1480, segment.end()), o)));
    EXPECT_EQ(Newest().Flags & ~kPacketDirection, 0) << id;  // no retransmission, window or gap marks
  }
  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80));
  ASSERT_EQ(packets.size(), 4u);
  for (const TPacket& p : packets) EXPECT_FALSE(IsGapPlaceholder(p.Flags));
}

class IcmpReports : public NetworkBench {};

TEST_F(IcmpReports, PortUnreachableIsFiledAfterThePacketItQuotes) {
  Bytes first = IpUdp(kIpA, kIpB, 1025, 2049, Filler(20), Ttl(64, 0x0101));
  Bytes second = IpUdp(kIpA, kIpB, 1025, 2049, Filler(20), Ttl(64, 0x0102));
  Feed(EtherIp(first));
  Feed(EtherIp(second));
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpUnreachable(3, first), Ttl(128, 0x7777)), kMacA, kMacB));
  EXPECT_EQ(Newest().Flags, kIcmpReportFlags);  // created after the ICMP packet's own record

  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049));
  ASSERT_EQ(packets.size(), 3u);
  EXPECT_EQ(packets[0].Identification, 0x0101);
  const TPacket& report = packets[1];
  EXPECT_EQ(report.Flags, kIcmpReportFlags);
  EXPECT_EQ(report.Sequence, 1u);  // frame number of the quoted packet
  EXPECT_EQ(report.FrameNumber, 3);
  EXPECT_EQ(report.Identification, 0x7777);
  EXPECT_EQ(report.TTL, 128);
  EXPECT_EQ(report.Window, 3 << 8 | 3);
  EXPECT_EQ(report.HeaderLength, 20);
  EXPECT_EQ(report.TotalLength, 20 + 8 + 28);
  EXPECT_EQ(report.Acknowledge, 0x0A000002u);  // the reporting station, 10.0.0.2
  EXPECT_EQ(packets[2].Identification, 0x0102);

  // Quoting the last packet makes the report the conversation's last record.
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpUnreachable(3, second)), kMacA, kMacB));
  const TTransHead* c = Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049);
  EXPECT_EQ(model.Packets.At(c->LastPacket).Flags, kIcmpReportFlags);
  EXPECT_EQ(model.Packets.At(c->LastPacket).Sequence, 2u);
  // The ICMP packets have their own conversation.
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA))).size(), 2u);
}

// Unreachable, source quench, redirect and time exceeded are all filed.
TEST_F(IcmpReports, EveryErrorReportTypeIsFiled) {
  for (uint8_t type : {3, 4, 5, 11}) {
    SCOPED_TRACE(int{type});
    model.Reset();
    model.Objects.New<TDLCPeer>();
    Bytes sent = IpUdp(kIpA, kIpB, 33434, 33435, Filler(20), Ttl(1, 0x0101));
    Feed(EtherIp(sent));
    Feed(EtherIp(Ipv4Packet(kIpC, kIpA, kIpIcmp, IcmpMessage(type, 0, 0, Bytes(sent.begin(), sent.begin() + 28))),
                 kMacA, kMacB));
    std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 33434, 33435));
    ASSERT_EQ(packets.size(), 2u);
    EXPECT_EQ(packets[1].Flags, kIcmpReportFlags);
    EXPECT_EQ(packets[1].Window, type);
  }
}

TEST_F(IcmpReports, ReportsThatMatchNothingAreDropped) {
  Bytes sent = IpUdp(kIpA, kIpB, 1025, 2049, Filler(20), Ttl(64, 0x0101));
  Feed(EtherIp(sent));
  Bytes otherId = IpUdp(kIpA, kIpB, 1025, 2049, Filler(20), Ttl(64, 0x0999));
  Bytes otherPorts = IpUdp(kIpA, kIpB, 1025, 2050, Filler(20), Ttl(64, 0x0101));
  Bytes otherHost = IpUdp(kIpC, kIpB, 1025, 2049, Filler(20), Ttl(64, 0x0101));
  Bytes otherDestination = IpUdp(kIpA, kIpC, 1025, 2049, Filler(20), Ttl(64, 0x0101));
  for (const Bytes* quoted : {&otherId, &otherPorts, &otherHost, &otherDestination})
    Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpUnreachable(3, *quoted)), kMacA, kMacB));
  // An echo reply and a parameter problem are no error reports.
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpMessage(12, 0, 0, sent)), kMacA, kMacB));
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049)).size(), 1u);
  // A truncated ICMP message reads zeros past the frame.
  Bytes truncated = Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpMessage(3, 3, 0, Bytes(sent.begin(), sent.begin() + 10)));
  Feed(EtherIp(truncated), {.missing = 20});
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 2049)).size(), 1u);
}

TEST_F(IcmpReports, ReportRecordsAreNoPacketsForTheTcpRules) {
  Bytes segment = IpTcp(kIpA, kIpB, Tcp(1025, 80, 1000, 100), Ttl(64, 0x0300));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 999, 0, kTcpSyn), Ttl(64, 0x02FF))));
  Feed(EtherIp(segment));
  Feed(EtherIp(Ipv4Packet(kIpC, kIpA, kIpIcmp, IcmpMessage(4, 0, 0, Bytes(segment.begin(), segment.begin() + 28))),
               kMacA, kMacB));
  FeedOptions o;
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1101, 100), Ttl(64, 0x0301))), o);
  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 1025, 80));
  ASSERT_EQ(packets.size(), 4u);
  EXPECT_EQ(packets[2].Flags, kIcmpReportFlags);
  EXPECT_FALSE(IsGapPlaceholder(packets[3].Flags));  // the expected sequence is the segment's
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(1025, 80, 1000, 100), Ttl(64, 0x0302))));
  EXPECT_EQ(Newest().Flags & kPacketRetransmission, kPacketRetransmission);
  EXPECT_EQ(NewestDistance(), 2);
}

class LearnedServers : public NetworkBench {};

TEST_F(LearnedServers, ConversationsOfALearnedPortTakeItsDirection) {
  // 9000 and 9100: the lower port rule takes 9000 for the server.
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(9100, 9000, 1, 0, kTcpAck))));
  Feed(EtherIp(IpTcp(kIpB, kIpA, Tcp(9000, 9100, 1, 0, kTcpAck)), kMacA, kMacB));
  Feed(EtherIp(IpTcp(kIpB, kIpA, Tcp(9000, 9100, 2, 0, kTcpRst | kTcpAck)), kMacA, kMacB));
  Feed(EtherIp(IpTcp(kIpC, kIpA, Tcp(8999, 9100, 1, 0, kTcpSyn))));  // teaches 9100
  ASSERT_TRUE(model.LearnedServers.Contains(IpKey(kIpA), 9100));
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 9100, 9000))[0].Flags, kPacketRequest);
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA), 9000, 9100))[0].Flags, kPacketReply);

  stage.MarkLearnedServers();
  for (const TPacket& p : PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 9100, 9000)))
    EXPECT_EQ(p.Flags & kPacketDirection, kPacketReply);
  std::vector<TPacket> toServer = PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA), 9000, 9100));
  ASSERT_EQ(toServer.size(), 2u);
  EXPECT_EQ(toServer[0].Flags, kPacketRequest);
  EXPECT_EQ(toServer[1].Flags & kPacketDirection, kPacketRequest);
  EXPECT_EQ(toServer[1].Flags & kPacketReset, kPacketReset);  // the other flags stay
}

// A port learned at one server says nothing of another host that uses the same number as
// its own (client) port: the HTTPS connection from A's port 50123 keeps A as its client.
TEST_F(LearnedServers, ALearnedPortBelongsToItsServerOnly) {
  Feed(EtherIp(IpTcp(kIpC, kIpB, Tcp(2000, 50123, 1, 0, kTcpSyn))));  // teaches B's 50123
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(50123, 443, 1, 100))));
  Feed(EtherIp(IpTcp(kIpB, kIpA, Tcp(443, 50123, 1, 100)), kMacA, kMacB));
  stage.MarkLearnedServers();
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 50123, 443))[0].Flags & kPacketDirection, kPacketRequest);
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA), 443, 50123))[0].Flags & kPacketDirection, kPacketReply);
  // The server that was taught keeps its direction.
  EXPECT_EQ(PacketsOf(Conversation(IpKey(kIpC), IpKey(kIpB), 2000, 50123))[0].Flags & kPacketDirection, kPacketRequest);
}

TEST_F(LearnedServers, EveryFlagButTheDirectionSurvives) {
  // The client's port 3000 is the lower one: before the post-pass its partner counts as the client.
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(3000, 8080, 1, 0, kTcpSyn))));
  Feed(EtherIp(IpTcp(kIpB, kIpA, Tcp(8080, 3000, 100, 10), Ttl(64, 4)), kMacA, kMacB), {.status = kStatusCrcError});
  Feed(EtherIp(IpTcp(kIpB, kIpA, Tcp(8080, 3000, 500, 10, kTcpRst | kTcpAck), Ttl(64, 5)), kMacA, kMacB));
  Ipv4Options later;
  later.id = 5;
  later.fragmentOffset = 800;
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpTcp, Filler(40), later), kMacA, kMacB));

  std::vector<TPacket> before = PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA), 8080, 3000));
  ASSERT_EQ(before.size(), 4u);
  EXPECT_EQ(before[0].Flags, kPacketRequest | kPacketCrcError);
  EXPECT_EQ(before[1].Flags, kPacketGap | kPacketRequest);
  EXPECT_EQ(before[2].Flags, kPacketRequest | kPacketReset);
  EXPECT_EQ(before[3].Flags, kPacketMissingFragment);

  stage.MarkLearnedServers();
  std::vector<TPacket> after = PacketsOf(Conversation(IpKey(kIpB), IpKey(kIpA), 8080, 3000));
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].Flags & ~kPacketDirection, before[i].Flags & ~kPacketDirection) << i;
    EXPECT_EQ(after[i].Flags & kPacketDirection, kPacketReply) << i;
  }
  EXPECT_TRUE(IsGapPlaceholder(after[1].Flags));
  for (const TPacket& p : PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 3000, 8080)))
    EXPECT_EQ(p.Flags, kPacketRequest);
}

TEST_F(LearnedServers, ReportRecordsAndIpxConversationsAreLeftAlone) {
  Bytes request = IpUdp(kIpA, kIpB, 40000, 8080, Filler(10), Ttl(64, 0x55));
  Feed(EtherIp(IpTcp(kIpA, kIpB, Tcp(40001, 8080, 1, 0, kTcpSyn))));
  Feed(EtherIp(request));
  Feed(EtherIp(Ipv4Packet(kIpB, kIpA, kIpIcmp, IcmpUnreachable(3, request)), kMacA, kMacB));
  // An SPX reply whose destination connection number equals the learned port.
  const IpxAddress server = {0x10, {0, 0, 0x1B, 0, 0, 1}, 0x8060};
  const IpxAddress client = {0x20, {0, 0, 0x1B, 0, 0, 2}, 0x4003};
  Feed(EtherIpx(IpxPacket(5, client, server, SpxHeader(0xC0, 0, 0x1111, 8080, 1, 0, 4))));

  stage.MarkLearnedServers();
  std::vector<TPacket> packets = PacketsOf(Conversation(IpKey(kIpA), IpKey(kIpB), 40000, 8080));
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].Flags, kPacketRequest);
  EXPECT_EQ(packets[1].Flags, kIcmpReportFlags);
  EXPECT_EQ(PacketsOf(Conversation(IpxKey(server), IpxKey(client), 0x1111, 8080))[0].Flags, kPacketReply);
}

}  // namespace
}  // namespace corvanta::testing

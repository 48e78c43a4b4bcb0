#include <gtest/gtest.h>

#include "analysis/Diagnostics.h"
#include "analysis/ModelBuilder.h"
#include "analysis/ProblemSummary.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

// Packets of one TCP conversation checked one by one, as the visualizer would draw them.
struct Bench {
  ModelBuilder b;
  BrisqonSettings settings;
  DiagnosticContext context;
  DiagnosticState state;
  int32_t forward = -1;
  int32_t reverse = -1;

  explicit Bench(SubProtocol sub = kSubTcp) {
    // A record of another conversation comes first in the packet list.
    int32_t other = b.Conversation(b.Peer(Ip(10, 9, 9, 9), kServerAddress), kSubTcp, 1, 2);
    b.Add(other, Tcp(1, 0, 0, 0, 0));
    forward = b.Conversation(b.Peer(kClientAddress, kServerAddress), sub, 1025, 80);
    reverse = b.Conversation(b.Peer(kServerAddress, kClientAddress), sub, 80, 1025);
    context.Model = &b.model;
    context.Settings = &settings;
    context.CurrentSubProtocol = sub;
    context.MaxWindow = {8000, 8000};
  }
  int32_t Add(int direction, const Pkt& p) {
    int32_t index = b.Add(direction == kForward ? forward : reverse, p);
    At(index).TTL = 64;
    return index;
  }
  TPacket& At(int32_t index) { return b.model.Packets.At(index); }
  // Checks the packet and notes it drawn; the messages it got.
  std::vector<std::string> Check(int32_t index, int direction = kForward, int* drawn = nullptr) {
    PacketDiagnosis d;
    DiagnosePacket(context, state, index, direction, d);
    NoteDrawnPacket(b.model, state, index, direction);
    if (drawn) *drawn = direction;
    return d.Messages;
  }
  const DirectionCounters& Forward() const { return state.Counters.Direction[kForward]; }
  const DirectionCounters& Reverse() const { return state.Counters.Direction[kReverse]; }
};

Pkt WithWindow(Pkt p, uint16_t window) {
  p.window = window;
  return p;
}

using Messages = std::vector<std::string>;

TEST(Diagnostics, LowTtlFiresAtTheThresholdAndOnlyForIpSources) {
  Bench t;
  int32_t a = t.Add(kForward, Tcp(2, 0, 100, 0, 10, 0, 0x18));
  int32_t c = t.Add(kForward, Tcp(3, 1, 110, 0, 10, 0, 0x18));
  t.At(a).TTL = 1;
  t.At(c).TTL = 2;
  EXPECT_EQ(t.Check(a), Messages{"Low TTL"});
  EXPECT_EQ(t.Check(c), Messages{});
  t.context.SourceIsIp = false;
  EXPECT_EQ(t.Check(a), Messages{});
  EXPECT_EQ(t.Forward().LowTtl, 1);
}

TEST(Diagnostics, IcmpReportIsCountedTowardsItsSenderAndNamesTheReportedFrame) {
  Bench t(kSubUdp);
  struct Case {
    uint16_t window;  // type, code << 8
    std::string text;
  } cases[] = {{3 | 3 << 8, "Port Unreachable (pkt 7)"},
               {11, "Time to Live Exceeded in Transit (pkt 7)"},
               {0, "Echo Reply"},
               {42, "ICMP type 42 code 0 (pkt 7)"},
               {3 | 9 << 8, "ICMP type 3 code 9 (pkt 7)"}};
  for (const Case& c : cases) {
    int32_t r = t.Add(kForward, Pkt{.frame = 9, .time = 5, .flags = kIcmpReportFlags, .seq = 7, .window = c.window});
    t.At(r).TTL = 128;
    int drawn = -1;
    EXPECT_EQ(t.Check(r, kForward, &drawn), Messages{c.text}) << c.text;
    EXPECT_EQ(drawn, kReverse);
  }
  EXPECT_EQ(t.Reverse().IcmpReports, 5);
  EXPECT_EQ(t.Forward().IcmpReports, 0);
  // Report records never become the last drawn packet of a direction.
  EXPECT_EQ(t.state.LastDrawn[kForward], -1);
  EXPECT_EQ(t.state.LastDrawn[kReverse], -1);
}

TEST(Diagnostics, LowStartingMssAndLowWindowAtTheirEdges) {
  Bench t;
  struct Case {
    uint16_t tcpFlags;
    uint16_t mss;
    uint16_t window;
    Messages expected;
  } cases[] = {
      {0x02, 1024, 8000, {"Low Starting MSS"}},
      {0x02, 1025, 8000, {}},
      {0x02, 0, 8000, {}},
      {0x02, 500, 10, {"Low Starting MSS"}},  // no window checks on a SYN
      {0x10, 0, 799, {"Low Window"}},         // limit round(8000 * 10 / 100) = 800
      {0x10, 0, 800, {}},
  };
  int frame = 2;
  for (const Case& c : cases) {
    int32_t i = t.Add(kForward, WithWindow(Tcp(frame++, 0, 1, 0, 0, 0, c.tcpFlags), c.window));
    t.context.MaxSegment[kForward] = c.mss;
    if (c.mss != 0) t.At(i).Flags |= kPacketMaxSegment;
    EXPECT_EQ(t.Check(i), c.expected) << frame;
  }
  // A window of 0 is a zero window, not a low one.
  int32_t z = t.Add(kForward, WithWindow(Tcp(frame, 0, 1, 0, 0, kPacketZeroWindow), 0));
  EXPECT_EQ(t.Check(z), Messages{"Zero Window"});
}

TEST(Diagnostics, WindowStuckNeedsTwoPacketsOfOneDirectionAtLeastTheThresholdApart) {
  for (double apart : {1'999'400.0, 2'000'000.0}) {
    Bench t;
    int32_t a = t.Add(kForward, WithWindow(Tcp(2, 0, 1, 0, 10, 0, 0x18), 4000));
    int32_t b = t.Add(kForward, WithWindow(Tcp(3, apart, 11, 0, 10, 0, 0x18), 4000));
    EXPECT_EQ(t.Check(a), Messages{});  // nothing drawn before in its direction
    Messages expected;
    if (apart >= 2'000'000) expected.push_back("Window Stuck at 4000 (largest = 8000)");
    EXPECT_EQ(t.Check(b), expected) << apart;
  }
}

TEST(Diagnostics, IdleAndSlowAckWaitForAPacketOfTheOtherDirection) {
  Bench t;
  // The first record of the packet list (another conversation, time 0) is not "the last
  // drawn packet": a first packet long after it gives no Idle Too Long.
  int32_t first = t.Add(kForward, WithWindow(Tcp(2, 400e6, 1, 0, 100, 0, 0x18), 8000));
  EXPECT_EQ(t.Check(first), Messages{});
  int32_t ack = t.Add(kReverse, WithWindow(Tcp(3, 400.25e6, 0, 101, 0), 8000));
  EXPECT_EQ(t.Check(ack, kReverse), Messages{});  // 250 ms is not above 250
  int32_t data = t.Add(kForward, WithWindow(Tcp(4, 800.5e6, 101, 0, 100, 0, 0x18), 8000));
  EXPECT_EQ(t.Check(data), Messages{"Idle Too Long (400 secs from Pkt 3)"});
  int32_t slow = t.Add(kReverse, WithWindow(Tcp(5, 800.7515e6, 0, 201, 0), 8000));
  EXPECT_EQ(t.Check(slow, kReverse), Messages{"Slow Ack (251.50 ms from Pkt 4)"});
  EXPECT_EQ(t.Reverse().SlowAcks, 1);
  EXPECT_EQ(t.Forward().IdleTooLong, 1);
}

TEST(Diagnostics, AcknowledgedSegmentSearchWrapsAndStopsAfterTwentyPackets) {
  Bench t;
  // Sequence numbers wrap: 0xFFFFFFF0 + 32 ends at 16.
  int32_t wrapped = t.Add(kForward, Tcp(2, 0, 0xFFFFFFF0u, 0, 32, 0, 0x18));
  int32_t ack = t.Add(kReverse, Tcp(3, 1, 0, 16, 0));
  EXPECT_EQ(FindAcknowledgedSegment(t.b.model, wrapped, ack), wrapped);
  // A gap placeholder and a report record in between are passed over and not counted.
  Pkt gap = Tcp(4, 1, 0, 0, 0);
  gap.flags = kPacketGap;
  t.Add(kForward, gap);
  t.Add(kForward, Pkt{.frame = 5, .time = 1, .flags = kIcmpReportFlags});
  int32_t last = -1;
  for (int k = 0; k < 19; ++k) last = t.Add(kForward, Tcp(6 + k, 2, 1000u + k * 10, 0, 10, 0, 0x18));
  int32_t late = t.Add(kReverse, Tcp(40, 3, 0, 16, 0));
  EXPECT_EQ(FindAcknowledgedSegment(t.b.model, last, late), wrapped);  // the 20th real packet back
  last = t.Add(kForward, Tcp(41, 2, 5000, 0, 10, 0, 0x18));
  EXPECT_EQ(FindAcknowledgedSegment(t.b.model, last, late), -1);  // now the 21st
  // An empty SYN counts one.
  int32_t syn = t.Add(kForward, Tcp(42, 4, 7000, 0, 0, 0, 0x02));
  int32_t synAck = t.Add(kReverse, Tcp(43, 5, 9000, 7001, 0, 0, 0x12));
  EXPECT_EQ(FindAcknowledgedSegment(t.b.model, syn, synAck), syn);
}

TEST(Diagnostics, RetransmissionIsFastBelowTheThresholdAndFindsItsOriginalPastMarkers) {
  for (double after : {149'400.0, 149'500.0}) {
    Bench t;
    int32_t original = t.Add(kForward, Tcp(2, 1000, 1, 0, 100, kPacketCrcError, 0x18));
    Pkt gap = Tcp(3, 1000, 0, 0, 0);
    gap.flags = kPacketGap;
    t.Add(kForward, gap);
    t.Add(kForward, Tcp(4, 1100, 101, 0, 100, 0, 0x18));
    int32_t repeat = t.Add(kForward, Tcp(5, 1000 + after, 1, 0, 100, kPacketRetransmission, 0x18));
    t.b.model.Packets.SetRetransmitDistance(repeat, 2);  // two real packets back
    t.Check(original);
    Messages got = t.Check(repeat);
    // 149.4 ms rounds to 149 (fast); 149.5 rounds to 150 (halves to even), which is not fast.
    std::string expected = after < 149'500 ? "Fast Transport Retransmission (149.40 ms from pkt 2)"
                                           : "Transport Retransmission (149.50 ms from pkt 2)";
    EXPECT_EQ(got.back(), expected);
    EXPECT_EQ(t.Forward().Retransmissions, 1);
    EXPECT_EQ(t.Forward().RetransmittedBytes, 158);
    EXPECT_DOUBLE_EQ(t.Forward().RetransmissionDelay, after);
    EXPECT_EQ(t.Forward().RetransmissionsAfterError, 1);
  }
}

TEST(Diagnostics, RetransmissionTextsAndSwitchesBySubProtocol) {
  struct Case {
    SubProtocol sub;
    CheckId offSwitch;
    uint8_t function;
    std::string expected;
  } cases[] = {
      {kSubNcp, CheckId::kNCPTransportRetransmission, 0, "NCP Command Transport Retransmission (500.00 ms from pkt 2)"},
      {kSubSpx2, CheckId::kSPXTransportRetransmission, 0, "Transport Retransmission (500.00 ms from pkt 2)"},
      {kSubPBurst, CheckId::kNCPPacketBurst, 3,
       "Transport Retransmission (500.00 ms from pkt 2) requesting 3 PBurst pkt(s)"},
      {kSubPBurst, CheckId::kNCPPacketBurst, 0,
       "Transport Retransmission (500.00 ms from pkt 2) requesting PBurst sequence 8"},
      {kSubSmb, CheckId::kCSBusyNetwork, 0, "Transport Retransmission (500.00 ms from pkt 2)"},
  };
  for (const Case& c : cases) {
    for (bool off : {false, true}) {
      Bench t(c.sub);
      if (off) t.settings.SetEnabled(c.offSwitch, false);
      t.Add(kForward, Pkt{.frame = 2, .time = 0, .flags = kPacketRequest, .seq = 4});
      int32_t r = t.Add(kForward, Pkt{.frame = 3, .time = 500'000, .flags = kPacketRequest | kPacketRetransmission,
                                      .seq = 4, .ack = 7});
      t.At(r).SetFunction(c.function);
      Messages expected;
      if (!off || c.sub == kSubSmb) expected.push_back(c.expected);  // other sub-protocols have no switch
      EXPECT_EQ(t.Check(r), expected) << c.expected << off;
    }
  }
}

TEST(Diagnostics, RepeatWithoutItsOriginalIsCountedButNotTimed) {
  Bench t(kSubNcp);
  int32_t r = t.Add(kForward, Pkt{.frame = 2, .time = 10, .flags = kPacketRetransmission | kPacketRoutedDuplicate});
  EXPECT_EQ(t.Check(r), (Messages{"Locally Routed", "NCP Command Transport Retransmission"}));
  EXPECT_EQ(t.Forward().Retransmissions, 1);
  EXPECT_EQ(t.Forward().TimedRetransmissions, 0);
  EXPECT_EQ(t.Forward().LocallyRoutedBytes, 64);
  t.settings.SetEnabled(CheckId::kIPXLocalRouting, false);  // NCP is an IPX sub-protocol
  EXPECT_EQ(t.Check(r), Messages{"NCP Command Transport Retransmission"});
}

TEST(Diagnostics, FlagChecksAndFrameSizesByMediumAndAnalyzer) {
  struct Case {
    Topology medium;
    AnalyzerKind kind;
    uint16_t length;
    Messages expected;
  } cases[] = {
      {kEthernet, 0, 60, {"Short Packet"}}, {kEthernet, 8, 60, {}},          {kEthernet, 9, 60, {}},
      {kTokenRing, 0, 60, {}},              {kEthernet, 0, 64, {}},          {kEthernet, 0, 1518, {}},
      {kEthernet, 0, 1519, {"Long Packet"}}, {kTokenRing, 0, 4000, {}},
  };
  for (const Case& c : cases) {
    Bench t(kSubUdp);
    t.context.Medium = c.medium;
    t.context.Analyzer = c.kind;
    EXPECT_EQ(t.Check(t.Add(kForward, Pkt{.frame = 2, .length = c.length})), c.expected) << c.length;
  }
  Bench t(kSubUdp);
  const PacketFlags all = kPacketServerBusy | kPacketReset | kPacketMissingFragment | kPacketZeroWindow |
                          kPacketCrcError | kPacketIpChecksumError | kPacketUdpChecksumError | kPacketTcpChecksumError;
  int32_t i = t.Add(kReverse, Pkt{.frame = 2, .length = 60, .flags = all});
  EXPECT_EQ(t.Check(i, kReverse),
            (Messages{"Server Busy", "Reset Connection", "Missing Fragment", "Zero Window", "DLC CRC Error",
                      "IP Checksum Error", "UDP Checksum Error", "TCP Checksum Error", "Short Packet"}));
  EXPECT_EQ(t.Reverse().Resets, 1);
  EXPECT_EQ(t.Forward().Resets, 0);
  t.settings.SetEnabled(CheckId::kTCPResetConnection, false);
  EXPECT_EQ(t.Check(i, kReverse).size(), 8u);
}

TEST(Diagnostics, EventsBeyondTheTenthAreCountedWithoutText) {
  Bench t(kSubNcp);
  t.Add(kForward, Pkt{.frame = 2});
  const PacketFlags all = kPacketServerBusy | kPacketReset | kPacketMissingFragment | kPacketZeroWindow |
                          kPacketCrcError | kPacketIpChecksumError | kPacketUdpChecksumError |
                          kPacketTcpChecksumError | kPacketRetransmission | kPacketRoutedDuplicate;
  int32_t i = t.Add(kForward, Pkt{.frame = 3, .length = 60, .flags = all});
  t.At(i).TTL = 1;
  PacketDiagnosis d;
  int direction = kForward;
  DiagnosePacket(t.context, t.state, i, direction, d);
  EXPECT_EQ(d.Count, 12);
  EXPECT_EQ(d.Messages.size(), 10u);
  EXPECT_EQ(d.Messages.front(), "Low TTL");
  EXPECT_EQ(t.state.Counters.TotalMessages, 12);
  EXPECT_EQ(t.Forward().ShortPackets, 1);  // the twelfth event
}

TEST(Diagnostics, NoTcpChecksOnLaterFragmentsOrRecordsWithoutATcpHeader) {
  Bench t;
  int32_t a = t.Add(kForward, WithWindow(Tcp(2, 0, 1, 0, 10, 0, 0x18), 0));
  int32_t b = t.Add(kForward, WithWindow(Tcp(3, 5e6, 1, 0, 10, 0, 0x18), 0));
  t.b.model.Packets.SetFragmentOffset(a, 184);
  t.At(b).TransportHeaderLength = 0;
  t.Check(a);
  EXPECT_EQ(t.Check(b), Messages{});  // no "Window Stuck at 0"
}

TEST(ProblemSummary, CountLinesAndTheirPlurals) {
  EXPECT_EQ(ProblemCountLine(1, "DLC CRC error", ','), "1 DLC CRC error.");
  EXPECT_EQ(ProblemCountLine(3, "ICMP message", ','), "3 ICMP messages.");
  EXPECT_EQ(ProblemCountLine(2, "TCP low MSS", ','), "2 TCP low MSSs.");
  EXPECT_EQ(ProblemCountLine(2, "TCP stuck windows", ','), "2 TCP stuck windowses.");
  EXPECT_EQ(ProblemCountLine(1234, "TCP reset", ','), "1,234 TCP resets.");
}

TEST(ProblemSummary, LinesInOrderWithTheRetransmissionAverage) {
  DirectionCounters n;
  EXPECT_TRUE(ProblemSummaryLines(n).empty());
  n.Resets = 1;
  n.IcmpReports = 2;
  n.Retransmissions = 4;
  n.RetransmittedBytes = 1500;
  n.TimedRetransmissions = 3;  // one had no known original
  n.RetransmissionDelay = 450'000;
  n.RetransmissionsAfterError = 1;
  n.LocallyRouted = 1;
  n.LocallyRoutedBytes = 64;
  EXPECT_EQ(ProblemSummaryLines(n), (std::vector<std::string>{
                                        "2 ICMP messages.",
                                        "1 locally routed packet(s) totalling 64 bytes.",
                                        "4 transport retransmission(s) totalling 1,500 bytes.",
                                        "  ...the average retransmission time is 150.00 milliseconds.",
                                        "  ...1 of the retransmission(s) follow a packet with a CRC or checksum error.",
                                        "1 TCP reset.",
                                    }));
  n.TimedRetransmissions = 0;
  EXPECT_EQ(ProblemSummaryLines(n).size(), 5u);  // no average without a known original
}

}  // namespace
}  // namespace corvanta

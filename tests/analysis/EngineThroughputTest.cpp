#include <gtest/gtest.h>

#include "analysis/ConversationEngine.h"
#include "analysis/ModelBuilder.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const AddressKey& kClient = kClientAddress;
const AddressKey& kServer = kServerAddress;

struct OneConversation {
  ModelBuilder b;
  int32_t peer = -1;
  int32_t conversation = -1;

  explicit OneConversation(SubProtocol sub = kSubUdp) {
    peer = b.Peer(kClient, kServer);
    conversation = b.Conversation(peer, sub, 1025, 2049);
  }
  // count packets of the given lengths, `gap` microseconds apart.
  void AddRun(std::initializer_list<uint16_t> lengths, double gap) {
    int frame = 1;
    for (uint16_t length : lengths) {
      b.Add(conversation, Pkt{.frame = frame, .time = (frame - 1) * gap, .length = length, .flags = kPacketRequest});
      ++frame;
    }
  }
  AnalysisResult Throughput(int window, Topology medium = kEthernet, double mbps = 10, int32_t first = 1,
                            int32_t last = INT32_MAX) {
    ConversationEngine engine(b.model);
    engine.Options.ThroughputMode = true;
    engine.Options.SampleWindow = window;
    engine.Options.Medium = medium;
    engine.Options.BandwidthMbps = mbps;
    Selection s = b.Select(kClient, peer, conversation, first, last);
    return engine.AnalyzeConversation(s);
  }
};

TEST(EngineThroughputTest, NoSampleBeforeTheWindowIsFull) {
  OneConversation c;
  c.AddRun({1000, 1000, 1000, 1000, 1000, 1000, 1000}, 1000);
  AnalysisResult r = c.Throughput(8);
  EXPECT_EQ(r.ThroughputPackets, 7);
  EXPECT_EQ(r.ThroughputBytes, 7000);
  EXPECT_DOUBLE_EQ(r.LowestThroughput, kNoLowest);
  EXPECT_DOUBLE_EQ(r.PeakThroughput, 0);
}

TEST(EngineThroughputTest, OneFullWindowGivesOneSampleWithTheOldestFramesWireTime) {
  OneConversation c;
  c.AddRun({1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000}, 1000);
  AnalysisResult r = c.Throughput(8);
  // 8000 bytes over 7000 us plus (1000 + 20) x 8 / 10 us for the oldest frame.
  double expected = 8000 / (7816 / 1e6);
  EXPECT_DOUBLE_EQ(r.PeakThroughput, expected);
  EXPECT_DOUBLE_EQ(r.LowestThroughput, expected);
  EXPECT_EQ(r.SendPackets, 8);
  EXPECT_DOUBLE_EQ(r.Duration, 7000);

  // Token Ring has no preamble or gap; other media add nothing.
  EXPECT_DOUBLE_EQ(c.Throughput(8, kTokenRing, 16).PeakThroughput, 8000 / (7500 / 1e6));
  EXPECT_DOUBLE_EQ(c.Throughput(8, 5, 16).PeakThroughput, 8000 / (7000 / 1e6));
}

TEST(EngineThroughputTest, RingKeepsTheLastWindowOfFrames) {
  OneConversation c;
  c.AddRun({100, 200, 300, 400, 500, 600, 700, 800}, 1000);
  AnalysisResult r = c.Throughput(4);
  EXPECT_DOUBLE_EQ(r.LowestThroughput, 1000 / ((3000 + 96) / 1e6));  // frames 1..4
  EXPECT_DOUBLE_EQ(r.PeakThroughput, 2600 / ((3000 + 416) / 1e6));   // frames 5..8
  EXPECT_EQ(r.ThroughputBytes, 3600);
  EXPECT_EQ(r.NetworkPayloadBytes, 8 * 26);

  // Windows outside 4..100 are held to them.
  EXPECT_DOUBLE_EQ(c.Throughput(1).LowestThroughput, r.LowestThroughput);
  EXPECT_DOUBLE_EQ(c.Throughput(500).LowestThroughput, kNoLowest);
}

TEST(EngineThroughputTest, OneTimestampNeverDividesByZero) {
  OneConversation c;
  c.AddRun({500, 500, 500, 500}, 0);
  AnalysisResult other = c.Throughput(4, 5, 10);  // no wire time on this medium
  EXPECT_DOUBLE_EQ(other.PeakThroughput, 0);
  EXPECT_DOUBLE_EQ(other.LowestThroughput, kNoLowest);
  EXPECT_DOUBLE_EQ(other.Duration, 0);
  AnalysisResult noBandwidth = c.Throughput(4, kEthernet, 0);
  EXPECT_DOUBLE_EQ(noBandwidth.PeakThroughput, 0);
  // On Ethernet the oldest frame's wire time is the whole span.
  EXPECT_DOUBLE_EQ(c.Throughput(4).PeakThroughput, 2000 / (416 / 1e6));
}

TEST(EngineThroughputTest, SinglePacketConversation) {
  OneConversation c;
  c.AddRun({90}, 0);
  AnalysisResult r = c.Throughput(4);
  EXPECT_EQ(r.SendPackets, 1);
  EXPECT_EQ(r.ThroughputPackets, 1);
  EXPECT_DOUBLE_EQ(r.Duration, 0);
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
}

TEST(EngineThroughputTest, RangeLimitsWhatIsFed) {
  OneConversation c;
  c.AddRun({100, 100, 100, 100, 100, 100}, 1000);
  AnalysisResult r = c.Throughput(4, kEthernet, 10, 2, 5);
  EXPECT_EQ(r.ThroughputPackets, 4);
  EXPECT_EQ(r.SendPackets, 4);
  EXPECT_DOUBLE_EQ(r.FirstTime, 1000);
  EXPECT_DOUBLE_EQ(r.Duration, 3000);
  // An empty range inside the conversation feeds nothing.
  EXPECT_EQ(c.Throughput(4, kEthernet, 10, 5, 2).ThroughputPackets, 0);
}

TEST(EngineThroughputTest, OneWayConversationIsMeasuredInFull) {
  OneConversation c(kSubTcp);
  for (int k = 0; k < 6; ++k) c.b.Add(c.conversation, Tcp(k + 1, k * 50000.0, 1000 + 100 * k, 1, 100));
  AnalysisResult r = c.Throughput(4);
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
  EXPECT_EQ(r.SendPackets, 6);
  EXPECT_EQ(r.ThroughputPackets, 6);
  EXPECT_GT(r.PeakThroughput, 0);
  EXPECT_DOUBLE_EQ(r.Duration, 250000);
}

TEST(EngineThroughputTest, AcknowledgementsCanBeLeftOut) {
  OneConversation c(kSubTcp);
  c.b.Add(c.conversation, {Tcp(1, 0, 1000, 1, 100), Tcp(2, 10, 1100, 1, 0), Tcp(3, 20, 1100, 1, 0, 0, 0x11),
                           Tcp(4, 30, 1100, 1, 0, 0, 0x18)});
  ConversationEngine engine(c.b.model);
  engine.Options.ThroughputMode = true;
  engine.Options.IncludeAckPackets = false;
  Selection s = c.b.Select(kClient, c.peer, c.conversation);
  // Only the segment with the bare ACK flag and no payload is left out.
  EXPECT_EQ(engine.AnalyzeConversation(s).ThroughputPackets, 3);
  EXPECT_EQ(engine.Result().SendPackets, 4);
  engine.Options.IncludeAckPackets = true;
  EXPECT_EQ(engine.AnalyzeConversation(s).ThroughputPackets, 4);
}

TEST(EngineThroughputTest, EventsAndMarkers) {
  OneConversation c(kSubTcp);
  c.b.Add(c.conversation,
          {Tcp(1, 0, 1000, 1, 100, kPacketRetransmission), Tcp(2, 10, 1100, 1, 100, kPacketRoutedDuplicate),
           Tcp(3, 20, 1200, 1, 100, kPacketZeroWindow)});
  // An ICMP report about frame 3, then a gap placeholder before frame 6.
  c.b.Add(c.conversation, Pkt{.frame = 4, .time = 25, .length = 70, .flags = kIcmpReportFlags, .seq = 3});
  c.b.Add(c.conversation, Pkt{.frame = 6, .time = 25, .length = 158, .flags = kPacketGap | kPacketRequest});
  c.b.Add(c.conversation, {Tcp(6, 40, 1500, 1, 100, kPacketReset | kPacketServerBusy)});

  ConversationEngine engine(c.b.model);
  engine.Options.ThroughputMode = true;
  Selection s = c.b.Select(kClient, c.peer, c.conversation);
  const AnalysisResult& r = engine.AnalyzeConversation(s);
  EXPECT_EQ(r.Events.Retransmissions, 1);
  EXPECT_EQ(r.Events.LocallyRouted, 1);
  EXPECT_EQ(r.Events.ZeroWindows, 1);
  EXPECT_EQ(r.Events.Resets, 1);
  EXPECT_EQ(r.Events.IcmpReports, 1);
  EXPECT_TRUE(engine.ServerBusySeen);
  // Neither the report nor the placeholder is a frame the client sent.
  EXPECT_EQ(r.SendPackets, 4);
  EXPECT_EQ(r.SendBytes, 4 * 158);
  EXPECT_EQ(r.ThroughputPackets, 4);

  // Runs never clear the server-busy mark; the caller does.
  c.b.model.Packets.At(c.b.model.Objects.Get<TTransHead>(c.conversation).LastPacket).Flags = 0;
  engine.AnalyzeConversation(s);
  EXPECT_TRUE(engine.ServerBusySeen);
}

TEST(EngineThroughputTest, InvalidSelectionsMeasureNothing) {
  OneConversation c;
  c.AddRun({100, 100}, 10);
  ConversationEngine engine(c.b.model);
  engine.Options.ThroughputMode = true;
  Selection none;
  EXPECT_EQ(engine.AnalyzeConversation(none).SendPackets, 0);
  Selection wrong = c.b.Select(kClient, c.peer, c.peer);  // a peer index where a conversation belongs
  EXPECT_EQ(engine.AnalyzeConversation(wrong).SendPackets, 0);
  engine.Options = AnalysisOptions{};
  engine.Options.LatencyMode = true;
  EXPECT_EQ(engine.AnalyzeConversation(none).AnalysisState, kAnalysisOk);
}

}  // namespace
}  // namespace corvanta

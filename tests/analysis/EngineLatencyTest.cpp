#include <gtest/gtest.h>

#include "analysis/ConversationEngine.h"
#include "analysis/ModelBuilder.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const AddressKey& kClient = kClientAddress;
const AddressKey& kServer = kServerAddress;

// A conversation and its answering direction between the client and the server.
struct TwoWay {
  ModelBuilder b;
  int32_t forwardPeer = -1;
  int32_t forward = -1;
  int32_t reversePeer = -1;
  int32_t reverse = -1;

  TwoWay(SubProtocol sub, uint16_t clientPort = 0, uint16_t serverPort = 0) {
    forwardPeer = b.Peer(kClient, kServer);
    forward = b.Conversation(forwardPeer, sub, clientPort, serverPort);
    reversePeer = b.Peer(kServer, kClient);
    reverse = b.Conversation(reversePeer, sub, serverPort, clientPort);
  }
  Selection Select(int32_t first = 1, int32_t last = INT32_MAX) {
    return b.Select(kClient, forwardPeer, forward, first, last);
  }
  AnalysisResult Latency(Selection s, AnalysisOptions options = {}) {
    ConversationEngine engine(b.model);
    engine.Options = options;
    engine.Options.LatencyMode = true;
    return engine.AnalyzeConversation(s);
  }
};

// Ten echo requests, each answered after 500 + 10k microseconds.
struct Ping : TwoWay {
  Ping() : TwoWay(kSubIcmp) {
    for (int k = 0; k < 10; ++k) {
      Pkt request{.frame = 2 * k + 1, .time = k * 1e6, .length = 74, .flags = kPacketRequest, .seq = uint32_t(k + 1)};
      request.window = 8;
      b.Add(forward, request);
      Pkt reply{.frame = 2 * k + 2, .time = k * 1e6 + 500 + 10 * k, .length = 74, .flags = kPacketReply};
      reply.seq = uint32_t(k + 1);
      b.Add(reverse, reply);
    }
  }
};

TEST(EngineLatencyTest, PingPairsEveryEchoWithItsReply) {
  Ping c;
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
  EXPECT_EQ(r.Pairs, 10);
  EXPECT_DOUBLE_EQ(r.BestDelay, 500);
  EXPECT_DOUBLE_EQ(r.WorstDelay, 590);
  EXPECT_DOUBLE_EQ(r.TotalDelay, 5450);
  EXPECT_EQ(r.SendPackets, 10);
  EXPECT_EQ(r.SendBytes, 740);
  // Ten requests and ten replies: the first reply counts too.
  EXPECT_EQ(r.ReceivePackets, 10);
  EXPECT_EQ(r.ReceiveBytes, 740);
  EXPECT_DOUBLE_EQ(r.FirstTime, 0);
  EXPECT_DOUBLE_EQ(r.Duration, 9e6 + 590);
}

// Thousands of unanswered echoes, each searched for among the many replies that follow:
// the search for a response is bounded, so this stays linear and pairs nothing wrongly.
TEST(EngineLatencyTest, UnansweredCommandsDoNotSearchWithoutEnd) {
  TwoWay c(kSubIcmp);
  constexpr int kEchoes = 5000;
  for (int k = 0; k < kEchoes; ++k) {
    Pkt request{.frame = k + 1, .time = k * 10.0, .length = 74, .flags = kPacketRequest, .seq = uint32_t(k + 1)};
    request.window = 8;
    c.b.Add(c.forward, request);
  }
  for (int k = 0; k < kEchoes; ++k) {
    Pkt reply{.frame = kEchoes + k + 1, .time = kEchoes * 10.0 + k, .length = 74, .flags = kPacketReply};
    reply.seq = uint32_t(kEchoes + 100 + k);
    c.b.Add(c.reverse, reply);
  }
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.Pairs, 0);
  EXPECT_EQ(r.SendPackets, kEchoes);
}

TEST(EngineLatencyTest, RangesCountOnlyTheRepliesTheyHold) {
  Ping c;
  AnalysisResult head = c.Latency(c.Select(1, 10));
  EXPECT_EQ(head.SendPackets, 5);
  EXPECT_EQ(head.ReceivePackets, 5);
  EXPECT_EQ(head.Pairs, 5);
  EXPECT_DOUBLE_EQ(head.Duration, 4e6 + 540);

  AnalysisResult tail = c.Latency(c.Select(11, 20));
  EXPECT_EQ(tail.SendPackets, 5);
  EXPECT_EQ(tail.ReceivePackets, 5);
  EXPECT_EQ(tail.Pairs, 5);
  EXPECT_DOUBLE_EQ(tail.FirstTime, 5e6);

  // The command on the last frame of the range is not paired.
  EXPECT_EQ(c.Latency(c.Select(1, 9)).Pairs, 4);
}

TEST(EngineLatencyTest, RangeAfterTheConversationStartsAtItsLastPacket) {
  Ping c;
  AnalysisResult r = c.Latency(c.Select(100, 200));
  EXPECT_EQ(r.SendPackets, 1);
  EXPECT_DOUBLE_EQ(r.FirstTime, 9e6);
  EXPECT_DOUBLE_EQ(r.Duration, 0);
  EXPECT_EQ(r.Pairs, 0);
  EXPECT_EQ(r.ReceivePackets, 0);
}

TEST(EngineLatencyTest, ResponseTransmissionTimeIsRemovedOnRequest) {
  TwoWay c(kSubUdp, 1025, 53);
  c.b.Add(c.forward, Pkt{.frame = 1, .time = 0, .flags = kPacketRequest, .id = 1});
  c.b.Add(c.reverse, Pkt{.frame = 2, .time = 5000, .length = 1518, .flags = kPacketReply});
  AnalysisOptions options;
  options.IncludeLocalMediaTime = false;
  options.BandwidthMbps = 10;
  AnalysisResult r = c.Latency(c.Select(), options);
  ASSERT_EQ(r.Pairs, 1);
  EXPECT_NEAR(r.BestDelay, 5000 - 1214.4, 1e-9);
  EXPECT_DOUBLE_EQ(c.Latency(c.Select()).BestDelay, 5000);
}

TEST(EngineLatencyTest, SizeFilterBoundaries) {
  auto pairsWith = [](uint16_t responseLength, ResponseSizeFilter filter) {
    TwoWay c(kSubUdp, 1025, 53);
    c.b.Add(c.forward, Pkt{.frame = 1, .time = 0, .flags = kPacketRequest, .id = 1});
    c.b.Add(c.reverse, Pkt{.frame = 2, .time = 800, .length = responseLength, .flags = kPacketReply});
    AnalysisOptions options;
    options.SizeFilter = filter;
    return c.Latency(c.Select(), options).Pairs;
  };
  EXPECT_EQ(pairsWith(100, ResponseSizeFilter::kSmall), 1);
  EXPECT_EQ(pairsWith(101, ResponseSizeFilter::kSmall), 0);
  EXPECT_EQ(pairsWith(1000, ResponseSizeFilter::kLarge), 1);
  EXPECT_EQ(pairsWith(999, ResponseSizeFilter::kLarge), 0);
  EXPECT_EQ(pairsWith(999, ResponseSizeFilter::kAll), 1);
}

TEST(EngineLatencyTest, UdpSkipsFragmentsOfTheSameDatagram) {
  TwoWay c(kSubUdp, 1025, 2049);
  c.b.Add(c.forward, {Pkt{.frame = 1, .time = 0, .flags = kPacketRequest, .id = 7},
                      Pkt{.frame = 2, .time = 10, .flags = kPacketRequest, .id = 7},
                      Pkt{.frame = 4, .time = 2000, .flags = kPacketRequest, .id = 8}});
  c.b.Add(c.reverse,
          {Pkt{.frame = 3, .time = 1000, .flags = kPacketReply}, Pkt{.frame = 5, .time = 2600, .flags = kPacketReply}});
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.Pairs, 2);
  EXPECT_DOUBLE_EQ(r.BestDelay, 600);
  EXPECT_DOUBLE_EQ(r.WorstDelay, 1000);
}

TEST(EngineLatencyTest, DamagedOrRepeatedCommandsAreNotPaired) {
  TwoWay c(kSubNcp, 0x4003, 0x0451);
  c.b.Add(c.forward, {Pkt{.frame = 1, .time = 0, .flags = kPacketRequest | kPacketCrcError, .seq = 1},
                      Pkt{.frame = 3, .time = 100, .flags = kPacketRequest | kPacketRetransmission, .seq = 1},
                      Pkt{.frame = 5, .time = 200, .flags = kPacketRequest | kPacketRoutedDuplicate, .seq = 2},
                      Pkt{.frame = 7, .time = 300, .flags = kPacketRequest, .seq = 3}});
  c.b.Add(c.reverse, {Pkt{.frame = 4, .time = 150, .flags = kPacketReply, .seq = 1},
                      Pkt{.frame = 6, .time = 250, .flags = kPacketReply, .seq = 2},
                      Pkt{.frame = 8, .time = 380, .flags = kPacketReply, .seq = 3}});
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.Pairs, 1);
  EXPECT_DOUBLE_EQ(r.BestDelay, 80);
  EXPECT_EQ(r.Events.Retransmissions, 1);
  EXPECT_EQ(r.Events.LocallyRouted, 1);
}

TEST(EngineLatencyTest, SpxAnswersAcknowledgeTheNextSequence) {
  TwoWay c(kSubSpx, 0x1111, 0x2222);
  c.b.Add(c.forward, {Pkt{.frame = 1, .time = 0, .flags = kPacketRequest, .seq = 0xFFFE},
                      Pkt{.frame = 3, .time = 1000, .flags = kPacketRequest, .seq = 0xFFFF}});
  c.b.Add(c.reverse, {Pkt{.frame = 2, .time = 300, .flags = kPacketReply, .ack = 0xFFFF},
                      Pkt{.frame = 4, .time = 1400, .flags = kPacketReply, .ack = 0}});
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.Pairs, 2);  // the 16-bit sequence wraps
  EXPECT_DOUBLE_EQ(r.TotalDelay, 700);
}

// TCP segments from the client with the server's acknowledgements.
TEST(EngineLatencyTest, TcpAckCoveringMoreThanTheSegmentAnswersOnlyTheLast) {
  TwoWay c(kSubTcp, 1025, 80);
  c.b.Add(c.forward, {Tcp(1, 0, 1000, 1, 100, kPacketRequest, 0x18), Tcp(2, 100, 1100, 1, 100, kPacketRequest, 0x18)});
  c.b.Add(c.reverse, {Tcp(3, 1000, 1, 1200, 0, kPacketReply)});
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
  EXPECT_EQ(r.Pairs, 1);
  EXPECT_DOUBLE_EQ(r.BestDelay, 900);
}

// A segment ending where the command ends, seen among the next 41 forward packets, makes
// the acknowledgement ambiguous.
TEST(EngineLatencyTest, TcpPairIsDroppedWhenALaterSegmentEndsAtTheSamePlace) {
  auto pairs = [](int between) {
    TwoWay c(kSubTcp, 1025, 80);
    c.b.Add(c.forward, Tcp(1, 0, 1000, 1, 100, kPacketRequest, 0x18));
    c.b.Add(c.reverse, Tcp(2, 500, 1, 1100, 0, kPacketReply));
    int frame = 3;
    for (int k = 0; k < between; ++k, ++frame)
      c.b.Add(c.forward, Tcp(frame, 1000 + frame, 5000 + 10 * k, 1, 10, kPacketRequest, 0x18));
    c.b.Add(c.forward, Tcp(frame, 1000 + frame, 1050, 1, 50, kPacketRequest, 0x18));
    return c.Latency(c.Select()).Pairs;
  };
  EXPECT_EQ(pairs(40), 0);  // the 41st packet after the command
  EXPECT_EQ(pairs(41), 1);  // the 42nd
}

// The look-ahead moves on with the commands: the second command's window reaches one
// packet further than the first one's.
TEST(EngineLatencyTest, TcpLookAheadMovesWithTheCommands) {
  auto pairs = [](int between) {
    TwoWay c(kSubTcp, 1025, 80);
    c.b.Add(c.forward, Tcp(1, 0, 1000, 1, 100, kPacketRequest, 0x18));
    c.b.Add(c.reverse, Tcp(2, 500, 1, 1100, 0, kPacketReply));
    c.b.Add(c.forward, Tcp(3, 600, 1100, 1, 100, kPacketRequest, 0x18));
    c.b.Add(c.reverse, Tcp(4, 900, 1, 1200, 0, kPacketReply));
    int frame = 5;
    for (int k = 0; k < between; ++k, ++frame)
      c.b.Add(c.forward, Tcp(frame, 1000 + frame, 5000 + 10 * k, 1, 10, kPacketRequest, 0x18));
    c.b.Add(c.forward, Tcp(frame, 1000 + frame, 1150, 1, 50, kPacketRequest, 0x18));  // ends where the second does
    return c.Latency(c.Select()).Pairs;
  };
  EXPECT_EQ(pairs(0), 1);
  EXPECT_EQ(pairs(40), 1);  // the 41st packet after the second command, the 42nd after the first
  EXPECT_EQ(pairs(41), 2);
}

TEST(EngineLatencyTest, TcpStartSkipsLeadingAcksAndAnsweredData) {
  TwoWay c(kSubTcp, 1025, 80);
  c.b.Add(c.forward, {Tcp(1, 0, 900, 1, 0, kPacketRequest), Tcp(2, 10, 900, 1, 0, kPacketRequest),
                      Tcp(4, 300, 1000, 1, 100, kPacketRequest, 0x18)});
  // The first answer acknowledges data sent before the start; the second answers frame 4.
  c.b.Add(c.reverse, {Tcp(3, 200, 1, 900, 0, kPacketReply), Tcp(5, 700, 1, 1100, 0, kPacketReply)});
  AnalysisResult r = c.Latency(c.Select());
  EXPECT_EQ(r.AnalysisState, kAnalysisOk);
  EXPECT_EQ(r.SendPackets, 3);  // the skipped acknowledgements count as sent
  EXPECT_EQ(r.ReceivePackets, 2);
  EXPECT_EQ(r.Pairs, 1);
  EXPECT_DOUBLE_EQ(r.BestDelay, 400);
  EXPECT_DOUBLE_EQ(r.Duration, 700);
}

TEST(EngineLatencyTest, FailureStates) {
  {
    TwoWay c(kSubIgmp);
    c.b.Add(c.forward, Pkt{.frame = 1});
    EXPECT_EQ(c.Latency(c.Select()).AnalysisState, kAnalysisUnsupported);
    EXPECT_EQ(c.Latency(c.Select()).SendPackets, 0);
    ConversationEngine engine(c.b.model);
    engine.Options.ProblemMode = true;
    Selection s = c.Select();
    EXPECT_EQ(engine.AnalyzeConversation(s).AnalysisState, kAnalysisUnsupported);
  }
  {
    // The server answers on other ports only.
    TwoWay c(kSubTcp, 1025, 80);
    c.b.Add(c.forward, Tcp(1, 0, 1000, 1, 100, kPacketRequest));
    int32_t other = c.b.Conversation(c.reversePeer, kSubTcp, 80, 1026);
    c.b.Add(other, Tcp(2, 10, 1, 1100, 0, kPacketReply));
    c.b.model.Objects.Get<TTransHead>(c.reverse).SourcePort = 81;
    EXPECT_EQ(c.Latency(c.Select()).AnalysisState, kAnalysisNoReverse);
  }
  {
    TwoWay c(kSubIcmp);
    c.b.Add(c.forward, Pkt{.frame = 1, .flags = kPacketReply});  // echo replies only
    c.b.Add(c.reverse, Pkt{.frame = 2, .flags = kPacketRequest, .window = 8});
    EXPECT_EQ(c.Latency(c.Select()).AnalysisState, kAnalysisNoEcho);
  }
  {
    TwoWay c(kSubTcp, 1025, 80);
    c.b.Add(c.forward, {Tcp(1, 0, 1000, 1, 0), Tcp(3, 20, 1000, 1, 0)});
    c.b.Add(c.reverse, Tcp(2, 10, 1, 1000, 10));
    AnalysisResult r = c.Latency(c.Select());
    EXPECT_EQ(r.AnalysisState, kAnalysisAcksOnly);
    EXPECT_EQ(r.SendPackets, 2);
  }
  {
    TwoWay c(kSubNcp, 0x4003, 0x0451);
    c.b.Add(c.forward, Pkt{.frame = 1, .flags = kPacketReply});
    c.b.Add(c.reverse, Pkt{.frame = 2, .flags = kPacketRequest});
    EXPECT_EQ(c.Latency(c.Select()).AnalysisState, kAnalysisNoCommand);
  }
  {
    // A request sent to a group address is no command either.
    TwoWay c(kSubUdp, 1025, 53);
    c.b.Add(c.forward, Pkt{.frame = 1, .flags = kPacketRequest | kPacketGroup});
    c.b.Add(c.reverse, Pkt{.frame = 2, .flags = kPacketReply});
    AnalysisResult r = c.Latency(c.Select());
    EXPECT_EQ(r.AnalysisState, kAnalysisOk);  // UDP just has no start point
    EXPECT_EQ(r.Pairs, 0);
  }
  {
    TwoWay c(kSubTcp, 1025, 80);
    c.b.Add(c.forward, Tcp(1, 0, 5000, 1, 10, kPacketRequest, 0x18));
    c.b.Add(c.reverse, Tcp(2, 10, 1, 4000, 0));
    EXPECT_EQ(c.Latency(c.Select()).AnalysisState, kAnalysisNothingAcked);
  }
}

TEST(EngineLatencyTest, OneWayPairReportsStateTwoAndSetsOneWay) {
  ModelBuilder b;
  int32_t peer = b.Peer(kClient, kServer);
  int32_t conversation = b.Conversation(peer, kSubTcp, 1025, 80);
  b.Add(conversation, {Tcp(1, 0, 1000, 1, 100, kPacketRequest), Tcp(2, 2e5, 1100, 1, 100, kPacketRequest)});
  ConversationEngine engine(b.model);
  engine.Options.LatencyMode = true;
  Selection s = b.Select(kClient, peer, conversation);
  EXPECT_EQ(engine.AnalyzeConversation(s).AnalysisState, kAnalysisOneWay);
  EXPECT_TRUE(s.OneWay);

  // OneWay given by the caller is believed without a search.
  Ping c;
  Selection given = c.Select();
  given.OneWay = true;
  EXPECT_EQ(c.Latency(given).AnalysisState, kAnalysisOneWay);
}

TEST(EngineLatencyTest, ReverseRunMeasuresTheOtherDirectionAndRestoresTheSelection) {
  Ping c;
  Selection s = c.Select();
  ResolveReverse(c.b.model, s);
  ASSERT_FALSE(s.OneWay);
  EXPECT_EQ(s.ReversePeer, c.reversePeer);
  EXPECT_EQ(s.ReverseConversation, c.reverse);

  ConversationEngine engine(c.b.model);
  engine.Options.LatencyMode = true;
  const AnalysisResult& r = engine.AnalyzeReverse(s);
  EXPECT_EQ(r.AnalysisState, kAnalysisNoEcho);  // the server sent no echo requests
  EXPECT_EQ(s.CurrentConversation, c.forward);
  EXPECT_EQ(s.DestPeer, c.forwardPeer);
  EXPECT_EQ(s.ReverseConversation, c.reverse);
}

}  // namespace
}  // namespace corvanta

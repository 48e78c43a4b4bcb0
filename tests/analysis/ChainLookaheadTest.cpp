#include <gtest/gtest.h>

#include "analysis/ChainLookahead.h"
#include "analysis/ModelBuilder.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::ModelBuilder;
using testing::Pkt;

// The packet `steps` places along the chain from `packet`, or -1.
int32_t Along(const CaptureModel& model, int32_t packet, int steps) {
  for (int k = 0; k < steps && packet >= 0; ++k) {
    const int32_t next = model.Packets.Next(packet);
    packet = model.Packets.Contains(next) ? next : -1;
  }
  return packet;
}

// Many interleaved conversations, some with packets inserted into the middle of their chain
// (as ICMP reports and gap placeholders are): the packet ahead follows every chain exactly,
// walked on one thread or several.
TEST(ChainLookaheadTest, FollowsEveryChain) {
  ModelBuilder b;
  std::vector<int32_t> conversations;
  for (int c = 0; c < 300; ++c)
    conversations.push_back(b.Conversation(b.Peer(Ip(10, 0, uint8_t(c / 200), uint8_t(1 + c % 200)), Ip(10, 0, 9, 1)),
                                           kSubTcp, uint16_t(1024 + c), 80));
  int frame = 1;
  for (int round = 0; round < 30; ++round)
    for (size_t c = 0; c < conversations.size(); ++c)
      if ((round * 7 + c) % 5 != 0 && (c % 11 != 0 || round < 3)) b.Add(conversations[c], Pkt{frame++});
  for (size_t c = 0; c < conversations.size(); c += 7) {
    TTransHead& head = b.model.Objects.Get<TTransHead>(conversations[c]);
    b.model.Packets.InsertAfter(head, head.FirstPacket);
  }
  conversations.push_back(b.Conversation(b.Peer(Ip(10, 0, 8, 1), Ip(10, 0, 9, 1)), kSubUdp));  // no packets

  for (int threads : {1, 2, 5}) {
    const ChainLookahead lookahead(b.model, conversations, threads);
    for (int32_t c : conversations) {
      const TTransHead& head = b.model.Objects.Get<TTransHead>(c);
      for (int32_t i = head.FirstPacket; b.model.Packets.Contains(i); i = b.model.Packets.Next(i))
        ASSERT_EQ(lookahead.Ahead(i), Along(b.model, i, ChainLookahead::kDistance)) << threads << ": packet " << i;
    }
    EXPECT_EQ(lookahead.Ahead(-1), -1);
    EXPECT_EQ(lookahead.Ahead(b.model.Packets.Count()), -1);
    for (int32_t i = -1; i <= b.model.Packets.Count(); ++i) lookahead.Prefetch(i);  // any index, no fault
  }
}

// A chain damaged into a loop is walked once around at most, never forever.
TEST(ChainLookaheadTest, ALoopingChainEnds) {
  ModelBuilder b;
  const int32_t c = b.Conversation(b.Peer(Ip(10, 0, 0, 1), Ip(10, 0, 0, 2)), kSubTcp, 1024, 80);
  for (int k = 1; k <= 20; ++k) b.Add(c, Pkt{k});
  const TTransHead& head = b.model.Objects.Get<TTransHead>(c);
  b.model.Packets.SetNext(head.LastPacket, head.FirstPacket);
  const std::vector<int32_t> heads = {c};
  const ChainLookahead lookahead(b.model, heads);
  EXPECT_EQ(lookahead.Ahead(head.FirstPacket), Along(b.model, head.FirstPacket, ChainLookahead::kDistance));
}

}  // namespace
}  // namespace corvanta

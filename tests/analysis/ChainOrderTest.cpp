#include <gtest/gtest.h>

#include "analysis/ChainOrder.h"
#include "analysis/ModelBuilder.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::ModelBuilder;
using testing::Pkt;

std::vector<int32_t> ChainAfter(const CaptureModel& model, int32_t packet) {
  std::vector<int32_t> out;
  for (int32_t i = model.Packets.At(packet).NextPacket; model.Packets.Contains(i); i = model.Packets.At(i).NextPacket)
    out.push_back(i);
  return out;
}

// Many interleaved conversations, some with packets inserted into the middle of their chain
// (as ICMP reports and gap placeholders are): the layout follows every chain exactly.
TEST(ChainOrderTest, LaysOutEveryChainInItsOwnOrder) {
  ModelBuilder b;
  std::vector<int32_t> conversations;
  for (int c = 0; c < 40; ++c)
    conversations.push_back(b.Conversation(b.Peer(Ip(10, 0, 0, uint8_t(1 + c)), Ip(10, 0, 1, 1)), kSubTcp,
                                           uint16_t(1024 + c), 80));
  int frame = 1;
  for (int round = 0; round < 30; ++round)
    for (size_t c = 0; c < conversations.size(); ++c)
      if ((round + c) % 3 != 0) b.Add(conversations[c], Pkt{frame++});
  for (size_t c = 0; c < conversations.size(); c += 7) {
    TTransHead& head = b.model.Objects.Get<TTransHead>(conversations[c]);
    b.model.Packets.InsertAfter(head, head.FirstPacket);
  }
  const int32_t empty = b.Conversation(b.Peer(Ip(10, 0, 2, 1), Ip(10, 0, 1, 1)), kSubUdp);
  conversations.push_back(empty);

  const ChainOrder order(b.model, conversations);
  for (int32_t c : conversations) {
    const TTransHead& head = b.model.Objects.Get<TTransHead>(c);
    for (int32_t i = head.FirstPacket; b.model.Packets.Contains(i); i = b.model.Packets.At(i).NextPacket)
      ASSERT_EQ(order.After(i), ChainAfter(b.model, i)) << "conversation " << c << " packet " << i;
  }
  for (int32_t i = 0; i < b.model.Packets.Count(); ++i) order.Prefetch(i);  // any packet, no fault
  order.Prefetch(-1);
  order.Prefetch(b.model.Packets.Count());
}

// A chain damaged into a loop is laid out once around, never forever.
TEST(ChainOrderTest, ALoopingChainEnds) {
  ModelBuilder b;
  const int32_t c = b.Conversation(b.Peer(Ip(10, 0, 0, 1), Ip(10, 0, 0, 2)), kSubTcp, 1024, 80);
  for (int k = 1; k <= 5; ++k) b.Add(c, Pkt{k});
  const TTransHead& head = b.model.Objects.Get<TTransHead>(c);
  b.model.Packets.At(head.LastPacket).NextPacket = head.FirstPacket;
  const std::vector<int32_t> heads = {c};
  const ChainOrder order(b.model, heads);
  EXPECT_LE(order.After(head.FirstPacket).size(), 5u);
}

}  // namespace
}  // namespace corvanta

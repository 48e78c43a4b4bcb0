#include <gtest/gtest.h>

#include <vector>

#include "decode/ChainIndex.h"

namespace corvanta {
namespace {

TTransHead Head(SubProtocol sub, uint16_t s, uint16_t d) {
  TTransHead h;
  h.SubProtocol = sub;
  h.SourcePort = s;
  h.DestinationPort = d;
  return h;
}

TEST(ChainIndex, PeersAreFoundPerOwnerAndTheTailFollowsAppends) {
  ChainIndex index;
  ModelObjects objects;
  const NetAddressNode owner1, owner2;
  const uint8_t a[] = {10, 0, 0, 1}, b[] = {10, 0, 0, 2};
  AddressKey ka = AddressKey::Of(a, 4), kb = AddressKey::Of(b, 4);
  auto peer = [&](const AddressKey& to) {
    int32_t i = objects.New<TNetPeer>();
    objects.Get<TNetPeer>(i).PeerAddress = to;
    return i;
  };
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), -1);
  EXPECT_EQ(index.PeerTail(&owner1), -1);
  const int32_t p1a = peer(ka), p1b = peer(kb), p2a = peer(ka), again = peer(ka);
  index.AddPeer(&owner1, ka, p1a, objects);
  index.AddPeer(&owner1, kb, p1b, objects);
  index.AddPeer(&owner2, ka, p2a, objects);
  index.AddPeer(&owner1, ka, again, objects);  // a later record of the pair: the first stays found
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), p1a);
  EXPECT_EQ(index.FindPeer(&owner1, kb, objects), p1b);
  EXPECT_EQ(index.FindPeer(&owner2, ka, objects), p2a);
  EXPECT_EQ(index.FindPeer(&owner2, kb, objects), -1);
  EXPECT_EQ(index.PeerTail(&owner1), again);
  // Many pairs of one owner: the table grows and still finds each.
  std::vector<int32_t> records;
  for (uint8_t i = 0; i < 200; ++i) {
    const uint8_t c[] = {10, 1, 0, i};
    records.push_back(peer(AddressKey::Of(c, 4)));
    index.AddPeer(&owner2, AddressKey::Of(c, 4), records.back(), objects);
  }
  for (uint8_t i = 0; i < 200; ++i) {
    const uint8_t c[] = {10, 1, 0, i};
    EXPECT_EQ(index.FindPeer(&owner2, AddressKey::Of(c, 4), objects), records[i]);
  }
  index.Clear();
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), -1);
}

// The walk takes the first conversation in chain order that matches: a port-based one on
// its ports (whatever the packet's protocol), another on its sub-protocol.
TEST(ChainIndex, ConversationsMatchAsTheChainWalkWould) {
  ChainIndex index;
  index.AddConversation(3, Head(kSubTcp, 1025, 80), 10);
  index.AddConversation(3, Head(kSubIcmp, 0, 0), 11);
  index.AddConversation(3, Head(kSubUdp, 0, 0), 12);  // UDP with ports 0/0, after the ICMP one
  EXPECT_EQ(index.FindConversation(3, kSubUdp, 1025, 80), 10);  // ports of the TCP conversation
  EXPECT_EQ(index.FindConversation(3, kSubIcmp, 0, 0), 11);
  // An ICMP packet with ports 0/0 matches the UDP conversation's ports too: the earlier wins.
  EXPECT_EQ(index.FindConversation(3, kSubIcmp, 0, 0), 11);
  EXPECT_EQ(index.FindConversation(3, kSubUdp, 0, 0), 12);
  EXPECT_EQ(index.FindConversation(3, kSubIgmp, 7, 7), -1);
  EXPECT_EQ(index.FindConversation(4, kSubTcp, 1025, 80), -1);
  EXPECT_EQ(index.ConversationTail(3), 12);
  // A second conversation with the same key is never found: the first one wins.
  index.AddConversation(3, Head(kSubTcp, 1025, 80), 20);
  EXPECT_EQ(index.FindConversation(3, kSubTcp, 1025, 80), 10);
  EXPECT_EQ(index.ConversationTail(3), 20);
}

}  // namespace
}  // namespace corvanta

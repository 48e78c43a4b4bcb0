#include <gtest/gtest.h>

#include <map>
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

TEST(ChainIndex, PeersAreFoundPerOwner) {
  ChainIndex index;
  ModelObjects objects;
  const NetAddressNode owner1, owner2;
  const int32_t ka = 2, kb = 3;  // receivers' node ids
  auto peer = [&](int32_t to) {
    int32_t i = objects.New<TNetPeer>();
    objects.Get<TNetPeer>(i).Receiver = to;
    return i;
  };
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), -1);
  const int32_t p1a = peer(ka), p1b = peer(kb), p2a = peer(ka), again = peer(ka);
  index.AddPeer(&owner1, p1a, objects, 0);
  index.AddPeer(&owner1, p1b, objects, 0);
  index.AddPeer(&owner2, p2a, objects, 0);
  index.AddPeer(&owner1, again, objects, 0);  // a later record of the pair: the first stays found
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), p1a);
  EXPECT_EQ(index.FindPeer(&owner1, kb, objects), p1b);
  EXPECT_EQ(index.FindPeer(&owner2, ka, objects), p2a);
  EXPECT_EQ(index.FindPeer(&owner2, kb, objects), -1);
  // Many pairs of one owner: the table grows (by four, early in a trace) and still finds each.
  std::vector<int32_t> records;
  index.SetTraceSize(100'000);
  for (int32_t i = 0; i < 5000; ++i) {
    records.push_back(peer(100 + i));
    index.AddPeer(&owner2, records.back(), objects, 1000);  // a hundredth of the trace read
  }
  for (int32_t i = 0; i < 5000; ++i)
    EXPECT_EQ(index.FindPeer(&owner2, 100 + i, objects), records[static_cast<size_t>(i)]);
  index.Clear();
  EXPECT_EQ(index.FindPeer(&owner1, ka, objects), -1);
}

// The walk takes the first conversation in chain order that matches: a port-based one on
// its ports (whatever the packet's protocol), another on its sub-protocol.
TEST(ChainIndex, ConversationsMatchAsTheChainWalkWould) {
  ChainIndex index;
  ModelObjects objects;
  auto add = [&](int32_t peer, SubProtocol sub, uint16_t s, uint16_t d) {
    const int32_t i = objects.New<TTransHead>();
    objects.Get<TTransHead>(i) = Head(sub, s, d);
    index.AddConversation(peer, objects.Get<TTransHead>(i), i, objects, 0);
    return i;
  };
  const int32_t tcp = add(3, kSubTcp, 1025, 80);
  const int32_t icmp = add(3, kSubIcmp, 0, 0);
  const int32_t udp = add(3, kSubUdp, 0, 0);  // UDP with ports 0/0, after the ICMP one
  EXPECT_EQ(index.FindConversation(3, kSubUdp, 1025, 80, objects), tcp);  // ports of the TCP conversation
  // An ICMP packet with ports 0/0 matches the UDP conversation's ports too: the earlier wins.
  EXPECT_EQ(index.FindConversation(3, kSubIcmp, 0, 0, objects), icmp);
  EXPECT_EQ(index.FindConversation(3, kSubUdp, 0, 0, objects), udp);
  EXPECT_EQ(index.FindConversation(3, kSubIgmp, 7, 7, objects), -1);
  EXPECT_EQ(index.FindConversation(4, kSubTcp, 1025, 80, objects), -1);
  // A second conversation with the same key is never found: the first one wins.
  add(3, kSubTcp, 1025, 80);
  EXPECT_EQ(index.FindConversation(3, kSubTcp, 1025, 80, objects), tcp);
  // Many connections of many peers: the table grows and still tells them apart.
  std::vector<int32_t> heads;
  for (int32_t peer = 10; peer < 20; ++peer)
    for (uint16_t port = 1024; port < 1124; ++port) heads.push_back(add(peer, kSubTcp, port, 80));
  size_t k = 0;
  for (int32_t peer = 10; peer < 20; ++peer)
    for (uint16_t port = 1024; port < 1124; ++port)
      EXPECT_EQ(index.FindConversation(peer, kSubUdp, port, 80, objects), heads[k++]);
  EXPECT_EQ(index.FindConversation(10, kSubTcp, 80, 1024, objects), -1);  // the ports the other way
}

// Erasing must leave every other key findable, even where probe runs are long and wrap
// around the table's end: a poor hash puts many keys on the same few slots.
// A table grows fourfold only once it is large and the trace read so far says that many
// entries are to come; otherwise it doubles.
TEST(ChainIndex, TablesGrowByWhatTheTraceReadSoFarProjects) {
  struct Case {
    size_t slots, count;
    double read;
    size_t grown;
  } cases[] = {
      {0, 0, 0.5, 64},                    // the first table
      {8192, 4095, 0.01, 16384},          // too small to project
      {8192, 4096, 0, 16384},             // the size of the trace not known
      {8192, 4096, 1, 16384},             // all of it read
      {8192, 4096, 0.5, 16384},           // 8,192 in all: doubling leaves room
      {8192, 4096, 0.4, 32768},           // 10,240 in all
      {1 << 20, 1 << 19, 0.01, 1 << 22},  // never more than four times
  };
  for (const Case& c : cases)
    EXPECT_EQ(GrownSlots(c.slots, c.count, c.read), c.grown) << c.slots << " " << c.count << " " << c.read;
  EXPECT_EQ(ReadFraction(50, 200), 0.25);
  EXPECT_EQ(ReadFraction(300, 200), 1.0);  // a file that grew meanwhile
  EXPECT_EQ(ReadFraction(50, 0), 0.0);
}

TEST(FlatIndexMap, EraseKeepsTheOthersFindable) {
  struct FewSlots {
    size_t operator()(int32_t k) const { return static_cast<size_t>(k % 5) + 60; }  // near the end of 64
  };
  for (const uint32_t seed : {1u, 7u, 12345u}) {
    FlatIndexMap<int32_t, FewSlots> map;
    std::map<int32_t, int32_t> expected;
    uint32_t state = seed;
    for (int step = 0; step < 4000; ++step) {
      state = state * 1664525u + 1013904223u;
      const auto key = static_cast<int32_t>(state >> 8 & 63);
      if (state >> 30 == 0) {
        map.Erase(key);
        expected.erase(key);
      } else {
        map.Put(key, step, true);
        expected[key] = step;
      }
      ASSERT_EQ(map.Size(), expected.size());
    }
    for (int32_t key = 0; key < 64; ++key) {
      const int32_t* found = map.Find(key);
      const auto it = expected.find(key);
      ASSERT_EQ(found != nullptr, it != expected.end()) << key;
      if (found != nullptr) {
        EXPECT_EQ(*found, it->second);
      }
    }
  }
}

}  // namespace
}  // namespace corvanta

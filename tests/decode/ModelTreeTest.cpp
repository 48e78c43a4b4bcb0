#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "decode/CaptureModel.h"

namespace corvanta {
namespace {

AddressKey Mac(uint32_t n) {
  uint8_t b[6] = {
      0x00, 0x00, 0x0C, static_cast<uint8_t>(n >> 16), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
  return AddressKey::Of(b, 6);
}

std::vector<AddressKey> WalkKeys(const StationTree& tree) {
  std::vector<AddressKey> keys;
  tree.ForEach([&](const StationNode& n) { keys.push_back(n.Address); });
  return keys;
}

// The hash lookup answers what a descent of the tree answers, for keys of every length,
// present or not, through the index's growth.
TEST(ModelTree, IndexAgreesWithTheTree) {
  NetAddressTree tree;
  std::mt19937 random(7);
  std::vector<AddressKey> keys;
  for (int i = 0; i < 5000; ++i) {
    uint8_t b[10];
    for (uint8_t& x : b) x = static_cast<uint8_t>(random() % 4);  // many shared prefixes
    keys.push_back(AddressKey::Of(b, 1 + random() % 10));
  }
  std::set<AddressKey> inserted;
  for (size_t i = 0; i < keys.size(); ++i) {
    bool created = false;
    NetAddressNode& node = tree.FindOrInsert(keys[i], created);
    EXPECT_EQ(created, inserted.insert(keys[i]).second);
    EXPECT_EQ(node.Address, keys[i]);
    EXPECT_EQ(tree.Find(keys[i]), &node);
    EXPECT_EQ(tree.FindInTree(keys[i]), &node);
    // A key not inserted yet is found by neither.
    const AddressKey& later = keys[(i * 7919 + 1) % keys.size()];
    EXPECT_EQ(tree.Find(later), tree.FindInTree(later));
  }
  EXPECT_EQ(tree.Count(), static_cast<int32_t>(inserted.size()));
  EXPECT_TRUE(tree.IsValid());
  std::vector<AddressKey> walked;
  tree.ForEach([&](const NetAddressNode& n) { walked.push_back(n.Address); });
  EXPECT_EQ(walked, std::vector<AddressKey>(inserted.begin(), inserted.end()));

  tree.Reset();
  EXPECT_EQ(tree.Find(keys[0]), nullptr);
  bool created = false;
  tree.FindOrInsert(keys[0], created);
  EXPECT_TRUE(created);
}

TEST(ModelTree, FindOrInsertThenLookup) {
  StationTree tree;
  EXPECT_EQ(tree.Find(Mac(1)), nullptr);
  bool inserted = false;
  StationNode& a = tree.FindOrInsert(Mac(1), inserted);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(a.Address, Mac(1));
  EXPECT_EQ(a.FramesSent, 0);
  EXPECT_EQ(a.FirstRingInfo, -1);
  a.FramesSent = 5;

  StationNode& again = tree.FindOrInsert(Mac(1), inserted);
  EXPECT_FALSE(inserted);
  EXPECT_EQ(&again, &a);
  EXPECT_EQ(again.FramesSent, 5);

  tree.FindOrInsert(Mac(2), inserted);
  EXPECT_TRUE(inserted);
  EXPECT_EQ(tree.Count(), 2);
  ASSERT_NE(tree.Find(Mac(1)), nullptr);
  EXPECT_EQ(tree.Find(Mac(1))->FramesSent, 5);
  EXPECT_EQ(tree.Find(Mac(3)), nullptr);
  const StationTree& constTree = tree;
  EXPECT_EQ(constTree.Find(Mac(2)), tree.Find(Mac(2)));
}

// Records name nodes by id: an id names its node until Reset, anything else names none.
TEST(ModelTree, NodeIdsNameTheirNodesAndNothingElse) {
  StationTree tree;
  std::vector<int32_t> ids;
  for (uint32_t n : {5u, 1u, 3u}) {
    bool inserted = false;
    ids.push_back(tree.FindOrInsertId(Mac(n), inserted));
    EXPECT_TRUE(inserted);
  }
  bool inserted = true;
  EXPECT_EQ(tree.FindOrInsertId(Mac(1), inserted), ids[1]);
  EXPECT_FALSE(inserted);
  for (size_t i = 0; i < ids.size(); ++i) {
    ASSERT_NE(tree.At(ids[i]), nullptr);
    EXPECT_EQ(tree.FindId(tree.At(ids[i])->Address), ids[i]);
    EXPECT_EQ(tree.AddressAt(ids[i]), tree.At(ids[i])->Address);
    EXPECT_LT(ids[i], tree.IdLimit());
  }
  std::vector<int32_t> walked;
  tree.ForEachWithId([&](int32_t id, const StationNode& n) {
    EXPECT_EQ(tree.At(id), &n);
    walked.push_back(id);
  });
  EXPECT_EQ(walked, (std::vector<int32_t>{ids[1], ids[2], ids[0]}));  // key order

  EXPECT_EQ(tree.FindId(Mac(2)), StationTree::kNoNode);
  for (int32_t none : {StationTree::kNoNode, 0, 1, tree.IdLimit(), INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(tree.At(none), nullptr) << none;
    EXPECT_EQ(tree.AddressAt(none).Length, 0) << none;
  }
  tree.Reset();
  EXPECT_EQ(tree.At(ids[0]), nullptr);
}

TEST(ModelTree, WalkIsInKeyOrderAndBalanceHoldsForAnyInsertOrder) {
  std::mt19937 rng(7);
  std::vector<uint32_t> ascending(3000), descending(3000), shuffled(3000);
  for (uint32_t i = 0; i < 3000; ++i) ascending[i] = i, descending[i] = 3000 - i, shuffled[i] = i * 7919 % 65521;
  std::shuffle(shuffled.begin(), shuffled.end(), rng);

  for (const auto* order : {&ascending, &descending, &shuffled}) {
    StationTree tree;
    std::set<AddressKey> expected;
    bool inserted = false;
    for (uint32_t n : *order) {
      tree.FindOrInsert(Mac(n % 1000 == 999 ? 5 : n), inserted);  // some repeats
      expected.insert(Mac(n % 1000 == 999 ? 5 : n));
      if (tree.Count() % 257 == 0) {
        ASSERT_TRUE(tree.IsValid());
      }
    }
    EXPECT_TRUE(tree.IsValid());
    EXPECT_EQ(tree.Count(), static_cast<int32_t>(expected.size()));
    EXPECT_EQ(WalkKeys(tree), std::vector<AddressKey>(expected.begin(), expected.end()));
  }
}

TEST(ModelTree, NetAddressTreeOrdersIpBeforeIpxOfTheSameLeadingBytes) {
  NetAddressTree tree;
  bool inserted = false;
  uint8_t ipx[10] = {10, 0, 0, 1, 0, 0, 0xC0, 0, 0, 1};
  uint8_t ip[4] = {10, 0, 0, 1};
  uint8_t ipLow[4] = {9, 255, 255, 255};
  tree.FindOrInsert(AddressKey::Of(ipx, 10), inserted).Category = kCatIpx;
  tree.FindOrInsert(AddressKey::Of(ip, 4), inserted).Category = kCatIp;
  tree.FindOrInsert(AddressKey::Of(ipLow, 4), inserted).Category = kCatIp;
  std::vector<uint8_t> lengths;
  tree.ForEach([&](const NetAddressNode& n) { lengths.push_back(n.Address.Length); });
  EXPECT_EQ(lengths, (std::vector<uint8_t>{4, 4, 10}));
  EXPECT_EQ(tree.Find(AddressKey::Of(ip, 4))->Category, kCatIp);
}

TEST(ModelTree, WalkStopsWhenTheCallbackSaysSoAndMayChangeNodes) {
  StationTree tree;
  bool inserted = false;
  for (uint32_t n = 0; n < 10; ++n) tree.FindOrInsert(Mac(n), inserted);
  int visited = 0;
  tree.ForEach([&](StationNode& n) {
    n.FramesReceived = ++visited;
    return visited < 4;
  });
  EXPECT_EQ(visited, 4);
  EXPECT_EQ(tree.Find(Mac(3))->FramesReceived, 4);
  EXPECT_EQ(tree.Find(Mac(4))->FramesReceived, 0);
}

TEST(ModelTree, NodesStayPutWhileTheTreeGrows) {
  CaptureModel model;
  bool inserted = false;
  StationNode& first = model.Stations.FindOrInsert(Mac(500000), inserted);
  first.BytesSent = 1234;
  uint8_t ip[4] = {192, 168, 1, 1};
  NetAddressNode& address = model.NetAddresses.FindOrInsert(AddressKey::Of(ip, 4), inserted);
  address.Station = &first;
  std::vector<StationNode*> seen;
  for (uint32_t n = 0; n < 20000; ++n) seen.push_back(&model.Stations.FindOrInsert(Mac(n * 37 % 20011), inserted));
  EXPECT_EQ(first.Address, Mac(500000));
  EXPECT_EQ(first.BytesSent, 1234);
  EXPECT_EQ(model.Stations.Find(Mac(500000)), &first);
  EXPECT_EQ(address.Station->BytesSent, 1234);
  for (uint32_t n = 0; n < 20000; n += 97) EXPECT_EQ(seen[n], model.Stations.Find(Mac(n * 37 % 20011)));
  EXPECT_TRUE(model.Stations.IsValid());
}

TEST(ModelTree, NameTreeTakesKeysOfEveryAddressLength) {
  NameTree names;
  bool inserted = false;
  uint8_t mac[6] = {0, 0xA0, 0xC9, 1, 2, 0x33};
  uint8_t ip[4] = {0, 0xA0, 0xC9, 1};
  names.FindOrInsert(NameKey::Of(mac, 6), inserted).NameIndex = 7;
  names.FindOrInsert(NameKey::Of(ip, 4), inserted).NameIndex = 8;
  EXPECT_TRUE(inserted);
  EXPECT_EQ(names.Find(NameKey::Of(mac, 6))->NameIndex, 7);
  EXPECT_EQ(names.Find(NameKey::Of(ip, 4))->NameIndex, 8);
  EXPECT_EQ(names.Find(NameKey::Of(mac, 5)), nullptr);
  EXPECT_EQ(names.FindOrInsert(NameKey::Of(mac, 3), inserted).NameIndex, -1);  // a new node names nothing yet
}

}  // namespace
}  // namespace corvanta

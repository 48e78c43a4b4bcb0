#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "decode/CaptureModel.h"

namespace corvanta {
namespace {

AddressKey Mac(uint8_t last) {
  uint8_t b[6] = {0x00, 0x00, 0x0C, 0x00, 0x00, last};
  return AddressKey::Of(b, 6);
}

template <class Walker>
std::vector<int32_t> Indexes(Walker walk) {
  std::vector<int32_t> out;
  walk([&](int32_t index, const auto&) { out.push_back(index); });
  return out;
}

// An index names its record's class and place: above 0 (chains end at 0, below 1 or -1),
// rising within a class, and naming nothing once its class bits or its place are wrong.
TEST(ModelObjects, IndexesCarryTheirClassAndRiseWithinIt) {
  ModelObjects objects;
  const int32_t name = objects.New<TNameHead>();
  const int32_t dlc = objects.New<TDLCPeer>();
  const int32_t net = objects.New<TNetPeer>();
  const int32_t head = objects.New<TTransHead>();
  const int32_t mac = objects.New<TMACInfo>();
  const int32_t dlc2 = objects.New<TDLCPeer>();
  EXPECT_EQ(objects.Count(), 6);
  EXPECT_EQ(objects.CountOf<TDLCPeer>(), 2);
  const std::pair<int32_t, RecordClass> made[] = {{name, RecordClass::kNameHead}, {dlc, RecordClass::kDlcPeer},
                                                  {net, RecordClass::kNetPeer},   {head, RecordClass::kTransHead},
                                                  {mac, RecordClass::kMacInfo},   {dlc2, RecordClass::kDlcPeer}};
  for (const auto& [index, recordClass] : made) {
    EXPECT_GT(index, 0);
    EXPECT_EQ(objects.ClassOf(index), recordClass) << index;
  }
  EXPECT_GT(dlc2, dlc);
  EXPECT_TRUE(objects.Is<TDLCPeer>(dlc2));
  EXPECT_FALSE(objects.Is<TNetPeer>(dlc2));
  EXPECT_FALSE(objects.Is<TDLCPeer>(dlc2 + 1));  // its class's next place, not made yet
  const int32_t classUnit = 1 << 28;             // the lowest class bit: classes 6 and 7 do not exist
  for (int32_t none : {0, -1, 1, dlc2 + 1, net + 1, classUnit * 6, classUnit * 7, INT32_MAX, INT32_MIN}) {
    EXPECT_EQ(objects.ClassOf(none), RecordClass::kNone) << none;
    EXPECT_FALSE(objects.Is<TNetPeer>(none)) << none;
  }

  objects.Get<TDLCPeer>(dlc).Frames = 11;
  objects.Get<TDLCPeer>(dlc2).Frames = 55;
  EXPECT_EQ(objects.Get<TDLCPeer>(dlc).Frames, 11);
  EXPECT_EQ(objects.Get<TDLCPeer>(dlc2).Frames, 55);
}

TEST(ModelObjects, NewRecordsAreZeroWithNoneLinks) {
  ModelObjects objects;
  const TDLCPeer& dlc = objects.Get<TDLCPeer>(objects.New<TDLCPeer>());
  EXPECT_EQ(dlc.NextPeer, 0);
  EXPECT_EQ(dlc.Frames, 0);
  EXPECT_EQ(dlc.Breakdown, -1);
  const TNetPeer& net = objects.Get<TNetPeer>(objects.New<TNetPeer>());
  EXPECT_EQ(net.NextPeer, 0);
  EXPECT_EQ(net.FirstConversation, -1);
  const TTransHead& conv = objects.Get<TTransHead>(objects.New<TTransHead>());
  EXPECT_EQ(conv.FirstPacket, -1);
  EXPECT_EQ(conv.LastPacket, -1);
  EXPECT_EQ(conv.NextConversation, -1);
  EXPECT_EQ(objects.Get<TMACInfo>(objects.New<TMACInfo>()).Next, -1);
  EXPECT_EQ(objects.Get<TNameHead>(objects.New<TNameHead>()).Name.View(), "");
}

TEST(ModelObjects, WrongClassOrBadIndexGivesABlankRecord) {
  ModelObjects objects;
  int32_t dlc = objects.New<TDLCPeer>();
  objects.Get<TDLCPeer>(dlc).Frames = 3;

  // Another class at that index: a blank whose links end every chain; writes go nowhere.
  TTransHead& wrong = objects.Get<TTransHead>(dlc);
  EXPECT_EQ(wrong.NextConversation, -1);
  wrong.FirstPacket = 99;
  EXPECT_EQ(objects.Get<TTransHead>(dlc).FirstPacket, -1);
  EXPECT_EQ(objects.Get<TDLCPeer>(dlc).Frames, 3);

  EXPECT_EQ(objects.Get<TDLCPeer>(-1).Frames, 0);
  EXPECT_EQ(objects.Get<TDLCPeer>(1000).Frames, 0);
  const ModelObjects& view = objects;
  EXPECT_EQ(view.Get<TMACInfo>(dlc).Next, -1);
  EXPECT_EQ(view.Get<TDLCPeer>(dlc).Frames, 3);

  PacketList packets;
  packets.At(5).Length = 100;  // discarded
  EXPECT_EQ(packets.Count(), 0);
  EXPECT_EQ(packets.At(5).Length, 0);
  EXPECT_EQ(packets.Next(-1), -1);
}

// A pair keeps its breakdowns in the record while one encapsulation, protocol or
// sub-protocol has every count; the counts read the same either way.
TEST(ModelObjects, PairBreakdownsCountEveryFrameOnce) {
  constexpr uint8_t kNone = 0xFF;  // a frame with no encapsulation
  struct Frame {
    Encapsulation encapsulation;
    ProtocolCategory category;
    int32_t count;
  };
  struct Case {
    std::vector<Frame> frames;
    bool apart;  // the counts moved out of the record
  };
  const Case cases[] = {
      {{{kEncapEtype, kCatIp, 3}, {kEncapEtype, kCatIp, 1}}, false},
      {{{kEncapEtype, kCatIp, 2}, {kEncapEtype, kCatArpRarp, 1}}, true},
      {{{kEncapLlc, kCatIpx, 2}, {kEncapSnap, kCatIpx, 5}}, true},
      {{{kEncapEtype, kCatIp, 2}, {kNone, kCatOther, 1}, {kEncapEtype, kCatIp, 1}}, true},
      {{{kNone, kCatOther, 4}}, true},
      {{{kEncapEtype, 40, 1}}, true},  // a category past the sets
      {{{kEncapMac, kCatMac, INT32_MAX}, {kEncapMac, kCatMac, 9}}, false},
      {{{kEncapMac, kCatMac, INT32_MAX}, {kEncapLlc, kCatMac, 9}}, true},
  };
  for (size_t n = 0; n < std::size(cases); ++n) {
    ModelObjects objects;
    TDLCPeer& peer = objects.Get<TDLCPeer>(objects.New<TDLCPeer>());
    std::array<int64_t, kEncapsulationCount> byEncapsulation{};
    std::array<int64_t, kProtocolCategoryCount> byProtocol{};
    int64_t total = 0;
    for (const Frame& f : cases[n].frames) {
      objects.CountFrames(peer, f.encapsulation, f.category, f.count);
      total += f.count;
      if (f.encapsulation < kEncapsulationCount) byEncapsulation[f.encapsulation] += f.count;
      if (f.category < kProtocolCategoryCount) byProtocol[f.category] += f.count;
    }
    auto capped = [](int64_t v) { return static_cast<int32_t>(std::min<int64_t>(v, INT32_MAX)); };
    EXPECT_EQ(peer.Frames, capped(total)) << n;
    EXPECT_EQ(peer.Breakdown >= 0, cases[n].apart) << n;
    for (int e = 0; e < kEncapsulationCount; ++e)
      EXPECT_EQ(objects.FramesByEncapsulation(peer)[e], capped(byEncapsulation[e])) << n << " encapsulation " << e;
    for (int c = 0; c < kProtocolCategoryCount; ++c)
      EXPECT_EQ(objects.FramesByProtocol(peer)[c], capped(byProtocol[c])) << n << " protocol " << c;
  }

  ModelObjects objects;
  TNetPeer& net = objects.Get<TNetPeer>(objects.New<TNetPeer>());
  objects.CountPackets(net, kSubTcp, 4);
  EXPECT_EQ(net.Breakdown, -1);
  EXPECT_EQ(objects.PacketsBySubProtocol(net)[kSubTcp], 4);
  const size_t before = objects.MemoryBytes();
  objects.CountPackets(net, kSubIcmp);
  objects.CountPackets(net, kSubTcp);
  EXPECT_GE(net.Breakdown, 0);
  EXPECT_GT(objects.MemoryBytes(), before);
  EXPECT_EQ(net.Packets, 6);
  EXPECT_EQ(net.SubProtocols, 1u << kSubTcp | 1u << kSubIcmp);
  NetBreakdown expected{};
  expected[kSubTcp] = 5;
  expected[kSubIcmp] = 1;
  EXPECT_EQ(objects.PacketsBySubProtocol(net), expected);
}

TEST(ModelChains, DlcPeerChainStartsAtZeroOnlyForASender) {
  CaptureModel model;
  bool inserted = false;
  StationNode& sender = model.Stations.FindOrInsert(Mac(1), inserted);
  StationNode& receiver = model.Stations.FindOrInsert(Mac(2), inserted);

  sender.Roles = kRolesSent;
  sender.FirstPeer = model.Objects.New<TDLCPeer>();
  int32_t second = model.Objects.New<TDLCPeer>();
  model.Objects.Get<TDLCPeer>(sender.FirstPeer).NextPeer = second;
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachDlcPeer(sender, f); }),
            (std::vector<int32_t>{sender.FirstPeer, second}));

  // A station that has only received has no peers, whatever FirstPeer holds.
  EXPECT_TRUE(Indexes([&](auto f) { model.ForEachDlcPeer(receiver, f); }).empty());
}

TEST(ModelChains, NetPeerAndConversationChainsEndAtTheirNoneValues) {
  CaptureModel model;
  bool inserted = false;
  uint8_t ip[4] = {10, 0, 0, 1};
  NetAddressNode& address = model.NetAddresses.FindOrInsert(AddressKey::Of(ip, 4), inserted);
  model.Objects.New<TDLCPeer>();  // the data-link peer created before any network peer
  EXPECT_TRUE(Indexes([&](auto f) { model.ForEachNetPeer(address, f); }).empty());

  address.FirstPeer = model.Objects.New<TNetPeer>();
  int32_t next = model.Objects.New<TNetPeer>();
  model.Objects.Get<TNetPeer>(address.FirstPeer).NextPeer = next;
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachNetPeer(address, f); }),
            (std::vector<int32_t>{address.FirstPeer, next}));

  TNetPeer& peer = model.Objects.Get<TNetPeer>(next);
  EXPECT_TRUE(Indexes([&](auto f) { model.ForEachConversation(peer, f); }).empty());
  peer.FirstConversation = model.Objects.New<TTransHead>();
  int32_t c2 = model.Objects.New<TTransHead>();
  model.Objects.Get<TTransHead>(peer.FirstConversation).NextConversation = c2;
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachConversation(peer, f); }),
            (std::vector<int32_t>{peer.FirstConversation, c2}));

  // Stopping early.
  int calls = 0;
  model.ForEachConversation(peer, [&](int32_t, const TTransHead&) { return ++calls < 1; });
  EXPECT_EQ(calls, 1);
}

TEST(ModelChains, DamagedChainsCannotLoopOrLeaveTheirClass) {
  CaptureModel model;
  const int32_t peerIndex = model.Objects.New<TNetPeer>();
  TNetPeer& peer = model.Objects.Get<TNetPeer>(peerIndex);
  peer.FirstConversation = model.Objects.New<TTransHead>();
  model.Objects.Get<TTransHead>(peer.FirstConversation).NextConversation = peer.FirstConversation;  // a cycle
  EXPECT_LE(Indexes([&](auto f) { model.ForEachConversation(peer, f); }).size(), 2u);

  model.Objects.Get<TTransHead>(peer.FirstConversation).NextConversation = peerIndex;  // not a conversation
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachConversation(peer, f); }),
            (std::vector<int32_t>{peer.FirstConversation}));

  TTransHead& conv = model.Objects.Get<TTransHead>(peer.FirstConversation);
  conv.FirstPacket = model.Packets.Append(conv);
  model.Packets.SetNext(conv.FirstPacket, conv.FirstPacket);
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachPacket(conv, f); }).size(), 1u);
}

TEST(ModelChains, RingInfoChain) {
  CaptureModel model;
  bool inserted = false;
  StationNode& station = model.Stations.FindOrInsert(Mac(9), inserted);
  EXPECT_TRUE(Indexes([&](auto f) { model.ForEachRingInfo(station, f); }).empty());
  station.FirstRingInfo = model.Objects.New<TMACInfo>();
  const int32_t second = model.Objects.New<TMACInfo>();
  model.Objects.Get<TMACInfo>(station.FirstRingInfo).Next = second;
  model.Objects.Get<TMACInfo>(second).SoftErrors[kSoftToken] = 2;
  std::vector<int32_t> tokens;
  model.ForEachRingInfo(station, [&](int32_t, const TMACInfo& m) { tokens.push_back(m.SoftErrors[kSoftToken]); });
  EXPECT_EQ(tokens, (std::vector<int32_t>{0, 2}));
}

TEST(ModelPackets, AppendAndInsertKeepBothDirectionsLinked) {
  CaptureModel model;
  TTransHead& conv = model.Objects.Get<TTransHead>(model.Objects.New<TTransHead>());
  TTransHead& other = model.Objects.Get<TTransHead>(model.Objects.New<TTransHead>());
  int32_t a = model.Packets.Append(conv);
  model.Packets.Append(other);  // interleaved with another conversation
  int32_t b = model.Packets.Append(conv);
  int32_t c = model.Packets.Append(conv);
  EXPECT_EQ(conv.FirstPacket, a);
  EXPECT_EQ(conv.LastPacket, c);
  EXPECT_EQ(model.Packets.Previous(a), -1);
  EXPECT_EQ(model.Packets.Next(c), -1);

  int32_t report = model.Packets.InsertAfter(conv, a);  // in the middle
  int32_t tail = model.Packets.InsertAfter(conv, c);    // after the last: becomes LastPacket
  EXPECT_EQ(conv.LastPacket, tail);
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachPacket(conv, f); }), (std::vector<int32_t>{a, report, b, c, tail}));

  std::vector<int32_t> backwards;
  for (int32_t i = conv.LastPacket; i >= 0; i = model.Packets.Previous(i)) backwards.push_back(i);
  EXPECT_EQ(backwards, (std::vector<int32_t>{tail, c, b, report, a}));
  EXPECT_EQ(Indexes([&](auto f) { model.ForEachPacket(other, f); }), (std::vector<int32_t>{1}));

  EXPECT_EQ(model.Packets.InsertAfter(conv, 1000), -1);
  EXPECT_EQ(model.Packets.Count(), 6);
}

TEST(ModelPackets, PacketsStayCompactAndInPlace) {
  EXPECT_LE(sizeof(TPacket), 40u);
  PacketList packets;
  TTransHead conv;
  int32_t first = packets.Append(conv);
  packets.At(first).Sequence = 42;
  const TPacket* where = &packets.At(first);
  for (int i = 0; i < 40000; ++i) packets.Append(conv);
  EXPECT_EQ(&packets.At(first), where);
  EXPECT_EQ(where->Sequence, 42u);
  EXPECT_EQ(packets.Previous(conv.LastPacket), 39999);
}

// Links longer than a record's step are kept beside the records: they read the same before
// and after the list is sealed, whichever way they point and however they change.
TEST(ModelPackets, FarLinksReadLikeNearOnes) {
  for (bool seal : {false, true}) {
    PacketList packets;
    TTransHead a, b;
    const int32_t first = packets.Append(a);
    for (int i = 0; i < 40000; ++i) packets.Append(b);
    const int32_t second = packets.Append(a);       // far from the first, both ways
    const int32_t inA = packets.InsertAfter(a, first);  // far after the first, near before the second
    const int32_t inB = packets.InsertAfter(b, 1);      // near after 1, far before 2
    if (seal) packets.Seal();
    auto chain = [&](int32_t from, bool forward) {
      std::vector<int32_t> order;
      for (int32_t i = from; i >= 0 && order.size() < 10; i = forward ? packets.Next(i) : packets.Previous(i))
        order.push_back(i);
      return order;
    };
    EXPECT_EQ(chain(a.FirstPacket, true), (std::vector<int32_t>{first, inA, second})) << seal;
    EXPECT_EQ(chain(a.LastPacket, false), (std::vector<int32_t>{second, inA, first})) << seal;
    const std::vector<int32_t> fromOne = chain(1, true);
    EXPECT_EQ(std::vector<int32_t>(fromOne.begin(), fromOne.begin() + 3), (std::vector<int32_t>{1, inB, 2})) << seal;
    EXPECT_EQ(packets.Previous(2), inB) << seal;
    EXPECT_EQ(packets.Previous(inB), 1) << seal;

    // Linked again after the list was sealed: far links change and go.
    const int32_t again = packets.InsertAfter(a, first);
    EXPECT_EQ(chain(a.FirstPacket, true), (std::vector<int32_t>{first, again, inA, second})) << seal;
    EXPECT_EQ(chain(a.LastPacket, false), (std::vector<int32_t>{second, inA, again, first})) << seal;
  }
}

// The values kept beside the records read back whatever order they were set in; a packet
// without one, or an index that is no packet, reads zero.
TEST(ModelPackets, SideValuesFollowTheirPackets) {
  PacketList packets;
  TTransHead conv;
  for (int i = 0; i < 10; ++i) packets.Append(conv);
  const std::pair<int32_t, uint16_t> sets[] = {{3, 1480}, {7, 536}, {5, 9000}, {0, 8}, {7, 1376}, {5, 0}, {12, 96}};
  for (auto [index, value] : sets) packets.SetFragmentOffset(index, value);
  const uint16_t expected[] = {8, 0, 0, 1480, 0, 0, 0, 1376, 0, 0};
  for (int32_t i = 0; i < 10; ++i) EXPECT_EQ(packets.FragmentOffset(i), expected[i]) << i;
  EXPECT_EQ(packets.FragmentOffset(12), 0);  // not a packet: discarded
  EXPECT_EQ(packets.FragmentOffset(-1), 0);
  packets.SetRetransmitDistance(9, 20);
  packets.SetRetransmitDistance(2, 3);
  EXPECT_EQ(packets.RetransmitDistance(9), 20);
  EXPECT_EQ(packets.RetransmitDistance(2), 3);
  EXPECT_EQ(packets.RetransmitDistance(3), 0);
  packets.Reset();
  packets.Append(conv);
  EXPECT_EQ(packets.FragmentOffset(0), 0);
  EXPECT_EQ(packets.RetransmitDistance(0), 0);
}

// Beyond one block of chunks: every packet stays where it was made and linked to the one
// before it, and the list takes no more than its chunks.
TEST(ModelPackets, ManyChunksAcrossBlocks) {
  constexpr int32_t kChunk = 32768;
  PacketList packets;
  TTransHead conv;
  std::vector<const TPacket*> where;
  const int32_t count = 9 * kChunk + 1;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t index = packets.Append(conv);
    ASSERT_EQ(index, i);
    packets.At(index).FrameNumber = i;
    if (i % kChunk == 0 || i % kChunk == kChunk - 1) where.push_back(&packets.At(index));
  }
  size_t sample = 0;
  for (int32_t i = 0; i < count; ++i) {
    const TPacket& p = packets.At(i);
    ASSERT_EQ(p.FrameNumber, i);
    ASSERT_EQ(packets.Previous(i), i - 1);
    if (i % kChunk == 0 || i % kChunk == kChunk - 1) {
      ASSERT_EQ(&p, where[sample++]);
    }
  }
  EXPECT_LE(packets.MemoryBytes(), 10 * kChunk * sizeof(TPacket) + 4096);
  packets.Reset();
  EXPECT_EQ(packets.Count(), 0);
  EXPECT_LT(packets.MemoryBytes(), 4096u);
}

TEST(CaptureModel, ResetStartsAfresh) {
  CaptureModel model;
  bool inserted = false;
  model.Stations.FindOrInsert(Mac(1), inserted);
  uint8_t ip[4] = {10, 0, 0, 1};
  model.NetAddresses.FindOrInsert(AddressKey::Of(ip, 4), inserted);
  model.Names.FindOrInsert(NameKey::Of(ip, 4), inserted);
  const int32_t firstDlc = model.Objects.New<TDLCPeer>();
  TTransHead conv;
  model.Packets.Append(conv);
  model.Counts.Stations = 1;
  model.FragmentPorts.Slots[3].SourcePort = 80;
  model.FragmentPorts.Cursor = 3;
  model.LearnedServers.Add(AddressKey::Of(ip, 4), 8080);
  model.ChecksumOffload.push_back(AddressKey::Of(ip, 4));

  model.Reset();
  EXPECT_EQ(model.Stations.Count(), 0);
  EXPECT_EQ(model.NetAddresses.Count(), 0);
  EXPECT_EQ(model.Names.Count(), 0);
  EXPECT_EQ(model.Stations.Find(Mac(1)), nullptr);
  EXPECT_EQ(model.Objects.Count(), 0);
  EXPECT_EQ(model.Packets.Count(), 0);
  EXPECT_EQ(model.Counts.Stations, 0);
  EXPECT_EQ(model.FragmentPorts.Slots[3].SourcePort, 0);
  EXPECT_EQ(model.FragmentPorts.Cursor, 0);
  EXPECT_FALSE(model.LearnedServers.Contains(AddressKey::Of(ip, 4), 8080));
  EXPECT_TRUE(model.ChecksumOffload.empty());

  // Indexes start again and the trees work as before.
  EXPECT_EQ(model.Objects.New<TDLCPeer>(), firstDlc);
  EXPECT_FALSE(model.Objects.Is<TDLCPeer>(firstDlc + 1));
  model.Stations.FindOrInsert(Mac(2), inserted);
  EXPECT_TRUE(inserted);
  EXPECT_TRUE(model.Stations.IsValid());
}

}  // namespace
}  // namespace corvanta

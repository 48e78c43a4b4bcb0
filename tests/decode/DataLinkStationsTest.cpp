// Stations and data-link peers as frames are decoded: roles, counters, sets and their
// working copies, the peer chain, frames after a collision, vendors.
#include <gtest/gtest.h>

#include "DecoderHarness.h"
#include "naming/VendorTable.h"

namespace corvanta::testing {
namespace {

const MacAddr kA = Station(0xA1);
const MacAddr kB = Station(0xB2);
const MacAddr kC = Station(0xC3);

Bytes Arp(const MacAddr& dst, const MacAddr& src) {
  return PadFrame(EthernetII(dst, src, 0x0806, ArpPacket(kArpRequest, src, {10, 0, 0, 1}, dst, {10, 0, 0, 2})));
}
Bytes Bpdu(const MacAddr& dst, const MacAddr& src) { return PadFrame(EthernetLlc(dst, src, 0x42, 0x42, 0x03, {})); }

TEST(DataLinkStations, PeersPerOrderedPairWithTheirOwnCounts) {
  DecoderHarness h;
  h.Feed(Arp(kB, kA));
  h.Feed(Arp(kB, kA));
  h.Feed(Bpdu(kA, kB));

  EXPECT_EQ(h.model.Counts.Stations, 2);
  EXPECT_EQ(h.model.Counts.SendingStations, 2);
  auto fromA = h.Peers(kA);
  auto fromB = h.Peers(kB);
  ASSERT_EQ(fromA.size(), 1u);
  ASSERT_EQ(fromB.size(), 1u);
  EXPECT_EQ(h.model.Stations.AddressAt(fromA[0]->Receiver), Key(kB));
  EXPECT_EQ(fromA[0]->Frames, 2);
  EXPECT_EQ(fromA[0]->Bytes, 128);
  EXPECT_EQ(h.model.Objects.FramesByProtocol(*fromA[0])[kCatArpRarp], 2);
  EXPECT_EQ(h.model.Objects.FramesByEncapsulation(*fromA[0])[kEncapEtype], 2);
  EXPECT_EQ(fromA[0]->Protocols, 1u << kCatArpRarp);
  EXPECT_EQ(fromA[0]->Encapsulations, 1u << kEncapEtype);
  EXPECT_EQ(fromA[0]->FrameStatus, 1u << kFrameStatusGood);
  EXPECT_EQ(h.model.Stations.AddressAt(fromB[0]->Receiver), Key(kA));
  EXPECT_EQ(fromB[0]->Frames, 1);
  EXPECT_EQ(h.model.Objects.FramesByEncapsulation(*fromB[0])[kEncapLlc], 1);

  const StationNode* a = h.Find(kA);
  EXPECT_EQ(a->FramesSent, 2);
  EXPECT_EQ(a->BytesSent, 128);
  EXPECT_EQ(a->FramesReceived, 1);
  EXPECT_EQ(a->BytesReceived, 64);
}

TEST(DataLinkStations, ReceiverOnlyHasNoRolesUntilItSends) {
  DecoderHarness h;
  h.Feed(Arp(kB, kA));
  const StationNode* b = h.Find(kB);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->Roles, 0);
  EXPECT_EQ(b->FirstRingInfo, -1);
  EXPECT_TRUE(h.Peers(kB).empty());
  EXPECT_EQ(h.model.Counts.SendingStations, 1);

  h.Feed(Arp(kA, kB));
  EXPECT_EQ(h.Find(kB)->Roles, kRolesSent);
  EXPECT_EQ(h.model.Counts.SendingStations, 2);
  EXPECT_EQ(h.model.Counts.Stations, 2);
  ASSERT_EQ(h.Peers(kB).size(), 1u);
}

TEST(DataLinkStations, NewDestinationsAreAppendedToTheChain) {
  DecoderHarness h;
  h.Feed(Arp(kB, kA));
  h.Feed(Arp(kC, kA));
  h.Feed(Arp(kB, kA));
  h.Feed(Arp(kBroadcastMac, kA));
  auto peers = h.Peers(kA);
  ASSERT_EQ(peers.size(), 3u);
  EXPECT_EQ(h.model.Stations.AddressAt(peers[0]->Receiver), Key(kB));
  EXPECT_EQ(peers[0]->Frames, 2);
  EXPECT_EQ(h.model.Stations.AddressAt(peers[1]->Receiver), Key(kC));
  EXPECT_EQ(h.model.Stations.AddressAt(peers[2]->Receiver), Key(kBroadcastMac));
  EXPECT_EQ(h.Find(kA)->GroupFramesSent, 1);
  EXPECT_EQ(h.model.Counts.Stations, 4);
}

TEST(DataLinkStations, WorkingCopiesFollowOnlyWhatTheStationSends) {
  DecoderHarness h;
  h.Feed(Arp(kB, kA));
  h.Feed(Bpdu(kA, kB));  // A receives LLC/BPDU
  const StationNode* a = h.Find(kA);
  EXPECT_EQ(a->Protocols, (1u << kCatArpRarp) | (1u << kCatBpdu));
  EXPECT_EQ(a->WorkProtocols, 1u << kCatArpRarp);
  EXPECT_EQ(a->Encapsulations, (1u << kEncapEtype) | (1u << kEncapLlc));
  EXPECT_EQ(a->WorkEncapsulations, 1u << kEncapEtype);

  h.Feed(Arp(kB, kA), {.status = kStatusCrcError});
  a = h.Find(kA);
  EXPECT_EQ(a->WorkProtocols, a->Protocols);
  EXPECT_EQ(a->WorkEncapsulations, a->Encapsulations);
  EXPECT_EQ(a->FrameStatus, (1u << kFrameStatusGood) | (1u << kFrameStatusCrcError));
  EXPECT_EQ(a->WorkFrameStatus, a->FrameStatus);
  EXPECT_EQ(a->ErrorFramesSent, 1);
  EXPECT_EQ(h.Find(kB)->FrameStatus, (1u << kFrameStatusGood) | (1u << kFrameStatusCrcError));
}

TEST(DataLinkStations, TwoGoodFramesAfterACollisionFragmentCount) {
  DecoderHarness h;
  Bytes fragment = EthernetII(kB, kC, 0x0800, Filler(20));  // 34 bytes + 4
  h.Feed(Arp(kB, kA));                                      // frame 1: before any collision
  h.Feed(fragment, {.status = kStatusCrcError});            // frame 2: collision fragment
  EXPECT_EQ(h.stats.LastCollisionFrame, 2);
  h.Feed(Arp(kB, kA));                               // frame 3
  h.Feed(Arp(kB, kA), {.status = kStatusCrcError});  // frame 4: bad, not counted
  h.Feed(Arp(kB, kA));                               // frame 5: too late
  EXPECT_EQ(h.Find(kA)->FramesAfterCollision, 1);
  EXPECT_EQ(h.Find(kC)->FramesAfterCollision, 0);

  h.Feed(fragment, {.status = kStatusCrcError});  // frame 6
  h.Feed(Arp(kB, kA));                            // 7
  h.Feed(Arp(kB, kA));                            // 8
  h.Feed(Arp(kB, kA));                            // 9
  EXPECT_EQ(h.Find(kA)->FramesAfterCollision, 3);
}

TEST(DataLinkStations, FirstFrameIsNotAfterACollision) {
  DecoderHarness h;
  h.Feed(Arp(kB, kA));
  EXPECT_EQ(h.Find(kA)->FramesAfterCollision, 0);
}

TEST(DataLinkStations, ShortEthernetFramesCreateNoStation) {
  DecoderHarness h;
  h.Feed(Bytes(13, 0x11));  // 17 bytes with the check sequence
  EXPECT_EQ(h.model.Stations.Count(), 0);
  EXPECT_EQ(h.stats.ProtocolStats[kCatOther].Frames, 1);
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 1);
  EXPECT_EQ(h.stats.TraceStats[kStatEtype].Value + h.stats.TraceStats[kStatLlc].Value, 0);
  EXPECT_EQ(h.stats.ProtocolStats[kCatOther].EncapsulationBits, 0);

  Bytes minimal(14, 0x22);  // 18 bytes: stations
  std::fill(minimal.begin() + 6, minimal.begin() + 12, 0x33);
  h.Feed(minimal);
  EXPECT_EQ(h.model.Stations.Count(), 2);
  EXPECT_EQ(h.stats.ProtocolStats[kCatOther].EncapsulationBits, 1u << kEncapEtype);  // type 0x2222
}

TEST(DataLinkStations, TokenRingRoutedSourceIsTheSameStation) {
  DecoderHarness h(kTokenRing);
  TokenRingAddressing a;
  a.src = kA;
  a.dst = kB;
  h.Feed(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}));
  a.route = {0x0011, 0x0020};
  h.Feed(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}));
  EXPECT_EQ(h.model.Counts.Stations, 2);
  EXPECT_EQ(h.Find(kA)->FramesSent, 2);
  EXPECT_EQ(h.stats.SourceRoutedFrames, 1);
  EXPECT_EQ(h.Peers(kA).size(), 1u);

  // Token Ring frames of any length update stations.
  h.Feed(Bytes(6, 0x40), {.length = 6});
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 3);
  EXPECT_EQ(h.model.Counts.Stations, 4);  // addresses read from the (cleared) buffer
}

TEST(DataLinkStations, StationsAndNeighboursGetTheirVendor) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  vendors.Add({0x08, 0x00, 0x5A}, "IBM   ");
  DecoderHarness h(kEthernet, 10, &vendors);
  MacAddr ibm = {0x08, 0x00, 0x5A, 0x01, 0x02, 0x03};
  MacAddr unknown = {0x02, 0x60, 0x8C, 0x01, 0x02, 0x03};
  h.Feed(Arp(ibm, kA));
  h.Feed(Arp(kA, unknown));
  EXPECT_EQ(h.Find(kA)->VendorIndex, 1);
  EXPECT_EQ(h.Find(ibm)->VendorIndex, 2);
  EXPECT_EQ(h.Find(unknown)->VendorIndex, 0);
}

}  // namespace
}  // namespace corvanta::testing

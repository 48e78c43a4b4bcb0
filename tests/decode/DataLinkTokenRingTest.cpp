// Token Ring MAC frames: soft-error reports, upstream neighbours and the ring map.
#include <gtest/gtest.h>

#include "DecoderHarness.h"
#include "decode/RingMap.h"
#include "naming/VendorTable.h"

namespace corvanta::testing {
namespace {

const MacAddr kA = Station(0xA1);
const MacAddr kB = Station(0xB2);
const MacAddr kC = Station(0xC3);
const MacAddr kD = Station(0xD4);

using Counts = std::array<uint8_t, 10>;  // builder order: line, internal, burst, AC, abort, lost, ...

TEST(TokenRingSoftErrors, ReportToTheErrorMonitorFeedsEverything) {
  DecoderHarness h(kTokenRing);
  h.Feed(SoftErrorReport(kA, kB, {3, 0, 2, 0, 0, 0, 0, 0, 0, 1}));
  h.Feed(SoftErrorReport(kA, kB, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  const StationNode* a = h.Find(kA);
  EXPECT_EQ(a->SoftErrorFlags, 0x0040 | 0x0004 | 0x0200);
  auto infos = h.RingInfos(kA);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0]->Neighbour, Key(kB));
  EXPECT_EQ(infos[0]->SoftErrors[kSoftLine], 4);
  EXPECT_EQ(infos[0]->SoftErrors[kSoftBurst], 2);
  EXPECT_EQ(infos[0]->SoftErrors[kSoftToken], 1);
  EXPECT_EQ(infos[0]->Next, -1);

  EXPECT_EQ(h.stats.SoftErrorTotals[kSoftLine].Value, 4);
  EXPECT_EQ(h.stats.SoftErrorTotals[kSoftBurst].Value, 2);
  EXPECT_EQ(h.stats.SoftErrorTotals[kSoftToken].Value, 1);
  EXPECT_EQ(h.stats.MacFrames, 2);
  EXPECT_EQ(h.stats.ProtocolStats[kCatMac].Frames, 2);
  EXPECT_EQ(h.stats.ProtocolStats[kCatMac].EncapsulationBits, 0);  // MAC frames add no bit
  EXPECT_EQ(h.model.Objects.FramesByEncapsulation(*h.Peers(kA)[0])[kEncapMac], 2);
}

TEST(TokenRingSoftErrors, ReportsElsewhereSkipOnlyTheTotals) {
  DecoderHarness h(kTokenRing);
  h.Feed(SoftErrorReport(kA, kB, {0, 5, 0, 0, 0, 0, 7, 0, 0, 0}, kC));
  EXPECT_EQ(h.Find(kA)->SoftErrorFlags, 0x0020 | 0x0100);
  ASSERT_EQ(h.RingInfos(kA).size(), 1u);
  EXPECT_EQ(h.RingInfos(kA)[0]->SoftErrors[kSoftInternal], 5);
  EXPECT_EQ(h.RingInfos(kA)[0]->SoftErrors[kSoftReceiveCongestion], 7);
  for (const StatRecord& total : h.stats.SoftErrorTotals) EXPECT_EQ(total.Value, 0);
}

TEST(TokenRingSoftErrors, EachNeighbourGetsItsOwnRecordInOrder) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  h.Feed(SoftErrorReport(kA, kB, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kA, kC, {2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(kA, kB, {4, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  auto infos = h.RingInfos(kA);
  ASSERT_EQ(infos.size(), 2u);
  EXPECT_EQ(infos[0]->Neighbour, Key(kB));
  EXPECT_EQ(infos[0]->SoftErrors[kSoftLine], 5);
  EXPECT_EQ(infos[1]->Neighbour, Key(kC));
  EXPECT_EQ(infos[1]->SoftErrors[kSoftLine], 2);
  EXPECT_EQ(infos[1]->VendorIndex, 1);
}

TEST(TokenRingSoftErrors, ShortReportIsReadSafely) {
  DecoderHarness h(kTokenRing);
  Bytes report = SoftErrorReport(kA, kB, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9});
  report.resize(20);  // the counts and the neighbour lie past the frame
  h.Feed(report);
  EXPECT_EQ(h.stats.MacFrames, 1);
  EXPECT_EQ(h.Find(kA)->SoftErrorFlags, 0);
  ASSERT_EQ(h.RingInfos(kA).size(), 1u);  // against the zero neighbour read from the buffer

  // The same at the very end of the buffer: nothing is read outside it.
  Bytes end = SoftErrorReport(kA, kB, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
  end.resize(kMaxFrameLength);
  h.Feed(end, {.length = kMaxFrameLength});
  EXPECT_EQ(h.stats.MacFrames, 2);
}

TEST(TokenRingNeighbours, MonitorPresentRewritesTheFirstRecord) {
  DecoderHarness h(kTokenRing);
  h.Feed(MonitorPresent(false, kA, kB));
  auto infos = h.RingInfos(kA);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0]->Neighbour, Key(kB));
  EXPECT_EQ(infos[0]->VendorIndex, 0);

  h.Feed(MonitorPresent(false, kA, kC));
  infos = h.RingInfos(kA);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0]->Neighbour, Key(kC));

  // A report against the current neighbour lands in that first record.
  h.Feed(SoftErrorReport(kA, kC, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  infos = h.RingInfos(kA);
  ASSERT_EQ(infos.size(), 1u);
  EXPECT_EQ(infos[0]->SoftErrors[kSoftLine], 1);
}

TEST(TokenRingNeighbours, RewrittenRecordKeepsItsVendorMatchingTheNeighbour) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  h.Feed(SoftErrorReport(kA, kB, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(h.RingInfos(kA)[0]->VendorIndex, 1);
  MacAddr other = {0x10, 0x00, 0x5A, 0x00, 0x00, 0x01};  // no vendor entry
  h.Feed(MonitorPresent(false, kA, other));
  EXPECT_EQ(h.RingInfos(kA)[0]->Neighbour, Key(other));
  EXPECT_EQ(h.RingInfos(kA)[0]->VendorIndex, 0);
}

TEST(TokenRingNeighbours, NotifiedNeighbourCarriesItsVendor) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  h.Feed(MonitorPresent(false, kA, kB));
  ASSERT_EQ(h.RingInfos(kA).size(), 1u);
  EXPECT_EQ(h.RingInfos(kA)[0]->VendorIndex, 1);
  // Reports against that neighbour are counted in the same record, which keeps the vendor.
  h.Feed(SoftErrorReport(kA, kB, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(h.RingInfos(kA).size(), 1u);
  EXPECT_EQ(h.RingInfos(kA)[0]->VendorIndex, 1);
  EXPECT_EQ(h.RingInfos(kA)[0]->SoftErrors[kSoftLine], 1);
  // A neighbour without a vendor entry.
  MacAddr other = {0x10, 0x00, 0x5A, 0x00, 0x00, 0x01};
  h.Feed(MonitorPresent(false, kA, other));
  EXPECT_EQ(h.RingInfos(kA)[0]->VendorIndex, 0);
  h.Feed(MonitorPresent(false, kA, kC));
  EXPECT_EQ(h.RingInfos(kA)[0]->VendorIndex, 1);
}

TEST(RingMap, StandbyFramesBeforeTheFirstActiveMonitorChangeNothing) {
  DecoderHarness h(kTokenRing);
  h.Feed(MonitorPresent(false, kB, kA));
  EXPECT_EQ(h.stats.RingMap.RingStationCount, 0);
  h.Feed(MonitorPresent(true, kA, kD));
  ASSERT_EQ(h.stats.RingMap.RingStationCount, 1);
  EXPECT_EQ(h.stats.RingMap.Entry(1).Station, Key(kA));
  EXPECT_EQ(h.stats.RingMap.Entry(1).Flags, kRingActiveMonitor);
  EXPECT_EQ(h.stats.RingMap.Entry(1).Seen, 1);
}

TEST(RingMap, StationsAreKeptInRingOrder) {
  DecoderHarness h(kTokenRing);
  // Ring A -> B -> C -> D -> A; the notifications arrive out of order once.
  h.Feed(MonitorPresent(true, kA, kD));
  h.Feed(MonitorPresent(false, kB, kA));
  h.Feed(MonitorPresent(false, kD, kC));  // C not known yet: not entered
  h.Feed(MonitorPresent(false, kC, kB));
  h.Feed(MonitorPresent(true, kA, kD));
  h.Feed(MonitorPresent(false, kD, kC));
  const RingMapTable& map = h.stats.RingMap;
  ASSERT_EQ(map.RingStationCount, 4);
  EXPECT_EQ(map.Entry(1).Station, Key(kA));
  EXPECT_EQ(map.Entry(2).Station, Key(kB));
  EXPECT_EQ(map.Entry(3).Station, Key(kC));
  EXPECT_EQ(map.Entry(4).Station, Key(kD));
}

TEST(RingMap, NewStationGoesDirectlyAfterItsNeighbour) {
  RingMapTable map;
  AddressKey a = Key(kA), b = Key(kB), c = Key(kC), d = Key(kD);
  map.Notify(true, a, d);
  map.Notify(false, c, a);  // C first thought to follow A
  map.Notify(false, b, a);  // B follows A: goes before C
  ASSERT_EQ(map.RingStationCount, 3);
  EXPECT_EQ(map.Entry(2).Station, b);
  EXPECT_EQ(map.Entry(3).Station, c);
  EXPECT_EQ(map.Find(d), 0);
}

TEST(RingMap, ActiveMonitorFramesAgeTheEntries) {
  RingMapTable map;
  AddressKey a = Key(kA), b = Key(kB), c = Key(kC);
  map.Notify(true, a, c);
  map.Notify(false, b, a);
  map.Notify(false, c, b);
  map.Notify(true, a, c);  // new cycle: all were seen, now unseen
  EXPECT_EQ(map.Entry(2).Seen, 0);
  EXPECT_EQ(map.Entry(2).Flags, 0);
  map.Notify(false, b, a);  // B answers, C does not
  map.Notify(true, a, c);   // C missed a cycle
  EXPECT_EQ(map.Entry(1).Flags, kRingActiveMonitor);
  EXPECT_EQ(map.Entry(1).Seen, 1);
  EXPECT_EQ(map.Entry(2).Flags, 0);
  EXPECT_EQ(map.Entry(3).Flags, kRingMissedCycle);
}

TEST(RingMap, ActiveMonitorThatTurnsStandbyBecomesFormer) {
  RingMapTable map;
  AddressKey a = Key(kA), b = Key(kB);
  map.Notify(true, a, b);
  map.Notify(false, b, a);
  map.Notify(true, b, a);   // B takes over
  map.Notify(false, a, b);  // A is a standby now
  EXPECT_EQ(map.Entry(1).Flags, kRingFormerActiveMonitor);
  EXPECT_EQ(map.Entry(2).Flags, kRingActiveMonitor);
}

TEST(RingMap, HoldsAtMost280Stations) {
  RingMapTable map;
  auto mac = [](int n) {
    uint8_t b[6] = {0x00, 0x00, 0x0C, 0x00, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
    return AddressKey::Of(b, 6);
  };
  map.Notify(true, mac(1), mac(0));
  for (int n = 2; n <= 300; ++n) map.Notify(false, mac(n), mac(n - 1));
  EXPECT_EQ(map.RingStationCount, RingMapTable::kMaxEntries);
  EXPECT_EQ(map.Entry(280).Station, mac(280));
  EXPECT_EQ(map.Find(mac(281)), 0);
  // Entries outside 1..280 read as the unused entry 0, never outside the table.
  EXPECT_EQ(&map.Entry(281), &map.Entry(0));
}

}  // namespace
}  // namespace corvanta::testing

// Whole-trace statistics: rounding, size buckets, the one-second clock and utilisation,
// the Ethernet error counters and the ring of recent errors.
#include <gtest/gtest.h>

#include <cmath>
#include <utility>
#include <vector>

#include "DecoderHarness.h"
#include "decode/TraceStatistics.h"

namespace corvanta::testing {
namespace {

constexpr double kSecond = 1000000.0;
constexpr double kDay = 86400.0 * kSecond;

TEST(NearestEven, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(NearestEven(2.5), 2);
  EXPECT_EQ(NearestEven(3.5), 4);
  EXPECT_EQ(NearestEven(-2.5), -2);
  EXPECT_EQ(NearestEven(0.49999), 0);
  EXPECT_EQ(NearestEven(2.5000001), 3);
  EXPECT_EQ(NearestEven(std::nan("")), 0);
  EXPECT_EQ(NearestEven(1e300), INT32_MAX);
  EXPECT_EQ(NearestEven(-1e300), INT32_MIN);
}

TEST(SizeBucket, EthernetBuckets) {
  EXPECT_EQ(SizeBucket(kEthernet, 0), 0);
  EXPECT_EQ(SizeBucket(kEthernet, 63), 0);
  EXPECT_EQ(SizeBucket(kEthernet, 64), 1);
  EXPECT_EQ(SizeBucket(kEthernet, 255), 1);
  EXPECT_EQ(SizeBucket(kEthernet, 256), 2);
  EXPECT_EQ(SizeBucket(kEthernet, 1518), 6);
  EXPECT_EQ(SizeBucket(kEthernet, 1519), 7);
  EXPECT_EQ(SizeBucket(kEthernet, 32768), 7);
}

TEST(SizeBucket, LongTokenRingFramesAreNotCountedAsMidSized) {
  EXPECT_EQ(SizeBucket(kTokenRing, 63), 0);
  EXPECT_EQ(SizeBucket(kTokenRing, 1600), 7);
  EXPECT_EQ(SizeBucket(kTokenRing, 4095), 16);
  EXPECT_EQ(SizeBucket(kTokenRing, 4097), 17);
  EXPECT_EQ(SizeBucket(kTokenRing, 4098), 17);
  EXPECT_EQ(SizeBucket(kTokenRing, 4352), 18);
  EXPECT_EQ(SizeBucket(kTokenRing, 17800), 70);
  EXPECT_EQ(SizeBucket(kTokenRing, 18000), 71);
  EXPECT_EQ(SizeBucket(kTokenRing, 32768), 71);

  DecoderHarness h(kTokenRing);
  TokenRingAddressing a;
  a.src = Station(1);
  a.dst = Station(2);
  h.Feed(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}), {.length = 8000});
  EXPECT_EQ(h.stats.SizeBuckets[7], 0);
  EXPECT_EQ(h.stats.SizeBuckets[32], 1);
}

TEST(Statistics, ResetStartsFromKnownValues) {
  TraceStatistics s;
  s.TraceStats[kStatFrames].Value = 9;
  s.LastErrors[2].Kind = kLastErrorCrc;
  s.RingMap.RingStationCount = 3;
  s.IntervalCount = 4;
  s.ResetStatistics();
  EXPECT_EQ(s.TraceStats[kStatSmallest].Value, -60000);
  EXPECT_EQ(s.TraceStats[kStatSmallest].Second, -60000);
  EXPECT_EQ(s.TraceStats[kStatFrames].Value, 0);
  for (const LastErrorSlot& e : s.LastErrors) EXPECT_EQ(e.Kind, kLastErrorEmpty);
  EXPECT_EQ(s.LastErrorsWrite, 1);
  EXPECT_EQ(s.LastErrorsOldest, 0);
  EXPECT_EQ(s.LastCollisionFrame, -2);
  EXPECT_EQ(s.RingMap.RingStationCount, 0);
  EXPECT_EQ(s.IntervalCount, 0);
}

TEST(Statistics, BandwidthInBytesPerSecond) {
  TraceStatistics s;
  for (auto [mbps, bytes] : std::vector<std::pair<int, int>>{
           {4, 500000}, {10, 1250000}, {16, 2000000}, {100, 12500000}, {1000, 125000000}}) {
    s.SetBandwidth(mbps);
    EXPECT_EQ(s.BandwidthBytesPerSecond, bytes);
  }
  DecoderHarness h(kTokenRing, 4);
  EXPECT_EQ(h.stats.BandwidthBytesPerSecond, 500000);
}

TEST(Statistics, SmallestAndLargestFrames) {
  DecoderHarness h;
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}), 96);  // 100 with FCS
  h.Feed(frame);
  EXPECT_EQ(h.stats.TraceStats[kStatSmallest].Value, 100);
  h.Feed(PadFrame(EthernetII(Station(2), Station(1), 0x0806, {})));  // 64
  h.Feed(frame);
  EXPECT_EQ(h.stats.TraceStats[kStatSmallest].Value, 64);
  EXPECT_EQ(h.stats.TraceStats[kStatLargest].Value, 100);
}

TEST(Statistics, OneFrameTraceHasOneIntervalAfterTheEnd) {
  DecoderHarness h;
  h.Feed(PadFrame(EthernetII(kBroadcastMac, Station(1), 0x0806, {}), 996));  // 1000 bytes
  EXPECT_EQ(h.stats.IntervalCount, 0);
  h.End();
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.IntervalCount, 1);
  EXPECT_EQ(s.ByteSums.Total, 1000);
  EXPECT_EQ(s.ByteSums.Broadcast, 1000);
  EXPECT_EQ(s.UtilStats[kUtilAverage].Value, 0);  // 1000 / 1250000 x 100 = 0.08
  EXPECT_EQ(s.UtilStats[kUtilPeakBytes].Value, 1000);
  EXPECT_EQ(s.UtilStats[kUtilPeakFrames].Value, 1);
  EXPECT_EQ(s.UtilStats[kUtilGroupPeakBytes].Value, 1000);
  EXPECT_EQ(s.UtilStats[kUtilGroupPeakFrames].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatAverageLength].Value, 1000);
  EXPECT_EQ(s.TraceStats[kStatLargestBroadcast].Value, 1000);
  EXPECT_EQ(s.TraceStats[kStatBroadcast].Value, 1);
}

TEST(Statistics, EmptyTraceStillClosesOneInterval) {
  DecoderHarness h;
  h.End();
  EXPECT_EQ(h.stats.IntervalCount, 1);
  EXPECT_EQ(h.stats.UtilStats[kUtilAverage].Value, 0);
  EXPECT_EQ(h.stats.TraceStats[kStatAverageLength].Value, 0);
}

TEST(Statistics, TenPercentOfTenMegabit) {
  DecoderHarness h;
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}), 96);  // 100 bytes
  for (int i = 0; i < 1000; ++i) h.Feed(frame, 1000.0 * i);
  h.Feed(frame, kSecond);  // closes the first second
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.IntervalCount, 1);
  EXPECT_EQ(s.UtilStats[kUtilPeak].Value, 10);    // (100000 + 20 x 1000) / 1250000 x 100
  EXPECT_EQ(s.UtilStats[kUtilAverage].Value, 8);  // 100000 / 1250000 x 100, no overhead
  EXPECT_EQ(s.UtilStats[kUtilPeakBytes].Value, 100000);
  EXPECT_EQ(s.UtilStats[kUtilPeakFrames].Value, 1000);
  EXPECT_EQ(s.IntervalCounters.Frames, 1);
}

TEST(Statistics, IntervalsCloseOnTheFirstFrameASecondAfterTheirStart) {
  DecoderHarness h;
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));
  h.Feed(frame, 0.0);
  h.Feed(frame, 400000.0);
  h.Feed(frame, 800000.0);
  EXPECT_EQ(h.stats.IntervalCount, 0);
  h.Feed(frame, 1200000.0);  // closes [0, 1.2 s)
  EXPECT_EQ(h.stats.IntervalCount, 1);
  EXPECT_EQ(h.stats.UtilStats[kUtilPeakFrames].Value, 3);
  h.Feed(frame, 1600000.0);
  h.Feed(frame, 2000000.0);
  EXPECT_EQ(h.stats.IntervalCount, 1);  // not a fixed grid: 2.0 - 1.2 < 1 s
  h.Feed(frame, 2200000.0);
  EXPECT_EQ(h.stats.IntervalCount, 2);
  EXPECT_EQ(h.stats.ElapsedTime, 2200000.0);
}

TEST(Statistics, MidnightWrapKeepsTimeAndIntervalsGoing) {
  DecoderHarness h;
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));
  h.Feed(frame, kDay - 500000.0);  // 23:59:59.5
  h.Feed(frame, 200000.0);         // 00:00:00.2
  EXPECT_EQ(h.stats.ElapsedTime, 700000.0);
  EXPECT_EQ(h.stats.IntervalCount, 0);
  h.Feed(frame, 600000.0);  // 1.1 s after the interval began
  EXPECT_EQ(h.stats.IntervalCount, 1);
  EXPECT_EQ(h.stats.UtilStats[kUtilPeakFrames].Value, 2);
  for (int i = 1; i <= 5; ++i) h.Feed(frame, 600000.0 + i * kSecond);
  EXPECT_EQ(h.stats.IntervalCount, 6);
  EXPECT_EQ(h.stats.ElapsedTime, 6100000.0);
}

TEST(Statistics, BroadcastAndMulticastUtilisation) {
  DecoderHarness h;
  Bytes broadcast = PadFrame(EthernetII(kBroadcastMac, Station(1), 0x0806, {}), 1246);  // 1250 bytes
  Bytes multicast = PadFrame(EthernetII({0x01, 0x80, 0xC2, 0, 0, 0}, Station(1), 0x0806, {}), 1246);
  for (int i = 0; i < 100; ++i) h.Feed(broadcast, 1000.0 * i);
  for (int i = 100; i < 200; ++i) h.Feed(multicast, 1000.0 * i);
  h.End();
  const TraceStatistics& s = h.stats;
  // Broadcast peak: (125000 + 20 x 100) x 100 / 1250000 = 10.16 -> 10.
  EXPECT_EQ(s.UtilStats[kUtilBroadcastPeak].Value, 10);
  // Group average: (125000 + 125000 + 20 x 200) x 100 / 1250000 / 1 = 20.32 -> 20.
  EXPECT_EQ(s.UtilStats[kUtilGroupAverage].Value, 20);
  EXPECT_EQ(s.UtilStats[kUtilGroupPeakBytes].Value, 250000);
  EXPECT_EQ(s.UtilStats[kUtilGroupPeakFrames].Value, 200);
  EXPECT_EQ(s.TraceStats[kStatMulticast].Value, 100);
  EXPECT_EQ(s.TraceStats[kStatLargestMulticast].Value, 1250);
  EXPECT_EQ(s.ByteSums.Multicast, 125000);
  EXPECT_EQ(s.ProtocolStats[kCatArpRarp].GroupFrames, 200);
}

TEST(Statistics, TokenRingOverheadIsOneByte) {
  DecoderHarness h(kTokenRing, 4);
  TokenRingAddressing a;
  a.src = Station(1);
  a.dst = Station(2);
  Bytes frame = TokenRingLlc(a, 0xF0, 0xF0, 0x03, {});
  // 2000 frames of 1000 bytes at 4 Mbit/s: (2000000 + 2000) / 500000 x 100 = 400.4 -> 400.
  for (int i = 0; i < 2000; ++i) h.Feed(frame, {.timeUs = 400.0 * i, .length = 1000});
  h.End();
  EXPECT_EQ(h.stats.UtilStats[kUtilPeak].Value, 400);
}

TEST(Statistics, WithoutBandwidthUtilisationStaysZero) {
  TraceStatistics s;
  s.ResetStatistics();
  s.SetBandwidth(0);
  s.AdvanceClock(0);
  s.CountLength(1000);
  s.CountFrameDone();
  s.CloseInterval();
  EXPECT_EQ(s.IntervalCount, 1);
  EXPECT_EQ(s.UtilStats[kUtilAverage].Value, 0);
  EXPECT_EQ(s.UtilStats[kUtilPeak].Value, 0);
  EXPECT_EQ(s.UtilStats[kUtilPeakBytes].Value, 1000);
}

TEST(EthernetErrors, CrcRuntIsACollisionFragment) {
  DecoderHarness h;
  Bytes runt = EthernetII(Station(2), Station(1), 0x0800, Filler(42));  // 56 + 4 = 60
  h.Feed(runt, {.status = kStatusCrcError});
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.TraceStats[kStatCrcErrors].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatRunts].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatCollisions].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatTooLong].Value, 0);
  EXPECT_EQ(s.LastErrors[1].Kind, kLastErrorCollision);
  EXPECT_EQ(s.LastErrors[1].Source, Station(1));
  EXPECT_EQ(s.LastCollisionFrame, 1);
  EXPECT_EQ(s.NewErrors, 1);
  EXPECT_EQ(s.IntervalCounters.ErrorFrames, 1);
}

TEST(EthernetErrors, KindsOfErrors) {
  DecoderHarness h;
  Bytes good = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));
  h.Feed(good);                                     // no error
  h.Feed(good, {.status = kStatusAlignmentError});  // CRC (alignment counts too)
  EXPECT_EQ(h.Frame().Status, kStatusAlignmentError | kStatusCrcError);
  h.Feed(Bytes(30, 0x11));                                    // runt
  h.Feed(good, {.length = 1600});                             // too long
  h.Feed(good, {.status = kStatusCrcError, .length = 1600});  // too long and CRC: kind 14
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.TraceStats[kStatCrcErrors].Value, 2);
  EXPECT_EQ(s.TraceStats[kStatRunts].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatTooLong].Value, 2);
  EXPECT_EQ(s.TraceStats[kStatCollisions].Value, 0);
  EXPECT_EQ(s.LastErrors[1].Kind, kLastErrorCrc);
  EXPECT_EQ(s.LastErrors[2].Kind, kLastErrorRunt);
  EXPECT_EQ(s.LastErrors[3].Kind, kLastErrorTooLong);
  EXPECT_EQ(s.LastErrors[4].Kind, kLastErrorCrc);
  EXPECT_EQ(s.SizeBuckets[7], 2);
  EXPECT_EQ(h.Find(Station(1))->ErrorFramesSent, 2);
}

TEST(EthernetErrors, RecentErrorsFormARingOfFour) {
  DecoderHarness h;
  Bytes runt = Bytes(30, 0);
  for (uint8_t n = 1; n <= 6; ++n) {
    runt[11] = n;  // the source's last byte
    h.Feed(runt);
  }
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.LastErrors[0].Kind, kLastErrorEmpty);  // never written
  EXPECT_EQ(s.LastErrors[1].Source[5], 5);
  EXPECT_EQ(s.LastErrors[2].Source[5], 6);
  EXPECT_EQ(s.LastErrors[3].Source[5], 3);
  EXPECT_EQ(s.LastErrors[4].Source[5], 4);
  EXPECT_EQ(s.LastErrorsWrite, 3);
  EXPECT_EQ(s.LastErrorsOldest, 3);
}

TEST(EthernetErrors, TokenRingHasNone) {
  DecoderHarness h(kTokenRing);
  h.Feed(Bytes(30, 0x40), {.status = kStatusCrcError});
  EXPECT_EQ(h.stats.TraceStats[kStatCrcErrors].Value, 0);
  EXPECT_EQ(h.stats.TraceStats[kStatRunts].Value, 0);
  EXPECT_EQ(h.stats.LastErrorsWrite, 1);
}

TEST(Statistics, EncapsulationCountersAndBits) {
  DecoderHarness h;
  h.Feed(PadFrame(EthernetII(Station(2), Station(1), 0x8137, {})));
  h.Feed(PadFrame(EthernetLlc(Station(2), Station(1), 0xE0, 0xE0, 0x03, {})));
  h.Feed(PadFrame(EthernetNovellRaw(Station(2), Station(1), {0xFF, 0xFF})));
  h.Feed(PadFrame(EthernetSnap(Station(2), Station(1), 0x8137, {})));
  const TraceStatistics& s = h.stats;
  EXPECT_EQ(s.TraceStats[kStatEtype].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatLlc].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatNovRaw].Value, 1);
  EXPECT_EQ(s.TraceStats[kStatSnap].Value, 1);
  EXPECT_EQ(s.ProtocolStats[kCatIpx].EncapsulationBits, 0x0F);
  EXPECT_EQ(s.ProtocolStats[kCatIpx].Frames, 4);
  EXPECT_EQ(s.ProtocolStats[kCatIpx].Bytes, 256);
}

}  // namespace
}  // namespace corvanta::testing

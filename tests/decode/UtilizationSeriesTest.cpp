// The per-second utilisation series kept beside the averages and peaks.
#include <gtest/gtest.h>

#include "DecoderHarness.h"
#include "decode/TraceStatistics.h"

namespace corvanta::testing {
namespace {

constexpr double kSecond = 1000000.0;
constexpr double kDay = 86400.0 * kSecond;

TEST(UtilizationSeries, OneRecordPerClosedIntervalWithItsCounts) {
  DecoderHarness h;
  const Bytes unicast = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));           // 64 with the FCS
  const Bytes broadcast = PadFrame(EthernetII(kBroadcastMac, Station(1), 0x0806, {}), 96);  // 100
  h.Feed(unicast, 0);
  h.Feed(broadcast, 400000);
  h.Feed(unicast, 1200000);  // closes [0, 1.2)
  h.Feed(unicast, 5000000);  // closes [1.2, 5.0): a gap is one interval, not four
  h.End();
  const auto& series = h.stats.UtilSeries;
  ASSERT_EQ(series.size(), 3u);
  EXPECT_EQ(static_cast<int>(series.size()), h.stats.IntervalCount);
  EXPECT_EQ(series[0].StartMs, 0u);
  EXPECT_EQ(series[0].Frames, 2);
  EXPECT_EQ(series[0].Bytes, 164);
  EXPECT_EQ(series[0].BroadcastFrames, 1);
  EXPECT_EQ(series[0].BroadcastBytes, 100);
  EXPECT_EQ(series[1].StartMs, 1200u);
  EXPECT_EQ(series[1].Frames, 1);
  EXPECT_EQ(series[1].BroadcastFrames, 0);
  EXPECT_EQ(series[2].StartMs, 5000u);
  // The peaks are the series' largest values.
  int32_t peakBytes = 0;
  for (const UtilizationSecond& s : series) peakBytes = std::max(peakBytes, s.Bytes);
  EXPECT_EQ(h.stats.UtilStats[kUtilPeakBytes].Value, peakBytes);
}

TEST(UtilizationSeries, StartTimesKeepGrowingPastMidnight) {
  DecoderHarness h;
  const Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));
  h.Feed(frame, kDay - 1500000.0);  // 23:59:58.5
  h.Feed(frame, kDay - 200000.0);   // 23:59:59.8, closes the first second
  h.Feed(frame, 900000.0);          // 00:00:00.9, closes the second
  h.Feed(frame, 2000000.0);         // 00:00:02.0, closes the third
  h.End();
  const auto& series = h.stats.UtilSeries;
  ASSERT_EQ(series.size(), 4u);
  EXPECT_EQ(series[0].StartMs, 0u);
  EXPECT_EQ(series[1].StartMs, 1300u);
  EXPECT_EQ(series[2].StartMs, 2400u);
  EXPECT_EQ(series[3].StartMs, 3500u);
}

TEST(UtilizationSeries, ResetForgetsTheSeries) {
  DecoderHarness h;
  h.Feed(PadFrame(EthernetII(Station(2), Station(1), 0x0806, {})), 0);
  h.End();
  ASSERT_EQ(h.stats.UtilSeries.size(), 1u);
  h.stats.ResetStatistics();
  EXPECT_TRUE(h.stats.UtilSeries.empty());
  EXPECT_EQ(h.stats.IntervalStartElapsed, 0);
}

}  // namespace
}  // namespace corvanta::testing

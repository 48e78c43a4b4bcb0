// The utilisation graph's values, columns, ticks, labels and CSV text.
#include <gtest/gtest.h>

#include "analysis/UtilizationGraph.h"

namespace corvanta {
namespace {

UtilizationSecond Second(uint32_t startMs, int32_t frames, int32_t bytes, int32_t bframes = 0, int32_t bbytes = 0) {
  return UtilizationSecond{startMs, frames, bytes, bframes, bbytes};
}

TEST(UtilizationGraph, ValuesFollowTheOneSecondFormula) {
  // 1000 frames of 100 bytes at 10 Mbit/s: (100000 + 20000) / 1250000 x 100 = 9.6 %.
  const UtilizationScale ethernet = MakeUtilizationScale(kEthernet, 10, 1);
  const UtilizationSecond s = Second(0, 1000, 100000, 10, 640);
  EXPECT_DOUBLE_EQ(UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, ethernet), 9.6);
  EXPECT_DOUBLE_EQ(UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, true, ethernet), 0.0672);
  EXPECT_EQ(UtilizationValue(s, UtilizationMeasure::kFramesPerSecond, false, ethernet), 1000);
  EXPECT_EQ(UtilizationValue(s, UtilizationMeasure::kBytesPerSecond, true, ethernet), 640);
  // Full duplex doubles the bandwidth; Token Ring counts one byte per frame.
  EXPECT_DOUBLE_EQ(
      UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, MakeUtilizationScale(kEthernet, 10, 2)), 4.8);
  EXPECT_DOUBLE_EQ(
      UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, MakeUtilizationScale(kTokenRing, 4, 1)),
      (100000.0 + 1000) * 100 / 500000);
  EXPECT_EQ(UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, MakeUtilizationScale(kEthernet, 0, 1)),
            0);
}

TEST(UtilizationGraph, ColumnsKeepTheLargestSecondAndLeaveGapsEmpty) {
  const UtilizationScale scale = MakeUtilizationScale(kEthernet, 10, 1);
  const std::vector<UtilizationSecond> series = {Second(0, 5, 500), Second(1000, 9, 900), Second(2000, 2, 200),
                                                 Second(7000, 4, 400)};
  // Two seconds per column over [0, 8).
  auto columns = UtilizationColumns(series, UtilizationMeasure::kFramesPerSecond, scale, 0, 8, 4);
  ASSERT_EQ(columns.size(), 4u);
  EXPECT_TRUE(columns[0].HasData);
  EXPECT_EQ(columns[0].All, 9);
  EXPECT_EQ(columns[1].All, 2);
  EXPECT_FALSE(columns[2].HasData);
  EXPECT_EQ(columns[3].All, 4);
  // Zoomed in: a second covers every column it overlaps, and a range starting inside a
  // second still shows it.
  columns = UtilizationColumns(series, UtilizationMeasure::kFramesPerSecond, scale, 1.5, 2.5, 4);
  EXPECT_EQ(columns[0].All, 9);
  EXPECT_EQ(columns[1].All, 9);
  EXPECT_EQ(columns[2].All, 2);
  EXPECT_EQ(columns[3].All, 2);
  EXPECT_TRUE(UtilizationColumns({}, UtilizationMeasure::kFramesPerSecond, scale, 0, 1, 3)[0].HasData == false);
  EXPECT_TRUE(UtilizationColumns(series, UtilizationMeasure::kFramesPerSecond, scale, 3, 3, 3)[1].HasData == false);
}

TEST(UtilizationGraph, ADayOfSecondsFitsAnyWidth) {
  std::vector<UtilizationSecond> series;
  for (uint32_t s = 0; s < 86400; ++s) series.push_back(Second(s * 1000, s == 50000 ? 77 : 1, 64));
  const auto columns =
      UtilizationColumns(series, UtilizationMeasure::kFramesPerSecond, {}, 0, UtilizationSpan(series), 900);
  double top = 0;
  for (const UtilizationColumn& c : columns) {
    EXPECT_TRUE(c.HasData);
    top = std::max(top, c.All);
  }
  EXPECT_EQ(top, 77);  // a one-second peak is never lost to the column width
  EXPECT_EQ(UtilizationSpan(series), 86400);
}

TEST(UtilizationGraph, TheSecondUnderThePointer) {
  const std::vector<UtilizationSecond> series = {Second(0, 1, 1), Second(1200, 1, 1), Second(5000, 1, 1)};
  EXPECT_EQ(UtilizationIndexAt(series, -0.1), -1);
  EXPECT_EQ(UtilizationIndexAt(series, 0.5), 0);
  EXPECT_EQ(UtilizationIndexAt(series, 1.1), -1);  // the first second ended at 1.0
  EXPECT_EQ(UtilizationIndexAt(series, 1.2), 1);
  EXPECT_EQ(UtilizationIndexAt(series, 3.0), -1);
  EXPECT_EQ(UtilizationIndexAt(series, 5.99), 2);
  EXPECT_EQ(UtilizationIndexAt(series, 6.0), -1);
}

TEST(UtilizationGraph, TicksAndLabels) {
  EXPECT_EQ(ValueTicks(0, 10, 6), (std::vector<double>{0, 2, 4, 6, 8, 10}));
  EXPECT_EQ(ValueTicks(0, 0.7, 5), (std::vector<double>{0, 0.2, 0.4, 0.6000000000000001}));
  EXPECT_TRUE(ValueTicks(5, 5, 5).empty());
  EXPECT_EQ(TimeTicks(0, 86400, 10), (std::vector<double>{0, 10800, 21600, 32400, 43200, 54000, 64800, 75600, 86400}));
  EXPECT_EQ(TimeTicks(0, 58, 8), (std::vector<double>{0, 10, 20, 30, 40, 50}));
  EXPECT_EQ(TimeLabel(3725, -1), "01:02:05");
  // A capture that started at 23:59:00 passes midnight on the axis.
  EXPECT_EQ(TimeLabel(90, 86340), "00:00:30");
  EXPECT_EQ(TimeLabel(1.25, 0, true), "00:00:01.3");
  EXPECT_EQ(ValueLabel(20, UtilizationMeasure::kBandwidthPercent), "20%");
  EXPECT_EQ(ValueLabel(0.5, UtilizationMeasure::kBandwidthPercent), "0.5%");
  EXPECT_EQ(ValueLabel(12500, UtilizationMeasure::kBytesPerSecond), "12,500");
  EXPECT_EQ(StartSecondOfDay(36526.5), 43200);
  EXPECT_EQ(StartSecondOfDay(0), -1);
}

// No two ticks of an axis read alike, however small the values, and the axis reaches the top.
TEST(UtilizationGraph, ValueAxisLabelsAreDistinct) {
  struct Case {
    double top;
    int maxTicks;
    UtilizationMeasure measure;
    std::vector<std::string> labels;
  };
  const std::vector<Case> cases = {
      {0.17, 5, UtilizationMeasure::kBandwidthPercent, {"0%", "0.05%", "0.10%", "0.15%", "0.20%"}},
      {0.7, 5, UtilizationMeasure::kBandwidthPercent, {"0%", "0.2%", "0.4%", "0.6%", "0.8%"}},
      {45, 6, UtilizationMeasure::kBandwidthPercent, {"0%", "10%", "20%", "30%", "40%", "50%"}},
      {0, 3, UtilizationMeasure::kBandwidthPercent, {"0%", "0.5%", "1%"}},
      {3, 10, UtilizationMeasure::kFramesPerSecond, {"0", "1", "2", "3"}},
      {12000, 4, UtilizationMeasure::kBytesPerSecond, {"0", "5,000", "10,000", "15,000"}},
  };
  for (const Case& c : cases) {
    const ValueAxis axis = MakeValueAxis(c.top, c.maxTicks, c.measure);
    EXPECT_EQ(axis.Labels, c.labels) << c.top;
    ASSERT_FALSE(axis.Ticks.empty());
    EXPECT_EQ(axis.Max, axis.Ticks.back());
    EXPECT_GE(axis.Max, c.top);
  }
}

TEST(UtilizationGraph, HoverAndCsvTexts) {
  const UtilizationScale scale = MakeUtilizationScale(kEthernet, 10, 1);
  const std::vector<UtilizationSecond> series = {Second(0, 1000, 100000, 10, 640), Second(1500, 3, 192)};
  EXPECT_EQ(UtilizationHoverText(series[0], scale, 43200),
            "12:00:00.0   9.60% (broadcast 0.07%)   1,000 frames, 100,000 bytes");
  EXPECT_EQ(UtilizationCsv(series, scale, -1),
            "Start (s),Time,Frames,Bytes,Broadcast Frames,Broadcast Bytes,Utilization %,Broadcast Utilization %\r\n"
            "0.000,00:00:00.0,1000,100000,10,640,9.60,0.07\r\n"
            "1.500,00:00:01.5,3,192,0,0,0.02,0.00\r\n");
}

}  // namespace
}  // namespace corvanta

// The frame size and protocol charts from decoded traces, and how the chart properties and
// units turn into what a chart shows.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Packets.h"
#include "analysis/Charts.h"
#include "decode/DecoderHarness.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;

const MacAddr kA = Station(0x0A);
const MacAddr kB = Station(0x0B);

std::vector<std::string> Labels(const std::vector<ChartPoint>& points) {
  std::vector<std::string> labels;
  for (const ChartPoint& p : points) labels.push_back(p.Label);
  return labels;
}
std::vector<int64_t> Values(const std::vector<ChartPoint>& points) {
  std::vector<int64_t> values;
  for (const ChartPoint& p : points) values.push_back(p.Value);
  return values;
}

// A frame of the given length on the wire.
void FeedLength(DecoderHarness& h, uint32_t length, const MacAddr& dst = kB) {
  FeedOptions o;
  o.length = length;
  h.Feed(PadFrame(EthernetII(dst, kA, 0x0800, Filler(46))), o);
}

TEST(FrameSizeChart, EthernetGroupsLabelsAndColours) {
  DecoderHarness h;
  for (uint32_t length : {60u, 64u, 255u, 300u, 512u, 1023u, 1100u, 1518u, 1519u, 1519u}) FeedLength(h, length);
  h.End();
  ChartData chart = FrameSizeChart(h.stats, kEthernet);
  EXPECT_EQ(chart.Title, "Frame Size Distribution");
  ASSERT_EQ(chart.Bar.size(), 6u);
  EXPECT_EQ(Labels(chart.Bar), (std::vector<std::string>{"18 to 64 -", "64 to 255 -", "256 to 511 -", "512 to 1023 -",
                                                         "1024 to 1518 -", "Greater than 1518 -"}));
  // 1519 bytes goes where the statistics bucket it: the oversize group.
  EXPECT_EQ(Values(chart.Bar), (std::vector<int64_t>{1, 2, 1, 2, 2, 2}));
  EXPECT_EQ(chart.Bar[0].Color, 0xFF00FFu);  // fuchsia
  EXPECT_EQ(chart.Bar[1].Color, 0x00FF00u);  // lime
  EXPECT_EQ(chart.Bar[2].Color, 0xFFFF00u);  // aqua: green and blue
  EXPECT_EQ(chart.Bar[3].Color, 0xFF0000u);  // blue
  EXPECT_EQ(chart.Bar[4].Color, 0x00FFFFu);  // yellow: red and green
  EXPECT_EQ(chart.Bar[5].Color, 0x000080u);  // maroon
  EXPECT_EQ(chart.Pie, chart.Bar);
}

TEST(FrameSizeChart, PieLeavesOutEmptyGroupsBarKeepsThem) {
  DecoderHarness h;
  FeedLength(h, 100);
  FeedLength(h, 1200);
  h.End();
  ChartData chart = FrameSizeChart(h.stats, kEthernet);
  EXPECT_EQ(Values(chart.Bar), (std::vector<int64_t>{0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(Labels(chart.Pie), (std::vector<std::string>{"64 to 255 -", "1024 to 1518 -"}));

  DecoderHarness empty;
  empty.End();
  chart = FrameSizeChart(empty.stats, kEthernet);
  EXPECT_EQ(chart.Bar.size(), 6u);
  EXPECT_TRUE(chart.Pie.empty());
}

TEST(FrameSizeChart, TokenRingGroups) {
  DecoderHarness h(kTokenRing);
  TokenRingAddressing to;
  to.dst = kB;
  to.src = kA;
  auto feed = [&](uint32_t length) {
    FeedOptions o;
    o.length = length;
    h.Feed(TokenRingLlc(to, 0x44, 0x44, 0x03, Filler(40)), o);
  };
  for (uint32_t length : {40u, 1024u, 1600u, 4095u, 4096u, 4097u, 9000u}) feed(length);
  h.End();
  ChartData chart = FrameSizeChart(h.stats, kTokenRing);
  EXPECT_EQ(Labels(chart.Bar), (std::vector<std::string>{" Less than 64 -", "64 to 255 -", "256 to 511 -",
                                                         "512 to 1023 -", "1024 to 4097 -", "Greater than 4097 -"}));
  // Groups follow the 256-byte buckets: 4096 and 4097 share the bucket above 4095.
  EXPECT_EQ(Values(chart.Bar), (std::vector<int64_t>{1, 0, 0, 0, 3, 3}));
}

// IP unicasts, ARP broadcasts, and an IP frame to a multicast address.
DecoderHarness& ProtocolTrace(DecoderHarness& h) {
  const Ip4Addr a = {10, 0, 0, 1}, b = {10, 0, 0, 2};
  for (int i = 0; i < 3; ++i) h.Feed(EthernetII(kB, kA, 0x0800, IpUdp(a, b, 1025, 53, Filler(20))));
  h.Feed(EthernetII({0x01, 0x00, 0x5E, 0, 0, 1}, kA, 0x0800, IpUdp(a, {224, 0, 0, 1}, 1025, 53, Filler(20))));
  for (int i = 0; i < 2; ++i)
    h.Feed(PadFrame(EthernetII(kBroadcastMac, kA, 0x0806, ArpPacket(kArpRequest, kA, a, {}, b))));
  h.End();
  return h;
}

TEST(ProtocolChart, PacketClasses) {
  DecoderHarness h;
  ProtocolTrace(h);

  ChartData all = ProtocolChart(h.stats, PacketClass::kAll);
  EXPECT_EQ(all.Title, "Protocol Distribution - All Packets");
  EXPECT_EQ(Labels(all.Pie), (std::vector<std::string>{"ARP/RARP -", "IP -"}));
  EXPECT_EQ(Values(all.Pie), (std::vector<int64_t>{2, 4}));
  EXPECT_EQ(all.Pie[0].Color, 0xC0DCC0u);
  EXPECT_EQ(all.Pie[1].Color, 0xFF0000u);
  EXPECT_EQ(all.Pie, all.Bar);

  ChartData broadcast = ProtocolChart(h.stats, PacketClass::kBroadcast);
  EXPECT_EQ(broadcast.Title, "Protocol Distribution - Broadcast Packets");
  EXPECT_EQ(Values(broadcast.Bar), (std::vector<int64_t>{2, 1}));

  ChartData unicast = ProtocolChart(h.stats, PacketClass::kNonBroadcast);
  EXPECT_EQ(unicast.Title, "Protocol Distribution - Non-Broadcast Packets");
  // ARP has frames but no unicast ones: no point.
  EXPECT_EQ(Labels(unicast.Bar), (std::vector<std::string>{"IP -"}));
  EXPECT_EQ(Values(unicast.Bar), (std::vector<int64_t>{3}));
}

TEST(ProtocolChart, MacAndOtherArePointsOfTheirOwn) {
  TraceStatistics s;
  s.ProtocolStats[kCatMac].Frames = 7;
  s.ProtocolStats[kCatOther].Frames = 2;
  s.ProtocolStats[kCatOther].GroupFrames = 2;
  ChartData chart = ProtocolChart(s, PacketClass::kAll);
  EXPECT_EQ(Labels(chart.Pie), (std::vector<std::string>{"MAC -", "Other -"}));
  EXPECT_EQ(Values(chart.Pie), (std::vector<int64_t>{7, 2}));
  EXPECT_EQ(chart.Pie[0].Color, 0xFFFF00u);
  EXPECT_EQ(Labels(ProtocolChart(s, PacketClass::kNonBroadcast).Bar), (std::vector<std::string>{"MAC -"}));
  EXPECT_TRUE(ProtocolChart(TraceStatistics{}, PacketClass::kAll).Pie.empty());
}

TEST(ChartLook, FollowsTheProperties) {
  ChartPropertyValues v;
  ChartLook look = ChartLookOf(v);
  EXPECT_TRUE(look.PieActive);
  EXPECT_FALSE(look.BarActive);
  EXPECT_TRUE(look.View3D);
  EXPECT_FALSE(look.Orthogonal);
  EXPECT_TRUE(look.Gradient);
  EXPECT_EQ(look.GradientTop, kChartDefaultTop);
  EXPECT_EQ(look.GradientBottom, kChartDefaultBottom);
  EXPECT_EQ(look.PieMarks, MarkStyle::kLabelPercent);
  EXPECT_EQ(look.BarMarks, MarkStyle::kPercent);
  EXPECT_TRUE(look.LegendPercent);

  v.Type = ChartType::kBar;
  v.Units = ChartUnits::kPackets;
  v.Title = v.Legend = v.Values = v.Gradient = false;
  look = ChartLookOf(v);
  EXPECT_FALSE(look.PieActive);
  EXPECT_TRUE(look.BarActive);
  EXPECT_TRUE(look.Orthogonal);
  EXPECT_FALSE(look.TitleVisible || look.LegendVisible || look.MarksVisible || look.Gradient);
  EXPECT_EQ(look.PieMarks, MarkStyle::kLabelValue);
  EXPECT_EQ(look.BarMarks, MarkStyle::kValue);
  EXPECT_FALSE(look.LegendPercent);

  v.View3D = false;
  EXPECT_FALSE(ChartLookOf(v).Orthogonal);
}

TEST(ChartLook, SwitchingTheTypeKeepsThePoints) {
  DecoderHarness h;
  ProtocolTrace(h);
  ChartData chart = ProtocolChart(h.stats, PacketClass::kAll);
  ChartPropertyValues v;
  v.Type = ChartType::kBar;
  ChartLook bar = ChartLookOf(v);
  v.Type = ChartType::kPie;
  ChartLook pie = ChartLookOf(v);
  EXPECT_NE(bar.PieActive, pie.PieActive);
  EXPECT_EQ(ChartPointTexts(chart.Pie, pie.PieMarks, true).size(),
            ChartPointTexts(chart.Bar, bar.BarMarks, true).size());
}

TEST(ChartPointTexts, PercentOrPackets) {
  std::vector<ChartPoint> points = {{"IP -", 2000, 0}, {"ARP/RARP -", 1000, 0}, {"IPX -", 1, 0}};
  auto texts = ChartPointTexts(points, MarkStyle::kLabelPercent, true);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].Mark, "IP - 66.64 %");
  EXPECT_EQ(texts[0].LegendValue, "66.64 %");
  EXPECT_EQ(texts[1].LegendValue, "33.32 %");
  EXPECT_EQ(texts[2].LegendValue, "0.03 %");

  texts = ChartPointTexts({{"a -", 1, 0}, {"b -", 1, 0}}, MarkStyle::kPercent, true);
  EXPECT_EQ(texts[0].Mark, "50.00 %");
  texts = ChartPointTexts({{"a -", 1, 0}, {"b -", 3, 0}, {"c -", 4, 0}}, MarkStyle::kPercent, true);
  EXPECT_EQ(texts[0].Mark, "12.50 %");

  texts = ChartPointTexts(points, MarkStyle::kLabelValue, false);
  EXPECT_EQ(texts[0].Mark, "IP - 2,000");
  EXPECT_EQ(texts[0].LegendValue, "2,000");
  texts = ChartPointTexts(points, MarkStyle::kValue, false, '.');
  EXPECT_EQ(texts[1].Mark, "1.000");

  // A series of zero points (the bar chart of an empty trace) divides by nothing.
  texts = ChartPointTexts({{"a -", 0, 0}}, MarkStyle::kPercent, true);
  EXPECT_EQ(texts[0].Mark, "0.00 %");
}

TEST(Charts, BarAxisLabelsDropTheMarkDash) {
  EXPECT_EQ(BarAxisLabel("64 to 255 -"), "64 to 255");
  EXPECT_EQ(BarAxisLabel(" Less than 64 -"), "Less than 64");
  EXPECT_EQ(BarAxisLabel("IP"), "IP");
  EXPECT_EQ(BarAxisLabel(""), "");
}

}  // namespace
}  // namespace corvanta

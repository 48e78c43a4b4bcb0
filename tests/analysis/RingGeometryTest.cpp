// The ring map: positions around the circle, radius and font fitting, labels, colours,
// fault-domain lines and the overflow of very large rings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Packets.h"
#include "analysis/RingGeometry.h"
#include "decode/DecoderHarness.h"
#include "decode/RingMap.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using namespace corvanta::testing;
using Points = std::vector<RingPoint>;

// 6 pixels a character; the height of "0" is the point size plus 5.
TextExtent FakeMeasure(std::string_view text, int pointSize) {
  return {static_cast<int>(text.size()) * 6, pointSize + 5};
}

std::vector<RingMapStation> Ring(int count) {
  std::vector<RingMapStation> stations(static_cast<size_t>(count));
  for (int n = 0; n < count; ++n) {
    RingMapStation& s = stations[static_cast<size_t>(n)];
    s.Text = s.Label = "S" + std::to_string(n + 1) + std::string(11 - std::to_string(n + 1).size(), '0');
    s.Seen = 1;
  }
  return stations;
}

TEST(RingPositions, TwoPointsPerQuarter) {
  // R = 100, s = 4R / 7: c(1) = 57, x(1) = round(sqrt(10000 - 3249)) = 82.
  Points p = RingPositions(2, 100, 400.0 / 7);
  EXPECT_EQ(p, (Points{{-100, 0}, {-82, -57}, {82, -57}, {100, 0}, {82, 57}, {-82, 57}, {-100, 0}}));
}

TEST(RingPositions, QuartersAndSmallRings) {
  // Stations and the points per quarter they get.
  for (auto [stations, quarter] : {std::pair{0, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}, {7, 3}, {180, 46}, {280, 46}})
    EXPECT_EQ(RingQuarterPoints(stations), quarter) << stations;

  // A ring of 3 uses positions 2, 3 and 6; a ring of 4 adds 7, the leftmost point.
  EXPECT_EQ(RingPositionOf(1, 3), 2);
  EXPECT_EQ(RingPositionOf(2, 3), 3);
  EXPECT_EQ(RingPositionOf(3, 3), 6);
  EXPECT_EQ(RingPositionOf(4, 4), 7);
  EXPECT_EQ(RingPositionOf(5, 5), 5);
  EXPECT_EQ(RingPositionOf(250, 280), 180);

  // One point per quarter: left, right, left again.
  EXPECT_EQ(RingPositions(1, 50, 10), (Points{{-50, 0}, {50, 0}, {-50, 0}}));
  // Never more than 180 positions, and every one on the circle.
  Points big = RingPositions(46, 200, 800.0 / 183);
  ASSERT_EQ(big.size(), 180u);
  for (const RingPoint& p : big) {
    const double r2 = double(p.X) * p.X + double(p.Y) * p.Y;
    EXPECT_NEAR(r2, 40000, 2 * 200 + 1);
  }
  EXPECT_EQ(big.front(), (RingPoint{-200, 0}));
}

TEST(RingMapLayout, ThreeStations) {
  RingMapDrawing d = LayoutRingMap(Ring(3), 400, 300, {}, FakeMeasure);
  // Label room 12 x 6 + 5 = 77: R = 200 - 77 - 6 = 117 (below 150 - 10 - 0).
  EXPECT_EQ(d.Center, (RingPoint{200, 150}));
  EXPECT_EQ(d.Radius, 117);
  EXPECT_EQ(d.FontSize, 8);
  EXPECT_EQ(d.Caption, "(Downstream neighbors are clockwise)");
  EXPECT_EQ(d.RingColor, 0x808080u);
  EXPECT_EQ(d.RingPenWidth, 2);
  ASSERT_EQ(d.Labels.size(), 3u);
  // s = 468 / 7: c(1) = 67, x(1) = round(sqrt(13689 - 4489)) = 96.
  EXPECT_EQ(d.Labels[0].Point, (RingPoint{104, 83}));   // position 2, upper left
  EXPECT_EQ(d.Labels[1].Point, (RingPoint{296, 83}));   // position 3, upper right
  EXPECT_EQ(d.Labels[2].Point, (RingPoint{104, 217}));  // position 6, lower left
  // Left half: right-aligned 5 pixels before the point; right half: 7 after it;
  // vertically py - 5 + round(y / R x 9).
  EXPECT_EQ(d.Labels[0].TextOrigin, (RingPoint{104 - 72 - 5, 83 - 5 - 5}));
  EXPECT_EQ(d.Labels[1].TextOrigin, (RingPoint{296 + 7, 73}));
  EXPECT_EQ(d.Labels[2].TextOrigin, (RingPoint{27, 217 - 5 + 5}));
  EXPECT_EQ(d.Labels[2].Text, "S30000000000");
  EXPECT_TRUE(d.Lines.empty());
}

TEST(RingMapLayout, FourStationsEndOnTheLeftmostPoint) {
  RingMapDrawing d = LayoutRingMap(Ring(4), 400, 300, {}, FakeMeasure);
  ASSERT_EQ(d.Labels.size(), 4u);
  EXPECT_EQ(d.Labels[3].Point, (RingPoint{200 - 117, 150}));
  EXPECT_EQ(d.Labels[3].TextOrigin.Y, 145);
}

TEST(RingMapLayout, CaptionsAndEmptyRing) {
  RingMapDrawing none = LayoutRingMap({}, 400, 300, {}, FakeMeasure);
  EXPECT_EQ(none.Caption, "(There is no ring poll in the trace file)");
  EXPECT_TRUE(none.Labels.empty());
  EXPECT_EQ(none.Radius, 140);  // min(200 - 0 - 6, 150 - 10 - 0)
  RingMapDrawing one = LayoutRingMap(Ring(1), 400, 300, {}, FakeMeasure);
  EXPECT_EQ(one.Caption, "(There is only one station in the ring poll)");
  ASSERT_EQ(one.Labels.size(), 1u);
  EXPECT_EQ(one.Labels[0].Point, (RingPoint{200 - one.Radius, 150}));
  RingMapDrawing two = LayoutRingMap(Ring(2), 400, 300, {}, FakeMeasure);
  EXPECT_EQ(two.Labels[1].Point, (RingPoint{200 + two.Radius, 150}));
}

TEST(RingMapLayout, TallRingsLimitTheRadiusAndShrinkTheFont) {
  // 100 stations on 300 x 300: R = min(150 - 77 - 6, 150 - 10 - 10) = 67; s = 268 / 103
  // rounds to 3, below every font's "0" height less 2, so the font shrinks, but never below
  // the smallest legible size; the canvas is too narrow to stagger the labels.
  RingMapDrawing d = LayoutRingMap(Ring(100), 300, 300, {}, FakeMeasure);
  EXPECT_EQ(d.Radius, 67);
  EXPECT_EQ(d.FontSize, kRingMapMinimumFontSize);
  EXPECT_FALSE(d.Staggered);
  // A flat canvas: the height decides.
  RingMapDrawing flat = LayoutRingMap(Ring(30), 1000, 100, {}, FakeMeasure);
  EXPECT_EQ(flat.Radius, 50 - 10 - 3);
  // Roomy enough: s = 4 x 117 / 13 = 36 keeps size 8.
  EXPECT_EQ(LayoutRingMap(Ring(10), 400, 300, {}, FakeMeasure).FontSize, 8);
}

TEST(RingMapLayout, CrowdedWideRingsStaggerTheirLabelsAndWiden) {
  // 120 stations on 1000 x 300: R = min(500 - 83, 150 - 10 - 12) = 128, s = 512 / 123 rounds to
  // 4, below the smallest font's 11 - 2: every other label moves 72 + 8 further out.
  RingMapDrawing d = LayoutRingMap(Ring(120), 1000, 300, {}, FakeMeasure);
  EXPECT_TRUE(d.Staggered);
  EXPECT_EQ(d.FontSize, kRingMapMinimumFontSize);
  EXPECT_EQ(d.Radius, 128);
  EXPECT_EQ(d.RadiusX, 500 - 77 - 6 - 80);
  const RingMapLabelDraw& first = d.Labels[0];   // entry 1, left half, inner column
  const RingMapLabelDraw& second = d.Labels[1];  // entry 2, outer column
  EXPECT_EQ(first.TextOrigin.X, first.Point.X - 72 - 5);
  EXPECT_EQ(second.TextOrigin.X, second.Point.X - 72 - 5 - 80);
  // An uncrowded ring stays circular where the height decides, and widens where it does not.
  EXPECT_FALSE(LayoutRingMap(Ring(10), 400, 300, {}, FakeMeasure).Staggered);
  EXPECT_EQ(LayoutRingMap(Ring(3), 400, 300, {}, FakeMeasure).RadiusX, 117);
}

TEST(RingMapLayout, LabelPlatesContrastWithEveryLabelColour) {
  EXPECT_EQ(RingLabelPlate(kRingActiveMonitorColor), kRingLabelDarkPlate);
  EXPECT_EQ(RingLabelPlate(kRingCongestionColor), kRingLabelDarkPlate);
  EXPECT_EQ(RingLabelPlate(0x000000), kRingLabelLightPlate);
  EXPECT_EQ(RingLabelPlate(kRingFormerMonitorColor), kRingLabelLightPlate);
  for (uint32_t color : {kRingActiveMonitorColor, kRingFormerMonitorColor, kRingInternalErrorColor, kRingAbortColor,
                         kRingCongestionColor, 0x808080u, 0x000000u})
    EXPECT_GE(ColorContrast(color, RingLabelPlate(color)), 3.5) << color;
  EXPECT_NEAR(ColorContrast(0x000000, 0xFFFFFF), 21.0, 1e-9);
}

TEST(RingMapLayout, StationTipsGiveAddressNameAndRole) {
  RingMapStation s;
  const uint8_t mac[6] = {0x00, 0x00, 0x0C, 0x12, 0x34, 0x01};
  s.Address = AddressKey::Of(mac, 6);
  s.Label = "Cisco 123401";
  s.Seen = 1;
  s.Flags = kRingActiveMonitor;
  EXPECT_EQ(RingStationTip(s), "00000C123401  Cisco 123401\nActive Monitor");
  s.Flags = 0;
  s.InternalErrors = true;
  s.Label = "00000C123401";
  EXPECT_EQ(RingStationTip(s), "00000C123401\nStandby Monitor; reported internal errors");
  s.Seen = 0;
  EXPECT_EQ(RingStationTip(s).substr(13, 10), "Deinserted");
}

TEST(RingMapLayout, TinyCanvasStillGivesARing) {
  RingMapDrawing d = LayoutRingMap(Ring(20), 10, 10, {}, FakeMeasure);
  EXPECT_EQ(d.Radius, 1);
  EXPECT_EQ(d.Labels.size(), 20u);
  RingMapDrawing zero = LayoutRingMap(Ring(3), 0, -5, {}, nullptr);
  EXPECT_EQ(zero.Radius, 1);
  EXPECT_EQ(zero.Labels.size(), 3u);
}

TEST(RingMapLayout, OverflowBeyond180Stations) {
  RingMapDrawing d = LayoutRingMap(Ring(200), 2000, 2000, {}, FakeMeasure);
  ASSERT_EQ(d.Labels.size(), 200u);
  EXPECT_EQ(d.Labels[178].Text, Ring(200)[178].Label);
  for (size_t n = 179; n < 200; ++n) {
    EXPECT_EQ(d.Labels[n].Text, "OVERFLOW      ");
    EXPECT_EQ(d.Labels[n].Point, d.Labels[179].Point);
  }
  // Exactly 180 stations fit: the last keeps its own label.
  RingMapDrawing full = LayoutRingMap(Ring(180), 2000, 2000, {}, FakeMeasure);
  EXPECT_EQ(full.Labels[179].Text, Ring(180)[179].Label);
  EXPECT_NE(full.Labels[179].Point, full.Labels[178].Point);
}

TEST(RingMapLayout, ColoursByRingPollOrStationErrors) {
  std::vector<RingMapStation> ring = Ring(5);
  ring[0].Flags = kRingActiveMonitor;
  ring[1].Flags = kRingFormerActiveMonitor;
  ring[2].Seen = 0;
  ring[2].Flags = kRingActiveMonitor;  // deinserted wins
  ring[0].InternalErrors = ring[0].AbortErrors = ring[0].CongestionErrors = true;
  ring[1].AbortErrors = ring[1].CongestionErrors = true;
  ring[3].CongestionErrors = true;
  RingMapOptions options;
  options.Palette = {0x111111, 0x222222};
  RingMapDrawing poll = LayoutRingMap(ring, 600, 400, options, FakeMeasure);
  EXPECT_EQ(poll.Labels[0].Color, 0xFFFF00u);  // aqua
  EXPECT_EQ(poll.Labels[1].Color, 0x808000u);  // teal
  EXPECT_EQ(poll.Labels[2].Color, 0x111111u);  // button shadow
  EXPECT_EQ(poll.Labels[3].Color, 0x222222u);  // button text
  EXPECT_EQ(poll.RingColor, 0x111111u);
  options.ColorBy = RingColorBy::kStationErrors;
  RingMapDrawing errors = LayoutRingMap(ring, 600, 400, options, FakeMeasure);
  EXPECT_EQ(errors.Labels[0].Color, 0x0000FFu);  // red: internal error first
  EXPECT_EQ(errors.Labels[1].Color, 0xFF00FFu);  // fuchsia: abort before congestion
  EXPECT_EQ(errors.Labels[3].Color, 0x00FFFFu);  // yellow
  EXPECT_EQ(errors.Labels[4].Color, 0x222222u);
}

TEST(RingMapLayout, FaultDomainLines) {
  std::vector<RingMapStation> ring = Ring(4);
  ring[1].BurstNeighbours = {1};
  ring[2].LineNeighbours = {2, 9};  // 9 is not in the ring
  RingMapOptions options;
  RingMapDrawing burst = LayoutRingMap(ring, 400, 300, options, FakeMeasure);
  ASSERT_EQ(burst.Lines.size(), 1u);
  EXPECT_EQ(burst.Lines[0].From, burst.Labels[1].Point);
  EXPECT_EQ(burst.Lines[0].To, burst.Labels[0].Point);
  EXPECT_EQ(burst.Lines[0].Color, 0x0000FFu);
  options.Domain = FaultDomain::kLineErrors;
  RingMapDrawing line = LayoutRingMap(ring, 400, 300, options, FakeMeasure);
  ASSERT_EQ(line.Lines.size(), 1u);
  EXPECT_EQ(line.Lines[0].From, line.Labels[2].Point);
  EXPECT_EQ(line.Lines[0].To, line.Labels[1].Point);
}

TEST(RingMapLabel, FunctionalAddressesAndVendors) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  vendors.Add({0xC0, 0x00, 0x00}, "Func  ");
  auto key = [](MacAddr m) { return AddressKey::Of(m.data(), m.size()); };
  EXPECT_EQ(RingMapLabel(key({0xC0, 0, 0, 0, 0, 0x02}), 0, &vendors, true), "Ring Param Svr");
  EXPECT_EQ(RingMapLabel(key({0xC0, 0, 0, 0, 0, 0x08}), 0, &vendors, true), "Ring Err Mon");
  EXPECT_EQ(RingMapLabel(key({0xC0, 0, 0, 0, 0, 0x10}), 0, &vendors, true), "Ring Config Svr");
  EXPECT_EQ(RingMapLabel(key({0xC0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), 0, &vendors, true), "Ring Broadcast");
  // With a vendor: its name and the label's last six characters.
  EXPECT_EQ(RingMapLabel(key({0xC0, 0, 0, 0, 0, 0x08}), 2, &vendors, true), "Func  rr Mon");
  EXPECT_EQ(RingMapLabel(key(Station(0xA1)), 1, &vendors, true), "Cisco 1234A1");
  EXPECT_EQ(RingMapLabel(key(Station(0xA1)), 1, &vendors, false), "00000C1234A1");
  EXPECT_EQ(RingMapLabel(key(Station(0xA1)), 1, nullptr, true), "00000C1234A1");
}

using Counts = std::array<uint8_t, 10>;  // line, internal, burst, AC, abort, lost, congestion, ...

TEST(RingMapStations, FromADecodedRingPollWithSoftErrors) {
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  DecoderHarness h(kTokenRing, 16, &vendors);
  const MacAddr a = Station(0xA1), b = Station(0xB2), c = Station(0xC3), d = Station(0xD4);
  h.Feed(MonitorPresent(true, a, d));
  h.Feed(MonitorPresent(false, b, a));
  h.Feed(MonitorPresent(false, c, b));
  h.Feed(MonitorPresent(false, d, c));
  h.Feed(MonitorPresent(true, a, d));  // a new cycle that D misses
  h.Feed(MonitorPresent(false, b, a));
  h.Feed(MonitorPresent(false, c, b));
  h.Feed(SoftErrorReport(b, a, Counts{0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(c, b, Counts{2, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
  h.Feed(SoftErrorReport(d, Station(0x99), Counts{5, 0, 0, 0, 1, 0, 3, 0, 0, 0}));
  h.End();

  std::vector<RingMapStation> ring = BuildRingMapStations(h.model, h.stats, &vendors, true);
  ASSERT_EQ(ring.size(), 4u);
  EXPECT_EQ(ring[0].Label, "Cisco 1234A1");
  EXPECT_EQ(ring[0].Text, "Cisco 1234A1");
  EXPECT_EQ(ring[0].VendorIndex, 1);
  EXPECT_EQ(ring[0].Flags, kRingActiveMonitor);
  EXPECT_EQ(ring[3].Seen, 0);
  EXPECT_EQ(ring[1].BurstNeighbours, (std::vector<int>{1}));
  EXPECT_TRUE(ring[1].LineNeighbours.empty());
  EXPECT_EQ(ring[2].LineNeighbours, (std::vector<int>{2}));
  EXPECT_TRUE(ring[2].InternalErrors);
  EXPECT_TRUE(ring[3].LineNeighbours.empty());  // its neighbour is not in the ring poll
  EXPECT_TRUE(ring[3].AbortErrors && ring[3].CongestionErrors && !ring[3].InternalErrors);

  RingMapOptions options;
  RingMapDrawing d1 = LayoutRingMap(ring, 500, 400, options, FakeMeasure);
  ASSERT_EQ(d1.Lines.size(), 1u);
  EXPECT_EQ(d1.Lines[0].From, d1.Labels[1].Point);
  EXPECT_EQ(d1.Labels[3].Color, options.Palette.ButtonShadow);  // D missed the cycle
  options.ColorBy = RingColorBy::kStationErrors;
  RingMapDrawing d2 = LayoutRingMap(ring, 500, 400, options, FakeMeasure);
  EXPECT_EQ(d2.Labels[2].Color, 0x0000FFu);
  EXPECT_EQ(d2.Labels[3].Color, 0xFF00FFu);

  // Vendor names follow the check box even on a ring without any error report.
  DecoderHarness clean(kTokenRing, 16, &vendors);
  clean.Feed(MonitorPresent(true, a, b));
  clean.Feed(MonitorPresent(false, b, a));
  clean.End();
  EXPECT_EQ(BuildRingMapStations(clean.model, clean.stats, &vendors, true)[1].Label, "Cisco 1234B2");
  EXPECT_EQ(BuildRingMapStations(clean.model, clean.stats, &vendors, false)[1].Label, "00000C1234B2");
  EXPECT_TRUE(BuildRingMapStations(DecoderHarness(kTokenRing).model, TraceStatistics{}, nullptr, true).empty());
}

}  // namespace
}  // namespace corvanta

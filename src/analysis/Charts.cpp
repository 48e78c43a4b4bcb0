#include "analysis/Charts.h"

#include <algorithm>

#include "decode/TraceStatistics.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"

namespace corvanta {

namespace {

struct BucketRange {
  int first;
  int last;
};

struct SizeGroup {
  std::string_view ethernetLabel;
  std::string_view tokenRingLabel;
  BucketRange ethernet;
  BucketRange tokenRing;
  uint32_t color;
};

constexpr std::array<SizeGroup, 6> kSizeGroups = {{
    {"18 to 64 -", " Less than 64 -", {0, 0}, {0, 0}, MakeColor(255, 0, 255)},
    {"64 to 255 -", "64 to 255 -", {1, 1}, {1, 1}, MakeColor(0, 255, 0)},
    {"256 to 511 -", "256 to 511 -", {2, 2}, {2, 2}, MakeColor(0, 255, 255)},
    {"512 to 1023 -", "512 to 1023 -", {3, 4}, {3, 4}, MakeColor(0, 0, 255)},
    {"1024 to 1518 -", "1024 to 4097 -", {5, 6}, {5, 16}, MakeColor(255, 255, 0)},
    {"Greater than 1518 -", "Greater than 4097 -", {7, 7}, {17, kSizeBuckets - 1}, MakeColor(128, 0, 0)},
}};

int64_t BucketSum(const TraceStatistics& s, int first, int last) {
  int64_t sum = 0;
  for (int b = first; b <= last; ++b) sum += std::max(s.SizeBuckets[static_cast<size_t>(b)], 0);
  return sum;
}

int64_t ClassCount(const ProtocolStatsRecord& r, PacketClass packetClass) {
  const int64_t frames = std::max(r.Frames, 0);
  const int64_t group = std::clamp<int64_t>(r.GroupFrames, 0, frames);
  switch (packetClass) {
    case PacketClass::kBroadcast: return group;
    case PacketClass::kNonBroadcast: return frames - group;
    case PacketClass::kAll: break;
  }
  return frames;
}

// "##0.00 %": always two decimals, so "0.40 %" and "21.00 %" read alike beside "58.05 %".
std::string ChartPercent(int64_t value, int64_t sum, char thousandsSep, char decimalSep) {
  const double percent = sum > 0 ? static_cast<double>(value) / static_cast<double>(sum) * 100.0 : 0.0;
  return FormatN(percent, 1, 2, thousandsSep, decimalSep) + " %";
}

}  // namespace

ChartData FrameSizeChart(const TraceStatistics& s, Topology topology) {
  const bool tokenRing = topology == kTokenRing;
  ChartData chart;
  chart.Title = kFrameSizeChartTitle;
  for (const SizeGroup& group : kSizeGroups) {
    const BucketRange range = tokenRing ? group.tokenRing : group.ethernet;
    ChartPoint point{std::string(tokenRing ? group.tokenRingLabel : group.ethernetLabel),
                     BucketSum(s, range.first, range.last), group.color};
    if (point.Value != 0) chart.Pie.push_back(point);
    chart.Bar.push_back(std::move(point));
  }
  return chart;
}

std::string ProtocolChartTitle(PacketClass packetClass) {
  const auto index = std::min<size_t>(static_cast<size_t>(packetClass), kPacketClassNames.size() - 1);
  return "Protocol Distribution - " + std::string(kPacketClassNames[index]) + " Packets";
}

ChartData ProtocolChart(const TraceStatistics& s, PacketClass packetClass) {
  ChartData chart;
  chart.Title = ProtocolChartTitle(packetClass);
  for (int c = 0; c < kProtocolCategoryCount; ++c) {
    const int64_t value = ClassCount(s.ProtocolStats[static_cast<size_t>(c)], packetClass);
    if (value == 0) continue;
    ChartPoint point{std::string(ProtocolCategoryName(c)) + " -", value, ProtocolCategoryColor(c)};
    chart.Pie.push_back(point);
    chart.Bar.push_back(std::move(point));
  }
  return chart;
}

ChartLook ChartLookOf(const ChartPropertyValues& v) {
  ChartLook look;
  look.Gradient = v.Gradient;
  look.GradientTop = v.TopColor;
  look.GradientBottom = v.BottomColor;
  look.TitleVisible = v.Title;
  look.LegendVisible = v.Legend;
  look.PieActive = v.Type == ChartType::kPie;
  look.BarActive = v.Type == ChartType::kBar;
  look.MarksVisible = v.Values;
  look.View3D = v.View3D;
  look.Orthogonal = v.View3D && v.Type == ChartType::kBar;
  const bool percent = v.Units == ChartUnits::kPercent;
  look.PieMarks = percent ? MarkStyle::kLabelPercent : MarkStyle::kLabelValue;
  look.BarMarks = percent ? MarkStyle::kPercent : MarkStyle::kValue;
  look.LegendPercent = percent;
  return look;
}

std::vector<ChartPointText> ChartPointTexts(const std::vector<ChartPoint>& points, MarkStyle marks, bool legendPercent,
                                            char thousandsSep, char decimalSep) {
  int64_t sum = 0;
  for (const ChartPoint& p : points) sum += std::max<int64_t>(p.Value, 0);
  std::vector<ChartPointText> texts;
  texts.reserve(points.size());
  for (const ChartPoint& p : points) {
    const std::string percent = ChartPercent(p.Value, sum, thousandsSep, decimalSep);
    const std::string value = FormatCount(p.Value, thousandsSep);
    ChartPointText t;
    switch (marks) {
      case MarkStyle::kLabelPercent: t.Mark = p.Label + " " + percent; break;
      case MarkStyle::kPercent: t.Mark = percent; break;
      case MarkStyle::kLabelValue: t.Mark = p.Label + " " + value; break;
      case MarkStyle::kValue: t.Mark = value; break;
    }
    t.LegendValue = legendPercent ? percent : value;
    texts.push_back(std::move(t));
  }
  return texts;
}

std::string BarAxisLabel(std::string_view label) {
  if (label.ends_with(" -")) label.remove_suffix(2);
  while (!label.empty() && label.front() == ' ') label.remove_prefix(1);
  return std::string(label);
}

}  // namespace corvanta

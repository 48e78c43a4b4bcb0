#pragma once
// The frame size chart and the protocol chart: their points, titles and texts, and how the
// chart properties turn into what a chart shows. A widget draws these as they are.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ChartProperties.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

struct TraceStatistics;

struct ChartPoint {
  std::string Label;
  int64_t Value = 0;  // frames
  uint32_t Color = 0;
  bool operator==(const ChartPoint&) const = default;
};

// One chart's title and the points of its pie series and its bar series.
struct ChartData {
  std::string Title;
  std::vector<ChartPoint> Pie;
  std::vector<ChartPoint> Bar;
};

inline constexpr std::string_view kFrameSizeChartTitle = "Frame Size Distribution";
inline constexpr std::string_view kCopyChartHint = "Copy graphic to clipboard";
inline constexpr std::string_view kChartPropertiesItem = "Chart &Properties...";

// Six size groups of the histogram; the pie gets only those with frames, the bar all six.
// Token Ring has its own labels and groups; any other medium is charted as Ethernet.
ChartData FrameSizeChart(const TraceStatistics& statistics, Topology topology);

enum class PacketClass : uint8_t { kAll = 0, kBroadcast = 1, kNonBroadcast = 2 };
inline constexpr std::string_view kPacketClassCaption = "Packet Class";
inline constexpr std::array<std::string_view, 3> kPacketClassNames = {"All", "Broadcast", "Non-Broadcast"};

// "Protocol Distribution - " + the class's name + " Packets".
std::string ProtocolChartTitle(PacketClass packetClass);
// One point per protocol category (MAC and Other apart) whose count for the class is not
// 0, in category order, in both series.
ChartData ProtocolChart(const TraceStatistics& statistics, PacketClass packetClass);

// A point's label under a bar: the label without the " -" that joins it to its mark.
std::string BarAxisLabel(std::string_view label);

// What the point marks of a series show.
enum class MarkStyle : uint8_t { kLabelPercent, kPercent, kLabelValue, kValue };

// The chart properties as a chart applies them.
struct ChartLook {
  bool Gradient = true;  // background gradient from GradientTop to GradientBottom
  uint32_t GradientTop = 0;
  uint32_t GradientBottom = 0;
  bool TitleVisible = true;
  bool LegendVisible = true;
  bool PieActive = true;  // exactly one of the two series is active
  bool BarActive = false;
  bool MarksVisible = false;
  bool View3D = true;
  bool Orthogonal = false;  // 3D bars are drawn orthogonal
  MarkStyle PieMarks = MarkStyle::kLabelPercent;
  MarkStyle BarMarks = MarkStyle::kPercent;
  bool LegendPercent = true;  // the legend's right column: percent, else the value
};
ChartLook ChartLookOf(const ChartPropertyValues& values);

// The texts drawn with one point: its mark and the legend's right column.
struct ChartPointText {
  std::string Mark;
  std::string LegendValue;
};
// For the points of the active series: percentages of the series' sum ("45.68 %", "0.40 %":
// always two decimals), values as counts.
std::vector<ChartPointText> ChartPointTexts(const std::vector<ChartPoint>& points, MarkStyle marks, bool legendPercent,
                                            char thousandsSep = ',', char decimalSep = '.');

}  // namespace corvanta

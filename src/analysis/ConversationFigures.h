#pragma once
// What the throughput and latency windows show of one conversation: per direction (half) the
// figures, memo lines and copy text, computed from the analysis engine's runs; and the small
// four-bar chart both windows draw.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ConversationEngine.h"

namespace corvanta {

// Texts of the three selected entries of the toolbox.
struct SelectionTexts {
  std::string Source;
  std::string Destination;
  std::string App;
};

struct FigureFormat {
  char ThousandsSep = ',';
  char DecimalSep = '.';
};

// ---- The four-bar chart.

inline constexpr std::array<std::string_view, 4> kBarLabels = {"Min", "Max", "Ave", "Con"};
// Magenta, lime, aqua, blue (0x00BBGGRR).
inline constexpr std::array<uint32_t, 4> kBarColors = {0xFF00FF, 0x00FF00, 0xFFFF00, 0xFF0000};

struct ChartLine {
  int X1, Y1, X2, Y2;
};
struct ChartText {
  std::string Text;
  int X;              // left edge, or right edge when RightAligned
  int Y;              // top
  bool RightAligned;  // the text ends at X
};
struct ChartBar {
  int Left, Top, Right, Bottom;  // inclusive corners
  uint32_t Color;
};
struct BarChartLayout {
  double ScaleMax = 0;
  std::vector<ChartLine> Lines;  // black axes and scale ticks
  std::vector<ChartText> Texts;
  std::vector<ChartBar> Bars;
};

// The scale maximum: the largest value raised to the next step of its decade.
double BarChartScale(double largest);
// The chart of values (minimum, maximum, average, contention) in an image of width x height.
BarChartLayout LayoutBarChart(int width, int height, const std::array<double, 4>& values);

// ---- Throughput.

struct ThroughputSettings {
  int SampleWindow = 8;  // clamped to 4..100 before use
  bool IncludeAckPackets = true;
  int UnitFactor = 1;  // 1 KBytes, 8 KBits
};

struct ThroughputHalf {
  // The panels, empty when not shown.
  std::string Peak, Lowest, Average, Contention;
  std::string Duration, Total, Bytes, AverageSize, AveragePayload, Overhead;
  std::vector<std::string> Memo;
  std::optional<std::array<double, 4>> Chart;  // lowest, peak, average, contention; none: no bars
  bool CanCopy = false;
  // Figures as numbers (null when shown as "-" or not shown), for the headless report.
  std::optional<double> PeakValue, LowestValue, AverageValue, ContentionValue, OverheadValue;
};

struct ThroughputView {
  std::string Caption;     // "Detailed Throughput Analysis for " + application
  std::string GroupTitle;  // "Throughput (in KBytes/Second)" or KBits
  std::string UpperTitle, LowerTitle;
  int SampleWindow = 8;
  int UnitFactor = 1;
  int32_t FirstPacket = 1, LastPacket = 1;
  ThroughputHalf Upper;
  std::optional<ThroughputHalf> Lower;  // none when one-way
};

// The display after a reset: memos "Notes", titles and caption, empty panels.
ThroughputView ResetThroughputView(const SelectionTexts& texts, bool oneWay, const ThroughputSettings& settings,
                                   int32_t first, int32_t last);
// One half from a throughput run.
ThroughputHalf MakeThroughputHalf(const AnalysisResult& run, bool lower, int sampleWindow, int unitFactor,
                                  int32_t first, int32_t last, const FigureFormat& format);
// Both halves of the selection, running the engine in throughput mode.
ThroughputView AnalyzeThroughput(ConversationEngine& engine, Selection selection, const SelectionTexts& texts,
                                 const ThroughputSettings& settings, Topology medium, double bandwidthMbps,
                                 const FigureFormat& format = {});
// The clipboard text of a half; every line ends in CR LF.
std::string ThroughputCopyText(const ThroughputView& view, bool lower, const SelectionTexts& texts);

// ---- Latency.

// What a latency half hands to the what-if window.
struct LatencySeed {
  double BestMs = 0;
  double AverageMs = 0;
  double ContentionMs = 0;
  std::string Ratio;  // send-to-receive ratio text
  double AverageSend = 0;
  double AverageReceive = 0;
};

struct LatencySettings {
  ResponseSizeFilter Filter = ResponseSizeFilter::kAll;
  bool IncludeLocalMediaTime = true;
};

struct LatencyHalf {
  std::string Best, Worst, Average, Contention;
  std::string Duration, Total, Ratio, AverageSend, AverageReceive;
  std::vector<std::string> Memo;
  std::optional<std::array<double, 4>> Chart;  // best, worst, average, contention
  bool CanCopy = false;
  int16_t State = kAnalysisOk;
  int32_t Pairs = 0;
  std::optional<LatencySeed> Seed;  // set when pairs were found: the what-if button is on
};

struct LatencyView {
  std::string Caption;  // "Detailed Response Time Analysis for " + application
  std::string UpperTitle, LowerTitle;
  int32_t FirstPacket = 1, LastPacket = 1;
  LatencyHalf Upper;
  std::optional<LatencyHalf> Lower;  // none when not analysed (unsupported or one-way)
};

// "3:1", "1:2.5", "4:0", "0:3", "1:1" (the first ".0" dropped).
std::string SendToReceiveRatio(int64_t sent, int64_t received);
// The text after "Unable to analyze latency.  " for an analysis state.
std::string_view LatencyStateText(int16_t state);

LatencyView ResetLatencyView(const SelectionTexts& texts, int32_t first, int32_t last);
LatencyHalf MakeLatencyHalf(const AnalysisResult& run, int32_t first, int32_t last, const FigureFormat& format);
// Both halves of the selection, running the engine in latency mode.
LatencyView AnalyzeLatency(ConversationEngine& engine, Selection selection, const SelectionTexts& texts,
                           const LatencySettings& settings, Topology medium, double bandwidthMbps,
                           const FigureFormat& format = {});
std::string LatencyCopyText(const LatencyView& view, bool lower, const SelectionTexts& texts);

}  // namespace corvanta

#pragma once
// The utilisation graph: values of the per-second series, the columns a plot of some width
// draws, axis ticks and labels, the hover text and the CSV copy. The window only paints.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "decode/TraceStatistics.h"

namespace corvanta {

inline constexpr std::string_view kUtilizationGraphCaption = "Utilization Graph";

enum class UtilizationMeasure : uint8_t { kBandwidthPercent = 0, kFramesPerSecond = 1, kBytesPerSecond = 2 };
inline constexpr std::array<std::string_view, 3> kUtilizationMeasureNames = {"Bandwidth %", "Frames/Sec", "Bytes/Sec"};

// What a second's bandwidth percentage is measured against: the display bandwidth (with the
// duplex factor) and the medium's per-frame overhead, as the one-second utilisation counts it.
struct UtilizationScale {
  double BandwidthBytesPerSecond = 1250000;
  int32_t Overhead = 20;  // bytes per frame: 20 Ethernet, 1 Token Ring
};
UtilizationScale MakeUtilizationScale(Topology medium, int32_t bandwidthMbps, int32_t duplexFactor);

// One second's value: all frames, or broadcast frames only.
double UtilizationValue(const UtilizationSecond& second, UtilizationMeasure measure, bool broadcast,
                        const UtilizationScale& scale);

// The largest values of the seconds that fall into each of `columns` equal spans of
// [fromSeconds, toSeconds). A second covers one second from its start (less when the next
// starts sooner), so it reaches every column it overlaps; columns without one have no data.
struct UtilizationColumn {
  bool HasData = false;
  double All = 0;
  double Broadcast = 0;
};
std::vector<UtilizationColumn> UtilizationColumns(const std::vector<UtilizationSecond>& series,
                                                  UtilizationMeasure measure, const UtilizationScale& scale,
                                                  double fromSeconds, double toSeconds, int columns);

// The index of the second that covers the time (seconds from the first frame), or -1.
int64_t UtilizationIndexAt(const std::vector<UtilizationSecond>& series, double seconds);
// Seconds from the first frame to the end of the last second (at least 1).
double UtilizationSpan(const std::vector<UtilizationSecond>& series);
// The largest value of the series (all frames), 0 for an empty one.
double UtilizationMaximum(const std::vector<UtilizationSecond>& series, UtilizationMeasure measure,
                          const UtilizationScale& scale);

// Tick values from lo to hi at a step of 1, 2 or 5 times a power of ten (at least minStep),
// at most maxTicks.
std::vector<double> ValueTicks(double lo, double hi, int maxTicks, double minStep = 0);
// Time ticks (seconds) at a step a clock reader expects: 1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10,
// 15, 30 min, 1, 2, 3, 6, 12 h; at most maxTicks.
std::vector<double> TimeTicks(double lo, double hi, int maxTicks);
// A time axis label: the time of day when the capture's start is known (startSecondOfDay at
// least 0), else the time from the first frame; "hh:mm:ss", with tenths below a 1 s step.
std::string TimeLabel(double seconds, double startSecondOfDay, bool tenths = false);
// A value axis label: counts with separators, percentages with "%" (whole ones bare, others
// with `decimals` decimals; -1: one).
std::string ValueLabel(double value, UtilizationMeasure measure, char thousandsSep = ',', int decimals = -1);

// The value axis of a graph whose largest value is top: its ticks from 0, ending on the first
// at or above top (Max), and their labels.
struct ValueAxis {
  std::vector<double> Ticks;
  std::vector<std::string> Labels;
  double Max = 0;
};
ValueAxis MakeValueAxis(double top, int maxTicks, UtilizationMeasure measure, char thousandsSep = ',');

// The line shown for the second under the pointer.
std::string UtilizationHoverText(const UtilizationSecond& second, const UtilizationScale& scale,
                                 double startSecondOfDay, char thousandsSep = ',', char decimalSep = '.');

// The series as CSV text, one line per second, every line ending in CR LF:
// "Start (s),Time,Frames,Bytes,Broadcast Frames,Broadcast Bytes,Utilization %,Broadcast Utilization %".
std::string UtilizationCsv(const std::vector<UtilizationSecond>& series, const UtilizationScale& scale,
                           double startSecondOfDay);

// The second of the day of a StartTime (days since 1899-12-30, local time); -1 when unknown (0).
double StartSecondOfDay(double startTime);

}  // namespace corvanta

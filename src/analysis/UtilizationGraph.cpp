#include "analysis/UtilizationGraph.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "naming/TextFormat.h"

namespace corvanta {
namespace {

constexpr double kSecondsPerDay = 86400.0;

double StartSeconds(const UtilizationSecond& s) { return s.StartMs / 1000.0; }

// Where a second ends: one second after its start, or sooner when the next one starts.
double EndSeconds(const std::vector<UtilizationSecond>& series, size_t i) {
  const double end = StartSeconds(series[i]) + 1.0;
  return i + 1 < series.size() ? std::min(end, StartSeconds(series[i + 1])) : end;
}

std::string Fixed(double value, int decimals) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
  return buffer;
}

}  // namespace

UtilizationScale MakeUtilizationScale(Topology medium, int32_t bandwidthMbps, int32_t duplexFactor) {
  UtilizationScale scale;
  scale.BandwidthBytesPerSecond = static_cast<double>(bandwidthMbps) * std::max(1, duplexFactor) * 125000.0;
  scale.Overhead = medium == kTokenRing ? 1 : 20;
  return scale;
}

double UtilizationValue(const UtilizationSecond& s, UtilizationMeasure measure, bool broadcast,
                        const UtilizationScale& scale) {
  const double frames = broadcast ? s.BroadcastFrames : s.Frames;
  const double bytes = broadcast ? s.BroadcastBytes : s.Bytes;
  switch (measure) {
    case UtilizationMeasure::kFramesPerSecond: return frames;
    case UtilizationMeasure::kBytesPerSecond: return bytes;
    case UtilizationMeasure::kBandwidthPercent:
    default:
      if (!(scale.BandwidthBytesPerSecond > 0)) return 0;
      return (bytes + scale.Overhead * frames) * 100.0 / scale.BandwidthBytesPerSecond;
  }
}

std::vector<UtilizationColumn> UtilizationColumns(const std::vector<UtilizationSecond>& series,
                                                  UtilizationMeasure measure, const UtilizationScale& scale,
                                                  double fromSeconds, double toSeconds, int columns) {
  std::vector<UtilizationColumn> out(static_cast<size_t>(std::max(0, columns)));
  if (out.empty() || !(toSeconds > fromSeconds) || series.empty()) return out;
  const double perColumn = (toSeconds - fromSeconds) / columns;
  // The first second that may reach the range: the last one starting at or before it.
  auto first = std::upper_bound(series.begin(), series.end(), fromSeconds,
                                [](double t, const UtilizationSecond& s) { return t < StartSeconds(s); });
  size_t i = first == series.begin() ? 0 : static_cast<size_t>(first - series.begin()) - 1;
  for (; i < series.size(); ++i) {
    const double start = StartSeconds(series[i]);
    if (start >= toSeconds) break;
    const double end = EndSeconds(series, i);
    if (end <= fromSeconds) continue;
    const auto c0 = static_cast<int64_t>(std::floor((std::max(start, fromSeconds) - fromSeconds) / perColumn));
    // A second that ends on a column's edge does not reach into that column.
    auto c1 = static_cast<int64_t>(std::ceil((std::min(end, toSeconds) - fromSeconds) / perColumn)) - 1;
    c1 = std::max(c1, c0);
    const double all = UtilizationValue(series[i], measure, false, scale);
    const double broadcast = UtilizationValue(series[i], measure, true, scale);
    for (int64_t c = std::max<int64_t>(c0, 0); c <= std::min<int64_t>(c1, columns - 1); ++c) {
      UtilizationColumn& column = out[static_cast<size_t>(c)];
      column.All = column.HasData ? std::max(column.All, all) : all;
      column.Broadcast = column.HasData ? std::max(column.Broadcast, broadcast) : broadcast;
      column.HasData = true;
    }
  }
  return out;
}

int64_t UtilizationIndexAt(const std::vector<UtilizationSecond>& series, double seconds) {
  auto after = std::upper_bound(series.begin(), series.end(), seconds,
                                [](double t, const UtilizationSecond& s) { return t < StartSeconds(s); });
  if (after == series.begin()) return -1;
  const size_t i = static_cast<size_t>(after - series.begin()) - 1;
  return seconds < EndSeconds(series, i) ? static_cast<int64_t>(i) : -1;
}

double UtilizationSpan(const std::vector<UtilizationSecond>& series) {
  return series.empty() ? 1.0 : std::max(1.0, EndSeconds(series, series.size() - 1));
}

double UtilizationMaximum(const std::vector<UtilizationSecond>& series, UtilizationMeasure measure,
                          const UtilizationScale& scale) {
  double top = 0;
  for (const UtilizationSecond& s : series) top = std::max(top, UtilizationValue(s, measure, false, scale));
  return top;
}

std::vector<double> ValueTicks(double lo, double hi, int maxTicks, double minStep) {
  std::vector<double> ticks;
  if (!(hi > lo) || maxTicks < 2) return ticks;
  const double rough = std::max((hi - lo) / (maxTicks - 1), minStep);
  const double power = std::pow(10.0, std::floor(std::log10(rough)));
  double step = power * 10;
  for (double m : {1.0, 2.0, 5.0})
    if (m * power >= rough) {
      step = m * power;
      break;
    }
  for (double v = std::ceil(lo / step) * step; v <= hi + step * 1e-9; v += step) ticks.push_back(v);
  return ticks;
}

std::vector<double> TimeTicks(double lo, double hi, int maxTicks) {
  static constexpr double kSteps[] = {0.1, 0.2, 0.5, 1,    2,    5,    10,    15,    30,    60,   120,
                                      300, 600, 900, 1800, 3600, 7200, 10800, 21600, 43200, 86400};
  std::vector<double> ticks;
  if (!(hi > lo) || maxTicks < 2) return ticks;
  double step = kSteps[std::size(kSteps) - 1];
  for (double s : kSteps)
    if ((hi - lo) / s <= maxTicks - 1) {
      step = s;
      break;
    }
  for (double v = std::ceil(lo / step - 1e-9) * step; v <= hi + step * 1e-9; v += step) ticks.push_back(v);
  return ticks;
}

std::string TimeLabel(double seconds, double startSecondOfDay, bool tenths) {
  double t = startSecondOfDay >= 0 ? std::fmod(startSecondOfDay + seconds, kSecondsPerDay) : seconds;
  if (t < 0) t = 0;
  const auto tenthsTotal = static_cast<int64_t>(std::llround(t * 10));
  const int64_t whole = tenthsTotal / 10;
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", static_cast<long long>(whole / 3600),
                static_cast<long long>(whole / 60 % 60), static_cast<long long>(whole % 60));
  std::string text = buffer;
  if (tenths) text += "." + std::to_string(tenthsTotal % 10);
  return text;
}

std::string ValueLabel(double value, UtilizationMeasure measure, char thousandsSep, int decimals) {
  if (measure == UtilizationMeasure::kBandwidthPercent) {
    const bool whole = std::fabs(value - std::round(value)) < 1e-9;
    return (whole ? std::to_string(std::llround(value)) : Fixed(value, decimals < 0 ? 1 : decimals)) + "%";
  }
  return FormatCount(std::llround(value), thousandsSep);
}

ValueAxis MakeValueAxis(double top, int maxTicks, UtilizationMeasure measure, char thousandsSep) {
  ValueAxis axis;
  if (!(top > 0)) top = measure == UtilizationMeasure::kBandwidthPercent ? 1 : 10;
  // Frames and bytes come whole: a step under one would label two ticks alike.
  const bool percent = measure == UtilizationMeasure::kBandwidthPercent;
  axis.Ticks = ValueTicks(0, top, std::max(2, maxTicks), percent ? 0 : 1);
  // The axis ends on the first tick at or above the largest value.
  if (!axis.Ticks.empty() && axis.Ticks.back() < top) {
    const double step = axis.Ticks.size() > 1 ? axis.Ticks[1] - axis.Ticks[0] : top;
    axis.Ticks.push_back(axis.Ticks.back() + step);
  }
  axis.Max = axis.Ticks.empty() ? top : axis.Ticks.back();
  // As many decimals as the step needs, so that no two ticks read alike (0.05%, 0.1%).
  int decimals = 1;
  if (axis.Ticks.size() > 1) {
    const double step = axis.Ticks[1] - axis.Ticks[0];
    decimals = std::clamp(static_cast<int>(-std::floor(std::log10(step) + 1e-9)), 0, 6);
  }
  for (double v : axis.Ticks) axis.Labels.push_back(ValueLabel(v, measure, thousandsSep, decimals));
  return axis;
}

std::string UtilizationHoverText(const UtilizationSecond& s, const UtilizationScale& scale, double startSecondOfDay,
                                 char thousandsSep, char decimalSep) {
  const double all = UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, scale);
  const double broadcast = UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, true, scale);
  return TimeLabel(StartSeconds(s), startSecondOfDay, true) + "   " + FormatN(all, 1, 2, thousandsSep, decimalSep) +
         "% (broadcast " + FormatN(broadcast, 1, 2, thousandsSep, decimalSep) + "%)   " +
         FormatCount(s.Frames, thousandsSep) + " frames, " + FormatCount(s.Bytes, thousandsSep) + " bytes";
}

std::string UtilizationCsv(const std::vector<UtilizationSecond>& series, const UtilizationScale& scale,
                           double startSecondOfDay) {
  std::string out =
      "Start (s),Time,Frames,Bytes,Broadcast Frames,Broadcast Bytes,Utilization %,Broadcast Utilization %\r\n";
  for (const UtilizationSecond& s : series) {
    out += Fixed(StartSeconds(s), 3) + "," + TimeLabel(StartSeconds(s), startSecondOfDay, true) + "," +
           std::to_string(s.Frames) + "," + std::to_string(s.Bytes) + "," + std::to_string(s.BroadcastFrames) + "," +
           std::to_string(s.BroadcastBytes) + "," +
           Fixed(UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, false, scale), 2) + "," +
           Fixed(UtilizationValue(s, UtilizationMeasure::kBandwidthPercent, true, scale), 2) + "\r\n";
  }
  return out;
}

double StartSecondOfDay(double startTime) {
  if (!(startTime > 0)) return -1;
  const double fraction = startTime - std::floor(startTime);
  return std::round(fraction * kSecondsPerDay * 1000.0) / 1000.0;
}

}  // namespace corvanta

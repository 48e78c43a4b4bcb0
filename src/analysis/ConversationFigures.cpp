#include "analysis/ConversationFigures.h"

#include <algorithm>
#include <cmath>

#include "naming/TextFormat.h"

namespace corvanta {

namespace {

constexpr std::string_view kCrLf = "\r\n";
constexpr std::string_view kNotes = "Notes";
constexpr std::string_view kInsufficient = "-";

// " %1.3n": the figures of both windows.
std::string Figure(const std::optional<double>& value, const FigureFormat& f) {
  if (!value) return std::string(kInsufficient);
  return FormatThroughput(*value, f.ThousandsSep, f.DecimalSep);
}

std::string Count(int64_t n, const FigureFormat& f) { return FormatCount(n, f.ThousandsSep); }

std::string RangeText(int32_t first, int32_t last) {
  return " over the range " + std::to_string(first) + " to " + std::to_string(last) + ".";
}

std::string Lines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += kCrLf;
  }
  return text;
}

std::string TrimRight(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool HasConversation(const Selection& s) { return s.SourceStation != nullptr && s.CurrentConversation >= 0; }

AnalysisOptions MediumOptions(Topology medium, double bandwidthMbps) {
  AnalysisOptions o;
  o.Medium = medium;
  o.BandwidthMbps = bandwidthMbps;
  return o;
}

}  // namespace

// ---- Bar chart.

double BarChartScale(double m) {
  if (!(m > 0)) m = 0;
  if (m < 10) return std::trunc((10 * m + 5) / 5) * 5 / 10;
  if (m < 100) return std::trunc((m + 5) / 5) * 5;
  if (m < 1000) return std::trunc((m + 50) / 50) * 50;
  if (m < 10000) return std::trunc((m + 500) / 500) * 500;
  return m;
}

BarChartLayout LayoutBarChart(int w, int h, const std::array<double, 4>& values) {
  BarChartLayout c;
  const int base = h - 15;
  c.Lines = {
      {33, 5, 33, base}, {33, base, w - 2, base}, {31, base - 45, 33, base - 45}, {31, base - 90, 33, base - 90}};
  for (int i = 0; i < 4; ++i)
    c.Texts.push_back({std::string(kBarLabels[static_cast<size_t>(i)]), 37 + 24 * i, h - 14, false});
  c.Texts.push_back({"0", 30, h - 21, true});
  double largest = 0;
  for (double v : values)
    if (std::isfinite(v)) largest = std::max(largest, v);
  c.ScaleMax = BarChartScale(largest);
  auto scaleText = [](double v) {
    std::string text = FormatF(v, 6, 0);
    return text.substr(std::min(text.find_first_not_of(' '), text.size()));
  };
  c.Texts.push_back({scaleText(c.ScaleMax), 29, base - 90 - 6, true});
  c.Texts.push_back({scaleText(c.ScaleMax / 2), 29, base - 45 - 6, true});
  for (int i = 0; i < 4; ++i) {
    const double v = values[static_cast<size_t>(i)];
    if (!std::isfinite(v) || !(c.ScaleMax > 0)) continue;
    const double height = std::nearbyint(std::min(v * 90 / c.ScaleMax, 1e6));
    if (height < 2) continue;
    const int bar = static_cast<int>(height);
    c.Bars.push_back({35 + 24 * i, h - 13 - bar, 35 + 24 * i + 23, h - 14, kBarColors[static_cast<size_t>(i)]});
  }
  return c;
}

// ---- Throughput.

ThroughputView ResetThroughputView(const SelectionTexts& t, bool oneWay, const ThroughputSettings& settings,
                                   int32_t first, int32_t last) {
  ThroughputView v;
  v.Caption = "Detailed Throughput Analysis for " + t.App;
  v.UnitFactor = settings.UnitFactor == 8 ? 8 : 1;
  v.GroupTitle = v.UnitFactor == 8 ? "Throughput (in KBits/Second)" : "Throughput (in KBytes/Second)";
  v.UpperTitle = "From " + t.Source + " to " + t.Destination;
  v.LowerTitle = oneWay ? std::string() : "From " + t.Destination + " to " + t.Source;
  v.SampleWindow = std::clamp(settings.SampleWindow, kMinSampleWindow, kMaxSampleWindow);
  v.FirstPacket = first;
  v.LastPacket = last;
  v.Upper.Memo = {std::string(kNotes)};
  if (!oneWay) v.Lower = v.Upper;
  return v;
}

ThroughputHalf MakeThroughputHalf(const AnalysisResult& run, bool lower, int sampleWindow, int unitFactor,
                                  int32_t first, int32_t last, const FigureFormat& format) {
  ThroughputHalf h;
  h.Memo = {std::string(kNotes)};
  const int64_t n = run.ThroughputPackets;
  const int64_t bytes = run.ThroughputBytes;
  const int n0 = std::clamp(sampleWindow, kMinSampleWindow, kMaxSampleWindow);
  if (n <= 0) {
    h.Memo.push_back(lower ? "There are no packets to analyze from destination to source."
                           : "There are no packets to analyze from source to destination.");
    return h;
  }
  h.Bytes = Count(bytes, format);
  h.AverageSize = Count(bytes / n, format);
  h.AveragePayload = Count(run.NetworkPayloadBytes / n, format);
  if (bytes > 0)
    h.OverheadValue = 100.0 - static_cast<double>(run.NetworkPayloadBytes) / static_cast<double>(bytes) * 100;
  h.Overhead =
      h.OverheadValue ? " " + FormatF(*h.OverheadValue, 1, 2, format.DecimalSep) + "%" : std::string(kInsufficient);
  if (n < n0) {
    if (lower) h.Total = Count(n, format);
    h.Memo.push_back(
        (n == 1 ? std::string("There is only 1 packet") : "There are only " + std::to_string(n) + " packets") +
        " from" +
        (lower ? " the destination to the source.  A minimum of " : " the source to the destination.  A minimum of ") +
        std::to_string(n0) + " is required for throughput analysis. This can be adjusted in the" +
        " Packet Sample Window setting.");
    return h;
  }
  h.CanCopy = true;
  h.Total = Count(n, format);
  h.Duration = FormatElapsed(run.Duration);
  const double f = unitFactor == 8 ? 8 : 1;
  // Without a sample (timestamps running backwards) or a duration there is nothing to divide by.
  const bool sampled = run.PeakThroughput > 0 && run.LowestThroughput < kNoLowest &&
                       std::isfinite(run.PeakThroughput) && std::isfinite(run.LowestThroughput);
  if (sampled) {
    h.LowestValue = run.LowestThroughput / 1000 * f;
    h.PeakValue = run.PeakThroughput / 1000 * f;
  }
  if (run.Duration > 0) h.AverageValue = static_cast<double>(bytes) / (run.Duration / 1000000.0) / 1000 * f;
  // A window's span counts its first frame's time on the wire and the whole run's duration does
  // not, so a steady stream can sample a peak just under its average: that is no contention.
  if (h.PeakValue && h.AverageValue) h.ContentionValue = std::max(0.0, *h.PeakValue - *h.AverageValue);
  h.Lowest = Figure(h.LowestValue, format);
  h.Peak = Figure(h.PeakValue, format);
  h.Average = Figure(h.AverageValue, format);
  h.Contention = Figure(h.ContentionValue, format);
  if (h.LowestValue && h.PeakValue && h.AverageValue && h.ContentionValue)
    h.Chart = std::array<double, 4>{*h.LowestValue, *h.PeakValue, *h.AverageValue, *h.ContentionValue};
  h.Memo.push_back(std::to_string(n) + " packets included in the throughput analysis" + RangeText(first, last));
  return h;
}

ThroughputView AnalyzeThroughput(ConversationEngine& engine, Selection s, const SelectionTexts& texts,
                                 const ThroughputSettings& settings, Topology medium, double bandwidthMbps,
                                 const FigureFormat& format) {
  ThroughputView v = ResetThroughputView(texts, s.OneWay, settings, s.FirstPacketNumber, s.LastPacketNumber);
  engine.Options = MediumOptions(medium, bandwidthMbps);
  engine.Options.ThroughputMode = true;
  engine.Options.IncludeAckPackets = settings.IncludeAckPackets;
  engine.Options.SampleWindow = v.SampleWindow;
  auto half = [&](const AnalysisResult& run, bool lower) {
    return MakeThroughputHalf(run, lower, v.SampleWindow, v.UnitFactor, s.FirstPacketNumber, s.LastPacketNumber,
                              format);
  };
  v.Upper = half(HasConversation(s) ? engine.AnalyzeConversation(s) : AnalysisResult{}, false);
  if (!s.OneWay) {
    const bool reverse = s.ReverseStation != nullptr && s.ReverseConversation >= 0;
    v.Lower = half(reverse ? engine.AnalyzeReverse(s) : AnalysisResult{}, true);
  }
  engine.Options.ThroughputMode = false;
  return v;
}

std::string ThroughputCopyText(const ThroughputView& v, bool lower, const SelectionTexts& t) {
  const ThroughputHalf& h = lower && v.Lower ? *v.Lower : v.Upper;
  const std::string& from = lower ? t.Destination : t.Source;
  const std::string& to = lower ? t.Source : t.Destination;
  return Lines({"Throughput Analysis for " + t.App + " from " + from + " to " + to, "",
                std::string("Throughput in ") + (v.UnitFactor == 8 ? "KBits/Second" : "KBytes/Second"),
                "Minimum \t" + h.Lowest, "Maximum \t" + h.Peak, "Average \t" + h.Average,
                "Contention \t" + h.Contention, "", "Packets", "Total \t" + h.Total, "Average Size \t" + h.AverageSize,
                "Average Payload \t" + h.AveragePayload, "Protocol Overhead \t" + h.Overhead});
}

// ---- Latency.

std::string SendToReceiveRatio(int64_t s, int64_t r) {
  std::string text;
  if (r < s)
    text = r > 0 ? FormatF(static_cast<double>(s) / static_cast<double>(r), 2, 1) + ":1" : std::to_string(s) + ":0.0";
  else
    text = s > 0 ? "1:" + FormatF(static_cast<double>(r) / static_cast<double>(s), 2, 1) : "0.0:" + std::to_string(r);
  const size_t at = text.find(".0");
  if (at != std::string::npos) text.erase(at, 2);
  return text;
}

std::string_view LatencyStateText(int16_t state) {
  switch (state) {
    case kAnalysisUnsupported:
      return "Latency analysis currently supported for IP applications using Ping (ICMP Echo), UDP, or TCP; or IPX "
             "applications using NCP, Packet Burst, SPX, SMB, or NetBIOS.";
    case kAnalysisOneWay: return "Packets are one-way.";
    case kAnalysisNoReverse: return "No reponse packets found for this selection.";
    case kAnalysisNoEcho: return "No ping's orginating from Sender.";
    case kAnalysisAcksOnly: return "Sender didn't send any TCP data (may be TCP ACKs only).";
    case kAnalysisNoCommand: return "No command packets orginating from Sender.";
    case kAnalysisNothingAcked: return "Responder didn't ack any TCP data.";
    default: return {};
  }
}

LatencyView ResetLatencyView(const SelectionTexts& t, int32_t first, int32_t last) {
  LatencyView v;
  v.Caption = "Detailed Response Time Analysis for " + t.App;
  v.UpperTitle = "Sender: " + t.Source + "  Responder: " + t.Destination;
  v.LowerTitle = "Sender: " + t.Destination + "  Responder: " + t.Source;
  v.FirstPacket = first;
  v.LastPacket = last;
  v.Upper.Memo = {std::string(kNotes)};
  v.Lower = v.Upper;
  return v;
}

LatencyHalf MakeLatencyHalf(const AnalysisResult& run, int32_t first, int32_t last, const FigureFormat& format) {
  LatencyHalf h;
  h.State = run.AnalysisState;
  h.Pairs = run.Pairs;
  if (run.Pairs <= 0) {
    h.Memo = {"Unable to analyze latency.  " + std::string(LatencyStateText(run.AnalysisState))};
    return h;
  }
  const double best = run.BestDelay / 1000;
  const double average = run.TotalDelay / run.Pairs / 1000;
  const double contention = average - best;
  const double worst = run.WorstDelay / 1000;
  h.Best = Figure(best, format);
  h.Worst = Figure(worst, format);
  h.Average = Figure(average, format);
  h.Contention = Figure(contention, format);
  h.Chart = std::array<double, 4>{best, worst, average, contention};
  h.CanCopy = true;
  const int64_t total = int64_t{run.SendPackets} + run.ReceivePackets;
  h.Memo = {std::string(kNotes), std::to_string(run.Pairs) + " packet pair found out of " + std::to_string(total) +
                                     " total packets for latency analysis" + RangeText(first, last)};
  h.Total = Count(total, format);
  h.Duration = FormatElapsed(run.Duration);
  h.Ratio = SendToReceiveRatio(run.SendPackets, run.ReceivePackets);
  LatencySeed seed{best, average, contention, h.Ratio, 0, 0};
  if (run.SendPackets > 0) {
    h.AverageSend = Count(run.SendBytes / run.SendPackets, format);
    seed.AverageSend = static_cast<double>(run.SendBytes) / run.SendPackets;
  }
  if (run.ReceivePackets > 0) {
    h.AverageReceive = Count(run.ReceiveBytes / run.ReceivePackets, format);
    seed.AverageReceive = static_cast<double>(run.ReceiveBytes) / run.ReceivePackets;
  }
  h.Seed = seed;
  return h;
}

LatencyView AnalyzeLatency(ConversationEngine& engine, Selection s, const SelectionTexts& texts,
                           const LatencySettings& settings, Topology medium, double bandwidthMbps,
                           const FigureFormat& format) {
  LatencyView v = ResetLatencyView(texts, s.FirstPacketNumber, s.LastPacketNumber);
  engine.Options = MediumOptions(medium, bandwidthMbps);
  engine.Options.LatencyMode = true;
  engine.Options.IncludeAckPackets = true;
  engine.Options.SizeFilter = settings.Filter;
  engine.Options.IncludeLocalMediaTime = settings.IncludeLocalMediaTime;
  auto half = [&](const AnalysisResult& run) {
    return MakeLatencyHalf(run, s.FirstPacketNumber, s.LastPacketNumber, format);
  };
  v.Upper = half(HasConversation(s) ? engine.AnalyzeConversation(s) : AnalysisResult{});
  if (v.Upper.State == kAnalysisUnsupported || v.Upper.State == kAnalysisOneWay) {
    v.Lower.reset();
    if (v.Upper.State == kAnalysisOneWay) {
      v.LowerTitle.clear();
      v.UpperTitle = "Sender: " + texts.Source + "  Destination: " + texts.Destination;
    }
  } else if (s.ReverseStation != nullptr && s.ReverseConversation >= 0) {
    v.Lower = half(engine.AnalyzeReverse(s));
  } else {
    // The destination answers under no conversation of this one.
    AnalysisResult none;
    none.AnalysisState = kAnalysisNoReverse;
    v.Lower = half(none);
  }
  engine.Options.LatencyMode = false;
  return v;
}

std::string LatencyCopyText(const LatencyView& v, bool lower, const SelectionTexts& t) {
  const LatencyHalf& h = lower && v.Lower ? *v.Lower : v.Upper;
  const std::string& sender = lower ? t.Destination : t.Source;
  const std::string& responder = lower ? t.Source : t.Destination;
  return Lines({"Latency Analysis for " + TrimRight(t.App) + ".  Sender: " + sender + " Responder: " + responder, "",
                "Latency in Milliseconds", "Minimum \t" + h.Best, "Maximum \t" + h.Worst, "Average \t" + h.Average,
                "Contention \t" + h.Contention, "", "Packets", "Total \t" + h.Total,
                "Send-to-Receive Ratio \t" + h.Ratio, "Average Send Size \t" + h.AverageSend,
                "Average Receive Size \t" + h.AverageReceive});
}

}  // namespace corvanta

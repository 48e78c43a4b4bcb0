#include "analysis/FileSummary.h"

#include "decode/TraceStatistics.h"

#include <cmath>
#include <limits>

#include "decode/TraceStatistics.h"
#include "naming/TextFormat.h"

namespace corvanta {

int64_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  constexpr double kLimit = 9.0e18;
  if (value >= kLimit) return static_cast<int64_t>(kLimit);
  if (value <= -kLimit) return -static_cast<int64_t>(kLimit);
  // Work out the tie explicitly rather than trust the current rounding mode.
  double floor = std::floor(value);
  double diff = value - floor;
  int64_t base = static_cast<int64_t>(floor);
  if (diff > 0.5) return base + 1;
  if (diff < 0.5) return base;
  return (base % 2 == 0) ? base : base + 1;
}

int FramePercent(int64_t n, int64_t total) {
  if (total <= 0) return 0;
  return static_cast<int>(RoundHalfEven(static_cast<double>(n) / static_cast<double>(total) * 100.0));
}

int BytePercent(double x, double total) {
  if (!(total > 0)) return 0;
  return static_cast<int>(RoundHalfEven(x / total * 100.0));
}

namespace {

std::string Count(int64_t n, char sep) { return FormatCount(n, sep); }

// round(bytes / frames), or "0" for a class without frames.
std::string AverageSize(double bytes, int64_t frames, char sep) {
  if (frames <= 0) return "0";
  return Count(RoundHalfEven(bytes / static_cast<double>(frames)), sep);
}

// Per-second averages use integer division; a trace shorter than one closed second has no
// average and shows 0.
int64_t PerSecond(int64_t amount, int32_t seconds) { return seconds > 0 ? amount / seconds : 0; }

}  // namespace

FrameStatistics ComputeFrameStatistics(const FileSummaryInputs& in) {
  const char sep = in.thousandsSep;
  FrameStatistics out;
  out.multicastLabel = in.topology == kTokenRing ? "Functional" : "Multicast";

  const int64_t total = in.totalFrames;
  const int64_t unicastFrames = total - in.broadcastFrames - in.multicastFrames;
  const double unicastBytes = in.totalBytes - in.broadcastBytes - in.multicastBytes;

  // One row: its frames and bytes against the totals, and its size figures.
  auto row = [&](int64_t frames, double bytes, double averageBytes, int64_t averageFrames, int32_t largest) {
    FrameStatisticsRow r;
    r.frames = Count(frames, sep);
    r.framePercent = FramePercent(frames, total);
    r.bytes = Count(RoundHalfEven(bytes), sep);
    r.bytePercent = BytePercent(bytes, in.totalBytes);
    r.averageSize = AverageSize(averageBytes, averageFrames, sep);
    r.largest = Count(largest, sep);
    return r;
  };
  // The station row's size figures are taken over all frames.
  out.station = row(unicastFrames, unicastBytes, in.totalBytes, total, in.largestFrame);
  out.multicast =
      row(in.multicastFrames, in.multicastBytes, in.multicastBytes, in.multicastFrames, in.largestMulticastFrame);
  out.broadcast =
      row(in.broadcastFrames, in.broadcastBytes, in.broadcastBytes, in.broadcastFrames, in.largestBroadcastFrame);

  out.totalFrames = Count(total, sep);
  out.totalBytes = Count(RoundHalfEven(in.totalBytes), sep);
  return out;
}

std::string ScaledUtilizationText(int32_t percent, int32_t statsBandwidthMbps, int32_t bandwidthMbps,
                                  int32_t duplexFactor, char thousandsSep) {
  const double divisor = static_cast<double>(bandwidthMbps) * static_cast<double>(duplexFactor);
  // A zero bandwidth cannot re-base anything: the figure stays as measured.
  const double r = divisor > 0 ? static_cast<double>(statsBandwidthMbps) / divisor * static_cast<double>(percent)
                               : static_cast<double>(percent);
  const int64_t rounded = RoundHalfEven(r);
  if (rounded == 0) return "<1%";
  return FormatCount(rounded, thousandsSep) + "%";
}

MediaUtilization ComputeMediaUtilization(const FileSummaryInputs& in, bool broadcastOnly) {
  const char sep = in.thousandsSep;
  MediaUtilization out;
  out.caption = "Media Utilization (based on " + std::to_string(in.bandwidthMbps) + " Mbps)";
  const UtilizationFigures& f = broadcastOnly ? in.broadcast : in.all;
  out.averageBandwidth =
      ScaledUtilizationText(f.averagePercent, in.statsBandwidthMbps, in.bandwidthMbps, in.duplexFactor, sep);
  out.peakBandwidth =
      ScaledUtilizationText(f.peakPercent, in.statsBandwidthMbps, in.bandwidthMbps, in.duplexFactor, sep);
  // Broadcast only counts multicast frames in frames per second but only broadcast bytes.
  const int64_t bytes = RoundHalfEven(broadcastOnly ? in.broadcastBytes : in.totalBytes);
  const int64_t frames = broadcastOnly ? int64_t{in.broadcastFrames} + in.multicastFrames : int64_t{in.totalFrames};
  out.averageBytesPerSecond = FormatCount(PerSecond(bytes, in.durationSeconds), sep);
  out.peakBytesPerSecond = FormatCount(f.peakBytes, sep);
  out.averageFramesPerSecond = FormatCount(PerSecond(frames, in.durationSeconds), sep);
  out.peakFramesPerSecond = FormatCount(f.peakFrames, sep);
  return out;
}

EncapsulationTypes ComputeEncapsulationTypes(const FileSummaryInputs& in) {
  const char sep = in.thousandsSep;
  const bool tokenRing = in.topology == kTokenRing;
  auto row = [&](const char* label, const char* hint, int32_t n) {
    EncapsulationRow r;
    r.label = label;
    r.hint = hint;
    r.count = FormatCount(n, sep);
    r.percent = FramePercent(n, in.totalFrames);
    return r;
  };
  EncapsulationTypes out;
  out.llc = row("LLC", "802.3 w/802.2 Logical Link Control", in.llcFrames);
  out.snap = row("SNAP", "802.3 w/802.2 SubNetwork Access Point", in.snapFrames);
  out.etype =
      tokenRing ? row("MAC", "Media Access Control", in.etypeFrames) : row("Etype", "Ethernet II", in.etypeFrames);
  out.novellRaw = row("Novell Raw", "802.3 w/o LLC", in.novellRawFrames);
  out.novellRaw.visible = !tokenRing;
  return out;
}

std::string BandwidthText(int32_t bandwidthMbps, int32_t duplexFactor) {
  return std::to_string(int64_t{bandwidthMbps} * duplexFactor) + " Mbps";
}

std::string FileSizeText(uint64_t size, char thousandsSep) {
  constexpr uint64_t kMax = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
  return FormatCount(static_cast<int64_t>(size > kMax ? kMax : size), thousandsSep) + " bytes";
}

std::string ChecksumOffloadText(const std::vector<AddressKey>& addresses) {
  if (addresses.empty()) return {};
  std::string text = "Checksum offload (wrong TCP/UDP checksums not counted as errors): ";
  for (size_t i = 0; i < addresses.size(); ++i) text += (i ? ", " : "") + FormatIpAddress(addresses[i].View());
  return text;
}

std::string InterfaceText(Topology topology) {
  if (topology == kEthernet) return "Ethernet";
  if (topology == kTokenRing) return "Token Ring";
  return {};
}

void FillSummaryStatistics(const TraceStatistics& s, Topology topology, FileSummaryInputs& in) {
  in.topology = topology;
  in.totalBytes = s.ByteSums.Total;
  in.broadcastBytes = s.ByteSums.Broadcast;
  in.multicastBytes = s.ByteSums.Multicast;
  in.largestFrame = s.TraceStats[kStatLargest].Value;
  in.largestBroadcastFrame = s.TraceStats[kStatLargestBroadcast].Value;
  in.largestMulticastFrame = s.TraceStats[kStatLargestMulticast].Value;
  in.broadcastFrames = s.TraceStats[kStatBroadcast].Value;
  in.multicastFrames = s.TraceStats[kStatMulticast].Value;
  in.llcFrames = s.TraceStats[kStatLlc].Value;
  in.snapFrames = s.TraceStats[kStatSnap].Value;
  in.etypeFrames = topology == kTokenRing ? s.MacFrames : s.TraceStats[kStatEtype].Value;
  in.novellRawFrames = s.TraceStats[kStatNovRaw].Value;
  in.durationSeconds = s.IntervalCount;
  in.all = {s.UtilStats[kUtilAverage].Value, s.UtilStats[kUtilPeak].Value, s.UtilStats[kUtilPeakBytes].Value,
            s.UtilStats[kUtilPeakFrames].Value};
  in.broadcast = {s.UtilStats[kUtilGroupAverage].Value, s.UtilStats[kUtilBroadcastPeak].Value,
                  s.UtilStats[kUtilGroupPeakBytes].Value, s.UtilStats[kUtilGroupPeakFrames].Value};
}

}  // namespace corvanta

#pragma once
// The figures of the file summary page: pure functions from the whole-trace statistics to
// the texts and bar values of every box.
#include <cstdint>
#include <string>
#include <vector>

#include "decode/ModelTypes.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

// One-second utilisation figures, as the statistics keep them.
struct UtilizationFigures {
  int32_t averagePercent = 0;
  int32_t peakPercent = 0;
  int32_t peakBytes = 0;   // bytes in the busiest second
  int32_t peakFrames = 0;  // frames in the busiest second
};

struct FileSummaryInputs {
  Topology topology = kEthernet;
  int32_t totalFrames = 0;
  double totalBytes = 0;
  double broadcastBytes = 0;
  double multicastBytes = 0;
  int32_t largestFrame = 0;
  int32_t largestBroadcastFrame = 0;
  int32_t largestMulticastFrame = 0;
  int32_t broadcastFrames = 0;
  int32_t multicastFrames = 0;
  int32_t llcFrames = 0;
  int32_t snapFrames = 0;
  int32_t etypeFrames = 0;  // Ethernet II; MAC frames on Token Ring
  int32_t novellRawFrames = 0;
  int32_t durationSeconds = 0;  // closed one-second intervals
  UtilizationFigures all;
  UtilizationFigures broadcast;     // broadcast plus multicast traffic
  int32_t statsBandwidthMbps = 10;  // bandwidth the utilisation was computed against
  int32_t bandwidthMbps = 10;       // current choice
  int32_t duplexFactor = 1;
  char thousandsSep = ',';
};

struct TraceStatistics;
// Fills the statistics part of the inputs (counts, bytes, encapsulations, utilisation) for
// a trace of the given medium; Token Ring shows its MAC frames in the Ethernet II row.
void FillSummaryStatistics(const TraceStatistics& statistics, Topology topology, FileSummaryInputs& in);

// Nearest integer, halves to the even neighbour; NaN gives 0, huge values saturate.
int64_t RoundHalfEven(double value);

// n / total x 100 rounded; 0 when total is not positive.
int FramePercent(int64_t n, int64_t total);
// x / total x 100 rounded; 0 when total is not positive.
int BytePercent(double x, double total);

struct FrameStatisticsRow {
  std::string frames;
  int framePercent = 0;
  std::string bytes;
  int bytePercent = 0;
  std::string averageSize;
  std::string largest;
};

struct FrameStatistics {
  std::string multicastLabel;  // "Multicast", or "Functional" on Token Ring
  FrameStatisticsRow station;
  FrameStatisticsRow multicast;
  FrameStatisticsRow broadcast;
  std::string totalFrames;
  std::string totalBytes;
};

FrameStatistics ComputeFrameStatistics(const FileSummaryInputs& in);

// The line under the frame statistics naming the addresses taken for hosts with checksum
// offload (their wrong TCP and UDP checksums are not counted as errors); empty without any.
std::string ChecksumOffloadText(const std::vector<AddressKey>& addresses);

struct MediaUtilization {
  std::string caption;  // "Media Utilization (based on 10 Mbps)"
  std::string averageBandwidth;
  std::string peakBandwidth;
  std::string averageBytesPerSecond;
  std::string peakBytesPerSecond;
  std::string averageFramesPerSecond;
  std::string peakFramesPerSecond;
};

// broadcastOnly: the "Broadcast Only" choice instead of "All Frames".
MediaUtilization ComputeMediaUtilization(const FileSummaryInputs& in, bool broadcastOnly);

// A utilisation percentage measured against statsBandwidthMbps, re-based on the current
// bandwidth and duplex factor: "<1%" when it rounds to 0, else the count and "%".
std::string ScaledUtilizationText(int32_t percent, int32_t statsBandwidthMbps, int32_t bandwidthMbps,
                                  int32_t duplexFactor, char thousandsSep);

struct EncapsulationRow {
  std::string label;
  std::string hint;
  std::string count;
  int percent = 0;
  bool visible = true;
};

struct EncapsulationTypes {
  EncapsulationRow llc;
  EncapsulationRow snap;
  EncapsulationRow etype;
  EncapsulationRow novellRaw;
};

EncapsulationTypes ComputeEncapsulationTypes(const FileSummaryInputs& in);

// "20 Mbps" for 10 Mbit/s at full duplex.
std::string BandwidthText(int32_t bandwidthMbps, int32_t duplexFactor);
// "1,234 bytes".
std::string FileSizeText(uint64_t size, char thousandsSep);
// "Ethernet" or "Token Ring"; empty for media that are never analysed.
std::string InterfaceText(Topology topology);

// The duration box before any trace is read.
inline constexpr const char* kNoDurationText = "00:00:00.000";

}  // namespace corvanta

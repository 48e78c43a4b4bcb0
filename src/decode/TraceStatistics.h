#pragma once
// Whole-trace statistics: frame sizes, broadcast and multicast traffic, encapsulations,
// protocol categories, Ethernet DLC errors, Token Ring soft errors and ring map, and the
// one-second utilisation. One object per processing run; the decoder fills it, the views
// read it afterwards.
#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "decode/ModelTypes.h"
#include "decode/RingMap.h"
#include "trace/AnalyzerKind.h"
#include "trace/Prefetch.h"

namespace corvanta {

// Counters never wrap: a count that would pass its type's maximum stays there.
inline void Bump(int32_t& counter, int64_t by = 1) {
  int64_t sum = int64_t{counter} + by;
  if (sum > std::numeric_limits<int32_t>::max()) sum = std::numeric_limits<int32_t>::max();
  if (sum < std::numeric_limits<int32_t>::min()) sum = std::numeric_limits<int32_t>::min();
  counter = static_cast<int32_t>(sum);
}
inline void Bump(uint16_t& counter) {
  if (counter < std::numeric_limits<uint16_t>::max()) ++counter;
}

// Nearest integer with halves to the even neighbour; NaN gives 0, values beyond int32 saturate.
int32_t NearestEven(double value);

// One slot of TraceStats and SoftErrorTotals; the decoder maintains Value only.
struct StatRecord {
  int32_t Value = 0;
  int32_t Second = 0;
  int16_t Third = 0;
  int16_t Fourth = 0;
};

// One slot of UtilStats; the decoder maintains Value only.
struct UtilRecord {
  int32_t Value = 0;
  int32_t Second = 0;
  std::array<uint8_t, 4> Spare{};
};

enum TraceStatSlot : uint8_t {
  kStatSmallest = 1,  // starts at -60000; a frame shorter than its magnitude replaces it
  kStatLargest = 2,
  kStatLargestBroadcast = 3,
  kStatLargestMulticast = 4,
  kStatAverageLength = 5,
  kStatFrames = 6,
  kStatBroadcast = 7,
  kStatMulticast = 8,
  kStatLlc = 10,
  kStatSnap = 11,
  kStatEtype = 12,
  kStatNovRaw = 13,
  kStatCrcErrors = 14,  // Ethernet, alignment errors included
  kStatRunts = 15,      // Ethernet, shorter than 64
  kStatTooLong = 16,    // Ethernet, longer than 1518
  kStatCollisions = 17  // Ethernet, CRC error and shorter than 64
};
inline constexpr int kTraceStatSlots = 18;
inline constexpr int32_t kSmallestUnset = -60000;

enum UtilStatSlot : uint8_t {
  kUtilAverage = 0,
  kUtilPeak = 1,
  kUtilPeakBytes = 3,
  kUtilPeakFrames = 5,
  kUtilGroupAverage = 6,      // broadcast plus multicast
  kUtilBroadcastPeak = 7,     // broadcast only
  kUtilGroupPeakBytes = 9,    // broadcast plus multicast
  kUtilGroupPeakFrames = 11,  // broadcast plus multicast
};
inline constexpr int kUtilStatSlots = 12;

// The counters of the current one-second interval.
struct IntervalTotals {
  int32_t Frames = 0;
  int32_t BroadcastFrames = 0;
  int32_t MulticastFrames = 0;
  int32_t ErrorFrames = 0;
  int32_t Bytes = 0;
  int32_t BroadcastBytes = 0;
  int32_t MulticastBytes = 0;
};

// Sums over the closed intervals.
struct ByteTotals {
  double Total = 0;
  double Broadcast = 0;
  double Multicast = 0;
};

// One closed interval of the utilisation series: when it began and what it carried. One
// record per second of capture, never per frame.
struct UtilizationSecond {
  uint32_t StartMs = 0;  // milliseconds from the first frame to the interval's first frame
  int32_t Frames = 0;
  int32_t Bytes = 0;
  int32_t BroadcastFrames = 0;  // broadcast only, as the broadcast peak counts them
  int32_t BroadcastBytes = 0;
};

// Per ProtocolCategory.
struct ProtocolStatsRecord {
  int32_t Frames = 0;
  int32_t GroupFrames = 0;  // sent to a broadcast or multicast address
  int32_t Bytes = 0;
  uint8_t EncapsulationBits = 0;  // bit (1 << Encapsulation) for Etype, LLC, NovRaw, SNAP
};

// Kinds of the recent Ethernet DLC errors.
enum LastErrorKind : uint8_t {
  kLastErrorEmpty = 6,
  kLastErrorCrc = 14,
  kLastErrorRunt = 15,
  kLastErrorTooLong = 16,
  kLastErrorCollision = 17
};
struct LastErrorSlot {
  std::array<uint8_t, 6> Source{};
  uint8_t Kind = kLastErrorEmpty;
};
inline constexpr int kLastErrorSlots = 5;  // slot 0 is never written; 1..4 form the ring

// Frame-size histogram bucket of a frame: 0 below 64 bytes, else (L shr 8) + 1 up to the
// medium's bound (1518 Ethernet, 4097 Token Ring); longer Ethernet frames share bucket 7,
// longer Token Ring frames keep their 256-byte buckets up to the last one.
inline constexpr int kSizeBuckets = 72;
int SizeBucket(Topology topology, uint32_t length);

struct alignas(kCacheLine) TraceStatistics {
  std::array<StatRecord, kTraceStatSlots> TraceStats{};
  std::array<UtilRecord, kUtilStatSlots> UtilStats{};
  IntervalTotals IntervalCounters;
  int32_t IntervalCount = 0;  // closed one-second intervals
  ByteTotals ByteSums;
  double ElapsedTime = 0;    // microseconds since the first frame
  double PreviousTime = 0;   // Timestamp of the previous frame
  double IntervalStart = 0;  // Timestamp at which the current interval began
  double IntervalStartElapsed = 0;            // ElapsedTime at which the current interval began
  std::vector<UtilizationSecond> UtilSeries;  // the closed intervals in order
  bool ClockStarted = false;

  Topology Medium = kEthernet;  // per-frame overhead: 20 bytes Ethernet, 1 Token Ring
  int32_t BandwidthBytesPerSecond = 1250000;

  std::array<int32_t, kSizeBuckets> SizeBuckets{};
  std::array<ProtocolStatsRecord, kProtocolCategoryCount> ProtocolStats{};
  std::array<StatRecord, kSoftErrorKindCount> SoftErrorTotals{};  // indexed by SoftErrorKind
  int32_t SourceRoutedFrames = 0;                                 // Token Ring LLC frames with a routing field
  int32_t MacFrames = 0;                                          // Token Ring MAC frames

  std::array<LastErrorSlot, kLastErrorSlots> LastErrors{};
  uint16_t LastErrorsWrite = 1;   // slot the next error goes to
  uint16_t LastErrorsOldest = 0;  // oldest slot once the ring has filled
  uint8_t NewErrors = 0;          // set by every error, cleared by the view that lists them
  int32_t LastCollisionFrame = -2;

  RingMapTable RingMap;

  // Clears everything for a new trace (the bandwidth and medium are kept).
  void ResetStatistics();
  // BandwidthMbps x 125000.
  void SetBandwidth(int32_t mbps);
  // Once per frame before it is counted: elapsed time, and the close of the current
  // interval when the frame lies at least one second after its start.
  void AdvanceClock(double timestamp);
  // Ends the current interval: sums, utilisation averages and peaks, average frame length.
  void CloseInterval();

  // ---- Per-frame accumulation, in decoding order.
  // Smallest and largest frame, bytes of the second.
  void CountLength(uint32_t length);
  // The size histogram of the medium.
  void CountSize(uint32_t length);
  // An Ethernet frame with the CRC error bit, shorter than 64 or longer than 1518 bytes:
  // error counters and the ring of recent errors. source: the frame's bytes 6 to 11.
  void CountEthernetError(uint32_t length, bool crcError, const std::array<uint8_t, 6>& source, int32_t frameNumber);
  // A frame to a group address.
  void CountGroup(bool broadcast, uint32_t length);
  // The frame's encapsulation in TraceStats and in its category's encapsulation bits.
  void CountEncapsulation(Encapsulation encapsulation, ProtocolCategory category);
  // Token Ring soft-error counts reported to the ring error monitor, by SoftErrorKind.
  void CountSoftErrors(const std::array<uint8_t, kSoftErrorKindCount>& counts);
  void CountProtocol(ProtocolCategory category, bool group, uint32_t length);
  // Last step of a decoded frame.
  void CountFrameDone();
};

}  // namespace corvanta

#include "decode/TraceStatistics.h"

#include <algorithm>
#include <cmath>

namespace corvanta {

namespace {

constexpr double kMicrosecondsPerDay = 86400000000.0;
constexpr double kMicrosecondsPerSecond = 1000000.0;
constexpr uint32_t kEthernetMaxLength = 1518;
constexpr uint32_t kTokenRingMaxLength = 4097;
constexpr uint32_t kMinimumLength = 64;
constexpr int kEthernetOversizeBucket = 7;

void Raise(int32_t& peak, int64_t value) {
  if (value > peak) peak = static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

}  // namespace

int32_t NearestEven(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
  if (value <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
  double whole = std::floor(value);
  double fraction = value - whole;
  if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0)) whole += 1;
  return static_cast<int32_t>(whole);
}

int SizeBucket(Topology topology, uint32_t length) {
  if (length < kMinimumLength) return 0;
  uint32_t bound = topology == kTokenRing ? kTokenRingMaxLength : kEthernetMaxLength;
  if (length <= bound) return static_cast<int>(length >> 8) + 1;
  if (topology != kTokenRing) return kEthernetOversizeBucket;
  // Long Token Ring frames keep their own buckets, so they are not counted as 1536..1791.
  return std::min(static_cast<int>(length >> 8) + 1, kSizeBuckets - 1);
}

void TraceStatistics::ResetStatistics() {
  TraceStats.fill(StatRecord{});
  TraceStats[kStatSmallest].Value = kSmallestUnset;
  TraceStats[kStatSmallest].Second = kSmallestUnset;
  UtilStats.fill(UtilRecord{});
  IntervalCounters = IntervalTotals{};
  IntervalCount = 0;
  ByteSums = ByteTotals{};
  ElapsedTime = 0;
  PreviousTime = 0;
  IntervalStart = 0;
  IntervalStartElapsed = 0;
  UtilSeries.clear();
  ClockStarted = false;
  SizeBuckets.fill(0);
  ProtocolStats.fill(ProtocolStatsRecord{});
  SoftErrorTotals.fill(StatRecord{});
  SourceRoutedFrames = 0;
  MacFrames = 0;
  LastErrors.fill(LastErrorSlot{});
  LastErrorsWrite = 1;
  LastErrorsOldest = 0;
  NewErrors = 0;
  LastCollisionFrame = -2;
  RingMap.Clear();
}

void TraceStatistics::SetBandwidth(int32_t mbps) {
  int64_t bytes = int64_t{mbps} * 125000;
  BandwidthBytesPerSecond = static_cast<int32_t>(std::clamp<int64_t>(bytes, 0, std::numeric_limits<int32_t>::max()));
}

void TraceStatistics::AdvanceClock(double timestamp) {
  if (!ClockStarted) {
    ClockStarted = true;
    ElapsedTime = 0;
    IntervalStartElapsed = 0;
    PreviousTime = IntervalStart = timestamp;
    return;
  }
  if (PreviousTime > timestamp) {
    // The clock passed midnight. The interval start moves back a day with it, so the
    // interval still closes one second after it began.
    ElapsedTime += kMicrosecondsPerDay - PreviousTime + timestamp;
    IntervalStart -= kMicrosecondsPerDay;
  } else {
    ElapsedTime += timestamp - PreviousTime;
  }
  PreviousTime = timestamp;
  if (timestamp - IntervalStart >= kMicrosecondsPerSecond) {
    CloseInterval();
    IntervalStart = timestamp;
    IntervalStartElapsed = ElapsedTime;
  }
}

void TraceStatistics::CloseInterval() {
  Bump(IntervalCount);
  const double n = IntervalCount;
  const IntervalTotals& i = IntervalCounters;
  ByteSums.Total += i.Bytes;
  ByteSums.Broadcast += i.BroadcastBytes;
  ByteSums.Multicast += i.MulticastBytes;

  const double overhead = Medium == kTokenRing ? 1 : 20;
  const double bw = BandwidthBytesPerSecond;
  // Without a bandwidth there is no utilisation to compute: the percentages stay 0.
  if (bw > 0) {
    int32_t u = NearestEven((i.Bytes + overhead * i.Frames) / bw * 100);
    int32_t v = NearestEven((i.BroadcastBytes + overhead * i.BroadcastFrames) * 100 / bw);
    UtilStats[kUtilAverage].Value = NearestEven(ByteSums.Total / bw / n * 100);
    double groupFrames = static_cast<double>(TraceStats[kStatBroadcast].Value) + TraceStats[kStatMulticast].Value;
    UtilStats[kUtilGroupAverage].Value =
        NearestEven((ByteSums.Broadcast + ByteSums.Multicast + overhead * groupFrames) * 100 / bw / n);
    Raise(UtilStats[kUtilPeak].Value, u);
    Raise(UtilStats[kUtilBroadcastPeak].Value, v);
  }
  UtilizationSecond second;
  second.StartMs = static_cast<uint32_t>(std::clamp(std::round(IntervalStartElapsed / 1000.0), 0.0, 4294967295.0));
  second.Frames = i.Frames;
  second.Bytes = i.Bytes;
  second.BroadcastFrames = i.BroadcastFrames;
  second.BroadcastBytes = i.BroadcastBytes;
  UtilSeries.push_back(second);

  Raise(UtilStats[kUtilPeakBytes].Value, i.Bytes);
  Raise(UtilStats[kUtilGroupPeakBytes].Value, int64_t{i.BroadcastBytes} + i.MulticastBytes);
  Raise(UtilStats[kUtilPeakFrames].Value, i.Frames);
  Raise(UtilStats[kUtilGroupPeakFrames].Value, int64_t{i.BroadcastFrames} + i.MulticastFrames);

  IntervalCounters = IntervalTotals{};
  if (TraceStats[kStatFrames].Value >= 1)
    TraceStats[kStatAverageLength].Value = NearestEven(ByteSums.Total / TraceStats[kStatFrames].Value);
}

void TraceStatistics::CountLength(uint32_t length) {
  int32_t& smallest = TraceStats[kStatSmallest].Value;
  if (int64_t{length} < std::abs(int64_t{smallest})) smallest = static_cast<int32_t>(length);
  Raise(TraceStats[kStatLargest].Value, length);
  Bump(IntervalCounters.Bytes, length);
}

void TraceStatistics::CountSize(uint32_t length) { Bump(SizeBuckets[SizeBucket(Medium, length)]); }

void TraceStatistics::CountEthernetError(uint32_t length, bool crcError, const std::array<uint8_t, 6>& source,
                                         int32_t frameNumber) {
  Bump(IntervalCounters.ErrorFrames);
  if (LastErrorsOldest == LastErrorsWrite) LastErrorsOldest = static_cast<uint16_t>((LastErrorsOldest & 3) + 1);
  if (LastErrorsOldest == 0) LastErrorsOldest = 1;
  NewErrors = 1;

  uint8_t kind = kLastErrorEmpty;
  if (length < kMinimumLength) {
    Bump(TraceStats[kStatRunts].Value);
    kind = kLastErrorRunt;
  }
  if (length > kEthernetMaxLength) {
    Bump(TraceStats[kStatTooLong].Value);
    kind = kLastErrorTooLong;
  }
  if (crcError) {
    Bump(TraceStats[kStatCrcErrors].Value);
    if (length >= kMinimumLength) {
      kind = kLastErrorCrc;
    } else {
      kind = kLastErrorCollision;
      Bump(TraceStats[kStatCollisions].Value);
      LastCollisionFrame = frameNumber;
    }
  }

  LastErrorSlot& slot = LastErrors[LastErrorsWrite % kLastErrorSlots];
  slot.Source = source;
  slot.Kind = kind;
  LastErrorsWrite = static_cast<uint16_t>((LastErrorsWrite & 3) + 1);
}

void TraceStatistics::CountGroup(bool broadcast, uint32_t length) {
  if (broadcast) {
    Bump(TraceStats[kStatBroadcast].Value);
    Bump(IntervalCounters.BroadcastFrames);
    Bump(IntervalCounters.BroadcastBytes, length);
    Raise(TraceStats[kStatLargestBroadcast].Value, length);
  } else {
    Bump(TraceStats[kStatMulticast].Value);
    Bump(IntervalCounters.MulticastFrames);
    Bump(IntervalCounters.MulticastBytes, length);
    Raise(TraceStats[kStatLargestMulticast].Value, length);
  }
}

void TraceStatistics::CountEncapsulation(Encapsulation encapsulation, ProtocolCategory category) {
  static constexpr std::array<uint8_t, kEncapsulationCount> kSlots = {kStatEtype, kStatLlc, kStatNovRaw, kStatSnap, 0};
  if (encapsulation == kEncapMac) {
    Bump(MacFrames);
    return;
  }
  if (encapsulation >= kEncapMac || category >= kProtocolCategoryCount) return;
  Bump(TraceStats[kSlots[encapsulation]].Value);
  AddToSet(ProtocolStats[category].EncapsulationBits, encapsulation);
}

void TraceStatistics::CountSoftErrors(const std::array<uint8_t, kSoftErrorKindCount>& counts) {
  for (int k = 0; k < kSoftErrorKindCount; ++k) Bump(SoftErrorTotals[k].Value, counts[k]);
}

void TraceStatistics::CountProtocol(ProtocolCategory category, bool group, uint32_t length) {
  if (category >= kProtocolCategoryCount) return;
  ProtocolStatsRecord& p = ProtocolStats[category];
  Bump(p.Frames);
  if (group) Bump(p.GroupFrames);
  Bump(p.Bytes, length);
}

void TraceStatistics::CountFrameDone() {
  Bump(IntervalCounters.Frames);
  Bump(TraceStats[kStatFrames].Value);
}

}  // namespace corvanta

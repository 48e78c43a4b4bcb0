// Writer of NI Observer traces: a text header and records chained by absolute offsets.
#include <cmath>
#include <cstring>
#include <ctime>
#include <string>

#include "trace/FrameRecord.h"
#include "writers/ObserverWriter.h"
#include "writers/SnifferFamily.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteObserver(const TracePlan& plan, const ObserverOptions& options) {
  const bool ethernet = plan.topology == kEthernet;
  const bool withFcs = ethernet && options.version >= '6' && options.version <= '9';
  std::vector<uint8_t> out(kObserverFirstRecord, 0);
  const std::string text = std::string("ObserverPktBufferVersion=") + options.version + ".00";
  std::memcpy(out.data(), text.data(), text.size());

  std::time_t t = static_cast<std::time_t>(plan.startUnixSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  const double todMs = ((local.tm_hour * 60.0 + local.tm_min) * 60 + local.tm_sec) * 1000;
  const uint32_t topologyCode = ethernet ? 0 : plan.topology == kTokenRing ? 1 : 2;
  for (size_t i = 0; i < plan.frames.size(); ++i) {
    const TestFrame& frame = plan.frames[i];
    const auto [data, wire] = withFcs ? StoreWithFcs(frame) : StoredFrame{frame.bytes, WireLength(frame)};
    const size_t at = out.size();
    out.resize(at + kObserverRecordHeader, 0);
    const bool last = i + 1 == plan.frames.size();
    SetLe32(out, at + 12, last ? 0 : static_cast<uint32_t>(at + kObserverRecordHeader + data.size()));
    SetLe32(out, at + 20, topologyCode);
    SetLe32(out, at + 28, wire);
    uint32_t flags = 0;
    if (frame.status & kStatusCrcError) flags |= 0x02;
    if (frame.status & kStatusAlignmentError) flags |= 0x01;
    SetLe32(out, at + 32, flags);
    SetLe32(out, at + 36,
            static_cast<uint32_t>(std::llround(todMs + (plan.startMicroseconds + frame.offsetUs) / 1000)));
    SetLe32(out, at + 40, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
  }
  return out;
}

std::vector<uint8_t> WriteObserver(const TracePlan& plan) { return WriteObserver(plan, ObserverOptions{}); }

}  // namespace corvanta::testing

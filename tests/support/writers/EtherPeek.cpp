// Writer of EtherPeek/TokenPeek traces, versions 6 and 7: big-endian records with times
// counted from 1904-01-01 in local time.
#include <cmath>
#include <ctime>

#include "trace/FrameRecord.h"
#include "writers/EtherPeekWriter.h"
#include "writers/SnifferFamily.h"
#include "writers/Writers.h"

namespace corvanta::testing {

namespace {
constexpr int64_t kSeconds1904To1970 = 2082844800;
}

std::vector<uint8_t> WriteEtherPeek(const TracePlan& plan, const EtherPeekOptions& options) {
  const bool version6 = options.version == 6;
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out(50, 0);
  out[0] = options.version;
  SetBe32(out, 6, static_cast<uint32_t>(plan.frames.size()));

  std::time_t t = static_cast<std::time_t>(plan.startUnixSeconds);
  std::tm local{};
  localtime_r(&t, &local);
  const int64_t localSeconds = plan.startUnixSeconds + local.tm_gmtoff;
  for (const TestFrame& frame : plan.frames) {
    const auto [data, wire] = ethernet ? StoreWithFcs(frame) : StoredFrame{frame.bytes, WireLength(frame)};
    uint8_t flags = 0;
    if (frame.status & kStatusCrcError) flags |= 0x02;
    if (frame.status & kStatusAlignmentError) flags |= 0x04;
    const double micros = plan.startMicroseconds + frame.offsetUs;
    const uint16_t stored = static_cast<uint16_t>(data.size() == wire ? 0 : data.size());
    if (version6) {
      const double todMs = static_cast<double>((localSeconds % 86400 + 86400) % 86400) * 1000;
      PutBe16(out, static_cast<uint16_t>(wire));
      PutBe16(out, stored);
      out.push_back(flags);
      out.push_back(0);
      PutBe32(out, static_cast<uint32_t>(std::llround(todMs + micros / 1000)));
      out.resize(out.size() + 16, 0);
    } else {
      const auto raw = static_cast<uint64_t>((localSeconds + kSeconds1904To1970) * 1000000 + std::llround(micros));
      PutBe16(out, 0);
      PutBe16(out, static_cast<uint16_t>(wire));
      PutBe16(out, stored);
      out.push_back(flags);
      out.push_back(0);
      PutBe32(out, static_cast<uint32_t>(raw >> 32));
      PutBe32(out, static_cast<uint32_t>(raw));
    }
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() & 1) out.push_back(0);
  }
  return out;
}

std::vector<uint8_t> WriteEtherPeek(const TracePlan& plan) { return WriteEtherPeek(plan, EtherPeekOptions{}); }

}  // namespace corvanta::testing

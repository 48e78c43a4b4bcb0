// Digitech LAN900 files (name them *.dat): 65536-byte buffers; buffer 0 holds the buffer
// table, frames fill buffers 1, 2, ... in order. Frames are stored without their check
// sequence; the frame length counts it. Times are timer ticks since local midnight.
#include <algorithm>
#include <cmath>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteDigitech(const TracePlan& plan) {
  constexpr size_t kBuffer = 65536;
  std::vector<uint8_t> out(2 * kBuffer, 0);
  out[0] = 0x03, out[1] = 0x94;

  const double midnightOffsetUs = TimeOfDayMicroseconds(UnixToLocalDateTime(plan.startUnixSeconds));
  std::vector<uint16_t> counts{0};
  size_t buffer = 1;
  size_t at = kBuffer;
  for (const TestFrame& frame : plan.frames) {
    const size_t recordSize = 12 + 2 + frame.bytes.size();
    if (at + recordSize > (buffer + 1) * kBuffer) {
      ++buffer;
      at = buffer * kBuffer;
      out.resize((buffer + 1) * kBuffer, 0);
    }
    counts.resize(buffer + 1, 0);
    ++counts[buffer];
    const double us = midnightOffsetUs + plan.startMicroseconds + frame.offsetUs;
    const auto ticks = static_cast<uint64_t>(std::llround(us / 0.838096536007));
    const uint32_t wire = (frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size())) + 4;
    out[at] = 130;
    out[at + 1] = plan.topology == kTokenRing ? 6 : 5;
    SetLe16(out, at + 2, static_cast<uint16_t>(2 + frame.bytes.size()));
    out[at + 4] = static_cast<uint8_t>(((frame.status & kStatusCrcError) ? 1 : 0) |
                                       ((frame.status & kStatusAlignmentError) ? 2 : 0));
    SetLe32(out, at + 5, static_cast<uint32_t>(ticks >> 16));
    SetLe16(out, at + 9, static_cast<uint16_t>(ticks));
    SetLe16(out, at + 12, static_cast<uint16_t>(wire));
    std::copy(frame.bytes.begin(), frame.bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at + 14));
    at += recordSize;
  }
  SetLe16(out, 40, static_cast<uint16_t>(buffer));
  SetLe16(out, 42, 1);
  SetLe16(out, 44, static_cast<uint16_t>(buffer));
  for (size_t n = 1; n < counts.size(); ++n) SetLe16(out, 8238 + (n - 1) * 2, counts[n]);
  return out;
}

}  // namespace corvanta::testing

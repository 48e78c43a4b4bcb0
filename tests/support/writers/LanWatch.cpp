// Precision Guesswork LANWatch dumps (version 4): frames without their check sequence,
// stamped with the PC timer: BIOS ticks since local midnight and the 1.19 MHz counter.
#include <algorithm>
#include <cmath>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteLanWatch(const TracePlan& plan) {
  std::vector<uint8_t> out{'P', 'K', 'T', 'D', 'M', 'P'};
  PutLe16(out, 4);  // version
  PutLe32(out, 0);
  PutLe16(out, plan.topology == kTokenRing ? 768 : 0);
  PutLe16(out, 0);
  PutLe32(out, 0);  // the version 4 extension

  const double midnightOffsetUs = TimeOfDayMicroseconds(UnixToLocalDateTime(plan.startUnixSeconds));
  for (const TestFrame& frame : plan.frames) {
    const double us = std::fmod(midnightOffsetUs + plan.startMicroseconds + frame.offsetUs, 86400e6);
    const auto biosTicks = static_cast<uint32_t>(us / 54925.41649846272);
    const double rest = us - biosTicks * 54925.41649846272;
    const auto timer = static_cast<uint16_t>(std::min(65535.0, std::round(rest / 0.83809534452)));
    uint16_t flags = 0;
    if (frame.status & kStatusAlignmentError) flags |= 0x0080;
    if (frame.status & kStatusCrcError) flags |= 0x0002;
    PutLe16(out, static_cast<uint16_t>(frame.wireLength ? frame.wireLength : frame.bytes.size()));
    PutLe16(out, static_cast<uint16_t>(frame.bytes.size()));
    PutLe16(out, static_cast<uint16_t>(biosTicks));
    PutLe16(out, static_cast<uint16_t>(biosTicks >> 16));
    PutLe16(out, timer);
    PutLe16(out, flags);
    out.insert(out.end(), frame.bytes.begin(), frame.bytes.end());
  }
  return out;
}

}  // namespace corvanta::testing

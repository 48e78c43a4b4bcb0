// IBM DataGLANce files (name them *.dgc): a 512-byte header, frames in 128-byte blocks of
// 88 data bytes each. Ethernet frames carry their check sequence and PC-timer ticks since
// the start; Token Ring frames carry the local second of the day and hundredths.
#include <algorithm>
#include <cmath>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteIbm(const TracePlan& plan) {
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out(512, 0);
  out[130] = ethernet ? 3 : 2;
  SetLe32(out, 144, static_cast<uint32_t>(plan.startUnixSeconds));

  const double midnightOffsetUs = TimeOfDayMicroseconds(UnixToLocalDateTime(plan.startUnixSeconds));
  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    uint32_t wire = frame.wireLength ? frame.wireLength : static_cast<uint32_t>(bytes.size());
    if (ethernet) {
      uint32_t crc = EthernetCrc(bytes);
      if (frame.status & kStatusCrcError) crc = ~crc;
      PutLe32(bytes, crc);
      wire += 4;
    }
    const double offsetUs = plan.startMicroseconds + frame.offsetUs;
    uint64_t a = 0, b = 0, c = 0;
    if (ethernet) {
      const auto ticks = static_cast<uint64_t>(std::llround(offsetUs / 0.83809534452));
      a = ticks >> 32, c = (ticks >> 16) & 0xFFFF, b = ticks & 0xFFFF;
    } else {
      const double us = midnightOffsetUs + offsetUs;
      const auto second = static_cast<uint64_t>(std::floor(us / 1e6));
      a = static_cast<uint64_t>((us - static_cast<double>(second) * 1e6) / 10000);
      c = (second % 86400) >> 16, b = (second % 86400) & 0xFFFF;
    }
    const size_t blocks = 1 + (bytes.size() + 1) / 88;
    std::vector<uint8_t> area(blocks * 128, 0);
    area[0] = ethernet ? 0x21 : 0x01;
    SetLe16(area, 2, static_cast<uint16_t>(bytes.size()));
    SetLe16(area, 4, static_cast<uint16_t>(wire));
    SetLe16(area, 6, static_cast<uint16_t>(a));
    SetLe16(area, 8, static_cast<uint16_t>(b));
    SetLe16(area, 10, static_cast<uint16_t>(c));
    for (size_t i = 0; i < blocks; ++i) {
      const size_t from = std::min(bytes.size(), i * 88);
      const size_t to = std::min(bytes.size(), from + 88);
      std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.begin() + static_cast<std::ptrdiff_t>(to),
                area.begin() + static_cast<std::ptrdiff_t>(i * 128 + 40));
    }
    out.insert(out.end(), area.begin(), area.end());
  }
  return out;
}

}  // namespace corvanta::testing

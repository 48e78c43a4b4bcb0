// TTC FireBerd 500 (76-byte header naming "ProbeApps") and NetLens/Spider (26-byte header
// starting 'D') files: 10-byte record headers, times in milliseconds since local midnight.
// Ethernet frames are stored without their check sequence unless it brings them to 1515 bytes.
#include <cmath>
#include <string>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteTtc(const TracePlan& plan) {
  const bool fireBerd = plan.kind == 18;
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out(fireBerd ? 76 : 26, 0);
  const std::string id = fireBerd ? "TTC ProbeApps" : "DSPIDER";
  for (size_t i = 0; i < id.size(); ++i) out[i] = static_cast<uint8_t>(id[i]);
  SetLe32(out, fireBerd ? 72 : 22, static_cast<uint32_t>(plan.frames.size()));

  const double midnightOffsetMs = TimeOfDayMicroseconds(UnixToLocalDateTime(plan.startUnixSeconds)) / 1e3;
  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    if (ethernet && bytes.size() + 4 >= 1515) {
      PutLe32(bytes, EthernetCrc(bytes));
    }
    uint16_t flags = 0;
    if (frame.status & kStatusCrcError) flags |= 0x0800;
    if (frame.status & kStatusAlignmentError) flags |= 0x0400;
    PutLe16(out, static_cast<uint16_t>(bytes.size()));
    PutLe16(out, flags);
    PutLe16(out, 0);
    PutLe32(out,
            static_cast<uint32_t>(std::llround(midnightOffsetMs + (plan.startMicroseconds + frame.offsetUs) / 1e3)));
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

}  // namespace corvanta::testing

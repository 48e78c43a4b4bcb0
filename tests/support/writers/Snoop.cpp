// Sun snoop (version 2) and Shomiti Surveyor files: big-endian records; Shomiti stores the
// check sequence and ends every record with a 16-byte trailer.
#include <cmath>

#include "trace/FrameRecord.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteSnoop(const TracePlan& plan) {
  const bool shomiti = plan.kind == 16;
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out{'s', 'n', 'o', 'o', 'p', 0, 0, 0};
  PutBe32(out, 2);
  uint32_t linkType = 19;
  if (ethernet) linkType = plan.bandwidth == 100000000 ? 10 : 4;
  if (plan.topology == kTokenRing) linkType = 2;
  PutBe32(out, linkType);

  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    uint32_t wire = frame.wireLength ? frame.wireLength : static_cast<uint32_t>(bytes.size());
    if (shomiti && ethernet) {
      uint32_t crc = EthernetCrc(bytes);
      if (frame.status & kStatusCrcError) crc = ~crc;
      PutLe32(bytes, crc);
      wire += 4;
    }
    const size_t padded = (bytes.size() + 3) & ~size_t{3};
    const size_t recordLength = 24 + padded + (shomiti ? 16 : 0);
    double us = static_cast<double>(plan.startMicroseconds) + frame.offsetUs;
    const double seconds = std::floor(us / 1e6);
    us -= seconds * 1e6;
    PutBe32(out, wire);
    PutBe32(out, static_cast<uint32_t>(bytes.size()));
    PutBe32(out, static_cast<uint32_t>(recordLength));
    PutBe32(out, 0);  // cumulative drops
    PutBe32(out, static_cast<uint32_t>(plan.startUnixSeconds + static_cast<int64_t>(seconds)));
    PutBe32(out, static_cast<uint32_t>(us));
    out.insert(out.end(), bytes.begin(), bytes.end());
    out.resize(out.size() + padded - bytes.size(), 0);
    if (shomiti) {
      std::vector<uint8_t> trailer(16, 0);
      if (frame.status & kStatusCrcError) SetLe16(trailer, 2, 0x0200);
      out.insert(out.end(), trailer.begin(), trailer.end());
    }
  }
  return out;
}

}  // namespace corvanta::testing

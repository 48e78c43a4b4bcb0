// HP Internet Advisor (pre-Win95) files: a 128-byte "HPDATA0" header, a "GRP0" group block,
// then one "FR30" block per frame holding the stored bytes, the check sequence and padding.
#include <cmath>

#include "trace/FrameRecord.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteHp(const TracePlan& plan) {
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out(128, 0);
  const char* id = "HPDATA0";
  for (size_t i = 0; i < 7; ++i) out[i] = static_cast<uint8_t>(id[i]);
  SetLe32(out, 12, static_cast<uint32_t>(plan.startUnixSeconds));
  uint32_t media = 0;
  if (ethernet) media = plan.bandwidth == 100000000 ? 7 : 1;
  if (plan.topology == kTokenRing) media = plan.bandwidth == 4000000 ? 3 : 4;
  SetLe32(out, 24, media);

  std::vector<uint8_t> group(28, 0);
  SetLe16(group, 2, 7);
  group[4] = 'G', group[5] = 'R', group[6] = 'P', group[7] = '0';
  out.insert(out.end(), group.begin(), group.end());

  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    uint32_t crc = EthernetCrc(bytes);
    if (frame.status & kStatusCrcError) crc = ~crc;
    PutLe32(bytes, crc);
    bytes.resize((bytes.size() + 3) & ~size_t{3}, 0);

    std::vector<uint8_t> block(8 + 24, 0);
    SetLe16(block, 2, static_cast<uint16_t>((block.size() + bytes.size()) / 4));
    block[4] = 'F', block[5] = 'R', block[6] = '3', block[7] = '0';
    const uint32_t wire = (frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size())) + 4;
    SetLe16(block, 8 + 8, static_cast<uint16_t>(wire));
    block[8 + 11] = (frame.status & kStatusCrcError) ? 8 : 0;
    SetLe16(block, 8 + 12, static_cast<uint16_t>(frame.bytes.size()));
    double us = plan.startMicroseconds + frame.offsetUs;
    const double seconds = std::floor(us / 1e6);
    us -= seconds * 1e6;
    SetLe32(block, 8 + 16, static_cast<uint32_t>(plan.startUnixSeconds + static_cast<int64_t>(seconds)));
    SetLe32(block, 8 + 20, static_cast<uint32_t>(std::llround(us * 1000)));
    out.insert(out.end(), block.begin(), block.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  return out;
}

}  // namespace corvanta::testing

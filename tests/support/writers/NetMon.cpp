// Writer of NetMon 1.x (kind 8) and 2.x (kind 9) traces: header, comment, frames, then the
// table of frame offsets.
#include <cmath>
#include <cstring>
#include <ctime>

#include "writers/SnifferFamily.h"
#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteNetMon(const TracePlan& plan) {
  const bool version2 = plan.kind == 9;
  std::vector<uint8_t> out(128, 0);
  std::memcpy(out.data(), version2 ? "GMBU" : "RTSS", 4);
  out[4] = version2 ? 0 : 1;  // minor version
  out[5] = version2 ? 2 : 1;  // major version
  out[6] = plan.topology == kEthernet ? 1 : plan.topology == kTokenRing ? 2 : 3;

  std::time_t t = static_cast<std::time_t>(plan.startUnixSeconds);
  std::tm start{};
  localtime_r(&t, &start);
  const uint32_t startMs = plan.startMicroseconds / 1000;
  const uint16_t fields[8] = {static_cast<uint16_t>(start.tm_year + 1900), static_cast<uint16_t>(start.tm_mon + 1),
                              static_cast<uint16_t>(start.tm_wday),        static_cast<uint16_t>(start.tm_mday),
                              static_cast<uint16_t>(start.tm_hour),        static_cast<uint16_t>(start.tm_min),
                              static_cast<uint16_t>(start.tm_sec),         static_cast<uint16_t>(startMs)};
  for (size_t i = 0; i < 8; ++i) SetLe16(out, 8 + 2 * i, fields[i]);

  if (!plan.comment.empty()) {
    SetLe32(out, 40, static_cast<uint32_t>(out.size()));
    SetLe32(out, 44, static_cast<uint32_t>(plan.comment.size()));
    out.insert(out.end(), plan.comment.begin(), plan.comment.end());
  }

  // Frame times count from the start's whole millisecond.
  const double subMs = plan.startMicroseconds % 1000;
  std::vector<uint32_t> offsets;
  for (const TestFrame& frame : plan.frames) {
    offsets.push_back(static_cast<uint32_t>(out.size()));
    const uint32_t wire = WireLength(frame);
    const double micros = subMs + frame.offsetUs;
    if (version2) {
      const auto us = static_cast<uint64_t>(std::llround(micros));
      PutLe32(out, static_cast<uint32_t>(us));
      PutLe32(out, static_cast<uint32_t>(us >> 32));
      PutLe32(out, wire);
      PutLe32(out, static_cast<uint32_t>(frame.bytes.size()));
    } else {
      PutLe32(out, static_cast<uint32_t>(std::llround(micros / 1000)));
      PutLe16(out, static_cast<uint16_t>(wire));
      PutLe16(out, static_cast<uint16_t>(frame.bytes.size()));
    }
    out.insert(out.end(), frame.bytes.begin(), frame.bytes.end());
  }
  SetLe32(out, 24, static_cast<uint32_t>(out.size()));
  SetLe32(out, 28, static_cast<uint32_t>(offsets.size() * 4));
  for (uint32_t offset : offsets) PutLe32(out, offset);
  return out;
}

}  // namespace corvanta::testing

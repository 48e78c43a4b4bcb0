// Novell LANalyzer files: ten header records (summary with the local start and the board
// code, cyclic information) and one 0x1005 record per frame. Wire lengths count the check
// sequence, which is not stored.
#include <cmath>
#include <string>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

namespace {

void PutRecord(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& body) {
  PutLe16(out, type);
  PutLe16(out, static_cast<uint16_t>(body.size()));
  out.insert(out.end(), body.begin(), body.end());
}

std::vector<uint8_t> Named(const std::string& text, size_t size) {
  std::vector<uint8_t> body(text.begin(), text.end());
  body.resize(size, 0);
  return body;
}

}  // namespace

std::vector<uint8_t> WriteLanalyzer(const TracePlan& plan) {
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out;
  std::vector<uint8_t> first{1, 5};
  const std::string title = "Trace Display Trace File";
  first.insert(first.end(), title.begin(), title.end());
  first.resize(76, 0);
  PutRecord(out, 0x1001, first);
  PutRecord(out, 0x1006, Named("Channel1", 128));
  PutRecord(out, 0x100b, Named("Trans1", 54));
  PutRecord(out, 0x1035, std::vector<uint8_t>(144, 0));
  PutRecord(out, 0x1036, std::vector<uint8_t>(54, 0));
  PutRecord(out, 0x100a, std::vector<uint8_t>(266, 0));

  // The summary holds the start in local time.
  const DateTimeFields local = DecodeDateTime(UnixToLocalDateTime(plan.startUnixSeconds));
  std::vector<uint8_t> summary(210, 0);
  summary[0] = static_cast<uint8_t>(local.day);
  summary[1] = static_cast<uint8_t>(local.month);
  SetLe16(summary, 2, static_cast<uint16_t>(local.year));
  summary[8] = static_cast<uint8_t>(local.second);
  summary[9] = static_cast<uint8_t>(local.minute);
  summary[10] = static_cast<uint8_t>(local.hour);
  SetLe32(summary, 24, static_cast<uint32_t>(plan.frames.size()));
  SetLe16(summary, 188, ethernet ? 226 : 227);
  PutRecord(out, 0x1002, summary);
  PutRecord(out, 0x1003, std::vector<uint8_t>(6, 0));
  PutRecord(out, 0x1009, std::vector<uint8_t>(26, 0));
  PutRecord(out, 0x1004, std::vector<uint8_t>(2014, 0));

  for (const TestFrame& frame : plan.frames) {
    const uint32_t fcs = ethernet ? 4 : 0;
    const uint32_t wire = (frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size())) + fcs;
    std::vector<uint8_t> body(32, 0);
    uint16_t errors = 0;
    if (frame.status & (kStatusCrcError | kStatusAlignmentError)) errors |= 1;
    SetLe16(body, 2, errors);
    SetLe16(body, 4, static_cast<uint16_t>(wire));
    SetLe16(body, 6, static_cast<uint16_t>(frame.bytes.size()));
    // Half-microsecond units since the start, low, middle and high 16 bits.
    const auto ticks = static_cast<uint64_t>(std::llround((plan.startMicroseconds + frame.offsetUs) * 2));
    SetLe16(body, 8, static_cast<uint16_t>(ticks));
    SetLe16(body, 10, static_cast<uint16_t>(ticks >> 16));
    SetLe16(body, 12, static_cast<uint16_t>(ticks >> 32));
    body.insert(body.end(), frame.bytes.begin(), frame.bytes.end());
    PutRecord(out, 0x1005, body);
  }
  return out;
}

}  // namespace corvanta::testing

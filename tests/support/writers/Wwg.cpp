// WWG files: the DA-30 ("EXRS", chained records with the check sequence stored) and the
// Domino and LinkView PRO ("WINC", 8-byte chunks and a frame index). LinkView PRO Ethernet
// files use network code 739 with sub-code 4 and store frames without the check sequence.
#include <cmath>

#include "trace/FrameRecord.h"
#include "trace/TimeUtil.h"
#include "writers/Writers.h"

namespace corvanta::testing {

namespace {

constexpr size_t kHeaderSize = 78;

// The check sequence as the analyzer stored it; inverted for a frame marked with a CRC error.
void AppendFcs(std::vector<uint8_t>& bytes, uint16_t status) {
  uint32_t crc = EthernetCrc(bytes);
  if (status & kStatusCrcError) crc = ~crc;
  PutLe32(bytes, crc);
}

DateTimeFields LocalStart(const TracePlan& plan) { return DecodeDateTime(UnixToLocalDateTime(plan.startUnixSeconds)); }

std::vector<uint8_t> WriteDa30(const TracePlan& plan) {
  const bool ethernet = plan.topology == kEthernet;
  const size_t mediaSize = ethernet ? 152 : 112;
  std::vector<uint8_t> out(kHeaderSize, 0);
  out[0] = 'E', out[1] = 'X', out[2] = 'R', out[3] = 'S';
  SetLe32(out, 22, kHeaderSize);
  SetLe32(out, 30, static_cast<uint32_t>(kHeaderSize + 16 + mediaSize));
  std::vector<uint8_t> block(16 + mediaSize, 0);
  SetLe32(block, 4, ethernet ? 40 : 30);
  out.insert(out.end(), block.begin(), block.end());

  const DateTimeFields local = LocalStart(plan);
  const double midnightOffsetUs = (local.hour * 3600.0 + local.minute * 60 + local.second) * 1e6;
  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    if (ethernet) AppendFcs(bytes, frame.status);
    std::vector<uint8_t> record(8 + 28, 0);
    if (ethernet && (frame.status & kStatusCrcError)) SetLe32(record, 8 + 8, 0x08);
    const double us = midnightOffsetUs + plan.startMicroseconds + frame.offsetUs;
    SetLe32(record, 8 + 16, static_cast<uint32_t>(std::llround(us / 32)));
    SetLe32(record, 8 + 24, static_cast<uint32_t>(bytes.size()));
    record.insert(record.end(), bytes.begin(), bytes.end());
    record.resize((record.size() + 3) & ~size_t{3}, 0);
    SetLe32(record, 4, static_cast<uint32_t>(record.size() / 4));
    out.insert(out.end(), record.begin(), record.end());
  }
  out.resize(out.size() + 8, 0);  // a record of length 0 ends the data
  return out;
}

std::vector<uint8_t> WriteDomino(const TracePlan& plan) {
  const bool linkView = plan.kind == 23;
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out(kHeaderSize, 0);
  out[0] = 'W', out[1] = 'I', out[2] = 'N', out[3] = 'C';
  const size_t textAt = linkView ? 5 : 4;
  for (size_t i = 0; i < plan.comment.size() && i < (linkView ? 39u : 40u); ++i)
    out[textAt + i] = static_cast<uint8_t>(plan.comment[i]);
  SetLe32(out, 54, static_cast<uint32_t>(plan.startUnixSeconds));
  const DateTimeFields local = LocalStart(plan);
  out[58] = static_cast<uint8_t>(local.hour);
  out[59] = static_cast<uint8_t>(local.minute);
  out[60] = static_cast<uint8_t>(local.second);
  uint16_t code = 739, subCode = ethernet ? 4 : 6;
  if (!linkView) code = ethernet ? (plan.bandwidth == 100000000 ? 880 : 358) : 363, subCode = 0;
  SetLe16(out, 62, code);
  SetLe16(out, 64, subCode);
  if (linkView) {
    const char* product = "LinkView PRO";
    for (size_t i = 0; i < 12; ++i) out[66 + i] = static_cast<uint8_t>(product[i]);
  }

  const auto chunk = [&out](const char* tag, uint32_t value) {
    out.insert(out.end(), tag, tag + 4);
    PutLe32(out, value);
  };
  chunk("VERS", 1);
  const size_t pointerAt = out.size() + 16;
  chunk("FRAM", static_cast<uint32_t>(pointerAt));
  chunk("STOP", 0);
  PutLe32(out, 0);  // the index pointer, set below

  std::vector<uint8_t> index;
  PutLe32(index, static_cast<uint32_t>(plan.frames.size()));
  for (const TestFrame& frame : plan.frames) {
    std::vector<uint8_t> bytes = frame.bytes;
    const uint32_t wire = frame.wireLength ? frame.wireLength : static_cast<uint32_t>(bytes.size());
    const bool sliced = wire != bytes.size();
    // Domino stores the check sequence of whole Ethernet frames; LinkView PRO does not.
    if (ethernet && !linkView && !sliced) AppendFcs(bytes, frame.status);
    std::vector<uint8_t> entry(20, 0);
    SetLe32(entry, 0, static_cast<uint32_t>(out.size()));
    SetLe16(entry, 4, static_cast<uint16_t>(bytes.size()));
    SetLe16(entry, 6, static_cast<uint16_t>(sliced ? wire + (ethernet ? 4 : 0) : 0));
    SetLe32(entry, 12, static_cast<uint32_t>(std::llround((plan.startMicroseconds + frame.offsetUs) / 32)));
    SetLe32(entry, 16, (frame.status & kStatusCrcError) ? 0 : 0x08);
    index.insert(index.end(), entry.begin(), entry.end());
    out.insert(out.end(), bytes.begin(), bytes.end());
  }
  SetLe32(out, pointerAt, static_cast<uint32_t>(out.size()));
  out.insert(out.end(), index.begin(), index.end());
  return out;
}

}  // namespace

std::vector<uint8_t> WriteWwg(const TracePlan& plan) { return plan.kind == 21 ? WriteDa30(plan) : WriteDomino(plan); }

}  // namespace corvanta::testing

#include "TraceWriter.h"

#include <fstream>

#include <zlib.h>

#include "writers/Writers.h"

namespace corvanta::testing {

std::vector<uint8_t> WriteTrace(const TracePlan& plan) {
  switch (plan.kind) {
    case 0: return WriteEtherPeek(plan);
    case 2: return WriteDigitech(plan);
    case 5: return WriteHp(plan);
    case 6: return WriteIbm(plan);
    case 8:
    case 9: return WriteNetMon(plan);
    case 10: return WriteNetXRay(plan);
    case 11: return WriteSnifferDos(plan);
    case 12: return WriteObserver(plan);
    case 13: return WriteLanalyzer(plan);
    case 14: return WriteLanWatch(plan);
    case 15:
    case 16: return WriteSnoop(plan);
    case 18:
    case 20: return WriteTtc(plan);
    case 21:
    case 22:
    case 23: return WriteWwg(plan);
    case 17: return WritePcap(plan);
    case 25: return WritePcapNg(plan);
    default: return {};
  }
}

bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

void PutLe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
  PutLe16(out, static_cast<uint16_t>(v));
  PutLe16(out, static_cast<uint16_t>(v >> 16));
}
void PutBe16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}
void PutBe32(std::vector<uint8_t>& out, uint32_t v) {
  PutBe16(out, static_cast<uint16_t>(v >> 16));
  PutBe16(out, static_cast<uint16_t>(v));
}
void SetLe16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  if (out.size() < at + 2) out.resize(at + 2);
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void SetLe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  SetLe16(out, at, static_cast<uint16_t>(v));
  SetLe16(out, at + 2, static_cast<uint16_t>(v >> 16));
}
void SetBe16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  if (out.size() < at + 2) out.resize(at + 2);
  out[at] = static_cast<uint8_t>(v >> 8);
  out[at + 1] = static_cast<uint8_t>(v);
}
void SetBe32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  SetBe16(out, at, static_cast<uint16_t>(v >> 16));
  SetBe16(out, at + 2, static_cast<uint16_t>(v));
}
uint32_t EthernetCrc(const std::vector<uint8_t>& bytes) {
  return static_cast<uint32_t>(::crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
}

}  // namespace corvanta::testing

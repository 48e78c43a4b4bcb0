// libpcap and pcapng files, written as their published layouts describe. Frames are stored
// as captured, without the Ethernet check sequence.
#include <cmath>

#include "writers/PcapWriter.h"

namespace corvanta::testing {

namespace {

uint32_t LinkTypeOf(const TracePlan& plan, uint32_t linkType) {
  if (linkType != 0) return linkType;
  if (plan.topology == kEthernet) return 1;
  return plan.topology == kTokenRing ? 6 : 10;
}

uint32_t Swap(uint32_t v) { return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24); }

// Seconds and the fraction (in units of 1/perSecond) of a frame's time.
void FrameTime(const TracePlan& plan, const TestFrame& frame, double perSecond, uint64_t& seconds, uint64_t& fraction) {
  const double us = static_cast<double>(plan.startMicroseconds) + frame.offsetUs;
  const double whole = std::floor(us / 1e6);
  seconds = static_cast<uint64_t>(plan.startUnixSeconds + static_cast<int64_t>(whole));
  fraction = static_cast<uint64_t>(std::llround((us - whole * 1e6) * perSecond / 1e6));
}

void PadTo4(std::vector<uint8_t>& out) {
  while (out.size() % 4) out.push_back(0);
}

}  // namespace

std::vector<uint8_t> WritePcap(const TracePlan& plan, const PcapOptions& options) {
  std::vector<uint8_t> out;
  auto put32 = [&](uint32_t v) { PutLe32(out, options.swapped ? Swap(v) : v); };
  auto put16 = [&](uint16_t v) {
    if (options.swapped)
      PutBe16(out, v);
    else
      PutLe16(out, v);
  };
  put32(options.nanoseconds ? 0xA1B23C4D : 0xA1B2C3D4);
  put16(2);
  put16(4);
  put32(0);  // time zone
  put32(0);  // accuracy
  put32(options.snapLength);
  put32(LinkTypeOf(plan, options.linkType));
  for (const TestFrame& frame : plan.frames) {
    uint64_t seconds = 0, fraction = 0;
    FrameTime(plan, frame, options.nanoseconds ? 1e9 : 1e6, seconds, fraction);
    put32(static_cast<uint32_t>(seconds));
    put32(static_cast<uint32_t>(fraction));
    put32(static_cast<uint32_t>(frame.bytes.size()));
    put32(frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size()));
    out.insert(out.end(), frame.bytes.begin(), frame.bytes.end());
  }
  return out;
}

std::vector<uint8_t> WritePcap(const TracePlan& plan) { return WritePcap(plan, PcapOptions{}); }

std::vector<uint8_t> WritePcapNg(const TracePlan& plan, uint32_t linkType, uint32_t secondLinkType) {
  std::vector<uint8_t> out;
  auto block = [&out](uint32_t type, const std::vector<uint8_t>& body) {
    const uint32_t total = static_cast<uint32_t>(12 + body.size());
    PutLe32(out, type);
    PutLe32(out, total);
    out.insert(out.end(), body.begin(), body.end());
    PutLe32(out, total);
  };
  std::vector<uint8_t> shb;
  PutLe32(shb, 0x1A2B3C4D);
  PutLe16(shb, 1);
  PutLe16(shb, 0);
  PutLe32(shb, 0xFFFFFFFF);  // section length unknown
  PutLe32(shb, 0xFFFFFFFF);
  block(0x0A0D0D0A, shb);
  auto interface = [&block](uint32_t link) {
    std::vector<uint8_t> idb;
    PutLe16(idb, static_cast<uint16_t>(link));
    PutLe16(idb, 0);
    PutLe32(idb, 0);  // no snapshot length
    block(1, idb);
  };
  interface(LinkTypeOf(plan, linkType));
  if (secondLinkType) interface(secondLinkType);
  for (size_t i = 0; i < plan.frames.size(); ++i) {
    const TestFrame& frame = plan.frames[i];
    uint64_t seconds = 0, fraction = 0;
    FrameTime(plan, frame, 1e6, seconds, fraction);
    const uint64_t ts = seconds * 1000000 + fraction;  // the default resolution: microseconds
    std::vector<uint8_t> epb;
    PutLe32(epb, secondLinkType && i % 2 ? 1 : 0);
    PutLe32(epb, static_cast<uint32_t>(ts >> 32));
    PutLe32(epb, static_cast<uint32_t>(ts));
    PutLe32(epb, static_cast<uint32_t>(frame.bytes.size()));
    PutLe32(epb, frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size()));
    epb.insert(epb.end(), frame.bytes.begin(), frame.bytes.end());
    PadTo4(epb);
    block(6, epb);
  }
  return out;
}

std::vector<uint8_t> WritePcapNg(const TracePlan& plan) { return WritePcapNg(plan, 0); }

}  // namespace corvanta::testing

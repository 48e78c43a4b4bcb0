#include "writers/SnifferFamily.h"

#include "trace/FrameRecord.h"

namespace corvanta::testing {

TestFrame PatternFrame(size_t size, double offsetUs, uint8_t seed) {
  TestFrame f;
  f.bytes.resize(size);
  for (size_t i = 0; i < size; ++i) f.bytes[i] = static_cast<uint8_t>(seed * 11 + i * 3);
  f.offsetUs = offsetUs;
  return f;
}

TracePlan MakePlan(AnalyzerKind kind, std::vector<TestFrame> frames, Topology topology, int64_t startUnixSeconds,
                   uint32_t startMicroseconds) {
  TracePlan plan;
  plan.kind = kind;
  plan.topology = topology;
  plan.startUnixSeconds = startUnixSeconds;
  plan.startMicroseconds = startMicroseconds;
  plan.frames = std::move(frames);
  return plan;
}

TraceInfo InfoOf(const TracePlan& plan) {
  TraceInfo info;
  info.kind = plan.kind;
  info.topology = plan.topology;
  return info;
}

uint32_t WireLength(const TestFrame& frame) {
  return frame.wireLength ? frame.wireLength : static_cast<uint32_t>(frame.bytes.size());
}

StoredFrame StoreWithFcs(const TestFrame& frame) {
  StoredFrame stored{frame.bytes, WireLength(frame) + 4};
  if (frame.bytes.size() + 4 == stored.wire) {
    uint32_t crc = EthernetCrc(frame.bytes);
    PutLe32(stored.data, frame.status & kStatusCrcError ? ~crc : crc);
  }
  return stored;
}

std::vector<uint8_t> WithSynthesizedFcs(const std::vector<uint8_t>& bytes, bool crcError) {
  std::vector<uint8_t> out = bytes;
  PutLe32(out, bytes.size() >= 60 && !crcError ? EthernetCrc(bytes) : 0);
  return out;
}

std::vector<uint8_t> WithStoredFcs(const std::vector<uint8_t>& bytes, bool crcError) {
  TestFrame frame{bytes, 0, 0, crcError ? kStatusCrcError : uint16_t{0}};
  return StoreWithFcs(frame).data;
}

}  // namespace corvanta::testing

#pragma once
// Helpers shared by the writers and reader tests of the Sniffer family, NetMon, EtherPeek
// and Observer formats.
#include <cstdint>
#include <vector>

#include "TraceWriter.h"
#include "trace/TraceInfo.h"

namespace corvanta::testing {

// A frame of size patterned bytes, offsetUs after the start; seed varies the pattern.
TestFrame PatternFrame(size_t size, double offsetUs, uint8_t seed = 1);

// A trace of kind with frames, started at startUnixSeconds and startMicroseconds.
TracePlan MakePlan(AnalyzerKind kind, std::vector<TestFrame> frames, Topology topology, int64_t startUnixSeconds,
                   uint32_t startMicroseconds = 0);

// What detection and the header read would tell a reader about plan.
TraceInfo InfoOf(const TracePlan& plan);

uint32_t WireLength(const TestFrame& frame);

// A frame as formats that store the Ethernet check sequence hold it: a whole frame gains
// its CRC-32 (complemented for a CRC error); the wire length counts the 4 bytes either way.
struct StoredFrame {
  std::vector<uint8_t> data;
  uint32_t wire = 0;
};
StoredFrame StoreWithFcs(const TestFrame& frame);

// bytes followed by the check sequence a reader synthesises: their CRC-32, or 0 below 60
// bytes or for a CRC error.
std::vector<uint8_t> WithSynthesizedFcs(const std::vector<uint8_t>& bytes, bool crcError = false);
// bytes followed by the check sequence a writer stores (complemented for a CRC error).
std::vector<uint8_t> WithStoredFcs(const std::vector<uint8_t>& bytes, bool crcError = false);

}  // namespace corvanta::testing

#pragma once
// Writes traces of every analyzer format from a list of frames, for tests, the demo trace
// and the benchmarks. Writers follow the published layouts of each format and share no
// code with the readers.
#include <cstdint>
#include <string>
#include <vector>

#include "trace/AnalyzerKind.h"

namespace corvanta::testing {

struct TestFrame {
  // Data-link bytes as captured, without the Ethernet check sequence; writers of formats
  // that store a check sequence append one.
  std::vector<uint8_t> bytes;
  // Length on the wire without the check sequence; 0 means bytes.size().
  uint32_t wireLength = 0;
  // Microseconds after the trace's start.
  double offsetUs = 0;
  // kStatusCrcError / kStatusAlignmentError bits.
  uint16_t status = 0;
};

struct TracePlan {
  AnalyzerKind kind = 10;
  Topology topology = kEthernet;
  uint32_t bandwidth = 0;            // bit/s; 0 lets the writer use the format's default
  int64_t startUnixSeconds = 946728000;  // 2000-01-01 12:00:00 UTC
  uint32_t startMicroseconds = 0;
  std::string comment;
  std::vector<TestFrame> frames;
};

// The file image of a trace in the format of plan.kind; empty when no writer exists.
std::vector<uint8_t> WriteTrace(const TracePlan& plan);

// Writes bytes to path (creating or replacing it); false on failure.
bool SaveFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Little helpers for writers.
void PutLe16(std::vector<uint8_t>& out, uint16_t v);
void PutLe32(std::vector<uint8_t>& out, uint32_t v);
void PutBe16(std::vector<uint8_t>& out, uint16_t v);
void PutBe32(std::vector<uint8_t>& out, uint32_t v);
void SetLe16(std::vector<uint8_t>& out, size_t at, uint16_t v);
void SetLe32(std::vector<uint8_t>& out, size_t at, uint32_t v);
void SetBe16(std::vector<uint8_t>& out, size_t at, uint16_t v);
void SetBe32(std::vector<uint8_t>& out, size_t at, uint32_t v);
// The IEEE 802.3 check sequence of bytes, least significant byte first.
uint32_t EthernetCrc(const std::vector<uint8_t>& bytes);

}  // namespace corvanta::testing

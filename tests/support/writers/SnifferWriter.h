#pragma once
// Options of the Sniffer family writers, for tests that need layouts other than the default.
#include <cstdint>
#include <string>
#include <vector>

#include "TraceWriter.h"
#include "writers/Writers.h"

namespace corvanta::testing {

struct NetXRayOptions {
  std::string version = "002.001";  // seven characters; "002.000" and above: version-2 records
  uint32_t timeUnit = 0;            // 2: ticks of 1.193181666 MHz; any other value: microseconds
  int fcsFlag = -1;                 // value at 68; -1: 1 for Ethernet (frames stored without FCS), else 0
  int64_t endOffset = -1;           // value at 20 and 28; -1: the end of the frame records
  int64_t frameCount = -1;          // value at 16; -1: the number of frames
  size_t wrapSplit = 0;             // > 0: a wrapped buffer whose first wrapSplit frames lie after the rest
  uint64_t rawStart = 5000000;      // raw time of the capture start, in the time unit
};
std::vector<uint8_t> WriteNetXRay(const TracePlan& plan, const NetXRayOptions& options);

struct SnifferCompressionStats {
  int literals = 0;
  int shortRuns = 0;    // command below 16
  int longRuns = 0;     // 16..31
  int longCopies = 0;   // 32..47
  int shortCopies = 0;  // 48 and above
  int storedBlocks = 0;
  int compressedBlocks = 0;
};

struct SnifferDosOptions {
  uint8_t timeUnit = 5;     // 1..5; 0 leaves the unit to the reader's default
  uint16_t frameType = 4;   // 4, 5 or 12
  bool speedRecord = true;  // a type-7 record with plan.bandwidth
  bool endRecord = true;    // a type-3 record after the frames
  bool compressed = false;
  bool storedBlocks = false;                 // compressed: every block stored as it is
  size_t blockSize = 16384;                  // plain bytes per block (at most 0x7FFF)
  SnifferCompressionStats* stats = nullptr;  // compressed: counts of what the compressor wrote
};
std::vector<uint8_t> WriteSnifferDos(const TracePlan& plan, const SnifferDosOptions& options);

// Compresses a plain record stream into Sniffer blocks of at most blockSize plain bytes.
// A block that does not shrink, or every block when stored is set, is written stored.
std::vector<uint8_t> CompressSnifferBlocks(const std::vector<uint8_t>& plain, size_t blockSize, bool stored,
                                           SnifferCompressionStats* stats = nullptr);

}  // namespace corvanta::testing

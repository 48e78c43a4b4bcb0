#pragma once
#include <cstdint>
#include <string>

#include "trace/AnalyzerKind.h"

namespace corvanta {

// What detection and the header read learned about a trace file.
struct TraceInfo {
  std::string path;
  AnalyzerKind kind = kNotATrace;
  Topology topology = kUnknownTopology;
  uint32_t bandwidth = 0;        // bit/s
  uint64_t fileSize = 0;         // TraceFileSize
  bool pcapSwapped = false;
  bool pcapModified = false;
  bool snifferCompressed = false;
  std::string comment;           // TraceComment, at most 300 bytes
};

}  // namespace corvanta

#pragma once
#include <cstdint>
#include <string>

#include "trace/AnalyzerKind.h"

namespace corvanta {

// What detection and the header read learned about a trace file.
struct TraceInfo {
  std::string path{};
  AnalyzerKind kind = kNotATrace;
  Topology topology = kUnknownTopology;
  uint32_t bandwidth = 0;        // bit/s
  int32_t bandwidthMbps = 10;    // bandwidth / 1,000,000 once the header is read
  uint64_t fileSize = 0;         // TraceFileSize
  bool pcapSwapped = false;
  bool pcapModified = false;
  bool snifferCompressed = false;
  // The user reads libpcap and pcapng files (an option): their header is read with libpcap.
  bool readPcap = false;
  std::string comment{};         // TraceComment, at most 300 bytes
};

}  // namespace corvanta

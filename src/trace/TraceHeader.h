#pragma once
#include <cstdint>
#include <string>

#include "trace/AnalyzerKind.h"
#include "trace/ProcessTrace.h"
#include "trace/TraceInfo.h"

namespace corvanta {

inline constexpr size_t kMaxTraceComment = 300;

// What a trace's header says about its medium.
struct HeaderResult {
  Topology topology = kUnknownTopology;
  uint32_t bandwidth = 0;  // bit/s; the medium's default when the header gives none
  bool readError = false;
  bool noFrames = false;  // a trace whose first frame had to be read holds none
  std::string comment;    // TraceComment, at most 300 bytes
};

// Reads the header of a detected trace (info.kind, info.path and info.pcapSwapped are used).
// Kinds whose medium is told by their first frame run a pre-scan pass with the reader that
// readerFactory makes (empty: the built-in readers).
HeaderResult ReadTraceHeader(const TraceInfo& info, const ReaderFactory& readerFactory = {});

// Default bandwidth of a medium: 10 Mbit/s Ethernet, 16 Mbit/s Token Ring, 100 Mbit/s for
// topology 3; 0 for the others.
uint32_t DefaultBandwidth(Topology topology);

}  // namespace corvanta

#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "trace/AnalyzerKind.h"

namespace corvanta {

// Display names of the analyzer kinds 0..25; kind 26 has none.
inline constexpr size_t kAnalyzerNameCount = 26;
extern const std::array<std::string_view, kAnalyzerNameCount> AnalyzerNames;

// Kinds whose Ethernet and Token Ring traces are read (bit n = kind n).
inline constexpr uint32_t kSupportedAnalyzerMask = 0xF5FF65;
inline constexpr bool IsSupportedAnalyzer(AnalyzerKind kind) {
  return kind < 24 && (kSupportedAnalyzerMask >> kind & 1u) != 0;
}
// The libpcap and pcapng kinds, read only when the user asks for them (the "(modified)"
// libpcap variant never: libpcap cannot read it).
inline constexpr bool IsPcapAnalyzer(AnalyzerKind kind, bool pcapModified) {
  return (kind == kAnalyzerTcpdump && !pcapModified) || kind == kAnalyzerPcapNg;
}
// The supported kinds in ascending order.
extern const std::array<AnalyzerKind, 18> SupportedAnalyzers;

// What the recognition step learned about a file.
struct Detection {
  AnalyzerKind kind = kNotATrace;
  bool cannotOpen = false;
  bool tooSmall = false;
  uint64_t fileSize = 0;  // TraceFileSize
  bool pcapSwapped = false;
  bool pcapModified = false;
  bool pcapNanoseconds = false;  // a libpcap file with nanosecond times
  bool snifferCompressed = false;
};

// Recognises the analyzer that wrote a file from its first 200 bytes, its size and its name.
// Only reads the file.
Detection DetectAnalyzer(const std::string& path);

// The analyzer's name as shown on screen; empty for kinds without a name.
std::string AnalyzerDisplayName(AnalyzerKind kind, Topology topology, bool pcapModified);

// Default file extension, with its dot, for a kind and topology.
std::string DefaultTraceExtension(AnalyzerKind kind, Topology topology);

// Upper-cases ASCII letters; names are compared that way.
std::string UpperAscii(std::string_view text);

}  // namespace corvanta

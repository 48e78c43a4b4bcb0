#pragma once
#include <cstdint>

namespace corvanta {

// The analyzer that wrote a trace: an index into the name table; 26 means "not a trace".
using AnalyzerKind = uint8_t;

// The kinds of the name table.
enum AnalyzerKindName : AnalyzerKind {
  kAnalyzerEtherPeek = 0,
  kAnalyzerAgilent = 1,
  kAnalyzerDigitech = 2,
  kAnalyzerFluke = 3,
  kAnalyzerHpAdvisor = 4,
  kAnalyzerHpAdvisorDos = 5,  // before Windows 95
  kAnalyzerIbm = 6,
  kAnalyzerIntel = 7,
  kAnalyzerNetMon1 = 8,
  kAnalyzerNetMon2 = 9,
  kAnalyzerNetXRay = 10,
  kAnalyzerSnifferDos = 11,
  kAnalyzerObserver = 12,
  kAnalyzerLanalyzer = 13,
  kAnalyzerLanWatch = 14,
  kAnalyzerSnoop = 15,
  kAnalyzerShomiti = 16,
  kAnalyzerTcpdump = 17,  // libpcap
  kAnalyzerFireBerd = 18,
  kAnalyzerFireBerdPc = 19,
  kAnalyzerNetLens = 20,
  kAnalyzerDa30 = 21,
  kAnalyzerDomino = 22,
  kAnalyzerLinkView = 23,
  kAnalyzerAsciiText = 24,
  kAnalyzerPcapNg = 25,
};
inline constexpr AnalyzerKind kNotATrace = 26;

// Medium of a trace: 0 Ethernet, 1 Token Ring, 2..18 other media (never analysed), 19 unknown.
using Topology = uint8_t;
inline constexpr Topology kEthernet = 0;
inline constexpr Topology kTokenRing = 1;
inline constexpr Topology kUnknownTopology = 19;

}  // namespace corvanta

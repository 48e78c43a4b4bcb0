#pragma once
#include <cstdint>

namespace corvanta {

// The analyzer that wrote a trace; 26 means "not a trace".
using AnalyzerKind = uint8_t;
inline constexpr AnalyzerKind kNotATrace = 26;

// Medium of a trace: 0 Ethernet, 1 Token Ring, 2..18 other media (never analysed), 19 unknown.
using Topology = uint8_t;
inline constexpr Topology kEthernet = 0;
inline constexpr Topology kTokenRing = 1;
inline constexpr Topology kUnknownTopology = 19;

}  // namespace corvanta

#pragma once
#include <string>

#include "trace/AnalyzerKind.h"

namespace corvanta {

// The medium of a libpcap or pcapng file, told by its (first interface's) link type:
// Ethernet (1) or Token Ring (6); any other link type, and a file libpcap cannot open,
// gives the unknown topology.
Topology PcapTopology(const std::string& path);

}  // namespace corvanta

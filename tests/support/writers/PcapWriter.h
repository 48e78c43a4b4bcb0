#pragma once
#include "TraceWriter.h"
#include "writers/Writers.h"

namespace corvanta::testing {

struct PcapOptions {
  bool swapped = false;      // libpcap: the other byte order
  bool nanoseconds = false;  // libpcap: times in nanoseconds (magic 0xA1B23C4D)
  uint32_t linkType = 0;     // 0: from the topology (Ethernet 1, Token Ring 6, other 10)
  uint32_t snapLength = 65535;
};
std::vector<uint8_t> WritePcap(const TracePlan& plan, const PcapOptions& options);
// pcapng: a section header, one interface of linkType, one enhanced packet block per frame;
// with secondLinkType a second interface of that link type, whose packets alternate with the
// first interface's.
std::vector<uint8_t> WritePcapNg(const TracePlan& plan, uint32_t linkType, uint32_t secondLinkType = 0);

}  // namespace corvanta::testing

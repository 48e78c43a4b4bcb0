#pragma once
#include "TraceWriter.h"
#include "writers/Writers.h"

namespace corvanta::testing {

struct EtherPeekOptions {
  uint8_t version = 7;  // 6 or 7
};
// Frames are stored with their check sequence (a wrong one for a CRC error). Version-6
// times are 32-bit milliseconds, too short for a date: they hold the time of day.
std::vector<uint8_t> WriteEtherPeek(const TracePlan& plan, const EtherPeekOptions& options);

}  // namespace corvanta::testing

#pragma once
#include "TraceWriter.h"
#include "writers/Writers.h"

namespace corvanta::testing {

struct ObserverOptions {
  char version = '9';  // the character after "=" in the header text
};
// Ethernet frames carry their check sequence from version 6 on (a wrong one for a CRC
// error), and none before.
std::vector<uint8_t> WriteObserver(const TracePlan& plan, const ObserverOptions& options);

// Layout offsets tests patch.
inline constexpr size_t kObserverFirstRecord = 113;
inline constexpr size_t kObserverRecordHeader = 44;

}  // namespace corvanta::testing

#include "writers/Writers.h"

namespace corvanta::testing {

// Not written yet.
std::vector<uint8_t> WriteLanalyzer(const TraceSpec&) { return {}; }

}  // namespace corvanta::testing

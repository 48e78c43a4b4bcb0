#include "writers/Writers.h"

namespace corvanta::testing {

// Not written yet.
std::vector<uint8_t> WriteEtherPeek(const TraceSpec&) { return {}; }

}  // namespace corvanta::testing

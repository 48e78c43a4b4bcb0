#include "writers/Writers.h"

namespace corvanta::testing {

// Not written yet.
std::vector<uint8_t> WriteWwg(const TraceSpec&) { return {}; }

}  // namespace corvanta::testing

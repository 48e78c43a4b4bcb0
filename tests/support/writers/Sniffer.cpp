#include "writers/Writers.h"

namespace corvanta::testing {

// Not written yet.
std::vector<uint8_t> WriteNetXRay(const TraceSpec&) { return {}; }
std::vector<uint8_t> WriteSnifferDos(const TraceSpec&) { return {}; }

}  // namespace corvanta::testing

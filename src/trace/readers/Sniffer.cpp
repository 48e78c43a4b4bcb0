#include "trace/readers/ReaderFactories.h"

namespace corvanta {

// Not written yet.
std::unique_ptr<TraceReader> CreateNetXRayReader() { return nullptr; }
std::unique_ptr<TraceReader> CreateSnifferDosReader() { return nullptr; }

}  // namespace corvanta

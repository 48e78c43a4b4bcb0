#include "trace/readers/ReaderFactories.h"

namespace corvanta {

// Not written yet.
std::unique_ptr<TraceReader> CreateWwgReader() { return nullptr; }

}  // namespace corvanta

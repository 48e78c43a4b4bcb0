#include "trace/readers/ReaderFactories.h"

namespace corvanta {

// Not written yet.
std::unique_ptr<TraceReader> CreateSnoopReader() { return nullptr; }

}  // namespace corvanta

#include "trace/readers/ReaderFactories.h"

namespace corvanta {

// Not written yet.
std::unique_ptr<TraceReader> CreateLanWatchReader() { return nullptr; }

}  // namespace corvanta

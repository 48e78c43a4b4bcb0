#pragma once
#include <memory>

#include "trace/ReaderContext.h"

namespace corvanta {

// One factory per reader family; each is defined in its family's source file.
std::unique_ptr<TraceReader> CreateEtherPeekReader();    // 0
std::unique_ptr<TraceReader> CreateDigitechReader();     // 2
std::unique_ptr<TraceReader> CreateHpReader();           // 5
std::unique_ptr<TraceReader> CreateIbmReader();          // 6
std::unique_ptr<TraceReader> CreateNetMonReader();       // 8, 9
std::unique_ptr<TraceReader> CreateNetXRayReader();      // 10
std::unique_ptr<TraceReader> CreateSnifferDosReader();   // 11
std::unique_ptr<TraceReader> CreateObserverReader();     // 12
std::unique_ptr<TraceReader> CreateLanalyzerReader();    // 13
std::unique_ptr<TraceReader> CreateLanWatchReader();     // 14
std::unique_ptr<TraceReader> CreateSnoopReader();        // 15, 16
std::unique_ptr<TraceReader> CreateTtcReader();          // 18, 20
std::unique_ptr<TraceReader> CreateWwgReader();          // 21, 22, 23
std::unique_ptr<TraceReader> CreatePcapReader();         // 17, 25 (through libpcap)

// The reader for an analyzer kind, or null when the kind has none.
std::unique_ptr<TraceReader> CreateReader(AnalyzerKind kind);

}  // namespace corvanta

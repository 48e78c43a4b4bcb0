#include "trace/readers/ReaderFactories.h"

namespace corvanta {

std::unique_ptr<TraceReader> CreateReader(AnalyzerKind kind) {
  switch (kind) {
    case 0: return CreateEtherPeekReader();
    case 2: return CreateDigitechReader();
    case 5: return CreateHpReader();
    case 6: return CreateIbmReader();
    case 8:
    case 9: return CreateNetMonReader();
    case 10: return CreateNetXRayReader();
    case 11: return CreateSnifferDosReader();
    case 12: return CreateObserverReader();
    case 13: return CreateLanalyzerReader();
    case 14: return CreateLanWatchReader();
    case 15:
    case 16: return CreateSnoopReader();
    case 18:
    case 20: return CreateTtcReader();
    case 21:
    case 22:
    case 23: return CreateWwgReader();
    default: return nullptr;
  }
}

}  // namespace corvanta

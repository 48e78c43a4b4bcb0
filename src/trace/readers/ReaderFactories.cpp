#include "trace/readers/ReaderFactories.h"

namespace corvanta {

std::unique_ptr<TraceReader> CreateReader(AnalyzerKind kind) {
  switch (kind) {
    case kAnalyzerEtherPeek: return CreateEtherPeekReader();
    case kAnalyzerDigitech: return CreateDigitechReader();
    case kAnalyzerHpAdvisorDos: return CreateHpReader();
    case kAnalyzerIbm: return CreateIbmReader();
    case kAnalyzerNetMon1:
    case kAnalyzerNetMon2: return CreateNetMonReader();
    case kAnalyzerNetXRay: return CreateNetXRayReader();
    case kAnalyzerSnifferDos: return CreateSnifferDosReader();
    case kAnalyzerObserver: return CreateObserverReader();
    case kAnalyzerLanalyzer: return CreateLanalyzerReader();
    case kAnalyzerLanWatch: return CreateLanWatchReader();
    case kAnalyzerSnoop:
    case kAnalyzerShomiti: return CreateSnoopReader();
    case kAnalyzerFireBerd:
    case kAnalyzerNetLens: return CreateTtcReader();
    case kAnalyzerDa30:
    case kAnalyzerDomino:
    case kAnalyzerLinkView: return CreateWwgReader();
    case kAnalyzerTcpdump:
    case kAnalyzerPcapNg: return CreatePcapReader();
    default: return nullptr;
  }
}

}  // namespace corvanta

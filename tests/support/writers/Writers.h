#pragma once
#include "TraceWriter.h"

namespace corvanta::testing {

// One writer per format family, each defined in its own file; an empty result means the
// writer does not exist yet.
std::vector<uint8_t> WriteEtherPeek(const TraceSpec& spec);   // 0
std::vector<uint8_t> WriteDigitech(const TraceSpec& spec);    // 2
std::vector<uint8_t> WriteHp(const TraceSpec& spec);          // 5
std::vector<uint8_t> WriteIbm(const TraceSpec& spec);         // 6
std::vector<uint8_t> WriteNetMon(const TraceSpec& spec);      // 8, 9
std::vector<uint8_t> WriteNetXRay(const TraceSpec& spec);     // 10
std::vector<uint8_t> WriteSnifferDos(const TraceSpec& spec);  // 11
std::vector<uint8_t> WriteObserver(const TraceSpec& spec);    // 12
std::vector<uint8_t> WriteLanalyzer(const TraceSpec& spec);   // 13
std::vector<uint8_t> WriteLanWatch(const TraceSpec& spec);    // 14
std::vector<uint8_t> WriteSnoop(const TraceSpec& spec);       // 15, 16
std::vector<uint8_t> WriteTtc(const TraceSpec& spec);         // 18, 20
std::vector<uint8_t> WriteWwg(const TraceSpec& spec);         // 21, 22, 23

}  // namespace corvanta::testing

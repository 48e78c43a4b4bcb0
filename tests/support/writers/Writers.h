#pragma once
#include "TraceWriter.h"

namespace corvanta::testing {

// One writer per format family, each defined in its own file; an empty result means the
// writer does not exist yet.
std::vector<uint8_t> WriteEtherPeek(const TraceSpec& plan);   // 0
std::vector<uint8_t> WriteDigitech(const TraceSpec& plan);    // 2
std::vector<uint8_t> WriteHp(const TraceSpec& plan);          // 5
std::vector<uint8_t> WriteIbm(const TraceSpec& plan);         // 6
std::vector<uint8_t> WriteNetMon(const TraceSpec& plan);      // 8, 9
std::vector<uint8_t> WriteNetXRay(const TraceSpec& plan);     // 10
std::vector<uint8_t> WriteSnifferDos(const TraceSpec& plan);  // 11
std::vector<uint8_t> WriteObserver(const TraceSpec& plan);    // 12
std::vector<uint8_t> WriteLanalyzer(const TraceSpec& plan);   // 13
std::vector<uint8_t> WriteLanWatch(const TraceSpec& plan);    // 14
std::vector<uint8_t> WriteSnoop(const TraceSpec& plan);       // 15, 16
std::vector<uint8_t> WriteTtc(const TraceSpec& plan);         // 18, 20
std::vector<uint8_t> WriteWwg(const TraceSpec& plan);         // 21, 22, 23
std::vector<uint8_t> WritePcap(const TraceSpec& plan);        // 17
std::vector<uint8_t> WritePcapNg(const TraceSpec& plan);      // 25

}  // namespace corvanta::testing

#pragma once
#include "TraceWriter.h"

namespace corvanta::testing {

// One writer per format family, each defined in its own file; an empty result means the
// writer does not exist yet.
std::vector<uint8_t> WriteEtherPeek(const TracePlan& plan);   // 0
std::vector<uint8_t> WriteDigitech(const TracePlan& plan);    // 2
std::vector<uint8_t> WriteHp(const TracePlan& plan);          // 5
std::vector<uint8_t> WriteIbm(const TracePlan& plan);         // 6
std::vector<uint8_t> WriteNetMon(const TracePlan& plan);      // 8, 9
std::vector<uint8_t> WriteNetXRay(const TracePlan& plan);     // 10
std::vector<uint8_t> WriteSnifferDos(const TracePlan& plan);  // 11
std::vector<uint8_t> WriteObserver(const TracePlan& plan);    // 12
std::vector<uint8_t> WriteLanalyzer(const TracePlan& plan);   // 13
std::vector<uint8_t> WriteLanWatch(const TracePlan& plan);    // 14
std::vector<uint8_t> WriteSnoop(const TracePlan& plan);       // 15, 16
std::vector<uint8_t> WriteTtc(const TracePlan& plan);         // 18, 20
std::vector<uint8_t> WriteWwg(const TracePlan& plan);         // 21, 22, 23
std::vector<uint8_t> WritePcap(const TracePlan& plan);        // 17
std::vector<uint8_t> WritePcapNg(const TracePlan& plan);      // 25

}  // namespace corvanta::testing

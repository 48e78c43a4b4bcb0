#pragma once
// The problem analysis summary: the diagnostic counters of one direction as sentences.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Diagnostics.h"

namespace corvanta {

inline constexpr std::string_view kProblemAnalysisFailed = "Unable to perform problem analysis.";

// "1 DLC CRC error.", "3 ICMP messages.", "2 TCP low MSSs."
std::string ProblemCountLine(int64_t count, std::string_view label, char thousandsSep);

// The findings of one direction, one line each, only for counts above 0.
std::vector<std::string> ProblemSummaryLines(const DirectionCounters& counters, char thousandsSep = ',',
                                             char decimalSep = '.');

}  // namespace corvanta

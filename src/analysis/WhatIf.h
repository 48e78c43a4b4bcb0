#pragma once
// The what-if table: a measured exchange extrapolated to 20 link speeds, as the packet rate
// the link carries, its utilisation and the response time of one transaction, in half or
// full duplex.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/ConversationFigures.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

// Link speeds in kilobits per second.
inline constexpr std::array<int32_t, 20> kWhatIfSpeedsKbps = {32,    56,    64,     128,    224,    256,    384,
                                                              512,   768,   1024,   1536,   2048,   4000,   10000,
                                                              16000, 45000, 100000, 155520, 622080, 1000000};
inline constexpr std::array<std::string_view, 6> kWhatIfHeaders = {
    "", "Bits/Sec", "Bytes/Sec", "Max Pkts/Sec", "Utilization", "Resp Time (secs)"};
inline constexpr std::array<int, 6> kWhatIfColumnWidths = {67, 118, 98, 93, 63, 103};

struct WhatIfRange {
  int Min;
  int Max;
};
inline constexpr WhatIfRange kWhatIfDelayRange = {0, 10000};  // latency, contention, client, host (ms)
inline constexpr WhatIfRange kWhatIfRatioRange = {1, 100};
inline constexpr WhatIfRange kWhatIfUsersRange = {1, 1000};
inline constexpr WhatIfRange kWhatIfPacketsRange = {2, 10000};
// Packet sizes by the trace's medium.
WhatIfRange WhatIfSizeRange(Topology medium);

struct WhatIfInputs {
  int AveSend = 64;
  int AveRcv = 64;
  int Latency = 0;     // ms
  int Contention = 0;  // ms
  int SendRatio = 1;
  int RcvRatio = 1;
  int Users = 1;
  int PktsTrans = 2;
  int Client = 0;  // ms
  int Host = 0;    // ms
  bool FullDuplex = true;
};

using WhatIfRow = std::array<std::string, 6>;

// The header row, then 20 rows (half duplex, "Send/Rcv") or 40 (full duplex, "Send" and
// "Receive" per speed).
std::vector<WhatIfRow> WhatIfTable(const WhatIfInputs& in, char thousandsSep = ',', char decimalSep = '.');

// The two integers of a ratio text: "3:1" 3 and 1, "3.5:1" 7 and 2, "1:2.5" 2 and 5; each kept
// within the ratio edits' range (so "4:0" gives 4 and 1).
std::pair<int, int> WhatIfRatio(std::string_view ratio);

// The inputs seeded from a latency half: sizes within the medium's range, delays rounded,
// the ratio's two numbers and the packets per transaction their sum; users 1, no processing.
WhatIfInputs SeedWhatIf(const LatencySeed& seed, Topology medium, bool fullDuplex = true);

// After a change of either ratio: the packets per transaction raised to their sum.
void RaisePacketsPerTransaction(WhatIfInputs& in);

// The numeric inputs by the names a script and the JSON report use, in the report's order;
// the sizes' range is the medium's (WhatIfSizeRange). The duplex switch is kWhatIfDuplexInput.
struct WhatIfNumberInput {
  std::string_view Name;
  int WhatIfInputs::*Field;
  WhatIfRange Range;
  bool SizedByMedium = false;
};
inline constexpr std::array<WhatIfNumberInput, 10> kWhatIfNumberInputs = {{
    {"ave_send", &WhatIfInputs::AveSend, {}, true},
    {"ave_rcv", &WhatIfInputs::AveRcv, {}, true},
    {"latency_ms", &WhatIfInputs::Latency, kWhatIfDelayRange},
    {"contention_ms", &WhatIfInputs::Contention, kWhatIfDelayRange},
    {"send_ratio", &WhatIfInputs::SendRatio, kWhatIfRatioRange},
    {"rcv_ratio", &WhatIfInputs::RcvRatio, kWhatIfRatioRange},
    {"users", &WhatIfInputs::Users, kWhatIfUsersRange},
    {"packets_per_transaction", &WhatIfInputs::PktsTrans, kWhatIfPacketsRange},
    {"client_ms", &WhatIfInputs::Client, kWhatIfDelayRange},
    {"host_ms", &WhatIfInputs::Host, kWhatIfDelayRange},
}};
inline constexpr std::string_view kWhatIfDuplexInput = "full_duplex";  // 0 or 1

// Sets the named input as the window's edit would: kept within its range, and the packets
// per transaction never below the ratio's sum. False for an unknown name.
bool SetWhatIfInput(WhatIfInputs& in, std::string_view name, int64_t value, Topology medium);

// The clipboard text of a cell range of the table (row 0 is the header): tab-separated, every
// line ending in CR LF.
std::string WhatIfCopyText(const std::vector<WhatIfRow>& rows, int left, int top, int right, int bottom);

}  // namespace corvanta

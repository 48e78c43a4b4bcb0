#pragma once
// The command line of corvanta-cli.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/BrisqonSettings.h"
#include "analysis/ConversationFigures.h"

namespace corvanta::cli {

enum class OutputMode : uint8_t { kText, kJson, kFrames };

// One conversation of the client/server table to analyse as the toolbox would.
struct ConversationQuery {
  int32_t number = 0;      // 1-based entry of the "conversations" array; 0: none
  int32_t framesFrom = 0;  // the packet range's first and last frame; 0: the whole trace
  int32_t framesTo = 0;
  // What-if inputs set over the seeded ones, by name, in the order given.
  std::vector<std::pair<std::string, int64_t>> whatIf;
  // The throughput and latency windows' own controls.
  ThroughputSettings throughput;
  LatencySettings latency;
  bool settingsGiven = false;  // any of those set on the command line
};

struct CliOptions {
  OutputMode mode = OutputMode::kText;
  int32_t bandwidthMbps = 0;  // 0: the trace's own
  bool fullDuplex = false;
  bool readPcap = true;     // libpcap and pcapng files are read unless --no-pcap
  bool peerPairs = false;   // --peer-pairs
  char thousandsSep = ',';  // '\0': none
  char decimalSep = '.';
  int32_t threads = 0;  // 0: the CPUs this process may use
  bool timings = false;  // --timings
  bool help = false;
  bool version = false;
  ConversationQuery conversation;
  BrisqonSettings problemSettings;  // the defaults, with what --problem-setting sets
  // Server ports named as in the desktop program's server ports list (port, name).
  std::vector<std::pair<uint16_t, std::string>> serverPorts;
  std::vector<std::string> traces;
};

// Exit statuses.
inline constexpr int kExitRead = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitRefused = 2;

struct ParsedArguments {
  std::optional<CliOptions> options;  // empty on a usage error
  std::string error;                  // what was wrong
};

ParsedArguments ParseArguments(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

// The most threads --threads accepts.
inline constexpr int32_t kMaxThreads = 64;

// The largest bandwidth accepted, in Mbit/s.
inline constexpr int32_t kMaxBandwidthMbps = 1000000;

}  // namespace corvanta::cli

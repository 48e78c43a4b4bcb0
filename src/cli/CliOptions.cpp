#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>

#include "analysis/BrisqonSettings.h"
#include "analysis/WhatIf.h"
#include "naming/UserPorts.h"

namespace corvanta::cli {

namespace {

std::optional<int32_t> ParseWhole(const std::string& text, int32_t max) {
  int32_t value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > max) return std::nullopt;
  return value;
}

// "NAME=V,NAME=V...", each V a whole number; on failure `bad` is the setting at fault.
std::optional<std::vector<std::pair<std::string, int64_t>>> ParseSettings(const std::string& text, std::string& bad) {
  std::vector<std::pair<std::string, int64_t>> settings;
  for (size_t start = 0; start <= text.size();) {
    const size_t comma = std::min(text.find(',', start), text.size());
    const std::string setting = text.substr(start, comma - start);
    start = comma + 1;
    const size_t equals = setting.find('=');
    int64_t number = 0;
    const char* first = setting.data() + (equals == std::string::npos ? setting.size() : equals + 1);
    const char* last = setting.data() + setting.size();
    const auto [end, ec] = std::from_chars(first, last, number);
    if (equals == std::string::npos || equals == 0 || first == last || ec != std::errc() || end != last) {
      bad = setting;
      return std::nullopt;
    }
    settings.emplace_back(setting.substr(0, equals), number);
  }
  return settings;
}

std::string WhatIfNameList() {
  std::string list;
  for (const WhatIfNumberInput& input : kWhatIfNumberInputs) list += std::string(input.Name) + ", ";
  return list + std::string(kWhatIfDuplexInput);
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::string>& args) {
  ParsedArguments parsed;
  CliOptions o;
  bool optionsEnded = false;
  auto fail = [&](std::string error) {
    parsed.error = std::move(error);
    return parsed;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.empty() || a[0] != '-' || a == "-") {
      o.traces.push_back(a);
      continue;
    }
    // "--option=value" is the same as "--option value".
    std::string name = a;
    std::optional<std::string> inlineValue;
    if (size_t eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
      name = a.substr(0, eq);
      inlineValue = a.substr(eq + 1);
    }
    auto value = [&]() -> std::optional<std::string> {
      if (inlineValue) return inlineValue;
      if (i + 1 < args.size()) return args[++i];
      return std::nullopt;
    };
    auto flag = [&](bool& target) {
      if (inlineValue) return false;
      target = true;
      return true;
    };

    if (name == "--") {
      optionsEnded = true;
    } else if (name == "--help" || name == "-h") {
      if (!flag(o.help)) return fail("option " + name + " takes no value");
    } else if (name == "--version") {
      if (!flag(o.version)) return fail("option " + name + " takes no value");
    } else if (name == "--json" || name == "--frames") {
      if (inlineValue) return fail("option " + name + " takes no value");
      OutputMode mode = name == "--json" ? OutputMode::kJson : OutputMode::kFrames;
      if (o.mode != OutputMode::kText && o.mode != mode) return fail("--json and --frames cannot be combined");
      o.mode = mode;
    } else if (name == "--timings") {
      if (!flag(o.timings)) return fail("option " + name + " takes no value");
    } else if (name == "--peer-pairs") {
      if (!flag(o.peerPairs)) return fail("option " + name + " takes no value");
    } else if (name == "--full-duplex") {
      if (!flag(o.fullDuplex)) return fail("option " + name + " takes no value");
    } else if (name == "--no-pcap") {
      bool noPcap = false;
      if (!flag(noPcap)) return fail("option " + name + " takes no value");
      o.readPcap = false;
    } else if (name == "--bandwidth") {
      auto v = value();
      if (!v) return fail("option --bandwidth needs a value in Mbit/s");
      auto mbps = ParseWhole(*v, kMaxBandwidthMbps);
      if (!mbps)
        return fail("invalid bandwidth '" + *v + "': a whole number of Mbit/s from 1 to " +
                    std::to_string(kMaxBandwidthMbps));
      o.bandwidthMbps = *mbps;
    } else if (name == "--threads") {
      auto v = value();
      if (!v) return fail("option --threads needs a number");
      auto threads = ParseWhole(*v, kMaxThreads);
      if (!threads)
        return fail("invalid thread count '" + *v + "': a whole number from 1 to " + std::to_string(kMaxThreads));
      o.threads = *threads;
    } else if (name == "--conversation") {
      auto v = value();
      if (!v) return fail("option --conversation needs the number of a conversation");
      auto n = ParseWhole(*v, INT32_MAX);
      if (!n) return fail("invalid conversation '" + *v + "': a whole number from 1");
      o.conversation.number = *n;
    } else if (name == "--frames-from" || name == "--frames-to") {
      auto v = value();
      if (!v) return fail("option " + name + " needs a frame number");
      auto n = ParseWhole(*v, INT32_MAX);
      if (!n) return fail("invalid frame number '" + *v + "': a whole number from 1");
      (name == "--frames-from" ? o.conversation.framesFrom : o.conversation.framesTo) = *n;
    } else if (name == "--what-if") {
      auto v = value();
      if (!v) return fail("option --what-if needs NAME=VALUE settings");
      std::string bad;
      auto settings = ParseSettings(*v, bad);
      const auto unknown = [](const auto& setting) {
        WhatIfInputs scratch;
        return !SetWhatIfInput(scratch, setting.first, setting.second, kEthernet);
      };
      if (settings)
        if (auto it = std::find_if(settings->begin(), settings->end(), unknown); it != settings->end()) {
          bad = it->first + "=" + std::to_string(it->second);
          settings.reset();
        }
      if (!settings)
        return fail("invalid what-if setting '" + bad + "': NAME=whole number, NAME one of " + WhatIfNameList());
      for (auto& setting : *settings) o.conversation.whatIf.push_back(std::move(setting));
    } else if (name == "--problem-setting") {
      auto v = value();
      if (!v) return fail("option --problem-setting needs NAME=VALUE settings");
      std::string bad;
      auto settings = ParseSettings(*v, bad);
      if (!settings) return fail("invalid problem finder setting '" + bad + "': NAME=whole number");
      for (const auto& [key, number] : *settings)
        if (std::string why = SetProblemSetting(o.problemSettings, key, number); !why.empty())
          return fail("invalid problem finder setting '" + key + "=" + std::to_string(number) + "': " + why);
    } else if (name == "--server-port") {
      auto v = value();
      const size_t equals = v ? v->find('=') : std::string::npos;
      const auto port = equals == std::string::npos ? std::nullopt : ParsePortNumber(v->substr(0, equals));
      if (!port || equals + 1 >= v->size() || v->find('\t') != std::string::npos)
        return fail("option --server-port needs PORT=NAME, PORT from 0 to 65535 and a name");
      o.serverPorts.emplace_back(*port, v->substr(equals + 1));
    } else if (name == "--sample-window") {
      auto v = value();
      auto n = v ? ParseWhole(*v, kMaxSampleWindow) : std::nullopt;
      if (!n || *n < kMinSampleWindow)
        return fail("option --sample-window needs a number of packets from " + std::to_string(kMinSampleWindow) +
                    " to " + std::to_string(kMaxSampleWindow));
      o.conversation.throughput.SampleWindow = *n;
      o.conversation.settingsGiven = true;
    } else if (name == "--no-ack-packets" || name == "--kbits" || name == "--no-local-media-time") {
      bool given = false;
      if (!flag(given)) return fail("option " + name + " takes no value");
      if (name == "--no-ack-packets") o.conversation.throughput.IncludeAckPackets = false;
      if (name == "--kbits") o.conversation.throughput.UnitFactor = 8;
      if (name == "--no-local-media-time") o.conversation.latency.IncludeLocalMediaTime = false;
      o.conversation.settingsGiven = true;
    } else if (name == "--responses") {
      auto v = value();
      if (v == "all")
        o.conversation.latency.Filter = ResponseSizeFilter::kAll;
      else if (v == "small")
        o.conversation.latency.Filter = ResponseSizeFilter::kSmall;
      else if (v == "large")
        o.conversation.latency.Filter = ResponseSizeFilter::kLarge;
      else
        return fail("option --responses needs all, small or large");
      o.conversation.settingsGiven = true;
    } else if (name == "--locale-separator") {
      auto v = value();
      if (!v) return fail("option --locale-separator needs a character");
      if (v->size() > 1 ||
          (v->size() == 1 && (static_cast<unsigned char>((*v)[0]) < 0x20 ||
                              static_cast<unsigned char>((*v)[0]) >= 0x7F || ((*v)[0] >= '0' && (*v)[0] <= '9'))))
        return fail("invalid thousands separator '" + *v + "': one printable character that is not a digit, or ''");
      o.thousandsSep = v->empty() ? '\0' : (*v)[0];
      // A full stop between thousands leaves the comma for decimals.
      o.decimalSep = o.thousandsSep == '.' ? ',' : '.';
    } else {
      return fail("unknown option " + name);
    }
  }
  if (!o.help && !o.version && o.traces.empty()) return fail("no trace file given");
  if ((!o.conversation.whatIf.empty() || o.conversation.settingsGiven) && o.conversation.number == 0)
    return fail(
        "options --what-if, --sample-window, --no-ack-packets, --kbits, --responses and "
        "--no-local-media-time need --conversation");
  if (o.timings && o.mode == OutputMode::kFrames) return fail("--timings and --frames cannot be combined");
  parsed.options = std::move(o);
  return parsed;
}

std::string HelpText() {
  return R"(Usage: corvanta-cli [--json | --frames] [--bandwidth MBPS] [--full-duplex]
                    [--conversation N [--frames-from F] [--frames-to T]
                     [--sample-window N] [--no-ack-packets] [--kbits]
                     [--responses all|small|large] [--no-local-media-time]
                     [--what-if NAME=V,...]]
                    [--no-pcap] [--locale-separator C] [--threads N] [--timings]
                    [--problem-setting NAME=V,...] [--server-port PORT=NAME]...
                    [--peer-pairs] TRACE...

Reads each network trace file with the Corvanta analyzer core (the same detection,
readers, decoding, statistics and client/server table as the desktop program) and
reports on standard output. libpcap and pcapng files are read too (the desktop program
reads them when its option "Read libpcap and pcapng Files" is on); --no-pcap refuses them.

Output modes:
  (default)      A text report per trace: file attributes, frame statistics, media
                 utilization, DLC encapsulation types, the protocol table, the Ethernet
                 frame error summary with the collision fragment analysis (Token Ring:
                 the soft error totals), and the client/server table with its legend.
                 Problem columns A to D show X where marked.
  --json         One JSON object per trace; a JSON array when several traces are given.
                 Keys: file, analyzer (kind number), analyzer_name, topology ("Ethernet"
                 or "Token Ring"), bandwidth_mbps, full_duplex, start_time (ISO 8601,
                 local time), duration (the summary's duration text), comment, file_size,
                 sliced_frames, complete (false when reading ended at a record that could
                 not be read before the end of the file), bytes_read (where reading
                 ended), frames, bytes, broadcast_frames, multicast_frames,
                 largest_frame, encapsulations (name: frames), protocols (category:
                 {frames, bytes, group_frames}; categories with frames only, MAC and
                 Other separate), size_buckets (72 counts), utilization (average, peak,
                 peak_bytes, peak_frames, broadcast_average, broadcast_peak; percentages
                 re-based on the chosen bandwidth), utilization_series (the utilization
                 graph's intervals), errors (crc, runts, long, fragments),
                 soft_errors (Token Ring only), dlc_errors (the DLC error expert's
                 tables: Ethernet collisions, the collision fragment analysis's stations
                 with address, station, transmits, retransmits, percent; Token Ring
                 soft_error_reports, per error its group, stations and reports
                 "station/upstream neighbour/count", marked_stations, and ring_map: its
                 caption and the ring poll's stations in ring order with address,
                 label, state, missed_cycle, the soft errors they reported and the
                 entries of the upstream neighbours they reported burst and line
                 errors against; and the memo),
                 stations, sending_stations, ip_addresses,
                 sending_ip_addresses, ipx_addresses, sending_ipx_addresses,
                 checksum_offload (IP addresses taken for hosts with checksum offload,
                 whose wrong TCP/UDP checksums are not counted as errors),
                 conversations (client, server, protocol, packets, bytes, duration,
                 response_time_ms, throughput_c2s, throughput_s2c in KB/s, marks: the
                 letters A-D marked, events: E..I counts; "-" values are null),
                 conversations_not_listed (count, and per reason), stations_table and
                 network_table (the peer maps' Statistics pages, a row per sending
                 address), problem_totals (A..I) and model (bytes and packet records of
                 the capture model).
                 With --conversation N also analysis: the toolbox's analysis of the
                 N-th conversation: selection (source, destination, protocol, one_way,
                 first_frame, last_frame), the controls the figures were measured with
                 (sample_window, include_ack_packets, throughput_unit, responses,
                 include_local_media_time), throughput and latency (each an array of
                 the two directions, the second null when one-way: title, figures,
                 memo lines; latency also state, state_text and what_if: the what-if
                 window that direction seeds, null without pairs: inputs, and rows for
                 the 20 link speeds in full duplex, a Send and a Receive row each: link,
                 bits_per_sec, bytes_per_sec, max_pkts_per_sec, utilization (percent),
                 resp_time_secs, null on Send rows), and the visualizer's
                 problems (forward and reverse: the problem summary's lines),
                 diagnostics (frame and messages of each diagnosed frame) and ladder
                 (one entry per drawn line: frame, direction, kind, timestamp_us,
                 length, summary, columns, comment).
                 A refused trace gives {"file", "error"} with the refusal text.
  --frames       One line per frame handed to the decoder, tab-separated, no header:
                 frame number, timestamp in microseconds (three decimals), length,
                 captured length, status (four hex digits).

Options:
  --bandwidth MBPS        Show utilization against MBPS Mbit/s instead of the trace's
                          own bandwidth (the figures are re-based, as the desktop
                          program's bandwidth menu does).
  --full-duplex           Count the bandwidth twice (full duplex).
  --conversation N        Analyse the N-th conversation of the client/server table
                          (1-based) as the toolbox selects it: throughput and latency
                          of both directions, the problem summary and the ladder
                          of the visualizer (in text mode a table of its lines).
  --frames-from F, --frames-to T
                          The packet range of --conversation (default: the whole
                          trace), as the toolbox's "from" and "to" edits set it.
  --sample-window N, --no-ack-packets, --kbits
                          With --conversation: the throughput window's controls,
                          its packet sampling (4 to 100, default 8), "Include ACK
                          Pkts" off, and "Show Kbits/Second".
  --responses all|small|large, --no-local-media-time
                          With --conversation: the latency window's controls, which
                          responses it measures (all, at most 100 bytes, at least
                          1000), and "Include Local Media Transmission Time" off.
  --peer-pairs            With --json: also station_pairs and network_pairs, the pairs
                          the peer maps draw (source, destination, frames; stations by
                          encapsulation and protocol, network addresses by transport).
  --server-port PORT=NAME
                          Name a server port as the desktop program's server ports
                          list does (before the built-in names); may be repeated.
  --problem-setting NAME=V[,NAME=V...]
                          Set problem finder settings by the names the desktop
                          program stores them under: a check's switch (its
                          Enable... name, 0 or 1) or value (its Threshold... name,
                          within its range), for example
                          --problem-setting ThresholdCSLowThroughput=50,EnableICMP=0.
                          They judge the client/server table's marks and counts and
                          the conversation analysis as in the desktop program.
  --what-if NAME=V[,NAME=V...]
                          With --conversation: set what-if inputs over the seeded
                          ones, as the window's edits would (kept within their
                          ranges): ave_send, ave_rcv, latency_ms, contention_ms,
                          send_ratio, rcv_ratio, users, packets_per_transaction,
                          client_ms, host_ms, full_duplex (0 or 1). For example
                          --what-if users=50,full_duplex=0.
  --no-pcap               Refuse libpcap and pcapng files as the desktop program does
                          by default (they are read unless this is given).
  --locale-separator C    Thousands separator of the text report (default ","; '' for
                          none). With "." the decimal separator becomes ",".
  --threads N             Work on N threads (default: the CPUs this process may use,
                          after its CPU affinity and any control-group quota, less
                          those other processes keep busy as it starts; one for a
                          trace under 32 MB, where a second costs more than it
                          saves). With 1 the trace is read and analysed on one
                          thread; the output is the same on any number.
  --timings               After each trace that was read, write to standard error how
                          long its phases took (seconds, wall clock): the frame pass
                          (reading and decoding), the client/server table (with
                          --json, writing its rows as they are measured), the rest
                          (opening and the report), and the total.
  --help                  Show this text.
  --version               Show the program's version.

While a long trace is read, a progress line is written to standard error when standard
error is a terminal.

A trace whose reading ended before the end of its file at a record that could not be
read is reported with what was read, after the line "FILE PARTIALLY READ: N of M bytes
read" (text) or with "complete": false (JSON); the exit status stays 0.

Exit status:
  0  every trace was read
  1  usage error, or no conversation N in a trace
  2  at least one trace was refused (in text and --frames mode the refusal text is
     written to standard error)
)";
}

}  // namespace corvanta::cli

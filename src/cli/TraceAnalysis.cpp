#include "cli/TraceAnalysis.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

#include "decode/Decoder.h"
#include "naming/TextFormat.h"
#include "trace/TimeUtil.h"

namespace corvanta::cli {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

namespace {

// The processing pass with the decoder, then the client/server table.
void RunPass(TraceAnalysis& a, const AnalysisOptions& options, const PollCallback& poll) {
  const TraceInfo& info = a.open.info;
  DecodeEnvironment env;
  env.topology = info.topology;
  env.kind = info.kind;
  env.vendors = options.vendors;
  // A named server port also tells requests from replies, as in the desktop program.
  env.userPorts = options.ports;
  // On the heap: its stages of the frames in flight are too large for a thread's stack.
  const auto owned = std::make_unique<Decoder>(*a.model, *a.statistics, env);
  Decoder& decoder = *owned;
  decoder.KeepNetPeers(true);
  PassOptions pass;
  pass.readAhead = options.threads > 1;
  pass.stageAhead = true;
  const auto started = std::chrono::steady_clock::now();
  a.pass = ProcessTraceFile(info, decoder, poll, pass);
  a.passSeconds = SecondsSince(started);
  a.directory = std::make_unique<PeerDirectory>(*a.model, decoder.TakeNetPeers());
  a.elapsedUs = decoder.ElapsedTime();
  // A header bandwidth under 1 Mbit/s leaves the decoder measuring against its default.
  a.statsBandwidthMbps = decoder.Environment().bandwidthMbps;
  if (options.bandwidthMbps <= 0) a.bandwidthMbps = a.statsBandwidthMbps;
  if (a.pass.fileOpened) a.open.info.fileSize = a.pass.fileSize;
  // The trace changed since it was accepted and its reader can no longer open it.
  if (std::string refusal = ReaderRefusal(TraceFileNameOnly(info.path), a.pass); !refusal.empty()) {
    a.open.accepted = false;
    a.open.refusal = refusal;
    return;
  }

  if (options.buildTable) BuildTable(a, options);
}

}  // namespace

void BuildTable(TraceAnalysis& a, const AnalysisOptions& options, const ClientServerTable::RowSink& sink) {
  if (!a.Accepted() || !HasNetworkPackets(a)) return;
  ClientServerOptions tableOptions = options.table;
  tableOptions.LastFrame = a.pass.framesRead;
  tableOptions.Threads = std::max(1, options.threads);
  std::function<void()> tablePoll;
  if (options.tableProgress) tablePoll = [&] { options.tableProgress(a.table.RowCount()); };
  const auto started = std::chrono::steady_clock::now();
  try {
    a.table.Build({*a.model, a.settings, options.vendors, a.ports, a.directory.get()}, tableOptions, tablePoll, sink);
    a.directory.reset();
  } catch (const std::exception& e) {
    a.directory.reset();
    // A table that could not grow any further gives no report.
    a.failure = TraceFileNameOnly(a.open.info.path) + " could not be analysed: " + e.what();
    a.table = ClientServerTable();
  }
  a.tableSeconds += SecondsSince(started);
}

std::unique_ptr<TraceAnalysis> AnalyzeTrace(const std::string& path, const AnalysisOptions& options,
                                            const PollCallback& poll) {
  auto a = std::make_unique<TraceAnalysis>();
  a->open = OpenTrace(path, options.open);
  if (!a->open.accepted) return a;

  a->settings = options.settings;
  a->ports = options.ports;
  a->model = std::make_unique<CaptureModel>();
  a->statistics = std::make_unique<TraceStatistics>();
  // The pass measures against the trace's own bandwidth; a chosen one only re-bases the
  // figures afterwards, as the bandwidth menu does.
  a->statsBandwidthMbps = a->open.info.bandwidthMbps;
  a->bandwidthMbps = options.bandwidthMbps > 0 ? options.bandwidthMbps : a->open.info.bandwidthMbps;
  a->duplexFactor = options.fullDuplex ? 2 : 1;
  try {
    RunPass(*a, options, poll);
  } catch (const std::exception& e) {
    // A model that could not grow any further gives no report.
    a->failure = TraceFileNameOnly(path) + " could not be analysed: " + e.what();
    a->table = ClientServerTable();
  }
  return a;
}

FileSummaryInputs SummaryInputs(const TraceAnalysis& a, char thousandsSep) {
  FileSummaryInputs in;
  in.topology = a.open.info.topology;
  in.totalFrames = a.TotalFrames();
  in.thousandsSep = thousandsSep;
  in.statsBandwidthMbps = a.statsBandwidthMbps;
  in.bandwidthMbps = a.bandwidthMbps;
  in.duplexFactor = a.duplexFactor;
  if (!a.statistics) return in;
  FillSummaryStatistics(*a.statistics, in.topology, in);
  return in;
}

bool HasNetworkPackets(const TraceAnalysis& a) { return a.model && a.model->NetAddresses.Count() > 0; }

std::string IsoDateTime(double dateTime) {
  if (!std::isfinite(dateTime) || dateTime < -693593.0 || dateTime > 2958465.0) return {};  // years 1..9999
  const DateTimeFields f = DecodeDateTime(dateTime);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", f.year, f.month, f.day, f.hour, f.minute,
                f.second, f.millisecond);
  return buf;
}

}  // namespace corvanta::cli

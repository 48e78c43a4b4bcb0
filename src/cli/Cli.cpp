#include "cli/Cli.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "Version.h"
#include "cli/CliOptions.h"
#include "cli/ConversationReport.h"
#include "cli/FrameListing.h"
#include "cli/Reports.h"
#include "cli/TextTable.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"
#include "trace/OpenTrace.h"
#include "trace/ProgressText.h"
#include "trace/UsableCpus.h"

namespace corvanta::cli {

namespace {

void Write(std::FILE* f, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), f);
}

// A progress line on a terminal, rewritten at most ten times a second.
class ProgressLine {
 public:
  ProgressLine(std::FILE* err, const std::string& path, char sep)
      : err_(err), name_(TraceFileNameOnly(path)), sep_(sep), enabled_(err && isatty(fileno(err)) == 1) {}
  // err null: no progress.
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  PollCallback Callback() {
    if (!enabled_) return {};
    return [this](const ReadProgress& p) {
      // The clock is only looked at every few thousand frames.
      if ((p.frames & 0xFFF) == 1 && Due())
        Show(std::string(kProgressCaptionPrefix) + name_ + "  " + std::string(kProgressFramesLabel) + " " +
             FormatCount(p.frames, sep_) + "  " + std::string(kProgressDurationLabel) + " " +
             FormatHms(ProgressSeconds(p.elapsedUs)) + "  " +
             PercentCompleteText(PercentRead(p.filePosition, p.fileSize)));
      return false;
    };
  }

  // While the client/server table is built: the conversations analysed so far.
  std::function<void(size_t)> TableCallback() {
    if (!enabled_) return {};
    return [this](size_t rows) {
      if (Due()) Show("Analyzing... " + name_ + "  Conversations: " + FormatCount(static_cast<int64_t>(rows), sep_));
    };
  }

  void Clear() {
    if (!shown_) return;
    Write(err_, "\r\x1b[K");
    std::fflush(err_);
    shown_ = false;
  }

 private:
  bool Due() {
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - last_ < std::chrono::milliseconds(kProgressTimerMs)) return false;
    last_ = now;
    return true;
  }
  void Show(const std::string& text) {
    Write(err_, "\r\x1b[K" + text);
    std::fflush(err_);
    shown_ = true;
  }

  std::FILE* err_;
  std::string name_;
  char sep_;
  bool enabled_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point last_{};
};

// --timings: where the time of one trace went.
std::string TimingsLine(const std::string& path, const TraceAnalysis& a, double totalSeconds) {
  char text[200];
  std::snprintf(text, sizeof text, ": frame pass %.3f s, client/server table %.3f s, the rest %.3f s, total %.3f s\n",
                a.passSeconds, a.tableSeconds, std::max(0.0, totalSeconds - a.passSeconds - a.tableSeconds),
                totalSeconds);
  return "corvanta-cli: " + path + text;
}

// --frames for one trace; false when it was refused.
bool ListFrames(const std::string& path, const OpenOptions& options, std::FILE* out, std::FILE* err, char sep) {
  const OpenOutcome open = OpenTrace(path, options);
  if (!open.accepted) {
    Write(err, open.refusal + "\n");
    return false;
  }
  FrameListingSink sink(out);
  // Lines written while the trace is read would mix with the progress on one terminal.
  ProgressLine progress(isatty(fileno(out)) == 1 ? nullptr : err, path, sep);
  ProcessTraceFile(open.info, sink, progress.Callback(), false);
  sink.Flush();
  return true;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, const std::string& programDirectory) {
  const ParsedArguments parsed = ParseArguments(args);
  if (!parsed.options) {
    Write(err, "corvanta-cli: " + parsed.error + "\nTry 'corvanta-cli --help' for more information.\n");
    return kExitUsage;
  }
  const CliOptions& o = *parsed.options;
  if (o.help) {
    Write(out, HelpText());
    return kExitRead;
  }
  if (o.version) {
    Write(out, std::string(CORVANTA_PRODUCT) + " " + CORVANTA_VERSION + "\n");
    return kExitRead;
  }

  OpenOptions openOptions;
  openOptions.readPcap = o.readPcap;
  int status = kExitRead;
  if (o.mode == OutputMode::kFrames) {
    for (const std::string& path : o.traces)
      if (!ListFrames(path, openOptions, out, err, o.thousandsSep)) status = kExitRefused;
    std::fflush(out);
    return status;
  }

  VendorTable vendors;
  const bool haveVendors = !programDirectory.empty() && LoadVendorTable(programDirectory, vendors).empty();

  const bool json = o.mode == OutputMode::kJson;
  ReportOptions report;
  // JSON numbers are read back from the table's cells: no thousands separators there.
  report.thousandsSep = json ? '\0' : o.thousandsSep;
  report.decimalSep = json ? '.' : o.decimalSep;
  report.vendors = haveVendors ? &vendors : nullptr;
  report.peerPairs = o.peerPairs;

  AnalysisOptions analysis;
  analysis.bandwidthMbps = o.bandwidthMbps;
  analysis.fullDuplex = o.fullDuplex;
  analysis.open = openOptions;
  analysis.vendors = report.vendors;
  analysis.settings = o.problemSettings;
  UserPorts ports;
  for (const auto& [port, name] : o.serverPorts) ports.Add(UserPorts::MakeItem(std::to_string(port), name));
  if (ports.Size() > 0) analysis.ports = &ports;
  analysis.table.ThousandsSep = report.thousandsSep;
  analysis.table.DecimalSep = report.decimalSep;
  // One thread per CPU this process may use, for each trace unless chosen; on one, the direct
  // pass with no handing over.
  const auto chooseThreads = [&](const std::string& path) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(path, ec);
    analysis.threads = o.threads > 0 ? o.threads : std::min(ThreadsForTrace(ec ? 0 : bytes), 8);
    report.threads = analysis.threads;
  };

  const bool array = json && o.traces.size() > 1;
  std::string text;
  JsonWriter writer(text);
  writer.SpillTo([out](std::string_view piece) { Write(out, piece); });
  if (array) writer.BeginArray();
  bool first = true;
  // The JSON report writes the client/server rows as the table is built rather than holding
  // them all; a chosen conversation needs the table whole.
  const bool streamRows = json && o.conversation.number <= 0;
  analysis.buildTable = !streamRows;
  // Rows streamed out are not opened in anything.
  analysis.table.SelectionColumns = !streamRows;
  for (const std::string& path : o.traces) {
    const auto started = std::chrono::steady_clock::now();
    chooseThreads(path);
    std::unique_ptr<TraceAnalysis> a;
    // Once the trace's report is written.
    auto writeTimings = [&] {
      if (o.timings && a->Accepted()) Write(err, TimingsLine(path, *a, SecondsSince(started)));
    };
    {
      ProgressLine progress(err, path, o.thousandsSep);
      analysis.tableProgress = progress.TableCallback();
      a = AnalyzeTrace(path, analysis, progress.Callback());
      analysis.tableProgress = nullptr;
    }
    if (!a->Accepted()) status = kExitRefused;
    std::optional<ConversationReport> conversation;
    if (o.conversation.number > 0 && a->Accepted()) {
      conversation = AnalyzeTableConversation(*a, o.conversation, report);
      if (!conversation) {
        Write(err, "corvanta-cli: " + path + " has no conversation " + std::to_string(o.conversation.number) + " (" +
                       std::to_string(a->table.RowCount()) + " in its client/server table)\n");
        status = kExitUsage;
      }
    }
    if (json) {
      std::function<void(JsonWriter&)> more;
      if (conversation) more = [&](JsonWriter& w) { WriteConversationJson(*conversation, w); };
      RowStream stream;
      if (streamRows)
        stream = [&](const ClientServerTable::RowSink& write) {
          // Progress on a terminal that is not also where the rows go.
          ProgressLine progress(isatty(fileno(out)) == 1 ? nullptr : err, path, o.thousandsSep);
          analysis.tableProgress = progress.TableCallback();
          BuildTable(*a, analysis, write);
          analysis.tableProgress = nullptr;
        };
      const bool accepted = a->Accepted();
      WriteJsonReport(*a, path, report, writer, more, stream);
      if (accepted && !a->Accepted()) {
        // The table could not be built whole: the rows written so far stand, the run fails.
        Write(err, a->Error() + "\n");
        status = kExitRefused;
      }
      // Each trace is written as soon as it is done; the array closes after the last.
      Write(out, text);
      text.clear();
      writeTimings();
      continue;
    }
    if (!a->Accepted()) {
      Write(err, a->Error() + "\n");
      continue;
    }
    if (!first) Write(out, "\n");
    first = false;
    Write(out, "Trace: " + CellText(path) + "\n\n" + TextReport(*a, report));
    if (conversation) Write(out, "\n" + ConversationText(*conversation));
    std::fflush(out);
    writeTimings();
  }
  if (array) writer.EndArray();
  if (json) {
    text += "\n";
    Write(out, text);
  }
  std::fflush(out);
  return status;
}

}  // namespace corvanta::cli

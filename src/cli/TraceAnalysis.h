#pragma once
// One trace through the core, as the desktop program's open flow runs it: detection, the
// header and its acceptance, the processing pass with the decoder, and the client/server
// table.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "analysis/BrisqonSettings.h"
#include "analysis/ClientServerTable.h"
#include "analysis/FileSummary.h"
#include "analysis/Selection.h"
#include "decode/CaptureModel.h"
#include "decode/TraceStatistics.h"
#include "naming/UserPorts.h"
#include "trace/OpenTrace.h"
#include "trace/ProcessTrace.h"

namespace corvanta {
class VendorTable;
}

namespace corvanta::cli {

struct AnalysisOptions {
  int32_t bandwidthMbps = 0;  // the display bandwidth; 0: the trace's own
  bool fullDuplex = false;
  bool buildTable = true;  // false: the caller builds it (BuildTable), perhaps as it writes
  OpenOptions open;        // which files are read
  // More than one: the reader runs ahead on a thread of its own and the client/server table
  // is measured on this many; the results are the same.
  int threads = 1;
  ClientServerOptions table;             // separators and name choices of the table
  BrisqonSettings settings;              // the problem finder's settings
  const UserPorts* ports = nullptr;      // null: built-in port names only
  const VendorTable* vendors = nullptr;  // null: no vendor names
  // Called now and then while the client/server table is built, with the rows so far.
  std::function<void(size_t rows)> tableProgress;
};

struct TraceAnalysis {
  OpenOutcome open;
  PassResult pass;
  // Allocated only for an accepted trace.
  std::unique_ptr<CaptureModel> model;
  std::unique_ptr<TraceStatistics> statistics;
  BrisqonSettings settings;
  const UserPorts* ports = nullptr;  // the user's server port names, owned by the caller
  ClientServerTable table;
  // The decoder's index of every pair of addresses, kept from the pass until the table is built.
  std::unique_ptr<PeerDirectory> directory;
  int32_t statsBandwidthMbps = 10;  // the bandwidth the utilisation was measured against
  int32_t bandwidthMbps = 10;       // the display choice
  int32_t duplexFactor = 1;
  double elapsedUs = 0;
  // Wall-clock seconds of the frame pass and of building the client/server table.
  double passSeconds = 0;
  double tableSeconds = 0;
  // Set when the analysis of an accepted trace failed (the model could not grow).
  std::string failure;

  bool Accepted() const { return open.accepted && failure.empty(); }
  // The refusal or failure text; empty for a trace that was read.
  const std::string& Error() const { return open.accepted ? failure : open.refusal; }
  int32_t TotalFrames() const { return pass.framesRead; }
};

// Reads and analyses the trace at path; poll (may be empty) runs before every frame.
std::unique_ptr<TraceAnalysis> AnalyzeTrace(const std::string& path, const AnalysisOptions& options,
                                            const PollCallback& poll = {});

// Builds the client/server table of an analysed trace (nothing without network packets);
// with a sink the rows go to it in table order instead of being kept. A failure to grow is
// the analysis's failure.
void BuildTable(TraceAnalysis& analysis, const AnalysisOptions& options, const ClientServerTable::RowSink& sink = {});

// The file summary's inputs of an analysed trace.
FileSummaryInputs SummaryInputs(const TraceAnalysis& analysis, char thousandsSep);

// True when the trace held IP or IPX packets (the client/server table has something to list).
bool HasNetworkPackets(const TraceAnalysis& analysis);

// Wall-clock seconds from start until now.
double SecondsSince(std::chrono::steady_clock::time_point start);

// The ISO 8601 text of a date-time (days since 1899-12-30, local): 2000-01-01T12:00:00.000.
std::string IsoDateTime(double dateTime);

}  // namespace corvanta::cli

#pragma once
// The toolbox's analysis of one conversation of the client/server table, headless: the
// selection the table's request makes, both directions of the throughput and latency windows,
// and the what-if table each latency direction seeds.
#include <optional>
#include <string>

#include "analysis/ConversationFigures.h"
#include "analysis/VisualizerLayout.h"
#include "cli/CliOptions.h"
#include "cli/Json.h"
#include "cli/Reports.h"

namespace corvanta::cli {

struct ConversationReport {
  int32_t number = 0;  // 1-based row of the table
  SelectionTexts texts;
  bool oneWay = false;
  int32_t firstFrame = 1;
  int32_t lastFrame = 1;
  ThroughputView throughput;
  LatencyView latency;
  VisualizerLayout ladder;      // the visualizer's pass over the selection and range
  Topology medium = kEthernet;  // sizes the what-if inputs
  ConversationQuery query;      // the windows' controls as set
  char thousandsSep = ',';
  char decimalSep = '.';
};

// The analysis of the query's row; none when the table has no such row.
std::optional<ConversationReport> AnalyzeTableConversation(const TraceAnalysis& analysis,
                                                           const ConversationQuery& query,
                                                           const ReportOptions& options);

// The "analysis" member of the trace's object.
void WriteConversationJson(const ConversationReport& report, JsonWriter& json);

// The same in the text report's style.
std::string ConversationText(const ConversationReport& report);

}  // namespace corvanta::cli

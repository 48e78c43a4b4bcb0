// The whole road of a trace file: detection, header and acceptance, the reader of its kind,
// decoding, the client/server table, both reports and the toolbox's analysis of the table's
// first rows. The first input byte picks the file name (detection reads the extension) and
// whether the peer maps' pairs are listed; the rest is the file.
#include <cstddef>
#include <cstdint>

#include "FuzzFiles.h"
#include "cli/ConversationReport.h"
#include "cli/Reports.h"
#include "cli/TraceAnalysis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvanta;
  if (size < 1) return 0;
  const std::string_view name = fuzz::kTraceNames[data[0] % fuzz::kTraceNames.size()];
  const std::string path = fuzz::WriteTraceFile(name, data + 1, size - 1);

  cli::AnalysisOptions options;
  options.table.ThousandsSep = '\0';
  std::unique_ptr<cli::TraceAnalysis> analysis = cli::AnalyzeTrace(path, options);
  cli::ReportOptions report{'\0', '.', nullptr};
  report.peerPairs = (data[0] / fuzz::kTraceNames.size()) % 2 != 0;
  std::string json;
  cli::JsonWriter writer(json);
  cli::WriteJsonReport(*analysis, path, report, writer);
  cli::TextReport(*analysis, {',', '.', nullptr});
  for (int32_t row = 1; row <= 2; ++row) {
    cli::ConversationQuery query;
    query.number = row;
    const auto conversation = cli::AnalyzeTableConversation(*analysis, query, report);
    if (!conversation) break;
    std::string text;
    cli::JsonWriter analysisWriter(text);
    cli::WriteConversationJson(*conversation, analysisWriter);
    cli::ConversationText(*conversation);
  }
  return 0;
}

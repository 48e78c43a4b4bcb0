// The whole road of a trace file: detection, header and acceptance, the reader of its kind,
// decoding, the client/server table and both reports. The first input byte picks the file
// name (detection reads the extension); the rest is the file.
#include <cstddef>
#include <cstdint>

#include "FuzzFiles.h"
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
  std::string json;
  cli::JsonWriter writer(json);
  cli::WriteJsonReport(*analysis, path, {'\0', '.', nullptr}, writer);
  cli::TextReport(*analysis, {',', '.', nullptr});
  return 0;
}

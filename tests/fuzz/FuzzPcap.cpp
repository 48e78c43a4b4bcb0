// libpcap and pcapng files through the open flow with the option on: detection, the header
// read and the reader through libpcap, decoding and the client/server table. The input is the
// file; damaged and hostile files must end quietly with the frames read.
#include <cstddef>
#include <cstdint>

#include "FuzzFiles.h"
#include "cli/TraceAnalysis.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvanta;
  const std::string path = fuzz::WriteTraceFile("trace.pcap", data, size);
  cli::AnalysisOptions options;
  options.open.readPcap = true;
  options.table.ThousandsSep = '\0';
  cli::AnalyzeTrace(path, options);
  return 0;
}

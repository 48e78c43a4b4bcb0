// Every reader on any bytes, whatever detection would say: the first input byte picks one of
// the supported analyzer kinds, the second the medium; the rest is the file. The frames go
// through the decoder and the client/server table.
#include <cstddef>
#include <cstdint>

#include "FuzzFiles.h"
#include "analysis/BrisqonSettings.h"
#include "analysis/ClientServerTable.h"
#include "decode/Decoder.h"
#include "trace/Detection.h"
#include "trace/ProcessTrace.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvanta;
  if (size < 2) return 0;
  TraceInfo info;
  info.kind = SupportedAnalyzers[data[0] % SupportedAnalyzers.size()];
  info.topology = (data[1] & 1) ? kTokenRing : kEthernet;
  info.bandwidthMbps = (data[1] & 2) ? 100 : 10;
  info.snifferCompressed = (data[1] & 4) != 0;
  info.path = fuzz::WriteTraceFile(fuzz::kTraceNames[data[1] >> 4], data + 2, size - 2);
  info.fileSize = size - 2;

  CaptureModel model;
  TraceStatistics statistics;
  DecodeEnvironment env;
  env.topology = info.topology;
  env.kind = info.kind;
  env.bandwidthMbps = info.bandwidthMbps;
  Decoder decoder(model, statistics, env);
  PassResult pass = ProcessTraceFile(info, decoder, {}, false);
  BrisqonSettings settings;
  ClientServerTable table;
  ClientServerOptions options;
  options.LastFrame = pass.framesRead;
  table.Build({model, settings, nullptr, nullptr}, options);
  return 0;
}

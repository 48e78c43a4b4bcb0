// The decoder and everything built from the model, without a file: the input is a sequence
// of frames, each a 6-byte head (length on the wire, stored length, status and time step,
// little-endian 16-bit values in the top and the low bytes) and its stored bytes. The first
// byte picks the medium.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "analysis/BrisqonSettings.h"
#include "analysis/ClientServerTable.h"
#include "analysis/DlcErrors.h"
#include "analysis/ProtocolTable.h"
#include "decode/Decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvanta;
  if (size < 1) return 0;
  TraceInfo info;
  info.kind = 10;
  info.topology = (data[0] & 1) ? kTokenRing : kEthernet;
  info.bandwidthMbps = (data[0] & 2) ? 4 : 10;
  CaptureModel model;
  TraceStatistics statistics;
  DecodeEnvironment env;
  Decoder decoder(model, statistics, env);
  decoder.BeginPass(info, false);

  auto frame = std::make_unique<FrameRecord>();
  size_t pos = 1;
  double time = 0;
  while (pos + 6 <= size) {
    const uint16_t length = static_cast<uint16_t>(data[pos] | data[pos + 1] << 8);
    const uint16_t stored = static_cast<uint16_t>(data[pos + 2] | data[pos + 3] << 8) % 2048;
    frame->Status = static_cast<uint16_t>(data[pos + 4] & 0xC0) << 8;
    time += (data[pos + 4] & 0x3F) * 1000.0 * (data[pos + 5] + 1);
    pos += 6;
    const size_t n = std::min<size_t>(stored, size - pos);
    std::copy(data + pos, data + pos + n, frame->Data.begin());
    std::fill(frame->Data.begin() + static_cast<long>(n), frame->Data.begin() + stored + 64, 0);
    pos += n;
    frame->Length = std::min<uint16_t>(length, kMaxFrameLength);
    frame->CapturedLength = static_cast<uint16_t>(n);
    frame->Timestamp = time;
    ++frame->FrameNumber;
    // The head's top bits also pick the way through the decoder: directly, or first through
    // the reader's stage, with the headers read there or left to the decoding thread.
    frame->Prepared = FramePrepared{};
    if (const int way = data[pos - 1] >> 6; way != 0) decoder.FirstStage(*frame, way == 2);
    if (decoder.DecodeFrame(*frame)) break;
  }
  decoder.EndPass(false, false);

  BrisqonSettings settings;
  ClientServerTable table;
  ClientServerOptions options;
  options.LastFrame = frame->FrameNumber;
  table.Build({model, settings, nullptr, nullptr}, options);
  table.Sort(kCsColBytes, false);
  ProtocolTable protocols;
  protocols.Build(statistics);
  BuildEthernetDlcSummary(model, statistics, {});
  BuildSoftErrorSummary(model, statistics, {});
  return 0;
}

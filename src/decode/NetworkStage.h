#pragma once
// The network stage of decoding: IP and IPX headers, transports, name learning, and the
// conversation and packet records, for frames of categories IP, IPX and NetBIOS-IPX.
#include "decode/CaptureModel.h"
#include "decode/DecodeTypes.h"
#include "trace/FrameRecord.h"

namespace corvanta {

class NetworkStage {
 public:
  NetworkStage(CaptureModel& model, const DecodeEnvironment& env) : model_(model), env_(env) {}

  // Called by the data-link stage for a frame usable for the network stage.
  void Decode(const FrameRecord& frame, const DataLinkResult& link);
  // After the last frame: corrects directions for servers on learned ports.
  void MarkLearnedServers();

 private:
  CaptureModel& model_;
  const DecodeEnvironment& env_;
};

}  // namespace corvanta

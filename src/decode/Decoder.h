#pragma once
// The frame decoder: for every frame handed over by the processing loop it advances the
// clock, classifies the frame at the data-link layer, updates stations, peers and the
// Token Ring records, counts the whole-trace statistics and passes IP and IPX frames to
// the network stage.
#include <cstdint>
#include <optional>
#include <string>

#include "decode/CaptureModel.h"
#include "decode/DataLinkStations.h"
#include "decode/DecodeTypes.h"
#include "decode/NetworkStage.h"
#include "decode/TraceStatistics.h"
#include "naming/AddressBooks.h"
#include "trace/FrameSink.h"

namespace corvanta {

class Decoder : public FrameSink {
 public:
  // The model and the statistics are the caller's; they are reset by every BeginPass.
  Decoder(CaptureModel& model, TraceStatistics& statistics, const DecodeEnvironment& env);
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;

  // Address books to import at the start of every pass (EtherPeek/TokenPeek names for
  // kind 0, the Observer table named observerTable for kind 12). Without this call no
  // address book is imported.
  void UseAddressBooks(const AddressBookFolders& folders, std::string observerTable = {});

  // Resets the model and the statistics, takes the trace's kind, medium and bandwidth into
  // the environment (a trace of unknown medium or bandwidth keeps the environment's) and
  // imports the address book.
  void BeginPass(const TraceInfo& info, bool preScan) override;
  bool DecodeFrame(FrameRecord& frame) override;
  // The sum of the frame's stored bytes, from which the transport checksums are judged
  // without reading the payload again.
  void Prepare(FrameRecord& frame) const override;
  double ElapsedTime() const override { return statistics_.ElapsedTime; }
  // Closes the last one-second interval; unless pre-scanning, runs the post-pass of the
  // network stage.
  void EndPass(bool preScan, bool stopped) override;

  // Frames handed to DecodeFrame since the last BeginPass.
  int32_t FramesRead() const { return framesRead_; }
  const DecodeEnvironment& Environment() const { return env_; }

 private:
  // The data-link stage; returns the classification with the station pointers set.
  DataLinkResult DecodeDataLink(FrameRecord& frame, ByteView data);
  void HandleMacFrame(StationNode& source, const DataLinkFrame& dl, ByteView data);

  CaptureModel& model_;
  TraceStatistics& statistics_;
  DecodeEnvironment env_;
  NetworkStage network_;
  DataLinkStations stations_;
  std::optional<AddressBookFolders> addressBooks_;
  std::string observerTable_;
  bool preScan_ = false;
  int32_t framesRead_ = 0;
  double dayOffset_ = 0;  // microseconds added to the time of day after each midnight
};

}  // namespace corvanta

#pragma once
#include "trace/FrameRecord.h"
#include "trace/TraceInfo.h"

namespace corvanta {

// Frames queued between the reader's thread and the decoding thread: enough that either
// side's slow stretches (a burst of new conversations, a file read) are taken up by the
// queue instead of stalling the other side.
inline constexpr uint32_t kFramesInFlight = 1024;
// The distances at which a sink looks ahead at queued frames (FrameSink::LookAhead): what it
// fetches at the far one tells it where to fetch at the near one.
inline constexpr uint32_t kLookAheadFar = 6;
inline constexpr uint32_t kLookAheadNear = 3;
// Further on, only what the reader's thread wrote for the frame is fetched, so that the look
// at the far distance finds it at hand.
inline constexpr uint32_t kLookAheadStaged = 12;
// Frames go through the first stage a batch at a time, so that its code and tables stay at
// hand over the batch instead of alternating with reading frame by frame.
inline constexpr uint32_t kFirstStageBatch = 32;
// The distances of the first stage's looks ahead (FrameSink::FirstStageLookAhead): far, as
// a frame is queued; near, that many frames before it goes through the first stage.
inline constexpr uint32_t kFirstStageLag = 4;
inline constexpr uint32_t kFirstStageNear = 2;
// On the reader's thread, what will be written this many frames on (a queue slot, a sink's
// stage) is taken for writing ahead: the decoding thread's CPU read it last.
inline constexpr uint32_t kWriteAhead = 8;

// The decoder side of the processing loop. The loop has already advanced FrameNumber
// when DecodeFrame is called, so implementations must not count it again.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Returns true to ask the reader to stop at once.
  virtual bool DecodeFrame(FrameRecord& frame) = 0;
  // When the reader runs ahead on a thread of its own, a sink may do the first stage of its
  // work on that thread: every frame in order, each before it is queued. That stage must
  // touch nothing DecodeFrame touches. A sink that takes a frame sets
  // frame.Prepared.FirstStageDone; DecodeFrame finishes such a frame, and every frame taken is
  // handed to DecodeFrame even after a stop, so both stages always cover the same frames. At
  // most kFramesInFlight frames are between the two stages. `decoderWaits`: few frames are
  // queued and the decoding thread waits on this one, so what DecodeFrame could do as well is
  // better left to it.
  virtual void FirstStage(FrameRecord& /*frame*/, bool /*decoderWaits*/) {}
  // Whether FirstStage takes frames: only then does running the stages apart on one thread
  // (PassOptions::stageAhead) pay.
  virtual bool HasFirstStage() const { return false; }
  // On the reader's thread, for a frame that FirstStage gets later: as it is queued (distance
  // kFirstStageLag), then kFirstStageNear frames before (unless the queue filled or the
  // pass ended first), what it will read may be fetched ahead. It must change nothing.
  virtual void FirstStageLookAhead(const FrameRecord& /*frame*/, uint32_t /*distance*/) const {}
  // On the decoding thread, with frames waiting in the queue: the frame that DecodeFrame
  // gets `distance` frames after the next one, so that the sink can have what decoding it
  // will read fetched ahead. It must change nothing.
  virtual void LookAhead(const FrameRecord& /*frame*/, uint32_t /*distance*/) const {}
  // Whether the sink may read the last four bytes, the check sequence, of this Ethernet frame,
  // asked by a reader that would synthesise them once the frame's lengths and bytes are in
  // place. Where it may not, the reader leaves them zero and spares computing the CRC.
  virtual bool ReadsCheckSequence(const FrameRecord& /*frame*/) const { return true; }
  // Trace time covered so far in microseconds, for the progress display.
  virtual double ElapsedTime() const { return 0; }
  // Before the open pass: reset the model and counters, derive the bandwidth in bytes per
  // second, import the analyzer's address book.
  virtual void BeginPass(const TraceInfo&, bool /*preScan*/) {}
  // After the frame pass and the file is closed: close the last interval and, unless
  // pre-scanning, run the post-pass. stopped: the user asked to stop.
  virtual void EndPass(bool /*preScan*/, bool /*stopped*/) {}
};

}  // namespace corvanta

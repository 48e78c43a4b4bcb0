#pragma once
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "trace/FrameRecord.h"
#include "trace/FrameSink.h"
#include "trace/TraceFile.h"
#include "trace/TraceInfo.h"

namespace corvanta {

// Refusal, after the file name, of a trace that holds no frames to read.
inline constexpr std::string_view kNoFramesRefusal = " contains no frames.";

// Progress of a processing pass, handed to the poll callback.
struct ReadProgress {
  int32_t frames = 0;
  uint64_t filePosition = 0;
  uint64_t fileSize = 0;
  double elapsedUs = 0;
};

// Called once per frame before the frame is decoded; returns true when the user asked
// to stop. GUI callers throttle their event processing inside it.
using PollCallback = std::function<bool(const ReadProgress&)>;

// The state one reading pass shares between the loop and a reader. Owned by the caller.
struct ReaderContext {
  ReaderContext(const TraceInfo& traceInfo, FrameRecord& record, FrameSink& decoder)
      : info(traceInfo), frame(record), sink(decoder) {}

  const TraceInfo& info;
  FrameRecord& frame;
  FrameSink& sink;
  PollCallback poll;

  TraceFile file;
  int64_t timeZoneBias = 0;  // seconds; UTC = local + bias
  bool stopRequested = false;
  bool endOfFile = false;
  bool readError = false;
  bool decoderStop = false;
  int32_t framesRead = 0;        // published at the end of the frame pass
  int32_t frameCountLimit = 0;   // > 0: the decoder stops once FrameNumber reaches it (LANalyzer)
  uint64_t progressPosition = 0; // file position shown by the progress window

  // Set by a reader whose topology comes from its first frame (pre-scan).
  Topology detectedTopology = kUnknownTopology;
  bool noFrames = false;  // a pre-scan found an empty trace
  // The pass only looks at the first frame (the header read of kinds whose topology comes
  // from it); frames of an unknown medium are delivered then.
  bool preScan = false;
  // Some frame was stored shorter than its length on the wire, or cut to the frame buffer.
  bool slicedFrames = false;
  int32_t slicedCount = 0;
  // The frame being read was longer than the frame buffer: its first bytes were kept and the
  // rest passed over. Such a frame counts as sliced and gets no synthesised check sequence.
  bool frameCut = false;
  // The pass ended at a record it could not read (bad length, past the end of the file, a
  // chain that cannot go on) while bytes of the file remained unread.
  bool endedEarly = false;
  // The text after the file name with which the trace is refused when Open fails; empty for
  // the general "could not be read" refusal.
  std::string_view openRefusal;

  // Scratch buffers for record bodies and decompressed data.
  std::vector<uint8_t> scratch1 = std::vector<uint8_t>(32768);
  std::vector<uint8_t> scratch2 = std::vector<uint8_t>(32768);
  std::vector<uint8_t> scratch3 = std::vector<uint8_t>(32869);

  // Hands the filled frame to the decoder. Returns true when the reader must stop.
  bool Deliver() {
    ++frame.FrameNumber;
    // The decoder reads Data up to these lengths.
    if (frame.Length > kMaxFrameLength) frame.Length = kMaxFrameLength;
    if (frame.CapturedLength > kMaxFrameLength) frame.CapturedLength = kMaxFrameLength;
    if (frame.CapturedLength < frame.Length || frameCut) {
      slicedFrames = true;
      ++slicedCount;
    }
    progressPosition = frame.Position = file.Position();
    if (poll) {
      ReadProgress p{frame.FrameNumber, progressPosition, info.fileSize, sink.ElapsedTime()};
      if (poll(p)) stopRequested = true;
    }
    if (sink.DecodeFrame(frame)) decoderStop = true;
    if (frameCountLimit > 0 && frame.FrameNumber >= frameCountLimit) decoderStop = true;
    return decoderStop || stopRequested;
  }
  // Clears the per-frame fields before a record is read.
  void BeginFrame() {
    frame.Status = 0;
    frame.Length = 0;
    frame.CapturedLength = 0;
    frameCut = false;
  }
};

// A reader of one analyzer family. Open reads the file header and positions the file at
// the first frame record (FrameNumber is 0 afterwards); ReadFrames loops over the records
// and delivers each frame until an end condition holds.
class TraceReader {
 public:
  virtual ~TraceReader() = default;
  // False when the header cannot be read; the pass then ends with no frames.
  virtual bool Open(ReaderContext& ctx) = 0;
  virtual void ReadFrames(ReaderContext& ctx, bool oneFrame) = 0;
};

}  // namespace corvanta

#pragma once
#include "trace/FrameRecord.h"
#include "trace/TraceInfo.h"

namespace corvanta {

// The decoder side of the processing loop. The loop has already advanced FrameNumber
// when DecodeFrame is called, so implementations must not count it again.
class FrameSink {
 public:
  virtual ~FrameSink() = default;
  // Returns true to ask the reader to stop at once.
  virtual bool DecodeFrame(FrameRecord& frame) = 0;
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

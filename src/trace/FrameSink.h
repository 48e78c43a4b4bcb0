#pragma once
#include "trace/FrameRecord.h"

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
};

}  // namespace corvanta

#pragma once
#include <cstdint>
#include <memory>

#include "analysis/FileSummary.h"
#include "trace/FrameSink.h"

namespace corvanta::ui {

// What the open flow needs from the frame decoder: the sink the processing loop feeds and,
// afterwards, the figures the pages show.
class TraceDecoding {
 public:
  virtual ~TraceDecoding() = default;
  virtual FrameSink& Sink() = 0;
  // Trace time covered in microseconds.
  virtual double ElapsedTime() const = 0;
  // IP plus IPX frames: the toolbox and the network map need at least one.
  virtual int32_t IpOrIpxFrames() const = 0;
  // False while frames are only counted: the statistics boxes keep their empty state.
  virtual bool HasStatistics() const { return true; }
  // The statistics part of the file summary inputs; the caller adds the bandwidth choices.
  virtual void FillSummary(FileSummaryInputs& inputs) const = 0;
};

// The decoder the open flow uses. Until the frame decoder exists, frames are only counted
// and timed; this is the one place that changes when it lands.
std::unique_ptr<TraceDecoding> MakeTraceDecoding();

}  // namespace corvanta::ui

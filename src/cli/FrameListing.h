#pragma once
// The frames a reader hands to the decoder, one line each, to make the readers' behaviour
// visible and diffable.
#include <cstdio>
#include <string>

#include "trace/FrameSink.h"

namespace corvanta::cli {

// One line: frame number, Timestamp in microseconds with three decimals, Length,
// CapturedLength and Status as four hex digits, tab-separated.
std::string FrameLine(const FrameRecord& frame);

// Writes a line per frame to a stream, buffered.
class FrameListingSink : public FrameSink {
 public:
  explicit FrameListingSink(std::FILE* out) : out_(out) {}
  ~FrameListingSink() override { Flush(); }
  FrameListingSink(const FrameListingSink&) = delete;
  FrameListingSink& operator=(const FrameListingSink&) = delete;

  bool DecodeFrame(FrameRecord& frame) override;
  double ElapsedTime() const override { return elapsed_; }
  void EndPass(bool, bool) override { Flush(); }
  void Flush();

 private:
  std::FILE* out_;
  std::string buffer_;
  double elapsed_ = 0;
  double first_ = 0;
};

}  // namespace corvanta::cli

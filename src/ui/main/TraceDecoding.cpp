#include "ui/main/TraceDecoding.h"

namespace corvanta::ui {
namespace {

constexpr double kDayUs = 86400.0 * 1000000.0;

// Counts frames and keeps the trace time covered, with the midnight wrap of the clock.
class FrameCountingSink final : public FrameSink, public TraceDecoding {
 public:
  FrameSink& Sink() override { return *this; }

  void BeginPass(const TraceInfo& info, bool /*preScan*/) override {
    topology_ = info.topology;
    frames_ = 0;
    elapsed_ = 0;
    previous_ = 0;
  }

  bool DecodeFrame(FrameRecord& frame) override {
    if (frame.FrameNumber <= 1) {
      elapsed_ = 0;
    } else if (previous_ > frame.Timestamp) {
      elapsed_ += kDayUs - previous_ + frame.Timestamp;
    } else {
      elapsed_ += frame.Timestamp - previous_;
    }
    previous_ = frame.Timestamp;
    frames_ = frame.FrameNumber;
    return false;
  }

  double ElapsedTime() const override { return elapsed_; }
  int32_t IpOrIpxFrames() const override { return 0; }
  bool HasStatistics() const override { return false; }

  void FillSummary(FileSummaryInputs& in) const override {
    in.topology = topology_;
    in.totalFrames = frames_;
  }

 private:
  Topology topology_ = kEthernet;
  int32_t frames_ = 0;
  double elapsed_ = 0;
  double previous_ = 0;
};

}  // namespace

std::unique_ptr<TraceDecoding> MakeTraceDecoding() { return std::make_unique<FrameCountingSink>(); }

}  // namespace corvanta::ui

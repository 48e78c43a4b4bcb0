// TTC FireBerd 500 (kind 18) and NetLens/Spider (kind 20): a file header with the frame
// count, then frame records with a 10-byte header.
#include <algorithm>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr size_t kRecordHeaderSize = 10;
constexpr uint16_t kCrcFlag = 0x0800;
constexpr uint16_t kAlignmentFlag = 0x0400;
// Frames stored at this size or longer already hold their check sequence.
constexpr uint32_t kLongFrame = 1515;
constexpr uint16_t kLongFrameCaptured = 1514;

class TtcReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    const bool fireBerd = ctx.info.kind == kAnalyzerFireBerd;
    const size_t headerSize = fireBerd ? 76 : 26;
    uint8_t header[76];
    if (!ReadFileHeader(ctx, header, headerSize)) return false;
    frameCount_ = ByteView(header, headerSize).U32le(fireBerd ? 72 : 22);
    return true;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    // A count of 0 gives no limit: the records run to the end of the file.
    DeliverFrames(ctx, oneFrame, [this, &ctx] {
      return (frameCount_ == 0 || static_cast<uint32_t>(ctx.frame.FrameNumber) < frameCount_) && ReadFrame(ctx);
    });
  }

 private:
  // Reads one frame record; false at the end of the data.
  static bool ReadFrame(ReaderContext& ctx) {
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t raw[kRecordHeaderSize];
    if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    ByteView h(raw, sizeof raw);
    const uint32_t stored = h.U16le(0);
    if (!ReadStoredFrame(ctx, stored)) return false;
    const uint32_t kept = std::min<uint32_t>(stored, kMaxFrameLength);

    const bool ethernet = ctx.info.topology == kEthernet;
    const uint32_t extra = ethernet ? 4 : 0;
    const bool longFrame = stored >= kLongFrame;
    f.CapturedLength = longFrame ? kLongFrameCaptured : static_cast<uint16_t>(stored + extra);
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(longFrame ? stored : stored + extra, kMaxFrameLength));
    ClearFrameTail(f, kept, std::max(f.Length, f.CapturedLength));
    if (ethernet) {
      const uint16_t flags = h.U16le(2);
      if (flags & kCrcFlag) f.Status |= kStatusCrcError;
      if (flags & kAlignmentFlag) f.Status |= kStatusAlignmentError;
      SynthesizeFcsUnlessCut(ctx);
    }
    // One little-endian 32-bit count of milliseconds.
    f.Timestamp = h.U32le(6) * 1000.0;
    return true;
  }

  uint32_t frameCount_ = 0;
};

}  // namespace

std::unique_ptr<TraceReader> CreateTtcReader() { return std::make_unique<TtcReader>(); }

}  // namespace corvanta

// Sun snoop (kind 15) and Shomiti Surveyor (kind 16): one big-endian record format; the
// Shomiti records end with a 16-byte trailer that carries the CRC-error bit.
#include <algorithm>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {

namespace {

constexpr size_t kFileHeaderSize = 16;
constexpr size_t kRecordHeaderSize = 24;
constexpr size_t kTrailerSize = 16;
constexpr uint16_t kTrailerCrcError = 0x0200;

class SnoopReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kFileHeaderSize];
    return ReadFileHeader(ctx, header, sizeof header);
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [&ctx] { return ReadFrame(ctx); });
  }

 private:
  static bool ReadFrame(ReaderContext& ctx) {
    const bool shomiti = ctx.info.kind == kAnalyzerShomiti;
    const bool ethernet = ctx.info.topology == kEthernet;
    const size_t overhead = kRecordHeaderSize + (shomiti ? kTrailerSize : 0);
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t raw[kRecordHeaderSize];
    if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    ByteView h(raw, sizeof raw);
    const uint32_t wire = h.U32be(0);
    const uint32_t included = h.U32be(4);
    const uint32_t recordLength = h.U32be(8);
    const uint32_t seconds = h.U32be(16);
    // A record shorter than its own header would never advance.
    if (recordLength < overhead) return RejectRecord(ctx);
    if (f.FrameNumber == 0) StartAtUnixSeconds(ctx, seconds);

    // The frame bytes, padding included; what the frame buffer cannot hold is passed over.
    const size_t body = recordLength - overhead;
    const size_t kept = std::min<size_t>(body, kMaxFrameLength);
    if (!ReadBodyKeeping(ctx, f.Data.data(), body, kMaxFrameLength)) return false;
    if (shomiti) {
      uint8_t trailer[kTrailerSize];
      if (!ReadOrEnd(ctx, trailer, sizeof trailer)) return false;
      if (ByteView(trailer, sizeof trailer).U16le(2) & kTrailerCrcError) f.Status |= kStatusCrcError;
    }
    f.Timestamp = static_cast<double>(LocalSecondOfDay(seconds, ctx.timeZoneBias)) * 1e6 + h.U32be(20);

    uint64_t length = wire;
    uint64_t captured = included;
    if (ethernet) {
      if (shomiti && length < 64) length = 64;
      if (length == captured) {
        length = captured = std::max<uint64_t>(length, 60);
        if (!shomiti) length = captured = length + 4;
      } else if (!shomiti) {
        length += 4;
      }
    }
    // A frame stored longer than the buffer is kept cut, and counted as sliced.
    if (captured > kMaxFrameLength) ctx.frameCut = true;
    f.Length = static_cast<uint16_t>(std::min<uint64_t>(length, kMaxFrameLength));
    f.CapturedLength = static_cast<uint16_t>(std::min<uint64_t>(captured, kMaxFrameLength));
    // Padding and bytes never stored read as zero, so the check sequence is reproducible.
    ClearFrameTail(f, std::min<size_t>(kept, included), std::max(f.Length, f.CapturedLength));
    if (ethernet && !shomiti) SynthesizeFcsUnlessCut(ctx);
    return true;
  }
};

}  // namespace

std::unique_ptr<TraceReader> CreateSnoopReader() { return std::make_unique<SnoopReader>(); }

}  // namespace corvanta

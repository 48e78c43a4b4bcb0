// Precision Guesswork LANWatch (kind 14): a 16-byte header and 12-byte record headers whose
// times are PC-timer ticks.
#include <algorithm>
#include <cmath>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr size_t kFileHeaderSize = 16;
constexpr size_t kExtraHeaderSize = 4;  // from version 4 on
constexpr size_t kRecordHeaderSize = 12;
constexpr uint16_t kAlignmentFlag = 0x0080;
constexpr uint16_t kCrcFlag = 0x0002;
constexpr uint8_t kNoFrame = 0x80;  // in byte 11
// One tick of the 1.193182 MHz counter, and one of the 18.2 Hz BIOS clock, in microseconds.
constexpr double kTimerTickUs = 0.83809534452;
constexpr double kBiosTickUs = 54925.41649846272;
constexpr double kDayUs = 86400e6;

class LanWatchReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kFileHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);
    if (!h.Matches(0, "PKTDMP")) return false;
    return h.U16le(6) < 4 || ctx.file.Skip(kExtraHeaderSize);
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [&ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads the next record that carries a frame; false at the end of the data.
  static bool ReadFrame(ReaderContext& ctx) {
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t raw[kRecordHeaderSize];
    // A record without a frame is only its header; the next header follows at once.
    do {
      if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    } while (raw[11] & kNoFrame);
    ByteView h(raw, sizeof raw);
    const uint32_t wire = h.U16le(0);
    const uint32_t stored = h.U16le(2);
    if (!ReadStoredFrame(ctx, stored)) return false;
    const uint32_t kept = std::min<uint32_t>(stored, kMaxFrameLength);

    const bool ethernet = ctx.info.topology == kEthernet;
    const uint16_t flags = h.U16le(10);
    if (ethernet && (flags & kAlignmentFlag)) f.Status |= kStatusAlignmentError;
    if (ethernet && (flags & kCrcFlag)) f.Status |= kStatusCrcError;
    const double biosTicks = static_cast<double>(h.U16le(6)) * 65536 + h.U16le(4);
    f.Timestamp = std::fmod(h.U16le(8) * kTimerTickUs + biosTicks * kBiosTickUs, kDayUs);

    const uint32_t extra = ethernet ? 4 : 0;
    if (stored + extra > kMaxFrameLength) ctx.frameCut = true;
    f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(stored + extra, kMaxFrameLength));
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(wire + extra, kMaxFrameLength));
    ClearFrameTail(f, kept, std::max(f.Length, f.CapturedLength));
    if (ethernet) SynthesizeFcsUnlessCut(ctx);
    return true;
  }
};

}  // namespace

std::unique_ptr<TraceReader> CreateLanWatchReader() { return std::make_unique<LanWatchReader>(); }

}  // namespace corvanta

// HP Internet Advisor before Windows 95 (kind 5): a 128-byte header, then tagged blocks of
// which "FR30" and "FR50" hold frames.
#include <algorithm>

#include "trace/Bytes.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr size_t kFileHeaderSize = 128;
constexpr size_t kBlockHeaderSize = 8;
constexpr size_t kGroupHeaderSize = 20;
constexpr size_t kFrameHeaderSize = 24;
constexpr uint8_t kLastGoodStatus = 7;

class HpReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kFileHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    StartAtUnixSeconds(ctx, ByteView(header, sizeof header).U32le(12));
    return true;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [&ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads blocks up to and including the next frame block; false at the end of the data.
  static bool ReadFrame(ReaderContext& ctx) {
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    for (;;) {
      const uint64_t blockStart = ctx.file.Position();
      uint8_t block[kBlockHeaderSize];
      if (!ReadOrEnd(ctx, block, sizeof block)) return false;
      ByteView b(block, sizeof block);
      if (b.Matches(4, "FR30") || b.Matches(4, "FR50")) break;
      if (b.Matches(4, "GRP0")) {
        uint8_t group[kGroupHeaderSize];
        if (!ReadOrEnd(ctx, group, sizeof group)) return false;
        continue;
      }
      // A block shorter than its own header would never move the file on.
      const uint64_t blockEnd = blockStart + static_cast<uint64_t>(b.U16le(2)) * 4;
      if (blockEnd < blockStart + kBlockHeaderSize) return RejectRecord(ctx);
      if (!ReadOrEnd(ctx, nullptr, blockEnd - ctx.file.Position())) return false;
    }

    uint8_t raw[kFrameHeaderSize];
    if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    ByteView h(raw, sizeof raw);
    const uint32_t stored = h.U16le(12);
    // The stored bytes are followed by the check sequence and padding to 32 bits.
    const size_t padded = (stored + 4 + 3) & ~size_t{3};
    // Of a frame longer than the buffer the first bytes are kept; the next block follows
    // the padded bytes.
    if (!ReadStoredFrame(ctx, padded)) return false;
    ctx.frameCut = stored > kMaxFrameLength;  // only the check sequence and padding may be lost
    if (ctx.info.topology == kEthernet && h.U8(11) > kLastGoodStatus) f.Status |= kStatusCrcError;
    f.Timestamp = static_cast<double>(LocalSecondOfDay(h.U32le(16), ctx.timeZoneBias)) * 1e6 + h.U32le(20) / 1000;
    f.CapturedLength = static_cast<uint16_t>(stored);
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(h.U16le(8), kMaxFrameLength));
    ClearFrameTail(f, std::min<size_t>(padded, kMaxFrameLength), f.Length);
    return true;
  }
};

}  // namespace

std::unique_ptr<TraceReader> CreateHpReader() { return std::make_unique<HpReader>(); }

}  // namespace corvanta

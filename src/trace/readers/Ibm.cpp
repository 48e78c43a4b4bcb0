// IBM DataGLANce (kind 6): a 512-byte header, then frames in 128-byte blocks of which each
// carries 88 frame bytes.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "trace/Bytes.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr size_t kFileHeaderSize = 512;
constexpr size_t kBlockSize = 128;
constexpr size_t kBlockDataOffset = 40;
constexpr size_t kBlockData = 88;
constexpr uint8_t kTimerBase = 0x20;
constexpr double kTimerTickUs = 0.83809534452;
// Ethernet counts below this are in 32-millisecond units rather than timer ticks.
constexpr uint64_t kCoarseTickLimit = 2700000;
constexpr double kCoarseTickUs = 32000;

class IbmReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kFileHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    const uint32_t start = ByteView(header, sizeof header).U32le(144);
    StartAtUnixSeconds(ctx, start);
    startSecondOfDay_ = LocalSecondOfDay(start, ctx.timeZoneBias);
    return true;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [this, &ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads the blocks of the next frame; false at the end of the data.
  bool ReadFrame(ReaderContext& ctx) const {
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t first[kBlockSize];
    do {  // blocks whose first byte is 0 hold no frame
      if (!ReadOrEnd(ctx, first, sizeof first)) return false;
    } while (first[0] == 0);
    ByteView h(first, sizeof first);
    const uint32_t stored = h.U16le(2);
    std::memcpy(f.Data.data(), first + kBlockDataOffset, kBlockData);

    // Continuation blocks beyond what the frame buffer holds are read and dropped.
    const size_t continuations = (stored + 1) / kBlockData;
    size_t copied = kBlockData;
    for (size_t i = 0; i < continuations; ++i) {
      uint8_t block[kBlockSize];
      if (!ReadOrEnd(ctx, block, sizeof block)) return false;
      if (kBlockData * i + 89 < kMaxFrameLength - 89u) {
        std::memcpy(f.Data.data() + kBlockData * (i + 1), block + kBlockDataOffset, kBlockData);
        copied = kBlockData * (i + 2);
      }
    }

    const uint64_t a = h.U16le(6), b = h.U16le(8), c = h.U16le(10);
    const uint64_t ticks = ((a << 16) + c) * 65536 + b;
    const bool ethernet = ctx.info.topology == kEthernet;
    double timestamp = static_cast<double>(startSecondOfDay_) * 1e6;
    if ((h.U8(0) & kTimerBase) || (ethernet && ticks > kCoarseTickLimit))
      timestamp += std::nearbyint(static_cast<double>(ticks) * kTimerTickUs);
    else if (ethernet)
      timestamp += std::nearbyint(static_cast<double>(ticks) * kCoarseTickUs);
    else  // Token Ring: seconds of the day and hundredths
      timestamp = static_cast<double>((c * 65536 + b) % 86400) * 1e6 + static_cast<double>(a) * 10000;
    f.Timestamp = timestamp;
    // Bytes beyond what the frame buffer holds were read and dropped.
    if (stored > copied) ctx.frameCut = true;
    f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(stored, kMaxFrameLength));
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(h.U16le(4), kMaxFrameLength));
    ClearFrameTail(f, copied, std::max(f.Length, f.CapturedLength));
    return true;
  }

  int64_t startSecondOfDay_ = 0;
};

}  // namespace

std::unique_ptr<TraceReader> CreateIbmReader() { return std::make_unique<IbmReader>(); }

}  // namespace corvanta

// Digitech LAN900 (kind 2): the file is a ring of 65536-byte buffers; buffer 0 holds the
// buffer table, buffers 1..N the frame records, read from the first buffer round the ring.
#include <algorithm>
#include <cmath>
#include <vector>

#include "trace/Bytes.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr uint64_t kBufferSize = 65536;
constexpr size_t kMaxBuffers = 4096;
constexpr uint64_t kTableOffset = 40;
constexpr uint64_t kCountsOffset = 8238;
constexpr size_t kRecordHeaderSize = 12;
constexpr uint8_t kFrameRecord = 130;
constexpr uint64_t kTicksPerDay = 103090814976ULL;
constexpr double kTickUs = 0.838096536007;
constexpr double kWrappedTickUs = 0.838096003219;
// A frame stamped less than this before its predecessor is taken to share its time.
constexpr double kRegressionUs = 60000000;

Topology MediumTopology(uint8_t medium) {
  switch (medium & 0x1F) {
    case 5:
    case 7: return kEthernet;
    case 6: return kTokenRing;
    default: return kUnknownTopology;
  }
}

class DigitechReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    ctx.frame.FrameNumber = 0;
    uint8_t raw[6];
    if (!ctx.file.ReadAt(kTableOffset, raw, sizeof raw)) return false;
    ByteView t(raw, sizeof raw);
    size_t buffers = t.U16le(0);
    const size_t first = t.U16le(2);
    const size_t last = t.U16le(4);
    if (first == 1) buffers = last;  // last - first + 1
    buffers = std::min(buffers, kMaxBuffers);
    if (last == 0 || buffers == 0) {
      ctx.noFrames = true;
      return false;
    }
    // A first buffer outside the table leaves no defined place to start.
    if (first == 0 || first > buffers) return false;

    std::vector<uint8_t> table(buffers * 2);
    if (!ctx.file.ReadAt(kCountsOffset, table.data(), table.size())) return false;
    ByteView c(table.data(), table.size());
    counts_.assign(buffers + 1, 0);
    total_ = 0;
    for (size_t n = 1; n <= buffers; ++n) {
      counts_[n] = c.U16le((n - 1) * 2);
      total_ += counts_[n];
    }
    buffer_ = first;
    limit_ = counts_[first];
    framesRead_ = 0;
    return ctx.file.Seek(first * kBufferSize);
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    body_.resize(65536);
    DeliverFrames(ctx, oneFrame, [this, &ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads records up to the next frame to deliver; false once every frame is read.
  bool ReadFrame(ReaderContext& ctx) {
    FrameRecord& f = ctx.frame;
    const size_t buffers = counts_.size() - 1;
    const ByteView h(header_, sizeof header_);
    ctx.BeginFrame();
    for (;;) {
      if (framesRead_ >= total_) return false;
      if (framesRead_ == limit_) {
        // Buffers follow each other round the ring; the counts say where each one ends.
        buffer_ = buffer_ >= buffers ? 1 : buffer_ + 1;
        if (!ctx.file.Seek(buffer_ * kBufferSize)) return false;  // a buffer past the end of the file
        limit_ += counts_[buffer_];
        continue;
      }
      if (!ReadOrEnd(ctx, header_, sizeof header_)) return false;
      bodyLength_ = h.U16le(2);
      if (!ReadOrEnd(ctx, body_.data(), bodyLength_)) return false;
      if (h.U8(0) != kFrameRecord) continue;
      ++framesRead_;
      const Topology medium = MediumTopology(h.U8(1));
      if (framesRead_ == 1) ctx.detectedTopology = medium;
      // The header read runs this reader to learn the medium: every frame counts then.
      if (medium != kUnknownTopology || ctx.preScan) break;
    }

    const uint8_t flags = h.U8(4);
    if (flags & 1) f.Status |= kStatusCrcError;
    if (flags & 2) f.Status |= kStatusAlignmentError;
    const uint64_t ticks = static_cast<uint64_t>(h.U32le(5)) * 65536 + h.U16le(9);
    double timestamp = ticks > kTicksPerDay ? static_cast<double>(ticks % kTicksPerDay) * kWrappedTickUs
                                            : static_cast<double>(ticks) * kTickUs;
    if (f.FrameNumber >= 2 && timestamp < f.Timestamp && f.Timestamp - timestamp < kRegressionUs)
      timestamp = f.Timestamp;
    f.Timestamp = timestamp;

    ByteView b(body_.data(), bodyLength_);
    const uint32_t frameLength = b.U16le(0);
    const uint32_t captured = frameLength == bodyLength_ + 2 ? frameLength : bodyLength_ + 2;
    if (captured > kMaxFrameLength) ctx.frameCut = true;
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(frameLength, kMaxFrameLength));
    f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(captured, kMaxFrameLength));
    // Bytes the record does not hold (the check sequence among them) read as zero.
    b.Copy(2, f.Data.data(), std::max(f.Length, f.CapturedLength));
    return true;
  }

  std::vector<uint32_t> counts_;  // frames per buffer, indexed 1..N
  uint64_t total_ = 0;
  uint64_t limit_ = 0;
  uint64_t framesRead_ = 0;
  size_t buffer_ = 0;
  uint8_t header_[kRecordHeaderSize] = {};
  std::vector<uint8_t> body_;
  size_t bodyLength_ = 0;
};

}  // namespace

std::unique_ptr<TraceReader> CreateDigitechReader() { return std::make_unique<DigitechReader>(); }

}  // namespace corvanta

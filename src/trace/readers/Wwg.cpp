// WWG analyzers: the DA-30 (kind 21) with chained frame records, and the Domino and
// LinkView PRO (kinds 22, 23) whose frames are found through a frame index.
#include <algorithm>
#include <cmath>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr size_t kFileHeaderSize = 78;
constexpr double kTimeUnitUs = 32;  // both families count time in 32-microsecond units

class Da30Reader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kFileHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);
    // The media block (16 bytes and the medium's own part) is read and not used.
    const size_t mediaBlock = 16 + (ctx.info.topology == kEthernet ? 152 : 112);
    uint8_t media[16 + 152];
    return ctx.file.ReadAt(h.U32le(22), media, mediaBlock) && ctx.file.Seek(h.U32le(30));
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [&ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads one frame record; false at the end of the data.
  static bool ReadFrame(ReaderContext& ctx) {
    constexpr size_t kRecordHeaderSize = 8;
    constexpr size_t kMaxBody = 32796;
    constexpr size_t kFrameOffset = 28;
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t raw[kRecordHeaderSize];
    if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    const uint64_t recordBytes = static_cast<uint64_t>(ByteView(raw, sizeof raw).U32le(4)) * 4;
    if (recordBytes == 0) return false;  // the end of the data
    if (recordBytes < kRecordHeaderSize) return RejectRecord(ctx);
    // The record length says where the next record starts: of a frame longer than the
    // buffer the first bytes are kept and the rest passed over.
    const uint64_t length = recordBytes - kRecordHeaderSize;
    uint8_t* body = ctx.scratch3.data();
    if (!ReadBodyKeeping(ctx, body, length, kMaxBody)) return false;

    ByteView r(body, static_cast<size_t>(std::min<uint64_t>(length, kMaxBody)));
    const uint32_t flags = r.U32le(8);
    if (ctx.info.topology == kEthernet && (flags & 0x08) && !(flags & 0x10)) f.Status |= kStatusCrcError;
    f.Timestamp = r.U32le(16) * kTimeUnitUs;
    if (r.U32le(24) > kMaxFrameLength) ctx.frameCut = true;
    f.Length = f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(r.U32le(24), kMaxFrameLength));
    r.Copy(kFrameOffset, f.Data.data(), f.Length);
    return true;
  }
};

class DominoReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    FrameRecord& f = ctx.frame;
    uint8_t header[kFileHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);
    const uint32_t start = h.U32le(54);
    const int secondOfDay = h.U8(58) * 3600 + h.U8(59) * 60 + h.U8(60);
    if (start != 0) {
      // The date comes from the start; the time of day from the header's own fields.
      StartAtUnixSeconds(ctx, start);
      f.StartTime = std::floor(f.StartTime) + secondOfDay / 86400.0;
    }
    t0_ = secondOfDay * 1e6;
    const uint16_t code = h.U16le(62);
    const uint16_t subCode = h.U16le(64);
    const bool linkViewEthernet = ctx.info.kind == kAnalyzerLinkView && ctx.info.topology == kEthernet;
    addCheckSequence_ = linkViewEthernet && code == 739;
    synthesize_ = linkViewEthernet && subCode == 4;

    // Chunks follow the header until the frame index pointer. A file that stops before
    // naming its index has no frames we could find: it is refused.
    for (;;) {
      uint8_t chunk[8];
      if (!ctx.file.Read(chunk, sizeof chunk)) return false;
      ByteView c(chunk, sizeof chunk);
      if (c.Matches(0, "STOP")) {
        ctx.openRefusal = kNoFramesRefusal;
        return false;
      }
      if (!c.Matches(0, "FRAM")) continue;
      uint8_t word[4];
      if (!ctx.file.ReadAt(c.U32le(4), word, sizeof word)) return false;
      const uint32_t index = ByteView(word, 4).U32le(0);
      if (!ctx.file.ReadAt(index, word, sizeof word)) return false;
      frameCount_ = ByteView(word, 4).U32le(0);
      entryPosition_ = static_cast<uint64_t>(index) + 4;
      return true;
    }
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [this, &ctx] { return ReadFrame(ctx); });
  }

 private:
  // Reads the frame of the next index entry; false once the index is done.
  bool ReadFrame(ReaderContext& ctx) {
    constexpr size_t kEntrySize = 20;
    FrameRecord& f = ctx.frame;
    if (static_cast<uint32_t>(f.FrameNumber) >= frameCount_) return false;
    ctx.BeginFrame();
    uint8_t raw[kEntrySize];
    if (!ctx.file.Seek(entryPosition_) || !ReadOrEnd(ctx, raw, sizeof raw)) return false;
    entryPosition_ += kEntrySize;
    ByteView e(raw, sizeof raw);
    const uint32_t stored = e.U16le(4);
    const uint32_t wire = e.U16le(6);
    if (!(e.U32le(16) & 0x18)) f.Status |= kStatusCrcError;
    f.Timestamp = e.U32le(12) * kTimeUnitUs + t0_;
    const uint32_t length = wire != 0 ? wire : stored + (addCheckSequence_ ? 4 : 0);
    f.CapturedLength = static_cast<uint16_t>(stored);
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(length, kMaxFrameLength));
    if (!ctx.file.Seek(e.U32le(0))) return RejectRecord(ctx);  // a frame past the end of the file
    if (!ReadStoredFrame(ctx, stored)) return false;
    ClearFrameTail(f, std::min<uint32_t>(stored, kMaxFrameLength), f.Length);
    if (synthesize_) SynthesizeFcsUnlessCut(ctx);
    return true;
  }

  double t0_ = 0;
  bool addCheckSequence_ = false;
  bool synthesize_ = false;
  uint32_t frameCount_ = 0;
  uint64_t entryPosition_ = 0;
};

// The factory serves all three kinds; the family is chosen once the kind is known.
class WwgReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    if (ctx.info.kind == kAnalyzerDa30)
      family_ = std::make_unique<Da30Reader>();
    else
      family_ = std::make_unique<DominoReader>();
    return family_->Open(ctx);
  }
  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    if (family_) family_->ReadFrames(ctx, oneFrame);
  }

 private:
  std::unique_ptr<TraceReader> family_;
};

}  // namespace

std::unique_ptr<TraceReader> CreateWwgReader() { return std::make_unique<WwgReader>(); }

}  // namespace corvanta

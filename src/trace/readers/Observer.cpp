// Reader of NI Observer traces (kind 12): records chained by absolute file offsets.
#include "trace/readers/Observer.h"

#include <algorithm>

#include "trace/Fcs.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {

int ObserverVersion(const ByteView& header) {
  for (size_t i = 0; i < 32 && i < header.size(); ++i) {
    if (header.U8(i) != '=') continue;
    if (i + 1 >= header.size()) return -1;
    const uint8_t v = header.U8(i + 1);
    return v >= '0' && v <= '9' ? v - '0' : -1;
  }
  return -1;
}

namespace {

constexpr size_t kObserverHeaderSize = 113;
constexpr size_t kObserverRecordSize = 44;
constexpr uint32_t kRuntLength = 64;

class ObserverReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kObserverHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    version_ = ObserverVersion(ByteView(header, sizeof header));
    // Without a version the length rules cannot be chosen: the trace is refused.
    return version_ >= 0;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    FrameRecord& f = ctx.frame;
    TraceFile& file = ctx.file;
    const bool ethernet = ctx.info.topology == kEthernet;
    const bool tokenRing = ctx.info.topology == kTokenRing;
    uint64_t recordAt = file.Position();
    for (;;) {
      ctx.BeginFrame();
      uint8_t record[kObserverRecordSize];
      if (!file.Read(record, sizeof record)) {
        ctx.endOfFile = true;
        break;
      }
      ByteView r(record, sizeof record);
      const uint32_t stored = r.U32le(40);
      if (!ReadStoredFrame(ctx, stored)) break;
      const uint32_t flags = r.U32le(32);
      if (flags & 0x02) f.Status |= kStatusCrcError;
      if (flags & 0x01) f.Status |= kStatusAlignmentError;
      f.Timestamp = static_cast<double>(r.U32le(36)) * 1000;

      uint64_t length, captured;
      Lengths(r.U32le(28), stored, tokenRing, length, captured);
      if (length < kRuntLength && !(f.Status & kStatusCrcError)) length = captured = kRuntLength;
      length = std::min<uint64_t>(length, kMaxFrameLength);
      ClearFrameTail(f, stored, static_cast<size_t>(std::min<uint64_t>(std::max(length, captured), kMaxFrameLength)));
      f.Length = static_cast<uint16_t>(length);
      f.CapturedLength = static_cast<uint16_t>(std::min<uint64_t>(captured, kMaxFrameLength));
      if (ethernet) SynthesizeFcs(f);

      if (ctx.Deliver() || oneFrame) break;
      // A chain that does not move forward would loop: it ends the trace like a last record.
      const uint64_t next = r.U32le(12);
      if (next == 0 || next >= file.Size() || next <= recordAt || !file.Seek(next)) break;
      recordAt = next;
    }
    ctx.framesRead = f.FrameNumber;
  }

 private:
  // Length and CapturedLength from the wire length O and stored length C by version.
  void Lengths(uint64_t wire, uint64_t stored, bool tokenRing, uint64_t& length, uint64_t& captured) const {
    if (version_ < 4) {
      length = captured = tokenRing ? stored : stored + 4;
    } else if (stored == wire) {
      if ((tokenRing && wire != 0) || version_ >= 6) {
        length = wire;
        captured = stored;
      } else {
        length = wire + 4;
        captured = stored + 4;
      }
    } else if (tokenRing) {
      length = captured = stored;
    } else {
      length = version_ >= 6 ? wire : wire + 4;
      captured = stored;
    }
  }

  int version_ = -1;
};

}  // namespace

std::unique_ptr<TraceReader> CreateObserverReader() { return std::make_unique<ObserverReader>(); }

}  // namespace corvanta

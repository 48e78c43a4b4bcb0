// Reader of AG EtherPeek/TokenPeek traces (kind 0), versions 6 and 7: big-endian records
// whose times count from 1904-01-01 in local time.
#include <algorithm>
#include <cmath>

#include "trace/Bytes.h"
#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {

namespace {

constexpr size_t kEtherPeekHeaderSize = 50;
constexpr size_t kEtherPeekV6RecordSize = 26;
constexpr size_t kEtherPeekV7RecordSize = 16;
constexpr int64_t kDaySeconds = 86400;

struct EtherPeekRecord {
  uint32_t wire = 0;
  uint32_t stored = 0;  // bytes in the file before padding
  uint8_t flags = 0;
  uint64_t rawTime = 0;  // milliseconds (version 6) or microseconds (version 7)
};

class EtherPeekReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kEtherPeekHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);
    version_ = h.U8(0);
    frameCount_ = h.U32be(6);
    return version_ == 6 || version_ == 7;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    FrameRecord& f = ctx.frame;
    uint64_t previousRaw = 0;
    for (;;) {
      ctx.BeginFrame();
      EtherPeekRecord rec;
      if (!ReadRecord(ctx.file, rec)) {
        EndOfData(ctx);
        break;
      }
      if (rec.flags & 0x02) f.Status |= kStatusCrcError;
      if (rec.flags & 0x04) f.Status |= kStatusAlignmentError;
      const uint32_t padded = rec.stored + (rec.stored & 1);
      if (f.FrameNumber == 0) {
        previousRaw = SetFirstTime(ctx, rec, padded);
      } else {
        // Unsigned difference read as signed, so an earlier frame gives a negative step.
        const auto step = static_cast<int64_t>(rec.rawTime - previousRaw);
        f.Timestamp += static_cast<double>(step) * (version_ == 6 ? 1000.0 : 1.0);
        previousRaw = rec.rawTime;
      }
      if (!ReadStoredFrame(ctx, padded)) break;
      if (rec.stored > kMaxFrameLength) ctx.frameCut = true;
      const uint32_t length = std::min<uint32_t>(rec.wire, kMaxFrameLength);
      ClearFrameTail(f, std::min<uint32_t>(padded, kMaxFrameLength), length);
      f.Length = static_cast<uint16_t>(length);
      f.CapturedLength = static_cast<uint16_t>(rec.stored);

      if (ctx.Deliver() || oneFrame) break;
      if (static_cast<uint32_t>(f.FrameNumber) == frameCount_) break;
    }
    ctx.framesRead = f.FrameNumber;
  }

 private:
  bool ReadRecord(TraceFile& file, EtherPeekRecord& rec) const {
    uint8_t raw[kEtherPeekV6RecordSize];
    const size_t size = version_ == 6 ? kEtherPeekV6RecordSize : kEtherPeekV7RecordSize;
    if (!file.Read(raw, size)) return false;
    ByteView r(raw, size);
    const size_t at = version_ == 6 ? 0 : 2;  // version 7 starts with two bytes of its own
    rec.wire = r.U16be(at);
    rec.stored = r.U16be(at + 2);
    if (rec.stored == 0) rec.stored = rec.wire;
    rec.flags = r.U8(at + 4);
    rec.rawTime = version_ == 6 ? r.U32be(6) : r.U64be(8);
    return true;
  }

  // Whole seconds and microsecond fraction since 1904-01-01 of a raw time.
  void Split(uint64_t raw, int64_t& seconds, double& micros) const {
    const uint64_t perSecond = version_ == 6 ? 1000 : 1000000;
    seconds = static_cast<int64_t>(raw / perSecond);
    micros = static_cast<double>(raw % perSecond) * (version_ == 6 ? 1000.0 : 1.0);
  }

  // Sets StartTime and the first Timestamp; returns the raw time later frames count from.
  // The file stays positioned after the first record's header.
  uint64_t SetFirstTime(ReaderContext& ctx, const EtherPeekRecord& first, uint32_t padded) {
    uint64_t raw = first.rawTime;
    int64_t seconds;
    double micros;
    Split(raw, seconds, micros);
    if (version_ == 7 && frameCount_ != 1) {
      // A first time far from the second frame's is not trusted: start from the second.
      const uint64_t back = ctx.file.Position();
      EtherPeekRecord next;
      if (ctx.file.Skip(padded) && ReadRecord(ctx.file, next)) {
        int64_t nextSeconds;
        double nextMicros;
        Split(next.rawTime, nextSeconds, nextMicros);
        if (nextSeconds < seconds || nextSeconds - seconds > kDaySeconds) {
          seconds = nextSeconds;
          micros = nextMicros;
          // The first frame takes the second's time, so the step to the second is zero.
          raw = next.rawTime;
        }
      }
      ctx.file.Seek(back);
    }
    ctx.frame.StartTime = MacSecondsToStartTime(static_cast<double>(seconds), 0);
    ctx.frame.Timestamp = static_cast<double>(seconds % kDaySeconds) * 1e6 + micros;
    ctx.timeZoneBias = TimeZoneBiasAtLocal(ctx.frame.StartTime);
    return raw;
  }

  uint8_t version_ = 0;
  uint32_t frameCount_ = 0;
};

}  // namespace

std::unique_ptr<TraceReader> CreateEtherPeekReader() { return std::make_unique<EtherPeekReader>(); }

}  // namespace corvanta

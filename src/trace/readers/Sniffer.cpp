// Readers of the Sniffer family: NetXRay / Sniffer Windows (kind 10) and Sniffer DOS
// (kind 11), plain or block-compressed.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

#include "trace/Bytes.h"
#include "trace/Crc32.h"
#include "trace/Fcs.h"
#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"
#include "trace/readers/SnifferDecompress.h"

namespace corvanta {

namespace {

// True when the last four of count bytes are the IEEE 802.3 check sequence of the rest;
// crc receives the CRC-32 of the rest, which the synthesised check sequence starts from.
bool EndsWithFcs(const uint8_t* data, size_t count, uint32_t& crc, size_t& crcLength) {
  if (count < 4) return false;
  crcLength = count - 4;
  crc = Crc32(0, data, crcLength);
  ByteView tail(data + count - 4, 4);
  return tail.U32le(0) == crc;
}

// ---------------------------------------------------------------------------------------
// NetXRay / Sniffer Windows

constexpr size_t kNetXRayHeaderSize = 128;
constexpr size_t kNetXRayRecordSize = 28;
constexpr size_t kNetXRayRecord2Extra = 12;
constexpr double kNetXRayTicksPerMicrosecond = 1.193181666;

class NetXRayReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kNetXRayHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);

    version2_ = std::memcmp(header + 4, "002.000\0", 8) >= 0;
    crcInFlags_ = h.U8(6) >= '2';
    timeUnit_ = h.U32le(48);
    frameCount_ = h.U32le(16);
    fcsMissing_ = h.U32le(68) != 0;

    const uint32_t start = h.U32le(12);
    ctx.timeZoneBias = TimeZoneBiasAtUtc(start);
    ctx.frame.StartTime = UnixSecondsToStartTime(start, ctx.timeZoneBias);
    offset_ = ToMicroseconds(h.U64le(52)) - TimeOfDayMicroseconds(ctx.frame.StartTime);

    const uint64_t first = h.U32le(24);
    endOffset_ = h.U32le(20);
    // Some writers leave the end offset 0 and keep it elsewhere; an end offset that cannot
    // close the records (0, not past the first record, past the file) means the file's end.
    if (endOffset_ <= first || endOffset_ > ctx.file.Size()) endOffset_ = ctx.file.Size();
    startOffset_ = first;
    return ctx.file.Seek(first);
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    FrameRecord& f = ctx.frame;
    TraceFile& file = ctx.file;
    const bool ethernet = ctx.info.topology == kEthernet;
    const size_t headerSize = kNetXRayRecordSize + (version2_ ? kNetXRayRecord2Extra : 0);
    for (;;) {
      ctx.BeginFrame();
      uint8_t record[kNetXRayRecordSize + kNetXRayRecord2Extra];
      if (!ReadOrEnd(ctx, record, headerSize)) break;
      ByteView r(record, headerSize);
      if (ethernet && (crcInFlags_ ? (r.U32le(20) & 0x04) != 0 : (r.U8(24) & 0x01) != 0)) f.Status = kStatusCrcError;
      f.Timestamp = ToMicroseconds(r.U64le(0)) - offset_;

      const uint32_t wire = r.U16le(8);
      const uint32_t stored = r.U16le(10);
      if (!ReadStoredFrame(ctx, stored)) break;
      // A frame said to carry its check sequence whose last four bytes are not one was
      // stored without it: count the 4 bytes as missing rather than overwrite frame bytes.
      uint32_t crc = 0;  // of Data[0 .. crcLength), when the check below computed it
      size_t crcLength = 0;
      const bool withoutFcs = fcsMissing_ || (ethernet && !(f.Status & kStatusCrcError) && stored == wire &&
                                              !ctx.frameCut && !EndsWithFcs(f.Data.data(), stored, crc, crcLength));
      const uint32_t length = std::min<uint32_t>(withoutFcs ? wire + 4 : wire, kMaxFrameLength);
      const uint32_t captured = withoutFcs ? stored + 4 : wire;
      if (captured > kMaxFrameLength) ctx.frameCut = true;
      ClearFrameTail(f, std::min<uint32_t>(stored, kMaxFrameLength), std::max(length, captured));
      f.Length = static_cast<uint16_t>(length);
      f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(captured, kMaxFrameLength));
      if (ethernet && captured == length && !ctx.frameCut) SynthesizeFcs(f, crc, crcLength);

      if (ctx.Deliver()) break;
      if (static_cast<uint32_t>(f.FrameNumber) == frameCount_ || oneFrame) break;
      const uint64_t pos = file.Position();
      if (pos >= endOffset_ || pos >= file.Size()) {
        // A wrapped capture buffer continues once from the first record slot.
        if (startOffset_ == kNetXRayHeaderSize || !file.Seek(kNetXRayHeaderSize)) {
          ctx.endOfFile = true;
          break;
        }
        startOffset_ = kNetXRayHeaderSize;
      }
    }
    ctx.framesRead = f.FrameNumber;
  }

 private:
  double ToMicroseconds(uint64_t raw) const {
    return timeUnit_ == 2 ? static_cast<double>(raw) / kNetXRayTicksPerMicrosecond : static_cast<double>(raw);
  }

  bool version2_ = false;
  bool crcInFlags_ = false;
  bool fcsMissing_ = false;
  uint32_t timeUnit_ = 0;
  uint32_t frameCount_ = 0;
  uint64_t endOffset_ = 0;
  uint64_t startOffset_ = 0;
  double offset_ = 0;  // raw start scaled to microseconds minus its time of day
};

// ---------------------------------------------------------------------------------------
// Sniffer DOS

constexpr size_t kSnifferSignatureSize = 17;
constexpr size_t kSnifferRecordHeaderSize = 6;
constexpr size_t kSnifferVersionSize = 18;
constexpr size_t kSnifferFrameHeaderSize = 14;
constexpr size_t kSnifferType12HeaderSize = 34;
constexpr double kDayMicroseconds = 86400e6;

bool IsSnifferHeaderRecord(uint16_t type) { return (type >= 6 && type <= 11) || (type >= 13 && type <= 17); }

// The record stream after the header records: the file itself, or the expanded blocks.
class SnifferRecordStream {
 public:
  SnifferRecordStream(TraceFile& file, bool compressed) : file_(file) {
    if (compressed)
      expander_.emplace([&file](uint8_t* dst, size_t count) { return file.ReadSome(dst, count); }, file.Position());
  }
  bool Read(void* dst, size_t count) { return expander_ ? expander_->Read(dst, count) : file_.Read(dst, count); }
  bool Skip(size_t count) { return expander_ ? expander_->Read(nullptr, count) : file_.Skip(count); }
  // The file has been consumed up to its end (plain), or beyond it (compressed).
  bool AtEnd() const {
    return expander_ ? expander_->InputPosition() > file_.Size() : file_.Position() >= file_.Size();
  }
  // Bytes of the file are still unconsumed.
  bool BytesLeft() const { return (expander_ ? expander_->InputPosition() : file_.Position()) < file_.Size(); }

 private:
  TraceFile& file_;
  std::optional<SnifferDecompressor> expander_;
};

class SnifferDosReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t head[kSnifferSignatureSize + kSnifferRecordHeaderSize + kSnifferVersionSize];
    if (!ReadFileHeader(ctx, head, sizeof head)) return false;
    ByteView h(head, sizeof head);
    ByteView version = h.Sub(kSnifferSignatureSize + kSnifferRecordHeaderSize, kSnifferVersionSize);

    compressed_ = (h.U16le(35) & 1) != 0;
    timeUnit_ = version.U8(11);
    if (timeUnit_ == 0) timeUnit_ = ctx.info.topology == kEthernet ? 2 : 1;
    const uint32_t packed = version.U32le(4);
    double start = 0;
    if (packed != 0 &&
        DosDateTimeToStartTime(static_cast<uint16_t>(packed >> 16), static_cast<uint16_t>(packed), start))
      ctx.frame.StartTime = start;
    ctx.timeZoneBias = TimeZoneBiasAtLocal(ctx.frame.StartTime);

    noFrames_ = false;
    for (;;) {
      const uint64_t at = ctx.file.Position();
      uint8_t record[kSnifferRecordHeaderSize];
      if (!ctx.file.Read(record, sizeof record)) {
        noFrames_ = true;
        break;
      }
      ByteView r(record, sizeof record);
      const uint16_t type = r.U16le(0);
      if (type == 3) {
        noFrames_ = true;
        break;
      }
      if (!IsSnifferHeaderRecord(type)) {
        ctx.file.Seek(at);
        break;
      }
      if (!ctx.file.Skip(r.U16le(2))) {
        noFrames_ = true;
        break;
      }
    }
    return true;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    if (noFrames_) {
      ctx.endOfFile = true;
      return;
    }
    FrameRecord& f = ctx.frame;
    const bool ethernet = ctx.info.topology == kEthernet;
    std::vector<uint8_t>& body = ctx.scratch3;
    SnifferRecordStream stream(ctx.file, compressed_);
    for (;;) {
      ctx.BeginFrame();
      uint8_t record[kSnifferRecordHeaderSize];
      if (!stream.Read(record, sizeof record)) {
        ctx.endOfFile = true;
        if (stream.BytesLeft()) ctx.endedEarly = true;
        break;
      }
      ByteView r(record, sizeof record);
      const uint16_t type = r.U16le(0);
      const uint16_t bodyLength = r.U16le(2);
      if (type == 0 || type == 3) break;
      if (type != 4 && type != 5 && type != 12) {
        if ((compressed_ && bodyLength >= 32769) || !stream.Skip(bodyLength)) {
          ctx.readError = ctx.endedEarly = true;
          break;
        }
        if (stream.AtEnd()) break;
        continue;
      }
      // The record length says where the next record starts: of a frame longer than the
      // buffer the first bytes are kept and the rest passed over.
      const size_t kept = std::min<size_t>(bodyLength, body.size());
      if (!stream.Read(body.data(), kept) || !stream.Skip(bodyLength - kept)) {
        ctx.readError = ctx.endedEarly = true;
        break;
      }
      ByteView b(body.data(), kept);
      if (ethernet) {
        const uint8_t flags = b.U8(9);
        if (flags & 0x80) f.Status |= kStatusCrcError;
        if (flags & 0x40) f.Status |= kStatusAlignmentError;
      }
      SetTimestamp(f, b);

      const uint32_t captured = b.U16le(6) + (ethernet ? 4u : 0u);
      const uint32_t wire = b.U16le(10);
      const uint32_t length = std::min<uint32_t>(wire != 0 ? wire + 4 : captured, kMaxFrameLength);
      if (captured > kMaxFrameLength) ctx.frameCut = true;
      f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(captured, kMaxFrameLength));
      f.Length = static_cast<uint16_t>(length);
      b.Copy(type == 12 ? kSnifferType12HeaderSize : kSnifferFrameHeaderSize, f.Data.data(), length);
      if (ethernet) SynthesizeFcsUnlessCut(ctx);

      if (ctx.Deliver() || oneFrame || stream.AtEnd()) break;
    }
    ctx.framesRead = f.FrameNumber;
  }

 private:
  void SetTimestamp(FrameRecord& f, const ByteView& b) const {
    const uint64_t low = b.U16le(0);
    const uint64_t middle = b.U16le(2);
    const uint64_t high = b.U8(4);
    const double raw = static_cast<double>(high << 32 | middle << 16 | low);
    switch (timeUnit_) {
      case 1:
        f.Timestamp = std::fmod(
            static_cast<double>(low) * 0.83809534452 + static_cast<double>(high * 65536 + middle) * 54925.41649846272,
            kDayMicroseconds);
        break;
      case 2: f.Timestamp = raw * 15; break;
      case 3: f.Timestamp = raw * 0.5; break;
      case 4: f.Timestamp = raw * 2; break;
      case 5: f.Timestamp = raw; break;
      default: break;  // an unknown unit keeps the previous time
    }
  }

  bool compressed_ = false;
  bool noFrames_ = false;
  uint8_t timeUnit_ = 0;
};

}  // namespace

std::unique_ptr<TraceReader> CreateNetXRayReader() { return std::make_unique<NetXRayReader>(); }
std::unique_ptr<TraceReader> CreateSnifferDosReader() { return std::make_unique<SnifferDosReader>(); }

}  // namespace corvanta

// Novell LANalyzer (kind 13): a chain of typed little-endian records, ten header records
// and then frame records, optionally laid out as a circular buffer.
#include <algorithm>
#include <array>
#include <limits>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {
namespace {

constexpr uint16_t kRegularHeader = 0x1001;
constexpr uint16_t kCircularHeader = 0x1007;
constexpr uint16_t kFrameRecord = 0x1005;
constexpr int kHeaderRecords = 10;
constexpr int kSummaryRecord = 7;
constexpr int kBufferRecord = 9;
constexpr size_t kSummarySize = 210;
constexpr size_t kBufferSize = 26;
constexpr size_t kMaxBody = 32800;
constexpr size_t kFrameOffset = 32;

class LanalyzerReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    FrameRecord& f = ctx.frame;
    if (!ReadFileHeader(ctx, nullptr, 0)) return false;  // the header is a chain of records
    std::array<uint8_t, kSummarySize> summary{};
    std::array<uint8_t, kBufferSize> buffer{};
    for (int record = 1; record <= kHeaderRecords; ++record) {
      uint8_t raw[4];
      if (!ctx.file.Read(raw, sizeof raw)) return false;
      const uint16_t type = ByteView(raw, 4).U16le(0);
      const uint16_t length = ByteView(raw, 4).U16le(2);
      if (record == 1) {
        if (type != kRegularHeader && type != kCircularHeader) return false;
        circular_ = type == kCircularHeader;
      }
      // Every record is stepped over by its own length, whatever part of it is used.
      size_t wanted = 0;
      uint8_t* into = nullptr;
      if (record == kSummaryRecord) {
        wanted = summary.size();
        into = summary.data();
      } else if (record == kBufferRecord) {
        wanted = buffer.size();
        into = buffer.data();
      }
      const size_t used = std::min<size_t>(wanted, length);
      if ((used && !ctx.file.Read(into, used)) || !ctx.file.Skip(length - used)) return false;
    }

    ByteView s(summary.data(), summary.size());
    const int day = s.U8(0), month = s.U8(1), year = s.U16le(2);
    const int second = s.U8(8), minute = s.U8(9), hour = s.U8(10);
    if (month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 && second < 60)
      f.StartTime = EncodeDate(year, month, day) + (hour * 3600 + minute * 60 + second) / 86400.0;
    ctx.timeZoneBias = TimeZoneBiasAtLocal(f.StartTime);

    ByteView b(buffer.data(), buffer.size());
    const uint32_t frameCount = b.U32le(0);
    ctx.frameCountLimit = static_cast<int32_t>(std::min<uint32_t>(frameCount, std::numeric_limits<int32_t>::max()));
    wrapped_ = lastRecord_ = false;
    if (!circular_) return true;
    oldest_ = b.U32le(4);
    continueFrom_ = b.U32le(12);
    wrapPoint_ = b.U32le(16);
    return ctx.file.Seek(oldest_);
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [this, &ctx] { return !lastRecord_ && ReadFrame(ctx); });
  }

 private:
  // Reads one frame record; false at the end of the data.
  bool ReadFrame(ReaderContext& ctx) {
    // Back at the oldest record after the wrap: the whole buffer has been read.
    if (wrapped_ && ctx.file.Position() == oldest_) return false;
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    uint8_t raw[4];
    if (!ReadOrEnd(ctx, raw, sizeof raw)) return false;
    const uint16_t type = ByteView(raw, 4).U16le(0);
    const uint16_t length = ByteView(raw, 4).U16le(2);
    if (type != kFrameRecord) return false;  // the end of the data
    // The record length says where the next record starts: of a frame longer than the
    // buffer the first bytes are kept and the rest passed over.
    uint8_t* body = ctx.scratch3.data();
    if (!ReadBodyKeeping(ctx, body, length, kMaxBody)) return false;
    if (circular_ && ctx.file.Position() == wrapPoint_) {
      // The buffer wraps once; meeting the wrap point again would repeat the records.
      lastRecord_ = wrapped_ || !ctx.file.Seek(continueFrom_);
      wrapped_ = true;
    }

    const bool ethernet = ctx.info.topology == kEthernet;
    ByteView r(body, std::min<size_t>(length, kMaxBody));
    if (ethernet && (r.U16le(2) & 1)) f.Status = kStatusCrcError | kStatusAlignmentError;
    const uint64_t ticks =
        static_cast<uint64_t>(r.U16le(12)) << 32 | static_cast<uint64_t>(r.U16le(10)) << 16 | r.U16le(8);
    f.Timestamp = static_cast<double>(ticks) / 2;
    const uint32_t wire = r.U16le(4);
    const uint32_t stored = r.U16le(6);
    if (stored + 4 > kMaxFrameLength) ctx.frameCut = true;
    f.CapturedLength = static_cast<uint16_t>(std::min<uint32_t>(stored + 4, kMaxFrameLength));
    f.Length = static_cast<uint16_t>(std::min<uint32_t>(wire, kMaxFrameLength));
    r.Copy(kFrameOffset, f.Data.data(), std::max(f.Length, f.CapturedLength));
    if (ethernet && wire == stored + 4) SynthesizeFcsUnlessCut(ctx);
    return true;
  }

  bool circular_ = false;
  uint64_t oldest_ = 0;
  uint64_t continueFrom_ = 0;
  uint64_t wrapPoint_ = 0;
  bool wrapped_ = false;
  bool lastRecord_ = false;
};

}  // namespace

std::unique_ptr<TraceReader> CreateLanalyzerReader() { return std::make_unique<LanalyzerReader>(); }

}  // namespace corvanta

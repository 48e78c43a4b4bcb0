// Reader of Microsoft NetMon 1.x (kind 8) and 2.x (kind 9) traces: frames located through
// the table of frame offsets that follows them.
#include <algorithm>
#include <vector>

#include "trace/Bytes.h"
#include "trace/Fcs.h"
#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {

namespace {

constexpr size_t kNetMonHeaderSize = 128;

class NetMonReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    uint8_t header[kNetMonHeaderSize];
    if (!ReadFileHeader(ctx, header, sizeof header)) return false;
    ByteView h(header, sizeof header);

    const int year = h.U16le(8), month = h.U16le(10), day = h.U16le(14);
    const int hour = h.U16le(16), minute = h.U16le(18), second = h.U16le(20), millisecond = h.U16le(22);
    if (year != 0 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour < 24 && minute < 60 && second < 60 &&
        millisecond < 1000) {
      ctx.frame.StartTime =
          EncodeDate(year, month, day) + ((hour * 3600 + minute * 60 + second) * 1000.0 + millisecond) / 86400000.0;
    }
    ctx.timeZoneBias = TimeZoneBiasAtLocal(ctx.frame.StartTime);
    startMs_ = (hour * 3600.0 + minute * 60 + second) * 1000 + millisecond;

    // The table can only hold what the file holds; a table outside it gives no frames.
    tableOffset_ = h.U32le(24);
    const uint64_t size = ctx.file.Size();
    uint64_t tableLength = h.U32le(28);
    tableLength = tableOffset_ < size ? std::min<uint64_t>(tableLength, size - tableOffset_) : 0;
    std::vector<uint8_t> table(static_cast<size_t>(tableLength / 4 * 4));
    if (!table.empty() && !ctx.file.ReadAt(tableOffset_, table.data(), table.size())) table.clear();
    ByteView t(table.data(), table.size());
    offsets_.resize(table.size() / 4);
    for (size_t i = 0; i < offsets_.size(); ++i) offsets_[i] = t.U32le(i * 4);
    return true;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    FrameRecord& f = ctx.frame;
    TraceFile& file = ctx.file;
    const bool ethernet = ctx.info.topology == kEthernet;
    const bool version2 = ctx.info.kind == kAnalyzerNetMon2;
    const size_t headerSize = version2 ? 16 : 8;
    for (uint32_t offset : offsets_) {
      ctx.BeginFrame();
      uint8_t record[16];
      // A table entry outside the file leaves the frames after it unread.
      if (!file.ReadAt(offset, record, headerSize)) {
        ctx.readError = ctx.endedEarly = true;
        break;
      }
      ByteView r(record, headerSize);
      uint32_t wire, stored;
      if (version2) {
        f.Timestamp = startMs_ * 1000 + static_cast<double>(r.U64le(0));
        wire = r.U32le(8);
        stored = r.U32le(12);
      } else {
        f.Timestamp = (r.U32le(0) + startMs_) * 1000;
        wire = r.U16le(4);
        stored = r.U16le(6);
      }
      // The table says where every frame starts: of a frame longer than the buffer the
      // first bytes are kept.
      const uint32_t kept = std::min<uint32_t>(stored, kMaxFrameLength);
      if (!ReadStoredFrame(ctx, kept)) break;
      const uint64_t captured = uint64_t{wire} + 4;
      const uint32_t length = static_cast<uint32_t>(std::min<uint64_t>(captured, kMaxFrameLength));
      if (stored > kMaxFrameLength || captured > kMaxFrameLength) ctx.frameCut = true;
      // Bytes the file did not hold read as zero, the destination address included.
      ClearFrameTail(f, kept, std::max<size_t>(length, 6));
      f.Length = static_cast<uint16_t>(length);
      f.CapturedLength = static_cast<uint16_t>(length);
      if (ethernet) SynthesizeFcsUnlessCut(ctx);

      // Frames sent to 00-00-00-00-00-00 are neither decoded nor counted.
      const bool nullDestination = std::all_of(f.Data.begin(), f.Data.begin() + 6, [](uint8_t b) { return b == 0; });
      if (!nullDestination && (ctx.Deliver() || oneFrame)) break;
      if (offset + headerSize + uint64_t{stored} + 1 >= tableOffset_) break;
    }
    ctx.framesRead = f.FrameNumber;
  }

 private:
  double startMs_ = 0;  // the capture start's time of day in milliseconds
  uint64_t tableOffset_ = 0;
  std::vector<uint32_t> offsets_;
};

}  // namespace

std::unique_ptr<TraceReader> CreateNetMonReader() { return std::make_unique<NetMonReader>(); }

}  // namespace corvanta

// Reader of NI Observer traces (kind 12): records chained by absolute file offsets.
#include "trace/readers/Observer.h"

#include <algorithm>
#include <iterator>
#include <map>

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

// The file ranges of the records read so far, adjacent ones merged: a chain read in file
// order keeps a single range.
class VisitedRecords {
 public:
  void Add(uint64_t at, uint64_t size) {
    const uint64_t end = at + size;
    auto next = ranges_.upper_bound(at);
    if (next != ranges_.begin()) {
      auto before = std::prev(next);
      if (before->second >= at) {
        before->second = std::max(before->second, end);
        Absorb(before);
        return;
      }
    }
    Absorb(ranges_.emplace(at, end).first);
  }
  bool Contains(uint64_t offset) const {
    auto next = ranges_.upper_bound(offset);
    return next != ranges_.begin() && std::prev(next)->second > offset;
  }

 private:
  // Merges the ranges that the one at it now reaches.
  void Absorb(std::map<uint64_t, uint64_t>::iterator it) {
    auto after = std::next(it);
    while (after != ranges_.end() && after->first <= it->second) {
      it->second = std::max(it->second, after->second);
      after = ranges_.erase(after);
    }
  }
  std::map<uint64_t, uint64_t> ranges_;  // start -> end
};

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
    if (version_ < 0) ctx.openRefusal = kObserverVersionRefusal;
    return version_ >= 0;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    FrameRecord& f = ctx.frame;
    TraceFile& file = ctx.file;
    const bool ethernet = ctx.info.topology == kEthernet;
    const bool tokenRing = ctx.info.topology == kTokenRing;
    // Records may chain to any offset in the file, backwards too. A chain that loops is
    // caught at a record already read, and the count bounds it in any case.
    VisitedRecords visited;
    const uint64_t mostRecords = file.Size() / kObserverRecordSize;
    uint64_t records = 0;
    uint64_t recordAt = file.Position();
    for (;;) {
      ctx.BeginFrame();
      uint8_t record[kObserverRecordSize];
      if (!ReadOrEnd(ctx, record, sizeof record)) break;
      ByteView r(record, sizeof record);
      const uint32_t stored = r.U32le(40);
      if (!ReadStoredFrame(ctx, stored)) break;
      visited.Add(recordAt, kObserverRecordSize + uint64_t{stored});
      ++records;
      const uint32_t flags = r.U32le(32);
      if (flags & 0x02) f.Status |= kStatusCrcError;
      if (flags & 0x01) f.Status |= kStatusAlignmentError;
      f.Timestamp = static_cast<double>(r.U32le(36)) * 1000;

      uint64_t length, captured;
      Lengths(r.U32le(28), stored, tokenRing, length, captured);
      if (length < kRuntLength && !(f.Status & kStatusCrcError)) length = captured = kRuntLength;
      if (captured > kMaxFrameLength || stored > kMaxFrameLength) ctx.frameCut = true;
      length = std::min<uint64_t>(length, kMaxFrameLength);
      ClearFrameTail(f, stored, static_cast<size_t>(std::min<uint64_t>(std::max(length, captured), kMaxFrameLength)));
      f.Length = static_cast<uint16_t>(length);
      f.CapturedLength = static_cast<uint16_t>(std::min<uint64_t>(captured, kMaxFrameLength));
      if (ethernet) SynthesizeFcsUnlessCut(ctx);

      if (ctx.Deliver() || oneFrame) break;
      const uint64_t next = r.U32le(12);
      if (next == 0) break;  // the last record
      if (next >= file.Size() || visited.Contains(next) || records >= mostRecords || !file.Seek(next)) {
        ctx.endedEarly = true;  // the chain cannot go on
        break;
      }
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

// Writers of NetXRay / Sniffer Windows and Sniffer DOS traces, the block-compressed layout
// included.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>

#include "trace/FrameRecord.h"
#include "writers/SnifferFamily.h"
#include "writers/SnifferWriter.h"
#include "writers/Writers.h"

namespace corvanta::testing {

namespace {

void PutBytes(std::vector<uint8_t>& out, const std::vector<uint8_t>& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Local wall-clock fields of a Unix time.
std::tm LocalFields(int64_t unixSeconds) {
  std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm fields{};
  localtime_r(&t, &fields);
  return fields;
}

// --- NetXRay ---------------------------------------------------------------------------

std::vector<uint8_t> NetXRayRecord(const TracePlan& plan, const NetXRayOptions& options, const TestFrame& frame,
                                   bool withoutFcs) {
  const bool version2 = options.version >= "002.000";
  const bool withFcs = plan.topology == kEthernet && !withoutFcs;
  const StoredFrame stored = withFcs ? StoreWithFcs(frame) : StoredFrame{frame.bytes, WireLength(frame)};
  double micros = plan.startMicroseconds + frame.offsetUs;
  double ticks = options.timeUnit == 2 ? micros * 1.193181666 : micros;
  std::vector<uint8_t> rec;
  uint64_t raw = options.rawStart + static_cast<uint64_t>(std::llround(ticks));
  PutLe32(rec, static_cast<uint32_t>(raw));
  PutLe32(rec, static_cast<uint32_t>(raw >> 32));
  PutLe16(rec, static_cast<uint16_t>(stored.wire));
  PutLe16(rec, static_cast<uint16_t>(stored.data.size()));
  rec.resize(28 + (version2 ? 12 : 0));
  if (frame.status & kStatusCrcError) {
    if (options.version[2] >= '2')
      rec[20] |= 0x04;
    else
      rec[24] |= 0x01;
  }
  PutBytes(rec, stored.data);
  return rec;
}

// --- Sniffer DOS -----------------------------------------------------------------------

void PutSnifferRecord(std::vector<uint8_t>& out, uint16_t type, const std::vector<uint8_t>& body) {
  PutLe16(out, type);
  PutLe16(out, static_cast<uint16_t>(body.size()));
  PutLe16(out, 0);
  PutBytes(out, body);
}

// Raw time of a frame in the given unit, microseconds since local midnight of the start.
uint64_t SnifferRawTime(uint8_t unit, double micros) {
  switch (unit) {
    case 1: return static_cast<uint64_t>(std::llround(micros / 0.83809534452));
    case 2: return static_cast<uint64_t>(std::llround(micros / 15));
    case 3: return static_cast<uint64_t>(std::llround(micros * 2));
    case 4: return static_cast<uint64_t>(std::llround(micros / 2));
    default: return static_cast<uint64_t>(std::llround(micros));
  }
}

std::vector<uint8_t> SnifferFrameBody(const TracePlan& plan, const SnifferDosOptions& options, const TestFrame& frame,
                                      double todMicros) {
  uint8_t unit = options.timeUnit ? options.timeUnit : (plan.topology == kEthernet ? 2 : 1);
  uint64_t raw = SnifferRawTime(unit, todMicros + plan.startMicroseconds + frame.offsetUs);
  std::vector<uint8_t> body;
  PutLe16(body, static_cast<uint16_t>(raw));
  PutLe16(body, static_cast<uint16_t>(raw >> 16));
  body.push_back(static_cast<uint8_t>(raw >> 32));
  body.push_back(0);  // day counter
  PutLe16(body, static_cast<uint16_t>(frame.bytes.size()));
  body.push_back(0);
  uint8_t flags = 0;
  if (frame.status & kStatusCrcError) flags |= 0x80;
  if (frame.status & kStatusAlignmentError) flags |= 0x40;
  body.push_back(flags);
  uint32_t wire = WireLength(frame);
  PutLe16(body, static_cast<uint16_t>(wire == frame.bytes.size() ? 0 : wire));
  PutLe16(body, 0);
  if (options.frameType == 12) body.resize(34, 0xEE);  // the longer header's own fields
  PutBytes(body, frame.bytes);
  return body;
}

// --- Sniffer block compression ---------------------------------------------------------

constexpr size_t kMaxDistance = 4098;
constexpr size_t kMaxLongRun = 4114;
constexpr size_t kMaxLongCopy = 271;
constexpr size_t kChainDepth = 64;

class BlockEncoder {
 public:
  explicit BlockEncoder(SnifferCompressionStats* stats) : stats_(stats) {}

  std::vector<uint8_t> Encode(const uint8_t* plain, size_t size) {
    out_.clear();
    bit_ = 0;
    std::vector<int64_t> head(1 << 12, -1);
    std::vector<int64_t> prev(size, -1);
    auto hash = [&](size_t i) { return (plain[i] * 31u * 31u + plain[i + 1] * 31u + plain[i + 2]) & 0xFFF; };
    auto insert = [&](size_t i) {
      if (i + 3 > size) return;
      size_t h = hash(i);
      prev[i] = head[h];
      head[h] = static_cast<int64_t>(i);
    };
    size_t pos = 0;
    while (pos < size) {
      size_t run = 1;
      while (pos + run < size && plain[pos + run] == plain[pos] && run < kMaxLongRun) ++run;
      size_t bestLen = 0, bestDist = 0;
      if (pos + 3 <= size) {
        size_t depth = 0;
        for (int64_t cand = head[hash(pos)]; cand >= 0 && depth < kChainDepth; cand = prev[cand], ++depth) {
          size_t dist = pos - static_cast<size_t>(cand);
          if (dist > kMaxDistance) break;
          if (dist < 3) continue;
          // The reader copies the source range as a whole, so a copy never overlaps its output.
          size_t limit = std::min({kMaxLongCopy, dist, size - pos});
          size_t len = 0;
          while (len < limit && plain[static_cast<size_t>(cand) + len] == plain[pos + len]) ++len;
          if (len > bestLen) {
            bestLen = len;
            bestDist = dist;
          }
        }
      }
      size_t taken;
      if (run >= 19 && run >= bestLen) {
        size_t v = run - 19;
        Command({static_cast<uint8_t>(16 | (v & 15)), static_cast<uint8_t>(v >> 4), plain[pos]});
        Count(&SnifferCompressionStats::longRuns);
        taken = run;
      } else if (bestLen >= 16) {
        size_t d = bestDist - 3;
        Command(
            {static_cast<uint8_t>(32 | (d & 15)), static_cast<uint8_t>(d >> 4), static_cast<uint8_t>(bestLen - 16)});
        Count(&SnifferCompressionStats::longCopies);
        taken = bestLen;
      } else if (run >= 3 && run >= bestLen) {
        size_t n = std::min<size_t>(run, 18);
        Command({static_cast<uint8_t>(n - 3), plain[pos]});
        Count(&SnifferCompressionStats::shortRuns);
        taken = n;
      } else if (bestLen >= 3) {
        size_t d = bestDist - 3;
        Command({static_cast<uint8_t>(bestLen << 4 | (d & 15)), static_cast<uint8_t>(d >> 4)});
        Count(&SnifferCompressionStats::shortCopies);
        taken = bestLen;
      } else {
        Literal(plain[pos]);
        Count(&SnifferCompressionStats::literals);
        taken = 1;
      }
      for (size_t i = 0; i < taken; ++i) insert(pos + i);
      pos += taken;
    }
    return out_;
  }

 private:
  void NextItem(bool command) {
    if (bit_ == 0) {
      control_ = out_.size();
      PutLe16(out_, 0);
      bit_ = 0x8000;
    }
    if (command) SetLe16(out_, control_, static_cast<uint16_t>((out_[control_] | out_[control_ + 1] << 8) | bit_));
    bit_ >>= 1;
  }
  void Literal(uint8_t b) {
    NextItem(false);
    out_.push_back(b);
  }
  void Command(std::initializer_list<uint8_t> bytes) {
    NextItem(true);
    out_.insert(out_.end(), bytes.begin(), bytes.end());
  }
  void Count(int SnifferCompressionStats::*field) {
    if (stats_) ++(stats_->*field);
  }

  SnifferCompressionStats* stats_;
  std::vector<uint8_t> out_;
  size_t control_ = 0;
  uint16_t bit_ = 0;
};

}  // namespace

std::vector<uint8_t> CompressSnifferBlocks(const std::vector<uint8_t>& plain, size_t blockSize, bool stored,
                                           SnifferCompressionStats* stats) {
  blockSize = std::clamp<size_t>(blockSize, 1, 0x7FFF);
  std::vector<uint8_t> out;
  for (size_t at = 0; at < plain.size(); at += blockSize) {
    size_t n = std::min(blockSize, plain.size() - at);
    SnifferCompressionStats blockStats;
    std::vector<uint8_t> packed;
    if (!stored) packed = BlockEncoder(&blockStats).Encode(plain.data() + at, n);
    if (stored || packed.size() >= n) {
      PutLe16(out, static_cast<uint16_t>(0x8000 | n));
      out.insert(out.end(), plain.begin() + static_cast<std::ptrdiff_t>(at),
                 plain.begin() + static_cast<std::ptrdiff_t>(at + n));
      if (stats) ++stats->storedBlocks;
      continue;
    }
    PutLe16(out, static_cast<uint16_t>(packed.size()));
    PutBytes(out, packed);
    if (stats) {
      stats->literals += blockStats.literals;
      stats->shortRuns += blockStats.shortRuns;
      stats->longRuns += blockStats.longRuns;
      stats->longCopies += blockStats.longCopies;
      stats->shortCopies += blockStats.shortCopies;
      ++stats->compressedBlocks;
    }
  }
  return out;
}

std::vector<uint8_t> WriteNetXRay(const TracePlan& plan, const NetXRayOptions& options) {
  const bool ethernet = plan.topology == kEthernet;
  const bool withoutFcs = options.fcsFlag < 0 ? ethernet : options.fcsFlag != 0;
  std::vector<uint8_t> out(128, 0);
  std::memcpy(out.data(), "XCP", 4);
  std::memcpy(out.data() + 4, options.version.c_str(), std::min<size_t>(options.version.size(), 7));
  SetLe32(out, 12, static_cast<uint32_t>(plan.startUnixSeconds));
  SetLe32(out, 16, static_cast<uint32_t>(options.frameCount < 0 ? plan.frames.size() : options.frameCount));
  uint32_t topologyCode = plan.topology == kEthernet ? 0 : plan.topology == kTokenRing ? 1 : plan.topology;
  SetLe32(out, 44, topologyCode);
  SetLe32(out, 48, options.timeUnit);
  SetLe32(out, 52, static_cast<uint32_t>(options.rawStart));
  SetLe32(out, 56, static_cast<uint32_t>(options.rawStart >> 32));
  SetLe32(out, 60, plan.bandwidth);
  SetLe32(out, 68, withoutFcs ? 1 : 0);

  // A wrapped buffer holds the newest frames from 128 on and the oldest after them.
  const size_t split = std::min(options.wrapSplit, plan.frames.size());
  for (size_t i = split; i < plan.frames.size(); ++i)
    PutBytes(out, NetXRayRecord(plan, options, plan.frames[i], withoutFcs));
  const size_t first = split ? out.size() : 128;
  for (size_t i = 0; i < split; ++i) PutBytes(out, NetXRayRecord(plan, options, plan.frames[i], withoutFcs));
  SetLe32(out, 24, static_cast<uint32_t>(first));
  // The end offset goes in both places writers keep it: other readers (Wireshark's) take
  // it from 28.
  const auto end = static_cast<uint32_t>(options.endOffset < 0 ? out.size() : options.endOffset);
  SetLe32(out, 20, end);
  SetLe32(out, 28, end);
  return out;
}

std::vector<uint8_t> WriteNetXRay(const TracePlan& plan) { return WriteNetXRay(plan, NetXRayOptions{}); }

std::vector<uint8_t> WriteSnifferDos(const TracePlan& plan, const SnifferDosOptions& options) {
  const bool ethernet = plan.topology == kEthernet;
  std::vector<uint8_t> out;
  const char signature[] = "TRSNIFF data    \x1a";
  out.insert(out.end(), signature, signature + 17);

  const std::tm start = LocalFields(plan.startUnixSeconds);
  const uint16_t date = static_cast<uint16_t>((start.tm_year - 80) << 9 | (start.tm_mon + 1) << 5 | start.tm_mday);
  const uint16_t time = static_cast<uint16_t>(start.tm_hour << 11 | start.tm_min << 5 | start.tm_sec / 2);
  std::vector<uint8_t> version;
  PutLe16(version, 4);  // major version
  PutLe16(version, 0);
  PutLe16(version, time);
  PutLe16(version, date);
  version.push_back(0);
  uint8_t network = ethernet ? 1 : plan.topology == kTokenRing ? 0 : 19;
  version.push_back(network);
  version.push_back(1);  // format
  version.push_back(options.timeUnit);
  version.push_back(options.compressed ? 1 : 0);
  version.resize(18, 0);
  PutSnifferRecord(out, 1, version);
  if (options.speedRecord) {
    std::vector<uint8_t> speed;
    PutLe32(speed, plan.bandwidth);
    speed.resize(8, 0);
    PutSnifferRecord(out, 7, speed);
  }

  // Frame times count from local midnight of the start (the DOS time keeps two-second steps).
  const double todMicros = ((start.tm_hour * 60.0 + start.tm_min) * 60 + start.tm_sec) * 1e6;
  std::vector<uint8_t> records;
  for (const TestFrame& frame : plan.frames)
    PutSnifferRecord(records, options.frameType, SnifferFrameBody(plan, options, frame, todMicros));
  if (options.endRecord) PutSnifferRecord(records, 3, {});
  if (options.compressed)
    PutBytes(out, CompressSnifferBlocks(records, options.blockSize, options.storedBlocks, options.stats));
  else
    PutBytes(out, records);
  return out;
}

std::vector<uint8_t> WriteSnifferDos(const TracePlan& plan) { return WriteSnifferDos(plan, SnifferDosOptions{}); }

}  // namespace corvanta::testing

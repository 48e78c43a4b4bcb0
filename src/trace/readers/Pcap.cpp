// libpcap (kind 17) and pcapng (kind 25) files, read through libpcap: either byte order,
// microsecond or nanosecond times, and the pcapng blocks.
#include "trace/readers/Pcap.h"

#include <pcap/pcap.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#if defined(__GLIBC__)
#include <stdio_ext.h>
#endif

#include "trace/Fcs.h"
#include "trace/readers/ReaderFactories.h"
#include "trace/readers/ReaderSteps.h"

namespace corvanta {

namespace {

constexpr int kLinkEthernet = 1;   // DLT_EN10MB
constexpr int kLinkTokenRing = 6;  // DLT_IEEE802
constexpr size_t kReadBuffer = size_t{1} << 18;

struct PcapClose {
  void operator()(pcap_t* p) const { pcap_close(p); }
};
using PcapHandle = std::unique_ptr<pcap_t, PcapClose>;

// buffer (kReadBuffer bytes, to outlive the handle) is where stdio keeps what it read ahead;
// null: stdio's own, for a look at the header only.
PcapHandle OpenPcap(const std::string& path, char* buffer = nullptr) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return nullptr;
  if (buffer != nullptr) {
    // libpcap reads a record at a time through stdio: with a large buffer the file is read
    // in few calls rather than a page at a time, and as this thread alone reads it, stdio
    // need not lock it for every record.
    std::setvbuf(file, buffer, _IOFBF, kReadBuffer);
#if defined(__GLIBC__)
    __fsetlocking(file, FSETLOCKING_BYCALLER);
#endif
  }
  char error[PCAP_ERRBUF_SIZE] = {};
  // Times of nanosecond files are given in microseconds as well. The handle closes the file.
  pcap_t* pcap = pcap_fopen_offline_with_tstamp_precision(file, PCAP_TSTAMP_PRECISION_MICRO, error);
  if (pcap == nullptr) std::fclose(file);
  return PcapHandle(pcap);
}

Topology LinkTopology(int link) {
  switch (link) {
    case kLinkEthernet: return kEthernet;
    case kLinkTokenRing: return kTokenRing;
    default: return kUnknownTopology;
  }
}

class PcapReader : public TraceReader {
 public:
  bool Open(ReaderContext& ctx) override {
    ctx.frame.FrameNumber = 0;
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kReadBuffer);
    pcap_ = OpenPcap(ctx.info.path, buffer_.get());
    return pcap_ != nullptr && LinkTopology(pcap_datalink(pcap_.get())) == ctx.info.topology;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    DeliverFrames(ctx, oneFrame, [this, &ctx] { return ReadFrame(ctx); });
    pcap_.reset();
  }

 private:
  bool ReadFrame(ReaderContext& ctx) {
    FrameRecord& f = ctx.frame;
    ctx.BeginFrame();
    pcap_pkthdr* header = nullptr;
    const u_char* bytes = nullptr;
    const int got = pcap_next_ex(pcap_.get(), &header, &bytes);
    // The progress and the partial-read test look at the trace file's position. ftell asks the
    // kernel every time, so the position is taken now and then and always at the end.
    if (++sinceTell_ >= kTellEvery || got != 1) sinceTell_ = 0;
    FILE* file = sinceTell_ == 0 ? pcap_file(pcap_.get()) : nullptr;
    if (file) {
      const long at = std::ftell(file);
      if (at >= 0) ctx.file.Seek(std::min<uint64_t>(static_cast<uint64_t>(at), ctx.file.Size()));
    }
    if (got != 1) {
      // -2: the end of the file. -1: a record libpcap could not read (cut short, a length
      // beyond its bounds, a damaged block): the frames before it stay.
      if (got == PCAP_ERROR) {
        ctx.readError = true;
        ctx.endedEarly = true;
      } else {
        ctx.endOfFile = true;
      }
      return false;
    }
    if (f.FrameNumber == 0) StartAtUnixSeconds(ctx, static_cast<uint32_t>(header->ts.tv_sec));
    f.Timestamp = static_cast<double>(LocalSecondOfDay(header->ts.tv_sec, ctx.timeZoneBias)) * 1e6 +
                  static_cast<double>(header->ts.tv_usec);

    const uint32_t captured = header->caplen;
    const size_t kept = std::min<size_t>(captured, kMaxFrameLength);
    std::copy_n(bytes, kept, f.Data.begin());
    uint64_t length = header->len;
    uint64_t stored = captured;
    const bool ethernet = ctx.info.topology == kEthernet;
    const bool whole = length <= stored;
    if (ethernet) {
      // As for snoop: a frame captured whole is at least 60 bytes and gets its check
      // sequence; a sliced one counts the check sequence on the wire only.
      if (whole) {
        length = stored = std::max<uint64_t>(stored, 60) + 4;
      } else {
        length += 4;
      }
    }
    if (stored > kMaxFrameLength) ctx.frameCut = true;
    f.Length = static_cast<uint16_t>(std::min<uint64_t>(length, kMaxFrameLength));
    f.CapturedLength = static_cast<uint16_t>(std::min<uint64_t>(stored, kMaxFrameLength));
    ClearFrameTail(f, kept, std::max(f.Length, f.CapturedLength));
    if (ethernet && whole) SynthesizeFcsUnlessCut(ctx);
    return true;
  }

  std::unique_ptr<char[]> buffer_;  // before the handle: it goes after the file is closed
  PcapHandle pcap_;
  static constexpr int kTellEvery = 256;
  int sinceTell_ = 0;
};

}  // namespace

Topology PcapTopology(const std::string& path) {
  PcapHandle pcap = OpenPcap(path);
  return pcap ? LinkTopology(pcap_datalink(pcap.get())) : kUnknownTopology;
}

std::unique_ptr<TraceReader> CreatePcapReader() { return std::make_unique<PcapReader>(); }

}  // namespace corvanta

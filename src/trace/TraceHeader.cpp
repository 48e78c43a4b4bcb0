#include "trace/TraceHeader.h"

#include <cerrno>

#include "trace/Bytes.h"
#include "trace/Detection.h"
#include "trace/TraceFile.h"
#include "trace/readers/Pcap.h"

namespace corvanta {

namespace {

constexpr size_t kHeaderWindow = 140;
constexpr uint64_t kMinimumHeaderFile = 50;
constexpr Topology kFddi = 3;
constexpr Topology kWan = 4;

// Header bytes the rule of a kind looks at; a file that ends before them has no readable
// header. Kinds whose rule reads elsewhere in the file need none from the window.
size_t HeaderBytesNeeded(AnalyzerKind kind) {
  switch (kind) {
    case kAnalyzerHpAdvisorDos: return 28;
    case kAnalyzerIbm: return 131;
    case kAnalyzerIntel: return 42;
    case kAnalyzerNetMon1:
    case kAnalyzerNetMon2: return 48;
    case kAnalyzerNetXRay: return 64;
    case kAnalyzerSnifferDos: return 33;
    case kAnalyzerObserver: return 137;
    case kAnalyzerLanWatch: return 14;
    case kAnalyzerSnoop:
    case kAnalyzerShomiti: return 16;
    case kAnalyzerTcpdump: return 24;
    case kAnalyzerDa30: return 26;
    case kAnalyzerDomino:
    case kAnalyzerLinkView: return 78;
    default: return 0;
  }
}

// Text up to the first zero byte.
std::string CText(ByteView bytes) {
  std::string text;
  for (size_t i = 0; i < bytes.size() && bytes.U8(i) != 0; ++i) text.push_back(static_cast<char>(bytes.U8(i)));
  return text;
}

std::string ReadNetMonComment(TraceFile& file, ByteView h) {
  uint32_t offset = h.U32le(40);
  uint32_t length = h.U32le(44);
  size_t count = length < kMaxTraceComment ? length : kMaxTraceComment;
  if (count == 0 || !file.Seek(offset)) return {};
  uint8_t text[kMaxTraceComment];
  size_t got = file.ReadSome(text, count);
  return CText(ByteView(text, got));
}

// Sniffer DOS: the speed record among the header records after the version record.
void ReadSnifferSpeed(TraceFile& file, Topology topology, uint32_t& bandwidth) {
  constexpr uint64_t kFirstRecord = 17 + 6 + 18;
  if (!file.Seek(kFirstRecord)) return;
  uint8_t header[6];
  while (file.Read(header, sizeof header)) {
    ByteView h(header, sizeof header);
    uint16_t type = h.U16le(0);
    uint16_t length = h.U16le(2);
    bool skipped = type == 6 || (type >= 8 && type <= 11) || (type >= 13 && type <= 17);
    if (skipped) {
      if (!file.Skip(length)) return;
      continue;
    }
    if (type != 7) return;
    uint8_t body[4];
    if (!file.Read(body, sizeof body)) return;
    uint32_t speed = ByteView(body, sizeof body).U32le(0);
    if (topology == kTokenRing) bandwidth = speed != 0 ? 16000000 : 4000000;
    if (topology == kEthernet) bandwidth = speed == 100000000 ? 100000000 : 10000000;
    return;
  }
}

// LANalyzer: the board code sits in the body of the seventh record.
uint16_t ReadLanalyzerBoard(TraceFile& file) {
  uint8_t header[4];
  for (int i = 0; i < 6; ++i) {
    if (!file.Read(header, sizeof header) || !file.Skip(ByteView(header, sizeof header).U16le(2))) return 0;
  }
  uint8_t body[210];
  if (!file.Read(header, sizeof header) || !file.Read(body, sizeof body)) return 0;
  return ByteView(body, sizeof body).U16le(188);
}

// FireBerd 500: the first bytes of the first frame tell Token Ring from Ethernet.
Topology FireBerdTopology(TraceFile& file) {
  uint8_t record[10];
  uint8_t b[3] = {0, 0, 0};
  if (file.ReadAt(76, record, sizeof record)) {
    uint16_t stored = ByteView(record, sizeof record).U16le(0);
    file.ReadSome(b, stored < sizeof b ? stored : sizeof b);
  }
  if ((b[0] & 0x10) == 0 || b[0] == 0xFF) return kEthernet;
  if (b[0] != 0x10 || b[1] != 0) return kTokenRing;
  return b[2] == 0x5A || b[2] == 0x5D || b[2] == 0xE0 ? kEthernet : kTokenRing;
}

Topology Da30Topology(TraceFile& file, ByteView h) {
  uint8_t block[16];
  if (!file.ReadAt(h.U32le(22), block, sizeof block)) return kUnknownTopology;
  switch (ByteView(block, sizeof block).U32le(4)) {
    case 30: return kTokenRing;
    case 40: return kEthernet;
    default: return kUnknownTopology;
  }
}

void ReadWwg(AnalyzerKind kind, ByteView h, HeaderResult& r) {
  r.comment = kind == kAnalyzerLinkView ? CText(h.Sub(5, 39)) : CText(h.Sub(4, 40));
  uint16_t code = h.U16le(62);
  switch (code) {
    case 358: r.topology = kEthernet, r.bandwidth = 10000000; break;
    case 880:
    case 984: r.topology = kEthernet, r.bandwidth = 100000000; break;
    case 363: r.topology = kTokenRing; break;
    case 739:
      switch (h.U16le(64)) {
        case 4: r.topology = kEthernet, r.bandwidth = 10000000; break;
        case 6: r.topology = kTokenRing; break;
        default: break;
      }
      break;
    case 313: r.topology = kFddi; break;
    case 359: r.topology = 9; break;
    case 360: r.topology = 10; break;
    case 361: r.topology = 11; break;
    case 747: r.topology = 13; break;
    case 855: r.topology = 14; break;
    case 378:
    case 938: r.topology = 15; break;
    case 940: r.topology = 16; break;
    case 941: r.topology = 18; break;
    case 335:
    case 939: r.topology = 17; break;
    default: break;
  }
}

// Kinds whose medium is told by their first frame: one pre-scan pass with the reader.
void PreScan(const TraceInfo& info, const ReaderFactory& factory, HeaderResult& r) {
  class CountingSink : public FrameSink {
   public:
    bool DecodeFrame(FrameRecord&) override { return true; }
  } sink;
  PassOptions options;
  options.preScan = true;
  options.readerFactory = factory;
  PassResult pass = ProcessTraceFile(info, sink, nullptr, options);
  if (!pass.fileOpened || !pass.readerFound) return;
  r.noFrames = pass.noFrames;
  r.topology = pass.detectedTopology;
}

}  // namespace

uint32_t DefaultBandwidth(Topology topology) {
  switch (topology) {
    case kEthernet: return 10000000;
    case kTokenRing: return 16000000;
    case kFddi: return 100000000;
    default: return 0;
  }
}

HeaderResult ReadTraceHeader(const TraceInfo& info, const ReaderFactory& readerFactory) {
  HeaderResult r;
  TraceFile file;
  errno = 0;
  if (!file.Open(info.path)) {
    r.readError = errno != EACCES;
    return r;
  }
  if (file.Size() < kMinimumHeaderFile) return r;
  uint8_t window[kHeaderWindow] = {};
  size_t got = file.ReadSome(window, sizeof window);
  if (got < HeaderBytesNeeded(info.kind) || got == 0) {
    r.readError = true;
    return r;
  }
  ByteView h(window, got);
  const std::string name = UpperAscii(info.path);
  auto has = [&name](const char* part) { return name.find(part) != std::string::npos; };
  Topology& t = r.topology;

  switch (info.kind) {
    case kAnalyzerEtherPeek: t = has(".PKT") ? kEthernet : kTokenRing; break;
    case kAnalyzerDigitech: PreScan(info, readerFactory, r); break;
    case kAnalyzerHpAdvisorDos:
      switch (h.U32le(24)) {
        case 1:
        case 2:
        case 5:
        case 8: t = kEthernet, r.bandwidth = 10000000; break;
        case 7: t = kEthernet, r.bandwidth = 100000000; break;
        case 3: t = kTokenRing, r.bandwidth = 4000000; break;
        case 4: t = kTokenRing, r.bandwidth = 16000000; break;
        default: break;
      }
      break;
    case kAnalyzerIbm:
      switch (h.U8(130)) {
        case 1: t = kFddi; break;
        case 2: t = kTokenRing; break;
        case 3: t = kEthernet; break;
        default: break;
      }
      break;
    case kAnalyzerIntel:
      switch (h.U16le(40)) {
        case 1: t = kEthernet; break;
        case 3: t = kTokenRing; break;
        default: break;
      }
      break;
    case kAnalyzerNetMon1:
    case kAnalyzerNetMon2:
      switch (h.U8(6)) {
        case 1: t = kEthernet; break;
        case 2: t = kTokenRing; break;
        case 3: t = kFddi; break;
        default: break;
      }
      r.comment = ReadNetMonComment(file, h);
      break;
    case kAnalyzerNetXRay:
      switch (h.U32le(44)) {
        case 0: t = kEthernet; break;
        case 1: t = kTokenRing; break;
        case 2: t = kFddi; break;
        case 3: t = kWan; break;
        default: break;
      }
      r.bandwidth = h.U32le(60);
      if (r.bandwidth > 1000000000u) r.bandwidth = 10000000;
      break;
    case kAnalyzerSnifferDos:
      switch (h.U8(32)) {
        case 0: t = kTokenRing; break;
        case 1:
        case 3: t = kEthernet; break;
        case 2: t = 2; break;
        case 7: t = kWan; break;
        case 9: t = kFddi; break;
        default: break;
      }
      ReadSnifferSpeed(file, t, r.bandwidth);
      break;
    case kAnalyzerObserver:
      switch (h.U32le(133)) {
        case 0: t = kEthernet; break;
        case 1: t = kTokenRing; break;
        case 2: t = kFddi; break;
        default: break;
      }
      break;
    case kAnalyzerLanalyzer:
      switch (file.Seek(0) ? ReadLanalyzerBoard(file) : 0) {
        case 226: t = kEthernet; break;
        case 227:
        case 228: t = kTokenRing; break;
        default: break;
      }
      break;
    case kAnalyzerLanWatch: {
      uint16_t code = h.U16le(12);
      if (code <= 511)
        t = kEthernet;
      else if (code >= 768 && code <= 1023)
        t = kTokenRing;
      break;
    }
    case kAnalyzerSnoop:
    case kAnalyzerShomiti:
      switch (h.U8(15)) {
        case 0:
        case 4: t = kEthernet, r.bandwidth = 10000000; break;
        case 10: t = kEthernet, r.bandwidth = 100000000; break;
        case 2: t = kTokenRing; break;
        case 8: t = kFddi; break;
        default: break;
      }
      break;
    case kAnalyzerTcpdump:
      // Read as an option: the link type libpcap reports (the "(modified)" variant libpcap
      // cannot read keeps the rule of the option off, and so its refusal).
      if (info.readPcap && !info.pcapModified) {
        t = PcapTopology(info.path);
        break;
      }
      switch (info.pcapSwapped ? h.U32be(20) : h.U32le(20)) {
        case 1:
        case 6: t = kEthernet; break;
        case 100: t = kEthernet, r.bandwidth = 100000000; break;
        case 10: t = kFddi; break;
        default: break;
      }
      break;
    case kAnalyzerFireBerd: t = FireBerdTopology(file); break;
    case kAnalyzerNetLens:
      if (has(".T04"))
        t = kTokenRing;
      else if (has(".S04"))
        t = kEthernet;
      break;
    case kAnalyzerDa30: t = Da30Topology(file, h); break;
    case kAnalyzerDomino:
    case kAnalyzerLinkView: ReadWwg(info.kind, h, r); break;
    case kAnalyzerPcapNg: t = PcapTopology(info.path); break;
    default: break;
  }
  if (r.bandwidth == 0) r.bandwidth = DefaultBandwidth(t);
  return r;
}

}  // namespace corvanta

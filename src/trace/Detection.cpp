#include "trace/Detection.h"

#include <vector>

#include "trace/Bytes.h"
#include "trace/TraceFile.h"

namespace corvanta {

const std::array<std::string_view, kAnalyzerNameCount> AnalyzerNames = {
    "AG EtherPeek/TokenPeek",
    "Agilent LAN Analyzer",
    "Digitech LAN900",
    "Fluke Protocol Inspector",
    "HP Internet Advisor",
    "HP Internet Advisor (pre-Win95)",
    "IBM DataGLANce",
    "Intel LANDesk/NetSight",
    "Microsoft NetMon (SMS 1.2)",
    "Microsoft NetMon (SMS 2.0)",
    "NAI NetXRay/Sniffer Windows",
    "NAI Sniffer DOS",
    "NI Observer",
    "Novell LANalyzer",
    "Precision Guesswork LANWatch",
    "Sun Snoop",
    "Shomiti Surveyor/OEM",
    "tcpdump",
    "TTC FireBerd 500",
    "TTC FireBerd 500 PC",
    "TTC NetLens/Spider",
    "WWG DA-30",
    "WWG Domino",
    "WWG LinkView PRO",
    "ASCII Text",
    "pcapng",
};

const std::array<AnalyzerKind, 18> SupportedAnalyzers = {0,  2,  5,  6,  8,  9,  10, 11, 12,
                                                         13, 14, 15, 16, 18, 20, 21, 22, 23};

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return out;
}

namespace {

constexpr size_t kWindowSize = 200;
constexpr uint64_t kMinimumFileSize = 40;
constexpr uint64_t kMinimumDigitechSize = 131072;

constexpr uint32_t kPcapNative = 0xA1B2C3D4;
constexpr uint32_t kPcapSwapped = 0xD4C3B2A1;
constexpr uint32_t kPcapNativeModified = 0xA1B2CD34;
constexpr uint32_t kPcapSwappedModified = 0x34CDB2A1;
// libpcap files with nanosecond times, read only through libpcap.
constexpr uint32_t kPcapNanoNative = 0xA1B23C4D;
constexpr uint32_t kPcapNanoSwapped = 0x4D3CB2A1;
// A pcapng file starts with a section header block, whose byte-order magic follows at 8.
constexpr uint32_t kPcapNgSection = 0x0A0D0D0A;
constexpr uint32_t kPcapNgByteOrder = 0x1A2B3C4D;

bool Has(const std::string& upperName, std::string_view part) { return upperName.find(part) != std::string::npos; }

// A native-order libpcap file whose second record header does not fit the standard layout
// was written with the longer record headers. A file too short to hold a second record
// header is taken as standard.
bool LooksModified(TraceFile& file) {
  uint8_t header[24];
  uint8_t record[16];
  if (!file.ReadAt(0, header, sizeof header) || !file.Read(record, sizeof record)) return false;
  uint32_t snapLength = ByteView(header, sizeof header).U32le(16);
  uint32_t firstCaptured = ByteView(record, sizeof record).U32le(8);
  if (!file.Skip(firstCaptured) || !file.Read(record, sizeof record)) return false;
  ByteView second(record, sizeof record);
  uint32_t captured = second.U32le(8);
  uint32_t wire = second.U32le(12);
  return captured > snapLength || (captured == 0 && wire == 0);
}

void DetectPcap(const std::string& path, uint32_t magic, ByteView h, Detection& d) {
  d.pcapSwapped = magic == kPcapSwapped || magic == kPcapSwappedModified || magic == kPcapNanoSwapped;
  d.pcapNanoseconds = magic == kPcapNanoNative || magic == kPcapNanoSwapped;
  d.pcapModified = magic == kPcapNativeModified || magic == kPcapSwappedModified;
  // The file is at least 40 bytes long, so its 24-byte header is inside the window.
  uint16_t versionMajor = d.pcapSwapped ? h.U16be(4) : h.U16le(4);
  if (versionMajor < 2) return;
  d.kind = kAnalyzerTcpdump;
  if (magic != kPcapNative) return;
  TraceFile file;
  if (!file.Open(path)) {
    d.cannotOpen = true;
    d.kind = kNotATrace;
    return;
  }
  d.pcapModified = LooksModified(file);
}

// Sun snoop and Shomiti Surveyor share a format; Shomiti records carry a trailer.
AnalyzerKind SnoopKind(ByteView h) {
  int64_t recordLength = h.U32be(16 + 8);
  int64_t included = h.U32be(16 + 4);
  return recordLength - included > 27 ? kAnalyzerShomiti : kAnalyzerSnoop;
}

}  // namespace

Detection DetectAnalyzer(const std::string& path) {
  Detection d;
  TraceFile file;
  if (!file.Open(path)) {
    d.cannotOpen = true;
    return d;
  }
  d.fileSize = file.Size();
  if (d.fileSize < kMinimumFileSize) {
    d.tooSmall = true;
    return d;
  }
  std::vector<uint8_t> window(kWindowSize, 0);
  size_t got = file.ReadSome(window.data(), window.size());
  file.Close();
  if (got == 0) {
    d.cannotOpen = true;
    return d;
  }
  // Bytes past the end of a short file read as zero and take part in no text search.
  ByteView h(window.data(), got);
  const std::string n = UpperAscii(path);

  uint16_t w0 = h.U16le(0);
  uint16_t w40 = h.U16le(40);
  int32_t d22 = static_cast<int32_t>(h.U32le(22));
  uint16_t w35 = h.U16le(35);
  uint8_t b130 = h.U8(130);
  uint8_t b131 = h.U8(131);
  uint32_t m = h.U32le(0);

  if (h.Matches(0, "TRS")) {
    d.kind = kAnalyzerSnifferDos;
    d.snifferCompressed = (w35 & 1) != 0;
  } else if (m == kPcapNative || m == kPcapSwapped || m == kPcapNativeModified || m == kPcapSwappedModified ||
             m == kPcapNanoNative || m == kPcapNanoSwapped) {
    DetectPcap(path, m, h, d);
  } else if (m == kPcapNgSection && (h.U32le(8) == kPcapNgByteOrder || h.U32be(8) == kPcapNgByteOrder)) {
    d.kind = kAnalyzerPcapNg;
  } else if (w0 == 0x1001 || w0 == 0x1007) {
    d.kind = kAnalyzerLanalyzer;
  } else if (h.Contains(std::string_view("\x1A\x00", 2)) && ((w40 & 0xFF) == 1 || (w40 & 0xFF) == 3) &&
             Has(n, ".CAP")) {
    d.kind = kAnalyzerIntel;
  } else if (h.Matches(0, "EXRS")) {
    d.kind = kAnalyzerDa30;
  } else if (h.Matches(0, "PKTDMP")) {
    d.kind = kAnalyzerLanWatch;
  } else if (h.Contains("HPDATA0")) {
    d.kind = kAnalyzerHpAdvisorDos;
  } else if (b130 >= 1 && b130 <= 3 && (b131 & 2) == 0 && Has(n, ".DGC")) {
    d.kind = kAnalyzerIbm;
  } else if (h.U8(0) == 'D' && d22 < 100000 && (Has(n, ".S04") || Has(n, ".T04"))) {
    d.kind = kAnalyzerNetLens;
  } else if (h.Contains("ProbeApps")) {
    d.kind = kAnalyzerFireBerd;
  } else if (h.Matches(0, "RTSS")) {
    d.kind = kAnalyzerNetMon1;
  } else if (h.Matches(0, "GMBU")) {
    d.kind = kAnalyzerNetMon2;
  } else if (Has(n, ".DAT") && d.fileSize >= kMinimumDigitechSize && h.U8(0) == 3 && h.U8(1) == 0x94) {
    d.kind = kAnalyzerDigitech;
  } else if (h.Contains("Observer")) {
    d.kind = kAnalyzerObserver;
  } else if ((Has(n, ".PKT") || Has(n, ".TPC")) && (h.U8(0) == 6 || h.U8(0) == 7)) {
    d.kind = kAnalyzerEtherPeek;
  } else if (h.Matches(0, std::string_view("snoop\0\0\0", 8))) {
    d.kind = SnoopKind(h);
  } else if (h.Matches(0, "WINC")) {
    d.kind = h.Contains("LinkView PRO") ? kAnalyzerLinkView : kAnalyzerDomino;
  } else if (h.Matches(0, "XCP")) {
    d.kind = kAnalyzerNetXRay;
  }
  return d;
}

std::string AnalyzerDisplayName(AnalyzerKind kind, Topology topology, bool pcapModified) {
  if (kind >= kAnalyzerNameCount) return {};
  if (kind == kAnalyzerEtherPeek) return topology == kTokenRing ? "TokenPeek" : "EtherPeek";
  std::string name(AnalyzerNames[kind]);
  if (kind == kAnalyzerTcpdump && pcapModified) name += " (modified)";
  return name;
}

std::string DefaultTraceExtension(AnalyzerKind kind, Topology topology) {
  static constexpr std::array<std::string_view, kAnalyzerNameCount> kFirst = {
      ".tpc", ".cap", ".dat",   ".cap", ".dat", ".trn", ".dgc", ".cap", ".cap", ".cap", ".cap", ".trc", ".bfr",
      ".tr1", ".dmp", ".snoop", ".cap", ".dmp", ".pkt", ".cap", ".t04", ".an1", ".cap", ".cap", ".txt", ".pcapng"};
  if (kind >= kAnalyzerNameCount) return ".cap";
  switch (kind) {
    case kAnalyzerEtherPeek:
      if (topology == kEthernet) return ".pkt";
      break;
    case kAnalyzerHpAdvisorDos:
      if (topology == kEthernet) return ".eth";
      break;
    case kAnalyzerSnifferDos:
      if (topology == kEthernet) return ".enc";
      if (topology == 3) return ".fdc";
      if (topology >= 2) return ".syc";
      break;
    default: break;
  }
  return std::string(kFirst[kind]);
}

}  // namespace corvanta

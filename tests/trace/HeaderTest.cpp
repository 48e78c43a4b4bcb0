#include <gtest/gtest.h>

#include <tuple>

#include "TraceTestFiles.h"
#include "trace/OpenTrace.h"

namespace corvanta::testing {
namespace {

OpenOutcome Open(const std::vector<uint8_t>& image, const std::string& name, const ReaderFactory& factory = {}) {
  TempFile file(image, name);
  return OpenTrace(file.path(), factory);
}

void ExpectAccepted(const OpenOutcome& o, AnalyzerKind kind, Topology topology, uint32_t bandwidth) {
  EXPECT_TRUE(o.accepted) << o.refusal;
  EXPECT_EQ(o.refusal, "");
  EXPECT_EQ(o.info.kind, kind);
  EXPECT_EQ(o.info.topology, topology);
  EXPECT_EQ(o.info.bandwidth, bandwidth);
  EXPECT_EQ(o.info.bandwidthMbps, static_cast<int32_t>(bandwidth / 1000000));
}

std::string Interface(const std::string& name) { return name + " contains an unsupported interface."; }
std::string Unsupported(const std::string& name) { return name + " contains an unsupported analyzer or topology."; }

// ---- Images of each format's header

std::vector<uint8_t> NetXRay(uint32_t topology, uint32_t bandwidth) {
  std::vector<uint8_t> image = Starting(std::string_view("XCP\0", 4), 128);
  SetLe32(image, 44, topology);
  SetLe32(image, 60, bandwidth);
  return image;
}

std::vector<uint8_t> NetMon(uint8_t topology, const std::string& comment = "", uint32_t commentLength = 0) {
  std::vector<uint8_t> image = Starting("RTSS", 128);
  image[6] = topology;
  if (!comment.empty()) {
    SetLe32(image, 40, 128);
    SetLe32(image, 44, commentLength ? commentLength : static_cast<uint32_t>(comment.size()));
    PutText(image, 128, comment);
  }
  return image;
}

// Sniffer DOS: signature, version record (network code at file offset 32), then records.
std::vector<uint8_t> SnifferDos(uint8_t network,
                                const std::vector<std::pair<uint16_t, std::vector<uint8_t>>>& records) {
  std::vector<uint8_t> image = Starting("TRSNIFF data    \x1a", 17);
  PutLe16(image, 1);
  PutLe16(image, 18);
  PutLe16(image, 0);
  image.resize(image.size() + 18, 0);
  image[32] = network;
  for (const auto& [type, body] : records) {
    PutLe16(image, type);
    PutLe16(image, static_cast<uint16_t>(body.size()));
    PutLe16(image, 0);
    image.insert(image.end(), body.begin(), body.end());
  }
  if (image.size() < 160) image.resize(160, 0);
  return image;
}

std::vector<uint8_t> Speed(uint32_t speed) {
  std::vector<uint8_t> body;
  PutLe32(body, speed);
  body.resize(20, 0);
  return body;
}

// LANalyzer: six records, then the seventh whose body holds the board code at 188.
std::vector<uint8_t> Lanalyzer(uint16_t board, size_t cutAt = 0) {
  std::vector<uint8_t> image;
  for (int i = 0; i < 6; ++i) {
    PutLe16(image, i == 0 ? 0x1001 : static_cast<uint16_t>(0x1002 + i));
    PutLe16(image, static_cast<uint16_t>(10 + 7 * i));
    image.resize(image.size() + 10 + 7 * i, 0x11);
  }
  PutLe16(image, 0x1008);
  PutLe16(image, 210);
  size_t body = image.size();
  image.resize(body + 210, 0);
  SetLe16(image, body + 188, board);
  image.resize(image.size() + 40, 0);
  if (cutAt) image.resize(cutAt);
  return image;
}

std::vector<uint8_t> FireBerd(std::vector<uint8_t> firstBytes) {
  std::vector<uint8_t> image = Starting("ProbeApps", 76);
  PutLe16(image, static_cast<uint16_t>(firstBytes.size()));
  image.resize(86, 0);
  image.insert(image.end(), firstBytes.begin(), firstBytes.end());
  image.resize(std::max<size_t>(image.size(), 140), 0);
  return image;
}

std::vector<uint8_t> Da30(uint32_t mediaCode, uint32_t blockOffset = 100) {
  std::vector<uint8_t> image = Starting("EXRS", 100 + 16 + 152);  // the media block is read whole
  SetLe32(image, 22, blockOffset);
  SetLe32(image, 100 + 4, mediaCode);
  return image;
}

std::vector<uint8_t> Wwg(bool linkView, uint16_t code, uint16_t subCode, const std::string& comment = "") {
  std::vector<uint8_t> image = Starting("WINC", 160);
  PutText(image, linkView ? 5 : 4, comment);
  if (linkView) PutText(image, 100, "LinkView PRO");
  SetLe16(image, 62, code);
  SetLe16(image, 64, subCode);
  // A chunk naming an empty frame index, so that the reader opens the trace.
  PutText(image, 78, "FRAM");
  SetLe32(image, 82, 120);
  SetLe32(image, 120, 124);
  return image;
}

std::vector<uint8_t> SnoopFileHeader(uint8_t dataLink) {
  std::vector<uint8_t> image = Starting(std::string_view("snoop\0\0\0", 8), 16);
  SetBe32(image, 8, 2);
  SetBe32(image, 12, dataLink);
  return image;
}

std::vector<uint8_t> SnoopHeader(uint8_t dataLink, size_t size = 200) {
  std::vector<uint8_t> image = SnoopFileHeader(dataLink);
  SetBe32(image, 16 + 4, 42);       // included length
  SetBe32(image, 16 + 8, 24 + 44);  // a Sun snoop record: header, data, padding
  image.resize(size, 0);
  return image;
}

// ---- Tests

TEST(TraceHeader, NetXRayTopologyAndBandwidth) {
  ExpectAccepted(Open(NetXRay(0, 0), "a.cap"), 10, kEthernet, 10000000);
  ExpectAccepted(Open(NetXRay(1, 0), "a.cap"), 10, kTokenRing, 16000000);
  ExpectAccepted(Open(NetXRay(0, 100000000), "a.cap"), 10, kEthernet, 100000000);
  ExpectAccepted(Open(NetXRay(1, 4000000), "a.cap"), 10, kTokenRing, 4000000);
  // Above 1,000,000,000 (unsigned) the header's value is replaced.
  ExpectAccepted(Open(NetXRay(0, 1000000001), "a.cap"), 10, kEthernet, 10000000);
  ExpectAccepted(Open(NetXRay(1, 0xFFFFFFFF), "a.cap"), 10, kTokenRing, 10000000);
  ExpectAccepted(Open(NetXRay(0, 1000000000), "a.cap"), 10, kEthernet, 1000000000);
  EXPECT_EQ(Open(NetXRay(0, 1000000000), "a.cap").info.bandwidthMbps, 1000);

  OpenOutcome fddi = Open(NetXRay(2, 0), "f.cap");
  EXPECT_EQ(fddi.info.topology, 3);
  EXPECT_EQ(fddi.info.bandwidth, 100000000u);
  EXPECT_EQ(fddi.refusal, Interface("f.cap"));
  OpenOutcome wan = Open(NetXRay(3, 0), "w.cap");
  EXPECT_EQ(wan.info.topology, 4);
  EXPECT_EQ(wan.info.bandwidth, 0u);
  EXPECT_EQ(wan.refusal, Unsupported("w.cap"));
  EXPECT_EQ(Open(NetXRay(7, 0), "u.cap").refusal, Interface("u.cap"));
}

TEST(TraceHeader, NetMonTopologyAndComment) {
  ExpectAccepted(Open(NetMon(1), "n.cap"), 8, kEthernet, 10000000);
  ExpectAccepted(Open(NetMon(2), "n.cap"), 8, kTokenRing, 16000000);
  EXPECT_EQ(Open(NetMon(3), "fddi.cap").refusal, Interface("fddi.cap"));
  EXPECT_EQ(Open(NetMon(0), "n.cap").refusal, Interface("n.cap"));

  std::vector<uint8_t> v2 = NetMon(1, "Second floor");
  PutText(v2, 0, "GMBU");
  OpenOutcome o = Open(v2, "n.cap");
  ExpectAccepted(o, 9, kEthernet, 10000000);
  EXPECT_EQ(o.info.comment, "Second floor");

  // A comment longer than 300 bytes is cut to 300.
  EXPECT_EQ(Open(NetMon(1, std::string(400, 'c')), "n.cap").info.comment, std::string(300, 'c'));
  EXPECT_EQ(Open(NetMon(1, std::string(300, 'c')), "n.cap").info.comment, std::string(300, 'c'));
  // The text ends at its first zero byte.
  EXPECT_EQ(Open(NetMon(1, std::string("Lab\0ignored", 11)), "n.cap").info.comment, "Lab");
  // A comment length reaching past the end gives what is there.
  EXPECT_EQ(Open(NetMon(1, "short", 250), "n.cap").info.comment, "short");
  // A comment offset past the end gives none.
  std::vector<uint8_t> lost = NetMon(1);
  SetLe32(lost, 40, 100000);
  SetLe32(lost, 44, 20);
  ExpectAccepted(Open(lost, "n.cap"), 8, kEthernet, 10000000);
  EXPECT_EQ(Open(lost, "n.cap").info.comment, "");
}

TEST(TraceHeader, SnifferDosSpeedRecord) {
  // Token Ring: a speed of 0 means 4 Mbit/s, any other 16 Mbit/s; no speed record: 16.
  ExpectAccepted(Open(SnifferDos(0, {{6, std::vector<uint8_t>(5)}, {7, Speed(0)}}), "r.trc"), 11, kTokenRing, 4000000);
  ExpectAccepted(Open(SnifferDos(0, {{7, Speed(16)}}), "r.trc"), 11, kTokenRing, 16000000);
  ExpectAccepted(Open(SnifferDos(0, {{3, {}}, {7, Speed(0)}}), "r.trc"), 11, kTokenRing, 16000000);
  ExpectAccepted(Open(SnifferDos(0, {}), "r.trc"), 11, kTokenRing, 16000000);
  // Ethernet: exactly 100,000,000 is 100 Mbit/s, anything else 10.
  ExpectAccepted(Open(SnifferDos(1, {{8, std::vector<uint8_t>(12)}, {13, {1, 2}}, {7, Speed(100000000)}}), "e.enc"), 11,
                 kEthernet, 100000000);
  ExpectAccepted(Open(SnifferDos(3, {{7, Speed(16000000)}}), "e.enc"), 11, kEthernet, 10000000);
  // An unknown record type ends the walk before a later speed record.
  ExpectAccepted(Open(SnifferDos(1, {{4, std::vector<uint8_t>(20)}, {7, Speed(100000000)}}), "e.enc"), 11, kEthernet,
                 10000000);
  // Other networks.
  OpenOutcome fddi = Open(SnifferDos(9, {{7, Speed(0)}}), "f.fdc");
  EXPECT_EQ(fddi.info.topology, 3);
  EXPECT_EQ(fddi.info.bandwidth, 100000000u);
  EXPECT_EQ(fddi.refusal, Interface("f.fdc"));
  EXPECT_EQ(Open(SnifferDos(2, {}), "a.syc").refusal, Interface("a.syc"));
  EXPECT_EQ(Open(SnifferDos(7, {}), "w.syc").refusal, Unsupported("w.syc"));
  EXPECT_EQ(Open(SnifferDos(5, {}), "x.syc").refusal, Interface("x.syc"));
  // A speed record cut short leaves the default.
  std::vector<uint8_t> cut = SnifferDos(0, {});
  cut.resize(41);
  PutLe16(cut, 7);
  PutLe16(cut, 4);
  PutLe16(cut, 0);
  cut.resize(50, 0);  // three of the four speed bytes
  ExpectAccepted(Open(cut, "r.trc"), 11, kTokenRing, 16000000);
}

TEST(TraceHeader, LanalyzerBoardCode) {
  ExpectAccepted(Open(Lanalyzer(226), "e.tr1"), 13, kEthernet, 10000000);
  ExpectAccepted(Open(Lanalyzer(227), "t.tr1"), 13, kTokenRing, 16000000);
  ExpectAccepted(Open(Lanalyzer(228), "t.tr1"), 13, kTokenRing, 16000000);
  EXPECT_EQ(Open(Lanalyzer(229), "x.tr1").refusal, Interface("x.tr1"));
  // A file that ends inside the seventh record has no board code.
  EXPECT_EQ(Open(Lanalyzer(226, 200), "x.tr1").refusal, Interface("x.tr1"));
}

TEST(TraceHeader, FireBerdFirstFrame) {
  ExpectAccepted(Open(FireBerd({0x00, 0x00, 0x00, 0x01}), "a.pkt"), 18, kEthernet, 10000000);
  ExpectAccepted(Open(FireBerd({0xFF, 0xFF, 0xFF}), "a.pkt"), 18, kEthernet, 10000000);
  ExpectAccepted(Open(FireBerd({0x18, 0x40, 0x00}), "a.pkt"), 18, kTokenRing, 16000000);
  ExpectAccepted(Open(FireBerd({0x10, 0x01, 0x5A}), "a.pkt"), 18, kTokenRing, 16000000);
  ExpectAccepted(Open(FireBerd({0x10, 0x00, 0x5A}), "a.pkt"), 18, kEthernet, 10000000);
  ExpectAccepted(Open(FireBerd({0x10, 0x00, 0x5D}), "a.pkt"), 18, kEthernet, 10000000);
  ExpectAccepted(Open(FireBerd({0x10, 0x00, 0xE0}), "a.pkt"), 18, kEthernet, 10000000);
  ExpectAccepted(Open(FireBerd({0x10, 0x00, 0x40}), "a.pkt"), 18, kTokenRing, 16000000);
  // A stored length of 2 leaves the third byte as zero: Token Ring.
  ExpectAccepted(Open(FireBerd({0x10, 0x00}), "a.pkt"), 18, kTokenRing, 16000000);
}

TEST(TraceHeader, EtherPeekByName) {
  std::vector<uint8_t> image = Zeros(120);
  image[0] = 7;
  OpenOutcome ring = Open(image, "CAPTURE.TPC");
  ExpectAccepted(ring, 0, kTokenRing, 16000000);
  EXPECT_EQ(AnalyzerDisplayName(ring.info.kind, ring.info.topology, false), "TokenPeek");
  OpenOutcome ether = Open(image, "capture.pkt");
  ExpectAccepted(ether, 0, kEthernet, 10000000);
  EXPECT_EQ(AnalyzerDisplayName(ether.info.kind, ether.info.topology, false), "EtherPeek");
}

TEST(TraceHeader, HpIbmObserverLanWatch) {
  auto hp = [](uint32_t code) { return Stamped("HPDATA0", 140, 24, code, 4); };
  for (uint32_t code : {1u, 2u, 5u, 8u}) ExpectAccepted(Open(hp(code), "a.eth"), 5, kEthernet, 10000000);
  ExpectAccepted(Open(hp(7), "a.eth"), 5, kEthernet, 100000000);
  ExpectAccepted(Open(hp(3), "a.trn"), 5, kTokenRing, 4000000);
  ExpectAccepted(Open(hp(4), "a.trn"), 5, kTokenRing, 16000000);
  EXPECT_EQ(Open(hp(6), "a.trn").refusal, Interface("a.trn"));

  auto ibm = [](uint8_t code) { return Stamped("", 512, 130, code, 1); };
  ExpectAccepted(Open(ibm(3), "a.dgc"), 6, kEthernet, 10000000);
  ExpectAccepted(Open(ibm(2), "a.dgc"), 6, kTokenRing, 16000000);
  EXPECT_EQ(Open(ibm(1), "a.dgc").refusal, Interface("a.dgc"));

  auto observer = [](uint32_t code) { return Stamped("ObserverPktBufferVersion=09.00", 200, 133, code, 4); };
  ExpectAccepted(Open(observer(0), "a.bfr"), 12, kEthernet, 10000000);
  ExpectAccepted(Open(observer(1), "a.bfr"), 12, kTokenRing, 16000000);
  EXPECT_EQ(Open(observer(2), "a.bfr").refusal, Interface("a.bfr"));
  EXPECT_EQ(Open(observer(0x100), "a.bfr").refusal, Interface("a.bfr"));

  auto lanWatch = [](uint16_t code) { return Stamped("PKTDMP", 100, 12, code, 2); };
  ExpectAccepted(Open(lanWatch(0), "a.dmp"), 14, kEthernet, 10000000);
  ExpectAccepted(Open(lanWatch(511), "a.dmp"), 14, kEthernet, 10000000);
  ExpectAccepted(Open(lanWatch(768), "a.dmp"), 14, kTokenRing, 16000000);
  ExpectAccepted(Open(lanWatch(1023), "a.dmp"), 14, kTokenRing, 16000000);
  EXPECT_EQ(Open(lanWatch(600), "a.dmp").refusal, Interface("a.dmp"));
  EXPECT_EQ(Open(lanWatch(1024), "a.dmp").refusal, Interface("a.dmp"));
}

TEST(TraceHeader, SnoopDataLinkTypes) {
  ExpectAccepted(Open(SnoopHeader(4), "a.snoop"), 15, kEthernet, 10000000);
  ExpectAccepted(Open(SnoopHeader(0), "a.snoop"), 15, kEthernet, 10000000);
  OpenOutcome fast = Open(SnoopHeader(10), "a.snoop");
  ExpectAccepted(fast, 15, kEthernet, 100000000);
  EXPECT_EQ(fast.info.bandwidthMbps, 100);
  ExpectAccepted(Open(SnoopHeader(2), "a.snoop"), 15, kTokenRing, 16000000);
  EXPECT_EQ(Open(SnoopHeader(8), "a.snoop").refusal, Interface("a.snoop"));
  EXPECT_EQ(Open(SnoopHeader(9), "a.snoop").refusal, Interface("a.snoop"));

  std::vector<uint8_t> shomiti = SnoopHeader(4);
  SetBe32(shomiti, 16 + 8, 24 + 44 + 16);
  ExpectAccepted(Open(shomiti, "a.cap"), 16, kEthernet, 10000000);
}

TEST(TraceHeader, TcpdumpIsRecognisedButRefused) {
  auto pcap = [](bool swapped, uint32_t linkType) {
    std::vector<uint8_t> image;
    auto put32 = [&](uint32_t v) { swapped ? PutBe32(image, v) : PutLe32(image, v); };
    PutLe32(image, swapped ? 0xD4C3B2A1 : 0xA1B2C3D4);
    swapped ? PutBe16(image, 2) : PutLe16(image, 2);
    swapped ? PutBe16(image, 4) : PutLe16(image, 4);
    put32(0);
    put32(0);
    put32(65535);
    put32(linkType);
    image.resize(100, 0);
    return image;
  };
  OpenOutcome ether = Open(pcap(false, 1), "t.dmp");
  EXPECT_EQ(ether.info.kind, 17);
  EXPECT_EQ(ether.info.topology, kEthernet);
  EXPECT_EQ(ether.refusal, Unsupported("t.dmp"));
  EXPECT_EQ(Open(pcap(true, 1), "t.dmp").info.topology, kEthernet);
  EXPECT_EQ(Open(pcap(true, 6), "t.dmp").info.topology, kEthernet);
  EXPECT_EQ(Open(pcap(false, 100), "t.dmp").info.bandwidth, 100000000u);
  EXPECT_EQ(Open(pcap(true, 10), "t.dmp").refusal, Interface("t.dmp"));
  EXPECT_EQ(Open(pcap(false, 0x01000000), "t.dmp").refusal, Interface("t.dmp"));
}

TEST(TraceHeader, NetLensByName) {
  std::vector<uint8_t> image = Starting("D", 100);
  ExpectAccepted(Open(image, "a.T04"), 20, kTokenRing, 16000000);
  ExpectAccepted(Open(image, "a.s04"), 20, kEthernet, 10000000);
}

TEST(TraceHeader, Da30MediaBlock) {
  ExpectAccepted(Open(Da30(40), "a.an1"), 21, kEthernet, 10000000);
  ExpectAccepted(Open(Da30(30), "a.an1"), 21, kTokenRing, 16000000);
  EXPECT_EQ(Open(Da30(50), "a.an1").refusal, Interface("a.an1"));
  EXPECT_EQ(Open(Da30(40, 5000), "a.an1").refusal, Interface("a.an1"));
}

TEST(TraceHeader, WwgCodeTableAndComments) {
  struct Row {
    uint16_t code, sub;
    Topology topology;
    uint32_t bandwidth;
  };
  const Row rows[] = {{358, 0, kEthernet, 10000000},
                      {880, 0, kEthernet, 100000000},
                      {984, 0, kEthernet, 100000000},
                      {363, 0, kTokenRing, 16000000},
                      {739, 4, kEthernet, 10000000},
                      {739, 6, kTokenRing, 16000000},
                      {739, 5, kUnknownTopology, 0},
                      {313, 0, 3, 100000000},
                      {359, 0, 9, 0},
                      {360, 0, 10, 0},
                      {361, 0, 11, 0},
                      {747, 0, 13, 0},
                      {855, 0, 14, 0},
                      {378, 0, 15, 0},
                      {938, 0, 15, 0},
                      {940, 0, 16, 0},
                      {941, 0, 18, 0},
                      {335, 0, 17, 0},
                      {939, 0, 17, 0},
                      {1, 4, kUnknownTopology, 0}};
  for (const Row& r : rows) {
    HeaderResult h = Open(Wwg(false, r.code, r.sub), "d.cap").header;
    EXPECT_EQ(h.topology, r.topology) << r.code << "/" << r.sub;
    EXPECT_EQ(h.bandwidth, r.bandwidth) << r.code << "/" << r.sub;
  }
  EXPECT_EQ(Open(Wwg(false, 359, 0), "d.cap").refusal, Unsupported("d.cap"));
  EXPECT_EQ(Open(Wwg(false, 313, 0), "d.cap").refusal, Interface("d.cap"));

  // Domino: 40 bytes from offset 4; LinkView PRO: 39 bytes from offset 5.
  OpenOutcome domino = Open(Wwg(false, 358, 0, std::string(45, 'd')), "d.cap");
  ExpectAccepted(domino, 22, kEthernet, 10000000);
  EXPECT_EQ(domino.info.comment, std::string(40, 'd'));
  OpenOutcome linkView = Open(Wwg(true, 363, 0, "Backbone " + std::string(40, 'l')), "l.cap");
  ExpectAccepted(linkView, 23, kTokenRing, 16000000);
  EXPECT_EQ(linkView.info.comment, "Backbone " + std::string(30, 'l'));
}

// ---- Kind 2: the first frame tells the medium.

class OneFrameReader : public TraceReader {
 public:
  explicit OneFrameReader(Topology medium, bool empty = false) : medium_(medium), empty_(empty) {}
  bool Open(ReaderContext& ctx) override {
    ctx.frame.FrameNumber = 0;
    if (empty_) ctx.noFrames = true;
    return !empty_;
  }
  void ReadFrames(ReaderContext& ctx, bool) override {
    // Two frames in the file; the pre-scan must stop after the first.
    for (int i = 0; i < 2; ++i) {
      ctx.BeginFrame();
      ctx.frame.Length = ctx.frame.CapturedLength = 64;
      ctx.detectedTopology = i == 0 ? medium_ : kTokenRing;
      EXPECT_TRUE(ctx.preScan);
      if (ctx.Deliver()) break;
    }
  }

 private:
  Topology medium_;
  bool empty_;
};

std::vector<uint8_t> DigitechImage() {
  std::vector<uint8_t> image = Zeros(131072);
  image[0] = 0x03;
  image[1] = 0x94;
  return image;
}

TEST(TraceHeader, DigitechMediumFromPreScan) {
  auto ethernet = [](AnalyzerKind) { return std::make_unique<OneFrameReader>(kEthernet); };
  ExpectAccepted(Open(DigitechImage(), "T.DAT", ethernet), 2, kEthernet, 10000000);
  auto ring = [](AnalyzerKind) { return std::make_unique<OneFrameReader>(kTokenRing); };
  ExpectAccepted(Open(DigitechImage(), "T.DAT", ring), 2, kTokenRing, 16000000);
  auto unknown = [](AnalyzerKind) { return std::make_unique<OneFrameReader>(kUnknownTopology); };
  EXPECT_EQ(Open(DigitechImage(), "T.DAT", unknown).refusal, Interface("T.DAT"));
  // An empty buffer table refuses the trace with its own phrase.
  auto empty = [](AnalyzerKind) { return std::make_unique<OneFrameReader>(kEthernet, true); };
  OpenOutcome none = Open(DigitechImage(), "T.DAT", empty);
  EXPECT_FALSE(none.accepted);
  EXPECT_EQ(none.refusal, "T.DAT contains no frames.");
  // Without a reader the medium cannot be learned.
  auto missing = [](AnalyzerKind) { return std::unique_ptr<TraceReader>(); };
  EXPECT_EQ(Open(DigitechImage(), "T.DAT", missing).refusal, Interface("T.DAT"));
}

TEST(TraceHeader, DigitechWithTheBuiltInReader) {
  TracePlan plan;
  plan.kind = 2;
  plan.topology = kTokenRing;
  plan.frames.push_back({std::vector<uint8_t>(60, 0x40), 0, 0, 0});
  plan.frames.push_back({std::vector<uint8_t>(60, 0x40), 0, 1000, 0});
  std::vector<uint8_t> image = WriteTrace(plan);
  if (image.empty()) GTEST_SKIP() << "no Digitech writer";
  ExpectAccepted(Open(image, "RING.DAT"), 2, kTokenRing, 16000000);
  // An empty buffer table.
  std::vector<uint8_t> empty = DigitechImage();
  EXPECT_EQ(Open(empty, "RING.DAT").refusal, "RING.DAT contains no frames.");
}

// ---- Acceptance and failures

TEST(TraceAcceptance, DetectionRefusals) {
  EXPECT_EQ(Open(Starting("XCP", 39), "x.cap").refusal, "x.cap is too small.");
  EXPECT_EQ(OpenTrace("/nonexistent/dir/x.cap").refusal, "Unable to open Source file.  File is in use or name is bad.");
  EXPECT_EQ(Open(Starting("nothing to see", 300), "notes.txt").refusal,
            "notes.txt is osbolete, not supported, or not a trace file.");
  // The name is shown without its folder.
  TempFile file(Starting("XCP", 20), "deep.cap");
  OpenOutcome o = OpenTrace(file.path());
  EXPECT_EQ(o.refusal, "deep.cap is too small.");
  EXPECT_EQ(o.info.path, file.path());
  EXPECT_FALSE(o.accepted);
}

TEST(TraceAcceptance, UnsupportedAnalyzerWithEthernetHeader) {
  // Intel NetSight is recognised and has an Ethernet header, but is not read.
  OpenOutcome o = Open(IntelImage(1), "intel.cap");
  EXPECT_EQ(o.info.kind, 7);
  EXPECT_EQ(o.info.topology, kEthernet);
  EXPECT_EQ(o.refusal, Unsupported("intel.cap"));
  EXPECT_EQ(Open(IntelImage(3), "intel.cap").info.topology, kTokenRing);
  // Detection looks at the low byte only; the header read at the whole 16-bit value.
  EXPECT_EQ(Open(IntelImage(0x0101), "intel.cap").refusal, Interface("intel.cap"));
}

TEST(TraceAcceptance, ShortFilesAtTheHeaderRead) {
  // Detected (40 bytes or more) but 49 bytes or less: no header.
  EXPECT_EQ(Open(Starting("TRS", 49), "s.trc").refusal, Interface("s.trc"));
  std::vector<uint8_t> snoop = SnoopHeader(4, 49);
  EXPECT_EQ(Open(snoop, "s.snoop").refusal, Interface("s.snoop"));
  // A file that ends before the header fields its kind reads is refused the same way.
  EXPECT_EQ(Open(NetXRay(0, 0), "x.cap").info.topology, kEthernet);
  std::vector<uint8_t> shortXcp = NetXRay(0, 0);
  shortXcp.resize(63);
  OpenOutcome cut = Open(shortXcp, "x.cap");
  EXPECT_EQ(cut.refusal, Interface("x.cap"));
  EXPECT_TRUE(cut.header.readError);
}

TEST(TraceAcceptance, SmallCompleteTraceIsAccepted) {
  // A snoop trace holding one 42-byte frame is shorter than 140 bytes, yet complete.
  std::vector<uint8_t> image = SnoopFileHeader(4);
  PutBe32(image, 42);
  PutBe32(image, 42);
  PutBe32(image, 24 + 44);
  PutBe32(image, 0);
  PutBe32(image, 946728000);
  PutBe32(image, 0);
  image.resize(image.size() + 44, 0x33);
  ASSERT_LT(image.size(), 140u);
  ExpectAccepted(Open(image, "one.snoop"), 15, kEthernet, 10000000);
}

TEST(TraceAcceptance, FileGoneBeforeTheHeaderRead) {
  TraceInfo info;
  info.kind = 10;
  info.path = "/nonexistent/dir/gone.cap";
  HeaderResult h = ReadTraceHeader(info);
  EXPECT_EQ(h.topology, kUnknownTopology);
  EXPECT_TRUE(h.readError);
  EXPECT_EQ(h.bandwidth, 0u);
}

TEST(TraceAcceptance, TopologyNames) {
  EXPECT_EQ(TopologyName(kEthernet), "Ethernet");
  EXPECT_EQ(TopologyName(kTokenRing), "Token Ring");
  EXPECT_EQ(TopologyName(3), "FDDI");
  EXPECT_EQ(TopologyName(kUnknownTopology), "Unknown");
  EXPECT_EQ(TopologyName(12), "Medium 12");
  EXPECT_EQ(TraceFileNameOnly("/a/b/c.cap"), "c.cap");
  EXPECT_EQ(TraceFileNameOnly("c.cap"), "c.cap");
}

}  // namespace
}  // namespace corvanta::testing

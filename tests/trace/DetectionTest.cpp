#include <gtest/gtest.h>

#include <filesystem>

#include "TraceTestFiles.h"
#include "trace/Detection.h"

namespace corvanta::testing {
namespace {

Detection Detect(const std::vector<uint8_t>& image, const std::string& name = "trace.bin") {
  TempFile file(image, name);
  return DetectAnalyzer(file.path());
}

AnalyzerKind Kind(const std::vector<uint8_t>& image, const std::string& name = "trace.bin") {
  return Detect(image, name).kind;
}

// A libpcap file with the given magic (as read little-endian), version and records of the
// given captured and wire lengths.
std::vector<uint8_t> Pcap(uint32_t magic, uint16_t major, const std::vector<std::pair<uint32_t, uint32_t>>& records,
                          uint32_t snapLength = 65535) {
  bool swapped = magic == 0xD4C3B2A1 || magic == 0x34CDB2A1;
  auto put16 = [swapped](std::vector<uint8_t>& out, uint16_t v) { swapped ? PutBe16(out, v) : PutLe16(out, v); };
  auto put32 = [swapped](std::vector<uint8_t>& out, uint32_t v) { swapped ? PutBe32(out, v) : PutLe32(out, v); };
  std::vector<uint8_t> out;
  PutLe32(out, magic);
  put16(out, major);
  put16(out, 4);
  put32(out, 0);
  put32(out, 0);
  put32(out, snapLength);
  put32(out, 1);
  for (auto [captured, wire] : records) {
    put32(out, 946728000);
    put32(out, 0);
    put32(out, captured);
    put32(out, wire);
    out.resize(out.size() + captured, 0x5A);
  }
  return out;
}

std::vector<uint8_t> Snoop(uint32_t recordLength, uint32_t included) {
  std::vector<uint8_t> out = Starting(std::string_view("snoop\0\0\0", 8), 16);
  SetBe32(out, 8, 2);
  SetBe32(out, 12, 4);
  PutBe32(out, included);
  PutBe32(out, included);
  PutBe32(out, recordLength);
  PutBe32(out, 0);
  PutBe32(out, 946728000);
  PutBe32(out, 0);
  out.resize(out.size() + 60, 0);
  return out;
}

TEST(Detection, SizeLimitsAndOpenFailures) {
  Detection small = Detect(Starting("TRS", 39));
  EXPECT_TRUE(small.tooSmall);
  EXPECT_FALSE(small.cannotOpen);
  EXPECT_EQ(small.kind, kNotATrace);
  EXPECT_EQ(small.fileSize, 39u);

  // A 40-byte file is examined; its window holds 40 real bytes.
  Detection examined = Detect(Starting("TRS", 40));
  EXPECT_FALSE(examined.tooSmall);
  EXPECT_EQ(examined.kind, 11);
  EXPECT_EQ(examined.fileSize, 40u);

  Detection missing = DetectAnalyzer("/nonexistent/folder/trace.cap");
  EXPECT_TRUE(missing.cannotOpen);
  EXPECT_EQ(missing.kind, kNotATrace);

  Detection folder = DetectAnalyzer(std::filesystem::temp_directory_path().string());
  EXPECT_TRUE(folder.cannotOpen);
}

TEST(Detection, SignaturesAtTheStart) {
  EXPECT_EQ(Kind(Starting("TRS", 200)), 11);
  EXPECT_EQ(Kind(Starting("EXRS", 200)), 21);
  EXPECT_EQ(Kind(Starting("PKTDMP", 200)), 14);
  EXPECT_EQ(Kind(Starting("RTSS", 200)), 8);
  EXPECT_EQ(Kind(Starting("GMBU", 200)), 9);
  EXPECT_EQ(Kind(Starting("XCP", 200)), 10);
  EXPECT_EQ(Kind(Starting("WINC", 200)), 22);
  std::vector<uint8_t> linkView = Starting("WINC", 200);
  PutText(linkView, 120, "LinkView PRO");
  EXPECT_EQ(Kind(linkView), 23);

  std::vector<uint8_t> lanalyzer = Zeros(200);
  SetLe16(lanalyzer, 0, 0x1001);
  EXPECT_EQ(Kind(lanalyzer), 13);
  SetLe16(lanalyzer, 0, 0x1007);
  EXPECT_EQ(Kind(lanalyzer), 13);
  SetLe16(lanalyzer, 0, 0x1005);
  EXPECT_EQ(Kind(lanalyzer), kNotATrace);

  EXPECT_EQ(Kind(Starting("hello, world", 200)), kNotATrace);
}

TEST(Detection, SnifferCompressionFlag) {
  std::vector<uint8_t> image = Starting("TRS", 200);
  EXPECT_FALSE(Detect(image).snifferCompressed);
  image[35] = 0x03;
  EXPECT_TRUE(Detect(image).snifferCompressed);
  image[35] = 0x02;
  image[36] = 0x01;
  EXPECT_FALSE(Detect(image).snifferCompressed);
}

TEST(Detection, SignaturesAnywhereInTheWindow) {
  std::vector<uint8_t> hp = Zeros(300);
  PutText(hp, 100, "HPDATA0");
  EXPECT_EQ(Kind(hp), 5);
  std::vector<uint8_t> fireberd = Zeros(300);
  PutText(fireberd, 10, "ProbeApps");
  EXPECT_EQ(Kind(fireberd), 18);
  std::vector<uint8_t> observer = Zeros(300);
  PutText(observer, 192, "Observer");  // ends at the window's last byte
  EXPECT_EQ(Kind(observer), 12);
  std::vector<uint8_t> beyond = Zeros(300);
  PutText(beyond, 193, "Observer");  // crosses the end of the window
  EXPECT_EQ(Kind(beyond), kNotATrace);
}

TEST(Detection, ExtensionConfirmedSignatures) {
  // Intel NetSight: 1A 00 somewhere, byte 40 of 1 or 3, and ".CAP" in the name.
  EXPECT_EQ(Kind(IntelImage(3), "x.cap"), 7);
  EXPECT_EQ(Kind(IntelImage(3), "x.dat"), kNotATrace);
  EXPECT_EQ(Kind(IntelImage(2), "x.cap"), kNotATrace);

  // IBM DataGLANce: byte 130 of 1..3, bit 1 of byte 131 clear, ".DGC".
  std::vector<uint8_t> ibm = Zeros(512);
  ibm[130] = 2;
  EXPECT_EQ(Kind(ibm, "ring.DGC"), 6);
  ibm[131] = 0x02;
  EXPECT_EQ(Kind(ibm, "ring.dgc"), kNotATrace);
  ibm[131] = 0x01;
  ibm[130] = 4;
  EXPECT_EQ(Kind(ibm, "ring.dgc"), kNotATrace);

  // TTC NetLens: 'D', a signed 32-bit value at 22 below 100000, ".S04" or ".T04".
  std::vector<uint8_t> netlens = Starting("D", 100);
  SetLe32(netlens, 22, 99999);
  EXPECT_EQ(Kind(netlens, "a.s04"), 20);
  EXPECT_EQ(Kind(netlens, "a.T04"), 20);
  EXPECT_EQ(Kind(netlens, "a.cap"), kNotATrace);
  SetLe32(netlens, 22, 0xFFFFFFFF);  // -1
  EXPECT_EQ(Kind(netlens, "a.s04"), 20);
  SetLe32(netlens, 22, 100000);
  EXPECT_EQ(Kind(netlens, "a.s04"), kNotATrace);

  // EtherPeek: ".PKT" or ".TPC" and a first byte of 6 or 7; the name is upper-cased.
  std::vector<uint8_t> peek = Zeros(100);
  peek[0] = 7;
  EXPECT_EQ(Kind(peek, "capture.pkt"), 0);
  EXPECT_EQ(Kind(peek, "CAPTURE.TPC"), 0);
  peek[0] = 6;
  EXPECT_EQ(Kind(peek, "x.PKT"), 0);
  peek[0] = 8;
  EXPECT_EQ(Kind(peek, "X.PKT"), kNotATrace);
}

TEST(Detection, ExtensionTestsLookAtTheWholePath) {
  std::vector<uint8_t> intel = IntelImage(1);
  TempFile file(intel, "plain");
  // ".cap" in a folder name counts as well.
  std::filesystem::path folder = std::filesystem::path(file.path()).parent_path() / "old.cap";
  std::filesystem::create_directories(folder);
  std::string inFolder = (folder / "plain").string();
  ASSERT_TRUE(SaveFile(inFolder, intel));
  EXPECT_EQ(DetectAnalyzer(file.path()).kind, kNotATrace);
  EXPECT_EQ(DetectAnalyzer(inFolder).kind, 7);
}

TEST(Detection, DigitechNeedsSizeNameAndSignature) {
  std::vector<uint8_t> image = Zeros(131072);
  image[0] = 0x03;
  image[1] = 0x94;
  EXPECT_EQ(Kind(image, "TRACE.DAT"), 2);
  EXPECT_EQ(Kind(image, "trace.cap"), kNotATrace);
  image.resize(100000);
  EXPECT_EQ(Kind(image, "TRACE.DAT"), kNotATrace);
  image.resize(131071);
  EXPECT_EQ(Kind(image, "TRACE.DAT"), kNotATrace);
}

TEST(Detection, SnoopOrShomitiByRecordTrailer) {
  // The record length counts the 24-byte record header, padding and any trailer.
  EXPECT_EQ(Kind(Snoop(24 + 60 + 16, 60)), 16);  // Shomiti's 16-byte trailer
  EXPECT_EQ(Kind(Snoop(60 + 28, 60)), 16);
  EXPECT_EQ(Kind(Snoop(60 + 27, 60)), 15);
  EXPECT_EQ(Kind(Snoop(24 + 60, 60)), 15);
  EXPECT_EQ(Kind(Snoop(10, 60)), 15);  // record shorter than its data
}

TEST(Detection, LibpcapVersionsAndByteOrder) {
  Detection native = Detect(Pcap(0xA1B2C3D4, 2, {{60, 60}, {60, 60}}));
  EXPECT_EQ(native.kind, 17);
  EXPECT_FALSE(native.pcapSwapped);
  EXPECT_FALSE(native.pcapModified);

  Detection swapped = Detect(Pcap(0xD4C3B2A1, 2, {{60, 60}, {60, 60}}));
  EXPECT_EQ(swapped.kind, 17);
  EXPECT_TRUE(swapped.pcapSwapped);
  EXPECT_FALSE(swapped.pcapModified);

  Detection modified = Detect(Pcap(0xA1B2CD34, 2, {{60, 60}}));
  EXPECT_EQ(modified.kind, 17);
  EXPECT_TRUE(modified.pcapModified);
  Detection swappedModified = Detect(Pcap(0x34CDB2A1, 2, {{60, 60}}));
  EXPECT_EQ(swappedModified.kind, 17);
  EXPECT_TRUE(swappedModified.pcapSwapped);
  EXPECT_TRUE(swappedModified.pcapModified);

  // Version 1 is not a trace, and no later rule gets a say.
  std::vector<uint8_t> old = Pcap(0xA1B2C3D4, 1, {{60, 60}, {60, 60}});
  PutText(old, 100, "Observer");
  EXPECT_EQ(Kind(old), kNotATrace);
  EXPECT_EQ(Kind(Pcap(0xD4C3B2A1, 1, {{60, 60}})), kNotATrace);
}

TEST(Detection, LibpcapModifiedRecordHeaders) {
  // The second record header claims more than the snapshot length.
  Detection oversized = Detect(Pcap(0xA1B2C3D4, 2, {{60, 60}, {2000, 2000}}, 1514));
  EXPECT_EQ(oversized.kind, 17);
  EXPECT_TRUE(oversized.pcapModified);
  EXPECT_EQ(AnalyzerDisplayName(oversized.kind, kEthernet, oversized.pcapModified), "tcpdump (modified)");

  // Both lengths of the second record header zero.
  std::vector<uint8_t> zero = Pcap(0xA1B2C3D4, 2, {{60, 60}});
  zero.resize(zero.size() + 16, 0);
  EXPECT_TRUE(Detect(zero).pcapModified);

  // A real 24-byte-record file read with 16-byte headers lands 8 bytes early.
  std::vector<uint8_t> longer = Pcap(0xA1B2C3D4, 2, {});
  for (int i = 0; i < 2; ++i) {
    PutLe32(longer, 946728000);
    PutLe32(longer, 0);
    PutLe32(longer, 60);
    PutLe32(longer, 60);
    PutLe32(longer, 0);           // interface index and protocol
    PutLe32(longer, 0x00FF0000);  // packet type
    longer.resize(longer.size() + 60, 0);
  }
  EXPECT_TRUE(Detect(longer).pcapModified);

  // A swapped file is never tested for the modified layout.
  EXPECT_FALSE(Detect(Pcap(0xD4C3B2A1, 2, {{60, 60}, {2000, 2000}}, 1514)).pcapModified);
}

TEST(Detection, LibpcapWithOneRecordIsStillRecognised) {
  // No second record header to examine: the file is taken as the standard layout rather
  // than refused as unopenable.
  Detection single = Detect(Pcap(0xA1B2C3D4, 2, {{60, 60}}));
  EXPECT_EQ(single.kind, 17);
  EXPECT_FALSE(single.cannotOpen);
  EXPECT_FALSE(single.pcapModified);
  // The first record's captured length points past the end.
  std::vector<uint8_t> cut = Pcap(0xA1B2C3D4, 2, {{60, 60}});
  cut.resize(70);
  Detection truncated = Detect(cut);
  EXPECT_EQ(truncated.kind, 17);
  EXPECT_FALSE(truncated.cannotOpen);
}

TEST(Detection, RuleOrder) {
  // "TRS" decides whatever else the file holds or is called.
  std::vector<uint8_t> sniffer = Starting("TRS", 200);
  PutText(sniffer, 50, "Observer");
  PutText(sniffer, 80, "HPDATA0");
  EXPECT_EQ(Kind(sniffer, "x.pkt"), 11);
  // "HPDATA0" comes before the DataGLANce test.
  std::vector<uint8_t> hp = Zeros(200);
  PutText(hp, 20, "HPDATA0");
  hp[130] = 3;
  EXPECT_EQ(Kind(hp, "x.dgc"), 5);
  // "ProbeApps" anywhere beats the NetMon signature at the start.
  std::vector<uint8_t> netmon = Starting("RTSS", 200);
  PutText(netmon, 40, "ProbeApps");
  EXPECT_EQ(Kind(netmon), 18);
  // "Observer" anywhere comes before EtherPeek, snoop, WWG and NetXRay.
  std::vector<uint8_t> peek = Zeros(200);
  peek[0] = 7;
  PutText(peek, 150, "Observer");
  EXPECT_EQ(Kind(peek, "x.pkt"), 12);
  std::vector<uint8_t> xcp = Starting("XCP", 200);
  PutText(xcp, 150, "Observer");
  EXPECT_EQ(Kind(xcp), 12);
  // A LANalyzer word at 0 comes before the Intel test.
  std::vector<uint8_t> lanalyzer = IntelImage(1);
  SetLe16(lanalyzer, 0, 0x1001);
  EXPECT_EQ(Kind(lanalyzer, "x.cap"), 13);
}

TEST(Detection, NamesAndSupportedSet) {
  EXPECT_EQ(AnalyzerNames[10], "NAI NetXRay/Sniffer Windows");
  EXPECT_EQ(AnalyzerNames[24], "ASCII Text");
  uint32_t mask = 0;
  for (AnalyzerKind k : SupportedAnalyzers) mask |= 1u << k;
  EXPECT_EQ(mask, kSupportedAnalyzerMask);
  for (int k = 0; k < 27; ++k)
    EXPECT_EQ(IsSupportedAnalyzer(static_cast<AnalyzerKind>(k)), k < 24 && (0xF5FF65 >> k & 1)) << k;
  EXPECT_FALSE(IsSupportedAnalyzer(7));
  EXPECT_FALSE(IsSupportedAnalyzer(17));

  EXPECT_EQ(AnalyzerDisplayName(0, kTokenRing, false), "TokenPeek");
  EXPECT_EQ(AnalyzerDisplayName(0, kEthernet, false), "EtherPeek");
  EXPECT_EQ(AnalyzerDisplayName(0, kUnknownTopology, false), "EtherPeek");
  EXPECT_EQ(AnalyzerDisplayName(17, kEthernet, false), "tcpdump");
  EXPECT_EQ(AnalyzerDisplayName(17, kEthernet, true), "tcpdump (modified)");
  EXPECT_EQ(AnalyzerDisplayName(10, kEthernet, true), "NAI NetXRay/Sniffer Windows");
  EXPECT_EQ(AnalyzerDisplayName(kNotATrace, kEthernet, false), "");
  EXPECT_EQ(AnalyzerDisplayName(25, kEthernet, false), "pcapng");  // read as an option
  EXPECT_EQ(AnalyzerDisplayName(27, kEthernet, false), "");
}

TEST(Detection, DefaultExtensions) {
  EXPECT_EQ(DefaultTraceExtension(0, kEthernet), ".pkt");
  EXPECT_EQ(DefaultTraceExtension(0, kTokenRing), ".tpc");
  EXPECT_EQ(DefaultTraceExtension(0, 5), ".tpc");
  EXPECT_EQ(DefaultTraceExtension(5, kEthernet), ".eth");
  EXPECT_EQ(DefaultTraceExtension(5, kTokenRing), ".trn");
  EXPECT_EQ(DefaultTraceExtension(11, kEthernet), ".enc");
  EXPECT_EQ(DefaultTraceExtension(11, kTokenRing), ".trc");
  EXPECT_EQ(DefaultTraceExtension(11, 2), ".syc");
  EXPECT_EQ(DefaultTraceExtension(11, 3), ".fdc");
  EXPECT_EQ(DefaultTraceExtension(11, 4), ".syc");
  EXPECT_EQ(DefaultTraceExtension(15, kEthernet), ".snoop");
  EXPECT_EQ(DefaultTraceExtension(13, kTokenRing), ".tr1");
  EXPECT_EQ(DefaultTraceExtension(20, kEthernet), ".t04");
  EXPECT_EQ(DefaultTraceExtension(24, kEthernet), ".txt");
  EXPECT_EQ(DefaultTraceExtension(25, kEthernet), ".pcapng");
  EXPECT_EQ(DefaultTraceExtension(27, kEthernet), ".cap");
  EXPECT_EQ(DefaultTraceExtension(kNotATrace, kTokenRing), ".cap");
}

}  // namespace
}  // namespace corvanta::testing

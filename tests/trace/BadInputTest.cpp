#include <gtest/gtest.h>

#include <random>

#include "TraceTestFiles.h"
#include "trace/OpenTrace.h"

namespace corvanta::testing {
namespace {

// True when text is an acceptance (empty) or one of the fixed refusals for file name.
::testing::AssertionResult IsFixedOutcome(const OpenOutcome& o, const std::string& name) {
  if (o.accepted) {
    if (!o.refusal.empty()) return ::testing::AssertionFailure() << "accepted with a refusal";
    if (o.info.topology > kTokenRing) return ::testing::AssertionFailure() << "accepted topology " << +o.info.topology;
    return ::testing::AssertionSuccess();
  }
  if (o.refusal == kCannotOpenMessage) return ::testing::AssertionSuccess();
  for (const char* phrase : {" is too small.", " is osbolete, not supported, or not a trace file.",
                             " contains an unsupported interface.", " contains an unsupported analyzer or topology.",
                             " contains no frames.", " could not be read.", " has an unreadable Observer version."}) {
    if (o.refusal == name + phrase) return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "unexpected refusal: " << o.refusal;
}

struct Signature {
  std::string_view prefix;
  const char* name;
};

const Signature kSignatures[] = {
    {"TRS", "a.trc"},
    {std::string_view("\xD4\xC3\xB2\xA1", 4), "a.dmp"},
    {std::string_view("\xA1\xB2\xC3\xD4", 4), "a.dmp"},
    {std::string_view("\x01\x10", 2), "a.tr1"},
    {"EXRS", "a.an1"},
    {"PKTDMP", "a.dmp"},
    {"HPDATA0", "a.eth"},
    {"D", "a.s04"},
    {"ProbeApps", "a.pkt"},
    {"RTSS", "a.cap"},
    {"GMBU", "a.cap"},
    {"Observer", "a.bfr"},
    {"\x07", "a.pkt"},
    {std::string_view("snoop\0\0\0", 8), "a.snoop"},
    {"WINC", "a.cap"},
    {"WINCLinkView PRO", "a.cap"},
    {"XCP", "a.cap"},
    {"", "a.dgc"},
    {std::string_view("\x1A\x00", 2), "a.cap"},
};

const size_t kSizes[] = {0, 1, 39, 40, 41, 49, 50, 63, 64, 100, 139, 140, 141, 199, 200, 201, 300, 700};

TEST(BadInput, RandomBytesBehindEverySignature) {
  std::mt19937 rng(12345);
  for (const Signature& s : kSignatures) {
    TempFile file({}, s.name);
    for (size_t size : kSizes) {
      for (int round = 0; round < 2; ++round) {
        std::vector<uint8_t> image(size);
        for (uint8_t& b : image) b = static_cast<uint8_t>(rng());
        // Small values at the places headers look at make the deeper paths likelier.
        if (round == 1)
          for (size_t i = 0; i < image.size(); ++i)
            if (rng() % 3 == 0) image[i] = static_cast<uint8_t>(rng() % 4);
        PutText(image, 0, s.prefix);
        image.resize(std::max(size, s.prefix.size()));
        ASSERT_TRUE(SaveFile(file.path(), image));
        OpenOutcome o = OpenTrace(file.path());
        EXPECT_TRUE(IsFixedOutcome(o, s.name)) << s.name << " size " << size;
        if (size < 40) {
          EXPECT_EQ(o.refusal, std::string(s.name) + " is too small.");
        }
      }
    }
  }
}

TEST(BadInput, RandomFilesAndNames) {
  std::mt19937 rng(777);
  const char* names[] = {"x.cap", "x.dat", "X.PKT", "x.tpc", "x.dgc", "x.s04", "x.T04", "x.bin"};
  for (int i = 0; i < 150; ++i) {
    size_t size = rng() % 400;
    std::vector<uint8_t> image(size);
    for (uint8_t& b : image) b = static_cast<uint8_t>(rng() % (i % 2 ? 256 : 8));
    const char* name = names[rng() % 8];
    TempFile file(image, name);
    EXPECT_TRUE(IsFixedOutcome(OpenTrace(file.path()), name)) << i;
  }
}

TEST(BadInput, DigitechPreScanOverDamagedTables) {
  std::mt19937 rng(99);
  for (int i = 0; i < 8; ++i) {
    std::vector<uint8_t> image(131072 + (i % 2) * 65536, 0);
    image[0] = 0x03;
    image[1] = 0x94;
    for (size_t at = 40; at < 46; ++at) image[at] = static_cast<uint8_t>(rng() % (i < 4 ? 4 : 256));
    for (size_t at = 8238; at < 8238 + 64; ++at) image[at] = static_cast<uint8_t>(rng());
    for (size_t at = 65536; at < 65536 + 2000; ++at) image[at] = static_cast<uint8_t>(rng());
    TempFile file(image, "damaged.dat");
    EXPECT_TRUE(IsFixedOutcome(OpenTrace(file.path()), "damaged.dat")) << i;
  }
}

// Every prefix of valid headers: detection and the header read never read outside what the
// file holds and always end in a fixed outcome.
TEST(BadInput, TruncatedHeaders) {
  std::vector<std::pair<std::vector<uint8_t>, std::string>> headers;
  {
    std::vector<uint8_t> netmon = Starting("RTSS", 128);
    netmon[6] = 1;
    SetLe32(netmon, 40, 128);
    SetLe32(netmon, 44, 40);
    PutText(netmon, 128, "A comment that runs past the end of file");
    headers.emplace_back(netmon, "n.cap");
  }
  {
    std::vector<uint8_t> sniffer = Starting("TRSNIFF data    \x1a", 17);
    PutLe16(sniffer, 1);
    PutLe16(sniffer, 18);
    PutLe16(sniffer, 0);
    sniffer.resize(41, 0);
    for (uint16_t type : {6, 8, 7}) {
      PutLe16(sniffer, type);
      PutLe16(sniffer, 8);
      PutLe16(sniffer, 0);
      PutLe32(sniffer, 100000000);
      PutLe32(sniffer, 0);
    }
    sniffer[32] = 1;
    headers.emplace_back(sniffer, "s.enc");
  }
  {
    std::vector<uint8_t> lanalyzer;
    for (int i = 0; i < 6; ++i) {
      PutLe16(lanalyzer, i ? 0x1002 : 0x1001);
      PutLe16(lanalyzer, 12);
      lanalyzer.resize(lanalyzer.size() + 12, 0);
    }
    PutLe16(lanalyzer, 0x1002);
    PutLe16(lanalyzer, 210);
    lanalyzer.resize(lanalyzer.size() + 210, 0);
    SetLe16(lanalyzer, lanalyzer.size() - 22, 226);
    // Records 8 to 10, the buffer description among them: the reader opens the trace.
    for (uint16_t length : {0, 26, 0}) {
      PutLe16(lanalyzer, 0x1002);
      PutLe16(lanalyzer, length);
      lanalyzer.resize(lanalyzer.size() + length, 0);
    }
    headers.emplace_back(lanalyzer, "l.tr1");
  }
  {
    std::vector<uint8_t> fireberd = Starting("ProbeApps", 76);
    PutLe16(fireberd, 60);
    fireberd.resize(86 + 60, 0x10);
    headers.emplace_back(fireberd, "f.pkt");
  }
  {
    std::vector<uint8_t> da30 = Starting("EXRS", 140);
    SetLe32(da30, 22, 140);
    SetLe32(da30, 144, 40);
    da30.resize(140 + 16 + 152, 0);  // the whole Ethernet media block
    headers.emplace_back(da30, "d.an1");
  }
  {
    std::vector<uint8_t> wwg = Starting("WINC", 78);
    PutText(wwg, 5, "LinkView PRO trace");
    SetLe16(wwg, 62, 739);
    SetLe16(wwg, 64, 4);
    // A frame index of no frames: the reader opens the trace.
    PutText(wwg, 78, "FRAM");
    PutLe32(wwg, 86);
    PutLe32(wwg, 90);
    PutLe32(wwg, 0);
    headers.emplace_back(wwg, "w.cap");
  }
  for (const auto& [image, name] : headers) {
    TempFile file({}, name);
    for (size_t size = 0; size <= image.size(); ++size) {
      ASSERT_TRUE(SaveFile(file.path(), std::vector<uint8_t>(image.begin(), image.begin() + static_cast<long>(size))));
      OpenOutcome o = OpenTrace(file.path());
      EXPECT_TRUE(IsFixedOutcome(o, name)) << name << " cut at " << size;
      if (size == image.size()) {
        EXPECT_TRUE(o.accepted) << name << ": " << o.refusal;
      }
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

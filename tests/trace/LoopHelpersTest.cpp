#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <vector>

#include "trace/Crc32.h"
#include "trace/Fcs.h"
#include "trace/ProgressText.h"

namespace corvanta {
namespace {

uint32_t StoredFcs(const FrameRecord& f, size_t at) {
  return static_cast<uint32_t>(f.Data[at]) | static_cast<uint32_t>(f.Data[at + 1]) << 8 |
         static_cast<uint32_t>(f.Data[at + 2]) << 16 | static_cast<uint32_t>(f.Data[at + 3]) << 24;
}

TEST(FrameCheckSequence, LengthBoundaries) {
  auto f = std::make_unique<FrameRecord>();
  for (size_t i = 0; i < f->Data.size(); ++i) f->Data[i] = static_cast<uint8_t>(i * 7);
  // 59 covered bytes: zero; 60: the real CRC-32, least significant byte first.
  f->Length = 63;
  SynthesizeFcs(*f);
  EXPECT_EQ(StoredFcs(*f, 59), 0u);
  for (size_t i = 0; i < 64; ++i) f->Data[i] = static_cast<uint8_t>(i * 7);
  f->Length = 64;
  SynthesizeFcs(*f);
  EXPECT_EQ(StoredFcs(*f, 60), static_cast<uint32_t>(::crc32(0L, f->Data.data(), 60)));
  EXPECT_NE(StoredFcs(*f, 60), 0u);

  // The largest frame: 32764 covered bytes still get a real value, at the buffer's end.
  f->Length = kMaxFrameLength;
  SynthesizeFcs(*f);
  EXPECT_EQ(StoredFcs(*f, kMaxFrameLength - 4),
            static_cast<uint32_t>(::crc32(0L, f->Data.data(), kMaxFrameLength - 4)));
}

// The folded CRC-32 equals zlib's for every length around the fold sizes (16, 64 and 256 bytes
// a step), every alignment and a continued CRC.
TEST(FrameCheckSequence, Crc32EqualsZlib) {
  std::vector<uint8_t> bytes(4096 + 64);
  uint32_t seed = 12345;
  for (uint8_t& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  for (size_t offset = 0; offset < 16; ++offset) {
    for (size_t length = 0; length <= 1100; ++length) {
      for (uint32_t start : {0u, 0xFFFFFFFFu, 0x12345678u}) {
        const uint8_t* p = bytes.data() + offset;
        ASSERT_EQ(Crc32(start, p, length), Crc32Reference(start, p, length)) << offset << " " << length;
        ASSERT_EQ(Crc32(start, p, length), static_cast<uint32_t>(::crc32(start, p, static_cast<uInt>(length))));
      }
    }
  }
  for (size_t length : {size_t{1514}, size_t{4095}, size_t{4096}})
    EXPECT_EQ(Crc32(0, bytes.data() + 3, length), Crc32Reference(0, bytes.data() + 3, length)) << length;
  // All zeros and all ones.
  std::vector<uint8_t> zeros(1000, 0), ones(1000, 0xFF);
  EXPECT_EQ(Crc32(0, zeros.data(), zeros.size()), Crc32Reference(0, zeros.data(), zeros.size()));
  EXPECT_EQ(Crc32(0, ones.data(), ones.size()), Crc32Reference(0, ones.data(), ones.size()));
}

// Starting from the CRC of a prefix gives the check sequence computed over the whole.
TEST(FrameCheckSequence, ContinuesFromAKnownPrefix) {
  auto f = std::make_unique<FrameRecord>();
  for (size_t i = 0; i < 1600; ++i) f->Data[i] = static_cast<uint8_t>(i * 37 + 11);
  for (uint16_t length : {64, 65, 1518, 1600}) {
    f->Length = length;
    SynthesizeFcs(*f);
    const uint32_t whole = StoredFcs(*f, length - 4u);
    for (size_t known : {size_t{0}, size_t{1}, size_t{60}, size_t{length - 4u}, size_t{length - 3u}}) {
      const uint32_t prefix = static_cast<uint32_t>(::crc32(0L, f->Data.data(), static_cast<uInt>(known)));
      SynthesizeFcs(*f, prefix, known);
      EXPECT_EQ(StoredFcs(*f, length - 4u), whole) << length << " " << known;
    }
  }
  // The CRC-error bit still writes zero.
  f->Length = 64;
  f->Status = kStatusCrcError;
  SynthesizeFcs(*f, static_cast<uint32_t>(::crc32(0L, f->Data.data(), 60)), 60);
  EXPECT_EQ(StoredFcs(*f, 60), 0u);
}

TEST(FrameCheckSequence, LengthBeyondTheBufferWritesNothing) {
  auto f = std::make_unique<FrameRecord>();
  f->Data.fill(0x77);
  f->Length = 40000;  // would put the sequence past the buffer
  SynthesizeFcs(*f);
  f->Length = 65535;
  SynthesizeFcs(*f);
  EXPECT_EQ(f->Data[kMaxFrameLength - 1], 0x77);
  f->Length = 3;
  SynthesizeFcs(*f);
  EXPECT_EQ(f->Data[0], 0x77);
}

TEST(ProgressText, DurationFormat) {
  EXPECT_EQ(FormatHms(0), "00:00:00");
  EXPECT_EQ(FormatHms(59), "00:00:59");
  EXPECT_EQ(FormatHms(3661), "01:01:01");
  EXPECT_EQ(FormatHms(86399), "23:59:59");
  EXPECT_EQ(FormatHms(90000), "25:00:00");  // hours do not wrap
  EXPECT_EQ(FormatHms(360000), "100:00:00");
  EXPECT_EQ(kProgressInitialDuration, "<00:00:01");
  EXPECT_EQ(kProgressPassStartDuration, "00:00:00");
}

TEST(ProgressText, DurationShownFromOneSecond) {
  EXPECT_FALSE(ProgressDurationText(0).has_value());
  EXPECT_FALSE(ProgressDurationText(499999).has_value());
  // Rounding halves to even: half a second is 0, one and a half is 2.
  EXPECT_FALSE(ProgressDurationText(500000).has_value());
  EXPECT_EQ(ProgressDurationText(500001).value(), "00:00:01");
  EXPECT_EQ(ProgressDurationText(1500000).value(), "00:00:02");
  EXPECT_EQ(ProgressDurationText(2500000).value(), "00:00:02");
  EXPECT_EQ(ProgressDurationText(3723.4e6).value(), "01:02:03");
  EXPECT_EQ(ProgressSeconds(86400e6 * 2), 172800);
}

TEST(ProgressText, PercentAndTitles) {
  EXPECT_EQ(PercentRead(37, 100), 37);
  EXPECT_EQ(PercentRead(0, 0), 0);
  EXPECT_EQ(PercentRead(1000, 1000), 100);
  EXPECT_EQ(PercentRead(2000, 1000), 100);
  EXPECT_EQ(PercentRead(5, 1000), 0);   // 0.5 rounds to even
  EXPECT_EQ(PercentRead(15, 1000), 2);  // 1.5 rounds to even
  EXPECT_EQ(PercentRead(374, 1000), 37);
  EXPECT_EQ(PercentCompleteText(37), "37% Complete");
  EXPECT_EQ(ReadingTitle(37), "Reading [37% Complete]");
  EXPECT_EQ(ProgressCaption("/traces/lab/monday.cap"), "Reading Trace File - monday.cap");
  EXPECT_EQ(kProgressPartiallyRead, "FILE PARTIALLY READ");
  EXPECT_EQ(kProgressComplete, PercentCompleteText(100));
  EXPECT_EQ(kProgressActivationPercent, "%0 Complete");
}

}  // namespace
}  // namespace corvanta

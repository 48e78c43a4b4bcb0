#include <gtest/gtest.h>

#include "trace/Bytes.h"
#include "trace/TimeUtil.h"
#include "writers/EtherPeekWriter.h"
#include "ReaderReadBack.h"

namespace corvanta::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TracePlan Plan(std::vector<TestFrame> frames, Topology topology = kEthernet) {
  return MakePlan(0, std::move(frames), topology, 1262304000 + 36000, 123456);  // 2010-01-01 10:00:00.123456 UTC
}

ReadResult Write(const TracePlan& plan, uint8_t version) { return ReadImage(WriteEtherPeek(plan, {version}), plan); }

constexpr double kStartTod = 10 * 3600e6;
constexpr size_t kFirstRecord = 50;

TEST(EtherPeekReader, Version7FramesAreHandedOverAsStored) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(100, 2500), PatternFrame(200, 7000)});
  plan.frames[1].status = kStatusCrcError;
  plan.frames[2].wireLength = 1000;  // cut short: no check sequence stored
  ReadResult r = Write(plan, 7);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(StartText(r.startTime), "2010-01-01 10:00:00.000");  // whole seconds
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 123456);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, kStartTod + 123456 + 2500);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, kStartTod + 123456 + 7000);
  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 64);  // stored length 0: the wire length
  EXPECT_EQ(r.frames[0].data, WithStoredFcs(plan.frames[0].bytes));
  // The wrong stored check sequence is not replaced.
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_EQ(r.frames[1].data, WithStoredFcs(plan.frames[1].bytes, true));
  EXPECT_EQ(r.frames[2].length, 1004);
  EXPECT_EQ(r.frames[2].capturedLength, 200);
}

TEST(EtherPeekReader, FlagBitsSetTheStatus) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 1), PatternFrame(60, 2)});
  plan.frames[0].status = kStatusAlignmentError;
  plan.frames[1].status = kStatusCrcError | kStatusAlignmentError;
  for (uint8_t version : {6, 7}) {
    ReadResult r = Write(plan, version);
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(r.frames[0].status, kStatusAlignmentError);
    EXPECT_EQ(r.frames[1].status, kStatusCrcError | kStatusAlignmentError);
    EXPECT_EQ(r.frames[2].status, 0);
  }
}

TEST(EtherPeekReader, OddFramesArePaddedToEven) {
  TracePlan plan = Plan({PatternFrame(57, 0), PatternFrame(60, 10)});  // 57 + 4 = 61 stored bytes
  for (uint8_t version : {6, 7}) {
    ReadResult r = Write(plan, version);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_EQ(r.frames[0].capturedLength, 61);
    EXPECT_EQ(r.frames[1].data, WithStoredFcs(plan.frames[1].bytes));
  }
}

TEST(EtherPeekReader, Version6TimesAreMilliseconds) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 250000), PatternFrame(60, 250000 + 3600e6)});
  ReadResult r = Write(plan, 6);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp - r.frames[0].timestamp, 250000);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp - r.frames[1].timestamp, 3600e6);
  // The first frame: milliseconds / 1000 as seconds since 1904-01-01.
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 123000);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(1904, 1, 1) + 10 / 24.0);
}

// Raw version-7 time of the record at offset at.
void SetRawTime(Bytes& image, size_t at, uint64_t raw) {
  SetBe32(image, at + 8, static_cast<uint32_t>(raw >> 32));
  SetBe32(image, at + 12, static_cast<uint32_t>(raw));
}
uint64_t RawTime(const Bytes& image, size_t at) {
  ByteView v(image.data(), image.size());
  return v.U64be(at + 8);
}

TEST(EtherPeekReader, Version7FirstTimeIsCheckedAgainstTheSecond) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 5000), PatternFrame(60, 9000)});
  const Bytes image = WriteEtherPeek(plan);
  const size_t second = kFirstRecord + 16 + 64;
  const uint64_t raw1 = RawTime(image, kFirstRecord);
  const uint64_t day = 86400000000ull;

  // Three days later than the second: the start comes from the second frame, and the step
  // from the first frame to the second is zero.
  Bytes later = image;
  SetRawTime(later, kFirstRecord, raw1 + 3 * day);
  ReadResult r = ReadImage(later, plan);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(StartText(r.startTime), "2010-01-01 10:00:00.000");
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 128456);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, kStartTod + 128456);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, kStartTod + 132456);

  // More than a day earlier than the second: the same.
  Bytes earlier = image;
  SetRawTime(earlier, kFirstRecord, raw1 - 2 * day);
  r = ReadImage(earlier, plan);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 128456);
  EXPECT_EQ(StartText(r.startTime), "2010-01-01 10:00:00.000");

  // Within a day before the second: the first frame's own time stands.
  Bytes close = image;
  SetRawTime(close, kFirstRecord, RawTime(image, second) - day + 1000000);
  r = ReadImage(close, plan);
  EXPECT_EQ(StartText(r.startTime), "2009-12-31 10:00:01.000");
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp - r.frames[0].timestamp, day - 1000000);

  // A single frame has nothing to be checked against.
  TracePlan one = Plan({PatternFrame(60, 0)});
  Bytes single = WriteEtherPeek(one);
  SetRawTime(single, kFirstRecord, raw1 + 3 * day);
  r = ReadImage(single, one);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(StartText(r.startTime), "2010-01-04 10:00:00.000");
}

TEST(EtherPeekReader, FrameCountEndsThePass) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 1), PatternFrame(60, 2)});
  Bytes image = WriteEtherPeek(plan);
  SetBe32(image, 6, 2);
  EXPECT_EQ(ReadImage(image, plan).frames.size(), 2u);
  SetBe32(image, 6, 0);  // no count: the file's end
  EXPECT_EQ(ReadImage(image, plan).frames.size(), 3u);
  EXPECT_EQ(ReadImage(image, plan, 1).frames.size(), 1u);
}

TEST(EtherPeekReader, BadInputEndsQuietly) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 1), PatternFrame(60, 2)});
  const Bytes image = WriteEtherPeek(plan);
  EXPECT_EQ(ReadImage(Bytes(image.begin(), image.end() - 1), plan).frames.size(), 2u);
  EXPECT_EQ(ReadImage(Bytes(image.begin(), image.end() - 70), plan).frames.size(), 2u);
  EXPECT_FALSE(ReadImage(Bytes(image.begin(), image.begin() + 49), plan).opened);
  Bytes version = image;
  version[0] = 5;
  EXPECT_FALSE(ReadImage(version, plan).opened);
  // A stored length beyond the frame buffer; one just inside it is read.
  Bytes huge = image;
  SetBe16(huge, kFirstRecord + 4, 32769);
  EXPECT_TRUE(ReadImage(huge, plan).frames.empty());
  TracePlan big = Plan({PatternFrame(32764, 0)});
  ReadResult r = ReadImage(WriteEtherPeek(big), big);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, kMaxFrameLength);
}

}  // namespace
}  // namespace corvanta::testing

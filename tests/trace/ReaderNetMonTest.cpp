#include <gtest/gtest.h>

#include "trace/Bytes.h"
#include "trace/TimeUtil.h"
#include "ReaderReadBack.h"
#include "writers/Writers.h"

namespace corvanta::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TracePlan Plan(AnalyzerKind kind, std::vector<TestFrame> frames, Topology topology = kEthernet) {
  return MakePlan(kind, std::move(frames), topology, 946684800 + 86399, 500000);  // 2000-01-01 23:59:59.5 UTC
}

// The frame table starts right after the last frame.
size_t TableOffset(const Bytes& image) { return ByteView(image.data(), image.size()).U32le(24); }

TEST(NetMonReader, BothVersionsReadFramesAndTimes) {
  for (AnalyzerKind kind : {AnalyzerKind{8}, AnalyzerKind{9}}) {
    SCOPED_TRACE(int{kind});
    TracePlan plan = Plan(kind, {PatternFrame(60, 0), PatternFrame(100, 1250000), PatternFrame(30, 86400e6)});
    plan.frames[1].wireLength = 300;
    ReadResult r = WriteAndRead(plan);
    ASSERT_TRUE(r.opened);
    ASSERT_EQ(r.frames.size(), 3u);
    EXPECT_EQ(StartText(r.startTime), "2000-01-01 23:59:59.500");
    // Started at 23:59:59.500: the first frame's time is 86,399,500,000 plus its own offset.
    EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 86399500000.0);
    EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 86399500000.0 + 1250000);
    EXPECT_DOUBLE_EQ(r.frames[2].timestamp, 86399500000.0 + 86400e6);  // past midnight, still rising
    EXPECT_EQ(r.frames[0].length, 64);
    EXPECT_EQ(r.frames[0].capturedLength, 64);
    EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
    // Both lengths come from the wire length; the bytes the file lacks read as zero.
    EXPECT_EQ(r.frames[1].length, 304);
    EXPECT_EQ(r.frames[1].capturedLength, 304);
    EXPECT_EQ(r.frames[1].data[200], 0);
    EXPECT_EQ(r.frames[2].length, 34);
    EXPECT_EQ(r.frames[2].data, WithSynthesizedFcs(plan.frames[2].bytes));  // a runt gets a zero check sequence
  }
}

TEST(NetMonReader, Version2KeepsMicroseconds) {
  TracePlan plan = Plan(9, {PatternFrame(60, 0), PatternFrame(60, 1234.567)});
  plan.startMicroseconds = 500123;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 86399500123.0);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 86399500123.0 + 1235);
}

TEST(NetMonReader, FramesToTheNullAddressAreNeitherDecodedNorCounted) {
  TracePlan plan = Plan(9, {PatternFrame(60, 0), PatternFrame(60, 10), PatternFrame(60, 20)});
  std::fill(plan.frames[1].bytes.begin(), plan.frames[1].bytes.begin() + 6, 0);
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].frameNumber, 2);
  EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[2].bytes));
  // A frame too short to hold an address is zero-padded, so it is dropped too.
  TracePlan tiny = Plan(9, {PatternFrame(60, 0), TestFrame{{0, 0, 0}, 0, 5, 0}});
  EXPECT_EQ(WriteAndRead(tiny).frames.size(), 1u);
  // One-frame reading stops at the first frame that is handed over.
  std::fill(plan.frames[0].bytes.begin(), plan.frames[0].bytes.begin() + 6, 0);
  r = ReadImage(WriteTrace(plan), plan, 0, true);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[2].bytes));
}

TEST(NetMonReader, TokenRingFramesGetNoCheckSequence) {
  TracePlan plan = Plan(8, {PatternFrame(50, 0)}, kTokenRing);
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 54);
  Bytes head(r.frames[0].data.begin(), r.frames[0].data.begin() + 50);
  EXPECT_EQ(head, plan.frames[0].bytes);
  EXPECT_EQ(r.frames[0].data[50], 0);
}

TEST(NetMonReader, PassEndsWhereTheFramesMeetTheTable) {
  // A table entry after the last frame that points back to the first is not read again.
  TracePlan plan = Plan(9, {PatternFrame(60, 0), PatternFrame(60, 1)});
  Bytes image = WriteTrace(plan);
  const size_t table = TableOffset(image);
  PutLe32(image, 128);
  SetLe32(image, 28, 12);
  EXPECT_EQ(ReadImage(image, plan).frames.size(), 2u);
  ASSERT_EQ(table, image.size() - 12);
}

TEST(NetMonReader, LongWireLengthIsCappedWithoutCheckSequence) {
  TracePlan plan = Plan(9, {PatternFrame(100, 0)});
  plan.frames[0].wireLength = 70000;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, kMaxFrameLength);
  Bytes head(r.frames[0].data.begin(), r.frames[0].data.begin() + 100);
  EXPECT_EQ(head, plan.frames[0].bytes);
}

TEST(NetMonReader, BadTablesAndTruncationEndQuietly) {
  TracePlan plan = Plan(9, {PatternFrame(60, 0), PatternFrame(60, 1), PatternFrame(60, 2)});
  const Bytes image = WriteTrace(plan);
  const size_t table = TableOffset(image);
  // An entry pointing outside the file ends the pass; the frames before stay.
  Bytes outside = image;
  SetLe32(outside, table + 4, 0x7FFFFFF0);
  EXPECT_EQ(ReadImage(outside, plan).frames.size(), 1u);
  // A table longer than the file holds is read as far as the file goes.
  Bytes longTable = image;
  SetLe32(longTable, 28, 0xFFFFFFF0);
  EXPECT_EQ(ReadImage(longTable, plan).frames.size(), 3u);
  // A table offset past the file: no frames.
  Bytes farTable = image;
  SetLe32(farTable, 24, 0xFFFFFFF0);
  EXPECT_TRUE(ReadImage(farTable, plan).frames.empty());
  // A stored length beyond the frame buffer.
  Bytes huge = image;
  SetLe32(huge, 128 + 16 + 60 + 12, 40000);
  EXPECT_EQ(ReadImage(huge, plan).frames.size(), 1u);
  // A header cut short.
  EXPECT_FALSE(ReadImage(Bytes(image.begin(), image.begin() + 100), plan).opened);
}

}  // namespace
}  // namespace corvanta::testing

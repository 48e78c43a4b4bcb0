// The snoop and Shomiti reader: length rules, check sequences, local times, bad records.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/Bytes.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

constexpr size_t kFirstRecord = 16;

TracePlan SnoopPlan(AnalyzerKind kind, std::vector<TestFrame> frames) {
  return {.kind = kind, .comment = {}, .frames = std::move(frames)};
}

ReadResult ReadImage(const std::vector<uint8_t>& image, AnalyzerKind kind, Topology topology = kEthernet) {
  return RunReader({.kind = kind, .topology = topology}, TempFile(image, "trace.snoop").path());
}

TEST(SnoopReader, EthernetLengthsAndCheckSequence) {
  const Bytes shortFrame = Filler(42, 1), longFrame = Filler(100, 7), sliced = Filler(80, 3);
  ReadResult r = WriteAndRead(SnoopPlan(15, {{shortFrame}, {longFrame, 0, 1000}, {sliced, 200, 2000}}));
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);

  // 42 stored and on the wire: raised to 60, then by the 4 of the check sequence.
  const RecordedFrame& a = r.frames[0];
  EXPECT_EQ(a.length, 64);
  EXPECT_EQ(a.capturedLength, 64);
  Bytes padded = PadFrame(shortFrame);
  EXPECT_TRUE(std::equal(padded.begin(), padded.end(), a.data.begin()));
  EXPECT_EQ(ByteView(a.data.data(), a.data.size()).U32le(60), EthernetCrc(padded));

  EXPECT_EQ(r.frames[1].length, 104);
  EXPECT_EQ(r.frames[1].capturedLength, 104);
  // Sliced frames: only the wire length gains the 4 bytes.
  EXPECT_EQ(r.frames[2].length, 204);
  EXPECT_EQ(r.frames[2].capturedLength, 80);
  EXPECT_TRUE(std::equal(sliced.begin(), sliced.end(), r.frames[2].data.begin()));
}

TEST(SnoopReader, ShomitiKeepsStoredCheckSequenceAndReadsTrailerCrcBit) {
  const Bytes frame = Filler(100, 5);
  TracePlan plan = SnoopPlan(16, {{Filler(42, 1)}, {frame, 0, 10}, {frame, 0, 20, kStatusCrcError}});
  std::vector<uint8_t> image = WriteTrace(plan);
  // The first record as a Shomiti 42-byte frame: stored and wire length 42.
  SetBe32(image, kFirstRecord + 0, 42);
  SetBe32(image, kFirstRecord + 4, 42);
  ReadResult r = ReadImage(image, 16);
  ASSERT_EQ(r.frames.size(), 3u);

  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 42);
  EXPECT_EQ(Bytes(r.frames[0].data.begin() + 60, r.frames[0].data.begin() + 64), Bytes(4, 0));

  // Stored with its own check sequence: passed as it is.
  EXPECT_EQ(r.frames[1].length, 104);
  EXPECT_EQ(r.frames[1].capturedLength, 104);
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), r.frames[1].data.begin()));
  EXPECT_EQ(ByteView(r.frames[1].data.data(), 104).U32le(100), EthernetCrc(frame));
  EXPECT_EQ(r.frames[1].status, 0);
  EXPECT_EQ(r.frames[2].status, kStatusCrcError);
}

TEST(SnoopReader, TokenRingLengthsUnchanged) {
  TracePlan plan = SnoopPlan(15, {{Filler(30, 2)}});
  plan.topology = kTokenRing;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 30);
  EXPECT_EQ(r.frames[0].capturedLength, 30);
}

TEST(SnoopReader, StartTimeAndLocalTimeOfDay) {
  TracePlan plan = SnoopPlan(15, {{Filler(60)}, {Filler(60), 0, 1500250}});
  plan.startUnixSeconds = 946728000;  // 2000-01-01 12:00:00 UTC
  plan.startMicroseconds = 250;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6 + 250);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 + 1500500);

  // East-coast time: five hours behind in winter, four in summer.
  setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
  tzset();
  ReadResult winter = WriteAndRead(plan);
  plan.startUnixSeconds = 962452800;  // 2000-07-01 12:00:00 UTC
  ReadResult summer = WriteAndRead(plan);
  setenv("TZ", "UTC", 1);
  tzset();
  ASSERT_EQ(winter.frames.size(), 2u);
  ASSERT_EQ(summer.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(winter.frames[0].timestamp, 7 * 3600e6 + 250);
  EXPECT_DOUBLE_EQ(winter.startTime, EncodeDate(2000, 1, 1) + 7 / 24.0);
  EXPECT_DOUBLE_EQ(summer.frames[0].timestamp, 8 * 3600e6 + 250);
}

TEST(SnoopReader, CrossingMidnightRestartsNearZero) {
  TracePlan plan = SnoopPlan(15, {{Filler(60)}, {Filler(60), 0, 300000}});
  plan.startUnixSeconds = 946771199;  // 23:59:59 UTC
  plan.startMicroseconds = 900000;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 86399900000.0);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 200000.0);
}

// Every damaged record ends the pass with the frames before it.
TEST(SnoopReader, BadRecordsEndThePassQuietly) {
  const TracePlan plan = SnoopPlan(15, {{Filler(60)}, {Filler(70)}, {Filler(80)}});
  const std::vector<uint8_t> good = WriteTrace(plan);
  const size_t second = kFirstRecord + 24 + 60;

  std::vector<uint8_t> image = good;
  SetBe32(image, second + 8, 20);  // record length below the header
  EXPECT_EQ(ReadImage(image, 15).frames.size(), 1u);
  std::vector<uint8_t> shomiti = WriteTrace(SnoopPlan(16, plan.frames));
  SetBe32(shomiti, kFirstRecord + 8, 39);  // Shomiti records hold at least header and trailer
  EXPECT_EQ(ReadImage(shomiti, 16).frames.size(), 0u);

  image = good;
  SetBe32(image, second + 8, 0);
  EXPECT_EQ(ReadImage(image, 15).frames.size(), 1u);

  image = good;
  SetBe32(image, second + 8, 0xFFFFFFF0);  // beyond the end of the file
  EXPECT_EQ(ReadImage(image, 15).frames.size(), 1u);

  image = good;
  SetBe32(image, second + 0, 70000);  // a frame longer on the wire than the buffer: read sliced
  EXPECT_EQ(ReadImage(image, 15).frames.size(), 3u);

  image = good;
  image.resize(image.size() - 10);  // the last record cut short
  EXPECT_EQ(ReadImage(image, 15).frames.size(), 2u);

  image = good;
  image.resize(kFirstRecord - 1);  // no whole file header
  EXPECT_FALSE(ReadImage(image, 15).opened);
}

TEST(SnoopReader, LongFramesAreCappedToTheFrameBuffer) {
  TracePlan plan = SnoopPlan(15, {{Filler(40000)}, {Filler(60)}});
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, kMaxFrameLength);
  EXPECT_EQ(r.frames[0].capturedLength, kMaxFrameLength);
  EXPECT_EQ(r.frames[1].length, 64);  // the next record is still found
}

TEST(SnoopReader, StopsWhenAskedAndAfterOneFrame) {
  const TracePlan plan = SnoopPlan(15, {{Filler(60)}, {Filler(60)}, {Filler(60)}});
  TempFile file(WriteTrace(plan), "trace.snoop");
  TraceInfo info;
  info.kind = 15;
  EXPECT_EQ(RunReader(info, file.path(), 2).frames.size(), 2u);
  EXPECT_EQ(RunReader(info, file.path(), 0, true).frames.size(), 1u);
}

}  // namespace
}  // namespace corvanta::testing

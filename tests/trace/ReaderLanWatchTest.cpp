// The LANWatch reader: PC-timer times, lengths, flags, records without a frame.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/Bytes.h"

namespace corvanta::testing {
namespace {

constexpr size_t kFirstRecord = 20;  // 16-byte header and the 4 bytes of version 4

TracePlan LanWatchPlan(std::vector<TestFrame> frames) {
  return {.kind = 14, .comment = {}, .frames = std::move(frames)};
}

ReadResult ReadImage(const std::vector<uint8_t>& image, Topology topology = kEthernet) {
  return RunReader({.kind = 14, .topology = topology}, TempFile(image, "trace.dmp").path());
}

TEST(LanWatchReader, EthernetLengthsFlagsAndTimes) {
  TracePlan plan = LanWatchPlan(
      {{Filler(100, 3)}, {Filler(80), 300, 250000.0, kStatusAlignmentError}, {Filler(60), 0, 3600e6, kStatusCrcError}});
  plan.startUnixSeconds = 946728000;  // 12:00:00
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);

  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 104);
  EXPECT_EQ(Bytes(r.frames[0].data.begin(), r.frames[0].data.begin() + 100), Filler(100, 3));
  EXPECT_EQ(ByteView(r.frames[0].data.data(), 104).U32le(100), EthernetCrc(Filler(100, 3)));
  EXPECT_EQ(r.frames[1].length, 304);
  EXPECT_EQ(r.frames[1].capturedLength, 84);

  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusAlignmentError);
  EXPECT_EQ(r.frames[2].status, kStatusCrcError);
  // A frame with a CRC error gets a zero check sequence.
  EXPECT_EQ(Bytes(r.frames[2].data.begin() + 60, r.frames[2].data.end()), Bytes(4, 0));

  // Ticks of the PC timer since midnight, to within one timer tick.
  EXPECT_NEAR(r.frames[0].timestamp, 12 * 3600e6, 1);
  EXPECT_NEAR(r.frames[1].timestamp, 12 * 3600e6 + 250000, 1);
  EXPECT_NEAR(r.frames[2].timestamp, 13 * 3600e6, 1);
}

TEST(LanWatchReader, TimeIsReducedToOneDay) {
  std::vector<uint8_t> image = WriteTrace(LanWatchPlan({{Filler(60)}}));
  // 1,573,043 BIOS ticks run 41,945 microseconds past midnight.
  SetLe16(image, kFirstRecord + 4, 0x00B3);
  SetLe16(image, kFirstRecord + 6, 0x0018);
  SetLe16(image, kFirstRecord + 8, 0);
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_NEAR(r.frames[0].timestamp, 41945, 1);
}

TEST(LanWatchReader, RecordWithoutFrameIsSkipped) {
  std::vector<uint8_t> image = WriteTrace(LanWatchPlan({{Filler(60, 1)}, {Filler(70, 2)}}));
  // A header-only record claiming 50 stored bytes: none of them are read.
  Bytes empty(12, 0);
  empty[2] = 50;
  empty[11] = 0x80;
  image.insert(image.begin() + kFirstRecord, empty.begin(), empty.end());
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].capturedLength, 64);
  EXPECT_EQ(r.frames[0].data[0], 1);
  EXPECT_EQ(r.frames[1].capturedLength, 74);
}

TEST(LanWatchReader, EarlyVersionsHaveNoHeaderExtension) {
  std::vector<uint8_t> image = WriteTrace(LanWatchPlan({{Filler(60)}, {Filler(61)}}));
  image.erase(image.begin() + 16, image.begin() + kFirstRecord);
  SetLe16(image, 6, 3);
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].capturedLength, 65);
}

TEST(LanWatchReader, TokenRingKeepsLengthsAndStatus) {
  TracePlan plan = LanWatchPlan({{Filler(40), 0, 0, kStatusCrcError}});
  plan.topology = kTokenRing;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 40);
  EXPECT_EQ(r.frames[0].capturedLength, 40);
  EXPECT_EQ(r.frames[0].status, 0);
}

TEST(LanWatchReader, DamagedRecordsEndThePassQuietly) {
  const std::vector<uint8_t> good = WriteTrace(LanWatchPlan({{Filler(60)}, {Filler(60)}, {Filler(60)}}));
  const size_t second = kFirstRecord + 12 + 60;
  std::vector<uint8_t> image = good;
  SetLe16(image, second + 2, 40000);  // more than the frame buffer holds
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);

  image = good;
  image.resize(good.size() - 1);
  EXPECT_EQ(ReadImage(image).frames.size(), 2u);

  image = good;
  image[0] = 'X';
  EXPECT_FALSE(ReadImage(image).opened);
}

}  // namespace
}  // namespace corvanta::testing

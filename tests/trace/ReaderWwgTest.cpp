// The WWG readers: DA-30 records, and the Domino and LinkView PRO frame index.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

TracePlan WwgPlan(AnalyzerKind kind, std::vector<TestFrame> frames) {
  return {.kind = kind, .comment = {}, .frames = std::move(frames)};
}

ReadResult ReadImage(const std::vector<uint8_t>& image, AnalyzerKind kind, Topology topology = kEthernet) {
  return RunReader({.kind = kind, .topology = topology}, TempFile(image).path());
}

Bytes WithFcs(Bytes frame) {
  PutLe32(frame, EthernetCrc(frame));
  return frame;
}

// ---- DA-30

constexpr size_t kDa30FirstRecord = 78 + 16 + 152;

TEST(Da30Reader, FramesAsStoredWithTimesAndCrcFlag) {
  TracePlan plan = WwgPlan(21, {{Filler(100, 2)}, {Filler(60), 0, 320, kStatusCrcError}});
  plan.startUnixSeconds = 946728000;  // 12:00:00
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 104);
  EXPECT_EQ(r.frames[0].data, WithFcs(Filler(100, 2)));  // stored, not synthesised
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 + 320);
}

TEST(Da30Reader, TimeCountAndFlagBits) {
  std::vector<uint8_t> image = WriteTrace(WwgPlan(21, {{Filler(60)}, {Filler(60)}}));
  const size_t second = kDa30FirstRecord + 8 + 28 + 64;
  SetLe32(image, kDa30FirstRecord + 8 + 16, 0xFFFFFFFF);
  SetLe32(image, second + 8 + 8, 0x18);  // bit 4 set as well: no CRC error
  ReadResult r = ReadImage(image, 21);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 137438953440.0);
  EXPECT_EQ(r.frames[1].status, 0);

  // Token Ring: a shorter media block, and the flags carry no CRC error.
  TracePlan ring = WwgPlan(21, {{Filler(50), 0, 0, kStatusCrcError}});
  ring.topology = kTokenRing;
  ReadResult t = WriteAndRead(ring);
  ASSERT_EQ(t.frames.size(), 1u);
  EXPECT_EQ(t.frames[0].length, 50);
}

TEST(Da30Reader, DamagedRecordsEndThePassQuietly) {
  const std::vector<uint8_t> good = WriteTrace(WwgPlan(21, {{Filler(60)}, {Filler(60)}, {Filler(60)}}));
  const size_t second = kDa30FirstRecord + 8 + 28 + 64;
  std::vector<uint8_t> image = good;
  SetLe32(image, second + 4, 1);  // shorter than its own header
  EXPECT_EQ(ReadImage(image, 21).frames.size(), 1u);

  image = good;
  SetLe32(image, second + 4, (8 + 32797 + 3) / 4);  // a body beyond the frame buffer
  EXPECT_EQ(ReadImage(image, 21).frames.size(), 1u);

  image = good;
  SetLe32(image, second + 4, 0x40000000);  // a huge length
  EXPECT_EQ(ReadImage(image, 21).frames.size(), 1u);

  image = good;
  SetLe32(image, second + 8 + 24, 0xFFFF);  // a frame length beyond its record
  ReadResult r = ReadImage(image, 21);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(r.frames[1].length, kMaxFrameLength);
  EXPECT_EQ(r.frames[1].data[70], 0);

  image = good;
  image.resize(good.size() - 9);  // no end record, the last one cut short
  EXPECT_EQ(ReadImage(image, 21).frames.size(), 2u);

  image = good;
  SetLe32(image, 30, static_cast<uint32_t>(good.size() + 1));  // first record beyond the end
  EXPECT_FALSE(ReadImage(image, 21).opened);
}

// ---- Domino and LinkView PRO

constexpr size_t kChunks = 78;  // the chunks follow the header: "VERS", "FRAM", "STOP"

TEST(DominoReader, LengthsStatusAndTimes) {
  TracePlan plan = WwgPlan(22, {{Filler(100, 6)}, {Filler(80), 120, 6400, kStatusCrcError}});
  plan.startUnixSeconds = 946728000;  // 2000-01-01 12:00:00
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);
  // Domino stores whole Ethernet frames with their check sequence; wire length 0 = stored.
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 104);
  EXPECT_EQ(r.frames[0].data, WithFcs(Filler(100, 6)));
  EXPECT_EQ(r.frames[1].length, 124);
  EXPECT_EQ(r.frames[1].capturedLength, 80);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 + 6400);
}

TEST(DominoReader, WireLengthZeroMeansStored) {
  TracePlan plan = WwgPlan(22, {{Filler(100)}});
  plan.topology = kTokenRing;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 100);
  EXPECT_EQ(r.frames[0].capturedLength, 100);
}

TEST(DominoReader, HeaderClockGivesTimeOfDayAndStartDateComesFromSeconds) {
  std::vector<uint8_t> image = WriteTrace(WwgPlan(22, {{Filler(60)}}));
  image[58] = 11, image[59] = 59, image[60] = 58;
  ReadResult r = ReadImage(image, 22);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + (11 * 3600 + 59 * 60 + 58) / 86400.0);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, (11 * 3600 + 59 * 60 + 58) * 1e6);

  SetLe32(image, 54, 0);  // no capture start: the start time is left alone
  r = ReadImage(image, 22);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_DOUBLE_EQ(r.startTime, 0);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, (11 * 3600 + 59 * 60 + 58) * 1e6);
}

TEST(DominoReader, StatusBitsOfTheEntry) {
  std::vector<uint8_t> image = WriteTrace(WwgPlan(22, {{Filler(60)}, {Filler(60)}}));
  const size_t index = image.size() - 2 * 20;
  SetLe32(image, index + 16, 0x10);  // bit 4 alone: a good frame
  SetLe32(image, index + 20 + 16, 0x07);
  ReadResult r = ReadImage(image, 22);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
}

TEST(LinkViewReader, EthernetCode739AddsAndSynthesisesTheCheckSequence) {
  const Bytes frame = Filler(100, 8);
  TracePlan plan = WwgPlan(23, {{frame}, {Filler(80), 200, 0}});
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 100);
  EXPECT_EQ(r.frames[0].data, WithFcs(frame));
  EXPECT_EQ(r.frames[1].length, 204);
  EXPECT_EQ(r.frames[1].capturedLength, 80);

  // Another network code adds nothing; another sub-code synthesises nothing.
  std::vector<uint8_t> image = WriteTrace(plan);
  SetLe16(image, 62, 358);
  r = ReadImage(image, 23);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 100);
  image = WriteTrace(plan);
  SetLe16(image, 64, 5);
  r = ReadImage(image, 23);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(Bytes(r.frames[0].data.begin() + 100, r.frames[0].data.end()), Bytes(4, 0));

  // The Domino reads the same header without the LinkView rules.
  r = ReadImage(WriteTrace(plan), 22);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 100);
}

TEST(DominoReader, FileWithoutFrameIndexIsRefused) {
  const std::vector<uint8_t> good = WriteTrace(WwgPlan(22, {{Filler(60)}}));
  std::vector<uint8_t> image = good;
  image[kChunks + 8] = 'S', image[kChunks + 9] = 'T', image[kChunks + 10] = 'O', image[kChunks + 11] = 'P';
  EXPECT_FALSE(ReadImage(image, 22).opened);

  image = good;
  image[kChunks + 8] = 'X', image[kChunks + 16] = 'X';  // neither tag before the end of the file
  EXPECT_FALSE(ReadImage(image, 22).opened);

  image = good;
  SetLe32(image, kChunks + 12, static_cast<uint32_t>(good.size()));  // pointer beyond the end
  EXPECT_FALSE(ReadImage(image, 22).opened);
}

TEST(DominoReader, FrameCountAndEntriesOutOfRangeEndThePass) {
  const std::vector<uint8_t> good = WriteTrace(WwgPlan(22, {{Filler(60)}, {Filler(60)}, {Filler(60)}}));
  const size_t index = good.size() - 3 * 20 - 4;
  std::vector<uint8_t> image = good;
  SetLe32(image, index, 2);
  EXPECT_EQ(ReadImage(image, 22).frames.size(), 2u);

  image = good;
  SetLe32(image, index, 0);
  EXPECT_EQ(ReadImage(image, 22).frames.size(), 0u);

  image = good;
  SetLe32(image, index, 0xFFFFFFFF);  // more entries than the file holds
  EXPECT_EQ(ReadImage(image, 22).frames.size(), 3u);

  image = good;
  SetLe32(image, index + 4 + 20, static_cast<uint32_t>(good.size()));  // frame bytes beyond the end
  EXPECT_EQ(ReadImage(image, 22).frames.size(), 1u);

  image = good;
  SetLe16(image, index + 4 + 20 + 4, 40000);  // more than the frame buffer holds
  EXPECT_EQ(ReadImage(image, 22).frames.size(), 1u);
}

}  // namespace
}  // namespace corvanta::testing

// The HP Internet Advisor reader: tagged blocks, frame headers, times from UTC seconds.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

constexpr size_t kFirstFrameBlock = 128 + 28;  // after the header and the group block

TracePlan HpPlan(std::vector<TestFrame> frames) { return {.kind = 5, .comment = {}, .frames = std::move(frames)}; }

ReadResult ReadImage(const std::vector<uint8_t>& image, Topology topology = kEthernet) {
  return RunReader({.kind = 5, .topology = topology}, TempFile(image, "trace.eth").path());
}

Bytes Block(const char* tag, uint16_t words, size_t size) {
  Bytes block(size, 0);
  SetLe16(block, 2, words);
  for (int i = 0; i < 4; ++i) block[4 + i] = static_cast<uint8_t>(tag[i]);
  return block;
}

TEST(HpReader, FramesWithStoredCheckSequenceTimesAndStatus) {
  const Bytes frame = Filler(101, 4);
  TracePlan plan = HpPlan({{frame}, {Filler(60), 0, 2500000.25, kStatusCrcError}});
  plan.startUnixSeconds = 946728000;  // 2000-01-01 12:00:00 UTC
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 2u);  // the group block is no frame
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);
  EXPECT_EQ(r.frames[0].length, 105);
  EXPECT_EQ(r.frames[0].capturedLength, 101);
  Bytes withFcs = frame;
  PutLe32(withFcs, EthernetCrc(frame));
  EXPECT_EQ(r.frames[0].data, withFcs);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 + 2500000);  // nanoseconds cut to microseconds

  plan.topology = kTokenRing;
  r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].status, 0);
}

TEST(HpReader, OtherBlocksAreSteppedOverByTheirLength) {
  std::vector<uint8_t> image = WriteTrace(HpPlan({{Filler(60, 1)}, {Filler(60, 2)}}));
  Bytes other = Block("TEXT", 5, 20);
  other[8] = 'F', other[9] = 'R', other[10] = '3', other[11] = '0';  // inside the block, not a tag
  image.insert(image.begin() + kFirstFrameBlock, other.begin(), other.end());
  Bytes group = Block("GRP0", 0, 28);  // a group header is 20 bytes whatever its length says
  image.insert(image.begin() + kFirstFrameBlock, group.begin(), group.end());
  // "FR50" is a frame block too.
  const size_t secondFrame = kFirstFrameBlock + 48 + 32 + 64;
  image[secondFrame + 6] = '5';
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].data[0], 1);
  EXPECT_EQ(r.frames[1].data[0], 2);
}

TEST(HpReader, DamagedBlocksEndThePassQuietly) {
  const std::vector<uint8_t> good = WriteTrace(HpPlan({{Filler(60)}, {Filler(60)}}));
  const size_t secondFrame = kFirstFrameBlock + 32 + 64;

  // An unknown block shorter than its own header would never move on.
  for (uint16_t words : {uint16_t{0}, uint16_t{1}}) {
    std::vector<uint8_t> image = good;
    Bytes bad = Block("XXXX", words, 8);
    image.insert(image.begin() + static_cast<std::ptrdiff_t>(secondFrame), bad.begin(), bad.end());
    EXPECT_EQ(ReadImage(image).frames.size(), 1u) << words;
  }
  std::vector<uint8_t> image = good;
  Bytes beyond = Block("XXXX", 0xFFFF, 8);
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(secondFrame), beyond.begin(), beyond.end());
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);

  image = good;
  SetLe16(image, secondFrame + 8 + 12, 32764);  // padded to 32768: more than the buffer
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);

  image = good;
  image.resize(good.size() - 1);
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);

  image.resize(100);
  EXPECT_FALSE(ReadImage(image).opened);
}

}  // namespace
}  // namespace corvanta::testing

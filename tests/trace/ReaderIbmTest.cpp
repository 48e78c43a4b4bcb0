// The DataGLANce reader: frames spread over 128-byte blocks, and its three time bases.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

constexpr size_t kFirstBlock = 512;

TracePlan IbmPlan(std::vector<TestFrame> frames) {
  return {.kind = 6, .startUnixSeconds = 946728000, .comment = {}, .frames = std::move(frames)};
}

ReadResult ReadImage(const std::vector<uint8_t>& image, Topology topology = kEthernet) {
  return RunReader({.kind = 6, .topology = topology}, TempFile(image, "trace.dgc").path());
}

// Sets the three time words of the frame whose first block starts at block.
void SetTicks(std::vector<uint8_t>& image, size_t block, uint8_t control, uint64_t ticks) {
  image[block] = control;
  SetLe16(image, block + 6, static_cast<uint16_t>(ticks >> 32));
  SetLe16(image, block + 10, static_cast<uint16_t>(ticks >> 16));
  SetLe16(image, block + 8, static_cast<uint16_t>(ticks));
}

TEST(IbmReader, FramesSpanContinuationBlocks) {
  const Bytes big = Filler(296, 7), small = Filler(40, 1);
  ReadResult r = WriteAndRead(IbmPlan({{big}, {small, 0, 1000}}));
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 2u);
  Bytes withFcs = big;
  PutLe32(withFcs, EthernetCrc(big));
  EXPECT_EQ(r.frames[0].length, 300);
  EXPECT_EQ(r.frames[0].capturedLength, 300);
  EXPECT_EQ(r.frames[0].data, withFcs);
  EXPECT_EQ(r.frames[1].capturedLength, 44);
  EXPECT_TRUE(std::equal(small.begin(), small.end(), r.frames[1].data.begin()));
}

TEST(IbmReader, TwoHundredStoredBytesTakeThreeBlocks) {
  // 196 bytes and the check sequence; a frame follows after exactly three blocks.
  std::vector<uint8_t> image = WriteTrace(IbmPlan({{Filler(196)}, {Filler(50, 9)}}));
  ASSERT_EQ(image.size(), kFirstBlock + 3 * 128 + 128);
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].capturedLength, 200);
  EXPECT_EQ(r.frames[1].data[0], 9);
}

TEST(IbmReader, EmptyBlocksAreSkipped) {
  std::vector<uint8_t> image = WriteTrace(IbmPlan({{Filler(60, 1)}, {Filler(60, 2)}}));
  image.insert(image.begin() + kFirstBlock + 128, 128, 0);
  image.insert(image.begin() + kFirstBlock, 256, 0);
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].data[0], 2);
}

TEST(IbmReader, TimeBases) {
  std::vector<uint8_t> image = WriteTrace(IbmPlan({{Filler(60)}, {Filler(60)}, {Filler(60)}, {Filler(60)}}));
  const double noon = 12 * 3600e6;
  // Bit 5: ticks of the PC timer since the start.
  SetTicks(image, kFirstBlock, 0x21, 1000000);
  // Bit 5 clear, Ethernet: small counts are 32-millisecond units, large ones timer ticks.
  SetTicks(image, kFirstBlock + 128, 0x01, 2700000);
  SetTicks(image, kFirstBlock + 256, 0x01, 2700001);
  SetTicks(image, kFirstBlock + 384, 0x01, 0x0001'0002'0003ULL);
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 4u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, noon + 838095);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, noon + 2700000.0 * 32000);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, noon + 2262858);
  EXPECT_DOUBLE_EQ(r.frames[3].timestamp, noon + 3599701949);  // words A, C, B = 1, 2, 3
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);
}

TEST(IbmReader, TokenRingTimeIsSecondOfDayAndHundredths) {
  TracePlan plan = IbmPlan({{Filler(60)}, {Filler(60), 0, 86400e6 - 10000}});
  plan.topology = kTokenRing;
  std::vector<uint8_t> image = WriteTrace(plan);
  ReadResult r = ReadImage(image, kTokenRing);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 - 10000);  // the next day, one hundredth earlier
  EXPECT_EQ(r.frames[0].length, 60);

  // Seconds beyond a day are reduced.
  SetLe16(image, kFirstBlock + 10, 2);
  SetLe16(image, kFirstBlock + 8, 0);
  SetLe16(image, kFirstBlock + 6, 5);
  r = ReadImage(image, kTokenRing);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, (131072 - 86400) * 1e6 + 50000);
}

TEST(IbmReader, OversizedFramesAreReadAndCutToTheBuffer) {
  // 65535 stored bytes: 744 continuation blocks, of which those past the buffer are dropped.
  std::vector<uint8_t> image = WriteTrace(IbmPlan({{Filler(60)}, {Filler(60, 5)}}));
  std::vector<uint8_t> huge(128 * 745, 0xAB);
  huge[0] = 0x21;
  SetLe16(huge, 2, 65535);
  SetLe16(huge, 4, 65535);
  SetLe16(huge, 6, 0), SetLe16(huge, 8, 0), SetLe16(huge, 10, 0);
  image.insert(image.begin() + kFirstBlock + 128, huge.begin(), huge.end());
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(r.frames[1].length, kMaxFrameLength);
  EXPECT_EQ(r.frames[1].capturedLength, kMaxFrameLength);
  EXPECT_EQ(r.frames[1].data[32735], 0xAB);
  EXPECT_EQ(r.frames[2].data[0], 5);  // the next frame is found after all the blocks
}

TEST(IbmReader, ContinuationsBeyondTheFileEndThePass) {
  std::vector<uint8_t> image = WriteTrace(IbmPlan({{Filler(60)}, {Filler(300)}}));
  image.resize(image.size() - 128);
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);
  image.resize(kFirstBlock - 1);
  EXPECT_FALSE(ReadImage(image).opened);
}

}  // namespace
}  // namespace corvanta::testing

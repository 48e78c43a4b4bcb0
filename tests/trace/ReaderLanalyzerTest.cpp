// The LANalyzer reader: header records, lengths, times, the end of data, circular traces.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/Bytes.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

// Offsets of the records of an image, in file order.
std::vector<size_t> Records(const std::vector<uint8_t>& image) {
  std::vector<size_t> at;
  for (size_t p = 0; p + 4 <= image.size(); p += 4 + (image[p + 2] | image[p + 3] << 8)) at.push_back(p);
  return at;
}

Bytes Slice(const std::vector<uint8_t>& image, size_t from, size_t to) {
  return Bytes(image.begin() + static_cast<std::ptrdiff_t>(from), image.begin() + static_cast<std::ptrdiff_t>(to));
}

TracePlan LanalyzerPlan(size_t frames) {
  TracePlan plan;
  plan.kind = 13;
  for (size_t i = 0; i < frames; ++i)
    plan.frames.push_back({Filler(60 + i, static_cast<uint8_t>(i)), 0, 1000.0 * static_cast<double>(i)});
  return plan;
}

ReadResult ReadImage(const std::vector<uint8_t>& image, Topology topology = kEthernet) {
  return RunReader({.kind = 13, .topology = topology}, TempFile(image, "trace.tr1").path());
}

TEST(LanalyzerReader, LengthsStatusTimesAndStart) {
  TracePlan plan;
  plan.kind = 13;
  plan.startUnixSeconds = 946728000;  // 2000-01-01 12:00:00
  const Bytes whole = Filler(100, 9), sliced = Filler(80, 4);
  plan.frames = {{whole, 0, 0}, {sliced, 200, 1500.5}, {Filler(60), 0, 2000, kStatusCrcError}};
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);

  // Stored without the check sequence; the wire length counts it, so it is synthesised.
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 104);
  EXPECT_TRUE(std::equal(whole.begin(), whole.end(), r.frames[0].data.begin()));
  EXPECT_EQ(ByteView(r.frames[0].data.data(), 104).U32le(100), EthernetCrc(whole));

  EXPECT_EQ(r.frames[1].length, 204);
  EXPECT_EQ(r.frames[1].capturedLength, 84);
  EXPECT_TRUE(std::equal(sliced.begin(), sliced.end(), r.frames[1].data.begin()));
  EXPECT_EQ(r.frames[1].data[100], 0);  // beyond the stored bytes

  // Times are half-microsecond counts.
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 0);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 1500.5);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[2].status, kStatusCrcError | kStatusAlignmentError);
}

// The check sequence is synthesised only when the wire length is the stored length + 4: a
// sliced frame keeps zeros past its stored bytes, and a frame stored with its own check
// sequence (wire length = stored length) keeps its last four bytes.
TEST(LanalyzerReader, CheckSequenceOnlyForFramesStoredWithoutIt) {
  TracePlan plan = LanalyzerPlan(0);
  const Bytes stored = Filler(100, 5), sliced = Filler(80, 4);
  plan.frames = {{stored, 0, 0}, {sliced, 200, 100}};
  std::vector<uint8_t> image = WriteTrace(plan);
  size_t first = 0;
  for (size_t at : Records(image))
    if (ByteView(image.data(), image.size()).U16le(at) == 0x1005) {
      first = at;
      break;
    }
  ASSERT_NE(first, 0u);
  SetLe16(image, first + 4 + 4, 100);  // on the wire as stored: the check sequence is among the bytes
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 100);
  EXPECT_TRUE(std::equal(stored.begin(), stored.end(), r.frames[0].data.begin()));
  EXPECT_EQ(r.frames[1].length, 204);
  EXPECT_EQ(Slice(r.frames[1].data, 80, 204), Bytes(124, 0));
}

TEST(LanalyzerReader, TokenRingKeepsLengthsAndStatus) {
  TracePlan plan = LanalyzerPlan(1);
  plan.topology = kTokenRing;
  plan.frames[0].status = kStatusCrcError;
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 60);
  EXPECT_EQ(r.frames[0].capturedLength, 64);
  EXPECT_EQ(r.frames[0].status, 0);
}

TEST(LanalyzerReader, OtherRecordTypeEndsTheData) {
  std::vector<uint8_t> image = WriteTrace(LanalyzerPlan(4));
  const std::vector<size_t> at = Records(image);
  ASSERT_EQ(at.size(), 14u);
  SetLe16(image, at[12], 0x1006);  // the third frame record
  EXPECT_EQ(ReadImage(image).frames.size(), 2u);
}

TEST(LanalyzerReader, DamagedFilesEndThePassQuietly) {
  const std::vector<uint8_t> good = WriteTrace(LanalyzerPlan(3));
  const std::vector<size_t> at = Records(good);

  std::vector<uint8_t> image = good;
  SetLe16(image, at[11] + 2, 32801);  // a body longer than any frame record
  EXPECT_EQ(ReadImage(image).frames.size(), 1u);

  image = good;
  image.resize(image.size() - 1);
  EXPECT_EQ(ReadImage(image).frames.size(), 2u);

  image = Slice(good, 0, at[8]);  // header records missing
  EXPECT_FALSE(ReadImage(image).opened);

  image = good;
  SetLe16(image, 0, 0x1002);  // not a LANalyzer header
  EXPECT_FALSE(ReadImage(image).opened);

  // A frame record shorter than its fixed fields reads them as zero.
  image = Slice(good, 0, at[10]);
  Bytes tiny = {0x05, 0x10, 6, 0, 0, 0, 0, 0, 0x40, 0};
  image.insert(image.end(), tiny.begin(), tiny.end());
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 4);
}

// The summary and the buffer description are used in part; a longer record is still
// stepped over whole, a shorter one read as far as it goes.
TEST(LanalyzerReader, HeaderRecordsAreSteppedOverByTheirOwnLength) {
  std::vector<uint8_t> image = WriteTrace(LanalyzerPlan(2));
  std::vector<size_t> at = Records(image);
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(at[7]), 10, 0xEE);  // summary: 220 bytes
  SetLe16(image, at[6] + 2, 220);
  at = Records(image);
  image.erase(image.begin() + static_cast<std::ptrdiff_t>(at[8] + 4 + 20),
              image.begin() + static_cast<std::ptrdiff_t>(at[9]));
  SetLe16(image, at[8] + 2, 20);  // buffer description: 20 bytes
  ReadResult r = ReadImage(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_DOUBLE_EQ(r.startTime, EncodeDate(2000, 1, 1) + 0.5);
  EXPECT_EQ(r.frames[1].length, 65);
}

TEST(LanalyzerReader, FrameCountOfTheBufferDescriptionStopsTheTrace) {
  std::vector<uint8_t> image = WriteTrace(LanalyzerPlan(5));
  SetLe32(image, Records(image)[8] + 4, 3);
  EXPECT_EQ(ReadImage(image).frames.size(), 3u);
}

// A circular buffer holding frames 4 and 5 before the oldest frame 1, 2 and 3; the wrap
// point lies after frame 3 and is followed by an index record.
struct Circular {
  std::vector<uint8_t> image;
  size_t descriptor = 0;  // body of the buffer description
  size_t bufferStart = 0, oldest = 0, wrapPoint = 0;
};

Circular MakeCircular(uint32_t frameCount) {
  const std::vector<uint8_t> linear = WriteTrace(LanalyzerPlan(5));
  std::vector<size_t> at = Records(linear);
  at.push_back(linear.size());
  Circular c;
  c.image = Slice(linear, 0, at[10]);
  SetLe16(c.image, 0, 0x1007);
  c.bufferStart = c.image.size();
  Bytes newest = Slice(linear, at[13], at[15]), oldest = Slice(linear, at[10], at[13]);
  c.image.insert(c.image.end(), newest.begin(), newest.end());
  c.oldest = c.image.size();
  c.image.insert(c.image.end(), oldest.begin(), oldest.end());
  c.wrapPoint = c.image.size();
  Bytes index = {0x04, 0x10, 2, 0, 0, 0};
  c.image.insert(c.image.end(), index.begin(), index.end());
  c.descriptor = at[8] + 4;
  SetLe32(c.image, c.descriptor + 0, frameCount);
  SetLe32(c.image, c.descriptor + 4, static_cast<uint32_t>(c.oldest));
  SetLe32(c.image, c.descriptor + 12, static_cast<uint32_t>(c.bufferStart));
  SetLe32(c.image, c.descriptor + 16, static_cast<uint32_t>(c.wrapPoint));
  return c;
}

std::vector<double> Times(const ReadResult& r) {
  std::vector<double> t;
  for (const RecordedFrame& f : r.frames) t.push_back(f.timestamp);
  return t;
}

TEST(LanalyzerReader, CircularTraceReadsFromOldestThroughTheWrap) {
  const std::vector<double> inOrder = {0, 1000, 2000, 3000, 4000};
  EXPECT_EQ(Times(ReadImage(MakeCircular(5).image)), inOrder);
  // Without a frame count the walk ends when it comes back to the oldest record.
  EXPECT_EQ(Times(ReadImage(MakeCircular(0).image)), inOrder);
  EXPECT_EQ(Times(ReadImage(MakeCircular(4).image)), std::vector<double>(inOrder.begin(), inOrder.begin() + 4));
}

TEST(LanalyzerReader, CircularPointersThatDoNotAdvanceEndThePass) {
  // Continuing at the wrap point itself meets the index record: the end of data.
  Circular c = MakeCircular(0);
  SetLe32(c.image, c.descriptor + 12, static_cast<uint32_t>(c.wrapPoint));
  EXPECT_EQ(ReadImage(c.image).frames.size(), 3u);

  // Continuing at the oldest record would read the buffer again and again.
  c = MakeCircular(0);
  SetLe32(c.image, c.descriptor + 12, static_cast<uint32_t>(c.oldest));
  EXPECT_EQ(ReadImage(c.image).frames.size(), 3u);

  // Continuing at the start of the last frame before the wrap: it comes round once more and
  // then meets the wrap point a second time.
  c = MakeCircular(0);
  const size_t lastBeforeWrap = c.wrapPoint - (4 + 32 + 62);
  SetLe32(c.image, c.descriptor + 12, static_cast<uint32_t>(lastBeforeWrap));
  EXPECT_EQ(ReadImage(c.image).frames.size(), 4u);

  c = MakeCircular(0);
  SetLe32(c.image, c.descriptor + 12, static_cast<uint32_t>(c.image.size() + 100));
  EXPECT_EQ(ReadImage(c.image).frames.size(), 3u);

  c = MakeCircular(0);
  SetLe32(c.image, c.descriptor + 4, static_cast<uint32_t>(c.image.size() + 100));
  EXPECT_FALSE(ReadImage(c.image).opened);
}

}  // namespace
}  // namespace corvanta::testing

// The Digitech reader: the buffer ring, per-buffer counts, the pre-scan medium, tick times.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"

namespace corvanta::testing {
namespace {

constexpr size_t kBuffer = 65536;
constexpr size_t kCounts = 8238;

struct Pass {
  bool opened = false;
  bool noFrames = false;
  Topology medium = kUnknownTopology;
  std::vector<RecordedFrame> frames;
};

// Runs the reader the way the processing loop does, in pre-scan mode when asked.
Pass ReadDigitech(const std::vector<uint8_t>& image, bool preScan = false, Topology topology = kEthernet) {
  TempFile file(image, "trace.dat");
  TraceInfo info;
  info.kind = 2;
  info.topology = preScan ? kUnknownTopology : topology;
  info.path = file.path();
  auto frame = std::make_unique<FrameRecord>();
  RecordingSink sink;
  sink.stopAfter = preScan ? 1 : 0;
  ReaderContext ctx(info, *frame, sink);
  ctx.preScan = preScan;
  Pass pass;
  if (!ctx.file.Open(file.path())) return pass;
  auto reader = CreateReader(2);
  pass.opened = reader->Open(ctx);
  if (pass.opened) reader->ReadFrames(ctx, false);
  pass.noFrames = ctx.noFrames;
  pass.medium = ctx.detectedTopology;
  pass.frames = std::move(sink.frames);
  return pass;
}

TracePlan DigitechPlan(std::vector<TestFrame> frames) {  // starting at 12:00:00
  return {.kind = 2, .startUnixSeconds = 946728000, .comment = {}, .frames = std::move(frames)};
}

std::vector<double> Times(const Pass& pass) {
  std::vector<double> t;
  for (const RecordedFrame& f : pass.frames) t.push_back(f.timestamp);
  return t;
}

// The header of the record of frame n (0-based) when all frames are of size bytes in buffer 1.
size_t RecordAt(size_t n, size_t bytes) { return kBuffer + n * (12 + 2 + bytes); }

TEST(DigitechReader, LengthsStatusAndTimes) {
  const Bytes frame = Filler(100, 3);
  std::vector<uint8_t> image = WriteTrace(
      DigitechPlan({{frame}, {Filler(100), 0, 1500, kStatusCrcError}, {Filler(100), 0, 3000, kStatusAlignmentError}}));
  ASSERT_EQ(image.size(), 2 * kBuffer);
  Pass r = ReadDigitech(image);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  // The frame length counts the check sequence the record does not hold.
  EXPECT_EQ(r.frames[0].length, 104);
  EXPECT_EQ(r.frames[0].capturedLength, 104);
  Bytes expected = frame;
  expected.resize(104, 0);
  EXPECT_EQ(r.frames[0].data, expected);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_EQ(r.frames[2].status, kStatusAlignmentError);
  EXPECT_NEAR(r.frames[0].timestamp, 12 * 3600e6, 1);
  EXPECT_NEAR(r.frames[1].timestamp, 12 * 3600e6 + 1500, 1);
  EXPECT_NEAR(r.frames[2].timestamp, 12 * 3600e6 + 3000, 1);

  // Whatever the frame length says, the captured length follows the record.
  SetLe16(image, RecordAt(1, 100) + 12, 1000);
  r = ReadDigitech(image);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(r.frames[1].length, 1000);
  EXPECT_EQ(r.frames[1].capturedLength, 104);
}

// Ten frames of 30000 bytes fill five buffers, two in each.
std::vector<uint8_t> FiveBuffers() {
  std::vector<TestFrame> frames;
  for (int i = 0; i < 10; ++i) frames.push_back({Filler(30000), 0, 1000.0 * i});
  return WriteTrace(DigitechPlan(frames));
}

TEST(DigitechReader, RingIsReadFromTheFirstBufferRound) {
  const std::vector<uint8_t> linear = FiveBuffers();
  ASSERT_EQ(linear.size(), 6 * kBuffer);
  std::vector<double> inOrder;
  for (int i = 0; i < 10; ++i) inOrder.push_back(12 * 3600e6 + 1000.0 * i);
  std::vector<double> read = Times(ReadDigitech(linear));
  ASSERT_EQ(read.size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(read[i], inOrder[i], 1);

  // The same buffers stored from position 3 on: 3, 4, 5, 1, 2 holds the oldest first.
  std::vector<uint8_t> ring = linear;
  const size_t place[6] = {0, 3, 4, 5, 1, 2};
  for (size_t n = 1; n <= 5; ++n)
    std::copy(linear.begin() + static_cast<std::ptrdiff_t>(n * kBuffer),
              linear.begin() + static_cast<std::ptrdiff_t>((n + 1) * kBuffer),
              ring.begin() + static_cast<std::ptrdiff_t>(place[n] * kBuffer));
  SetLe16(ring, 40, 5);
  SetLe16(ring, 42, 3);
  SetLe16(ring, 44, 2);
  read = Times(ReadDigitech(ring));
  ASSERT_EQ(read.size(), 10u);
  for (size_t i = 0; i < 10; ++i) EXPECT_NEAR(read[i], inOrder[i], 1);
}

TEST(DigitechReader, CountsSayWhereEachBufferEnds) {
  std::vector<uint8_t> image = FiveBuffers();
  SetLe16(image, kCounts + 2, 1);  // buffer 2 holds one frame by its count
  EXPECT_EQ(ReadDigitech(image).frames.size(), 9u);

  // First buffer 1: the last buffer gives the count of buffers.
  image = FiveBuffers();
  SetLe16(image, 40, 9);
  SetLe16(image, 44, 2);
  EXPECT_EQ(ReadDigitech(image).frames.size(), 4u);
}

TEST(DigitechReader, EmptyTablesAndBuffersOutOfRange) {
  const std::vector<uint8_t> good = FiveBuffers();
  std::vector<uint8_t> image = good;
  SetLe16(image, 44, 0);  // no last buffer: an empty trace
  Pass r = ReadDigitech(image);
  EXPECT_FALSE(r.opened);
  EXPECT_TRUE(r.noFrames);

  image = good;
  SetLe16(image, 40, 0);
  SetLe16(image, 42, 2);
  r = ReadDigitech(image);
  EXPECT_FALSE(r.opened);
  EXPECT_TRUE(r.noFrames);

  for (uint16_t first : {uint16_t{0}, uint16_t{6}, uint16_t{60000}}) {
    image = good;
    SetLe16(image, 42, first);
    r = ReadDigitech(image);
    EXPECT_FALSE(r.opened) << first;
    EXPECT_FALSE(r.noFrames) << first;
  }

  // A huge buffer count is cut to 4096; buffers beyond the file end the pass.
  image = good;
  SetLe16(image, 40, 60000);
  SetLe16(image, 42, 4);
  for (size_t n = 6; n <= 4096; ++n) SetLe16(image, kCounts + (n - 1) * 2, 1);
  r = ReadDigitech(image);
  ASSERT_TRUE(r.opened);
  EXPECT_EQ(r.frames.size(), 4u);  // buffers 4 and 5

  // Counts beyond the frames held: the pass runs into the end of the file.
  image = good;
  SetLe16(image, kCounts + 8, 0xFFFF);
  EXPECT_EQ(ReadDigitech(image).frames.size(), 10u);

  image = good;
  image.resize(2 * kBuffer + 100);
  EXPECT_EQ(ReadDigitech(image).frames.size(), 2u);
}

TEST(DigitechReader, OtherRecordsAndUnknownMedia) {
  std::vector<uint8_t> image = WriteTrace(DigitechPlan({{Filler(60, 1)}, {Filler(60, 2)}, {Filler(60, 3)}}));
  image[RecordAt(0, 60)] = 7;  // not a frame: passed over and not counted
  SetLe16(image, kCounts, 2);
  Pass r = ReadDigitech(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].data[0], 2);

  image = WriteTrace(DigitechPlan({{Filler(60, 1)}, {Filler(60, 2)}, {Filler(60, 3)}}));
  image[RecordAt(1, 60) + 1] = 0xE1;  // medium 1: counted but not decoded
  r = ReadDigitech(image);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].data[0], 3);
}

TEST(DigitechReader, PreScanTakesTheMediumOfTheFirstFrame) {
  std::vector<uint8_t> image = WriteTrace(DigitechPlan({{Filler(60)}, {Filler(60)}}));
  Pass r = ReadDigitech(image, true);
  EXPECT_EQ(r.medium, kEthernet);
  EXPECT_EQ(r.frames.size(), 1u);
  for (auto [code, medium] : {std::pair{uint8_t{0x07}, kEthernet}, std::pair{uint8_t{0x26}, kTokenRing},
                              std::pair{uint8_t{0x09}, kUnknownTopology}}) {
    image[RecordAt(0, 60) + 1] = code;
    r = ReadDigitech(image, true);
    EXPECT_EQ(r.medium, medium) << static_cast<int>(code);
    EXPECT_EQ(r.frames.size(), 1u) << static_cast<int>(code);  // unknown media too
  }

  TracePlan ring = DigitechPlan({{Filler(60)}});
  ring.topology = kTokenRing;
  EXPECT_EQ(ReadDigitech(WriteTrace(ring), true).medium, kTokenRing);
}

TEST(DigitechReader, TickTimesAndTheOneMinuteRule) {
  std::vector<TestFrame> frames;
  for (double offset : {0.0, 10e6, -20e6, 130e6, -100e6, 1e6}) frames.push_back({Filler(60), 0, 3600e6 + offset});
  Pass r = ReadDigitech(WriteTrace(DigitechPlan(frames)));
  ASSERT_EQ(r.frames.size(), 6u);
  const double base = 13 * 3600e6;
  EXPECT_NEAR(r.frames[1].timestamp, base + 10e6, 1);
  EXPECT_NEAR(r.frames[2].timestamp, base + 10e6, 1);  // 30 s earlier: takes its predecessor's
  EXPECT_NEAR(r.frames[3].timestamp, base + 130e6, 1);
  EXPECT_NEAR(r.frames[4].timestamp, base - 100e6, 1);  // almost 4 minutes earlier: its own
  EXPECT_NEAR(r.frames[5].timestamp, base + 1e6, 1);

  // The second frame keeps its own time even when it is a little earlier.
  r = ReadDigitech(WriteTrace(DigitechPlan({{Filler(60), 0, 10e6}, {Filler(60), 0, 0}})));
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_NEAR(r.frames[1].timestamp, 12 * 3600e6, 1);

  // Beyond one day of ticks the count is reduced and converted at the second rate.
  std::vector<uint8_t> image = WriteTrace(DigitechPlan({{Filler(60)}}));
  const uint64_t ticks = 103090814976ULL + 1000000;
  SetLe32(image, RecordAt(0, 60) + 5, static_cast<uint32_t>(ticks >> 16));
  SetLe16(image, RecordAt(0, 60) + 9, static_cast<uint16_t>(ticks));
  r = ReadDigitech(image);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 1000000 * 0.838096003219);
}

}  // namespace
}  // namespace corvanta::testing

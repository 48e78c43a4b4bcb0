#include <gtest/gtest.h>

#include "trace/TimeUtil.h"
#include "ReaderReadBack.h"
#include "writers/SnifferWriter.h"

namespace corvanta::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TracePlan Plan(AnalyzerKind kind, std::vector<TestFrame> frames, Topology topology = kEthernet) {
  return MakePlan(kind, std::move(frames), topology, 946728000 + 3723, 250000);  // 2000-01-01 13:02:03.25 UTC
}

constexpr double kStartTod = (13 * 3600 + 2 * 60 + 3) * 1e6;

// --- NetXRay ---------------------------------------------------------------------------

TEST(NetXRayReader, EthernetFramesGainTheirCheckSequence) {
  TracePlan plan = Plan(10, {PatternFrame(60, 0), PatternFrame(100, 1500), PatternFrame(40, 2000000)});
  plan.frames[1].status = kStatusCrcError;
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(StartText(r.startTime), "2000-01-01 13:02:03.000");
  EXPECT_EQ(r.frames[0].frameNumber, 1);
  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 64);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
  EXPECT_EQ(r.frames[1].status, kStatusCrcError);
  EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes, true));
  EXPECT_EQ(r.frames[2].data, WithSynthesizedFcs(plan.frames[2].bytes));  // a runt's check sequence is 0
  // The start's time of day plus the time since the start.
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 250000);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, kStartTod + 251500);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, kStartTod + 2250000);
}

// The written header holds the end offset at 20 (read here) and at 28 (where other readers
// look); a value at 28 alone changes nothing.
TEST(NetXRayReader, EndOffsetIsWrittenInBothPlaces) {
  TracePlan plan = Plan(10, {PatternFrame(64, 0), PatternFrame(80, 100)});
  Bytes image = WriteNetXRay(plan);
  auto le32 = [&image](size_t at) {
    return static_cast<uint32_t>(image[at] | image[at + 1] << 8 | image[at + 2] << 16 | image[at + 3] << 24);
  };
  EXPECT_EQ(le32(20), image.size());
  EXPECT_EQ(le32(28), image.size());
  image[28] = image[29] = image[30] = image[31] = 0;
  EXPECT_EQ(ReadImage(image, plan).frames.size(), 2u);
}

TEST(NetXRayReader, CrcBitDependsOnTheVersion) {
  TracePlan plan = Plan(10, {PatternFrame(64, 0)});
  plan.frames[0].status = kStatusCrcError;
  for (const char* version : {"001.002", "002.001"}) {
    NetXRayOptions options;
    options.version = version;
    Bytes image = WriteNetXRay(plan, options);
    ReadResult r = ReadImage(image, plan);
    ASSERT_EQ(r.frames.size(), 1u) << version;
    EXPECT_EQ(r.frames[0].status, kStatusCrcError) << version;
    // The other version's bit means nothing.
    const size_t record = 128;
    const bool version1 = version[2] == '1';
    image[record + 20] = version1 ? 0x04 : 0;
    image[record + 24] = version1 ? 0 : 0x01;
    EXPECT_EQ(ReadImage(image, plan).frames[0].status, 0) << version;
  }
  // Version-1 records have no 12 extra bytes: the frame data starts right after 28.
  NetXRayOptions v1;
  v1.version = "001.100";
  ReadResult r = ReadImage(WriteNetXRay(plan, v1), plan);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes, true));
}

TEST(NetXRayReader, TicksOfTheTimeUnit2AreScaled) {
  TracePlan plan = Plan(10, {PatternFrame(64, 0), PatternFrame(64, 1000000)});
  NetXRayOptions options;
  options.timeUnit = 2;
  options.rawStart = 123456789;
  ReadResult r = ReadImage(WriteNetXRay(plan, options), plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_NEAR(r.frames[0].timestamp, kStartTod + 250000, 1);
  EXPECT_NEAR(r.frames[1].timestamp, kStartTod + 1250000, 1);
}

TEST(NetXRayReader, StoredCheckSequenceIsKept) {
  // Flag at 68 clear: the file holds each frame's check sequence and both lengths are the
  // wire length; a frame cut short has Length = CapturedLength = wire length.
  TracePlan plan = Plan(10, {PatternFrame(80, 0), PatternFrame(70, 10)});
  plan.frames[1].wireLength = 200;
  NetXRayOptions options;
  options.fcsFlag = 0;
  ReadResult r = ReadImage(WriteNetXRay(plan, options), plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 84);
  EXPECT_EQ(r.frames[0].capturedLength, 84);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
  EXPECT_EQ(r.frames[1].length, 204);
  EXPECT_EQ(r.frames[1].capturedLength, 204);
  Bytes head(r.frames[1].data.begin(), r.frames[1].data.begin() + 70);
  EXPECT_EQ(head, plan.frames[1].bytes);
  EXPECT_EQ(r.frames[1].data[150], 0);  // bytes the file does not hold read as zero
}

// A file whose flag says the check sequence is stored, but whose frames end without one,
// keeps every stored byte: the frame is counted 4 bytes longer, as if the flag were set.
TEST(NetXRayReader, FramesWithoutTheirCheckSequenceKeepTheirBytes) {
  TracePlan plan = Plan(10, {PatternFrame(42, 0), PatternFrame(100, 5)});
  NetXRayOptions options;
  options.fcsFlag = 1;
  Bytes image = WriteNetXRay(plan, options);
  image[68] = 0;
  ReadResult r = ReadImage(image, plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 46);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
  EXPECT_EQ(r.frames[1].length, 104);
  EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes));
}

// Token Ring frames keep their stored bytes and lengths, with nothing added.
TEST(SnifferFamilyReaders, TokenRingFramesHaveNoCheckSequenceAdded) {
  for (AnalyzerKind kind : {AnalyzerKind{10}, AnalyzerKind{11}}) {
    TracePlan plan = Plan(kind, {PatternFrame(50, 0)}, kTokenRing);
    ReadResult r = WriteAndRead(plan);
    ASSERT_EQ(r.frames.size(), 1u) << int{kind};
    EXPECT_EQ(r.frames[0].length, 50) << int{kind};
    EXPECT_EQ(r.frames[0].capturedLength, 50) << int{kind};
    EXPECT_EQ(r.frames[0].data, plan.frames[0].bytes) << int{kind};
  }
}

std::vector<TestFrame> Frames(int count) {
  std::vector<TestFrame> frames;
  for (int i = 0; i < count; ++i) frames.push_back(PatternFrame(60 + i, i * 1000.0, static_cast<uint8_t>(i)));
  return frames;
}

TEST(NetXRayReader, EndOffsetAndFrameCountEndThePass) {
  TracePlan plan = Plan(10, Frames(4));
  const size_t recordSize = 40;  // version-2 header
  // A real end offset after the second frame; no frame count.
  NetXRayOptions options;
  options.frameCount = 0;
  options.endOffset = static_cast<int64_t>(128 + 2 * recordSize + 60 + 61);
  EXPECT_EQ(ReadImage(WriteNetXRay(plan, options), plan).frames.size(), 2u);
  // The frame count stops before the end.
  options = {};
  options.frameCount = 3;
  EXPECT_EQ(ReadImage(WriteNetXRay(plan, options), plan).frames.size(), 3u);
  // No frame count and the end offset at the file's end: every frame, once.
  options = {};
  options.frameCount = 0;
  EXPECT_EQ(ReadImage(WriteNetXRay(plan, options), plan).frames.size(), 4u);
}

// End offsets that cannot close the records (0, not past the first record, past the file)
// stand for the end of the file.
TEST(NetXRayReader, UnusableEndOffsetMeansTheEndOfTheFile) {
  TracePlan plan = Plan(10, Frames(4));
  for (int64_t end : {int64_t{0}, int64_t{100}, int64_t{128}, int64_t{1} << 30}) {
    NetXRayOptions options;
    options.endOffset = end;
    EXPECT_EQ(ReadImage(WriteNetXRay(plan, options), plan).frames.size(), 4u) << end;
  }
}

TEST(NetXRayReader, WrappedBufferIsReadOnceMoreFrom128) {
  TracePlan plan = Plan(10, Frames(5));
  NetXRayOptions options;
  options.wrapSplit = 2;
  ReadResult r = ReadImage(WriteNetXRay(plan, options), plan);
  ASSERT_EQ(r.frames.size(), 5u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(r.frames[i].length, 64 + i) << i;
  // Without a frame count, the second round runs on to the file's end once and stops.
  options.frameCount = 0;
  r = ReadImage(WriteNetXRay(plan, options), plan);
  ASSERT_EQ(r.frames.size(), 7u);
  EXPECT_EQ(r.frames[5].length, 64);
  EXPECT_EQ(r.frames[6].length, 65);
}

TEST(NetXRayReader, StopsWhenAskedAndAfterOneFrame) {
  TracePlan plan = Plan(10, Frames(4));
  Bytes image = WriteNetXRay(plan);
  EXPECT_EQ(ReadImage(image, plan, 2).frames.size(), 2u);
  EXPECT_EQ(ReadImage(image, plan, 0, true).frames.size(), 1u);
}

TEST(NetXRayReader, BadInputEndsQuietly) {
  TracePlan plan = Plan(10, Frames(3));
  Bytes image = WriteNetXRay(plan);
  // Cut in the third frame's bytes, then in its header.
  Bytes cut(image.begin(), image.end() - 10);
  EXPECT_EQ(ReadImage(cut, plan).frames.size(), 2u);
  cut.resize(128 + 2 * 40 + 60 + 61 + 20);
  EXPECT_EQ(ReadImage(cut, plan).frames.size(), 2u);
  // A header cut short gives nothing; a first record past the file gives nothing.
  EXPECT_FALSE(ReadImage(Bytes(image.begin(), image.begin() + 100), plan).opened);
  Bytes far = image;
  SetLe32(far, 24, 1u << 30);
  EXPECT_TRUE(ReadImage(far, plan).frames.empty());
  // A stored length beyond the frame buffer ends the pass.
  Bytes huge = image;
  SetLe16(huge, 128 + 10, 40000);
  SetLe16(huge, 128 + 8, 40000);
  EXPECT_TRUE(ReadImage(huge, plan).frames.empty());
}

// --- Sniffer DOS -----------------------------------------------------------------------

TEST(SnifferDosReader, EthernetFramesLengthsStatusAndStart) {
  TracePlan plan = Plan(11, {PatternFrame(60, 0), PatternFrame(100, 2500), PatternFrame(70, 3000)});
  plan.frames[1].status = kStatusCrcError | kStatusAlignmentError;
  plan.frames[2].wireLength = 500;
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(StartText(r.startTime), "2000-01-01 13:02:02.000");  // the packed time keeps two-second steps
  // Stored 60, wire length 0: both lengths 64.
  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 64);
  EXPECT_EQ(r.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
  EXPECT_EQ(r.frames[1].status, kStatusCrcError | kStatusAlignmentError);
  EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes, true));
  EXPECT_EQ(r.frames[2].length, 504);
  EXPECT_EQ(r.frames[2].capturedLength, 74);
  // Unit 5 times are microseconds as stored (the writer counts from local midnight).
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, kStartTod + 250000);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp - r.frames[0].timestamp, 2500);
}

Bytes SnifferDosWithUnit(const TracePlan& plan, uint8_t unit) {
  SnifferDosOptions options;
  options.timeUnit = unit;
  return WriteSnifferDos(plan, options);
}

TEST(SnifferDosReader, TimeUnits) {
  const double base = kStartTod + 250000;
  TracePlan plan = Plan(11, {PatternFrame(60, 0), PatternFrame(60, 3000)});
  for (uint8_t unit : {1, 2, 3, 4, 5}) {
    ReadResult r = ReadImage(SnifferDosWithUnit(plan, unit), plan);
    ASSERT_EQ(r.frames.size(), 2u);
    EXPECT_NEAR(r.frames[0].timestamp, base, 8) << int{unit};
    EXPECT_NEAR(r.frames[1].timestamp, base + 3000, 8) << int{unit};
  }
  // Unit 0 means unit 2 for Ethernet (ticks of 15 us) and unit 1 for Token Ring.
  EXPECT_NEAR(ReadImage(SnifferDosWithUnit(plan, 0), plan).frames[1].timestamp, base + 3000, 8);
  TracePlan ring = Plan(11, {PatternFrame(60, 0)}, kTokenRing);
  EXPECT_NEAR(ReadImage(SnifferDosWithUnit(ring, 0), ring).frames[0].timestamp, base, 1);
  // An unknown unit leaves the previous time.
  ReadResult r = ReadImage(SnifferDosWithUnit(plan, 9), plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].timestamp, 0);
  EXPECT_EQ(r.frames[1].timestamp, 0);
}

TEST(SnifferDosReader, Unit1WrapsAtMidnight) {
  TracePlan plan = Plan(11, {PatternFrame(60, 0)});
  Bytes image = SnifferDosWithUnit(plan, 1);
  // One day and 1000 ticks: the high byte counts 2^32 ticks of 0.83809534452 us.
  const uint64_t ticks = static_cast<uint64_t>(86400e6 / 0.83809534452) + 1000;
  const size_t body = 17 + 6 + 18 + 6 + 8 + 6;
  SetLe16(image, body, static_cast<uint16_t>(ticks));
  SetLe16(image, body + 2, static_cast<uint16_t>(ticks >> 16));
  image[body + 4] = static_cast<uint8_t>(ticks >> 32);
  ReadResult r = ReadImage(image, plan);
  ASSERT_EQ(r.frames.size(), 1u);
  EXPECT_GE(r.frames[0].timestamp, 0);
  EXPECT_LT(r.frames[0].timestamp, 2000);
}

TEST(SnifferDosReader, FrameRecordTypesAndSkippedRecords) {
  TracePlan plan = Plan(11, {PatternFrame(60, 0), PatternFrame(80, 10)});
  for (uint16_t type : {5, 12}) {
    SnifferDosOptions options;
    options.frameType = type;
    ReadResult r = ReadImage(WriteSnifferDos(plan, options), plan);
    ASSERT_EQ(r.frames.size(), 2u) << type;
    EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes)) << type;
  }
  // A record of another type between frames is skipped by its length.
  Bytes image = WriteSnifferDos(plan);
  const size_t second = 17 + 6 + 18 + 6 + 8 + 6 + 14 + 60;
  Bytes other{20, 0, 3, 0, 0, 0, 'x', 'y', 'z'};
  image.insert(image.begin() + static_cast<std::ptrdiff_t>(second), other.begin(), other.end());
  ReadResult r = ReadImage(image, plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes));
}

TEST(SnifferDosReader, EndRecordsAndTheEndOfTheFile) {
  TracePlan plan = Plan(11, Frames(3));
  // A first non-header record of type 3: an empty trace.
  TracePlan empty = Plan(11, {});
  ReadResult r = ReadImage(WriteSnifferDos(empty), empty);
  EXPECT_TRUE(r.opened);
  EXPECT_TRUE(r.frames.empty());
  // No end record: the file's end ends the pass.
  SnifferDosOptions noEnd;
  noEnd.endRecord = false;
  EXPECT_EQ(ReadImage(WriteSnifferDos(plan, noEnd), plan).frames.size(), 3u);
  // A type-0 record ends it too.
  Bytes image = WriteSnifferDos(plan);
  const size_t second = 17 + 6 + 18 + 6 + 8 + 6 + 14 + 60;
  image[second] = 0;
  EXPECT_EQ(ReadImage(image, plan).frames.size(), 1u);
}

TEST(SnifferDosReader, BadInputEndsQuietly) {
  TracePlan plan = Plan(11, Frames(3));
  Bytes image = WriteSnifferDos(plan);
  const size_t third = 17 + 6 + 18 + 6 + 8 + 2 * 6 + 2 * 14 + 60 + 61;
  // Cut inside the third frame's body.
  EXPECT_EQ(
      ReadImage(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(third + 20)), plan).frames.size(), 2u);
  // A body length at the bound ends the pass (LongFrameIsCappedAtTheBuffer reads one below).
  Bytes big = image;
  SetLe16(big, third + 2, 32783);
  EXPECT_EQ(ReadImage(big, plan).frames.size(), 2u);
  // Signature only.
  EXPECT_FALSE(ReadImage(Bytes(image.begin(), image.begin() + 30), plan).opened);
}

TEST(SnifferDosReader, LongFrameIsCappedAtTheBuffer) {
  TestFrame frame = PatternFrame(32768, 0);  // body 32782, the largest below the bound
  TracePlan plan = Plan(11, {frame, PatternFrame(60, 5)});
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, kMaxFrameLength);
  EXPECT_EQ(r.frames[0].capturedLength, kMaxFrameLength);
}

// --- Sniffer DOS, compressed ---------------------------------------------------------------

std::vector<TestFrame> CompressibleFrames() {
  std::vector<TestFrame> frames;
  for (int i = 0; i < 40; ++i) {
    TestFrame f = PatternFrame(60 + (i * 37) % 1400, i * 100.0, static_cast<uint8_t>(i % 3));
    std::fill(f.bytes.begin() + 30, f.bytes.begin() + 55, 0);  // runs
    frames.push_back(f);
  }
  return frames;
}

TEST(SnifferDosCompressed, EveryBlockKindExpandsToTheSameFrames) {
  TracePlan plan = Plan(11, CompressibleFrames());
  ReadResult plain = WriteAndRead(plan);
  ASSERT_EQ(plain.frames.size(), plan.frames.size());
  struct Layout {
    bool stored;
    size_t blockSize;
  };
  for (Layout layout : {Layout{false, 16384}, Layout{false, 333}, Layout{true, 1000}, Layout{true, 0x7FFF}}) {
    SnifferDosOptions options;
    options.compressed = true;
    options.storedBlocks = layout.stored;
    options.blockSize = layout.blockSize;
    SnifferCompressionStats stats;
    options.stats = &stats;
    ReadResult r = ReadImage(WriteSnifferDos(plan, options), plan);
    if (!layout.stored) {
      EXPECT_GT(stats.compressedBlocks, 0);
      EXPECT_GT(stats.shortRuns + stats.longRuns, 0);
      EXPECT_GT(stats.shortCopies + stats.longCopies, 0);
    }
    ASSERT_EQ(r.frames.size(), plain.frames.size()) << layout.blockSize;
    for (size_t i = 0; i < r.frames.size(); ++i) {
      EXPECT_EQ(r.frames[i].data, plain.frames[i].data) << i;
      EXPECT_EQ(r.frames[i].timestamp, plain.frames[i].timestamp) << i;
    }
  }
}

Bytes CompressedImage(const TracePlan& plan, size_t blockSize) {
  SnifferDosOptions options;
  options.compressed = true;
  options.blockSize = blockSize;
  return WriteSnifferDos(plan, options);
}

TEST(SnifferDosCompressed, InputRunningDryKeepsTheFramesBefore) {
  TracePlan plan = Plan(11, CompressibleFrames());
  const Bytes image = CompressedImage(plan, 2000);
  const ReadResult whole = ReadImage(image, plan);
  ASSERT_EQ(whole.frames.size(), plan.frames.size());
  // Cutting the file loses the cut block and what follows; the frames before stay as they were.
  for (size_t cut : {image.size() - 1, image.size() * 2 / 3, image.size() / 3, size_t{80}}) {
    ReadResult r = ReadImage(Bytes(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(cut)), plan);
    EXPECT_LT(r.frames.size(), whole.frames.size()) << cut;
    for (size_t i = 0; i < r.frames.size(); ++i) EXPECT_EQ(r.frames[i].data, whole.frames[i].data) << cut;
  }
}

TEST(SnifferDosCompressed, CorruptBlocksNeverCrash) {
  TracePlan plan = Plan(11, CompressibleFrames());
  const Bytes image = CompressedImage(plan, 1500);
  const size_t streamStart = 17 + 6 + 18 + 6 + 8;
  for (size_t at = streamStart; at < image.size(); at += 97) {
    Bytes bad = image;
    bad[at] ^= 0xA5;
    ReadResult r = ReadImage(bad, plan);
    EXPECT_LE(r.frames.size(), 1000u);
  }
  // A body longer than a block's window: the record length still says where the next starts.
  TracePlan big = Plan(11, {PatternFrame(60, 0), PatternFrame(32769 - 14, 1), PatternFrame(60, 2)});
  EXPECT_EQ(ReadImage(CompressedImage(big, 1500), big).frames.size(), 3u);
}

}  // namespace
}  // namespace corvanta::testing

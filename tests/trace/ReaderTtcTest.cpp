// The FireBerd 500 and NetLens reader: length rules around 1515 bytes, flags, frame counts.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"

namespace corvanta::testing {
namespace {

TracePlan TtcPlan(AnalyzerKind kind, std::vector<TestFrame> frames) {
  return {.kind = kind, .comment = {}, .frames = std::move(frames)};
}

ReadResult ReadImage(const std::vector<uint8_t>& image, AnalyzerKind kind, Topology topology = kEthernet) {
  return RunReader({.kind = kind, .topology = topology},
                   TempFile(image, kind == 18 ? "trace.pkt" : "trace.s04").path());
}

TEST(TtcReader, EthernetLengthsAroundTheLongFrameLimit) {
  TracePlan plan = TtcPlan(18, {{Filler(60, 1)}, {Filler(1510, 2)}, {Filler(1514, 3)}});
  ReadResult r = WriteAndRead(plan);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.frames.size(), 3u);
  // Short frames are stored without the check sequence: 4 bytes are added and synthesised.
  Bytes withFcs = Filler(60, 1);
  PutLe32(withFcs, EthernetCrc(Filler(60, 1)));
  EXPECT_EQ(r.frames[0].length, 64);
  EXPECT_EQ(r.frames[0].capturedLength, 64);
  EXPECT_EQ(r.frames[0].data, withFcs);
  EXPECT_EQ(r.frames[1].length, 1514);  // 1510 stored: still below 1515
  EXPECT_EQ(r.frames[1].capturedLength, 1514);
  // 1518 stored bytes: the length as stored, the captured length 1514.
  EXPECT_EQ(r.frames[2].length, 1518);
  EXPECT_EQ(r.frames[2].capturedLength, 1514);
}

TEST(TtcReader, FlagsTimesAndTokenRing) {
  TracePlan plan = TtcPlan(18, {{Filler(60), 0, 0, kStatusCrcError}, {Filler(60), 0, 1500, kStatusAlignmentError}});
  plan.startUnixSeconds = 946728000;  // 12:00:00
  ReadResult r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].status, kStatusCrcError);
  EXPECT_EQ(Bytes(r.frames[0].data.begin() + 60, r.frames[0].data.end()), Bytes(4, 0));
  EXPECT_EQ(r.frames[1].status, kStatusAlignmentError);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 12 * 3600e6 + 2000);  // whole milliseconds

  plan.topology = kTokenRing;
  plan.frames = {{Filler(60), 0, 0, kStatusCrcError}, {Filler(2000)}};
  r = WriteAndRead(plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 60);
  EXPECT_EQ(r.frames[0].capturedLength, 60);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].length, 2000);
  EXPECT_EQ(r.frames[1].capturedLength, 1514);
}

TEST(TtcReader, HeaderFrameCountEndsThePass) {
  for (AnalyzerKind kind : {AnalyzerKind{18}, AnalyzerKind{20}}) {
    SCOPED_TRACE(static_cast<int>(kind));
    std::vector<uint8_t> image = WriteTrace(TtcPlan(kind, {{Filler(60)}, {Filler(61)}, {Filler(62)}}));
    EXPECT_EQ(ReadImage(image, kind).frames.size(), 3u);
    const size_t countAt = kind == 18 ? 72 : 22;
    SetLe32(image, countAt, 2);
    EXPECT_EQ(ReadImage(image, kind).frames.size(), 2u);
    SetLe32(image, countAt, 0);  // no count: the records run to the end of the file
    EXPECT_EQ(ReadImage(image, kind).frames.size(), 3u);
  }
}

TEST(TtcReader, DamagedRecordsEndThePassQuietly) {
  const std::vector<uint8_t> good = WriteTrace(TtcPlan(20, {{Filler(60)}, {Filler(60)}, {Filler(60)}}));
  const size_t second = 26 + 10 + 60;
  std::vector<uint8_t> image = good;
  SetLe16(image, second, 40000);
  EXPECT_EQ(ReadImage(image, 20).frames.size(), 1u);

  image = good;
  image.resize(good.size() - 1);
  EXPECT_EQ(ReadImage(image, 20).frames.size(), 2u);

  image.resize(20);
  EXPECT_FALSE(ReadImage(image, 20).opened);
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include <cstring>

#include "trace/readers/Observer.h"
#include "writers/ObserverWriter.h"
#include "ReaderReadBack.h"

namespace corvanta::testing {
namespace {

using Bytes = std::vector<uint8_t>;

TracePlan Plan(std::vector<TestFrame> frames, Topology topology = kEthernet) {
  return MakePlan(12, std::move(frames), topology, 946684800 + 7200);  // 2000-01-01 02:00:00 UTC
}

ReadResult Write(const TracePlan& plan, char version) { return ReadImage(WriteObserver(plan, {version}), plan); }

struct Lengths {
  uint16_t length, captured;
};
Lengths LengthsOf(const ReadResult& r, size_t i) { return {r.frames.at(i).length, r.frames.at(i).capturedLength}; }
bool operator==(Lengths a, Lengths b) { return a.length == b.length && a.captured == b.captured; }
std::ostream& operator<<(std::ostream& os, Lengths l) { return os << l.length << "/" << l.captured; }

TEST(ObserverReader, VersionDigit) {
  auto version = [](const char* text) {
    Bytes header(113, 0);
    std::memcpy(header.data(), text, std::strlen(text));
    return ObserverVersion(ByteView(header.data(), header.size()));
  };
  EXPECT_EQ(version("ObserverPktBufferVersion=9.00"), 9);
  EXPECT_EQ(version("ObserverPktBufferVersion=15.00"), 1);  // a single character
  EXPECT_EQ(version("Observer=a=5"), -1);                   // after the first "=" only
  EXPECT_EQ(version("ObserverPktBufferVersion"), -1);
  EXPECT_EQ(version("ObserverPktBufferVersionXXXXXXXX=5"), -1);  // not within 32 bytes
}

TEST(ObserverReader, HeaderWithoutVersionDigitIsRefused) {
  TracePlan plan = Plan({PatternFrame(60, 0)});
  EXPECT_FALSE(Write(plan, 'x').opened);
  EXPECT_TRUE(Write(plan, '0').opened);
}

// O = C = 100 on the wire: version 9 stores the check sequence and gives 100; version 4
// stores the frame without it and gives 104.
TEST(ObserverReader, EthernetLengthsByVersion) {
  TracePlan plan = Plan({PatternFrame(96, 0), PatternFrame(100, 1)});
  ReadResult v9 = ReadImage(WriteObserver(plan, {'9'}), plan);
  ASSERT_EQ(v9.frames.size(), 2u);
  EXPECT_EQ(LengthsOf(v9, 0), (Lengths{100, 100}));
  EXPECT_EQ(v9.frames[0].data, WithSynthesizedFcs(plan.frames[0].bytes));
  ReadResult v4 = Write(plan, '4');
  EXPECT_EQ(LengthsOf(v4, 1), (Lengths{104, 104}));
  EXPECT_EQ(v4.frames[1].data, WithSynthesizedFcs(plan.frames[1].bytes));
  ReadResult v3 = Write(plan, '3');
  EXPECT_EQ(LengthsOf(v3, 1), (Lengths{104, 104}));
  // Cut short (C below O): version 6 and up give O, below O + 4; the captured length is C.
  TracePlan cut = Plan({PatternFrame(80, 0)});
  cut.frames[0].wireLength = 300;
  EXPECT_EQ(LengthsOf(Write(cut, '6'), 0), (Lengths{304, 80}));
  EXPECT_EQ(LengthsOf(Write(cut, '5'), 0), (Lengths{304, 80}));
  EXPECT_EQ(LengthsOf(Write(cut, '2'), 0), (Lengths{84, 84}));
}

TEST(ObserverReader, TokenRingLengthsByVersion) {
  TracePlan plan = Plan({PatternFrame(100, 0)}, kTokenRing);
  EXPECT_EQ(LengthsOf(Write(plan, '3'), 0), (Lengths{100, 100}));
  EXPECT_EQ(LengthsOf(Write(plan, '5'), 0), (Lengths{100, 100}));
  EXPECT_EQ(Write(plan, '5').frames[0].data, plan.frames[0].bytes);  // no check sequence added
  plan.frames[0].wireLength = 400;
  EXPECT_EQ(LengthsOf(Write(plan, '5'), 0), (Lengths{100, 100}));
  EXPECT_EQ(LengthsOf(Write(plan, '8'), 0), (Lengths{100, 100}));
}

TEST(ObserverReader, RuntsArePaddedUnlessTheyCarryACrcError) {
  // A 40-byte runt (36 bytes and its check sequence from version 6 on).
  TracePlan plan = Plan({PatternFrame(36, 0), PatternFrame(36, 1)});
  plan.frames[1].status = kStatusCrcError;
  ReadResult v9 = Write(plan, '9');
  ASSERT_EQ(v9.frames.size(), 2u);
  EXPECT_EQ(LengthsOf(v9, 0), (Lengths{64, 64}));
  EXPECT_EQ(v9.frames[0].data[50], 0);  // padding reads as zero
  Bytes covered(v9.frames[0].data.begin(), v9.frames[0].data.begin() + 60);
  EXPECT_EQ(v9.frames[0].data, WithSynthesizedFcs(covered));
  EXPECT_EQ(LengthsOf(v9, 1), (Lengths{40, 40}));
  EXPECT_EQ(v9.frames[1].status, kStatusCrcError);
  // Below version 6 the runt is stored as 40 bytes and counted with 4 more.
  TracePlan old = Plan({PatternFrame(40, 0), PatternFrame(40, 1)});
  old.frames[1].status = kStatusCrcError;
  ReadResult v5 = Write(old, '5');
  EXPECT_EQ(LengthsOf(v5, 0), (Lengths{64, 64}));
  EXPECT_EQ(LengthsOf(v5, 1), (Lengths{44, 44}));
}

TEST(ObserverReader, StatusAndTime) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 1500), PatternFrame(60, 3000)});
  plan.frames[1].status = kStatusAlignmentError;
  plan.frames[2].status = kStatusCrcError;
  ReadResult r = Write(plan, '9');
  ASSERT_EQ(r.frames.size(), 3u);
  EXPECT_EQ(r.frames[0].status, 0);
  EXPECT_EQ(r.frames[1].status, kStatusAlignmentError);
  EXPECT_EQ(r.frames[2].status, kStatusCrcError);
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 7200e6);
  EXPECT_DOUBLE_EQ(r.frames[1].timestamp, 7200e6 + 2000);  // milliseconds: 1.5 rounds to 2
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, 7200e6 + 3000);
}

TEST(ObserverReader, RecordsFollowTheirChain) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(61, 1), PatternFrame(62, 2)});
  const Bytes image = WriteObserver(plan, {});
  const size_t second = kObserverFirstRecord + kObserverRecordHeader + 64;
  const size_t third = second + kObserverRecordHeader + 65;
  // Skipping forward over the second record.
  Bytes skip = image;
  SetLe32(skip, kObserverFirstRecord + 12, static_cast<uint32_t>(third));
  ReadResult r = ReadImage(skip, plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[1].length, 66);
  // A chain pointing back, or at the record itself, ends the pass instead of looping.
  for (uint32_t back : {uint32_t{kObserverFirstRecord}, static_cast<uint32_t>(second)}) {
    Bytes loop = image;
    SetLe32(loop, second + 12, back);
    EXPECT_EQ(ReadImage(loop, plan).frames.size(), 2u) << back;
  }
  // Past the file's end, or 0: the last record.
  Bytes past = image;
  SetLe32(past, kObserverFirstRecord + 12, static_cast<uint32_t>(image.size()));
  EXPECT_EQ(ReadImage(past, plan).frames.size(), 1u);
  Bytes zero = image;
  SetLe32(zero, second + 12, 0);
  EXPECT_EQ(ReadImage(zero, plan).frames.size(), 2u);
}

TEST(ObserverReader, BadInputEndsQuietly) {
  TracePlan plan = Plan({PatternFrame(60, 0), PatternFrame(60, 1)});
  const Bytes image = WriteObserver(plan, {});
  EXPECT_EQ(ReadImage(Bytes(image.begin(), image.end() - 1), plan).frames.size(), 1u);
  EXPECT_FALSE(ReadImage(Bytes(image.begin(), image.begin() + 100), plan).opened);
  Bytes huge = image;
  SetLe32(huge, kObserverFirstRecord + 40, 0x80000000u);
  EXPECT_TRUE(ReadImage(huge, plan).frames.empty());
  Bytes wire = image;
  SetLe32(wire, kObserverFirstRecord + 28, 0xFFFFFFFFu);  // wire length far beyond the buffer
  ReadResult r = ReadImage(wire, plan);
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, kMaxFrameLength);
}

}  // namespace
}  // namespace corvanta::testing

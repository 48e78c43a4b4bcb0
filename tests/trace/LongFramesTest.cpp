// Frames longer than the frame buffer, passes that end before the end of the file, and
// traces whose reader cannot open them.
#include <gtest/gtest.h>

#include <algorithm>

#include "ReaderHarness.h"
#include "TraceTestFiles.h"
#include "trace/Bytes.h"
#include "trace/OpenTrace.h"
#include "trace/ProcessTrace.h"
#include "trace/readers/Observer.h"
#include "writers/ObserverWriter.h"
#include "writers/SnifferFamily.h"

namespace corvanta::testing {
namespace {

struct Pass {
  PassResult result;
  std::vector<RecordedFrame> frames;
};

// How the pass hands frames over: directly, through stages on the calling thread, or from a
// reader on a thread of its own.
enum class Loop { kDirect, kStaged, kAhead };

Pass ReadPass(const std::vector<uint8_t>& image, AnalyzerKind kind, Topology topology, const std::string& name,
              Loop loop = Loop::kDirect) {
  TempFile file(image, name);
  TraceInfo info;
  info.path = file.path();
  info.kind = kind;
  info.topology = topology;
  info.fileSize = image.size();
  RecordingSink sink;
  sink.twoStages = loop == Loop::kStaged;
  PassOptions options;
  options.readAhead = loop == Loop::kAhead;
  options.stageAhead = loop == Loop::kStaged;
  Pass pass;
  pass.result = ProcessTraceFile(info, sink, nullptr, options);
  pass.frames = std::move(sink.frames);
  return pass;
}

TracePlan PlanOf(AnalyzerKind kind, std::vector<TestFrame> frames) {
  TracePlan plan;
  plan.kind = kind;
  plan.frames = std::move(frames);
  return plan;
}

// A frame stored longer than the buffer, between two ordinary ones: the first 32768 bytes
// are kept, the frame counts as sliced, and the frame after it is read.
TEST(LongFrames, KeptCutAndTheNextRecordFollows) {
  struct Row {
    AnalyzerKind kind;
    size_t size;  // as large as the format's length fields allow
    const char* name;
  };
  const Row rows[] = {{15, 65549, "t.snoop"}, {16, 65549, "t.cap"}, {9, 65549, "t.cap"},  {12, 65549, "t.bfr"},
                      {8, 40000, "t.cap"},    {10, 40000, "t.cap"}, {11, 40000, "t.enc"}, {0, 40000, "t.pkt"},
                      {13, 40000, "t.tr1"},   {5, 40000, "t.eth"},  {6, 40000, "t.dgc"},  {18, 40000, "t.pkt"},
                      {21, 40000, "t.an1"},   {22, 40000, "t.cap"}, {14, 40000, "t.dmp"}, {2, 40000, "t.dat"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name + std::string(" kind ") + std::to_string(row.kind));
    const TestFrame big = PatternFrame(row.size, 1000, 7);
    const TestFrame after = PatternFrame(100, 2000, 9);
    const std::vector<uint8_t> image = WriteTrace(PlanOf(row.kind, {PatternFrame(100, 0, 3), big, after}));
    ASSERT_FALSE(image.empty());
    const Pass pass = ReadPass(image, row.kind, kEthernet, row.name);
    ASSERT_EQ(pass.result.framesRead, 3);
    ASSERT_EQ(pass.frames.size(), 3u);
    EXPECT_FALSE(pass.result.partial);
    EXPECT_TRUE(pass.result.slicedFrames);
    // Formats that store fewer bytes than the wire length slice every frame already.
    const Pass small =
        ReadPass(WriteTrace(PlanOf(row.kind, {PatternFrame(100, 0, 3), after})), row.kind, kEthernet, row.name);
    EXPECT_EQ(pass.result.slicedCount, small.result.slicedCount == 0 ? 1 : 3);
    const RecordedFrame& cut = pass.frames[1];
    EXPECT_EQ(cut.length, kMaxFrameLength);
    // IBM DataGLANce keeps whole 88-byte blocks of the frame; the others the whole buffer.
    const size_t kept = row.kind == 6 ? 32736 : kMaxFrameLength;
    EXPECT_TRUE(std::equal(big.bytes.begin(), big.bytes.begin() + static_cast<long>(kept), cut.data.begin()));
    EXPECT_TRUE(std::equal(after.bytes.begin(), after.bytes.end(), pass.frames[2].data.begin()));
  }
}

// Read ahead on a thread of its own, or staged on the calling thread, the pass gives the
// same result: frames copied whole into the queue's slots.
TEST(LongFrames, ReadAheadCountsTheSameSlicedFrames) {
  const TestFrame big = PatternFrame(65549, 10);
  const std::vector<uint8_t> image = WriteTrace(PlanOf(15, {PatternFrame(100, 0), big, PatternFrame(100, 20)}));
  for (Loop loop : {Loop::kStaged, Loop::kAhead}) {
    const Pass pass = ReadPass(image, 15, kEthernet, "t.snoop", loop);
    EXPECT_EQ(pass.result.framesRead, 3);
    EXPECT_EQ(pass.result.slicedCount, 1);
    EXPECT_FALSE(pass.result.partial);
    EXPECT_EQ(pass.result.bytesRead, image.size());
    ASSERT_EQ(pass.frames.size(), 3u);
    EXPECT_TRUE(std::equal(big.bytes.begin(), big.bytes.begin() + kMaxFrameLength, pass.frames[1].data.begin()));
  }
}

// A record that cannot be read while bytes of the file remain: the frames before it stay,
// and the pass says where reading ended.
TEST(PartialRead, UnreadableRecordsBeforeTheEndOfTheFile) {
  const std::vector<uint8_t> good =
      WriteTrace(PlanOf(15, {PatternFrame(100, 0), PatternFrame(100, 10), PatternFrame(100, 20)}));
  const size_t second = 16 + 24 + 100;
  const size_t third = second + 24 + 100;

  std::vector<uint8_t> pastEnd = good;
  SetBe32(pastEnd, third + 8, 5000);  // the last record reaches past the end of the file
  std::vector<uint8_t> badLength = good;
  SetBe32(badLength, second + 8, 8);  // a record shorter than its own header
  std::vector<uint8_t> cutShort(good.begin(), good.end() - 10);
  struct Row {
    const char* what;
    const std::vector<uint8_t>& image;
    int32_t frames;
    uint64_t bytesRead;
  };
  const Row rows[] = {{"record past the end", pastEnd, 2, third},
                      {"bad record length", badLength, 1, second},
                      {"last record cut short", cutShort, 2, third}};
  for (Loop loop : {Loop::kDirect, Loop::kStaged, Loop::kAhead}) {
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(row.what) + " loop " + std::to_string(static_cast<int>(loop)));
      const Pass pass = ReadPass(row.image, 15, kEthernet, "t.snoop", loop);
      EXPECT_EQ(pass.result.framesRead, row.frames);
      EXPECT_TRUE(pass.result.partial);
      EXPECT_FALSE(pass.result.stopped);
      EXPECT_EQ(pass.result.bytesRead, row.bytesRead);
    }
  }
  // Read to its end, a file is complete; so is one whose format ends before the file does.
  const Pass whole = ReadPass(good, 15, kEthernet, "t.snoop");
  EXPECT_FALSE(whole.result.partial);
  EXPECT_EQ(whole.result.bytesRead, good.size());
  const std::vector<uint8_t> netmon = WriteTrace(PlanOf(9, {PatternFrame(100, 0), PatternFrame(100, 10)}));
  EXPECT_FALSE(ReadPass(netmon, 9, kEthernet, "t.cap").result.partial);
}

// Observer records may chain to any offset of the file, backwards too; a loop ends the pass.
TEST(ObserverChain, BackwardsChainsAreFollowedAndLoopsEnd) {
  const std::vector<TestFrame> frames = {PatternFrame(100, 0, 1), PatternFrame(100, 10, 2), PatternFrame(100, 20, 3)};
  std::vector<uint8_t> image = WriteTrace(PlanOf(12, frames));
  auto next = [&image](size_t at) { return static_cast<size_t>(ByteView(image.data(), image.size()).U32le(at + 12)); };
  const size_t a = kObserverFirstRecord, b = next(a), c = next(b);
  // a -> c -> b -> end: the last record of the chain lies before the one that names it.
  SetLe32(image, a + 12, static_cast<uint32_t>(c));
  SetLe32(image, c + 12, static_cast<uint32_t>(b));
  SetLe32(image, b + 12, 0);
  Pass pass = ReadPass(image, 12, kEthernet, "t.bfr");
  ASSERT_EQ(pass.frames.size(), 3u);
  EXPECT_FALSE(pass.result.partial);
  EXPECT_TRUE(std::equal(frames[2].bytes.begin(), frames[2].bytes.end(), pass.frames[1].data.begin()));
  EXPECT_TRUE(std::equal(frames[1].bytes.begin(), frames[1].bytes.end(), pass.frames[2].data.begin()));

  // b -> a again: a loop. Each record is read once and the pass is partial.
  SetLe32(image, b + 12, static_cast<uint32_t>(a));
  pass = ReadPass(image, 12, kEthernet, "t.bfr");
  EXPECT_EQ(pass.frames.size(), 3u);
  EXPECT_TRUE(pass.result.partial);
  // A record naming itself.
  SetLe32(image, a + 12, static_cast<uint32_t>(a));
  EXPECT_EQ(ReadPass(image, 12, kEthernet, "t.bfr").frames.size(), 1u);
  // Into the middle of a record already read.
  SetLe32(image, a + 12, static_cast<uint32_t>(a + 50));
  EXPECT_EQ(ReadPass(image, 12, kEthernet, "t.bfr").frames.size(), 1u);
  // Beyond the end of the file: the chain cannot go on.
  SetLe32(image, a + 12, static_cast<uint32_t>(image.size() + 10));
  pass = ReadPass(image, 12, kEthernet, "t.bfr");
  EXPECT_EQ(pass.frames.size(), 1u);
  EXPECT_TRUE(pass.result.partial);
}

// A reader that cannot open its trace gives a refusal through the open flow.
TEST(ReaderRefusals, TracesTheReaderCannotOpenAreRefused) {
  TracePlan domino = PlanOf(22, {PatternFrame(100, 0)});
  std::vector<uint8_t> image = WriteTrace(domino);
  const std::string fram = "FRAM";
  const auto chunk = std::search(image.begin() + 78, image.end(), fram.begin(), fram.end());
  ASSERT_NE(chunk, image.end());
  std::copy_n("STOP", 4, chunk);
  TempFile stop(image, "stop.cap");
  OpenOutcome o = OpenTrace(stop.path());
  EXPECT_FALSE(o.accepted);
  EXPECT_EQ(o.refusal, "stop.cap contains no frames.");

  std::vector<uint8_t> observer = WriteTrace(PlanOf(12, {PatternFrame(100, 0)}));
  const auto eq = std::find(observer.begin(), observer.end(), '=');
  ASSERT_NE(eq, observer.end());
  *(eq + 1) = 'x';
  TempFile badVersion(observer, "v.bfr");
  o = OpenTrace(badVersion.path());
  EXPECT_FALSE(o.accepted);
  EXPECT_EQ(o.refusal, "v.bfr" + std::string(kObserverVersionRefusal));

  // A NetXRay file shorter than its 128-byte header.
  std::vector<uint8_t> netxray = WriteTrace(PlanOf(10, {}));
  netxray.resize(100);
  TempFile shortHeader(netxray, "x.cap");
  EXPECT_EQ(OpenTrace(shortHeader.path()).refusal, "x.cap could not be read.");

  // The readable traces are accepted as before.
  TempFile good(WriteTrace(domino), "good.cap");
  EXPECT_TRUE(OpenTrace(good.path()).accepted);
}

// A processing pass whose reader can no longer open the trace names the same refusal.
TEST(ReaderRefusals, RefusalOfAPass) {
  PassResult pass;
  EXPECT_EQ(ReaderRefusal("a.cap", pass), std::string(kCannotOpenMessage));
  pass.fileOpened = pass.readerFound = true;
  EXPECT_EQ(ReaderRefusal("a.cap", pass), "a.cap could not be read.");
  pass.openRefusal = std::string(kObserverVersionRefusal);
  EXPECT_EQ(ReaderRefusal("a.cap", pass), "a.cap" + std::string(kObserverVersionRefusal));
  pass.headerRead = true;
  EXPECT_EQ(ReaderRefusal("a.cap", pass), "");
  pass.noFrames = true;
  EXPECT_EQ(ReaderRefusal("a.cap", pass), "a.cap contains no frames.");
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numeric>
#include <stdexcept>

#include "TraceTestFiles.h"
#include "trace/Fcs.h"
#include "trace/ProcessTrace.h"
#include "trace/TimeUtil.h"

namespace corvanta::testing {
namespace {

// What the scripted reader puts into each frame.
struct ScriptFrame {
  uint16_t length = 64;
  uint16_t captured = 64;
  uint16_t status = 0;
  double timestamp = 0;
  uint8_t fill = 0;
};

// What the scripted reader saw; it outlives the reader, which the pass destroys.
struct ReaderLog {
  int opens = 0;
  int reads = 0;
  double startTimeAtOpen = -1;
  int64_t biasAtOpen = -1;
  int32_t frameNumberAtOpen = -1;
};

// A reader that consumes 100 bytes of the file per frame and hands over scripted frames,
// following the reader contract.
class ScriptedReader : public TraceReader {
 public:
  ScriptedReader(std::vector<ScriptFrame> script, bool openOk, ReaderLog& log)
      : script_(std::move(script)), openOk_(openOk), log_(log) {}

  bool Open(ReaderContext& ctx) override {
    ++log_.opens;
    log_.startTimeAtOpen = ctx.frame.StartTime;
    log_.biasAtOpen = ctx.timeZoneBias;
    log_.frameNumberAtOpen = ctx.frame.FrameNumber;
    ctx.frame.FrameNumber = 0;
    return openOk_;
  }

  void ReadFrames(ReaderContext& ctx, bool oneFrame) override {
    ++log_.reads;
    uint8_t chunk[100];
    for (const ScriptFrame& s : script_) {
      ctx.BeginFrame();
      if (!ctx.file.Read(chunk, sizeof chunk)) {
        ctx.endOfFile = true;
        break;
      }
      FrameRecord& f = ctx.frame;
      f.Length = s.length;
      f.CapturedLength = s.captured;
      f.Status = s.status;
      f.Timestamp = s.timestamp;
      f.Data.fill(s.fill);
      if (ctx.Deliver() || oneFrame) break;
    }
    ctx.framesRead = ctx.frame.FrameNumber;
  }

 private:
  std::vector<ScriptFrame> script_;
  bool openOk_;
  ReaderLog& log_;
};

// Records the frames and the pass hooks.
class RecordingDecoder : public RecordingSink {
 public:
  bool DecodeFrame(FrameRecord& f) override {
    elapsed = f.Timestamp;
    return RecordingSink::DecodeFrame(f);
  }
  double ElapsedTime() const override { return elapsed; }
  void BeginPass(const TraceInfo& info, bool preScan) override {
    ++begins;
    beginPreScan = preScan;
    beginFileSize = info.fileSize;
    EXPECT_TRUE(frames.empty());
  }
  void EndPass(bool preScan, bool stopped) override {
    ++ends;
    endPreScan = preScan;
    endStopped = stopped;
  }

  double elapsed = 0;
  int begins = 0, ends = 0;
  bool beginPreScan = false, endPreScan = false, endStopped = false;
  uint64_t beginFileSize = 0;
};

std::vector<ScriptFrame> Frames(int n) {
  std::vector<ScriptFrame> script;
  for (int i = 0; i < n; ++i)
    script.push_back(
        {static_cast<uint16_t>(64 + i), static_cast<uint16_t>(64 + i), 0, 1000.0 * i, static_cast<uint8_t>(i + 1)});
  return script;
}

// Every case runs with the reader in the calling thread and with the reader running ahead
// on a thread of its own: the decoder must see no difference.
class ProcessTraceTest : public ::testing::TestWithParam<bool> {
 protected:
  // A file of 1000 bytes: room for ten scripted frames.
  ProcessTraceTest() : file_(std::vector<uint8_t>(1000, 0xEE), "loop.cap") { info_.path = file_.path(); }

  PassResult Run(std::vector<ScriptFrame> script, const PollCallback& poll = nullptr, PassOptions options = {},
                 bool openOk = true) {
    options.readAhead = GetParam();
    options.readerFactory = [&, script, openOk](AnalyzerKind kind) {
      kindAsked_ = kind;
      return std::make_unique<ScriptedReader>(script, openOk, log_);
    };
    return ProcessTraceFile(info_, decoder_, poll, options);
  }

  TempFile file_;
  TraceInfo info_;
  RecordingDecoder decoder_;
  ReaderLog log_;
  int kindAsked_ = -1;
};

TEST_P(ProcessTraceTest, EveryFrameReachesTheDecoderInOrder) {
  info_.kind = 12;
  PassResult r = Run(Frames(10));
  EXPECT_EQ(kindAsked_, 12);
  ASSERT_EQ(decoder_.frames.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(decoder_.frames[i].frameNumber, i + 1);
    EXPECT_EQ(decoder_.frames[i].length, 64 + i);
    EXPECT_EQ(decoder_.frames[i].data[0], i + 1);
  }
  EXPECT_TRUE(r.fileOpened);
  EXPECT_TRUE(r.readerFound);
  EXPECT_TRUE(r.headerRead);
  EXPECT_FALSE(r.stopped);
  EXPECT_EQ(r.framesRead, 10);
  EXPECT_FALSE(r.slicedFrames);
  EXPECT_EQ(decoder_.begins, 1);
  EXPECT_EQ(decoder_.ends, 1);
  EXPECT_FALSE(decoder_.beginPreScan);
  EXPECT_FALSE(decoder_.endStopped);
  EXPECT_EQ(log_.opens, 1);
  EXPECT_EQ(log_.reads, 1);
}

TEST_P(ProcessTraceTest, EndOfFileEndsThePassQuietly) {
  PassResult r = Run(Frames(14));  // the file holds only ten
  EXPECT_EQ(decoder_.frames.size(), 10u);
  EXPECT_EQ(r.framesRead, 10);
  EXPECT_TRUE(r.endOfFile);
  EXPECT_FALSE(r.stopped);
}

TEST_P(ProcessTraceTest, StopKeepsTheFrameBeingDecoded) {
  std::vector<ReadProgress> polls;
  auto poll = [&](const ReadProgress& p) {
    polls.push_back(p);
    return p.frames == 4;  // Stop pressed while the fourth frame is handled
  };
  PassResult r = Run(Frames(10), poll);
  ASSERT_EQ(decoder_.frames.size(), 4u);
  EXPECT_EQ(decoder_.frames.back().frameNumber, 4);
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.framesRead, 4);
  EXPECT_TRUE(decoder_.endStopped);
  EXPECT_EQ(polls.size(), 4u);
}

TEST_P(ProcessTraceTest, DecoderStopIsNotAUserStop) {
  decoder_.stopAfter = 3;
  PassResult r = Run(Frames(10));
  EXPECT_EQ(decoder_.frames.size(), 3u);
  EXPECT_FALSE(r.stopped);
  EXPECT_FALSE(decoder_.endStopped);
  EXPECT_EQ(r.framesRead, 3);
}

TEST_P(ProcessTraceTest, OneFrameMode) {
  PassOptions options;
  options.oneFrame = true;
  PassResult r = Run(Frames(10), nullptr, options);
  EXPECT_EQ(decoder_.frames.size(), 1u);
  EXPECT_EQ(r.framesRead, 1);
  EXPECT_FALSE(r.stopped);
}

TEST_P(ProcessTraceTest, PreScanStopsAfterTheFirstFrame) {
  PassOptions options;
  options.preScan = true;
  PassResult r = Run(Frames(10), nullptr, options);
  EXPECT_EQ(decoder_.frames.size(), 1u);
  EXPECT_EQ(r.framesRead, 1);
  EXPECT_FALSE(r.stopped);
  EXPECT_TRUE(decoder_.beginPreScan);
  EXPECT_TRUE(decoder_.endPreScan);
}

TEST_P(ProcessTraceTest, PassWithoutFrames) {
  // The reader's open pass fails.
  PassResult failed = Run(Frames(5), nullptr, {}, false);
  EXPECT_TRUE(failed.fileOpened);
  EXPECT_FALSE(failed.headerRead);
  EXPECT_EQ(failed.framesRead, 0);
  EXPECT_EQ(log_.reads, 0);
  EXPECT_EQ(decoder_.ends, 1);

  // A kind without a reader.
  RecordingDecoder decoder;
  PassOptions options;
  options.readerFactory = [](AnalyzerKind) { return std::unique_ptr<TraceReader>(); };
  PassResult none = ProcessTraceFile(info_, decoder, nullptr, options);
  EXPECT_TRUE(none.fileOpened);
  EXPECT_FALSE(none.readerFound);
  EXPECT_EQ(decoder.begins, 1);
  EXPECT_EQ(decoder.ends, 1);

  // A file that has gone: no reader is made.
  info_.path = "/nonexistent/dir/gone.cap";
  int made = 0;
  options.readerFactory = [&made](AnalyzerKind) {
    ++made;
    return std::unique_ptr<TraceReader>();
  };
  RecordingDecoder decoder2;
  PassResult gone = ProcessTraceFile(info_, decoder2, nullptr, options);
  EXPECT_FALSE(gone.fileOpened);
  EXPECT_EQ(made, 0);
  EXPECT_EQ(gone.framesRead, 0);
  EXPECT_EQ(decoder2.ends, 1);
}

TEST_P(ProcessTraceTest, ProgressReportsFramesTimeAndFilePosition) {
  info_.fileSize = 0;  // stale: the pass takes the size again
  decoder_.elapsed = 0;
  std::vector<ReadProgress> polls;
  PassResult r = Run(Frames(10), [&](const ReadProgress& p) {
    polls.push_back(p);
    return false;
  });
  EXPECT_EQ(r.fileSize, 1000u);
  EXPECT_EQ(decoder_.beginFileSize, 1000u);
  ASSERT_EQ(polls.size(), 10u);
  for (size_t i = 0; i < polls.size(); ++i) {
    EXPECT_EQ(polls[i].frames, static_cast<int32_t>(i + 1));
    EXPECT_EQ(polls[i].fileSize, 1000u);
    EXPECT_EQ(polls[i].filePosition, 100 * (i + 1));
  }
  // Elapsed time comes from the decoder, as of the previous frame.
  EXPECT_DOUBLE_EQ(polls[5].elapsedUs, 4000.0);
}

TEST_P(ProcessTraceTest, StartTimeBeforeTheOpenPassIsTheModificationTime) {
  // 2001-02-03 04:05:06 UTC; tests run with TZ=UTC.
  std::filesystem::last_write_time(file_.path(), std::filesystem::file_time_type::clock::from_sys(
                                                     std::chrono::sys_seconds(std::chrono::seconds(981173106))));
  PassResult r = Run(Frames(1));
  DateTimeFields f = DecodeDateTime(log_.startTimeAtOpen);
  EXPECT_EQ(f.year, 2001);
  EXPECT_EQ(f.month, 2);
  EXPECT_EQ(f.day, 3);
  EXPECT_EQ(f.minute, 5);
  EXPECT_EQ(f.second, 6);
  EXPECT_EQ(log_.biasAtOpen, TimeZoneBiasAtUtc(981173106));
  EXPECT_DOUBLE_EQ(log_.startTimeAtOpen, UnixSecondsToStartTime(981173106, log_.biasAtOpen));
  EXPECT_EQ(r.startTime, log_.startTimeAtOpen);
  EXPECT_EQ(log_.frameNumberAtOpen, 0);
}

TEST_P(ProcessTraceTest, SlicedFramesAreFlagged) {
  std::vector<ScriptFrame> script = Frames(3);
  script[1].captured = 40;
  EXPECT_TRUE(Run(script).slicedFrames);
}

TEST_P(ProcessTraceTest, LengthsAreCutToTheBuffer) {
  std::vector<ScriptFrame> script = Frames(2);
  script[0].length = 40000;
  script[0].captured = 65535;
  PassResult r = Run(script);
  ASSERT_EQ(decoder_.frames.size(), 2u);
  EXPECT_EQ(decoder_.frames[0].length, kMaxFrameLength);
  EXPECT_EQ(decoder_.frames[0].capturedLength, kMaxFrameLength);
  EXPECT_FALSE(r.slicedFrames);
}

TEST_P(ProcessTraceTest, NeverWritesTheTraceFile) {
  auto before = std::filesystem::last_write_time(file_.path());
  Run(Frames(10));
  std::ifstream in(file_.path(), std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, std::vector<char>(1000, static_cast<char>(0xEE)));
  EXPECT_EQ(std::filesystem::last_write_time(file_.path()), before);
}

TEST_P(ProcessTraceTest, EachPassStartsFromAClearedContext) {
  PollCallback stopFirst = [](const ReadProgress&) { return true; };
  EXPECT_TRUE(Run(Frames(3), stopFirst).stopped);
  decoder_.frames.clear();
  PassResult again = Run(Frames(3));
  EXPECT_FALSE(again.stopped);
  EXPECT_EQ(again.framesRead, 3);
}

INSTANTIATE_TEST_SUITE_P(Reading, ProcessTraceTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Ahead" : "Direct"; });

// A decoder that can fail while decoding.
class FailingDecoder : public RecordingDecoder {
 public:
  bool DecodeFrame(FrameRecord& f) override {
    if (f.FrameNumber == throwAt) throw std::runtime_error("model full");
    return RecordingDecoder::DecodeFrame(f);
  }
  int32_t throwAt = -1;
};

// A file with room for n scripted frames and the options of a pass over it.
struct LongTrace {
  explicit LongTrace(int n, bool ahead) : frames(n), file(std::vector<uint8_t>(100 * static_cast<size_t>(n), 0x11)) {
    info.path = file.path();
    options.readAhead = ahead;
    options.readerFactory = [this](AnalyzerKind) {
      return std::make_unique<ScriptedReader>(Frames(frames), true, log);
    };
  }
  int frames;
  TempFile file;
  TraceInfo info;
  ReaderLog log;
  PassOptions options;
};

// Many more frames than the queue between the threads holds.
TEST(ProcessTraceReadAhead, LongPassesKeepOrder) {
  const int n = 3000;
  for (bool ahead : {true, false}) {
    LongTrace trace(n, ahead);
    const TraceInfo& info = trace.info;
    const PassOptions& options = trace.options;
    FailingDecoder decoder;
    int polls = 0;
    PassResult r = ProcessTraceFile(
        info, decoder,
        [&](const ReadProgress& p) {
          EXPECT_EQ(p.frames, ++polls);
          EXPECT_EQ(p.filePosition, 100u * static_cast<uint64_t>(polls));
          return false;
        },
        options);
    ASSERT_EQ(decoder.frames.size(), static_cast<size_t>(n));
    EXPECT_EQ(r.framesRead, n);
    EXPECT_EQ(polls, n);
    for (int i = 0; i < n; ++i) {
      ASSERT_EQ(decoder.frames[i].frameNumber, i + 1);
      ASSERT_EQ(decoder.frames[i].length, static_cast<uint16_t>(64 + i));
      ASSERT_EQ(decoder.frames[i].position, 100u * static_cast<uint64_t>(i + 1));
    }
  }
}

// A decoder failing part-way through stops the reader's thread and the failure reaches the
// caller, however far ahead the reader was.
TEST(ProcessTraceReadAhead, DecoderFailureReachesTheCaller) {
  const int n = 2000;
  LongTrace trace(n, true);
  for (int32_t at : {1, 700, n}) {
    FailingDecoder decoder;
    decoder.throwAt = at;
    EXPECT_THROW(ProcessTraceFile(trace.info, decoder, nullptr, trace.options), std::runtime_error) << at;
    EXPECT_EQ(decoder.frames.size(), static_cast<size_t>(at - 1));
  }
}

// A sink working in two stages: whatever its first stage took on the reader's thread is
// finished, stop or not, so both stages cover the same frames in the same order.
class StagedDecoder : public RecordingDecoder {
 public:
  void FirstStage(FrameRecord& f, bool) override {
    staged.push_back(f.FrameNumber);
    f.Prepared.FirstStageDone = true;
  }
  bool HasFirstStage() const override { return true; }
  // The reader's looks come before the frame's first stage.
  void FirstStageLookAhead(const FrameRecord& f, uint32_t distance) const override {
    EXPECT_GT(f.FrameNumber, staged.empty() ? 0 : staged.back());
    (distance == kFirstStageLag ? farLooks : nearLooks).push_back(f.FrameNumber);
  }
  // The frames looked at ahead are the ones DecodeFrame gets that many frames later.
  void LookAhead(const FrameRecord& f, uint32_t distance) const override {
    looks.emplace_back(f.FrameNumber, distance);
  }
  bool DecodeFrame(FrameRecord& f) override {
    EXPECT_TRUE(f.Prepared.FirstStageDone);
    for (const auto& [number, distance] : looks) EXPECT_EQ(number, f.FrameNumber + static_cast<int32_t>(distance));
    looked += looks.size();
    looks.clear();
    return RecordingDecoder::DecodeFrame(f);
  }
  std::vector<int32_t> staged;  // reader's thread until the pass ends, as are the looks
  mutable std::vector<int32_t> farLooks;
  mutable std::vector<int32_t> nearLooks;
  mutable std::vector<std::pair<int32_t, uint32_t>> looks;
  size_t looked = 0;
};

// The same with the reader on the calling thread and the stages run apart there.
TEST(ProcessTraceReadAhead, StagedFramesAreAllFinishedEvenAfterAStop) {
  const int n = 3000;
  for (auto [ahead, stopAt] :
       {std::pair{true, 1}, {true, 500}, {true, n + 1}, {false, 1}, {false, 500}, {false, n + 1}}) {
    LongTrace trace(n, ahead);
    trace.options.stageAhead = !ahead;
    StagedDecoder decoder;
    PassResult r = ProcessTraceFile(
        trace.info, decoder, [&](const ReadProgress& p) { return p.frames == stopAt; }, trace.options);
    ASSERT_EQ(decoder.frames.size(), decoder.staged.size()) << stopAt;
    for (size_t i = 0; i < decoder.frames.size(); ++i)
      ASSERT_EQ(decoder.frames[i].frameNumber, decoder.staged[i]) << stopAt;
    EXPECT_EQ(r.framesRead, static_cast<int32_t>(decoder.frames.size()));
    if (ahead || stopAt > 1) {
      EXPECT_GT(decoder.looked, 0u);
    }
    EXPECT_EQ(r.stopped, stopAt <= n);
    if (stopAt <= n && !ahead) {
      EXPECT_EQ(r.framesRead, stopAt);  // every frame delivered, none more
    } else if (stopAt <= n) {
      EXPECT_GE(r.framesRead, stopAt);
      EXPECT_LE(r.framesRead, stopAt + static_cast<int32_t>(kFramesInFlight));
    } else {
      EXPECT_EQ(r.framesRead, n);
      // Every frame looked at far ahead, in order; near, those still waiting then (a full
      // queue sends all on at once), each once and in order.
      std::vector<int32_t> all(n);
      std::iota(all.begin(), all.end(), 1);
      EXPECT_EQ(decoder.farLooks, all);
      const auto& near = decoder.nearLooks;
      EXPECT_FALSE(near.empty());
      EXPECT_EQ(std::adjacent_find(near.begin(), near.end(), std::greater_equal<>()), near.end());
    }
  }
}

// The built-in NetXRay reader over a trace from the test writer: the decoder sees every
// frame with its number, time, lengths and status.
TEST(ProcessTraceFile, BuiltInReaderDeliversTheWrittenFrames) {
  TracePlan plan;
  plan.kind = 10;
  plan.topology = kEthernet;
  plan.startUnixSeconds = 946728000;  // 12:00:00 UTC
  for (int i = 0; i < 5; ++i) {
    TestFrame f;
    f.bytes = std::vector<uint8_t>(60 + 20 * i, static_cast<uint8_t>(0x10 + i));
    f.offsetUs = 250000.0 * i;
    f.status = i == 3 ? kStatusCrcError : 0;
    plan.frames.push_back(f);
  }
  std::vector<uint8_t> image = WriteTrace(plan);
  if (image.empty()) GTEST_SKIP() << "no NetXRay writer";
  TempFile file(image, "written.cap");
  TraceInfo info;
  info.path = file.path();
  info.kind = 10;
  info.topology = kEthernet;
  RecordingDecoder decoder;
  PassResult r = ProcessTraceFile(info, decoder, nullptr, false);
  ASSERT_EQ(decoder.frames.size(), 5u);
  EXPECT_EQ(r.framesRead, 5);
  EXPECT_FALSE(r.stopped);
  for (int i = 0; i < 5; ++i) {
    const RecordedFrame& s = decoder.frames[i];
    EXPECT_EQ(s.frameNumber, i + 1);
    EXPECT_EQ(s.length, 64 + 20 * i);
    EXPECT_EQ(s.capturedLength, 64 + 20 * i);
    EXPECT_EQ(s.status, i == 3 ? kStatusCrcError : 0);
    EXPECT_NEAR(s.timestamp, 12 * 3600e6 + 250000.0 * i, 1.0);
    EXPECT_EQ(s.data[0], 0x10 + i);
  }
  DateTimeFields start = DecodeDateTime(r.startTime);
  EXPECT_EQ(start.year, 2000);
  EXPECT_EQ(start.hour, 12);
}

}  // namespace
}  // namespace corvanta::testing

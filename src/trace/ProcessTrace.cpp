#include "trace/ProcessTrace.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#include <type_traits>

#ifdef __linux__
#include <pthread.h>
#endif

#include "trace/LargeBlocks.h"
#include "trace/Prefetch.h"
#include "trace/TimeUtil.h"
#include "trace/UsableCpus.h"
#include "trace/readers/ReaderFactories.h"

namespace corvanta {

namespace {

constexpr size_t kScratchSize = 32768;
constexpr size_t kLargeScratchSize = 32869;

// A delivered frame into a queue's slot: its fields and the bytes it uses.
void CopyFrame(const FrameRecord& frame, FrameRecord& to) {
  to.FrameNumber = frame.FrameNumber;
  to.StartTime = frame.StartTime;
  to.Timestamp = frame.Timestamp;
  to.Length = frame.Length;
  to.CapturedLength = frame.CapturedLength;
  to.Status = frame.Status;
  to.Position = frame.Position;
  // The loop has cut both lengths to the record's size.
  std::memcpy(to.Data.data(), frame.Data.data(), std::max(frame.Length, frame.CapturedLength));
  to.Prepared = FramePrepared{};
}

// A ring of kCount frame slots, counted from the first frame queued: the queue between two
// threads and the ring on one thread, which share how frames go through the sink's stages.
// Each slot has room for the largest frame (32 KiB) and most frames use a page of it. The
// slots lie in zeroed pages that are taken only when written, and are not constructed:
// all-zero bytes are a FrameRecord's defaults, and zeroing them again would take every page
// of the ring for nothing.
template <uint32_t kCount>
class FrameRing {
 public:
  static_assert((kCount & (kCount - 1)) == 0, "a power of two: the counters wrap cleanly");
  static_assert(std::is_trivially_copyable_v<FrameRecord> && std::is_trivially_destructible_v<FrameRecord>);

  FrameRing() : slots_(std::launder(static_cast<FrameRecord*>(AllocateZeroedBlock(kBytes)))) {}
  FrameRecord& operator[](uint32_t n) const { return slots_.get()[n % kCount]; }

  // The frames from `staged` up to `written` through the sink's first stage in order, each
  // looked at near ahead first; stage(frame) hands one over.
  template <class Stage>
  void StageUpTo(const FrameSink& sink, uint32_t& staged, uint32_t written, Stage stage) const {
    while (staged != written) {
      if (written - staged > kFirstStageNear)
        sink.FirstStageLookAhead((*this)[staged + kFirstStageNear], kFirstStageNear);
      stage((*this)[staged++]);
    }
  }
  // Before the frame `taken` is decoded, `ready` frames from it on having gone through the
  // first stage: the sink looks ahead at those after it.
  void LookAhead(const FrameSink& sink, uint32_t taken, uint32_t ready) const {
    for (uint32_t distance : {kLookAheadStaged, kLookAheadFar, kLookAheadNear})
      if (ready > distance) sink.LookAhead((*this)[taken + distance], distance);
  }

 private:
  static constexpr size_t kBytes = sizeof(FrameRecord) * kCount;
  struct Free {
    void operator()(FrameRecord* slots) const { FreeZeroedBlock(slots, kBytes); }
  };
  std::unique_ptr<FrameRecord, Free> slots_;
};

// In a pre-scan the decoder counts the first frame and asks to stop, whatever the sink
// itself answers.
class PreScanSink : public FrameSink {
 public:
  explicit PreScanSink(FrameSink& inner) : inner_(inner) {}
  bool DecodeFrame(FrameRecord& frame) override {
    inner_.DecodeFrame(frame);
    return true;
  }
  bool ReadsCheckSequence(const FrameRecord& frame) const override { return inner_.ReadsCheckSequence(frame); }
  double ElapsedTime() const override { return inner_.ElapsedTime(); }

 private:
  FrameSink& inner_;
};

// Carries frames from the reader's thread to the decoder on the calling thread through a
// ring of frame records. The reader's side is a sink: it copies each frame into a free slot.
// Each side publishes its count in batches, and always before it waits, so neither can wait
// for what the other has not yet published. A side with nothing to do sleeps until there is
// a good deal to do (half a ring free for the reader, a quarter of a ring of frames for the
// decoder), so that the threads wake each other seldom; the other side wakes it only then.
// Before sleeping it spins a very little while the other side is awake and there is a CPU
// for each, then yields: spinning on a shared CPU would only keep the other side off it.
class FramePipe final : public FrameSink {
 public:
  FramePipe(FrameSink& decoder, int cpus) : decoder_(decoder), spins_(cpus > 1 ? kSpins : 0) {}

  // Reader's thread: copies the frame into the next slot; true once the decoder has stopped.
  // The sink's first stage takes the frames a batch at a time, with what it will read
  // fetched meanwhile; only frames it took are published.
  bool DecodeFrame(FrameRecord& frame) override {
    if (written_ - tail_.load(std::memory_order_acquire) == kSlots) {
      StageAll();
      Publish(head_, staged_);
      NotifyIf(consumerAsleep_);
      Await(readerAsleep_, consumerAsleep_,
            [&] { return kSlots - (written_ - tail_.load()) >= kReaderWake || stop_.load(); });
    }
    if (stop_.load(std::memory_order_acquire)) return true;
    FrameRecord& to = ring_[written_];
    CopyFrame(frame, to);
    decoder_.FirstStageLookAhead(to, kFirstStageLag);
    // So that copying into the slot a few frames on need not wait for the decoder's CPU.
    PrefetchLinesForWrite(
        &ring_[written_ + kWriteAhead],
        std::min(offsetof(FrameRecord, Data) + std::max(frame.Length, frame.CapturedLength), kWriteAheadBytes));
    if (++written_ - staged_ >= kFirstStageBatch) StageAll();
    if (written_ % kBatch == 0) {
      Publish(head_, staged_);
      // A sleeping decoder published all it took; it is woken for a quarter of a ring.
      if (staged_ - tail_.load() >= kConsumerWake) NotifyIf(consumerAsleep_);
    }
    return false;
  }
  bool ReadsCheckSequence(const FrameRecord& frame) const override { return decoder_.ReadsCheckSequence(frame); }
  // Reader's thread, once its pass is over. After a stop the frames not yet staged are
  // dropped: the decoder finishes only those it was handed.
  void Finish() {
    if (!stop_.load()) StageAll();
    head_.store(staged_);
    finished_.store(true);
    NotifyIf(consumerAsleep_);
  }

  // Calling thread: the next frame, or null once the reader has finished and every frame
  // was taken.
  FrameRecord* Next() {
    if (head_.load(std::memory_order_acquire) == taken_) {
      Publish(tail_, taken_);
      NotifyIf(readerAsleep_);
      Await(consumerAsleep_, readerAsleep_, [&] { return head_.load() - taken_ >= kConsumerWake || finished_.load(); });
      if (head_.load(std::memory_order_acquire) == taken_) return nullptr;
    }
    // The frames come from the reader's cache. Have the record of a frame some places on
    // fetched while this one is decoded: its first line (numbers, lengths, status), as its
    // headers were read on the reader's thread. The sink's far look reads that line.
    const uint32_t ready = head_.load(std::memory_order_relaxed) - taken_;
    if (ready > kLookAheadStaged) PrefetchLine(&ring_[taken_ + kLookAheadStaged]);
    ring_.LookAhead(decoder_, taken_, ready);
    return &ring_[taken_];
  }
  // Calling thread: where the reader stood in the file when it handed over the frame given
  // by Next.
  uint64_t Position() const { return ring_[taken_].Position; }
  // Calling thread: the frame given by Next is decoded; its slot is free again.
  void Release() {
    if (++taken_ % kBatch != 0) return;
    tail_.store(taken_);
    // A sleeping reader published all it wrote; it is woken once half the ring is free.
    if (kSlots - (head_.load() - taken_) >= kReaderWake) NotifyIf(readerAsleep_);
  }
  // Calling thread, as the reader starts: the page (or two) of each slot that a frame of up
  // to kWriteAheadBytes uses is taken now, in the slots' order, keeping ahead of the reader,
  // which would otherwise stop for a page fault on each slot of its first round.
  void PopulateSlots() {
    for (uint32_t i = 0; i < kSlots && !stop_.load(std::memory_order_relaxed); ++i)
      PopulateForWriting(&ring_[i], offsetof(FrameRecord, Data) + kWriteAheadBytes);
  }
  // Calling thread: the reader must stop at its next frame.
  void Stop() {
    stop_.store(true);
    NotifyIf(readerAsleep_);
  }

 private:
  static constexpr uint32_t kSlots = kFramesInFlight;
  // Frames published at a time. Each publication is a full barrier on a line the other side
  // reads, and waits for that line to come back: fewer of them cost less than a fresher count.
  static constexpr uint32_t kBatch = 64;
  static constexpr uint32_t kReaderWake = kSlots / 2;
  static constexpr uint32_t kConsumerWake = kSlots / 4;
  // About a microsecond: a side that is about to publish does so within it.
  static constexpr int kSpins = 64;
  static constexpr int kYields = 4;
  // Of the slot taken for writing ahead: as many bytes as the frame just copied used (the next
  // ones are mostly alike), up to this.
  static constexpr size_t kWriteAheadBytes = 2048;

  static void Publish(std::atomic<uint32_t>& count, uint32_t value) { count.store(value); }
  // The decoder waits on this thread while the frames it has not yet released stay below the
  // quarter of a ring that wakes it; a fuller ring says it has work enough.
  void StageAll() {
    ring_.StageUpTo(decoder_, staged_, written_, [this](FrameRecord& frame) {
      decoder_.FirstStage(frame, written_ - tail_.load(std::memory_order_relaxed) < kConsumerWake);
    });
  }
  void NotifyIf(std::atomic<bool>& asleep) {
    if (!asleep.load()) return;
    std::lock_guard lock(mutex_);
    changed_.notify_all();
  }
  // Waits until `wake` holds: a short spin while the other side is awake and has a CPU of
  // its own, a few yields of this CPU to it, then sleep. The flag is raised before wake is
  // looked at under the lock, and the other side changes its count before it looks at the
  // flag (all sequentially consistent), so no wake is lost.
  template <class Wake>
  void Await(std::atomic<bool>& asleep, const std::atomic<bool>& otherAsleep, Wake wake) {
    for (int i = 0; i < spins_ && !otherAsleep.load(std::memory_order_relaxed); ++i) {
      if (wake()) return;
      CpuRelax();
    }
    for (int i = 0; i < kYields; ++i) {
      if (wake()) return;
      std::this_thread::yield();
    }
    std::unique_lock lock(mutex_);
    asleep.store(true);
    changed_.wait(lock, wake);
    asleep.store(false);
  }
  static void CpuRelax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
  }

  FrameSink& decoder_;
  const int spins_;
  FrameRing<kSlots> ring_;
  // Each side's own counts lie on a cache line of their own: a line written by both for
  // every frame would go back and forth between the CPUs.
  alignas(kCacheLine) uint32_t written_ = 0;   // reader's own count
  uint32_t staged_ = 0;                        // of those, through the first stage
  alignas(kCacheLine) uint32_t taken_ = 0;     // decoder's own count
  alignas(kCacheLine) std::atomic<uint32_t> head_{0};  // frames published by the reader
  alignas(kCacheLine) std::atomic<uint32_t> tail_{0};  // frames published as decoded
  alignas(kCacheLine) std::atomic<bool> finished_{false};
  std::atomic<bool> stop_{false};
  std::atomic<bool> readerAsleep_{false};
  std::atomic<bool> consumerAsleep_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
};

// The sink's two stages on the calling thread: frames are copied into a small ring and go
// through the first stage a batch at a time, as across the pipe, then are decoded but for the
// batch's last kLookAheadStaged, which the sink looks ahead at as it does across the pipe.
class StagedFrames final : public FrameSink {
 public:
  explicit StagedFrames(FrameSink& decoder) : decoder_(decoder) {}

  bool DecodeFrame(FrameRecord& frame) override {
    FrameRecord& to = ring_[written_];
    CopyFrame(frame, to);
    decoder_.FirstStageLookAhead(to, kFirstStageLag);
    if (++written_ - staged_ < kFirstStageBatch) return false;
    // A batch goes through the first stage, then is decoded but for its last frames, which
    // the decoding of the next batch's first frames looks ahead at.
    StageBatch();
    while (staged_ - taken_ > kLookAheadStaged)
      if (DecodeNext()) return true;
    return false;
  }
  bool ReadsCheckSequence(const FrameRecord& frame) const override { return decoder_.ReadsCheckSequence(frame); }
  double ElapsedTime() const override { return decoder_.ElapsedTime(); }
  // Once the reader has finished, stopped or not: every frame still in the ring, so that the
  // pass decodes each frame the reader delivered.
  void Finish() {
    StageBatch();
    while (taken_ != staged_) DecodeNext();
  }

 private:
  static constexpr uint32_t kSlots = 64;  // above the frames between the stages
  static_assert(kFirstStageBatch + kLookAheadStaged < kSlots);

  void StageBatch() {
    ring_.StageUpTo(decoder_, staged_, written_, [this](FrameRecord& frame) { decoder_.FirstStage(frame, false); });
  }
  bool DecodeNext() {
    ring_.LookAhead(decoder_, taken_, staged_ - taken_);
    return decoder_.DecodeFrame(ring_[taken_++]);
  }

  FrameSink& decoder_;
  FrameRing<kSlots> ring_;
  uint32_t written_ = 0, staged_ = 0, taken_ = 0;
};

// The frame pass with the reader on its own thread. Returns the frame number of the last
// frame decoded; stopped is set when poll asked to stop.
int32_t ReadAheadFrames(ReaderContext& ctx, TraceReader& reader, FramePipe& pipe, FrameSink& sink,
                        const PollCallback& poll, uint64_t fileSize, bool& stopped) {
  std::exception_ptr readerFailure;
  int32_t decoded = 0;
  {
    std::jthread thread([&] {
#ifdef __linux__
      pthread_setname_np(pthread_self(), "corvanta-read");
#endif
      try {
        reader.ReadFrames(ctx, false);
      } catch (...) {
        readerFailure = std::current_exception();
      }
      pipe.Finish();
    });
    // Whatever the decoder throws, the reader is stopped and joined first.
    struct StopReader {
      FramePipe& pipe;
      ~StopReader() { pipe.Stop(); }
    } stopReader{pipe};
    pipe.PopulateSlots();
    bool stop = false;
    while (FrameRecord* frame = pipe.Next()) {
      const int32_t number = frame->FrameNumber;
      // After a stop only the frames the sink's first stage took are finished.
      if (stop && !frame->Prepared.FirstStageDone) break;
      if (!stop && poll && poll(ReadProgress{number, pipe.Position(), fileSize, sink.ElapsedTime()}))
        stopped = stop = true;
      if (sink.DecodeFrame(*frame)) stop = true;
      decoded = number;
      pipe.Release();
      if (stop) pipe.Stop();
    }
  }
  if (readerFailure) std::rethrow_exception(readerFailure);
  return decoded;
}

}  // namespace

bool ReaderInit(ReaderContext& ctx) {
  ctx.file.Close();
  ctx.timeZoneBias = 0;
  ctx.stopRequested = ctx.endOfFile = ctx.readError = ctx.decoderStop = false;
  ctx.framesRead = 0;
  ctx.frameCountLimit = 0;
  ctx.progressPosition = 0;
  ctx.detectedTopology = kUnknownTopology;
  ctx.noFrames = false;
  ctx.slicedFrames = false;
  ctx.slicedCount = 0;
  ctx.frameCut = false;
  ctx.endedEarly = false;
  ctx.openRefusal = {};

  FrameRecord& frame = ctx.frame;
  frame.FrameNumber = 0;
  frame.Timestamp = 0;
  frame.Length = frame.CapturedLength = frame.Status = 0;
  frame.Data.fill(0);
  frame.StartTime = 0;
  uint64_t size = 0;
  int64_t mtime = 0;
  if (FileSizeAndTime(ctx.info.path, size, mtime)) {
    ctx.timeZoneBias = TimeZoneBiasAtUtc(mtime);
    frame.StartTime = UnixSecondsToStartTime(static_cast<double>(mtime), ctx.timeZoneBias);
  }

  ctx.scratch1.assign(kScratchSize, 0);
  ctx.scratch2.assign(kScratchSize, 0);
  ctx.scratch3.assign(kLargeScratchSize, 0);
  return ctx.file.Open(ctx.info.path);
}

PassResult OpenReader(const TraceInfo& info, const ReaderFactory& readerFactory) {
  PassResult result;
  TraceInfo passInfo = info;
  auto frame = std::make_unique<FrameRecord>();
  class NoFrames : public FrameSink {
   public:
    bool DecodeFrame(FrameRecord&) override { return true; }
  } none;
  ReaderContext ctx(passInfo, *frame, none);
  result.fileOpened = ReaderInit(ctx);
  if (!result.fileOpened) return result;
  passInfo.fileSize = result.fileSize = ctx.file.Size();
  std::unique_ptr<TraceReader> reader = readerFactory ? readerFactory(info.kind) : CreateReader(info.kind);
  result.readerFound = reader != nullptr;
  if (!reader) return result;
  result.headerRead = reader->Open(ctx);
  result.openRefusal = std::string(ctx.openRefusal);
  result.noFrames = ctx.noFrames;
  return result;
}

PassResult ProcessTraceFile(const TraceInfo& info, FrameSink& sink, const PollCallback& poll, bool preScan) {
  PassOptions options;
  options.preScan = preScan;
  return ProcessTraceFile(info, sink, poll, options);
}

PassResult ProcessTraceFile(const TraceInfo& info, FrameSink& sink, const PollCallback& poll,
                            const PassOptions& options) {
  PassResult result;
  // The pass keeps its own copy: the file size is taken again when the file is opened.
  TraceInfo passInfo = info;
  auto frame = std::make_unique<FrameRecord>();
  PreScanSink preScanSink(sink);
  const bool readAhead = options.readAhead && !options.preScan && !options.oneFrame;
  FrameSink& decoder = options.preScan ? static_cast<FrameSink&>(preScanSink) : sink;
  // Reading ahead, the reader's frames go to the pipe and the decoder takes them from it;
  // poll is then called on this thread, before each frame is decoded.
  std::unique_ptr<FramePipe> pipe;
  const int cpus = readAhead ? UsableCpus() : 1;
  if (readAhead) pipe = std::make_unique<FramePipe>(decoder, cpus);
  std::unique_ptr<StagedFrames> stages;
  if (options.stageAhead && decoder.HasFirstStage() && !readAhead && !options.preScan && !options.oneFrame)
    stages = std::make_unique<StagedFrames>(decoder);
  // Both CPUs are busy most of the pass; the model's pages are faulted in when one is not.
  std::optional<BackgroundPageFaults> pageFaults;
  if (readAhead && cpus > 1) pageFaults.emplace();
  FrameSink& delivered = readAhead ? static_cast<FrameSink&>(*pipe) : stages ? *stages : decoder;
  ReaderContext ctx(passInfo, *frame, delivered);
  if (!readAhead) ctx.poll = poll;
  int32_t decodedFrames = 0;

  result.fileOpened = ReaderInit(ctx);
  ctx.preScan = options.preScan;
  if (result.fileOpened) passInfo.fileSize = ctx.file.Size();
  result.fileSize = passInfo.fileSize;

  sink.BeginPass(passInfo, options.preScan);

  std::unique_ptr<TraceReader> reader;
  if (result.fileOpened) reader = options.readerFactory ? options.readerFactory(info.kind) : CreateReader(info.kind);
  result.readerFound = reader != nullptr;
  if (reader) {
    frame->Status = 0;
    frame->Length = 0;
    result.headerRead = reader->Open(ctx);
    result.openRefusal = std::string(ctx.openRefusal);
    ctx.progressPosition = ctx.file.Position();
    if (result.headerRead && !ctx.noFrames) {
      frame->Status = 0;
      frame->Length = 0;
      if (readAhead) {
        bool stopped = false;
        decodedFrames = ReadAheadFrames(ctx, *reader, *pipe, sink, poll, passInfo.fileSize, stopped);
        // Frames the reader took beyond a stop were never decoded.
        if (stopped || decodedFrames != frame->FrameNumber) ctx.endOfFile = ctx.readError = ctx.endedEarly = false;
        ctx.stopRequested = stopped;
      } else {
        reader->ReadFrames(ctx, options.oneFrame);
        if (stages) stages->Finish();
      }
    }
  }

  ctx.file.Close();
  result.stopped = ctx.stopRequested;
  result.framesRead = readAhead ? decodedFrames : frame->FrameNumber;
  result.slicedFrames = ctx.slicedFrames;
  result.slicedCount = ctx.slicedCount;
  result.endOfFile = ctx.endOfFile;
  result.readError = ctx.readError;
  result.partial = ctx.endedEarly && !result.stopped;
  result.bytesRead = result.partial ? ctx.progressPosition : passInfo.fileSize;
  result.startTime = frame->StartTime;
  result.timeZoneBias = ctx.timeZoneBias;
  result.detectedTopology = ctx.detectedTopology;
  result.noFrames = ctx.noFrames;

  sink.EndPass(options.preScan, result.stopped);
  return result;
}

}  // namespace corvanta

#include "trace/ProcessTrace.h"

#include "trace/TimeUtil.h"
#include "trace/readers/ReaderFactories.h"

namespace corvanta {

namespace {

constexpr size_t kScratchSize = 32768;
constexpr size_t kLargeScratchSize = 32869;

// In a pre-scan the decoder counts the first frame and asks to stop, whatever the sink
// itself answers.
class PreScanSink : public FrameSink {
 public:
  explicit PreScanSink(FrameSink& inner) : inner_(inner) {}
  bool DecodeFrame(FrameRecord& frame) override {
    inner_.DecodeFrame(frame);
    return true;
  }
  double ElapsedTime() const override { return inner_.ElapsedTime(); }

 private:
  FrameSink& inner_;
};

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
  FrameSink& decoder = options.preScan ? static_cast<FrameSink&>(preScanSink) : sink;
  ReaderContext ctx(passInfo, *frame, decoder);
  ctx.poll = poll;

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
    if (result.headerRead && !ctx.noFrames) {
      frame->Status = 0;
      frame->Length = 0;
      reader->ReadFrames(ctx, options.oneFrame);
    }
  }

  ctx.file.Close();
  result.stopped = ctx.stopRequested;
  result.framesRead = frame->FrameNumber;
  result.slicedFrames = ctx.slicedFrames;
  result.endOfFile = ctx.endOfFile;
  result.readError = ctx.readError;
  result.startTime = frame->StartTime;
  result.timeZoneBias = ctx.timeZoneBias;
  result.detectedTopology = ctx.detectedTopology;
  result.noFrames = ctx.noFrames;

  sink.EndPass(options.preScan, result.stopped);
  return result;
}

}  // namespace corvanta

#pragma once
// Runs one reader over a file image and records what reaches the decoder.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "TraceWriter.h"
#include "trace/ReaderContext.h"
#include "trace/readers/ReaderFactories.h"

namespace corvanta::testing {

struct RecordedFrame {
  int32_t frameNumber = 0;
  double timestamp = 0;
  uint16_t length = 0;
  uint16_t capturedLength = 0;
  uint16_t status = 0;
  std::vector<uint8_t> data;  // the first CapturedLength bytes (Length bytes when larger)
  uint64_t position = 0;
};

class RecordingSink : public FrameSink {
 public:
  bool DecodeFrame(FrameRecord& f) override {
    RecordedFrame r{f.FrameNumber, f.Timestamp, f.Length, f.CapturedLength, f.Status, {}, f.Position};
    size_t n = std::max<size_t>(f.CapturedLength, f.Length);
    n = std::min<size_t>(n, f.Data.size());
    r.data.assign(f.Data.begin(), f.Data.begin() + static_cast<std::ptrdiff_t>(n));
    frames.push_back(std::move(r));
    return stopAfter > 0 && static_cast<int>(frames.size()) >= stopAfter;
  }
  // A first stage that only takes the frame, for passes that run the stages apart.
  void FirstStage(FrameRecord& f, bool) override { f.Prepared.FirstStageDone = twoStages; }
  bool HasFirstStage() const override { return twoStages; }
  std::vector<RecordedFrame> frames;
  int stopAfter = 0;  // > 0: ask to stop after this many frames
  bool twoStages = false;
};

struct ReadResult {
  bool opened = false;
  double startTime = 0;
  std::vector<RecordedFrame> frames;
};

// A file in the test's temporary folder, removed when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::vector<uint8_t>& bytes, const std::string& name = "trace.cap") {
    static int counter = 0;
    dir_ = std::filesystem::temp_directory_path() /
           ("corvanta-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir_);
    path_ = (dir_ / name).string();
    SaveFile(path_, bytes);
  }
  ~TempFile() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  const std::string& path() const { return path_; }

 private:
  std::filesystem::path dir_;
  std::string path_;
};

// Opens path with the reader of info.kind and reads every frame (or one).
inline ReadResult RunReader(TraceInfo info, const std::string& path, int stopAfter = 0, bool oneFrame = false) {
  ReadResult result;
  info.path = path;
  auto reader = CreateReader(info.kind);
  if (!reader) return result;
  auto frame = std::make_unique<FrameRecord>();
  RecordingSink sink;
  sink.stopAfter = stopAfter;
  ReaderContext ctx(info, *frame, sink);
  if (!ctx.file.Open(path)) return result;
  info.fileSize = ctx.file.Size();
  frame->FrameNumber = 0;
  result.opened = reader->Open(ctx);
  if (result.opened) reader->ReadFrames(ctx, oneFrame);
  result.startTime = frame->StartTime;
  result.frames = std::move(sink.frames);
  return result;
}

// Writes plan with the format's writer and reads it back.
inline ReadResult WriteAndRead(const TracePlan& plan, const std::string& name = "trace.cap") {
  TempFile file(WriteTrace(plan), name);
  TraceInfo info;
  info.kind = plan.kind;
  info.topology = plan.topology;
  return RunReader(info, file.path());
}

}  // namespace corvanta::testing

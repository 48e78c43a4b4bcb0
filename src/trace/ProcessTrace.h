#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "trace/FrameSink.h"
#include "trace/ReaderContext.h"
#include "trace/TraceInfo.h"

namespace corvanta {

// Makes the reader of an analyzer kind; null when the kind has none.
using ReaderFactory = std::function<std::unique_ptr<TraceReader>(AnalyzerKind)>;

struct PassOptions {
  // Only the first frame is looked at (the header read of kinds that need it); the
  // decoder is asked to stop after it.
  bool preScan = false;
  // The reader stops after the first frame.
  bool oneFrame = false;
  // Empty: the built-in readers.
  ReaderFactory readerFactory;
  // The reader runs on a thread of its own, a few frames ahead of the decoder; the sink and
  // the poll callback are still called on the calling thread only, in frame order, and the
  // pass gives the same result. Ignored in a pre-scan.
  bool readAhead = false;
  // Without reading ahead, the two stages of a sink that has them (FrameSink::HasFirstStage)
  // still run apart on the calling thread, a batch of frames at a time: each stage's code runs
  // over many frames, and decoding looks ahead at the frames after it. Every frame the reader
  // delivers is decoded, some after a stop included. Ignored with readAhead, in a pre-scan
  // and with oneFrame.
  bool stageAhead = false;
};

struct PassResult {
  bool fileOpened = false;   // the trace file could be opened for the pass
  bool readerFound = false;  // the kind has a reader
  bool headerRead = false;   // the reader's open pass succeeded
  bool stopped = false;      // the user asked to stop: the trace is partially read
  int32_t framesRead = 0;    // frames handed to the decoder
  bool slicedFrames = false;
  int32_t slicedCount = 0;  // frames stored shorter than on the wire or cut to the buffer
  bool endOfFile = false;
  bool readError = false;
  // The reader ended the pass at a record it could not read while bytes of the file remained
  // unread: the trace is partially read. What was read is valid.
  bool partial = false;
  uint64_t bytesRead = 0;  // where reading ended: the end of the last frame read (the file
                           // size when the pass was not partial)
  // Open failed: the text after the file name of the refusal, or empty for the general one.
  std::string openRefusal;
  double startTime = 0;      // StartTime of the trace once read
  int64_t timeZoneBias = 0;  // seconds; UTC = local + bias
  uint64_t fileSize = 0;     // TraceFileSize, taken again when the pass opened the file
  // What a pre-scan found.
  Topology detectedTopology = kUnknownTopology;
  bool noFrames = false;
};

// Prepares a context for a pass: clears the reader state, takes the file's modification
// time as the start time with its zone bias, zeroes the frame and opens the trace file
// named by ctx.info.path. False when the file cannot be opened.
bool ReaderInit(ReaderContext& ctx);

// The reader's open pass alone, to learn whether the trace can be read at all: fileOpened,
// readerFound, headerRead and openRefusal are set. Only reads the trace file.
PassResult OpenReader(const TraceInfo& info, const ReaderFactory& readerFactory = {});

// One whole reading pass over an accepted trace: every frame goes to sink.DecodeFrame, with
// poll called before each (its true answer stops the pass after that frame). Only reads the
// trace file.
PassResult ProcessTraceFile(const TraceInfo& info, FrameSink& sink, const PollCallback& poll, bool preScan);
PassResult ProcessTraceFile(const TraceInfo& info, FrameSink& sink, const PollCallback& poll,
                            const PassOptions& options);

}  // namespace corvanta

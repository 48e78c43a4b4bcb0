#pragma once
// Steps every reader shares: the file header, stored frame bytes, the frame tail, the
// delivery loop and capture start times.
#include <cstddef>
#include <cstdint>

#include "trace/ReaderContext.h"

namespace corvanta {

// Starts an open pass: FrameNumber 0 and the file header read from offset 0. False when
// the file is too short for it.
bool ReadFileHeader(ReaderContext& ctx, uint8_t* header, size_t size);

// Reads count stored frame bytes into Data and leaves the file after them. Of a frame longer
// than the frame buffer the first 32768 bytes are kept and the rest passed over (frameCut).
// False ends the pass: the file is too short for the frame.
bool ReadStoredFrame(ReaderContext& ctx, uint64_t count);

// Of a body of count bytes, reads what fits into the first `room` bytes of dst and passes
// over the rest, so that the next record follows. False ends the pass: the file is too short.
bool ReadBodyKeeping(ReaderContext& ctx, uint8_t* dst, uint64_t count, size_t room);

// The Ethernet check sequence, unless the frame was cut to the buffer (its end is not here);
// zero where the sink never reads it.
void SynthesizeFcsUnlessCut(ReaderContext& ctx);

// Zeroes Data[from, to), to capped at the buffer, so bytes the file did not hold are defined.
void ClearFrameTail(FrameRecord& frame, size_t from, size_t to);

// Reads count bytes at the current position, or passes over them when dst is null. False
// ends the pass: the file is too short.
bool ReadOrEnd(ReaderContext& ctx, void* dst, size_t count);

// Ends the pass at a record that cannot be read or stepped over; always false.
bool RejectRecord(ReaderContext& ctx);

// Ends the pass at the end of the data (endOfFile); when bytes of the file remain unread the
// record there could not be read, and the pass is partial. Always false.
bool EndOfData(ReaderContext& ctx);

// Delivers the frames readFrame() fills until it returns false or the pass must stop.
template <typename ReadFrame>
void DeliverFrames(ReaderContext& ctx, bool oneFrame, ReadFrame readFrame) {
  while (readFrame() && !ctx.Deliver() && !oneFrame) {
  }
  ctx.framesRead = ctx.frame.FrameNumber;
}

// StartTime and TimeZoneBias of a capture start given in seconds since 1970-01-01 UTC.
void StartAtUnixSeconds(ReaderContext& ctx, uint32_t seconds);

// The local second of the day of a time in seconds since 1970-01-01 UTC.
int64_t LocalSecondOfDay(int64_t unixSeconds, int64_t timeZoneBias);

}  // namespace corvanta

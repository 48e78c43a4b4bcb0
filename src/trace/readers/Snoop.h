#pragma once
// Steps shared by the readers of snoop, LANalyzer, LANWatch, WWG, TTC, HP, IBM and Digitech
// traces (the file header, stored frame bytes and the frame tail: trace/readers/Sniffer.h).
#include <cstddef>
#include <cstdint>

#include "trace/ReaderContext.h"

namespace corvanta {

// Reads count bytes at the current position, or passes over them when dst is null. False
// ends the pass: the file is too short.
bool ReadOrEnd(ReaderContext& ctx, void* dst, size_t count);

// Ends the pass at a record that cannot be read or stepped over; always false.
bool RejectRecord(ReaderContext& ctx);

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

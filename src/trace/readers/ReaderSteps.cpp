#include "trace/readers/ReaderSteps.h"

#include <algorithm>
#include <cstring>

#include "trace/Fcs.h"
#include "trace/TimeUtil.h"

namespace corvanta {

bool ReadFileHeader(ReaderContext& ctx, uint8_t* header, size_t size) {
  ctx.frame.FrameNumber = 0;
  return ctx.file.ReadAt(0, header, size);
}

bool ReadStoredFrame(ReaderContext& ctx, uint64_t count) {
  if (count > kMaxFrameLength) ctx.frameCut = true;
  return ReadBodyKeeping(ctx, ctx.frame.Data.data(), count, kMaxFrameLength);
}

bool ReadBodyKeeping(ReaderContext& ctx, uint8_t* dst, uint64_t count, size_t room) {
  const uint64_t kept = std::min<uint64_t>(count, room);
  // The whole body must be in the file, the part passed over too.
  if (count > ctx.file.Size() - std::min(ctx.file.Position(), ctx.file.Size())) return EndOfData(ctx);
  return ctx.file.Read(dst, static_cast<size_t>(kept)) && ctx.file.Skip(count - kept) ? true : EndOfData(ctx);
}

void SynthesizeFcsUnlessCut(ReaderContext& ctx) {
  if (ctx.frameCut) return;
  FrameRecord& f = ctx.frame;
  if (ctx.sink.ReadsCheckSequence(f))
    SynthesizeFcs(f);
  else if (f.Length >= 4 && f.Length <= kMaxFrameLength)
    std::memset(f.Data.data() + f.Length - 4, 0, 4);
}

void ClearFrameTail(FrameRecord& frame, size_t from, size_t to) {
  to = std::min<size_t>(to, kMaxFrameLength);
  if (from < to)
    std::fill(frame.Data.begin() + static_cast<std::ptrdiff_t>(from),
              frame.Data.begin() + static_cast<std::ptrdiff_t>(to), 0);
}

bool ReadOrEnd(ReaderContext& ctx, void* dst, size_t count) {
  if (dst ? ctx.file.Read(dst, count) : ctx.file.Skip(count)) return true;
  return EndOfData(ctx);
}

bool RejectRecord(ReaderContext& ctx) {
  ctx.readError = true;
  ctx.endedEarly = true;
  return false;
}

bool EndOfData(ReaderContext& ctx) {
  ctx.endOfFile = true;
  if (ctx.file.Position() < ctx.file.Size()) ctx.endedEarly = true;
  return false;
}

void StartAtUnixSeconds(ReaderContext& ctx, uint32_t seconds) {
  ctx.timeZoneBias = TimeZoneBiasAtUtc(seconds);
  ctx.frame.StartTime = UnixSecondsToStartTime(seconds, ctx.timeZoneBias);
}

int64_t LocalSecondOfDay(int64_t unixSeconds, int64_t timeZoneBias) {
  const int64_t local = unixSeconds - timeZoneBias;
  return (local % 86400 + 86400) % 86400;
}

}  // namespace corvanta

#include "trace/readers/ReaderSteps.h"

#include <algorithm>

#include "trace/TimeUtil.h"

namespace corvanta {

bool ReadFileHeader(ReaderContext& ctx, uint8_t* header, size_t size) {
  ctx.frame.FrameNumber = 0;
  return ctx.file.ReadAt(0, header, size);
}

bool ReadStoredFrame(ReaderContext& ctx, uint64_t count) {
  if (count > kMaxFrameLength) {
    ctx.readError = true;
    return false;
  }
  if (!ctx.file.Read(ctx.frame.Data.data(), static_cast<size_t>(count))) {
    ctx.endOfFile = true;
    return false;
  }
  return true;
}

void ClearFrameTail(FrameRecord& frame, size_t from, size_t to) {
  to = std::min<size_t>(to, kMaxFrameLength);
  if (from < to)
    std::fill(frame.Data.begin() + static_cast<std::ptrdiff_t>(from),
              frame.Data.begin() + static_cast<std::ptrdiff_t>(to), 0);
}

bool ReadOrEnd(ReaderContext& ctx, void* dst, size_t count) {
  if (dst ? ctx.file.Read(dst, count) : ctx.file.Skip(count)) return true;
  ctx.endOfFile = true;
  return false;
}

bool RejectRecord(ReaderContext& ctx) {
  ctx.readError = true;
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

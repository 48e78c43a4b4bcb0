#include "trace/Fcs.h"

#include <zlib.h>

namespace corvanta {

void SynthesizeFcs(FrameRecord& frame) {
  // A length beyond the buffer has no place for the check sequence.
  if (frame.Length < 4 || frame.Length > kMaxFrameLength) return;
  size_t covered = frame.Length - 4u;
  uint32_t crc = 0;
  if (!(frame.Status & kStatusCrcError) && covered >= 60 && covered < kMaxFrameLength)
    crc = static_cast<uint32_t>(::crc32(0L, frame.Data.data(), static_cast<uInt>(covered)));
  frame.Data[covered] = static_cast<uint8_t>(crc);
  frame.Data[covered + 1] = static_cast<uint8_t>(crc >> 8);
  frame.Data[covered + 2] = static_cast<uint8_t>(crc >> 16);
  frame.Data[covered + 3] = static_cast<uint8_t>(crc >> 24);
}

}  // namespace corvanta

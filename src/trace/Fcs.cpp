#include "trace/Fcs.h"

#include "trace/Crc32.h"

namespace corvanta {

void SynthesizeFcs(FrameRecord& frame) { SynthesizeFcs(frame, 0, 0); }

void SynthesizeFcs(FrameRecord& frame, uint32_t known, size_t knownLength) {
  // A length beyond the buffer has no place for the check sequence.
  if (frame.Length < 4 || frame.Length > kMaxFrameLength) return;
  size_t covered = frame.Length - 4u;
  uint32_t crc = 0;
  if (!(frame.Status & kStatusCrcError) && covered >= 60 && covered < kMaxFrameLength) {
    if (knownLength > covered) {
      known = 0;
      knownLength = 0;
    }
    // The CRC-32 continues from the CRC of a prefix.
    crc = Crc32(known, frame.Data.data() + knownLength, covered - knownLength);
  }
  frame.Data[covered] = static_cast<uint8_t>(crc);
  frame.Data[covered + 1] = static_cast<uint8_t>(crc >> 8);
  frame.Data[covered + 2] = static_cast<uint8_t>(crc >> 16);
  frame.Data[covered + 3] = static_cast<uint8_t>(crc >> 24);
}

}  // namespace corvanta

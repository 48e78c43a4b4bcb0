#pragma once
#include <cstddef>
#include <cstdint>

#include "trace/FrameRecord.h"

namespace corvanta {

// Writes the 4-byte IEEE 802.3 check sequence at Data[Length-4], least significant byte
// first, over Data[0 .. Length-4). Zero for frames with the CRC-error bit, and when the
// covered length is below 60 or 32768 and above.
void SynthesizeFcs(FrameRecord& frame);
// The same, given known, the zlib CRC-32 of Data[0 .. knownLength) that the reader already
// computed: only the rest of the covered bytes goes through the CRC. A knownLength beyond
// the covered bytes is of no use, and the whole CRC is computed.
void SynthesizeFcs(FrameRecord& frame, uint32_t known, size_t knownLength);

}  // namespace corvanta

#pragma once
#include "trace/FrameRecord.h"

namespace corvanta {

// Writes the 4-byte IEEE 802.3 check sequence at Data[Length-4], least significant byte
// first, over Data[0 .. Length-4). Zero for frames with the CRC-error bit, and when the
// covered length is below 60 or 32768 and above.
void SynthesizeFcs(FrameRecord& frame);

}  // namespace corvanta

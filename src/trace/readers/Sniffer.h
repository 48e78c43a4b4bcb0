#pragma once
// Frame steps shared by the readers of the Sniffer family, NetMon, EtherPeek and Observer.
#include <cstddef>
#include <cstdint>

#include "trace/ReaderContext.h"

namespace corvanta {

// Starts an open pass: FrameNumber 0 and the file header read from offset 0. False when
// the file is too short for it.
bool ReadFileHeader(ReaderContext& ctx, uint8_t* header, size_t size);

// Reads count stored frame bytes into Data. False ends the pass: a count beyond the frame
// buffer sets readError, a file too short for it endOfFile.
bool ReadStoredFrame(ReaderContext& ctx, uint64_t count);

// Zeroes Data[from, to), to capped at the buffer, so bytes the file did not hold are defined.
void ClearFrameTail(FrameRecord& frame, size_t from, size_t to);

}  // namespace corvanta

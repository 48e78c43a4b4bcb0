#pragma once
#include <array>
#include <cstdint>

namespace corvanta {

inline constexpr uint16_t kMaxFrameLength = 32768;
inline constexpr uint16_t kStatusCrcError = 0x8000;
inline constexpr uint16_t kStatusAlignmentError = 0x4000;

// What a sink did with a frame on the reader's thread (see FrameSink::FirstStage); nothing
// is set when the frame was handed over directly.
struct FramePrepared {
  bool FirstStageDone = false;  // the sink's FirstStage took the frame
};

// The one record through which readers hand frames to the decoder; reused for every frame.
struct FrameRecord {
  int32_t FrameNumber = 0;      // frames handed over so far; n while the n-th is decoded
  double StartTime = 0;         // days since 1899-12-30, local time, of the first frame
  double Timestamp = 0;         // microseconds; first frame: since local midnight
  uint16_t Length = 0;          // on the wire, Ethernet including the 4-byte check sequence
  uint16_t CapturedLength = 0;  // bytes actually stored in the file
  uint16_t Status = 0;          // kStatusCrcError | kStatusAlignmentError
  FramePrepared Prepared;
  uint64_t Position = 0;  // bytes of the file read up to the end of this frame
  std::array<uint8_t, kMaxFrameLength> Data{};
};

}  // namespace corvanta

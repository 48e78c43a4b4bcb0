#pragma once
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace corvanta {

// A trace file opened read-only, with buffered sequential reads and positioned reads.
// Never writes.
class TraceFile {
 public:
  TraceFile() = default;
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  uint64_t Size() const { return size_; }
  uint64_t Position() const { return pos_; }
  bool AtEnd() const { return pos_ >= size_; }

  // Reads exactly count bytes at the current position; false (and nothing advanced past
  // the end) when fewer are left. Inline for what the buffer holds: readers take every
  // record header and frame through it.
  bool Read(void* dst, size_t count) {
    const uint64_t at = pos_ - bufStart_;
    if (count > 0 && pos_ >= bufStart_ && at <= bufLen_ && count <= bufLen_ - at) {
      std::memcpy(dst, buf_.data() + at, count);
      pos_ += count;
      return true;
    }
    return ReadPastBuffer(dst, count);
  }
  // Reads up to count bytes; returns how many were read.
  size_t ReadSome(void* dst, size_t count);
  bool Skip(uint64_t count) { return Seek(pos_ + count); }
  // Moves to an absolute offset; offsets beyond the end are refused.
  bool Seek(uint64_t offset);
  bool ReadAt(uint64_t offset, void* dst, size_t count) { return Seek(offset) && Read(dst, count); }

 private:
  bool Fill();
  bool ReadPastBuffer(void* dst, size_t count);
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
  uint64_t pos_ = 0;       // logical position
  uint64_t bufStart_ = 0;  // file offset of buf_[0]
  size_t bufLen_ = 0;
  std::vector<uint8_t> buf_;
};

// Size and modification time (Unix seconds) of a file; false when it cannot be examined.
bool FileSizeAndTime(const std::string& path, uint64_t& size, int64_t& mtimeUnix);

}  // namespace corvanta

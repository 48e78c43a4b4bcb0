#include "trace/TraceFile.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace corvanta {

namespace {
constexpr size_t kBufferSize = 1 << 18;
}

TraceFile::~TraceFile() { Close(); }

bool TraceFile::Open(const std::string& path) {
  Close();
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    Close();
    return false;
  }
  long end = std::ftell(file_);
  if (end < 0 || std::fseek(file_, 0, SEEK_SET) != 0) {
    Close();
    return false;
  }
  size_ = static_cast<uint64_t>(end);
  pos_ = bufStart_ = 0;
  bufLen_ = 0;
  // Small files get a small buffer: tests and the header read open many of them.
  buf_.resize(static_cast<size_t>(std::min<uint64_t>(size_, kBufferSize)));
  return true;
}

void TraceFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  size_ = pos_ = bufStart_ = 0;
  bufLen_ = 0;
}

bool TraceFile::Seek(uint64_t offset) {
  if (!file_ || offset > size_) return false;
  pos_ = offset;
  return true;
}

bool TraceFile::Fill() {
  if (std::fseek(file_, static_cast<long>(pos_), SEEK_SET) != 0) return false;
  bufStart_ = pos_;
  bufLen_ = std::fread(buf_.data(), 1, buf_.size(), file_);
  return bufLen_ > 0;
}

size_t TraceFile::ReadSome(void* dst, size_t count) {
  if (!file_) return 0;
  auto* out = static_cast<uint8_t*>(dst);
  size_t done = 0;
  while (done < count && pos_ < size_) {
    if (pos_ < bufStart_ || pos_ >= bufStart_ + bufLen_) {
      if (!Fill()) break;
    }
    size_t at = static_cast<size_t>(pos_ - bufStart_);
    size_t n = std::min(count - done, bufLen_ - at);
    std::memcpy(out + done, buf_.data() + at, n);
    done += n;
    pos_ += n;
  }
  return done;
}

bool TraceFile::ReadPastBuffer(void* dst, size_t count) {
  if (!file_ || count > size_ - std::min(pos_, size_)) return false;
  return ReadSome(dst, count) == count;
}

bool FileSizeAndTime(const std::string& path, uint64_t& size, int64_t& mtimeUnix) {
  std::error_code ec;
  auto st = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(st)) return false;
  size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  auto t = std::filesystem::last_write_time(path, ec);
  if (ec) return false;
  auto sys = std::chrono::file_clock::to_sys(t);
  mtimeUnix = std::chrono::duration_cast<std::chrono::seconds>(sys.time_since_epoch()).count();
  return true;
}

}  // namespace corvanta

#include "trace/readers/SnifferDecompress.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace corvanta {

namespace {

bool Fill(std::vector<uint8_t>& window, size_t count, uint8_t value) {
  if (count > kSnifferWindowSize - window.size()) return false;
  window.insert(window.end(), count, value);
  return true;
}

// Copies count bytes from distance bytes back. The source range is taken as a whole, as it
// was before the copy: where it reaches past the old end of the window the copy is of the
// window's zero-filled unwritten part, not a repetition of the bytes just written.
bool CopyBack(std::vector<uint8_t>& window, size_t distance, size_t count) {
  size_t end = window.size();
  if (distance > end || count > kSnifferWindowSize - end) return false;
  window.resize(end + count);
  std::memmove(window.data() + end, window.data() + end - distance, count);
  return true;
}

}  // namespace

bool ExpandSnifferBlock(ByteView payload, std::vector<uint8_t>& window) {
  window.clear();
  const size_t size = payload.size();
  size_t in = 0;
  bool ok = true;
  while (ok && in < size) {
    if (!payload.Has(in, 2)) {
      ok = false;
      break;
    }
    const uint16_t control = payload.U16le(in);
    in += 2;
    for (uint16_t bit = 0x8000; ok && bit != 0 && in < size; bit >>= 1) {
      if (!(control & bit)) {
        ok = Fill(window, 1, payload.U8(in++));
        continue;
      }
      if (!payload.Has(in, 2)) {
        ok = false;
        break;
      }
      const unsigned c = payload.U8(in);
      const unsigned n = payload.U8(in + 1);
      in += 2;
      const size_t distance = (c & 15) + 16 * n + 3;
      if (c < 16) {
        ok = Fill(window, c + 3, static_cast<uint8_t>(n));
      } else if (c < 48) {
        // Both long forms carry a third byte: the repeated value or the copy length.
        if (!payload.Has(in, 1)) {
          ok = false;
          break;
        }
        const uint8_t extra = payload.U8(in++);
        ok = c < 32 ? Fill(window, (c & 15) + 16 * n + 19, extra) : CopyBack(window, distance, extra + 16u);
      } else {
        ok = CopyBack(window, distance, c >> 4);
      }
    }
  }
  if (!ok) window.clear();
  return ok;
}

SnifferDecompressor::SnifferDecompressor(Source source, uint64_t inputPosition)
    : source_(std::move(source)), inputPos_(inputPosition), chunk_(kSnifferInputChunk) {
  window_.reserve(kSnifferWindowSize);
}

bool SnifferDecompressor::TakeInput(uint8_t* dst, size_t count) {
  while (count > 0) {
    if (chunkAt_ == chunkLen_) {
      if (dry_) return false;
      chunkAt_ = 0;
      chunkLen_ = source_(chunk_.data(), chunk_.size());
      if (chunkLen_ == 0) {
        dry_ = true;
        return false;
      }
    }
    size_t n = std::min(count, chunkLen_ - chunkAt_);
    std::memcpy(dst, chunk_.data() + chunkAt_, n);
    chunkAt_ += n;
    inputPos_ += n;
    dst += n;
    count -= n;
  }
  return true;
}

bool SnifferDecompressor::NextBlock() {
  uint8_t header[2];
  if (!TakeInput(header, 2)) return false;
  const uint16_t h = static_cast<uint16_t>(header[0] | header[1] << 8);
  block_.resize(h & 0x7FFF);
  if (!TakeInput(block_.data(), block_.size())) return false;
  windowAt_ = 0;
  if (h & 0x8000) {
    window_.assign(block_.begin(), block_.end());
  } else {
    ExpandSnifferBlock(ByteView(block_.data(), block_.size()), window_);
  }
  return true;
}

bool SnifferDecompressor::Read(void* dst, size_t count) {
  auto* out = static_cast<uint8_t*>(dst);
  while (count > 0) {
    if (windowAt_ == window_.size()) {
      // Empty and corrupt blocks give nothing; each still consumes input, so this ends.
      if (!NextBlock()) return false;
      continue;
    }
    size_t n = std::min(count, window_.size() - windowAt_);
    if (out) {
      std::memcpy(out, window_.data() + windowAt_, n);
      out += n;
    }
    windowAt_ += n;
    count -= n;
  }
  return true;
}

}  // namespace corvanta

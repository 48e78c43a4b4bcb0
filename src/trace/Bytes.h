#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace corvanta {

// Bounded reads over a byte range: a field past the end reads as zero, never out of bounds.
class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  bool Has(size_t offset, size_t count) const { return offset <= size_ && count <= size_ - offset; }

  uint8_t U8(size_t off) const { return off < size_ ? data_[off] : 0; }
  // Fields wholly inside the range are read in one go; the byte-wise reads handle the edge.
  uint16_t U16le(size_t off) const {
    if (Has(off, 2)) return static_cast<uint16_t>(data_[off] | data_[off + 1] << 8);
    return static_cast<uint16_t>(U8(off) | U8(off + 1) << 8);
  }
  uint16_t U16be(size_t off) const {
    if (Has(off, 2)) return static_cast<uint16_t>(data_[off] << 8 | data_[off + 1]);
    return static_cast<uint16_t>(U8(off) << 8 | U8(off + 1));
  }
  uint32_t U32le(size_t off) const {
    if (Has(off, 4)) {
      const uint8_t* p = data_ + off;
      return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
             static_cast<uint32_t>(p[3]) << 24;
    }
    return static_cast<uint32_t>(U16le(off)) | static_cast<uint32_t>(U16le(off + 2)) << 16;
  }
  uint32_t U32be(size_t off) const {
    if (Has(off, 4)) {
      const uint8_t* p = data_ + off;
      return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 |
             static_cast<uint32_t>(p[3]);
    }
    return static_cast<uint32_t>(U16be(off)) << 16 | U16be(off + 2);
  }
  uint64_t U64le(size_t off) const { return static_cast<uint64_t>(U32le(off)) | static_cast<uint64_t>(U32le(off + 4)) << 32; }
  uint64_t U64be(size_t off) const { return static_cast<uint64_t>(U32be(off)) << 32 | U32be(off + 4); }

  // Copies up to count bytes from offset; the rest of dst is zero-filled.
  void Copy(size_t off, void* dst, size_t count) const {
    if (Has(off, count)) {
      std::memcpy(dst, data_ + off, count);
      return;
    }
    size_t avail = off < size_ ? size_ - off : 0;
    size_t n = count < avail ? count : avail;
    if (n) std::memcpy(dst, data_ + off, n);
    if (n < count) std::memset(static_cast<uint8_t*>(dst) + n, 0, count - n);
  }
  // True when the bytes at offset equal text (false when they run past the end).
  bool Matches(size_t off, std::string_view text) const {
    return Has(off, text.size()) && std::memcmp(data_ + off, text.data(), text.size()) == 0;
  }
  // True when text occurs anywhere in the range.
  bool Contains(std::string_view text) const {
    if (text.empty() || text.size() > size_) return text.empty();
    for (size_t i = 0; i + text.size() <= size_; ++i)
      if (std::memcmp(data_ + i, text.data(), text.size()) == 0) return true;
    return false;
  }
  ByteView Sub(size_t off, size_t count) const {
    if (off >= size_) return {};
    size_t n = count < size_ - off ? count : size_ - off;
    return ByteView(data_ + off, n);
  }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace corvanta

#pragma once
// Block decompression of compressed Sniffer DOS files: the frame records after the header
// records are stored as blocks that expand to the uncompressed record stream.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "trace/Bytes.h"

namespace corvanta {

// The most one compressed block may expand to. A block that would grow beyond it is corrupt.
inline constexpr size_t kSnifferWindowSize = 65536;
// Compressed input is fetched from the file in chunks of this size.
inline constexpr size_t kSnifferInputChunk = 8192;

// Expands the payload of one compressed block (the bytes after its 16-bit header) into
// window, which starts empty. False, with window empty, when an item copies from before
// the start of the window, runs past the end of the payload, or grows the window beyond
// kSnifferWindowSize: a corrupt block gives no output.
bool ExpandSnifferBlock(ByteView payload, std::vector<uint8_t>& window);

// Serves the expanded record stream from the blocks of a compressed file, in order.
class SnifferDecompressor {
 public:
  // Fetches up to count compressed bytes into dst; returns how many (0 once the input is dry).
  using Source = std::function<size_t(uint8_t* dst, size_t count)>;

  // inputPosition: file offset of the first compressed byte the source will deliver.
  SnifferDecompressor(Source source, uint64_t inputPosition);

  // Copies the next count bytes of the expanded stream to dst (discards them when dst is
  // null); false when the input runs dry first.
  bool Read(void* dst, size_t count);
  // File offset just past the last compressed byte consumed.
  uint64_t InputPosition() const { return inputPos_; }

 private:
  bool NextBlock();
  bool TakeInput(uint8_t* dst, size_t count);

  Source source_;
  uint64_t inputPos_;
  std::vector<uint8_t> chunk_;
  size_t chunkAt_ = 0;
  size_t chunkLen_ = 0;
  bool dry_ = false;
  std::vector<uint8_t> block_;
  std::vector<uint8_t> window_;
  size_t windowAt_ = 0;
};

}  // namespace corvanta

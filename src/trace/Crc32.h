#pragma once
#include <cstddef>
#include <cstdint>

namespace corvanta {

// The IEEE 802.3 CRC-32 exactly as zlib's crc32 computes it (crc continues a previous
// result; 0 starts afresh). Every Ethernet frame gets its check sequence from it, so on
// processors with carry-less multiplication the bytes are folded 16, 64 or (with 512-bit
// registers) 256 at a time.
uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t count);

// zlib's own computation, for comparison.
uint32_t Crc32Reference(uint32_t crc, const uint8_t* data, size_t count);

}  // namespace corvanta

#pragma once
// The one's-complement checksum of IP, ICMP, TCP and UDP. Runs on every IP packet, so it
// sums eight bytes at a time.
#include <cstddef>
#include <cstdint>

namespace corvanta {

// initial plus the bytes taken as big-endian 16-bit words (an odd last byte is the high byte
// of a word), folded to 16 bits with end-around carry. Sums of pieces chain through initial
// as long as every piece but the last has an even size.
uint16_t OnesComplementSum(const uint8_t* data, size_t size, uint32_t initial = 0);

// The checksum a sender stores: the complement of that sum.
inline uint16_t InternetChecksum(const uint8_t* data, size_t size, uint32_t initial = 0) {
  return static_cast<uint16_t>(~OnesComplementSum(data, size, initial));
}

// 0 and 0xFFFF are the two zeros of one's complement: a sender may store either.
constexpr bool ChecksumsAgree(uint16_t computed, uint16_t stored) {
  return computed == stored || ((computed == 0 || computed == 0xFFFF) && (stored == 0 || stored == 0xFFFF));
}

}  // namespace corvanta

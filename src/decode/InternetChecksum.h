#pragma once
// The one's-complement checksum of IP, ICMP, TCP and UDP. Runs on every IP packet, so it
// sums many bytes at a time.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace corvanta {

// initial plus the bytes taken as big-endian 16-bit words (an odd last byte is the high byte
// of a word), folded to 16 bits with end-around carry. Sums of pieces chain through initial
// as long as every piece but the last has an even size.
uint16_t OnesComplementSum(const uint8_t* data, size_t size, uint32_t initial = 0);

// A sum of 16-bit words taken in the machine's order, folded with end-around carry (zero only
// for a zero sum) and put in big-endian order, as OnesComplementSum answers.
inline uint16_t FoldedMachineSum(uint64_t sum) {
  sum = (sum & 0xFFFFFFFFu) + (sum >> 32);
  sum = (sum & 0xFFFFFFFFu) + (sum >> 32);
  sum = (sum & 0xFFFFu) + (sum >> 16);
  sum = (sum & 0xFFFFu) + (sum >> 16);
  const auto folded = static_cast<uint16_t>(sum);
  if constexpr (std::endian::native == std::endian::little) return static_cast<uint16_t>(folded << 8 | folded >> 8);
  return folded;
}

// The 32-bit words of data added in the machine's order.
inline uint64_t MachineWordSum(const uint8_t* data, size_t words) {
  uint64_t sum = 0;
  for (size_t k = 0; k < words; ++k) {
    uint32_t word;
    std::memcpy(&word, data + 4 * k, 4);
    sum += word;
  }
  return sum;
}

// OnesComplementSum with no initial sum, in place: for the short pieces of headers every
// packet has, where a call and its folding would cost more than the adding.
inline uint16_t ShortOnesComplementSum(const uint8_t* data, size_t size) {
  uint64_t sum = MachineWordSum(data, size / 4);
  if ((size & 2) != 0) {
    uint16_t half;
    std::memcpy(&half, data + (size & ~size_t{3}), 2);
    sum += half;
  }
  if ((size & 1) != 0) {  // an odd last byte is the high byte of its word
    const uint8_t last = data[size - 1];
    sum += std::endian::native == std::endian::little ? last : uint32_t{last} << 8;
  }
  return FoldedMachineSum(sum);
}

// The checksum a sender stores: the complement of that sum.
inline uint16_t InternetChecksum(const uint8_t* data, size_t size, uint32_t initial = 0) {
  return static_cast<uint16_t>(~OnesComplementSum(data, size, initial));
}

// 0 and 0xFFFF are the two zeros of one's complement: a sender may store either.
constexpr bool ChecksumsAgree(uint16_t computed, uint16_t stored) {
  return computed == stored || ((computed == 0 || computed == 0xFFFF) && (stored == 0 || stored == 0xFFFF));
}

}  // namespace corvanta

#include "decode/InternetChecksum.h"

#include <bit>
#include <cstring>

namespace corvanta {

namespace {

uint32_t Fold32(uint64_t sum) {
  sum = (sum & 0xFFFFFFFFu) + (sum >> 32);
  sum = (sum & 0xFFFFFFFFu) + (sum >> 32);
  return static_cast<uint32_t>(sum);
}

uint16_t Fold16(uint32_t sum) {
  sum = (sum & 0xFFFFu) + (sum >> 16);
  sum = (sum & 0xFFFFu) + (sum >> 16);
  return static_cast<uint16_t>(sum);
}

}  // namespace

// The one's-complement sum does not depend on byte order: the words are added in the
// machine's order and the result swapped once at the end.
uint16_t OnesComplementSum(const uint8_t* data, size_t size, uint32_t initial) {
  uint64_t wide = 0;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    wide += word;
    if (wide < word) ++wide;  // end-around carry
  }
  uint64_t sum = Fold32(wide);
  for (; i + 2 <= size; i += 2) {
    uint16_t word;
    std::memcpy(&word, data + i, 2);
    sum += word;
  }
  if (i < size) {
    const uint8_t last[2] = {data[i], 0};
    uint16_t word;
    std::memcpy(&word, last, 2);
    sum += word;
  }
  uint16_t folded = Fold16(Fold32(sum));
  if constexpr (std::endian::native == std::endian::little) folded = static_cast<uint16_t>(folded << 8 | folded >> 8);
  return Fold16(static_cast<uint32_t>(Fold16(initial)) + folded);
}

}  // namespace corvanta

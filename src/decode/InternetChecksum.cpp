#include "decode/InternetChecksum.h"

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
  // 32-bit halves added into two 64-bit sums: no carry chain between iterations, and no
  // overflow below 16 GB. Zero only for all-zero data, as an end-around-carry sum.
  uint64_t a = 0;
  uint64_t b = 0;
  size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    uint64_t w0;
    uint64_t w1;
    std::memcpy(&w0, data + i, 8);
    std::memcpy(&w1, data + i + 8, 8);
    a += (w0 & 0xFFFFFFFFu) + (w0 >> 32);
    b += (w1 & 0xFFFFFFFFu) + (w1 >> 32);
  }
  if (i + 8 <= size) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    a += (word & 0xFFFFFFFFu) + (word >> 32);
    i += 8;
  }
  uint64_t sum = uint64_t{Fold32(a)} + Fold32(b);
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
  return Fold16(static_cast<uint32_t>(Fold16(initial)) + FoldedMachineSum(sum));
}

}  // namespace corvanta

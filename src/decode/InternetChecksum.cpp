#include "decode/InternetChecksum.h"

#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvanta {

namespace {

uint16_t Fold16(uint32_t sum) {
  sum = (sum & 0xFFFFu) + (sum >> 16);
  sum = (sum & 0xFFFFu) + (sum >> 16);
  return static_cast<uint16_t>(sum);
}

}  // namespace

// The one's-complement sum does not depend on byte order: the words are added in the
// machine's order and the result swapped once at the end.
uint16_t OnesComplementSum(const uint8_t* data, size_t size, uint32_t initial) {
  // Wide sums that cannot overflow, folded with end-around carry at the end: zero only for
  // all-zero data.
  uint64_t sum = 0;
  size_t i = 0;
#ifdef __SSE2__
  // Thirty-two bytes at a time. Each 16-bit word is biased by -32768 so that the signed
  // multiply-add can add pairs of them into 32-bit lanes; the bias is given back at the end.
  // A lane takes two words from each load, so 16384 rounds cannot overflow it.
  constexpr size_t kRounds = 16384;
  const __m128i bias = _mm_set1_epi16(static_cast<int16_t>(0x8000));
  const __m128i ones = _mm_set1_epi16(1);
  while (size - i >= 32) {
    const size_t rounds = std::min(kRounds, (size - i) / 32);
    __m128i a = _mm_setzero_si128();
    __m128i b = _mm_setzero_si128();
    for (size_t r = 0; r < rounds; ++r, i += 32) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
      const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i + 16));
      a = _mm_add_epi32(a, _mm_madd_epi16(_mm_xor_si128(v, bias), ones));
      b = _mm_add_epi32(b, _mm_madd_epi16(_mm_xor_si128(w, bias), ones));
    }
    alignas(16) int32_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), a);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 4), b);
    int64_t block = 0;
    for (int32_t lane : lanes) block += lane;
    sum += static_cast<uint64_t>(block + static_cast<int64_t>(rounds) * 16 * 32768);
  }
#endif
  // What is left sixteen bytes at a time, as 32-bit halves.
  for (; size - i >= 16; i += 16) {
    uint64_t w0;
    uint64_t w1;
    std::memcpy(&w0, data + i, 8);
    std::memcpy(&w1, data + i + 8, 8);
    sum += (w0 & 0xFFFFFFFFu) + (w0 >> 32) + (w1 & 0xFFFFFFFFu) + (w1 >> 32);
  }
  if (size - i >= 8) {
    uint64_t word;
    std::memcpy(&word, data + i, 8);
    sum += (word & 0xFFFFFFFFu) + (word >> 32);
    i += 8;
  }
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

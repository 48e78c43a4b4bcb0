#include "trace/Crc32.h"

#include <zlib.h>

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define CORVANTA_CRC_FOLDING 1
#endif

namespace corvanta {

uint32_t Crc32Reference(uint32_t crc, const uint8_t* data, size_t count) {
  return static_cast<uint32_t>(::crc32_z(crc, data, static_cast<z_size_t>(count)));
}

namespace {

// One byte at a time, for the few bytes the folding leaves (a library call costs more).
constexpr std::array<uint32_t, 256> MakeByteTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}
constexpr std::array<uint32_t, 256> kByteTable = MakeByteTable();

uint32_t ByteWise(uint32_t crc, const uint8_t* data, size_t count) {
  uint32_t state = ~crc;
  for (size_t i = 0; i < count; ++i) state = kByteTable[(state ^ data[i]) & 0xFF] ^ (state >> 8);
  return ~state;
}

}  // namespace

#ifdef CORVANTA_CRC_FOLDING
namespace {

// Folding by carry-less multiplication in the bit-reflected domain (Gopal et al., "Fast CRC
// computation for generic polynomials using PCLMULQDQ", Intel 2009). The constants are
// x^k mod P for the fold distances, and the Barrett pair for the final reduction.
constexpr uint64_t kFold512[2] = {0x0154442bd4, 0x01c6e41596};
constexpr uint64_t kFold128[2] = {0x01751997d0, 0x00ccaa009e};
constexpr uint64_t kFold64 = 0x0163cd6124;
constexpr uint64_t kBarrett[2] = {0x01db710641, 0x01f7011641};

__attribute__((target("pclmul,sse4.1"))) __m128i Fold(__m128i x, __m128i k, __m128i next) {
  const __m128i low = _mm_clmulepi64_si128(x, k, 0x00);
  const __m128i high = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

constexpr uint64_t kFold2048[2] = {0x011542778a, 0x01322d1430};

#define CORVANTA_WIDE __attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1")))

CORVANTA_WIDE __m512i LoadWide(const uint8_t* at) { return _mm512_loadu_si512(at); }
CORVANTA_WIDE __m512i FoldWide(__m512i x, __m512i k, __m512i next) {
  // 0x96: the three-way exclusive or.
  return _mm512_ternarylogic_epi64(_mm512_clmulepi64_epi128(x, k, 0x00), _mm512_clmulepi64_epi128(x, k, 0x11), next,
                                   0x96);
}
CORVANTA_WIDE __m512i Broadcast(const uint64_t (&k)[2]) {
  const auto low = static_cast<long long>(k[0]), high = static_cast<long long>(k[1]);
  return _mm512_set_epi64(high, low, high, low, high, low, high, low);
}

// The same folding four 512-bit lanes at a time (256 bytes a step), where the processor
// multiplies four pairs in one instruction: the folded remainder of what it took, with p and
// count moved past that (count left below 64). Only for count >= 256.
CORVANTA_WIDE __m128i FoldWideBlocks(uint32_t state, const uint8_t*& p, size_t& count) {
  __m512i z0 = _mm512_xor_si512(LoadWide(p), _mm512_zextsi128_si512(_mm_cvtsi32_si128(static_cast<int>(state))));
  __m512i z1 = LoadWide(p + 64), z2 = LoadWide(p + 128), z3 = LoadWide(p + 192);
  p += 256;
  count -= 256;
  const __m512i k2048 = Broadcast(kFold2048);
  for (; count >= 256; p += 256, count -= 256) {
    z0 = FoldWide(z0, k2048, LoadWide(p));
    z1 = FoldWide(z1, k2048, LoadWide(p + 64));
    z2 = FoldWide(z2, k2048, LoadWide(p + 128));
    z3 = FoldWide(z3, k2048, LoadWide(p + 192));
  }
  const __m512i k512 = Broadcast(kFold512);
  z0 = FoldWide(z0, k512, z1);
  z0 = FoldWide(z0, k512, z2);
  z0 = FoldWide(z0, k512, z3);
  for (; count >= 64; p += 64, count -= 64) z0 = FoldWide(z0, k512, LoadWide(p));
  // The four 128-bit lanes, each the 128 bits after the one before.
  const __m128i k = _mm_set_epi64x(static_cast<long long>(kFold128[1]), static_cast<long long>(kFold128[0]));
  alignas(64) __m128i lanes[4];
  _mm512_store_si512(lanes, z0);
  __m128i x1 = Fold(lanes[0], k, lanes[1]);
  x1 = Fold(x1, k, lanes[2]);
  return Fold(x1, k, lanes[3]);
}

#undef CORVANTA_WIDE

bool HasWideFolding() {
  static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
  return has;
}

// The inverted CRC state over count bytes, at least 16.
__attribute__((target("pclmul,ssse3,sse4.1"))) uint32_t FoldBlocks(uint32_t state, const uint8_t* p, size_t count) {
  auto load = [](const uint8_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  const __m128i k = _mm_set_epi64x(static_cast<long long>(kFold128[1]), static_cast<long long>(kFold128[0]));
  __m128i x1;
  if (count >= 256 && HasWideFolding()) {
    x1 = FoldWideBlocks(state, p, count);
  } else if (count >= 64) {
    // Four lanes side by side, folded together at the end.
    x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state)));
    __m128i x2 = load(p + 16);
    __m128i x3 = load(p + 32);
    __m128i x4 = load(p + 48);
    p += 64;
    count -= 64;
    const __m128i k4 = _mm_set_epi64x(static_cast<long long>(kFold512[1]), static_cast<long long>(kFold512[0]));
    for (; count >= 64; p += 64, count -= 64) {
      x1 = Fold(x1, k4, load(p));
      x2 = Fold(x2, k4, load(p + 16));
      x3 = Fold(x3, k4, load(p + 32));
      x4 = Fold(x4, k4, load(p + 48));
    }
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
  } else {
    x1 = _mm_xor_si128(load(p), _mm_cvtsi32_si128(static_cast<int>(state)));
    p += 16;
    count -= 16;
  }
  for (; count >= 16; p += 16, count -= 16) x1 = Fold(x1, k, load(p));
  if (count > 0) {
    // Fewer than 16 bytes are left. Together with the 16 that x1 stands for they are split
    // anew: the last 16 (x1's later bytes, then these), and before them x1's first bytes
    // behind zeros (leading zeros change nothing), folded onto them. The data's last 16
    // bytes are loaded whole, so nothing outside it is read.
    alignas(16) static constexpr uint8_t kShifts[48] = {
        0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80,
        0,    1,    2,    3,    4,    5,    6,    7,    8,    9,    10,   11,   12,   13,   14,   15,
        0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80};
    const __m128i toFront = load(kShifts + count);      // byte i: x1's byte i - (16 - count)
    const __m128i toBack = load(kShifts + 16 + count);  // byte i: x1's byte i + count
    const __m128i front = _mm_shuffle_epi8(x1, toFront);
    // Where toFront has no byte (its top bit set), x1's later bytes; elsewhere the data's end.
    const __m128i back = _mm_blendv_epi8(load(p + count - 16), _mm_shuffle_epi8(x1, toBack), toFront);
    x1 = Fold(front, k, back);
  }

  // 128 bits to 64.
  const __m128i mask32 = _mm_setr_epi32(-1, 0, -1, 0);
  __m128i x2r = _mm_clmulepi64_si128(x1, k, 0x10);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2r);
  const __m128i k5 = _mm_set_epi64x(0, static_cast<long long>(kFold64));
  x2r = _mm_srli_si128(x1, 4);
  x1 = _mm_and_si128(x1, mask32);
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k5, 0x00), x2r);

  // Barrett reduction to 32 bits.
  const __m128i poly = _mm_set_epi64x(static_cast<long long>(kBarrett[1]), static_cast<long long>(kBarrett[0]));
  __m128i t = _mm_and_si128(x1, mask32);
  t = _mm_clmulepi64_si128(t, poly, 0x10);
  t = _mm_and_si128(t, mask32);
  t = _mm_clmulepi64_si128(t, poly, 0x00);
  x1 = _mm_xor_si128(x1, t);
  return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool HasFolding() {
  static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  return has;
}

}  // namespace
#endif

uint32_t Crc32(uint32_t crc, const uint8_t* data, size_t count) {
#ifdef CORVANTA_CRC_FOLDING
  if (count >= 16 && HasFolding()) return ~FoldBlocks(~crc, data, count);
#endif
  return count < 64 ? ByteWise(crc, data, count) : Crc32Reference(crc, data, count);
}

}  // namespace corvanta

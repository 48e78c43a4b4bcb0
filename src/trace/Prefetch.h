#pragma once
// The cache line, and a hint that memory is about to be read, for walks whose next address is
// known early.

#include <cstddef>

namespace corvanta {

// The unit in which CPUs share memory. The parts of the model the reader's thread writes and
// those the decoding thread writes are aligned to it: two threads writing into one line at
// once take it from each other at every write.
inline constexpr size_t kCacheLine = 64;

// Asks for the cache line holding p to be fetched. On x86-64 the instruction is written out:
// GCC drops its built-in when the address comes from other loads.
inline void PrefetchLine(const void* p) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  asm volatile("prefetcht0 %0" : : "m"(*static_cast<const char*>(p)));
#else
  __builtin_prefetch(p);
#endif
}

// The same for a line about to be written: fetched for writing, so that a line another CPU
// holds is taken from it before the write waits for it.
inline void PrefetchLineForWrite(const void* p) {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
  asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(p)));
#else
  __builtin_prefetch(p, 1);
#endif
}
// Every line of bytes from p.
inline void PrefetchLines(const void* p, size_t bytes) {
  for (size_t at = 0; at < bytes; at += kCacheLine) PrefetchLine(static_cast<const char*>(p) + at);
}
inline void PrefetchLinesForWrite(const void* p, size_t bytes) {
  for (size_t at = 0; at < bytes; at += kCacheLine) PrefetchLineForWrite(static_cast<const char*>(p) + at);
}

}  // namespace corvanta

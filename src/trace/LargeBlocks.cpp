#include "trace/LargeBlocks.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace corvanta {

void* AllocateLargeBlock(size_t bytes) {
  if (bytes < kLargeBlock) return ::operator new(bytes);
  const size_t size = LargeBlockBytes(bytes);
  void* block = ::operator new(size, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes < kLargeBlock)
    ::operator delete(block);
  else
    ::operator delete(block, std::align_val_t{kHugePage});
}

void* AllocateZeroedBlock(size_t bytes) {
  if (bytes == 0) bytes = 1;
#if defined(__linux__)
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
#else
  void* block = std::calloc(1, bytes);
  if (block == nullptr) throw std::bad_alloc();
#endif
  return block;
}

void FreeZeroedBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
#if defined(__linux__)
  munmap(block, bytes == 0 ? 1 : bytes);
#else
  (void)bytes;
  std::free(block);
#endif
}

}  // namespace corvanta

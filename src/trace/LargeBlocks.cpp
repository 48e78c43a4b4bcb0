#include "trace/LargeBlocks.h"

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

}  // namespace corvanta

#pragma once
// Storage for the large blocks that a trace's analysis reads at random: the packet list, the
// hash indexes, the frames queued between threads. On 4 KiB pages nearly every such read also
// misses the address translation cache; such blocks are given whole huge pages where the
// system offers them (a hint, nothing more).
#include <cstddef>
#include <limits>
#include <new>

namespace corvanta {

// Blocks from this size up are huge-page aligned and their size rounded up to whole huge
// pages; smaller ones are ordinary allocations.
inline constexpr size_t kLargeBlock = size_t{1} << 20;
inline constexpr size_t kHugePage = size_t{2} << 20;

// The bytes a block of `bytes` really takes.
constexpr size_t LargeBlockBytes(size_t bytes) {
  return bytes >= kLargeBlock ? (bytes + kHugePage - 1) / kHugePage * kHugePage : bytes;
}

void* AllocateLargeBlock(size_t bytes);
void FreeLargeBlock(void* block, size_t bytes);

// While one lives, the pages that FaultInLater names are faulted in ahead of use by a thread
// of the lowest priority, which runs only on a CPU nothing else of the system wants (Linux
// only). The packet list fills its blocks over the whole pass; on a virtual machine the first
// touch of a page can cost more than the work done on it, and this takes it off the thread
// that fills them while the other one is idle. The contents are never changed. One is active
// at a time: another made meanwhile does nothing.
class BackgroundPageFaults {
 public:
  BackgroundPageFaults();
  ~BackgroundPageFaults();
  BackgroundPageFaults(const BackgroundPageFaults&) = delete;
  BackgroundPageFaults& operator=(const BackgroundPageFaults&) = delete;
  bool Active() const { return active_; }

 private:
  bool active_ = false;
};
// Has the active BackgroundPageFaults, if any, fault in these bytes of a large block (from
// AllocateLargeBlock) that are about to be used. Freeing the block cancels what is left.
void FaultInLater(void* begin, size_t bytes);

// A block of zero bytes whose pages take memory only once written (fresh anonymous pages
// where the system has them): for buffers sized for the largest case and mostly unused.
// Never null (throws std::bad_alloc).
void* AllocateZeroedBlock(size_t bytes);
void FreeZeroedBlock(void* block, size_t bytes);
// Has the pages under these bytes of such a block taken for writing now (Linux: one system
// call, where a first write would take a fault per page, which can cost several times as
// much on a virtual machine). Only a hint: the contents never change.
void PopulateForWriting(void* begin, size_t bytes);

// A standard allocator over those blocks, for containers that grow large.
template <class T>
struct LargeBlockAllocator {
  using value_type = T;
  LargeBlockAllocator() = default;
  template <class U>
  LargeBlockAllocator(const LargeBlockAllocator<U>&) {}
  T* allocate(size_t n) {
    if (n > std::numeric_limits<size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(AllocateLargeBlock(n * sizeof(T)));
  }
  void deallocate(T* p, size_t n) { FreeLargeBlock(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const LargeBlockAllocator<U>&) const {
    return true;
  }
};

}  // namespace corvanta

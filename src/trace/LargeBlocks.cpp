#include "trace/LargeBlocks.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace corvanta {

namespace {

#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
constexpr bool kCanPopulate = true;
#else
constexpr bool kCanPopulate = false;
#endif

// The thread behind a BackgroundPageFaults: faults in the queued ranges a huge page at a
// time, in the order they were asked for. The ranges of a block being freed leave the queue,
// and its free waits for the piece of it being faulted in, so no freed memory is touched.
class PageFaulter {
 public:
  PageFaulter() : thread_([this] { Run(); }) {}
  ~PageFaulter() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  // The range is widened to whole pages, as madvise takes them; a large block begins and
  // ends on one.
  void Add(char* begin, size_t bytes) {
    const uintptr_t page = PageSize();
    const uintptr_t before = reinterpret_cast<uintptr_t>(begin) & (page - 1);
    const size_t whole = (before + bytes + page - 1) & ~(page - 1);
    {
      std::lock_guard lock(mutex_);
      if (stop_) return;
      queue_.push_back({begin - before, whole});
    }
    changed_.notify_all();
  }
  void Remove(char* block, size_t bytes) {
    std::unique_lock lock(mutex_);
    const auto inside = [&](const char* p) { return p >= block && p < block + bytes; };
    std::erase_if(queue_, [&](const Range& r) { return inside(r.begin); });
    changed_.wait(lock, [&] { return busy_.begin == nullptr || !inside(busy_.begin); });
  }

 private:
  struct Range {
    char* begin = nullptr;
    size_t bytes = 0;
  };
  static uintptr_t PageSize() {
#if defined(__linux__)
    static const auto size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return size;
#else
    return 4096;
#endif
  }

  void Run() {
    std::unique_lock lock(mutex_);
    // The queue is left to the blocks' owners where this cannot run as it must.
    const auto giveUp = [&] {
      stop_ = true;
      queue_.clear();
    };
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "corvanta-fault");
    // Without the lowest priority it would take CPU from the threads it is meant to spare.
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0) return giveUp();
#endif
    for (;;) {
      changed_.wait(lock, [&] { return stop_ || !queue_.empty(); });
      if (stop_) return;
      Range& next = queue_.front();
      busy_ = {next.begin, std::min(next.bytes, kHugePage)};
      next.begin += busy_.bytes;
      next.bytes -= busy_.bytes;
      if (next.bytes == 0) queue_.pop_front();
      lock.unlock();
      int error = 0;
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
      // Fills in missing pages as a write would, leaving present ones as they are.
      if (madvise(busy_.begin, busy_.bytes, MADV_POPULATE_WRITE) != 0) error = errno;
#endif
      lock.lock();
      busy_ = {};
      changed_.notify_all();
      if (error == EINVAL) return giveUp();  // a kernel without it
    }
  }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Range> queue_;
  Range busy_;
  bool stop_ = false;
  std::thread thread_;
};

// The active one, if any. The ranges are asked for deep inside the model's containers, far
// from whoever starts a pass, hence one place they all look.
std::mutex activeMutex;
PageFaulter* active = nullptr;

}  // namespace

BackgroundPageFaults::BackgroundPageFaults() {
  if (!kCanPopulate) return;
  std::lock_guard lock(activeMutex);
  if (active != nullptr) return;
  active = new PageFaulter;
  active_ = true;
}

BackgroundPageFaults::~BackgroundPageFaults() {
  if (!active_) return;
  PageFaulter* faulter = nullptr;
  {
    std::lock_guard lock(activeMutex);
    std::swap(faulter, active);
  }
  delete faulter;
}

void* AllocateLargeBlock(size_t bytes) {
  if (bytes < kLargeBlock) return ::operator new(bytes);
  const size_t size = LargeBlockBytes(bytes);
  void* block = ::operator new(size, std::align_val_t{kHugePage});
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(block, size, MADV_HUGEPAGE);
#endif
  return block;
}

void FaultInLater(void* begin, size_t bytes) {
  std::lock_guard lock(activeMutex);
  if (active != nullptr && bytes > 0) active->Add(static_cast<char*>(begin), bytes);
}

void FreeLargeBlock(void* block, size_t bytes) {
  if (block == nullptr) return;
  if (bytes < kLargeBlock) {
    ::operator delete(block);
    return;
  }
  {
    std::lock_guard lock(activeMutex);
    if (active != nullptr) active->Remove(static_cast<char*>(block), LargeBlockBytes(bytes));
  }
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

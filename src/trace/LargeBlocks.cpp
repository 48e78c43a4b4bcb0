#include "trace/LargeBlocks.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
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
// and its free waits for the piece of it being faulted in, so no freed memory is touched
// while the faulter is active. Its end does not wait: at the lowest priority on a busy
// machine the thread may get no CPU for a long while. It finishes its piece (which changes
// no contents, wherever it lies) and ends when it next runs.
class PageFaulter {
 public:
  PageFaulter() : state_(std::make_shared<State>()) {
    std::thread([state = state_] { Run(*state); }).detach();
  }
  ~PageFaulter() {
    {
      std::lock_guard lock(state_->mutex);
      state_->stop = true;
      state_->queue.clear();
    }
    state_->changed.notify_all();
  }

  // The range is widened to whole pages, as madvise takes them; a large block begins and
  // ends on one.
  void Add(char* begin, size_t bytes) {
    const uintptr_t page = PageSize();
    const uintptr_t before = reinterpret_cast<uintptr_t>(begin) & (page - 1);
    const size_t whole = (before + bytes + page - 1) & ~(page - 1);
    {
      std::lock_guard lock(state_->mutex);
      if (state_->stop) return;
      state_->queue.push_back({begin - before, whole});
    }
    state_->changed.notify_all();
  }
  void Remove(char* block, size_t bytes) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    const auto inside = [&](const char* p) { return p >= block && p < block + bytes; };
    std::erase_if(s.queue, [&](const Range& r) { return inside(r.begin); });
    s.changed.wait(lock, [&] { return s.busy.begin == nullptr || !inside(s.busy.begin); });
  }

 private:
  struct Range {
    char* begin = nullptr;
    size_t bytes = 0;
  };
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Range> queue;
    Range busy;
    bool stop = false;
  };
  static uintptr_t PageSize() {
#if defined(__linux__)
    static const auto size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    return size;
#else
    return 4096;
#endif
  }

  static void Run(State& s) {
    std::unique_lock lock(s.mutex);
    // The queue is left to the blocks' owners where this cannot run as it must.
    const auto giveUp = [&] {
      s.stop = true;
      s.queue.clear();
    };
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "corvanta-fault");
    // Without the lowest priority it would take CPU from the threads it is meant to spare.
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0) return giveUp();
#endif
    for (;;) {
      s.changed.wait(lock, [&] { return s.stop || !s.queue.empty(); });
      if (s.stop) return;
      Range& next = s.queue.front();
      s.busy = {next.begin, std::min(next.bytes, kHugePage)};
      next.begin += s.busy.bytes;
      next.bytes -= s.busy.bytes;
      if (next.bytes == 0) s.queue.pop_front();
      lock.unlock();
      int error = 0;
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
      // Fills in missing pages as a write would, leaving present ones as they are.
      if (madvise(s.busy.begin, s.busy.bytes, MADV_POPULATE_WRITE) != 0) error = errno;
#endif
      lock.lock();
      s.busy = {};
      s.changed.notify_all();
      if (error == EINVAL) return giveUp();  // a kernel without it
    }
  }

  std::shared_ptr<State> state_;  // shared with the thread, which may outlive this
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

#include "trace/LargeBlocks.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
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

uintptr_t PageSize() {
#if defined(__linux__)
  static const auto size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  return size;
#else
  return 4096;
#endif
}

// Fills in the missing pages under these bytes (widened to whole pages) as a write would,
// leaving present ones as they are. Returns 0 or the system's error.
int Populate(void* begin, size_t bytes) {
  if (!kCanPopulate || bytes == 0) return 0;
  const uintptr_t page = PageSize();
  const uintptr_t from = reinterpret_cast<uintptr_t>(begin) & ~(page - 1);
  const uintptr_t to = (reinterpret_cast<uintptr_t>(begin) + bytes + page - 1) & ~(page - 1);
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
  if (madvise(reinterpret_cast<void*>(from), to - from, MADV_POPULATE_WRITE) != 0) return errno;
#else
  (void)from;
  (void)to;
#endif
  return 0;
}

// The thread behind a BackgroundPageFaults: faults in the queued ranges a huge page at a
// time, in the order they were asked for. It runs at the lowest priority, so on a busy
// machine it may get no CPU for a long while, even while it holds its queue: nothing waits
// for it. A range offered while it holds the queue is dropped (it is only a hint), and a
// block freed while it holds the queue, or while it faults in a piece of that block, is
// handed to it to free when it next runs, after taking the block's ranges out of the queue,
// so no freed memory is touched. Its end does not wait either.
class PageFaulter {
 public:
  PageFaulter() : state_(std::make_shared<State>()) {
    std::thread([state = state_] { Run(*state); }).detach();
  }
  ~PageFaulter() {
    state_->stop.store(true);
    state_->changed.notify_all();
  }

  // The range is widened to whole pages, as madvise takes them; a large block begins and
  // ends on one.
  void Add(char* begin, size_t bytes) {
    const uintptr_t page = PageSize();
    const uintptr_t before = reinterpret_cast<uintptr_t>(begin) & (page - 1);
    const size_t whole = (before + bytes + page - 1) & ~(page - 1);
    State& s = *state_;
    {
      std::unique_lock lock(s.mutex, std::try_to_lock);
      if (!lock.owns_lock() || s.disabled) return;
      s.queue.push_back({begin - before, whole});
    }
    s.changed.notify_all();
  }
  // False when the caller may free the block: its ranges have left the queue and no piece of
  // it is being faulted in. Otherwise the thread frees it.
  bool Remove(char* block, size_t bytes) {
    State& s = *state_;
    {
      std::unique_lock lock(s.mutex, std::try_to_lock);
      if (lock.owns_lock()) {
        const auto inside = [&](const char* p) { return p >= block && p < block + bytes; };
        std::erase_if(s.queue, [&](const Range& r) { return inside(r.begin); });
        if (s.busy.begin == nullptr || !inside(s.busy.begin)) return false;
      }
    }
    // The block's own first bytes note it, so that handing it over can neither fail nor wait.
    auto* freed = new (block) Freed{s.freed.load(), bytes};
    while (!s.freed.compare_exchange_weak(freed->Next, freed)) {
    }
    s.changed.notify_all();
    return true;
  }

 private:
  struct Range {
    char* begin = nullptr;
    size_t bytes = 0;
  };
  struct Freed {
    Freed* Next;
    size_t Bytes;
  };
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Range> queue;
    Range busy;
    bool disabled = false;  // the queue is left to the blocks' owners
    std::atomic<Freed*> freed{nullptr};
    std::atomic<bool> stop{false};
  };

  // Frees the blocks handed over, their ranges first taken out of the queue.
  static void FreeHandedOver(State& s) {
    for (Freed* f = s.freed.exchange(nullptr); f != nullptr;) {
      char* block = reinterpret_cast<char*>(f);
      const size_t bytes = f->Bytes;
      f = f->Next;
      std::erase_if(s.queue, [&](const Range& r) { return r.begin >= block && r.begin < block + bytes; });
      ::operator delete (block, std::align_val_t{kHugePage});
    }
  }

  static void Run(State& s) {
    std::unique_lock lock(s.mutex);
    // Where this cannot run as it must, the queue is left to the blocks' owners; the thread
    // still frees what is handed to it until the end.
    const auto disable = [&] {
      s.disabled = true;
      s.queue.clear();
    };
#if defined(__linux__)
    pthread_setname_np(pthread_self(), "corvanta-fault");
    // Without the lowest priority it would take CPU from the threads it is meant to spare.
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) != 0) disable();
#endif
    for (;;) {
      // The end is raised without the queue held: a wakeup missed for it costs a short wait.
      s.changed.wait_for(lock, std::chrono::milliseconds(20),
                         [&] { return s.stop.load() || !s.queue.empty() || s.freed.load() != nullptr; });
      FreeHandedOver(s);
      if (s.stop.load()) {
        FreeHandedOver(s);  // what came between: nothing comes once the end is raised
        return;
      }
      if (s.queue.empty()) continue;
      Range& next = s.queue.front();
      s.busy = {next.begin, std::min(next.bytes, kHugePage)};
      next.begin += s.busy.bytes;
      next.bytes -= s.busy.bytes;
      if (next.bytes == 0) s.queue.pop_front();
      lock.unlock();
      const int error = Populate(s.busy.begin, s.busy.bytes);
      lock.lock();
      s.busy = {};
      if (error == EINVAL) disable();  // a kernel without it
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
    if (active != nullptr && active->Remove(static_cast<char*>(block), LargeBlockBytes(bytes))) return;
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

void PopulateForWriting(void* begin, size_t bytes) { Populate(begin, bytes); }

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

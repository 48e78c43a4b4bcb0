#pragma once
// For every packet of many conversations, the packet a few places further along its chain.
// A walk along a packet chain of a large trace waits for memory at nearly every packet, as a
// conversation's packets lie far apart among everyone else's; knowing the packet ahead, the
// walk has it fetched early.
#include <cstdint>
#include <span>
#include <vector>

#include "decode/CaptureModel.h"
#include "trace/LargeBlocks.h"
#include "trace/Prefetch.h"

namespace corvanta {

class ChainLookahead {
 public:
  // How many places ahead of a walk packets are fetched.
  static constexpr int kDistance = 8;

  // Walks the chains of these conversations (TTransHead indexes), many at a time on each of
  // `threads` threads, so that their packets are waited for together rather than one by one.
  ChainLookahead(const CaptureModel& model, std::span<const int32_t> conversations, int threads = 1);

  // The packet kDistance places after `packet` in its chain; -1 when the chain ends sooner
  // or the packet was not walked.
  int32_t Ahead(int32_t packet) const {
    return packet >= 0 && static_cast<size_t>(packet) < ahead_.size() ? ahead_[static_cast<size_t>(packet)] : -1;
  }
  // Asks for that packet to be fetched. Only a hint: no result depends on it.
  void Prefetch(int32_t packet) const {
    const int32_t ahead = Ahead(packet);
    if (ahead >= 0) PrefetchLine(&model_.Packets.At(ahead));
  }

 private:
  void Walk(std::span<const int32_t> conversations);

  const CaptureModel& model_;
  std::vector<int32_t, LargeBlockAllocator<int32_t>> ahead_;
};

}  // namespace corvanta

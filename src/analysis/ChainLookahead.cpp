#include "analysis/ChainLookahead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

namespace corvanta {

ChainLookahead::ChainLookahead(const CaptureModel& model, std::span<const int32_t> conversations, int threads)
    : model_(model), ahead_(static_cast<size_t>(model.Packets.Count()), -1) {
  const size_t parts = std::clamp<size_t>(static_cast<size_t>(std::max(threads, 1)), 1, conversations.size() / 64 + 1);
  if (parts == 1) {
    Walk(conversations);
    return;
  }
  const size_t share = (conversations.size() + parts - 1) / parts;
  auto part = [&](size_t p) {
    const size_t begin = std::min(p * share, conversations.size());
    return conversations.subspan(begin, std::min(share, conversations.size() - begin));
  };
  std::vector<std::jthread> helpers;
  for (size_t p = 1; p < parts; ++p) helpers.emplace_back([this, chains = part(p)] { Walk(chains); });
  Walk(part(0));
}

void ChainLookahead::Walk(std::span<const int32_t> conversations) {
  // The last kDistance packets of each lane's chain, as rings.
  std::array<std::array<int32_t, kDistance>, kChainLanes> behind{};
  FollowChains(
      model_.Packets, conversations.size(),
      [&](size_t c) { return model_.Objects.Get<TTransHead>(conversations[c]).FirstPacket; },
      [&](size_t lane, size_t, size_t step, int32_t packet, const TPacket&) {
        int32_t& slot = behind[lane][step % kDistance];
        // Only a damaged model shares a packet between chains, and then threads could meet
        // on it: the entries are written as atomics so that even that is well defined.
        if (step >= kDistance)
          std::atomic_ref<int32_t>(ahead_[static_cast<size_t>(slot)]).store(packet, std::memory_order_relaxed);
        slot = packet;
      });
}

}  // namespace corvanta

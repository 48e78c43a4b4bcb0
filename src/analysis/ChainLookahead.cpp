#include "analysis/ChainLookahead.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>

namespace corvanta {

namespace {

// Chains walked side by side on one thread: enough to keep many fetches in flight at once.
constexpr size_t kLanes = 16;

}  // namespace

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
  const PacketList& packets = model_.Packets;
  struct Lane {
    int32_t At = -1;  // the next packet to take; -1: the lane is free
    size_t Steps = 0;
    std::array<int32_t, kDistance> Behind{};  // the last kDistance packets taken, as a ring
  };
  std::array<Lane, kLanes> lanes;
  size_t next = 0;
  // A damaged chain could loop: no lane walks more steps than there are packets.
  const size_t budget = ahead_.size();
  auto start = [&](Lane& lane) {
    lane.At = -1;
    while (lane.At < 0 && next < conversations.size()) {
      const int32_t first = model_.Objects.Get<TTransHead>(conversations[next++]).FirstPacket;
      if (packets.Contains(first)) lane.At = first;
    }
    lane.Steps = 0;
  };
  for (Lane& lane : lanes) start(lane);
  for (bool busy = true; busy;) {
    busy = false;
    for (Lane& lane : lanes) {
      if (lane.At < 0) continue;
      busy = true;
      const int32_t packet = lane.At;
      int32_t& slot = lane.Behind[lane.Steps % kDistance];
      // Only a damaged model shares a packet between chains, and then threads could meet on
      // it: the entries are written as atomics so that even that is well defined.
      if (lane.Steps >= kDistance) std::atomic_ref<int32_t>(ahead_[static_cast<size_t>(slot)]).store(packet, std::memory_order_relaxed);
      slot = packet;
      ++lane.Steps;
      const int32_t following = packets.At(packet).NextPacket;
      if (packets.Contains(following) && lane.Steps < budget)
        lane.At = following;
      else
        start(lane);
    }
  }
}

}  // namespace corvanta

#include "analysis/ChainOrder.h"

#include <array>

namespace corvanta {

namespace {

// Chains walked side by side: enough to keep many fetches in flight at once.
constexpr size_t kLanes = 16;

}  // namespace

ChainOrder::ChainOrder(const CaptureModel& model, std::span<const int32_t> conversations)
    : model_(model), position_(static_cast<size_t>(model.Packets.Count()), -1) {
  const PacketList& packets = model.Packets;
  order_.reserve(position_.size() + conversations.size() + kDistance);

  struct Lane {
    int32_t At = -1;  // the next packet to take; -1: the lane is free
    std::vector<int32_t> Taken;
  };
  std::array<Lane, kLanes> lanes;
  size_t nextConversation = 0;
  // A damaged chain could loop: no lane takes more steps than there are packets, and the
  // layout as a whole stops at twice as many (the rest is simply not laid out).
  const size_t budget = position_.size();
  size_t steps = 0;
  auto lay = [&](Lane& lane) {
    for (int32_t packet : lane.Taken) {
      if (position_[static_cast<size_t>(packet)] < 0)
        position_[static_cast<size_t>(packet)] = static_cast<int32_t>(order_.size());
      order_.push_back(packet);
    }
    order_.push_back(-1);
    lane.Taken.clear();
    lane.At = -1;
  };
  auto fill = [&](Lane& lane) {
    while (lane.At < 0 && nextConversation < conversations.size()) {
      const int32_t first = model.Objects.Get<TTransHead>(conversations[nextConversation++]).FirstPacket;
      if (packets.Contains(first)) lane.At = first;
    }
  };
  for (Lane& lane : lanes) fill(lane);
  for (bool busy = true; busy;) {
    busy = false;
    for (Lane& lane : lanes) {
      if (lane.At < 0) continue;
      busy = true;
      lane.Taken.push_back(lane.At);
      const int32_t next = packets.At(lane.At).NextPacket;
      lane.At = packets.Contains(next) && lane.Taken.size() < budget ? next : -1;
      if (++steps > 2 * budget) nextConversation = conversations.size();
      if (lane.At < 0) {
        lay(lane);
        fill(lane);
      }
    }
  }
  order_.insert(order_.end(), kDistance, -1);
}

std::vector<int32_t> ChainOrder::After(int32_t packet) const {
  std::vector<int32_t> out;
  if (packet < 0 || static_cast<size_t>(packet) >= position_.size() || position_[static_cast<size_t>(packet)] < 0)
    return out;
  for (size_t at = static_cast<size_t>(position_[static_cast<size_t>(packet)]) + 1; order_[at] >= 0; ++at)
    out.push_back(order_[at]);
  return out;
}

}  // namespace corvanta

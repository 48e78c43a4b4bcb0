#pragma once
// The packets of many conversations laid out in chain order, one conversation after
// another. A walk along a packet chain of a large trace waits for memory at nearly every
// packet, since a conversation's packets lie far apart among everyone else's; with the
// chain laid out, the walk can have the packets a few places ahead brought in early.
#include <cstdint>
#include <span>
#include <vector>

#include "decode/CaptureModel.h"
#include "trace/Prefetch.h"

namespace corvanta {

class ChainOrder {
 public:
  // How many places ahead of a walk packets are fetched.
  static constexpr int kDistance = 8;

  // Lays out the chains of these conversations (TTransHead indexes). The chains are walked
  // many at a time so that their packets are waited for together rather than one by one.
  ChainOrder(const CaptureModel& model, std::span<const int32_t> conversations);

  // Asks for the packet kDistance places after `packet` in its chain to be fetched; nothing
  // when the packet is not laid out here. Only a hint: no result depends on it.
  void Prefetch(int32_t packet) const {
    if (packet < 0 || static_cast<size_t>(packet) >= position_.size()) return;
    const int32_t at = position_[static_cast<size_t>(packet)];
    if (at < 0) return;
    const int32_t ahead = order_[static_cast<size_t>(at) + kDistance];
    if (ahead >= 0) PrefetchLine(&model_.Packets.At(ahead));
  }

  // The packets laid out after `packet`, up to the end of its chain (for tests).
  std::vector<int32_t> After(int32_t packet) const;

 private:
  const CaptureModel& model_;
  // The chains one after another, each ended by -1, and kDistance more -1 at the end.
  std::vector<int32_t> order_;
  std::vector<int32_t> position_;  // of each packet in order_; -1 when not laid out
};

}  // namespace corvanta

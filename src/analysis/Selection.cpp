#include "analysis/Selection.h"

#include <algorithm>
#include <bit>
#include <utility>

namespace corvanta {

void Selection::SwapDirection() {
  std::swap(SourceStation, ReverseStation);
  std::swap(DestPeer, ReversePeer);
  std::swap(CurrentConversation, ReverseConversation);
}

int32_t FindNetPeer(const CaptureModel& model, const NetAddressNode& from, const AddressKey& to) {
  int32_t found = -1;
  model.ForEachNetPeer(from, [&](int32_t index, const TNetPeer& peer) {
    if (peer.PeerAddress != to) return true;
    found = index;
    return false;
  });
  return found;
}

PeerDirectory::PeerDirectory(const CaptureModel& model, Empty) : model_(model) {
  const auto pairs = static_cast<size_t>(model.Objects.CountOf<TNetPeer>());
  if (pairs > 0) slots_.resize(std::bit_ceil(pairs * 2));
}

PeerDirectory::PeerDirectory(const CaptureModel& model) : PeerDirectory(model, kEmpty) {
  model.NetAddresses.ForEach([&](const NetAddressNode& node) {
    model.ForEachNetPeer(node, [&](int32_t index, const TNetPeer& peer) { Add(node, index, peer); });
  });
}

void PeerDirectory::Add(const NetAddressNode& from, int32_t index, const TNetPeer& peer) {
  // Room was made for every record; a walk that meets more (a damaged chain) stops adding.
  if (count_ * 2 >= slots_.size()) return;
  const uint64_t h = HashOf(from.Address, peer.PeerAddress);
  const auto tag = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    Slot& s = slots_[i];
    if (s.From == nullptr) {
      s = Slot{&from, index, tag};
      ++count_;
      return;
    }
    if (Matches(s, tag, from.Address, peer.PeerAddress)) return;  // the first in chain order stays
  }
}

uint64_t PeerDirectory::HashOf(const AddressKey& from, const AddressKey& to) {
  return MixHash{}(static_cast<uint64_t>(from.Hash() * 0x9E3779B97F4A7C15ull ^ to.Hash()));
}

bool PeerDirectory::Matches(const Slot& slot, uint32_t tag, const AddressKey& from, const AddressKey& to) const {
  return slot.Tag == tag && slot.From->Address == from && model_.Objects.Get<TNetPeer>(slot.Peer).PeerAddress == to;
}

int32_t PeerDirectory::Find(const AddressKey& from, const AddressKey& to) const {
  if (slots_.empty()) return -1;
  const uint64_t h = HashOf(from, to);
  const auto tag = static_cast<uint32_t>(h >> 32);
  const size_t mask = slots_.size() - 1;
  for (size_t i = h & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.From == nullptr) return -1;
    if (Matches(s, tag, from, to)) return s.Peer;
  }
}

namespace {

bool PortsSwapped(const TTransHead& a, const TTransHead& b) {
  return a.SourcePort == b.DestinationPort && a.DestinationPort == b.SourcePort;
}

template <class Match>
int32_t FirstConversation(const CaptureModel& model, const TNetPeer& peer, Match match) {
  int32_t found = -1;
  model.ForEachConversation(peer, [&](int32_t index, const TTransHead& head) {
    if (!match(head)) return true;
    found = index;
    return false;
  });
  return found;
}

}  // namespace

int32_t FindReverseConversation(const CaptureModel& model, const TNetPeer& reversePeer, const TTransHead& forward) {
  const auto sub = static_cast<SubProtocol>(forward.SubProtocol);
  if (IsPortBased(sub))
    return FirstConversation(model, reversePeer, [&](const TTransHead& h) { return PortsSwapped(h, forward); });
  return FirstConversation(model, reversePeer, [&](const TTransHead& h) { return h.SubProtocol == sub; });
}

int32_t FindMirrorConversation(const CaptureModel& model, const TNetPeer& reversePeer, const TTransHead& forward) {
  int32_t found = FirstConversation(model, reversePeer, [&](const TTransHead& h) {
    return h.SubProtocol == forward.SubProtocol && PortsSwapped(h, forward);
  });
  if (found >= 0) return found;
  // Conversations are filed by ports alone, so the answers may sit under another sub-protocol.
  return FirstConversation(model, reversePeer, [&](const TTransHead& h) { return PortsSwapped(h, forward); });
}

void ResolveReverse(const CaptureModel& model, Selection& selection) {
  selection.ReverseStation = nullptr;
  selection.ReversePeer = -1;
  selection.ReverseConversation = -1;
  selection.OneWay = true;
  if (selection.SourceStation == nullptr) return;
  const TNetPeer& forwardPeer = model.Objects.Get<TNetPeer>(selection.DestPeer);
  const NetAddressNode* destination = model.NetAddresses.Find(forwardPeer.PeerAddress);
  if (destination == nullptr) return;
  int32_t reversePeer = FindNetPeer(model, *destination, selection.SourceStation->Address);
  if (reversePeer < 0) return;
  selection.OneWay = false;
  selection.ReverseStation = destination;
  selection.ReversePeer = reversePeer;
  if (!model.Objects.Is<TTransHead>(selection.CurrentConversation)) return;
  selection.ReverseConversation = FindReverseConversation(model, model.Objects.Get<TNetPeer>(reversePeer),
                                                          model.Objects.Get<TTransHead>(selection.CurrentConversation));
}

}  // namespace corvanta

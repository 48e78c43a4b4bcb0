#include "analysis/Selection.h"

#include <algorithm>
#include <utility>

namespace corvanta {

void Selection::SwapDirection() {
  std::swap(SourceStation, ReverseStation);
  std::swap(DestPeer, ReversePeer);
  std::swap(CurrentConversation, ReverseConversation);
}

int32_t FindNetPeer(const CaptureModel& model, const NetAddressNode& from, const AddressKey& to) {
  const NetAddressNode* node = model.NetAddresses.Find(to);
  return node != nullptr ? FindNetPeer(model, from, *node) : -1;
}

int32_t FindNetPeer(const CaptureModel& model, const NetAddressNode& from, const NetAddressNode& to) {
  int32_t found = -1;
  model.ForEachNetPeer(from, [&](int32_t index, const TNetPeer& peer) {
    if (model.NetAddresses.At(peer.Receiver) != &to) return true;
    found = index;
    return false;
  });
  return found;
}

PeerDirectory::PeerDirectory(const CaptureModel& model, Empty) : model_(model) {
  peers_.Reserve(static_cast<size_t>(model.Objects.CountOf<TNetPeer>()));
}

PeerDirectory::PeerDirectory(const CaptureModel& model) : PeerDirectory(model, kEmpty) {
  model.NetAddresses.ForEach([&](const NetAddressNode& node) {
    model.ForEachNetPeer(node, [&](int32_t index, const TNetPeer&) { Add(node, index); });
  });
}

int32_t PeerDirectory::Find(const AddressKey& from, const AddressKey& to) const {
  return Find(model_.NetAddresses.Find(from), model_.NetAddresses.FindId(to));
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
  const NetAddressNode* destination = model.NetAddresses.At(forwardPeer.Receiver);
  if (destination == nullptr) return;
  int32_t reversePeer = FindNetPeer(model, *destination, *selection.SourceStation);
  if (reversePeer < 0) return;
  selection.OneWay = false;
  selection.ReverseStation = destination;
  selection.ReversePeer = reversePeer;
  if (!model.Objects.Is<TTransHead>(selection.CurrentConversation)) return;
  selection.ReverseConversation = FindReverseConversation(model, model.Objects.Get<TNetPeer>(reversePeer),
                                                          model.Objects.Get<TTransHead>(selection.CurrentConversation));
}

}  // namespace corvanta

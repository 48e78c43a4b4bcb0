#pragma once
// The selected conversation that the analyses measure: one direction of one conversation,
// the same conversation seen from the other side, and the packet range. Plain data; the
// toolbox and the client/server table fill it.
#include <cstdint>
#include <limits>
#include <vector>

#include "decode/CaptureModel.h"
#include "decode/ChainIndex.h"

namespace corvanta {

struct Selection {
  // The measured direction: the sending address, its peer record (ModelObjects index of a
  // TNetPeer) and the conversation (index of a TTransHead of that peer).
  const NetAddressNode* SourceStation = nullptr;
  int32_t DestPeer = -1;
  int32_t CurrentConversation = -1;
  // The same three for the direction from the destination back to the source.
  const NetAddressNode* ReverseStation = nullptr;
  int32_t ReversePeer = -1;
  int32_t ReverseConversation = -1;
  // The reverse direction does not exist.
  bool OneWay = false;
  // Inclusive frame numbers.
  int32_t FirstPacketNumber = 1;
  int32_t LastPacketNumber = std::numeric_limits<int32_t>::max();

  // Exchanges the forward and the reverse triple.
  void SwapDirection();
};

// The peer record (ModelObjects index) of `from` towards the address `to`; -1 when there is none.
int32_t FindNetPeer(const CaptureModel& model, const NetAddressNode& from, const AddressKey& to);
// The same towards the address node `to`.
int32_t FindNetPeer(const CaptureModel& model, const NetAddressNode& from, const NetAddressNode& to);

// Every peer record by its pair of addresses: the lookup of FindNetPeer without walking the
// sender's chain, for callers that look up many pairs (a server's chain holds a record for
// every client). Reflects the model as it was when built.
class PeerDirectory {
 public:
  explicit PeerDirectory(const CaptureModel& model);
  // Room for every peer record of the model, none added yet: for a caller that walks the
  // chains anyway and adds each record in chain order.
  enum Empty { kEmpty };
  PeerDirectory(const CaptureModel& model, Empty);
  // The decoder's index of the model's pass, taken once the pass was over.
  PeerDirectory(const CaptureModel& model, PeerIndex<NetAddressNode, TNetPeer> decoded)
      : model_(model), peers_(std::move(decoded)) {}
  void Add(const NetAddressNode& from, int32_t index) { peers_.Add(&from, index, model_.Objects); }

  // As FindNetPeer for the address node `from`.
  int32_t Find(const AddressKey& from, const AddressKey& to) const;
  // The same for the address node `from` towards the node id `to`.
  int32_t Find(const NetAddressNode* from, int32_t to) const {
    return from != nullptr ? peers_.Find(from, to, model_.Objects) : -1;
  }
  // Fetching ahead for that lookup: first its slot, then (once that is near) the record it
  // most likely confirms.
  void PrefetchSlot(const NetAddressNode* from, int32_t to) const { peers_.Prefetch(from, to); }
  void PrefetchRecord(const NetAddressNode* from, int32_t to) const {
    model_.Objects.Prefetch<TNetPeer>(peers_.Likely(from, to));
  }

 private:
  const CaptureModel& model_;
  PeerIndex<NetAddressNode, TNetPeer> peers_;  // the decoder's own kind of index, rebuilt
};

// The reverse conversation of `forward`, found in the peer record of the other direction: the
// one rule shared by the analysis engine, the toolbox's swap and the visualizer. For a
// port-based sub-protocol (TCP, UDP, SPX, SPXII, NetBIOS, SMB, PBurst) the first head with the
// two ports swapped, whatever its sub-protocol (conversations are filed by ports alone); for
// ICMP the first ICMP head; for any other sub-protocol the first head with the same one.
// -1 when there is none.
int32_t FindReverseConversation(const CaptureModel& model, const TNetPeer& reversePeer, const TTransHead& forward);

// Where the analysis engine finds the answers to a conversation: its reverse conversation.
inline int32_t FindAnsweringConversation(const CaptureModel& model, const TNetPeer& reversePeer,
                                         const TTransHead& forward) {
  return FindReverseConversation(model, reversePeer, forward);
}

// The same conversation seen from the other side: the first head of the reverse peer with
// the same sub-protocol and the two ports swapped, else the first head with the two ports
// swapped. -1 when there is none.
int32_t FindMirrorConversation(const CaptureModel& model, const TNetPeer& reversePeer, const TTransHead& forward);

// Fills the reverse triple from the forward one and sets OneWay: true when the destination
// has never sent, or never to the source. Without a reverse conversation the reverse
// conversation is -1 but the direction exists.
void ResolveReverse(const CaptureModel& model, Selection& selection);

}  // namespace corvanta

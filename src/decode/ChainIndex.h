#pragma once
// Hash indexes over the model's chains: a station's data-link peers, an address's network
// peers and a peer's conversations. A busy server can have thousands of entries in one
// chain; walking it for every frame would make decoding quadratic. The index answers what
// the walk would answer (the first entry in chain order that matches) and remembers each
// chain's tail for appending. Derived data only: cleared with the model.
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "decode/ModelTypes.h"

namespace corvanta {

class ChainIndex {
 public:
  void Clear() {
    peers_.clear();
    peerTails_.clear();
    portConversations_.clear();
    subConversations_.clear();
    conversationTails_.clear();
  }

  // Peers of one owner (a StationNode or NetAddressNode; nodes never move) by address.
  int32_t FindPeer(const void* owner, const AddressKey& address) const {
    auto it = peers_.find(PeerKey{owner, address});
    return it == peers_.end() ? -1 : it->second;
  }
  int32_t PeerTail(const void* owner) const {
    auto it = peerTails_.find(owner);
    return it == peerTails_.end() ? -1 : it->second;
  }
  // Notes a peer appended at the end of owner's chain.
  void AddPeer(const void* owner, const AddressKey& address, int32_t index) {
    peers_.emplace(PeerKey{owner, address}, index);
    peerTails_[owner] = index;
  }

  // The first conversation of a peer that a packet matches: port-based conversations match
  // on both ports, the others on their sub-protocol. Conversations are appended with rising
  // indexes, so the lower index is the earlier one in the chain.
  int32_t FindConversation(int32_t peer, SubProtocol sub, uint16_t sourcePort, uint16_t destinationPort) const {
    auto a = portConversations_.find(PortKey(peer, sourcePort, destinationPort));
    auto b = subConversations_.find(SubKey(peer, sub));
    int32_t byPorts = a == portConversations_.end() ? -1 : a->second;
    int32_t bySub = b == subConversations_.end() ? -1 : b->second;
    if (byPorts < 0) return bySub;
    if (bySub < 0) return byPorts;
    return byPorts < bySub ? byPorts : bySub;
  }
  int32_t ConversationTail(int32_t peer) const {
    auto it = conversationTails_.find(peer);
    return it == conversationTails_.end() ? -1 : it->second;
  }
  // Notes a conversation appended at the end of peer's chain.
  void AddConversation(int32_t peer, const TTransHead& conversation, int32_t index) {
    if (IsPortBased(conversation.SubProtocol))
      portConversations_.emplace(PortKey(peer, conversation.SourcePort, conversation.DestinationPort), index);
    else
      subConversations_.emplace(SubKey(peer, conversation.SubProtocol), index);
    conversationTails_[peer] = index;
  }

 private:
  struct PeerKey {
    const void* owner;
    AddressKey address;
    bool operator==(const PeerKey& o) const { return owner == o.owner && address == o.address; }
  };
  struct PeerKeyHash {
    size_t operator()(const PeerKey& k) const {
      uint64_t h = reinterpret_cast<uintptr_t>(k.owner) * 0x9E3779B97F4A7C15ull;
      auto bytes = k.address.View();
      for (uint8_t b : bytes) h = (h ^ b) * 0x100000001B3ull;
      return static_cast<size_t>(h ^ (h >> 29));
    }
  };
  static uint64_t PortKey(int32_t peer, uint16_t s, uint16_t d) {
    return static_cast<uint64_t>(static_cast<uint32_t>(peer)) << 32 | static_cast<uint32_t>(s) << 16 | d;
  }
  static uint64_t SubKey(int32_t peer, SubProtocol sub) {
    return static_cast<uint64_t>(static_cast<uint32_t>(peer)) << 32 | sub;
  }

  std::unordered_map<PeerKey, int32_t, PeerKeyHash> peers_;
  std::unordered_map<const void*, int32_t> peerTails_;
  std::unordered_map<uint64_t, int32_t> portConversations_;
  std::unordered_map<uint64_t, int32_t> subConversations_;
  std::unordered_map<int32_t, int32_t> conversationTails_;
};

}  // namespace corvanta

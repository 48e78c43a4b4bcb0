#pragma once
// Hash indexes over the model's chains: a station's data-link peers, an address's network
// peers and a peer's conversations. A busy server can have thousands of entries in one
// chain; walking it for every frame would make decoding quadratic. The index answers what
// the walk would answer (the first entry in chain order that matches). The chains' tails
// live in their owners, except the conversations' tails, kept here. Derived data only,
// needed while decoding: released when the pass ends (the model is only read afterwards).
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "decode/ModelStore.h"
#include "decode/ModelTypes.h"
#include "trace/LargeBlocks.h"
#include "trace/Prefetch.h"

namespace corvanta {

// The peer records of stations or of network addresses by owner node and receiver node. A
// slot keeps the owner and the record, whose own receiver confirms a match: a trace has
// hundreds of thousands of pairs. At most half full.
template <class Owner, class Record>
class alignas(kCacheLine) PeerIndex {
 public:
  void Clear() { table_.Clear(); }
  // Room for this many pairs without growing; only on an empty index.
  void Reserve(size_t pairs) { table_.Reserve(pairs); }
  size_t Count() const { return table_.Count(); }
  // receiver: the receiver's node id.
  int32_t Find(const Owner* owner, int32_t receiver, const ModelObjects& objects) const {
    const Slot* s = table_.Find(Hash(owner, receiver), [&](const Slot& slot) {
      return slot.owner == owner && objects.Get<Record>(slot.index).Receiver == receiver;
    });
    return s != nullptr ? s->index : -1;
  }
  void Prefetch(const Owner* owner, int32_t receiver) const { table_.Prefetch(Hash(owner, receiver)); }
  // The record a lookup most likely confirms (its slot fetched already); -1 when none.
  int32_t Likely(const Owner* owner, int32_t receiver) const {
    const Slot s = table_.First(Hash(owner, receiver));
    return s.owner == owner ? s.index : -1;
  }
  // Notes the record of a pair; a pair already noted keeps its first record. read: the part
  // of the trace read so far (0: not known), for the table's growth.
  void Add(const Owner* owner, int32_t index, const ModelObjects& objects, double read = 0) {
    const int32_t receiver = objects.Get<Record>(index).Receiver;
    if (Find(owner, receiver, objects) >= 0) return;
    table_.Add(
        Hash(owner, receiver), Slot{owner, index},
        [&](const Slot& s) { return Hash(s.owner, objects.Get<Record>(s.index).Receiver); }, read);
  }

 private:
  // Twelve bytes: the owner's other pairs are rare on a probe's way, so the record is read
  // only for them and for the match.
#pragma pack(push, 4)
  struct Slot {
    const Owner* owner = nullptr;
    int32_t index = -1;
    bool operator==(const Slot&) const = default;
  };
#pragma pack(pop)
  static_assert(sizeof(Slot) == 12);
  static size_t Hash(const Owner* owner, int32_t receiver) {
    const uint64_t h = reinterpret_cast<uintptr_t>(owner) * 0x9E3779B97F4A7C15ull;
    return MixHash{}(h ^ static_cast<uint32_t>(receiver));
  }
  ConfirmedIndex<Slot> table_;
};

// Port-based conversations by peer record and pair of ports. A slot keeps the peer and the
// conversation, whose own ports confirm a match: 8 bytes a slot where a copied key took 16,
// and a trace has a conversation per connection and direction.
class alignas(kCacheLine) PortConversationIndex {
 public:
  void Clear() { table_.Clear(); }
  int32_t Find(int32_t peer, uint16_t sourcePort, uint16_t destinationPort, const ModelObjects& objects) const {
    const Slot* s = table_.Find(Hash(peer, sourcePort, destinationPort), [&](const Slot& slot) {
      if (slot.peer != peer) return false;
      const TTransHead& c = objects.Get<TTransHead>(slot.conversation);
      return c.SourcePort == sourcePort && c.DestinationPort == destinationPort;
    });
    return s != nullptr ? s->conversation : -1;
  }
  // Notes a new conversation; one already noted for the peer and ports stays.
  void Add(int32_t peer, const TTransHead& conversation, int32_t index, const ModelObjects& objects, double read = 0) {
    if (Find(peer, conversation.SourcePort, conversation.DestinationPort, objects) >= 0) return;
    table_.Add(
        Hash(peer, conversation.SourcePort, conversation.DestinationPort), Slot{peer, index},
        [&](const Slot& s) {
          const TTransHead& c = objects.Get<TTransHead>(s.conversation);
          return Hash(s.peer, c.SourcePort, c.DestinationPort);
        },
        read);
  }

 private:
  struct Slot {
    int32_t peer = -1;
    int32_t conversation = -1;
    bool operator==(const Slot&) const = default;
  };
  static size_t Hash(int32_t peer, uint16_t s, uint16_t d) {
    return MixHash{}(static_cast<uint64_t>(static_cast<uint32_t>(peer)) << 32 | static_cast<uint32_t>(s) << 16 | d);
  }
  ConfirmedIndex<Slot> table_;
};

// What the retransmission rule compares of an earlier TCP segment.
struct RecentSegment {
  uint32_t Sequence = 0;
  int32_t Payload = 0;  // total length less both headers
  uint16_t FragmentOffset = 0;
  uint16_t TcpFlags = 0;
  uint8_t TTL = 0;
};

// The last real packets of a long conversation, so that the retransmission rule reads one
// compact block instead of following the chain through twenty records. The sequence numbers
// lie together: most segments repeat none, and two cache lines tell.
struct RecentSegments {
  static constexpr int kKept = 20;
  std::array<uint32_t, kKept> Sequences{};
  std::array<RecentSegment, kKept> Entries{};  // the rest of each segment (its Sequence unused)
  int32_t Newest = 0;                          // slot of the newest entry

  void Set(int slot, const RecentSegment& segment) {
    Sequences[static_cast<size_t>(slot)] = segment.Sequence;
    Entries[static_cast<size_t>(slot)] = segment;
  }
  void Push(const RecentSegment& segment) {
    Newest = Newest + 1 == kKept ? 0 : Newest + 1;
    Set(Newest, segment);
  }
  // back = 0: the newest.
  int Slot(int back) const { return Newest >= back ? Newest - back : Newest - back + kKept; }
  uint32_t SequenceBack(int back) const { return Sequences[static_cast<size_t>(Slot(back))]; }
  RecentSegment Back(int back) const {
    RecentSegment segment = Entries[static_cast<size_t>(Slot(back))];
    segment.Sequence = Sequences[static_cast<size_t>(Slot(back))];
    return segment;
  }
};

// What a conversation's real packets so far rule out, so that a TCP packet looks back for
// the segment it repeats only where one could be: an earlier packet is repeated only by one
// with its sequence number, and one that carries neither data nor a control flag only by one
// with a lower TTL.
struct RepeatFilter {
  static constexpr uint8_t kSeenData = 1, kSeenEmpty = 2;
  uint32_t MaxDataSequence = 0;   // among packets with data or a control flag
  uint32_t MaxEmptySequence = 0;  // among the others
  uint8_t MaxEmptyTtl = 0;
  uint8_t Seen = 0;
  uint8_t RealPackets = 0;  // stays at 255 once there

  // length: payload bytes, plus one for a control flag.
  void Note(int64_t length, uint32_t sequence, uint8_t ttl) {
    if (length != 0) {
      MaxDataSequence = (Seen & kSeenData) ? std::max(MaxDataSequence, sequence) : sequence;
      Seen |= kSeenData;
    } else {
      MaxEmptySequence = (Seen & kSeenEmpty) ? std::max(MaxEmptySequence, sequence) : sequence;
      MaxEmptyTtl = (Seen & kSeenEmpty) ? std::max(MaxEmptyTtl, ttl) : ttl;
      Seen |= kSeenEmpty;
    }
    if (RealPackets < UINT8_MAX) ++RealPackets;
  }
  // True when no packet noted so far is repeated by one with this sequence number and TTL.
  bool RulesOut(uint32_t sequence, uint8_t ttl) const {
    const bool data = (Seen & kSeenData) == 0 || sequence > MaxDataSequence;
    const bool empty = (Seen & kSeenEmpty) == 0 || sequence > MaxEmptySequence || ttl >= MaxEmptyTtl;
    return data && empty;
  }
};

class ChainIndex {
 public:
  void Clear() {
    recentSlots_.Clear();
    recent_.clear();
    recent_.shrink_to_fit();
    dlcPeers_.Clear();
    netPeers_.Clear();
    portConversations_.Clear();
    subConversations_.Clear();
    conversationTails_.clear();
    conversationTails_.shrink_to_fit();
    repeatFilters_.clear();
    repeatFilters_.shrink_to_fit();
  }

  // Peers of one station or network address (nodes never move) by receiver node id: the
  // first of the owner's chain with that receiver.
  int32_t FindPeer(const StationNode* owner, int32_t receiver, const ModelObjects& objects) const {
    return dlcPeers_.Find(owner, receiver, objects);
  }
  int32_t FindPeer(const NetAddressNode* owner, int32_t receiver, const ModelObjects& objects) const {
    return netPeers_.Find(owner, receiver, objects);
  }
  // Fetches ahead the index's place for the pair of owner and receiver.
  void PrefetchPeer(const StationNode* owner, int32_t receiver) const { dlcPeers_.Prefetch(owner, receiver); }
  void PrefetchPeer(const NetAddressNode* owner, int32_t receiver) const { netPeers_.Prefetch(owner, receiver); }
  // The size of the trace file being decoded (0: not known; kept by Clear). With the position
  // where a frame ends, that the callers below give, it tells how much of the trace was read
  // when a table must grow.
  void SetTraceSize(uint64_t bytes) { traceSize_ = bytes; }
  // Notes a peer appended at the end of owner's chain.
  void AddPeer(const StationNode* owner, int32_t index, const ModelObjects& objects, uint64_t position) {
    dlcPeers_.Add(owner, index, objects, Read(position));
  }
  void AddPeer(const NetAddressNode* owner, int32_t index, const ModelObjects& objects, uint64_t position) {
    netPeers_.Add(owner, index, objects, Read(position));
  }
  // The index of the network peers, given away (this one is left empty): it names every
  // TNetPeer, each the only one of its pair.
  PeerIndex<NetAddressNode, TNetPeer> TakeNetPeers() { return std::exchange(netPeers_, {}); }

  // The first conversation of a peer that a packet matches: port-based conversations match
  // on both ports, the others on their sub-protocol. Conversations are appended with rising
  // indexes, so the lower index is the earlier one in the chain.
  int32_t FindConversation(int32_t peer, SubProtocol sub, uint16_t sourcePort, uint16_t destinationPort,
                           const ModelObjects& objects) const {
    const int32_t byPorts = portConversations_.Find(peer, sourcePort, destinationPort, objects);
    // A port-based sub-protocol never names a conversation of the other kind: its packets
    // make port-based ones, so there is no need to look.
    if (IsPortBased(sub)) return byPorts;
    const int32_t* b = subConversations_.Find(SubKey(peer, sub));
    int32_t bySub = b ? *b : -1;
    if (byPorts < 0) return bySub;
    if (bySub < 0) return byPorts;
    return byPorts < bySub ? byPorts : bySub;
  }
  // Notes a conversation appended at the end of peer's chain.
  void AddConversation(int32_t peer, const TTransHead& conversation, int32_t index, const ModelObjects& objects,
                       uint64_t position) {
    if (IsPortBased(conversation.SubProtocol))
      portConversations_.Add(peer, conversation, index, objects, Read(position));
    else
      subConversations_.Put(SubKey(peer, conversation.SubProtocol), index, false);
  }

  // The last conversation of a network peer's chain, where the next one is linked: only
  // filing needs it, so it is kept here, by the peer record's slot, rather than in each of
  // hundreds of thousands of pair records. -1 until the peer's first conversation. A position
  // (0: not known) is given where the table may grow.
  int32_t& ConversationTail(int32_t peer, uint64_t position = 0) {
    return AtSlot(conversationTails_, peer, -1, Read(position));
  }

  // A conversation's repeat filter, by the record's slot.
  RepeatFilter& Filter(int32_t conversation, uint64_t position = 0) {
    return AtSlot(repeatFilters_, conversation, RepeatFilter{}, Read(position));
  }

  // The recent segments kept for a conversation (a TTransHead; records never move), or null.
  RecentSegments* Recent(const void* conversation) {
    const int32_t* slot = recentSlots_.Find(conversation);
    return slot ? &recent_[static_cast<size_t>(*slot)] : nullptr;
  }
  RecentSegments& AddRecent(const void* conversation) {
    recentSlots_.Put(conversation, static_cast<int32_t>(recent_.size()), false);
    return recent_.emplace_back();
  }
  size_t MemoryBytes() const { return recent_.capacity() * sizeof(RecentSegments); }

 private:
  // Tables kept beside the records grow with the trace: on huge pages once large, as each
  // growth moves them into fresh memory.
  template <class T>
  using Table = std::vector<T, LargeBlockAllocator<T>>;
  // The entry of a record's slot in a table kept beside the records, grown with `fill` as they
  // are made, as the hash tables grow.
  template <class T>
  static T& AtSlot(Table<T>& table, int32_t record, const T& fill, double read) {
    const auto slot = static_cast<size_t>(ModelObjects::SlotOf(record));
    if (slot >= table.size())
      table.resize(std::max<size_t>(slot + 1, GrownSlots(table.size(), table.size() / 2, read)), fill);
    return table[slot];
  }
  double Read(uint64_t position) const { return ReadFraction(position, traceSize_); }
  static uint64_t SubKey(int32_t peer, SubProtocol sub) {
    return static_cast<uint64_t>(static_cast<uint32_t>(peer)) << 32 | sub;
  }

  PeerIndex<StationNode, TDLCPeer> dlcPeers_;
  PeerIndex<NetAddressNode, TNetPeer> netPeers_;
  PortConversationIndex portConversations_;
  FlatIndexMap<uint64_t, MixHash> subConversations_;
  FlatIndexMap<const void*, MixHash> recentSlots_;
  Table<RecentSegments> recent_;
  Table<int32_t> conversationTails_;
  Table<RepeatFilter> repeatFilters_;
  uint64_t traceSize_ = 0;
};

}  // namespace corvanta

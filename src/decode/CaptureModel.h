#pragma once
// The capture model: everything known about the open trace. Decoding fills it frame by
// frame; afterwards every view reads it. One object, rebuilt from scratch for every trace.
#include <algorithm>
#include <bitset>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "decode/ChainIndex.h"
#include "decode/ModelStore.h"
#include "decode/ModelTypes.h"
#include "decode/PacketFlags.h"

namespace corvanta {

// One bit per TCP port.
using PortSet = std::bitset<65536>;

// Servers found on unregistered ports: (server address, port) pairs, each learned from a SYN
// sent to it. A port alone would also turn round the conversations of clients that happen
// to use the same number as their own port.
class LearnedServerTable {
 public:
  // Only IP addresses are learned: the SYN that teaches a server is TCP.
  void Add(const AddressKey& server, uint16_t port) {
    if (server.Length != kIpKeyLength) return;
    ports_.set(port);
    pairs_.Put(Pair(server, port), 0, false);
  }
  bool Contains(const AddressKey& server, uint16_t port) const {
    return server.Length == kIpKeyLength && ports_.test(port) && pairs_.Find(Pair(server, port)) != nullptr;
  }
  size_t Count() const { return pairs_.Size(); }
  bool Empty() const { return pairs_.Size() == 0; }
  // Calls f(address) for every server learned (once for each of its ports).
  template <class F>
  void ForEachServer(F&& f) const {
    pairs_.ForEach([&](uint64_t pair, int32_t) {
      const auto ip = static_cast<uint32_t>(pair >> 16);
      const uint8_t bytes[kIpKeyLength] = {static_cast<uint8_t>(ip >> 24), static_cast<uint8_t>(ip >> 16),
                                           static_cast<uint8_t>(ip >> 8), static_cast<uint8_t>(ip)};
      f(AddressKey::At(ByteView(bytes, kIpKeyLength), 0, kIpKeyLength));
    });
  }
  void Clear() {
    ports_.reset();
    pairs_.Clear();
  }

 private:
  static uint64_t Pair(const AddressKey& server, uint16_t port) {
    const uint8_t* b = server.Bytes.data();
    return (uint64_t{b[0]} << 24 | uint64_t{b[1]} << 16 | uint64_t{b[2]} << 8 | b[3]) << 16 | port;
  }

  PortSet ports_;  // answers most lookups without hashing
  // One probe in a flat table: every conversation of a server is looked up after the pass.
  FlatIndexMap<uint64_t, MixHash> pairs_;
};

class CaptureModel {
 public:
  CaptureModel() = default;
  CaptureModel(const CaptureModel&) = delete;
  CaptureModel& operator=(const CaptureModel&) = delete;

  // Releases every record and node and clears the per-trace tables. The statistics and the
  // import of the analyzer's name files belong to the processing run that calls this.
  void Reset();

  ModelObjects Objects;  // TDLCPeer, TNetPeer, TTransHead, TMACInfo, TNameHead
  PacketList Packets;
  StationTree Stations;
  NetAddressTree NetAddresses;
  NameTree Names;
  ModelCounts Counts;
  FragmentPortTable FragmentPorts;
  LearnedServerTable LearnedServers;
  // Sending IP addresses taken for hosts whose adapter fills in the transport checksums
  // (none of their judged TCP and UDP checksums was right), in key order.
  std::vector<AddressKey> ChecksumOffload;
  // Lookups over the chains for the decoder; rebuilt by decoding, cleared by Reset.
  ChainIndex Chains;

  // Chain walks. Each calls f(index, record) in chain order; f may return false to stop.
  // A walk ends at the chain's "none" value, at an index that does not hold the expected
  // class, and after as many steps as there are records of that class, so a damaged chain
  // cannot loop.

  // The station's TDLCPeer chain (none for a station that has only received).
  template <class F>
  void ForEachDlcPeer(const StationNode& station, F&& f) const {
    Walk<TDLCPeer>(FirstPeerOf(station), f, [](const TDLCPeer& p) { return NextPeerOf(p); });
  }
  // The address's TNetPeer chain.
  template <class F>
  void ForEachNetPeer(const NetAddressNode& address, F&& f) const {
    Walk<TNetPeer>(FirstPeerOf(address), f, [](const TNetPeer& p) { return NextPeerOf(p); });
  }
  // The peer's conversations.
  template <class F>
  void ForEachConversation(const TNetPeer& peer, F&& f) const {
    Walk<TTransHead>(peer.FirstConversation, f, [](const TTransHead& c) { return c.NextConversation; });
  }
  // The station's TMACInfo chain.
  template <class F>
  void ForEachRingInfo(const StationNode& station, F&& f) const {
    Walk<TMACInfo>(station.FirstRingInfo, f, [](const TMACInfo& m) { return m.Next; });
  }
  // The conversation's packets from FirstPacket along their links.
  template <class F>
  void ForEachPacket(const TTransHead& conversation, F&& f) const {
    int32_t budget = Packets.Count();
    for (int32_t i = conversation.FirstPacket; Packets.Contains(i) && budget-- > 0; i = Packets.Next(i))
      if (!CallAndContinue(f, i, Packets.At(i))) return;
  }

  // Walks over a great many chains, whose records lie far apart: the chains are followed side
  // by side, or the records fetched some places ahead, so that the waits for memory overlap.

  // f(c, index, record) for the peer records of the nodes nodeAt(c), c < count (stations or
  // network addresses, as for ForEachDlcPeer and ForEachNetPeer): each chain in its order, many
  // chains at a time.
  template <class NodeAt, class F>
  void FollowPeersOf(size_t count, NodeAt nodeAt, F&& f) const {
    using Node = std::remove_cvref_t<decltype(*nodeAt(size_t{0}))>;
    using Record = std::conditional_t<std::is_same_v<Node, StationNode>, TDLCPeer, TNetPeer>;
    struct Records {
      const ModelObjects& Objects;
      int32_t Count() const { return Objects.CountOf<Record>(); }
      bool Contains(int32_t i) const { return Objects.Is<Record>(i); }
      const Record& At(int32_t i) const { return Objects.Get<Record>(i); }
      int32_t Next(int32_t i) const { return NextPeerOf(Objects.Get<Record>(i)); }
    };
    const Records records{Objects};
    FollowChains(
        records, count, [&](size_t c) { return FirstPeerOf(*nodeAt(c)); },
        [&](size_t, size_t c, size_t, int32_t index, const Record& record) { f(c, index, record); });
  }
  // The TNetPeer records of the addresses nodeAt(c), c < count, as (c, index) pairs grouped
  // by address, each address's in chain order.
  template <class NodeAt>
  std::vector<std::pair<uint32_t, int32_t>> NetPeersOf(size_t count, NodeAt nodeAt) const {
    std::vector<std::pair<uint32_t, int32_t>> found;
    found.reserve(static_cast<size_t>(Objects.CountOf<TNetPeer>()));
    FollowPeersOf(count, nodeAt, [&](size_t c, int32_t index, const TNetPeer&) {
      found.emplace_back(static_cast<uint32_t>(c), index);
    });
    // A lane follows one chain at a time, so a stable grouping keeps each chain's order.
    std::vector<uint32_t> start(count + 1, 0);
    for (const auto& member : found) ++start[member.first + 1];
    for (size_t c = 0; c < count; ++c) start[c + 1] += start[c];
    std::vector<std::pair<uint32_t, int32_t>> grouped(found.size());
    for (const auto& member : found) grouped[start[member.first]++] = member;
    return grouped;
  }
  // f(n, index, conversation) for the conversations of the TNetPeer records peerAt(n), n < count,
  // in that order and each peer's in chain order.
  template <class PeerAt, class F>
  void ForEachConversationOf(size_t count, PeerAt peerAt, F&& f) const {
    constexpr size_t kAhead = 32, kHalf = kAhead / 2;
    for (size_t n = 0; n < count; ++n) {
      if (n + kAhead < count) Objects.Prefetch<TNetPeer>(peerAt(n + kAhead));
      if (n + kHalf < count) Objects.Prefetch<TTransHead>(Objects.Get<TNetPeer>(peerAt(n + kHalf)).FirstConversation);
      ForEachConversation(Objects.Get<TNetPeer>(peerAt(n)), [&](int32_t index, const TTransHead& conversation) {
        Objects.Prefetch<TTransHead>(conversation.NextConversation);
        f(n, index, conversation);
      });
    }
  }

  // The largest window of the conversation's packets (placeholders and report records aside).
  uint16_t LargestWindow(const TTransHead& conversation) const {
    uint16_t largest = 0;
    ForEachPacket(conversation, [&largest](int32_t, const TPacket& p) {
      if (IsRealPacket(p.Flags)) largest = std::max(largest, p.Window);
    });
    return largest;
  }

  // Bytes held by the lists and trees (not counting the fixed tables).
  size_t MemoryBytes() const;

 private:
  // Where a node's peer chain starts (a station's only once it has sent) and goes on; -1: none.
  static int32_t FirstPeerOf(const StationNode& s) { return (s.Roles & kRolesSent) != 0 ? s.FirstPeer : -1; }
  static int32_t FirstPeerOf(const NetAddressNode& a) { return a.FirstPeer != 0 ? a.FirstPeer : -1; }
  static int32_t NextPeerOf(const TDLCPeer& p) { return p.NextPeer >= 1 ? p.NextPeer : -1; }
  static int32_t NextPeerOf(const TNetPeer& p) { return p.NextPeer != 0 ? p.NextPeer : -1; }

  template <class T, class F, class Next>
  void Walk(int32_t first, F& f, Next next) const {
    int32_t budget = Objects.CountOf<T>();
    for (int32_t i = first; Objects.Is<T>(i) && budget-- > 0; i = next(Objects.Get<T>(i)))
      if (!CallAndContinue(f, i, Objects.Get<T>(i))) return;
  }
};

}  // namespace corvanta

#pragma once
// The capture model: everything known about the open trace. Decoding fills it frame by
// frame; afterwards every view reads it. One object, rebuilt from scratch for every trace.
#include <bitset>
#include <cstdint>

#include "decode/ChainIndex.h"
#include "decode/ModelStore.h"
#include "decode/ModelTypes.h"

namespace corvanta {

// One bit per TCP port.
using PortSet = std::bitset<65536>;

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
  PortSet LearnedServerPorts;
  // Lookups over the chains for the decoder; rebuilt by decoding, cleared by Reset.
  ChainIndex Chains;

  // Chain walks. Each calls f(index, record) in chain order; f may return false to stop.
  // A walk ends at the chain's "none" value, at an index that does not hold the expected
  // class, and after as many steps as there are records, so a damaged chain cannot loop.

  // The station's TDLCPeer chain (none for a station that has only received).
  template <class F>
  void ForEachDlcPeer(const StationNode& station, F&& f) const {
    int32_t first = (station.Roles & kRolesSent) != 0 ? station.FirstPeer : -1;
    Walk<TDLCPeer>(first, f, [](const TDLCPeer& p) { return p.NextPeer >= 1 ? p.NextPeer : -1; });
  }
  // The address's TNetPeer chain.
  template <class F>
  void ForEachNetPeer(const NetAddressNode& address, F&& f) const {
    int32_t first = address.FirstPeer != 0 ? address.FirstPeer : -1;
    Walk<TNetPeer>(first, f, [](const TNetPeer& p) { return p.NextPeer != 0 ? p.NextPeer : -1; });
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
  // The conversation's packets from FirstPacket along NextPacket.
  template <class F>
  void ForEachPacket(const TTransHead& conversation, F&& f) const {
    int32_t budget = Packets.Count();
    for (int32_t i = conversation.FirstPacket; Packets.Contains(i) && budget-- > 0; i = Packets.At(i).NextPacket)
      if (!CallAndContinue(f, i, Packets.At(i))) return;
  }

  // Bytes held by the lists and trees (not counting the fixed tables).
  size_t MemoryBytes() const;

 private:
  template <class T, class F, class Next>
  void Walk(int32_t first, F& f, Next next) const {
    int32_t budget = Objects.Count();
    for (int32_t i = first; Objects.Is<T>(i) && budget-- > 0; i = next(Objects.Get<T>(i)))
      if (!CallAndContinue(f, i, Objects.Get<T>(i))) return;
  }
};

}  // namespace corvanta

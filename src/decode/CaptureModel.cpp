#include "decode/CaptureModel.h"

#include <algorithm>
#include <bit>

namespace corvanta {

namespace {

void AddCount(int32_t& counter, int32_t count) {
  counter = static_cast<int32_t>(std::clamp<int64_t>(int64_t{counter} + count, INT32_MIN, INT32_MAX));
}

// Whether counting `member` keeps a set's breakdown implicit: it is the set's only member
// and inside the breakdown, so every count so far went to it and equals the total.
template <class Set>
bool StaysSole(Set set, unsigned member, int size) {
  return member < static_cast<unsigned>(size) && (set == 0 || set == static_cast<Set>(Set{1} << member));
}

// The implicit breakdown: the total under the set's only member.
template <size_t N, class Set>
std::array<int32_t, N> SoleCounts(Set set, int32_t total) {
  std::array<int32_t, N> counts{};
  if (std::has_single_bit(set) && static_cast<size_t>(std::countr_zero(set)) < N) counts[std::countr_zero(set)] = total;
  return counts;
}

}  // namespace

void ModelObjects::CountFrames(TDLCPeer& peer, Encapsulation encapsulation, ProtocolCategory category, int32_t count) {
  if (peer.Breakdown < 0 && !(StaysSole(peer.Encapsulations, encapsulation, kEncapsulationCount) &&
                              StaysSole(peer.Protocols, category, kProtocolCategoryCount))) {
    const DlcBreakdown counts = DlcCounts(peer);
    peer.Breakdown = dlcBreakdowns_.Append();
    dlcBreakdowns_[peer.Breakdown] = counts;
  }
  AddToSet(peer.Encapsulations, encapsulation);
  AddToSet(peer.Protocols, category);
  AddCount(peer.Frames, count);
  if (!dlcBreakdowns_.Contains(peer.Breakdown)) return;
  DlcBreakdown& b = dlcBreakdowns_[peer.Breakdown];
  if (encapsulation < kEncapsulationCount) AddCount(b.FramesByEncapsulation[encapsulation], count);
  if (category < kProtocolCategoryCount) AddCount(b.FramesByProtocol[category], count);
}

void ModelObjects::CountPackets(TNetPeer& peer, SubProtocol sub, int32_t count) {
  if (peer.Breakdown < 0 && !StaysSole(peer.SubProtocols, sub, kSubProtocolCount)) {
    const NetBreakdown counts = PacketsBySubProtocol(peer);
    peer.Breakdown = netBreakdowns_.Append();
    netBreakdowns_[peer.Breakdown] = counts;
  }
  AddToSet(peer.SubProtocols, sub);
  AddCount(peer.Packets, count);
  if (netBreakdowns_.Contains(peer.Breakdown) && sub < kSubProtocolCount)
    AddCount(netBreakdowns_[peer.Breakdown][sub], count);
}

DlcBreakdown ModelObjects::DlcCounts(const TDLCPeer& peer) const {
  if (peer.Breakdown >= 0)
    return dlcBreakdowns_.Contains(peer.Breakdown) ? dlcBreakdowns_[peer.Breakdown] : DlcBreakdown{};
  return {SoleCounts<kEncapsulationCount>(peer.Encapsulations, peer.Frames),
          SoleCounts<kProtocolCategoryCount>(peer.Protocols, peer.Frames)};
}

NetBreakdown ModelObjects::PacketsBySubProtocol(const TNetPeer& peer) const {
  if (peer.Breakdown >= 0)
    return netBreakdowns_.Contains(peer.Breakdown) ? netBreakdowns_[peer.Breakdown] : NetBreakdown{};
  return SoleCounts<kSubProtocolCount>(peer.SubProtocols, peer.Packets);
}

int32_t PacketList::Append(TTransHead& conversation) {
  int32_t index = New();
  if (conversation.FirstPacket < 0 || !Contains(conversation.LastPacket)) {
    conversation.FirstPacket = index;
  } else {
    SetPrevious(index, conversation.LastPacket);
    SetNext(conversation.LastPacket, index);
  }
  conversation.LastPacket = index;
  return index;
}

int32_t PacketList::InsertAfter(TTransHead& conversation, int32_t after) {
  if (!Contains(after)) return -1;
  int32_t index = New();
  const int32_t following = Next(after);
  SetPrevious(index, after);
  SetNext(index, following);
  if (Contains(following)) SetPrevious(following, index);
  SetNext(after, index);
  if (conversation.LastPacket == after) conversation.LastPacket = index;
  return index;
}

void CaptureModel::Reset() {
  Objects.Reset();
  Packets.Reset();
  Stations.Reset();
  NetAddresses.Reset();
  Names.Reset();
  Counts = ModelCounts{};
  FragmentPorts = FragmentPortTable{};
  LearnedServers.Clear();
  ChecksumOffload.clear();
  Chains.Clear();
}

size_t CaptureModel::MemoryBytes() const {
  return Objects.MemoryBytes() + Packets.MemoryBytes() + Stations.MemoryBytes() + NetAddresses.MemoryBytes() +
         Names.MemoryBytes() + Chains.MemoryBytes();
}

}  // namespace corvanta

#include "decode/CaptureModel.h"

namespace corvanta {

int32_t PacketList::Append(TTransHead& conversation) {
  int32_t index = New();
  TPacket& packet = packets_[index];
  if (conversation.FirstPacket < 0 || !Contains(conversation.LastPacket)) {
    conversation.FirstPacket = index;
  } else {
    packet.PreviousPacket = conversation.LastPacket;
    packets_[conversation.LastPacket].NextPacket = index;
  }
  conversation.LastPacket = index;
  return index;
}

int32_t PacketList::InsertAfter(TTransHead& conversation, int32_t after) {
  if (!Contains(after)) return -1;
  int32_t index = New();
  TPacket& packet = packets_[index];
  TPacket& before = packets_[after];
  packet.PreviousPacket = after;
  packet.NextPacket = before.NextPacket;
  if (Contains(before.NextPacket)) packets_[before.NextPacket].PreviousPacket = index;
  before.NextPacket = index;
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

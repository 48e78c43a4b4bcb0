#include "decode/DataLinkStations.h"

#include "decode/TraceStatistics.h"
#include "naming/VendorTable.h"

namespace corvanta {

uint16_t DataLinkStations::VendorOf(const AddressKey& address) const {
  return vendors_ ? vendors_->Lookup(address.View()) : 0;
}

int32_t DataLinkStations::FindOrCreate(const AddressKey& address) {
  bool created = false;
  const int32_t id = model_.Stations.FindOrInsertId(address, created);
  if (created) {
    StationNode& s = *model_.Stations.At(id);
    Bump(model_.Counts.Stations);
    s.VendorIndex = VendorOf(address);
    s.FirstRingInfo = -1;
    s.FirstPeer = 0;
    s.Roles = 0;
  }
  return id;
}

int32_t DataLinkStations::NewDlcPeer(int32_t receiver) {
  int32_t index = model_.Objects.New<TDLCPeer>();
  TDLCPeer& peer = model_.Objects.Get<TDLCPeer>(index);
  peer.Receiver = receiver;
  peer.NextPeer = 0;
  return index;
}

int32_t DataLinkStations::NoteReceiver(const DataLinkFrame& frame) { return FindOrCreate(frame.link.destination); }

StationNode& DataLinkStations::UpdateSource(const DataLinkFrame& frame, const StationFrameFacts& facts) {
  const DataLinkResult& link = frame.link;
  StationNode& s = *model_.Stations.At(FindOrCreate(link.source));
  // Its first peer is made by UpdatePeer, as every other one is.
  if ((s.Roles & kRolesSent) == 0) {
    s.Roles = kRolesSent;
    Bump(model_.Counts.SendingStations);
  }

  AddToSet(s.Protocols, link.category);
  AddToSet(s.Encapsulations, link.encapsulation);
  AddToSet(s.FrameStatus, frame.statusMember);
  s.WorkProtocols = s.Protocols;
  s.WorkEncapsulations = s.Encapsulations;
  s.WorkFrameStatus = s.FrameStatus;

  Bump(s.FramesSent);
  Bump(s.BytesSent, facts.length);
  if (link.group) Bump(s.GroupFramesSent);
  if (facts.crcError) Bump(s.ErrorFramesSent);
  if (int64_t{facts.frameNumber} - facts.lastCollisionFrame < 3 && !facts.crcError) Bump(s.FramesAfterCollision);
  return s;
}

TDLCPeer& DataLinkStations::UpdatePeer(StationNode& source, int32_t receiver, const DataLinkFrame& frame,
                                       uint32_t length, uint64_t position) {
  const DataLinkResult& link = frame.link;
  ModelObjects& objects = model_.Objects;
  int32_t found = model_.Chains.FindPeer(&source, receiver, objects);
  if (found < 0) {
    found = NewDlcPeer(receiver);
    objects.AppendToChain(source.FirstPeer, source.LastPeer, found, &TDLCPeer::NextPeer);
    model_.Chains.AddPeer(&source, found, objects, position);
  }

  TDLCPeer& peer = objects.Get<TDLCPeer>(found);
  objects.CountFrames(peer, link.encapsulation, link.category);
  AddToSet(peer.FrameStatus, frame.statusMember);
  Bump(peer.Bytes, length);
  return peer;
}

StationNode& DataLinkStations::UpdateDestination(int32_t receiver, const DataLinkFrame& frame, uint32_t length) {
  const DataLinkResult& link = frame.link;
  StationNode& d = *model_.Stations.At(receiver);
  AddToSet(d.Protocols, link.category);
  AddToSet(d.Encapsulations, link.encapsulation);
  AddToSet(d.FrameStatus, frame.statusMember);
  Bump(d.FramesReceived);
  Bump(d.BytesReceived, length);
  return d;
}

void DataLinkStations::ReportSoftErrors(StationNode& station, const std::array<uint8_t, kSoftErrorKindCount>& counts,
                                        const AddressKey& upstream) {
  for (int k = 0; k < kSoftErrorKindCount; ++k)
    if (counts[k] != 0) station.SoftErrorFlags = static_cast<uint16_t>(station.SoftErrorFlags | (1u << k));

  ModelObjects& objects = model_.Objects;
  int32_t found = -1;
  int32_t last = -1;
  int32_t budget = objects.CountOf<TMACInfo>();
  for (int32_t i = station.FirstRingInfo; objects.Is<TMACInfo>(i) && budget-- > 0; i = objects.Get<TMACInfo>(i).Next) {
    if (objects.Get<TMACInfo>(i).Neighbour == upstream) {
      found = i;
      break;
    }
    last = i;
  }
  if (found < 0) {
    found = objects.New<TMACInfo>();
    TMACInfo& info = objects.Get<TMACInfo>(found);
    info.Neighbour = upstream;
    info.VendorIndex = VendorOf(upstream);
    info.Next = -1;
    if (last >= 0)
      objects.Get<TMACInfo>(last).Next = found;
    else
      station.FirstRingInfo = found;
  }

  TMACInfo& info = objects.Get<TMACInfo>(found);
  for (int k = 0; k < kSoftErrorKindCount; ++k) Bump(info.SoftErrors[k], counts[k]);
}

void DataLinkStations::NoteUpstreamNeighbour(StationNode& station, const AddressKey& upstream) {
  ModelObjects& objects = model_.Objects;
  if (!objects.Is<TMACInfo>(station.FirstRingInfo)) {
    station.FirstRingInfo = objects.New<TMACInfo>();
    objects.Get<TMACInfo>(station.FirstRingInfo).Next = -1;
  }
  TMACInfo& first = objects.Get<TMACInfo>(station.FirstRingInfo);
  // The vendor always matches the neighbour the record names: soft-error reports against
  // that neighbour land in this record and are listed with it.
  first.VendorIndex = VendorOf(upstream);
  first.Neighbour = upstream;
}

}  // namespace corvanta

#include "analysis/Toolbox.h"

#include <algorithm>

#include "naming/IcmpMessages.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"
#include "naming/UserPorts.h"

namespace corvanta {

namespace {

template <class Match>
int FindEntry(const std::vector<ToolboxEntry>& list, Match match) {
  auto it = std::find_if(list.begin(), list.end(), match);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

int FindText(const std::vector<ToolboxEntry>& list, const std::string& text) {
  return FindEntry(list, [&](const ToolboxEntry& e) { return e.Text == text; });
}

int FirstOrNone(const std::vector<ToolboxEntry>& list) { return list.empty() ? -1 : 0; }

}  // namespace

std::string ToolboxAppText(const CaptureModel& model, const TTransHead& head, const UserPorts& ports) {
  const unsigned sub = head.SubProtocol;
  std::string name(SubProtocolName(sub));
  if (sub == kSubTcp || sub == kSubUdp)
    return name + "/" + LookupPortName(ports, head.SourcePort).name + "<->" +
           LookupPortName(ports, head.DestinationPort).name;
  if (sub == kSubIcmp) {
    if (!model.Packets.Contains(head.FirstPacket)) return name;
    const TPacket& first = model.Packets.At(head.FirstPacket);
    const auto type = static_cast<uint8_t>(first.Window & 0xFF);
    const auto code = static_cast<uint8_t>(first.Window >> 8);
    const std::string_view message = IcmpMessageText(type, code);
    if (message.empty()) return name;
    std::string text = name + " " + std::string(message);
    // Only echo packets carry a sequence number; a 0 would name no packet.
    if (type != 0 && type != 8 && first.Sequence != 0) text += " (pkt " + std::to_string(first.Sequence) + ")";
    return text;
  }
  if (sub <= kSubOtherIp) return name;
  if (sub <= kSubOtherIpx)
    return "IPX (Socket " + IpxSocketName(head.SourcePort) + "<->" + IpxSocketName(head.DestinationPort) + ")/" + name;
  return "Other";
}

std::string ToolboxAddressText(const AddressKey& address, bool ipxByOui, const VendorTable* vendors) {
  if (address.Length == kIpxKeyLength) return FormatNetAddress(address.View(), false, ipxByOui, vendors);
  return FormatIpAddress(address.View());
}

void ToolboxState::Reset(const CaptureModel* model, int32_t frames, const UserPorts* ports,
                         const VendorTable* vendors) {
  model_ = model;
  ports_ = ports;
  vendors_ = vendors;
  frames_ = std::max(frames, 0);
  swappedFrom_ = swappedTo_ = Place{};
  FillSources();
  source_ = FirstOrNone(sources_);
  FillTargets();
  target_ = FirstOrNone(targets_);
  TestReverse();
  FillApps();
  app_ = FirstOrNone(apps_);
  ResetRange();
}

void ToolboxState::FillSources() {
  sources_.clear();
  if (model_ == nullptr) return;
  model_->NetAddresses.ForEach([&](const NetAddressNode& node) {
    if ((node.Roles & kRolesSent) != 0)
      sources_.push_back({ToolboxAddressText(node.Address, ipxByOui_, vendors_), &node, -1});
  });
}

void ToolboxState::FillTargets() {
  targets_.clear();
  if (model_ == nullptr || source_ < 0 || source_ >= static_cast<int>(sources_.size())) return;
  model_->ForEachNetPeer(*sources_[static_cast<size_t>(source_)].Station, [&](int32_t index, const TNetPeer& peer) {
    const AddressKey& receiver = model_->NetAddresses.AddressAt(peer.Receiver);
    if (receiver.Length == 0) return false;
    targets_.push_back({ToolboxAddressText(receiver, ipxByOui_, vendors_), nullptr, index});
    return true;
  });
}

void ToolboxState::FillApps() {
  apps_.clear();
  if (model_ == nullptr || target_ < 0 || target_ >= static_cast<int>(targets_.size())) return;
  static const UserPorts kNoPorts;
  const UserPorts& ports = ports_ != nullptr ? *ports_ : kNoPorts;
  const TNetPeer& peer = model_->Objects.Get<TNetPeer>(targets_[static_cast<size_t>(target_)].Object);
  model_->ForEachConversation(peer, [&](int32_t index, const TTransHead& head) {
    apps_.push_back({ToolboxAppText(*model_, head, ports), nullptr, index});
  });
}

void ToolboxState::TestReverse() {
  oneWay_ = true;
  if (model_ == nullptr || source_ < 0 || target_ < 0 || target_ >= static_cast<int>(targets_.size())) return;
  const TNetPeer& peer = model_->Objects.Get<TNetPeer>(targets_[static_cast<size_t>(target_)].Object);
  const NetAddressNode* destination = model_->NetAddresses.At(peer.Receiver);
  if (destination == nullptr || destination->FirstPeer == 0) return;
  oneWay_ = FindNetPeer(*model_, *destination, *sources_[static_cast<size_t>(source_)].Station) < 0;
}

void ToolboxState::SetIpxByOui(bool on) {
  ipxByOui_ = on;
  for (ToolboxEntry& e : sources_) e.Text = ToolboxAddressText(e.Station->Address, on, vendors_);
  for (ToolboxEntry& e : targets_)
    e.Text = ToolboxAddressText(model_->NetAddresses.AddressAt(model_->Objects.Get<TNetPeer>(e.Object).Receiver), on,
                                vendors_);
}

bool ToolboxState::SelectSource(int index) {
  if (index < 0 || index >= static_cast<int>(sources_.size()) || index == source_) return false;
  source_ = index;
  FillTargets();
  target_ = FirstOrNone(targets_);
  TestReverse();
  FillApps();
  app_ = FirstOrNone(apps_);
  return true;
}

bool ToolboxState::SelectTarget(int index) {
  if (index < 0 || index >= static_cast<int>(targets_.size()) || index == target_) return false;
  target_ = index;
  TestReverse();
  FillApps();
  app_ = FirstOrNone(apps_);
  return true;
}

bool ToolboxState::SelectApp(int index) {
  if (index < 0 || index >= static_cast<int>(apps_.size()) || index == app_) return false;
  app_ = index;
  return true;
}

void ToolboxState::Apply(const Place& place) {
  source_ = place.Source;
  FillTargets();
  target_ =
      place.Target >= 0 && place.Target < static_cast<int>(targets_.size()) ? place.Target : FirstOrNone(targets_);
  TestReverse();
  FillApps();
  app_ = place.App >= 0 && place.App < static_cast<int>(apps_.size()) ? place.App : FirstOrNone(apps_);
}

bool ToolboxState::Swap() {
  if (oneWay_ || !HasConversation()) return false;
  const Place from = Current();
  if (from == swappedTo_) {
    Apply(swappedFrom_);
    std::swap(swappedFrom_, swappedTo_);
    return true;
  }
  const Selection s = GetNetDst();
  Place to;
  to.Source = FindEntry(sources_, [&](const ToolboxEntry& e) { return e.Station == s.ReverseStation; });
  if (to.Source < 0) return false;
  source_ = to.Source;
  FillTargets();
  to.Target = FindEntry(targets_, [&](const ToolboxEntry& e) { return e.Object == s.ReversePeer; });
  // A reverse direction without the same conversation shows the pair's first one.
  target_ = to.Target;
  FillApps();
  to.App = FindEntry(apps_, [&](const ToolboxEntry& e) { return e.Object == s.ReverseConversation; });
  Apply(to);
  swappedFrom_ = from;
  swappedTo_ = Current();
  return true;
}

void ToolboxState::Preselect(const RequestedConversation& request) {
  if (sources_.empty()) return;
  if (!request.SenderKey.empty() && request.Peer >= 0 && request.Head >= 0) {
    const AddressKey sender =
        AddressKey::Of(reinterpret_cast<const uint8_t*>(request.SenderKey.data()), request.SenderKey.size());
    Place place;
    place.Source = FindEntry(sources_, [&](const ToolboxEntry& e) { return e.Station->Address == sender; });
    if (place.Source >= 0) {
      source_ = place.Source;
      FillTargets();
      place.Target = FindEntry(targets_, [&](const ToolboxEntry& e) { return e.Object == request.Peer; });
      target_ = place.Target;
      FillApps();
      place.App = FindEntry(apps_, [&](const ToolboxEntry& e) { return e.Object == request.Head; });
      if (place.Target >= 0 && place.App >= 0) {
        Apply(place);
        return;
      }
    }
  }
  if (request.Source.empty()) {
    Apply(Current());
    return;
  }
  auto pick = [&](const std::string& plain, const std::string& vendor) {
    return ipxByOui_ && !vendor.empty() ? vendor : plain;
  };
  Place place;
  place.Source = std::max(FindText(sources_, pick(request.Source, request.SourceVendor)), 0);
  source_ = place.Source;
  FillTargets();
  place.Target = std::max(FindText(targets_, pick(request.Destination, request.DestinationVendor)), 0);
  target_ = place.Target;
  FillApps();
  place.App = request.App.empty() ? 0 : std::max(FindText(apps_, request.App), 0);
  Apply(place);
}

void ToolboxState::ResetRange() {
  first_ = 1;
  last_ = std::max(frames_, 1);
}

int32_t ToolboxState::SetFirstPacket(int32_t value) {
  first_ = std::clamp(value, 1, last_);
  return first_;
}

int32_t ToolboxState::SetLastPacket(int32_t value) {
  last_ = std::clamp(value, first_, std::max(frames_, first_));
  return last_;
}

Selection ToolboxState::GetNetDst() const {
  Selection s;
  s.FirstPacketNumber = first_;
  s.LastPacketNumber = last_;
  if (model_ == nullptr || !HasConversation()) return s;
  s.SourceStation = sources_[static_cast<size_t>(source_)].Station;
  s.DestPeer = targets_[static_cast<size_t>(target_)].Object;
  s.CurrentConversation = apps_[static_cast<size_t>(app_)].Object;
  ResolveReverse(*model_, s);
  return s;
}

}  // namespace corvanta

#include "analysis/PeerMap.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <unordered_map>

#include "decode/CaptureModel.h"
#include "decode/DataLink.h"
#include "decode/TraceStatistics.h"
#include "naming/LearnedNames.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"

namespace corvanta {

namespace {

constexpr uint32_t Bit(unsigned member) { return uint32_t{1} << member; }

// Station edges keep their frames by encapsulation first, then by category.
constexpr int kProtocolFramesAt = kEncapsulationCount;
static_assert(kProtocolFramesAt + kProtocolCategoryCount <= kSubProtocolCount);

constexpr int kHopBuckets = 11;  // 0..9 hops, then "10+ Hops"
constexpr uint32_t kAllHops = (uint32_t{1} << kHopBuckets) - 1;

constexpr std::array<PeerMapKey, 2> kErrorKeys = {
    {{"CRC", kRed, Bit(kFrameStatusCrcError)}, {"No Errors", kAqua, Bit(kFrameStatusGood)}}};

constexpr std::array<PeerMapKey, 14> kProtocolKeys = {{
    {"AppleTalk", kFuchsia, Bit(kCatAppletalk)},
    {"DEC", kLime, Bit(kCatDecnet) | Bit(kCatLat) | Bit(kCatLavc)},
    {"IP-ARP", kAqua, Bit(kCatArpRarp)},
    {"IP", kBlue, Bit(kCatIp)},
    {"IPX", kYellow, Bit(kCatIpx)},
    {"ISO", kMaroon, Bit(kCatIso)},
    {"NetBIOS-LLC", kTeal, Bit(kCatNetBiosLlc)},
    {"NetBIOS-IP", kNavy, Bit(kCatNetBiosIp)},
    {"NetBIOS-IPX", kPurple, Bit(kCatNetBiosIpx)},
    {"SNA", kOlive, Bit(kCatSna)},
    {"XNS", kGreen, Bit(kCatXns)},
    {"Vines", MakeColor(128, 0, 64), Bit(kCatVines)},
    {"BPDU", kGray, Bit(kCatBpdu)},
    {"Other", kBlack, Bit(kCatOther) | Bit(kCatMac)},
}};

// The colours of Key1 to Key11; a key captioned "Other" is black.
constexpr std::array<uint32_t, 11> kNetworkKeyColors = {kFuchsia, kLime,   kAqua,   kBlue,  kYellow, kTeal,
                                                        kNavy,    kPurple, kMaroon, kOlive, kGreen};

struct NamedMembers {
  std::string_view caption;
  uint32_t members;
};
constexpr std::array<NamedMembers, 8> kIpKeys = {{{"UDP", Bit(kSubUdp)},
                                                  {"TCP", Bit(kSubTcp)},
                                                  {"ICMP", Bit(kSubIcmp)},
                                                  {"EGP", Bit(kSubEgp)},
                                                  {"GGP", Bit(kSubGgp)},
                                                  {"IGMP", Bit(kSubIgmp)},
                                                  {"IGRP", Bit(kSubIgrp)},
                                                  {"Other", Bit(kSubOtherIp)}}};
// "Other" also takes the IPX sub-protocols without a key of their own, so that every pair
// can be filtered and drawn.
constexpr std::array<NamedMembers, 11> kIpxKeys = {
    {{"NCP", Bit(kSubNcp)},
     {"SPX", Bit(kSubSpx)},
     {"SPXII", Bit(kSubSpx2)},
     {"NetBIOS", Bit(kSubNetBios)},
     {"RIP", Bit(kSubRip)},
     {"SAP", Bit(kSubSap)},
     {"PBurst", Bit(kSubPBurst)},
     {"Echo", Bit(kSubEcho)},
     {"WANBdcast", Bit(kSubWanBroadcast)},
     {"Error", Bit(kSubError)},
     {"Other", Bit(kSubOtherIpx) | Bit(kSubSmb) | Bit(kSubNetWareLite) | Bit(kSubLipEcho)}}};
constexpr std::array<std::string_view, kHopBuckets> kHopCaptions = {
    "No Hops", "1 Hop", "2 Hops", "3 Hops", "4 Hops", "5 Hops", "6 Hops", "7 Hops", "8 Hops", "9 Hops", "10+ Hops"};

template <size_t N>
std::vector<PeerMapKey> NetworkKeys(const std::array<NamedMembers, N>& named) {
  std::vector<PeerMapKey> keys;
  for (size_t i = 0; i < N; ++i)
    keys.push_back({named[i].caption, named[i].caption == "Other" ? kBlack : kNetworkKeyColors[i], named[i].members});
  return keys;
}

// The fixed map names of well-known group addresses.
struct FixedLabel {
  std::string_view hex;
  std::string_view name;
};
constexpr std::array<FixedLabel, 6> kFixedLabels = {{{"0180C2000000", "Bridge Group"},
                                                     {"030000000001", "NetBIOS"},
                                                     {"C00000000002", "Ring Param Svr"},
                                                     {"C00000000008", "Ring Err Mon"},
                                                     {"C00000000010", "Ring Config Svr"},
                                                     {"C000FFFFFFFF", "Ring Broadcast"}}};

constexpr size_t kVendorSuffix = 6;

std::string VendorForm(const std::string& hex, uint16_t vendorIndex, const VendorTable& vendors) {
  return std::string(vendors.ShortName(vendorIndex)) + hex.substr(hex.size() - std::min(hex.size(), kVendorSuffix));
}

bool IsIpxCategory(ProtocolCategory c) { return c == kCatIpx || c == kCatNetBiosIpx; }

// Whether a network node belongs to the addresses of a mode.
bool InMode(const PeerNode& node, int mode) {
  return mode == kModeIp ? node.Category == kCatIp : IsIpxCategory(node.Category);
}

bool DestinationPasses(const PeerNode& receiver, DestinationFilter filter) {
  switch (filter) {
    case DestinationFilter::kBroadcast: return receiver.Group;
    case DestinationFilter::kNonBroadcast: return !receiver.Group;
    default: return true;
  }
}

uint32_t CheckedMembers(const std::vector<PeerMapKey>& keys, const KeyStates& states) {
  uint32_t members = 0;
  for (size_t i = 0; i < keys.size() && i < states.size(); ++i)
    if (states[i]) members |= keys[i].Members;
  return members;
}

int HopBucket(int hops) { return std::clamp(hops, 0, kHopBuckets - 1); }

void AppendNames(std::string& out, uint32_t set, int count, std::string_view (*name)(int)) {
  for (int m = 0; m < count; ++m) {
    if (!InSet(set, static_cast<unsigned>(m))) continue;
    if (!out.empty()) out += ", ";
    out += name(m);
  }
}

std::string_view EncapName(int m) { return EncapsulationName(m); }
std::string_view CategoryName(int m) { return ProtocolCategoryName(m); }
std::string_view SubName(int m) { return SubProtocolName(static_cast<unsigned>(m)); }

std::string Quotient(int64_t a, int64_t b) { return std::to_string(b > 0 ? a / b : 0); }

// What the selection and the lines share about one map: who may send, and which pairs pass.
class MapRules {
 public:
  MapRules(const PeerGraph& graph, const PeerMapView& view, const PeerMapOptions& options)
      : graph_(graph), view_(view), options_(options) {
    if (graph.Kind == PeerMapKind::kNetwork && options.Mode == kModeIpxHops)
      hopKeys_ = CheckedMembers(PeerMapKeys(graph.Kind, options.Mode, graph.Medium), options.Keys);
  }

  bool Sender(size_t i) const {
    const PeerNode& n = graph_.Nodes[i];
    if (!n.Sent || i >= view_.Viewable.size() || !view_.Viewable[i]) return false;
    if (graph_.Kind == PeerMapKind::kNetwork) return InMode(n, options_.Mode);
    return n.FramesSent > 0 && n.BytesSent / n.FramesSent > kMinSenderAverage;
  }
  double Share(size_t i) const { return SenderShare(graph_, graph_.Nodes[i], options_.Mode); }
  // The destination and key tests of one pair whose receiver is a node.
  bool Pair(size_t sender, const PeerEdge& e) const {
    const PeerNode& receiver = graph_.Nodes[static_cast<size_t>(e.To)];
    if (!DestinationPasses(receiver, options_.Destination)) return false;
    if (hopKeys_) return (e.Sets[kModeIpxHops] & *hopKeys_) != 0;
    return (Working(sender) & receiver.Sets[static_cast<size_t>(options_.Mode)]) != 0;
  }
  uint32_t Working(size_t i) const { return i < view_.Working.size() ? view_.Working[i] : 0; }
  std::optional<uint32_t> HopKeys() const { return hopKeys_; }

  template <class F>
  void ForEachEdge(size_t i, F&& f) const {
    const PeerNode& n = graph_.Nodes[i];
    for (int32_t k = 0; k < n.EdgeCount; ++k) {
      const PeerEdge& e = graph_.Edges[static_cast<size_t>(n.FirstEdge + k)];
      if (e.To >= 0 && static_cast<size_t>(e.To) < graph_.Nodes.size()) f(e);
    }
  }

 private:
  const PeerGraph& graph_;
  const PeerMapView& view_;
  const PeerMapOptions& options_;
  std::optional<uint32_t> hopKeys_;
};

int SelectionPass(const PeerGraph& graph, const MapRules& rules, double threshold, std::vector<uint8_t>& onMap) {
  std::fill(onMap.begin(), onMap.end(), 0);
  int marked = 0;
  auto mark = [&](size_t i) {
    if (!onMap[i]) {
      onMap[i] = 1;
      ++marked;
    }
  };
  for (size_t i = 0; i < graph.Nodes.size(); ++i) {
    if (!rules.Sender(i) || rules.Share(i) < threshold) continue;
    rules.ForEachEdge(i, [&](const PeerEdge& e) {
      if (!rules.Pair(i, e)) return;
      mark(static_cast<size_t>(e.To));
      mark(i);
    });
  }
  return marked;
}

// The colours of a line and the values they stand for, in value order, without repeats.
struct LineColors {
  std::vector<uint32_t> colors;
  int64_t frames = 0;
};

uint32_t ValueColor(const PeerGraph& graph, int mode, const std::vector<PeerMapKey>& keys, unsigned value) {
  if (graph.Kind == PeerMapKind::kStation && mode == kIdErrors)
    return value == kFrameStatusCrcError ? kRed : value == kFrameStatusGood ? kAqua : 0;
  if (graph.Kind == PeerMapKind::kStation && mode == kIdEncapsulation) {
    static constexpr std::array<uint32_t, kEncapsulationCount> kEncapColors = {kAqua, kFuchsia, kBlue, kLime, kAqua};
    return value < kEncapColors.size() ? kEncapColors[value] : 0;
  }
  for (const PeerMapKey& k : keys)
    if (InSet(k.Members, value)) return k.Color;
  return 0;
}

int64_t ValueFrames(const PeerGraph& graph, int mode, const PeerEdge& e, unsigned value) {
  if (graph.Kind == PeerMapKind::kStation) {
    const unsigned at = mode == kIdEncapsulation ? value : kProtocolFramesAt + value;
    return mode != kIdErrors && at < e.Frames.size() ? e.Frames[at] : 0;
  }
  return mode != kModeIpxHops && value < e.Frames.size() ? e.Frames[value] : 0;
}

}  // namespace

// ---- Keys

std::vector<PeerMapKey> PeerMapKeys(PeerMapKind kind, int mode, Topology topology) {
  if (kind == PeerMapKind::kNetwork) {
    if (mode == kModeIp) return NetworkKeys(kIpKeys);
    if (mode == kModeIpx) return NetworkKeys(kIpxKeys);
    std::vector<PeerMapKey> keys;
    for (int h = 0; h < kHopBuckets; ++h)
      keys.push_back({kHopCaptions[static_cast<size_t>(h)], kNetworkKeyColors[static_cast<size_t>(h)],
                      Bit(static_cast<unsigned>(h))});
    return keys;
  }
  const bool tokenRing = topology == kTokenRing;
  switch (mode) {
    case kIdErrors:
      if (tokenRing) return {};
      return {kErrorKeys.begin(), kErrorKeys.end()};
    case kIdEncapsulation: {
      std::vector<PeerMapKey> keys = {{"LLC", kFuchsia, Bit(kEncapLlc)}, {"SNAP", kLime, Bit(kEncapSnap)}};
      if (tokenRing) {
        keys.push_back({"MAC", kAqua, Bit(kEncapMac)});
      } else {
        keys.push_back({"Etype", kAqua, Bit(kEncapEtype)});
        keys.push_back({"Novell Raw", kBlue, Bit(kEncapNovRaw)});
      }
      return keys;
    }
    case kIdProtocol: return {kProtocolKeys.begin(), kProtocolKeys.end()};
    default: return {};
  }
}

std::string_view StationModeCaption(int mode, Topology topology) {
  switch (mode) {
    case kIdErrors: return topology == kTokenRing ? "None" : "Errors";
    case kIdEncapsulation: return "Encapsulation";
    default: return "Protocol";
  }
}

void SetAllKeys(KeyStates& states, int count, bool checked) {
  for (int i = 0; i < count && i < kStationKeyCount; ++i) states[static_cast<size_t>(i)] = checked;
}

void InvertKeys(KeyStates& states, int count) {
  for (int i = 0; i < count && i < kStationKeyCount; ++i)
    states[static_cast<size_t>(i)] = !states[static_cast<size_t>(i)];
}

// ---- Graphs

namespace {

// The graph's nodes by tree node id: an edge's receiver is named by its tree node.
class NodePlaces {
 public:
  template <class Tree>
  explicit NodePlaces(const Tree& tree) : places_(static_cast<size_t>(tree.IdLimit()), -1) {}
  void Note(int32_t id, size_t place) {
    if (id >= 0 && static_cast<size_t>(id) < places_.size())
      places_[static_cast<size_t>(id)] = static_cast<int32_t>(place);
  }
  // -1 for an id that names no node.
  int32_t Of(int32_t id) const {
    return id >= 0 && static_cast<size_t>(id) < places_.size() ? places_[static_cast<size_t>(id)] : -1;
  }

 private:
  std::vector<int32_t> places_;
};

// Without edges a node's Dests still counts its peer records. The nodes are those of the
// graph, in its order.
template <class Node>
void CountDests(PeerGraph& g, const CaptureModel& model, const std::vector<const Node*>& nodes) {
  model.FollowPeersOf(
      std::min(nodes.size(), g.Nodes.size()), [&](size_t c) { return nodes[c]; },
      [&](size_t c, int32_t, const auto&) { ++g.Nodes[c].Dests; });
}

void StartGraph(PeerGraph& g, PeerMapKind kind, const CaptureModel& model, const TraceStatistics& statistics) {
  g.Kind = kind;
  g.Medium = statistics.Medium;
  g.TraceFrames = std::max(0, statistics.TraceStats[kStatFrames].Value);
  g.Counts = model.Counts;
  g.BandwidthBytesPerSecond = statistics.BandwidthBytesPerSecond;
  g.IntervalCount = statistics.IntervalCount;
}

}  // namespace

PeerGraph BuildStationGraph(const CaptureModel& model, const TraceStatistics& statistics, PeerGraphParts parts) {
  PeerGraph g;
  StartGraph(g, PeerMapKind::kStation, model, statistics);
  g.Nodes.reserve(static_cast<size_t>(std::max(0, model.Stations.Count())));
  NodePlaces places(model.Stations);
  std::vector<const StationNode*> order;
  model.Stations.ForEachWithId([&](int32_t id, const StationNode& s) {
    places.Note(id, g.Nodes.size());
    if (parts == PeerGraphParts::kNodes) order.push_back(&s);
    PeerNode n;
    n.Address = s.Address;
    n.Sent = (s.Roles & 1) != 0;
    n.Sets = {s.FrameStatus, s.Encapsulations, s.Protocols};
    n.FramesSent = s.FramesSent;
    n.BytesSent = s.BytesSent;
    n.FramesReceived = s.FramesReceived;
    n.BytesReceived = s.BytesReceived;
    n.GroupFramesSent = s.GroupFramesSent;
    n.VendorIndex = s.VendorIndex;
    n.HasStation = true;
    n.Station = s.Address;
    n.StationVendor = s.VendorIndex;
    n.Group = s.Address.Length > 0 && IsGroupAddress(s.Address.Bytes[0], g.Medium);
    n.LearnedName = std::string(LookupLearnedName(model, s.Address.View()));
    g.Nodes.push_back(std::move(n));
  });
  if (parts == PeerGraphParts::kNodes) {
    CountDests(g, model, order);
    return g;
  }
  size_t i = 0;
  model.Stations.ForEach([&](const StationNode& s) {
    PeerNode& n = g.Nodes[i++];
    n.FirstEdge = static_cast<int32_t>(g.Edges.size());
    model.ForEachDlcPeer(s, [&](int32_t, const TDLCPeer& p) {
      PeerEdge e;
      e.To = places.Of(p.Receiver);
      e.Sets = {p.FrameStatus, p.Encapsulations, p.Protocols};
      const auto byEncapsulation = model.Objects.FramesByEncapsulation(p);
      const auto byProtocol = model.Objects.FramesByProtocol(p);
      std::copy(byEncapsulation.begin(), byEncapsulation.end(), e.Frames.begin());
      std::copy(byProtocol.begin(), byProtocol.end(), e.Frames.begin() + kProtocolFramesAt);
      g.Edges.push_back(e);
    });
    n.EdgeCount = static_cast<int32_t>(g.Edges.size()) - n.FirstEdge;
    n.Dests = n.EdgeCount;
  });
  return g;
}

PeerGraph BuildNetworkGraph(const CaptureModel& model, const TraceStatistics& statistics, PeerGraphParts parts) {
  PeerGraph g;
  StartGraph(g, PeerMapKind::kNetwork, model, statistics);
  g.Nodes.reserve(static_cast<size_t>(std::max(0, model.NetAddresses.Count())));
  NodePlaces places(model.NetAddresses);
  std::vector<const NetAddressNode*> order;
  model.NetAddresses.ForEachWithId([&](int32_t id, const NetAddressNode& a) {
    places.Note(id, g.Nodes.size());
    if (parts == PeerGraphParts::kNodes) order.push_back(&a);
    PeerNode n;
    n.Address = a.Address;
    n.Sent = (a.Roles & 1) != 0;
    n.Category = a.Category;
    n.Sets = {a.SubProtocols, a.SubProtocols, kAllHops};
    n.FramesSent = a.PacketsSent;
    n.BytesSent = a.BytesSent;
    n.FramesReceived = a.PacketsReceived;
    n.BytesReceived = a.BytesReceived;
    if (a.Station != nullptr) {
      n.HasStation = true;
      n.Station = a.Station->Address;
      n.StationVendor = a.Station->VendorIndex;
      n.Group = n.Station.Length > 0 && IsGroupAddress(n.Station.Bytes[0], g.Medium);
    }
    n.LearnedName = std::string(LookupLearnedName(model, a.Address.View()));
    if (n.Sent && a.Category == kCatIp) g.SentByMode[0] += a.PacketsSent;
    if (n.Sent && IsIpxCategory(a.Category)) g.SentByMode[1] += a.PacketsSent;
    g.Nodes.push_back(std::move(n));
  });
  if (parts == PeerGraphParts::kNodes) {
    CountDests(g, model, order);
    return g;
  }
  std::vector<uint8_t> ttl;
  std::vector<int32_t> from;
  size_t i = 0;
  model.NetAddresses.ForEach([&](const NetAddressNode& a) {
    PeerNode& n = g.Nodes[i];
    n.FirstEdge = static_cast<int32_t>(g.Edges.size());
    model.ForEachNetPeer(a, [&](int32_t, const TNetPeer& p) {
      PeerEdge e;
      e.To = places.Of(p.Receiver);
      e.Sets = {p.SubProtocols, p.SubProtocols, 0};
      const NetBreakdown bySub = model.Objects.PacketsBySubProtocol(p);
      std::copy(bySub.begin(), bySub.end(), e.Frames.begin());
      g.Edges.push_back(e);
      ttl.push_back(p.LastTTL);
      from.push_back(static_cast<int32_t>(i));
    });
    n.EdgeCount = static_cast<int32_t>(g.Edges.size()) - n.FirstEdge;
    n.Dests = n.EdgeCount;
    ++i;
  });
  // Hops of a pair: the last TTL of each direction added up.
  std::unordered_map<uint64_t, size_t> pairs;
  auto pairKey = [](int32_t a, int32_t b) {
    return static_cast<uint64_t>(static_cast<uint32_t>(a)) << 32 | static_cast<uint32_t>(b);
  };
  for (size_t k = 0; k < g.Edges.size(); ++k)
    if (g.Edges[k].To >= 0) pairs.emplace(pairKey(from[k], g.Edges[k].To), k);
  for (size_t k = 0; k < g.Edges.size(); ++k) {
    PeerEdge& e = g.Edges[k];
    int hops = ttl[k];
    if (e.To >= 0)
      if (auto back = pairs.find(pairKey(e.To, from[k])); back != pairs.end() && back->second != k)
        hops += ttl[back->second];
    e.Sets[kModeIpxHops] = Bit(static_cast<unsigned>(HopBucket(hops)));
  }
  return g;
}

// ---- View state

PeerMapView InitialView(const PeerGraph& graph, int mode) {
  PeerMapView view;
  view.Viewable.reserve(graph.Nodes.size());
  for (const PeerNode& n : graph.Nodes) view.Viewable.push_back(n.Sent ? 1 : 0);
  view.Working = ApplyKeys(graph, mode, kAllKeysChecked);
  return view;
}

std::vector<uint32_t> ApplyKeys(const PeerGraph& graph, int mode, const KeyStates& states) {
  const size_t m = static_cast<size_t>(std::clamp(mode, 0, kPeerMapModes - 1));
  uint32_t unchecked = 0;
  const std::vector<PeerMapKey> keys = PeerMapKeys(graph.Kind, mode, graph.Medium);
  for (size_t i = 0; i < keys.size() && i < states.size(); ++i)
    if (!states[i]) unchecked |= keys[i].Members;
  std::vector<uint32_t> working;
  working.reserve(graph.Nodes.size());
  for (const PeerNode& n : graph.Nodes) working.push_back(n.Sets[m] & ~unchecked);
  return working;
}

// ---- Selection

double SenderShare(const PeerGraph& graph, const PeerNode& node, int mode) {
  int64_t total = graph.TraceFrames;
  if (graph.Kind == PeerMapKind::kNetwork) total = graph.SentByMode[mode == kModeIp ? 0 : 1];
  if (total <= 0 || node.FramesSent <= 0) return 0;
  return std::min(1.0, static_cast<double>(node.FramesSent) / static_cast<double>(total));
}

MapSelection SelectMap(const PeerGraph& graph, const PeerMapView& view, const PeerMapOptions& options) {
  const MapRules rules(graph, view, options);
  MapSelection s;
  s.OnMap.assign(graph.Nodes.size(), 0);
  s.Marked = SelectionPass(graph, rules, 0, s.OnMap);
  s.Passes = 1;
  if (s.Marked <= kDensityNodes) return s;

  s.DensityShown = true;
  int64_t all = 0;
  for (const PeerNode& n : graph.Nodes)
    if (graph.Kind == PeerMapKind::kStation || InMode(n, options.Mode)) ++all;
  const double allowed = static_cast<double>(std::clamp(options.Density, 1, kMapDensityMax)) / kMapDensityMax;
  auto tooDense = [&] { return all > 0 && static_cast<double>(s.Marked) / static_cast<double>(all) > allowed; };
  // Shares lie within 0..1, so 101 steps always reach a threshold that no sender meets.
  for (int step = 1; step <= 101 && s.Marked > 0 && tooDense(); ++step) {
    s.Threshold = step / 100.0;
    s.Marked = SelectionPass(graph, rules, s.Threshold, s.OnMap);
    ++s.Passes;
  }
  return s;
}

// ---- Labels

std::string PeerNodeLabel(const PeerGraph& graph, const PeerNode& node, const PeerLabelOptions& options, bool onMap) {
  if (options.SmartNames && !node.LearnedName.empty()) return node.LearnedName;
  const auto bytes = node.Address.View();
  if (graph.Kind == PeerMapKind::kNetwork) {
    if (node.Address.Length == kIpxKeyLength)
      return FormatNetAddress(bytes, false, options.ShowOui && options.Vendors != nullptr, options.Vendors);
    return FormatIpAddress(bytes, !onMap);
  }
  std::string hex = FormatMacAddress(bytes);
  if (onMap && options.SmartNames)
    for (const FixedLabel& f : kFixedLabels)
      if (hex == f.hex) return std::string(f.name);
  if (options.ShowOui && options.Vendors != nullptr && node.VendorIndex != 0)
    return VendorForm(hex, node.VendorIndex, *options.Vendors);
  return hex;
}

std::string DlcInfoCaption(const PeerNode& node, const VendorTable* vendors) {
  if (!node.HasStation) return "No DLC Address";
  const std::string hex = FormatMacAddress(node.Station.View());
  if (node.StationVendor != 0 && vendors != nullptr) return "DLC = " + VendorForm(hex, node.StationVendor, *vendors);
  return "DLC Address is " + hex;
}

ToolboxAddressTexts ToolboxTexts(const PeerNode& node, const VendorTable* vendors) {
  const auto bytes = node.Address.View();
  if (node.Address.Length == kIpxKeyLength)
    return {FormatNetAddress(bytes, false, false, vendors),
            FormatNetAddress(bytes, false, vendors != nullptr, vendors)};
  std::string text = FormatIpAddress(bytes);
  return {text, text};
}

// ---- Layout

std::vector<RingPoint> PeerMapPositions(int marked, int radius, double step) {
  const int n = std::clamp(marked, 4, kMapPositions);
  const int q = marked >= 5 ? (n + 5) / 4 : marked >= 3 ? 2 : 1;
  const double r = std::max(radius, 1);
  std::vector<int> xs(static_cast<size_t>(q));
  std::vector<int> ys(static_cast<size_t>(q));
  for (int k = 0; k < q; ++k) {
    const double x = k * step;
    xs[static_cast<size_t>(k)] = NearestEven(x);
    ys[static_cast<size_t>(k)] = NearestEven(std::sqrt(std::max(0.0, r * r - x * x)));
  }
  std::vector<RingPoint> p;
  p.reserve(static_cast<size_t>(4 * q));
  auto at = [&](int k, int sx, int sy) {
    p.push_back({sx * xs[static_cast<size_t>(k)], sy * ys[static_cast<size_t>(k)]});
  };
  for (int k = 0; k < q; ++k) at(k, 1, -1);      // from the top to the right
  for (int k = q - 1; k >= 0; --k) at(k, 1, 1);  // down to the bottom
  // The mirrored quarters leave out the top and bottom points, which the first two hold.
  for (int k = 1; k < q; ++k) at(k, -1, 1);        // from the bottom to the left
  for (int k = q - 1; k >= 1; --k) at(k, -1, -1);  // up towards the top
  if (p.size() > static_cast<size_t>(kMapPositions)) p.resize(kMapPositions);
  return p;
}

PeerMapDrawing LayoutPeerMap(const PeerGraph& graph, const PeerMapView& view, const PeerMapOptions& options,
                             const PeerLabelOptions& labels, const PeerMapPalette& palette, int width, int height,
                             const MeasureText& measure, int highlight) {
  PeerMapDrawing d;
  d.Selection = SelectMap(graph, view, options);
  d.RingColor = palette.ButtonShadow;
  d.Center = {std::max(width, 0) / 2, std::max(height, 0) / 2};
  auto extent = [&](std::string_view text, int size) { return measure ? measure(text, size) : TextExtent{}; };

  std::vector<int> shown;
  for (size_t i = 0; i < graph.Nodes.size(); ++i)
    if (d.Selection.OnMap[i]) shown.push_back(static_cast<int>(i));
  const int marked = static_cast<int>(shown.size());
  const int n = std::clamp(marked, 4, kMapPositions);
  const bool overflow = marked > kMapPositions;

  // One label per position; beyond 180 nodes the last position is shared.
  std::vector<std::string> texts;
  texts.reserve(static_cast<size_t>(std::min(marked, kMapPositions)));
  for (int k = 0; k < marked && k < kMapPositions; ++k)
    texts.push_back(
        overflow && k == kMapPositions - 1
            ? std::string(kRingMapOverflowLabel)
            : PeerNodeLabel(graph, graph.Nodes[static_cast<size_t>(shown[static_cast<size_t>(k)])], labels, true));

  double step = 0;
  for (int shrink = 0;; ++shrink) {
    int widest = 0;
    for (const std::string& t : texts) widest = std::max(widest, extent(t, d.FontSize).Width);
    d.Radius = std::max(1, std::min(d.Center.X - widest - 6, d.Center.Y - 10 - n / 10));
    step = 4.0 * d.Radius / (n + 3);
    if (shrink == 3 || !measure || NearestEven(step) >= extent("0", d.FontSize).Height - 2) break;
    --d.FontSize;
  }
  if (marked == 0) return d;

  const std::vector<RingPoint> positions = PeerMapPositions(marked, d.Radius, step);
  std::vector<int> slot(graph.Nodes.size(), -1);  // position index of each shown node
  for (int k = 0; k < marked; ++k)
    slot[static_cast<size_t>(shown[static_cast<size_t>(k)])] =
        std::min({k, kMapPositions - 1, static_cast<int>(positions.size()) - 1});
  auto point = [&](int node) {
    const RingPoint rel = positions[static_cast<size_t>(slot[static_cast<size_t>(node)])];
    return RingPoint{d.Center.X + rel.X, d.Center.Y + rel.Y};
  };

  d.Labels.reserve(texts.size());
  for (size_t k = 0; k < texts.size() && k < positions.size(); ++k) {
    const RingPoint rel = positions[k];
    PeerMapLabelDraw label;
    const bool isOverflow = overflow && k == static_cast<size_t>(kMapPositions - 1);
    label.Node = isOverflow ? -1 : shown[k];
    label.Point = {d.Center.X + rel.X, d.Center.Y + rel.Y};
    label.Text = texts[k];
    const TextExtent e = extent(label.Text, d.FontSize);
    label.Rect.Width = e.Width;
    label.Rect.Height = e.Height;
    // Right half: the text starts 7 pixels right of the point; left half: it ends 5 left of
    // it. The top and bottom points carry their labels centred above and below them, clear
    // of their neighbours' labels.
    if (rel.X == 0) {
      label.Rect.Left = label.Point.X - e.Width / 2;
      label.Rect.Top = rel.Y < 0 ? label.Point.Y - e.Height - 3 : label.Point.Y + 3;
    } else {
      label.Rect.Left = rel.X > 0 ? label.Point.X + 7 : label.Point.X - 5 - e.Width;
      // Labels near the top and bottom move outwards, clear of the ring.
      label.Rect.Top =
          label.Point.Y - e.Height / 2 + NearestEven(static_cast<double>(rel.Y) / d.Radius * (e.Height / 2 + 2));
    }
    // A small canvas keeps every label inside it.
    label.Rect.Left = std::max(0, std::min(label.Rect.Left, width - e.Width));
    label.Rect.Top = std::max(0, std::min(label.Rect.Top, height - e.Height));
    label.Sender = label.Node >= 0 && graph.Nodes[static_cast<size_t>(label.Node)].Sent;
    label.Color =
        label.Sender ? (label.Node == highlight ? palette.Highlight : palette.ButtonText) : palette.ButtonShadow;
    d.Labels.push_back(std::move(label));
  }

  // Lines: every sender on the map to each receiver of a passing pair, in the colours the
  // pair carried among the sender's key-filtered values.
  const MapRules rules(graph, view, options);
  const std::vector<PeerMapKey> keys = PeerMapKeys(graph.Kind, options.Mode, graph.Medium);
  const bool widthByShare =
      !(graph.Kind == PeerMapKind::kStation ? options.Mode == kIdErrors : options.Mode == kModeIpxHops);
  for (size_t i = 0; i < graph.Nodes.size(); ++i) {
    if (!d.Selection.OnMap[i] || !rules.Sender(i) || rules.Share(i) < d.Selection.Threshold) continue;
    rules.ForEachEdge(i, [&](const PeerEdge& e) {
      const size_t to = static_cast<size_t>(e.To);
      if (!d.Selection.OnMap[to] || !DestinationPasses(graph.Nodes[to], options.Destination)) return;
      uint32_t values = e.Sets[static_cast<size_t>(options.Mode)];
      if (rules.HopKeys())
        values &= *rules.HopKeys();
      else
        values &= rules.Working(i);
      LineColors lc;
      for (unsigned v = 0; v < 32 && static_cast<int>(lc.colors.size()) < kMaxLineColors; ++v) {
        if (!InSet(values, v)) continue;
        const uint32_t c = ValueColor(graph, options.Mode, keys, v);
        lc.frames += ValueFrames(graph, options.Mode, e, v);
        if (std::find(lc.colors.begin(), lc.colors.end(), c) == lc.colors.end()) lc.colors.push_back(c);
      }
      if (lc.colors.empty()) return;
      int pen = 1;
      if (widthByShare && graph.TraceFrames > 0) {
        const double share = static_cast<double>(lc.frames) / static_cast<double>(graph.TraceFrames);
        pen = share < 0.1 ? 1 : share < 0.2 ? 2 : 3;
      }
      const RingPoint a = point(static_cast<int>(i));
      const RingPoint b = point(static_cast<int>(to));
      ++d.Lines;
      const int colors = static_cast<int>(lc.colors.size());
      if (colors == 1) {
        d.Segments.push_back({a, b, lc.colors.front(), pen});
        return;
      }
      const int pieces = 2 * colors;
      auto along = [&](int s) {
        return RingPoint{a.X + NearestEven(static_cast<double>(b.X - a.X) * s / pieces),
                         a.Y + NearestEven(static_cast<double>(b.Y - a.Y) * s / pieces)};
      };
      for (int s = 0; s < pieces; ++s)
        d.Segments.push_back({along(s), along(s + 1), lc.colors[static_cast<size_t>(s % colors)], pen});
    });
  }
  return d;
}

int PeerMapLabelAt(const PeerMapDrawing& drawing, int x, int y) {
  for (const PeerMapLabelDraw& l : drawing.Labels)
    if (l.Node >= 0 && l.Rect.Contains(x, y)) return l.Node;
  return -1;
}

// ---- Grid

std::vector<std::string_view> PeerGridHeadings(PeerMapKind kind) {
  if (kind == PeerMapKind::kNetwork)
    return {"Network Address", "Protocols", "Dests",    "Snd+Rcv Pkts", "Snd+Rcv Bytes",
            "Utilization",     "Ave Send",  "Ave Recv", "Pkt Ratio"};
  return {"Source Address", "Encapsulation", "Protocols", "Dests",   "Snd+Rcv Pkts", "Snd+Rcv Bytes",
          "Utilization",    "Ave Send",      "Ave Recv",  "Bdcasts", "Pkt Ratio"};
}

bool PeerGridColumnIsText(PeerMapKind kind, int column) {
  if (kind == PeerMapKind::kNetwork) return column <= 1 || column == 8;
  return column <= 2 || column == 10;
}

std::string UtilizationText(int64_t framesSent, int64_t bytesSent, Topology medium, int32_t bandwidthBytesPerSecond,
                            int32_t intervals) {
  if (bandwidthBytesPerSecond <= 0 || intervals <= 0) return "0.00%";
  const int64_t overhead = medium == kTokenRing ? 1 : 20;
  const double load = static_cast<double>(overhead * framesSent + bytesSent) * 100.0;
  std::string text = FormatF(load / bandwidthBytesPerSecond / intervals, 3, 2);
  text += '%';
  return text;
}

void ForEachPeerPair(const PeerGraph& graph, const std::function<void(const PeerPairRow&)>& visit) {
  const bool station = graph.Kind == PeerMapKind::kStation;
  // The values of a set with their frames, named.
  const auto values = [&](const PeerEdge& e, int mode, uint32_t set, int count, std::string_view (*name)(int),
                          std::vector<std::pair<std::string_view, int64_t>>& out) {
    int64_t all = 0;
    for (int v = 0; v < count; ++v) {
      if (!InSet(set, static_cast<unsigned>(v))) continue;
      const int64_t frames = ValueFrames(graph, mode, e, static_cast<unsigned>(v));
      out.emplace_back(name(v), frames);
      all += frames;
    }
    return all;
  };
  PeerPairRow row;  // one row, its lists reused from pair to pair
  for (size_t i = 0; i < graph.Nodes.size(); ++i) {
    const PeerNode& n = graph.Nodes[i];
    for (int32_t k = 0; k < n.EdgeCount; ++k) {
      const size_t at = static_cast<size_t>(n.FirstEdge) + static_cast<size_t>(k);
      if (at >= graph.Edges.size()) break;
      const PeerEdge& e = graph.Edges[at];
      if (e.To < 0 || static_cast<size_t>(e.To) >= graph.Nodes.size()) continue;
      row.ByEncapsulation.clear();
      row.ByProtocol.clear();
      row.From = i;
      row.To = static_cast<size_t>(e.To);
      if (station) {
        row.Frames =
            values(e, kIdEncapsulation, e.Sets[kIdEncapsulation], kEncapsulationCount, EncapName, row.ByEncapsulation);
        values(e, kIdProtocol, e.Sets[kIdProtocol], kProtocolCategoryCount, CategoryName, row.ByProtocol);
      } else {
        row.Frames = values(e, kModeIp, e.Sets[kModeIp] | e.Sets[kModeIpx], kSubProtocolCount, SubName, row.ByProtocol);
      }
      visit(row);
    }
  }
}

PeerGridRow BuildPeerGridRow(const PeerGraph& graph, size_t node, const PeerLabelOptions& labels, char thousandsSep) {
  PeerGridRow row;
  if (node >= graph.Nodes.size()) return row;
  const PeerNode& n = graph.Nodes[node];
  const bool station = graph.Kind == PeerMapKind::kStation;
  row.Node = static_cast<int32_t>(node);
  row.Address = n.Address;
  std::vector<std::string>& c = row.Cells;
  c.reserve(station ? kStationColumns : kNetworkColumns);
  c.push_back(PeerNodeLabel(graph, n, labels, false));
  std::string names;
  if (station) {
    AppendNames(names, n.Sets[kIdEncapsulation], kEncapsulationCount, EncapName);
    c.push_back(names);
    names.clear();
    AppendNames(names, n.Sets[kIdProtocol], kProtocolCategoryCount, CategoryName);
  } else {
    AppendNames(names, n.Sets[kModeIp], kSubProtocolCount, SubName);
  }
  c.push_back(names);
  c.push_back(std::to_string(n.Dests));
  c.push_back(FormatCount(n.FramesSent + n.FramesReceived, thousandsSep));
  c.push_back(FormatCount(n.BytesSent + n.BytesReceived, thousandsSep));
  c.push_back(
      UtilizationText(n.FramesSent, n.BytesSent, graph.Medium, graph.BandwidthBytesPerSecond, graph.IntervalCount));
  c.push_back(Quotient(n.BytesSent, n.FramesSent));
  c.push_back(Quotient(n.BytesReceived, n.FramesReceived));
  if (station) c.push_back(std::to_string(n.GroupFramesSent));
  c.push_back(FormatRatio(n.FramesSent, n.FramesReceived));
  return row;
}

std::vector<PeerGridRow> BuildPeerGridRows(const PeerGraph& graph, const PeerLabelOptions& labels, char thousandsSep) {
  std::vector<PeerGridRow> rows;
  for (size_t i = 0; i < graph.Nodes.size(); ++i)
    if (graph.Nodes[i].Sent) rows.push_back(BuildPeerGridRow(graph, i, labels, thousandsSep));
  return rows;
}

void RelabelPeerGridRows(const PeerGraph& graph, const PeerLabelOptions& labels, std::vector<PeerGridRow>& rows) {
  for (PeerGridRow& row : rows)
    if (row.Node >= 0 && static_cast<size_t>(row.Node) < graph.Nodes.size() && !row.Cells.empty())
      row.Cells[0] = PeerNodeLabel(graph, graph.Nodes[static_cast<size_t>(row.Node)], labels, false);
}

void ViewableRowsFirst(std::vector<PeerGridRow>& rows, const std::vector<uint8_t>& viewable) {
  auto shown = [&](const PeerGridRow& r) {
    return r.Node >= 0 && static_cast<size_t>(r.Node) < viewable.size() && viewable[static_cast<size_t>(r.Node)] != 0;
  };
  for (size_t i = 0; i < rows.size(); ++i) {
    if (shown(rows[i])) continue;
    for (size_t j = i + 1; j < rows.size(); ++j)
      if (shown(rows[j])) {
        std::swap(rows[i], rows[j]);
        break;
      }
  }
}

std::vector<int> ParseColumnOrder(std::string_view text, int count) {
  std::vector<int> order;
  std::vector<bool> seen(static_cast<size_t>(std::max(count, 0)) + 1, false);
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find(',', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view part = text.substr(at, end - at);
    while (!part.empty() && part.front() == ' ') part.remove_prefix(1);
    while (!part.empty() && (part.back() == ' ' || part.back() == '\r')) part.remove_suffix(1);
    int value = 0;
    const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (ec != std::errc() || ptr != part.data() + part.size() || value < 1 || value > count ||
        seen[static_cast<size_t>(value)] || static_cast<int>(order.size()) == count) {
      order.clear();
      break;
    }
    seen[static_cast<size_t>(value)] = true;
    order.push_back(value);
    at = end + 1;
  }
  if (static_cast<int>(order.size()) != count) {
    order.clear();
    for (int c = 1; c <= count; ++c) order.push_back(c);
  }
  return order;
}

std::string FormatColumnOrder(const std::vector<int>& order) {
  std::string out;
  for (int c : order) {
    if (!out.empty()) out += ',';
    out += std::to_string(c);
  }
  return out;
}

}  // namespace corvanta

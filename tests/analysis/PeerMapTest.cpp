// The peer maps: keys, key application, the map selection with its density search, the
// destination filter, the ring layout, the lines and the statistics rows.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "analysis/ModelBuilder.h"
#include "analysis/PeerMap.h"
#include "decode/CaptureModel.h"
#include "decode/TraceStatistics.h"
#include "naming/LearnedNames.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using Mac = std::array<uint8_t, 6>;

Mac M(int n, uint8_t first = 0x00) {
  return {first, 0x00, 0x00, 0x00, static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n)};
}

// A model of stations filled as the data-link stage would fill it.
struct Stations {
  CaptureModel model;
  TraceStatistics stats;

  StationNode& At(const Mac& mac) {
    bool inserted = false;
    StationNode& s = model.Stations.FindOrInsert(AddressKey::Of(mac.data(), 6), inserted);
    if (inserted) ++model.Counts.Stations;
    return s;
  }
  void Send(const Mac& from, const Mac& to, int frames, int bytesEach, Encapsulation encap = kEncapEtype,
            ProtocolCategory category = kCatIp, int status = kFrameStatusGood) {
    StationNode& s = At(from);
    StationNode& r = At(to);
    const int32_t receiver = model.Stations.FindId(AddressKey::Of(to.data(), 6));
    int32_t found = -1;
    int32_t last = -1;
    model.ForEachDlcPeer(s, [&](int32_t i, const TDLCPeer& p) {
      last = i;
      if (p.Receiver == receiver) found = i;
    });
    if (found < 0) {
      found = model.Objects.New<TDLCPeer>();
      model.Objects.Get<TDLCPeer>(found).Receiver = receiver;
      if (last < 0)
        s.FirstPeer = found;
      else
        model.Objects.Get<TDLCPeer>(last).NextPeer = found;
    }
    s.Roles = kRolesSent;
    TDLCPeer& p = model.Objects.Get<TDLCPeer>(found);
    for (StationNode* n : {&s, &r}) {
      AddToSet(n->FrameStatus, static_cast<unsigned>(status));
      AddToSet(n->Encapsulations, encap);
      AddToSet(n->Protocols, category);
    }
    AddToSet(p.FrameStatus, static_cast<unsigned>(status));
    model.Objects.CountFrames(p, encap, category, frames);
    s.FramesSent += frames;
    s.BytesSent += frames * bytesEach;
    r.FramesReceived += frames;
    r.BytesReceived += frames * bytesEach;
    if (to[0] & 1) s.GroupFramesSent += frames;
    stats.TraceStats[kStatFrames].Value += frames;
  }
  PeerGraph Graph() const { return BuildStationGraph(model, stats); }
};

TextExtent Measure(std::string_view text, int size) { return {static_cast<int>(text.size()) * 6, size + 5}; }

int Node(const PeerGraph& g, const Mac& mac) {
  for (size_t i = 0; i < g.Nodes.size(); ++i)
    if (g.Nodes[i].Address == AddressKey::Of(mac.data(), 6)) return static_cast<int>(i);
  return -1;
}

std::set<int> Marked(const MapSelection& s) {
  std::set<int> out;
  for (size_t i = 0; i < s.OnMap.size(); ++i)
    if (s.OnMap[i]) out.insert(static_cast<int>(i));
  return out;
}

TEST(PeerMapKeys, CaptionsColoursAndMembersByModeAndMedium) {
  auto captions = [](const std::vector<PeerMapKey>& keys) {
    std::vector<std::string> out;
    for (const PeerMapKey& k : keys) out.emplace_back(k.Caption);
    return out;
  };
  using V = std::vector<std::string>;
  EXPECT_EQ(captions(PeerMapKeys(PeerMapKind::kStation, kIdErrors, kEthernet)), (V{"CRC", "No Errors"}));
  EXPECT_TRUE(PeerMapKeys(PeerMapKind::kStation, kIdErrors, kTokenRing).empty());
  EXPECT_EQ(StationModeCaption(kIdErrors, kTokenRing), "None");
  EXPECT_EQ(captions(PeerMapKeys(PeerMapKind::kStation, kIdEncapsulation, kEthernet)),
            (V{"LLC", "SNAP", "Etype", "Novell Raw"}));
  EXPECT_EQ(captions(PeerMapKeys(PeerMapKind::kStation, kIdEncapsulation, kTokenRing)), (V{"LLC", "SNAP", "MAC"}));
  const auto protocol = PeerMapKeys(PeerMapKind::kStation, kIdProtocol, kEthernet);
  ASSERT_EQ(protocol.size(), 14u);
  EXPECT_EQ(protocol[1].Members, (1u << kCatDecnet) | (1u << kCatLat) | (1u << kCatLavc));
  EXPECT_EQ(protocol[11].Color, MakeColor(128, 0, 64));
  EXPECT_EQ(protocol[13].Members, (1u << kCatOther) | (1u << kCatMac));

  const auto ip = PeerMapKeys(PeerMapKind::kNetwork, kModeIp, kEthernet);
  EXPECT_EQ(captions(ip), (V{"UDP", "TCP", "ICMP", "EGP", "GGP", "IGMP", "IGRP", "Other"}));
  EXPECT_EQ(ip[7].Color, kBlack);
  const auto ipx = PeerMapKeys(PeerMapKind::kNetwork, kModeIpx, kEthernet);
  ASSERT_EQ(ipx.size(), 11u);
  EXPECT_EQ(ipx[7].Caption, "Echo");
  EXPECT_EQ(ipx[7].Color, kPurple);
  EXPECT_EQ(ipx[10].Color, kBlack);
  // Every IPX sub-protocol belongs to some key, so every IPX pair can be drawn and filtered.
  uint32_t all = 0;
  for (const PeerMapKey& k : ipx) all |= k.Members;
  for (unsigned s = kSubNcp; s <= kSubOtherIpx; ++s) EXPECT_TRUE(InSet(all, s)) << s;
  const auto hops = PeerMapKeys(PeerMapKind::kNetwork, kModeIpxHops, kEthernet);
  ASSERT_EQ(hops.size(), 11u);
  EXPECT_EQ(hops[10].Caption, "10+ Hops");
  EXPECT_EQ(hops[10].Color, kGreen);
}

TEST(PeerMapKeys, OnOffInvertOverTheModesKeys) {
  KeyStates k = kAllKeysChecked;
  SetAllKeys(k, 4, false);
  EXPECT_FALSE(k[0]);
  EXPECT_FALSE(k[3]);
  EXPECT_TRUE(k[4]);  // beyond the mode's keys
  k[1] = true;
  InvertKeys(k, 4);
  EXPECT_TRUE(k[0]);
  EXPECT_FALSE(k[1]);
  EXPECT_TRUE(k[4]);
}

// Errors mode, "No Errors" unchecked: only pairs whose receiver has seen a CRC-error frame.
TEST(PeerMapSelection, ErrorsModeWithoutGoodFramesKeepsReceiversOfCrcErrors) {
  Stations s;
  s.Send(M(1), M(2), 10, 100, kEncapEtype, kCatIp, kFrameStatusCrcError);
  s.Send(M(1), M(3), 10, 100);
  s.Send(M(4), M(3), 10, 100);
  const PeerGraph g = s.Graph();
  PeerMapView view = InitialView(g, kIdErrors);
  KeyStates keys = kAllKeysChecked;
  keys[1] = false;  // "No Errors"
  view.Working = ApplyKeys(g, kIdErrors, keys);
  PeerMapOptions o;
  o.Mode = kIdErrors;
  o.Keys = keys;
  const MapSelection sel = SelectMap(g, view, o);
  EXPECT_EQ(Marked(sel), (std::set<int>{Node(g, M(1)), Node(g, M(2))}));
  // The model's own sets are untouched by the keys.
  EXPECT_EQ(s.model.Stations.Find(AddressKey::Of(M(1).data(), 6))->FrameStatus, 0b1001);
}

TEST(PeerMapSelection, SmallSendersDrawOnlyAsReceiversAndHiddenStationsStopSending) {
  Stations s;
  s.Send(M(1), M(2), 5, 17);   // average 17: never a sender on the map
  s.Send(M(3), M(1), 5, 100);  // but still a receiver
  const PeerGraph g = s.Graph();
  PeerMapView view = InitialView(g, kIdEncapsulation);
  MapSelection sel = SelectMap(g, view, {});
  EXPECT_EQ(Marked(sel), (std::set<int>{Node(g, M(1)), Node(g, M(3))}));
  EXPECT_FALSE(sel.DensityShown);
  EXPECT_EQ(sel.Threshold, 0);

  view.Viewable[static_cast<size_t>(Node(g, M(3)))] = 0;
  EXPECT_TRUE(Marked(SelectMap(g, view, {})).empty());
}

TEST(PeerMapSelection, DestinationFilterUsesTheMediumsGroupBit) {
  // Ethernet: bit 0x01 of the first byte; Token Ring: 0x80.
  for (Topology medium : {kEthernet, kTokenRing}) {
    Stations s;
    s.stats.Medium = medium;
    const Mac group = M(9, medium == kEthernet ? 0x01 : 0xC0);
    const Mac other = M(8, medium == kEthernet ? 0x80 : 0x01);  // individual on this medium
    s.Send(M(1), group, 5, 100);
    s.Send(M(1), other, 5, 100);
    const PeerGraph g = s.Graph();
    const PeerMapView view = InitialView(g, kIdEncapsulation);
    PeerMapOptions o;
    o.Destination = DestinationFilter::kBroadcast;
    EXPECT_EQ(Marked(SelectMap(g, view, o)), (std::set<int>{Node(g, M(1)), Node(g, group)})) << int(medium);
    o.Destination = DestinationFilter::kNonBroadcast;
    EXPECT_EQ(Marked(SelectMap(g, view, o)), (std::set<int>{Node(g, M(1)), Node(g, other)})) << int(medium);
  }
}

// 30 senders to 30 receivers, sender k sending k frames (share k / 465). Thresholds of
// 0.01 to 0.03 leave too many; 0.04 keeps the 12 largest senders and their receivers.
TEST(PeerMapSelection, DensitySearchKeepsTheLargestSendersAndEnds) {
  Stations s;
  for (int k = 1; k <= 30; ++k) s.Send(M(k), M(1000 + k), k, 100);
  const PeerGraph g = s.Graph();
  const PeerMapView view = InitialView(g, kIdEncapsulation);
  PeerMapOptions o;
  o.Density = 10;
  const MapSelection sel = SelectMap(g, view, o);
  EXPECT_TRUE(sel.DensityShown);
  EXPECT_NEAR(sel.Threshold, 0.04, 1e-9);
  EXPECT_EQ(sel.Marked, 24);
  EXPECT_EQ(sel.Passes, 5);
  for (int k = 1; k <= 30; ++k) EXPECT_EQ(sel.OnMap[static_cast<size_t>(Node(g, M(k)))] != 0, k >= 19) << k;

  // At the lowest density the search climbs until nothing is marked, and stops there.
  o.Density = 1;
  const MapSelection none = SelectMap(g, view, o);
  EXPECT_LE(none.Passes, 102);
  EXPECT_LE(none.Marked * 20, 60);
}

TEST(PeerMapSelection, DensityOnASingleHeavySenderStopsAfter101Steps) {
  // One sender with every frame: its share is 1, so only a threshold above 1 drops it.
  Stations s;
  for (int k = 1; k <= 30; ++k) s.Send(M(1), M(100 + k), 1, 100);
  const PeerGraph g = s.Graph();
  PeerMapOptions o;
  o.Density = 1;
  const MapSelection sel = SelectMap(g, InitialView(g, kIdEncapsulation), o);
  EXPECT_EQ(sel.Marked, 0);
  EXPECT_EQ(sel.Passes, 102);
  EXPECT_NEAR(sel.Threshold, 1.01, 1e-9);
}

TEST(PeerMapLayout, FourStationsStandTopRightUpperRightLowerBottom) {
  const std::vector<RingPoint> p = PeerMapPositions(4, 100, 400.0 / 7);
  ASSERT_GE(p.size(), 4u);
  EXPECT_EQ(p[0], (RingPoint{0, -100}));
  EXPECT_EQ(p[1], (RingPoint{57, -82}));
  EXPECT_EQ(p[2], (RingPoint{57, 82}));
  EXPECT_EQ(p[3], (RingPoint{0, 100}));
  // Three or fewer still use the ring of four.
  EXPECT_EQ(PeerMapPositions(1, 100, 400.0 / 7).front(), (RingPoint{0, -100}));
}

TEST(PeerMapLayout, NoTwoPositionsAlikeForAnyCount) {
  for (int marked = 1; marked <= 181; ++marked) {
    const int n = std::clamp(marked, 4, 180);
    const int radius = 300;
    const std::vector<RingPoint> p = PeerMapPositions(marked, radius, 4.0 * radius / (n + 3));
    ASSERT_GE(static_cast<int>(p.size()), std::min(marked, 180)) << marked;
    ASSERT_LE(p.size(), 180u);
    std::set<std::pair<int, int>> seen;
    for (const RingPoint& q : p) EXPECT_TRUE(seen.insert({q.X, q.Y}).second) << marked << ": " << q.X << "," << q.Y;
    // Clockwise from the top: the first half lies right of the centre line.
    EXPECT_EQ(p.front().X, 0);
    EXPECT_LT(p.front().Y, 0);
  }
}

TEST(PeerMapLayout, OverflowSharesTheLastPositionAndLinesGoThere) {
  // 190 receivers of one sender: 191 marked nodes.
  Stations s;
  for (int k = 1; k <= 190; ++k) s.Send(M(0), M(k), 1, 100);
  const PeerGraph g = s.Graph();
  const PeerMapView view = InitialView(g, kIdEncapsulation);
  PeerMapOptions o;
  o.Density = 20;
  const PeerMapDrawing d = LayoutPeerMap(g, view, o, {}, {}, 1400, 1000, Measure);
  EXPECT_EQ(d.Selection.Marked, 191);
  ASSERT_EQ(d.Labels.size(), 180u);
  EXPECT_EQ(d.Labels.back().Text, "OVERFLOW      ");
  EXPECT_EQ(d.Labels.back().Node, -1);
  EXPECT_EQ(d.Lines, 190);
  const RingPoint overflow = d.Labels.back().Point;
  int toOverflow = 0;
  for (const PeerMapSegment& seg : d.Segments) toOverflow += seg.To == overflow;
  EXPECT_EQ(toOverflow, 190 - 178);
  // A click on the overflow label selects nobody; one on the sender's label finds it.
  EXPECT_EQ(PeerMapLabelAt(d, d.Labels.back().Rect.Left + 1, d.Labels.back().Rect.Top + 1), -1);
  EXPECT_EQ(PeerMapLabelAt(d, d.Labels[0].Rect.Left + 1, d.Labels[0].Rect.Top + 1), d.Labels[0].Node);
}

TEST(PeerMapLayout, ThreeStationsKeepARingOfFourAndTheFontShrinksOnCrowdedRings) {
  Stations s;
  s.Send(M(1), M(2), 3, 100);
  s.Send(M(1), M(3), 3, 100);
  const PeerGraph g = s.Graph();
  const PeerMapDrawing d = LayoutPeerMap(g, InitialView(g, kIdEncapsulation), {}, {}, {}, 400, 300, Measure);
  ASSERT_EQ(d.Labels.size(), 3u);
  EXPECT_FALSE(d.Selection.DensityShown);
  EXPECT_EQ(d.FontSize, 8);
  // R = min(200 - 72 - 6, 150 - 10 - 0) = 122; labels right of centre start 7 pixels right,
  // the top one stands centred above its point.
  EXPECT_EQ(d.Radius, 122);
  EXPECT_EQ(d.Labels[0].Point, (RingPoint{200, 150 - 122}));
  EXPECT_EQ(d.Labels[0].Rect.Left, 200 - 36);
  EXPECT_EQ(d.Labels[0].Rect.Top, 28 - 13 - 3);
  EXPECT_EQ(d.Labels[1].Rect.Left, d.Labels[1].Point.X + 7);
  // A small canvas with many stations: the step falls below the label height, the font
  // shrinks to 5 at most.
  Stations big;
  for (int k = 1; k <= 19; ++k) big.Send(M(0), M(k), 1, 100);
  const PeerGraph bg = big.Graph();
  const PeerMapDrawing small = LayoutPeerMap(bg, InitialView(bg, kIdEncapsulation), {}, {}, {}, 220, 120, Measure);
  EXPECT_EQ(small.FontSize, 5);
  EXPECT_GE(small.Radius, 1);
}

TEST(PeerMapLines, ColoursSegmentsAndPenWidths) {
  Stations s;
  s.Send(M(1), M(2), 30, 100, kEncapLlc, kCatNetBiosLlc);
  s.Send(M(1), M(2), 30, 100, kEncapSnap, kCatAppletalk);
  s.Send(M(3), M(4), 40, 100, kEncapEtype, kCatIp);
  const PeerGraph g = s.Graph();
  PeerMapView view = InitialView(g, kIdEncapsulation);
  const PeerMapDrawing d = LayoutPeerMap(g, view, {}, {}, {}, 600, 400, Measure);
  EXPECT_EQ(d.Lines, 2);
  // Two colours: four equal segments, LLC fuchsia then SNAP lime in turn; 60 of 100 frames.
  ASSERT_EQ(d.Segments.size(), 5u);
  EXPECT_EQ(d.Segments[0].Color, kFuchsia);
  EXPECT_EQ(d.Segments[1].Color, kLime);
  EXPECT_EQ(d.Segments[2].Color, kFuchsia);
  EXPECT_EQ(d.Segments[0].Width, 3);
  EXPECT_EQ(d.Segments[0].To, d.Segments[1].From);
  EXPECT_EQ(d.Segments[4].Color, kAqua);
  EXPECT_EQ(d.Segments[4].Width, 3);

  // Unchecking LLC leaves the SNAP colour alone, 30 of 100 frames: width 3 still; in the
  // Errors mode widths are always 1.
  KeyStates keys = kAllKeysChecked;
  keys[0] = false;
  view.Working = ApplyKeys(g, kIdEncapsulation, keys);
  PeerMapOptions o;
  o.Keys = keys;
  const PeerMapDrawing one = LayoutPeerMap(g, view, o, {}, {}, 600, 400, Measure);
  ASSERT_EQ(one.Segments.size(), 2u);
  EXPECT_EQ(one.Segments[0].Color, kLime);
  EXPECT_EQ(one.Segments[0].Width, 3);
  o.Mode = kIdErrors;
  o.Keys = kAllKeysChecked;
  view.Working = ApplyKeys(g, kIdErrors, o.Keys);
  for (const PeerMapSegment& seg : LayoutPeerMap(g, view, o, {}, {}, 600, 400, Measure).Segments) {
    EXPECT_EQ(seg.Width, 1);
    EXPECT_EQ(seg.Color, kAqua);
  }
}

TEST(PeerMapLabels, PrecedenceOfNamesFixedLabelsVendorAndHex) {
  Stations s;
  const Mac bridge = {0x01, 0x80, 0xC2, 0x00, 0x00, 0x00};
  s.Send(M(1), bridge, 1, 100);
  s.At(M(1)).VendorIndex = 1;
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x00}, "Xerox ");
  PeerGraph g = s.Graph();
  const PeerNode& station = g.Nodes[static_cast<size_t>(Node(g, M(1)))];
  const PeerNode& group = g.Nodes[static_cast<size_t>(Node(g, bridge))];
  PeerLabelOptions o{true, true, &vendors};
  EXPECT_EQ(PeerNodeLabel(g, station, o, true), "Xerox 000001");
  EXPECT_EQ(PeerNodeLabel(g, group, o, true), "Bridge Group");
  EXPECT_EQ(PeerNodeLabel(g, group, o, false), "0180C2000000");  // the grid has no fixed labels
  o.ShowOui = false;
  EXPECT_EQ(PeerNodeLabel(g, station, o, true), "000000000001");
  AddLearnedName(s.model, AddressKey::Of(M(1).data(), 6).View(), "SERVER1");
  g = s.Graph();
  EXPECT_EQ(PeerNodeLabel(g, g.Nodes[static_cast<size_t>(Node(g, M(1)))], o, true), "SERVER1");
  o.SmartNames = false;
  EXPECT_EQ(PeerNodeLabel(g, g.Nodes[static_cast<size_t>(Node(g, bridge))], o, true), "0180C2000000");
}

TEST(PeerMapGrid, StationRowsAndEdgeCases) {
  Stations s;
  s.Send(M(1), M(2), 3, 100, kEncapLlc, kCatNetBiosLlc);
  s.Send(M(1), M(0xFFFF, 0xFF), 1, 64, kEncapEtype, kCatArpRarp);
  s.Send(M(2), M(1), 1, 60);
  s.stats.BandwidthBytesPerSecond = 1250000;
  s.stats.IntervalCount = 2;
  const PeerGraph g = s.Graph();
  const std::vector<PeerGridRow> rows = BuildPeerGridRows(g, {false, false, nullptr}, ',');
  ASSERT_EQ(rows.size(), 2u);  // receivers only have no row
  using V = std::vector<std::string>;
  // (20 x 4 + 364) x 100 / 1250000 / 2 = 0.01776 -> "0.02%".
  EXPECT_EQ(rows[0].Cells, (V{"000000000001", "Etype, LLC", "ARP/RARP, IP, NetBIOS-LLC", "2", "5", "424", "0.02%", "91",
                              "60", "1", "4:1"}));
  EXPECT_EQ(rows[0].Address, AddressKey::Of(M(1).data(), 6));
  // The statistics rows need no edges: a graph of nodes alone gives the same rows.
  const PeerGraph nodes = BuildStationGraph(s.model, s.stats, PeerGraphParts::kNodes);
  EXPECT_TRUE(nodes.Edges.empty());
  EXPECT_EQ(BuildPeerGridRows(nodes, {false, false, nullptr}, ',')[0].Cells, rows[0].Cells);
  EXPECT_EQ(PeerGridHeadings(PeerMapKind::kStation).size(), 11u);
  EXPECT_TRUE(PeerGridColumnIsText(PeerMapKind::kStation, 10));
  EXPECT_FALSE(PeerGridColumnIsText(PeerMapKind::kStation, 3));

  // No bandwidth or no closed interval: "0.00%"; sums beyond 32 bits stay exact.
  EXPECT_EQ(UtilizationText(10, 1000, kEthernet, 0, 5), "0.00%");
  EXPECT_EQ(UtilizationText(10, 1000, kEthernet, 1250000, 0), "0.00%");
  EXPECT_EQ(UtilizationText(0, 2'000'000'000, kTokenRing, 1'000'000, 1), "200000.00%");
  EXPECT_EQ(UtilizationText(2'000'000'000, 2'000'000'000, kEthernet, 2'000'000'000, 1), "2100.00%");
}

TEST(PeerMapGrid, ViewableRowsComeFirst) {
  std::vector<PeerGridRow> rows(5);
  for (int i = 0; i < 5; ++i) rows[static_cast<size_t>(i)].Node = i;
  ViewableRowsFirst(rows, {0, 1, 0, 1, 1});
  std::vector<int> order;
  for (const PeerGridRow& r : rows) order.push_back(r.Node);
  EXPECT_EQ(order, (std::vector<int>{1, 3, 4, 0, 2}));
}

TEST(PeerMapGrid, ColumnOrderAcceptsOnlyPermutations) {
  const std::vector<int> def = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
  EXPECT_EQ(ParseColumnOrder("2,1,3,4,5,6,7,8,9,10,11", 11), (std::vector<int>{2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  EXPECT_EQ(ParseColumnOrder(" 9, 8,7,6,5,4,3,2,1", 9), (std::vector<int>{9, 8, 7, 6, 5, 4, 3, 2, 1}));
  for (std::string_view bad : {"", "1,2,3", "1,2,3,4,5,6,7,8,9,10,10", "1,2,3,4,5,6,7,8,9,10,12",
                               "0,1,2,3,4,5,6,7,8,9,10", "1,2,3,4,5,6,7,8,9,10,11,1", "a,b", "1,2,3,4,5,6,7,8,9,10,11x",
                               "1,,2,3,4,5,6,7,8,9,10", "-1,2,3,4,5,6,7,8,9,10,11"})
    EXPECT_EQ(ParseColumnOrder(bad, 11), def) << bad;
  EXPECT_EQ(FormatColumnOrder(def), "1,2,3,4,5,6,7,8,9,10,11");
}

// ---- The network map

using testing::Ip;
using testing::Ipx;
using testing::ModelBuilder;

struct Network {
  ModelBuilder b;
  TraceStatistics stats;
  void Send(const AddressKey& from, const AddressKey& to, SubProtocol sub, int packets, uint8_t ttl = 0) {
    const int32_t peer = b.Peer(from, to);
    TNetPeer& p = b.model.Objects.Get<TNetPeer>(peer);
    b.model.Objects.CountPackets(p, sub, packets);
    p.LastTTL = ttl;
    NetAddressNode& s = b.Node(from);
    NetAddressNode& r = b.Node(to);
    s.Roles = kRolesSent;
    AddToSet(s.SubProtocols, sub);
    AddToSet(r.SubProtocols, sub);
    s.PacketsSent += packets;
    s.BytesSent += packets * 100;
    r.PacketsReceived += packets;
    r.BytesReceived += packets * 100;
    stats.TraceStats[kStatFrames].Value += packets;
  }
  PeerGraph Graph() const { return BuildNetworkGraph(b.model, stats); }
};

int NetNode(const PeerGraph& g, const AddressKey& key) {
  for (size_t i = 0; i < g.Nodes.size(); ++i)
    if (g.Nodes[i].Address == key) return static_cast<int>(i);
  return -1;
}

TEST(NetworkMap, UncheckingTcpRemovesTcpOnlyAddressesAndSharesStayWithinOne) {
  Network n;
  n.Send(Ip(10, 0, 0, 1), Ip(10, 0, 0, 2), kSubTcp, 50);
  n.Send(Ip(10, 0, 0, 3), Ip(10, 0, 0, 2), kSubUdp, 50);
  n.Send(Ip(10, 0, 0, 3), Ip(10, 0, 0, 4), kSubTcp, 50);
  const PeerGraph g = n.Graph();
  // Shares: packets sent over all packets sent by IP addresses.
  EXPECT_DOUBLE_EQ(SenderShare(g, g.Nodes[static_cast<size_t>(NetNode(g, Ip(10, 0, 0, 3)))], kModeIp), 2.0 / 3);
  PeerMapView view = InitialView(g, kModeIp);
  PeerMapOptions o;
  o.Mode = kModeIp;
  o.Keys[1] = false;  // TCP
  view.Working = ApplyKeys(g, kModeIp, o.Keys);
  const PeerMapDrawing d = LayoutPeerMap(g, view, o, {}, {}, 600, 400, Measure);
  EXPECT_EQ(Marked(d.Selection), (std::set<int>{NetNode(g, Ip(10, 0, 0, 3)), NetNode(g, Ip(10, 0, 0, 2))}));
  ASSERT_EQ(d.Segments.size(), 1u);
  EXPECT_EQ(d.Segments[0].Color, kFuchsia);  // UDP
}

TEST(NetworkMap, HopsOfBothDirectionsAddUp) {
  Network n;
  const AddressKey a = Ipx(1, {0, 0, 0, 0, 0, 1});
  const AddressKey c = Ipx(2, {0, 0, 0, 0, 0, 2});
  n.Send(a, c, kSubNcp, 5, 6);
  n.Send(c, a, kSubNcp, 5, 5);
  const PeerGraph g = n.Graph();
  PeerMapOptions o;
  o.Mode = kModeIpxHops;
  SetAllKeys(o.Keys, 11, false);
  o.Keys[10] = true;  // "10+ Hops"
  const PeerMapView view = InitialView(g, kModeIpxHops);
  const PeerMapDrawing d = LayoutPeerMap(g, view, o, {}, {}, 600, 400, Measure);
  EXPECT_EQ(d.Selection.Marked, 2);
  ASSERT_EQ(d.Lines, 2);
  EXPECT_EQ(d.Segments[0].Color, kGreen);
  o.Keys[10] = false;
  o.Keys[9] = true;
  EXPECT_EQ(SelectMap(g, view, o).Marked, 0);
}

TEST(NetworkMap, AddressWithoutStationPassesAllAndNonBroadcast) {
  Network n;
  n.Send(Ip(10, 0, 0, 1), Ip(10, 0, 0, 2), kSubUdp, 5);
  n.b.Station(Ip(10, 0, 0, 1), {0x00, 0x00, 0x0C, 1, 2, 3}, 0);
  const PeerGraph g = n.Graph();
  const PeerNode& receiver = g.Nodes[static_cast<size_t>(NetNode(g, Ip(10, 0, 0, 2)))];
  EXPECT_EQ(DlcInfoCaption(receiver, nullptr), "No DLC Address");
  EXPECT_EQ(DlcInfoCaption(g.Nodes[static_cast<size_t>(NetNode(g, Ip(10, 0, 0, 1)))], nullptr),
            "DLC Address is 00000C010203");
  const PeerMapView view = InitialView(g, kModeIp);
  PeerMapOptions o;
  o.Mode = kModeIp;
  for (auto [filter, marked] : {std::pair{DestinationFilter::kAll, 2},
                                {DestinationFilter::kNonBroadcast, 2},
                                {DestinationFilter::kBroadcast, 0}}) {
    o.Destination = filter;
    EXPECT_EQ(LayoutPeerMap(g, view, o, {}, {}, 500, 400, Measure).Selection.Marked, marked);
  }
}

TEST(NetworkMap, RowsOfIpAndIpxTogetherWithTheirTexts) {
  Network n;
  n.Send(Ip(10, 0, 0, 1), Ip(10, 0, 0, 2), kSubTcp, 4);
  n.Send(Ipx(0x10, {0, 0, 0x0C, 1, 2, 3}), Ipx(0x20, {0, 0, 0, 0, 0, 1}), kSubNcp, 2);
  const PeerGraph g = n.Graph();
  const std::vector<PeerGridRow> rows = BuildPeerGridRows(g, {true, false, nullptr}, ',');
  ASSERT_EQ(rows.size(), 2u);
  using V = std::vector<std::string>;
  // Keys in byte order: the IPX address (network 0x10 starts with a zero byte) first.
  EXPECT_EQ(rows[0].Cells[0], "10.00000C010203");
  EXPECT_EQ(rows[1].Cells, (V{" 10.  0.  0.  1", "TCP", "1", "4", "400", "0.00%", "100", "0", "4:0"}));
  const PeerGraph nodes = BuildNetworkGraph(n.b.model, n.stats, PeerGraphParts::kNodes);
  EXPECT_TRUE(nodes.Edges.empty());
  EXPECT_EQ(BuildPeerGridRows(nodes, {true, false, nullptr}, ',')[1].Cells, rows[1].Cells);
  EXPECT_EQ(ToolboxTexts(g.Nodes[static_cast<size_t>(rows[1].Node)], nullptr).Text, "10.0.0.1");
  EXPECT_EQ(PeerGridHeadings(PeerMapKind::kNetwork).size(), 9u);
}

// Without edges the peers are counted many chains at a time: more senders than chains
// followed at once, with chains of different lengths, count as the edges do.
TEST(PeerMapGrid, NodesAloneCountEveryChain) {
  Network n;
  for (uint8_t from = 1; from <= 40; ++from)
    for (uint8_t to = 0; to <= from % 7; ++to) n.Send(Ip(10, 0, 0, from), Ip(10, 0, 1, to), kSubTcp, 1);
  const PeerGraph g = n.Graph();
  const PeerGraph nodes = BuildNetworkGraph(n.b.model, n.stats, PeerGraphParts::kNodes);
  ASSERT_EQ(nodes.Nodes.size(), g.Nodes.size());
  for (size_t i = 0; i < g.Nodes.size(); ++i) EXPECT_EQ(nodes.Nodes[i].Dests, g.Nodes[i].Dests) << i;
  EXPECT_EQ(g.Nodes[static_cast<size_t>(NetNode(g, Ip(10, 0, 0, 6)))].Dests, 7);
}

}  // namespace
}  // namespace corvanta

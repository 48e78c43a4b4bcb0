#pragma once
// The station and network peer maps: which talkers and pairs a map shows, where they stand
// on the ring, the coloured lines between them, and the rows of the statistics grid.
//
// A PeerGraph is a copy of what the two windows read from the model (stations with their
// TDLCPeer chains, or network addresses with their TNetPeer chains), so a window holds no
// pointer into a model that a newer trace may replace. The view state - viewable flags,
// key-filtered working sets, on-the-map marks - lives in arrays the window owns, indexed
// like the graph's nodes; the model itself is never changed.
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/RingGeometry.h"
#include "decode/ModelTypes.h"
#include "naming/ProtocolNames.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

class CaptureModel;
class VendorTable;
struct TraceStatistics;

enum class PeerMapKind : uint8_t { kStation, kNetwork };

// The three identification modes of the station map and protocol modes of the network map.
inline constexpr int kPeerMapModes = 3;
enum StationIdMode : int { kIdErrors = 0, kIdEncapsulation = 1, kIdProtocol = 2 };
enum NetworkMode : int { kModeIp = 0, kModeIpx = 1, kModeIpxHops = 2 };

enum class DestinationFilter : uint8_t { kAll, kBroadcast, kNonBroadcast };

inline constexpr int kStationKeyCount = 14;  // check states per station mode
inline constexpr int kNetworkKeyCount = 12;  // per network mode
using KeyStates = std::array<bool, kStationKeyCount>;
inline constexpr KeyStates kAllKeysChecked = {true, true, true, true, true, true, true,
                                              true, true, true, true, true, true, true};

inline constexpr int kMapPositions = 180;
inline constexpr int kMapDensityMax = 20;  // track bar positions 1..20
inline constexpr int kDensityNodes = 20;   // more marked nodes than this shows the track bar
inline constexpr int kMaxLineColors = 16;
inline constexpr int kMinSenderAverage = 17;  // bytes a sent frame must average to draw lines

// Colours the map uses.
inline constexpr uint32_t kFuchsia = MakeColor(255, 0, 255);
inline constexpr uint32_t kLime = MakeColor(0, 255, 0);
inline constexpr uint32_t kAqua = MakeColor(0, 255, 255);
inline constexpr uint32_t kBlue = MakeColor(0, 0, 255);
inline constexpr uint32_t kYellow = MakeColor(255, 255, 0);
inline constexpr uint32_t kMaroon = MakeColor(128, 0, 0);
inline constexpr uint32_t kTeal = MakeColor(0, 128, 128);
inline constexpr uint32_t kNavy = MakeColor(0, 0, 128);
inline constexpr uint32_t kPurple = MakeColor(128, 0, 128);
inline constexpr uint32_t kOlive = MakeColor(128, 128, 0);
inline constexpr uint32_t kGreen = MakeColor(0, 128, 0);
inline constexpr uint32_t kRed = MakeColor(255, 0, 0);
inline constexpr uint32_t kGray = MakeColor(128, 128, 128);
inline constexpr uint32_t kBlack = MakeColor(0, 0, 0);

// ---- Keys

// One key of a mode: its check box caption and colour, and the members it filters (a bit
// set over the mode's values: frame status, encapsulation, protocol category, sub-protocol,
// or hop count 0..10).
struct PeerMapKey {
  std::string_view Caption;
  uint32_t Color = 0;
  uint32_t Members = 0;
};

// The keys of a mode; empty for the Token Ring "None" mode, whose key group is hidden.
std::vector<PeerMapKey> PeerMapKeys(PeerMapKind kind, int mode, Topology topology);

// The station map's first mode is "Errors" on Ethernet and "None" on Token Ring.
std::string_view StationModeCaption(int mode, Topology topology);

// "On", "Off" and "Inv" over the first `count` keys.
void SetAllKeys(KeyStates& states, int count, bool checked);
void InvertKeys(KeyStates& states, int count);

// ---- The graph

struct PeerEdge {
  int32_t To = -1;  // the receiver's node; -1 when the peer address is not a node
  // Per mode, the values the pair carried (station: frame status, encapsulations,
  // categories; network: sub-protocols twice, then the hop-count bit).
  std::array<uint32_t, kPeerMapModes> Sets{};
  // Frames by value: station encapsulations at 0..4 and categories at 5..21; network
  // packets by sub-protocol.
  std::array<int32_t, kSubProtocolCount> Frames{};
};

struct PeerNode {
  AddressKey Address;
  bool Sent = false;  // Roles bit 0: a grid row, and a possible sender on the map
  ProtocolCategory Category = 0;
  // Per mode, the values seen in frames sent or received (as PeerEdge::Sets).
  std::array<uint32_t, kPeerMapModes> Sets{};
  int64_t FramesSent = 0;
  int64_t BytesSent = 0;
  int64_t FramesReceived = 0;
  int64_t BytesReceived = 0;
  int64_t GroupFramesSent = 0;
  uint16_t VendorIndex = 0;
  // The data-link station of a network address; a station is its own.
  bool HasStation = false;
  AddressKey Station;
  uint16_t StationVendor = 0;
  bool Group = false;  // the station is a group address; false without a station
  int32_t Dests = 0;   // peer records chained from the node
  std::string LearnedName;
  std::string StationLearnedName;  // learned name of the station's address (network nodes)
  int32_t FirstEdge = 0;
  int32_t EdgeCount = 0;
};

struct PeerGraph {
  PeerMapKind Kind = PeerMapKind::kStation;
  Topology Medium = kEthernet;
  std::vector<PeerNode> Nodes;  // in tree order
  std::vector<PeerEdge> Edges;  // grouped by sender
  int64_t TraceFrames = 0;
  ModelCounts Counts;
  std::array<int64_t, 2> SentByMode{};  // network: packets sent by IP and by IPX addresses
  int32_t BandwidthBytesPerSecond = 0;
  int32_t IntervalCount = 0;
};

// kNodes leaves the edges out (Dests still counts the peers): enough for the statistics rows.
enum class PeerGraphParts : uint8_t { kNodesAndEdges, kNodes };
PeerGraph BuildStationGraph(const CaptureModel& model, const TraceStatistics& statistics,
                            PeerGraphParts parts = PeerGraphParts::kNodesAndEdges);
PeerGraph BuildNetworkGraph(const CaptureModel& model, const TraceStatistics& statistics,
                            PeerGraphParts parts = PeerGraphParts::kNodesAndEdges);

// ---- View state

// The window's own view of a graph: one entry per node.
struct PeerMapView {
  std::vector<uint8_t> Viewable;  // set for every sender at first
  std::vector<uint32_t> Working;  // the key-filtered set of the current mode
};

PeerMapView InitialView(const PeerGraph& graph, int mode);

// The key-filtered sets of a mode: each node's set without the members of the unchecked
// keys. (Checking a key adds its members back to the nodes whose set has them.)
std::vector<uint32_t> ApplyKeys(const PeerGraph& graph, int mode, const KeyStates& states);

// ---- Map selection

struct PeerMapOptions {
  int Mode = kIdEncapsulation;
  KeyStates Keys = kAllKeysChecked;
  DestinationFilter Destination = DestinationFilter::kAll;
  int Density = kMapDensityMax;  // track bar position 1..20
};

struct MapSelection {
  std::vector<uint8_t> OnMap;  // per node
  int Marked = 0;
  double Threshold = 0;       // the minimum share of a sender
  bool DensityShown = false;  // more than 20 nodes were marked at threshold 0
  int Passes = 0;             // selection passes the density search ran
};

// A sender's share: station frames sent over the trace's frames; network packets sent over
// the packets sent by all addresses of the mode. Always within 0..1.
double SenderShare(const PeerGraph& graph, const PeerNode& node, int mode);

// Marks the nodes of the qualifying pairs, raising the threshold in steps of 0.01 while
// too many nodes are marked for the density (at most 101 steps; it stops once none is).
MapSelection SelectMap(const PeerGraph& graph, const PeerMapView& view, const PeerMapOptions& options);

// ---- Labels

struct PeerLabelOptions {
  bool SmartNames = true;
  bool ShowOui = true;
  const VendorTable* Vendors = nullptr;
};

// A node's label: the learned name (SmartNames), on the map the fixed names of well-known
// group addresses (SmartNames), the vendor form (Show OUI), else the address. Network
// addresses: dotted decimal (padded in the grid) or network.node.
std::string PeerNodeLabel(const PeerGraph& graph, const PeerNode& node, const PeerLabelOptions& options, bool onMap);

// The network pop-up's data-link item: "No DLC Address", "DLC = " with the vendor and the
// last six digits, or "DLC Address is " with the twelve digits.
std::string DlcInfoCaption(const PeerNode& node, const VendorTable* vendors);

// What the toolbox is handed for a clicked network address: the address text and, for IPX,
// the network.node text with the vendor name.
struct ToolboxAddressTexts {
  std::string Text;
  std::string VendorText;
};
ToolboxAddressTexts ToolboxTexts(const PeerNode& node, const VendorTable* vendors);

// ---- Ring layout

// The positions of `marked` nodes around a circle of the radius, relative to its centre (y
// downwards), clockwise from the top with the x step given; at most 180, never two alike.
std::vector<RingPoint> PeerMapPositions(int marked, int radius, double step);

struct TextRect {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Contains(int x, int y) const { return x >= Left && x < Left + Width && y >= Top && y < Top + Height; }
};

struct PeerMapPalette {
  uint32_t ButtonText = kBlack;
  uint32_t ButtonShadow = kGray;
  uint32_t Highlight = MakeColor(0, 0, 128);
};

struct PeerMapLabelDraw {
  int Node = -1;  // -1 for the overflow label
  RingPoint Point;
  TextRect Rect;
  std::string Text;
  uint32_t Color = 0;
  bool Sender = false;
};

struct PeerMapSegment {
  RingPoint From;
  RingPoint To;
  uint32_t Color = 0;
  int Width = 1;
};

struct PeerMapDrawing {
  RingPoint Center;
  int Radius = 1;
  int FontSize = kRingMapFontSize;
  uint32_t RingColor = kGray;
  int RingPenWidth = 3;
  std::vector<PeerMapLabelDraw> Labels;
  std::vector<PeerMapSegment> Segments;  // drawn in order, under the ring and labels
  int Lines = 0;
  MapSelection Selection;
};

// Everything to paint on a canvas of width x height. highlight: the node whose label is
// drawn in the highlight colour (-1: none).
PeerMapDrawing LayoutPeerMap(const PeerGraph& graph, const PeerMapView& view, const PeerMapOptions& options,
                             const PeerLabelOptions& labels, const PeerMapPalette& palette, int width, int height,
                             const MeasureText& measure, int highlight = -1);

// The node whose label holds the point; -1 when none does.
int PeerMapLabelAt(const PeerMapDrawing& drawing, int x, int y);

// ---- Statistics grid

inline constexpr int kStationColumns = 11;
inline constexpr int kNetworkColumns = 9;
inline constexpr uint32_t kGridHeadingColor = kTeal;

std::vector<std::string_view> PeerGridHeadings(PeerMapKind kind);
// Columns sorted as text (0-based); the others sort as numbers.
bool PeerGridColumnIsText(PeerMapKind kind, int column);

struct PeerGridRow {
  int32_t Node = 0;
  AddressKey Address;
  std::vector<std::string> Cells;  // in the default column order
};

// The row of one node (a sender).
PeerGridRow BuildPeerGridRow(const PeerGraph& graph, size_t node, const PeerLabelOptions& labels, char thousandsSep);

// One pair the map can draw: a sender, its receiver, and the frames (network: packets) the
// pair carried, in all and by the values the map colours its line by.
struct PeerPairRow {
  size_t From = 0;  // node indexes
  size_t To = 0;
  int64_t Frames = 0;
  // Station maps: by encapsulation; network maps: none.
  std::vector<std::pair<std::string_view, int64_t>> ByEncapsulation;
  // Station maps: by protocol category; network maps: by IP and IPX transport.
  std::vector<std::pair<std::string_view, int64_t>> ByProtocol;
};

// Calls visit with every pair of a graph built with its edges, senders in node order; pairs
// whose receiver is no node of the graph are left out, as the map leaves them out.
void ForEachPeerPair(const PeerGraph& graph, const std::function<void(const PeerPairRow&)>& visit);
// One row per sender, in node order.
std::vector<PeerGridRow> BuildPeerGridRows(const PeerGraph& graph, const PeerLabelOptions& labels, char thousandsSep);
// Rewrites column 1 after a SmartNames or OUI change.
void RelabelPeerGridRows(const PeerGraph& graph, const PeerLabelOptions& labels, std::vector<PeerGridRow>& rows);

// "%3.2f%" of (F x frames sent + bytes sent) x 100 / bandwidth / intervals (F = 20 Ethernet,
// 1 Token Ring); "0.00%" when the bandwidth or the interval count is 0.
std::string UtilizationText(int64_t framesSent, int64_t bytesSent, Topology medium, int32_t bandwidthBytesPerSecond,
                            int32_t intervals);

// Viewable rows first: a stable pass that swaps each hidden row with the next viewable one.
void ViewableRowsFirst(std::vector<PeerGridRow>& rows, const std::vector<uint8_t>& viewable);

// The column order as stored: one-based column numbers joined by commas. Anything but a
// permutation of 1..count gives the default 1..count.
std::vector<int> ParseColumnOrder(std::string_view text, int count);
std::string FormatColumnOrder(const std::vector<int>& order);

inline constexpr std::string_view kColumnOrderFile = "corvanta.ini";
inline constexpr std::string_view kStationColumnSection = "StationStats";
inline constexpr std::string_view kNetworkColumnSection = "NetworkStatisticsForm";
inline constexpr std::string_view kColumnOrderKey = "ColumnOrder";

}  // namespace corvanta

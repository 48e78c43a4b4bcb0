#pragma once
// The Token Ring map: the stations of the ring poll laid out clockwise on a circle, with
// their labels, colours and fault-domain lines, as pure geometry for a canvas of a given
// size. The widget paints what LayoutRingMap returns.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "decode/ModelTypes.h"
#include "naming/ProtocolNames.h"

namespace corvanta {

class CaptureModel;
class VendorTable;
struct TraceStatistics;

inline constexpr int kRingMapPositions = 180;
inline constexpr std::string_view kRingMapOverflowLabel = "OVERFLOW      ";
inline constexpr std::string_view kRingMapFont = "Arial";
inline constexpr int kRingMapFontSize = 8;
// The font never shrinks below this; crowded rings stagger their labels instead.
inline constexpr int kRingMapMinimumFontSize = 6;
// The plates drawn behind labels: whichever of the two gives the label's colour the more
// contrast, so aqua, yellow and black labels all read on the same canvas.
inline constexpr uint32_t kRingLabelLightPlate = 0xFFFFFF;
inline constexpr uint32_t kRingLabelDarkPlate = 0x303030;

inline constexpr std::string_view kRingMapDiagnosticPage = "Ring Map Diagnostic";
inline constexpr std::string_view kSoftErrorSummaryPage = "Soft Error Summary";

// One entry of the ring poll with what the map needs of its station.
struct RingMapStation {
  AddressKey Address;
  std::string Text;   // station text: hex digits or vendor and the last six digits
  std::string Label;  // the same, with the names of the ring's functional addresses
  uint8_t Flags = 0;  // kRingActiveMonitor, kRingFormerActiveMonitor, kRingMissedCycle
  uint8_t Seen = 0;
  uint16_t VendorIndex = 0;
  // Soft errors the station reported against any upstream neighbour.
  bool InternalErrors = false;
  bool AbortErrors = false;
  bool CongestionErrors = false;
  // Entry numbers (1-based) of the upstream neighbours it reported burst or line errors
  // against, where those neighbours are in the ring poll.
  std::vector<int> BurstNeighbours;
  std::vector<int> LineNeighbours;
};

// The label of an address: its 12 hex digits or the name of a ring functional address;
// with byVendor and a known vendor, the vendor's name and the last six characters.
std::string RingMapLabel(const AddressKey& address, uint16_t vendorIndex, const VendorTable* vendors, bool byVendor);

// The ring poll's entries in ring order, with each station's vendor and soft errors.
std::vector<RingMapStation> BuildRingMapStations(const CaptureModel& model, const TraceStatistics& statistics,
                                                 const VendorTable* vendors, bool byVendor);

// "(There is no ring poll in the trace file)", "(There is only one station in the ring
// poll)" or "(Downstream neighbors are clockwise)".
std::string_view RingMapCaption(int stationCount);

struct RingPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const RingPoint&) const = default;
};

// Points per quarter of the circle: (P + 5) div 4 for five stations or more, 2 for three
// or four, 1 otherwise (P is the station count limited to 4..180).
int RingQuarterPoints(int stationCount);
// The positions around a circle of the radius, relative to its centre (y downwards), with
// vertical step `step`: element k is position k + 1. 4q - 1 positions clockwise from the
// leftmost point, at most 180; the last one is the leftmost point again.
std::vector<RingPoint> RingPositions(int quarterPoints, int radius, double step);
// The position number (1..180) of an entry (1-based): three or four stations leave
// positions 1, 4 and 5 free, entries beyond 180 share position 180.
int RingPositionOf(int entry, int stationCount);

enum class RingColorBy : uint8_t { kRingPoll, kStationErrors };
enum class FaultDomain : uint8_t { kBurstErrors, kLineErrors };
inline constexpr std::string_view kStationIdCaption = "ID Station by";
inline constexpr std::array<std::string_view, 2> kStationIdChoices = {"Ring Poll", "Station Errors"};
inline constexpr std::string_view kFaultDomainCaption = "Fault Domain";
inline constexpr std::array<std::string_view, 2> kFaultDomainChoices = {"Burst Errors", "Line Errors"};

// The platform's colours the map borrows.
struct RingMapPalette {
  uint32_t ButtonShadow = MakeColor(128, 128, 128);
  uint32_t ButtonText = MakeColor(0, 0, 0);
};

struct RingMapOptions {
  RingColorBy ColorBy = RingColorBy::kRingPoll;
  FaultDomain Domain = FaultDomain::kBurstErrors;
  RingMapPalette Palette;
};

// Colours of the labels and of the fault-domain lines.
inline constexpr uint32_t kRingActiveMonitorColor = MakeColor(0, 255, 255);
inline constexpr uint32_t kRingFormerMonitorColor = MakeColor(0, 128, 128);
inline constexpr uint32_t kRingInternalErrorColor = MakeColor(255, 0, 0);
inline constexpr uint32_t kRingAbortColor = MakeColor(255, 0, 255);
inline constexpr uint32_t kRingCongestionColor = MakeColor(255, 255, 0);
inline constexpr uint32_t kRingFaultLineColor = MakeColor(255, 0, 0);

struct RingMapKeyEntry {
  std::string_view Caption;
  uint32_t Color;
};
inline constexpr std::string_view kRingMapKeyCaption = "Station Color Key";
// The ring-poll key's "Deinserted" uses the button-shadow colour, "Standby Monitor" black.
inline constexpr std::array<RingMapKeyEntry, 4> kRingPollKey = {{{"Active Monitor", kRingActiveMonitorColor},
                                                                 {"Ex-Active Monitor", kRingFormerMonitorColor},
                                                                 {"Deinserted", MakeColor(128, 128, 128)},
                                                                 {"Standby Monitor", MakeColor(0, 0, 0)}}};
inline constexpr std::array<RingMapKeyEntry, 3> kStationErrorsKey = {{{"Rcvr Congestion", kRingCongestionColor},
                                                                      {"Internal Error", kRingInternalErrorColor},
                                                                      {"Transmit Abort", kRingAbortColor}}};

struct TextExtent {
  int Width = 0;
  int Height = 0;
};
// Measures a text in the map's font at a point size.
using MeasureText = std::function<TextExtent(std::string_view text, int pointSize)>;

struct RingMapLabelDraw {
  int Entry = 0;         // 1-based
  RingPoint Point;       // the station's point on the circle (canvas coordinates)
  RingPoint TextOrigin;  // top left of the text
  std::string Text;
  uint32_t Color = 0;
  uint32_t Plate = kRingLabelLightPlate;  // the background behind the text
};

// A station's role in the ring poll: "Deinserted", "Active Monitor", "Ex-Active Monitor" or
// "Standby Monitor".
std::string_view RingStationState(const RingMapStation& station);
// A station's tooltip on the map: its full address, its name as the map labels it, its role
// in the ring poll and the soft errors it reported.
std::string RingStationTip(const RingMapStation& station);

// The contrast ratio of two colours (1 to 21), from their relative luminance.
double ColorContrast(uint32_t a, uint32_t b);
// The plate behind a label of the colour.
uint32_t RingLabelPlate(uint32_t color);

struct RingMapLine {
  RingPoint From;
  RingPoint To;
  uint32_t Color = kRingFaultLineColor;
};

struct RingMapDrawing {
  RingPoint Center;
  int Radius = 1;          // vertical radius, from which the positions are computed
  int RadiusX = 1;         // horizontal radius: the ring widens into an ellipse to use the canvas
  bool Staggered = false;  // every other label stands one label further out
  uint32_t RingColor = 0;
  int RingPenWidth = 2;
  int FontSize = kRingMapFontSize;
  std::string_view Caption;
  std::vector<RingMapLabelDraw> Labels;  // in ring order
  std::vector<RingMapLine> Lines;
};

// Everything to draw on a canvas of width x height for the stations in ring order.
RingMapDrawing LayoutRingMap(const std::vector<RingMapStation>& stations, int width, int height,
                             const RingMapOptions& options, const MeasureText& measure);

}  // namespace corvanta

#include "analysis/RingGeometry.h"

#include <algorithm>
#include <cmath>

#include "analysis/DlcErrors.h"
#include "decode/CaptureModel.h"
#include "decode/TraceStatistics.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"

namespace corvanta {

namespace {

struct FunctionalName {
  std::string_view hex;
  std::string_view name;
};
constexpr std::array<FunctionalName, 4> kFunctionalNames = {{{"C00000000002", "Ring Param Svr"},
                                                             {"C00000000008", "Ring Err Mon"},
                                                             {"C00000000010", "Ring Config Svr"},
                                                             {"C000FFFFFFFF", "Ring Broadcast"}}};

constexpr size_t kVendorSuffix = 6;

}  // namespace

std::string RingMapLabel(const AddressKey& address, uint16_t vendorIndex, const VendorTable* vendors, bool byVendor) {
  std::string text = FormatMacAddress(address.View());
  for (const FunctionalName& f : kFunctionalNames)
    if (text == f.hex) text = f.name;
  if (byVendor && vendors != nullptr && vendorIndex != 0)
    text =
        std::string(vendors->ShortName(vendorIndex)) + text.substr(text.size() - std::min(text.size(), kVendorSuffix));
  return text;
}

std::vector<RingMapStation> BuildRingMapStations(const CaptureModel& model, const TraceStatistics& statistics,
                                                 const VendorTable* vendors, bool byVendor) {
  const RingMapTable& map = statistics.RingMap;
  const int count = std::clamp(map.RingStationCount, 0, RingMapTable::kMaxEntries);
  const DlcTextOptions textOptions{vendors, byVendor, ','};
  std::vector<RingMapStation> stations(static_cast<size_t>(count));
  for (int n = 1; n <= count; ++n) {
    const RingMapEntry& entry = map.Entry(n);
    RingMapStation& out = stations[static_cast<size_t>(n - 1)];
    out.Address = entry.Station;
    out.Flags = entry.Flags;
    out.Seen = entry.Seen;
    // The station's own records, whether or not the soft-error summary was built.
    const StationNode* station = model.Stations.Find(entry.Station);
    if (station != nullptr && (station->Roles & kRolesSent) != 0) {
      out.VendorIndex = station->VendorIndex;
      model.ForEachRingInfo(*station, [&](int32_t, const TMACInfo& info) {
        out.InternalErrors = out.InternalErrors || info.SoftErrors[kSoftInternal] != 0;
        out.AbortErrors = out.AbortErrors || info.SoftErrors[kSoftAbortDelimiter] != 0;
        out.CongestionErrors = out.CongestionErrors || info.SoftErrors[kSoftReceiveCongestion] != 0;
        const int neighbour = map.Find(info.Neighbour);
        if (neighbour == 0 || neighbour > count) return;
        if (info.SoftErrors[kSoftBurst] != 0) out.BurstNeighbours.push_back(neighbour);
        if (info.SoftErrors[kSoftLine] != 0) out.LineNeighbours.push_back(neighbour);
      });
    }
    out.Text = DlcStationText(entry.Station.View(), out.VendorIndex, textOptions);
    out.Label = RingMapLabel(entry.Station, out.VendorIndex, vendors, byVendor);
  }
  return stations;
}

std::string_view RingMapCaption(int stationCount) {
  if (stationCount <= 0) return "(There is no ring poll in the trace file)";
  if (stationCount == 1) return "(There is only one station in the ring poll)";
  return "(Downstream neighbors are clockwise)";
}

int RingQuarterPoints(int stationCount) {
  if (stationCount >= 5) return (std::min(stationCount, kRingMapPositions) + 5) / 4;
  if (stationCount >= 3) return 2;
  return 1;
}

std::vector<RingPoint> RingPositions(int quarterPoints, int radius, double step) {
  const int q = std::max(quarterPoints, 1);
  const double r = std::max(radius, 1);
  std::vector<int> c(static_cast<size_t>(q));
  std::vector<int> x(static_cast<size_t>(q));
  for (int j = 0; j < q; ++j) {
    c[static_cast<size_t>(j)] = NearestEven(j * step);
    const double cj = c[static_cast<size_t>(j)];
    x[static_cast<size_t>(j)] = NearestEven(std::sqrt(std::max(0.0, r * r - cj * cj)));
  }
  std::vector<RingPoint> positions;
  positions.reserve(static_cast<size_t>(4 * q - 1));
  auto at = [&](int j, int sx, int sy) {
    positions.push_back({sx * x[static_cast<size_t>(j)], sy * c[static_cast<size_t>(j)]});
  };
  for (int j = 0; j < q; ++j) at(j, -1, -1);      // upper left, upwards from the leftmost point
  for (int j = q - 1; j >= 0; --j) at(j, 1, -1);  // upper right, down to the rightmost point
  for (int j = 1; j < q; ++j) at(j, 1, 1);        // lower right; j = 0 is the rightmost point again
  for (int j = q - 1; j >= 0; --j) at(j, -1, 1);  // lower left, back to the leftmost point
  if (positions.size() > static_cast<size_t>(kRingMapPositions)) positions.resize(kRingMapPositions);
  return positions;
}

int RingPositionOf(int entry, int stationCount) {
  if (stationCount == 3 || stationCount == 4) {
    static constexpr std::array<int, 4> kSmallRing = {2, 3, 6, 7};
    return kSmallRing[static_cast<size_t>(std::clamp(entry, 1, 4) - 1)];
  }
  return std::clamp(entry, 1, kRingMapPositions);
}

namespace {

uint32_t LabelColor(const RingMapStation& s, const RingMapOptions& options) {
  const RingMapPalette& palette = options.Palette;
  if (options.ColorBy == RingColorBy::kStationErrors) {
    if (s.InternalErrors) return kRingInternalErrorColor;
    if (s.AbortErrors) return kRingAbortColor;
    if (s.CongestionErrors) return kRingCongestionColor;
    return palette.ButtonText;
  }
  if (s.Seen == 0) return palette.ButtonShadow;  // deinserted
  if ((s.Flags & kRingActiveMonitor) != 0) return kRingActiveMonitorColor;
  if ((s.Flags & kRingFormerActiveMonitor) != 0) return kRingFormerMonitorColor;
  return palette.ButtonText;  // standby monitor
}

}  // namespace

namespace {

double Luminance(uint32_t color) {
  auto channel = [](uint32_t v) {
    const double c = v / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(color & 0xFF) + 0.7152 * channel((color >> 8) & 0xFF) +
         0.0722 * channel((color >> 16) & 0xFF);
}

}  // namespace

std::string_view RingStationState(const RingMapStation& s) {
  if (s.Seen == 0) return "Deinserted";
  if (s.Flags & kRingActiveMonitor) return "Active Monitor";
  if (s.Flags & kRingFormerActiveMonitor) return "Ex-Active Monitor";
  return "Standby Monitor";
}

std::string RingStationTip(const RingMapStation& s) {
  std::string tip = FormatMacAddress(s.Address.View());
  if (!s.Label.empty() && s.Label != tip) tip += "  " + s.Label;
  tip += "\n";
  tip += RingStationState(s);
  if (s.InternalErrors) tip += "; reported internal errors";
  if (s.AbortErrors) tip += "; reported transmit aborts";
  if (s.CongestionErrors) tip += "; reported receiver congestion";
  return tip;
}

double ColorContrast(uint32_t a, uint32_t b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

uint32_t RingLabelPlate(uint32_t color) {
  return ColorContrast(color, kRingLabelLightPlate) >= ColorContrast(color, kRingLabelDarkPlate) ? kRingLabelLightPlate
                                                                                                 : kRingLabelDarkPlate;
}

RingMapDrawing LayoutRingMap(const std::vector<RingMapStation>& stations, int width, int height,
                             const RingMapOptions& options, const MeasureText& measure) {
  const int count = static_cast<int>(std::min<size_t>(stations.size(), RingMapTable::kMaxEntries));
  const int positionsUsed = std::clamp(count, 4, kRingMapPositions);
  auto textWidth = [&](std::string_view text, int size) { return measure ? measure(text, size).Width : 0; };

  RingMapDrawing d;
  d.Center = {std::max(width, 0) / 2, std::max(height, 0) / 2};
  d.RingColor = options.Palette.ButtonShadow;
  d.Caption = RingMapCaption(count);
  const int labelRoom = count == 0 ? 0 : textWidth(stations.front().Text, kRingMapFontSize) + 5;
  d.Radius = std::min(d.Center.X - labelRoom - 6, d.Center.Y - 10 - positionsUsed / 10);
  // A canvas too small for the labels still gets a ring rather than a negative radius.
  d.Radius = std::max(d.Radius, 1);

  double step = 4.0 * d.Radius / (positionsUsed + 3);
  for (int shrink = 0; shrink < 4 && measure && d.FontSize > kRingMapMinimumFontSize; ++shrink)
    if (NearestEven(step) < measure("0", d.FontSize).Height - 2) --d.FontSize;
  // Labels still taller than the step would overlap: every other one moves a label further
  // out, so each column of labels has twice the room.
  // A canvas too narrow for the second column keeps one (the ring would shrink by more than half).
  int widest = 0;
  for (int n = 0; n < count; ++n)
    widest = std::max(widest, textWidth(stations[static_cast<size_t>(n)].Label, d.FontSize));
  int stagger = widest + 8;
  d.Staggered = measure && count > 4 && NearestEven(step) < measure("0", d.FontSize).Height - 2 &&
                d.Center.X - labelRoom - 6 - stagger >= d.Radius / 2;
  if (!d.Staggered) stagger = 0;
  if (d.Staggered && d.Center.X - labelRoom - 6 - stagger < d.Radius) {
    d.Radius = std::max(1, d.Center.X - labelRoom - 6 - stagger);
    step = 4.0 * d.Radius / (positionsUsed + 3);
  }
  d.RadiusX = std::max(d.Radius, d.Center.X - labelRoom - 6 - stagger);
  if (count == 0) return d;

  const std::vector<RingPoint> positions = RingPositions(RingQuarterPoints(count), d.Radius, step);
  std::vector<RingPoint> points(static_cast<size_t>(count));
  d.Labels.reserve(static_cast<size_t>(count));
  for (int n = 1; n <= count; ++n) {
    const RingMapStation& station = stations[static_cast<size_t>(n - 1)];
    const int position = std::min(RingPositionOf(n, count), static_cast<int>(positions.size()));
    const RingPoint relative = positions[static_cast<size_t>(position - 1)];
    RingMapLabelDraw label;
    label.Entry = n;
    label.Point = {d.Center.X + NearestEven(static_cast<double>(relative.X) * d.RadiusX / d.Radius),
                   d.Center.Y + relative.Y};
    // Only a ring with more stations than positions overflows; its surplus shares the last one.
    label.Text =
        count > kRingMapPositions && n >= kRingMapPositions ? std::string(kRingMapOverflowLabel) : station.Label;
    const int out = d.Staggered && n % 2 == 0 ? stagger : 0;
    label.TextOrigin.X =
        relative.X <= 0 ? label.Point.X - textWidth(label.Text, d.FontSize) - 5 - out : label.Point.X + 7 + out;
    label.TextOrigin.Y = label.Point.Y - 5 + NearestEven(static_cast<double>(relative.Y) / d.Radius * 9);
    label.Color = LabelColor(station, options);
    label.Plate = RingLabelPlate(label.Color);
    points[static_cast<size_t>(n - 1)] = label.Point;
    d.Labels.push_back(std::move(label));
  }

  for (int n = 1; n <= count; ++n) {
    const RingMapStation& station = stations[static_cast<size_t>(n - 1)];
    const std::vector<int>& neighbours =
        options.Domain == FaultDomain::kBurstErrors ? station.BurstNeighbours : station.LineNeighbours;
    for (int neighbour : neighbours)
      if (neighbour >= 1 && neighbour <= count)
        d.Lines.push_back(
            {points[static_cast<size_t>(n - 1)], points[static_cast<size_t>(neighbour - 1)], kRingFaultLineColor});
  }
  return d;
}

}  // namespace corvanta

#include "analysis/DlcErrors.h"

#include "decode/CaptureModel.h"
#include "decode/TraceStatistics.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"

namespace corvanta {

std::string DlcStationText(std::span<const uint8_t> mac, uint16_t vendorIndex, const DlcTextOptions& options) {
  if (options.ByVendor && options.Vendors != nullptr && vendorIndex != 0)
    return options.Vendors->FormatMac(mac, vendorIndex);
  return FormatMacAddress(mac);
}

namespace {

void AddLine(std::string& text, std::string_view line) {
  text += line;
  text += "\r\n";
}

}  // namespace

// ---- Ethernet

std::vector<CollisionSuspect> RankCollisionSuspects(const CaptureModel& model) {
  struct Ranked {
    CollisionSuspect station;
    float ratio = 0;  // 0: an empty entry
  };
  std::array<Ranked, kCollisionTableRows> table{};
  model.Stations.ForEach([&](const StationNode& s) {
    if ((s.Roles & kRolesSent) == 0 || s.FramesAfterCollision == 0 || s.FramesSent <= 9) return;
    // Ratios are compared in single precision; an equal ratio does not pass an entry, so
    // the station met first in address order stays ahead.
    const auto ratio = static_cast<float>(static_cast<double>(s.FramesAfterCollision) / s.FramesSent);
    for (size_t i = 0; i < table.size(); ++i) {
      if (!(table[i].ratio < ratio)) continue;
      for (size_t k = table.size() - 1; k > i; --k) table[k] = table[k - 1];
      table[i] = {{s.Address, s.VendorIndex, s.FramesSent, s.FramesAfterCollision}, ratio};
      break;
    }
  });
  std::vector<CollisionSuspect> suspects;
  for (const Ranked& r : table)
    if (r.ratio > 0) suspects.push_back(r.station);
  return suspects;
}

EthernetDlcSummary BuildEthernetDlcSummary(const CaptureModel& model, const TraceStatistics& s,
                                           const DlcTextOptions& options) {
  const char sep = options.ThousandsSep;
  EthernetDlcSummary out;
  out.BadFcs = FormatCount(s.TraceStats[kStatCrcErrors].Value, sep);
  out.RuntShort = FormatCount(s.TraceStats[kStatRunts].Value, sep);
  out.LongJabber = FormatCount(s.TraceStats[kStatTooLong].Value, sep);
  out.Fragment = FormatCount(s.TraceStats[kStatCollisions].Value, sep);
  out.Notes.emplace_back("Notes");

  const std::vector<CollisionSuspect> suspects = RankCollisionSuspects(model);
  for (size_t i = 0; i < suspects.size() && i < out.Collisions.size(); ++i) {
    const CollisionSuspect& suspect = suspects[i];
    CollisionRow& row = out.Collisions[i];
    row.Station = suspect;
    row.Source = DlcStationText(suspect.Address.View(), suspect.VendorIndex, options);
    row.Transmits = FormatCount(suspect.FramesSent, sep);
    row.Retransmits = FormatCount(suspect.FramesAfterCollision, sep);
    row.Percent = NearestEven(static_cast<double>(suspect.FramesAfterCollision) / suspect.FramesSent * 100.0);
    if (suspect.FramesSent > 49 && row.Percent > 9)
      out.Notes.push_back("DLC source " + row.Source + " is suspect for high collision rates when transmitting.");
  }

  if (s.TraceStats[kStatCollisions].Value == 0) {
    const bool frameErrors = s.TraceStats[kStatCrcErrors].Value != 0 || s.TraceStats[kStatRunts].Value != 0 ||
                             s.TraceStats[kStatTooLong].Value != 0;
    out.Notes.emplace_back(frameErrors ? "No collision fragments to analyze in trace file."
                                       : "No frame errors or collision fragments to analyze in trace file.");
  }
  return out;
}

std::string EthernetDlcSummary::CopyText() const {
  std::string text;
  AddLine(text, kFrameErrorSummaryCaption);
  const std::array<const std::string*, 4> counts = {&BadFcs, &RuntShort, &LongJabber, &Fragment};
  for (size_t i = 0; i < counts.size(); ++i)
    AddLine(text, std::string(kFrameErrorLabels[i].Caption) + " \t" + *counts[i]);
  AddLine(text, "");
  AddLine(text, kCollisionAnalysisCaption);
  AddLine(text, "DLC Source\tTransmits\tRetransmits\t% Retransmitted");
  for (const CollisionRow& row : Collisions)
    AddLine(text,
            row.Source + "\t" + row.Transmits + "\t" + row.Retransmits + "\t" + std::to_string(row.Percent) + "%");
  AddLine(text, "");
  for (const std::string& note : Notes) AddLine(text, note);
  return text;
}

// ---- Token Ring

const SoftErrorList& SoftErrorSummary::List(SoftErrorKind kind) const {
  for (const SoftErrorList& list : Lists)
    if (list.Kind == kind) return list;
  return Lists[0];
}

SoftErrorSummary BuildSoftErrorSummary(const CaptureModel& model, const TraceStatistics& s,
                                       const DlcTextOptions& options) {
  const char sep = options.ThousandsSep;
  SoftErrorSummary out;
  bool anyReported = false;
  for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
    out.Lists[i].Kind = kSoftErrorRows[i].Kind;
    const int32_t total = s.SoftErrorTotals[kSoftErrorRows[i].Kind].Value;
    out.Lists[i].Total = FormatCount(total, sep);
    anyReported = anyReported || total != 0;
  }
  if (s.MacFrames == 0) {
    out.Notes.emplace_back("No Media Access Control (MAC) frames in trace to analyze.");
    return out;
  }
  if (!anyReported) {
    out.Notes.emplace_back("No Media Access Control (MAC) error report frames in trace to analyze.");
    return out;
  }

  std::array<int32_t, kSoftErrorKindCount> entries{};
  model.Stations.ForEach([&](const StationNode& station) {
    if ((station.Roles & kRolesSent) == 0 || station.SoftErrorFlags == 0) return;
    std::string text = DlcStationText(station.Address.View(), station.VendorIndex, options);
    int records = 0;
    model.ForEachRingInfo(station, [&](int32_t, const TMACInfo&) { return ++records < 2; });
    if (records > 1) {
      text.insert(0, "*");
      Bump(out.MarkedStations);
    }
    model.ForEachRingInfo(station, [&](int32_t, const TMACInfo& info) {
      const std::string prefix = text + "/" + DlcStationText(info.Neighbour.View(), info.VendorIndex, options) + "/";
      for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
        const SoftErrorKind kind = kSoftErrorRows[i].Kind;
        const int32_t count = info.SoftErrors[kind];
        if (!InSet(station.SoftErrorFlags, kind) || count == 0) continue;
        out.Lists[i].Entries.push_back(prefix + FormatCount(count, sep));
        Bump(entries[i]);
      }
    });
  });
  for (size_t i = 0; i < out.Lists.size(); ++i) out.Lists[i].Stations = std::to_string(entries[i]);

  if (out.MarkedStations == 1)
    out.Notes.emplace_back("1 station (marked by an *) has had multiple upstream neighbors.");
  else if (out.MarkedStations > 1)
    out.Notes.push_back(FormatCount(out.MarkedStations, sep) + " stations (marked by an *) " +
                        "have had multiple upstream neighbors.");
  return out;
}

std::string SoftErrorSummary::CopyText() const {
  // The copy lists the station-specific group before the ring-wide one.
  static constexpr std::array<size_t, 3> kGroupOrder = {0, 2, 1};
  std::string text;
  AddLine(text, "\tTotal\tStations\tReporting Station/NAUN/Count");
  for (size_t group : kGroupOrder) {
    AddLine(text, "");
    AddLine(text, kSoftErrorGroups[group].CopyCaption);
    for (size_t i = 0; i < kSoftErrorRows.size(); ++i) {
      if (kSoftErrorRows[i].Group != group) continue;
      const SoftErrorList& list = Lists[i];
      const std::string first = list.Entries.empty() ? std::string() : list.Entries.front();
      AddLine(text, std::string(kSoftErrorRows[i].CopyLabel) + "\t" + list.Total + "\t" + list.Stations + "\t" + first);
      for (size_t e = 1; e < list.Entries.size(); ++e) AddLine(text, "\t\t\t" + list.Entries[e]);
    }
  }
  AddLine(text, "");
  for (const std::string& note : Notes) AddLine(text, note);
  return text;
}

}  // namespace corvanta

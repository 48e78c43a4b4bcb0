#pragma once
// The DLC error expert's figures and texts: the Ethernet frame error summary with the
// collision fragment table, and the Token Ring soft-error summary, each with its copy text.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/ModelTypes.h"

namespace corvanta {

class CaptureModel;
class VendorTable;
struct TraceStatistics;

// How station texts and counts are written.
struct DlcTextOptions {
  const VendorTable* Vendors = nullptr;  // null: addresses only
  bool ByVendor = true;                  // "Show Station by OUI"
  char ThousandsSep = ',';
};

inline constexpr std::string_view kShowStationByOui = "Show Station by OUI";
inline constexpr std::string_view kDlcCopyHint = "Copy summary to  clipboard";

// The 12 upper-case hex digits of the address, or with byVendor and a known vendor its name
// followed by the last six digits.
std::string DlcStationText(std::span<const uint8_t> mac, uint16_t vendorIndex, const DlcTextOptions& options);

// ---- Ethernet

struct DlcCaption {
  std::string_view Caption;
  std::string_view Hint;
};
inline constexpr std::string_view kFrameErrorSummaryCaption = "Frame Error Summary";
inline constexpr std::string_view kCollisionAnalysisCaption = "Collision Fragment Analysis";
// Bad FCS, runt/short, long/jabber and fragment: the labels and the hints their boxes take.
inline constexpr std::array<DlcCaption, 4> kFrameErrorLabels = {{
    {"Bad FCS", "Frames that have an incorrect Frame Checksum (FCS)"},
    {"Runt/Short", "Frames shorter than 64 bytes"},
    {"Long/Jabber", "Frames longer than 1518 bytes"},
    {"Fragment", "Runt/short frames with a FCS error"},
}};
inline constexpr std::array<DlcCaption, 4> kCollisionColumns = {{
    {"DLC Source", "Node's hardware address"},
    {"Transmits", "Total frames transmitted from source node"},
    {"Retransmits", "Suspected number of retransmitted frames"},
    {"% Retransmitted", "Percentage of frames to retransmitted frames"},
}};

inline constexpr size_t kCollisionTableRows = 5;

// A station of the collision table.
struct CollisionSuspect {
  AddressKey Address;
  uint16_t VendorIndex = 0;
  int32_t FramesSent = 0;
  int32_t FramesAfterCollision = 0;
};

// The stations most suspected of retransmitting after collisions, highest ratio of frames
// sent shortly after a collision to frames sent first, at most five. Only stations that
// sent more than 9 frames enter; among equal ratios the lower address stays ahead.
std::vector<CollisionSuspect> RankCollisionSuspects(const CaptureModel& model);

// One row of the table; rows without a station keep an empty source and zero counts.
struct CollisionRow {
  CollisionSuspect Station;  // what the texts show
  std::string Source;
  std::string Transmits = "0";
  std::string Retransmits = "0";
  int Percent = 0;  // the gauge
};

struct EthernetDlcSummary {
  std::string BadFcs = "0";
  std::string RuntShort = "0";
  std::string LongJabber = "0";
  std::string Fragment = "0";
  std::array<CollisionRow, kCollisionTableRows> Collisions;
  std::vector<std::string> Notes;  // the memo's lines: "Notes", then one line per note

  // The summary as clipboard text, every line ending in CR LF.
  std::string CopyText() const;
};

EthernetDlcSummary BuildEthernetDlcSummary(const CaptureModel& model, const TraceStatistics& statistics,
                                           const DlcTextOptions& options);

// ---- Token Ring

struct SoftErrorGroupInfo {
  std::string_view Caption;
  std::string_view Hint;
  std::string_view CopyCaption;
};
inline constexpr std::array<SoftErrorGroupInfo, 3> kSoftErrorGroups = {{
    {"Fault Domain", "Errors between reporting station and its upstream neighbor", "Fault Domain Errors"},
    {"Ring Wide", "Errors anywhere on ring", "Ring Wide Errors"},
    {"Station Specific", "Errors specific to reporting station", "Station Specific Errors"},
}};

struct SoftErrorRowInfo {
  SoftErrorKind Kind;
  size_t Group;  // index in kSoftErrorGroups
  std::string_view Label;
  std::string_view Hint;
  std::string_view CopyLabel;
};
// The ten rows in the page's order.
inline constexpr std::array<SoftErrorRowInfo, kSoftErrorKindCount> kSoftErrorRows = {{
    {kSoftBurst, 0, "Burst Error", "Brief signal loss (2.5 bit times)", "Burst Error"},
    {kSoftLine, 0, "Line Error", "CRC in packet or error in token", "Line Error"},
    {kSoftToken, 1, "Token Error", "Token was lost or corrupted", "Token Error"},
    {kSoftLostFrame, 1, "Lost Frame", "Frame was lost", "Lost Frame Error"},
    {kSoftFrameCopied, 1, "Frame Copied", "Possible duplicate address", "Frame Copied"},
    {kSoftFrequency, 1, "Frequency", "Signal deviation", "Frequency"},
    {kSoftAc, 1, "AC", "Duplicate SMP received", "AC"},
    {kSoftReceiveCongestion, 2, "Rcvr Congestion", "Address recognized but packet not copied", "Receiver Congestion"},
    {kSoftInternal, 2, "Internal Error", "Adapter problem", "Internal Error"},
    {kSoftAbortDelimiter, 2, "Transmit Abort", "Station prematurely ended transmission", "Transmit Abort"},
}};
inline constexpr std::array<DlcCaption, 3> kSoftErrorColumns = {{
    {"Total", "Total errors reported"},
    {"Stations", "Total stations reporting error"},
    {"Reporting Station/NAUN/Count", "Station reporting the error, its upstream neighbor, & error count"},
}};

struct SoftErrorList {
  SoftErrorKind Kind = kSoftBurst;
  std::string Total = "0";           // the trace's total of the kind
  std::string Stations = "0";        // the number of entries
  std::vector<std::string> Entries;  // "station/upstream neighbour/count"
};

struct SoftErrorSummary {
  std::array<SoftErrorList, kSoftErrorKindCount> Lists;  // in the order of kSoftErrorRows
  std::vector<std::string> Notes;                        // the memo's lines
  int32_t MarkedStations = 0;                            // stations with several upstream neighbours

  const SoftErrorList& List(SoftErrorKind kind) const;
  // The summary as clipboard text, every line ending in CR LF.
  std::string CopyText() const;
};

SoftErrorSummary BuildSoftErrorSummary(const CaptureModel& model, const TraceStatistics& statistics,
                                       const DlcTextOptions& options);

}  // namespace corvanta

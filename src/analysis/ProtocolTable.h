#pragma once
// The protocol table: one row per protocol category with frames, with counts, percentages,
// average size and encapsulations, as the main window's protocol page shows and copies it.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta {

struct TraceStatistics;

enum ProtocolTableColumn : int {
  kPtColProtocol = 0,
  kPtColPackets,
  kPtColPacketPercent,
  kPtColAverageSize,
  kPtColBroadcasts,
  kPtColBroadcastPercent,
  kPtColEncapsulations,
};
inline constexpr int kPtColumns = 7;

inline constexpr std::array<std::string_view, kPtColumns> kProtocolTableHeaders = {
    "Protocol",        "Packet Count",      "Packet Percent",  "Ave Pkt Size (Bytes)",
    "Broadcast Count", "Broadcast Percent", "Encapsulation(s)"};

// What each column means, for the header's tooltip.
inline constexpr std::array<std::string_view, kPtColumns> kProtocolTableHints = {
    "Protocol class of the frames (MAC frames count under Other)",
    "Frames of the protocol",
    "Share of all frames in the trace, rounded to three significant digits",
    "Bytes of the protocol divided by its frames, rounded down",
    "Frames of the protocol sent to a broadcast or multicast address",
    "Share of all broadcast and multicast frames of the trace (not of this protocol's frames), rounded to three "
    "significant digits",
    "Encapsulations the protocol's frames came in"};

enum class CellAlignment : uint8_t { kLeft, kRight, kCentre };
inline constexpr std::array<CellAlignment, kPtColumns> kProtocolTableAlignments = {
    CellAlignment::kLeft,  CellAlignment::kRight, CellAlignment::kRight, CellAlignment::kRight,
    CellAlignment::kRight, CellAlignment::kRight, CellAlignment::kCentre};

inline constexpr std::string_view kSortAscendingHint = "Sort Ascending";
inline constexpr std::string_view kSortDescendingHint = "Sort Descending";
inline constexpr std::string_view kCopyTableHint = "Copy selected portion of table to clipboard";

// A percentage rounded to three significant digits, written with thousands separators and
// exactly two decimals, then "%": 45.678 gives "45.70%", 3.14159 "3.14%", 100 "100.00%".
// Anything that is not a finite number gives "0.00%".
std::string PercentText(double percent, char thousandsSep, char decimalSep = '.');

// The names of the encapsulations whose bit is set (0x01 Etype .. 0x10 MAC), joined by ", ".
std::string EncapsulationText(uint8_t bits);

using ProtocolTableRow = std::array<std::string, kPtColumns>;

struct ProtocolTableOptions {
  char ThousandsSep = ',';
  char DecimalSep = '.';
};

class ProtocolTable {
 public:
  // Rows in category order, one per category with frames; MAC and Other share one row
  // named "Other" at the place of the first of them with frames. Forgets the last sort.
  void Build(const TraceStatistics& statistics, const ProtocolTableOptions& options = {});

  const std::vector<ProtocolTableRow>& Rows() const { return rows_; }
  // Grid rows: the header and the data rows.
  int GridRowCount() const { return static_cast<int>(rows_.size()) + 1; }

  // Sorts by a column: the protocol and encapsulation columns always ascending as text, the
  // others as numbers in the given direction. Asking again for the column and direction of
  // the last sort does nothing and returns false.
  bool Sort(int column, bool ascending);

  // Clipboard text of a cell range in grid coordinates (row 0 is the header).
  std::string CopyText(int left, int top, int right, int bottom) const;

 private:
  std::vector<ProtocolTableRow> rows_;
  ProtocolTableOptions options_;
  int sortedColumn_ = -1;
  bool sortedAscending_ = true;
};

}  // namespace corvanta

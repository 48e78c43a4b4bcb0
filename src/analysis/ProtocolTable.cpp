#include "analysis/ProtocolTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "analysis/GridRows.h"
#include "decode/TraceStatistics.h"
#include "naming/ProtocolNames.h"
#include "naming/TextFormat.h"

namespace corvanta {

std::string PercentText(double percent, char thousandsSep, char decimalSep) {
  double rounded = 0;
  if (std::isfinite(percent) && percent != 0) {
    // Three significant digits, rounded on the decimal digits rather than by scaling, which
    // would misjudge values such as 0.0045.
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.2e", percent);
    rounded = std::strtod(digits, nullptr);
  }
  return FormatN(rounded, 1, 2, thousandsSep, decimalSep) + "%";
}

std::string EncapsulationText(uint8_t bits) {
  std::string text;
  for (int e = 0; e < kEncapsulationCount; ++e) {
    if (!InSet(bits, static_cast<unsigned>(e))) continue;
    if (!text.empty()) text += ", ";
    text += EncapsulationName(e);
  }
  return text;
}

namespace {

double Share(int64_t part, int64_t whole) {
  return whole >= 1 ? static_cast<double>(part) / static_cast<double>(whole) * 100.0 : 0.0;
}

}  // namespace

void ProtocolTable::Build(const TraceStatistics& s, const ProtocolTableOptions& options) {
  rows_.clear();
  options_ = options;
  sortedColumn_ = -1;
  const char sep = options.ThousandsSep;
  const char dec = options.DecimalSep;
  const int64_t totalFrames = s.TraceStats[kStatFrames].Value;
  const int64_t groupFrames = int64_t{s.TraceStats[kStatBroadcast].Value} + s.TraceStats[kStatMulticast].Value;
  const ProtocolStatsRecord& mac = s.ProtocolStats[kCatMac];
  const ProtocolStatsRecord& other = s.ProtocolStats[kCatOther];

  for (int c = 0; c < kProtocolCategoryCount; ++c) {
    const ProtocolStatsRecord& r = s.ProtocolStats[static_cast<size_t>(c)];
    if (r.Frames <= 0) continue;
    int64_t frames = r.Frames;
    int64_t bytes = r.Bytes;
    int64_t group = r.GroupFrames;
    uint8_t encapsulations = r.EncapsulationBits;
    if (c == kCatMac || c == kCatOther) {
      if (c == kCatOther && mac.Frames > 0) continue;  // already shown with MAC
      // One row for both; its encapsulations are those of both, MAC frames adding "MAC".
      frames = int64_t{std::max(mac.Frames, 0)} + std::max(other.Frames, 0);
      bytes = int64_t{mac.Bytes} + other.Bytes;
      group = int64_t{mac.GroupFrames} + other.GroupFrames;
      encapsulations = static_cast<uint8_t>(mac.EncapsulationBits | (other.Frames > 0 ? other.EncapsulationBits : 0));
      if (mac.Frames > 0) AddToSet(encapsulations, kEncapMac);
    }
    ProtocolTableRow row;
    row[kPtColProtocol] = ProtocolCategoryName(c == kCatMac ? kCatOther : c);
    row[kPtColPackets] = FormatCount(frames, sep);
    row[kPtColPacketPercent] = PercentText(Share(frames, totalFrames), sep, dec);
    row[kPtColAverageSize] = FormatCount(frames > 0 ? bytes / frames : 0, sep);
    row[kPtColBroadcasts] = FormatCount(group, sep);
    row[kPtColBroadcastPercent] = PercentText(Share(group, groupFrames), sep, dec);
    row[kPtColEncapsulations] = EncapsulationText(encapsulations);
    rows_.push_back(std::move(row));
  }
}

bool ProtocolTable::Sort(int column, bool ascending) {
  if (column < 0 || column >= kPtColumns) return false;
  const bool asText = column == kPtColProtocol || column == kPtColEncapsulations;
  if (asText) ascending = true;
  if (column == sortedColumn_ && ascending == sortedAscending_) return false;
  sortedColumn_ = column;
  sortedAscending_ = ascending;
  std::vector<std::string_view> cells;
  cells.reserve(rows_.size());
  for (const ProtocolTableRow& row : rows_) cells.push_back(row[static_cast<size_t>(column)]);
  const std::vector<size_t> order = GridSortOrder(cells, asText, ascending, options_.ThousandsSep, options_.DecimalSep);
  ApplyGridOrder(rows_, order);
  return true;
}

std::string ProtocolTable::CopyText(int left, int top, int right, int bottom) const {
  return GridCopyText(left, top, right, bottom, kPtColumns, static_cast<int>(rows_.size()),
                      [this](int row, int column) -> std::string_view {
                        const auto c = static_cast<size_t>(column);
                        return row == 0 ? kProtocolTableHeaders[c]
                                        : std::string_view(rows_[static_cast<size_t>(row - 1)][c]);
                      });
}

}  // namespace corvanta

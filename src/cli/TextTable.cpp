#include "cli/TextTable.h"

#include <algorithm>

#include "cli/Json.h"

namespace corvanta::cli {

size_t DisplayWidth(std::string_view text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<uint8_t>(c) & 0xC0) != 0x80; }));
}

std::string CellText(std::string_view text) {
  std::string out = TextAsUtf8(text);
  for (char& c : out)
    if (static_cast<uint8_t>(c) < 0x20 || c == 0x7F) c = ' ';
  return out;
}

void TextTable::AddRow(std::vector<std::string> cells) {
  for (std::string& cell : cells) cell = CellText(cell);
  rows_.push_back(std::move(cells));
}

std::string TextTable::Render() const {
  std::vector<size_t> widths;
  for (const auto& row : rows_) {
    if (widths.size() < row.size()) widths.resize(row.size(), 0);
    for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(row[c]));
  }
  std::string out;
  for (const auto& row : rows_) {
    std::string line(indent_, ' ');
    for (size_t c = 0; c < row.size(); ++c) {
      const Align align = c < alignments_.size() ? alignments_[c] : Align::kLeft;
      const size_t pad = widths[c] - DisplayWidth(row[c]);
      const size_t left = align == Align::kRight ? pad : align == Align::kCentre ? pad / 2 : 0;
      if (c > 0) line += "  ";
      line.append(left, ' ');
      line += row[c];
      line.append(pad - left, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
  }
  return out;
}

}  // namespace corvanta::cli

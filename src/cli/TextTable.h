#pragma once
// Plain-text tables with aligned columns for the report.
#include <string>
#include <string_view>
#include <vector>

namespace corvanta::cli {

enum class Align : char { kLeft, kRight, kCentre };

// Characters shown for a UTF-8 text (code points; every one taken as one column).
size_t DisplayWidth(std::string_view text);

// A text fit for one report line: not UTF-8 taken as Latin-1, control characters as blanks.
std::string CellText(std::string_view text);

class TextTable {
 public:
  explicit TextTable(std::vector<Align> alignments, size_t indent = 2)
      : alignments_(std::move(alignments)), indent_(indent) {}
  void AddRow(std::vector<std::string> cells);
  // The rows with each column as wide as its widest cell, two blanks between columns and
  // no trailing blanks; every line ends with a newline.
  std::string Render() const;

 private:
  std::vector<Align> alignments_;
  size_t indent_;
  std::vector<std::vector<std::string>> rows_;
};

}  // namespace corvanta::cli

#pragma once
// What the main window's string grids do with their rows: the sort by one column and the
// clipboard text of a cell range. Shared by every table a grid shows.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvanta {

// A number cell without its thousands separators and its first percent sign; 0 when what
// is left is not a number ("-", empty).
double GridCellNumber(std::string_view cell, char thousandsSep, char decimalSep);

// The order of the rows after sorting by their cells in one column (cells[i] is row i's):
// as text byte-wise, or as numbers read by GridCellNumber. Hoare's quicksort with the middle
// row as pivot, as the grids have always sorted: equal keys do not keep their order.
std::vector<size_t> GridSortOrder(const std::vector<std::string_view>& cells, bool asText, bool ascending,
                                  char thousandsSep, char decimalSep);

// Puts the rows into the order GridSortOrder gave.
template <class Row>
void ApplyGridOrder(std::vector<Row>& rows, const std::vector<size_t>& order) {
  std::vector<Row> sorted;
  sorted.reserve(rows.size());
  for (size_t i : order) sorted.push_back(std::move(rows[i]));
  rows = std::move(sorted);
}

// The clipboard text of a cell range in grid coordinates (row 0 is the header, rows 1 to
// rowCount the data): the header cells of the range's columns, then its data rows; cells
// separated by a tab, every line, the last included, ending in CR LF. The range is cut to
// the grid; an empty range gives an empty text. cell(row, column) is only asked for cells
// inside the grid.
// A header shown on two lines: the blank between its words that balances the two lines best
// becomes a line break; a header of one word stays as it is.
std::string TwoLineHeader(std::string_view header);

std::string GridCopyText(int left, int top, int right, int bottom, int columnCount, int rowCount,
                         const std::function<std::string_view(int row, int column)>& cell);

// Column widths for a grid `available` pixels wide: the columns start at `widths`; room left
// over goes to the columns narrower than their `natural` width (cut to keep others in view),
// in equal shares, none beyond its natural width. Nothing changes when there is no room.
std::vector<int> WidenCutColumns(std::vector<int> widths, const std::vector<int>& natural, int available);

}  // namespace corvanta

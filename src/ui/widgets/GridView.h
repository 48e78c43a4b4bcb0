#pragma once
// What the main window's string grids share: one rectangular selection, copied as the
// grid clipboard text.
#include <QTableView>
#include <optional>
#include <string>

namespace corvanta::ui {

// A cell range in grid coordinates: row 0 is the header row, data rows start at 1.
struct GridRange {
  int left = 0;
  int top = 1;
  int right = 0;
  int bottom = 1;
};

// The grid's selected cells as one range (the grids allow one rectangle); none without a
// selection.
std::optional<GridRange> SelectedGridRange(const QTableView& view);

// A table view that selects one rectangle of cells, as the string grids do.
void MakeStringGrid(QTableView& view);

// Text for the clipboard, in the grid format already (tabs and CR LF).
void SetClipboardText(const std::string& text);

}  // namespace corvanta::ui

#pragma once
// What the main window's string grids share: one rectangular selection, copied as the
// grid clipboard text.
#include <QFontMetrics>
#include <QString>
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

// Header clicks sort: the header's sections become clickable and show the platform's sort
// arrow; clicked gets the column.
void MakeHeaderSortable(QTableView& view);
// The arrow on the column a sort used; a column of -1 takes it away.
void ShowSortArrow(QTableView& view, int column, bool ascending);
// The next direction for a header click: the other one on the column sorted last, else
// ascending.
bool HeaderClickAscending(const QTableView& view, int column);

// Room for headers of two lines (their text holds the line break).
void MakeTwoLineHeader(QTableView& view);
// The width of a header's widest line.
int HeaderTextWidth(const QFontMetrics& metrics, const QString& header);

// Text for the clipboard, in the grid format already (tabs and CR LF).
void SetClipboardText(const std::string& text);

}  // namespace corvanta::ui

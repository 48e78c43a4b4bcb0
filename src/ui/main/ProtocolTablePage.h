#pragma once
#include <QWidget>

#include "analysis/ProtocolTable.h"
#include "ui/main/MainForm.h"

class QTableWidget;
class QToolButton;

namespace corvanta {
struct TraceStatistics;
}

namespace corvanta::ui {

// The "Protocol Table" page: one row per protocol category, sorted by the two buttons or a
// double click, copied in the grid clipboard format.
class TProtocolTablePage : public QWidget, public PageEditing {
  Q_OBJECT
 public:
  explicit TProtocolTablePage(QWidget* parent = nullptr);

  // Rebuilds the table from the statistics; null leaves only the header.
  void Fill(const TraceStatistics* statistics);
  const ProtocolTable& Table() const { return table_; }
  QTableWidget* ProtoGrid() const { return grid_; }

  // Sorts by the grid's selected column.
  void SortClick(bool ascending);
  // A click on a column's header: sorts by it, the other way round when it was sorted last.
  void HeaderClick(int column);
  void CopyToClipboard() override;
  void SelectAllCells() override;

 private:
  void ShowRows();
  void SortBy(int column, bool ascending);

  ProtocolTable table_;
  QTableWidget* grid_ = nullptr;
};

}  // namespace corvanta::ui

#include "ui/widgets/GridView.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <algorithm>

namespace corvanta::ui {

std::optional<GridRange> SelectedGridRange(const QTableView& view) {
  const QItemSelectionModel* selection = view.selectionModel();
  if (!selection || !selection->hasSelection()) return std::nullopt;
  const QItemSelection ranges = selection->selection();
  GridRange r{INT32_MAX, INT32_MAX, -1, -1};
  for (const QItemSelectionRange& range : ranges) {
    r.left = std::min(r.left, range.left());
    r.right = std::max(r.right, range.right());
    r.top = std::min(r.top, range.top() + 1);
    r.bottom = std::max(r.bottom, range.bottom() + 1);
  }
  if (r.right < r.left || r.bottom < r.top) return std::nullopt;
  return r;
}

void MakeStringGrid(QTableView& view) {
  view.setSelectionMode(QAbstractItemView::ContiguousSelection);
  view.setSelectionBehavior(QAbstractItemView::SelectItems);
  view.setEditTriggers(QAbstractItemView::NoEditTriggers);
  view.setWordWrap(false);
  view.verticalHeader()->hide();
  view.verticalHeader()->setDefaultSectionSize(view.fontMetrics().height() + 6);
  view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view.horizontalHeader()->setHighlightSections(false);
  view.horizontalHeader()->setSectionsClickable(false);
  view.setCornerButtonEnabled(false);
}

void MakeHeaderSortable(QTableView& view) {
  QHeaderView* header = view.horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setSortIndicatorClearable(true);
}

// The header flips its own arrow on a click before the click is reported, so the last sort
// is remembered beside it.
constexpr const char* kSortColumnProperty = "corvantaSortColumn";
constexpr const char* kSortAscendingProperty = "corvantaSortAscending";

void ShowSortArrow(QTableView& view, int column, bool ascending) {
  QHeaderView* header = view.horizontalHeader();
  header->setSortIndicatorShown(column >= 0);
  header->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
  view.setProperty(kSortColumnProperty, column);
  view.setProperty(kSortAscendingProperty, ascending);
}

bool HeaderClickAscending(const QTableView& view, int column) {
  const QVariant last = view.property(kSortColumnProperty);
  if (last.isValid() && last.toInt() == column) return !view.property(kSortAscendingProperty).toBool();
  return true;
}

void MakeTwoLineHeader(QTableView& view) {
  QHeaderView* header = view.horizontalHeader();
  header->setMinimumHeight(2 * header->fontMetrics().height() + 8);
  // Never elided: a header's lines are read whole.
  header->setTextElideMode(Qt::ElideNone);
}

int HeaderTextWidth(const QFontMetrics& metrics, const QString& header) {
  int widest = 0;
  for (const QString& line : header.split('\n')) widest = std::max(widest, metrics.horizontalAdvance(line));
  return widest;
}

void SetClipboardText(const std::string& text) { QApplication::clipboard()->setText(QString::fromStdString(text)); }

}  // namespace corvanta::ui

#include "ui/main/ProtocolTablePage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/widgets/GridView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

Qt::Alignment AlignmentOf(CellAlignment a) {
  switch (a) {
    case CellAlignment::kLeft: return Qt::AlignLeft | Qt::AlignVCenter;
    case CellAlignment::kRight: return Qt::AlignRight | Qt::AlignVCenter;
    case CellAlignment::kCentre: return Qt::AlignCenter;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

QToolButton* MakeButton(QWidget* parent, const char* name, Picture picture, std::string_view hint) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(MakeIcon(picture));
  button->setIconSize(QSize(20, 20));
  button->setToolTip(ToQ(std::string(hint)));
  button->setStatusTip(button->toolTip());
  return button;
}

}  // namespace

TProtocolTablePage::TProtocolTablePage(QWidget* parent) : QWidget(parent) {
  setObjectName("ProtocolTableTabSheet");
  auto* top = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  QToolButton* ascending =
      MakeButton(this, "ProtocolTableSortAscendingBtn", Picture::SortAscending, kSortAscendingHint);
  QToolButton* descending =
      MakeButton(this, "ProtocolTableSortDescendingBtn", Picture::SortDescending, kSortDescendingHint);
  QToolButton* copy = MakeButton(this, "ProtocolTableCopytoClipboardBtn", Picture::Copy, kCopyTableHint);
  bar->addWidget(ascending);
  bar->addWidget(descending);
  bar->addWidget(copy);
  bar->addStretch();
  top->addLayout(bar);

  grid_ = new QTableWidget(0, kPtColumns, this);
  grid_->setObjectName("ProtoGrid");
  MakeStringGrid(*grid_);
  QStringList headers;
  for (std::string_view h : kProtocolTableHeaders) headers << ToQ(std::string(h));
  grid_->setHorizontalHeaderLabels(headers);
  for (int c = 0; c < kPtColumns; ++c) {
    QTableWidgetItem* header = grid_->horizontalHeaderItem(c);
    header->setTextAlignment(AlignmentOf(kProtocolTableAlignments[static_cast<size_t>(c)]));
    header->setToolTip(ToQ(std::string(kProtocolTableHints[static_cast<size_t>(c)])));
  }
  MakeHeaderSortable(*grid_);
  grid_->horizontalHeader()->setStretchLastSection(true);
  grid_->resizeColumnsToContents();
  top->addWidget(grid_, 1);

  connect(ascending, &QToolButton::clicked, this, [this] { SortClick(true); });
  connect(descending, &QToolButton::clicked, this, [this] { SortClick(false); });
  connect(copy, &QToolButton::clicked, this, &TProtocolTablePage::CopyToClipboard);
  connect(grid_, &QTableWidget::cellDoubleClicked, this, [this](int, int) { SortClick(true); });
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TProtocolTablePage::HeaderClick);
}

void TProtocolTablePage::Fill(const TraceStatistics* statistics) {
  if (statistics) {
    table_.Build(*statistics, {LocaleThousandsSeparator(), LocaleDecimalSeparator()});
  } else {
    table_ = ProtocolTable();
  }
  ShowSortArrow(*grid_, -1, true);
  ShowRows();
  grid_->resizeColumnsToContents();
}

void TProtocolTablePage::ShowRows() {
  const auto& rows = table_.Rows();
  grid_->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r)
    for (int c = 0; c < kPtColumns; ++c) {
      QTableWidgetItem* item = grid_->item(r, c);
      if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(AlignmentOf(kProtocolTableAlignments[static_cast<size_t>(c)]));
        grid_->setItem(r, c, item);
      }
      item->setText(ToQ(rows[static_cast<size_t>(r)][static_cast<size_t>(c)]));
    }
}

void TProtocolTablePage::SortClick(bool ascending) {
  SortBy(grid_->currentColumn() >= 0 ? grid_->currentColumn() : 0, ascending);
}

void TProtocolTablePage::HeaderClick(int column) {
  if (grid_->rowCount() == 0) return;
  grid_->setCurrentCell(std::max(0, grid_->currentRow()), column);
  SortBy(column, HeaderClickAscending(*grid_, column));
}

void TProtocolTablePage::SortBy(int column, bool ascending) {
  // Rows are exchanged under a selection that stays where it is.
  if (table_.Sort(column, ascending)) ShowRows();
  // Text columns always sort ascending.
  const bool asText = column == kPtColProtocol || column == kPtColEncapsulations;
  ShowSortArrow(*grid_, column, ascending || asText);
}

void TProtocolTablePage::CopyToClipboard() {
  if (const auto r = SelectedGridRange(*grid_)) SetClipboardText(table_.CopyText(r->left, r->top, r->right, r->bottom));
}

void TProtocolTablePage::SelectAllCells() { grid_->selectAll(); }

}  // namespace corvanta::ui

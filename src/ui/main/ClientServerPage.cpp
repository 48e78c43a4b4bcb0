#include "ui/main/ClientServerPage.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/GridRows.h"
#include "analysis/ProtocolTable.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"
#include "trace/UsableCpus.h"
#include "ui/main/InfoWindows.h"
#include "ui/widgets/GridView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

constexpr int kMarkColumns = 4;  // A to D carry marks
constexpr int kPollIntervalMs = 30;
// A column is as wide as the widest of its longest texts, this many of them.
constexpr size_t kMeasuredCells = 32;
const QColor kMarkedCellColor(255, 255, 0);

Qt::Alignment ColumnAlignment(int column) {
  if (column == kCsColClient || column == kCsColServer) return Qt::AlignLeft | Qt::AlignVCenter;
  if (column <= kCsColI || column == kCsColProtocol) return Qt::AlignCenter;
  return Qt::AlignRight | Qt::AlignVCenter;
}

bool IsMark(std::string_view cell) { return cell == kCsMark; }

// Paints the check mark over a marked cell of A to D.
class CheckMarkDelegate : public QStyledItemDelegate {
 public:
  explicit CheckMarkDelegate(QObject* parent) : QStyledItemDelegate(parent), check_(MakeCheckMark()) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    if (index.data(ClientServerGridModel::kMarkRole).toBool()) painter->drawPixmap(option.rect, check_);
  }

 private:
  QPixmap check_;
};

// The grid, able to size a column from chosen rows: measuring a row costs more than the
// table's other work for it, and Qt measures up to a thousand rows of a hidden grid.
class ServerGridView final : public QTableView {
 public:
  using QTableView::QTableView;
  // As sizeHintForColumn, over these rows alone.
  int WidthHint(int column, const std::vector<size_t>& rows) {
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int hint = 0;
    for (size_t row : rows) {
      const QModelIndex index = model()->index(static_cast<int>(row), column);
      if (QAbstractItemDelegate* delegate = itemDelegateForIndex(index))
        hint = std::max(hint, delegate->sizeHint(option, index).width());
    }
    return showGrid() ? hint + 1 : hint;
  }
};

QString Lines(const std::array<std::string, 4>& lines) {
  QStringList out;
  for (const std::string& l : lines) out << ToQ(l);
  return out.join('\n');
}

}  // namespace

// ---- ClientServerGridModel

int ClientServerGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || rebuilding_) return 0;
  return static_cast<int>(std::min<size_t>(table_.RowCount(), INT_MAX));
}

int ClientServerGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kCsVisibleColumns;
}

QVariant ClientServerGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || rebuilding_ || index.row() >= rowCount() || index.column() >= kCsVisibleColumns) return {};
  const ClientServerRow& row = table_.Rows()[static_cast<size_t>(index.row())];
  const int column = index.column();
  const std::string_view cell = row[static_cast<size_t>(column)];
  switch (role) {
    case Qt::DisplayRole:
      if (column < kMarkColumns && IsMark(cell)) return QString();
      return ToQ(cell);
    case Qt::TextAlignmentRole: return QVariant::fromValue(ColumnAlignment(column));
    case Qt::BackgroundRole:
      if ((column == kCsColServerToClient && IsMark(row[kCsColA])) ||
          (column == kCsColResponseTime && IsMark(row[kCsColB])))
        return kMarkedCellColor;
      return {};
    case kMarkRole: return column < kMarkColumns && IsMark(cell);
    case Qt::ToolTipRole:
      // Names and protocols may be elided in their columns: the tooltip has them whole.
      if (column == kCsColClient || column == kCsColServer || column == kCsColProtocol) return ToQ(cell);
      return {};
    default: return {};
  }
}

QVariant ClientServerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kCsVisibleColumns) return {};
  // Two lines, so a column is as wide as its cells rather than its caption.
  if (role == Qt::DisplayRole) return ToQ(TwoLineHeader(table_.Headers()[static_cast<size_t>(section)]));
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(ColumnAlignment(section));
  if (role == Qt::ToolTipRole) return ToQ(std::string(kCsColumnHints[static_cast<size_t>(section)]));
  return {};
}

void ClientServerGridModel::BeginRebuild() {
  beginResetModel();
  rebuilding_ = true;
  endResetModel();
}

void ClientServerGridModel::EndRebuild() {
  beginResetModel();
  rebuilding_ = false;
  endResetModel();
}

void ClientServerGridModel::RowsReordered() {
  // The selection stays on the same cells while the rows move under it.
  emit layoutAboutToBeChanged();
  emit layoutChanged();
  emit headerDataChanged(Qt::Horizontal, 0, kCsVisibleColumns - 1);
}

void ClientServerGridModel::NamesRewritten() {
  if (rowCount() == 0) return;
  emit dataChanged(index(0, kCsColClient), index(rowCount() - 1, kCsColServer), {Qt::DisplayRole});
}

// ---- TClientServerPage

TClientServerPage::TClientServerPage(QWidget* parent) : QWidget(parent) {
  setObjectName("ClientServerTabSheet");
  auto* page = new QVBoxLayout(this);
  page->setContentsMargins(4, 4, 4, 4);

  noPackets_ = new QLabel("(No IP or IPX packets in trace file.)", this);
  noPackets_->setObjectName("NoCSPackets");
  static_cast<QLabel*>(noPackets_)->setAlignment(Qt::AlignCenter);
  noPackets_->hide();
  page->addWidget(noPackets_, 1);

  csPanel_ = new QWidget(this);
  csPanel_->setObjectName("CSPanel");
  page->addWidget(csPanel_, 1);
  auto* top = new QVBoxLayout(csPanel_);
  top->setContentsMargins(0, 0, 0, 0);

  auto* bar = new QHBoxLayout;
  top10_ = new QComboBox(csPanel_);
  top10_->setObjectName("Top10ComboBox");
  for (std::string_view key : kCsSortKeyNames) top10_->addItem(ToQ(std::string(key)));
  top10_->setCurrentIndex(-1);
  top10_->setMaxVisibleItems(18);
  ascending_ = new QRadioButton("Ascending", csPanel_);
  ascending_->setObjectName("sortAscending");
  descending_ = new QRadioButton("Descending", csPanel_);
  descending_->setObjectName("sortDescending");
  descending_->setChecked(true);
  packetsBytes_ = new QComboBox(csPanel_);
  packetsBytes_->setObjectName("PacketsBytesComboBox");
  for (std::string_view choice : kPacketsBytesChoiceNames) packetsBytes_->addItem(ToQ(std::string(choice)));
  packetsBytes_->setCurrentIndex(0);
  smartNames_ = new QCheckBox("SmartNames", csPanel_);
  smartNames_->setObjectName("SmartNames");
  smartNames_->setChecked(true);
  showIpxOui_ = new QCheckBox("Show IPX Node by OUI", csPanel_);
  showIpxOui_->setObjectName("ShowIPXOUI");
  showIpxOui_->setChecked(true);
  copyButton_ = new QToolButton(csPanel_);
  copyButton_->setObjectName("CopyToClipboardBtn");
  copyButton_->setIcon(MakeIcon(Picture::Copy));
  copyButton_->setIconSize(QSize(20, 20));
  copyButton_->setToolTip(ToQ(std::string(kCopyTableHint)));
  copyButton_->setStatusTip(copyButton_->toolTip());
  auto* sortLabel = new QLabel("Sort by:", csPanel_);
  sortLabel->setObjectName("SortByLabel");
  sortLabel->setBuddy(top10_);
  top10_->setToolTip("Column to sort by; a click on a column's header sorts by it as well");
  bar->addWidget(sortLabel);
  bar->addWidget(top10_);
  bar->addWidget(ascending_);
  bar->addWidget(descending_);
  bar->addSpacing(12);
  bar->addWidget(packetsBytes_);
  bar->addSpacing(12);
  bar->addWidget(smartNames_);
  bar->addWidget(showIpxOui_);
  bar->addStretch();
  bar->addWidget(copyButton_);
  top->addLayout(bar);

  grid_ = new ServerGridView(csPanel_);
  grid_->setObjectName("ServerGrid");
  gridModel_ = new ClientServerGridModel(table_, this);
  grid_->setModel(gridModel_);
  grid_->viewport()->installEventFilter(this);
  MakeStringGrid(*grid_);
  MakeHeaderSortable(*grid_);
  MakeTwoLineHeader(*grid_);
  grid_->horizontalHeader()->setMinimumSectionSize(8);
  grid_->setItemDelegate(new CheckMarkDelegate(grid_));
  grid_->setContextMenuPolicy(Qt::CustomContextMenu);
  top->addWidget(grid_, 1);

  auto* legend = new QHBoxLayout;
  totalConversations_ = new QLabel("0 Conversations Analyzed.", csPanel_);
  totalConversations_->setObjectName("TotalConversations");
  notListed_ = new QLabel(csPanel_);
  notListed_->setObjectName("NotListedLabel");
  notListed_->setWordWrap(true);
  notListed_->setToolTip(
      "Conversations of the trace that have no row: sent to a broadcast or multicast address, without a request, "
      "of a protocol the analysis does not measure, or requests without an answer it can pair");
  auto* counts = new QHBoxLayout;
  counts->addWidget(totalConversations_);
  counts->addSpacing(16);
  counts->addWidget(notListed_, 1);
  top->addLayout(counts);
  for (int i = 0; i < 3; ++i) {
    auto* memo = new QPlainTextEdit(csPanel_);
    memo->setObjectName(QString("Memo%1").arg(i + 2));
    memo->setReadOnly(true);
    memo->setFocusPolicy(Qt::NoFocus);
    memo->setFrameShape(QFrame::NoFrame);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFixedHeight(memo->fontMetrics().lineSpacing() * 4 + 16);
    memo->viewport()->setAutoFillBackground(false);
    memos_[static_cast<size_t>(i)] = memo;
    legend->addWidget(memo, 1);
  }
  top->addLayout(legend);
  ShowLegend();

  popup_ = new QMenu(this);
  popup_->setObjectName("CSPopUp");
  popup_->setToolTipsVisible(true);
  toolboxItem_ = popup_->addAction("&Halvex ToolBox");
  toolboxItem_->setObjectName("Toolbox1");
  toolboxItem_->setEnabled(false);
  divider_ = popup_->addSeparator();
  dlcItem_ = popup_->addAction("DLC Address is");
  dlcItem_->setObjectName("DLCAddressis1");
  divider_->setVisible(false);
  dlcItem_->setVisible(false);

  timer_ = new QTimer(this);
  timer_->setObjectName("Timer100ms");
  timer_->setInterval(100);

  connect(top10_, &QComboBox::activated, this, [this](int) { SortBtnClick(true); });
  connect(ascending_, &QRadioButton::clicked, this, [this] { SortBtnClick(false); });
  connect(descending_, &QRadioButton::clicked, this, [this] { SortBtnClick(false); });
  connect(grid_, &QTableView::doubleClicked, this, [this](const QModelIndex&) { SortBtnClick(false); });
  connect(grid_->horizontalHeader(), &QHeaderView::sectionClicked, this, &TClientServerPage::HeaderClick);
  connect(packetsBytes_, &QComboBox::activated, this, [this](int) { Rebuild(); });
  connect(smartNames_, &QCheckBox::clicked, this, &TClientServerPage::NamesClick);
  connect(showIpxOui_, &QCheckBox::clicked, this, &TClientServerPage::NamesClick);
  connect(copyButton_, &QToolButton::clicked, this, &TClientServerPage::CopyToClipboard);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { ServerGridClick(); });
  connect(grid_, &QTableView::customContextMenuRequested, this, &TClientServerPage::ShowPopup);
  connect(toolboxItem_, &QAction::triggered, this, [this] {
    ServerGridClick();
    emit ToolboxRequested();
  });
  connect(timer_, &QTimer::timeout, this, &TClientServerPage::Timer100msTimer);
}

QPlainTextEdit* TClientServerPage::Memo(int number) const {
  return number >= 2 && number <= 4 ? memos_[static_cast<size_t>(number - 2)] : nullptr;
}

void TClientServerPage::SetAnalyzingWindow(TProgress* window, int closeDelayMs) {
  analyzing_ = window;
  closeDelayMs_ = std::max(0, closeDelayMs);
}

void TClientServerPage::SetToolboxAvailable(bool available) {
  toolboxItem_->setEnabled(available);
  toolboxItem_->setToolTip(available ? QString() : "The Halvex ToolBox is not available yet");
}

void TClientServerPage::SetTrace(const ClientServerInputs& inputs) {
  inputs_ = inputs;
  requested_ = {};
  UpdateServerGrid();
}

void TClientServerPage::ResetHeader() {
  showIpxOui_->setVisible(inputs_.hasIpx);
  top10_->setCurrentIndex(-1);
  ShowSortArrow(*grid_, -1, true);
  // No rows and no memory of the last sort until the build is over.
  gridModel_->BeginRebuild();
  table_ = ClientServerTable();
}

void TClientServerPage::UpdateServerGrid() {
  if (building_) return;
  if (!inputs_.model || !inputs_.settings || !inputs_.hasIpOrIpx) {
    csPanel_->hide();
    noPackets_->show();
    ResetHeader();
    gridModel_->EndRebuild();
    requested_ = {};
    return;
  }
  noPackets_->hide();
  csPanel_->show();
  const int topRow = grid_->rowAt(0);
  ResetHeader();

  // Whatever ends the build, the window closes and the grid shows the rows built.
  class BuildScope {
   public:
    explicit BuildScope(TClientServerPage& page) : page_(page) {
      page_.building_ = true;
      QApplication::setOverrideCursor(Qt::WaitCursor);
      if (page_.analyzing_) {
        page_.analyzing_->SetCount("0");
        page_.analyzing_->setWindowModality(Qt::ApplicationModal);
        page_.analyzing_->show();
      }
      page_.ticks_ = 0;
      page_.timer_->start();
    }
    ~BuildScope() {
      page_.timer_->stop();
      if (page_.analyzing_) page_.analyzing_->hide();
      page_.building_ = false;
      page_.gridModel_->EndRebuild();
      QApplication::restoreOverrideCursor();
    }

   private:
    TClientServerPage& page_;
  };

  {
    BuildScope scope(*this);
    ClientServerOptions options;
    options.Choice = static_cast<PacketsBytesChoice>(std::max(0, packetsBytes_->currentIndex()));
    options.SmartNames = smartNames_->isChecked();
    options.ShowIpxOui = showIpxOui_->isChecked();
    options.LastFrame = inputs_.lastFrame;
    options.ThousandsSep = LocaleThousandsSeparator();
    options.DecimalSep = LocaleDecimalSeparator();
    // Helpers only read the model; the rows are joined and polled on this thread.
    options.Threads = std::min(UsableCpus(), 8);
    QElapsedTimer sincePoll;
    sincePoll.start();
    table_.Build({*inputs_.model, *inputs_.settings, inputs_.vendors, inputs_.ports, inputs_.directory.get()}, options,
                 [&] {
                   if (sincePoll.elapsed() >= kPollIntervalMs) {
                     QCoreApplication::processEvents();
                     sincePoll.restart();
                   }
                 });
    buildTicks_ = ticks_;
    // The pass's index serves the first build; later ones make their own, as it is large.
    inputs_.directory.reset();
    // The window stays a moment on the final count.
    if (analyzing_) {
      analyzing_->SetCount(CountText(static_cast<int64_t>(table_.RowCount())));
      if (closeDelayMs_ > 0) {
        QEventLoop wait;
        QTimer::singleShot(closeDelayMs_, &wait, &QEventLoop::quit);
        wait.exec();
      }
    }
  }
  requested_ = {};
  totalConversations_->setText(ToQ(table_.ConversationsCaption()));
  notListed_->setText(ToQ(table_.NotListedText()));
  AutoSizeColumns();
  ShowLegend();
  if (topRow >= 0 && topRow < gridModel_->rowCount()) grid_->verticalScrollBar()->setValue(topRow);
}

void TClientServerPage::Rebuild() {
  const int key = top10_->currentIndex();
  UpdateServerGrid();
  if (key >= 0 && gridModel_->rowCount() > 0) {
    top10_->setCurrentIndex(key);
    SortBy(key);
  }
}

void TClientServerPage::Timer100msTimer() {
  ++ticks_;
  if (analyzing_ && ticks_ % 2 == 0) analyzing_->SetCount(CountText(static_cast<int64_t>(table_.RowCount())));
}

void TClientServerPage::AutoSizeColumns() {
  // Each column as wide as its cells, its header's words on two lines at most; names and
  // protocols are cut past a width (their tooltips give them whole), so the response and
  // throughput columns are in view at the default window size. A wider grid gives them
  // their room back.
  const QFontMetrics header = grid_->horizontalHeader()->fontMetrics();
  const int margin = 2 * grid_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, grid_) + 4;
  const int nameCap = grid_->fontMetrics().horizontalAdvance("192.168.10.10") + 8;
  const int protocolCap = grid_->fontMetrics().horizontalAdvance("TCP/Port 1034<->HTT") + 8;
  // The mark columns are as wide as the check mark less one pixel.
  cutWidths_.assign(kCsVisibleColumns, MakeCheckMark().width() - 1);
  naturalWidths_ = cutWidths_;
  for (int c = kMarkColumns; c < kCsVisibleColumns; ++c) {
    const QString text = gridModel_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
    const int cells = static_cast<ServerGridView*>(grid_)->WidthHint(c, table_.LongestCells(c, kMeasuredCells));
    const int width = std::max(cells, HeaderTextWidth(header, text) + margin);
    int cut = width;
    if (c == kCsColClient || c == kCsColServer) cut = std::min(width, nameCap);
    if (c == kCsColProtocol) cut = std::min(width, protocolCap);
    naturalWidths_[static_cast<size_t>(c)] = width;
    cutWidths_[static_cast<size_t>(c)] = cut;
  }
  FitColumns();
}

void TClientServerPage::FitColumns() {
  if (cutWidths_.empty()) return;
  appliedWidths_ = WidenCutColumns(cutWidths_, naturalWidths_, grid_->viewport()->width());
  for (int c = 0; c < kCsVisibleColumns; ++c) grid_->setColumnWidth(c, appliedWidths_[static_cast<size_t>(c)]);
}

bool TClientServerPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport() && event->type() == QEvent::Resize) {
    // Widths the user set by hand stay as they are.
    bool automatic = !appliedWidths_.empty();
    for (int c = 0; automatic && c < kCsVisibleColumns; ++c)
      automatic = grid_->columnWidth(c) == appliedWidths_[static_cast<size_t>(c)];
    if (automatic) FitColumns();
  }
  return QWidget::eventFilter(watched, event);
}

void TClientServerPage::ShowLegend() {
  const std::array<std::array<std::string, 4>, 3> legends = {table_.LegendAToD(), table_.LegendEToH(),
                                                             table_.LegendI()};
  for (size_t i = 0; i < memos_.size(); ++i) {
    QPlainTextEdit* memo = memos_[i];
    memo->setPlainText(Lines(legends[i]));
    // Each legend line is read whole.
    int width = 0;
    for (const std::string& line : legends[i])
      width = std::max(width, memo->fontMetrics().horizontalAdvance(ToQ(line)));
    memo->setMinimumWidth(width + 2 * static_cast<int>(memo->document()->documentMargin()) + 8);
  }
}

void TClientServerPage::SortBtnClick(bool fromCombo) {
  if (building_ || gridModel_->rowCount() == 0) return;
  int column = -1;
  if (fromCombo) {
    column = top10_->currentIndex();
    if (column < 0) return;
    const QModelIndex current = grid_->currentIndex();
    grid_->setCurrentIndex(gridModel_->index(current.isValid() ? current.row() : 0, column));
  } else {
    const QModelIndex current = grid_->currentIndex();
    column = current.isValid() ? current.column() : 0;
    top10_->setCurrentIndex(column);
  }
  SortBy(column);
}

void TClientServerPage::HeaderClick(int column) {
  if (building_ || gridModel_->rowCount() == 0 || column < 0 || column >= kCsVisibleColumns) return;
  const bool ascending = HeaderClickAscending(*grid_, column);
  (ascending ? ascending_ : descending_)->setChecked(true);
  const QModelIndex current = grid_->currentIndex();
  grid_->setCurrentIndex(gridModel_->index(current.isValid() ? current.row() : 0, column));
  top10_->setCurrentIndex(column);
  SortBy(column);
}

void TClientServerPage::SortBy(int column) {
  if (column < 0 || column >= kCsVisibleColumns) return;
  ShowSortArrow(*grid_, column, ascending_->isChecked());
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const int topRow = grid_->rowAt(0);
  if (table_.Sort(column, ascending_->isChecked())) {
    gridModel_->RowsReordered();
    if (topRow >= 0) grid_->verticalScrollBar()->setValue(topRow);
    ServerGridClick();
  }
  QApplication::restoreOverrideCursor();
}

void TClientServerPage::ServerGridClick() {
  requested_ = {};
  const QModelIndex current = grid_->currentIndex();
  if (!current.isValid() || building_) return;
  requested_ = table_.Request(static_cast<size_t>(current.row()), inputs_.vendors);
}

void TClientServerPage::NamesClick() {
  if (building_ || !inputs_.model) return;
  table_.RewriteNames(*inputs_.model, inputs_.vendors, smartNames_->isChecked(), showIpxOui_->isChecked());
  gridModel_->NamesRewritten();
  grid_->resizeColumnToContents(kCsColClient);
  grid_->resizeColumnToContents(kCsColServer);
}

QString TClientServerPage::DlcSourceText(int row, int column) const {
  if (row < 0 || static_cast<size_t>(row) >= table_.RowCount()) return {};
  if ((column != kCsColClient && column != kCsColServer) || !inputs_.model) return {};
  const ClientServerRow& r = table_.Rows()[static_cast<size_t>(row)];
  const std::string_view key = r[column == kCsColClient ? kCsColClientKey : kCsColServerKey];
  return "DLC Source is " + ToQ(ClientServerStation(*inputs_.model, inputs_.vendors, key));
}

void TClientServerPage::ShowPopup(const QPoint& pos) {
  const QModelIndex index = grid_->indexAt(pos);
  const QString dlc = index.isValid() ? DlcSourceText(index.row(), index.column()) : QString();
  dlcItem_->setText(dlc);
  dlcItem_->setVisible(!dlc.isEmpty());
  divider_->setVisible(!dlc.isEmpty());
  popup_->popup(grid_->viewport()->mapToGlobal(pos));
}

void TClientServerPage::CopyToClipboard() {
  if (const auto r = SelectedGridRange(*grid_)) SetClipboardText(table_.CopyText(r->left, r->top, r->right, r->bottom));
}

void TClientServerPage::SelectAllCells() { grid_->selectAll(); }

}  // namespace corvanta::ui

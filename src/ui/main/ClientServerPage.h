#pragma once
#include <QAbstractTableModel>
#include <QWidget>
#include <array>
#include <climits>
#include <memory>
#include <vector>

#include "analysis/ClientServerTable.h"
#include "ui/main/MainForm.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QRadioButton;
class QTableView;
class QTimer;
class QToolButton;

namespace corvanta::ui {

class TProgress;

// The rows of the client/server table as the grid shows them: 18 columns, the marks of A
// to D as check marks, the yellow cells of low throughput and slow response.
class ClientServerGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // True for a marked cell of the columns A to D.
  static constexpr int kMarkRole = Qt::UserRole + 1;

  explicit ClientServerGridModel(const ClientServerTable& table, QObject* parent = nullptr)
      : QAbstractTableModel(parent), table_(table) {}

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // While the table is rebuilt the grid shows no rows.
  void BeginRebuild();
  void EndRebuild();
  void RowsReordered();
  void NamesRewritten();

 private:
  const ClientServerTable& table_;
  bool rebuilding_ = false;
};

// What the page builds its table from; the pointers must outlive the trace.
struct ClientServerInputs {
  const CaptureModel* model = nullptr;
  const BrisqonSettings* settings = nullptr;
  const VendorTable* vendors = nullptr;
  const UserPorts* ports = nullptr;
  int32_t lastFrame = INT32_MAX;
  bool hasIpOrIpx = false;
  bool hasIpx = false;
  // Every pair of the model's addresses, from the pass, for the first build; null: the build
  // makes its own.
  std::shared_ptr<const PeerDirectory> directory;
};

// The "Client/Server Expert" page: every IP and IPX conversation with its client, server,
// counts, times and problem marks; sorted, renamed, copied, and the row the toolbox takes.
class TClientServerPage : public QWidget, public PageEditing {
  Q_OBJECT
 public:
  explicit TClientServerPage(QWidget* parent = nullptr);

  // The "Analyzing..." window shown while the table is built, and how long it stays on the
  // final count.
  void SetAnalyzingWindow(TProgress* window, int closeDelayMs);
  void SetToolboxAvailable(bool available);

  // A new trace: the table is built from scratch.
  void SetTrace(const ClientServerInputs& inputs);
  // Builds the table again (new settings or packets/bytes choice) and sorts it again by the
  // chosen key.
  void Rebuild();
  void ResetHeader();
  void UpdateServerGrid();
  // Sorts by the Top10ComboBox entry (fromCombo) or by the grid's selected column.
  void SortBtnClick(bool fromCombo);
  // A click on a column's header: sorts by it, the other way round when it was sorted last.
  void HeaderClick(int column);
  // The selected row becomes the conversation the toolbox is asked for.
  void ServerGridClick();

  void CopyToClipboard() override;
  void SelectAllCells() override;

  const ClientServerTable& Table() const { return table_; }
  const RequestedConversation& Requested() const { return requested_; }
  // "DLC Source is " with the station of the client or the server of a row; empty for other
  // columns.
  QString DlcSourceText(int row, int column) const;

  QTableView* ServerGrid() const { return grid_; }
  ClientServerGridModel* GridModel() const { return gridModel_; }
  QComboBox* Top10ComboBox() const { return top10_; }
  QComboBox* PacketsBytesComboBox() const { return packetsBytes_; }
  QRadioButton* SortAscending() const { return ascending_; }
  QRadioButton* SortDescending() const { return descending_; }
  QCheckBox* SmartNames() const { return smartNames_; }
  QCheckBox* ShowIPXOUI() const { return showIpxOui_; }
  QLabel* TotalConversations() const { return totalConversations_; }
  // How many conversations of the trace are not rows, and why.
  QLabel* NotListedLabel() const { return notListed_; }
  QWidget* CSPanel() const { return csPanel_; }
  QWidget* NoCSPackets() const { return noPackets_; }
  QPlainTextEdit* Memo(int number) const;  // 2, 3 or 4
  QMenu* CSPopUp() const { return popup_; }
  QTimer* Timer100ms() const { return timer_; }
  // The "Analyzing..." window's last count and how many 100 ms ticks the last build took.
  int BuildTicks() const { return buildTicks_; }

 signals:
  void ToolboxRequested();

 protected:
  // The grid's width follows the window: automatic column widths follow the grid.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void SortBy(int column);
  void ShowPopup(const QPoint& pos);
  void NamesClick();
  void Timer100msTimer();
  void AutoSizeColumns();
  // Applies the automatic widths to the grid's present width.
  void FitColumns();
  void ShowLegend();

  ClientServerTable table_;
  ClientServerInputs inputs_;
  // Column widths: as the cells ask, cut for names and protocols, and as last applied.
  std::vector<int> naturalWidths_;
  std::vector<int> cutWidths_;
  std::vector<int> appliedWidths_;
  RequestedConversation requested_;
  TProgress* analyzing_ = nullptr;
  int closeDelayMs_ = 1500;
  int ticks_ = 0;
  int buildTicks_ = 0;
  bool building_ = false;

  QWidget* csPanel_ = nullptr;
  QWidget* noPackets_ = nullptr;
  QTableView* grid_ = nullptr;
  ClientServerGridModel* gridModel_ = nullptr;
  QComboBox* top10_ = nullptr;
  QComboBox* packetsBytes_ = nullptr;
  QRadioButton* ascending_ = nullptr;
  QRadioButton* descending_ = nullptr;
  QCheckBox* smartNames_ = nullptr;
  QCheckBox* showIpxOui_ = nullptr;
  QToolButton* copyButton_ = nullptr;
  QLabel* totalConversations_ = nullptr;
  QLabel* notListed_ = nullptr;
  std::array<QPlainTextEdit*, 3> memos_{};
  QMenu* popup_ = nullptr;
  QAction* toolboxItem_ = nullptr;
  QAction* divider_ = nullptr;
  QAction* dlcItem_ = nullptr;
  QTimer* timer_ = nullptr;
};

}  // namespace corvanta::ui

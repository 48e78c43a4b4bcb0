#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <vector>

#include "analysis/PeerMap.h"

class QAction;
class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QMenu;
class QSlider;
class QTabWidget;
class QTableView;
class QToolButton;

namespace corvanta {
class CaptureModel;
class VendorTable;
struct TraceStatistics;
}  // namespace corvanta

namespace corvanta::ui {

class TDualListDialogForm;

// What a peer-map window reads of the open trace when it is shown. The window copies what it
// needs at once and keeps no pointer.
struct PeerMapTrace {
  const CaptureModel* model = nullptr;
  const TraceStatistics* statistics = nullptr;
  QString fileName;     // full path; empty while no trace is open
  uint64_t serial = 0;  // changes with every trace processed
  const VendorTable* vendors = nullptr;
  bool vendorsLoaded = false;
};
using PeerMapTraceSource = std::function<PeerMapTrace()>;

// The toolbox asked to select the conversations of an address.
struct ToolboxAddressRequest {
  AddressKey source;
  AddressKey destination;  // empty: any peer of the source
  QString sourceText;
  QString sourceVendorText;  // IPX: network.node with the vendor name
};

// The statistics grid's rows: the viewable rows first, only those shown.
class PeerGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  PeerGridModel(PeerMapKind kind, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  void SetRows(std::vector<PeerGridRow> rows, const std::vector<uint8_t>& viewable);
  std::vector<PeerGridRow>& Rows() { return rows_; }
  const std::vector<PeerGridRow>& Rows() const { return rows_; }
  int Shown() const { return shown_; }
  // The shown row of a node; -1 when it has none.
  int RowOf(int node) const;
  void SetHighlight(int node);
  int Highlight() const { return highlight_; }
  void Changed();

 private:
  PeerMapKind kind_;
  std::vector<std::string_view> headings_;
  std::vector<PeerGridRow> rows_;
  int shown_ = 0;
  int highlight_ = -1;  // node
};

// The ring: paints the layout the window computes for its size; a click on a label reports
// the node.
class TPeerMapView : public QWidget {
  Q_OBJECT
 public:
  using Layout = std::function<PeerMapDrawing(const QSize&, const MeasureText&)>;
  TPeerMapView(Layout layout, QWidget* parent);
  const PeerMapDrawing& Drawing() const { return drawing_; }
  // The label font's measure, as the painter uses it.
  static MeasureText Measure();

 signals:
  void LabelClicked(int node, const QPoint& globalPos);

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  Layout layout_;
  PeerMapDrawing drawing_;
};

// The station window and the network window: a "Peer Map" page and a "Statistics" page.
class TPeerMapForm : public QWidget {
  Q_OBJECT
 public:
  TPeerMapForm(PeerMapKind kind, PeerMapTraceSource source, TDualListDialogForm* dualList, QWidget* parent = nullptr);
  ~TPeerMapForm() override;

  // Reads the trace when it is a new one and starts its view; a known trace keeps its view.
  void FormActivate();

  PeerMapKind Kind() const { return kind_; }
  const PeerGraph& Graph() const { return graph_; }
  const PeerMapView& View() const { return view_; }
  int Mode() const { return mode_; }
  const KeyStates& Keys(int mode) const { return keys_[static_cast<size_t>(std::clamp(mode, 0, 2))]; }
  PeerMapOptions MapOptions() const;
  PeerLabelOptions LabelOptions(bool map) const;

  // Controls.
  QTabWidget* PageControl() const { return pages_; }
  TPeerMapView* MapView() const { return map_; }
  QTableView* StnGrid() const { return grid_; }
  PeerGridModel* GridModel() const { return gridModel_; }
  QButtonGroup* ModeGroup() const { return modeGroup_; }
  QGroupBox* KeyGroup() const { return keyGroup_; }
  QCheckBox* Key(int index) const { return keyBoxes_.at(static_cast<size_t>(index)); }
  QButtonGroup* DestinationGroup() const { return destinationGroup_; }
  QWidget* DensityPanel() const { return densityPanel_; }
  QSlider* MapDensity() const { return density_; }
  QCheckBox* MapSmartNames() const { return mapSmartNames_; }
  QCheckBox* MapShowOui() const { return mapShowOui_; }
  QCheckBox* GridSmartNames() const { return gridSmartNames_; }
  QCheckBox* GridShowOui() const { return gridShowOui_; }
  QMenu* PopupMenu() const { return popup_; }
  QAction* StatisticsItem() const { return statisticsItem_; }
  QAction* ToolboxItem() const { return toolboxItem_; }
  QAction* DlcItem() const { return dlcItem_; }

  // Handlers.
  void ModeClick(int mode);
  void KeyClick(int index);
  enum class AllKeys { kOn, kOff, kInvert };
  void AllKeysClick(AllKeys what);
  void SelStnBtnClick();
  // Applies the dual-list dialog's answer: the ids under "Show" become viewable, the rest not.
  void ApplyViewable(const std::vector<int>& shown, const std::vector<int>& hidden);
  void SortClick(bool ascending);
  void CopyTableClick();
  void CopyGraphicClick();
  // A click on a node's label at a global position: the pop-up menu for a sender.
  void LabelClick(int node, const QPoint& globalPos, bool showMenu = true);
  void StatisticsClick();
  void ToolboxClick();
  void SetToolboxAvailable(bool available);

  // The grid's column order as one-based column numbers in display order.
  std::vector<int> ColumnOrder() const;
  void SetColumnOrder(const std::vector<int>& order);
  // The initialisation file of the column order (the per-user configuration folder unless
  // set); reads it again.
  void SetColumnOrderFile(const QString& path);
  QString ColumnOrderFile() const { return columnFile_; }
  void LoadColumnOrder();
  void SaveColumnOrder() const;

 signals:
  void ToolboxRequested(const corvanta::ui::ToolboxAddressRequest& request);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void BuildMapPage();
  void BuildStatisticsPage();
  void ShowKeys();
  void Refresh();
  void FillGrid();
  int KeyCount() const;

  PeerMapKind kind_;
  PeerMapTraceSource source_;
  TDualListDialogForm* dualList_;
  uint64_t serial_ = 0;
  bool hasTrace_ = false;
  const VendorTable* vendors_ = nullptr;
  bool vendorsLoaded_ = false;
  PeerGraph graph_;
  PeerMapView view_;
  int mode_ = kIdEncapsulation;
  std::array<KeyStates, kPeerMapModes> keys_{kAllKeysChecked, kAllKeysChecked, kAllKeysChecked};
  int clickedNode_ = -1;
  bool sortAscending_ = true;
  bool toolboxAvailable_ = false;
  QString columnFile_;

  QTabWidget* pages_ = nullptr;
  TPeerMapView* map_ = nullptr;
  QTableView* grid_ = nullptr;
  PeerGridModel* gridModel_ = nullptr;
  QGroupBox* modeBox_ = nullptr;
  QButtonGroup* modeGroup_ = nullptr;
  QGroupBox* keyGroup_ = nullptr;
  std::vector<QCheckBox*> keyBoxes_;
  QButtonGroup* destinationGroup_ = nullptr;
  QWidget* densityPanel_ = nullptr;
  QSlider* density_ = nullptr;
  QCheckBox* mapSmartNames_ = nullptr;
  QCheckBox* mapShowOui_ = nullptr;
  QCheckBox* gridSmartNames_ = nullptr;
  QCheckBox* gridShowOui_ = nullptr;
  QMenu* popup_ = nullptr;
  QAction* statisticsItem_ = nullptr;
  QAction* toolboxItem_ = nullptr;
  QAction* dlcItem_ = nullptr;
};

// "Station - " and the trace: the data-link stations.
class TStationStats : public TPeerMapForm {
  Q_OBJECT
 public:
  TStationStats(PeerMapTraceSource source, TDualListDialogForm* dualList, QWidget* parent = nullptr)
      : TPeerMapForm(PeerMapKind::kStation, std::move(source), dualList, parent) {}
};

// "Network - " and the trace: the IP and IPX addresses.
class TNetworkStatisticsForm : public TPeerMapForm {
  Q_OBJECT
 public:
  TNetworkStatisticsForm(PeerMapTraceSource source, TDualListDialogForm* dualList, QWidget* parent = nullptr)
      : TPeerMapForm(PeerMapKind::kNetwork, std::move(source), dualList, parent) {}
};

}  // namespace corvanta::ui

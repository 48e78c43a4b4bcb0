#include "ui/peermaps/PeerMapForm.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>
#include <map>
#include <set>

#include "analysis/GridRows.h"
#include "ui/peermaps/DualListDialog.h"
#include "ui/widgets/GridView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

const QColor kHighlightRowColor(255, 255, 0);
constexpr const char* kToolboxMissingTip = "The Halvex ToolBox is not available yet.";

int ColumnCount(PeerMapKind kind) { return kind == PeerMapKind::kStation ? kStationColumns : kNetworkColumns; }

QString Section(PeerMapKind kind) {
  return Q(kind == PeerMapKind::kStation ? kStationColumnSection : kNetworkColumnSection);
}

QIcon Swatch(uint32_t color) {
  QPixmap p(12, 12);
  p.fill(ToQColor(color));
  QPainter painter(&p);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, 11, 11);
  return QIcon(p);
}

QStringList ModeCaptions(PeerMapKind kind, Topology topology) {
  if (kind == PeerMapKind::kNetwork) return {"IP", "IPX", "IPX-Hops"};
  QStringList out;
  for (int m = 0; m < kPeerMapModes; ++m) out << Q(StationModeCaption(m, topology));
  return out;
}

}  // namespace

// ---- PeerGridModel

PeerGridModel::PeerGridModel(PeerMapKind kind, QObject* parent)
    : QAbstractTableModel(parent), kind_(kind), headings_(PeerGridHeadings(kind)) {}

int PeerGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : shown_; }
int PeerGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant PeerGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= shown_ || index.column() >= columnCount()) return {};
  const PeerGridRow& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return static_cast<size_t>(index.column()) < row.Cells.size()
                 ? ToQ(row.Cells[static_cast<size_t>(index.column())])
                 : QVariant();
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(PeerGridColumnIsText(kind_, index.column()) ? Qt::AlignLeft | Qt::AlignVCenter
                                                                             : Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole: return row.Node == highlight_ ? QVariant(kHighlightRowColor) : QVariant();
    default: return {};
  }
}

QVariant PeerGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
  if (role == Qt::DisplayRole) return Q(headings_[static_cast<size_t>(section)]);
  if (role == Qt::ForegroundRole) return ToQColor(kGridHeadingColor);
  return {};
}

void PeerGridModel::SetRows(std::vector<PeerGridRow> rows, const std::vector<uint8_t>& viewable) {
  beginResetModel();
  rows_ = std::move(rows);
  ViewableRowsFirst(rows_, viewable);
  shown_ = 0;
  for (const PeerGridRow& r : rows_)
    if (r.Node >= 0 && static_cast<size_t>(r.Node) < viewable.size() && viewable[static_cast<size_t>(r.Node)]) ++shown_;
  endResetModel();
}

int PeerGridModel::RowOf(int node) const {
  for (int i = 0; i < shown_; ++i)
    if (rows_[static_cast<size_t>(i)].Node == node) return i;
  return -1;
}

void PeerGridModel::SetHighlight(int node) {
  highlight_ = node;
  Changed();
}

void PeerGridModel::Changed() {
  if (shown_ > 0) emit dataChanged(index(0, 0), index(shown_ - 1, columnCount() - 1));
}

// ---- TPeerMapView

TPeerMapView::TPeerMapView(Layout layout, QWidget* parent) : QWidget(parent), layout_(std::move(layout)) {
  setObjectName("MapPaintBox");
  setMinimumSize(360, 300);
  setAutoFillBackground(true);
}

MeasureText TPeerMapView::Measure() {
  // Metrics per point size, made once per layout.
  auto metrics = std::make_shared<std::map<int, QFontMetrics>>();
  return [metrics](std::string_view text, int pointSize) {
    auto it = metrics->find(pointSize);
    if (it == metrics->end()) {
      QFont font(Q(kRingMapFont));
      font.setPointSize(std::max(1, pointSize));
      it = metrics->emplace(pointSize, QFontMetrics(font)).first;
    }
    return TextExtent{it->second.horizontalAdvance(Q(text)), it->second.height()};
  };
}

void TPeerMapView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  drawing_ = layout_ ? layout_(size(), Measure()) : PeerMapDrawing{};
  p.setRenderHint(QPainter::Antialiasing);
  for (const PeerMapSegment& s : drawing_.Segments) {
    p.setPen(QPen(ToQColor(s.Color), s.Width, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(s.From.X, s.From.Y, s.To.X, s.To.Y);
  }
  p.setPen(QPen(ToQColor(drawing_.RingColor), drawing_.RingPenWidth));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPoint(drawing_.Center.X, drawing_.Center.Y), drawing_.Radius, drawing_.Radius);
  QFont font(Q(kRingMapFont));
  font.setPointSize(std::max(1, drawing_.FontSize));
  p.setFont(font);
  const int ascent = QFontMetrics(font).ascent();
  for (const PeerMapLabelDraw& l : drawing_.Labels) {
    p.setPen(ToQColor(l.Color));
    p.drawText(l.Rect.Left, l.Rect.Top + ascent, Q(l.Text));
  }
}

void TPeerMapView::mousePressEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  const int node = PeerMapLabelAt(drawing_, at.x(), at.y());
  if (node >= 0) emit LabelClicked(node, event->globalPosition().toPoint());
}

// ---- TPeerMapForm

TPeerMapForm::TPeerMapForm(PeerMapKind kind, PeerMapTraceSource source, TDualListDialogForm* dualList, QWidget* parent)
    : QWidget(parent, Qt::Window), kind_(kind), source_(std::move(source)), dualList_(dualList) {
  const bool station = kind == PeerMapKind::kStation;
  setObjectName(station ? "StationStats" : "NetworkStatisticsForm");
  setWindowTitle(station ? "Station" : "Network");
  setMinimumSize(720, 520);
  resize(900, 640);
  if (station)
    mode_ = kIdEncapsulation;
  else
    mode_ = kModeIp;

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  pages_ = new QTabWidget(this);
  pages_->setObjectName("PageControl1");
  layout->addWidget(pages_);
  BuildMapPage();
  BuildStatisticsPage();

  popup_ = new QMenu(this);
  popup_->setObjectName("PopupMenu1");
  popup_->setToolTipsVisible(true);
  statisticsItem_ = popup_->addAction("&Statistics");
  statisticsItem_->setObjectName("Statistics1");
  connect(statisticsItem_, &QAction::triggered, this, &TPeerMapForm::StatisticsClick);
  if (!station) {
    toolboxItem_ = popup_->addAction("&Halvex ToolBox");
    toolboxItem_->setObjectName("HalvexToolBox1");
    connect(toolboxItem_, &QAction::triggered, this, &TPeerMapForm::ToolboxClick);
    popup_->addSeparator();
    dlcItem_ = popup_->addAction("No DLC Address");
    dlcItem_->setObjectName("DLCAddress1");
    SetToolboxAvailable(false);
  }

  columnFile_ = QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(Q(kColumnOrderFile));
  LoadColumnOrder();
  ShowKeys();
}

TPeerMapForm::~TPeerMapForm() = default;

void TPeerMapForm::BuildMapPage() {
  const bool station = kind_ == PeerMapKind::kStation;
  auto* page = new QWidget(pages_);
  page->setObjectName("MapTabSheet");
  pages_->addTab(page, "Peer Map");
  auto* row = new QHBoxLayout(page);
  row->setContentsMargins(2, 2, 2, 2);
  map_ = new TPeerMapView(
      [this](const QSize& size, const MeasureText& measure) {
        return LayoutPeerMap(graph_, view_, MapOptions(), LabelOptions(true),
                             PeerMapPalette{ColorValueOf(palette().color(QPalette::ButtonText)),
                                            ColorValueOf(palette().color(QPalette::Dark)),
                                            ColorValueOf(palette().color(QPalette::Highlight))},
                             size.width(), size.height(), measure, clickedNode_);
      },
      page);
  row->addWidget(map_, 1);
  connect(map_, &TPeerMapView::LabelClicked, this, [this](int node, const QPoint& at) { LabelClick(node, at); });

  auto* side = new QVBoxLayout;
  row->addLayout(side);
  modeBox_ = new QGroupBox(station ? "Identification" : "Protocol", page);
  modeBox_->setObjectName(station ? "IDRadioGroup" : "ProtocolRadioGroup");
  auto* modes = new QVBoxLayout(modeBox_);
  modeGroup_ = new QButtonGroup(this);
  for (int m = 0; m < kPeerMapModes; ++m) {
    auto* b = new QRadioButton(modeBox_);
    modeGroup_->addButton(b, m);
    modes->addWidget(b);
  }
  const QStringList captions = ModeCaptions(kind_, kEthernet);
  for (int m = 0; m < kPeerMapModes; ++m) modeGroup_->button(m)->setText(captions[m]);
  modeGroup_->button(mode_)->setChecked(true);
  connect(modeGroup_, &QButtonGroup::idClicked, this, &TPeerMapForm::ModeClick);
  side->addWidget(modeBox_);

  keyGroup_ = new QGroupBox("Key", page);
  keyGroup_->setObjectName("KeyGroup");
  auto* keys = new QVBoxLayout(keyGroup_);
  keys->setSpacing(1);
  const int keySlots = station ? kStationKeyCount : kNetworkKeyCount - 1;
  for (int i = 0; i < keySlots; ++i) {
    auto* box = new QCheckBox(keyGroup_);
    box->setObjectName(QString("Key%1").arg(i + 1));
    connect(box, &QCheckBox::clicked, this, [this, i] { KeyClick(i); });
    keys->addWidget(box);
    keyBoxes_.push_back(box);
  }
  auto* allRow = new QHBoxLayout;
  for (auto [name, caption, what] :
       {std::tuple{"OnBtn", "On", AllKeys::kOn}, std::tuple{"OffBtn", "Off", AllKeys::kOff},
        std::tuple{"InvBtn", "Inv", AllKeys::kInvert}}) {
    auto* b = new QPushButton(caption, keyGroup_);
    b->setObjectName(name);
    b->setMaximumWidth(40);
    connect(b, &QPushButton::clicked, this, [this, what] { AllKeysClick(what); });
    allRow->addWidget(b);
  }
  keys->addLayout(allRow);
  side->addWidget(keyGroup_);

  auto* destBox = new QGroupBox("Destination", page);
  destBox->setObjectName("DestinationRadioGroup");
  auto* dests = new QVBoxLayout(destBox);
  destinationGroup_ = new QButtonGroup(this);
  int id = 0;
  for (const char* caption : {"All", "Broadcast", "Non-Broadcast"}) {
    auto* b = new QRadioButton(caption, destBox);
    destinationGroup_->addButton(b, id++);
    dests->addWidget(b);
  }
  destinationGroup_->button(0)->setChecked(true);
  connect(destinationGroup_, &QButtonGroup::idClicked, this, [this] { Refresh(); });
  side->addWidget(destBox);

  densityPanel_ = new QWidget(page);
  densityPanel_->setObjectName("DensityPanel");
  auto* dens = new QGridLayout(densityPanel_);
  dens->setContentsMargins(0, 0, 0, 0);
  density_ = new QSlider(Qt::Horizontal, densityPanel_);
  density_->setObjectName("MapDensity");
  density_->setRange(1, kMapDensityMax);
  density_->setValue(kMapDensityMax);
  density_->setTickPosition(QSlider::TicksBelow);
  dens->addWidget(new QLabel("Map Density", densityPanel_), 0, 0, 1, 2);
  dens->addWidget(density_, 1, 0, 1, 2);
  dens->addWidget(new QLabel("Less", densityPanel_), 2, 0, Qt::AlignLeft);
  dens->addWidget(new QLabel("More", densityPanel_), 2, 1, Qt::AlignRight);
  connect(density_, &QSlider::valueChanged, this, [this] { Refresh(); });
  densityPanel_->hide();
  side->addWidget(densityPanel_);

  mapSmartNames_ = new QCheckBox("SmartNames", page);
  mapSmartNames_->setObjectName("SmartNames");
  mapSmartNames_->setChecked(true);
  mapShowOui_ = new QCheckBox(station ? "Show OUI" : "Show IPX OUI", page);
  mapShowOui_->setObjectName(station ? "ShowOUI" : "ShowIPXOUI");
  for (QCheckBox* b : {mapSmartNames_, mapShowOui_}) {
    connect(b, &QCheckBox::clicked, this, [this] { map_->update(); });
    side->addWidget(b);
  }
  side->addStretch();
  auto* copy = new QToolButton(page);
  copy->setObjectName("CopyGraphicBtn");
  copy->setIcon(MakeIcon(Picture::Copy));
  copy->setIconSize(QSize(20, 20));
  copy->setToolTip("Copy graphic to clipboard");
  connect(copy, &QToolButton::clicked, this, &TPeerMapForm::CopyGraphicClick);
  side->addWidget(copy, 0, Qt::AlignRight);
}

void TPeerMapForm::BuildStatisticsPage() {
  const bool station = kind_ == PeerMapKind::kStation;
  auto* page = new QWidget(pages_);
  page->setObjectName("StatisticsTabSheet");
  pages_->addTab(page, "Statistics");
  auto* col = new QVBoxLayout(page);
  col->setContentsMargins(2, 2, 2, 2);
  auto* bar = new QHBoxLayout;
  auto* select = new QPushButton("&Select Stations...", page);
  select->setObjectName("SelStnBtn");
  connect(select, &QPushButton::clicked, this, &TPeerMapForm::SelStnBtnClick);
  bar->addWidget(select);
  for (auto [name, hint, ascending] : {std::tuple{"SortAscendingBtn", "Sort Ascending", true},
                                       std::tuple{"SortDescendingBtn", "Sort Descending", false}}) {
    auto* b = new QToolButton(page);
    b->setObjectName(name);
    b->setText(ascending ? "A-Z" : "Z-A");
    b->setToolTip(hint);
    connect(b, &QToolButton::clicked, this, [this, ascending] { SortClick(ascending); });
    bar->addWidget(b);
  }
  gridSmartNames_ = new QCheckBox("SmartNames", page);
  gridSmartNames_->setObjectName("StatSmartNames");
  gridSmartNames_->setChecked(true);
  gridShowOui_ = new QCheckBox(station ? "Show OUI" : "Show IPX Node by OUI", page);
  gridShowOui_->setObjectName(station ? "StatShowOUI" : "ShowIPXNodebyOUI");
  for (QCheckBox* b : {gridSmartNames_, gridShowOui_}) {
    connect(b, &QCheckBox::clicked, this, [this] {
      RelabelPeerGridRows(graph_, LabelOptions(false), gridModel_->Rows());
      gridModel_->Changed();
    });
    bar->addWidget(b);
  }
  bar->addStretch();
  auto* copy = new QToolButton(page);
  copy->setObjectName("CopyTableBtn");
  copy->setIcon(MakeIcon(Picture::Copy));
  copy->setIconSize(QSize(20, 20));
  copy->setToolTip("Copy selected portion of table to clipboard");
  connect(copy, &QToolButton::clicked, this, &TPeerMapForm::CopyTableClick);
  bar->addWidget(copy);
  col->addLayout(bar);

  grid_ = new QTableView(page);
  grid_->setObjectName("StnGrid");
  gridModel_ = new PeerGridModel(kind_, this);
  grid_->setModel(gridModel_);
  MakeStringGrid(*grid_);
  grid_->horizontalHeader()->setSectionsMovable(true);
  grid_->horizontalHeader()->resizeSection(0, grid_->fontMetrics().horizontalAdvance("FFFFFFFFFFFF") + 2 + 16);
  connect(grid_, &QTableView::doubleClicked, this, [this] {
    SortClick(sortAscending_);
    sortAscending_ = !sortAscending_;
  });
  col->addWidget(grid_, 1);
}

int TPeerMapForm::KeyCount() const { return static_cast<int>(PeerMapKeys(kind_, mode_, graph_.Medium).size()); }

PeerMapOptions TPeerMapForm::MapOptions() const {
  PeerMapOptions o;
  o.Mode = mode_;
  o.Keys = keys_[static_cast<size_t>(mode_)];
  o.Destination = static_cast<DestinationFilter>(std::max(0, destinationGroup_->checkedId()));
  o.Density = density_->value();
  return o;
}

PeerLabelOptions TPeerMapForm::LabelOptions(bool map) const {
  const QCheckBox* smart = map ? mapSmartNames_ : gridSmartNames_;
  const QCheckBox* oui = map ? mapShowOui_ : gridShowOui_;
  return {smart->isChecked(), oui->isChecked() && oui->isEnabled(), vendors_};
}

void TPeerMapForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void TPeerMapForm::hideEvent(QHideEvent* event) {
  SaveColumnOrder();
  QWidget::hideEvent(event);
}

void TPeerMapForm::FormActivate() {
  const PeerMapTrace trace = source_ ? source_() : PeerMapTrace{};
  const bool station = kind_ == PeerMapKind::kStation;
  setWindowTitle(QString(station ? "Station - " : "Network - ") + QFileInfo(trace.fileName).fileName());
  if (hasTrace_ && trace.serial == serial_) return;
  serial_ = trace.serial;
  hasTrace_ = true;
  vendors_ = trace.vendors;
  vendorsLoaded_ = trace.vendorsLoaded && trace.vendors != nullptr;
  graph_ = PeerGraph{};
  graph_.Kind = kind_;
  if (trace.model && trace.statistics)
    graph_ = station ? BuildStationGraph(*trace.model, *trace.statistics)
                     : BuildNetworkGraph(*trace.model, *trace.statistics);

  clickedNode_ = -1;
  keys_.fill(kAllKeysChecked);
  const QStringList captions = ModeCaptions(kind_, graph_.Medium);
  for (int m = 0; m < kPeerMapModes; ++m) modeGroup_->button(m)->setText(captions[m]);
  bool ipSent = false;
  bool ipxSent = false;
  for (const PeerNode& n : graph_.Nodes) {
    ipSent = ipSent || (n.Sent && n.Category == kCatIp);
    ipxSent = ipxSent || (n.Sent && (n.Category == kCatIpx || n.Category == kCatNetBiosIpx));
  }
  if (station) {
    mode_ = kIdEncapsulation;
  } else if (!ipSent && ipxSent) {
    mode_ = kModeIpx;
  } else if (!ipxSent) {
    mode_ = kModeIp;
  }
  modeGroup_->button(mode_)->setChecked(true);
  destinationGroup_->button(0)->setChecked(true);
  bool hasIpx = false;
  for (const PeerNode& n : graph_.Nodes) hasIpx = hasIpx || n.Address.Length == kIpxKeyLength;
  for (QCheckBox* oui : {mapShowOui_, gridShowOui_}) {
    oui->setChecked(vendorsLoaded_);
    oui->setEnabled(vendorsLoaded_);
    if (!station) oui->setVisible(hasIpx);
  }
  view_ = InitialView(graph_, mode_);
  pages_->setCurrentIndex(0);
  FillGrid();
  ShowKeys();
  Refresh();
}

void TPeerMapForm::FillGrid() {
  gridModel_->SetHighlight(-1);
  gridModel_->SetRows(BuildPeerGridRows(graph_, LabelOptions(false), LocaleThousandsSeparator()), view_.Viewable);
  grid_->resizeColumnsToContents();
}

void TPeerMapForm::ShowKeys() {
  const std::vector<PeerMapKey> keys = PeerMapKeys(kind_, mode_, graph_.Medium);
  const KeyStates& states = keys_[static_cast<size_t>(mode_)];
  for (size_t i = 0; i < keyBoxes_.size(); ++i) {
    QCheckBox* box = keyBoxes_[i];
    const bool used = i < keys.size();
    box->setVisible(used);
    if (!used) continue;
    box->setText(Q(keys[i].Caption));
    box->setIcon(Swatch(keys[i].Color));
    box->setChecked(states[i]);
  }
  keyGroup_->setVisible(!keys.empty());
  // The map's OUI box names IPX nodes only.
  if (kind_ == PeerMapKind::kNetwork) mapShowOui_->setEnabled(vendorsLoaded_ && mode_ != kModeIp);
}

void TPeerMapForm::Refresh() {
  const MapSelection selection = SelectMap(graph_, view_, MapOptions());
  densityPanel_->setVisible(selection.DensityShown);
  map_->update();
}

void TPeerMapForm::ModeClick(int mode) {
  if (mode < 0 || mode >= kPeerMapModes) return;
  mode_ = mode;
  if (modeGroup_->checkedId() != mode) modeGroup_->button(mode)->setChecked(true);
  view_.Working = ApplyKeys(graph_, mode_, keys_[static_cast<size_t>(mode_)]);
  ShowKeys();
  Refresh();
}

void TPeerMapForm::KeyClick(int index) {
  if (index < 0 || index >= KeyCount()) return;
  KeyStates& states = keys_[static_cast<size_t>(mode_)];
  states[static_cast<size_t>(index)] = keyBoxes_[static_cast<size_t>(index)]->isChecked();
  view_.Working = ApplyKeys(graph_, mode_, states);
  Refresh();
}

void TPeerMapForm::AllKeysClick(AllKeys what) {
  KeyStates& states = keys_[static_cast<size_t>(mode_)];
  if (what == AllKeys::kInvert)
    InvertKeys(states, KeyCount());
  else
    SetAllKeys(states, KeyCount(), what == AllKeys::kOn);
  view_.Working = ApplyKeys(graph_, mode_, states);
  ShowKeys();
  Refresh();
}

void TPeerMapForm::SelStnBtnClick() {
  if (!dualList_) return;
  std::vector<DualListItem> shown;
  std::vector<DualListItem> hidden;
  for (const PeerGridRow& row : gridModel_->Rows()) {
    const DualListItem item{row.Cells.empty() ? QString() : ToQ(row.Cells[0]), row.Node};
    (view_.Viewable[static_cast<size_t>(row.Node)] ? shown : hidden).push_back(item);
  }
  dualList_->SetItems(shown, hidden);
  if (dualList_->exec() == QDialog::Accepted) ApplyViewable(dualList_->ShownIds(), dualList_->HiddenIds());
}

void TPeerMapForm::ApplyViewable(const std::vector<int>& shown, const std::vector<int>& hidden) {
  for (const auto& [ids, value] : {std::pair{&shown, uint8_t{1}}, std::pair{&hidden, uint8_t{0}}})
    for (int id : *ids)
      if (id >= 0 && static_cast<size_t>(id) < view_.Viewable.size() && graph_.Nodes[static_cast<size_t>(id)].Sent)
        view_.Viewable[static_cast<size_t>(id)] = value;
  std::vector<PeerGridRow> rows = std::move(gridModel_->Rows());
  gridModel_->SetRows(std::move(rows), view_.Viewable);
  Refresh();
}

void TPeerMapForm::SortClick(bool ascending) {
  const int column = std::max(0, grid_->currentIndex().column());
  std::vector<PeerGridRow>& rows = gridModel_->Rows();
  const size_t shown = static_cast<size_t>(gridModel_->Shown());
  std::vector<std::string_view> cells;
  for (size_t i = 0; i < shown; ++i) cells.push_back(rows[i].Cells[static_cast<size_t>(column)]);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::vector<size_t> order = GridSortOrder(cells, PeerGridColumnIsText(kind_, column), ascending,
                                                  LocaleThousandsSeparator(), LocaleDecimalSeparator());
  std::vector<PeerGridRow> sorted;
  sorted.reserve(rows.size());
  for (size_t i : order) sorted.push_back(std::move(rows[i]));
  for (size_t i = shown; i < rows.size(); ++i) sorted.push_back(std::move(rows[i]));
  emit gridModel_->layoutAboutToBeChanged();
  rows = std::move(sorted);
  emit gridModel_->layoutChanged();
  QApplication::restoreOverrideCursor();
}

void TPeerMapForm::CopyTableClick() {
  const QModelIndexList selected =
      grid_->selectionModel() ? grid_->selectionModel()->selectedIndexes() : QModelIndexList{};
  if (selected.isEmpty()) return;
  const QHeaderView* header = grid_->horizontalHeader();
  int left = INT32_MAX, right = -1, top = INT32_MAX, bottom = -1;
  for (const QModelIndex& i : selected) {
    const int visual = header->visualIndex(i.column());
    left = std::min(left, visual);
    right = std::max(right, visual);
    top = std::min(top, i.row() + 1);
    bottom = std::max(bottom, i.row() + 1);
  }
  const std::vector<std::string_view> headings = PeerGridHeadings(kind_);
  const auto& rows = gridModel_->Rows();
  SetClipboardText(GridCopyText(left, top, right, bottom, gridModel_->columnCount(), gridModel_->Shown(),
                                [&](int row, int visual) -> std::string_view {
                                  const size_t c = static_cast<size_t>(header->logicalIndex(visual));
                                  if (row == 0) return headings[c];
                                  return rows[static_cast<size_t>(row - 1)].Cells[c];
                                }));
}

void TPeerMapForm::CopyGraphicClick() { QApplication::clipboard()->setPixmap(map_->grab()); }

void TPeerMapForm::LabelClick(int node, const QPoint& globalPos, bool showMenu) {
  if (node < 0 || static_cast<size_t>(node) >= graph_.Nodes.size() || !graph_.Nodes[static_cast<size_t>(node)].Sent)
    return;
  clickedNode_ = node;
  map_->update();
  const PeerNode& n = graph_.Nodes[static_cast<size_t>(node)];
  statisticsItem_->setEnabled(gridModel_->RowOf(node) >= 0);
  if (dlcItem_) dlcItem_->setText(ToQ(DlcInfoCaption(n, vendors_)));
  if (showMenu) popup_->popup(globalPos + QPoint(8, 0));
}

void TPeerMapForm::StatisticsClick() {
  const int row = gridModel_->RowOf(clickedNode_);
  if (row < 0) return;
  pages_->setCurrentIndex(1);
  gridModel_->SetHighlight(clickedNode_);
  grid_->scrollTo(gridModel_->index(row, 0));
}

void TPeerMapForm::SetToolboxAvailable(bool available) {
  toolboxAvailable_ = available;
  if (!toolboxItem_) return;
  toolboxItem_->setEnabled(available);
  toolboxItem_->setToolTip(available ? QString() : kToolboxMissingTip);
}

void TPeerMapForm::ToolboxClick() {
  if (!toolboxAvailable_ || clickedNode_ < 0 || static_cast<size_t>(clickedNode_) >= graph_.Nodes.size()) return;
  const PeerNode& n = graph_.Nodes[static_cast<size_t>(clickedNode_)];
  const ToolboxAddressTexts texts = ToolboxTexts(n, vendors_);
  emit ToolboxRequested({n.Address, AddressKey{}, ToQ(texts.Text), ToQ(texts.VendorText)});
}

// ---- Column order

std::vector<int> TPeerMapForm::ColumnOrder() const {
  std::vector<int> order;
  const QHeaderView* header = grid_->horizontalHeader();
  for (int v = 0; v < ColumnCount(kind_); ++v) order.push_back(header->logicalIndex(v) + 1);
  return order;
}

void TPeerMapForm::SetColumnOrder(const std::vector<int>& order) {
  QHeaderView* header = grid_->horizontalHeader();
  for (int v = 0; v < static_cast<int>(order.size()); ++v)
    header->moveSection(header->visualIndex(order[static_cast<size_t>(v)] - 1), v);
}

void TPeerMapForm::SetColumnOrderFile(const QString& path) {
  columnFile_ = path;
  LoadColumnOrder();
}

void TPeerMapForm::LoadColumnOrder() {
  QSettings ini(columnFile_, QSettings::IniFormat);
  const QVariant value = ini.value(Section(kind_) + "/" + Q(kColumnOrderKey));
  // A value written by hand without quotes reads as a list of its comma-separated parts.
  const QString text = value.typeId() == QMetaType::QStringList ? value.toStringList().join(',') : value.toString();
  SetColumnOrder(ParseColumnOrder(ToStd(text), ColumnCount(kind_)));
}

void TPeerMapForm::SaveColumnOrder() const {
  if (columnFile_.isEmpty()) return;
  QDir().mkpath(QFileInfo(columnFile_).absolutePath());
  // A folder that cannot be written leaves the order unsaved, quietly.
  QSettings ini(columnFile_, QSettings::IniFormat);
  ini.setValue(Section(kind_) + "/" + Q(kColumnOrderKey), ToQ(FormatColumnOrder(ColumnOrder())));
  ini.sync();
}

}  // namespace corvanta::ui

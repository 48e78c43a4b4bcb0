#include "ui/analysis/WhatIfForm.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/analysis/AnalysisHalf.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

struct EditPlan {
  const char* name;
  const char* caption;
  const char* hint;
  WhatIfRange range;
};

const EditPlan kEdits[] = {
    {"AveSend", "Ave Send Packet Size", "", {64, 1518}},
    {"AveRcv", "Ave Receive Packet Size", "", {64, 1518}},
    {"Latency", "Latency (ms)", "", kWhatIfDelayRange},
    {"Contention", "Contention (ms)", "", kWhatIfDelayRange},
    {"SendRatio", "Packet Send", "", kWhatIfRatioRange},
    {"RcvRatio", "to Receive Ratio", "", kWhatIfRatioRange},
    {"Users", "Simultaneous Users", "", kWhatIfUsersRange},
    {"PktsTrans", "Packets Per Transaction", "", kWhatIfPacketsRange},
    {"Client", "Client Processing (ms)", "Addtional Client Processing Time", kWhatIfDelayRange},
    {"Host", "Host Processing (ms)", "Additional Host Processing Time", kWhatIfDelayRange},
};

}  // namespace

TWhatIfAnalysisForm::TWhatIfAnalysisForm(AnalysisHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("WhatIfAnalysisForm");
  setWindowTitle("Load & Response Time Analysis for");
  auto* top = new QVBoxLayout(this);
  sourceTitle_ = new QLabel(this);
  sourceTitle_->setObjectName("SourceToDestination");
  destinationTitle_ = new QLabel(this);
  destinationTitle_->setObjectName("DestinationToSource");
  top->addWidget(sourceTitle_);
  top->addWidget(destinationTitle_);

  auto* body = new QHBoxLayout;
  auto* editGrid = new QGridLayout;
  int row = 0;
  for (const EditPlan& e : kEdits) {
    auto* label = new QLabel(e.caption, this);
    auto* edit = new QSpinBox(this);
    edit->setObjectName(e.name);
    edit->setRange(e.range.Min, e.range.Max);
    edit->setKeyboardTracking(false);
    if (*e.hint) {
      label->setToolTip(e.hint);
      edit->setToolTip(e.hint);
    }
    editGrid->addWidget(label, row, 0);
    editGrid->addWidget(edit, row, 1);
    edits_.push_back(edit);
    ++row;
  }
  fullDuplex_ = new QCheckBox("Full Duplex", this);
  fullDuplex_->setObjectName("FullDuplex");
  fullDuplex_->setChecked(true);
  editGrid->addWidget(fullDuplex_, row++, 0, 1, 2);
  restore_ = new QPushButton("&Restore Original Values", this);
  restore_->setObjectName("Button1");
  editGrid->addWidget(restore_, row++, 0, 1, 2);
  copy_ = new QToolButton(this);
  copy_->setObjectName("SpeedBtn");
  copy_->setIcon(MakeIcon(Picture::Copy));
  copy_->setToolTip("Copy selected portion of table to clipboard");
  editGrid->addWidget(copy_, row++, 0);
  editGrid->setRowStretch(row, 1);
  body->addLayout(editGrid);

  grid_ = new QTableWidget(this);
  grid_->setObjectName("RespGrid");
  grid_->setColumnCount(static_cast<int>(kWhatIfHeaders.size()));
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(20);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->horizontalHeader()->setStyleSheet(
      "QHeaderView::section { background-color: #008080; color: white; border: 1px solid #c0c0c0; }");
  QStringList headers;
  for (size_t c = 0; c < kWhatIfHeaders.size(); ++c) {
    headers << QString::fromUtf8(kWhatIfHeaders[c].data(), static_cast<int>(kWhatIfHeaders[c].size()));
    grid_->setColumnWidth(static_cast<int>(c), kWhatIfColumnWidths[c]);
  }
  grid_->setHorizontalHeaderLabels(headers);
  body->addWidget(grid_, 1);
  top->addLayout(body, 1);
  resize(920, 560);

  for (QSpinBox* edit : edits_) {
    const QString name = edit->objectName();
    if (name == "SendRatio" || name == "RcvRatio" || name == "PktsTrans")
      connect(edit, &QSpinBox::valueChanged, this, &TWhatIfAnalysisForm::RatioChange);
    else
      connect(edit, &QSpinBox::valueChanged, this, &TWhatIfAnalysisForm::Recalculate);
  }
  connect(fullDuplex_, &QCheckBox::toggled, this, &TWhatIfAnalysisForm::Recalculate);
  connect(restore_, &QPushButton::clicked, this, &TWhatIfAnalysisForm::RestoreOriginalValues);
  connect(copy_, &QToolButton::clicked, this, [this] { CopyText(CopySelection()); });
}

QSpinBox* TWhatIfAnalysisForm::Edit(const char* name) const {
  for (QSpinBox* e : edits_)
    if (e->objectName() == name) return e;
  return nullptr;
}

WhatIfInputs TWhatIfAnalysisForm::Inputs() const {
  WhatIfInputs in;
  in.AveSend = Edit("AveSend")->value();
  in.AveRcv = Edit("AveRcv")->value();
  in.Latency = Edit("Latency")->value();
  in.Contention = Edit("Contention")->value();
  in.SendRatio = Edit("SendRatio")->value();
  in.RcvRatio = Edit("RcvRatio")->value();
  in.Users = Edit("Users")->value();
  in.PktsTrans = Edit("PktsTrans")->value();
  in.Client = Edit("Client")->value();
  in.Host = Edit("Host")->value();
  in.FullDuplex = fullDuplex_->isChecked();
  return in;
}

void TWhatIfAnalysisForm::Seed(const LatencySeed& seed, const SelectionTexts& texts) {
  seed_ = seed;
  texts_ = texts;
  seedPending_ = true;
  if (isVisible()) FormActivate();
}

void TWhatIfAnalysisForm::RestoreOriginalValues() {
  if (!seed_) return;
  const TraceContext trace = host_.Trace();
  const WhatIfRange sizes = WhatIfSizeRange(trace.topology);
  const WhatIfInputs in = SeedWhatIf(*seed_, trace.topology, fullDuplex_->isChecked());
  seeding_ = true;
  for (const char* name : {"AveSend", "AveRcv"}) Edit(name)->setRange(sizes.Min, sizes.Max);
  const std::pair<const char*, int> values[] = {
      {"AveSend", in.AveSend},     {"AveRcv", in.AveRcv},     {"Latency", in.Latency}, {"Contention", in.Contention},
      {"SendRatio", in.SendRatio}, {"RcvRatio", in.RcvRatio}, {"Users", in.Users},     {"PktsTrans", in.PktsTrans},
      {"Client", in.Client},       {"Host", in.Host}};
  for (const auto& [name, value] : values) Edit(name)->setValue(value);
  seeding_ = false;
  setWindowTitle("Load & Response Time Analysis for " + ToQ(texts_.App));
  sourceTitle_->setText(ToQ("Sender: " + texts_.Source + "  Responder: " + texts_.Destination));
  destinationTitle_->setText(ToQ("Sender: " + texts_.Destination + "  Responder: " + texts_.Source));
  sourceTitle_->setStyleSheet("color: #0000FF;");
  destinationTitle_->setStyleSheet("color: #008080;");
  Recalculate();
}

void TWhatIfAnalysisForm::RatioChange() {
  if (seeding_) return;
  WhatIfInputs in = Inputs();
  RaisePacketsPerTransaction(in);
  if (in.PktsTrans != Edit("PktsTrans")->value()) {
    const QSignalBlocker block(Edit("PktsTrans"));
    Edit("PktsTrans")->setValue(in.PktsTrans);
  }
  Recalculate();
}

void TWhatIfAnalysisForm::Recalculate() {
  if (seeding_) return;
  rows_ = WhatIfTable(Inputs(), LocaleThousandsSeparator(), LocaleDecimalSeparator());
  grid_->setRowCount(static_cast<int>(rows_.size()) - 1);
  static const QFont kCourier("Courier", 10);
  for (size_t r = 1; r < rows_.size(); ++r) {
    for (size_t c = 0; c < rows_[r].size(); ++c) {
      auto* item = new QTableWidgetItem(ToQ(rows_[r][c]));
      item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setFont(kCourier);
      // Grid rows count the header as row 0: odd rows white, even ones aqua.
      item->setBackground(r % 2 == 1 ? QColor(Qt::white) : QColor(0, 255, 255));
      grid_->setItem(static_cast<int>(r - 1), static_cast<int>(c), item);
    }
  }
  // The design widths, widened where the fixed-pitch font needs more.
  grid_->resizeColumnsToContents();
  for (size_t c = 0; c < kWhatIfColumnWidths.size(); ++c) {
    const int column = static_cast<int>(c);
    grid_->setColumnWidth(column, std::max(kWhatIfColumnWidths[c], grid_->columnWidth(column) + 6));
  }
}

std::string TWhatIfAnalysisForm::CopySelection() const {
  const QList<QTableWidgetSelectionRange> ranges = grid_->selectedRanges();
  if (ranges.isEmpty()) return {};
  const QTableWidgetSelectionRange& s = ranges.first();
  return WhatIfCopyText(rows_, s.leftColumn(), s.topRow() + 1, s.rightColumn(), s.bottomRow() + 1);
}

void TWhatIfAnalysisForm::FormActivate() {
  host_.SetTips(kWhatIfTips);
  if (!seedPending_) return;
  seedPending_ = false;
  RestoreOriginalValues();
}

void TWhatIfAnalysisForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void TWhatIfAnalysisForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow()) FormActivate();
}

void TWhatIfAnalysisForm::closeEvent(QCloseEvent* event) {
  host_.RestoreTips();
  QWidget::closeEvent(event);
}

}  // namespace corvanta::ui

#include "ui/main/FileSummaryPage.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

QLabel* MakeLabel(const QString& text, const QString& hint, QWidget* parent, Qt::Alignment align = Qt::AlignLeft) {
  auto* label = new QLabel(text, parent);
  if (!hint.isEmpty()) label->setToolTip(hint);
  label->setAlignment(align | Qt::AlignVCenter);
  return label;
}

QLabel* Heading(const QString& text, const QString& hint, QWidget* parent) {
  QLabel* label = MakeLabel(text, hint, parent, Qt::AlignHCenter);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

}  // namespace

QLineEdit* TFileSummaryPage::AddBox(const QString& name) {
  auto* box = new QLineEdit(this);
  box->setObjectName(name);
  box->setReadOnly(true);
  box->setFocusPolicy(Qt::ClickFocus);
  box->setAlignment(Qt::AlignRight);
  box->setText("0");
  box->setMinimumWidth(box->fontMetrics().horizontalAdvance("99,999,999") + 12);
  return box;
}

QProgressBar* TFileSummaryPage::AddBar(const QString& name) {
  auto* bar = new QProgressBar(this);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setFixedHeight(14);
  bar->setMinimumWidth(40);
  return bar;
}

TFileSummaryPage::TFileSummaryPage(QWidget* parent) : QWidget(parent) {
  setObjectName("FileSummaryTabSheet");
  auto* grid = new QGridLayout(this);

  // File Attributes.
  auto* attributes = new QGroupBox("File Attributes", this);
  attributes->setObjectName("GroupBox7");
  auto* form = new QFormLayout(attributes);
  const std::pair<const char*, const char*> attributeRows[] = {
      {"Analyzer", "FileAnalyzerTextBox"}, {"Interface", "FileTopologyTextBox"}, {"Bandwidth", "FileBandwidthTextBox"},
      {"File Date", "FileDateTextBox"},    {"File Size", "FileSizeTextBox"},     {"Duration", "FileDurationTextBox"},
      {"Comment", "FileComment"}};
  for (const auto& [label, name] : attributeRows) {
    QLineEdit* box = AddBox(name);
    box->setAlignment(Qt::AlignLeft);
    box->setMinimumWidth(200);
    form->addRow(label, box);
  }
  grid->addWidget(attributes, 0, 0);

  // Frame Statistics.
  auto* frames = new QGroupBox("Frame Statistics", this);
  frames->setObjectName("GroupBox2");
  auto* fs = new QGridLayout(frames);
  const QString framesHint = "Packets addressed to individual stations";
  fs->addWidget(Heading("Frames", framesHint, frames), 0, 1, 1, 2);
  fs->addWidget(Heading("Bytes", framesHint, frames), 0, 3, 1, 2);
  fs->addWidget(Heading("Ave Size", "Average packet size (in bytes)", frames), 0, 5);
  fs->addWidget(Heading("Largest", "Largest packet (in bytes)", frames), 0, 6);
  fs->addWidget(MakeLabel("Station", "Packets sent to individual stations", frames), 1, 0);
  multicastLabel_ = MakeLabel("Multicast", "Packets sent to a group address", frames);
  multicastLabel_->setObjectName("MulticastLabel");
  fs->addWidget(multicastLabel_, 2, 0);
  fs->addWidget(MakeLabel("Broadcast", "Packets addressed to all stations", frames), 3, 0);
  fs->addWidget(MakeLabel("Total", "Total packets in trace file", frames), 4, 0);
  const char* rows[3][6] = {{"UnicastTextBox", "UnicastPct", "UnicastBytesTextBox", "UnicastPctBytes",
                             "AveUnicastTextBox", "LargestUnicastTextBox"},
                            {"MulticastTextBox", "MulticastPct", "MulticastBytesTextBox", "MulticastPctBytes",
                             "AveMulticastTextBox", "LargestMulticastTextBox"},
                            {"BroadcastTextBox", "BroadcastPct", "BroadcastBytesTextBox", "BroadcastPctBytes",
                             "AveBroadcastTextBox", "LargestBroadcastTextBox"}};
  for (int r = 0; r < 3; ++r) {
    fs->addWidget(AddBox(rows[r][0]), r + 1, 1);
    fs->addWidget(AddBar(rows[r][1]), r + 1, 2);
    fs->addWidget(AddBox(rows[r][2]), r + 1, 3);
    fs->addWidget(AddBar(rows[r][3]), r + 1, 4);
    fs->addWidget(AddBox(rows[r][4]), r + 1, 5);
    fs->addWidget(AddBox(rows[r][5]), r + 1, 6);
  }
  fs->addWidget(AddBox("TotalPacketsTextBox"), 4, 1);
  fs->addWidget(AddBox("TotalBytesTextBox"), 4, 3);
  checksumOffload_ = new QLabel(frames);
  checksumOffload_->setObjectName("ChecksumOffloadLabel");
  checksumOffload_->setWordWrap(true);
  checksumOffload_->hide();
  fs->addWidget(checksumOffload_, 5, 0, 1, 7);
  fs->setRowStretch(6, 1);
  grid->addWidget(frames, 0, 1);

  // Media Utilization.
  mediaGroup_ = new QGroupBox("Media Utilization (based on 10 Mbps)", this);
  mediaGroup_->setObjectName("GroupBox1");
  auto* mu = new QGridLayout(mediaGroup_);
  auto* selection = new QWidget(mediaGroup_);
  selection->setObjectName("MediaUtilSelection");
  auto* selLayout = new QHBoxLayout(selection);
  selLayout->setContentsMargins(0, 0, 0, 0);
  mediaSelection_ = new QButtonGroup(this);
  auto* allFrames = new QRadioButton("All Frames", selection);
  auto* broadcastOnly = new QRadioButton("Broadcast Only", selection);
  mediaSelection_->addButton(allFrames, 0);
  mediaSelection_->addButton(broadcastOnly, 1);
  allFrames->setChecked(true);
  selLayout->addWidget(allFrames);
  selLayout->addWidget(broadcastOnly);
  selLayout->addStretch();
  mu->addWidget(selection, 0, 0, 1, 4);
  mu->addWidget(Heading("Bandwidth", {}, mediaGroup_), 1, 1);
  mu->addWidget(Heading("Bytes/Sec", {}, mediaGroup_), 1, 2);
  mu->addWidget(Heading("Frms/Sec", {}, mediaGroup_), 1, 3);
  mu->addWidget(MakeLabel("Average", "Average bandwdith consumed", mediaGroup_), 2, 0);
  mu->addWidget(MakeLabel("Peak", "Peak bandwidth in one second", mediaGroup_), 3, 0);
  mu->addWidget(AddBox("AveBandwidthTextBox"), 2, 1);
  mu->addWidget(AddBox("AveBpsTextBox"), 2, 2);
  mu->addWidget(AddBox("AvePpsTextBox"), 2, 3);
  mu->addWidget(AddBox("PeakBandwidthTextBox"), 3, 1);
  mu->addWidget(AddBox("PeakBpsTextBox"), 3, 2);
  mu->addWidget(AddBox("PeakPpsTextBox"), 3, 3);
  mu->setRowStretch(4, 1);
  connect(mediaSelection_, &QButtonGroup::idClicked, this, [this](int) { emit MediaUtilSelectionClick(); });
  grid->addWidget(mediaGroup_, 1, 0);

  // DLC Encapsulation Types.
  auto* encaps = new QGroupBox("DLC Encapsulation Types", this);
  encaps->setObjectName("GroupBox3");
  auto* en = new QGridLayout(encaps);
  llcLabel_ = MakeLabel("LLC", "802.3 w/802.2 Logical Link Control", encaps);
  snapLabel_ = MakeLabel("SNAP", "802.3 w/802.2 SubNetwork Access Point", encaps);
  etypeLabel_ = MakeLabel("Etype", "Ethernet II", encaps);
  etypeLabel_->setObjectName("Etypee");
  novRawLabel_ = MakeLabel("Novell Raw", "802.3 w/o LLC", encaps);
  novRawLabel_->setObjectName("NovRaw");
  const std::tuple<QLabel*, const char*, const char*> encapRows[] = {{llcLabel_, "LLCTextBox", "LLCPct"},
                                                                     {snapLabel_, "SNAPTextBox", "SnapPct"},
                                                                     {etypeLabel_, "ETypeTextBox", "EtypePct"},
                                                                     {novRawLabel_, "NovellRawTextBox", "NovRawPct"}};
  int r = 0;
  for (const auto& [label, box, bar] : encapRows) {
    en->addWidget(label, r, 0);
    en->addWidget(AddBox(box), r, 1);
    en->addWidget(AddBar(bar), r, 2);
    ++r;
  }
  en->setRowStretch(r, 1);
  en->setColumnStretch(2, 1);
  grid->addWidget(encaps, 1, 1);
  grid->setRowStretch(2, 1);
  grid->setColumnStretch(1, 1);

  ClearFileAttributes();
}

QLineEdit* TFileSummaryPage::TextBox(const QString& name) const { return findChild<QLineEdit*>(name); }
QProgressBar* TFileSummaryPage::Bar(const QString& name) const { return findChild<QProgressBar*>(name); }

void TFileSummaryPage::ClearFileAttributes() {
  for (const char* name : {"FileAnalyzerTextBox", "FileTopologyTextBox", "FileBandwidthTextBox", "FileDateTextBox",
                           "FileSizeTextBox", "FileComment"})
    TextBox(name)->clear();
  TextBox("FileDurationTextBox")->setText(kNoDurationText);
}

void TFileSummaryPage::SetFileAttributes(const FileAttributeTexts& t) {
  TextBox("FileAnalyzerTextBox")->setText(t.analyzer);
  TextBox("FileTopologyTextBox")->setText(t.interfaceName);
  TextBox("FileBandwidthTextBox")->setText(t.bandwidth);
  TextBox("FileDateTextBox")->setText(t.date);
  TextBox("FileSizeTextBox")->setText(t.size);
  TextBox("FileDurationTextBox")->setText(t.duration);
  TextBox("FileComment")->setText(t.comment);
  for (const char* name : {"FileAnalyzerTextBox", "FileDateTextBox", "FileComment"})
    TextBox(name)->setCursorPosition(0);
}

void TFileSummaryPage::SetFileBandwidth(const QString& text) { TextBox("FileBandwidthTextBox")->setText(text); }

void TFileSummaryPage::FillRow(const FrameStatisticsRow& row, const QString& frames, const QString& framePct,
                               const QString& bytes, const QString& bytePct, const QString& ave,
                               const QString& largest) {
  TextBox(frames)->setText(ToQ(row.frames));
  Bar(framePct)->setValue(std::clamp(row.framePercent, 0, 100));
  TextBox(bytes)->setText(ToQ(row.bytes));
  Bar(bytePct)->setValue(std::clamp(row.bytePercent, 0, 100));
  TextBox(ave)->setText(ToQ(row.averageSize));
  TextBox(largest)->setText(ToQ(row.largest));
}

void TFileSummaryPage::ShowFrameStatistics(const FrameStatistics& s) {
  multicastLabel_->setText(ToQ(s.multicastLabel));
  FillRow(s.station, "UnicastTextBox", "UnicastPct", "UnicastBytesTextBox", "UnicastPctBytes", "AveUnicastTextBox",
          "LargestUnicastTextBox");
  FillRow(s.multicast, "MulticastTextBox", "MulticastPct", "MulticastBytesTextBox", "MulticastPctBytes",
          "AveMulticastTextBox", "LargestMulticastTextBox");
  FillRow(s.broadcast, "BroadcastTextBox", "BroadcastPct", "BroadcastBytesTextBox", "BroadcastPctBytes",
          "AveBroadcastTextBox", "LargestBroadcastTextBox");
  TextBox("TotalPacketsTextBox")->setText(ToQ(s.totalFrames));
  TextBox("TotalBytesTextBox")->setText(ToQ(s.totalBytes));
}

void TFileSummaryPage::ShowChecksumOffload(const QString& text) {
  checksumOffload_->setText(text);
  checksumOffload_->setVisible(!text.isEmpty());
}

void TFileSummaryPage::ShowMediaUtilization(const MediaUtilization& u) {
  mediaGroup_->setTitle(ToQ(u.caption));
  TextBox("AveBandwidthTextBox")->setText(ToQ(u.averageBandwidth));
  TextBox("PeakBandwidthTextBox")->setText(ToQ(u.peakBandwidth));
  TextBox("AveBpsTextBox")->setText(ToQ(u.averageBytesPerSecond));
  TextBox("PeakBpsTextBox")->setText(ToQ(u.peakBytesPerSecond));
  TextBox("AvePpsTextBox")->setText(ToQ(u.averageFramesPerSecond));
  TextBox("PeakPpsTextBox")->setText(ToQ(u.peakFramesPerSecond));
}

void TFileSummaryPage::ShowEncapsulationTypes(const EncapsulationTypes& e) {
  const std::tuple<QLabel*, const EncapsulationRow*, const char*, const char*> rows[] = {
      {llcLabel_, &e.llc, "LLCTextBox", "LLCPct"},
      {snapLabel_, &e.snap, "SNAPTextBox", "SnapPct"},
      {etypeLabel_, &e.etype, "ETypeTextBox", "EtypePct"},
      {novRawLabel_, &e.novellRaw, "NovellRawTextBox", "NovRawPct"}};
  for (const auto& [label, row, box, bar] : rows) {
    label->setText(ToQ(row->label));
    label->setToolTip(ToQ(row->hint));
    TextBox(box)->setText(ToQ(row->count));
    Bar(bar)->setValue(std::clamp(row->percent, 0, 100));
    label->setVisible(row->visible);
    TextBox(box)->setVisible(row->visible);
    Bar(bar)->setVisible(row->visible);
  }
}

void TFileSummaryPage::SetMulticastLabel(const QString& text) { multicastLabel_->setText(text); }

bool TFileSummaryPage::BroadcastOnly() const { return mediaSelection_->checkedId() == 1; }

void TFileSummaryPage::SetBroadcastOnly(bool on) { mediaSelection_->button(on ? 1 : 0)->setChecked(true); }

}  // namespace corvanta::ui

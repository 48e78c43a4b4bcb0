#include "ui/main/FileSummaryPage.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <algorithm>

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
  // A count box keeps its natural width however wide the window.
  box->setFixedWidth(box->fontMetrics().horizontalAdvance("999,999,999") + 14);
  return box;
}

QProgressBar* TFileSummaryPage::AddBar(const QString& name, int width) {
  auto* bar = new QProgressBar(this);
  bar->setObjectName(name);
  bar->setRange(0, 100);
  bar->setValue(0);
  // The bar says its percent, so 1% does not read as an empty bar.
  bar->setTextVisible(true);
  bar->setFormat("%p%");
  bar->setAlignment(Qt::AlignCenter);
  bar->setFixedSize(std::max(width, bar->fontMetrics().horizontalAdvance("100%") + 16),
                    bar->fontMetrics().height() + 4);
  return bar;
}

TFileSummaryPage::TFileSummaryPage(QWidget* parent) : QWidget(parent) {
  setObjectName("FileSummaryTabSheet");
  grid_ = new QGridLayout(this);

  // File Attributes.
  auto* attributes = attributes_ = new QGroupBox("File Attributes", this);
  attributes->setObjectName("GroupBox7");
  auto* form = new QFormLayout(attributes);
  const std::pair<const char*, const char*> attributeRows[] = {
      {"Analyzer", "FileAnalyzerTextBox"}, {"Interface", "FileTopologyTextBox"}, {"Bandwidth", "FileBandwidthTextBox"},
      {"File Date", "FileDateTextBox"},    {"File Size", "FileSizeTextBox"},     {"Duration", "FileDurationTextBox"},
      {"Comment", "FileComment"}};
  const int attributeWidth = fontMetrics().horizontalAdvance("Wed, 30 Sep 2026 23:59:59.999") + 40;
  for (const auto& [label, name] : attributeRows) {
    QLineEdit* box = AddBox(name);
    box->setAlignment(Qt::AlignLeft);
    box->setFixedWidth(attributeWidth);
    form->addRow(label, box);
    // The capture's own start stands beside the file's date.
    if (QString(name) == "FileDateTextBox") {
      QLineEdit* first = AddBox("FirstFrameTextBox");
      first->setAlignment(Qt::AlignLeft);
      first->setFixedWidth(attributeWidth);
      first->setToolTip("Date and time of the first frame, as the analyzer recorded it");
      first->clear();
      auto* firstLabel = new QLabel("First Frame", attributes);
      firstLabel->setToolTip(first->toolTip());
      form->addRow(firstLabel, first);
    }
  }
  form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);

  // Frame Statistics.
  auto* frames = frames_ = new QGroupBox("Frame Statistics", this);
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
    // Frame sizes are short numbers: narrower boxes keep the table within small windows.
    for (int c = 4; c < 6; ++c) {
      QLineEdit* size = AddBox(rows[r][c]);
      size->setFixedWidth(size->fontMetrics().horizontalAdvance("999,999") + 14);
      fs->addWidget(size, r + 1, c + 1);
    }
    Bar(rows[r][1])->setToolTip("Percent of all frames");
    Bar(rows[r][3])->setToolTip("Percent of all bytes");
  }
  // The Station row's sizes are those of the whole trace.
  TextBox("AveUnicastTextBox")->setToolTip("Average size of all frames in the trace, group frames included");
  TextBox("LargestUnicastTextBox")->setToolTip("Largest of all frames in the trace, group frames included");
  fs->addWidget(AddBox("TotalPacketsTextBox"), 4, 1);
  fs->addWidget(AddBox("TotalBytesTextBox"), 4, 3);
  checksumOffload_ = new QLabel(frames);
  checksumOffload_->setObjectName("ChecksumOffloadLabel");
  checksumOffload_->setWordWrap(true);
  checksumOffload_->hide();
  fs->addWidget(checksumOffload_, 5, 0, 1, 7);
  fs->setRowStretch(6, 1);
  fs->setColumnStretch(7, 1);  // a group wider than its table keeps the table at the left

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
  mu->addWidget(Heading("Bandwidth", "Share of the bandwidth, measured second by second", mediaGroup_), 1, 1);
  mu->addWidget(Heading("Bytes/Sec",
                        "Average: all bytes divided by the seconds with traffic (gaps without frames do not "
                        "count); Peak: the most bytes in one second",
                        mediaGroup_),
                1, 2);
  mu->addWidget(Heading("Frms/Sec",
                        "Average: all frames divided by the seconds with traffic (gaps without frames do not "
                        "count); Peak: the most frames in one second",
                        mediaGroup_),
                1, 3);
  mu->addWidget(MakeLabel("Average", "Average bandwdith consumed", mediaGroup_), 2, 0);
  mu->addWidget(MakeLabel("Peak", "Peak bandwidth in one second", mediaGroup_), 3, 0);
  mu->addWidget(AddBox("AveBandwidthTextBox"), 2, 1);
  mu->addWidget(AddBox("AveBpsTextBox"), 2, 2);
  mu->addWidget(AddBox("AvePpsTextBox"), 2, 3);
  mu->addWidget(AddBox("PeakBandwidthTextBox"), 3, 1);
  mu->addWidget(AddBox("PeakBpsTextBox"), 3, 2);
  mu->addWidget(AddBox("PeakPpsTextBox"), 3, 3);
  graphButton_ = new QPushButton("Utilization Graph...", mediaGroup_);
  graphButton_->setObjectName("UtilizationGraphBtn");
  graphButton_->setToolTip("Utilization second by second over the whole capture");
  graphButton_->setEnabled(false);
  mu->addWidget(graphButton_, 4, 1, 1, 3, Qt::AlignRight);
  mu->setRowStretch(5, 1);
  connect(mediaSelection_, &QButtonGroup::idClicked, this, [this](int) { emit MediaUtilSelectionClick(); });
  connect(graphButton_, &QPushButton::clicked, this, &TFileSummaryPage::UtilizationGraphClick);

  // DLC Encapsulation Types.
  auto* encaps = encapsulations_ = new QGroupBox("DLC Encapsulation Types", this);
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
    en->addWidget(AddBar(bar, 160), r, 2);
    Bar(bar)->setToolTip("Percent of all frames");
    // A hidden row keeps its room, so the other rows stand where they stand on Ethernet.
    for (QWidget* w : std::initializer_list<QWidget*>{label, TextBox(box), Bar(bar)}) {
      QSizePolicy policy = w->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      w->setSizePolicy(policy);
    }
    ++r;
  }
  en->setRowStretch(r, 1);
  en->setColumnStretch(3, 1);
  // Wide windows leave the room at the right and below instead of stretching boxes and bars.
  grid_->setColumnStretch(2, 1);
  Arrange(false);

  ClearFileAttributes();
}

// Beside the file attributes when the page is wide enough for both; otherwise under all the
// other groups, across the page.
void TFileSummaryPage::Arrange(bool narrow) {
  narrow_ = narrow;
  for (QWidget* group : {static_cast<QWidget*>(attributes_), static_cast<QWidget*>(frames_),
                         static_cast<QWidget*>(mediaGroup_), static_cast<QWidget*>(encapsulations_)})
    grid_->removeWidget(group);
  grid_->addWidget(attributes_, 0, 0);
  grid_->addWidget(mediaGroup_, 1, 0);
  if (narrow) {
    grid_->addWidget(encapsulations_, 0, 1);
    grid_->addWidget(frames_, 2, 0, 1, 2);
  } else {
    grid_->addWidget(frames_, 0, 1);
    grid_->addWidget(encapsulations_, 1, 1);
  }
  grid_->setRowStretch(2, narrow ? 0 : 1);
  grid_->setRowStretch(3, narrow ? 1 : 0);
}

void TFileSummaryPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QMargins m = grid_->contentsMargins();
  const int wide = m.left() + attributes_->sizeHint().width() + std::max(0, grid_->horizontalSpacing()) +
                   frames_->sizeHint().width() + m.right();
  if ((event->size().width() < wide) != narrow_) Arrange(!narrow_);
}

QLineEdit* TFileSummaryPage::TextBox(const QString& name) const { return findChild<QLineEdit*>(name); }
QProgressBar* TFileSummaryPage::Bar(const QString& name) const { return findChild<QProgressBar*>(name); }

void TFileSummaryPage::ClearFileAttributes() {
  for (const char* name : {"FileAnalyzerTextBox", "FileTopologyTextBox", "FileBandwidthTextBox", "FileDateTextBox",
                           "FirstFrameTextBox", "FileSizeTextBox", "FileComment"})
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
  TextBox("FirstFrameTextBox")->setText(t.firstFrame);
  // A text longer than its box is read whole in the tooltip.
  TextBox("FileComment")->setToolTip(t.comment);
  TextBox("FileAnalyzerTextBox")->setToolTip(t.analyzer);
  for (const char* name : {"FileAnalyzerTextBox", "FileDateTextBox", "FirstFrameTextBox", "FileComment"})
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

void TFileSummaryPage::SetGraphAvailable(bool on) { graphButton_->setEnabled(on); }

void TFileSummaryPage::SetMulticastLabel(const QString& text) { multicastLabel_->setText(text); }

bool TFileSummaryPage::BroadcastOnly() const { return mediaSelection_->checkedId() == 1; }

void TFileSummaryPage::SetBroadcastOnly(bool on) { mediaSelection_->button(on ? 1 : 0)->setChecked(true); }

}  // namespace corvanta::ui

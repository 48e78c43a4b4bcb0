#include "ui/analysis/ThroughputForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/analysis/AnalysisHalf.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

HalfLabels ThroughputHalfLabels(bool lower) {
  const auto n = [lower](const char* upper, const char* other) { return lower ? other : upper; };
  return {n("SourceToDestination", "DestinationtoSource"),
          n("Memo1", "Memo2"),
          n("GroupBox1", "GroupBox4"),
          n("GroupBox3", "GroupBox2"),
          n("Image1", "Image2"),
          n("SpeedButton1", "SpeedButton2"),
          n("SpeedButton3", "SpeedButton4"),
          {{{n("MaxTP", "MaxTP2"), "Peak", "Maximum of Sampling over selected packet range"},
            {n("MinTP", "MinTP2"), "Lowest", "Minimum of Sampling over selected packet range"},
            {n("AveTP", "AveTP2"), "Average", "Average of Sampling over selected packet range"},
            {n("PeerContention", "PeerContention2"), "Ave Contention", "Difference between min & ave throughput"}}},
          {{n("Duration", "Duration2"), "Duration", "Duration of packets transferred"},
           {n("TotalPkts", "TotalPkts2"), "Total ", "Packets used to measure throughput"},
           {n("TotalBytes", "TotalBytes2"), "Bytes", "Total bytes transferred"},
           {n("AveSendSize", "AveSendSize2"), "Average Size (bytes)", "Average packet size including CRC"},
           {n("AveNetPayload", "AveNetPayload2"), "Average Payload (bytes)", "Network layer datagram payload"},
           {n("ProtoOverhead", "ProtoOverhead2"), "Protocol Overhead", "Overhead through network layer header"}}};
}

}  // namespace

TThroughputAnalysisForm::TThroughputAnalysisForm(AnalysisHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("ThroughputAnalysisForm");
  setWindowTitle("Throughput Analysis");
  auto* top = new QVBoxLayout(this);
  upper_ = new TAnalysisHalf(ThroughputHalfLabels(false), "Throughput (in KBytes/Second)", this);
  lower_ = new TAnalysisHalf(ThroughputHalfLabels(true), "Throughput (in KBytes/Second)", this);
  top->addWidget(upper_, 1);
  top->addWidget(lower_, 1);

  auto* bottom = new QHBoxLayout;
  kbits_ = new QCheckBox("Show Kbits/Second", this);
  kbits_->setObjectName("CheckBox1");
  kbits_->setToolTip("Show throughput in KBits/Second");
  acks_ = new QCheckBox("Include ACK Pkts", this);
  acks_->setObjectName("CheckBox2");
  acks_->setChecked(true);
  auto* label = new QLabel("Packet Sampling", this);
  label->setObjectName("Label9");
  label->setToolTip("\"Sliding window\" for calculating throughput");
  sampling_ = new QSpinBox(this);
  sampling_->setObjectName("MinimumPacketsEdit");
  sampling_->setRange(0, 999);  // at most 3 digits; the value is kept within 4..100
  sampling_->setValue(8);
  sampling_->setKeyboardTracking(false);
  recalc_ = new QPushButton("Recalc", this);
  recalc_->setObjectName("ThruputBtn");
  recalc_->setToolTip("Recalculate Throughput with new sampling value");
  recalc_->setDefault(true);
  for (QWidget* w : std::initializer_list<QWidget*>{kbits_, acks_, label, sampling_, recalc_}) bottom->addWidget(w);
  bottom->addStretch(1);
  top->addLayout(bottom);
  resize(860, 560);

  connect(recalc_, &QPushButton::clicked, this, &TThroughputAnalysisForm::ThruputBtnClick);
  connect(sampling_, &QSpinBox::valueChanged, this, &TThroughputAnalysisForm::ThruputBtnClick);
  connect(acks_, &QCheckBox::clicked, this, &TThroughputAnalysisForm::ThruputBtnClick);
  connect(kbits_, &QCheckBox::toggled, this, &TThroughputAnalysisForm::ThruputBtnClick);
  connect(upper_, &TAnalysisHalf::CopyDataClicked, this, [this] { CopyText(CopyData(false)); });
  connect(lower_, &TAnalysisHalf::CopyDataClicked, this, [this] { CopyText(CopyData(true)); });
}

std::string TThroughputAnalysisForm::CopyData(bool lower) const { return ThroughputCopyText(view_, lower, texts_); }

void TThroughputAnalysisForm::ThruputBtnClick() {
  // The edit shows the window actually used.
  const int window = std::clamp(sampling_->value(), kMinSampleWindow, kMaxSampleWindow);
  if (window != sampling_->value()) {
    const QSignalBlocker block(sampling_);
    sampling_->setValue(window);
  }
  const Selection selection = toolbox_ ? toolbox_->RefreshSelection() : Selection{};
  texts_ = toolbox_ ? toolbox_->Texts() : SelectionTexts{};
  const TraceContext trace = host_.Trace();
  ThroughputSettings settings;
  settings.SampleWindow = window;
  settings.IncludeAckPackets = acks_->isChecked();
  settings.UnitFactor = kbits_->isChecked() ? 8 : 1;
  const FigureFormat format{LocaleThousandsSeparator(), LocaleDecimalSeparator()};
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (trace.model && selection.SourceStation) {
    ConversationEngine engine(*trace.model);
    view_ = AnalyzeThroughput(engine, selection, texts_, settings, trace.topology, trace.bandwidthMbps, format);
  } else {
    view_ = ResetThroughputView(texts_, true, settings, selection.FirstPacketNumber, selection.LastPacketNumber);
  }
  QApplication::restoreOverrideCursor();

  setWindowTitle(ToQ(view_.Caption));
  for (TAnalysisHalf* half : {upper_, lower_}) half->FigureGroup()->setTitle(ToQ(view_.GroupTitle));
  ShowHalf(upper_, view_.Upper, view_.UpperTitle);
  if (view_.Lower)
    ShowHalf(lower_, *view_.Lower, view_.LowerTitle);
  else
    lower_->Reset(ToQ(view_.LowerTitle));
}

void TThroughputAnalysisForm::ShowHalf(TAnalysisHalf* half, const ThroughputHalf& h, const std::string& title) {
  half->Reset(ToQ(title));
  half->SetMemo(h.Memo);
  half->SetFigures({h.Peak, h.Lowest, h.Average, h.Contention}, h.Chart, h.CanCopy);
  half->SetPackets({h.Duration, h.Total, h.Bytes, h.AverageSize, h.AveragePayload, h.Overhead});
}

void TThroughputAnalysisForm::FormActivate() {
  host_.SetTips(kThroughputTips);
  const TraceContext trace = host_.Trace();
  upper_->SetTitleColor(trace.sendColor);
  lower_->SetTitleColor(trace.receiveColor);
  ThruputBtnClick();
}

void TThroughputAnalysisForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void TThroughputAnalysisForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow()) FormActivate();
}

void TThroughputAnalysisForm::closeEvent(QCloseEvent* event) {
  host_.RestoreTips();
  QWidget::closeEvent(event);
}

}  // namespace corvanta::ui

#include "ui/analysis/LatencyForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "ui/analysis/AnalysisHalf.h"
#include "ui/analysis/WhatIfForm.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

HalfLabels LatencyHalfLabels(bool lower) {
  const auto n = [lower](const char* upper, const char* other) { return lower ? other : upper; };
  return {n("SourceToDestination", "DestinationToSource"),
          n("Memo1", "Memo2"),
          n("GroupBox1", "GroupBox2"),
          n("GroupBox3", "GroupBox4"),
          n("Image1", "Image2"),
          n("SpeedButton1", "SpeedButton2"),
          n("SpeedButton3", "SpeedButton4"),
          {{{n("MinRT", "MinRT2"), "Best", "Minimum delay of any packet pair"},
            {n("MaxRT", "MaxRT2"), "Worst", "Maximum delay of any packet pair"},
            {n("AveRT", "AveRT2"), "Average ", "Average of all pair"},
            {n("PeerContention", "PeerContention2"), "Average Contention",
             "Difference between min & ave round trip delay"}}},
          {{n("Duration", "Duration2"), "Duration", "Duration of conversation"},
           {n("TotalPkts", "TotalPkts2"), "Total ", "Packets used to measure latency"},
           {n("StoRratio", "StoRratio2"), "Send-to-Receive Ratio", "Sent to received packet ratio"},
           {n("AveSendSize", "AveSendSize2"), "Average Send Size", "Average send packet size in bytes"},
           {n("AveReceiveSize", "AveReceiveSize2"), "Average Receive Size", "Average receive packet size in bytes"}}};
}

}  // namespace

TLatencyAnalysisForm::TLatencyAnalysisForm(AnalysisHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("LatencyAnalysisForm");
  setWindowTitle("Response Time/Latency Analysis");
  auto* top = new QVBoxLayout(this);
  upper_ = new TAnalysisHalf(LatencyHalfLabels(false), "Response Time/Latency (in milliseconds)", this);
  lower_ = new TAnalysisHalf(LatencyHalfLabels(true), "Response Time/Latency (in milliseconds)", this);
  upper_->Title()->setText("Originating");
  lower_->Title()->setText("Destination to Source");
  for (int i = 0; i < 2; ++i) {
    auto* b = new QToolButton(this);
    b->setObjectName(i == 0 ? "LoadAnalysis" : "LoadAnalysis2");
    b->setText("\"What If\" Analysis");
    b->setToolTip("Perform \"What If\" load & response time analysis");
    b->setEnabled(false);
    (i == 0 ? upper_ : lower_)->AddButton(b);
    whatIfButtons_[static_cast<size_t>(i)] = b;
    connect(b, &QToolButton::clicked, this, [this, i] { LoadAnalysisClick(i == 1); });
  }
  top->addWidget(upper_, 1);
  top->addWidget(lower_, 1);

  auto* bottom = new QHBoxLayout;
  auto* group = new QGroupBox("Measure Latency Using", this);
  group->setObjectName("HowLatencyRadioGroup");
  group->setToolTip("Choose how latency is measured");
  auto* groupLayout = new QHBoxLayout(group);
  how_ = new QButtonGroup(this);
  int id = 0;
  for (const char* item :
       {"All Command/Response Packets", "Only Command/Small Response Packets", "Only Command/Large Response Packets"}) {
    auto* radio = new QRadioButton(item, group);
    radio->setChecked(id == 0);
    how_->addButton(radio, id++);
    groupLayout->addWidget(radio);
  }
  bottom->addWidget(group);
  localMedia_ = new QCheckBox("Include Local Media Transmission Time", this);
  localMedia_->setObjectName("CheckBox1");
  localMedia_->setToolTip("Add in transmission time on local media");
  localMedia_->setChecked(true);
  bottom->addWidget(localMedia_);
  bottom->addStretch(1);
  top->addLayout(bottom);
  resize(900, 580);

  connect(how_, &QButtonGroup::idClicked, this, [this] { Analyse(); });
  connect(localMedia_, &QCheckBox::clicked, this, &TLatencyAnalysisForm::Analyse);
  connect(upper_, &TAnalysisHalf::CopyDataClicked, this, [this] { CopyText(CopyData(false)); });
  connect(lower_, &TAnalysisHalf::CopyDataClicked, this, [this] { CopyText(CopyData(true)); });
}

std::string TLatencyAnalysisForm::CopyData(bool lower) const { return LatencyCopyText(view_, lower, texts_); }

void TLatencyAnalysisForm::Analyse() {
  const Selection selection = toolbox_ ? toolbox_->RefreshSelection() : Selection{};
  texts_ = toolbox_ ? toolbox_->Texts() : SelectionTexts{};
  const TraceContext trace = host_.Trace();
  LatencySettings settings;
  settings.Filter = static_cast<ResponseSizeFilter>(std::clamp(how_->checkedId(), 0, 2));
  settings.IncludeLocalMediaTime = localMedia_->isChecked();
  const FigureFormat format{LocaleThousandsSeparator(), LocaleDecimalSeparator()};
  QApplication::setOverrideCursor(Qt::WaitCursor);
  if (trace.model && selection.SourceStation) {
    ConversationEngine engine(*trace.model);
    view_ = AnalyzeLatency(engine, selection, texts_, settings, trace.topology, trace.bandwidthMbps, format);
  } else {
    view_ = ResetLatencyView(texts_, selection.FirstPacketNumber, selection.LastPacketNumber);
  }
  QApplication::restoreOverrideCursor();

  setWindowTitle(ToQ(view_.Caption));
  ShowHalf(upper_, view_.Upper, view_.UpperTitle);
  if (view_.Lower) {
    ShowHalf(lower_, *view_.Lower, view_.LowerTitle);
  } else {
    lower_->Reset(ToQ(view_.LowerTitle));
    whatIfButtons_[1]->setEnabled(false);
  }
}

void TLatencyAnalysisForm::ShowHalf(TAnalysisHalf* half, const LatencyHalf& h, const std::string& title) {
  half->Reset(ToQ(title));
  half->SetMemo(h.Memo);
  half->SetFigures({h.Best, h.Worst, h.Average, h.Contention}, h.Chart, h.CanCopy);
  half->SetPackets({h.Duration, h.Total, h.Ratio, h.AverageSend, h.AverageReceive});
  whatIfButtons_[half == lower_ ? 1 : 0]->setEnabled(h.Seed.has_value());
}

void TLatencyAnalysisForm::LoadAnalysisClick(bool lower) {
  const std::optional<LatencyHalf>& half = lower ? view_.Lower : std::optional<LatencyHalf>(view_.Upper);
  if (!whatIf_ || !half || !half->Seed) return;
  whatIf_->Seed(*half->Seed, texts_);
  ShowAnalysisWindow(whatIf_);
}

void TLatencyAnalysisForm::FormActivate() {
  host_.SetTips(kLatencyTips);
  const TraceContext trace = host_.Trace();
  upper_->SetTitleColor(trace.sendColor);
  lower_->SetTitleColor(trace.receiveColor);
  Analyse();
}

void TLatencyAnalysisForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void TLatencyAnalysisForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow()) FormActivate();
}

void TLatencyAnalysisForm::closeEvent(QCloseEvent* event) {
  host_.RestoreTips();
  if (whatIf_ && whatIf_->isVisible()) whatIf_->close();
  QWidget::closeEvent(event);
}

}  // namespace corvanta::ui

#include "ui/toolbox/ToolboxForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/ConversationEngine.h"
#include "ui/analysis/ProblemAnalysisForm.h"
#include "ui/main/ProgramSettings.h"
#include "ui/toolbox/VisualizerAttributesForm.h"
#include "ui/toolbox/VisualizerFonts.h"
#include "ui/toolbox/VisualizerPrintPages.h"
#include "ui/toolbox/VisualizerView.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

constexpr const char* kCaption = "Halvex ToolBox (tm)";

QToolButton* ToolButton(QWidget* parent, const QString& name, const QString& text, const QString& hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setText(text);
  b->setToolTip(hint);
  b->setAutoRaise(true);
  return b;
}

QComboBox* Band(QWidget* parent, QHBoxLayout* row, const QString& name, const QString& caption, const QColor& text,
                int width) {
  auto* box = new QVBoxLayout;
  box->setSpacing(1);
  auto* label = new QLabel(caption, parent);
  auto* combo = new QComboBox(parent);
  combo->setObjectName(name);
  combo->setMinimumWidth(width);
  combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  QPalette p = combo->palette();
  p.setColor(QPalette::Text, text);
  p.setColor(QPalette::ButtonText, text);
  combo->setPalette(p);
  box->addWidget(label);
  box->addWidget(combo);
  row->addLayout(box, width);
  return combo;
}

void Fill(QComboBox* combo, const std::vector<ToolboxEntry>& entries, int index) {
  const QSignalBlocker block(combo);
  combo->clear();
  for (const ToolboxEntry& e : entries) combo->addItem(ToQ(e.Text));
  combo->setCurrentIndex(index);
}

QString TickText(int position) { return ToQ(TickUnitLabel(TickUnitForPosition(position))); }

// The display options' texts, in the order of their switches in VisualizerColumns.
constexpr const char* kColumnOptions[] = {"Cumulative Bytes (together)", "Cumulative Bytes (separate)",
                                          "Cumulative Time",             "Delta Time",
                                          "Packet Size",                 "Packet Number"};

std::array<bool*, 6> ColumnSwitches(VisualizerColumns& c) {
  return {&c.CumulativeBytesTogether, &c.CumulativeBytesSeparate, &c.CumulativeTime, &c.DeltaTime, &c.FrameSize,
          &c.FrameNumber};
}

VisualizerColumns ColumnsOf(const VisualizerSettings& s) {
  return {s.cumulativeBytesTogether, s.cumulativeBytesSeparate, s.cumulativeTime, s.deltaTime, s.frameSize,
          s.frameNumber};
}

void StoreColumns(const VisualizerColumns& c, VisualizerSettings& s) {
  s.cumulativeBytesTogether = c.CumulativeBytesTogether;
  s.cumulativeBytesSeparate = c.CumulativeBytesSeparate;
  s.cumulativeTime = c.CumulativeTime;
  s.deltaTime = c.DeltaTime;
  s.frameSize = c.FrameSize;
  s.frameNumber = c.FrameNumber;
}

}  // namespace

void ShowAnalysisWindow(QWidget* window) {
  if (!window) return;
  if (window->isMinimized()) window->showNormal();
  window->show();
  window->raise();
  window->activateWindow();
}

THalvexToolboxForm::THalvexToolboxForm(AnalysisHost& host, QWidget* parent) : QWidget(parent, Qt::Window), host_(host) {
  setObjectName("HalvexToolboxForm");
  setWindowTitle(kCaption);
  BuildControls();
  resize(900, 600);
}

void THalvexToolboxForm::BuildControls() {
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(4, 4, 4, 4);

  auto* bands = new QHBoxLayout;
  sourceBox_ = Band(this, bands, "SourceBox", "Source", Qt::blue, 150);
  targetBox_ = Band(this, bands, "TargetBox", "Destination", QColor(0, 128, 128), 150);
  appBox_ = Band(this, bands, "AppBox", "Protocol/App", Qt::black, 210);
  packetComments_ = Band(this, bands, "PacketComments", "Diagnostic", Qt::red, 150);
  top->addLayout(bands);

  auto* tools = new QHBoxLayout;
  latencyButton_ = ToolButton(this, "ToolThruputBtn", "Latency", "Response Time/Latency Analysis");
  throughputButton_ = ToolButton(this, "ToolLatencyBtn", "Throughput", "Throughput Analysis");
  problemButton_ = ToolButton(this, "ToolProblemBtn", "Problems", "Diagnostics Summary");
  problemButton_->setEnabled(false);  // on once the visualizer finds a diagnostic
  swapButton_ = ToolButton(this, "ToolSwapBtn", "Swap", "Swap Destination and Source Addresses");
  printButton_ = ToolButton(this, "ToolButton3", "Print", "Print Trellivue");
  printButton_->setEnabled(false);
  propertiesButton_ = ToolButton(this, "ToolButton1", "Colors", "Color and Font Properties");
  for (QToolButton* b :
       {latencyButton_, throughputButton_, problemButton_, swapButton_, printButton_, propertiesButton_})
    tools->addWidget(b);
  tools->addStretch(1);
  top->addLayout(tools);

  auto* body = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  auto* title = new QLabel("Trellivue (tm)", this);
  title->setObjectName("Label1");
  QFont bold = title->font();
  bold.setBold(true);
  title->setFont(bold);
  left->addWidget(title);
  visualizer_ = new TVisualizerView(this);
  left->addWidget(visualizer_, 1);
  body->addLayout(left, 1);

  auto* side = new QVBoxLayout;
  auto* optionsGroup = new QGroupBox("Display Options", this);
  optionsGroup->setToolTip("Visualizer display options");
  auto* optionsLayout = new QVBoxLayout(optionsGroup);
  displayOptions_ = new QListWidget(optionsGroup);
  displayOptions_->setObjectName("DisplayOptions");
  for (const char* option : {"Cumulative Bytes (separate)", "Cumulative Bytes (together)", "Cumulative Time",
                             "Delta Time", "Packet Number", "Packet Size"}) {
    auto* item = new QListWidgetItem(option, displayOptions_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(QString(option) == "Packet Number" ? Qt::Checked : Qt::Unchecked);
  }
  displayOptions_->setMaximumHeight(6 * 18 + 6);
  optionsLayout->addWidget(displayOptions_);
  side->addWidget(optionsGroup);

  auto* ticks = new QHBoxLayout;
  ticks->addWidget(new QLabel("Ticks", this));
  spacing_ = new QSlider(Qt::Horizontal, this);
  spacing_->setObjectName("PacketSpacingTrackBar");
  spacing_->setRange(0, 4);
  spacing_->setValue(1);
  ticks->addWidget(spacing_);
  side->addLayout(ticks);
  tickLabel_ = new QLabel(TickText(1), this);
  tickLabel_->setObjectName("Label5");
  side->addWidget(tickLabel_);
  auto* length = new QHBoxLayout;
  length->addWidget(new QLabel("Length", this));
  size_ = new QSlider(Qt::Horizontal, this);
  size_->setObjectName("PacketSizeTrackBar");
  size_->setRange(1, 10);
  size_->setValue(4);
  length->addWidget(size_);
  side->addLayout(length);

  auto* range = new QGroupBox("Thput/Latency Pkts", this);
  range->setToolTip("Packet range for calculating throughput and latency");
  auto* rangeLayout = new QHBoxLayout(range);
  rangeLayout->addWidget(new QLabel("from", range));
  startEdit_ = new QSpinBox(range);
  startEdit_->setObjectName("StartPacketSpinEdit");
  rangeLayout->addWidget(startEdit_);
  rangeLayout->addWidget(new QLabel("to", range));
  endEdit_ = new QSpinBox(range);
  endEdit_->setObjectName("EndPacketSpinEdit");
  rangeLayout->addWidget(endEdit_);
  for (QSpinBox* e : {startEdit_, endEdit_}) {
    e->setRange(1, 1);
    e->setKeyboardTracking(false);
  }
  side->addWidget(range);

  copyButton_ = ToolButton(this, "SpeedButton1", {}, "Copy Visualizer to clipboard");
  copyButton_->setIcon(MakeIcon(Picture::Copy));
  side->addWidget(copyButton_);
  ipxByOui_ = new QCheckBox("IPX Lower by OUI", this);
  ipxByOui_->setObjectName("IPXOUILower2");
  ipxByOui_->setChecked(true);
  ipxByOui_->setVisible(false);
  side->addWidget(ipxByOui_);
  side->addStretch(1);
  body->addLayout(side);
  top->addLayout(body, 1);

  connect(sourceBox_, &QComboBox::currentIndexChanged, this, &THalvexToolboxForm::SourceBoxChange);
  connect(targetBox_, &QComboBox::currentIndexChanged, this, &THalvexToolboxForm::TargetBoxChange);
  connect(appBox_, &QComboBox::currentIndexChanged, this, &THalvexToolboxForm::AppBoxChange);
  connect(startEdit_, &QSpinBox::valueChanged, this, &THalvexToolboxForm::StartChange);
  connect(endEdit_, &QSpinBox::valueChanged, this, &THalvexToolboxForm::EndChange);
  connect(swapButton_, &QToolButton::clicked, this, &THalvexToolboxForm::SwapBtnClick);
  connect(latencyButton_, &QToolButton::clicked, this, &THalvexToolboxForm::ShowLatency);
  connect(throughputButton_, &QToolButton::clicked, this, &THalvexToolboxForm::ShowThroughput);
  connect(spacing_, &QSlider::valueChanged, this, &THalvexToolboxForm::PacketSpacingChange);
  connect(size_, &QSlider::valueChanged, this, &THalvexToolboxForm::PacketSizeChange);
  connect(displayOptions_, &QListWidget::itemChanged, this, &THalvexToolboxForm::DisplayOptionsChange);
  connect(packetComments_, &QComboBox::activated, this, &THalvexToolboxForm::PacketCommentsChange);
  connect(problemButton_, &QToolButton::clicked, this, &THalvexToolboxForm::ShowProblems);
  connect(printButton_, &QToolButton::clicked, this, &THalvexToolboxForm::PrintRequested);
  connect(propertiesButton_, &QToolButton::clicked, this, &THalvexToolboxForm::EditDisplayAttributes);
  connect(copyButton_, &QToolButton::clicked, visualizer_, &TVisualizerView::CopyToClipboard);
  attributes_ = new TVisualizerAttributes(host_.Dialogs() ? *host_.Dialogs() : fallbackDialogs_, this);
  attributes_->setWindowModality(Qt::ApplicationModal);
  connect(ipxByOui_, &QCheckBox::toggled, this, [this](bool on) {
    state_.SetIpxByOui(on);
    ShowState();
  });
}

void THalvexToolboxForm::SetAnalysisWindows(QWidget* latency, QWidget* throughput) {
  latency_ = latency;
  throughput_ = throughput;
}

void THalvexToolboxForm::Request(const RequestedConversation& request) {
  request_ = request;
  if (isVisible()) FormActivate();
}

bool THalvexToolboxForm::CatchUp() {
  const TraceContext trace = host_.Trace();
  if (filled_ && trace.generation == generation_) return false;
  filled_ = true;
  generation_ = trace.generation;
  setWindowTitle(QString(kCaption) + " - " + trace.fileName);
  // The old lists point into a model that may be gone: drop them before anything else.
  state_.Reset(nullptr, 0, nullptr, nullptr);
  visualizer_->Clear();
  rebuildDiagnosticList_ = true;
  state_.SetIpxByOui(ipxByOui_->isChecked());
  state_.Reset(trace.model, trace.frames, trace.ports, trace.vendors);
  visualizer_->ScrollToTop();
  return true;
}

void THalvexToolboxForm::FormActivate() {
  host_.SetTips(kToolboxTips);
  SetDisplayOptions();
  activated_ = true;
  ipxByOui_->setVisible(host_.Trace().hasIpx);
  const bool refilled = CatchUp();
  if (!refilled && !request_) return;
  if (request_) {
    state_.Preselect(*request_);
    request_.reset();
  }
  ShowState();
  Recalc();
}

Selection THalvexToolboxForm::RefreshSelection() {
  if (CatchUp()) ShowState();
  return state_.GetNetDst();
}

SelectionTexts THalvexToolboxForm::Texts() const {
  return {state_.SourceText(), state_.DestinationText(), state_.AppText()};
}

void THalvexToolboxForm::ShowState() {
  showing_ = true;
  Fill(sourceBox_, state_.Sources(), state_.SourceIndex());
  Fill(targetBox_, state_.Targets(), state_.TargetIndex());
  Fill(appBox_, state_.Apps(), state_.AppIndex());
  {
    const QSignalBlocker a(startEdit_), b(endEdit_);
    startEdit_->setRange(1, state_.FirstMax());
    startEdit_->setValue(state_.FirstPacket());
    endEdit_->setRange(state_.LastMin(), std::max(state_.Frames(), state_.LastMin()));
    endEdit_->setValue(state_.LastPacket());
  }
  swapButton_->setEnabled(!state_.OneWay());
  showing_ = false;
}

VisualizerRequest THalvexToolboxForm::CurrentVisualizerRequest() {
  const TraceContext trace = host_.Trace();
  VisualizerRequest request;
  if (trace.generation != generation_ || !filled_) return request;  // a newer trace: nothing to read
  request.Model = trace.model;
  request.Selected = state_.GetNetDst();
  request.Settings = host_.Brisqon();
  request.Medium = trace.topology;
  request.Analyzer = trace.analyzer;
  if (const VisualizerSettings* display = host_.VisualizerDisplay()) request.Options = VisualizerOptionsOf(*display);
  else request.Options.Columns = columns_;
  request.Options.TickUnit = TickUnitForPosition(spacing_->value());
  request.Options.BytesPerPixel = BytesPerPixelForPosition(size_->value());
  return request;
}

void THalvexToolboxForm::Recalc() {
  VisualizerRequest request = CurrentVisualizerRequest();
  static const BrisqonSettings kDefaults;
  if (!request.Settings) request.Settings = &kDefaults;
  if (request.Model && request.Selected.SourceStation) {
    const VisualizerSettings* display = host_.VisualizerDisplay();
    const VisualizerFont font = display ? display->font : VisualizerFont{};
    visualizer_->Recalc(request, VisualizerQFont(font), ToQColor(static_cast<uint32_t>(font.color)));
  } else {
    visualizer_->Clear();
  }
  ShowDiagnostics();
  emit SelectionChanged();
}

void THalvexToolboxForm::ShowDiagnostics() {
  const VisualizerLayout* pass = visualizer_->Pass();
  problemButton_->setEnabled(pass && pass->Counters.TotalMessages > 0);
  printButton_->setEnabled(pass && !pass->Lines.empty());
  const QSignalBlocker block(packetComments_);
  const int kept = packetComments_->currentIndex();
  packetComments_->clear();
  if (pass)
    for (const DiagnosticEntry& entry : pass->Comments) packetComments_->addItem(ToQ(entry.Text));
  // A rebuilt list starts at its first entry; otherwise the selected one stays.
  const int selected = rebuildDiagnosticList_ ? 0 : kept;
  packetComments_->setCurrentIndex(std::clamp(selected, packetComments_->count() > 0 ? 0 : -1,
                                              packetComments_->count() - 1));
  rebuildDiagnosticList_ = false;
}

void THalvexToolboxForm::PacketCommentsChange(int index) {
  const VisualizerLayout* pass = visualizer_->Pass();
  if (!pass || index < 0 || static_cast<size_t>(index) >= pass->Comments.size()) return;
  visualizer_->CenterOn(pass->Comments[static_cast<size_t>(index)].Y);
}

void THalvexToolboxForm::SetDisplayOptions() {
  VisualizerColumns columns = columns_;
  if (const VisualizerSettings* display = host_.VisualizerDisplay()) columns = ColumnsOf(*display);
  const QSignalBlocker block(displayOptions_);
  const auto switches = ColumnSwitches(columns);
  for (int i = 0; i < displayOptions_->count(); ++i) {
    QListWidgetItem* item = displayOptions_->item(i);
    for (size_t k = 0; k < std::size(kColumnOptions); ++k)
      if (item->text() == kColumnOptions[k]) item->setCheckState(*switches[k] ? Qt::Checked : Qt::Unchecked);
  }
}

void THalvexToolboxForm::DisplayOptionsChange() {
  VisualizerColumns columns;
  const auto switches = ColumnSwitches(columns);
  for (int i = 0; i < displayOptions_->count(); ++i) {
    const QListWidgetItem* item = displayOptions_->item(i);
    for (size_t k = 0; k < std::size(kColumnOptions); ++k)
      if (item->text() == kColumnOptions[k]) *switches[k] = item->checkState() == Qt::Checked;
  }
  columns_ = columns;
  if (VisualizerSettings* display = host_.VisualizerDisplay()) StoreColumns(columns, *display);
  Recalc();
}

void THalvexToolboxForm::PacketSizeChange() {
  if (activated_) Recalc();
}

std::unique_ptr<VisualizerPrintPages> THalvexToolboxForm::PrintPages() {
  VisualizerRequest request = CurrentVisualizerRequest();
  static const BrisqonSettings kDefaults;
  if (!request.Settings) request.Settings = &kDefaults;
  const VisualizerSettings* display = host_.VisualizerDisplay();
  const VisualizerFont font = display ? display->font : VisualizerFont{};
  return std::make_unique<VisualizerPrintPages>(std::move(request), VisualizerQFont(font),
                                                ToQColor(static_cast<uint32_t>(font.color)), Texts());
}

bool THalvexToolboxForm::EditDisplayAttributes() {
  VisualizerSettings* display = host_.VisualizerDisplay();
  VisualizerSettings shown = display ? *display : VisualizerSettings{};
  attributes_->SetAttributes({ToQColor(static_cast<uint32_t>(shown.sendColor)),
                              ToQColor(static_cast<uint32_t>(shown.receiveColor)),
                              ToQColor(static_cast<uint32_t>(shown.diagnosticColor)), VisualizerQFont(shown.font),
                              ToQColor(static_cast<uint32_t>(shown.font.color))});
  if (attributes_->exec() != QDialog::Accepted || !display) return false;
  const VisualizerAttributes chosen = attributes_->Attributes();
  display->sendColor = static_cast<ColorValue>(ColorValueOf(chosen.send));
  display->receiveColor = static_cast<ColorValue>(ColorValueOf(chosen.receive));
  display->diagnosticColor = static_cast<ColorValue>(ColorValueOf(chosen.diagnostic));
  display->font = VisualizerFontOf(chosen.font, chosen.fontColor);
  Recalc();
  return true;
}

void THalvexToolboxForm::ShowProblems() {
  if (!problems_) return;
  RefreshSelection();
  // The findings of the selection as it stands, from a pass of their own.
  VisualizerRequest request = CurrentVisualizerRequest();
  static const BrisqonSettings kDefaults;
  if (!request.Settings) request.Settings = &kDefaults;
  request.Measure = FixedPitchMeasure(7, 14);
  request.CountersOnly = true;
  DiagnosticCounters counters;
  int16_t state = kAnalysisOk;
  if (request.Model && request.Selected.SourceStation) {
    counters = LayOutVisualizer(request).Counters;
    ConversationEngine engine(*request.Model);
    engine.Options.ProblemMode = true;
    engine.Options.Medium = request.Medium;
    engine.Options.BandwidthMbps = host_.Trace().bandwidthMbps;
    Selection selection = request.Selected;
    state = engine.AnalyzeConversation(selection).AnalysisState;
  }
  const SelectionTexts texts = Texts();
  problems_->ShowSummary(ToQ(texts.Source), ToQ(texts.Destination), ToQ(texts.App), counters, state);
  if (!isVisible()) show();
  ShowAnalysisWindow(problems_);
}

void THalvexToolboxForm::SourceBoxChange(int index) {
  if (showing_ || !state_.SelectSource(index)) return;
  ShowState();
  visualizer_->ScrollToTop();
  rebuildDiagnosticList_ = true;
  Recalc();
}

void THalvexToolboxForm::TargetBoxChange(int index) {
  if (showing_ || !state_.SelectTarget(index)) return;
  ShowState();
  visualizer_->ScrollToTop();
  rebuildDiagnosticList_ = true;
  Recalc();
}

void THalvexToolboxForm::AppBoxChange(int index) {
  if (showing_ || !state_.SelectApp(index)) return;
  visualizer_->ScrollToTop();
  rebuildDiagnosticList_ = true;
  Recalc();
}

void THalvexToolboxForm::StartChange(int value) {
  if (showing_) return;
  state_.SetFirstPacket(value);
  ShowState();
  rebuildDiagnosticList_ = true;
  Recalc();
}

void THalvexToolboxForm::EndChange(int value) {
  if (showing_) return;
  state_.SetLastPacket(value);
  ShowState();
  rebuildDiagnosticList_ = true;
  Recalc();
}

void THalvexToolboxForm::PacketSpacingChange(int position) {
  tickLabel_->setText(TickText(position));
  rebuildDiagnosticList_ = true;
  visualizer_->ScrollToTop();
  Recalc();
}

void THalvexToolboxForm::SwapBtnClick() {
  if (!swapButton_->isEnabled() || !state_.Swap()) return;
  ShowState();
  Recalc();
}

void THalvexToolboxForm::ShowLatency() {
  RefreshSelection();
  ShowAnalysisWindow(latency_);
}

void THalvexToolboxForm::ShowThroughput() {
  RefreshSelection();
  ShowAnalysisWindow(throughput_);
}

void THalvexToolboxForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormActivate();
}

void THalvexToolboxForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && isActiveWindow()) FormActivate();
}

void THalvexToolboxForm::closeEvent(QCloseEvent* event) {
  host_.RestoreTips();
  for (QWidget* w : {latency_, throughput_, static_cast<QWidget*>(problems_)})
    if (w && w->isVisible()) w->close();
  QWidget::closeEvent(event);
}

}  // namespace corvanta::ui

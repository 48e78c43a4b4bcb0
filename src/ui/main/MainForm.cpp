#include "ui/main/MainForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "analysis/Charts.h"
#include "decode/TraceStatistics.h"
#include "naming/SettingsStore.h"
#include "naming/TextFormat.h"
#include "trace/Detection.h"
#include "trace/OpenTrace.h"
#include "trace/ProgressText.h"
#include "ui/main/ChartPages.h"
#include "ui/main/ChartPropertiesForm.h"
#include "ui/main/ClientServerPage.h"
#include "ui/main/DlcErrorPage.h"
#include "ui/main/FileCatcher.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/ProblemSettingsForm.h"
#include "ui/main/ProcessTraceFileForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ProtocolTablePage.h"
#include "ui/main/ServerPortsForm.h"
#include "ui/main/TraceDecoding.h"
#include "ui/main/TraceFileFilter.h"
#include "ui/main/UtilizationGraph.h"
#include "ui/widgets/ChartView.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"
#include "ui/widgets/WindowPlacementStore.h"

namespace corvanta::ui {
namespace {

constexpr const char* kCaptionBase = "Corvanta Halvex (tm) ";
constexpr const char* kSlicedSuffix = " (contains sliced packets)";
constexpr const char* kOpenTitle = "Open Trace File";
constexpr const char* kNoIpOrIpx = "No IP or IPX packets in trace file.";
constexpr const char* kHelpFileName = "Corvanta-Help.html";

constexpr std::array<int, 3> kEthernetBandwidths = {10, 100, 1000};
constexpr std::array<int, 3> kTokenRingBandwidths = {4, 16, 100};

// The Open dialog takes masks separated by blanks inside the last parentheses.
QStringList QtFilters(bool withPcap) {
  QStringList out;
  for (const FileTypeEntry& e : TraceFileTypes(withPcap)) {
    std::string name = e.description;
    if (name.ends_with(")")) {
      const size_t open = name.rfind(" (");
      if (open != std::string::npos) name.resize(open);
    }
    QStringList masks;
    for (const std::string& m : e.masks) masks << ToQ(m);
    out << QString("%1 (%2)").arg(ToQ(name), masks.join(' '));
  }
  return out;
}

// Tip numbers of a page.
TipSet PageTips(int page, Topology topology) {
  switch (page) {
    case kFileSummaryPage: return MakeTipSet({34, 35});
    case kClientServerPage: return MakeTipSet({2, 3, 5, 6, 7, 8, 29});
    case kDlcErrorPage: return topology == kTokenRing ? MakeTipSet({32}) : MakeTipSet({13, 32});
    case kFrameSizeChartPage:
    case kProtocolChartPage: return MakeTipSet({1, 33});
    case kProtocolTablePage: return MakeTipSet({8, 9});
    default: return {};
  }
}

QString EscapeMnemonic(QString text) { return text.replace('&', "&&"); }

}  // namespace

TMainForm::TMainForm(ProgramContext& context, const MainFormWindows& windows, QWidget* parent)
    : QMainWindow(parent), context_(context), windows_(windows) {
  setObjectName("MainForm");
  setWindowTitle("Corvanta");
  setWindowIcon(QIcon(MakeLogo(64)));

  BuildPages();
  BuildTipPanel();
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addWidget(tipPanel_);
  layout->addWidget(pages_, 1);
  noTracePanel_ = new QLabel(central);
  noTracePanel_->setObjectName("NoTracePanel");
  noTracePanel_->setAlignment(Qt::AlignCenter);
  noTracePanel_->setWordWrap(true);
  noTracePanel_->setText(ToQ(NoTraceText({})));
  layout->addWidget(noTracePanel_, 1);
  layout->addStretch(0);
  // The page area tells how to open a trace whenever the pages are hidden.
  pages_->installEventFilter(this);
  setCentralWidget(central);
  BuildMenus();
  BuildToolBar();
  BuildStatusBar();

  fileCatcher_ = new TFileCatcher(this);
  fileCatcher_->setObjectName("FileCatcher1");
  fileCatcher_->SetControl(this);
  // Opening runs after the drop is over, so the program that dragged the files is not held.
  connect(fileCatcher_, &TFileCatcher::OnDropFiles, this, &TMainForm::FileCatcher1DropFiles, Qt::QueuedConnection);

  // Creation steps: the Edit menu starts unbound.
  tipSet_.reset();
  duplexFactor_ = 1;
  Action("Copy1")->setText("&Copy");
  Action("Copy1")->setEnabled(false);
  Action("SelectAll1")->setEnabled(false);

  // A larger first window where the screen has room; a stored placement still wins.
  QSize size(960, 680);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize room = screen->availableGeometry().size() * 0.85;
    size = size.expandedTo(room.boundedTo(QSize(1400, 900)));
  }
  resize(size);
  RestorePlacement(*this, *context_.store, true);

  context_.settings.Load(*context_.store, context_.brisqon);
  tipPanel_->setVisible(context_.settings.tipWizardEnabled);
  Action("ShowTipWizard1")->setChecked(context_.settings.tipWizardEnabled);
  Action("ReadPcap1")->setChecked(context_.settings.readPcap);

  FillReopenMenu();
  Action("OpenBtn")->setToolTip(Action("Open1")->statusTip());
  Action("OpenBtn")->setStatusTip(Action("Open1")->statusTip());
  Action("PrintBtn")->setToolTip(Action("Print1")->statusTip());
  Action("PrintBtn")->setStatusTip(Action("Print1")->statusTip());

  context_.vendorWarning = ToQ(LoadVendorTable(PathToStd(context_.programDirectory), context_.vendors));

  pages_->setCurrentIndex(kFileSummaryPage);
  summaryPage_->ClearFileAttributes();
  pages_->hide();
  openFilters_ = QtFilters(context_.settings.readPcap);

  if (windows_.progress) {
    windows_.progress->SetTaskbarWindow(this);
    windows_.progress->SetCloseDelay(context_.progressCloseDelayMs);
  }
  csPage_->SetAnalyzingWindow(windows_.analyzing, context_.analyzingCloseDelayMs);
  csPage_->SetToolboxAvailable(windows_.toolbox != nullptr);
  MarkMissingWindows();
  InitCharts(true);
  if (windows_.chartProperties)
    connect(windows_.chartProperties, &TChartPropertiesForm::ApplyValues, this,
            [this](const ChartPropertyValues& values) {
              context_.settings.chart = values;
              InitCharts(false);
            });
  if (windows_.brisqonSettings)
    connect(windows_.brisqonSettings, &TProblemSettings::TipsRequested, this, &TMainForm::SetTips);
  if (windows_.serverPorts) windows_.serverPorts->SetTraceOpenQuery([this] { return !traceFileName_.isEmpty(); });
  if (windows_.about) {
    if (windows_.systemInfo)
      connect(windows_.about, &TAboutBox::SystemInfoRequested, windows_.systemInfo, &QDialog::exec);
    if (windows_.techSupport)
      connect(windows_.about, &TAboutBox::TechSupportRequested, windows_.techSupport, &QDialog::exec);
  }

  // The splash stays until the start-up deadline.
  if (!context_.startupDeadline.hasExpired()) {
    QEventLoop wait;
    QTimer::singleShot(static_cast<int>(context_.startupDeadline.remainingTime()), &wait, &QEventLoop::quit);
    wait.exec();
  }
  if (windows_.splash) {
    windows_.splash->close();
    windows_.splash->deleteLater();
  }
  // Once, after the splash: the program goes on without vendor names.
  if (!context_.vendorWarning.isEmpty())
    context_.dialogs->Warning(this, ToQ(std::string(kVendorWarningCaption)), context_.vendorWarning);
}

TMainForm::~TMainForm() { WriteSettings(); }

QAction* TMainForm::MakeAction(const QString& name, const QString& caption, const QString& hint) {
  auto* action = new QAction(caption, this);
  action->setObjectName(name);
  if (!hint.isEmpty()) {
    action->setStatusTip(hint);
    action->setToolTip(hint);
  }
  return action;
}

QAction* TMainForm::Action(const QString& name) const { return findChild<QAction*>(name); }
QMenu* TMainForm::Menu(const QString& name) const { return findChild<QMenu*>(name); }

void TMainForm::MarkMissingWindows() {
  const QString missing = " (not available yet)";
  const std::pair<const char*, QWidget*> buttons[] = {{"PrintBtn", windows_.printSelection},
                                                      {"Print1", windows_.printSelection},
                                                      {"AnalyzeBtn", windows_.toolbox},
                                                      {"StationBtn", windows_.station},
                                                      {"NetworkBtn", windows_.network}};
  for (const auto& [name, window] : buttons) {
    QAction* action = Action(name);
    const QString hint = action->statusTip();
    action->setToolTip(window ? hint : hint + missing);
  }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pages_ && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
    noTracePanel_->setVisible(event->type() == QEvent::HideToParent);
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::BuildPages() {
  pages_ = new QTabWidget(this);
  pages_->setObjectName("MainPageControl");
  // The pages' contents never push the window wider or taller: switching pages, or a Token
  // Ring trace, keeps the window's size.
  pages_->setMinimumSize(600, 300);
  summaryPage_ = new TFileSummaryPage(pages_);
  csPage_ = new TClientServerPage(pages_);
  dlcPage_ = new TDlcErrorPage(pages_);
  frameSizePage_ = new TChartPage(TChartPage::Kind::kFrameSize, pages_);
  protocolChartPage_ = new TChartPage(TChartPage::Kind::kProtocol, pages_);
  protocolTablePage_ = new TProtocolTablePage(pages_);
  pages_->addTab(summaryPage_, "File Summary");
  pages_->addTab(csPage_, "Client/Server Expert");
  pages_->addTab(dlcPage_, "DLC Error Expert");
  pages_->addTab(frameSizePage_, "Frame Size Chart");
  pages_->addTab(protocolChartPage_, "Protocol Chart");
  pages_->addTab(protocolTablePage_, "Protocol Table");
  connect(pages_, &QTabWidget::currentChanged, this, &TMainForm::MainPageControlChange);
  connect(summaryPage_, &TFileSummaryPage::MediaUtilSelectionClick, this, &TMainForm::UpdateMediaUtilization);
  connect(summaryPage_, &TFileSummaryPage::UtilizationGraphClick, this, &TMainForm::UtilizationGraphClick);
  connect(protocolChartPage_, &TChartPage::PacketClassClick, this, &TMainForm::UpdateCharts);
  for (TChartPage* page : {frameSizePage_, protocolChartPage_})
    connect(page, &TChartPage::ChartPropertiesRequested, this, &TMainForm::ChartProperties1Click);
  connect(csPage_, &TClientServerPage::ToolboxRequested, this, &TMainForm::AnalyzeBtnClick);
}

void TMainForm::BuildTipPanel() {
  tipPanel_ = new QFrame(this);
  tipPanel_->setObjectName("TipPanel");
  static_cast<QFrame*>(tipPanel_)->setFrameShape(QFrame::StyledPanel);
  auto* row = new QHBoxLayout(tipPanel_);
  row->setContentsMargins(4, 4, 4, 4);
  tipBulb_ = new QToolButton(tipPanel_);
  tipBulb_->setObjectName("TipBulb");
  tipBulb_->setIcon(MakeIcon(Picture::Bulb));
  tipBulb_->setIconSize(QSize(32, 32));
  tipBulb_->setAutoRaise(true);
  tipBulb_->setToolTip("Click to hide tips");
  tipBulb_->setStatusTip("Click to hide tips");
  connect(tipBulb_, &QToolButton::clicked, this, &TMainForm::TipBulbClick);
  tipMemo_ = new QPlainTextEdit(tipPanel_);
  tipMemo_->setObjectName("TipMemo");
  tipMemo_->setReadOnly(true);
  // Three whole lines below the top margin: the fourth starts where the memo ends, so a
  // scrolled memo never shows a line cut in half.
  tipMemo_->setFixedHeight(tipMemo_->fontMetrics().lineSpacing() * 3 +
                           static_cast<int>(tipMemo_->document()->documentMargin()) + 2 * tipMemo_->frameWidth());
  row->addWidget(tipBulb_, 0, Qt::AlignTop);
  row->addWidget(tipMemo_, 1);
  tipPanel_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TMainForm::BuildMenus() {
  // One menu item: its control name, caption, hint, handler and shortcut.
  auto add = [this](QMenu* menu, const char* name, const char* caption, const char* hint, auto slot,
                    QKeySequence key = {}) {
    QAction* a = MakeAction(name, caption, hint);
    if (!key.isEmpty()) a->setShortcut(key);
    connect(a, &QAction::triggered, this, slot);
    menu->addAction(a);
    return a;
  };
  auto menu = [this](QMenu* parent, const char* caption, const char* name, const char* actionName) {
    QMenu* m = parent ? parent->addMenu(caption) : menuBar()->addMenu(caption);
    m->setObjectName(name);
    m->menuAction()->setObjectName(actionName);
    return m;
  };

  fileMenu_ = menu(nullptr, "&File", "File1", "File1Item");
  add(fileMenu_, "Open1", "&Open...", "Open a new analyzer trace file", &TMainForm::Open1Click,
      QKeySequence(Qt::CTRL | Qt::Key_O));
  reopenMenu_ = menu(fileMenu_, "&Reopen", "Reopen1Menu", "Reopen1");
  reopenMenu_->menuAction()->setStatusTip("Reopen a previosly opened analyzer trace file");
  for (int i = 0; i < 8; ++i)
    mruItems_[static_cast<size_t>(i)] = add(reopenMenu_, qPrintable(QString("MRU%1").arg(i + 1)),
                                            qPrintable(QString("&%1 ").arg(i + 1)), "", [this, i] { MRUClick(i); });
  add(fileMenu_, "Close1", "&Close", "", &TMainForm::Close1Click);
  fileMenu_->addSeparator();
  add(fileMenu_, "Print1", "&Print...", "Print selected windows", &TMainForm::Print1Click,
      QKeySequence(Qt::CTRL | Qt::Key_P));
  add(fileMenu_, "PrinterSetup1", "Printer Set&up...", "Choose a printer and its properties",
      &TMainForm::PrinterSetup1Click);
  fileMenu_->addSeparator();
  add(fileMenu_, "Exit1", "E&xit", "Exit Corvanta", &QWidget::close, QKeySequence(Qt::CTRL | Qt::Key_X));

  editMenu_ = menu(nullptr, "&Edit", "Edit1", "Edit1Item");
  add(editMenu_, "Copy1", "&Copy", "", &TMainForm::Copy1Click, QKeySequence(Qt::CTRL | Qt::Key_C));
  add(editMenu_, "SelectAll1", "Select &All", "", &TMainForm::SelectAll1Click, QKeySequence(Qt::CTRL | Qt::Key_A));

  optionsMenu_ = menu(nullptr, "&Options", "Options1", "Options1Item");
  bandwidthMenu_ = menu(optionsMenu_, "Default &Bandwidth", "Bandwidth1Menu", "Bandwidth1");
  bandwidthMenu_->menuAction()->setStatusTip("Set default LAN bandwidth");
  for (int i = 0; i < 3; ++i) {
    const size_t k = static_cast<size_t>(i);
    bandwidthOptions_[k] =
        add(bandwidthMenu_, qPrintable(QString("BandwidthOption%1").arg(i + 1)),
            qPrintable(QString("%1 Mbps").arg(kEthernetBandwidths[k])), "", [this, i] { BandwidthOptionClick(i); });
    bandwidthOptions_[k]->setCheckable(true);
  }
  add(optionsMenu_, "FullDuplex1", "&Full Duplex", "Doubles LAN Bandwidth", &TMainForm::FullDuplex1Click)
      ->setCheckable(true);
  optionsMenu_->addSeparator();
  add(optionsMenu_, "ServerPorts1", "Server &Ports", "", &TMainForm::ServerPorts1Click);
  add(optionsMenu_, "ReadPcap1", "Read libpcap and pcapng Files", "", &TMainForm::ReadPcap1Click)->setCheckable(true);

  helpMenu_ = menu(nullptr, "&Help", "Help1", "Help1Item");
  add(helpMenu_, "HelpTopics1", "&Help Topics", "", &TMainForm::HelpTopics1Click);
  add(helpMenu_, "ShowTipWizard1", "Show Tip Wi&zard", "", &TMainForm::ShowTipWizard1Click)->setCheckable(true);
  add(helpMenu_, "VisitWebSite1", "Visit Vexl Group's &Web Site", "", &TMainForm::VisitWebSite1Click);
  helpMenu_->addSeparator();
  add(helpMenu_, "About1", "&About...", "Display About Box & technical support info", &TMainForm::About1Click);
}

void TMainForm::BuildToolBar() {
  toolBar_ = addToolBar("Tools");
  toolBar_->setObjectName("ToolBar1");
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(24, 24));
  auto add = [this](const char* name, Picture picture, const QString& hint, void (TMainForm::*slot)()) {
    QAction* a = MakeAction(name, QString(name), hint);
    a->setIcon(MakeIcon(picture));
    connect(a, &QAction::triggered, this, slot);
    toolBar_->addAction(a);
    return a;
  };
  add("OpenBtn", Picture::Open, "Open an analyzer trace file", &TMainForm::Open1Click);
  add("PrintBtn", Picture::Print, "Print selected windows", &TMainForm::Print1Click);
  toolBar_->addSeparator();
  add("AnalyzeBtn", Picture::Toolbox, "Halvex Toolbox", &TMainForm::AnalyzeBtnClick);
  add("StationBtn", Picture::Station, "Station Peer Map and Statistics", &TMainForm::StationBtnClick);
  add("NetworkBtn", Picture::Network, "Network Peer Map And Statistics", &TMainForm::NetworkBtnClick);
  add("BrisqonBtn", Picture::Brisqon, "Brisqon(tm) Settings", &TMainForm::BrisqonBtnClick);
  Action("BrisqonBtn")->setEnabled(windows_.brisqonSettings != nullptr);
}

void TMainForm::BuildStatusBar() {
  const int widths[3] = {70, 90, 70};
  for (size_t i = 0; i < 3; ++i) {
    auto* panel = new QLabel(this);
    panel->setObjectName(QString("StatusPanel%1").arg(i));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setMinimumWidth(widths[i]);
    statusBar()->addWidget(panel, i == 2 ? 1 : 0);
    statusPanels_[i] = panel;
  }
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    QTimer::singleShot(0, this, &TMainForm::FormActivate);
  }
}

void TMainForm::FormActivate() {
  SetTips(MakeTipSet({30, 31}));
  SetCaption({});
  EnableOptions(false);
  Action("OpenBtn")->setEnabled(true);
  if (!context_.commandLineTrace.isEmpty()) {
    pages_->hide();
    traceFileName_ = QFileInfo(context_.commandLineTrace).absoluteFilePath();
    ProcessFile();
  }
  emit FirstActivationDone();
}

void TMainForm::SetCaption(const QString& suffix) {
  QString caption = kCaptionBase;
  if (!traceFileName_.isEmpty()) caption += " - " + QFileInfo(traceFileName_).fileName() + suffix;
  setWindowTitle(caption);
  openFilters_ = QtFilters(context_.settings.readPcap);
}

QString TMainForm::LastDirectory() const { return PathFromStd(context_.settings.lastDirectory); }

void TMainForm::SetMenusEnabled(bool on) {
  for (QMenu* menu : {fileMenu_, editMenu_, optionsMenu_, helpMenu_}) menu->menuAction()->setEnabled(on);
  Action("OpenBtn")->setEnabled(on);
  Action("BrisqonBtn")->setEnabled(on && windows_.brisqonSettings);
}

void TMainForm::SetOpenBusy(bool busy) {
  Action("OpenBtn")->setIcon(MakeIcon(busy ? Picture::OpenBusy : Picture::Open));
}

void TMainForm::RefuseTrace(const QString& text) {
  context_.dialogs->Warning(this, kOpenTitle, text);
  lastRefusal_ = text;
  noTracePanel_->setText(ToQ(NoTraceText(ToStd(lastRefusal_))));
  traceFileName_.clear();
  // Nothing of an earlier trace stays on offer once the pages are hidden.
  EnableOptions(false);
  SetCaption({});
}

void TMainForm::OpenTraceFile(const QString& path) {
  if (opening_ || path.isEmpty()) return;
  traceFileName_ = QFileInfo(path).absoluteFilePath();
  pages_->hide();
  ProcessFile();
}

void TMainForm::ProcessFile() {
  if (opening_ || traceFileName_.isEmpty()) return;
  opening_ = true;
  QElapsedTimer sinceStart;
  sinceStart.start();
  const auto seconds = [&] { return static_cast<double>(sinceStart.nsecsElapsed()) / 1e9; };
  // Whatever ends the flow, the menus and the open button come back.
  struct Finish {
    TMainForm* form;
    ~Finish() {
      form->opening_ = false;
      form->SetMenusEnabled(true);
      form->SetOpenBusy(false);
      if (form->closeAfterOpen_) QTimer::singleShot(0, form, &QWidget::close);
    }
  } finish{this};

  const std::string path = PathToStd(traceFileName_);
  context_.settings.lastDirectory = PathToStd(QFileInfo(traceFileName_).absolutePath());
  CloseAnalysisWindows();
  SetCaption({});
  bandwidthMbps_ = 10;

  OpenOptions openOptions;
  openOptions.readPcap = context_.settings.readPcap;
  const OpenOutcome outcome = corvanta::OpenTrace(path, openOptions);
  if (!outcome.accepted) {
    RefuseTrace(ToQ(outcome.refusal));
    return;
  }
  const TraceInfo& info = outcome.info;
  currentAnalyzer_ = info.kind;
  currentTopology_ = info.topology;
  pcapModified_ = info.pcapModified;
  bandwidthMbps_ = info.bandwidthMbps;
  traceFileSize_ = info.fileSize;
  traceComment_ = info.comment;

  SetMenusEnabled(false);
  SetOpenBusy(true);
  EnableOptions(false);

  // The pages let go of the previous model before it is freed.
  csPage_->SetTrace({});
  dlcPage_->Fill(currentTopology_, nullptr, nullptr, nullptr);
  decoding_.reset();
  ++traceGeneration_;  // windows that read the old model refill before they read again
  if (context_.makeDecoding) {
    decoding_ = context_.makeDecoding();
  } else {
    DecodingServices services;
    services.vendors = &context_.vendors;
    services.userPorts = &context_.userPorts;
    services.addressBooks = ReadAddressBookFolders(*context_.store, DefaultUserDataFolder());
    decoding_ = MakeTraceDecoding(services);
  }
  statsBandwidthMbps_ = bandwidthMbps_;
  TraceInfo passInfo = info;
  passInfo.bandwidthMbps = bandwidthMbps_;
  const double passStarted = seconds();
  // A stopped pass counts like a complete one: what was read is shown.
  const PassResult result = windows_.progress
                                ? windows_.progress->Run(passInfo, decoding_->Sink())
                                : ProcessTraceFile(passInfo, decoding_->Sink(), {}, OpenPassOptions(passInfo));
  const double passEnded = seconds();
  // The trace changed since it was accepted and its reader can no longer open it.
  if (const std::string refusal = ReaderRefusal(TraceFileNameOnly(path), result); !refusal.empty()) {
    decoding_.reset();
    RefuseTrace(ToQ(refusal));
    return;
  }
  if (result.fileOpened) traceFileSize_ = result.fileSize;
  slicedFrames_ = result.slicedFrames;
  partialRead_ = result.partial;
  totalFrames_ = result.framesRead;
  startTime_ = result.startTime;
  lastRefusal_.clear();
  noTracePanel_->setText(ToQ(NoTraceText({})));

  EnableOptions(true);
  AddRecentFile(context_.settings.recentFiles, path);
  FillReopenMenu();
  const double pagesStarted = seconds();
  FillTracePages();
  const double pagesEnded = seconds();
  openTimings_ = {passEnded - passStarted, pagesEnded - pagesStarted, pagesEnded};
  CheckBandwidthItem();

  pages_->show();
  if (pages_->currentIndex() == kFileSummaryPage) SetTips(MakeTipSet({34, 35}));
}

void TMainForm::CloseAnalysisWindows() {
  for (QWidget* w : {windows_.latency, windows_.throughput, windows_.problemSummary, windows_.toolbox, windows_.station,
                     windows_.network, static_cast<QWidget*>(utilizationGraph_)})
    if (w && w->isVisible()) w->close();
}

void TMainForm::EnableOptions(bool on) {
  Action("Print1")->setEnabled(on && windows_.printSelection);
  bandwidthMenu_->menuAction()->setEnabled(on);
  Action("FullDuplex1")->setEnabled(on);
  const std::array<int, 3>* values = currentTopology_ == kEthernet    ? &kEthernetBandwidths
                                     : currentTopology_ == kTokenRing ? &kTokenRingBandwidths
                                                                      : nullptr;
  if (values)
    for (size_t i = 0; i < 3; ++i) bandwidthOptions_[i]->setText(QString("%1 Mbps").arg((*values)[i]));

  if (on) FillFileAttributes();

  if (on) {
    statusPanels_[0]->setText(ToQ(InterfaceText(currentTopology_)));
    statusPanels_[1]->setText(CountText(totalFrames_) + " Frames" +
                              (partialRead_ ? " - " + ToQ(std::string(kProgressPartiallyRead)) : QString()));
    statusPanels_[2]->setText(ToQ(AnalyzerDisplayName(currentAnalyzer_, currentTopology_, pcapModified_)) + " file " +
                              traceFileName_);
  } else {
    for (QLabel* panel : statusPanels_) panel->clear();
  }

  Action("PrintBtn")->setEnabled(on && windows_.printSelection);
  Action("AnalyzeBtn")->setEnabled(on && windows_.toolbox);
  Action("StationBtn")->setEnabled(on && windows_.station);
  Action("NetworkBtn")->setEnabled(on && windows_.network);
  summaryPage_->SetGraphAvailable(on && HaveStatistics());
  SetCaption(on && slicedFrames_ ? kSlicedSuffix : "");
}

void TMainForm::FillFileAttributes() {
  const char sep = LocaleThousandsSeparator();
  const QLocale locale;
  FileAttributeTexts t;
  t.analyzer = ToQ(AnalyzerDisplayName(currentAnalyzer_, currentTopology_, pcapModified_));
  t.interfaceName = ToQ(InterfaceText(currentTopology_));
  t.bandwidth = ToQ(BandwidthText(bandwidthMbps_, duplexFactor_));
  // The long date, a blank, then the short time; day and month names abbreviated.
  t.date = ToQ(FormatFileTime(std::filesystem::path(PathToStd(traceFileName_)),
                              ToStd(locale.dateFormat(QLocale::LongFormat)),
                              ToStd(locale.timeFormat(QLocale::ShortFormat))));
  t.size = ToQ(FileSizeText(traceFileSize_, sep));
  t.duration = decoding_ ? ToQ(FormatElapsed(decoding_->ElapsedTime())) : QString(kNoDurationText);
  t.comment = TraceText(traceComment_);
  t.firstFrame = ToQ(FirstFrameText(startTime_, ToStd(locale.dateFormat(QLocale::LongFormat))));
  summaryPage_->SetFileAttributes(t);
}

FileSummaryInputs TMainForm::SummaryInputs() const {
  FileSummaryInputs in;
  if (decoding_) decoding_->FillSummary(in);
  in.topology = currentTopology_;
  in.totalFrames = totalFrames_;
  in.statsBandwidthMbps = statsBandwidthMbps_;
  in.bandwidthMbps = bandwidthMbps_;
  in.duplexFactor = duplexFactor_;
  in.thousandsSep = LocaleThousandsSeparator();
  return in;
}

bool TMainForm::HaveStatistics() const { return !traceFileName_.isEmpty() && decoding_ && decoding_->HasStatistics(); }

void TMainForm::InitCharts(bool clear) {
  const ChartLook look = ChartLookOf(context_.settings.chart);
  for (TChartPage* page : {frameSizePage_, protocolChartPage_}) {
    if (clear) page->Chart()->SetData({});
    page->Chart()->SetLook(look);
  }
}

void TMainForm::UpdateCharts() {
  InitCharts(true);
  if (HaveStatistics()) summaryPage_->ShowFrameStatistics(ComputeFrameStatistics(SummaryInputs()));
  const CaptureModel* offloadModel = HaveStatistics() ? decoding_->Model() : nullptr;
  summaryPage_->ShowChecksumOffload(offloadModel ? ToQ(ChecksumOffloadText(offloadModel->ChecksumOffload)) : QString());
  UpdateMediaUtilization();
  const bool open = !traceFileName_.isEmpty();
  const TraceStatistics* stats = open && decoding_ ? decoding_->Statistics() : nullptr;
  ChartData sizes = stats ? FrameSizeChart(*stats, currentTopology_) : ChartData{};
  sizes.Title = std::string(kFrameSizeChartTitle);
  frameSizePage_->Chart()->SetData(std::move(sizes));
  frameSizePage_->Chart()->setVisible(open);
  protocolTablePage_->Fill(stats);
  const PacketClass packetClass = protocolChartPage_->ChosenPacketClass();
  ChartData protocols = stats ? ProtocolChart(*stats, packetClass) : ChartData{};
  protocols.Title = ProtocolChartTitle(packetClass);
  protocolChartPage_->Chart()->SetData(std::move(protocols));
  protocolChartPage_->Chart()->setVisible(open);
  // Token Ring MAC frames are a slice of their own here but count under "Other" in the table.
  protocolChartPage_->Chart()->setToolTip(
      currentTopology_ == kTokenRing
          ? "MAC: Token Ring MAC frames, shown apart here; the Protocol Table counts them in its Other row"
          : QString());
}

// The pages an open fills once: the client/server table, the charts and protocol table,
// the encapsulations and the DLC page of the medium.
void TMainForm::FillTracePages() {
  const CaptureModel* model = decoding_ ? decoding_->Model() : nullptr;
  const TraceStatistics* stats = decoding_ ? decoding_->Statistics() : nullptr;
  ClientServerInputs inputs;
  inputs.model = model;
  inputs.settings = &context_.brisqon;
  inputs.vendors = &context_.vendors;
  inputs.ports = &context_.userPorts;
  inputs.lastFrame = std::max(totalFrames_, 1);
  inputs.hasIpOrIpx = decoding_ && decoding_->IpOrIpxFrames() > 0;
  inputs.hasIpx = decoding_ && decoding_->IpxFrames() > 0;
  if (decoding_ && model) inputs.directory = decoding_->TakeDirectory();
  csPage_->SetTrace(inputs);
  UpdateCharts();
  FillEncapsulationGroup();
  dlcPage_->Fill(currentTopology_, model, stats, &context_.vendors);
}

void TMainForm::UpdateMediaUtilization() {
  UpdateUtilizationScale();
  if (!HaveStatistics()) return;
  summaryPage_->ShowMediaUtilization(ComputeMediaUtilization(SummaryInputs(), summaryPage_->BroadcastOnly()));
}

TUtilizationGraph* TMainForm::UtilizationGraph() {
  if (!utilizationGraph_) {
    utilizationGraph_ = new TUtilizationGraph(this);
    utilizationGraph_->setAttribute(Qt::WA_DeleteOnClose, false);
  }
  const TraceStatistics* stats = HaveStatistics() ? decoding_->Statistics() : nullptr;
  utilizationGraph_->SetSeries(stats ? stats->UtilSeries : std::vector<UtilizationSecond>{},
                               MakeUtilizationScale(currentTopology_, bandwidthMbps_, duplexFactor_),
                               StartSecondOfDay(startTime_));
  return utilizationGraph_;
}

void TMainForm::UtilizationGraphClick() {
  if (HaveStatistics()) ShowWindow(UtilizationGraph());
}

// The graph's percentages follow the bandwidth and duplex choices, as the summary's do.
void TMainForm::UpdateUtilizationScale() {
  if (utilizationGraph_)
    utilizationGraph_->SetScale(MakeUtilizationScale(currentTopology_, bandwidthMbps_, duplexFactor_));
}

void TMainForm::FillEncapsulationGroup() {
  const FileSummaryInputs in = SummaryInputs();
  // The medium's labels apply even before the figures are known.
  summaryPage_->ShowEncapsulationTypes(ComputeEncapsulationTypes(in));
  if (!HaveStatistics()) summaryPage_->SetMulticastLabel(ToQ(ComputeFrameStatistics(in).multicastLabel));
}

void TMainForm::CheckBandwidthItem() {
  const std::array<int, 3>& values = currentTopology_ == kTokenRing ? kTokenRingBandwidths : kEthernetBandwidths;
  for (size_t i = 0; i < 3; ++i) bandwidthOptions_[i]->setChecked(values[i] == bandwidthMbps_);
}

void TMainForm::BandwidthOptionClick(int index) {
  if (index < 0 || index > 2) return;
  const size_t i = static_cast<size_t>(index);
  if (currentTopology_ == kEthernet)
    bandwidthMbps_ = kEthernetBandwidths[i];
  else if (currentTopology_ == kTokenRing)
    bandwidthMbps_ = kTokenRingBandwidths[i];
  else
    return;
  for (size_t k = 0; k < 3; ++k) bandwidthOptions_[k]->setChecked(k == i);
  summaryPage_->SetFileBandwidth(ToQ(BandwidthText(bandwidthMbps_, duplexFactor_)));
  UpdateMediaUtilization();
}

void TMainForm::ReadPcap1Click() {
  context_.settings.readPcap = Action("ReadPcap1")->isChecked();
  openFilters_ = QtFilters(context_.settings.readPcap);
}

void TMainForm::FullDuplex1Click() {
  duplexFactor_ = Action("FullDuplex1")->isChecked() ? 2 : 1;
  UpdateMediaUtilization();
}

void TMainForm::FillReopenMenu() {
  for (size_t i = 0; i < kRecentFileCount; ++i) {
    const QString entry = PathFromStd(context_.settings.recentFiles[i]);
    mruItems_[i]->setText(QString("&%1 ").arg(i + 1) + EscapeMnemonic(entry));
    mruItems_[i]->setVisible(!entry.isEmpty());
  }
}

void TMainForm::MRUClick(int index) {
  if (opening_ || index < 0 || index >= static_cast<int>(kRecentFileCount)) return;
  pages_->hide();
  const std::string entry = context_.settings.recentFiles[static_cast<size_t>(index)];
  if (entry.empty()) return;
  traceFileName_ = PathFromStd(entry);
  ProcessFile();
}

void TMainForm::Open1Click() {
  if (opening_) return;
  SetTips(MakeTipSet({17, 18}));
  const QString path = context_.dialogs->OpenFileName(this, kOpenTitle, LastDirectory(), openFilters_);
  if (!path.isEmpty()) {
    traceFileName_ = QFileInfo(path).absoluteFilePath();
    pages_->hide();
    ProcessFile();
  }
  RestoreTips();
}

void TMainForm::Close1Click() {
  if (opening_) return;
  traceFileName_.clear();
  CloseAnalysisWindows();
  pages_->hide();
  EnableOptions(false);
  SetTips(MakeTipSet({30, 31}));
}

void TMainForm::FileCatcher1DropFiles() {
  if (opening_ || fileCatcher_->Files().isEmpty()) return;
  traceFileName_ = QFileInfo(fileCatcher_->Files().first()).absoluteFilePath();
  pages_->hide();
  ProcessFile();
}

void TMainForm::MainPageControlChange() {
  const int page = pages_->currentIndex();
  auto* editing = dynamic_cast<PageEditing*>(pages_->currentWidget());
  QAction* copy = Action("Copy1");
  const bool chart = page == kFrameSizeChartPage || page == kProtocolChartPage;
  copy->setText(chart ? "&Copy Chart" : "&Copy");
  copyTarget_ = page == kFileSummaryPage ? nullptr : editing;
  copy->setEnabled(copyTarget_ != nullptr);
  Action("SelectAll1")->setEnabled(editing && (page == kClientServerPage || page == kProtocolTablePage));
  // The selected row of the client/server table is the conversation the toolbox is asked for.
  if (page == kClientServerPage) csPage_->ServerGridClick();
  SetTips(PageTips(page, currentTopology_));
}

void TMainForm::RestoreTips() { MainPageControlChange(); }

void TMainForm::SetTips(const TipSet& tips) {
  if (tipPanel_->isHidden()) return;
  if (tips != tipSet_) {
    previousTips_ = tipSet_;
    tipSet_ = tips;
  }
  tipMemo_->setPlainText(ToQ(TipMemoText(tipSet_)));
}

void TMainForm::ShowTipWizard1Click() {
  const bool show = Action("ShowTipWizard1")->isChecked();
  tipPanel_->setVisible(show);
  if (show) RestoreTips();
}

void TMainForm::TipBulbClick() {
  Action("ShowTipWizard1")->setChecked(false);
  tipPanel_->hide();
}

void TMainForm::Copy1Click() {
  if (copyTarget_) copyTarget_->CopyToClipboard();
}

void TMainForm::SelectAll1Click() {
  const int page = pages_->currentIndex();
  if (page != kClientServerPage && page != kProtocolTablePage) return;
  if (auto* editing = dynamic_cast<PageEditing*>(pages_->currentWidget())) editing->SelectAllCells();
}

void TMainForm::ShowWindow(QWidget* window) {
  if (!window) return;
  if (window->isMinimized()) window->showNormal();
  window->show();
  window->raise();
  window->activateWindow();
}

void TMainForm::AnalyzeBtnClick() {
  if (!windows_.toolbox) return;
  if (decoding_ && decoding_->IpOrIpxFrames() > 0) {
    emit ToolboxRequest(csPage_->Requested());
    ShowWindow(windows_.toolbox);
  } else {
    context_.dialogs->Information(this, "Corvanta - Halvex ToolBox", kNoIpOrIpx);
  }
}

void TMainForm::NetworkBtnClick() {
  if (!windows_.network) return;
  if (decoding_ && decoding_->IpOrIpxFrames() > 0)
    ShowWindow(windows_.network);
  else
    context_.dialogs->Information(this, "Corvanta - Network Map", kNoIpOrIpx);
}

void TMainForm::StationBtnClick() { ShowWindow(windows_.station); }

void TMainForm::BrisqonBtnClick() {
  if (!windows_.brisqonSettings) return;
  const int result = windows_.brisqonSettings->exec();
  RestoreTips();
  // New thresholds and switches give new marks: the table is built and sorted again.
  if (result == QDialog::Accepted && !traceFileName_.isEmpty()) csPage_->Rebuild();
}

void TMainForm::ChartProperties1Click() {
  TChartPropertiesForm* dialog = windows_.chartProperties;
  if (!dialog) return;
  dialog->SetValues(context_.settings.chart);
  const int result = dialog->exec();
  context_.settings.chart = dialog->Values();
  if (result != QDialog::Rejected) UpdateCharts();
}

void TMainForm::Print1Click() {
  if (auto* dialog = qobject_cast<QDialog*>(windows_.printSelection)) dialog->exec();
}

QPrinter& TMainForm::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>();
  return *printer_;
}

void TMainForm::PrinterSetup1Click() {
  QPrinter& printer = Printer();
  printer.setPageOrientation(context_.settings.pageSetup.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (context_.dialogs->PrinterSetup(this, printer))
    context_.settings.pageSetup.landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
}

void TMainForm::ServerPorts1Click() {
  if (windows_.serverPorts) windows_.serverPorts->exec();
}

QUrl TMainForm::HelpPage(const QString& fragment) {
  const QString help = QDir(context_.programDirectory).filePath(kHelpFileName);
  if (!QFileInfo::exists(help)) {
    context_.dialogs->Warning(this, "Corvanta", QString("The help file %1 was not found.").arg(help));
    return {};
  }
  QUrl url = QUrl::fromLocalFile(help);
  if (!fragment.isEmpty()) url.setFragment(fragment);
  return url;
}

void TMainForm::HelpTopics1Click() {
  if (const QUrl url = HelpPage({}); url.isValid()) context_.dialogs->OpenUrl(url);
}

// The maker's page is the manual's section about the project.
void TMainForm::VisitWebSite1Click() {
  if (const QUrl url = HelpPage("project"); url.isValid()) context_.dialogs->OpenUrl(url);
}

void TMainForm::About1Click() {
  if (windows_.about) windows_.about->exec();
}

void TMainForm::WriteSettings() {
  if (settingsWritten_) return;
  settingsWritten_ = true;
  context_.settings.tipWizardEnabled = !tipPanel_->isHidden();
  context_.settings.Save(*context_.store, context_.brisqon);
  SavePlacement(*this, *context_.store);
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (opening_) {
    // The read stops first; the window closes once the open flow is over.
    closeAfterOpen_ = true;
    if (windows_.progress) windows_.progress->RequestStop();
    event->ignore();
    return;
  }
  WriteSettings();
  event->accept();
  // Closing the main window ends the program, whatever other windows are open.
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w != this && w->isVisible()) w->close();
}

}  // namespace corvanta::ui

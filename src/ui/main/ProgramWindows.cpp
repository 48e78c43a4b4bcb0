#include "ui/main/ProgramWindows.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QWidget>

#include "ui/analysis/LatencyForm.h"
#include "ui/analysis/ProblemAnalysisForm.h"
#include "ui/analysis/ThroughputForm.h"
#include "ui/analysis/WhatIfForm.h"
#include "ui/main/ChartPropertiesForm.h"
#include "ui/main/ClientServerPage.h"
#include "ui/main/ErrorInformationForm.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProblemSettingsForm.h"
#include "ui/main/ProcessTraceFileForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ServerPortsForm.h"
#include "ui/main/TraceDecoding.h"
#include "ui/peermaps/DualListDialog.h"
#include "ui/peermaps/PeerMapForm.h"
#include "ui/printing/PreviewForm.h"
#include "ui/printing/PrintSelectionForm.h"
#include "ui/printing/PrintSelectionForm2.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/toolbox/VisualizerPrintPages.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

// The analysis windows' view of the main window: the trace it holds and its tips.
class ProgramAnalysisHost : public AnalysisHost {
 public:
  explicit ProgramAnalysisHost(ProgramContext& context) : context_(context) {}
  void SetMainForm(TMainForm* mainForm) { main_ = mainForm; }

  TraceContext Trace() const override {
    TraceContext t;
    t.ports = &context_.userPorts;
    t.vendors = &context_.vendors;
    t.sendColor = ToQColor(context_.settings.visualizer.sendColor);
    t.receiveColor = ToQColor(context_.settings.visualizer.receiveColor);
    if (!main_) return t;
    t.generation = main_->TraceGeneration();
    // While a trace is processed its model is being written: nothing to read yet, and the
    // generation changes again when it is done.
    if (main_->Opening()) {
      t.generation |= uint64_t{1} << 63;
      return t;
    }
    t.fileName = QFileInfo(main_->TraceFileName()).fileName();
    t.frames = main_->TotalFrames();
    t.topology = main_->CurrentTopology();
    t.analyzer = main_->CurrentAnalyzer();
    t.bandwidthMbps = main_->BandwidthMbps();
    if (const TraceDecoding* d = main_->Decoding(); d && d->IpOrIpxFrames() > 0) {
      t.model = d->Model();
      t.hasIpx = d->IpxFrames() > 0;
    }
    return t;
  }
  void SetTips(const std::vector<int>& tips) override {
    if (!main_) return;
    TipSet set;
    for (int tip : tips)
      if (tip >= 0 && tip < static_cast<int>(set.size())) set.set(static_cast<size_t>(tip));
    main_->SetTips(set);
  }
  void RestoreTips() override {
    if (main_) main_->RestoreTips();
  }
  const BrisqonSettings* Brisqon() const override { return &context_.brisqon; }
  VisualizerSettings* VisualizerDisplay() override { return &context_.settings.visualizer; }
  DialogService* Dialogs() const override { return context_.dialogs; }

 private:
  ProgramContext& context_;
  TMainForm* main_ = nullptr;
};

ProgramWindows::ProgramWindows(ProgramContext& context, bool showSplash) {
  // The first few, then the splash, then the rest; the main window last.
  splash_ = new TSplashForm;
  preview_ = std::make_unique<TPreviewForm>(context.store);
  progress_ = std::make_unique<TProcessTraceFileForm>();
  scratch_ = std::make_unique<QWidget>();  // never shown
  problemSettings_ = std::make_unique<TProblemSettings>(context.brisqon);
  analyzing_ = std::make_unique<TProgress>();
  if (showSplash) {
    splash_->show();
    splash_->repaint();
    QCoreApplication::processEvents();
  }
  serverPorts_ = std::make_unique<TServerPorts>(context.userPorts, *context.store, *context.dialogs);
  // The print status window is made here, ahead of its place in the order: the print
  // dialog keeps a reference to it.
  printStatus_ = std::make_unique<TPrintStatusForm>();
  printSelection_ = std::make_unique<TPrintSelectionForm>(context.settings.pageSetup, *context.dialogs, *printStatus_);
  visualizerPrint_ = std::make_unique<TPrintSelectionForm2>(*context.dialogs, *printStatus_, *preview_);
  about_ = std::make_unique<TAboutBox>();
  chartProperties_ = std::make_unique<TChartPropertiesForm>(*context.dialogs);
  dualList_ = std::make_unique<TDualListDialogForm>();
  errorInformation_ = std::make_unique<TErrorInformationForm>();
  // The peer maps read the main window's trace when they are shown.
  const PeerMapTraceSource trace = [this, &context] {
    PeerMapTrace t;
    const TMainForm* main = mainForm_.get();
    if (!main) return t;
    t.serial = main->TraceGeneration();
    // While a trace is processed its model is being written: nothing to read yet.
    if (main->Opening() || main->TraceFileName().isEmpty() || !main->Decoding()) {
      t.serial |= uint64_t{1} << 63;
      return t;
    }
    t.model = main->Decoding()->Model();
    t.statistics = main->Decoding()->Statistics();
    t.fileName = main->TraceFileName();
    t.vendors = &context.vendors;
    t.vendorsLoaded = context.vendorWarning.isEmpty() && context.vendors.Count() > 0;
    return t;
  };
  analysisHost_ = std::make_unique<ProgramAnalysisHost>(context);
  latency_ = std::make_unique<TLatencyAnalysisForm>(*analysisHost_);
  network_ = std::make_unique<TNetworkStatisticsForm>(trace, dualList_.get());
  toolbox_ = std::make_unique<THalvexToolboxForm>(*analysisHost_);
  station_ = std::make_unique<TStationStats>(trace, dualList_.get());
  systemInfo_ = std::make_unique<TSystemInfoForm>(context);
  techSupport_ = std::make_unique<TTechSupportForm>();
  throughput_ = std::make_unique<TThroughputAnalysisForm>(*analysisHost_);
  whatIf_ = std::make_unique<TWhatIfAnalysisForm>(*analysisHost_);
  problemAnalysis_ = std::make_unique<TProblemAnalysisForm>();
  latency_->SetToolbox(toolbox_.get());
  latency_->SetWhatIfWindow(whatIf_.get());
  throughput_->SetToolbox(toolbox_.get());
  toolbox_->SetAnalysisWindows(latency_.get(), throughput_.get());
  toolbox_->SetProblemWindow(problemAnalysis_.get());

  MainFormWindows windows;
  windows.progress = progress_.get();
  windows.serverPorts = serverPorts_.get();
  windows.about = about_.get();
  windows.systemInfo = systemInfo_.get();
  windows.techSupport = techSupport_.get();
  windows.splash = splash_;
  windows.brisqonSettings = problemSettings_.get();
  windows.chartProperties = chartProperties_.get();
  windows.analyzing = analyzing_.get();
  windows.station = station_.get();
  windows.network = network_.get();
  windows.toolbox = toolbox_.get();
  windows.latency = latency_.get();
  windows.throughput = throughput_.get();
  windows.printSelection = printSelection_.get();
  mainForm_ = std::make_unique<TMainForm>(context, windows);
  analysisHost_->SetMainForm(mainForm_.get());
  QObject::connect(mainForm_.get(), &TMainForm::ToolboxRequest, toolbox_.get(), &THalvexToolboxForm::Request);
  // The network map's "&Halvex ToolBox": the clicked address becomes the toolbox's source.
  network_->SetToolboxAvailable(true);
  QObject::connect(network_.get(), &TNetworkStatisticsForm::ToolboxRequested, toolbox_.get(),
                   [this](const ToolboxAddressRequest& request) {
                     RequestedConversation conversation;
                     conversation.Source = ToStd(request.sourceText);
                     conversation.SourceVendor = ToStd(request.sourceVendorText);
                     toolbox_->Request(conversation);
                     mainForm_->ShowWindow(toolbox_.get());
                   });

  TMainForm* main = mainForm_.get();
  printSelection_->SetWindow(PrintableWindow::kMain, main);
  printSelection_->SetWindow(PrintableWindow::kStation, station_.get());
  printSelection_->SetWindow(PrintableWindow::kNetwork, network_.get());
  printSelection_->SetWindow(PrintableWindow::kVisualizer, toolbox_.get());
  printSelection_->SetWindow(PrintableWindow::kLatency, latency_.get());
  printSelection_->SetWindow(PrintableWindow::kThroughput, throughput_.get());
  printSelection_->SetWindow(PrintableWindow::kWhatIf, whatIf_.get());
  printSelection_->SetWindow(PrintableWindow::kProblem, problemAnalysis_.get());
  // The toolbox's print button: the drawing of its selection, page by page. The pages point
  // into the model, which cannot be replaced while the dialog is modal.
  QObject::connect(toolbox_.get(), &THalvexToolboxForm::PrintRequested, visualizerPrint_.get(), [this] {
    const std::unique_ptr<VisualizerPrintPages> pages = toolbox_->PrintPages();
    visualizerPrint_->SetPages(pages.get());
    visualizerPrint_->exec();
    visualizerPrint_->SetPages(nullptr);
  });
  printSelection_->SetPrinter(&main->Printer());
  printSelection_->SetHeaderText([main] {
    if (main->TraceFileName().isEmpty()) return QString();
    return ToQ(WindowPrintHeader(ToStd(main->FileSummaryPage()->TextBox("FileAnalyzerTextBox")->text()),
                                 ToStd(main->TraceFileName())));
  });
  const PrintTips tips{[main](const TipSet& tips) { main->SetTips(tips); }, [main] { main->RestoreTips(); }};
  printSelection_->SetTips(tips);
  visualizerPrint_->SetPrinter(&main->Printer());
  visualizerPrint_->SetTips(tips);
  visualizerPrint_->SetFileLine([main] {
    const TFileSummaryPage& summary = *main->FileSummaryPage();
    return ToQ(VisualizerFileLine(ToStd(summary.TextBox("FileAnalyzerTextBox")->text()), ToStd(main->TraceFileName()),
                                  ToStd(summary.TextBox("FileDateTextBox")->text())));
  });
}

bool ProgramWindows::ShowFirstConversation() {
  TClientServerPage* page = mainForm_->ClientServerPage();
  if (!page || page->Table().RowCount() == 0 || !analysisHost_->Trace().model) return false;
  toolbox_->Request(page->Table().Request(0, analysisHost_->Trace().vendors));
  ShowAnalysisWindow(toolbox_.get());
  toolbox_->ShowLatency();
  toolbox_->ShowThroughput();
  latency_->LoadAnalysisClick(false);
  toolbox_->ShowProblems();
  return true;
}

ProgramWindows::~ProgramWindows() {
  // The main window goes first: it writes the settings while the others still stand.
  mainForm_.reset();
  analysisHost_->SetMainForm(nullptr);
  // The preview may have become a child of the visualizer print dialog.
  if (preview_ && preview_->parent()) preview_->setParent(nullptr);
  delete splash_.data();
}

}  // namespace corvanta::ui

#include "ui/main/ProgramWindows.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QWidget>

#include "ui/main/ChartPropertiesForm.h"
#include "ui/main/ErrorInformationForm.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProblemSettingsForm.h"
#include "ui/main/ProcessTraceFileForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/main/ServerPortsForm.h"
#include "ui/printing/PreviewForm.h"
#include "ui/printing/PrintSelectionForm.h"
#include "ui/printing/PrintSelectionForm2.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

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
  errorInformation_ = std::make_unique<TErrorInformationForm>();
  systemInfo_ = std::make_unique<TSystemInfoForm>(context);
  techSupport_ = std::make_unique<TTechSupportForm>();

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
  windows.printSelection = printSelection_.get();
  mainForm_ = std::make_unique<TMainForm>(context, windows);

  TMainForm* main = mainForm_.get();
  printSelection_->SetWindow(PrintableWindow::kMain, main);
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

ProgramWindows::~ProgramWindows() {
  // The main window goes first: it writes the settings while the others still stand.
  mainForm_.reset();
  // The preview may have become a child of the visualizer print dialog.
  if (preview_ && preview_->parent()) preview_->setParent(nullptr);
  delete splash_.data();
}

}  // namespace corvanta::ui

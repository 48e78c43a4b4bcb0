#include "ui/main/ProgramWindows.h"

#include <QCoreApplication>
#include <QWidget>

#include "ui/main/ChartPropertiesForm.h"
#include "ui/main/ErrorInformationForm.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProblemSettingsForm.h"
#include "ui/main/ProcessTraceFileForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ServerPortsForm.h"
#include "ui/main/TraceDecoding.h"
#include "ui/peermaps/DualListDialog.h"
#include "ui/peermaps/PeerMapForm.h"

namespace corvanta::ui {

ProgramWindows::ProgramWindows(ProgramContext& context, bool showSplash) {
  // The first few, then the splash, then the rest; the main window last.
  splash_ = new TSplashForm;
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
  about_ = std::make_unique<TAboutBox>();
  chartProperties_ = std::make_unique<TChartPropertiesForm>(*context.dialogs);
  dualList_ = std::make_unique<TDualListDialogForm>();
  errorInformation_ = std::make_unique<TErrorInformationForm>();
  // The peer maps read the main window's trace when they are shown.
  const PeerMapTraceSource trace = [this, &context] {
    PeerMapTrace t;
    const TMainForm* main = mainForm_.get();
    if (!main || main->TraceFileName().isEmpty() || !main->Decoding()) return t;
    t.model = main->Decoding()->Model();
    t.statistics = main->Decoding()->Statistics();
    t.fileName = main->TraceFileName();
    t.serial = main->TraceSerial();
    t.vendors = &context.vendors;
    t.vendorsLoaded = context.vendorWarning.isEmpty() && context.vendors.Count() > 0;
    return t;
  };
  network_ = std::make_unique<TNetworkStatisticsForm>(trace, dualList_.get());
  station_ = std::make_unique<TStationStats>(trace, dualList_.get());
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
  windows.station = station_.get();
  windows.network = network_.get();
  mainForm_ = std::make_unique<TMainForm>(context, windows);
}

ProgramWindows::~ProgramWindows() {
  // The main window goes first: it writes the settings while the others still stand.
  mainForm_.reset();
  delete splash_.data();
}

}  // namespace corvanta::ui

#pragma once
#include <QPointer>
#include <memory>

class QWidget;

namespace corvanta::ui {

struct ProgramContext;
class TSplashForm;
class TProcessTraceFileForm;
class TProgress;
class TServerPorts;
class TAboutBox;
class TErrorInformationForm;
class TSystemInfoForm;
class TTechSupportForm;
class TMainForm;
class TProblemSettings;
class TChartPropertiesForm;
class TPrintSelectionForm;
class TPrintSelectionForm2;
class TPreviewForm;
class TPrintStatusForm;
class TDualListDialogForm;
class TStationStats;
class TNetworkStatisticsForm;
class THalvexToolboxForm;
class TLatencyAnalysisForm;
class TThroughputAnalysisForm;
class TWhatIfAnalysisForm;
class TProblemAnalysisForm;
class ProgramAnalysisHost;

// Every window of the program, created once in the start-up order and kept until exit.
// The main window is created last; it reads the settings and waits out the splash.
class ProgramWindows {
 public:
  explicit ProgramWindows(ProgramContext& context, bool showSplash = true);
  ~ProgramWindows();
  ProgramWindows(const ProgramWindows&) = delete;
  ProgramWindows& operator=(const ProgramWindows&) = delete;

  TProcessTraceFileForm* Progress() const { return progress_.get(); }
  TProgress* Analyzing() const { return analyzing_.get(); }
  TProblemSettings* ProblemSettings() const { return problemSettings_.get(); }
  TChartPropertiesForm* ChartProperties() const { return chartProperties_.get(); }
  TServerPorts* ServerPorts() const { return serverPorts_.get(); }
  TAboutBox* About() const { return about_.get(); }
  TErrorInformationForm* ErrorInformation() const { return errorInformation_.get(); }
  TSystemInfoForm* SystemInfo() const { return systemInfo_.get(); }
  TTechSupportForm* TechSupport() const { return techSupport_.get(); }
  TDualListDialogForm* DualList() const { return dualList_.get(); }
  TStationStats* Station() const { return station_.get(); }
  TNetworkStatisticsForm* Network() const { return network_.get(); }
  TMainForm* MainForm() const { return mainForm_.get(); }
  TPrintSelectionForm* PrintSelection() const { return printSelection_.get(); }
  TPrintSelectionForm2* VisualizerPrint() const { return visualizerPrint_.get(); }
  TPreviewForm* Preview() const { return preview_.get(); }
  TPrintStatusForm* PrintStatus() const { return printStatus_.get(); }
  THalvexToolboxForm* Toolbox() const { return toolbox_.get(); }
  TLatencyAnalysisForm* Latency() const { return latency_.get(); }
  TThroughputAnalysisForm* Throughput() const { return throughput_.get(); }
  TWhatIfAnalysisForm* WhatIf() const { return whatIf_.get(); }
  TProblemAnalysisForm* ProblemAnalysis() const { return problemAnalysis_.get(); }

  // Shows the toolbox on the first conversation of the client/server table with its latency,
  // throughput, (upper half) what-if and problem summary windows; false when there is none.
  bool ShowFirstConversation();

 private:
  QPointer<TSplashForm> splash_;
  std::unique_ptr<TPreviewForm> preview_;
  std::unique_ptr<TProcessTraceFileForm> progress_;
  std::unique_ptr<QWidget> scratch_;
  std::unique_ptr<TProblemSettings> problemSettings_;
  std::unique_ptr<TProgress> analyzing_;
  std::unique_ptr<TServerPorts> serverPorts_;
  std::unique_ptr<TPrintSelectionForm> printSelection_;
  std::unique_ptr<TPrintSelectionForm2> visualizerPrint_;
  std::unique_ptr<TAboutBox> about_;
  std::unique_ptr<TChartPropertiesForm> chartProperties_;
  std::unique_ptr<TDualListDialogForm> dualList_;
  std::unique_ptr<TErrorInformationForm> errorInformation_;
  std::unique_ptr<TPrintStatusForm> printStatus_;
  std::unique_ptr<TNetworkStatisticsForm> network_;
  std::unique_ptr<TStationStats> station_;
  std::unique_ptr<ProgramAnalysisHost> analysisHost_;
  std::unique_ptr<TLatencyAnalysisForm> latency_;
  std::unique_ptr<THalvexToolboxForm> toolbox_;
  std::unique_ptr<TThroughputAnalysisForm> throughput_;
  std::unique_ptr<TWhatIfAnalysisForm> whatIf_;
  std::unique_ptr<TProblemAnalysisForm> problemAnalysis_;
  std::unique_ptr<TSystemInfoForm> systemInfo_;
  std::unique_ptr<TTechSupportForm> techSupport_;
  std::unique_ptr<TMainForm> mainForm_;
};

}  // namespace corvanta::ui

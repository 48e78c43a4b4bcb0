#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <array>
#include <memory>

#include "analysis/ClientServerTable.h"
#include "analysis/FileSummary.h"
#include "trace/AnalyzerKind.h"
#include "ui/main/TipWizard.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPrinter;
class QTabWidget;
class QToolBar;
class QToolButton;
class QUrl;

namespace corvanta::ui {

struct ProgramContext;
class TraceDecoding;
class TFileCatcher;
class TFileSummaryPage;
class TProcessTraceFileForm;
class TServerPorts;
class TAboutBox;
class TSystemInfoForm;
class TTechSupportForm;
class TSplashForm;
class TProgress;
class TChartPropertiesForm;
class TProblemSettings;
class TClientServerPage;
class TDlcErrorPage;
class TChartPage;
class TProtocolTablePage;
class TUtilizationGraph;

// A page that can copy to the clipboard and select its cells; the Edit menu binds to it.
class PageEditing {
 public:
  virtual ~PageEditing() = default;
  virtual void CopyToClipboard() = 0;
  virtual void SelectAllCells() {}
};

// The windows the main window shows. Windows not built yet stay null and their buttons
// stay disabled.
struct MainFormWindows {
  TProcessTraceFileForm* progress = nullptr;
  TServerPorts* serverPorts = nullptr;
  TAboutBox* about = nullptr;
  TSystemInfoForm* systemInfo = nullptr;
  TTechSupportForm* techSupport = nullptr;
  QPointer<TSplashForm> splash;
  QWidget* toolbox = nullptr;
  QWidget* station = nullptr;
  QWidget* network = nullptr;
  QWidget* latency = nullptr;
  QWidget* throughput = nullptr;
  QWidget* problemSummary = nullptr;
  QWidget* printSelection = nullptr;
  TProblemSettings* brisqonSettings = nullptr;
  TChartPropertiesForm* chartProperties = nullptr;
  TProgress* analyzing = nullptr;
};

// The page order of MainPageControl.
enum MainPage : int {
  kFileSummaryPage = 0,
  kClientServerPage,
  kDlcErrorPage,
  kFrameSizeChartPage,
  kProtocolChartPage,
  kProtocolTablePage,
  kMainPageCount
};

// The program's home: menus, tool bar, status bar, the Tip Wizard and the six pages; runs
// the open flow and keeps the settings between runs.
class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  TMainForm(ProgramContext& context, const MainFormWindows& windows, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The open flow on TraceFileName.
  void ProcessFile();
  // TraceFileName := path, the pages hidden, then the open flow.
  void OpenTraceFile(const QString& path);
  void SetCaption(const QString& suffix);
  void EnableOptions(bool on);
  void SetTips(const TipSet& tips);
  void RestoreTips();
  void ShowWindow(QWidget* window);
  void CloseAnalysisWindows();
  // Writes every setting and the window's placement; only the first call writes.
  void WriteSettings();

  // Where the last open that showed its pages spent its time, in seconds: the frame pass
  // (with its progress window), then filling the pages (the client/server table, the charts,
  // the protocol table, the DLC page); total from the open's start. All 0 before one.
  struct OpenTimings {
    double pass = 0;
    double pages = 0;
    double total = 0;
  };
  const OpenTimings& LastOpenTimings() const { return openTimings_; }

  // State.
  const QString& TraceFileName() const { return traceFileName_; }
  QString LastDirectory() const;
  AnalyzerKind CurrentAnalyzer() const { return currentAnalyzer_; }
  Topology CurrentTopology() const { return currentTopology_; }
  int BandwidthMbps() const { return bandwidthMbps_; }
  int DuplexFactor() const { return duplexFactor_; }
  const TipSet& Tips() const { return tipSet_; }
  const TipSet& PreviousTips() const { return previousTips_; }
  bool Opening() const { return opening_; }
  // The decoder's results of the last trace processed; null before the first.
  const TraceDecoding* Decoding() const { return decoding_.get(); }
  // Changes whenever the model is replaced.
  uint64_t TraceGeneration() const { return traceGeneration_; }
  int32_t TotalFrames() const { return totalFrames_; }
  QPrinter& Printer();

  // Controls.
  QTabWidget* MainPageControl() const { return pages_; }
  TFileSummaryPage* FileSummaryPage() const { return summaryPage_; }
  TClientServerPage* ClientServerPage() const { return csPage_; }
  TDlcErrorPage* DlcErrorPage() const { return dlcPage_; }
  TChartPage* FrameSizeChartPage() const { return frameSizePage_; }
  TChartPage* ProtocolChartPage() const { return protocolChartPage_; }
  TProtocolTablePage* ProtocolTablePage() const { return protocolTablePage_; }
  // What the page area shows while no trace is shown.
  QLabel* NoTracePanel() const { return noTracePanel_; }
  // The "Utilization Graph" window filled with the current trace's series; created on first use.
  TUtilizationGraph* UtilizationGraph();
  QWidget* TipPanel() const { return tipPanel_; }
  QPlainTextEdit* TipMemo() const { return tipMemo_; }
  QLabel* StatusPanel(int index) const { return statusPanels_.at(static_cast<size_t>(index)); }
  TFileCatcher* FileCatcher1() const { return fileCatcher_; }
  // A menu item or tool button by its control name ("Open1", "OpenBtn", "MRU1", ...).
  QAction* Action(const QString& name) const;
  QMenu* Menu(const QString& name) const;
  // The Open dialog's file types as the dialog takes them.
  const QStringList& OpenDialogFilters() const { return openFilters_; }

 signals:
  // The first activation, with its command-line trace, is over.
  void FirstActivationDone();
  // The toolbox is about to be shown for this conversation.
  void ToolboxRequest(const corvanta::RequestedConversation& request);

 public slots:
  void Open1Click();
  void Close1Click();
  void MRUClick(int index);
  void Print1Click();
  void PrinterSetup1Click();
  void Copy1Click();
  void SelectAll1Click();
  void BandwidthOptionClick(int index);
  void FullDuplex1Click();
  void ReadPcap1Click();
  void ServerPorts1Click();
  void HelpTopics1Click();
  void ShowTipWizard1Click();
  void VisitWebSite1Click();
  void About1Click();
  void AnalyzeBtnClick();
  void StationBtnClick();
  void NetworkBtnClick();
  void BrisqonBtnClick();
  void TipBulbClick();
  void UpdateCharts();
  void UpdateMediaUtilization();
  // The chart properties dialog, from the charts' right-click menu.
  void ChartProperties1Click();
  void UtilizationGraphClick();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenus();
  void BuildToolBar();
  void BuildStatusBar();
  void BuildTipPanel();
  void BuildPages();
  void FormActivate();
  void FileCatcher1DropFiles();
  void MainPageControlChange();
  void FillReopenMenu();
  void FillFileAttributes();
  void FillEncapsulationGroup();
  // Applies the chart properties to both charts; with clear they also lose their points.
  void InitCharts(bool clear);
  void FillTracePages();
  void CheckBandwidthItem();
  void SetMenusEnabled(bool on);
  void SetOpenBusy(bool busy);
  void RefuseTrace(const QString& text);
  FileSummaryInputs SummaryInputs() const;
  bool HaveStatistics() const;
  // The bundled manual, at a section; invalid (after a warning) when it is missing.
  QUrl HelpPage(const QString& fragment);
  QAction* MakeAction(const QString& name, const QString& caption, const QString& hint = {});
  // The tooltips of the buttons and items whose windows are not built yet.
  void MarkMissingWindows();
  void UpdateUtilizationScale();

  ProgramContext& context_;
  MainFormWindows windows_;

  QTabWidget* pages_ = nullptr;
  TFileSummaryPage* summaryPage_ = nullptr;
  TClientServerPage* csPage_ = nullptr;
  TDlcErrorPage* dlcPage_ = nullptr;
  TChartPage* frameSizePage_ = nullptr;
  TChartPage* protocolChartPage_ = nullptr;
  TProtocolTablePage* protocolTablePage_ = nullptr;
  QLabel* noTracePanel_ = nullptr;
  TUtilizationGraph* utilizationGraph_ = nullptr;
  QWidget* tipPanel_ = nullptr;
  QPlainTextEdit* tipMemo_ = nullptr;
  QToolButton* tipBulb_ = nullptr;
  std::array<QLabel*, 3> statusPanels_{};
  std::array<QAction*, 8> mruItems_{};
  std::array<QAction*, 3> bandwidthOptions_{};
  QMenu* fileMenu_ = nullptr;
  QMenu* editMenu_ = nullptr;
  QMenu* optionsMenu_ = nullptr;
  QMenu* helpMenu_ = nullptr;
  QMenu* reopenMenu_ = nullptr;
  QMenu* bandwidthMenu_ = nullptr;
  QToolBar* toolBar_ = nullptr;
  TFileCatcher* fileCatcher_ = nullptr;
  std::unique_ptr<QPrinter> printer_;
  QStringList openFilters_;

  QString traceFileName_;
  OpenTimings openTimings_;
  AnalyzerKind currentAnalyzer_ = kNotATrace;
  Topology currentTopology_ = kEthernet;
  bool pcapModified_ = false;
  int bandwidthMbps_ = 10;
  int statsBandwidthMbps_ = 10;
  int duplexFactor_ = 1;
  uint64_t traceFileSize_ = 0;
  std::string traceComment_;
  double startTime_ = 0;  // the first frame's StartTime
  QString lastRefusal_;
  bool slicedFrames_ = false;
  bool partialRead_ = false;  // reading ended before the end of the file
  int32_t totalFrames_ = 0;
  std::unique_ptr<TraceDecoding> decoding_;
  uint64_t traceGeneration_ = 0;

  TipSet tipSet_;
  TipSet previousTips_;
  PageEditing* copyTarget_ = nullptr;
  bool activated_ = false;
  bool opening_ = false;
  bool closeAfterOpen_ = false;
  bool settingsWritten_ = false;
};

}  // namespace corvanta::ui

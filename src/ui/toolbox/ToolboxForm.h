#pragma once
#include <QWidget>
#include <memory>
#include <optional>

#include "analysis/ConversationFigures.h"
#include "analysis/Toolbox.h"
#include "analysis/VisualizerLayout.h"
#include "ui/toolbox/AnalysisHost.h"
#include "ui/widgets/DialogService.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QSlider;
class QSpinBox;
class QToolButton;

namespace corvanta::ui {

class TProblemAnalysisForm;
class TVisualizerAttributes;
class VisualizerPrintPages;
class TVisualizerView;

// The toolbox ("Halvex ToolBox (tm)"): the choice of one conversation of the open trace as
// source, destination and protocol/application, the packet range, the visualizer's area and
// the buttons that open the analyses of the conversation.
class THalvexToolboxForm : public QWidget {
  Q_OBJECT
 public:
  explicit THalvexToolboxForm(AnalysisHost& host, QWidget* parent = nullptr);

  // The windows the analysis buttons open, and that close with the toolbox.
  void SetAnalysisWindows(QWidget* latency, QWidget* throughput);
  // The problem analysis summary that the problem button opens.
  void SetProblemWindow(TProblemAnalysisForm* problems) { problems_ = problems; }
  // The conversation to select: now when the toolbox is shown, else on its next activation.
  void Request(const RequestedConversation& request);

  // The selection as the controls stand (GetNetDst), refilled first when a newer trace
  // replaced the one the lists were filled from.
  Selection RefreshSelection();
  SelectionTexts Texts() const;
  const ToolboxState& State() const { return state_; }
  TraceContext Trace() const { return host_.Trace(); }
  uint64_t Generation() const { return generation_; }

  // The refill and preselection of an activation.
  void FormActivate();
  void SwapBtnClick();
  // Opens the latency or throughput window after refreshing the selection.
  void ShowLatency();
  void ShowThroughput();
  // Opens the problem analysis summary of the selection (the problem button).
  void ShowProblems();
  // The colour and font dialog (ToolButton1); true when it closed with OK.
  bool EditDisplayAttributes();
  // The visualizer's request for the selection as the controls stand.
  VisualizerRequest CurrentVisualizerRequest();
  // The drawing of the current selection as printed pages (for the print dialog).
  std::unique_ptr<VisualizerPrintPages> PrintPages();
  QToolButton* PrintButton() const { return printButton_; }

  QComboBox* SourceBox() const { return sourceBox_; }
  QComboBox* TargetBox() const { return targetBox_; }
  QComboBox* AppBox() const { return appBox_; }
  QComboBox* PacketComments() const { return packetComments_; }
  QToolButton* ToolThruputBtn() const { return latencyButton_; }
  QToolButton* ToolLatencyBtn() const { return throughputButton_; }
  QToolButton* ToolProblemBtn() const { return problemButton_; }
  QToolButton* ToolSwapBtn() const { return swapButton_; }
  QSpinBox* StartPacketSpinEdit() const { return startEdit_; }
  QSpinBox* EndPacketSpinEdit() const { return endEdit_; }
  QCheckBox* IPXOUILower2() const { return ipxByOui_; }
  QListWidget* DisplayOptions() const { return displayOptions_; }
  QSlider* PacketSpacingTrackBar() const { return spacing_; }
  QSlider* PacketSizeTrackBar() const { return size_; }
  QLabel* Label5() const { return tickLabel_; }
  TVisualizerView* Visualizer() const { return visualizer_; }
  QToolButton* PropertiesButton() const { return propertiesButton_; }
  TVisualizerAttributes* Attributes() const { return attributes_; }

 signals:
  // The selection or the packet range changed: the visualizer draws again.
  void SelectionChanged();
  // The print button was pressed with a drawing to print.
  void PrintRequested();

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildControls();
  // The lists, indexes, range and swap button from the state.
  void ShowState();
  void Recalc();
  void SourceBoxChange(int index);
  void TargetBoxChange(int index);
  void AppBoxChange(int index);
  void StartChange(int value);
  void EndChange(int value);
  void PacketSpacingChange(int position);
  void PacketSizeChange();
  void DisplayOptionsChange();
  void PacketCommentsChange(int index);
  // The six column checks from the stored settings.
  void SetDisplayOptions();
  // The "Diagnostic" list and the problem button from the visualizer's pass.
  void ShowDiagnostics();
  // Refills the state when the trace changed; true when it did.
  bool CatchUp();

  AnalysisHost& host_;
  ToolboxState state_;
  uint64_t generation_ = 0;
  bool filled_ = false;
  std::optional<RequestedConversation> request_;
  bool showing_ = false;  // the controls are being set from the state
  QWidget* latency_ = nullptr;
  QWidget* throughput_ = nullptr;
  TProblemAnalysisForm* problems_ = nullptr;
  TVisualizerAttributes* attributes_ = nullptr;
  DialogService fallbackDialogs_;
  VisualizerColumns columns_;  // when the host keeps no display settings
  bool rebuildDiagnosticList_ = true;
  bool activated_ = false;

  QComboBox* sourceBox_ = nullptr;
  QComboBox* targetBox_ = nullptr;
  QComboBox* appBox_ = nullptr;
  QComboBox* packetComments_ = nullptr;
  QToolButton* latencyButton_ = nullptr;
  QToolButton* throughputButton_ = nullptr;
  QToolButton* problemButton_ = nullptr;
  QToolButton* swapButton_ = nullptr;
  QToolButton* printButton_ = nullptr;
  QToolButton* propertiesButton_ = nullptr;
  QToolButton* copyButton_ = nullptr;
  QSpinBox* startEdit_ = nullptr;
  QSpinBox* endEdit_ = nullptr;
  QCheckBox* ipxByOui_ = nullptr;
  QListWidget* displayOptions_ = nullptr;
  QSlider* spacing_ = nullptr;
  QSlider* size_ = nullptr;
  QLabel* tickLabel_ = nullptr;
  TVisualizerView* visualizer_ = nullptr;
};

// Shows a modeless window, first back to normal when it is minimised.
void ShowAnalysisWindow(QWidget* window);

}  // namespace corvanta::ui

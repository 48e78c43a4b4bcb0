#pragma once
#include <QWidget>

#include "analysis/ConversationFigures.h"
#include "ui/toolbox/AnalysisHost.h"

class QButtonGroup;
class QCheckBox;
class QToolButton;

namespace corvanta::ui {

class TAnalysisHalf;
class THalvexToolboxForm;
class TWhatIfAnalysisForm;

// "Response Time/Latency Analysis": the delays between the sender's commands and the
// responder's responses in both directions of the toolbox's conversation.
class TLatencyAnalysisForm : public QWidget {
  Q_OBJECT
 public:
  explicit TLatencyAnalysisForm(AnalysisHost& host, QWidget* parent = nullptr);
  // The toolbox whose selection is analysed.
  void SetToolbox(THalvexToolboxForm* toolbox) { toolbox_ = toolbox; }

  void SetWhatIfWindow(TWhatIfAnalysisForm* whatIf) { whatIf_ = whatIf; }
  // Analyses both halves with the toolbox's selection.
  void Analyse();
  // Opens the what-if window seeded with a half's figures.
  void LoadAnalysisClick(bool lower);
  const LatencyView& View() const { return view_; }
  std::string CopyData(bool lower) const;

  TAnalysisHalf* Upper() const { return upper_; }
  TAnalysisHalf* Lower() const { return lower_; }
  QToolButton* LoadAnalysis() const { return whatIfButtons_[0]; }
  QToolButton* LoadAnalysis2() const { return whatIfButtons_[1]; }
  QButtonGroup* HowLatencyRadioGroup() const { return how_; }
  QCheckBox* CheckBox1() const { return localMedia_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormActivate();
  void ShowHalf(TAnalysisHalf* half, const LatencyHalf& h, const std::string& title);

  AnalysisHost& host_;
  THalvexToolboxForm* toolbox_ = nullptr;
  TWhatIfAnalysisForm* whatIf_ = nullptr;
  LatencyView view_;
  SelectionTexts texts_;
  TAnalysisHalf* upper_ = nullptr;
  TAnalysisHalf* lower_ = nullptr;
  std::array<QToolButton*, 2> whatIfButtons_{};
  QButtonGroup* how_ = nullptr;
  QCheckBox* localMedia_ = nullptr;
};

}  // namespace corvanta::ui

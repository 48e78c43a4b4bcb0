#pragma once
#include <QWidget>

#include "analysis/ConversationFigures.h"
#include "ui/toolbox/AnalysisHost.h"

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace corvanta::ui {

class TAnalysisHalf;
class THalvexToolboxForm;

// "Throughput Analysis": peak, lowest, average and contention of both directions of the
// toolbox's conversation, measured with a sliding window of packets.
class TThroughputAnalysisForm : public QWidget {
  Q_OBJECT
 public:
  explicit TThroughputAnalysisForm(AnalysisHost& host, QWidget* parent = nullptr);
  // The toolbox whose selection is analysed.
  void SetToolbox(THalvexToolboxForm* toolbox) { toolbox_ = toolbox; }

  // Recalculates both halves with the toolbox's selection.
  void ThruputBtnClick();
  const ThroughputView& View() const { return view_; }
  std::string CopyData(bool lower) const;

  TAnalysisHalf* Upper() const { return upper_; }
  TAnalysisHalf* Lower() const { return lower_; }
  QCheckBox* CheckBox1() const { return kbits_; }
  QCheckBox* CheckBox2() const { return acks_; }
  QSpinBox* MinimumPacketsEdit() const { return sampling_; }
  QPushButton* ThruputBtn() const { return recalc_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormActivate();
  void ShowHalf(TAnalysisHalf* half, const ThroughputHalf& h, const std::string& title);

  AnalysisHost& host_;
  THalvexToolboxForm* toolbox_ = nullptr;
  ThroughputView view_;
  SelectionTexts texts_;
  TAnalysisHalf* upper_ = nullptr;
  TAnalysisHalf* lower_ = nullptr;
  QCheckBox* kbits_ = nullptr;
  QCheckBox* acks_ = nullptr;
  QSpinBox* sampling_ = nullptr;
  QPushButton* recalc_ = nullptr;
};

}  // namespace corvanta::ui

#pragma once
#include <QWidget>
#include <optional>

#include "analysis/WhatIf.h"
#include "ui/toolbox/AnalysisHost.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QToolButton;

namespace corvanta::ui {

// "Load & Response Time Analysis": a measured exchange extrapolated to 20 link speeds.
class TWhatIfAnalysisForm : public QWidget {
  Q_OBJECT
 public:
  explicit TWhatIfAnalysisForm(AnalysisHost& host, QWidget* parent = nullptr);

  // The half to start from; the edits are seeded on the next activation.
  void Seed(const LatencySeed& seed, const SelectionTexts& texts);
  // Button1: the seeded values again.
  void RestoreOriginalValues();
  WhatIfInputs Inputs() const;
  const std::vector<WhatIfRow>& Rows() const { return rows_; }
  // The selected cells with the header texts of their columns.
  std::string CopySelection() const;

  QSpinBox* Edit(const char* name) const;
  QCheckBox* FullDuplex() const { return fullDuplex_; }
  QTableWidget* RespGrid() const { return grid_; }
  QPushButton* Button1() const { return restore_; }
  QToolButton* SpeedBtn() const { return copy_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void FormActivate();
  void Recalculate();
  void RatioChange();

  AnalysisHost& host_;
  std::optional<LatencySeed> seed_;
  SelectionTexts texts_;
  bool seedPending_ = false;
  bool seeding_ = false;
  std::vector<WhatIfRow> rows_;
  std::vector<QSpinBox*> edits_;
  QLabel* sourceTitle_ = nullptr;
  QLabel* destinationTitle_ = nullptr;
  QCheckBox* fullDuplex_ = nullptr;
  QTableWidget* grid_ = nullptr;
  QPushButton* restore_ = nullptr;
  QToolButton* copy_ = nullptr;
};

}  // namespace corvanta::ui

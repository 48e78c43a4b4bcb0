#pragma once
#include <QDialog>

#include "analysis/BrisqonSettings.h"
#include "ui/main/TipWizard.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace corvanta::ui {

// "Corvanta Brisqon(tm) Settings": the problem finder's thirty checks with their switches,
// thresholds and texts. The dialog edits working copies; only "OK" makes them live.
class TProblemSettings : public QDialog {
  Q_OBJECT
 public:
  explicit TProblemSettings(BrisqonSettings& settings, QWidget* parent = nullptr);

  // The check shown by the list's entry.
  CheckId CheckAt(int entry) const;
  int SelectedEntry() const;
  void SelectEntry(int entry);

  QListWidget* SettingBox() const { return settingBox_; }
  QSpinBox* ValueSpinEdit() const { return valueEdit_; }
  QSlider* TrackBar1() const { return trackBar_; }
  QLabel* ValueLabel() const { return label1_; }
  QLabel* UnitLabel() const { return label3_; }
  QLabel* SensitivityLabel() const { return label4_; }
  QPushButton* Button(const QString& name) const;
  QPlainTextEdit* MemoBox(const QString& name) const;

  void done(int result) override;

 signals:
  void TipsRequested(const corvanta::ui::TipSet& tips);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowEntry();
  void ShowChecks();
  void SettingBoxItemChanged();
  void ValueChange(int value);
  void TrackBarChange(int position);

  BrisqonSettings& settings_;
  bool showing_ = false;
  QListWidget* settingBox_ = nullptr;
  QSpinBox* valueEdit_ = nullptr;
  QSlider* trackBar_ = nullptr;
  QLabel* label1_ = nullptr;
  QLabel* label3_ = nullptr;
  QLabel* label4_ = nullptr;
  QPushButton* restoreDefault_ = nullptr;
};

}  // namespace corvanta::ui

#pragma once
#include <QDialog>

#include "analysis/ChartProperties.h"

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QFrame;
class QPushButton;

namespace corvanta::ui {

class DialogService;

// "Chart Properties": how the frame size and protocol charts look. The values take effect
// on "&Apply" and "&OK"; "&Cancel" puts back those of the last apply.
class TChartPropertiesForm : public QDialog {
  Q_OBJECT
 public:
  explicit TChartPropertiesForm(DialogService& dialogs, QWidget* parent = nullptr);

  // The controls take the values; the next activation takes its snapshot of them.
  void SetValues(const ChartPropertyValues& values);
  const ChartPropertyValues& Values() const { return model_.Values(); }
  const ChartPropertiesModel& Model() const { return model_; }

  QPushButton* ApplyButton() const { return applyButton_; }
  QPushButton* OkButton() const { return okButton_; }
  QPushButton* CancelButton() const { return cancelButton_; }
  QCheckBox* CheckBox(const QString& name) const;
  QAbstractButton* TypeButton(ChartType type) const;
  QAbstractButton* UnitsButton(ChartUnits units) const;
  QPushButton* TopColorButton() const { return topColorButton_; }
  QPushButton* BottomColorButton() const { return bottomColorButton_; }
  QFrame* TopColorPanel() const { return topColorPanel_; }
  QFrame* BottomColorPanel() const { return bottomColorPanel_; }

  void done(int result) override;

 signals:
  // The charts take these values now.
  void ApplyValues(const corvanta::ChartPropertyValues& values);

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowValues();
  void ControlChanged();
  void ChooseColor(bool top);
  void ApplyButtonClick();

  DialogService& dialogs_;
  ChartPropertiesModel model_;
  bool showing_ = false;
  QButtonGroup* type_ = nullptr;
  QButtonGroup* units_ = nullptr;
  QCheckBox* gradient_ = nullptr;
  QCheckBox* title_ = nullptr;
  QCheckBox* legend_ = nullptr;
  QCheckBox* values_ = nullptr;
  QCheckBox* view3D_ = nullptr;
  QFrame* topColorPanel_ = nullptr;
  QFrame* bottomColorPanel_ = nullptr;
  QPushButton* topColorButton_ = nullptr;
  QPushButton* bottomColorButton_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QPushButton* applyButton_ = nullptr;
};

}  // namespace corvanta::ui

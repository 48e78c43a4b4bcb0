#include "ui/main/ChartPropertiesForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/widgets/ColorPanel.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

QButtonGroup* RadioGroup(QWidget* parent, const char* name, const char* caption, const QStringList& choices,
                         QVBoxLayout* into) {
  auto* group = new QGroupBox(caption, parent);
  group->setObjectName(name);
  auto* layout = new QVBoxLayout(group);
  auto* buttons = new QButtonGroup(group);
  for (int i = 0; i < choices.size(); ++i) {
    auto* radio = new QRadioButton(choices[i], group);
    buttons->addButton(radio, i);
    layout->addWidget(radio);
  }
  into->addWidget(group);
  return buttons;
}

QCheckBox* Check(QWidget* parent, const char* name, const char* caption) {
  auto* box = new QCheckBox(caption, parent);
  box->setObjectName(name);
  return box;
}

}  // namespace

TChartPropertiesForm::TChartPropertiesForm(DialogService& dialogs, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs) {
  setObjectName("ChartPropertiesForm");
  setWindowTitle("Chart Properties");
  auto* top = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  type_ = RadioGroup(this, "ChartTypeRadioGroup", "Chart Type", {"Pie", "Bar"}, left);
  units_ = RadioGroup(this, "ChartUnitsRadioGroup", "Chart Units", {"Percent", "Packets"}, left);
  left->addStretch();
  columns->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* background = new QGroupBox("Background", this);
  background->setObjectName("BackgroundGroupBox");
  auto* bg = new QGridLayout(background);
  gradient_ = Check(background, "ShowGradientCheckBox", "Show Gradient");
  topColorPanel_ = ColorPanel(background, "TopColorPanel");
  bottomColorPanel_ = ColorPanel(background, "BottomColorPanel");
  topColorButton_ = new QPushButton("&Top Color...", background);
  topColorButton_->setObjectName("TopColorButton");
  bottomColorButton_ = new QPushButton("&Bottom Color...", background);
  bottomColorButton_->setObjectName("BottomColorButton");
  bg->addWidget(gradient_, 0, 0, 1, 2);
  bg->addWidget(topColorPanel_, 1, 0);
  bg->addWidget(topColorButton_, 1, 1);
  bg->addWidget(bottomColorPanel_, 2, 0);
  bg->addWidget(bottomColorButton_, 2, 1);
  right->addWidget(background);
  title_ = Check(this, "ShowTitleCheckBox", "Show Title");
  legend_ = Check(this, "ShowLegendCheckBox", "Show Legend");
  values_ = Check(this, "ShowValuesCheckBox", "Show Values");
  view3D_ = Check(this, "Show3DCheckBox", "Enable 3D");
  for (QCheckBox* box : {title_, legend_, values_, view3D_}) right->addWidget(box);
  right->addStretch();
  columns->addLayout(right);
  top->addLayout(columns);

  auto* buttons = new QHBoxLayout;
  okButton_ = new QPushButton("&OK", this);
  okButton_->setObjectName("OKButton");
  okButton_->setDefault(true);
  cancelButton_ = new QPushButton("&Cancel", this);
  cancelButton_->setObjectName("CancelButton");
  applyButton_ = new QPushButton("&Apply", this);
  applyButton_->setObjectName("ApplyButton");
  applyButton_->setEnabled(false);
  buttons->addStretch();
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addWidget(applyButton_);
  top->addLayout(buttons);

  ShowValues();
  connect(type_, &QButtonGroup::idClicked, this, &TChartPropertiesForm::ControlChanged);
  connect(units_, &QButtonGroup::idClicked, this, &TChartPropertiesForm::ControlChanged);
  for (QCheckBox* box : {gradient_, title_, legend_, values_, view3D_})
    connect(box, &QCheckBox::toggled, this, &TChartPropertiesForm::ControlChanged);
  connect(topColorButton_, &QPushButton::clicked, this, [this] { ChooseColor(true); });
  connect(bottomColorButton_, &QPushButton::clicked, this, [this] { ChooseColor(false); });
  topColorPanel_->installEventFilter(this);
  bottomColorPanel_->installEventFilter(this);
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);
  connect(applyButton_, &QPushButton::clicked, this, &TChartPropertiesForm::ApplyButtonClick);
}

QCheckBox* TChartPropertiesForm::CheckBox(const QString& name) const { return findChild<QCheckBox*>(name); }
QAbstractButton* TChartPropertiesForm::TypeButton(ChartType type) const {
  return type_->button(static_cast<int>(type));
}
QAbstractButton* TChartPropertiesForm::UnitsButton(ChartUnits units) const {
  return units_->button(static_cast<int>(units));
}

void TChartPropertiesForm::SetValues(const ChartPropertyValues& values) {
  model_ = ChartPropertiesModel(values);
  ShowValues();
}

void TChartPropertiesForm::ShowValues() {
  showing_ = true;
  const ChartPropertyValues& v = model_.Values();
  type_->button(static_cast<int>(v.Type))->setChecked(true);
  units_->button(static_cast<int>(v.Units))->setChecked(true);
  gradient_->setChecked(v.Gradient);
  title_->setChecked(v.Title);
  legend_->setChecked(v.Legend);
  values_->setChecked(v.Values);
  view3D_->setChecked(v.View3D);
  PaintPanel(topColorPanel_, ToQColor(v.TopColor));
  PaintPanel(bottomColorPanel_, ToQColor(v.BottomColor));
  const bool colors = model_.ColorControlsEnabled();
  for (QWidget* w :
       std::initializer_list<QWidget*>{topColorPanel_, bottomColorPanel_, topColorButton_, bottomColorButton_})
    w->setEnabled(colors);
  applyButton_->setEnabled(model_.ApplyEnabled());
  showing_ = false;
}

void TChartPropertiesForm::showEvent(QShowEvent* event) {
  model_.Activate();
  ShowValues();
  QDialog::showEvent(event);
}

void TChartPropertiesForm::ControlChanged() {
  if (showing_) return;
  model_.SetType(type_->checkedId() == 1 ? ChartType::kBar : ChartType::kPie);
  model_.SetUnits(units_->checkedId() == 1 ? ChartUnits::kPackets : ChartUnits::kPercent);
  model_.SetGradient(gradient_->isChecked());
  model_.SetTitle(title_->isChecked());
  model_.SetLegend(legend_->isChecked());
  model_.SetValues(values_->isChecked());
  model_.Set3D(view3D_->isChecked());
  ShowValues();
}

void TChartPropertiesForm::ChooseColor(bool top) {
  if (!model_.ColorControlsEnabled()) return;
  const uint32_t current = top ? model_.Values().TopColor : model_.Values().BottomColor;
  const QColor chosen = dialogs_.ChooseColor(this, ToQColor(current));
  if (!chosen.isValid() || ColorValueOf(chosen) == current) return;
  if (top)
    model_.SetTopColor(ColorValueOf(chosen));
  else
    model_.SetBottomColor(ColorValueOf(chosen));
  ShowValues();
}

bool TChartPropertiesForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease && (watched == topColorPanel_ || watched == bottomColorPanel_)) {
    ChooseColor(watched == topColorPanel_);
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void TChartPropertiesForm::ApplyButtonClick() {
  model_.Apply();
  ShowValues();
  emit ApplyValues(model_.Values());
}

void TChartPropertiesForm::done(int result) {
  // Closing the window in any other way counts as Cancel.
  if (result != QDialog::Accepted) {
    model_.Cancel();
    ShowValues();
  }
  emit ApplyValues(model_.Values());
  QDialog::done(result);
}

}  // namespace corvanta::ui

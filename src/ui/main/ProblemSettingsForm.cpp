#include "ui/main/ProblemSettingsForm.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

namespace corvanta::ui {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, int lines) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setFixedHeight(memo->fontMetrics().lineSpacing() * lines + 12);
  return memo;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, const char* hint = nullptr) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  if (hint) {
    button->setToolTip(hint);
    button->setStatusTip(hint);
  }
  return button;
}

}  // namespace

TProblemSettings::TProblemSettings(BrisqonSettings& settings, QWidget* parent) : QDialog(parent), settings_(settings) {
  setObjectName("ProblemSettings");
  setWindowTitle("Corvanta Brisqon(tm) Settings");
  auto* top = new QHBoxLayout(this);

  auto* left = new QVBoxLayout;
  auto* settingLabel = new QLabel("&Setting:", this);
  settingBox_ = new QListWidget(this);
  settingBox_->setObjectName("SettingBox");
  settingLabel->setBuddy(settingBox_);
  for (CheckId id : SortedChecks()) {
    auto* item = new QListWidgetItem(Q(GetCheckInfo(id).Text), settingBox_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
  }
  settingBox_->setMinimumWidth(settingBox_->sizeHintForColumn(0) + 40);
  left->addWidget(settingLabel);
  left->addWidget(settingBox_, 1);
  top->addLayout(left);

  auto* right = new QVBoxLayout;
  auto* title = MakeMemo(this, "TitleMemo", 1);
  right->addWidget(title);
  auto* valueRow = new QHBoxLayout;
  label1_ = new QLabel("Value", this);
  label1_->setObjectName("Label1");
  valueEdit_ = new QSpinBox(this);
  valueEdit_->setObjectName("ValueSpinEdit");
  valueEdit_->setMaximumWidth(valueEdit_->fontMetrics().horizontalAdvance("99999") + 40);
  label3_ = new QLabel(this);
  label3_->setObjectName("Label3");
  trackBar_ = new QSlider(Qt::Horizontal, this);
  trackBar_->setObjectName("TrackBar1");
  trackBar_->setRange(1, 3);
  trackBar_->setPageStep(1);
  trackBar_->setTickPosition(QSlider::TicksBelow);
  trackBar_->setTickInterval(1);
  trackBar_->setFixedWidth(120);
  label4_ = new QLabel(this);
  label4_->setObjectName("Label4");
  restoreDefault_ =
      MakeButton(this, "RestoreDefaultButton", "&Restore Default", "Restore default for selected setting");
  valueRow->addWidget(label1_);
  valueRow->addWidget(valueEdit_);
  valueRow->addWidget(label3_);
  valueRow->addWidget(trackBar_);
  valueRow->addWidget(label4_);
  valueRow->addStretch();
  valueRow->addWidget(restoreDefault_);
  right->addLayout(valueRow);

  auto* texts = new QGridLayout;
  texts->addWidget(new QLabel("Description", this), 0, 0, Qt::AlignTop);
  texts->addWidget(MakeMemo(this, "DescriptionMemo", 4), 0, 1);
  texts->addWidget(new QLabel("Possible\nCauses", this), 1, 0, Qt::AlignTop);
  texts->addWidget(MakeMemo(this, "CausesMemo", 4), 1, 1);
  texts->addWidget(new QLabel("Possible\nRemedies", this), 2, 0, Qt::AlignTop);
  texts->addWidget(MakeMemo(this, "RemedyMemo", 5), 2, 1);
  right->addLayout(texts);
  right->addStretch();

  auto* buttons = new QHBoxLayout;
  QPushButton* restoreAll =
      MakeButton(this, "RestoreAllDefaultsButton", "Restore &All Defaults", "Restore all default settings");
  QPushButton* enableAll = MakeButton(this, "EnableAllButton", "&Enable All", "Enable all diagnostics");
  QPushButton* disableAll = MakeButton(this, "DisableAllButton", "&Disable All", "Disable all diagnostics");
  QPushButton* ok = MakeButton(this, "Button2", "OK");
  ok->setDefault(true);
  QPushButton* cancel = MakeButton(this, "Button6", "&Cancel");
  buttons->addWidget(restoreAll);
  buttons->addWidget(enableAll);
  buttons->addWidget(disableAll);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  right->addLayout(buttons);
  top->addLayout(right, 1);
  resize(780, 560);

  settingBox_->setCurrentRow(0);
  connect(settingBox_, &QListWidget::currentRowChanged, this, [this](int) { ShowEntry(); });
  connect(settingBox_, &QListWidget::itemChanged, this, [this](QListWidgetItem*) { SettingBoxItemChanged(); });
  connect(valueEdit_, &QSpinBox::valueChanged, this, &TProblemSettings::ValueChange);
  connect(trackBar_, &QSlider::valueChanged, this, &TProblemSettings::TrackBarChange);
  connect(restoreDefault_, &QPushButton::clicked, this, [this] {
    settings_.RestoreDefault(CheckAt(SelectedEntry()));
    ShowEntry();
  });
  connect(restoreAll, &QPushButton::clicked, this, [this] {
    settings_.RestoreAllDefaults();
    ShowChecks();
    ShowEntry();
  });
  connect(enableAll, &QPushButton::clicked, this, [this] {
    settings_.EnableAll();
    ShowChecks();
  });
  connect(disableAll, &QPushButton::clicked, this, [this] {
    settings_.DisableAll();
    ShowChecks();
  });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  ShowEntry();
}

CheckId TProblemSettings::CheckAt(int entry) const {
  const auto& sorted = SortedChecks();
  return sorted[static_cast<size_t>(std::clamp(entry, 0, static_cast<int>(sorted.size()) - 1))];
}

int TProblemSettings::SelectedEntry() const { return std::max(0, settingBox_->currentRow()); }

void TProblemSettings::SelectEntry(int entry) { settingBox_->setCurrentRow(entry); }

QPushButton* TProblemSettings::Button(const QString& name) const { return findChild<QPushButton*>(name); }
QPlainTextEdit* TProblemSettings::MemoBox(const QString& name) const { return findChild<QPlainTextEdit*>(name); }

void TProblemSettings::showEvent(QShowEvent* event) {
  emit TipsRequested(MakeTipSet({43, 44}));
  settings_.BeginEdit();
  ShowChecks();
  ShowEntry();
  QDialog::showEvent(event);
}

void TProblemSettings::ShowChecks() {
  showing_ = true;
  for (int i = 0; i < settingBox_->count(); ++i)
    settingBox_->item(i)->setCheckState(settings_.WorkingEnabled(CheckAt(i)) ? Qt::Checked : Qt::Unchecked);
  showing_ = false;
}

void TProblemSettings::ShowEntry() {
  showing_ = true;
  for (const char* name : {"TitleMemo", "DescriptionMemo", "CausesMemo", "RemedyMemo"}) MemoBox(name)->clear();
  for (QWidget* w : std::initializer_list<QWidget*>{valueEdit_, label1_, label3_, trackBar_, label4_, restoreDefault_})
    w->hide();
  label1_->setText("Value");
  const CheckInfo& info = GetCheckInfo(CheckAt(SelectedEntry()));
  MemoBox("TitleMemo")->setPlainText(Q(info.Text));
  const int working = settings_.WorkingThreshold(info.Id);
  if (info.Kind == CheckValueKind::kThreshold) {
    valueEdit_->setRange(info.Min, info.Max);
    valueEdit_->setValue(working);
    label3_->setText(Q(UnitLabelText(info.Unit)));
    for (QWidget* w : std::initializer_list<QWidget*>{valueEdit_, label1_, restoreDefault_, label3_}) w->show();
  } else if (info.Kind == CheckValueKind::kSensitivity) {
    trackBar_->setValue(working);
    label4_->setText(Q(corvanta::SensitivityLabel(trackBar_->value())));
    label1_->setText("Sensitivity");
    for (QWidget* w : std::initializer_list<QWidget*>{restoreDefault_, label1_, trackBar_, label4_}) w->show();
  }
  MemoBox("DescriptionMemo")->setPlainText(Q(info.Description));
  MemoBox("CausesMemo")->setPlainText(Q(info.Causes));
  MemoBox("RemedyMemo")->setPlainText(Q(info.Remedies));
  showing_ = false;
}

void TProblemSettings::SettingBoxItemChanged() {
  if (showing_) return;
  for (int i = 0; i < settingBox_->count(); ++i)
    settings_.SetWorkingEnabled(CheckAt(i), settingBox_->item(i)->checkState() == Qt::Checked);
}

void TProblemSettings::ValueChange(int value) {
  if (showing_) return;
  const CheckId id = CheckAt(SelectedEntry());
  if (GetCheckInfo(id).Kind == CheckValueKind::kThreshold) settings_.SetWorkingThreshold(id, value);
}

void TProblemSettings::TrackBarChange(int position) {
  label4_->setText(Q(corvanta::SensitivityLabel(position)));
  if (showing_) return;
  const CheckId id = CheckAt(SelectedEntry());
  if (GetCheckInfo(id).Kind == CheckValueKind::kSensitivity) settings_.SetWorkingThreshold(id, position);
}

void TProblemSettings::done(int result) {
  if (result == QDialog::Accepted)
    settings_.Commit();
  else
    settings_.Cancel();
  QDialog::done(result);
}

}  // namespace corvanta::ui

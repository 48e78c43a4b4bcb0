#include <QAbstractButton>
#include <QCheckBox>
#include <QFrame>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include "UiTestSupport.h"
#include "ui/main/ChartPropertiesForm.h"
#include "ui/widgets/UiText.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TChartPropertiesForm;

Q_DECLARE_METATYPE(corvanta::ChartPropertyValues)

class ChartPropertiesFormTest : public QObject {
  Q_OBJECT

  RecordingDialogs dialogs_;

  // The dialog open on values, as the main window opens it.
  std::unique_ptr<TChartPropertiesForm> Opened(const ChartPropertyValues& values = {}) {
    auto form = std::make_unique<TChartPropertiesForm>(dialogs_);
    form->SetValues(values);
    form->show();
    return form;
  }

 private slots:
  void initTestCase() { qRegisterMetaType<ChartPropertyValues>(); }

  void controlsShowTheValues() {
    ChartPropertyValues v;
    v.Type = ChartType::kBar;
    v.Units = ChartUnits::kPackets;
    v.Legend = false;
    v.TopColor = MakeColorValue(10, 20, 30);
    auto form = Opened(v);
    QCOMPARE(form->windowTitle(), QString("Chart Properties"));
    QVERIFY(form->TypeButton(ChartType::kBar)->isChecked());
    QCOMPARE(form->TypeButton(ChartType::kPie)->text(), QString("Pie"));
    QVERIFY(form->UnitsButton(ChartUnits::kPackets)->isChecked());
    QVERIFY(!form->CheckBox("ShowLegendCheckBox")->isChecked());
    QVERIFY(form->CheckBox("ShowValuesCheckBox")->isChecked());
    QCOMPARE(form->CheckBox("Show3DCheckBox")->text(), QString("Enable 3D"));
    QCOMPARE(form->TopColorPanel()->palette().color(QPalette::Window), QColor(10, 20, 30));
    QCOMPARE(form->BottomColorPanel()->palette().color(QPalette::Window), ui::ToQColor(kChartDefaultBottom));
    QCOMPARE(form->TopColorButton()->text(), QString("&Top Color..."));
    QCOMPARE(form->ApplyButton()->text(), QString("&Apply"));
    QVERIFY(!form->ApplyButton()->isEnabled());
  }

  void applyIsEnabledOnlyWhileSomethingDiffers() {
    auto form = Opened();
    form->TypeButton(ChartType::kBar)->click();
    QVERIFY(form->ApplyButton()->isEnabled());
    form->TypeButton(ChartType::kPie)->click();
    QVERIFY(!form->ApplyButton()->isEnabled());
    form->CheckBox("Show3DCheckBox")->click();
    QVERIFY(form->ApplyButton()->isEnabled());
    form->CheckBox("Show3DCheckBox")->click();
    QVERIFY(!form->ApplyButton()->isEnabled());
  }

  void gradientSwitchesTheColourControls() {
    auto form = Opened();
    form->CheckBox("ShowGradientCheckBox")->click();
    for (QWidget* w : std::initializer_list<QWidget*>{form->TopColorButton(), form->BottomColorButton(),
                                                      form->TopColorPanel(), form->BottomColorPanel()})
      QVERIFY(!w->isEnabled());
    QCOMPARE(form->Values().TopColor, kChartDefaultTop);
    QCOMPARE(form->Values().BottomColor, kChartDefaultBottom);
    form->CheckBox("ShowGradientCheckBox")->click();
    QVERIFY(form->TopColorButton()->isEnabled());
    QVERIFY(form->BottomColorPanel()->isEnabled());
  }

  void coloursComeFromTheColourDialog() {
    auto form = Opened();
    dialogs_.colorDialogs.clear();
    // The same colour is no change.
    dialogs_.nextColor = ui::ToQColor(kChartDefaultTop);
    form->TopColorButton()->click();
    QCOMPARE(dialogs_.colorDialogs.back(), ui::ToQColor(kChartDefaultTop));
    QVERIFY(!form->ApplyButton()->isEnabled());
    // Cancelled: nothing changes.
    dialogs_.nextColor = QColor();
    form->BottomColorButton()->click();
    QCOMPARE(dialogs_.colorDialogs.back(), ui::ToQColor(kChartDefaultBottom));
    QCOMPARE(form->Values().BottomColor, kChartDefaultBottom);
    // A new colour, from a click on the panel.
    dialogs_.nextColor = QColor(0, 0, 255);
    QTest::mouseClick(form->BottomColorPanel(), Qt::LeftButton);
    QCOMPARE(form->Values().BottomColor, MakeColorValue(0, 0, 255));
    QCOMPARE(form->BottomColorPanel()->palette().color(QPalette::Window), QColor(0, 0, 255));
    QVERIFY(form->ApplyButton()->isEnabled());
    QCOMPARE(dialogs_.colorDialogs.size(), size_t{3});
  }

  void cancelRestoresTheLastAppliedValues() {
    auto form = Opened();
    QSignalSpy applied(form.get(), &TChartPropertiesForm::ApplyValues);
    form->TypeButton(ChartType::kBar)->click();
    form->ApplyButton()->click();
    QVERIFY(!form->ApplyButton()->isEnabled());
    QCOMPARE(applied.count(), 1);
    QCOMPARE(applied.last().at(0).value<ChartPropertyValues>().Type, ChartType::kBar);
    form->UnitsButton(ChartUnits::kPackets)->click();
    form->CheckBox("ShowTitleCheckBox")->click();
    form->CancelButton()->click();
    QCOMPARE(form->result(), int(QDialog::Rejected));
    QVERIFY(form->isHidden());
    ChartPropertyValues expected;
    expected.Type = ChartType::kBar;
    QCOMPARE(form->Values(), expected);
    QVERIFY(form->TypeButton(ChartType::kBar)->isChecked());
    QVERIFY(form->UnitsButton(ChartUnits::kPercent)->isChecked());
    QVERIFY(form->CheckBox("ShowTitleCheckBox")->isChecked());
    // The charts are given the restored values.
    QCOMPARE(applied.count(), 2);
    QCOMPARE(applied.last().at(0).value<ChartPropertyValues>(), expected);
  }

  void okAppliesTheValues() {
    auto form = Opened();
    QSignalSpy applied(form.get(), &TChartPropertiesForm::ApplyValues);
    form->CheckBox("ShowLegendCheckBox")->click();
    form->OkButton()->click();
    QCOMPARE(form->result(), int(QDialog::Accepted));
    QCOMPARE(applied.count(), 1);
    QVERIFY(!applied.last().at(0).value<ChartPropertyValues>().Legend);
    // The next activation takes its snapshot of the kept values.
    form->show();
    QVERIFY(!form->ApplyButton()->isEnabled());
    QVERIFY(!form->CheckBox("ShowLegendCheckBox")->isChecked());
  }

 private:
  static uint32_t MakeColorValue(int r, int g, int b) { return ui::ColorValueOf(QColor(r, g, b)); }
};

QTEST_MAIN(ChartPropertiesFormTest)
#include "ChartPropertiesFormTest.moc"

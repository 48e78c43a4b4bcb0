#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

#include "UiTestSupport.h"
#include "analysis/BrisqonSettings.h"
#include "ui/main/ClientServerPage.h"
#include "ui/widgets/UiText.h"
#include "ui/main/ProblemSettingsForm.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TProblemSettings;

namespace {

int EntryOf(CheckId id) {
  const auto& sorted = SortedChecks();
  return static_cast<int>(std::find(sorted.begin(), sorted.end(), id) - sorted.begin());
}

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

class ProblemSettingsFormTest : public QObject {
  Q_OBJECT

  TestFolder folder_;

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void listsTheThirtyChecksWithTheirSwitches() {
    BrisqonSettings settings;
    settings.SetEnabled(CheckId::kICMP, false);
    TProblemSettings form(settings);
    QCOMPARE(form.windowTitle(), QString("Corvanta Brisqon(tm) Settings"));
    form.show();
    QListWidget* list = form.SettingBox();
    QCOMPARE(list->count(), 30);
    for (int i = 0; i < 30; ++i)
      QCOMPARE(list->item(i)->text(), Q(GetCheckInfo(SortedChecks()[static_cast<size_t>(i)]).Text));
    QCOMPARE(list->item(0)->text(), QString("C/S Busy Network or Server"));
    QCOMPARE(list->item(EntryOf(CheckId::kICMP))->checkState(), Qt::Unchecked);
    QCOMPARE(list->item(EntryOf(CheckId::kTCPZeroWindow))->checkState(), Qt::Checked);
    QCOMPARE(form.SelectedEntry(), 0);
    for (const char* name : {"RestoreDefaultButton", "RestoreAllDefaultsButton", "EnableAllButton", "DisableAllButton"})
      QVERIFY2(form.Button(name), name);
    QCOMPARE(form.Button("RestoreAllDefaultsButton")->text(), QString("Restore &All Defaults"));
    QCOMPARE(form.Button("EnableAllButton")->toolTip(), QString("Enable all diagnostics"));
  }

  void eachCheckShowsItsEditorAndTexts() {
    BrisqonSettings settings;
    TProblemSettings form(settings);
    form.show();
    // A sensitivity: the bar with its word.
    form.SelectEntry(EntryOf(CheckId::kCSBusyNetwork));
    QVERIFY(form.TrackBar1()->isVisible());
    QVERIFY(!form.ValueSpinEdit()->isVisible());
    QCOMPARE(form.ValueLabel()->text(), QString("Sensitivity"));
    QCOMPARE(form.TrackBar1()->value(), 2);
    QCOMPARE(form.SensitivityLabel()->text(), QString("Medium"));
    QVERIFY(form.Button("RestoreDefaultButton")->isVisible());
    QCOMPARE(form.MemoBox("TitleMemo")->toPlainText(), QString("C/S Busy Network or Server"));
    QVERIFY(form.MemoBox("DescriptionMemo")->toPlainText().startsWith("There is a moderate to high fluctuation"));

    // A threshold: the value editor with its range and unit.
    form.SelectEntry(EntryOf(CheckId::kTCPStuckWindow));
    QVERIFY(form.ValueSpinEdit()->isVisible());
    QVERIFY(!form.TrackBar1()->isVisible());
    QCOMPARE(form.ValueLabel()->text(), QString("Value"));
    QCOMPARE(form.ValueSpinEdit()->minimum(), 100);
    QCOMPARE(form.ValueSpinEdit()->maximum(), 50000);
    QCOMPARE(form.ValueSpinEdit()->value(), 2000);
    QCOMPARE(form.UnitLabel()->text(), QString("milliseconds"));
    QCOMPARE(form.MemoBox("RemedyMemo")->toPlainText(),
             QString("Check to see if the application or other applications are CPU intensive. This problem is usually "
                     "not as serious as a Zero Window."));
    // Values outside the range cannot be entered.
    form.ValueSpinEdit()->setValue(99);
    QCOMPARE(settings.WorkingThreshold(CheckId::kTCPStuckWindow), 100);

    // A check without a value: no editor and nothing to restore.
    form.SelectEntry(EntryOf(CheckId::kTCPResetConnection));
    QVERIFY(!form.ValueSpinEdit()->isVisible());
    QVERIFY(!form.TrackBar1()->isVisible());
    QVERIFY(!form.Button("RestoreDefaultButton")->isVisible());
    QVERIFY(!form.UnitLabel()->isVisible());
    QCOMPARE(form.MemoBox("CausesMemo")->toPlainText(),
             QString("An error condition is causing a host or proxy server to drop the connection. Compare to TCP "
                     "Protocol Negotiation Failure."));
  }

  void editsReachTheLiveValuesOnlyOnOk() {
    BrisqonSettings settings;
    TProblemSettings form(settings);
    form.show();
    form.SelectEntry(EntryOf(CheckId::kIPLowTTL));
    form.ValueSpinEdit()->setValue(255);
    form.SelectEntry(EntryOf(CheckId::kCSInefficientClient));
    form.TrackBar1()->setValue(3);
    QCOMPARE(form.SensitivityLabel()->text(), QString("High"));
    form.SettingBox()->item(EntryOf(CheckId::kTCPResetConnection))->setCheckState(Qt::Unchecked);
    QCOMPARE(settings.Threshold(CheckId::kIPLowTTL), 1);
    form.Button("Button6")->click();  // Cancel
    QCOMPARE(settings.Threshold(CheckId::kIPLowTTL), 1);
    QCOMPARE(settings.Threshold(CheckId::kCSInefficientClient), 2);
    QVERIFY(settings.Enabled(CheckId::kTCPResetConnection));

    // Shown again: the live values, then OK makes the edits live.
    form.show();
    form.SelectEntry(EntryOf(CheckId::kIPLowTTL));
    QCOMPARE(form.ValueSpinEdit()->value(), 1);
    QCOMPARE(form.SettingBox()->item(EntryOf(CheckId::kTCPResetConnection))->checkState(), Qt::Checked);
    form.ValueSpinEdit()->setValue(255);
    form.SettingBox()->item(EntryOf(CheckId::kTCPResetConnection))->setCheckState(Qt::Unchecked);
    form.Button("Button2")->click();  // OK
    QCOMPARE(form.result(), int(QDialog::Accepted));
    QCOMPARE(settings.Threshold(CheckId::kIPLowTTL), 255);
    QVERIFY(!settings.Enabled(CheckId::kTCPResetConnection));
  }

  void restoreAndSwitchButtons() {
    BrisqonSettings settings;
    settings.SetThreshold(CheckId::kTCPSlowAck, 900);
    settings.SetThreshold(CheckId::kCSBusyNetwork, 3);
    settings.SetEnabled(CheckId::kUDPChecksumError, false);
    const BrisqonValues live = settings.Live();
    TProblemSettings form(settings);
    form.show();

    // Restore Default: the selected value only, its switch left alone.
    form.SelectEntry(EntryOf(CheckId::kTCPSlowAck));
    form.Button("RestoreDefaultButton")->click();
    QCOMPARE(form.ValueSpinEdit()->value(), 250);
    QCOMPARE(settings.WorkingThreshold(CheckId::kCSBusyNetwork), 3);

    // Restore All: every switch on, every default; Cancel keeps the live values.
    form.Button("RestoreAllDefaultsButton")->click();
    QCOMPARE(settings.Working(), BrisqonValues::Defaults());
    QCOMPARE(form.SettingBox()->item(EntryOf(CheckId::kUDPChecksumError))->checkState(), Qt::Checked);
    form.reject();
    QCOMPARE(settings.Live(), live);

    form.show();
    form.Button("DisableAllButton")->click();
    for (int i = 0; i < 30; ++i) QCOMPARE(form.SettingBox()->item(i)->checkState(), Qt::Unchecked);
    QVERIFY(!settings.WorkingEnabled(CheckId::kICMP));
    form.Button("EnableAllButton")->click();
    for (int i = 0; i < 30; ++i) QCOMPARE(form.SettingBox()->item(i)->checkState(), Qt::Checked);
    form.Button("DisableAllButton")->click();
    form.accept();
    QVERIFY(!settings.AnyEnabled());
  }

  void okRebuildsTheClientServerTable() {
    auto program = folder_.Open(folder_.Demo(), ui::kFileSummaryPage);
    QVERIFY(program);
    TestProgram& p = *program;
    ui::TClientServerPage& page = *p.Main().ClientServerPage();
    auto marks = [&] {
      int n = 0;
      for (const ClientServerRow& row : page.Table().Rows())
        for (int c = 0; c < 4; ++c) n += row[static_cast<size_t>(c)] == kCsMark;
      return n;
    };
    QVERIFY(marks() > 0);
    page.Top10ComboBox()->setCurrentIndex(kCsColPackets);
    page.SortBtnClick(true);
    const size_t rows = page.Table().RowCount();

    // The toolbar button: Disable All, then OK.
    QTimer::singleShot(0, [] {
      auto* form = qobject_cast<TProblemSettings*>(QApplication::activeModalWidget());
      QVERIFY(form);
      form->Button("DisableAllButton")->click();
      form->Button("Button2")->click();
    });
    p.Main().Action("BrisqonBtn")->trigger();
    QVERIFY(!p.context.brisqon.AnyEnabled());
    QCOMPARE(marks(), 0);
    QCOMPARE(page.Table().RowCount(), rows);
    // Sorted again by the chosen key.
    QCOMPARE(page.Top10ComboBox()->currentIndex(), static_cast<int>(kCsColPackets));
    const auto& r = page.Table().Rows();
    for (size_t i = 1; i < r.size(); ++i)
      QVERIFY(ui::ToQ(r[i - 1][kCsColPackets]).remove(',').toInt() >=
              ui::ToQ(r[i][kCsColPackets]).remove(',').toInt());
    // The settings tips showed while the dialog was open; the page's are back.
    QCOMPARE(p.Main().Tips(), ui::MakeTipSet({34, 35}));
  }
};

QTEST_MAIN(ProblemSettingsFormTest)
#include "ProblemSettingsFormTest.moc"

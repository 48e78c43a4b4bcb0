#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "analysis/Charts.h"
#include "naming/ProtocolNames.h"
#include "ui/main/ChartPages.h"
#include "ui/main/ChartPropertiesForm.h"
#include "ui/widgets/ChartView.h"
#include "ui/main/TraceDecoding.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TChartPage;
using ui::TChartView;

namespace {

ChartData Sample() {
  ChartData d;
  d.Title = "Sample";
  d.Pie = {{"One -", 30, MakeColor(255, 0, 0)}, {"Two -", 10, MakeColor(0, 0, 255)}};
  d.Bar = {
      {"One -", 30, MakeColor(255, 0, 0)}, {"Zero -", 0, MakeColor(0, 255, 0)}, {"Two -", 10, MakeColor(0, 0, 255)}};
  return d;
}

// The chart drawn with one property changed from the defaults.
QImage Drawn(TChartView& view, const std::function<void(ChartPropertyValues&)>& change = {}) {
  ChartPropertyValues v;
  if (change) change(v);
  view.SetLook(ChartLookOf(v));
  return view.Picture().toImage();
}

// Answers the modal dialog that is about to open.
void WhenModal(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    QVERIFY(modal);
    act(modal);
  });
}

}  // namespace

class ChartPagesTest : public QObject {
  Q_OBJECT

  TestFolder folder_;
  QString Path(const QString& name) const { return folder_.Path(name); }
  std::unique_ptr<TestProgram> Program() { return folder_.Start(); }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void chartsShowTheTracesPoints() {
    auto p = Program();
    QVERIFY(p);
    TChartPage& size = *p->Main().FrameSizeChartPage();
    TChartPage& protocol = *p->Main().ProtocolChartPage();
    QVERIFY(size.Chart()->isHidden());
    QVERIFY(protocol.Chart()->isHidden());
    p->Main().OpenTraceFile(Path("demo.cap"));
    QVERIFY(!size.Chart()->isHidden());
    QVERIFY(!protocol.Chart()->isHidden());

    const TraceStatistics& stats = *p->Main().Decoding()->Statistics();
    const ChartData expected = FrameSizeChart(stats, kEthernet);
    QCOMPARE(size.Chart()->Data().Title, std::string("Frame Size Distribution"));
    QCOMPARE(size.Chart()->Data().Pie, expected.Pie);
    QCOMPARE(size.Chart()->Data().Bar.size(), size_t{6});
    QVERIFY(size.Chart()->Data().Pie.size() < 6);  // the demo has no frame over 1518 bytes
    QCOMPARE(size.Chart()->Data().Bar[0].Label, std::string("18 to 64 -"));

    QCOMPARE(protocol.Chart()->Data().Title, std::string("Protocol Distribution - All Packets"));
    QCOMPARE(protocol.Chart()->Data().Pie, ProtocolChart(stats, PacketClass::kAll).Pie);
    // "Broadcast" retitles and refills.
    protocol.findChild<QButtonGroup*>()->button(1)->click();
    QCOMPARE(protocol.ChosenPacketClass(), PacketClass::kBroadcast);
    QCOMPARE(protocol.Chart()->Data().Title, std::string("Protocol Distribution - Broadcast Packets"));
    QCOMPARE(protocol.Chart()->Data().Pie, ProtocolChart(stats, PacketClass::kBroadcast).Pie);
    protocol.findChild<QButtonGroup*>()->button(2)->click();
    QCOMPARE(protocol.Chart()->Data().Title, std::string("Protocol Distribution - Non-Broadcast Packets"));
    QCOMPARE(protocol.Chart()->Data().Bar, ProtocolChart(stats, PacketClass::kNonBroadcast).Bar);
  }

  void tokenRingLabelsTheSmallestGroupWithItsBlank() {
    auto p = Program();
    QVERIFY(p);
    p->Main().OpenTraceFile(WriteTokenRingTrace(Path("ring.cap")));
    const ChartData& d = p->Main().FrameSizeChartPage()->Chart()->Data();
    QCOMPARE(d.Bar[0].Label, std::string(" Less than 64 -"));
    QCOMPARE(d.Bar[4].Label, std::string("1024 to 4097 -"));
    QCOMPARE(d.Bar[5].Label, std::string("Greater than 4097 -"));
  }

  void everyPropertySwitchChangesTheDrawing() {
    TChartView view;
    view.resize(520, 360);
    view.SetData(Sample());
    const QImage plain = Drawn(view);
    QVERIFY(!plain.isNull());
    // Gradient: the bottom edge is the default steel blue with it, white without.
    const QColor bottom(plain.pixel(5, plain.height() - 4));
    QVERIFY(bottom.blue() > bottom.red() + 30);
    const QImage noGradient = Drawn(view, [](ChartPropertyValues& v) { v.Gradient = false; });
    QCOMPARE(QColor(noGradient.pixel(5, noGradient.height() - 4)), QColor(Qt::white));
    // The gradient's own colours.
    const QImage red = Drawn(view, [](ChartPropertyValues& v) { v.BottomColor = MakeColor(255, 0, 0); });
    QCOMPARE(QColor(red.pixel(5, red.height() - 3)).red() > 200 && QColor(red.pixel(5, red.height() - 3)).green() < 40,
             true);
    for (const auto& change : std::vector<std::function<void(ChartPropertyValues&)>>{
             [](ChartPropertyValues& v) { v.Title = false; }, [](ChartPropertyValues& v) { v.Legend = false; },
             [](ChartPropertyValues& v) { v.Values = false; }, [](ChartPropertyValues& v) { v.View3D = false; },
             [](ChartPropertyValues& v) { v.Type = ChartType::kBar; },
             [](ChartPropertyValues& v) { v.Units = ChartUnits::kPackets; }})
      QVERIFY(Drawn(view, change) != plain);

    // Pie or bar: the same points, another series.
    Drawn(view, [](ChartPropertyValues& v) { v.Type = ChartType::kBar; });
    QCOMPARE(view.ActivePoints().size(), size_t{3});
    QVERIFY(view.Look().Orthogonal);
    QCOMPARE(view.PointTexts()[0].Mark, std::string("75.00 %"));
    Drawn(view);
    QCOMPARE(view.ActivePoints().size(), size_t{2});
    QVERIFY(!view.Look().Orthogonal);
    QCOMPARE(view.PointTexts()[0].Mark, std::string("One - 75.00 %"));
    QCOMPARE(view.PointTexts()[1].LegendValue, std::string("25.00 %"));
    Drawn(view, [](ChartPropertyValues& v) { v.Units = ChartUnits::kPackets; });
    QCOMPARE(view.PointTexts()[0].Mark, std::string("One - 30"));
    QCOMPARE(view.PointTexts()[1].LegendValue, std::string("10"));

    // Nothing to draw is no failure.
    view.SetData({});
    QVERIFY(!Drawn(view).isNull());
    view.SetData(Sample());
    view.resize(30, 20);
    QVERIFY(!Drawn(view, [](ChartPropertyValues& v) { v.Type = ChartType::kBar; }).isNull());
  }

  void chartsAreCopiedAsPictures() {
    auto p = Program();
    QVERIFY(p);
    p->Main().OpenTraceFile(Path("demo.cap"));
    p->Main().MainPageControl()->setCurrentIndex(ui::kFrameSizeChartPage);
    QCOMPARE(p->Main().Action("Copy1")->text(), QString("&Copy Chart"));
    QVERIFY(!p->Main().Action("SelectAll1")->isEnabled());
    QApplication::clipboard()->clear();
    p->Main().Action("Copy1")->trigger();
    const QImage copied = QApplication::clipboard()->image();
    QCOMPARE(copied.size(), p->Main().FrameSizeChartPage()->Chart()->size());

    TChartPage& protocol = *p->Main().ProtocolChartPage();
    QToolButton* button = protocol.CopyButton();
    QCOMPARE(button->objectName(), QString("ProtoDistChartSpeedButton"));
    QCOMPARE(button->toolTip(), QString("Copy graphic to clipboard"));
    QApplication::clipboard()->clear();
    button->click();
    QCOMPARE(QApplication::clipboard()->image().size(), protocol.Chart()->size());
  }

  void rightClickOffersTheChartProperties() {
    auto p = Program();
    QVERIFY(p);
    p->Main().OpenTraceFile(Path("demo.cap"));
    TChartView& chart = *p->Main().ProtocolChartPage()->Chart();
    QAction* item = chart.ChartPopup()->findChild<QAction*>("ChartProperties1");
    QVERIFY(item);
    QCOMPARE(item->text(), QString("Chart &Properties..."));

    // The dialog applies at once on Apply; Cancel keeps what was applied.
    WhenModal([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TChartPropertiesForm*>(w);
      QVERIFY(dialog);
      dialog->TypeButton(ChartType::kBar)->click();
      dialog->ApplyButton()->click();
      dialog->CheckBox("ShowLegendCheckBox")->click();
      dialog->CancelButton()->click();
    });
    item->trigger();
    QVERIFY(chart.Look().BarActive);
    QVERIFY(chart.Look().LegendVisible);
    QVERIFY(p->Main().FrameSizeChartPage()->Chart()->Look().BarActive);
    QCOMPARE(p->context.settings.chart.Type, ChartType::kBar);
    QVERIFY(p->context.settings.chart.Legend);

    // OK applies and refills.
    WhenModal([](QWidget* w) {
      auto* dialog = qobject_cast<ui::TChartPropertiesForm*>(w);
      dialog->CheckBox("ShowTitleCheckBox")->click();
      dialog->OkButton()->click();
    });
    item->trigger();
    QVERIFY(!chart.Look().TitleVisible);
    QVERIFY(!p->context.settings.chart.Title);
    QVERIFY(!chart.Data().Pie.empty());
  }
};

QTEST_MAIN(ChartPagesTest)
#include "ChartPagesTest.moc"

#include <QAction>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSettings>
#include <QToolButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "analysis/BrisqonSettings.h"
#include "naming/SettingsStore.h"
#include "ui/main/ProgramSettings.h"
#include "ui/widgets/WindowPlacementStore.h"

using namespace corvanta;
using namespace corvanta::testing;

class ProgramSettingsTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString Path(const QString& name) const { return dir_.filePath(name); }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(WriteBytes(Path("OUI.TXT"), ""));
  }

  void firstStartTakesTheDefaults() {
    TestProgram p(Path("first.ini"), dir_.path());
    QVERIFY(p.Start());
    const ProgramSettings& s = p.context.settings;
    for (const std::string& entry : s.recentFiles) QVERIFY(entry.empty());
    QVERIFY(s.lastDirectory.empty());
    QCOMPARE(s.chart, ChartPropertyValues{});
    QCOMPARE(s.chart.Type, ChartType::kPie);
    QCOMPARE(s.chart.Units, ChartUnits::kPercent);
    QVERIFY(s.chart.Gradient && s.chart.Title && s.chart.Values && s.chart.Legend && s.chart.View3D);
    QCOMPARE(s.chart.TopColor, kChartDefaultTop);
    QCOMPARE(s.chart.BottomColor, kChartDefaultBottom);
    QCOMPARE(s.visualizer, VisualizerSettings{});
    QCOMPARE(s.visualizer.sendColor, 16711680);
    QCOMPARE(s.visualizer.receiveColor, 8421376);
    QCOMPARE(s.visualizer.diagnosticColor, 255);
    QVERIFY(s.visualizer.frameNumber && !s.visualizer.deltaTime);
    QCOMPARE(s.pageSetup, PageSetup{});
    QVERIFY(s.tipWizardEnabled);
    QVERIFY(!s.readPcap);
    QVERIFY(!p.Main().Action("ReadPcap1")->isChecked());
    QVERIFY(!p.Main().TipPanel()->isHidden());
    QCOMPARE(p.context.brisqon.Live(), BrisqonValues::Defaults());
    for (int i = 1; i <= 8; ++i) QVERIFY(!p.Main().Action(QString("MRU%1").arg(i))->isVisible());
    // Full Duplex starts unchecked at every start.
    QVERIFY(!p.Main().Action("FullDuplex1")->isChecked());
  }

  void settingsAreWrittenAtExitAndReadAtTheNextStart() {
    const QString ini = Path("roundtrip.ini");
    const QString trace = WriteTraceFile(Path("kept.cap"), 10, kEthernet, 10000000, 3);
    ProgramSettings changed;
    {
      TestProgram p(ini, dir_.path());
      QVERIFY(p.Start());
      p.Main().OpenTraceFile(trace);
      p.Main().findChild<QToolButton*>("TipBulb")->click();
      ProgramSettings& s = p.context.settings;
      s.chart.Type = ChartType::kBar;
      s.chart.BottomColor = 0x123456;
      s.visualizer.deltaTime = true;
      s.visualizer.font.faceName = "DejaVu Sans Mono";
      s.visualizer.font.size = 11;
      s.visualizer.font.style = 3;
      s.pageSetup.landscape = true;
      s.pageSetup.leftMarginTenths = 5;
      s.pageSetup.header = false;
      p.context.brisqon.SetEnabled(CheckId::kICMP, false);
      p.Main().resize(900, 650);
      p.Main().move(30, 40);
      // Nothing reaches the store before the exit.
      QVERIFY(!p.store.HasValue("Recent Files", "0"));
      changed = s;
      QVERIFY(p.Main().close());
    }
    {
      ui::QtSettingsStore raw(ini);
      QCOMPARE(raw.ReadString("Recent Files", "0", ""), trace.toStdString());
      QCOMPARE(raw.ReadString("Recent Files", "7", "x"), std::string());
      QCOMPARE(raw.ReadString("Recent Files", "Last Directory", ""), dir_.path().toStdString());
      QCOMPARE(raw.ReadBool("Tip Wizard", "Enabled", true), false);
      QCOMPARE(raw.ReadInteger("Chart Properties", "Chart Type", 0), int64_t{1});
      QCOMPARE(raw.ReadInteger("Chart Properties", "Bottom Color", 0), int64_t{0x123456});
      QCOMPARE(raw.ReadString("Print Setup", "Orientation", ""), std::string("Landscape"));
      QCOMPARE(raw.ReadString("Print Setup", "LeftMargin", ""), std::string("0.5"));
      QCOMPARE(raw.ReadString("Print Setup", "RightMargin", ""), std::string("1.0"));
      QCOMPARE(raw.ReadString("Print Setup", "Header", ""), std::string("No"));
      QCOMPARE(raw.ReadString("Print Setup", "Print", ""), std::string("PrintToFit"));
      QCOMPARE(raw.ReadBool("Problem Finder", "EnableICMP", true), false);
      QVERIFY(raw.HasValue("Visualizer", "Frame Number"));
      QCOMPARE(raw.ReadBinary("Visualizer", "Font")->size(), size_t{75});
      const auto placement = WindowPlacement::Decode(*raw.ReadBinary("4.03\\Display", "MainForm"));
      QVERIFY(placement);
      QCOMPARE(placement->width, 900);
      QCOMPARE(placement->height, 650);
      QCOMPARE(placement->state, uint8_t{WindowPlacement::kNormal});
    }
    TestProgram again(ini, dir_.path());
    QVERIFY(again.Start());
    QCOMPARE(again.context.settings.recentFiles, changed.recentFiles);
    QCOMPARE(again.context.settings.chart, changed.chart);
    QCOMPARE(again.context.settings.visualizer, changed.visualizer);
    QCOMPARE(again.context.settings.pageSetup, changed.pageSetup);
    QVERIFY(!again.context.brisqon.Enabled(CheckId::kICMP));
    QVERIFY(again.Main().TipPanel()->isHidden());
    QVERIFY(!again.Main().Action("ShowTipWizard1")->isChecked());
    QCOMPARE(again.Main().Action("MRU1")->text(), "&1 " + trace);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(again.Main().size(), QSize(std::min(900, area.width()), std::min(650, area.height())));
    // A hidden Tip Wizard does not take tips.
    QVERIFY(again.Main().TipMemo()->toPlainText().isEmpty());
  }

  void corruptValuesFallBackToTheirDefaults() {
    MemorySettingsStore store;
    store.WriteString("Chart Properties", "Chart Type", "pie");
    store.WriteString("Chart Properties", "Show Values", "7");
    store.WriteString("Chart Properties", "Top Color", "-5");
    store.WriteString("Chart Properties", "Bottom Color", "99999999");
    store.WriteString("Chart Properties", "View 3D", "maybe");
    store.WriteString("Visualizer", "SendPacketColor", "blue");
    store.WriteBinary("Visualizer", "Font", std::vector<uint8_t>(10, 1));
    store.WriteString("Tip Wizard", "Enabled", "");
    store.WriteString("Print Setup", "Orientation", "Sideways");
    store.WriteString("Print Setup", "Print", "Shrink");
    store.WriteString("Print Setup", "Header", "Perhaps");
    store.WriteString("Print Setup", "LeftMargin", "wide");
    store.WriteString("Print Setup", "TopMargin", "nan");
    store.WriteString("Print Setup", "BottomMargin", "1.5in");
    store.WriteString("Problem Finder", "ThresholdICMP", "70000");
    ProgramSettings s;
    BrisqonSettings brisqon;
    s.Load(store, brisqon);
    QCOMPARE(s.chart, ChartPropertyValues{});
    QCOMPARE(s.visualizer, VisualizerSettings{});
    QVERIFY(s.tipWizardEnabled);
    QCOMPARE(s.pageSetup, PageSetup{});
    QCOMPARE(brisqon.Live(), BrisqonValues::Defaults());
    // Legal values are kept.
    store.WriteString("Print Setup", "Orientation", "Landscape");
    store.WriteString("Print Setup", "Print", "Proportional");
    store.WriteString("Print Setup", "RightMargin", "0.3");
    s.Load(store, brisqon);
    QVERIFY(s.pageSetup.landscape);
    QVERIFY(!s.pageSetup.printToFit);
    QCOMPARE(s.pageSetup.rightMarginTenths, 3);
    // Margins outside 0..2.0 inches are pulled back; others land on whole tenths.
    store.WriteString("Print Setup", "LeftMargin", "7.5");
    store.WriteString("Print Setup", "TopMargin", "-1.0");
    store.WriteString("Print Setup", "BottomMargin", "0.34");
    s.Load(store, brisqon);
    QCOMPARE(s.pageSetup.leftMarginTenths, 20);
    QCOMPARE(s.pageSetup.topMarginTenths, 0);
    QCOMPARE(s.pageSetup.bottomMarginTenths, 3);
  }

  void recordsKeepTheirLayout() {
    WindowPlacement p{300, -50, 20, 640, WindowPlacement::kMaximised};
    const std::vector<uint8_t> bytes = p.Encode();
    QCOMPARE(bytes.size(), size_t{17});
    QCOMPARE(bytes[0], uint8_t{0x2C});  // height 300, little-endian
    QCOMPARE(bytes[1], uint8_t{0x01});
    QCOMPARE(bytes[4], uint8_t{0xCE});  // left -50
    QCOMPARE(bytes[7], uint8_t{0xFF});
    QCOMPARE(bytes[16], uint8_t{2});
    QCOMPARE(*WindowPlacement::Decode(bytes), p);
    QVERIFY(!WindowPlacement::Decode(std::vector<uint8_t>(16)));

    VisualizerFont font;
    font.charset = 1;
    font.color = 0x0000FF;
    font.faceName = std::string(80, 'F');  // longer than the record holds
    font.pitch = 2;
    font.size = 9;
    font.style = 1 | 4;
    const std::vector<uint8_t> record = font.Encode();
    QCOMPARE(record.size(), size_t{75});
    QCOMPARE(record[1], uint8_t{0xFF});
    QCOMPARE(record[68], uint8_t{0});  // the face name stays NUL-terminated
    QCOMPARE(record[69], uint8_t{2});
    QCOMPARE(record[70], uint8_t{9});
    QCOMPARE(record[74], uint8_t{5});
    const auto back = VisualizerFont::Decode(record);
    QCOMPARE(back->faceName, std::string(63, 'F'));
    QCOMPARE(back->size, 9);
  }

  void placementIsPulledBackOntoTheScreen() {
    const ScreenArea screen{0, 0, 1024, 768};
    WindowPlacement off{300, -50, 900, 5000, WindowPlacement::kNormal};
    WindowPlacement pulled = PullBackOntoScreen(off, screen);
    QCOMPARE(pulled.left, 0);
    QCOMPARE(pulled.width, 1024);
    QCOMPARE(pulled.top, 768 - 300);
    WindowPlacement right{200, 900, -10, 400, WindowPlacement::kNormal};
    pulled = PullBackOntoScreen(right, screen);
    QCOMPARE(pulled.left, 1024 - 400);
    QCOMPARE(pulled.top, 0);
    WindowPlacement huge{2000000000, 2000000000, 2000000000, 2000000000, WindowPlacement::kNormal};
    pulled = PullBackOntoScreen(huge, screen);
    QCOMPARE(pulled, (WindowPlacement{768, 0, 0, 1024, WindowPlacement::kNormal}));
    WindowPlacement maximised{5000, -50, -50, 5000, WindowPlacement::kMaximised};
    QCOMPARE(PullBackOntoScreen(maximised, screen), maximised);

    // Through the store, on this screen.
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    ui::QtSettingsStore store(Path("placement.ini"));
    store.WriteBinary("4.03\\Display", "MainForm",
                      WindowPlacement{300, -50, 10, area.width() + 500, WindowPlacement::kNormal}.Encode());
    TestProgram p(Path("placement.ini"), dir_.path());
    QCOMPARE(p.Main().width(), area.width());
    QCOMPARE(p.Main().height(), 300);
    QCOMPARE(p.Main().pos().x(), area.x());
    QWidget plain;
    QVERIFY(!ui::RestorePlacement(plain, p.store, true));
    plain.setObjectName("Unknown");
    QVERIFY(!ui::RestorePlacement(plain, p.store, true));
    plain.setObjectName("MainForm");
    QVERIFY(ui::RestorePlacement(plain, p.store, false));
    QCOMPARE(plain.pos().x(), area.x());
  }

  void maximisedWindowRestoresMaximised() {
    ui::QtSettingsStore store(Path("max.ini"));
    store.WriteBinary("4.03\\Display", "MainForm",
                      WindowPlacement{450, 5, 6, 650, WindowPlacement::kMaximised}.Encode());
    TestProgram p(Path("max.ini"), dir_.path());
    QVERIFY(p.Main().windowState() & Qt::WindowMaximized);
  }

  void recentListRules() {
    std::array<std::string, kRecentFileCount> list{"a", "b", "c", "", "", "", "", ""};
    AddRecentFile(list, "b");
    QCOMPARE(list, (std::array<std::string, 8>{"b", "a", "c", "", "", "", "", ""}));
    AddRecentFile(list, "d");
    QCOMPARE(list, (std::array<std::string, 8>{"d", "b", "a", "c", "", "", "", ""}));
    // Case matters.
    AddRecentFile(list, "D");
    QCOMPARE(list[0], std::string("D"));
    QCOMPARE(list[1], std::string("d"));
    std::array<std::string, kRecentFileCount> full{"1", "2", "3", "4", "5", "6", "7", "8"};
    AddRecentFile(full, "9");
    QCOMPARE(full, (std::array<std::string, 8>{"9", "1", "2", "3", "4", "5", "6", "7"}));
    // A duplicate in the last slot is dropped anyway.
    AddRecentFile(full, "7");
    QCOMPARE(full, (std::array<std::string, 8>{"7", "9", "1", "2", "3", "4", "5", "6"}));
  }

  void marginsTextIsLocaleFree() {
    QCOMPARE(FormatMargin(1.0), std::string("1.0"));
    QCOMPARE(FormatMargin(0.30000000000000004), std::string("0.3"));
    QCOMPARE(FormatMargin(2.0), std::string("2.0"));
    QCOMPARE(ParseMargin("0.7"), 0.7);
    QCOMPARE(ParseMargin(""), 1.0);
    QCOMPARE(ParseMargin("0,7"), 1.0);
    QCOMPARE(ParseMargin("inf"), 1.0);
  }
};

QTEST_MAIN(ProgramSettingsTest)
#include "ProgramSettingsTest.moc"

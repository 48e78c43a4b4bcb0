#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "decode/TraceStatistics.h"
#include "naming/TextFormat.h"
#include "ui/main/DlcErrorPage.h"
#include "ui/main/TraceDecoding.h"
#include "ui/widgets/UiText.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TDlcErrorPage;

namespace {

QStringList ListEntries(QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QString Hex(const MacAddr& mac) { return QString::fromStdString(FormatMacAddress(mac)); }

}  // namespace

class DlcErrorPageTest : public QObject {
  Q_OBJECT

  TestFolder folder_;
  QString Path(const QString& name) const { return folder_.Path(name); }
  std::unique_ptr<TestProgram> Open(const QString& trace) { return folder_.Open(trace, ui::kDlcErrorPage); }
  static TDlcErrorPage& Page(TestProgram& p) { return *p.Main().DlcErrorPage(); }

 private slots:
  void initTestCase() {
    QVERIFY(folder_.Prepare("00000C CISCO \n"));
    QVERIFY(!WriteTokenRingTrace(Path("ring.cap")).isEmpty());
  }

  void ethernetPanelShowsFrameErrorsAndCollisionSuspects() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    QVERIFY(!page.EthernetPanel()->isHidden());
    QVERIFY(page.TokenRingPanel()->isHidden());
    const TraceStatistics& stats = *p->Main().Decoding()->Statistics();
    QCOMPARE(page.TextBox("FCSTextBox")->text(), ui::CountText(stats.TraceStats[kStatCrcErrors].Value));
    QCOMPARE(page.TextBox("RuntTextBox")->text(), ui::CountText(stats.TraceStats[kStatRunts].Value));
    QCOMPARE(page.TextBox("LongTextBox")->text(), ui::CountText(stats.TraceStats[kStatTooLong].Value));
    QCOMPARE(page.TextBox("FragmentTextBox")->text(), ui::CountText(stats.TraceStats[kStatCollisions].Value));
    QCOMPARE(page.TextBox("FCSTextBox")->toolTip(), QString("Frames that have an incorrect Frame Checksum (FCS)"));
    QVERIFY(stats.TraceStats[kStatCollisions].Value > 0);

    // The table of five: rows with a station, then empty ones.
    const EthernetDlcSummary& e = page.Ethernet();
    for (int row = 1; row <= 5; ++row) {
      const CollisionRow& expected = e.Collisions[static_cast<size_t>(row - 1)];
      QCOMPARE(page.Source(row)->text(), QString::fromStdString(expected.Source));
      QCOMPARE(page.Gauge(row)->value(), expected.Percent);
      QCOMPARE(page.findChild<QLineEdit*>(QString("EthernetTrans%1").arg(row))->text(),
               QString::fromStdString(expected.Transmits));
    }
    QVERIFY(!e.Collisions[0].Source.empty());
    QVERIFY(e.Collisions[4].Source.empty());
    QCOMPARE(page.Gauge(5)->value(), 0);
    QCOMPARE(page.EthernetNotesMemo()->toPlainText().split('\n').first(), QString("Notes"));

    // Copy from the button and from the Edit menu: the summary text, every line ending in CR LF.
    QVERIFY(page.DLCCopyButton()->isVisibleTo(&page));
    QApplication::clipboard()->clear();
    page.DLCCopyButton()->click();
    const QString text = QApplication::clipboard()->text();
    QCOMPARE(text, QString::fromStdString(e.CopyText()));
    QVERIFY(text.startsWith("Frame Error Summary\r\nBad FCS \t"));
    QVERIFY(text.endsWith("\r\n"));
    QVERIFY(text.contains("\r\nDLC Source\tTransmits\tRetransmits\t% Retransmitted\r\n"));
    QApplication::clipboard()->clear();
    QVERIFY(p->Main().Action("Copy1")->isEnabled());
    QCOMPARE(p->Main().Action("Copy1")->text(), QString("&Copy"));
    p->Main().Action("Copy1")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), text);
  }

  void ethernetWithoutErrorsSaysSo() {
    auto p = Open(WriteTraceFile(Path("clean.cap"), 10, kEthernet, 10000000, 20));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    QCOMPARE(page.TextBox("FCSTextBox")->text(), QString("0"));
    QCOMPARE(page.EthernetNotesMemo()->toPlainText(),
             QString("Notes\nNo frame errors or collision fragments to analyze in trace file."));
    for (int row = 1; row <= 5; ++row) QVERIFY(page.Source(row)->text().isEmpty());
  }

  void tokenRingPanelShowsTheSoftErrorSummary() {
    auto p = Open(Path("ring.cap"));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    QVERIFY(page.EthernetPanel()->isHidden());
    QVERIFY(!page.TokenRingPanel()->isHidden());
    QCOMPARE(page.TokenRingPages()->tabText(0), QString("Ring Map Diagnostic"));
    QCOMPARE(page.TokenRingPages()->tabText(1), QString("Soft Error Summary"));
    QCOMPARE(page.TokenRingPages()->currentIndex(), 0);

    QCOMPARE(page.TextBox("BurstTotalTextBox")->text(), QString("4"));
    QCOMPARE(page.TextBox("BurstStationsTextBox")->text(), QString("1"));
    QCOMPARE(page.TextBox("LineTotalTextBox")->text(), QString("3"));
    QCOMPARE(page.TextBox("LineStationsTextBox")->text(), QString("2"));
    QCOMPARE(page.TextBox("InternalTotalTextBox")->text(), QString("1"));
    QCOMPARE(page.TextBox("CongestionTotalTextBox")->text(), QString("3"));
    QCOMPARE(page.TextBox("AbortTotalTextBox")->text(), QString("1"));
    QCOMPARE(page.TextBox("TokenTotalTextBox")->text(), QString("0"));
    QCOMPARE(page.TextBox("TokenStationsTextBox")->text(), QString("0"));
    QCOMPARE(page.List("TokenList")->count(), 0);
    // Station 3 reported against two upstream neighbours: both entries, each marked.
    const QStringList line = ListEntries(page.List("LineList"));
    QCOMPARE(line.size(), 2);
    QVERIFY(line[0].startsWith('*') && line[1].startsWith('*'));
    QVERIFY(line[0].endsWith("/2") && line[1].endsWith("/1"));
    // The list shows its entries from the first, every one of them in its tooltip.
    QCOMPARE(page.List("LineList")->horizontalScrollBar()->value(), 0);
    QCOMPARE(page.List("LineList")->toolTip(), line.join('\n'));
    QCOMPARE(page.SoftErrorMemo()->toPlainText(),
             QString("1 station (marked by an *) has had multiple upstream neighbors."));

    // "Show Station by OUI": the vendor name and the last six digits, or the whole address.
    QVERIFY(page.ShowDLCbyOUI()->isChecked());
    QVERIFY(ListEntries(page.List("BurstList")).first().startsWith("CISCO"));
    page.ShowDLCbyOUI()->click();
    QCOMPARE(ListEntries(page.List("BurstList")), QStringList{Hex(RingStation(2)) + "/" + Hex(RingStation(1)) + "/4"});
    QCOMPARE(ListEntries(page.List("LineList")).last(), "*" + Hex(RingStation(3)) + "/" + Hex(kOffRingStation) + "/1");

    // The copy button belongs to the soft-error sub-page; there it copies the summary text.
    QVERIFY(!page.DLCCopyButton()->isVisibleTo(&page));
    page.TokenRingPages()->setCurrentIndex(1);
    QVERIFY(page.DLCCopyButton()->isVisibleTo(&page));
    QApplication::clipboard()->clear();
    page.DLCCopyButton()->click();
    const QString text = QApplication::clipboard()->text();
    QCOMPARE(text, QString::fromStdString(page.SoftErrors().CopyText()));
    QVERIFY(text.startsWith("\tTotal\tStations\tReporting Station/NAUN/Count\r\n\r\nFault Domain Errors\r\n"));
    QVERIFY(text.contains("Burst Error\t4\t1\t" + Hex(RingStation(2)) + "/" + Hex(RingStation(1)) + "/4\r\n"));
    QVERIFY(text.contains("\r\n\t\t\t*" + Hex(RingStation(3)) + "/" + Hex(kOffRingStation) + "/1\r\n"));
    QVERIFY(text.endsWith("have had multiple upstream neighbors.\r\n") ||
            text.endsWith("has had multiple upstream neighbors.\r\n"));
    // Back on the ring map, Copy puts the map on the clipboard as a picture.
    page.TokenRingPages()->setCurrentIndex(0);
    QVERIFY(!page.DLCCopyButton()->isVisibleTo(&page));
    QApplication::clipboard()->clear();
    p->Main().Action("Copy1")->trigger();
    QVERIFY(!QApplication::clipboard()->image().isNull());
  }

  void ringMapIsDrawnFromTheRingPoll() {
    auto p = Open(Path("ring.cap"));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    p->Main().resize(1000, 760);
    QApplication::processEvents();
    QCOMPARE(page.RingMapCaption()->text(), QString("(Downstream neighbors are clockwise)"));
    ui::TRingMapView* map = page.RingMap();
    QCOMPARE(map->Stations().size(), size_t{6});
    const QPixmap picture = page.RingMapPicture();
    QVERIFY(!picture.isNull());
    const RingMapDrawing& d = map->Drawing();
    QCOMPARE(d.Labels.size(), size_t{6});
    QCOMPARE(d.Center.X, map->width() / 2);
    QVERIFY(d.Radius > 20);
    // Ring poll colours: station 1 is the active monitor, the others standby monitors.
    QCOMPARE(d.Labels[0].Color, kRingActiveMonitorColor);
    QCOMPARE(d.Labels[1].Color, ui::ColorValueOf(map->palette().color(QPalette::ButtonText)));
    QVERIFY(d.Labels[0].Text.starts_with("CISCO"));
    // Burst errors: 2 against 1, one red line between their points.
    QCOMPARE(d.Lines.size(), size_t{1});
    QCOMPARE(d.Lines[0].From, d.Labels[1].Point);
    QCOMPARE(d.Lines[0].To, d.Labels[0].Point);

    // Line errors: 3 against 2 (the neighbour off the ring draws nothing); by station errors
    // the internal-error station turns red and the other key shows.
    page.DomainRadioGroup()->button(1)->click();
    page.StationIDRadioGroup()->button(1)->click();
    QVERIFY(page.RingPollKey()->isHidden());
    QVERIFY(!page.StationErrorsKey()->isHidden());
    page.RingMapPicture();
    const RingMapDrawing& e = map->Drawing();
    QCOMPARE(e.Lines.size(), size_t{1});
    QCOMPARE(e.Lines[0].From, e.Labels[2].Point);
    QCOMPARE(e.Lines[0].To, e.Labels[1].Point);
    QCOMPARE(e.Labels[3].Color, kRingInternalErrorColor);
    QCOMPARE(e.Labels[4].Color, kRingCongestionColor);
    QCOMPARE(e.Labels[5].Color, kRingAbortColor);

    // Without vendor names the labels are the 12 hex digits.
    page.ShowDLCbyOUI()->click();
    page.RingMapPicture();
    QCOMPARE(QString::fromStdString(map->Drawing().Labels[0].Text), Hex(RingStation(1)));
  }

  void tokenRingWithoutMacFramesOrReportsSaysSo() {
    auto p = Open(WriteTokenRingTrace(Path("quiet.cap"), 4, false, false));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    QCOMPARE(page.SoftErrorMemo()->toPlainText(), QString("No Media Access Control (MAC) frames in trace to analyze."));
    QCOMPARE(page.RingMapCaption()->text(), QString("(There is no ring poll in the trace file)"));
    page.RingMapPicture();
    QVERIFY(page.RingMap()->Drawing().Labels.empty());

    auto q = Open(WriteTokenRingTrace(Path("polled.cap"), 1, true, false));
    QVERIFY(q);
    QCOMPARE(Page(*q).SoftErrorMemo()->toPlainText(),
             QString("No Media Access Control (MAC) error report frames in trace to analyze."));
    QCOMPARE(Page(*q).RingMapCaption()->text(), QString("(There is only one station in the ring poll)"));
  }

  void aSecondTraceReplacesTheFirst() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    p->Main().OpenTraceFile(Path("ring.cap"));
    QVERIFY(page.EthernetPanel()->isHidden());
    QCOMPARE(page.TextBox("BurstTotalTextBox")->text(), QString("4"));
    page.ShowDLCbyOUI()->click();
    p->Main().OpenTraceFile(Path("demo.cap"));
    QVERIFY(page.TokenRingPanel()->isHidden());
    page.ShowDLCbyOUI()->click();
    QCOMPARE(page.Source(1)->text(), QString::fromStdString(page.Ethernet().Collisions[0].Source));
    QVERIFY(!page.Source(1)->text().isEmpty());
  }

  void aRingOfMoreThan180StationsOverflows() {
    auto p = Open(WriteTokenRingTrace(Path("big.cap"), 200, true, false));
    QVERIFY(p);
    TDlcErrorPage& page = Page(*p);
    page.RingMapPicture();
    const RingMapDrawing& d = page.RingMap()->Drawing();
    QVERIFY(d.Labels.size() > 180);
    QCOMPARE(d.Labels.back().Text, std::string("OVERFLOW      "));
    QCOMPARE(d.Labels[178].Text == "OVERFLOW      ", false);
  }
};

QTEST_MAIN(DlcErrorPageTest)
#include "DlcErrorPageTest.moc"

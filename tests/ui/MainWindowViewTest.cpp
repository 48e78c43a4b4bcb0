// What a user sees of the main window beyond its figures: sorting by header clicks, the
// tooltips, the no-trace text, the not-listed line, a window size that page switches keep,
// and the utilisation graph with its copies.
#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "analysis/FileSummary.h"
#include "analysis/UtilizationGraph.h"
#include "decode/TraceStatistics.h"
#include "ui/main/ClientServerPage.h"
#include "ui/main/DlcErrorPage.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/main/ProtocolTablePage.h"
#include "ui/main/TraceDecoding.h"
#include "ui/main/UtilizationGraph.h"
#include "ui/widgets/UiText.h"

using namespace corvanta;
using namespace corvanta::testing;

namespace {

void ClickHeader(QTableView* grid, int column) {
  QHeaderView* header = grid->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, 5));
}

double Number(QString cell) {
  cell.remove(',').remove('%').remove(' ');
  return cell.isEmpty() || cell == "-" ? 0 : cell.toDouble();
}

QStringList ColumnTexts(QTableView* grid, int column) {
  QStringList out;
  for (int r = 0; r < grid->model()->rowCount(); ++r) out << grid->model()->index(r, column).data().toString();
  return out;
}

bool Sorted(const QStringList& cells, bool ascending) {
  return std::is_sorted(cells.begin(), cells.end(), [&](const QString& a, const QString& b) {
    return ascending ? Number(a) < Number(b) : Number(a) > Number(b);
  });
}

}  // namespace

class MainWindowViewTest : public QObject {
  Q_OBJECT

  TestFolder folder_;

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare("00000C CISCO \n")); }

  void clientServerHeaderClicksSortWithTheArrow() {
    auto p = folder_.Open(folder_.Demo(), ui::kClientServerPage);
    QVERIFY(p);
    ui::TClientServerPage& page = *p->Main().ClientServerPage();
    QTableView* grid = page.ServerGrid();
    QVERIFY(grid->model()->rowCount() > 2);
    ClickHeader(grid, kCsColPackets);
    QVERIFY(grid->horizontalHeader()->isSortIndicatorShown());
    QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), int{kCsColPackets});
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::AscendingOrder);
    QVERIFY(Sorted(ColumnTexts(grid, kCsColPackets), true));
    QCOMPARE(page.findChild<QComboBox*>("Top10ComboBox")->currentIndex(), int{kCsColPackets});
    // A second click on the same header turns the order round.
    ClickHeader(grid, kCsColPackets);
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
    QVERIFY(Sorted(ColumnTexts(grid, kCsColPackets), false));
    // Count columns sort as numbers, H included.
    ClickHeader(grid, kCsColH);
    QVERIFY(Sorted(ColumnTexts(grid, kCsColH), true));
    // The sort key box has its label.
    auto* label = page.findChild<QLabel*>("SortByLabel");
    QVERIFY(label && label->buddy() == page.findChild<QComboBox*>("Top10ComboBox"));
  }

  void protocolTableHeaderClicksSort() {
    auto p = folder_.Open(folder_.Demo(), ui::kProtocolTablePage);
    QVERIFY(p);
    QTableWidget* grid = p->Main().ProtocolTablePage()->ProtoGrid();
    QVERIFY(grid->rowCount() > 2);
    ClickHeader(grid, kPtColPackets);
    QVERIFY(Sorted(ColumnTexts(grid, kPtColPackets), true));
    ClickHeader(grid, kPtColPackets);
    QVERIFY(Sorted(ColumnTexts(grid, kPtColPackets), false));
    QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
  }

  void everyHeaderAndFigureIsExplained() {
    auto p = folder_.Open(folder_.Demo(), ui::kClientServerPage);
    QVERIFY(p);
    ui::TMainForm& f = p->Main();
    QAbstractItemModel* cs = f.ClientServerPage()->ServerGrid()->model();
    for (int c = 0; c < kCsVisibleColumns; ++c)
      QVERIFY2(!cs->headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString().isEmpty(),
               qPrintable(QString::number(c)));
    QVERIFY(cs->headerData(kCsColA, Qt::Horizontal, Qt::ToolTipRole).toString().startsWith("A = Low Server"));
    // Elided names and protocols are whole in their tooltips.
    QCOMPARE(cs->index(0, kCsColProtocol).data(Qt::ToolTipRole).toString(),
             cs->index(0, kCsColProtocol).data().toString());
    QTableWidget* proto = f.ProtocolTablePage()->ProtoGrid();
    for (int c = 0; c < kPtColumns; ++c) QVERIFY(!proto->horizontalHeaderItem(c)->toolTip().isEmpty());
    QVERIFY(proto->horizontalHeaderItem(kPtColBroadcastPercent)->toolTip().contains("all broadcast and multicast"));
    ui::TFileSummaryPage& summary = *f.FileSummaryPage();
    for (const char* box : {"AveUnicastTextBox", "LargestUnicastTextBox"})
      QVERIFY(summary.TextBox(box)->toolTip().contains("all frames"));
    QVERIFY(!summary.Bar("UnicastPct")->toolTip().isEmpty());
    QVERIFY(summary.Bar("UnicastPct")->isTextVisible());
    QVERIFY(!summary.TextBox("FirstFrameTextBox")->text().isEmpty());
    // Buttons whose windows do not exist yet say so; the others keep their hints.
    for (const char* name : {"AnalyzeBtn", "StationBtn", "NetworkBtn", "PrintBtn"}) {
      QAction* a = f.Action(name);
      QVERIFY2(a->toolTip().startsWith(a->statusTip()), name);
      QVERIFY2(a->isEnabled() || a->toolTip().endsWith("(not available yet)"), name);
    }
  }

  void thePageAreaTellsHowToOpenATrace() {
    auto p = folder_.Start();
    QVERIFY(p);
    ui::TMainForm& f = p->Main();
    QVERIFY(f.NoTracePanel()->isVisibleTo(&f));
    QCOMPARE(f.NoTracePanel()->text(), ui::ToQ(NoTraceText({})));
    QVERIFY(WriteBytes(folder_.Path("tiny.cap"), "0123456789"));
    f.OpenTraceFile(folder_.Path("tiny.cap"));
    QCOMPARE(f.NoTracePanel()->text(), ui::ToQ(NoTraceText(p->dialogs.boxes.at(0).text.toStdString())));
    QVERIFY(f.NoTracePanel()->text().endsWith("tiny.cap is too small."));
    f.OpenTraceFile(folder_.Demo());
    QVERIFY(!f.NoTracePanel()->isVisibleTo(&f));
    f.Action("Close1")->trigger();
    QVERIFY(f.NoTracePanel()->isVisibleTo(&f));
    QCOMPARE(f.NoTracePanel()->text(), ui::ToQ(NoTraceText({})));
  }

  void theNotListedLineCountsWhatIsNoRow() {
    auto p = folder_.Open(folder_.Demo(), ui::kClientServerPage);
    QVERIFY(p);
    ui::TClientServerPage& page = *p->Main().ClientServerPage();
    QVERIFY(page.Table().NotListedCount() > 0);
    QCOMPARE(page.NotListedLabel()->text(), ui::ToQ(page.Table().NotListedText()));
  }

  void pageSwitchesKeepTheWindowSize() {
    QVERIFY(!WriteTokenRingTrace(folder_.Path("ring.cap"), 40).isEmpty());
    auto p = folder_.Open(folder_.Demo(), ui::kFileSummaryPage);
    QVERIFY(p);
    ui::TMainForm& f = p->Main();
    const QSize size = f.size();
    f.OpenTraceFile(folder_.Path("ring.cap"));
    for (int page = 0; page < f.MainPageControl()->count(); ++page) {
      f.MainPageControl()->setCurrentIndex(page);
      QApplication::processEvents();
      QCOMPARE(f.size(), size);
    }
    f.MainPageControl()->setCurrentIndex(ui::kDlcErrorPage);
    f.DlcErrorPage()->TokenRingPages()->setCurrentIndex(1);
    QApplication::processEvents();
    QCOMPARE(f.size(), size);
    // The soft-error entries are items to read, not a drop-down.
    QVERIFY(f.DlcErrorPage()->List("BurstList")->count() >= 1);
  }

  // Every box of the file summary stays whole in a small window: the frame statistics move
  // under the other groups when they do not fit beside the file attributes.
  void theFileSummaryFitsSmallAndWideWindows() {
    QWidget host;  // as in the main window, the page takes the room it is given
    ui::TFileSummaryPage page(&host);
    host.resize(1400, 700);
    host.show();
    for (const auto& [width, narrow] : {std::pair{720, true}, std::pair{1300, false}, std::pair{760, true}}) {
      page.setGeometry(0, 0, width, 640);
      QApplication::processEvents();
      QCOMPARE(page.Narrow(), narrow);
      for (QLineEdit* box : page.findChildren<QLineEdit*>()) {
        const QRect r(box->mapTo(&page, QPoint(0, 0)), box->size());
        QVERIFY2(page.rect().contains(r) && box->width() >= box->minimumWidth(), qPrintable(box->objectName()));
      }
    }
  }

  void theUtilizationGraphShowsAndCopiesTheSeries() {
    auto p = folder_.Open(folder_.Demo(), ui::kFileSummaryPage);
    QVERIFY(p);
    ui::TMainForm& f = p->Main();
    auto* button = f.FileSummaryPage()->findChild<QPushButton*>("UtilizationGraphBtn");
    QVERIFY(button && button->isEnabled());
    button->click();
    ui::TUtilizationGraph* graph = f.UtilizationGraph();
    QVERIFY(graph->isVisible());
    QCOMPARE(graph->windowTitle(), QString("Utilization Graph"));
    const TraceStatistics& stats = *f.Decoding()->Statistics();
    QCOMPARE(graph->Plot()->Series().size(), stats.UtilSeries.size());
    QVERIFY(stats.UtilSeries.size() > 10);
    QCOMPARE(graph->Plot()->From(), 0.0);
    QCOMPARE(graph->Plot()->To(), UtilizationSpan(stats.UtilSeries));

    // CSV: the header, then one line per second.
    QApplication::clipboard()->clear();
    graph->CopyTextButton()->click();
    const QString csv = QApplication::clipboard()->text();
    QCOMPARE(csv, ui::ToQ(UtilizationCsv(stats.UtilSeries, MakeUtilizationScale(kEthernet, 10, 1),
                                         graph->Plot()->StartSecondOfDay())));
    QCOMPARE(csv.count("\r\n"), static_cast<qsizetype>(stats.UtilSeries.size() + 1));
    QVERIFY(csv.startsWith("Start (s),Time,Frames,Bytes,"));
    graph->CopyPictureButton()->click();
    QVERIFY(!QApplication::clipboard()->pixmap().isNull());

    // Hovering names the second under the pointer; a drag zooms into the span it covers.
    graph->resize(900, 400);
    QApplication::processEvents();
    ui::TUtilizationPlot* plot = graph->Plot();
    const QRect area = plot->PlotArea();
    auto move = [&](QPoint at, Qt::MouseButtons buttons) {
      QMouseEvent e(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
      QApplication::sendEvent(plot, &e);
    };
    move(QPoint(area.left() + 2, area.center().y()), Qt::NoButton);
    QVERIFY(graph->HoverLabel()->text().contains("frames"));
    QTest::mousePress(plot, Qt::LeftButton, {}, QPoint(area.left() + area.width() / 4, area.center().y()));
    move(QPoint(area.left() + area.width() / 2, area.center().y()), Qt::LeftButton);
    QTest::mouseRelease(plot, Qt::LeftButton, {}, QPoint(area.left() + area.width() / 2, area.center().y()));
    QVERIFY(plot->From() > 0);
    QVERIFY(plot->To() < UtilizationSpan(stats.UtilSeries));
    plot->ResetZoom();
    QCOMPARE(plot->From(), 0.0);

    // The bandwidth choice re-bases the percentages, as it does on the page.
    f.BandwidthOptionClick(1);
    QCOMPARE(plot->Scale().BandwidthBytesPerSecond, 100 * 125000.0);
  }
};

QTEST_MAIN(MainWindowViewTest)
#include "MainWindowViewTest.moc"

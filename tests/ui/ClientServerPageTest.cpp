#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QtTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "analysis/ClientServerTable.h"
#include "ui/main/ClientServerPage.h"
#include "ui/widgets/UiText.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/TraceDecoding.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TClientServerPage;

namespace {

QString Cell(const TClientServerPage& page, int row, int column) {
  return page.GridModel()->index(row, column).data().toString();
}

// A header's caption; the grid shows it on two lines.
QString Header(const TClientServerPage& page, int column) {
  return page.GridModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString().replace('\n', ' ');
}

std::vector<std::string> Column(const TClientServerPage& page, int column) {
  std::vector<std::string> out;
  for (const ClientServerRow& row : page.Table().Rows()) out.emplace_back(row[static_cast<size_t>(column)]);
  return out;
}

double Number(const std::string& cell) {
  std::string digits;
  for (char c : cell)
    if (c != ',') digits += c;
  return digits.empty() || digits == "-" ? 0 : std::stod(digits);
}

// Number cells in order, largest first when descending.
bool NumbersSorted(const std::vector<std::string>& cells, bool descending) {
  return std::is_sorted(cells.begin(), cells.end(), [&](const std::string& a, const std::string& b) {
    return descending ? Number(a) > Number(b) : Number(a) < Number(b);
  });
}

// The first row whose column holds the text.
int RowWith(const TClientServerPage& page, int column, const std::string& text) {
  const auto& rows = page.Table().Rows();
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i][static_cast<size_t>(column)] == text) return static_cast<int>(i);
  return -1;
}

void Select(QTableView* grid, int top, int left, int bottom, int right) {
  QAbstractItemModel* m = grid->model();
  grid->selectionModel()->select(QItemSelection(m->index(top, left), m->index(bottom, right)),
                                 QItemSelectionModel::ClearAndSelect);
  grid->selectionModel()->setCurrentIndex(m->index(top, left), QItemSelectionModel::NoUpdate);
}

}  // namespace

class ClientServerPageTest : public QObject {
  Q_OBJECT

  TestFolder folder_;
  QString Path(const QString& name) const { return folder_.Path(name); }
  std::unique_ptr<TestProgram> Open(const QString& trace, std::function<void(ui::ProgramContext&)> configure = {}) {
    return folder_.Open(trace, ui::kClientServerPage, configure);
  }
  static TClientServerPage& Page(TestProgram& p) { return *p.Main().ClientServerPage(); }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare("0020AF 3COM  \n00000C CISCO \n")); }

  void oneRowPerConversationWithItsLegend() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    QVERIFY(!page.CSPanel()->isHidden());
    QVERIFY(page.NoCSPackets()->isHidden());

    // The same rows as the table built on its own from the same model.
    ClientServerTable expected;
    ClientServerOptions options;
    FileSummaryInputs in;
    p->Main().Decoding()->FillSummary(in);
    options.LastFrame = in.totalFrames;
    expected.Build({*p->Main().Decoding()->Model(), p->context.brisqon, &p->context.vendors, &p->context.userPorts},
                   options);
    QVERIFY(expected.RowCount() > 10);
    QCOMPARE(page.Table().Rows(), expected.Rows());
    QCOMPARE(page.GridModel()->rowCount(), static_cast<int>(expected.RowCount()));
    QCOMPARE(page.GridModel()->columnCount(), 18);
    QCOMPARE(page.TotalConversations()->text(), QString("%1 Conversations Analyzed").arg(expected.RowCount()));
    QCOMPARE(Header(page, 12), QString("Pkts Clt<->Svr"));
    QCOMPARE(Header(page, 16), QString("Clt->Svr Thput*"));
    QCOMPARE(page.Memo(2)->toPlainText().split('\n').first(),
             QString("A = Low Server to Client Throughput - %1").arg(expected.Totals()[0]));
    QCOMPARE(page.Memo(4)->toPlainText(),
             QString("I = # of ICMP Error Reports - %1\n\n* Throughput in KBytes/Second\n- = Insufficient Data")
                 .arg(expected.Totals()[8]));
    // The demo has IPX conversations: their vendor names are offered.
    QVERIFY(!page.ShowIPXOUI()->isHidden());
    QCOMPARE(page.Top10ComboBox()->currentIndex(), -1);
    QCOMPARE(page.Top10ComboBox()->count(), 18);
    QCOMPARE(page.Top10ComboBox()->itemText(0), QString("A - Low Svr-to-Clt Thput Checked"));
    QVERIFY(page.SortDescending()->isChecked());
    QCOMPARE(page.ServerGrid()->verticalScrollBar()->value(), 0);

    // Marks draw a check mark instead of their text; column A's mark paints the server-to-client
    // throughput yellow.
    const int marked = RowWith(page, kCsColA, std::string(kCsMark));
    QVERIFY(marked >= 0);
    const QModelIndex a = page.GridModel()->index(marked, kCsColA);
    QVERIFY(a.data(ui::ClientServerGridModel::kMarkRole).toBool());
    QCOMPARE(a.data().toString(), QString());
    QCOMPARE(page.GridModel()->index(marked, kCsColServerToClient).data(Qt::BackgroundRole).value<QColor>(),
             QColor(255, 255, 0));
    QVERIFY(!page.GridModel()->index(marked, kCsColClient).data(Qt::BackgroundRole).isValid());
    QCOMPARE(page.ServerGrid()->columnWidth(0), 15);
    QCOMPARE(page.GridModel()->index(0, kCsColClient).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignLeft | Qt::AlignVCenter);
    QCOMPARE(page.GridModel()->index(0, kCsColProtocol).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::Alignment(Qt::AlignCenter));
    QCOMPARE(page.GridModel()->index(0, kCsColPackets).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignRight | Qt::AlignVCenter);
  }

  void aTraceWithoutIpOrIpxShowsOnlyThePanel() {
    auto p = Open(WriteTraceFile(Path("arp.cap"), 10, kEthernet, 10000000, 8));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    QVERIFY(page.CSPanel()->isHidden());
    QVERIFY(!page.NoCSPackets()->isHidden());
    QCOMPARE(static_cast<QLabel*>(page.NoCSPackets())->text(), QString("(No IP or IPX packets in trace file.)"));
    QCOMPARE(page.GridModel()->rowCount(), 0);
    // Copy and Select All have nothing to act on and do no harm.
    p->Main().Action("SelectAll1")->trigger();
    p->Main().Action("Copy1")->trigger();

    auto q = Open(WriteTokenRingTrace(Path("ring.cap")));
    QVERIFY(q);
    QVERIFY(!Page(*q).NoCSPackets()->isHidden());

    // After a trace with conversations the panel and the grid come back, and go again.
    q->Main().OpenTraceFile(Path("demo.cap"));
    QVERIFY(Page(*q).NoCSPackets()->isHidden());
    QVERIFY(Page(*q).GridModel()->rowCount() > 0);
    q->Main().OpenTraceFile(Path("ring.cap"));
    QVERIFY(!Page(*q).NoCSPackets()->isHidden());
    QCOMPARE(Page(*q).GridModel()->rowCount(), 0);
    QVERIFY(Page(*q).Requested().Source.empty());
  }

  void copiesTheSelectionInTheGridFormat() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    Select(page.ServerGrid(), 1, kCsColClient, 2, kCsColProtocol);
    QApplication::clipboard()->clear();
    p->Main().Action("Copy1")->trigger();
    const auto& rows = page.Table().Rows();
    const QString expected = QString("Client\tServer\tProtocol/Application\r\n%1\t%2\t%3\r\n%4\t%5\t%6\r\n")
                                 .arg(ui::ToQ(rows[1][9]), ui::ToQ(rows[1][10]),
                                      ui::ToQ(rows[1][11]), ui::ToQ(rows[2][9]),
                                      ui::ToQ(rows[2][10]), ui::ToQ(rows[2][11]));
    QCOMPARE(QApplication::clipboard()->text(), expected);

    // Select All and the copy button: every visible column of every row, the marks as their text.
    p->Main().Action("SelectAll1")->trigger();
    QApplication::clipboard()->clear();
    page.findChild<QAbstractButton*>("CopyToClipboardBtn")->click();
    const QString all = QApplication::clipboard()->text();
    QCOMPARE(all, QString::fromStdString(page.Table().CopyText(0, 1, 17, static_cast<int>(rows.size()))));
    QCOMPARE(all.count("\r\n"), static_cast<int>(rows.size()) + 1);
    QVERIFY(all.startsWith("A\tB\tC\tD\tE\tF\tG\tH\tI\tClient\tServer\t"));
    QCOMPARE(all.split("\r\n").first().count('\t'), 17);
  }

  void sortsByTheChosenKeyAndDirection() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    // "Packets" from the sort key list, descending: numbers, largest first; the grid's
    // selection moves to the key's column.
    page.Top10ComboBox()->setCurrentIndex(kCsColPackets);
    page.SortBtnClick(true);
    std::vector<std::string> packets = Column(page, kCsColPackets);
    QVERIFY(NumbersSorted(packets, true));
    QVERIFY(packets.front() != packets.back());
    QCOMPARE(page.ServerGrid()->currentIndex().column(), static_cast<int>(kCsColPackets));

    // Ascending by the selected column.
    page.SortAscending()->click();
    packets = Column(page, kCsColPackets);
    QVERIFY(NumbersSorted(packets, false));

    // A double click sorts by its column in the chosen direction; names sort byte-wise, and
    // the sort key list shows the column.
    page.ServerGrid()->setCurrentIndex(page.GridModel()->index(3, kCsColClient));
    emit page.ServerGrid()->doubleClicked(page.GridModel()->index(3, kCsColClient));
    const std::vector<std::string> clients = Column(page, kCsColClient);
    QVERIFY(std::is_sorted(clients.begin(), clients.end()));
    QCOMPARE(page.Top10ComboBox()->currentIndex(), static_cast<int>(kCsColClient));

    // The same sort again changes nothing, not even among equal names.
    const std::vector<ClientServerRow> before = page.Table().Rows();
    page.SortBtnClick(false);
    QCOMPARE(page.Table().Rows(), before);
    // Sorting keeps the selection on its cell.
    QCOMPARE(page.ServerGrid()->currentIndex().row(), 3);

    // The problem columns sort as text: in descending order any count comes before an empty cell.
    page.SortDescending()->click();
    page.Top10ComboBox()->setCurrentIndex(kCsColE);
    page.SortBtnClick(true);
    const std::vector<std::string> e = Column(page, kCsColE);
    QVERIFY(std::is_sorted(e.begin(), e.end(), std::greater<>()));
    QVERIFY(!e.front().empty());
  }

  void namesAreRewrittenInPlace() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    const int web = RowWith(page, kCsColServer, "intranet.example.com");
    QVERIFY(web >= 0);
    const int count = page.GridModel()->rowCount();
    page.SmartNames()->click();
    QVERIFY(!page.SmartNames()->isChecked());
    QCOMPARE(Cell(page, web, kCsColServer), QString("192.168.1.20"));
    QCOMPARE(page.GridModel()->rowCount(), count);
    page.SmartNames()->click();
    QCOMPARE(Cell(page, web, kCsColServer), QString("intranet.example.com"));

    // IPX clients: network, then the node with or without its vendor.
    int ipx = -1;
    for (int r = 0; r < count && ipx < 0; ++r)
      if (Cell(page, r, kCsColClient).startsWith("1234.3COM")) ipx = r;
    QVERIFY(ipx >= 0);
    page.ShowIPXOUI()->click();
    QCOMPARE(Cell(page, ipx, kCsColClient), QString("1234.0020AF667788"));
    page.ShowIPXOUI()->click();
    QVERIFY(Cell(page, ipx, kCsColClient).startsWith("1234.3COM"));
  }

  void theSelectedRowIsTheToolboxConversation() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    const int web = RowWith(page, kCsColServer, "intranet.example.com");
    page.ServerGrid()->setCurrentIndex(page.GridModel()->index(web, kCsColBytes));
    const RequestedConversation& r = page.Requested();
    QCOMPARE(r.Source, std::string(page.Table().Rows()[static_cast<size_t>(web)][kCsColClient]));
    QCOMPARE(r.Destination, std::string("192.168.1.20"));
    QVERIFY(r.SourceVendor.empty());
    QCOMPARE(r.App, std::string(page.Table().Rows()[static_cast<size_t>(web)][kCsColProtocol]));

    // IPX: the plain address and, apart, the one with the vendor name.
    int ipx = -1;
    for (int row = 0; row < page.GridModel()->rowCount() && ipx < 0; ++row)
      if (Cell(page, row, kCsColClient).startsWith("1234.3COM")) ipx = row;
    page.ServerGrid()->setCurrentIndex(page.GridModel()->index(ipx, 0));
    QCOMPARE(QString::fromStdString(page.Requested().Source), QString("1234.0020AF667788"));
    QVERIFY(page.Requested().SourceVendor.starts_with("1234.3COM"));
  }

  void popupNamesTheStationOfClientAndServer() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    const int web = RowWith(page, kCsColServer, "intranet.example.com");
    const ClientServerRow& row = page.Table().Rows()[static_cast<size_t>(web)];
    auto station = [&](int key) {
      return "DLC Source is " + ui::ToQ(ClientServerStation(*p->Main().Decoding()->Model(), &p->context.vendors,
                                                            row[static_cast<size_t>(key)]));
    };
    QCOMPARE(page.DlcSourceText(web, kCsColClient), station(kCsColClientKey));
    QCOMPARE(page.DlcSourceText(web, kCsColServer), station(kCsColServerKey));
    QVERIFY(page.DlcSourceText(web, kCsColClient) != page.DlcSourceText(web, kCsColServer));
    QVERIFY(page.DlcSourceText(web, kCsColProtocol).isEmpty());
    QVERIFY(page.DlcSourceText(-1, kCsColClient).isEmpty());

    // The menu itself: the toolbox item is on, as the toolbox exists.
    QTableView* grid = page.ServerGrid();
    grid->scrollTo(page.GridModel()->index(web, kCsColServer));
    emit grid->customContextMenuRequested(grid->visualRect(page.GridModel()->index(web, kCsColServer)).center());
    QMenu* popup = page.CSPopUp();
    QAction* dlc = popup->findChild<QAction*>("DLCAddressis1");
    QVERIFY(dlc && dlc->isVisible());
    QCOMPARE(dlc->text(), page.DlcSourceText(web, kCsColServer));
    QAction* toolbox = popup->findChild<QAction*>("Toolbox1");
    QCOMPARE(toolbox->text(), QString("&Halvex ToolBox"));
    QVERIFY(toolbox->isEnabled());
    popup->close();
    emit grid->customContextMenuRequested(grid->visualRect(page.GridModel()->index(web, kCsColDuration)).center());
    QVERIFY(!dlc->isVisible());
    popup->close();
  }

  void packetsOrBytesChoiceRebuildsAndSortsAgain() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TClientServerPage& page = Page(*p);
    page.Top10ComboBox()->setCurrentIndex(kCsColBytes);
    page.SortBtnClick(true);
    const QString both = Cell(page, 0, kCsColBytes);
    page.PacketsBytesComboBox()->setCurrentIndex(1);
    emit page.PacketsBytesComboBox()->activated(1);
    QCOMPARE(Header(page, 12), QString("Pkts Clt->Svr"));
    QCOMPARE(Header(page, 13), QString("Bytes Clt->Svr"));
    QCOMPARE(page.Top10ComboBox()->currentIndex(), static_cast<int>(kCsColBytes));
    const std::vector<std::string> bytes = Column(page, kCsColBytes);
    QVERIFY(NumbersSorted(bytes, true));
    QVERIFY(Number(bytes.front()) <= Number(both.toStdString()));
  }

  void theAnalyzingWindowCountsWhileTheTableIsBuilt() {
    auto p = Open(Path("demo.cap"), [](ui::ProgramContext& c) { c.analyzingCloseDelayMs = 300; });
    QVERIFY(p);
    ui::TProgress* analyzing = p->windows->Analyzing();
    QVERIFY(analyzing->isHidden());
    QCOMPARE(analyzing->windowTitle(), QString("Analyzing..."));
    QCOMPARE(analyzing->CountLabel()->text(), QString::number(Page(*p).Table().RowCount()));
    // The 100 ms timer ran while the window stood on its final count.
    QVERIFY(Page(*p).Timer100ms()->interval() == 100);
    QVERIFY(!Page(*p).Timer100ms()->isActive());

    // Seen from inside: visible and modal while the build runs.
    bool seenVisible = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { seenVisible = seenVisible || analyzing->isVisible(); });
    probe.start(20);
    Page(*p).Rebuild();
    QVERIFY(seenVisible);
    QVERIFY(analyzing->isHidden());
  }
};

QTEST_MAIN(ClientServerPageTest)
#include "ClientServerPageTest.moc"

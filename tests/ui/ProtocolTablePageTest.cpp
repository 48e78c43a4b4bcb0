#include <QAction>
#include <QClipboard>
#include <QHeaderView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "analysis/ProtocolTable.h"
#include "ui/main/ProtocolTablePage.h"
#include "ui/main/TraceDecoding.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TProtocolTablePage;

namespace {

QStringList ColumnTexts(QTableWidget* grid, int column) {
  QStringList out;
  for (int r = 0; r < grid->rowCount(); ++r) out << grid->item(r, column)->text();
  return out;
}

int Count(const QString& cell) { return QString(cell).remove(',').toInt(); }

}  // namespace

class ProtocolTablePageTest : public QObject {
  Q_OBJECT

  TestFolder folder_;
  QString Path(const QString& name) const { return folder_.Path(name); }
  std::unique_ptr<TestProgram> Open(const QString& trace) { return folder_.Open(trace, ui::kProtocolTablePage); }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void headerOnlyBeforeATrace() {
    auto p = folder_.Start();
    QVERIFY(p);
    QTableWidget* grid = p->Main().ProtocolTablePage()->ProtoGrid();
    QCOMPARE(grid->rowCount(), 0);
    QCOMPARE(grid->columnCount(), 7);
    QStringList headers;
    for (int c = 0; c < 7; ++c) headers << grid->horizontalHeaderItem(c)->text();
    QCOMPARE(headers, (QStringList{"Protocol", "Packet Count", "Packet Percent", "Ave Pkt Size (Bytes)",
                                   "Broadcast Count", "Broadcast Percent", "Encapsulation(s)"}));
  }

  void rowsComeFromTheStatistics() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TProtocolTablePage& page = *p->Main().ProtocolTablePage();
    ProtocolTable expected;
    expected.Build(*p->Main().Decoding()->Statistics());
    QCOMPARE(page.Table().Rows(), expected.Rows());
    QTableWidget* grid = page.ProtoGrid();
    QCOMPARE(grid->rowCount(), static_cast<int>(expected.Rows().size()));
    for (int r = 0; r < grid->rowCount(); ++r)
      for (int c = 0; c < 7; ++c)
        QCOMPARE(grid->item(r, c)->text(),
                 QString::fromStdString(expected.Rows()[static_cast<size_t>(r)][static_cast<size_t>(c)]));
    QCOMPARE(grid->item(0, 0)->textAlignment(), int(Qt::AlignLeft | Qt::AlignVCenter));
    QCOMPARE(grid->item(0, 2)->textAlignment(), int(Qt::AlignRight | Qt::AlignVCenter));
    QCOMPARE(grid->item(0, 6)->textAlignment(), int(Qt::AlignCenter));
    QVERIFY(ColumnTexts(grid, 2).first().endsWith('%'));
    QVERIFY(p->Main().Action("SelectAll1")->isEnabled());
    QCOMPARE(p->Main().Action("Copy1")->text(), QString("&Copy"));
  }

  void sortsByTheSelectedColumn() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TProtocolTablePage& page = *p->Main().ProtocolTablePage();
    QTableWidget* grid = page.ProtoGrid();
    QToolButton* ascending = page.findChild<QToolButton*>("ProtocolTableSortAscendingBtn");
    QToolButton* descending = page.findChild<QToolButton*>("ProtocolTableSortDescendingBtn");
    QCOMPARE(ascending->toolTip(), QString("Sort Ascending"));
    QCOMPARE(descending->toolTip(), QString("Sort Descending"));

    grid->setCurrentCell(0, 1);
    descending->click();
    QStringList counts = ColumnTexts(grid, 1);
    QVERIFY(std::is_sorted(counts.begin(), counts.end(),
                           [](const QString& a, const QString& b) { return Count(a) > Count(b); }));
    ascending->click();
    counts = ColumnTexts(grid, 1);
    QVERIFY(std::is_sorted(counts.begin(), counts.end(),
                           [](const QString& a, const QString& b) { return Count(a) < Count(b); }));

    // The protocol column always sorts ascending, as text.
    grid->setCurrentCell(0, 0);
    descending->click();
    const QStringList names = ColumnTexts(grid, 0);
    std::vector<std::string> bytes;
    for (const QString& n : names) bytes.push_back(n.toStdString());
    QVERIFY(std::is_sorted(bytes.begin(), bytes.end()));

    // A double click sorts its column ascending.
    grid->setCurrentCell(0, 3);
    emit grid->cellDoubleClicked(0, 3);
    const QStringList sizes = ColumnTexts(grid, 3);
    QVERIFY(std::is_sorted(sizes.begin(), sizes.end(),
                           [](const QString& a, const QString& b) { return Count(a) < Count(b); }));
    QVERIFY(Count(sizes.first()) < Count(sizes.last()));
  }

  void copiesTheSelectedCells() {
    auto p = Open(Path("demo.cap"));
    QVERIFY(p);
    TProtocolTablePage& page = *p->Main().ProtocolTablePage();
    QTableWidget* grid = page.ProtoGrid();
    grid->setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
    QApplication::clipboard()->clear();
    page.findChild<QToolButton*>("ProtocolTableCopytoClipboardBtn")->click();
    QCOMPARE(QApplication::clipboard()->text(), QString("Protocol\tPacket Count\r\n%1\t%2\r\n%3\t%4\r\n")
                                                    .arg(grid->item(1, 0)->text(), grid->item(1, 1)->text(),
                                                         grid->item(2, 0)->text(), grid->item(2, 1)->text()));
    // Select All from the Edit menu, then its Copy: the whole table.
    p->Main().Action("SelectAll1")->trigger();
    QApplication::clipboard()->clear();
    p->Main().Action("Copy1")->trigger();
    const QString all = QApplication::clipboard()->text();
    QCOMPARE(all, QString::fromStdString(page.Table().CopyText(0, 1, 6, grid->rowCount())));
    QCOMPARE(all.count("\r\n"), grid->rowCount() + 1);
    QVERIFY(
        all.startsWith("Protocol\tPacket Count\tPacket Percent\tAve Pkt Size (Bytes)\tBroadcast Count\t"
                       "Broadcast Percent\tEncapsulation(s)\r\n"));
  }

  void tokenRingMacFramesJoinTheOtherRow() {
    auto p = Open(WriteTokenRingTrace(Path("ring.cap")));
    QVERIFY(p);
    QTableWidget* grid = p->Main().ProtocolTablePage()->ProtoGrid();
    const QStringList names = ColumnTexts(grid, 0);
    QVERIFY(names.contains("Other"));
    QVERIFY(!names.contains("MAC"));
    const int other = static_cast<int>(names.indexOf("Other"));
    QVERIFY(grid->item(other, 6)->text().endsWith("MAC"));
  }
};

QTEST_MAIN(ProtocolTablePageTest)
#include "ProtocolTablePageTest.moc"

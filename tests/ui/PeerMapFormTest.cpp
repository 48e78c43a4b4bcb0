#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QSettings>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include "UiTestSupport.h"
#include "analysis/GridRows.h"
#include "ui/peermaps/DualListDialog.h"
#include "ui/peermaps/PeerMapForm.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/widgets/UiText.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TPeerMapForm;

namespace {

const MacAddr kA = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x01};
const MacAddr kB = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x02};
const MacAddr kC = {0x00, 0x00, 0x0C, 0x00, 0x00, 0x03};

// NCP requests and replies between two IPX nodes on an Ethernet (Novell raw) trace.
QString WriteIpxTrace(const QString& path) {
  TracePlan plan;
  plan.kind = 10;
  plan.topology = kEthernet;
  plan.bandwidth = 10000000;
  const IpxAddress client{0x10, kA, 0x4003};
  const IpxAddress server{0x20, kB, kNcpSocket};
  for (int i = 0; i < 6; ++i) {
    const bool request = i % 2 == 0;
    const Bytes ncp = request ? NcpRequest(static_cast<uint8_t>(i), 1, 1, 0x48, Filler(40))
                              : NcpReply(static_cast<uint8_t>(i), 1, 1, 0, 0, Filler(80));
    const Bytes ipx = IpxPacket(17, request ? server : client, request ? client : server, ncp);
    plan.frames.push_back({PadFrame(EthernetNovellRaw(request ? kB : kA, request ? kA : kB, ipx)), 0, i * 10000.0, 0});
  }
  const std::vector<uint8_t> bytes = WriteTrace(plan);
  return !bytes.empty() && SaveFile(path.toStdString(), bytes) ? path : QString();
}

// UDP and TCP between three IP stations: A talks UDP to B, C talks TCP to B.
QString WriteIpTrace(const QString& path) {
  TracePlan plan;
  plan.kind = 10;
  plan.topology = kEthernet;
  plan.bandwidth = 10000000;
  const Ip4Addr a = {10, 0, 0, 1}, b = {10, 0, 0, 2}, c = {10, 0, 0, 3};
  for (int i = 0; i < 4; ++i) {
    plan.frames.push_back({PadFrame(EthernetII(kB, kA, 0x0800, IpUdp(a, b, 1000, 53, Filler(60)))), 0, i * 20000.0, 0});
    plan.frames.push_back(
        {PadFrame(EthernetII(
             kB, kC, 0x0800,
             IpTcp(c, b, {.srcPort = 1030, .dstPort = 80, .seq = 1, .flags = kTcpAck, .payload = Filler(100)}))),
         0, i * 20000.0 + 10000, 0});
  }
  const std::vector<uint8_t> bytes = WriteTrace(plan);
  return !bytes.empty() && SaveFile(path.toStdString(), bytes) ? path : QString();
}

int NodeOf(const TPeerMapForm& w, const MacAddr& mac) {
  const auto& nodes = w.Graph().Nodes;
  for (size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].Address == AddressKey::Of(mac.data(), 6)) return static_cast<int>(i);
  return -1;
}

}  // namespace

class PeerMapFormTest : public QObject {
  Q_OBJECT

  TestFolder folder_;
  std::unique_ptr<TestProgram> Open(const QString& trace) { return folder_.Open(trace, ui::kFileSummaryPage); }
  static TPeerMapForm& Station(TestProgram& p) { return *p.windows->Station(); }
  static TPeerMapForm& Network(TestProgram& p) { return *p.windows->Network(); }

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(folder_.Prepare("00000C CISCO \n"));
    QVERIFY(!WriteIpxTrace(folder_.Path("ipx.cap")).isEmpty());
    QVERIFY(!WriteIpTrace(folder_.Path("ip.cap")).isEmpty());
  }

  void buttonsOpenTheWindowsWithTheirCaptions() {
    auto p = Open(folder_.Demo());
    QVERIFY(p);
    p->Main().Action("StationBtn")->trigger();
    TPeerMapForm& s = Station(*p);
    QVERIFY(s.isVisible());
    QCOMPARE(s.windowTitle(), QString("Station - demo.cap"));
    QCOMPARE(s.PageControl()->currentIndex(), 0);
    QCOMPARE(s.Mode(), int(kIdEncapsulation));
    QVERIFY(s.GridModel()->rowCount() > 0);
    QVERIFY(s.MapShowOui()->isChecked() && s.MapShowOui()->isEnabled());
    p->Main().Action("NetworkBtn")->trigger();
    QVERIFY(Network(*p).isVisible());
    QCOMPARE(Network(*p).windowTitle(), QString("Network - demo.cap"));
    QVERIFY(p->dialogs.boxes.empty());
    // A new open closes both windows.
    p->Main().OpenTraceFile(folder_.Path("ip.cap"));
    QVERIFY(!s.isVisible());
    QVERIFY(!Network(*p).isVisible());
  }

  void networkWindowRefusesATraceWithoutIpOrIpx() {
    const QString path = WriteTraceFile(folder_.Path("arp.cap"), 10, kEthernet, 10000000, 5);
    auto p = Open(path);
    QVERIFY(p);
    p->Main().Action("NetworkBtn")->trigger();
    QVERIFY(!Network(*p).isVisible());
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].text, QString("No IP or IPX packets in trace file."));
    QCOMPARE(p->dialogs.boxes[0].title, QString("Corvanta - Network Map"));
  }

  void networkModeFollowsTheTracesAddresses() {
    auto p = Open(folder_.Path("ipx.cap"));
    QVERIFY(p);
    p->Main().Action("NetworkBtn")->trigger();
    TPeerMapForm& n = Network(*p);
    QCOMPARE(n.Mode(), int(kModeIpx));
    QVERIFY(n.ModeGroup()->button(kModeIpx)->isChecked());
    QVERIFY(n.MapShowOui()->isVisible());
    QCOMPARE(n.Key(7)->text(), QString("Echo"));
    // The IP trace opens in the IP mode, where the map's OUI box is hidden (no IPX traffic).
    p->Main().OpenTraceFile(folder_.Path("ip.cap"));
    p->Main().Action("NetworkBtn")->trigger();
    QCOMPARE(n.Mode(), int(kModeIp));
    QVERIFY(!n.MapShowOui()->isVisible());
    QCOMPARE(n.Key(0)->text(), QString("UDP"));
    QVERIFY(n.Key(7)->isVisible());
    QVERIFY(!n.Key(8)->isVisible());
  }

  void keysFilterTheLinesAndOnOffInvert() {
    auto p = Open(folder_.Path("ip.cap"));
    QVERIFY(p);
    p->Main().Action("NetworkBtn")->trigger();
    TPeerMapForm& n = Network(*p);
    n.MapView()->grab();  // paints
    QCOMPARE(n.MapView()->Drawing().Lines, 2);
    n.Key(1)->setChecked(false);  // TCP
    n.KeyClick(1);
    QVERIFY(!n.Keys(kModeIp)[1]);
    n.MapView()->grab();  // paints
    QCOMPARE(n.MapView()->Drawing().Lines, 1);
    n.AllKeysClick(TPeerMapForm::AllKeys::kInvert);
    QVERIFY(n.Key(1)->isChecked());
    QVERIFY(!n.Key(0)->isChecked());
    n.MapView()->grab();  // paints
    QCOMPARE(n.MapView()->Drawing().Lines, 1);
    n.AllKeysClick(TPeerMapForm::AllKeys::kOff);
    n.MapView()->grab();  // paints
    QCOMPARE(n.MapView()->Drawing().Lines, 0);
    // Key states belong to their mode: the IPX keys are still all checked.
    n.ModeClick(kModeIpx);
    QVERIFY(n.Key(0)->isChecked());
    n.ModeClick(kModeIp);
    QVERIFY(!n.Key(0)->isChecked());
    n.AllKeysClick(TPeerMapForm::AllKeys::kOn);
    n.MapView()->grab();  // paints
    QCOMPARE(n.MapView()->Drawing().Lines, 2);
    // The station map's Token Ring-less first mode reads "Errors" with its two keys.
    p->Main().Action("StationBtn")->trigger();
    TPeerMapForm& s = Station(*p);
    QCOMPARE(s.ModeGroup()->button(kIdErrors)->text(), QString("Errors"));
    s.ModeClick(kIdErrors);
    QCOMPARE(s.Key(1)->text(), QString("No Errors"));
    QVERIFY(s.KeyGroup()->isVisible());
  }

  void tokenRingHasNoneModeWithoutKeys() {
    const QString ring = WriteTokenRingTrace(folder_.Path("ring.cap"));
    auto p = Open(ring);
    QVERIFY(p);
    p->Main().Action("StationBtn")->trigger();
    TPeerMapForm& s = Station(*p);
    QCOMPARE(s.ModeGroup()->button(kIdErrors)->text(), QString("None"));
    s.ModeClick(kIdErrors);
    QVERIFY(!s.KeyGroup()->isVisible());
    s.ModeClick(kIdEncapsulation);
    QCOMPARE(s.Key(2)->text(), QString("MAC"));
    QVERIFY(!s.Key(3)->isVisible());
  }

  void viewableStationsHideRowsAndLines() {
    auto p = Open(folder_.Path("ip.cap"));
    QVERIFY(p);
    p->Main().Action("StationBtn")->trigger();
    TPeerMapForm& s = Station(*p);
    QCOMPARE(s.GridModel()->rowCount(), 2);  // A and C send
    s.MapView()->grab();                     // paints
    QCOMPARE(s.MapView()->Drawing().Lines, 2);
    const int c = NodeOf(s, kC);
    const int a = NodeOf(s, kA);
    // The dialog lists the rows with their node ids.
    ui::TDualListDialogForm& dialog = *p->windows->DualList();
    QTimer::singleShot(0, &dialog, [&] {
      for (int i = 0; i < dialog.SrcList()->count(); ++i)
        dialog.SrcList()->item(i)->setSelected(dialog.SrcList()->item(i)->data(Qt::UserRole + 1).toInt() == c);
      dialog.Move(true, false);
      dialog.accept();
    });
    s.SelStnBtnClick();
    QCOMPARE(s.GridModel()->rowCount(), 1);
    QCOMPARE(s.GridModel()->Rows()[0].Node, a);
    QVERIFY(!s.View().Viewable[static_cast<size_t>(c)]);
    s.MapView()->grab();  // paints
    QCOMPARE(s.MapView()->Drawing().Lines, 1);
    // Shown again, it comes back.
    s.ApplyViewable({a, c}, {});
    QCOMPARE(s.GridModel()->rowCount(), 2);
  }

  void sortingAndCopy() {
    auto p = Open(folder_.Demo());
    QVERIFY(p);
    p->Main().Action("StationBtn")->trigger();
    TPeerMapForm& s = Station(*p);
    const int rows = s.GridModel()->rowCount();
    QVERIFY(rows > 3);
    s.StnGrid()->setCurrentIndex(s.GridModel()->index(0, 4));  // "Snd+Rcv Pkts", a number
    s.SortClick(false);
    const char sep = ui::LocaleThousandsSeparator();
    auto number = [&](int row) {
      return GridCellNumber(s.GridModel()->Rows()[static_cast<size_t>(row)].Cells[4], sep, '.');
    };
    for (int r = 1; r < rows; ++r) QVERIFY(number(r - 1) >= number(r));
    s.SortClick(true);
    for (int r = 1; r < rows; ++r) QVERIFY(number(r - 1) <= number(r));

    // Copy: the headings then the rows of the selected cells, in display order.
    s.StnGrid()->horizontalHeader()->moveSection(3, 0);  // "Dests" first
    s.StnGrid()->clearSelection();
    s.StnGrid()->selectionModel()->select(QItemSelection(s.GridModel()->index(0, 0), s.GridModel()->index(1, 0)),
                                          QItemSelectionModel::Select);
    s.StnGrid()->selectionModel()->select(QItemSelection(s.GridModel()->index(0, 3), s.GridModel()->index(1, 3)),
                                          QItemSelectionModel::Select);
    s.CopyTableClick();
    const QString text = QApplication::clipboard()->text();
    const QStringList lines = text.split("\r\n");
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines[0], QString("Dests\tSource Address"));
    QCOMPARE(lines[1], ui::ToQ(s.GridModel()->Rows()[0].Cells[3] + "\t" + s.GridModel()->Rows()[0].Cells[0]));
  }

  void mapLabelClickLeadsToTheStatisticsRow() {
    auto p = Open(folder_.Path("ip.cap"));
    QVERIFY(p);
    p->Main().Action("NetworkBtn")->trigger();
    TPeerMapForm& n = Network(*p);
    n.MapView()->grab();  // paints
    const auto& labels = n.MapView()->Drawing().Labels;
    QVERIFY(!labels.empty());
    int sender = -1;
    for (const PeerMapLabelDraw& l : labels)
      if (l.Sender) sender = l.Node;
    QVERIFY(sender >= 0);
    n.LabelClick(sender, {}, false);
    QVERIFY(n.StatisticsItem()->isEnabled());
    QVERIFY(n.DlcItem()->text().startsWith("DLC = CISCO"));
    n.StatisticsClick();
    QCOMPARE(n.PageControl()->currentIndex(), 1);
    QCOMPARE(n.GridModel()->Highlight(), sender);
    const int row = n.GridModel()->RowOf(sender);
    QCOMPARE(n.GridModel()->data(n.GridModel()->index(row, 2), Qt::BackgroundRole).value<QColor>(),
             QColor(255, 255, 0));
    // The toolbox item hands the clicked address to the toolbox as its source.
    QSignalSpy requests(&n, &TPeerMapForm::ToolboxRequested);
    QVERIFY(n.ToolboxItem()->isEnabled());
    n.ToolboxItem()->trigger();
    QCOMPARE(requests.count(), 1);
    const auto request = requests.at(0).at(0).value<ui::ToolboxAddressRequest>();
    QCOMPARE(request.source, n.Graph().Nodes[static_cast<size_t>(sender)].Address);
    QCOMPARE(request.destination.Length, uint8_t{0});
    QVERIFY(p->windows->Toolbox()->isVisible());
    QCOMPARE(p->windows->Toolbox()->SourceBox()->currentText(), request.sourceText);
    // Without a toolbox the item says why it is disabled.
    n.SetToolboxAvailable(false);
    QVERIFY(!n.ToolboxItem()->isEnabled());
    QCOMPARE(n.ToolboxItem()->toolTip(), QString("The Halvex ToolBox is not available yet."));
  }

  void columnOrderFile() {
    auto p = Open(folder_.Demo());
    QVERIFY(p);
    TPeerMapForm& s = Station(*p);
    const QString ini = folder_.Path("config/corvanta.ini");
    {
      QSettings write(ini, QSettings::IniFormat);
      write.setValue("StationStats/ColumnOrder", "11,10,9,8,7,6,5,4,3,2,1");
      write.setValue("NetworkStatisticsForm/ColumnOrder", "1,2,3");
    }
    s.SetColumnOrderFile(ini);
    QCOMPARE(s.ColumnOrder(), (std::vector<int>{11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    Network(*p).SetColumnOrderFile(ini);
    QCOMPARE(Network(*p).ColumnOrder(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    // Closing the window writes the order back.
    s.SetColumnOrder({2, 1, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    s.show();
    s.close();
    QCOMPARE(QSettings(ini, QSettings::IniFormat).value("StationStats/ColumnOrder").toString(),
             QString("2,1,3,4,5,6,7,8,9,10,11"));
    // A value typed by hand without quotes is read as well.
    QFile file(ini);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("[StationStats]\nColumnOrder=3,2,1,4,5,6,7,8,9,10,11\n");
    file.close();
    s.LoadColumnOrder();
    QCOMPARE(s.ColumnOrder()[0], 3);
    // An unwritable place is quiet.
    s.SetColumnOrderFile("/proc/corvanta/none.ini");
    s.SaveColumnOrder();
    QVERIFY(p->dialogs.boxes.empty());
  }
};

QTEST_MAIN(PeerMapFormTest)
#include "PeerMapFormTest.moc"

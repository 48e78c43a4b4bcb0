#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include "DemoTrace.h"
#include "UiTestSupport.h"
#include "decode/TraceStatistics.h"
#include "trace/Detection.h"
#include "ui/main/FileCatcher.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/main/TraceDecoding.h"
#include "ui/main/TraceFileFilter.h"
#include "ui/widgets/UiText.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TMainForm;

namespace {

QByteArray ToBytes(const std::vector<uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Decodes nothing but reports fixed utilisation figures, measured at the header's bandwidth.
class FixedUtilisation : public ui::TraceDecoding, public FrameSink {
 public:
  FrameSink& Sink() override { return *this; }
  bool DecodeFrame(FrameRecord&) override { return false; }
  double ElapsedTime() const override { return 2500000; }
  int32_t IpOrIpxFrames() const override { return 0; }
  void FillSummary(FileSummaryInputs& in) const override {
    in.totalBytes = 4000;
    in.broadcastBytes = 1000;
    in.broadcastFrames = 2;
    in.multicastFrames = 1;
    in.durationSeconds = 2;
    in.all = {4, 50, 3000, 7};
    in.broadcast = {1, 7, 800, 3};
  }
};

QString Text(TMainForm& form, const char* box) { return form.FileSummaryPage()->TextBox(box)->text(); }

// Counts frames and runs an action at one of them.
class ActingDecoding : public ui::TraceDecoding, public FrameSink {
 public:
  int actAt = 0;
  std::function<void()> action;
  int frames = 0;
  FrameSink& Sink() override { return *this; }
  bool DecodeFrame(FrameRecord& frame) override {
    frames = frame.FrameNumber;
    if (frames == actAt && action) action();
    return false;
  }
  double ElapsedTime() const override { return 0; }
  int32_t IpOrIpxFrames() const override { return 0; }
  bool HasStatistics() const override { return false; }
  void FillSummary(FileSummaryInputs&) const override {}
};

}  // namespace

class MainFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  int run_ = 0;

  QString Path(const QString& name) const { return dir_.filePath(name); }
  // A fresh settings file per program, and an empty vendor file so no warning shows.
  std::unique_ptr<TestProgram> NewProgram(std::function<void(ui::ProgramContext&)> configure = {}) {
    auto program = std::make_unique<TestProgram>(Path(QString("settings-%1.ini").arg(++run_)), dir_.path(), configure);
    return program;
  }
  QString EthernetTrace(const QString& name, int frames = 5, uint32_t bandwidth = 10000000) {
    return WriteTraceFile(Path(name), 10, kEthernet, bandwidth, frames, "Lab capture");
  }

 private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY(WriteBytes(Path("OUI.TXT"), "00-00-0C   (hex)\t\tCISCO\n"));
  }

  void freshStartShowsNoTrace() {
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    QCOMPARE(f.windowTitle(), QString("Corvanta Halvex (tm) "));
    QVERIFY(f.MainPageControl()->isHidden());
    QCOMPARE(f.MainPageControl()->count(), 6);
    const QStringList captions = {"File Summary",     "Client/Server Expert", "DLC Error Expert",
                                  "Frame Size Chart", "Protocol Chart",       "Protocol Table"};
    for (int i = 0; i < 6; ++i) QCOMPARE(f.MainPageControl()->tabText(i), captions[i]);
    for (const char* name : {"Print1", "Bandwidth1", "FullDuplex1", "PrintBtn", "AnalyzeBtn", "StationBtn",
                             "NetworkBtn", "Copy1", "SelectAll1"})
      QVERIFY2(!f.Action(name)->isEnabled(), name);
    QVERIFY(f.Action("OpenBtn")->isEnabled());
    // The problem finder's settings need no trace.
    QVERIFY(f.Action("BrisqonBtn")->isEnabled());
    QVERIFY(f.Action("Open1")->isEnabled());
    for (int i = 1; i <= 8; ++i) QVERIFY(!f.Action(QString("MRU%1").arg(i))->isVisible());
    for (int i = 0; i < 3; ++i) QVERIFY(f.StatusPanel(i)->text().isEmpty());
    QCOMPARE(f.TipMemo()->toPlainText(),
             QString("Tip: %1\nTip: %2")
                 .arg(QString::fromUtf8(ui::TipText(30).data()), QString::fromUtf8(ui::TipText(31).data())));
    QCOMPARE(Text(f, "FileDurationTextBox"), QString("00:00:00.000"));
    QCOMPARE(Text(f, "TotalPacketsTextBox"), QString("0"));
    QCOMPARE(Text(f, "FileAnalyzerTextBox"), QString());
    QVERIFY(p->dialogs.boxes.empty());
  }

  void menuCaptionsHintsAndShortcuts() {
    auto p = NewProgram();
    TMainForm& f = p->Main();
    QCOMPARE(f.Action("Open1")->text(), QString("&Open..."));
    QCOMPARE(f.Action("Open1")->shortcut(), QKeySequence("Ctrl+O"));
    QCOMPARE(f.Action("Open1")->statusTip(), QString("Open a new analyzer trace file"));
    QCOMPARE(f.Action("OpenBtn")->toolTip(), QString("Open a new analyzer trace file"));
    QCOMPARE(f.Action("Reopen1")->statusTip(), QString("Reopen a previosly opened analyzer trace file"));
    QCOMPARE(f.Action("Print1")->shortcut(), QKeySequence("Ctrl+P"));
    // Until the print selection window exists its button says so.
    QVERIFY(f.Action("PrintBtn")->toolTip().startsWith("Print selected windows"));
    QCOMPARE(f.Action("PrinterSetup1")->statusTip(), QString("Choose a printer and its properties"));
    QCOMPARE(f.Action("Exit1")->text(), QString("E&xit"));
    QCOMPARE(f.Action("Exit1")->shortcut(), QKeySequence("Ctrl+X"));
    QCOMPARE(f.Action("Copy1")->shortcut(), QKeySequence("Ctrl+C"));
    QCOMPARE(f.Action("SelectAll1")->text(), QString("Select &All"));
    QCOMPARE(f.Action("Bandwidth1")->text(), QString("Default &Bandwidth"));
    QCOMPARE(f.Action("Bandwidth1")->statusTip(), QString("Set default LAN bandwidth"));
    QCOMPARE(f.Action("FullDuplex1")->statusTip(), QString("Doubles LAN Bandwidth"));
    QCOMPARE(f.Action("ServerPorts1")->text(), QString("Server &Ports"));
    QCOMPARE(f.Action("VisitWebSite1")->text(), QString("Visit Vexl Group's &Web Site"));
    QCOMPARE(f.Action("About1")->statusTip(), QString("Display About Box & technical support info"));
    QCOMPARE(f.Action("AnalyzeBtn")->toolTip(), QString("Halvex Toolbox"));
    // The peer map window does not exist yet: its button says so after its hint.
    QVERIFY(f.Action("NetworkBtn")->toolTip().startsWith("Network Peer Map And Statistics"));
    QCOMPARE(f.Action("BrisqonBtn")->toolTip(), QString("Brisqon(tm) Settings"));
  }

  void opensATraceEndToEnd() {
    const QString trace = EthernetTrace("lab one.cap", 5);
    QVERIFY(!trace.isEmpty());
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    p->dialogs.nextOpenPath = trace;
    std::string tipsDuringDialog;
    p->dialogs.duringOpenDialog = [&] { tipsDuringDialog = f.Tips().to_string(); };
    f.Open1Click();

    QVERIFY(p->dialogs.boxes.empty());
    QCOMPARE(tipsDuringDialog, ui::MakeTipSet({17, 18}).to_string());
    QCOMPARE(f.Tips(), ui::MakeTipSet({34, 35}));
    QCOMPARE(f.TraceFileName(), trace);
    QVERIFY(f.MainPageControl()->isVisibleTo(&f));
    QCOMPARE(f.windowTitle(), QString("Corvanta Halvex (tm)  - lab one.cap"));
    QCOMPARE(f.LastDirectory(), QFileInfo(trace).absolutePath());
    QCOMPARE(f.StatusPanel(0)->text(), QString("Ethernet"));
    QCOMPARE(f.StatusPanel(1)->text(), QString("5 Frames"));
    QCOMPARE(f.StatusPanel(2)->text(), QString("NAI NetXRay/Sniffer Windows file ") + trace);
    QVERIFY(f.Action("MRU1")->isVisible());
    QCOMPARE(f.Action("MRU1")->text(), QString("&1 ") + trace);
    QVERIFY(!f.Action("MRU2")->isVisible());
    for (const char* name : {"Bandwidth1", "FullDuplex1", "OpenBtn", "Open1"})
      QVERIFY2(f.Action(name)->isEnabled(), name);
    QVERIFY(f.Action("BandwidthOption1")->isChecked());
    QCOMPARE(f.Action("BandwidthOption2")->text(), QString("100 Mbps"));
    QCOMPARE(Text(f, "FileAnalyzerTextBox"), QString("NAI NetXRay/Sniffer Windows"));
    QCOMPARE(Text(f, "FileTopologyTextBox"), QString("Ethernet"));
    QCOMPARE(Text(f, "FileBandwidthTextBox"), QString("10 Mbps"));
    QCOMPARE(Text(f, "FileSizeTextBox"), ui::CountText(QFileInfo(trace).size()) + " bytes");
    QCOMPARE(Text(f, "FileDurationTextBox"), QString("00:00:00.400"));
    QVERIFY(!Text(f, "FileDateTextBox").isEmpty());
    // The decoder's statistics: five broadcast ARP frames of 64 to 103 bytes with their check sequence.
    QCOMPARE(Text(f, "TotalPacketsTextBox"), QString("5"));
    QCOMPARE(Text(f, "BroadcastTextBox"), QString("5"));
    QCOMPARE(Text(f, "UnicastTextBox"), QString("0"));
    QCOMPARE(Text(f, "TotalBytesTextBox"), QString("330"));
    QCOMPARE(Text(f, "LargestBroadcastTextBox"), QString("68"));
    QCOMPARE(Text(f, "ETypeTextBox"), QString("5"));
    // The Open dialog starts in the folder of the last trace.
    p->dialogs.nextOpenPath.clear();
    f.Open1Click();
    QCOMPARE(p->dialogs.lastOpenDirectory, QFileInfo(trace).absolutePath());
    QCOMPARE(f.TraceFileName(), trace);  // cancelled: nothing changes
  }

  // "Read libpcap and pcapng Files": off by default, refusing as before; on, the files are
  // read and offered by the open dialog; the choice is kept for the next start.
  void readPcapOptionReadsLibpcapAndPcapng() {
    TracePlan plan;
    plan.kind = 25;
    plan.frames = EthernetFrames(5);
    QVERIFY(WriteBytes(Path("lab.pcapng"), ToBytes(WriteTrace(plan))));
    const QString ini = Path("pcap-option.ini");
    {
      TestProgram p(ini, dir_.path());
      QVERIFY(p.Start());
      TMainForm& f = p.Main();
      QCOMPARE(f.Action("ReadPcap1")->text(), QString("Read libpcap and pcapng Files"));
      QVERIFY(f.Action("ReadPcap1")->isCheckable());
      QVERIFY(!f.Action("ReadPcap1")->isChecked());
      QVERIFY(!f.OpenDialogFilters().join('|').contains("pcap"));
      f.OpenTraceFile(Path("lab.pcapng"));
      QCOMPARE(p.dialogs.boxes.size(), size_t{1});
      QCOMPARE(p.dialogs.boxes[0].text, QString("lab.pcapng is osbolete, not supported, or not a trace file."));

      f.Action("ReadPcap1")->trigger();
      QVERIFY(f.OpenDialogFilters().contains("libpcap (*.pcap *.cap *.dmp)"));
      QVERIFY(f.OpenDialogFilters().contains("pcapng (*.pcapng)"));
      f.OpenTraceFile(Path("lab.pcapng"));
      QCOMPARE(p.dialogs.boxes.size(), size_t{1});
      QVERIFY(f.MainPageControl()->isVisibleTo(&f));
      QCOMPARE(Text(f, "FileAnalyzerTextBox"), QString("pcapng"));
      QCOMPARE(Text(f, "TotalPacketsTextBox"), QString("5"));
      QCOMPARE(f.StatusPanel(1)->text(), QString("5 Frames"));
      QVERIFY(f.close());
    }
    TestProgram again(ini, dir_.path());
    QVERIFY(again.Start());
    QVERIFY(again.Main().Action("ReadPcap1")->isChecked());
    QVERIFY(again.context.settings.readPcap);
  }

  void partialReadShowsInTheStatusBar() {
    TracePlan plan;
    plan.kind = 15;
    plan.frames = EthernetFrames(5);
    QByteArray bytes = ToBytes(WriteTrace(plan));
    bytes.chop(10);  // the last record cut short
    QVERIFY(WriteBytes(Path("cut.snoop"), bytes));
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(Path("cut.snoop"));
    QVERIFY(p->dialogs.boxes.empty());
    QVERIFY(f.MainPageControl()->isVisibleTo(&f));
    QCOMPARE(f.StatusPanel(1)->text(), QString("4 Frames - FILE PARTIALLY READ"));
    f.OpenTraceFile(EthernetTrace("good.cap"));
    QCOMPARE(f.StatusPanel(1)->text(), QString("5 Frames"));
  }

  void refusalsShowTheirBoxAndLeaveNoPage_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");
    QTest::newRow("too small") << "tiny.cap"
                               << "tiny.cap is too small.";
    QTest::newRow("not a trace") << "notes.txt"
                                 << "notes.txt is osbolete, not supported, or not a trace file.";
    QTest::newRow("missing") << "gone.cap"
                             << "Unable to open Source file.  File is in use or name is bad.";
    QTest::newRow("fddi") << "fddi.cap"
                          << "fddi.cap contains an unsupported interface.";
    QTest::newRow("wan") << "wan.cap"
                         << "wan.cap contains an unsupported analyzer or topology.";
    QTest::newRow("tcpdump") << "dump.pcap"
                             << "dump.pcap contains an unsupported analyzer or topology.";
    QTest::newRow("no frame index") << "stop.cap"
                                    << "stop.cap contains no frames.";
    QTest::newRow("observer version") << "v.bfr"
                                      << "v.bfr has an unreadable Observer version.";
  }

  void refusalsShowTheirBoxAndLeaveNoPage() {
    QFETCH(QString, name);
    QFETCH(QString, message);
    QVERIFY(WriteBytes(Path("tiny.cap"), "0123456789"));
    QVERIFY(WriteBytes(Path("notes.txt"), QByteArray(400, 'x')));
    QVERIFY(!WriteTraceFile(Path("fddi.cap"), 10, 2, 100000000, 3).isEmpty());
    QVERIFY(!WriteTraceFile(Path("wan.cap"), 10, 3, 10000000, 3).isEmpty());
    QByteArray pcap = QByteArray::fromHex("d4c3b2a1020004000000000000000000ffff000001000000");
    pcap += QByteArray::fromHex("00000000000000003c0000003c000000") + QByteArray(60, '\x01');
    QVERIFY(WriteBytes(Path("dump.pcap"), pcap));
    QCOMPARE(DetectAnalyzer(Path("dump.pcap").toStdString()).kind, AnalyzerKind{17});
    // Traces whose reader cannot open them: a Domino file whose chunks stop before the frame
    // index, an Observer file without a version digit.
    TracePlan plan;
    plan.frames = EthernetFrames(3);
    plan.kind = 22;
    QByteArray domino = ToBytes(WriteTrace(plan));
    domino.replace(domino.indexOf("FRAM", 78), 4, "STOP");
    QVERIFY(WriteBytes(Path("stop.cap"), domino));
    plan.kind = 12;
    QByteArray observer = ToBytes(WriteTrace(plan));
    observer[static_cast<int>(observer.indexOf('=')) + 1] = 'x';
    QVERIFY(WriteBytes(Path("v.bfr"), observer));

    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    // A good trace first: a refusal must take everything of it away.
    f.OpenTraceFile(EthernetTrace("good.cap"));
    QVERIFY(f.MainPageControl()->isVisibleTo(&f));
    f.OpenTraceFile(Path(name));
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].kind, QString("warning"));
    QCOMPARE(p->dialogs.boxes[0].title, QString("Open Trace File"));
    QCOMPARE(p->dialogs.boxes[0].text, message);
    QVERIFY(f.MainPageControl()->isHidden());
    QVERIFY(f.TraceFileName().isEmpty());
    QCOMPARE(f.windowTitle(), QString("Corvanta Halvex (tm) "));
    QVERIFY(!f.Action("Print1")->isEnabled());
    QVERIFY(!f.Action("FullDuplex1")->isEnabled());
    QVERIFY(f.StatusPanel(2)->text().isEmpty());
    QVERIFY(f.Action("Open1")->isEnabled());
    // The folder is remembered even for a refused file.
    QCOMPARE(f.LastDirectory(), QFileInfo(Path(name)).absolutePath());
  }

  void reopenListKeepsEightNewestWithoutDuplicates() {
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    QStringList traces;
    for (int i = 0; i < 9; ++i) traces << EthernetTrace(QString("t%1.cap").arg(i), 2);
    for (int i = 0; i < 3; ++i) f.OpenTraceFile(traces[i]);
    QCOMPARE(f.Action("MRU1")->text(), "&1 " + traces[2]);
    QCOMPARE(f.Action("MRU3")->text(), "&3 " + traces[0]);
    QVERIFY(!f.Action("MRU4")->isVisible());
    // Reopening the oldest moves it to the top.
    f.Action("MRU3")->trigger();
    QCOMPARE(f.TraceFileName(), traces[0]);
    QCOMPARE(f.Action("MRU1")->text(), "&1 " + traces[0]);
    QCOMPARE(f.Action("MRU2")->text(), "&2 " + traces[2]);
    QCOMPARE(f.Action("MRU3")->text(), "&3 " + traces[1]);
    QVERIFY(!f.Action("MRU4")->isVisible());
    for (int i = 3; i < 9; ++i) f.OpenTraceFile(traces[i]);
    // Nine distinct paths: the oldest falls off.
    for (int i = 1; i <= 8; ++i) QVERIFY(f.Action(QString("MRU%1").arg(i))->isVisible());
    QCOMPARE(f.Action("MRU1")->text(), "&1 " + traces[8]);
    QCOMPARE(f.Action("MRU8")->text(), "&8 " + traces[2]);
    const auto& recent = p->context.settings.recentFiles;
    QVERIFY(std::find(recent.begin(), recent.end(), traces[1].toStdString()) == recent.end());
    // A refused file does not enter the list.
    f.OpenTraceFile(Path("not-there.cap"));
    QCOMPARE(f.Action("MRU1")->text(), "&1 " + traces[8]);
  }

  void dropOfThreeFilesOpensTheFirst() {
    const QString a = EthernetTrace("drop-a.cap", 3);
    const QString b = EthernetTrace("drop-b.cap", 4);
    const QString c = EthernetTrace("drop-c.cap", 5);
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    QVERIFY(f.acceptDrops());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
    QDragEnterEvent enter(QPoint(20, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(20, 30), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&f, &drop);
    QCOMPARE(f.FileCatcher1()->Files(), QStringList({a, b, c}));
    QCOMPARE(f.FileCatcher1()->DropPoint(), QPoint(20, 30));
    QTRY_COMPARE(f.TraceFileName(), a);
    QTRY_VERIFY(!f.Opening());
    QCOMPARE(f.StatusPanel(1)->text(), QString("3 Frames"));
    QVERIFY(!f.Action("MRU2")->isVisible());
  }

  void theDecoderFillsTheSummaryAndItsUtilisationRebases() {
    const QString demo = Path("demo.cap");
    QVERIFY(SaveFile(demo.toStdString(), WriteTrace(DemoTracePlan())));
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(demo);
    const TraceStatistics& s = *f.Decoding()->Statistics();
    QVERIFY(f.Decoding()->Model());
    QCOMPARE(Text(f, "TotalPacketsTextBox"), ui::CountText(s.TraceStats[kStatFrames].Value));
    QCOMPARE(Text(f, "BroadcastTextBox"), ui::CountText(s.TraceStats[kStatBroadcast].Value));
    QCOMPARE(Text(f, "MulticastTextBox"), ui::CountText(s.TraceStats[kStatMulticast].Value));
    QCOMPARE(Text(f, "LargestUnicastTextBox"), ui::CountText(s.TraceStats[kStatLargest].Value));
    QCOMPARE(Text(f, "LLCTextBox"), ui::CountText(s.TraceStats[kStatLlc].Value));
    QCOMPARE(Text(f, "NovellRawTextBox"), ui::CountText(s.TraceStats[kStatNovRaw].Value));
    QVERIFY(s.TraceStats[kStatNovRaw].Value > 0 && s.TraceStats[kStatLlc].Value > 0);
    QVERIFY(f.Decoding()->IpOrIpxFrames() > f.Decoding()->IpxFrames());
    QVERIFY(f.Decoding()->IpxFrames() > 0);
    // The utilisation was measured at the trace's 10 Mbit/s and is re-based without reading it again.
    auto scaled = [&](int32_t percent, int mbps, int duplex) {
      return QString::fromStdString(ScaledUtilizationText(percent, 10, mbps, duplex, ui::LocaleThousandsSeparator()));
    };
    const int32_t peak = s.UtilStats[kUtilPeak].Value;
    QVERIFY(peak > 0);
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), scaled(peak, 10, 1));
    QCOMPARE(Text(f, "PeakBpsTextBox"), ui::CountText(s.UtilStats[kUtilPeakBytes].Value));
    f.Action("BandwidthOption2")->trigger();
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), scaled(peak, 100, 1));
    f.Action("FullDuplex1")->trigger();
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), scaled(peak, 100, 2));
    QCOMPARE(Text(f, "AveBandwidthTextBox"), scaled(s.UtilStats[kUtilAverage].Value, 100, 2));

    // Token Ring: MAC frames in the third row, "Functional" for multicast.
    f.OpenTraceFile(WriteTokenRingTrace(Path("ring.cap")));
    const TraceStatistics& r = *f.Decoding()->Statistics();
    QVERIFY(r.MacFrames > 0);
    QCOMPARE(Text(f, "ETypeTextBox"), ui::CountText(r.MacFrames));
    QCOMPARE(f.FileSummaryPage()->findChild<QLabel*>("Etypee")->text(), QString("MAC"));
    QCOMPARE(f.FileSummaryPage()->findChild<QLabel*>("MulticastLabel")->text(), QString("Functional"));
    QCOMPARE(f.Decoding()->IpOrIpxFrames(), 0);
  }

  void bandwidthAndDuplexRebaseTheUtilisation() {
    auto p =
        NewProgram([](ui::ProgramContext& c) { c.makeDecoding = [] { return std::make_unique<FixedUtilisation>(); }; });
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(EthernetTrace("util.cap", 4));
    auto* page = f.FileSummaryPage();
    auto* group = page->findChild<QGroupBox*>("GroupBox1");
    QCOMPARE(group->title(), QString("Media Utilization (based on 10 Mbps)"));
    QCOMPARE(Text(f, "AveBandwidthTextBox"), QString("4%"));
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), QString("50%"));
    QCOMPARE(Text(f, "AveBpsTextBox"), QString("2,000"));
    QCOMPARE(Text(f, "AvePpsTextBox"), QString("2"));

    f.Action("BandwidthOption2")->trigger();
    QCOMPARE(f.BandwidthMbps(), 100);
    QVERIFY(f.Action("BandwidthOption2")->isChecked());
    QVERIFY(!f.Action("BandwidthOption1")->isChecked());
    QCOMPARE(group->title(), QString("Media Utilization (based on 100 Mbps)"));
    QCOMPARE(Text(f, "AveBandwidthTextBox"), QString("<1%"));
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), QString("5%"));
    QCOMPARE(Text(f, "FileBandwidthTextBox"), QString("100 Mbps"));

    f.Action("FullDuplex1")->trigger();
    QCOMPARE(f.DuplexFactor(), 2);
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), QString("2%"));  // 2.5, half to even
    QCOMPARE(group->title(), QString("Media Utilization (based on 100 Mbps)"));
    QCOMPARE(Text(f, "FileBandwidthTextBox"), QString("100 Mbps"));  // until the next bandwidth choice
    f.Action("BandwidthOption2")->trigger();
    QCOMPARE(Text(f, "FileBandwidthTextBox"), QString("200 Mbps"));

    // Broadcast only: broadcast bytes, broadcast and multicast frames.
    f.Action("FullDuplex1")->trigger();
    f.Action("BandwidthOption1")->trigger();
    page->SetBroadcastOnly(true);
    emit page->MediaUtilSelectionClick();
    QCOMPARE(Text(f, "AveBpsTextBox"), QString("500"));
    QCOMPARE(Text(f, "AvePpsTextBox"), QString("1"));
    QCOMPARE(Text(f, "PeakBandwidthTextBox"), QString("7%"));
    // The frame statistics come from the same figures.
    QCOMPARE(Text(f, "BroadcastTextBox"), QString("2"));
    QCOMPARE(Text(f, "UnicastTextBox"), QString("1"));
    QCOMPARE(Text(f, "AveUnicastTextBox"), QString("1,000"));
    // A new open takes the bandwidth from the header again; Full Duplex stays as chosen.
    f.Action("BandwidthOption3")->trigger();
    f.OpenTraceFile(EthernetTrace("util2.cap", 4, 100000000));
    QCOMPARE(f.BandwidthMbps(), 100);
    QVERIFY(f.Action("BandwidthOption2")->isChecked());
    QVERIFY(!f.Action("BandwidthOption3")->isChecked());
  }

  void tokenRingTraceUsesItsLabelsAndBandwidths() {
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(WriteTraceFile(Path("ring.tr"), 10, kTokenRing, 16000000, 3));
    QVERIFY(p->dialogs.boxes.empty());
    QCOMPARE(f.StatusPanel(0)->text(), QString("Token Ring"));
    QCOMPARE(f.Action("BandwidthOption1")->text(), QString("4 Mbps"));
    QCOMPARE(f.Action("BandwidthOption2")->text(), QString("16 Mbps"));
    QCOMPARE(f.Action("BandwidthOption3")->text(), QString("100 Mbps"));
    QVERIFY(f.Action("BandwidthOption2")->isChecked());
    auto* page = f.FileSummaryPage();
    QCOMPARE(page->findChild<QLabel*>("MulticastLabel")->text(), QString("Functional"));
    QCOMPARE(page->findChild<QLabel*>("Etypee")->text(), QString("MAC"));
    QCOMPARE(page->findChild<QLabel*>("Etypee")->toolTip(), QString("Media Access Control"));
    QVERIFY(page->findChild<QLabel*>("NovRaw")->isHidden());
    QVERIFY(page->TextBox("NovellRawTextBox")->isHidden());
    QVERIFY(page->Bar("NovRawPct")->isHidden());
    f.Action("BandwidthOption1")->trigger();
    QCOMPARE(Text(f, "FileBandwidthTextBox"), QString("4 Mbps"));

    // An Ethernet bandwidth matching none of the three checks none.
    f.OpenTraceFile(EthernetTrace("odd.cap", 2, 5000000));
    QCOMPARE(f.BandwidthMbps(), 5);
    for (int i = 1; i <= 3; ++i) QVERIFY(!f.Action(QString("BandwidthOption%1").arg(i))->isChecked());
    QCOMPARE(page->findChild<QLabel*>("Etypee")->text(), QString("Etype"));
    QVERIFY(!page->findChild<QLabel*>("NovRaw")->isHidden());
  }

  void closeHidesThePages() {
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(EthernetTrace("close.cap"));
    f.Action("Close1")->trigger();
    QVERIFY(f.TraceFileName().isEmpty());
    QVERIFY(f.MainPageControl()->isHidden());
    QCOMPARE(f.windowTitle(), QString("Corvanta Halvex (tm) "));
    QVERIFY(f.StatusPanel(0)->text().isEmpty());
    QVERIFY(!f.Action("FullDuplex1")->isEnabled());
    QCOMPARE(f.Tips(), ui::MakeTipSet({30, 31}));
    // An empty Reopen slot only hides the pages.
    f.OpenTraceFile(EthernetTrace("close.cap"));
    f.MRUClick(5);
    QVERIFY(f.MainPageControl()->isHidden());
    QCOMPARE(f.TraceFileName(), Path("close.cap"));
  }

  void editMenuAndTipsFollowThePage() {
    auto p = NewProgram();
    QVERIFY(p->Start());
    TMainForm& f = p->Main();
    f.OpenTraceFile(EthernetTrace("pages.cap"));
    struct Expect {
      int page;
      const char* copy;
      std::initializer_list<int> tips;
    };
    const Expect expected[] = {{ui::kClientServerPage, "&Copy", {2, 3, 5, 6, 7, 8, 29}},
                               {ui::kDlcErrorPage, "&Copy", {13, 32}},
                               {ui::kFrameSizeChartPage, "&Copy Chart", {1, 33}},
                               {ui::kProtocolChartPage, "&Copy Chart", {1, 33}},
                               {ui::kProtocolTablePage, "&Copy", {8, 9}},
                               {ui::kFileSummaryPage, "&Copy", {34, 35}}};
    for (const Expect& e : expected) {
      f.MainPageControl()->setCurrentIndex(e.page);
      QCOMPARE(f.Action("Copy1")->text(), QString(e.copy));
      QCOMPARE(f.Tips(), ui::MakeTipSet(e.tips));
    }
    QVERIFY(!f.Action("Copy1")->isEnabled());
    QCOMPARE(f.PreviousTips(), ui::MakeTipSet({8, 9}));

    // Hidden, the Tip Wizard is left alone by page changes; shown again, it follows the page.
    f.findChild<QToolButton*>("TipBulb")->click();
    QVERIFY(f.TipPanel()->isHidden());
    QVERIFY(!f.Action("ShowTipWizard1")->isChecked());
    const QString memo = f.TipMemo()->toPlainText();
    f.MainPageControl()->setCurrentIndex(ui::kProtocolTablePage);
    QCOMPARE(f.TipMemo()->toPlainText(), memo);
    f.Action("ShowTipWizard1")->trigger();
    QVERIFY(!f.TipPanel()->isHidden());
    QCOMPARE(f.Tips(), ui::MakeTipSet({8, 9}));
    QVERIFY(f.TipMemo()->toPlainText().startsWith("Tip: Select a series of cells"));
  }

  void openDialogListsTheAcceptedKinds() {
    const std::string filter = ui::OpenDialogFilter();
    QVERIFY(filter.starts_with("Any Trace File|*.pkt;*.tpc;*.dat;*.eth;*.trn;*.dgc;"));
    QVERIFY(filter.find("|Sun Snoop (*.snoop; *.cap)|*.snoop; *.cap|") != std::string::npos);
    QVERIFY(filter.find("|NAI NetXRay/Sniffer Windows (*.cap)|*.cap|") != std::string::npos);
    QVERIFY(filter.ends_with("|Any File (*.*)|*.*"));
    QVERIFY(filter.find("tcpdump") == std::string::npos);
    const auto types = ui::TraceFileTypes();
    QCOMPARE(types.size(), size_t{20});  // all, eighteen kinds, any file
    // Kinds 0, 5 and 11 give two masks each, kind 15 has "*.cap" besides its own.
    QCOMPARE(types[1].masks.size(), size_t{2});
    size_t all = 0;
    for (size_t i = 1; i + 1 < types.size(); ++i) all += types[i].masks.size();
    QCOMPARE(types[0].masks.size(), all);
    QCOMPARE(all, size_t{22});

    auto p = NewProgram();
    QVERIFY(p->Start());
    p->Main().Open1Click();
    const QStringList qt = p->dialogs.lastFilters;
    QCOMPARE(qt.size(), 20);
    QVERIFY(qt.first().startsWith("Any Trace File (*.pkt *.tpc *.dat "));
    QVERIFY(qt.contains("Sun Snoop (*.snoop *.cap)"));
    QVERIFY(qt.contains("Microsoft NetMon (SMS 1.2) (*.cap)"));
    QCOMPARE(qt.last(), QString("Any File (*.*)"));
  }

  void missingVendorFileWarnsOnce() {
    QTemporaryDir elsewhere;
    auto p = std::make_unique<TestProgram>(Path("vendor.ini"), elsewhere.path());
    QVERIFY(p->Start());
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].title, QString("Corvanta"));
    QVERIFY(p->dialogs.boxes[0].text.startsWith("Unable to open the OUI File (OUI.TXT)"));
    p->Main().OpenTraceFile(EthernetTrace("vendor.cap"));
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
  }

  void commandLineTraceOpensOnFirstActivation() {
    const QString trace = EthernetTrace("argument.cap", 3);
    const QString relative = QDir::current().relativeFilePath(trace);
    auto p = NewProgram([&](ui::ProgramContext& c) { c.commandLineTrace = relative; });
    QVERIFY(p->Start());
    QCOMPARE(p->Main().TraceFileName(), trace);
    QVERIFY(p->Main().MainPageControl()->isVisibleTo(&p->Main()));
    QCOMPARE(p->Main().StatusPanel(1)->text(), QString("3 Frames"));
  }

  void closingDuringAReadStopsItThenCloses() {
    TMainForm* form = nullptr;
    ActingDecoding* decoding = nullptr;
    auto p = NewProgram([&](ui::ProgramContext& c) {
      c.makeDecoding = [&] {
        auto d = std::make_unique<ActingDecoding>();
        d->actAt = 10;
        d->action = [&] {
          QVERIFY(!form->close());  // refused while the read runs
          // Nothing that could start a second open works meanwhile.
          QVERIFY(!form->Menu("File1")->menuAction()->isEnabled());
          QVERIFY(!form->Action("OpenBtn")->isEnabled());
          form->OpenTraceFile(Path("other.cap"));
        };
        decoding = d.get();
        return d;
      };
    });
    form = &p->Main();
    QVERIFY(p->Start());
    const QString trace = EthernetTrace("closing.cap", 300);
    form->OpenTraceFile(trace);
    QCOMPARE(form->TraceFileName(), trace);
    QVERIFY(decoding->frames >= 10 && decoding->frames < 300);
    QTRY_VERIFY(!form->isVisible());
    QVERIFY(p->store.HasValue("Recent Files", "0"));
  }

  void helpOpensTheBundledManual() {
    QVERIFY(WriteBytes(Path("Corvanta-Help.html"), "<html></html>"));
    auto p = NewProgram();
    p->Main().Action("HelpTopics1")->trigger();
    p->Main().Action("VisitWebSite1")->trigger();
    QCOMPARE(p->dialogs.openedUrls.size(), size_t{2});
    QCOMPARE(p->dialogs.openedUrls[0], QUrl::fromLocalFile(Path("Corvanta-Help.html")));
    QCOMPARE(p->dialogs.openedUrls[1].fragment(), QString("project"));
    QFile::remove(Path("Corvanta-Help.html"));
    p->Main().Action("HelpTopics1")->trigger();
    QCOMPARE(p->dialogs.openedUrls.size(), size_t{2});
    QCOMPARE(p->dialogs.boxes.back().title, QString("Corvanta"));
  }
};

QTEST_MAIN(MainFormTest)
#include "MainFormTest.moc"

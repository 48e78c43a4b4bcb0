#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

#include "UiTestSupport.h"
#include "ui/analysis/AnalysisHalf.h"
#include "ui/analysis/LatencyForm.h"
#include "ui/analysis/ThroughputForm.h"
#include "ui/analysis/WhatIfForm.h"
#include "ui/main/ClientServerPage.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/toolbox/VisualizerPrintPages.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::THalvexToolboxForm;

namespace {

// Selects the first row of the client/server grid whose protocol is the text.
bool SelectRow(ui::TClientServerPage& page, const std::string& protocol) {
  const auto& rows = page.Table().Rows();
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i][kCsColProtocol] != protocol) continue;
    page.ServerGrid()->setCurrentIndex(page.ServerGrid()->model()->index(static_cast<int>(i), kCsColClient));
    return true;
  }
  return false;
}

}  // namespace

class ToolboxFormTest : public QObject {
  Q_OBJECT

  TestFolder folder_;

  std::unique_ptr<TestProgram> OpenDemo() { return folder_.Open(folder_.Demo(), ui::kClientServerPage); }
  static THalvexToolboxForm& Toolbox(TestProgram& p) { return *p.windows->Toolbox(); }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void toolboxOpensOnTheSelectedRow() {
    auto p = OpenDemo();
    QVERIFY(p);
    // The table writes "ICMP Echo (Ping)"; the toolbox's entry is "ICMP Echo".
    QVERIFY(SelectRow(*p->Main().ClientServerPage(), "ICMP Echo (Ping)"));
    p->Main().AnalyzeBtnClick();
    THalvexToolboxForm& box = Toolbox(*p);
    QVERIFY(box.isVisible());
    QCOMPARE(box.windowTitle(), QString("Halvex ToolBox (tm) - demo.cap"));
    QCOMPARE(box.SourceBox()->currentText(), QString("192.168.1.10"));
    QCOMPARE(box.TargetBox()->currentText(), QString("192.168.1.1"));
    QCOMPARE(box.AppBox()->currentText(), QString("ICMP Echo"));
    QVERIFY(box.ToolSwapBtn()->isEnabled());
    QVERIFY(!box.ToolProblemBtn()->isEnabled());
    QVERIFY(!box.IPXOUILower2()->isHidden());  // the demo has IPX stations
    // The buttons' hints name what they open.
    QCOMPARE(box.ToolThruputBtn()->toolTip(), QString("Response Time/Latency Analysis"));
    QCOMPARE(box.ToolLatencyBtn()->toolTip(), QString("Throughput Analysis"));

    // Swapping twice restores the three selections.
    box.ToolSwapBtn()->click();
    QCOMPARE(box.SourceBox()->currentText(), QString("192.168.1.1"));
    QCOMPARE(box.TargetBox()->currentText(), QString("192.168.1.10"));
    QCOMPARE(box.AppBox()->currentText(), QString("ICMP Echo Reply"));
    box.ToolSwapBtn()->click();
    QCOMPARE(box.SourceBox()->currentText(), QString("192.168.1.10"));
    QCOMPARE(box.TargetBox()->currentText(), QString("192.168.1.1"));
    QCOMPARE(box.AppBox()->currentText(), QString("ICMP Echo"));

    // The range edits bound each other.
    const int frames = box.EndPacketSpinEdit()->value();
    QCOMPARE(box.StartPacketSpinEdit()->value(), 1);
    box.StartPacketSpinEdit()->setValue(100);
    QCOMPARE(box.EndPacketSpinEdit()->minimum(), 100);
    box.EndPacketSpinEdit()->setValue(400);
    QCOMPARE(box.StartPacketSpinEdit()->maximum(), 400);
    QCOMPARE(box.RefreshSelection().FirstPacketNumber, 100);
    QCOMPARE(box.RefreshSelection().LastPacketNumber, 400);
    QVERIFY(frames > 400);

    // A new source refills the other lists from their first entries.
    box.SourceBox()->setCurrentIndex(box.SourceBox()->count() - 1);
    QCOMPARE(box.TargetBox()->currentIndex(), 0);
    QCOMPARE(box.AppBox()->currentIndex(), 0);
    QCOMPARE(box.State().SourceText(), box.SourceBox()->currentText().toStdString());

    box.close();
    QVERIFY(!box.isVisible());
  }

  void printPagesFollowTheDrawing() {
    auto p = OpenDemo();
    QVERIFY(p);
    QVERIFY(SelectRow(*p->Main().ClientServerPage(), "ICMP Echo (Ping)"));
    p->Main().AnalyzeBtnClick();
    THalvexToolboxForm& box = Toolbox(*p);
    QVERIFY(box.PrintButton()->isEnabled());
    const std::unique_ptr<ui::VisualizerPrintPages> pages = box.PrintPages();
    QCOMPARE(pages->SourceText(), QString("192.168.1.10"));
    QCOMPARE(pages->ApplicationText(), QString("ICMP Echo"));
    // The default columns: the packet number only, its heading right of nothing else.
    const std::vector<ColumnHeading> headings = pages->ColumnHeadings();
    QCOMPARE(headings.size(), size_t{1});
    QCOMPARE(headings[0].Text, std::string("Packet"));
    QVERIFY(headings[0].RightEdge > 0);
    // Fewer rows per page give more pages; a page the drawing lacks only counts.
    QImage image(600, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    const int tall = pages->DrawPage(painter, QSize(600, 800), -1);
    const int shortPages = pages->DrawPage(painter, QSize(600, 60), -1);
    QVERIFY(tall >= 1);
    QVERIFY(shortPages > tall);
    QCOMPARE(pages->DrawPage(painter, QSize(600, 800), 0), tall);
    box.close();
  }

  void analysisWindowsShowAndCopyTheSelection() {
    auto p = OpenDemo();
    QVERIFY(p);
    QVERIFY(SelectRow(*p->Main().ClientServerPage(), "TCP/Port 1045<->Telnet"));
    p->Main().AnalyzeBtnClick();
    THalvexToolboxForm& box = Toolbox(*p);
    QCOMPARE(box.AppBox()->currentText(), QString("TCP/Port 1045<->Telnet"));

    box.ToolLatencyBtn()->click();
    ui::TThroughputAnalysisForm& thru = *p->windows->Throughput();
    QVERIFY(thru.isVisible());
    QCOMPARE(thru.windowTitle(), QString("Detailed Throughput Analysis for TCP/Port 1045<->Telnet"));
    QVERIFY(thru.Upper()->Title()->text().startsWith("From "));
    const QString peak = thru.Upper()->Figure(0)->text();
    QVERIFY(!peak.isEmpty());
    // KBits multiply the four figures, not the packet panels.
    thru.CheckBox1()->setChecked(true);
    QCOMPARE(thru.Upper()->FigureGroup()->title(), QString("Throughput (in KBits/Second)"));
    QVERIFY(thru.View().Upper.PeakValue.has_value());
    thru.CheckBox1()->setChecked(false);
    // A sampling window below 4 is raised to 4 before it is used.
    thru.MinimumPacketsEdit()->setValue(3);
    QCOMPARE(thru.MinimumPacketsEdit()->value(), 4);
    QCOMPARE(thru.View().SampleWindow, 4);
    thru.Upper()->CopyData()->click();
    const QString copied = QApplication::clipboard()->text();
    QCOMPARE(copied, QString::fromStdString(thru.CopyData(false)));
    QVERIFY(copied.startsWith("Throughput Analysis for TCP/Port 1045<->Telnet from "));
    QVERIFY(copied.endsWith("\r\n"));
    QVERIFY(copied.contains("\r\nPackets\r\nTotal \t"));

    box.ToolThruputBtn()->click();
    ui::TLatencyAnalysisForm& latency = *p->windows->Latency();
    QVERIFY(latency.isVisible());
    QCOMPARE(latency.windowTitle(), QString("Detailed Response Time Analysis for TCP/Port 1045<->Telnet"));
    QVERIFY(latency.Upper()->Memo()->toPlainText().contains("packet pair found out of"));
    QVERIFY(latency.LoadAnalysis()->isEnabled());
    latency.Upper()->CopyData()->click();
    QVERIFY(QApplication::clipboard()->text().contains("\r\nLatency in Milliseconds\r\nMinimum \t"));
    // Large responses only: a keyboard session has none.
    latency.HowLatencyRadioGroup()->button(2)->click();
    QVERIFY(latency.Upper()->Memo()->toPlainText().startsWith("Unable to analyze latency.  "));
    QVERIFY(!latency.LoadAnalysis()->isEnabled());
    latency.HowLatencyRadioGroup()->button(0)->click();

    latency.LoadAnalysis()->click();
    ui::TWhatIfAnalysisForm& whatIf = *p->windows->WhatIf();
    QVERIFY(whatIf.isVisible());
    QCOMPARE(whatIf.windowTitle(), QString("Load & Response Time Analysis for TCP/Port 1045<->Telnet"));
    QCOMPARE(whatIf.RespGrid()->rowCount(), 40);
    QCOMPARE(whatIf.Edit("Users")->value(), 1);
    QCOMPARE(whatIf.Edit("PktsTrans")->value(), whatIf.Edit("SendRatio")->value() + whatIf.Edit("RcvRatio")->value());
    whatIf.FullDuplex()->setChecked(false);
    QCOMPARE(whatIf.RespGrid()->rowCount(), 20);
    QCOMPARE(whatIf.RespGrid()->item(0, 0)->text(), QString("Send/Rcv"));
    // A ratio above the packets per transaction raises them.
    whatIf.Edit("SendRatio")->setValue(3);
    whatIf.Edit("RcvRatio")->setValue(2);
    QVERIFY(whatIf.Edit("PktsTrans")->value() >= 5);
    whatIf.RespGrid()->setRangeSelected(QTableWidgetSelectionRange(13, 3, 13, 4), true);
    whatIf.SpeedBtn()->click();
    const QString table = QApplication::clipboard()->text();
    QVERIFY(table.startsWith("Max Pkts/Sec\tUtilization\r\n"));
    QCOMPARE(table.count("\r\n"), 2);
    whatIf.Button1()->click();
    QCOMPARE(whatIf.Edit("SendRatio")->value() + whatIf.Edit("RcvRatio")->value(), whatIf.Edit("PktsTrans")->value());

    // Closing the toolbox closes the windows it opened.
    box.close();
    QVERIFY(!thru.isVisible());
    QVERIFY(!latency.isVisible());
    QVERIFY(!whatIf.isVisible());
  }

  void aNewTraceRefillsBeforeAnyWindowReadsAgain() {
    auto p = OpenDemo();
    QVERIFY(p);
    p->Main().AnalyzeBtnClick();
    THalvexToolboxForm& box = Toolbox(*p);
    const uint64_t first = box.Generation();
    box.SourceBox()->setCurrentIndex(2);
    QVERIFY(QFile::copy(folder_.Demo(), folder_.Path("again.cap")));
    p->Main().OpenTraceFile(folder_.Path("again.cap"));
    QVERIFY(!box.isVisible());  // the open flow closed it

    // The throughput window reads through the toolbox, which refills from the new model first.
    p->windows->Throughput()->ThruputBtnClick();
    QVERIFY(box.Generation() != first);
    QCOMPARE(box.SourceBox()->currentIndex(), 0);
    QCOMPARE(box.windowTitle(), QString("Halvex ToolBox (tm) - again.cap"));
    QCOMPARE(box.StartPacketSpinEdit()->value(), 1);
  }
};

QTEST_MAIN(ToolboxFormTest)
#include "ToolboxFormTest.moc"

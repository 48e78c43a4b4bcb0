#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

#include "UiTestSupport.h"
#include "analysis/ModelBuilder.h"
#include "ui/analysis/ProblemAnalysisForm.h"
#include "ui/main/ClientServerPage.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/toolbox/VisualizerAttributesForm.h"
#include "ui/toolbox/VisualizerFonts.h"
#include "ui/toolbox/VisualizerPrintPages.h"
#include "ui/toolbox/VisualizerView.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TVisualizerAttributes;

class VisualizerWindowsTest : public QObject {
  Q_OBJECT

  RecordingDialogs dialogs_;
  TestFolder folder_;

  // A TCP conversation of `count` segments, each answered, one reset at the end.
  struct Conversation {
    ModelBuilder b;
    BrisqonSettings settings;
    VisualizerRequest request;
    explicit Conversation(int count) {
      int32_t peer = b.Peer(kClientAddress, kServerAddress);
      int32_t forward = b.Conversation(peer, kSubTcp, 1025, 80);
      int32_t reverse = b.Conversation(b.Peer(kServerAddress, kClientAddress), kSubTcp, 80, 1025);
      for (int k = 0; k < count; ++k) {
        b.Add(forward, Tcp(2 * k + 1, k * 1000.0, 100u + 10u * k, 1, 10, 0, 0x18));
        b.Add(reverse, Tcp(2 * k + 2, k * 1000.0 + 500, 1, 110u + 10u * k, 0));
      }
      b.Add(forward, Tcp(2 * count + 1, count * 1000.0, 0, 0, 0, kPacketReset, 0x04));
      for (int32_t i = 0; i < b.model.Packets.Count(); ++i) b.model.Packets.At(i).TTL = 64;
      request.Model = &b.model;
      request.Settings = &settings;
      request.Options.TickUnit = 0;
      request.Selected = b.Select(kClientAddress, peer, forward);
    }
  };

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void toolboxDrawsTheSelectionWithItsDiagnostics() {
    auto p = folder_.Open(folder_.Demo(), ui::kClientServerPage);
    QVERIFY(p);
    ui::TClientServerPage& page = *p->Main().ClientServerPage();
    ui::THalvexToolboxForm& box = *p->windows->Toolbox();
    // The first row whose conversation has a diagnostic (the demo has resets and retransmissions).
    bool found = false;
    for (int row = 0; row < static_cast<int>(page.Table().RowCount()) && !found; ++row) {
      page.ServerGrid()->setCurrentIndex(page.ServerGrid()->model()->index(row, kCsColClient));
      p->Main().AnalyzeBtnClick();
      found = box.ToolProblemBtn()->isEnabled();
    }
    QVERIFY(found);
    const VisualizerLayout* pass = box.Visualizer()->Pass();
    QVERIFY(pass && !pass->Lines.empty());
    QCOMPARE(box.PacketComments()->count(), static_cast<int>(pass->Comments.size()));
    QCOMPARE(box.PacketComments()->currentIndex(), 0);
    QVERIFY(box.PacketComments()->itemText(0).startsWith("Pkt #"));

    // The problem button opens the summary of this selection.
    box.ToolProblemBtn()->click();
    ui::TProblemAnalysisForm& summary = *p->windows->ProblemAnalysis();
    QVERIFY(summary.isVisible());
    QCOMPARE(summary.ProtocolApp()->text(), box.AppBox()->currentText());
    QVERIFY(!(summary.Memo1()->toPlainText() + summary.Memo2()->toPlainText()).isEmpty());

    // Display options: every column off hides the header; the ticks bar names its unit.
    for (int i = 0; i < box.DisplayOptions()->count(); ++i) box.DisplayOptions()->item(i)->setCheckState(Qt::Unchecked);
    QVERIFY(!box.Visualizer()->Header()->isVisible());
    QCOMPARE(box.Visualizer()->Pass()->Columns.SeparatorX, -1);
    QVERIFY(!p->context.settings.visualizer.frameNumber);
    box.PacketSpacingTrackBar()->setValue(0);
    QCOMPARE(box.Label5()->text(), QString("Disabled"));
    box.PacketSpacingTrackBar()->setValue(3);
    QCOMPARE(box.Label5()->text(), QString("100 milliseconds"));

    // Switching every check off leaves nothing to diagnose.
    p->context.brisqon.BeginEdit();
    p->context.brisqon.DisableAll();
    p->context.brisqon.Commit();
    box.PacketSpacingTrackBar()->setValue(1);
    QVERIFY(!box.ToolProblemBtn()->isEnabled());
    QCOMPARE(box.PacketComments()->count(), 0);

    box.close();
    QVERIFY(!summary.isVisible());
  }

  void attributesDialogShowsAndReturnsItsValues() {
    TVisualizerAttributes form(dialogs_);
    QCOMPARE(form.windowTitle(), QString("Trellivue Display Attributes"));
    QCOMPARE(form.Button("Button1")->text(), QString("&Send Packet Color"));
    QCOMPARE(form.Button("Button2")->text(), QString("&Receive Packet Color"));
    QCOMPARE(form.Button("Button6")->text(), QString("&Diagnostic Color"));
    QCOMPARE(form.Button("Button3")->text(), QString("&Font"));
    QFont big("Arial");
    big.setPointSize(20);
    form.SetAttributes({QColor(0, 0, 255), QColor(0, 128, 128), QColor(255, 0, 0), big, Qt::black});
    QCOMPARE(form.Panel("Panel2")->palette().color(QPalette::Window), QColor(0, 128, 128));
    QCOMPARE(form.Attributes().font.pointSize(), 14);  // a stored size beyond the range is held

    dialogs_.nextColor = QColor(1, 2, 3);
    form.Button("Button1")->click();
    QCOMPARE(dialogs_.colorDialogs.back(), QColor(0, 0, 255));
    dialogs_.nextColor = QColor();  // cancelled
    form.Button("Button6")->click();
    QCOMPARE(form.Attributes().send, QColor(1, 2, 3));
    QCOMPARE(form.Attributes().diagnostic, QColor(255, 0, 0));

    for (auto [chosen, held] : {std::pair{3, 5}, std::pair{9, 9}, std::pair{30, 14}}) {
      form.chooseFont = [chosen](QWidget*, const QFont& initial) {
        QFont f = initial;
        f.setPointSize(chosen);
        return std::optional<QFont>(f);
      };
      form.Button("Button3")->click();
      QCOMPARE(form.Attributes().font.pointSize(), held);
    }
    form.chooseFont = [](QWidget*, const QFont&) { return std::optional<QFont>(); };
    form.Button("Button3")->click();
    QCOMPARE(form.Attributes().font.pointSize(), 14);  // cancelling keeps the sample's font
  }

  void storedFontSizesAreHeldWhereverApplied() {
    VisualizerFont stored;
    stored.size = 72;
    stored.style = 1 | 4;
    QFont font = ui::VisualizerQFont(stored);
    QCOMPARE(font.pointSize(), 14);
    QVERIFY(font.bold() && font.underline() && !font.italic());
    stored.size = 1;
    QCOMPARE(ui::VisualizerQFont(stored).pointSize(), 5);
    VisualizerFont back = ui::VisualizerFontOf(font, QColor(255, 0, 0));
    QCOMPARE(back.size, 14);
    QCOMPARE(back.style, uint8_t{5});
    QCOMPARE(back.color, 255);
  }

  void problemSummaryKeepsTheDirectionsApart() {
    ui::TProblemAnalysisForm form;
    QCOMPARE(form.windowTitle(), QString("Problem Analysis Summary"));
    DiagnosticCounters counters;
    counters.Direction[kReverse].IcmpReports = 3;
    counters.Direction[kReverse].Resets = 1;
    form.ShowSummary("10.0.0.1", "10.0.0.2", "TCP/1025<->80", counters, 0);
    QCOMPARE(form.Memo1()->toPlainText(), QString());
    QCOMPARE(form.Memo2()->toPlainText(), QString("3 ICMP messages.\n1 TCP reset."));
    QCOMPARE(form.Source()->text(), QString("10.0.0.1"));
    QVERIFY(form.State()->isHidden());
    form.ShowSummary("a", "b", "c", DiagnosticCounters{}, 2);
    QCOMPARE(form.Memo2()->toPlainText(), QString());
    QCOMPARE(form.State()->text(), QString("Unable to perform problem analysis."));
  }

  void paintBoxScrollsItsPassAndCopiesPictures() {
    Conversation c(400);
    ui::TVisualizerView box;
    box.resize(700, 300);
    box.show();
    QSignalSpy changed(&box, &ui::TVisualizerView::PassChanged);
    box.Recalc(c.request, QFont("Arial", 8), Qt::black);
    QCOMPARE(changed.count(), 1);
    const VisualizerLayout* pass = box.Pass();
    QVERIFY(pass != nullptr);
    QCOMPARE(pass->Lines.size(), size_t{801});
    QVERIFY(box.VerticalBar()->maximum() > 0);
    QCOMPARE(box.HorizontalBar()->maximum(), ui::TVisualizerView::kPaintWidth - box.PaintArea()->width());
    QVERIFY(box.Header()->isVisible());  // "Packet" is on by default

    // The "Diagnostic" list's entry for the reset scrolls its line to the middle.
    QCOMPARE(pass->Comments.size(), size_t{1});
    box.CenterOn(pass->Comments[0].Y);
    QCOMPARE(box.ScrollOffset(), int64_t{box.VerticalBar()->maximum()});
    box.ScrollToTop();
    QCOMPARE(box.ScrollOffset(), int64_t{0});
    QVERIFY(box.Pass() == pass);  // scrolling keeps the pass

    QCOMPARE(box.Picture().size(), box.size() * box.devicePixelRatioF());
    QTest::mousePress(box.PaintArea(), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(box.PaintArea(), QPoint(60, 40));
    QCOMPARE(box.SelectionRect(), QRect(QPoint(10, 10), QPoint(60, 40)));
    QCOMPARE(box.Picture().width(), 51);
    QVERIFY(box.SelectionRect().isNull());  // the copy removes the rectangle

    c.request.Options.Columns = VisualizerColumns{.FrameNumber = false};
    box.Recalc(c.request, QFont("Arial", 8), Qt::black);
    QVERIFY(!box.Header()->isVisible());
    box.Clear();
    QVERIFY(box.Pass() == nullptr);
    QCOMPARE(box.VerticalBar()->maximum(), 0);
  }

  void printedPagesComeFromTheirOwnPass() {
    Conversation c(100);
    QImage page(500, 300, QImage::Format_RGB32);
    QPainter painter(&page);
    ui::VisualizerPrintPages printed(c.request, QFont("Arial", 8), Qt::black, {});
    const int pages = printed.DrawPage(painter, page.size() - QSize(1, 1), 0);
    QVERIFY(pages > 1);
    QCOMPARE(printed.DrawPage(painter, page.size() - QSize(1, 1), pages - 1), pages);
    // Something was drawn: the separator line is navy.
    bool navy = false;
    for (int y = 0; y < 300 && !navy; ++y)
      for (int x = 0; x < 100 && !navy; ++x) navy = page.pixelColor(x, y) == QColor(0, 0, 128);
    QVERIFY(navy);
  }
};

QTEST_MAIN(VisualizerWindowsTest)
#include "VisualizerWindowsTest.moc"

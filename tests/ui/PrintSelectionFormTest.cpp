#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>

#include "PdfInspect.h"
#include "UiTestSupport.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/peermaps/PeerMapForm.h"
#include "ui/printing/PrintSelectionForm.h"
#include "ui/printing/PrintStatusForm.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TPrintSelectionForm;

namespace {

// A window with a known picture: 480 x 240 pixels.
class FixedWindow : public QWidget {
 public:
  FixedWindow() {
    setObjectName("FixedWindow");
    setFixedSize(480, 240);
  }
};

}  // namespace

class PrintSelectionFormTest : public QObject {
  Q_OBJECT

  TestFolder folder_;

  // The program's printer writing a PDF at 300 dpi with 0.5 inch printable-area offsets.
  static QString ToPdf(ui::TMainForm& main, const QString& file) { return PrintToPdf(main.Printer(), file, 0.5); }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void onlyTheMainWindowIsOffered() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    QVERIFY(p->Main().Action("Print1")->isEnabled());
    FixedWindow station;  // registered but not shown
    form.SetWindow(PrintableWindow::kStation, &station);
    form.show();
    QCOMPARE(form.windowTitle(), QString("Print"));
    QVERIFY(form.Check(PrintableWindow::kMain)->isEnabled());
    for (int i = 1; i < kPrintableWindowCount; ++i) {
      const auto entry = static_cast<PrintableWindow>(i);
      QVERIFY(!form.Check(entry)->isEnabled());
      QVERIFY(!form.PictureButton(entry)->isEnabled());
      QVERIFY(form.Check(entry)->isChecked());
    }
    QCOMPARE(form.Check(PrintableWindow::kWhatIf)->text(), QString("\"What If\" Analysis"));
    QVERIFY(form.OKPrtBtn()->isEnabled());
    QVERIFY(p->Main().Tips().test(15));
    // The picture button toggles its box; with the only enabled box cleared nothing would print.
    form.PictureButton(PrintableWindow::kMain)->click();
    QVERIFY(!form.Check(PrintableWindow::kMain)->isChecked());
    QVERIFY(!form.OKPrtBtn()->isEnabled());
    form.Check(PrintableWindow::kMain)->click();
    QVERIFY(form.OKPrtBtn()->isEnabled());
    // A shown window is offered at the next activation.
    form.reject();
    station.show();
    form.show();
    QVERIFY(form.Check(PrintableWindow::kStation)->isEnabled());
    form.reject();
    QVERIFY(!p->Main().Tips().test(15));
  }

  void marginsSpinInTenths() {
    auto p = folder_.Start();
    QVERIFY(p);
    PageSetup& setup = p->context.settings.pageSetup;
    setup.topMarginTenths = 19;
    setup.leftMarginTenths = 0;
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.show();
    QCOMPARE(form.MarginPanel(0)->text(), QString(" 0.0\""));
    QCOMPARE(form.MarginPanel(1)->text(), QString(" 1.0\""));
    for (int i = 0; i < 3; ++i) form.MarginSpin(2)->UpButton()->click();
    QCOMPARE(setup.topMarginTenths, 20);
    QCOMPARE(form.MarginPanel(2)->text(), QString(" 2.0\""));
    form.MarginSpin(0)->DownButton()->click();
    QCOMPARE(form.MarginPanel(0)->text(), QString(" 0.0\""));
    for (int i = 0; i < 11; ++i) form.MarginSpin(1)->DownButton()->click();
    QCOMPARE(setup.rightMarginTenths, 0);
    // Header switch and output choice go to the page set-up.
    QVERIFY(form.ToFitButton()->isChecked());
    form.ProportionalButton()->click();
    QVERIFY(!setup.printToFit);
    form.PrintHeaderBox()->click();
    QVERIFY(!setup.header);
    // Printer set-up is the platform's dialog, from here and from the main window's menu.
    form.SetupBtn()->click();
    p->Main().Action("PrinterSetup1")->trigger();
    QCOMPARE(p->dialogs.printerSetups, 2);
    form.reject();
  }

  void printsTheMainWindowWithItsHeader() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    const QString pdf = ToPdf(p->Main(), folder_.Path("main.pdf"));
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.show();
    form.OKPrtBtn()->click();
    QVERIFY(!form.isVisible());
    QVERIFY(!p->windows->PrintStatus()->isVisible());
    PdfInspect doc(pdf);
    QCOMPARE(doc.Pages().size(), size_t{1});
    const PdfPage& page = doc.Pages()[0];
    const QString analyzer = p->Main().FileSummaryPage()->TextBox("FileAnalyzerTextBox")->text();
    QVERIFY(!analyzer.isEmpty());
    const PdfText* header = page.Find(analyzer + " File ");
    QVERIFY(header);
    QCOMPARE(header->text, analyzer + " File " + p->Main().TraceFileName());
    // Margins of 1 inch less the 0.5 inch offset: 150 printer pixels; the header at half that.
    QCOMPARE(header->x, 150.0);
    QVERIFY(header->baseline > 75 && header->baseline < 150);
    QCOMPARE(page.pictures.size(), size_t{1});
    const QRectF picture = page.pictures[0];
    const QRectF room(150, 150, 2550 - 300 - 300, 3300 - 300 - 300);  // letter, less offsets and margins
    QVERIFY2(room.adjusted(-0.5, -0.5, 0.5, 0.5).contains(picture), qPrintable(QString("%1 %2 %3 %4")
                                                                                   .arg(picture.x())
                                                                                   .arg(picture.y())
                                                                                   .arg(picture.width())
                                                                                   .arg(picture.height())));
    // To fit: the picture fills the room's width or its height.
    QVERIFY(qAbs(picture.width() - room.width()) < 1 || qAbs(picture.height() - room.height()) < 1);
    QVERIFY(p->dialogs.boxes.empty());
  }

  void proportionalPrintsInchesAndTheHeaderFollowsItsFlag() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    PageSetup& setup = p->context.settings.pageSetup;
    setup.printToFit = false;
    setup.header = false;
    const QString pdf = ToPdf(p->Main(), folder_.Path("proportional.pdf"));
    FixedWindow station;
    station.show();
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.SetWindow(PrintableWindow::kStation, &station);
    form.show();
    form.Check(PrintableWindow::kMain)->click();
    form.OKPrtBtn()->click();
    PdfInspect doc(pdf);
    QCOMPARE(doc.Pages().size(), size_t{1});
    QVERIFY(doc.Pages()[0].texts.empty());
    QCOMPARE(doc.Pages()[0].pictures.size(), size_t{1});
    // 480 x 240 pixels at the window's resolution, in inches at 300 dpi.
    const QRectF picture = doc.Pages()[0].pictures[0];
    QCOMPARE(qRound(picture.width()), qRound(480.0 * 300 / station.logicalDpiX()));
    QCOMPARE(qRound(picture.height()), qRound(240.0 * 300 / station.logicalDpiY()));
  }

  void writesOnePagePerWindowAndSkipsWhatCannotPrint() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    const QString pdf = ToPdf(p->Main(), folder_.Path("two.pdf"));
    FixedWindow station, network, latency;
    station.show();
    network.show();
    latency.show();
    latency.setFixedSize(0, 0);  // nothing to picture
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.SetWindow(PrintableWindow::kStation, &station);
    form.SetWindow(PrintableWindow::kNetwork, &network);
    form.SetWindow(PrintableWindow::kLatency, &latency);
    form.show();
    form.Check(PrintableWindow::kNetwork)->click();
    form.OKPrtBtn()->click();
    QCOMPARE(PdfInspect(pdf).Pages().size(), size_t{2});  // main and station
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].text,
             QString("Latency Analysis was not printed: its picture is empty or the margins leave no room on the page."));

    // Margins wider than the page: every window is skipped with a warning.
    p->dialogs.boxes.clear();
    PageSetup& setup = p->context.settings.pageSetup;
    setup.leftMarginTenths = setup.rightMarginTenths = 20;
    p->Main().Printer().setPageSize(QPageSize(QSizeF(3, 3), QPageSize::Inch));
    form.show();
    form.OKPrtBtn()->click();
    QCOMPARE(p->dialogs.boxes.size(), size_t{3});
  }

  void printsTheOpenAnalysisWindows() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    QVERIFY(p->windows->ShowFirstConversation());
    p->Main().ShowWindow(p->windows->Station());
    const QString pdf = ToPdf(p->Main(), folder_.Path("analyses.pdf"));
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.show();
    size_t shown = 0;
    for (int i = 0; i < kPrintableWindowCount; ++i)
      if (form.Check(static_cast<PrintableWindow>(i))->isEnabled()) ++shown;
    QVERIFY(form.Check(PrintableWindow::kStation)->isEnabled());
    QVERIFY(!form.Check(PrintableWindow::kNetwork)->isEnabled());
    QVERIFY(form.Check(PrintableWindow::kVisualizer)->isEnabled());
    QVERIFY(form.Check(PrintableWindow::kLatency)->isEnabled());
    QVERIFY(form.Check(PrintableWindow::kThroughput)->isEnabled());
    form.OKPrtBtn()->click();
    const PdfInspect doc(pdf);
    QCOMPARE(doc.Pages().size(), shown);
    for (const PdfPage& page : doc.Pages()) QCOMPARE(page.pictures.size(), size_t{1});
  }

  void aCancelSkipsTheRest() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    const QString pdf = ToPdf(p->Main(), folder_.Path("cancel.pdf"));
    FixedWindow station;
    station.show();
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.SetWindow(PrintableWindow::kStation, &station);
    ui::TPrintStatusForm& status = *p->windows->PrintStatus();
    QStringList seen;
    // The user cancels while the main window prints.
    bool cancelled = false;
    auto watcher = std::make_unique<QTimer>();
    watcher->setInterval(0);
    QObject::connect(watcher.get(), &QTimer::timeout, [&] {
      if (!cancelled && status.StatusTextBox()->text() == "Printing Main Window...") {
        seen << status.StatusTextBox()->text();
        status.CancelButton()->click();
        cancelled = true;
      }
    });
    watcher->start();
    form.show();
    form.OKPrtBtn()->click();
    QCOMPARE(seen, QStringList{"Printing Main Window..."});
    QCOMPARE(PdfInspect(pdf).Pages().size(), size_t{1});
    // The next printing starts afresh.
    status.show();
    QVERIFY(!status.Cancelled());
    status.SetStatus(kPrintStatusDone);
    QVERIFY(!status.isVisible());
  }

  void aPrinterThatCannotStartSaysSo() {
    auto p = folder_.Open(folder_.Demo(), 0);
    QVERIFY(p);
    ToPdf(p->Main(), folder_.Path("missing/folder/x.pdf"));
    TPrintSelectionForm& form = *p->windows->PrintSelection();
    form.show();
    form.OKPrtBtn()->click();
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].text, QString("The printer could not start printing."));
  }
};

QTEST_MAIN(PrintSelectionFormTest)
#include "PrintSelectionFormTest.moc"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

#include "PdfInspect.h"
#include "UiTestSupport.h"
#include "ui/main/FileSummaryPage.h"
#include "ui/printing/PreviewForm.h"
#include "ui/printing/PrintSelectionForm2.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/printing/VisualizerPages.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TPrintSelectionForm2;

namespace {

// A drawing of `lines` lines of 14 pixels, as many pages as the surface's height needs.
class FakePages : public ui::VisualizerPages {
 public:
  explicit FakePages(int lines) : lines_(lines) {}
  std::vector<int> drawn;  // pages asked for, counting passes (-1) left out

  int DrawPage(QPainter& painter, const QSize& size, int page) override {
    const int perPage = std::max(1, size.height() / kLine);
    const int pages = std::max(1, (lines_ + perPage - 1) / perPage);
    if (page < 0) return pages;
    drawn.push_back(page);
    for (int i = page * perPage; i < std::min(lines_, (page + 1) * perPage); ++i)
      painter.drawText(2, (i - page * perPage + 1) * kLine, QString("Line %1").arg(i + 1));
    return pages;
  }
  std::vector<ColumnHeading> ColumnHeadings() const override { return {{"Packet", 60}, {"Size", 110}}; }
  QFont DrawingFont() const override { return QFont("Arial", 8); }
  QString SourceText() const override { return "10.0.0.1"; }
  QString DestinationText() const override { return "10.0.0.2"; }
  QString ApplicationText() const override { return "TCP/ftp<->1024"; }

 private:
  static constexpr int kLine = 14;
  int lines_;
};

// Lines for exactly `pages` pages of the 1-inch body (830 pixels at 96 dpi, 59 lines).
int LinesFor(int pages) { return pages * 59 - 1; }

}  // namespace

class PrintSelectionForm2Test : public QObject {
  Q_OBJECT

  TestFolder folder_;

  // A program with the demo trace open, printing to a PDF with quarter-inch offsets, and
  // its visualizer print dialog shown on pages.
  struct Session {
    std::unique_ptr<TestProgram> program;
    QString pdf;
    TPrintSelectionForm2* form = nullptr;
  };
  Session Begin(FakePages& pages, const QString& pdf) {
    Session s;
    s.program = folder_.Open(folder_.Demo(), 0);
    if (!s.program) return s;
    s.pdf = PrintToPdf(s.program->Main().Printer(), folder_.Path(pdf), 0.25);
    s.form = s.program->windows->VisualizerPrint();
    s.form->SetPages(&pages);
    s.form->show();
    return s;
  }

 private slots:
  void initTestCase() { QVERIFY(folder_.Prepare()); }

  void showingCountsThePages() {
    FakePages pages(LinesFor(3));
    Session s = Begin(pages, "unused.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    TPrintSelectionForm2& form = *s.form;
    QCOMPARE(form.windowTitle(), QString("Print Trellivue"));
    QCOMPARE(form.Document().BodySize(form.Applied()), QSize(624, 830) * (form.logicalDpiX() / 96.0));
    QCOMPARE(form.Title()->text(), QString("Corvanta Trellivue"));
    QVERIFY(form.IncludeFileNameCheckBox()->isChecked());
    QVERIFY(form.IncludePrintedOnDateCheckBox()->isChecked());
    QVERIFY(form.IncludePageNumberCheckBox()->isChecked());
    QCOMPARE(form.IncludePrintedOnDateCheckBox()->text(), QString("Include \"Printed On\" date"));
    for (int side = 0; side < 4; ++side) QCOMPARE(form.MarginPanel(side)->text(), QString(" 1.00\""));
    if (form.logicalDpiX() == 96) {
      QCOMPARE(form.PrintLastPage()->maximum(), 3);
      QCOMPARE(form.PrintLastPage()->value(), 3);
      QCOMPARE(form.PrintFirstPage()->value(), 1);
    }
    QVERIFY(!form.ApplyBtn()->isEnabled());
    QVERIFY(form.PrintBtn()->isEnabled());
    QVERIFY(p->Main().Tips().test(19));
    form.reject();
    QVERIFY(!p->Main().Tips().test(19));
  }

  void editsAreAppliedOrUndone() {
    FakePages pages(LinesFor(3));
    Session s = Begin(pages, "unused.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    TPrintSelectionForm2& form = *s.form;
    const int before = form.Range().Count;
    // 0.10 stops at 0.05.
    for (int i = 0; i < 20; ++i) form.MarginSpin(0)->DownButton()->click();
    QCOMPARE(form.Edited().margins.Left, 5);
    QCOMPARE(form.MarginPanel(0)->text(), QString(" 0.05\""));
    QVERIFY(form.ApplyBtn()->isEnabled());
    QCOMPARE(form.Applied().margins.Left, 100);
    // A deeper top margin leaves fewer lines a page: Apply counts again.
    for (int i = 0; i < 30; ++i) form.MarginSpin(2)->UpButton()->click();
    QCOMPARE(form.Edited().margins.Top, 250);  // 2.45 reaches 2.50 and stops
    form.ApplyBtn()->click();
    QVERIFY(!form.ApplyBtn()->isEnabled());
    QCOMPARE(form.Applied().margins.Top, 250);
    QVERIFY(form.Range().Count > before);
    QCOMPARE(form.PrintLastPage()->maximum(), form.Range().Count);
    // The page edits bound each other.
    form.PrintFirstPage()->setValue(3);
    QCOMPARE(form.PrintLastPage()->minimum(), 3);
    form.PrintLastPage()->setValue(2);
    QCOMPARE(form.PrintLastPage()->value(), 3);
    QVERIFY(form.PrintFirstPage()->value() <= form.PrintLastPage()->value());
    // Cancel returns the edits to what was applied.
    form.Title()->setText("");
    QTest::keyClicks(form.Title(), "Lab");
    form.IncludeFileNameCheckBox()->click();
    QVERIFY(form.ApplyBtn()->isEnabled());
    form.reject();
    QCOMPARE(form.Edited(), form.Applied());
    QCOMPARE(form.Title()->text(), QString("Corvanta Trellivue"));
    QVERIFY(form.IncludeFileNameCheckBox()->isChecked());
    // Its margins are its own: the page set-up keeps its inch.
    QCOMPARE(p->context.settings.pageSetup.topMarginTenths, 10);
  }

  void printsThreePagesToPdf() {
    FakePages pages(LinesFor(3));
    Session s = Begin(pages, "trellivue.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    const QString pdf = s.pdf;
    TPrintSelectionForm2& form = *s.form;
    const int count = form.Range().Count;
    QVERIFY(count >= 3);
    form.PrintFirstPage()->setValue(1);
    form.PrintLastPage()->setValue(3);
    pages.drawn.clear();
    form.PrintBtn()->click();
    QVERIFY(!form.isVisible());
    QCOMPARE(pages.drawn, (std::vector<int>{0, 1, 2}));  // dialog pages from 1, drawing pages from 0
    PdfInspect doc(pdf);
    QCOMPARE(doc.Pages().size(), size_t{3});
    const QString trace = p->Main().TraceFileName();
    const QString date = p->Main().FileSummaryPage()->TextBox("FileDateTextBox")->text();
    for (int i = 0; i < 3; ++i) {
      const PdfPage& page = doc.Pages()[static_cast<size_t>(i)];
      QVERIFY(page.HasText("Corvanta Trellivue"));
      const PdfText* file = page.Find(p->Main().FileSummaryPage()->TextBox("FileAnalyzerTextBox")->text() + " file ");
      QVERIFY(file);
      QCOMPARE(file->text, file->text.section(" file ", 0, 0) + " file " + trace + " dated " + date);
      QVERIFY(page.HasText("Source: 10.0.0.1  Destination: 10.0.0.2  Protocol/App: TCP/ftp<->1024"));
      QVERIFY(page.HasText("Packet"));
      QVERIFY(page.HasText("Size"));
      QVERIFY(page.HasText(QString("Page %1").arg(i + 1)));
      QVERIFY(page.Find("Printed on "));
      // The body fills the area inside the margins, below the headings' band; printer pixels
      // from the printable area, which starts a quarter inch in.
      QCOMPARE(page.pictures.size(), size_t{1});
      const QRectF body = page.pictures[0];
      QVERIFY2(qAbs(body.left() - 225) <= 1 && qAbs(body.top() - (405 - 75)) <= 1 &&
                   qAbs(body.right() - (2250 - 75)) <= 1 && qAbs(body.bottom() - (3000 - 75)) <= 1,
               qPrintable(QString("%1 %2 %3 %4").arg(body.left()).arg(body.top()).arg(body.right()).arg(body.bottom())));
      // Headings stand over their columns, their right edges where the columns end.
      const PdfText* packet = page.Find("Packet");
      QVERIFY(packet->x < 225 + 60 * 1950.0 / 624);
      QVERIFY(packet->baseline > 300 - 75 && packet->baseline < body.top());
      // The title centred at the top, the footer half an inch above the bottom.
      QVERIFY(page.Find("Printed on ")->baseline < 3150 - 75 + 1);
      QVERIFY(page.Find("Printed on ")->baseline > 3000 - 75);
    }
    QVERIFY(p->dialogs.boxes.empty());
  }

  void withoutTheFileNameTheHeaderIsTheTitle() {
    FakePages pages(LinesFor(1));
    Session s = Begin(pages, "nofile.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    const QString pdf = s.pdf;
    TPrintSelectionForm2& form = *s.form;
    form.IncludeFileNameCheckBox()->click();
    form.IncludePageNumberCheckBox()->click();
    form.ApplyBtn()->click();
    form.PrintBtn()->click();
    PdfInspect doc(pdf);
    QCOMPARE(doc.Pages().size(), size_t{1});
    const PdfPage& page = doc.Pages()[0];
    QVERIFY(page.HasText("Corvanta Trellivue"));
    QVERIFY(!page.Find(QString("%1 file ").arg(p->Main().FileSummaryPage()->TextBox("FileAnalyzerTextBox")->text())));
    QVERIFY(!page.Find("Page "));
    QVERIFY(page.Find("Printed on "));
  }

  void moreThanAHundredPagesAsksFirst() {
    FakePages pages(LinesFor(150));
    Session s = Begin(pages, "many.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    const QString pdf = s.pdf;
    TPrintSelectionForm2& form = *s.form;
    form.PrintLastPage()->setValue(101);
    p->dialogs.nextOk = false;
    form.PrintBtn()->click();
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].kind, QString("confirm"));
    QCOMPARE(p->dialogs.boxes[0].title, QString("Print"));
    QCOMPARE(p->dialogs.boxes[0].text, QString("You are about to print 101 pages."));
    QVERIFY(!QFile::exists(pdf));
    QVERIFY(form.isVisible());
    // A cancel in the status window ends the job after the page being printed.
    p->dialogs.boxes.clear();
    form.PrintFirstPage()->setValue(51);
    form.PrintLastPage()->setValue(150);
    ui::TPrintStatusForm& status = *p->windows->PrintStatus();
    QTimer watcher;
    watcher.setInterval(0);
    QStringList seen;
    QObject::connect(&watcher, &QTimer::timeout, [&] {
      if (seen.isEmpty() && status.isVisible()) {
        seen << status.StatusTextBox()->text();
        status.CancelButton()->click();
      }
    });
    watcher.start();
    form.PrintBtn()->click();
    QVERIFY(p->dialogs.boxes.empty());  // 100 pages need no confirmation
    QCOMPARE(seen, QStringList{"Printing Trellivue Page 51..."});
    QCOMPARE(PdfInspect(pdf).Pages().size(), size_t{1});
  }

  void aPrinterThatCannotStartSaysSo() {
    FakePages pages(LinesFor(2));
    Session s = Begin(pages, "missing/folder/x.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    s.form->PrintBtn()->click();
    QCOMPARE(p->dialogs.boxes.size(), size_t{1});
    QCOMPARE(p->dialogs.boxes[0].text, QString("The printer could not start printing."));
  }

  void previewPagesAndZoom() {
    FakePages pages(LinesFor(3));
    Session s = Begin(pages, "unused.pdf");
    QVERIFY(s.form);
    auto& p = s.program;
    TPrintSelectionForm2& form = *s.form;
    ui::TPreviewForm& preview = *p->windows->Preview();
    form.PreviewBtn()->click();
    QVERIFY(preview.isVisible());
    QCOMPARE(preview.CurrentPage(), 1);
    const int count = preview.PageCount();
    QCOMPARE(count, form.Range().Count);
    QCOMPARE(preview.PaperSize(), ZoomToPercent(100, preview.logicalDpiY()));
    pages.drawn.clear();
    for (int i = 0; i < count + 2; ++i) preview.Button("ToolButton1")->click();
    QCOMPARE(preview.CurrentPage(), count);
    QCOMPARE(pages.drawn.back(), count - 1);
    for (int i = 0; i < count + 2; ++i) preview.Button("ToolButton2")->click();
    QCOMPARE(preview.CurrentPage(), 1);
    QCOMPARE(pages.drawn.back(), 0);
    // Zoom to fit holds both directions of the box.
    preview.resize(700, 500);
    preview.Button("ZoomtoFitBtn")->click();
    const QScrollArea* box = preview.ScrollBox();
    QCOMPARE(preview.PaperSize(), ZoomToFit(box->width(), box->height()));
    QVERIFY(preview.PaperSize().Height <= box->height() - 40);
    preview.Button("ZoomInBtn")->click();
    QVERIFY(preview.PaperSize().Width > ZoomToFit(box->width(), box->height()).Width);
    preview.Button("ActualSizeBtn")->click();
    preview.Button("ZoomOutBtn")->click();
    QCOMPARE(preview.PaperSize(), ZoomToPercent(75, preview.logicalDpiY()));
    preview.Button("PageWidthBtn")->click();
    QCOMPARE(preview.PaperSize().Width, box->viewport()->width() - 40);
    // Apply refreshes the open preview; Cancel closes it.
    for (int i = 0; i < 30; ++i) form.MarginSpin(3)->UpButton()->click();
    form.ApplyBtn()->click();
    QCOMPARE(preview.PageCount(), form.Range().Count);
    QVERIFY(preview.PageCount() > count);
    form.CancelBtn()->click();
    QVERIFY(!preview.isVisible());
  }
};

QTEST_MAIN(PrintSelectionForm2Test)
#include "PrintSelectionForm2Test.moc"

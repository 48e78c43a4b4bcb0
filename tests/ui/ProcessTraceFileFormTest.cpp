#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "UiTestSupport.h"
#include "naming/TextFormat.h"
#include "trace/OpenTrace.h"
#include "ui/main/ProcessTraceFileForm.h"

using namespace corvanta;
using namespace corvanta::testing;
using ui::TProcessTraceFileForm;

namespace {

// Counts frames and keeps their times; may run an action at a given frame.
class RecordingSink : public FrameSink {
 public:
  int frames = 0;
  double lastUs = 0;
  double firstUs = -1;
  int actAt = 0;
  std::function<void()> action;
  bool DecodeFrame(FrameRecord& frame) override {
    frames = frame.FrameNumber;
    if (firstUs < 0) firstUs = frame.Timestamp;
    lastUs = frame.Timestamp;
    if (frames == actAt && action) action();
    return false;
  }
  double ElapsedTime() const override { return firstUs < 0 ? 0 : lastUs - firstUs; }
};

}  // namespace

class ProcessTraceFileFormTest : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  TraceInfo Accepted(const QString& path) {
    OpenOutcome outcome = OpenTrace(path.toStdString());
    if (!outcome.accepted) qWarning() << QString::fromStdString(outcome.refusal);
    return outcome.info;
  }

 private slots:
  void initTestCase() { QVERIFY(dir_.isValid()); }

  void completeReadShowsTheWholeTrace() {
    const QString path = WriteTraceFile(dir_.filePath("whole.cap"), 10, kEthernet, 10000000, 30);
    TProcessTraceFileForm form;
    form.SetCloseDelay(0);
    QCOMPARE(form.TraceDurationTextBox()->text(), QString("<00:00:01"));
    RecordingSink sink;
    const TraceInfo info = Accepted(path);
    QString caption;
    bool visibleWhileReading = false;
    sink.actAt = 1;
    sink.action = [&] {
      caption = form.windowTitle();
      visibleWhileReading = form.isVisible();
    };
    const PassResult result = form.Run(info, sink);
    QVERIFY(!result.stopped);
    QCOMPARE(result.framesRead, 30);
    QCOMPARE(caption, QString("Reading Trace File - whole.cap"));
    QVERIFY(visibleWhileReading);
    QVERIFY(!form.isVisible());
    QCOMPARE(form.FrameCountTextBox()->text(), QString("30"));
    QCOMPARE(form.PctComplete()->text(), QString("100% Complete"));
    QCOMPARE(form.PctProgressBar()->value(), 100);
    QCOMPARE(form.CancelButton()->text(), QString("&OK"));
    QCOMPARE(form.TraceDurationTextBox()->text(), QString::fromStdString(FormatElapsed(sink.ElapsedTime())));
    QCOMPARE(form.TraceDurationTextBox()->text(), QString("00:00:02.900"));
  }

  void stopKeepsWhatWasRead() {
    const QString path = WriteTraceFile(dir_.filePath("long.cap"), 10, kEthernet, 10000000, 400);
    TProcessTraceFileForm form;
    form.SetCloseDelay(0);
    RecordingSink sink;
    sink.actAt = 100;
    sink.action = [&] {
      QCOMPARE(form.CancelButton()->text(), QString("&Stop"));
      QCOMPARE(form.CancelButton()->toolTip(), QString("Stop read operation"));
      form.CancelButton()->click();
    };
    const PassResult result = form.Run(Accepted(path), sink);
    QVERIFY(result.stopped);
    QVERIFY(form.StopMark());
    // The frame being decoded when Stop was pressed stays, and the next one at most.
    QVERIFY(sink.frames >= 100 && sink.frames <= 101);
    QCOMPARE(result.framesRead, sink.frames);
    QCOMPARE(form.PctComplete()->text(), QString("FILE PARTIALLY READ"));
    QCOMPARE(form.CancelButton()->text(), QString("&OK"));
    QCOMPARE(form.FrameCountTextBox()->text(), QString::number(sink.frames));
  }

  // Reading that ends at a damaged record before the end of the file is not complete.
  void damagedRecordShowsAPartialRead() {
    const QString path = WriteTraceFile(dir_.filePath("damaged.snoop"), 15, kEthernet, 10000000, 20);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(file.size() - 10));  // the last record cut short
    file.close();
    TProcessTraceFileForm form;
    form.SetCloseDelay(0);
    RecordingSink sink;
    const PassResult result = form.Run(Accepted(path), sink);
    QVERIFY(!result.stopped);
    QVERIFY(result.partial);
    QCOMPARE(result.framesRead, 19);
    QCOMPARE(form.PctComplete()->text(), QString("FILE PARTIALLY READ"));
    QCOMPARE(form.CancelButton()->text(), QString("&OK"));
  }

  void okEndsTheWaitAtOnce() {
    const QString path = WriteTraceFile(dir_.filePath("wait.cap"), 10, kEthernet, 10000000, 10);
    TProcessTraceFileForm form;
    form.SetCloseDelay(20000);
    RecordingSink sink;
    connect(&form, &TProcessTraceFileForm::readingDone, &form,
            [&] { QTimer::singleShot(0, form.CancelButton(), &QPushButton::click); });
    QElapsedTimer clock;
    clock.start();
    const PassResult result = form.Run(Accepted(path), sink);
    QVERIFY(clock.elapsed() < 15000);
    QCOMPARE(result.framesRead, 10);
    QVERIFY(!form.isVisible());

    // Stop then OK during the read: the window closes as soon as the read ends.
    sink = RecordingSink{};
    sink.actAt = 3;
    sink.action = [&] {
      form.CancelButton()->click();
      form.CancelButton()->click();
    };
    disconnect(&form, &TProcessTraceFileForm::readingDone, nullptr, nullptr);
    clock.restart();
    form.Run(Accepted(path), sink);
    QVERIFY(clock.elapsed() < 15000);
  }

  void closingTheWindowStopsTheRead() {
    const QString path = WriteTraceFile(dir_.filePath("close.cap"), 10, kEthernet, 10000000, 50);
    TProcessTraceFileForm form;
    form.SetCloseDelay(0);
    RecordingSink sink;
    sink.actAt = 5;
    sink.action = [&] { form.close(); };
    const PassResult result = form.Run(Accepted(path), sink);
    QVERIFY(result.stopped);
    QVERIFY(result.framesRead < 50);
  }

  void minimisedProgramShowsTheProgressInItsTitle() {
    const QString path = WriteTraceFile(dir_.filePath("title.cap"), 10, kEthernet, 10000000, 5);
    QWidget mainWindow;
    mainWindow.setWindowTitle("Corvanta Halvex (tm)  - title.cap");
    mainWindow.showMinimized();
    TProcessTraceFileForm form;
    form.SetCloseDelay(0);
    form.SetTaskbarWindow(&mainWindow);
    QString titleAtEnd;
    connect(&form, &TProcessTraceFileForm::readingDone, &form, [&] { titleAtEnd = mainWindow.windowTitle(); });
    RecordingSink sink;
    form.Run(Accepted(path), sink);
    QCOMPARE(titleAtEnd, QString(" Reading File [100%]"));
    QCOMPARE(mainWindow.windowTitle(), QString("Corvanta Halvex (tm)  - title.cap"));
  }
};

QTEST_MAIN(ProcessTraceFileFormTest)
#include "ProcessTraceFileFormTest.moc"

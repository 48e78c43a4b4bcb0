#include <QSettings>
#include <QSize>
#include <QTextStream>
#include <QTimer>
#include <cstring>
#include <iostream>
#include <memory>

#include "Version.h"
#include "trace/HeapPages.h"
#include "ui/main/ChartPropertiesForm.h"
#include "ui/main/CorvantaApplication.h"
#include "ui/main/ErrorInformationForm.h"
#include "ui/main/Grab.h"
#include "ui/main/InfoWindows.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProblemSettingsForm.h"
#include "ui/main/ProcessTraceFileForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ProgramWindows.h"
#include "ui/main/ServerPortsForm.h"
#include "ui/main/UtilizationGraph.h"
#include "ui/peermaps/PeerMapForm.h"
#include "ui/printing/PreviewForm.h"
#include "ui/printing/PrintSelectionForm.h"
#include "ui/printing/PrintSelectionForm2.h"
#include "ui/printing/PrintStatusForm.h"
#include "ui/toolbox/ToolboxForm.h"
#include "ui/toolbox/VisualizerAttributesForm.h"
#include "ui/toolbox/VisualizerPrintPages.h"
#include "ui/widgets/DialogService.h"
#include "ui/widgets/QtSettingsStore.h"

namespace {

using corvanta::ui::DialogService;

// With --grab nobody is there to answer a box: its text goes to the error stream.
class ConsoleDialogs : public DialogService {
 public:
  void Warning(QWidget*, const QString& title, const QString& text) override { Print(title, text); }
  void Information(QWidget*, const QString& title, const QString& text) override { Print(title, text); }
  void Error(QWidget*, const QString& title, const QString& text) override { Print(title, text); }
  QString OpenFileName(QWidget*, const QString&, const QString&, const QStringList&) override { return {}; }
  bool OpenUrl(const QUrl&) override { return false; }
  QColor ChooseColor(QWidget*, const QColor&) override { return {}; }
  bool WarningOkCancel(QWidget*, const QString& title, const QString& text) override {
    Print(title, text);
    return false;
  }
  bool PrinterSetup(QWidget*, QPrinter&) override { return false; }

 private:
  static void Print(const QString& title, const QString& text) {
    QTextStream(stderr) << title << ": " << text << Qt::endl;
  }
};

int Usage() {
  std::cerr << "usage: corvanta [TRACE]\n       corvanta --grab DIR [TRACE] [WIDTHxHEIGHT] [--timings]\n"
               "       corvanta --grab-all DIR [TRACE] [WIDTHxHEIGHT] [--timings]\n"
               "       corvanta --version\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  corvanta::RestartWithHugePageHeap(argv);
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--version") == 0) {
      std::cout << CORVANTA_PRODUCT << " " << CORVANTA_VERSION << "\n";
      return 0;
    }
  }
  corvanta::ui::CorvantaApplication app(argc, argv);
  QApplication::setApplicationName(CORVANTA_PRODUCT);
  QApplication::setOrganizationName(corvanta::ui::QtSettingsStore::kOrganisation);

  QStringList args = QApplication::arguments().mid(1);
  // With a grab: where the open of the trace spent its time, on the error stream, as the
  // CLI's --timings tells it.
  const bool timings = args.removeAll("--timings") > 0;
  // --grab-all also pictures the dialogs, for documentation and review.
  const bool grabAll = args.value(0) == "--grab-all";
  const bool grab = grabAll || args.value(0) == "--grab";
  if ((grab && args.size() < 2) || (timings && !grab)) return Usage();
  const QString grabFolder = grab ? args.value(1) : QString();
  const QString trace = grab ? args.value(2) : args.value(0);
  // The grab pictures the main window at a chosen size, whatever placement is stored.
  QSize grabSize;
  if (grab && args.size() > 3) {
    const QStringList wh = args.value(3).split('x');
    if (wh.size() == 2) grabSize = QSize(wh[0].toInt(), wh[1].toInt());
    if (!grabSize.isValid() || grabSize.isEmpty()) return Usage();
  }

  corvanta::ui::QtSettingsStore store;
  DialogService boxes;
  ConsoleDialogs console;
  corvanta::ui::ProgramContext context;
  context.store = &store;
  context.dialogs = grab ? static_cast<DialogService*>(&console) : &boxes;
  context.settingsLocation =
      QSettings(corvanta::ui::QtSettingsStore::kOrganisation, corvanta::ui::QtSettingsStore::kApplication).fileName();
  context.programDirectory = QApplication::applicationDirPath();
  context.commandLineTrace = trace;
  context.startupDeadline = QDeadlineTimer(grab ? 0 : 2000);
  if (grab) {
    context.progressCloseDelayMs = 0;
    context.analyzingCloseDelayMs = 0;
  }

  corvanta::ui::ProgramWindows windows(context, !grab);
  app.SetErrorWindow(windows.ErrorInformation());
  corvanta::ui::TMainForm& mainForm = *windows.MainForm();
  // The print preview pictures the first conversation's drawing; the pages outlive the grab.
  std::unique_ptr<corvanta::ui::VisualizerPrintPages> printPages;
  if (grab) {
    if (grabSize.isValid()) mainForm.resize(grabSize);
    QObject::connect(&mainForm, &corvanta::ui::TMainForm::FirstActivationDone, &mainForm, [&] {
      QTimer::singleShot(0, &mainForm, [&] {
        QList<QWidget*> dialogs;
        // The toolbox and its analyses of the table's first conversation.
        if (grabAll && windows.ShowFirstConversation()) {
          printPages = windows.Toolbox()->PrintPages();
          windows.VisualizerPrint()->SetPages(printPages.get());
        }
        // The error window as a failure that escaped a handler would show it.
        if (grabAll)
          windows.ErrorInformation()->SetTexts(corvanta::ui::MakeFailureTexts(
              "std::bad_alloc", QApplication::applicationFilePath(), nullptr, "std::bad_alloc"));
        if (grabAll)
          dialogs = {
              windows.About(),          windows.SystemInfo(), windows.TechSupport(),      windows.ServerPorts(),
              windows.Progress(),       windows.Analyzing(),  windows.ErrorInformation(), windows.ChartProperties(),
              windows.ProblemSettings(), windows.Station(),      windows.Network(),
              windows.PrintSelection(), windows.VisualizerPrint(), windows.Preview(), windows.PrintStatus(),
              windows.Toolbox()->Attributes()};
        if (timings && !mainForm.TraceFileName().isEmpty()) {
          const auto& t = mainForm.LastOpenTimings();
          const auto s = [](double seconds) { return QString::number(seconds, 'f', 3); };
          QTextStream(stderr) << "corvanta: " << trace << ": frame pass " << s(t.pass) << " s, pages " << s(t.pages)
                              << " s, total " << s(t.total) << " s" << Qt::endl;
        }
        // The utilisation graph of the trace is pictured with the pages.
        if (!mainForm.TraceFileName().isEmpty()) dialogs << mainForm.UtilizationGraph();
        const QStringList files = corvanta::ui::GrabWindows(mainForm, grabFolder, dialogs);
        for (const QString& f : files) QTextStream(stdout) << f << Qt::endl;
        windows.VisualizerPrint()->SetPages(nullptr);
        mainForm.close();
        QApplication::exit(files.isEmpty() ? 1 : 0);
      });
    });
  }
  mainForm.show();
  return QApplication::exec();
}

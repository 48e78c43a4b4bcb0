#pragma once
// Shared pieces of the window tests: a dialog service that answers without blocking, a
// program started on a settings file of its own, and traces written for the occasion.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>
#include <memory>
#include <vector>

#include "DemoTrace.h"
#include "Packets.h"
#include "TraceWriter.h"
#include "ui/widgets/DialogService.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ProgramWindows.h"
#include "ui/widgets/QtSettingsStore.h"

namespace corvanta::testing {

// Records every box; the Open dialog answers with a preset path.
class RecordingDialogs : public ui::DialogService {
 public:
  struct Box {
    QString kind;
    QString title;
    QString text;
  };
  std::vector<Box> boxes;
  QString nextOpenPath;
  QStringList lastFilters;
  QString lastOpenDirectory;
  std::vector<QUrl> openedUrls;
  std::function<void()> duringOpenDialog;
  // The colour dialog's answer (invalid: cancelled) and the colours it was opened with.
  QColor nextColor;
  std::vector<QColor> colorDialogs;

  void Warning(QWidget*, const QString& title, const QString& text) override {
    boxes.push_back({"warning", title, text});
  }
  void Information(QWidget*, const QString& title, const QString& text) override {
    boxes.push_back({"information", title, text});
  }
  void Error(QWidget*, const QString& title, const QString& text) override { boxes.push_back({"error", title, text}); }
  QString OpenFileName(QWidget*, const QString&, const QString& directory, const QStringList& filters) override {
    lastFilters = filters;
    lastOpenDirectory = directory;
    if (duringOpenDialog) duringOpenDialog();
    return nextOpenPath;
  }
  bool OpenUrl(const QUrl& url) override {
    openedUrls.push_back(url);
    return true;
  }
  QColor ChooseColor(QWidget*, const QColor& initial) override {
    colorDialogs.push_back(initial);
    return nextColor;
  }
  // The OK/Cancel warning's answer.
  bool nextOk = true;
  bool WarningOkCancel(QWidget*, const QString& title, const QString& text) override {
    boxes.push_back({"confirm", title, text});
    return nextOk;
  }
  int printerSetups = 0;
  bool PrinterSetup(QWidget*, QPrinter&) override {
    ++printerSetups;
    return false;
  }
};

// A program as start-up builds it, on an INI file in a temporary folder, without the
// splash and without the waits.
class TestProgram {
 public:
  explicit TestProgram(const QString& iniFile, const QString& programDirectory,
                       std::function<void(ui::ProgramContext&)> configure = {})
      : store(iniFile) {
    context.store = &store;
    context.dialogs = &dialogs;
    context.settingsLocation = iniFile;
    context.programDirectory = programDirectory;
    context.startupDeadline = QDeadlineTimer(0);
    context.progressCloseDelayMs = 0;
    context.analyzingCloseDelayMs = 0;
    if (configure) configure(context);
    windows = std::make_unique<ui::ProgramWindows>(context, false);
  }
  ~TestProgram() { windows.reset(); }

  ui::TMainForm& Main() const { return *windows->MainForm(); }

  // Shows the main window and waits for its first activation.
  bool Start() {
    QSignalSpy activated(&Main(), &ui::TMainForm::FirstActivationDone);
    Main().show();
    return activated.count() > 0 || activated.wait(5000);
  }

  ui::QtSettingsStore store;
  RecordingDialogs dialogs;
  ui::ProgramContext context;
  std::unique_ptr<ui::ProgramWindows> windows;
};

// A temporary folder with an OUI.TXT and the demo trace, where programs start on settings
// files of their own.
class TestFolder {
 public:
  // Writes OUI.TXT with the given vendor lines and demo.cap; false on failure.
  bool Prepare(const QByteArray& vendorLines = {}) {
    if (!dir_.isValid()) return false;
    QFile oui(Path("OUI.TXT"));
    if (!oui.open(QIODevice::WriteOnly | QIODevice::Truncate) || oui.write(vendorLines) != vendorLines.size())
      return false;
    return SaveFile(Demo().toStdString(), WriteTrace(DemoTracePlan()));
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }
  QString Demo() const { return Path("demo.cap"); }

  // A program shown and activated; null when it did not start.
  std::unique_ptr<TestProgram> Start(std::function<void(ui::ProgramContext&)> configure = {}) {
    auto p = std::make_unique<TestProgram>(Path(QString("settings-%1.ini").arg(++run_)), dir_.path(), configure);
    return p->Start() ? std::move(p) : nullptr;
  }
  // A started program on the page, with the trace opened.
  std::unique_ptr<TestProgram> Open(const QString& trace, int page,
                                    std::function<void(ui::ProgramContext&)> configure = {}) {
    auto p = Start(configure);
    if (!p) return nullptr;
    p->Main().MainPageControl()->setCurrentIndex(page);
    p->Main().OpenTraceFile(trace);
    return p;
  }

 private:
  QTemporaryDir dir_;
  int run_ = 0;
};

// Ethernet frames with distinct sizes, 100 ms apart.
inline std::vector<TestFrame> EthernetFrames(int count) {
  std::vector<TestFrame> frames;
  for (int i = 0; i < count; ++i) {
    TestFrame f;
    f.bytes.assign(static_cast<size_t>(60 + i % 40), 0);
    for (size_t k = 0; k < 6; ++k) f.bytes[k] = 0xFF;  // broadcast
    f.bytes[6] = 0x00;
    f.bytes[7] = 0x60;
    f.bytes[11] = static_cast<uint8_t>(i);
    f.bytes[12] = 0x08;
    f.bytes[13] = 0x06;
    f.offsetUs = i * 100000.0;
    frames.push_back(f);
  }
  return frames;
}

// Writes a trace of the given kind and medium; returns its path.
inline QString WriteTraceFile(const QString& path, AnalyzerKind kind, Topology topology, uint32_t bandwidth, int frames,
                              const std::string& comment = {}) {
  TracePlan plan;
  plan.kind = kind;
  plan.topology = topology;
  plan.bandwidth = bandwidth;
  plan.comment = comment;
  plan.frames = EthernetFrames(frames);
  const std::vector<uint8_t> bytes = WriteTrace(plan);
  if (bytes.empty() || !SaveFile(path.toStdString(), bytes)) return {};
  return path;
}

// Station i (1-based) of the test rings: a Cisco address ending in i.
inline MacAddr RingStation(int i) { return {0x00, 0x00, 0x0C, 0x12, 0x34, static_cast<uint8_t>(i)}; }
inline constexpr MacAddr kOffRingStation = {0x00, 0x00, 0x0C, 0x12, 0x34, 0xEE};

// A 16 Mbit/s Token Ring trace (NetXRay) of a ring of `stations`: with ringPoll the stations
// announce themselves in ring order (station 1 the active monitor); with softErrors they
// report burst (2 against 1), line (3 against 2 and against a station off the ring),
// internal (4), receive congestion (5) and abort (6) errors; always two LLC frames.
inline QString WriteTokenRingTrace(const QString& path, int stations = 6, bool ringPoll = true,
                                   bool softErrors = true) {
  TracePlan plan;
  plan.kind = 10;
  plan.topology = kTokenRing;
  plan.bandwidth = 16000000;
  auto add = [&](const Bytes& bytes) {
    TestFrame f;
    f.bytes = bytes;
    f.offsetUs = static_cast<double>(plan.frames.size()) * 10000.0;
    plan.frames.push_back(f);
  };
  if (ringPoll)
    for (int i = 1; i <= stations; ++i)
      add(MonitorPresent(i == 1, RingStation(i), RingStation(i == 1 ? stations : i - 1)));
  if (softErrors) {
    using Counts = std::array<uint8_t, 10>;  // line, internal, burst, AC, abort, lost, congestion, FC, frequency, token
    add(SoftErrorReport(RingStation(2), RingStation(1), Counts{0, 0, 4, 0, 0, 0, 0, 0, 0, 0}));
    add(SoftErrorReport(RingStation(3), RingStation(2), Counts{2, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    add(SoftErrorReport(RingStation(3), kOffRingStation, Counts{1, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    add(SoftErrorReport(RingStation(4), RingStation(3), Counts{0, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
    add(SoftErrorReport(RingStation(5), RingStation(4), Counts{0, 0, 0, 0, 0, 0, 3, 0, 0, 0}));
    add(SoftErrorReport(RingStation(6), RingStation(5), Counts{0, 0, 0, 0, 1, 0, 0, 0, 0, 0}));
  }
  TokenRingAddressing a;
  a.src = RingStation(1);
  a.dst = RingStation(2);
  add(TokenRingLlc(a, 0xF0, 0xF0, 0x03, Filler(40)));
  std::swap(a.src, a.dst);
  add(TokenRingLlc(a, 0xF0, 0xF0, 0x03, Filler(60)));
  const std::vector<uint8_t> bytes = WriteTrace(plan);
  if (bytes.empty() || !SaveFile(path.toStdString(), bytes)) return {};
  return path;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace corvanta::testing

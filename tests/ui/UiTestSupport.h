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

#include "TraceWriter.h"
#include "ui/main/DialogService.h"
#include "ui/main/MainForm.h"
#include "ui/main/ProgramContext.h"
#include "ui/main/ProgramWindows.h"
#include "ui/main/QtSettingsStore.h"

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
  TraceSpec spec;
  spec.kind = kind;
  spec.topology = topology;
  spec.bandwidth = bandwidth;
  spec.comment = comment;
  spec.frames = EthernetFrames(frames);
  const std::vector<uint8_t> bytes = WriteTrace(spec);
  if (bytes.empty() || !SaveFile(path.toStdString(), bytes)) return {};
  return path;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

}  // namespace corvanta::testing

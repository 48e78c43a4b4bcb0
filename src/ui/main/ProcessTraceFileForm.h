#pragma once
#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <cstdint>

#include "trace/ProcessTrace.h"

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace corvanta::ui {

// How the desktop program reads a trace: the reader ahead on a second CPU where there is one
// and the trace is large enough, the decoder's stages apart otherwise; the decoder, the model
// and the poll stay on the calling thread.
PassOptions OpenPassOptions(const TraceInfo& info);

// The small stay-on-top window shown while a trace is read: frames, trace time, percent
// read, and the button that stops the read.
class TProcessTraceFileForm : public QDialog {
  Q_OBJECT
 public:
  explicit TProcessTraceFileForm(QWidget* parent = nullptr);

  // Reads every frame of an accepted trace into sink with this window showing, and returns
  // once the window has closed again (about 1.5 s after the end, at once on "&OK").
  PassResult Run(const TraceInfo& info, FrameSink& sink);

  // The window whose title tells the progress while it is minimised.
  void SetTaskbarWindow(QWidget* window) { taskbarWindow_ = window; }
  // How long the window stays after the end; tests shorten it.
  void SetCloseDelay(int milliseconds) { closeDelayMs_ = milliseconds; }
  // Pending events are let run at most this often while frames are read.
  static constexpr int kEventIntervalMs = 25;
  // The clock is read on every this many frames only: a frame takes about a microsecond, and
  // reading the clock for each one cost the pass a few per cent.
  static constexpr uint32_t kFramesPerClockRead = 16;

  // Stops the read as the "&Stop" button does.
  void RequestStop() {
    if (reading_) stopMark_ = true;
  }
  bool StopMark() const { return stopMark_; }
  bool Reading() const { return reading_; }

  QLineEdit* FrameCountTextBox() const { return frameCount_; }
  QLineEdit* TraceDurationTextBox() const { return duration_; }
  QLabel* PctComplete() const { return pctComplete_; }
  QProgressBar* PctProgressBar() const { return bar_; }
  QPushButton* CancelButton() const { return cancelButton_; }

 signals:
  // Emitted when the last frame has been read, before the closing wait.
  void readingDone();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  bool Poll(const ReadProgress& progress);
  void ShowProgressTimerTimer();
  void CancelButtonClick();
  void StopOrEndWait();
  void UpdateDisplay();
  void SetTaskbarTitle(const QString& title);

  QLineEdit* frameCount_ = nullptr;
  QLineEdit* duration_ = nullptr;
  QLabel* pctComplete_ = nullptr;
  QProgressBar* bar_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QTimer* timer_ = nullptr;
  QPointer<QWidget> taskbarWindow_;
  QString taskbarCaption_;

  QElapsedTimer sinceEvents_;
  uint32_t polls_ = 0;
  ReadProgress progress_;
  FrameSink* sink_ = nullptr;
  int closeDelayMs_ = 1500;
  int waitCounter_ = 0;
  bool running_ = false;
  bool reading_ = false;
  bool stopMark_ = false;
  bool okPressed_ = false;
  bool partial_ = false;  // the pass ended before the end of the file
};

}  // namespace corvanta::ui

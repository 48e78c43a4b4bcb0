#include "ui/main/ProcessTraceFileForm.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "Version.h"
#include "naming/TextFormat.h"
#include "trace/ProgressText.h"
#include "trace/UsableCpus.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {
namespace {

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

TProcessTraceFileForm::TProcessTraceFileForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("ProcessTraceFileForm");
  setWindowTitle(Q(kProgressCaptionPrefix));
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(Q(kProgressFramesLabel), this), 0, 0);
  frameCount_ = new QLineEdit("0", this);
  frameCount_->setObjectName("FrameCountTextBox");
  frameCount_->setReadOnly(true);
  frameCount_->setAlignment(Qt::AlignRight);
  frameCount_->setFocusPolicy(Qt::NoFocus);
  grid->addWidget(frameCount_, 0, 1);
  grid->addWidget(new QLabel(Q(kProgressDurationLabel), this), 1, 0);
  duration_ = new QLineEdit(Q(kProgressInitialDuration), this);
  duration_->setObjectName("TraceDurationTextBox");
  duration_->setReadOnly(true);
  duration_->setAlignment(Qt::AlignRight);
  duration_->setFocusPolicy(Qt::NoFocus);
  grid->addWidget(duration_, 1, 1);
  pctComplete_ = new QLabel(Q(kProgressActivationPercent), this);
  pctComplete_->setObjectName("PctComplete");
  pctComplete_->setAlignment(Qt::AlignCenter);
  grid->addWidget(pctComplete_, 2, 0, 1, 2);
  bar_ = new QProgressBar(this);
  bar_->setObjectName("PctProgressBar");
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setTextVisible(false);
  grid->addWidget(bar_, 3, 0, 1, 2);
  cancelButton_ = new QPushButton(Q(kProgressStopCaption), this);
  cancelButton_->setObjectName("CancelButton");
  cancelButton_->setToolTip(Q(kProgressStopHint));
  cancelButton_->setAutoDefault(false);
  grid->addWidget(cancelButton_, 4, 0, 1, 2, Qt::AlignHCenter);
  connect(cancelButton_, &QPushButton::clicked, this, &TProcessTraceFileForm::CancelButtonClick);

  timer_ = new QTimer(this);
  timer_->setObjectName("ShowProgressTimer");
  timer_->setInterval(kProgressTimerMs);
  connect(timer_, &QTimer::timeout, this, &TProcessTraceFileForm::ShowProgressTimerTimer);
  setMinimumWidth(300);
}

PassOptions OpenPassOptions(const TraceInfo& info) {
  PassOptions options;
  options.readAhead = ThreadsForTrace(info.fileSize) > 1;
  options.stageAhead = true;
  return options;
}

PassResult TProcessTraceFileForm::Run(const TraceInfo& info, FrameSink& sink) {
  // A second pass cannot start from inside the first one's event processing.
  if (running_) return PassResult{};
  running_ = true;
  sink_ = &sink;
  progress_ = ReadProgress{};
  progress_.fileSize = info.fileSize;
  stopMark_ = okPressed_ = partial_ = false;
  waitCounter_ = 0;
  reading_ = true;
  if (taskbarWindow_) taskbarCaption_ = taskbarWindow_->windowTitle();

  setWindowTitle(ToQ(ProgressCaption(info.path)));
  frameCount_->setText("0");
  duration_->setText(Q(kProgressPassStartDuration));
  pctComplete_->setText(Q(kProgressActivationPercent));
  bar_->setValue(0);
  cancelButton_->setText(Q(kProgressStopCaption));
  setCursor(Qt::WaitCursor);
  bar_->setCursor(Qt::WaitCursor);
  show();
  raise();
  timer_->start();

  // Whatever happens in the pass, the window closes and the timer stops.
  struct Closer {
    TProcessTraceFileForm* form;
    ~Closer() {
      form->timer_->stop();
      form->unsetCursor();
      form->bar_->unsetCursor();
      form->reading_ = false;
      form->running_ = false;
      form->sink_ = nullptr;
      if (form->taskbarWindow_) form->taskbarWindow_->setWindowTitle(form->taskbarCaption_);
      form->hide();
    }
  } closer{this};

  sinceEvents_.start();
  QCoreApplication::processEvents();
  // The decoder, the model and this poll stay on the GUI thread, so no window ever sees a
  // model being built elsewhere.
  const PassResult result = ProcessTraceFile(
      info, sink, [this](const ReadProgress& p) { return Poll(p); }, OpenPassOptions(info));

  progress_.fileSize = result.fileSize;
  // The count polled last may be ahead of or behind the frames decoded once a stop was
  // pressed: the stages finish the frames they took.
  progress_.frames = result.framesRead;
  partial_ = result.partial;
  unsetCursor();
  bar_->unsetCursor();
  reading_ = false;
  waitCounter_ = 0;
  UpdateDisplay();
  emit readingDone();
  if (okPressed_) waitCounter_ = closeDelayMs_;
  while (waitCounter_ < closeDelayMs_ && isVisible()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  return result;
}

bool TProcessTraceFileForm::Poll(const ReadProgress& progress) {
  progress_ = progress;
  if (++polls_ % kFramesPerClockRead == 0 && sinceEvents_.elapsed() >= kEventIntervalMs) {
    QCoreApplication::processEvents();
    sinceEvents_.restart();
  }
  return stopMark_;
}

void TProcessTraceFileForm::ShowProgressTimerTimer() {
  UpdateDisplay();
  if (!reading_) waitCounter_ += kProgressTimerMs;
}

void TProcessTraceFileForm::UpdateDisplay() {
  frameCount_->setText(CountText(progress_.frames));
  const double elapsed = sink_ ? sink_->ElapsedTime() : progress_.elapsedUs;
  if (reading_) {
    if (auto text = ProgressDurationText(elapsed)) duration_->setText(ToQ(*text));
    if (progress_.fileSize > 0) {
      const int percent = PercentRead(progress_.filePosition, progress_.fileSize);
      pctComplete_->setText(ToQ(PercentCompleteText(percent)));
      bar_->setValue(percent);
      const bool minimised = taskbarWindow_ && taskbarWindow_->isMinimized();
      SetTaskbarTitle(minimised ? ToQ(ReadingTitle(percent)) : taskbarCaption_);
    }
    return;
  }
  duration_->setText(ToQ(FormatElapsed(elapsed)));
  if (stopMark_ || partial_) {
    // Stopped, or the reader met a record it could not read before the end of the file.
    cancelButton_->setText(Q(kProgressOkCaption));
    pctComplete_->setText(Q(kProgressPartiallyRead));
    SetTaskbarTitle(taskbarCaption_);
  } else {
    cancelButton_->setText(Q(kProgressOkCaption));
    pctComplete_->setText(Q(kProgressComplete));
    bar_->setValue(100);
    const bool minimised = taskbarWindow_ && taskbarWindow_->isMinimized();
    SetTaskbarTitle(minimised ? Q(kProgressDoneTitleMinimised) : taskbarCaption_);
  }
}

void TProcessTraceFileForm::SetTaskbarTitle(const QString& title) {
  if (taskbarWindow_ && taskbarWindow_->windowTitle() != title) taskbarWindow_->setWindowTitle(title);
}

void TProcessTraceFileForm::CancelButtonClick() {
  if (cancelButton_->text() != Q(kProgressOkCaption)) {
    stopMark_ = true;
    cancelButton_->setText(Q(kProgressOkCaption));
    return;
  }
  okPressed_ = true;
  waitCounter_ = closeDelayMs_;
}

void TProcessTraceFileForm::StopOrEndWait() {
  if (reading_)
    stopMark_ = true;
  else
    waitCounter_ = closeDelayMs_;
}

// The window stays until the pass is over; closing it stops the read or ends the wait.
void TProcessTraceFileForm::closeEvent(QCloseEvent* event) {
  if (!running_) return QDialog::closeEvent(event);
  StopOrEndWait();
  event->ignore();
}

void TProcessTraceFileForm::reject() {
  if (!running_) return QDialog::reject();
  StopOrEndWait();
}

}  // namespace corvanta::ui

#pragma once
#include <QDialog>
#include <QWidget>

class QLabel;
class QPlainTextEdit;

namespace corvanta::ui {

struct ProgramContext;

// Shown while the windows are created at start-up.
class TSplashForm : public QWidget {
  Q_OBJECT
 public:
  explicit TSplashForm(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// "About Corvanta": product, version and where to find help.
class TAboutBox : public QDialog {
  Q_OBJECT
 public:
  explicit TAboutBox(QWidget* parent = nullptr);
 signals:
  void SystemInfoRequested();
  void TechSupportRequested();
};

// The facts about the program and the machine that a problem report needs.
class TSystemInfoForm : public QDialog {
  Q_OBJECT
 public:
  TSystemInfoForm(const ProgramContext& context, QWidget* parent = nullptr);
  // Rebuilt on every showing.
  QString Text() const;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  const ProgramContext& context_;
  QPlainTextEdit* text_ = nullptr;
};

// How to get help with a problem.
class TTechSupportForm : public QDialog {
  Q_OBJECT
 public:
  explicit TTechSupportForm(QWidget* parent = nullptr);
};

// "Analyzing...": shown while the client/server table is built.
class TProgress : public QDialog {
  Q_OBJECT
 public:
  explicit TProgress(QWidget* parent = nullptr);
  void SetCount(const QString& text);
  QLabel* CountLabel() const { return count_; }

 private:
  QLabel* count_ = nullptr;
};

}  // namespace corvanta::ui

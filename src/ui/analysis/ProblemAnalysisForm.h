#pragma once
#include <QWidget>
#include <cstdint>

#include "analysis/Diagnostics.h"

class QLabel;
class QPlainTextEdit;

namespace corvanta::ui {

// "Problem Analysis Summary": the diagnostic counters of one visualizer pass as sentences,
// one block per direction of the selected conversation.
class TProblemAnalysisForm : public QWidget {
  Q_OBJECT
 public:
  explicit TProblemAnalysisForm(QWidget* parent = nullptr);

  // Shows the selection's texts and the findings of both directions. A non-zero state of
  // the conversation analysis is reported above the findings.
  void ShowSummary(const QString& source, const QString& destination, const QString& app,
                   const DiagnosticCounters& counters, int16_t analysisState);

  QPlainTextEdit* Memo1() const { return memo1_; }
  QPlainTextEdit* Memo2() const { return memo2_; }
  QLabel* Source() const { return source_; }
  QLabel* Destination() const { return destination_; }
  QLabel* ProtocolApp() const { return protocolApp_; }
  QLabel* State() const { return state_; }

 private:
  QLabel* source_ = nullptr;
  QLabel* destination_ = nullptr;
  QLabel* protocolApp_ = nullptr;
  QLabel* state_ = nullptr;
  QPlainTextEdit* memo1_ = nullptr;
  QPlainTextEdit* memo2_ = nullptr;
};

}  // namespace corvanta::ui

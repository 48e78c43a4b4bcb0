#include "ui/analysis/ProblemAnalysisForm.h"

#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "analysis/ProblemSummary.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

namespace {

QLabel* Named(QWidget* parent, const char* name, const QString& text = {}) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

QPlainTextEdit* Memo(QWidget* parent, const char* name) {
  auto* memo = new QPlainTextEdit(parent);
  memo->setObjectName(name);
  memo->setReadOnly(true);
  memo->setLineWrapMode(QPlainTextEdit::NoWrap);
  return memo;
}

void Fill(QPlainTextEdit* memo, const DirectionCounters& counters) {
  QStringList lines;
  for (const std::string& line : ProblemSummaryLines(counters, LocaleThousandsSeparator(), LocaleDecimalSeparator()))
    lines << ToQ(line);
  memo->setPlainText(lines.join('\n'));
}

}  // namespace

TProblemAnalysisForm::TProblemAnalysisForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("ProblemAnalysisForm");
  setWindowTitle("Problem Analysis Summary");
  resize(520, 440);
  auto* top = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  source_ = Named(this, "Source");
  destination_ = Named(this, "Destination");
  protocolApp_ = Named(this, "ProtocolApp");
  form->addRow(Named(this, "Label9", "Source:"), source_);
  form->addRow(Named(this, "Label10", "Destination:"), destination_);
  form->addRow(Named(this, "Label3", "Protocol/App:"), protocolApp_);
  top->addLayout(form);
  state_ = Named(this, "StateLabel");
  state_->setVisible(false);
  top->addWidget(state_);
  QFont bold = font();
  bold.setBold(true);
  QLabel* label1 = Named(this, "Label1", "Source to Destination Problem Summary");
  label1->setFont(bold);
  top->addWidget(label1);
  memo1_ = Memo(this, "Memo1");
  top->addWidget(memo1_);
  QLabel* label2 = Named(this, "Label2", "Destination to Source Problem Summary");
  label2->setFont(bold);
  top->addWidget(label2);
  memo2_ = Memo(this, "Memo2");
  top->addWidget(memo2_);
}

void TProblemAnalysisForm::ShowSummary(const QString& source, const QString& destination, const QString& app,
                                       const DiagnosticCounters& counters, int16_t analysisState) {
  memo1_->clear();
  memo2_->clear();
  source_->setText(source);
  destination_->setText(destination);
  protocolApp_->setText(app);
  state_->setText(analysisState != 0 ? ToQ(std::string(kProblemAnalysisFailed)) : QString());
  state_->setVisible(analysisState != 0);
  Fill(memo1_, counters.Direction[kForward]);
  Fill(memo2_, counters.Direction[kReverse]);
}

}  // namespace corvanta::ui

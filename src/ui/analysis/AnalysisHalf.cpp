#include "ui/analysis/AnalysisHalf.h"

#include <QApplication>
#include <QClipboard>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include "analysis/ConversationFigures.h"
#include "ui/widgets/Icons.h"
#include "ui/widgets/UiText.h"

namespace corvanta::ui {

TBarChart::TBarChart(QWidget* parent) : QWidget(parent) {
  setFixedSize(140, 130);
  // A hidden chart keeps its place, so the panels do not move.
  QSizePolicy policy = sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  setSizePolicy(policy);
}

void TBarChart::SetValues(const std::optional<std::array<double, 4>>& values) {
  setVisible(values.has_value());
  if (values) values_ = *values;
  update();
}

QPixmap TBarChart::Picture() { return grab(); }

void TBarChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  const BarChartLayout layout = LayoutBarChart(width(), height(), values_);
  for (const ChartBar& b : layout.Bars)
    p.fillRect(QRect(QPoint(b.Left, b.Top), QPoint(b.Right, b.Bottom)), ToQColor(b.Color));
  p.setPen(Qt::black);
  for (const ChartLine& l : layout.Lines) p.drawLine(l.X1, l.Y1, l.X2, l.Y2);
  QFont small = font();
  small.setPointSize(7);
  p.setFont(small);
  const QFontMetrics m(small);
  for (const ChartText& t : layout.Texts) {
    const QString text = ToQ(t.Text);
    const int x = t.RightAligned ? t.X - m.horizontalAdvance(text) : t.X;
    p.drawText(x, t.Y + m.ascent(), text);
  }
}

namespace {

QLabel* Panel(QWidget* parent, QGridLayout* grid, int row, const PanelLabels& labels) {
  auto* caption = new QLabel(labels.caption, parent);
  caption->setToolTip(labels.hint);
  auto* value = new QLabel(parent);
  value->setObjectName(labels.name);
  value->setToolTip(labels.hint);
  value->setFrameShape(QFrame::Panel);
  value->setFrameShadow(QFrame::Sunken);
  value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  value->setMinimumWidth(90);
  grid->addWidget(caption, row, 0);
  grid->addWidget(value, row, 1);
  return value;
}

QToolButton* CopyButton(QWidget* parent, const char* name, const char* hint) {
  auto* b = new QToolButton(parent);
  b->setObjectName(name);
  b->setToolTip(hint);
  b->setIcon(MakeIcon(Picture::Copy));
  b->setAutoRaise(true);
  return b;
}

}  // namespace

TAnalysisHalf::TAnalysisHalf(const HalfLabels& labels, const QString& figureCaption, QWidget* parent) : QWidget(parent) {
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  title_ = new QLabel(this);
  title_->setObjectName(labels.title);
  title_->setAutoFillBackground(true);
  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  title_->setContentsMargins(4, 2, 4, 2);
  top->addWidget(title_);

  auto* row = new QHBoxLayout;
  memo_ = new QPlainTextEdit(this);
  memo_->setObjectName(labels.memo);
  memo_->setReadOnly(true);
  memo_->setMinimumWidth(180);
  row->addWidget(memo_, 1);

  figureGroup_ = new QGroupBox(figureCaption, this);
  figureGroup_->setObjectName(labels.figureGroup);
  auto* figureLayout = new QHBoxLayout(figureGroup_);
  auto* figureGrid = new QGridLayout;
  for (int i = 0; i < 4; ++i)
    figures_[static_cast<size_t>(i)] = Panel(figureGroup_, figureGrid, i, labels.figures[static_cast<size_t>(i)]);
  figureLayout->addLayout(figureGrid);
  chart_ = new TBarChart(figureGroup_);
  chart_->setObjectName(labels.chart);
  figureLayout->addWidget(chart_);
  auto* copies = new QVBoxLayout;
  copyGraphic_ = CopyButton(figureGroup_, labels.copyGraphic, "Copy graphic to clipboard");
  copyData_ = CopyButton(figureGroup_, labels.copyData, "Copy data to clipboard");
  copies->addWidget(copyGraphic_);
  copies->addWidget(copyData_);
  copies->addStretch(1);
  figureLayout->addLayout(copies);
  row->addWidget(figureGroup_);

  packetGroup_ = new QGroupBox("Packets", this);
  packetGroup_->setObjectName(labels.packetGroup);
  auto* packetGrid = new QGridLayout(packetGroup_);
  for (size_t i = 0; i < labels.packets.size(); ++i)
    packets_.push_back(Panel(packetGroup_, packetGrid, static_cast<int>(i), labels.packets[i]));
  row->addWidget(packetGroup_);
  top->addLayout(row, 1);

  connect(copyGraphic_, &QToolButton::clicked, this,
          [this] { QApplication::clipboard()->setPixmap(chart_->Picture()); });
  connect(copyData_, &QToolButton::clicked, this, &TAnalysisHalf::CopyDataClicked);
}

void TAnalysisHalf::Reset(const QString& title) {
  title_->setText(title);
  for (QLabel* l : figures_) l->clear();
  for (QLabel* l : packets_) l->clear();
  memo_->setPlainText("Notes");
  chart_->SetValues(std::nullopt);
  copyGraphic_->setEnabled(false);
  copyData_->setEnabled(false);
}

void TAnalysisHalf::SetMemo(const std::vector<std::string>& lines) {
  QStringList text;
  for (const std::string& line : lines) text << ToQ(line);
  memo_->setPlainText(text.join('\n'));
}

void TAnalysisHalf::SetFigures(const std::array<std::string, 4>& texts,
                               const std::optional<std::array<double, 4>>& chart, bool canCopy) {
  for (size_t i = 0; i < texts.size(); ++i) figures_[i]->setText(ToQ(texts[i]));
  chart_->SetValues(chart);
  copyGraphic_->setEnabled(canCopy && chart.has_value());
  copyData_->setEnabled(canCopy);
}

void TAnalysisHalf::SetPackets(const std::vector<std::string>& texts) {
  for (size_t i = 0; i < texts.size() && i < packets_.size(); ++i) packets_[i]->setText(ToQ(texts[i]));
}

void TAnalysisHalf::SetTitleColor(const QColor& color) {
  QPalette p = title_->palette();
  p.setColor(QPalette::Window, color);
  p.setColor(QPalette::WindowText, Qt::white);
  title_->setPalette(p);
}

void TAnalysisHalf::AddButton(QToolButton* button) {
  button->setParent(packetGroup_);
  static_cast<QGridLayout*>(packetGroup_->layout())->addWidget(button, static_cast<int>(packets_.size()), 0, 1, 2);
}

void CopyText(const std::string& text) {
  QApplication::clipboard()->clear();
  QApplication::clipboard()->setText(ToQ(text));
}

}  // namespace corvanta::ui

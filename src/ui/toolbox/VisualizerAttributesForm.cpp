#include "ui/toolbox/VisualizerAttributesForm.h"

#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/toolbox/VisualizerFonts.h"
#include "ui/widgets/ColorPanel.h"
#include "ui/widgets/DialogService.h"

namespace corvanta::ui {

namespace {

QPushButton* NamedButton(QWidget* parent, const char* name, const char* caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(name);
  return button;
}

// Scalable fonts only; the chosen size is held to the drawing's range afterwards.
std::optional<QFont> PlatformFontDialog(QWidget* parent, const QFont& initial) {
  bool ok = false;
  QFont font = QFontDialog::getFont(&ok, initial, parent, "Font", QFontDialog::ScalableFonts);
  if (!ok) return std::nullopt;
  return font;
}

}  // namespace

TVisualizerAttributes::TVisualizerAttributes(DialogService& dialogs, QWidget* parent)
    : QDialog(parent), chooseFont(PlatformFontDialog), dialogs_(dialogs) {
  setObjectName("VisualizerAttributes");
  setWindowTitle("Trellivue Display Attributes");
  auto* top = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  send_ = ColorPanel(this, "Panel1");
  receive_ = ColorPanel(this, "Panel2");
  diagnostic_ = ColorPanel(this, "Panel4");
  auto* sendButton = NamedButton(this, "Button1", "&Send Packet Color");
  auto* receiveButton = NamedButton(this, "Button2", "&Receive Packet Color");
  auto* diagnosticButton = NamedButton(this, "Button6", "&Diagnostic Color");
  grid->addWidget(send_, 0, 0);
  grid->addWidget(sendButton, 0, 1);
  grid->addWidget(receive_, 1, 0);
  grid->addWidget(receiveButton, 1, 1);
  grid->addWidget(diagnostic_, 2, 0);
  grid->addWidget(diagnosticButton, 2, 1);
  sample_ = new QLabel("Sample", this);
  sample_->setObjectName("Panel3");
  sample_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  sample_->setAlignment(Qt::AlignCenter);
  sample_->setMinimumSize(120, 40);
  sample_->setAutoFillBackground(true);
  auto* fontButton = NamedButton(this, "Button3", "&Font");
  grid->addWidget(sample_, 3, 0);
  grid->addWidget(fontButton, 3, 1);
  top->addLayout(grid);
  auto* buttons = new QHBoxLayout;
  auto* ok = NamedButton(this, "Button4", "&OK");
  auto* cancel = NamedButton(this, "Button5", "&Cancel");
  ok->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  top->addLayout(buttons);

  connect(sendButton, &QPushButton::clicked, this, [this] { ChooseColor(send_); });
  connect(receiveButton, &QPushButton::clicked, this, [this] { ChooseColor(receive_); });
  connect(diagnosticButton, &QPushButton::clicked, this, [this] { ChooseColor(diagnostic_); });
  connect(fontButton, &QPushButton::clicked, this, &TVisualizerAttributes::ChooseFont);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  SetAttributes({QColor(0, 0, 255), QColor(0, 128, 128), QColor(255, 0, 0), VisualizerQFont(VisualizerFont{}),
                 Qt::black});
}

void TVisualizerAttributes::SetAttributes(const VisualizerAttributes& a) {
  PaintPanel(send_, a.send);
  PaintPanel(receive_, a.receive);
  PaintPanel(diagnostic_, a.diagnostic);
  sample_->setFont(HeldVisualizerFont(a.font));
  fontColor_ = a.fontColor;
  QPalette palette = sample_->palette();
  palette.setColor(QPalette::WindowText, fontColor_);
  palette.setColor(QPalette::Window, Qt::white);
  sample_->setPalette(palette);
}

VisualizerAttributes TVisualizerAttributes::Attributes() const {
  return {PanelColor(send_), PanelColor(receive_), PanelColor(diagnostic_), sample_->font(), fontColor_};
}

QPushButton* TVisualizerAttributes::Button(const QString& name) const { return findChild<QPushButton*>(name); }
QFrame* TVisualizerAttributes::Panel(const QString& name) const { return findChild<QFrame*>(name); }

void TVisualizerAttributes::ChooseColor(QFrame* panel) {
  const QColor chosen = dialogs_.ChooseColor(this, PanelColor(panel));
  if (chosen.isValid()) PaintPanel(panel, chosen);
}

void TVisualizerAttributes::ChooseFont() {
  if (!chooseFont) return;
  if (std::optional<QFont> font = chooseFont(this, sample_->font())) sample_->setFont(HeldVisualizerFont(*font));
}

}  // namespace corvanta::ui

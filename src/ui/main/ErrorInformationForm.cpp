#include "ui/main/ErrorInformationForm.h"

#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace corvanta::ui {

FailureTexts MakeFailureTexts(const QString& className, const QString& module, const void* address,
                              const QString& message) {
  FailureTexts t;
  const QString where =
      QString("%1").arg(static_cast<qulonglong>(reinterpret_cast<quintptr>(address)), 8, 16, QChar('0')).toUpper();
  t.first = QString("Exception %1 in Module %2 at %3.").arg(className, QFileInfo(module).fileName(), where);
  t.second = message;
  if (!t.second.isEmpty() && !t.second.endsWith('.')) t.second += '.';
  return t;
}

TErrorInformationForm::TErrorInformationForm(QWidget* parent) : QDialog(parent) {
  setObjectName("ErrorInformationForm");
  setWindowTitle("Error Information");
  setModal(true);
  auto* top = new QVBoxLayout(this);
  auto* heading = new QLabel("Corvanta has encountered an error!", this);
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  top->addWidget(heading);

  auto* panel = new QFrame(this);
  panel->setObjectName("ErrorPanel");
  panel->setFrameShape(QFrame::Panel);
  panel->setFrameShadow(QFrame::Sunken);
  panel->setAutoFillBackground(true);
  QPalette red = panel->palette();
  red.setColor(QPalette::Window, QColor(192, 0, 0));
  red.setColor(QPalette::WindowText, QColor(Qt::white));
  panel->setPalette(red);
  auto* inner = new QVBoxLayout(panel);
  first_ = new QLabel(panel);
  first_->setObjectName("FirstText");
  second_ = new QLabel(panel);
  second_->setObjectName("SecondText");
  for (QLabel* l : {first_, second_}) {
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    inner->addWidget(l);
  }
  top->addWidget(panel, 1);

  auto* buttons = new QHBoxLayout;
  exit_ = new QPushButton("&Exit", this);
  exit_->setObjectName("ExitButton");
  buttons->addStretch();
  buttons->addWidget(exit_);
  buttons->addStretch();
  top->addLayout(buttons);
  connect(exit_, &QPushButton::clicked, this, &QDialog::accept);
  resize(440, 200);
}

void TErrorInformationForm::SetTexts(const FailureTexts& texts) {
  first_->setText(texts.first);
  second_->setText(texts.second);
}

bool TErrorInformationForm::ShowFailure(const FailureTexts& texts) {
  SetTexts(texts);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
  }
  return exec() == QDialog::Accepted;
}

}  // namespace corvanta::ui

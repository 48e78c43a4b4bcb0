#include "ui/printing/PrintStatusForm.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "analysis/PrintLayout.h"

namespace corvanta::ui {

TPrintStatusForm::TPrintStatusForm(QWidget* parent) : QDialog(parent) {
  setObjectName("PrintStatusForm");
  setWindowTitle("Print Status");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  // Shown over a modal print dialog: modal itself, or its cancel button would not be heard.
  setWindowModality(Qt::ApplicationModal);
  auto* layout = new QVBoxLayout(this);
  text_ = new QLabel("Printing...", this);
  text_->setObjectName("StatusTextBox");
  text_->setMinimumWidth(260);
  text_->setAlignment(Qt::AlignCenter);
  layout->addWidget(text_);
  cancelButton_ = new QPushButton("&Cancel", this);
  cancelButton_->setObjectName("CancelButton");
  layout->addWidget(cancelButton_, 0, Qt::AlignHCenter);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
}

void TPrintStatusForm::showEvent(QShowEvent* event) {
  cancelled_ = false;
  QDialog::showEvent(event);
}

void TPrintStatusForm::SetStatus(int code, int page) {
  if (code == kPrintStatusDone) {
    hide();
    return;
  }
  const std::string text = PrintStatusText(code, page);
  if (!text.empty()) text_->setText(QString::fromStdString(text));
  QCoreApplication::processEvents();
}

}  // namespace corvanta::ui

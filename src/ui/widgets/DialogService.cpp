#include "ui/widgets/DialogService.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace corvanta::ui {

void DialogService::Warning(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::warning(parent, title, text);
}

void DialogService::Information(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::information(parent, title, text);
}

void DialogService::Error(QWidget* parent, const QString& title, const QString& text) {
  QMessageBox::critical(parent, title, text);
}

QString DialogService::OpenFileName(QWidget* parent, const QString& title, const QString& directory,
                                    const QStringList& filters) {
  QFileDialog dialog(parent, title, directory);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::ReadOnly, true);
  dialog.setNameFilters(filters);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().first();
}

bool DialogService::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

QColor DialogService::ChooseColor(QWidget* parent, const QColor& initial) {
  return QColorDialog::getColor(initial, parent);
}

bool DialogService::WarningOkCancel(QWidget* parent, const QString& title, const QString& text) {
  return QMessageBox::warning(parent, title, text, QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

bool DialogService::PrinterSetup(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

}  // namespace corvanta::ui

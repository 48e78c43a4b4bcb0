#pragma once
#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace corvanta::ui {

class TMainForm;

// Writes every page of the main window and every other open window to folder as PNG
// files; returns the files written. The extra windows are shown for the picture and hidden
// again (the program's dialogs, for documentation and review).
QStringList GrabWindows(TMainForm& mainForm, const QString& folder, const QList<QWidget*>& extraWindows = {});

}  // namespace corvanta::ui

#pragma once
#include <QColor>

class QFrame;
class QWidget;

namespace corvanta::ui {

// A small sunken panel that shows a colour, as the display-properties dialogs have them.
QFrame* ColorPanel(QWidget* parent, const char* name);
void PaintPanel(QFrame* panel, const QColor& color);
QColor PanelColor(const QFrame* panel);

}  // namespace corvanta::ui

#include "ui/widgets/ColorPanel.h"

#include <QFrame>

namespace corvanta::ui {

QFrame* ColorPanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  panel->setFixedSize(40, 22);
  panel->setAutoFillBackground(true);
  panel->setCursor(Qt::PointingHandCursor);
  return panel;
}

void PaintPanel(QFrame* panel, const QColor& color) {
  QPalette palette = panel->palette();
  palette.setColor(QPalette::Window, color);
  panel->setPalette(palette);
}

QColor PanelColor(const QFrame* panel) { return panel->palette().color(QPalette::Window); }

}  // namespace corvanta::ui

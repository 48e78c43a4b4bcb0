#include "ui/printing/PrintControls.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QToolButton>
#include <QVBoxLayout>

namespace corvanta::ui {

TSpinButton::TSpinButton(const QString& name, QWidget* parent) : QWidget(parent) {
  setObjectName(name);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  auto make = [&](const char* part, Qt::ArrowType arrow) {
    auto* b = new QToolButton(this);
    b->setObjectName(part);
    b->setArrowType(arrow);
    b->setAutoRepeat(true);
    b->setFixedSize(18, 11);
    layout->addWidget(b);
    return b;
  };
  up_ = make("Up", Qt::UpArrow);
  down_ = make("Down", Qt::DownArrow);
  connect(up_, &QToolButton::clicked, this, &TSpinButton::UpClick);
  connect(down_, &QToolButton::clicked, this, &TSpinButton::DownClick);
}

MarginControls MakeMarginControls(QWidget* parent) {
  MarginControls c;
  c.group = new QGroupBox("Margins", parent);
  c.group->setObjectName("GroupBox3");
  auto* grid = new QGridLayout(c.group);
  // Left, right, top, bottom; the spin buttons keep the numbering of the window.
  static constexpr std::array<const char*, 4> kLabels = {"Left", "Right", "Top", "Bottom"};
  static constexpr std::array<const char*, 4> kPanels = {"LeftMarginPnl", "RightMarginPnl", "TopMarginPnl",
                                                         "BottomMarginPnl"};
  static constexpr std::array<const char*, 4> kSpins = {"SpinButton1", "SpinButton3", "SpinButton2", "SpinButton4"};
  for (size_t i = 0; i < 4; ++i) {
    const int row = static_cast<int>(i % 2);
    const int col = static_cast<int>(i / 2) * 3;
    grid->addWidget(new QLabel(kLabels[i], c.group), row, col);
    c.panels[i] = new QLabel(c.group);
    c.panels[i]->setObjectName(kPanels[i]);
    c.panels[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    c.panels[i]->setMinimumWidth(48);
    c.panels[i]->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid->addWidget(c.panels[i], row, col + 1);
    c.spins[i] = new TSpinButton(kSpins[i], c.group);
    grid->addWidget(c.spins[i], row, col + 2);
  }
  return c;
}

PrinterMetrics MetricsOf(QPrinter& printer) {
  const int dpi = printer.resolution();
  const QRect area = printer.pageLayout().paintRectPixels(dpi);
  PrinterMetrics m;
  m.PageWidth = area.width();
  m.PageHeight = area.height();
  m.DpiX = dpi;
  m.DpiY = dpi;
  m.OffsetX = area.left();
  m.OffsetY = area.top();
  return m;
}

PageDevice DeviceOf(QPrinter& printer) {
  const PrinterMetrics m = MetricsOf(printer);
  return {static_cast<double>(m.DpiX), static_cast<double>(m.DpiY), static_cast<double>(m.OffsetX),
          static_cast<double>(m.OffsetY)};
}

}  // namespace corvanta::ui

#include "ui/widgets/WindowPlacementStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "naming/SettingsStore.h"
#include "ui/main/ProgramSettings.h"

namespace corvanta::ui {
namespace {

std::string ValueName(const QWidget& window) { return window.objectName().toStdString(); }

}  // namespace

bool RestorePlacement(QWidget& window, const SettingsStore& store, bool withSize) {
  const std::string name = ValueName(window);
  if (name.empty()) return false;
  const auto record = store.ReadBinary(std::string(kDisplaySection), name);
  if (!record) return false;
  auto placement = WindowPlacement::Decode(*record);
  if (!placement) return false;

  QScreen* screen = QGuiApplication::screenAt(QPoint(placement->left, placement->top));
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (screen) {
    const QRect area = screen->availableGeometry();
    *placement = PullBackOntoScreen(*placement, ScreenArea{area.x(), area.y(), area.width(), area.height()});
  }
  if (withSize && placement->width > 0 && placement->height > 0) window.resize(placement->width, placement->height);
  window.move(placement->left, placement->top);
  if (placement->state == WindowPlacement::kMaximised)
    window.setWindowState(Qt::WindowMaximized);
  else if (placement->state == WindowPlacement::kMinimised)
    window.setWindowState(Qt::WindowMinimized);
  else
    window.setWindowState(Qt::WindowNoState);
  return true;
}

void SavePlacement(const QWidget& window, SettingsStore& store) {
  const std::string name = ValueName(window);
  if (name.empty()) return;
  WindowPlacement p;
  // A maximised or minimised window keeps the placement it returns to.
  const bool normal = !window.isMaximized() && !window.isMinimized();
  const QRect r = normal ? QRect(window.pos(), window.size()) : window.normalGeometry();
  p.left = r.x();
  p.top = r.y();
  p.width = r.width();
  p.height = r.height();
  p.state = window.isMaximized()   ? WindowPlacement::kMaximised
            : window.isMinimized() ? WindowPlacement::kMinimised
                                   : WindowPlacement::kNormal;
  store.WriteBinary(std::string(kDisplaySection), name, p.Encode());
}

}  // namespace corvanta::ui

#pragma once

class QWidget;

namespace corvanta {
class SettingsStore;
}

namespace corvanta::ui {

// Restores a window's placement from the "4.03\Display" record named after the window,
// pulled back onto the screen; false when there is none (the window keeps its designed
// position and size).
bool RestorePlacement(QWidget& window, const SettingsStore& store, bool withSize);
// Writes the window's current placement under its name.
void SavePlacement(const QWidget& window, SettingsStore& store);

}  // namespace corvanta::ui

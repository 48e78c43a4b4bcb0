#pragma once
#include <QDeadlineTimer>
#include <QString>
#include <functional>
#include <memory>

#include "analysis/BrisqonSettings.h"
#include "naming/UserPorts.h"
#include "naming/VendorTable.h"
#include "ui/main/ProgramSettings.h"

namespace corvanta {
class SettingsStore;
}

namespace corvanta::ui {

class DialogService;
class TraceDecoding;

// The program-wide objects, made once at start-up and handed to the windows that use them.
struct ProgramContext {
  SettingsStore* store = nullptr;    // the per-user settings store; must be set
  DialogService* dialogs = nullptr;  // message boxes and platform dialogs; must be set
  QString settingsLocation;          // where the store keeps its values, for the information windows
  QString programDirectory;          // OUI.TXT and the help page are read from here
  QString commandLineTrace;          // opened on first activation when not empty
  QDeadlineTimer startupDeadline;    // the splash stays until it expires
  int progressCloseDelayMs = 1500;   // the progress window's wait after the end
  int analyzingCloseDelayMs = 1500;  // the "Analyzing..." window's wait on its final count
  // Makes the decoder of each open; empty: MakeTraceDecoding.
  std::function<std::unique_ptr<TraceDecoding>()> makeDecoding;

  ProgramSettings settings;
  BrisqonSettings brisqon;
  UserPorts userPorts;
  VendorTable vendors;
  QString vendorWarning;  // why OUI.TXT was not loaded; empty when it was
};

}  // namespace corvanta::ui

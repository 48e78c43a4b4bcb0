#pragma once
// What the toolbox and the analysis windows read of the rest of the program: the trace now
// open (its model, identified by a generation number that changes with every trace
// processed) and the main window's Tip Wizard.
#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

#include "trace/AnalyzerKind.h"

namespace corvanta {
class BrisqonSettings;
class CaptureModel;
struct VisualizerSettings;
class UserPorts;
class VendorTable;
}  // namespace corvanta

namespace corvanta::ui {

class DialogService;

struct TraceContext {
  const CaptureModel* model = nullptr;  // null: no trace with IP or IPX packets
  uint64_t generation = 0;
  QString fileName;  // without its folder
  int32_t frames = 0;
  Topology topology = kEthernet;
  AnalyzerKind analyzer = 0;
  double bandwidthMbps = 10;
  bool hasIpx = false;
  const UserPorts* ports = nullptr;
  const VendorTable* vendors = nullptr;
  QColor sendColor = QColor(0, 0, 255);
  QColor receiveColor = QColor(0, 128, 128);
};

class AnalysisHost {
 public:
  virtual ~AnalysisHost() = default;
  virtual TraceContext Trace() const = 0;
  virtual void SetTips(const std::vector<int>& tips) = 0;
  virtual void RestoreTips() = 0;
  // The problem finder's live settings, the visualizer's display settings (which the
  // toolbox's controls and attributes dialog change) and the dialogs; none by default.
  virtual const BrisqonSettings* Brisqon() const { return nullptr; }
  virtual VisualizerSettings* VisualizerDisplay() { return nullptr; }
  virtual DialogService* Dialogs() const { return nullptr; }
};

// The tip numbers each window shows.
inline const std::vector<int> kToolboxTips = {19, 20, 42};
inline const std::vector<int> kThroughputTips = {22, 26, 27, 28};
inline const std::vector<int> kLatencyTips = {21, 25, 40, 41};
inline const std::vector<int> kWhatIfTips = {36, 37, 38, 39};

}  // namespace corvanta::ui

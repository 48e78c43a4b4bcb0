#pragma once
// How the frame size chart and the protocol chart look: the nine values of the chart
// properties dialog, their stored form, and the dialog's snapshot, apply and cancel rules.
#include <cstdint>
#include <string_view>

namespace corvanta {

class SettingsStore;

inline constexpr std::string_view kChartPropertiesSettings = "Chart Properties";

enum class ChartType : uint8_t { kPie = 0, kBar = 1 };
enum class ChartUnits : uint8_t { kPercent = 0, kPackets = 1 };

inline constexpr uint32_t kChartWhite = 16777215;
inline constexpr uint32_t kChartYellow = 65535;  // red and green at full
// The background's default gradient, light to mid steel blue: it stands apart from every
// default series colour, yellow and white included, so no bar or slice fades into it.
inline constexpr uint32_t kChartDefaultTop = 0xF4EAE2;     // RGB E2 EA F4
inline constexpr uint32_t kChartDefaultBottom = 0xB09078;  // RGB 78 90 B0

// The nine values. The defaults are those an empty store gives, value marks included (the
// dialog's own unchecked "Show Values" never survives the load at start-up).
struct ChartPropertyValues {
  uint32_t BottomColor = kChartDefaultBottom;
  ChartType Type = ChartType::kPie;
  ChartUnits Units = ChartUnits::kPercent;
  bool View3D = true;
  bool Gradient = true;
  bool Legend = true;
  bool Title = true;
  bool Values = true;  // point marks
  uint32_t TopColor = kChartDefaultTop;

  bool operator==(const ChartPropertyValues&) const = default;
};

// Values of the "Chart Properties" section; missing or unreadable ones (a choice other than
// 0 or 1, a colour outside 0..FFFFFF) take their defaults.
ChartPropertyValues LoadChartProperties(const SettingsStore& store);
void SaveChartProperties(const ChartPropertyValues& values, SettingsStore& store);

// The dialog's state: the values its controls hold and the snapshot they are compared with.
// Applying to the charts is the caller's: after Apply, Ok and Cancel it applies Values().
class ChartPropertiesModel {
 public:
  explicit ChartPropertiesModel(const ChartPropertyValues& values = {}) : values_(values), snapshot_(values) {}

  const ChartPropertyValues& Values() const { return values_; }
  const ChartPropertyValues& Snapshot() const { return snapshot_; }

  // The dialog became active.
  void Activate() { snapshot_ = values_; }

  // Control changes. A colour equal to the current one is no change.
  void SetType(ChartType type) { values_.Type = type; }
  void SetUnits(ChartUnits units) { values_.Units = units; }
  void SetGradient(bool on) { values_.Gradient = on; }
  void SetTitle(bool on) { values_.Title = on; }
  void SetLegend(bool on) { values_.Legend = on; }
  void SetValues(bool on) { values_.Values = on; }
  void Set3D(bool on) { values_.View3D = on; }
  void SetTopColor(uint32_t color) { values_.TopColor = color & 0xFFFFFF; }
  void SetBottomColor(uint32_t color) { values_.BottomColor = color & 0xFFFFFF; }

  // "&Apply" is enabled while any value differs from the snapshot.
  bool ApplyEnabled() const { return !(values_ == snapshot_); }
  // The colour buttons and panels follow "Show Gradient"; the colours are kept either way.
  bool ColorControlsEnabled() const { return values_.Gradient; }

  // "&Apply": a new snapshot.
  void Apply() { snapshot_ = values_; }
  // "&Cancel": the controls take the snapshot back.
  void Cancel() { values_ = snapshot_; }

  // Settings load and save go through the controls.
  void Load(const SettingsStore& store) { values_ = snapshot_ = LoadChartProperties(store); }
  void Save(SettingsStore& store) const { SaveChartProperties(values_, store); }

 private:
  ChartPropertyValues values_;
  ChartPropertyValues snapshot_;
};

}  // namespace corvanta

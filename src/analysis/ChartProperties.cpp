#include "analysis/ChartProperties.h"

#include <string>

#include "naming/SettingsStore.h"

namespace corvanta {

namespace {

const std::string kSection(kChartPropertiesSettings);

// Stored names; "Show Values" holds the units and "Show Marks" the value marks.
const std::string kTypeName = "Chart Type";
const std::string kUnitsName = "Show Values";
const std::string kGradientName = "Background On";
const std::string kTitleName = "Show Title";
const std::string kMarksName = "Show Marks";
const std::string kLegendName = "Show Legend";
const std::string k3DName = "View 3D";
const std::string kTopColorName = "Top Color";
const std::string kBottomColorName = "Bottom Color";

bool ReadFirstChoice(const SettingsStore& store, const std::string& name, bool defaultSecond) {
  const int64_t v = store.ReadInteger(kSection, name, defaultSecond ? 1 : 0);
  return v == 0 || v == 1 ? v == 1 : defaultSecond;
}

uint32_t ReadColor(const SettingsStore& store, const std::string& name, uint32_t def) {
  const int64_t v = store.ReadInteger(kSection, name, def);
  return v >= 0 && v <= 0xFFFFFF ? static_cast<uint32_t>(v) : def;
}

}  // namespace

ChartPropertyValues LoadChartProperties(const SettingsStore& store) {
  const ChartPropertyValues d;
  ChartPropertyValues v;
  v.Type = ReadFirstChoice(store, kTypeName, d.Type == ChartType::kBar) ? ChartType::kBar : ChartType::kPie;
  v.Units =
      ReadFirstChoice(store, kUnitsName, d.Units == ChartUnits::kPackets) ? ChartUnits::kPackets : ChartUnits::kPercent;
  v.Gradient = store.ReadBool(kSection, kGradientName, d.Gradient);
  v.Title = store.ReadBool(kSection, kTitleName, d.Title);
  v.Values = store.ReadBool(kSection, kMarksName, d.Values);
  v.Legend = store.ReadBool(kSection, kLegendName, d.Legend);
  v.View3D = store.ReadBool(kSection, k3DName, d.View3D);
  v.TopColor = ReadColor(store, kTopColorName, d.TopColor);
  v.BottomColor = ReadColor(store, kBottomColorName, d.BottomColor);
  return v;
}

void SaveChartProperties(const ChartPropertyValues& v, SettingsStore& store) {
  store.WriteInteger(kSection, kTypeName, static_cast<int>(v.Type));
  store.WriteInteger(kSection, kUnitsName, static_cast<int>(v.Units));
  store.WriteBool(kSection, kGradientName, v.Gradient);
  store.WriteBool(kSection, kTitleName, v.Title);
  store.WriteBool(kSection, kMarksName, v.Values);
  store.WriteBool(kSection, kLegendName, v.Legend);
  store.WriteBool(kSection, k3DName, v.View3D);
  store.WriteInteger(kSection, kTopColorName, v.TopColor);
  store.WriteInteger(kSection, kBottomColorName, v.BottomColor);
}

}  // namespace corvanta

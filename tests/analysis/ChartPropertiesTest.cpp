// The chart properties: stored values and the dialog's snapshot, apply and cancel rules.
#include <gtest/gtest.h>

#include "analysis/ChartProperties.h"
#include "naming/SettingsStore.h"

namespace corvanta {
namespace {

const std::string kSection = "Chart Properties";

TEST(ChartPropertiesStore, EmptyStoreGivesPieChartsWithEverythingOn) {
  MemorySettingsStore store;
  ChartPropertyValues v = LoadChartProperties(store);
  EXPECT_EQ(v.Type, ChartType::kPie);
  EXPECT_EQ(v.Units, ChartUnits::kPercent);
  EXPECT_TRUE(v.Gradient && v.Title && v.Legend && v.Values && v.View3D);
  EXPECT_EQ(v.TopColor, kChartDefaultTop);
  EXPECT_EQ(v.BottomColor, kChartDefaultBottom);
  EXPECT_EQ(v, ChartPropertyValues{});
}

TEST(ChartPropertiesStore, NamesAndRoundTrip) {
  const ChartPropertyValues v{.BottomColor = 16711680,
                              .Type = ChartType::kBar,
                              .Units = ChartUnits::kPackets,
                              .View3D = false,
                              .Gradient = false,
                              .Legend = true,
                              .Title = false,
                              .Values = false,
                              .TopColor = 255};
  MemorySettingsStore store;
  SaveChartProperties(v, store);
  EXPECT_EQ(store.ReadRaw(kSection, "Chart Type"), "1");
  EXPECT_EQ(store.ReadRaw(kSection, "Show Values"), "1");  // the units
  EXPECT_EQ(store.ReadRaw(kSection, "Show Marks"), "0");   // the value marks
  EXPECT_EQ(store.ReadRaw(kSection, "Background On"), "0");
  EXPECT_EQ(store.ReadRaw(kSection, "Show Title"), "0");
  EXPECT_EQ(store.ReadRaw(kSection, "Show Legend"), "1");
  EXPECT_EQ(store.ReadRaw(kSection, "View 3D"), "0");
  EXPECT_EQ(store.ReadRaw(kSection, "Top Color"), "255");
  EXPECT_EQ(store.ReadRaw(kSection, "Bottom Color"), "16711680");
  EXPECT_EQ(store.ValueNames(kSection).size(), 9u);
  EXPECT_EQ(LoadChartProperties(store), v);
}

TEST(ChartPropertiesStore, UnreadableValuesTakeTheirDefaults) {
  MemorySettingsStore store;
  store.WriteRaw(kSection, "Chart Type", "2");
  store.WriteRaw(kSection, "Show Values", "-1");
  store.WriteRaw(kSection, "View 3D", "maybe");
  store.WriteRaw(kSection, "Top Color", "16777216");
  store.WriteRaw(kSection, "Bottom Color", "-2147483633");  // a system colour of another platform
  EXPECT_EQ(LoadChartProperties(store), ChartPropertyValues{});
}

TEST(ChartPropertiesModel, ApplyIsEnabledOnlyByARealDifference) {
  ChartPropertiesModel m;
  m.Activate();
  EXPECT_FALSE(m.ApplyEnabled());
  m.SetType(ChartType::kBar);
  EXPECT_TRUE(m.ApplyEnabled());
  m.SetType(ChartType::kPie);
  EXPECT_FALSE(m.ApplyEnabled());
  m.SetTopColor(kChartDefaultTop);  // the colour it already has
  EXPECT_FALSE(m.ApplyEnabled());
  m.SetBottomColor(255);
  EXPECT_TRUE(m.ApplyEnabled());
  m.SetBottomColor(kChartDefaultBottom);
  EXPECT_FALSE(m.ApplyEnabled());
  for (auto set : {&ChartPropertiesModel::SetGradient, &ChartPropertiesModel::SetTitle,
                   &ChartPropertiesModel::SetLegend, &ChartPropertiesModel::SetValues, &ChartPropertiesModel::Set3D}) {
    (m.*set)(false);
    EXPECT_TRUE(m.ApplyEnabled());
    (m.*set)(true);
    EXPECT_FALSE(m.ApplyEnabled());
  }
  m.SetUnits(ChartUnits::kPackets);
  EXPECT_TRUE(m.ApplyEnabled());
}

TEST(ChartPropertiesModel, CancelRestoresTheLastApply) {
  ChartPropertiesModel m;
  m.Activate();
  m.SetType(ChartType::kBar);
  m.Apply();
  EXPECT_FALSE(m.ApplyEnabled());
  m.SetUnits(ChartUnits::kPackets);
  m.SetTitle(false);
  m.Cancel();
  EXPECT_EQ(m.Values().Type, ChartType::kBar);  // the applied value stays
  EXPECT_EQ(m.Values().Units, ChartUnits::kPercent);
  EXPECT_TRUE(m.Values().Title);
  EXPECT_FALSE(m.ApplyEnabled());

  // The next activation takes a new snapshot from what the controls hold.
  m.SetLegend(false);
  m.Activate();
  m.Cancel();
  EXPECT_FALSE(m.Values().Legend);
}

TEST(ChartPropertiesModel, GradientOffGreysTheColoursButKeepsThem) {
  ChartPropertiesModel m;
  m.Activate();
  m.SetTopColor(0x123456);
  m.SetGradient(false);
  EXPECT_FALSE(m.ColorControlsEnabled());
  EXPECT_EQ(m.Values().TopColor, 0x123456u);
  m.SetGradient(true);
  EXPECT_TRUE(m.ColorControlsEnabled());
  m.SetBottomColor(0xFF123456);  // only the three colour bytes count
  EXPECT_EQ(m.Values().BottomColor, 0x123456u);
}

TEST(ChartPropertiesModel, LoadAndSaveGoThroughTheControls) {
  MemorySettingsStore store;
  store.WriteInteger(kSection, "Chart Type", 1);
  ChartPropertiesModel m;
  m.Load(store);
  EXPECT_EQ(m.Values().Type, ChartType::kBar);
  EXPECT_FALSE(m.ApplyEnabled());
  m.SetValues(false);
  MemorySettingsStore out;
  m.Save(out);
  EXPECT_EQ(out.ReadRaw(kSection, "Show Marks"), "0");
  EXPECT_EQ(out.ReadRaw(kSection, "Chart Type"), "1");
}

}  // namespace
}  // namespace corvanta

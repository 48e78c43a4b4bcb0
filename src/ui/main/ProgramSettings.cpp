#include "ui/main/ProgramSettings.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "analysis/BrisqonSettings.h"
#include "analysis/PrintLayout.h"
#include "naming/SettingsStore.h"

namespace corvanta {
namespace {

std::string S(std::string_view v) { return std::string(v); }

bool ValidColor(int64_t v) { return v >= 0 && v <= 0xFFFFFF; }

ColorValue ReadColor(const SettingsStore& store, const std::string& section, const std::string& name, ColorValue def) {
  const int64_t v = store.ReadInteger(section, name, def);
  return ValidColor(v) ? static_cast<ColorValue>(v) : def;
}

void PutLe32(std::vector<uint8_t>& out, size_t at, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t GetLe32(const std::vector<uint8_t>& in, size_t at) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(in[at + i]) << (8 * i);
  return static_cast<int32_t>(u);
}

}  // namespace

std::vector<uint8_t> VisualizerFont::Encode() const {
  std::vector<uint8_t> out(kRecordSize, 0);
  out[0] = charset;
  PutLe32(out, 1, color);
  const size_t n = std::min<size_t>(faceName.size(), 63);  // one NUL always stays
  std::copy_n(faceName.begin(), n, out.begin() + 5);
  out[69] = pitch;
  PutLe32(out, 70, size);
  out[74] = style;
  return out;
}

std::optional<VisualizerFont> VisualizerFont::Decode(const std::vector<uint8_t>& record) {
  if (record.size() != kRecordSize) return std::nullopt;
  VisualizerFont f;
  f.charset = record[0];
  f.color = GetLe32(record, 1);
  auto face = record.begin() + 5;
  f.faceName.assign(face, std::find(face, face + 64, uint8_t{0}));
  f.pitch = record[69];
  f.size = GetLe32(record, 70);
  f.style = record[74];
  return f;
}

std::vector<uint8_t> WindowPlacement::Encode() const {
  std::vector<uint8_t> out(kRecordSize, 0);
  PutLe32(out, 0, height);
  PutLe32(out, 4, left);
  PutLe32(out, 8, top);
  PutLe32(out, 12, width);
  out[16] = state;
  return out;
}

std::optional<WindowPlacement> WindowPlacement::Decode(const std::vector<uint8_t>& record) {
  if (record.size() != kRecordSize) return std::nullopt;
  WindowPlacement p;
  p.height = GetLe32(record, 0);
  p.left = GetLe32(record, 4);
  p.top = GetLe32(record, 8);
  p.width = GetLe32(record, 12);
  p.state = record[16] <= kMaximised ? record[16] : static_cast<uint8_t>(kNormal);
  return p;
}

WindowPlacement PullBackOntoScreen(WindowPlacement p, const ScreenArea& screen) {
  if (p.state == WindowPlacement::kMaximised) return p;
  p.height = std::min(p.height, screen.height);
  p.width = std::min(p.width, screen.width);
  // 64-bit sums: a damaged record may hold values near the int32 limits.
  const int64_t right = int64_t{screen.left} + screen.width;
  const int64_t bottom = int64_t{screen.top} + screen.height;
  if (p.left < screen.left)
    p.left = screen.left;
  else if (int64_t{p.left} + p.width > right)
    p.left = static_cast<int32_t>(right - p.width);
  if (p.top < screen.top)
    p.top = screen.top;
  else if (int64_t{p.top} + p.height > bottom)
    p.top = static_cast<int32_t>(bottom - p.height);
  return p;
}

std::string FormatMargin(double inches) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, inches, std::chars_format::fixed, 1);
  if (ec != std::errc()) return "1.0";
  return std::string(buf, end);
}

double ParseMargin(std::string_view text) {
  double v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return 1.0;
  return v;
}

void AddRecentFile(std::array<std::string, kRecentFileCount>& list, const std::string& path) {
  std::vector<std::string> v(list.begin(), list.end());
  size_t i = 0;
  while (i + 1 < v.size()) {
    if (v[i] == path)
      v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
    else
      ++i;
  }
  while (v.size() > kRecentFileCount - 1) v.pop_back();
  while (v.size() < kRecentFileCount - 1) v.emplace_back();
  v.insert(v.begin(), path);
  std::copy(v.begin(), v.end(), list.begin());
}

void ProgramSettings::Load(const SettingsStore& store, BrisqonSettings& brisqon) {
  const std::string recent = S(kRecentFilesSection);
  for (size_t i = 0; i < kRecentFileCount; ++i) recentFiles[i] = store.ReadString(recent, std::to_string(i), "");
  lastDirectory = store.ReadString(recent, S(kLastDirectoryValue), "");

  chart = LoadChartProperties(store);

  brisqon.Load(store);

  const std::string vs = S(kVisualizerSection);
  const VisualizerSettings dv;
  visualizer.sendColor = ReadColor(store, vs, "SendPacketColor", dv.sendColor);
  visualizer.receiveColor = ReadColor(store, vs, "ReceivePacketColor", dv.receiveColor);
  visualizer.diagnosticColor = ReadColor(store, vs, "Diagnostic Color", dv.diagnosticColor);
  visualizer.font = dv.font;
  if (auto record = store.ReadBinary(vs, S(kVisualizerFontValue)))
    if (auto font = VisualizerFont::Decode(*record)) visualizer.font = *font;
  visualizer.cumulativeBytesTogether = store.ReadBool(vs, "Cumulative Bytes (together)", dv.cumulativeBytesTogether);
  visualizer.cumulativeBytesSeparate = store.ReadBool(vs, "Cumulative Bytes (separate)", dv.cumulativeBytesSeparate);
  visualizer.cumulativeTime = store.ReadBool(vs, "Cumulative Time", dv.cumulativeTime);
  visualizer.deltaTime = store.ReadBool(vs, "Delta Time", dv.deltaTime);
  visualizer.frameSize = store.ReadBool(vs, "Frame Size", dv.frameSize);
  visualizer.frameNumber = store.ReadBool(vs, "Frame Number", dv.frameNumber);

  tipWizardEnabled = store.ReadBool(S(kTipWizardSection), "Enabled", true);
  readPcap = store.ReadBool(S(kOptionsSection), S(kReadPcapValue), false);

  const std::string ps = S(kPrintSetupSection);
  pageSetup.landscape = store.ReadString(ps, "Orientation", "Portrait") == "Landscape";
  pageSetup.printToFit = store.ReadString(ps, "Print", "PrintToFit") != "Proportional";
  pageSetup.header = store.ReadString(ps, "Header", "Yes") != "No";
  pageSetup.leftMarginTenths = WindowMarginTenths(ParseMargin(store.ReadString(ps, "LeftMargin", "1.0")));
  pageSetup.rightMarginTenths = WindowMarginTenths(ParseMargin(store.ReadString(ps, "RightMargin", "1.0")));
  pageSetup.topMarginTenths = WindowMarginTenths(ParseMargin(store.ReadString(ps, "TopMargin", "1.0")));
  pageSetup.bottomMarginTenths = WindowMarginTenths(ParseMargin(store.ReadString(ps, "BottomMargin", "1.0")));
}

void ProgramSettings::Save(SettingsStore& store, const BrisqonSettings& brisqon) const {
  const std::string recent = S(kRecentFilesSection);
  for (size_t i = 0; i < kRecentFileCount; ++i) store.WriteString(recent, std::to_string(i), recentFiles[i]);
  store.WriteString(recent, S(kLastDirectoryValue), lastDirectory);

  SaveChartProperties(chart, store);

  store.WriteBool(S(kTipWizardSection), "Enabled", tipWizardEnabled);
  store.WriteBool(S(kOptionsSection), S(kReadPcapValue), readPcap);

  const std::string vs = S(kVisualizerSection);
  store.WriteBinary(vs, S(kVisualizerFontValue), visualizer.font.Encode());
  store.WriteInteger(vs, "SendPacketColor", visualizer.sendColor);
  store.WriteInteger(vs, "ReceivePacketColor", visualizer.receiveColor);
  store.WriteInteger(vs, "Diagnostic Color", visualizer.diagnosticColor);
  store.WriteBool(vs, "Cumulative Bytes (together)", visualizer.cumulativeBytesTogether);
  store.WriteBool(vs, "Cumulative Bytes (separate)", visualizer.cumulativeBytesSeparate);
  store.WriteBool(vs, "Cumulative Time", visualizer.cumulativeTime);
  store.WriteBool(vs, "Delta Time", visualizer.deltaTime);
  store.WriteBool(vs, "Frame Size", visualizer.frameSize);
  store.WriteBool(vs, "Frame Number", visualizer.frameNumber);

  brisqon.Save(store);

  const std::string ps = S(kPrintSetupSection);
  store.WriteString(ps, "Orientation", pageSetup.landscape ? "Landscape" : "Portrait");
  store.WriteString(ps, "Print", pageSetup.printToFit ? "PrintToFit" : "Proportional");
  store.WriteString(ps, "Header", pageSetup.header ? "Yes" : "No");
  store.WriteString(ps, "LeftMargin", FormatMargin(pageSetup.leftMarginTenths / 10.0));
  store.WriteString(ps, "RightMargin", FormatMargin(pageSetup.rightMarginTenths / 10.0));
  store.WriteString(ps, "TopMargin", FormatMargin(pageSetup.topMarginTenths / 10.0));
  store.WriteString(ps, "BottomMargin", FormatMargin(pageSetup.bottomMarginTenths / 10.0));
}

}  // namespace corvanta

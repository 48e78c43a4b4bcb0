#pragma once
// The settings the main window reads once at start-up and writes once at exit, kept in
// memory in between. Plain data and the store layout only; the windows bind to it.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/ChartProperties.h"

namespace corvanta {

class SettingsStore;
class BrisqonSettings;

inline constexpr std::string_view kRecentFilesSection = "Recent Files";
inline constexpr std::string_view kLastDirectoryValue = "Last Directory";
inline constexpr std::string_view kVisualizerSection = "Visualizer";
inline constexpr std::string_view kVisualizerFontValue = "Font";
inline constexpr std::string_view kTipWizardSection = "Tip Wizard";
inline constexpr std::string_view kOptionsSection = "Options";
inline constexpr std::string_view kReadPcapValue = "Read libpcap and pcapng Files";
// The page set-up is read and written under this one name.
inline constexpr std::string_view kPrintSetupSection = "Print Setup";
inline constexpr std::string_view kDisplaySection = "4.03\\Display";

inline constexpr size_t kRecentFileCount = 8;

// Colours: red in the lowest byte, green next, blue in the third.
using ColorValue = int32_t;

// The visualizer font as the store keeps it: a packed 75-byte record.
struct VisualizerFont {
  uint8_t charset = 0;
  ColorValue color = 0;
  std::string faceName = "Arial";  // at most 63 characters are kept
  uint8_t pitch = 0;               // 0 default, 1 variable, 2 fixed
  int32_t size = 8;                // points
  uint8_t style = 0;               // 1 bold, 2 italic, 4 underline, 8 strike-out
  bool operator==(const VisualizerFont&) const = default;

  static constexpr size_t kRecordSize = 75;
  std::vector<uint8_t> Encode() const;
  // Nullopt unless the record has exactly 75 bytes.
  static std::optional<VisualizerFont> Decode(const std::vector<uint8_t>& record);
};

struct VisualizerSettings {
  ColorValue sendColor = 16711680;    // blue
  ColorValue receiveColor = 8421376;  // teal
  ColorValue diagnosticColor = 255;   // red
  bool cumulativeBytesTogether = false;
  bool cumulativeBytesSeparate = false;
  bool cumulativeTime = false;
  bool deltaTime = false;
  bool frameSize = false;
  bool frameNumber = true;
  VisualizerFont font;  // the toolbox's drawing font unless one is stored
  bool operator==(const VisualizerSettings&) const = default;
};

struct PageSetup {
  bool landscape = false;
  bool printToFit = true;
  bool header = true;
  // Whole tenths of an inch, 0..20: stepping a binary fraction by 0.1 drifts off the grid.
  int leftMarginTenths = 10;
  int rightMarginTenths = 10;
  int topMarginTenths = 10;
  int bottomMarginTenths = 10;
  bool operator==(const PageSetup&) const = default;
};

struct ProgramSettings {
  std::array<std::string, kRecentFileCount> recentFiles;
  std::string lastDirectory;
  ChartPropertyValues chart;  // the chart properties dialog's values
  VisualizerSettings visualizer;
  bool tipWizardEnabled = true;
  bool readPcap = false;  // libpcap and pcapng files are read
  PageSetup pageSetup;

  // Missing or unreadable values take their defaults. The problem finder's values go to
  // brisqon, which keeps them.
  void Load(const SettingsStore& store, BrisqonSettings& brisqon);
  void Save(SettingsStore& store, const BrisqonSettings& brisqon) const;
};

// "1.0": one decimal, whatever the locale.
std::string FormatMargin(double inches);
// A real number, or 1.0 when the text does not read as one.
double ParseMargin(std::string_view text);

// Puts path at the head of the recently-used list: an earlier copy of it (except one in the
// last slot) is removed, the list is kept at eight entries, empty ones filling the end.
void AddRecentFile(std::array<std::string, kRecentFileCount>& list, const std::string& path);

// The 17-byte placement record of a window: height, left, top, width (int32, little-endian)
// and the window state.
struct WindowPlacement {
  enum State : uint8_t { kNormal = 0, kMinimised = 1, kMaximised = 2 };
  int32_t height = 0;
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  uint8_t state = kNormal;
  bool operator==(const WindowPlacement&) const = default;

  static constexpr size_t kRecordSize = 17;
  std::vector<uint8_t> Encode() const;
  // Nullopt unless the record has exactly 17 bytes.
  static std::optional<WindowPlacement> Decode(const std::vector<uint8_t>& record);
};

struct ScreenArea {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
};

// A placement recorded on another screen, moved and shrunk so that it lies on this one.
// Maximised placements are left as they are.
WindowPlacement PullBackOntoScreen(WindowPlacement placement, const ScreenArea& screen);

}  // namespace corvanta

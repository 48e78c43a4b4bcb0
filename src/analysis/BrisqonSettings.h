#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvanta {

class SettingsStore;

// The thirty problem checks, in the order of the settings dialog's sorted list.
enum class CheckId : uint8_t {
  kCSBusyNetwork,
  kCSInefficientClient,
  kCSLowThroughput,
  kCSSlowResponseTime,
  kEthernetCRCError,
  kEthernetOversized,
  kEthernetUndersized,
  kICMP,
  kIPChecksumError,
  kIPLocalRouting,
  kIPLowTTL,
  kIPMissingFragment,
  kIPXLocalRouting,
  kNCPFastTransportRetransmission,
  kNCPPacketBurst,
  kNCPServerBusy,
  kNCPTransportRetransmission,
  kSPXFastTransportRetransmission,
  kSPXTransportRetransmission,
  kTCPChecksumError,
  kTCPFastTransportRetransmission,
  kTCPIdleTooLong,
  kTCPLowMSS,
  kTCPLowWindow,
  kTCPResetConnection,
  kTCPSlowAck,
  kTCPStuckWindow,
  kTCPTransportRetransmission,
  kTCPZeroWindow,
  kUDPChecksumError,
};

inline constexpr size_t kCheckCount = 30;
inline constexpr std::string_view kProblemFinderSection = "Problem Finder";

constexpr size_t CheckIndex(CheckId id) { return static_cast<size_t>(id); }

// What a check carries besides its switch.
enum class CheckValueKind : uint8_t { kNone, kThreshold, kSensitivity };

// Unit shown beside a threshold; the numbers are the stored codes.
enum class UnitLabel : uint8_t {
  kNone = 0,
  kPackets = 1,
  kMilliseconds = 2,
  kSeconds = 3,
  kPercent = 4,
  kKbytesPerSec = 5,
};

// Fixed description of one check: names, value range and the texts the dialog shows.
struct CheckInfo {
  CheckId Id;
  std::string_view Text;           // entry of the check list
  std::string_view SwitchName;     // boolean value "Enable..."
  std::string_view ThresholdName;  // integer value "Threshold...", empty without a value
  CheckValueKind Kind;
  uint16_t Default;  // Default, Min and Max are 0 for checks without a value
  uint16_t Min;
  uint16_t Max;
  UnitLabel Unit;
  std::string_view Description;
  std::string_view Causes;
  std::string_view Remedies;

  constexpr bool HasValue() const { return Kind != CheckValueKind::kNone; }
};

const CheckInfo& GetCheckInfo(CheckId id);
// Every check in the order the dialog's sorted list shows them.
const std::array<CheckId, kCheckCount>& SortedChecks();
// "packets", "milliseconds", "seconds", "percent", "Kbytes/sec"; empty for none.
std::string_view UnitLabelText(UnitLabel unit);
// "Low", "Medium", "High" for sensitivity 1, 2, 3; empty otherwise.
std::string_view SensitivityLabel(int position);

// One full set of values: a switch per check, a threshold per check that has one (0 otherwise).
struct BrisqonValues {
  std::array<bool, kCheckCount> Enabled{};
  std::array<uint16_t, kCheckCount> Threshold{};

  static BrisqonValues Defaults();
  bool operator==(const BrisqonValues&) const = default;
};

class BrisqonSettings;
// Sets a check's live switch (its "Enable..." name, 0 or 1) or value (its "Threshold..." name,
// within the check's range) by the name the settings store keeps it under. Empty when set,
// else why not.
std::string SetProblemSetting(BrisqonSettings& settings, std::string_view name, int64_t value);

// The problem finder's settings: the live values the analyses read, and the working copies the
// settings dialog edits. Nothing reaches the live values before Commit.
class BrisqonSettings {
 public:
  BrisqonSettings();

  // Live values.
  bool Enabled(CheckId id) const { return live_.Enabled[CheckIndex(id)]; }
  int Threshold(CheckId id) const { return live_.Threshold[CheckIndex(id)]; }
  const BrisqonValues& Live() const { return live_; }
  bool AnyEnabled() const;
  void SetEnabled(CheckId id, bool on) { live_.Enabled[CheckIndex(id)] = on; }
  // Clamped into the check's range; ignored for checks without a value.
  void SetThreshold(CheckId id, int value);

  // Working copies. BeginEdit (dialog activation) and Cancel reload them from the live values.
  void BeginEdit() { working_ = live_; }
  bool WorkingEnabled(CheckId id) const { return working_.Enabled[CheckIndex(id)]; }
  int WorkingThreshold(CheckId id) const { return working_.Threshold[CheckIndex(id)]; }
  const BrisqonValues& Working() const { return working_; }
  void SetWorkingEnabled(CheckId id, bool on) { working_.Enabled[CheckIndex(id)] = on; }
  void SetWorkingThreshold(CheckId id, int value);
  // The selected check's value back to its default; its switch is left alone.
  void RestoreDefault(CheckId id);
  // Every switch on and every value at its default.
  void RestoreAllDefaults() { working_ = BrisqonValues::Defaults(); }
  void EnableAll() { working_.Enabled.fill(true); }
  void DisableAll() { working_.Enabled.fill(false); }
  void Commit() { live_ = working_; }
  void Cancel() { working_ = live_; }

  // The 43 values of the "Problem Finder" section. Missing, malformed or out-of-range values
  // take their defaults. Loading also resets the working copies.
  void Load(const SettingsStore& store);
  void Save(SettingsStore& store) const;

 private:
  BrisqonValues live_;
  BrisqonValues working_;
};

}  // namespace corvanta

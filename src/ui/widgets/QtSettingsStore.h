#pragma once
#include <QString>
#include <memory>

#include "naming/SettingsStore.h"

class QSettings;

namespace corvanta::ui {

// The settings store over QSettings: sections are groups ("4.03\Display" nests as
// "4.03/Display"), text values are strings and binary values byte arrays.
class QtSettingsStore : public SettingsStore {
 public:
  static constexpr const char* kOrganisation = "Vexl Group";
  static constexpr const char* kApplication = "Corvanta";

  // The per-user store of the platform (on Windows the registry key
  // "\Software\Vexl Group\Corvanta\").
  QtSettingsStore();
  // A store in an INI file of its own.
  explicit QtSettingsStore(const QString& iniFile);
  ~QtSettingsStore() override;

  std::optional<std::string> ReadRaw(const std::string& section, const std::string& name) const override;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section, const std::string& name) const override;
  void WriteRaw(const std::string& section, const std::string& name, const std::string& value) override;
  void WriteBinary(const std::string& section, const std::string& name, const std::vector<uint8_t>& value) override;
  // Removes the section's own values; sections nested below it stay.
  void EraseSection(const std::string& section) override;
  std::vector<std::string> ValueNames(const std::string& section) const override;
  bool HasValue(const std::string& section, const std::string& name) const override;

  // Writes pending changes to permanent storage (also done on destruction).
  void Sync();

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace corvanta::ui

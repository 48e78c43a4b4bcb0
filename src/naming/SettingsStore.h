#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvanta {

// The per-user settings store: sections holding named, typed values. Reads fall back to
// the given default when a value is absent or of another type.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual std::optional<std::string> ReadRaw(const std::string& section, const std::string& name) const = 0;
  virtual std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section, const std::string& name) const = 0;
  virtual void WriteRaw(const std::string& section, const std::string& name, const std::string& value) = 0;
  virtual void WriteBinary(const std::string& section, const std::string& name, const std::vector<uint8_t>& value) = 0;
  virtual void EraseSection(const std::string& section) = 0;
  virtual std::vector<std::string> ValueNames(const std::string& section) const = 0;
  virtual bool HasValue(const std::string& section, const std::string& name) const = 0;

  std::string ReadString(const std::string& section, const std::string& name, const std::string& def) const;
  int64_t ReadInteger(const std::string& section, const std::string& name, int64_t def) const;
  bool ReadBool(const std::string& section, const std::string& name, bool def) const;
  void WriteString(const std::string& section, const std::string& name, const std::string& value) {
    WriteRaw(section, name, value);
  }
  void WriteInteger(const std::string& section, const std::string& name, int64_t value) {
    WriteRaw(section, name, std::to_string(value));
  }
  void WriteBool(const std::string& section, const std::string& name, bool value) {
    WriteRaw(section, name, value ? "1" : "0");
  }
};

// Settings kept in memory: for tests and the headless report.
class MemorySettingsStore : public SettingsStore {
 public:
  std::optional<std::string> ReadRaw(const std::string& section, const std::string& name) const override;
  std::optional<std::vector<uint8_t>> ReadBinary(const std::string& section, const std::string& name) const override;
  void WriteRaw(const std::string& section, const std::string& name, const std::string& value) override;
  void WriteBinary(const std::string& section, const std::string& name, const std::vector<uint8_t>& value) override;
  void EraseSection(const std::string& section) override;
  std::vector<std::string> ValueNames(const std::string& section) const override;
  bool HasValue(const std::string& section, const std::string& name) const override;

 private:
  struct Value {
    bool binary = false;
    std::string text;
    std::vector<uint8_t> bytes;
  };
  std::map<std::string, std::map<std::string, Value>> sections_;
};

}  // namespace corvanta

#include "naming/SettingsStore.h"

#include <charconv>

namespace corvanta {

std::string SettingsStore::ReadString(const std::string& section, const std::string& name,
                                      const std::string& def) const {
  auto v = ReadRaw(section, name);
  return v ? *v : def;
}

int64_t SettingsStore::ReadInteger(const std::string& section, const std::string& name, int64_t def) const {
  auto v = ReadRaw(section, name);
  if (!v || v->empty()) return def;
  int64_t out = 0;
  auto [p, ec] = std::from_chars(v->data(), v->data() + v->size(), out);
  if (ec != std::errc() || p != v->data() + v->size()) return def;
  return out;
}

bool SettingsStore::ReadBool(const std::string& section, const std::string& name, bool def) const {
  auto v = ReadRaw(section, name);
  if (!v) return def;
  if (*v == "1" || *v == "true") return true;
  if (*v == "0" || *v == "false") return false;
  return def;
}

std::optional<std::string> MemorySettingsStore::ReadRaw(const std::string& section, const std::string& name) const {
  auto s = sections_.find(section);
  if (s == sections_.end()) return std::nullopt;
  auto v = s->second.find(name);
  if (v == s->second.end() || v->second.binary) return std::nullopt;
  return v->second.text;
}

std::optional<std::vector<uint8_t>> MemorySettingsStore::ReadBinary(const std::string& section,
                                                                   const std::string& name) const {
  auto s = sections_.find(section);
  if (s == sections_.end()) return std::nullopt;
  auto v = s->second.find(name);
  if (v == s->second.end() || !v->second.binary) return std::nullopt;
  return v->second.bytes;
}

void MemorySettingsStore::WriteRaw(const std::string& section, const std::string& name, const std::string& value) {
  sections_[section][name] = Value{false, value, {}};
}

void MemorySettingsStore::WriteBinary(const std::string& section, const std::string& name,
                                      const std::vector<uint8_t>& value) {
  sections_[section][name] = Value{true, {}, value};
}

void MemorySettingsStore::EraseSection(const std::string& section) { sections_.erase(section); }

std::vector<std::string> MemorySettingsStore::ValueNames(const std::string& section) const {
  std::vector<std::string> names;
  auto s = sections_.find(section);
  if (s != sections_.end())
    for (const auto& [n, v] : s->second) names.push_back(n);
  return names;
}

bool MemorySettingsStore::HasValue(const std::string& section, const std::string& name) const {
  auto s = sections_.find(section);
  return s != sections_.end() && s->second.count(name) > 0;
}

}  // namespace corvanta

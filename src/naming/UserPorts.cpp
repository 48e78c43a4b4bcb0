#include "naming/UserPorts.h"

#include <algorithm>

#include "naming/ProtocolNames.h"
#include "naming/SettingsStore.h"

namespace corvanta {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessAsText(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return static_cast<unsigned char>(Lower(x)) < static_cast<unsigned char>(Lower(y));
  });
}

}  // namespace

std::optional<uint16_t> ParsePortNumber(std::string_view text) {
  if (text.empty() || text.size() > 5) return std::nullopt;
  unsigned v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + static_cast<unsigned>(c - '0');
  }
  if (v > 65535) return std::nullopt;
  return static_cast<uint16_t>(v);
}

std::string UserPorts::MakeItem(std::string_view port, std::string_view name) {
  std::string item(port);
  item += '\t';
  item += name;
  return item;
}

UserPorts::Parsed UserPorts::Parse(std::string_view item) {
  size_t tab = item.find('\t');
  if (tab == std::string_view::npos) return {};  // no name part: nothing to name the port with
  return {ParsePortNumber(item.substr(0, tab)), std::string(item.substr(tab + 1))};
}

size_t UserPorts::Add(std::string item) {
  auto at = std::upper_bound(items_.begin(), items_.end(), item, LessAsText);
  size_t index = static_cast<size_t>(at - items_.begin());
  parsed_.insert(parsed_.begin() + static_cast<std::ptrdiff_t>(index), Parse(item));
  items_.insert(at, std::move(item));
  return index;
}

size_t UserPorts::Replace(size_t index, std::string item) {
  Remove(index);
  return Add(std::move(item));
}

void UserPorts::Remove(size_t index) {
  if (index >= items_.size()) return;
  items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
  parsed_.erase(parsed_.begin() + static_cast<std::ptrdiff_t>(index));
}

void UserPorts::Clear() {
  items_.clear();
  parsed_.clear();
}

void UserPorts::Load(const SettingsStore& store) {
  Clear();
  const std::string section(kServerPortsSection);
  for (size_t i = 0;; ++i) {
    auto value = store.ReadRaw(section, std::to_string(i));
    if (!value || value->empty()) break;
    Add(std::move(*value));
  }
}

void UserPorts::Save(SettingsStore& store) const {
  const std::string section(kServerPortsSection);
  store.EraseSection(section);
  for (size_t i = 0; i < items_.size(); ++i) store.WriteString(section, std::to_string(i), items_[i]);
}

const std::string* UserPorts::NameOf(uint16_t port) const {
  for (const auto& p : parsed_)
    if (p.port == port) return &p.name;
  return nullptr;
}

PortName LookupPortName(const UserPorts& userPorts, uint16_t port) {
  if (const std::string* name = userPorts.NameOf(port)) return {true, *name};
  if (std::string_view name = BuiltInPortName(port); !name.empty()) return {true, std::string(name)};
  return {false, "Port " + std::to_string(port)};
}

bool IsKnownPort(const UserPorts& userPorts, uint16_t port) {
  return userPorts.NameOf(port) != nullptr || !BuiltInPortName(port).empty();
}

}  // namespace corvanta

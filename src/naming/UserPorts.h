#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta {

class SettingsStore;

inline constexpr std::string_view kServerPortsSection = "Server Ports";

// The user-defined server ports: items "port" TAB "name", kept sorted as text without case
// ("1000" before "21"); duplicates are allowed. Items whose port text is not a decimal
// number 0..65535 stay in the list as typed but never name a port.
class UserPorts {
 public:
  static std::string MakeItem(std::string_view port, std::string_view name);

  const std::vector<std::string>& Items() const { return items_; }
  size_t Size() const { return items_.size(); }

  // Each returns the index the item now has in the sorted list.
  size_t Add(std::string item);
  size_t Replace(size_t index, std::string item);  // an index past the end adds
  void Remove(size_t index);                       // an index past the end does nothing
  void Clear();

  // Replaces the list with the values "0", "1", ... of the "Server Ports" section, up to
  // the first missing or empty one.
  void Load(const SettingsStore& store);
  // Erases the section and writes every item in list order.
  void Save(SettingsStore& store) const;

  // The first item (in list order) for the port, if any.
  const std::string* NameOf(uint16_t port) const;

 private:
  struct Parsed {
    std::optional<uint16_t> port;
    std::string name;
  };
  static Parsed Parse(std::string_view item);

  std::vector<std::string> items_;
  std::vector<Parsed> parsed_;  // parallel to items_
};

// A decimal port number 0..65535 (digits only); nullopt otherwise.
std::optional<uint16_t> ParsePortNumber(std::string_view text);

struct PortName {
  bool known = false;
  std::string name;
};

// User ports first, then the built-in table, else unknown "Port N".
PortName LookupPortName(const UserPorts& userPorts, uint16_t port);
// The known flag alone, without building a name.
bool IsKnownPort(const UserPorts& userPorts, uint16_t port);

}  // namespace corvanta

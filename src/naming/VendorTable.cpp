#include "naming/VendorTable.h"

#include <fstream>

#include "naming/TextFormat.h"

namespace corvanta {

VendorTable::VendorTable() { Clear(); }

void VendorTable::Clear() {
  entries_.clear();
  entries_.reserve(501);
  entries_.emplace_back();
}

bool VendorTable::Add(const std::array<uint8_t, 3>& oui, std::string_view shortName) {
  if (entries_.size() > kMaxEntries) return false;
  VendorEntry entry{oui};
  entry.nameLength = static_cast<uint8_t>(shortName.copy(entry.name.data(), entry.name.size()));
  entries_.push_back(entry);
  return true;
}

const VendorEntry& VendorTable::Entry(uint16_t index) const {
  return index < entries_.size() ? entries_[index] : entries_[0];
}

uint16_t VendorTable::Lookup(std::span<const uint8_t> address) const {
  std::array<uint8_t, 3> key{};
  for (size_t i = 0; i < key.size() && i < address.size(); ++i) key[i] = address[i];
  int lo = 1, hi = Count();
  while (lo <= hi) {
    int mid = (lo + hi) / 2;
    const auto& oui = entries_[static_cast<size_t>(mid)].oui;
    if (key == oui) return static_cast<uint16_t>(mid);
    if (key < oui)
      hi = mid - 1;
    else
      lo = mid + 1;
  }
  return 0;
}

std::string VendorTable::FormatMac(std::span<const uint8_t> mac, uint16_t vendorIndex) const {
  std::string text = FormatMacAddress(mac);
  if (vendorIndex != 0 && vendorIndex < entries_.size()) text.replace(0, 6, entries_[vendorIndex].ShortName());
  return text;
}

std::string LoadVendorTable(const std::filesystem::path& directory, VendorTable& table) {
  table.Clear();
  std::ifstream in(directory / kVendorFileName, std::ios::binary);
  if (!in) return std::string(kVendorFileMissing);
  // Grown as it is read, the table would be copied a dozen times into fresh pages.
  constexpr uintmax_t kShortestEntryLine = 7;  // "XXXXXX\n"
  std::error_code ec;
  const uintmax_t bytes = std::filesystem::file_size(directory / kVendorFileName, ec);
  if (!ec)
    table.Reserve(static_cast<size_t>(std::min<uintmax_t>(bytes / kShortestEntryLine, VendorTable::kMaxEntries + 1)));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::string_view text(line);
    std::string_view prefix = text.substr(0, 6);
    if (prefix.find("/*") != std::string_view::npos) continue;
    std::array<uint8_t, 3> oui;
    if (!ParseHexBytes(prefix, oui)) continue;
    if (!table.Add(oui, text.size() > 7 ? text.substr(7, 6) : std::string_view())) break;
  }
  return {};
}

}  // namespace corvanta

#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta {

// A prefix and its vendor's short name (up to 6 characters, trailing blanks kept) in ten
// bytes: the table holds tens of thousands and is loaded at every start.
struct VendorEntry {
  std::array<uint8_t, 3> oui{};
  uint8_t nameLength = 0;
  std::array<char, 6> name{};
  std::string_view ShortName() const { return {name.data(), nameLength}; }
};

// Vendor prefixes in file order, numbered from 1; index 0 means "no vendor". Lookups
// bisect, so the file is expected sorted by prefix.
class VendorTable {
 public:
  static constexpr size_t kMaxEntries = 65535;  // indexes are 16-bit

  VendorTable();

  void Clear();
  // Room for this many entries (at most a full table) without moving them.
  void Reserve(size_t entries) { entries_.reserve(std::min(entries, kMaxEntries + 1)); }
  // Appends an entry (the name cut to six characters); false when the table is full.
  bool Add(const std::array<uint8_t, 3>& oui, std::string_view shortName);

  uint16_t Count() const { return static_cast<uint16_t>(entries_.size() - 1); }
  // Entry 1..Count; any other index gives the empty entry 0.
  const VendorEntry& Entry(uint16_t index) const;
  std::string_view ShortName(uint16_t index) const { return Entry(index).ShortName(); }

  // The VendorIndex of an address's first three bytes (missing bytes read as zero); 0 when none.
  uint16_t Lookup(std::span<const uint8_t> address) const;

  // The 12-digit MAC text with its first six digits replaced by the vendor's short name
  // when the vendor is known.
  std::string FormatMac(std::span<const uint8_t> mac) const { return FormatMac(mac, Lookup(mac)); }
  std::string FormatMac(std::span<const uint8_t> mac, uint16_t vendorIndex) const;

 private:
  std::vector<VendorEntry> entries_;
};

inline constexpr std::string_view kVendorFileName = "OUI.TXT";
inline constexpr std::string_view kVendorWarningCaption = "Corvanta";
inline constexpr std::string_view kVendorFileMissing =
    "Unable to open the OUI File (OUI.TXT) in the Corvanta Program Directory.  Without this file, "
    "vendors/organizations will not be associated with station addresses.";

// Empties the table and loads OUI.TXT from directory. Lines that are blank, comments
// ("/*" in the prefix) or whose prefix is not six upper-case hex digits are skipped.
// Returns kVendorFileMissing when the file cannot be opened, else an empty text.
std::string LoadVendorTable(const std::filesystem::path& directory, VendorTable& table);

}  // namespace corvanta

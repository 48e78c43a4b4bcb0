#pragma once
#include <array>
#include <charconv>
#include <concepts>
#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta {

class VendorTable;

// Address texts. Bytes missing from a short input are written as zero.
std::string FormatHexBytes(std::span<const uint8_t> bytes);  // upper-case hex, no separators
std::string FormatMacAddress(std::span<const uint8_t> mac);  // 12 hex digits: 00A0C9123456
std::string FormatHex4(std::span<const uint8_t> bytes);      // 8 hex digits
// Dotted decimal; with fixedWidth each number is right-aligned in three columns.
std::string FormatIpAddress(std::span<const uint8_t> ip, bool fixedWidth = false);

// Four dot-separated decimal numbers 0..255 (blanks around the text are ignored); nullopt otherwise.
std::optional<std::array<uint8_t, 4>> ParseIpAddress(std::string_view text);

// Each pair of upper-case hex digits ("0".."9", "A".."F") becomes a byte; nullopt for any
// other character or an odd count.
std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text);
// The same into exactly out.size() bytes, without allocating: false unless text holds that
// many pairs (out is then left partly written).
bool ParseHexBytes(std::string_view text, std::span<uint8_t> out);

// An IPX address key (4-byte network, 6-byte node) as network "." node. The network's
// leading zeros are dropped unless keepZeros (one digit always stays); with useVendor and
// a vendor for the node's first three bytes the node is written as the vendor's short
// name followed by its last six hex digits.
std::string FormatNetAddress(std::span<const uint8_t> ipxKey, bool keepZeros, bool useVendor,
                             const VendorTable* vendors);

// Microseconds as hh:mm:ss.mmm (hours not limited to 24); negative or invalid values as zero.
std::string FormatElapsed(double microseconds);

// The 18 significant digits of x as printf's "%.17e" gives them (x rounded half to even),
// and the place of the point: x = 0.digits * 10^point. Exact integer arithmetic, for the
// values tables show (10^-5 up to 10^15); false for others, which take the general way.
bool EighteenDigits(double x, uint64_t& digits, int& point);

// Delphi's Format "%W.Dn": thousands separators (none when thousandsSep is '\0'), D decimals
// rounded half away from zero, right-aligned in at least W columns.
std::string FormatN(double value, int width, int decimals, char thousandsSep, char decimalSep = '.');
// FormatN the general way only, never with EighteenDigits: for comparison.
std::string FormatNGeneral(double value, int width, int decimals, char thousandsSep, char decimalSep = '.');
// Delphi's Format "%W.Df": as FormatN without thousands separators.
std::string FormatF(double value, int width, int decimals, char decimalSep = '.');

// The views' number formats: response times " %5.3n" (ms), throughputs " %1.3n" (KB/s).
inline std::string FormatResponseTime(double ms, char thousandsSep, char decimalSep = '.') {
  return " " + FormatN(ms, 5, 3, thousandsSep, decimalSep);
}
inline std::string FormatThroughput(double kbPerSecond, char thousandsSep, char decimalSep = '.') {
  return " " + FormatN(kbPerSecond, 1, 3, thousandsSep, decimalSep);
}

// A count with thousands separators and no decimals ("%1.0n").
std::string FormatCount(int64_t count, char thousandsSep);

// Appends an integer's decimal digits, no separators: for texts written by the million (a
// ladder's summaries, a frame listing), without a temporary string each.
template <std::integral Int>
void AppendDecimal(std::string& out, Int value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

// The ratio of two counts: 3:1, 1:4, 10:0, 1:3.3, 0:0.
std::string FormatRatio(int64_t a, int64_t b);

// Date and time patterns (d dd ddd dddd, M MM MMM MMMM, yy yyyy, h hh H HH, m mm, s ss,
// z zzz, AP ap A a, t, 'quoted text'); names are English.
std::string FormatDateTime(const std::tm& time, std::string_view pattern);

inline constexpr std::string_view kDefaultTimePattern = "h:mm:ss AP";
inline constexpr std::string_view kDefaultDatePattern = "dddd, MMMM d, yyyy";

// The file summary's file time: the file's local modification time in timePattern, a blank,
// then datePattern, with four-letter day and month names shortened to three letters.
// Empty when the file cannot be opened.
std::string FormatFileTime(const std::filesystem::path& file, std::string_view timePattern = kDefaultTimePattern,
                           std::string_view datePattern = kDefaultDatePattern);

}  // namespace corvanta

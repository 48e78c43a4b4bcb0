#include "naming/TextFormat.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

#include "naming/VendorTable.h"

namespace corvanta {

namespace {

using Wide = unsigned __int128;
// Up to 10^22: a 53-bit mantissa times any of them fits in 128 bits.
constexpr auto kPowers = [] {
  std::array<Wide, 23> powers{1};
  for (size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();
// 10^n for n from 0 to 18, which fit in 64 bits.
uint64_t PowerOfTen(int n) { return static_cast<uint64_t>(kPowers[static_cast<size_t>(n)]); }

}  // namespace

bool EighteenDigits(double x, uint64_t& digits, int& point) {
  if (!(x >= 1e-5 && x < 1e15)) return false;
  // x = mantissa * 2^-shift exactly (x is normal here): shift lies in 3..70.
  const auto bits = std::bit_cast<uint64_t>(x);
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | uint64_t{1} << 52;
  const int shift = 1075 - biased;
  // x < 2^(biased - 1022), so floor(log10(x)) is floor((biased - 1022) * log10(2)) or one
  // less: a scale one too small is corrected below.
  int scale = 17 - ((biased - 1022) * 78913 >> 18);
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (scale < 0 || scale >= static_cast<int>(kPowers.size())) return false;
    const Wide product = Wide{mantissa} * kPowers[static_cast<size_t>(scale)];
    const Wide whole = product >> shift;
    if ((whole >> 64) != 0) return false;
    auto rounded = static_cast<uint64_t>(whole);
    const Wide rest = product & ((Wide{1} << shift) - 1);
    const Wide half = Wide{1} << (shift - 1);
    if (rest > half || (rest == half && (rounded & 1) != 0)) ++rounded;
    if (rounded >= kPowers[18]) {
      --scale;
    } else if (rounded < kPowers[17]) {
      ++scale;
    } else {
      digits = rounded;
      point = 18 - scale;
      return true;
    }
  }
  return false;
}

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

uint8_t ByteAt(std::span<const uint8_t> bytes, size_t i) { return i < bytes.size() ? bytes[i] : 0; }

std::string HexOf(std::span<const uint8_t> bytes, size_t count) {
  std::string out;
  out.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    uint8_t b = ByteAt(bytes, i);
    out += kHexDigits[b >> 4];
    out += kHexDigits[b & 0x0F];
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

void PadLeft(std::string& s, int width) {
  if (width > 0 && s.size() < static_cast<size_t>(width)) s.insert(0, static_cast<size_t>(width) - s.size(), ' ');
}

// A sign, the whole part grouped by thousands (none when thousandsSep is 0), the decimal
// separator and the fraction (none when empty), padded on the left to width. Sized once and
// written in place: tables format several figures a row.
std::string NumberText(bool sign, std::string_view whole, std::string_view fraction, int width, char thousandsSep,
                       char decimalSep) {
  const size_t length = whole.size();
  const size_t separators = thousandsSep != '\0' && length > 3 ? (length - 1) / 3 : 0;
  const size_t size = (sign ? 1 : 0) + length + separators + (fraction.empty() ? 0 : fraction.size() + 1);
  const size_t pad = width > 0 && static_cast<size_t>(width) > size ? static_cast<size_t>(width) - size : 0;
  std::string out(pad + size, ' ');
  char* p = out.data() + pad;
  if (sign) *p++ = '-';
  for (size_t i = 0; i < length; ++i) {
    if (separators > 0 && i > 0 && (length - i) % 3 == 0) *p++ = thousandsSep;
    *p++ = whole[i];
  }
  if (!fraction.empty()) {
    *p++ = decimalSep;
    std::memcpy(p, fraction.data(), fraction.size());
  }
  return out;
}

// FormatDecimal's text from the value's 18 significant digits (room for 19 in digits) and
// the place of its point: value = 0.digits * 10^point.
std::string FormatDigits(char* digits, int point, bool negative, int width, int decimals, char thousandsSep,
                         char decimalSep) {
  // Rounded half away from zero at the requested decimal.
  int count = 18;
  const int keep = point + decimals;
  if (keep < 0) {
    count = 0;
  } else if (keep < count) {
    const bool up = digits[keep] >= '5';
    count = keep;
    if (up) {
      int i = keep - 1;
      while (i >= 0 && digits[i] == '9') digits[i--] = '0';
      if (i < 0) {
        std::memmove(digits + 1, digits, static_cast<size_t>(count));
        digits[0] = '1';
        ++count;
        ++point;
      } else {
        ++digits[i];
      }
    }
  }
  const auto digitAt = [&](int i) { return i >= 0 && i < count ? digits[i] : '0'; };
  const bool sign = negative && std::any_of(digits, digits + count, [](char c) { return c != '0'; });
  int first = 0;  // the integer part without its leading zeros
  while (first < point && digitAt(first) == '0') ++first;
  std::string whole = first < point ? std::string() : std::string("0");
  for (int i = first; i < point; ++i) whole += digitAt(i);
  char fraction[18];
  for (int i = 0; i < decimals; ++i) fraction[i] = digitAt(point + i);
  return NumberText(sign, whole, std::string_view(fraction, static_cast<size_t>(decimals)), width, thousandsSep,
                    decimalSep);
}

// The first keep (0 to 18) of 18 significant digits, rounded half away from zero at the
// next one, as an integer: FormatDigits' rounding, done on the number.
uint64_t RoundToDigits(uint64_t eighteen, int keep) {
  if (keep >= 18) return eighteen;
  const uint64_t unit = PowerOfTen(18 - keep);
  return eighteen / unit + (eighteen % unit >= unit / 2 ? 1 : 0);
}

// FormatDigits' text of scaled / 10^decimals: the same text written from the integer.
std::string FormatScaled(uint64_t scaled, bool negative, int width, int decimals, char thousandsSep, char decimalSep) {
  const uint64_t unit = PowerOfTen(decimals);
  char whole[24];
  const char* wholeEnd = std::to_chars(whole, whole + sizeof whole, scaled / unit).ptr;
  char fraction[18];
  uint64_t rest = scaled % unit;
  for (int i = decimals; i > 0; --i) {
    fraction[i - 1] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  return NumberText(negative && scaled != 0, std::string_view(whole, static_cast<size_t>(wholeEnd - whole)),
                    std::string_view(fraction, static_cast<size_t>(decimals)), width, thousandsSep, decimalSep);
}

// The runtime this format copies takes a value to 18 significant digits before it rounds
// half away from zero at the requested decimal, so 2.0005 gives 2.001 (not printf's 2.000).
std::string FormatDecimal(double value, int width, int decimals, char thousandsSep, char decimalSep,
                          bool quick = true) {
  if (std::isnan(value) || std::isinf(value)) {
    std::string out = std::isnan(value) ? "NAN" : value < 0 ? "-INF" : "INF";
    PadLeft(out, width);
    return out;
  }
  decimals = std::clamp(decimals, 0, 18);
  char digits[24] = "000000000000000000";
  int point = 1;  // value = 0.digits * 10^point
  if (uint64_t eighteen = 0; value != 0 && quick && EighteenDigits(std::fabs(value), eighteen, point)) {
    if (const int keep = point + decimals; keep >= 0 && keep <= 18)
      return FormatScaled(RoundToDigits(eighteen, keep), value < 0, width, decimals, thousandsSep, decimalSep);
    std::to_chars(digits, digits + sizeof digits, eighteen);
  } else if (value != 0) {
    // Exactly printf's "%.17e", several times faster than printf.
    char buf[64];
    *std::to_chars(buf, buf + sizeof buf - 1, std::fabs(value), std::chars_format::scientific, 17).ptr = '\0';
    digits[0] = buf[0];
    std::memcpy(digits + 1, buf + 2, 17);
    point = std::atoi(std::strchr(buf, 'e') + 1) + 1;
  }
  return FormatDigits(digits, point, value < 0, width, decimals, thousandsSep, decimalSep);
}

// The decimal digits of value at p, padded on the left to width with zeros ("%0*u"); returns
// where they end. Written in place: every client/server row shows a duration.
char* PutNumber(char* p, uint64_t value, int width) {
  char digits[24];
  char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  for (auto n = end - digits; n < width; ++n) *p++ = '0';
  return std::copy(digits, end, p);
}

std::string TwoDigits(int v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", v);
  return buf;
}

constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

std::string DayName(int wday, bool full) {
  std::string n = kDayNames[wday >= 0 && wday < 7 ? wday : 0];
  return full ? n : n.substr(0, 3);
}

std::string MonthName(int mon, bool full) {
  std::string n = kMonthNames[mon >= 0 && mon < 12 ? mon : 0];
  return full ? n : n.substr(0, 3);
}

bool UsesAmPm(std::string_view pattern) {
  bool quoted = false;
  for (char c : pattern) {
    if (c == '\'') quoted = !quoted;
    if (!quoted && (c == 'A' || c == 'a')) return true;
  }
  return false;
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
    s.replace(at, from.size(), to);
}

}  // namespace

std::string FormatHexBytes(std::span<const uint8_t> bytes) { return HexOf(bytes, bytes.size()); }
std::string FormatMacAddress(std::span<const uint8_t> mac) { return HexOf(mac, 6); }
std::string FormatHex4(std::span<const uint8_t> bytes) { return HexOf(bytes, 4); }

std::string FormatIpAddress(std::span<const uint8_t> ip, bool fixedWidth) {
  // Written by hand rather than by printf: every client/server row names two addresses.
  char text[16];
  char* p = text;
  for (size_t i = 0; i < 4; ++i) {
    if (i) *p++ = '.';
    const unsigned b = ByteAt(ip, i);
    // Each number as "%3u" when the width is fixed, else "%u".
    if (b >= 100)
      *p++ = static_cast<char>('0' + b / 100);
    else if (fixedWidth)
      *p++ = ' ';
    if (b >= 10)
      *p++ = static_cast<char>('0' + b / 10 % 10);
    else if (fixedWidth)
      *p++ = ' ';
    *p++ = static_cast<char>('0' + b % 10);
  }
  return std::string(text, p);
}

std::optional<std::array<uint8_t, 4>> ParseIpAddress(std::string_view text) {
  text = Trim(text);
  std::array<uint8_t, 4> out{};
  for (size_t part = 0; part < 4; ++part) {
    size_t n = 0;
    unsigned v = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9' && n < 3)
      v = v * 10 + static_cast<unsigned>(text[n++] - '0');
    if (n == 0 || v > 255) return std::nullopt;
    out[part] = static_cast<uint8_t>(v);
    text.remove_prefix(n);
    if (part < 3) {
      if (text.empty() || text.front() != '.') return std::nullopt;
      text.remove_prefix(1);
    }
  }
  if (!text.empty()) return std::nullopt;
  return out;
}

std::optional<std::vector<uint8_t>> ParseHexBytes(std::string_view text) {
  std::vector<uint8_t> out(text.size() / 2);
  if (text.size() % 2 != 0 || !ParseHexBytes(text, out)) return std::nullopt;
  return out;
}

bool ParseHexBytes(std::string_view text, std::span<uint8_t> out) {
  if (text.size() != out.size() * 2) return false;
  for (size_t i = 0; i < out.size(); ++i) {
    int hi = HexValue(text[2 * i]), lo = HexValue(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    out[i] = static_cast<uint8_t>(hi << 4 | lo);
  }
  return true;
}

std::string FormatNetAddress(std::span<const uint8_t> ipxKey, bool keepZeros, bool useVendor,
                             const VendorTable* vendors) {
  std::array<uint8_t, 10> key{};
  for (size_t i = 0; i < key.size(); ++i) key[i] = ByteAt(ipxKey, i);
  std::string network = FormatHex4(std::span(key).first(4));
  if (!keepZeros) {
    size_t firstNonZero = network.find_first_not_of('0');
    network.erase(0, firstNonZero == std::string::npos ? network.size() - 1 : firstNonZero);
  }
  auto node = std::span<const uint8_t>(key).subspan(4, 6);
  std::string nodeText = useVendor && vendors ? vendors->FormatMac(node) : FormatMacAddress(node);
  return network + "." + nodeText;
}

std::string FormatElapsed(double microseconds) {
  // Out-of-range values would make the integer conversion undefined.
  if (!(microseconds >= 0)) microseconds = 0;
  if (microseconds > 9.0e18) microseconds = 9.0e18;
  auto total = static_cast<int64_t>(microseconds);
  int64_t s = total / 1000000;
  int64_t ms = total % 1000000 / 1000;
  char text[32];  // at most 2,562,047,788 hours
  char* p = PutNumber(text, static_cast<uint64_t>(s / 3600), 2);
  *p++ = ':';
  p = PutNumber(p, static_cast<uint64_t>(s / 60 % 60), 2);
  *p++ = ':';
  p = PutNumber(p, static_cast<uint64_t>(s % 60), 2);
  *p++ = '.';
  p = PutNumber(p, static_cast<uint64_t>(ms), 3);
  return std::string(text, p);
}

std::string FormatN(double value, int width, int decimals, char thousandsSep, char decimalSep) {
  return FormatDecimal(value, width, decimals, thousandsSep, decimalSep);
}

std::string FormatF(double value, int width, int decimals, char decimalSep) {
  return FormatDecimal(value, width, decimals, '\0', decimalSep);
}

std::string FormatNGeneral(double value, int width, int decimals, char thousandsSep, char decimalSep) {
  return FormatDecimal(value, width, decimals, thousandsSep, decimalSep, false);
}

std::string FormatCount(int64_t count, char thousandsSep) {
  const uint64_t magnitude = count < 0 ? 0 - static_cast<uint64_t>(count) : static_cast<uint64_t>(count);
  char digits[24];
  const char* end = std::to_chars(digits, digits + sizeof digits, magnitude).ptr;
  return NumberText(count < 0, std::string_view(digits, static_cast<size_t>(end - digits)), {}, 0, thousandsSep, '.');
}

std::string FormatRatio(int64_t a, int64_t b) {
  std::string out;
  if (b < a && b != 0) {
    out = FormatF(static_cast<double>(a) / static_cast<double>(b), 2, 1);
    out += ":1";
  } else if (b < a) {
    out = std::to_string(a);
    out += ":0.0";
  } else if (a != 0) {
    out = "1:";
    out += FormatF(static_cast<double>(b) / static_cast<double>(a), 2, 1);
  } else {
    out = "0.0:";
    out += std::to_string(b);
  }
  if (size_t at = out.find(".0"); at != std::string::npos) out.erase(at, 2);
  return out;
}

std::string FormatDateTime(const std::tm& time, std::string_view pattern) {
  const bool twelveHour = UsesAmPm(pattern);
  std::string out;
  size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c == '\'') {
      // Quoted text is literal; '' stands for a quote, inside quotes or out.
      size_t j = i + 1;
      if (j < pattern.size() && pattern[j] == '\'') {
        out += '\'';
        i = j + 1;
        continue;
      }
      while (j < pattern.size()) {
        if (pattern[j] == '\'') {
          if (j + 1 < pattern.size() && pattern[j + 1] == '\'') {
            out += '\'';
            j += 2;
            continue;
          }
          ++j;
          break;
        }
        out += pattern[j++];
      }
      i = j;
      continue;
    }
    size_t run = 1;
    while (i + run < pattern.size() && pattern[i + run] == c) ++run;
    switch (c) {
      case 'd':
        run = std::min<size_t>(run, 4);
        if (run == 1) out += std::to_string(time.tm_mday);
        if (run == 2) out += TwoDigits(time.tm_mday);
        if (run >= 3) out += DayName(time.tm_wday, run == 4);
        break;
      case 'M':
        run = std::min<size_t>(run, 4);
        if (run == 1) out += std::to_string(time.tm_mon + 1);
        if (run == 2) out += TwoDigits(time.tm_mon + 1);
        if (run >= 3) out += MonthName(time.tm_mon, run == 4);
        break;
      case 'y':
        if (run >= 4) {
          run = 4;
          out += std::to_string(time.tm_year + 1900);
        } else if (run >= 2) {
          run = 2;
          out += TwoDigits((time.tm_year + 1900) % 100);
        } else {
          out += c;
        }
        break;
      case 'h':
      case 'H': {
        run = std::min<size_t>(run, 2);
        int hour = time.tm_hour;
        if (c == 'h' && twelveHour) hour = hour % 12 == 0 ? 12 : hour % 12;
        out += run == 2 ? TwoDigits(hour) : std::to_string(hour);
        break;
      }
      case 'm':
        run = std::min<size_t>(run, 2);
        out += run == 2 ? TwoDigits(time.tm_min) : std::to_string(time.tm_min);
        break;
      case 's':
        run = std::min<size_t>(run, 2);
        out += run == 2 ? TwoDigits(time.tm_sec) : std::to_string(time.tm_sec);
        break;
      case 'z':
        run = run >= 3 ? 3 : 1;
        out += run == 3 ? "000" : "0";  // file times are shown to the second
        break;
      case 'A':
      case 'a': {
        run = 1;
        if (i + 1 < pattern.size() && (pattern[i + 1] == 'P' || pattern[i + 1] == 'p')) run = 2;
        bool pm = time.tm_hour >= 12;
        out += c == 'A' ? (pm ? "PM" : "AM") : (pm ? "pm" : "am");
        break;
      }
      case 't': {
        run = 1;
        char zone[64];
        if (std::strftime(zone, sizeof zone, "%Z", &time) > 0) out += zone;
        break;
      }
      default: out.append(run, c); break;
    }
    i += run;
  }
  return out;
}

std::string FormatFileTime(const std::filesystem::path& file, std::string_view timePattern,
                           std::string_view datePattern) {
  if (!std::ifstream(file, std::ios::binary)) return {};
  std::error_code ec;
  auto written = std::filesystem::last_write_time(file, ec);
  if (ec) return {};
  std::time_t t = std::chrono::system_clock::to_time_t(
      std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(written)));
  std::tm local{};
  if (!localtime_r(&t, &local)) return {};
  std::string pattern = std::string(timePattern) + " " + std::string(datePattern);
  ReplaceAll(pattern, "dddd", "ddd");
  ReplaceAll(pattern, "MMMM", "MMM");
  return FormatDateTime(local, pattern);
}

}  // namespace corvanta

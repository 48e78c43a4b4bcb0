#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "TempDir.h"
#include "naming/TextFormat.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(AddressText, MacAndHex) {
  Bytes mac = {0x00, 0xA0, 0xC9, 0x12, 0x34, 0x56};
  EXPECT_EQ(FormatMacAddress(mac), "00A0C9123456");
  EXPECT_EQ(FormatHex4(Bytes{0xDE, 0xAD, 0x00, 0x0F}), "DEAD000F");
  // Short input: the missing bytes are zero, nothing past the buffer is read.
  EXPECT_EQ(FormatMacAddress(Bytes{0xFF}), "FF0000000000");
  EXPECT_EQ(FormatHex4({}), "00000000");
}

TEST(AddressText, IpAddressPlainAndFixedWidth) {
  Bytes ip = {10, 0, 255, 7};
  EXPECT_EQ(FormatIpAddress(ip), "10.0.255.7");
  EXPECT_EQ(FormatIpAddress(ip, true), " 10.  0.255.  7");
  EXPECT_EQ(FormatIpAddress(Bytes{100, 105, 1, 99}), "100.105.1.99");
  EXPECT_EQ(FormatIpAddress(Bytes{100, 105, 1, 99}, true), "100.105.  1. 99");
}

TEST(AddressText, ParseIpAddress) {
  auto ip = ParseIpAddress("192.168.1.20");
  ASSERT_TRUE(ip);
  EXPECT_EQ(*ip, (std::array<uint8_t, 4>{192, 168, 1, 20}));
  EXPECT_TRUE(ParseIpAddress(" 1.2.3.4\r"));
  EXPECT_FALSE(ParseIpAddress("256.1.1.1"));
  EXPECT_FALSE(ParseIpAddress("1.2.3"));
  EXPECT_FALSE(ParseIpAddress("1.2.3.4.5"));
  EXPECT_FALSE(ParseIpAddress("1..3.4"));
  EXPECT_FALSE(ParseIpAddress("1.2.3.*"));
  EXPECT_FALSE(ParseIpAddress("1000.2.3.4"));
  EXPECT_FALSE(ParseIpAddress(""));
}

TEST(AddressText, ParseHexBytesIsUpperCaseOnly) {
  EXPECT_EQ(ParseHexBytes("00A0C9"), (Bytes{0x00, 0xA0, 0xC9}));
  EXPECT_EQ(ParseHexBytes(""), Bytes{});
  EXPECT_FALSE(ParseHexBytes("00a0c9"));
  EXPECT_FALSE(ParseHexBytes("00A0C"));
  EXPECT_FALSE(ParseHexBytes("00G0C9"));
}

TEST(AddressText, NetAddressZerosAndVendor) {
  Bytes key = {0x00, 0x00, 0x01, 0x2A, 0x00, 0x00, 0x0C, 0x1A, 0x2B, 0x3C};
  EXPECT_EQ(FormatNetAddress(key, true, false, nullptr), "0000012A.00000C1A2B3C");
  EXPECT_EQ(FormatNetAddress(key, false, false, nullptr), "12A.00000C1A2B3C");
  Bytes zeroNet = {0, 0, 0, 0, 0x00, 0x00, 0x0C, 0x1A, 0x2B, 0x3C};
  EXPECT_EQ(FormatNetAddress(zeroNet, false, false, nullptr), "0.00000C1A2B3C");

  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  EXPECT_EQ(FormatNetAddress(key, false, true, &vendors), "12A.Cisco 1A2B3C");
  EXPECT_EQ(FormatNetAddress(key, false, false, &vendors), "12A.00000C1A2B3C");
  Bytes unknownVendor = {0, 0, 0, 1, 0x00, 0x00, 0x0D, 0x1A, 0x2B, 0x3C};
  EXPECT_EQ(FormatNetAddress(unknownVendor, false, true, &vendors), "1.00000D1A2B3C");
}

TEST(Elapsed, HoursMinutesSecondsMillis) {
  EXPECT_EQ(FormatElapsed(3723500000.0), "01:02:03.500");
  EXPECT_EQ(FormatElapsed(90000000000.0), "25:00:00.000");
  EXPECT_EQ(FormatElapsed(0), "00:00:00.000");
  EXPECT_EQ(FormatElapsed(999.9), "00:00:00.000");  // truncated, never rounded up
  EXPECT_EQ(FormatElapsed(59999999.9), "00:00:59.999");
}

TEST(Elapsed, InvalidValuesShowZeroInsteadOfOverflowing) {
  EXPECT_EQ(FormatElapsed(-5000000), "00:00:00.000");
  EXPECT_EQ(FormatElapsed(std::nan("")), "00:00:00.000");
  EXPECT_FALSE(FormatElapsed(std::numeric_limits<double>::infinity()).empty());
  EXPECT_EQ(FormatElapsed(1e300), "2500000000:00:00.000");  // the largest
}

// The quick digits are printf's "%.17e" digits, boundaries of rounding and of powers of ten
// included.
TEST(NumberFormat, EighteenDigitsAreThoseOfScientificNotation) {
  std::mt19937_64 random(11);
  std::vector<double> values = {1e-5, 0.01, 0.1, 0.3, 1, 2.005, 2.0005, 999.9996, 1e14, 999999999999999.9, 0.07};
  for (int p = -5; p < 15; ++p) {
    const double power = std::pow(10.0, p);
    values.insert(values.end(), {power, std::nextafter(power, 0.0), std::nextafter(power, 1e300)});
  }
  for (int i = 0; i < 50000; ++i) {
    const double magnitude = std::pow(10.0, std::uniform_real_distribution<double>(-6, 15)(random));
    values.push_back(magnitude);
    values.push_back(std::round(magnitude * 1000) / 1000 + 0.0005);  // half a unit of three decimals
    values.push_back(static_cast<double>(random() % 100000000) / 8);
  }
  for (double x : values) {
    uint64_t digits = 0;
    int point = 0;
    if (!EighteenDigits(x, digits, point)) {
      EXPECT_TRUE(x < 1e-5 || x >= 1e15) << x;
      continue;
    }
    char buf[64];
    *std::to_chars(buf, buf + sizeof buf - 1, x, std::chars_format::scientific, 17).ptr = '\0';
    const std::string expected = std::string(1, buf[0]) + std::string(buf + 2, 17);
    ASSERT_EQ(std::to_string(digits), expected) << x;
    ASSERT_EQ(point, std::atoi(std::strchr(buf, 'e') + 1) + 1) << x;
  }
}

TEST(NumberFormat, QuickAndGeneralWaysAgree) {
  std::mt19937_64 random(5);
  std::vector<double> values = {0, -0.0, 0.0625, -0.0625, 0.005, 0.0049, 0.0095, 999.9995, 99999.5, 0.995, -0.004};
  for (int i = 0; i < 20000; ++i) {
    const double magnitude = std::pow(10.0, std::uniform_real_distribution<double>(-6, 16)(random));
    values.push_back(random() % 2 != 0 ? magnitude : -magnitude);
    values.push_back(std::round(magnitude * 100) / 100 + 0.005);
  }
  for (double v : values)
    for (int decimals : {0, 1, 2, 3, 4, 6, 18})
      for (auto [width, sep] : {std::pair{0, '\0'}, std::pair{12, ','}}) {
        ASSERT_EQ(FormatN(v, width, decimals, sep), FormatNGeneral(v, width, decimals, sep)) << v << " " << decimals;
      }
}

TEST(NumberFormat, SeparatorsDecimalsAndWidth) {
  EXPECT_EQ(FormatN(1234.5678, 5, 3, ','), "1,234.568");
  EXPECT_EQ(FormatN(1.5, 7, 3, ','), "  1.500");
  EXPECT_EQ(FormatN(0, 5, 3, ','), "0.000");
  EXPECT_EQ(FormatN(1234567.0, 1, 2, '.', ','), "1.234.567,00");
  EXPECT_EQ(FormatN(123456.0, 1, 0, ','), "123,456");
  EXPECT_EQ(FormatN(999.9996, 1, 3, ','), "1,000.000");  // the carry reaches a new group
  EXPECT_EQ(FormatN(-1234.5, 1, 1, ','), "-1,234.5");
  EXPECT_EQ(FormatN(1234.5, 1, 1, '\0'), "1234.5");
  EXPECT_EQ(FormatN(0.00004, 1, 3, ','), "0.000");
  EXPECT_EQ(FormatN(-0.0001, 1, 3, ','), "0.000");  // no minus sign on a zero result
  EXPECT_EQ(FormatN(0.0006, 1, 3, ','), "0.001");
}

TEST(NumberFormat, HalvesRoundAwayFromZero) {
  EXPECT_EQ(FormatN(0.125, 1, 2, ','), "0.13");  // printf would give 0.12
  EXPECT_EQ(FormatF(2.5, 1, 0), "3");
  EXPECT_EQ(FormatF(-2.5, 1, 0), "-3");
  EXPECT_EQ(FormatN(0.0625, 1, 3, ','), "0.063");
  EXPECT_EQ(FormatN(1.0005, 1, 3, ','), "1.000");  // the double lies just below the half
}

TEST(NumberFormat, ViewFormats) {
  EXPECT_EQ(FormatResponseTime(1.5, ','), " 1.500");
  EXPECT_EQ(FormatResponseTime(12345.6789, ','), " 12,345.679");
  EXPECT_EQ(FormatThroughput(0.5, ','), " 0.500");
  EXPECT_EQ(FormatN(2.345, 1, 2, ','), "2.35");
}

TEST(NumberFormat, NonFiniteValues) {
  EXPECT_EQ(FormatN(std::nan(""), 5, 3, ','), "  NAN");
  EXPECT_EQ(FormatN(-std::numeric_limits<double>::infinity(), 1, 3, ','), "-INF");
  EXPECT_FALSE(FormatN(1e300, 1, 3, ',').empty());
  EXPECT_EQ(FormatN(-1e20, 1, 2, ','), "-100,000,000,000,000,000,000.00");  // past the quick digits
  EXPECT_EQ(FormatN(1e-7, 1, 3, ','), "0.000");
}

TEST(NumberFormat, Counts) {
  EXPECT_EQ(FormatCount(0, ','), "0");
  EXPECT_EQ(FormatCount(999, ','), "999");
  EXPECT_EQ(FormatCount(1000, ','), "1,000");
  EXPECT_EQ(FormatCount(2147483647, '.'), "2.147.483.647");
  EXPECT_EQ(FormatCount(-1234567, ','), "-1,234,567");
  EXPECT_EQ(FormatCount(-1234567, '\0'), "-1234567");
  EXPECT_EQ(FormatCount(std::numeric_limits<int64_t>::min(), ','), "-9,223,372,036,854,775,808");
}

TEST(Ratio, SharedEdgeCases) {
  EXPECT_EQ(FormatRatio(10, 0), "10:0");
  EXPECT_EQ(FormatRatio(3, 12), "1:4");
  EXPECT_EQ(FormatRatio(9, 3), "3:1");
  EXPECT_EQ(FormatRatio(3, 10), "1:3.3");
  EXPECT_EQ(FormatRatio(10, 3), "3.3:1");
  EXPECT_EQ(FormatRatio(0, 0), "0:0");
  EXPECT_EQ(FormatRatio(0, 7), "0:7");
  EXPECT_EQ(FormatRatio(5, 5), "1:1");
  EXPECT_EQ(FormatRatio(100, 1000), "1:10");
  EXPECT_EQ(FormatRatio(1000, 1), "1000:1");
}

TEST(DateTimeText, Patterns) {
  std::tm t{};
  t.tm_year = 98;  // Monday 5 January 1998, 14:07:09
  t.tm_mday = 5;
  t.tm_wday = 1;
  t.tm_hour = 14;
  t.tm_min = 7;
  t.tm_sec = 9;
  EXPECT_EQ(FormatDateTime(t, "h:mm:ss AP"), "2:07:09 PM");
  EXPECT_EQ(FormatDateTime(t, "HH:mm:ss"), "14:07:09");
  EXPECT_EQ(FormatDateTime(t, "dddd, MMMM d, yyyy"), "Monday, January 5, 1998");
  EXPECT_EQ(FormatDateTime(t, "ddd dd/MM/yy"), "Mon 05/01/98");
  EXPECT_EQ(FormatDateTime(t, "'day' d 'o''clock' h ap"), "day 5 o'clock 2 pm");
  t.tm_hour = 0;
  EXPECT_EQ(FormatDateTime(t, "h AP"), "12 AM");
  EXPECT_EQ(FormatDateTime(t, "'unterminated"), "unterminated");
}

TEST(DateTimeText, FileTimeShortensNames) {
  testing::TempDir dir;
  auto file = dir.Write("trace.enc", "x");
  std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::from_sys(std::chrono::sys_seconds{
                                             std::chrono::seconds{884009220}}));  // 1998-01-05 14:07 UTC
  // Tests run with TZ=UTC.
  EXPECT_EQ(FormatFileTime(file), "2:07:00 PM Mon, Jan 5, 1998");
  EXPECT_EQ(FormatFileTime(file, "HH:mm", "yyyy-MM-dd"), "14:07 1998-01-05");
  EXPECT_EQ(FormatFileTime(dir.path() / "missing.enc"), "");
}

}  // namespace
}  // namespace corvanta

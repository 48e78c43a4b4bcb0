#include <gtest/gtest.h>

#include <cstdlib>

#include "TempDir.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(VendorFile, OneEntryAndACommentLine) {
  testing::TempDir dir;
  dir.Write("OUI.TXT", "/* vendor prefixes */\n00000C Cisco \n");
  VendorTable table;
  EXPECT_EQ(LoadVendorTable(dir.path(), table), "");
  ASSERT_EQ(table.Count(), 1);
  EXPECT_EQ(table.Lookup(Bytes{0x00, 0x00, 0x0C}), 1);
  EXPECT_EQ(table.Lookup(Bytes{0x00, 0x00, 0x0D}), 0);
  EXPECT_EQ(table.ShortName(1), "Cisco ");  // trailing blank kept
}

TEST(VendorFile, MissingFileGivesTheWarningAndAnEmptyTable) {
  testing::TempDir dir;
  VendorTable table;
  table.Add({1, 2, 3}, "Old");
  EXPECT_EQ(LoadVendorTable(dir.path(), table), kVendorFileMissing);
  EXPECT_EQ(table.Count(), 0);
  EXPECT_EQ(table.Lookup(Bytes{1, 2, 3}), 0);
  EXPECT_NE(kVendorFileMissing.find("Program Directory.  Without"), std::string_view::npos);
}

TEST(VendorFile, BadLinesAreSkippedAndTheRestLoads) {
  testing::TempDir dir;
  dir.Write("OUI.TXT",
            "/* header\r\n"
            "\r\n"
            "000001 Xerox \r\n"  // CRLF: the carriage return is not part of the name
            "00\n"               // short
            "0000 2 Short\n"     // prefix with a blank
            "00000g Lower \n"    // not hex
            "00000a Lower \n"    // lower-case hex is not read as hex
            "0000/* comment\n"
            "00000C\n"                   // no name: loaded with an empty one
            "00000D 3Com Corporation\n"  // name cut to six characters
            "ZZZZZZ junk \n"
            "0000FF Last");
  VendorTable table;
  EXPECT_EQ(LoadVendorTable(dir.path(), table), "");
  ASSERT_EQ(table.Count(), 4);
  EXPECT_EQ(table.ShortName(1), "Xerox ");
  EXPECT_EQ(table.ShortName(2), "");
  EXPECT_EQ(table.ShortName(3), "3Com C");
  EXPECT_EQ(table.ShortName(4), "Last");
  EXPECT_EQ(table.Lookup(Bytes{0, 0, 0x0C}), 2);
  EXPECT_EQ(table.Lookup(Bytes{0, 0, 0xFF}), 4);
  EXPECT_EQ(table.Lookup(Bytes{0, 0, 0x0A}), 0);
}

TEST(VendorFile, BinaryGarbageNeverCrashes) {
  testing::TempDir dir;
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 7919) & 0xFF);
  dir.Write("OUI.TXT", junk);
  VendorTable table;
  EXPECT_EQ(LoadVendorTable(dir.path(), table), "");
  for (uint16_t i = 0; i <= table.Count(); ++i) EXPECT_LE(table.ShortName(i).size(), 6u);
}

TEST(VendorLookup, BisectsEveryEntryOfASortedTable) {
  VendorTable table;
  for (int i = 0; i < 1000; ++i) table.Add({static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i), 0x80}, "V");
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(table.Lookup(Bytes{static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i), 0x80}), i + 1);
    ASSERT_EQ(table.Lookup(Bytes{static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i), 0x7F}), 0);
  }
  EXPECT_EQ(table.Lookup(Bytes{0xFF, 0xFF, 0xFF}), 0);
  EXPECT_EQ(table.Lookup(Bytes{}), 0);  // reads as 00 00 00
}

TEST(VendorLookup, EmptyTableAndEntryBounds) {
  VendorTable table;
  EXPECT_EQ(table.Lookup(Bytes{0, 0, 0}), 0);
  EXPECT_EQ(table.Entry(0).ShortName(), "");
  EXPECT_EQ(table.Entry(5).ShortName(), "");
}

TEST(VendorLookup, IndexesStayWithinSixteenBits) {
  VendorTable table;
  for (size_t i = 0; i < VendorTable::kMaxEntries; ++i) ASSERT_TRUE(table.Add({0, 0, 0}, ""));
  EXPECT_FALSE(table.Add({1, 1, 1}, "Over"));
  EXPECT_EQ(table.Count(), 65535);
}

TEST(VendorDisplay, ShortNameReplacesTheFirstSixDigits) {
  VendorTable table;
  table.Add({0x00, 0x00, 0x0C}, "ABCDEF");
  Bytes mac = {0x00, 0x00, 0x0C, 0x1A, 0x2B, 0x3C};
  EXPECT_EQ(table.FormatMac(mac), "ABCDEF1A2B3C");
  EXPECT_EQ(table.FormatMac(mac, 0), "00000C1A2B3C");
  EXPECT_EQ(table.FormatMac(Bytes{0x00, 0x00, 0x0D, 1, 2, 3}), "00000D010203");
  table.Add({0x00, 0x00, 0x0E}, "");
  EXPECT_EQ(table.FormatMac(Bytes{0x00, 0x00, 0x0E, 1, 2, 3}), "010203");
}

TEST(VendorFile, TheBuiltVendorFileLoadsAndIsSorted) {
  const char* bin = std::getenv("CORVANTA_BIN_DIR");
  if (!bin || !std::filesystem::exists(std::filesystem::path(bin) / "OUI.TXT")) GTEST_SKIP() << "no built OUI.TXT";
  VendorTable table;
  ASSERT_EQ(LoadVendorTable(bin, table), "");
  ASSERT_GT(table.Count(), 1000);
  for (uint16_t i = 2; i <= table.Count(); ++i) ASSERT_LT(table.Entry(i - 1).oui, table.Entry(i).oui);
  uint16_t cisco = table.Lookup(Bytes{0x00, 0x00, 0x0C});
  EXPECT_NE(cisco, 0);
}

}  // namespace
}  // namespace corvanta

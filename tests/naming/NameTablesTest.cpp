#include <gtest/gtest.h>

#include "naming/ProtocolNames.h"

namespace corvanta {
namespace {

TEST(NameTables, CategoryNamesAndColours) {
  EXPECT_EQ(ProtocolCategoryName(0), "Appletalk");
  EXPECT_EQ(ProtocolCategoryName(11), "NetBIOS-IPX");
  EXPECT_EQ(ProtocolCategoryName(16), "Other");
  EXPECT_EQ(ProtocolCategoryName(17), "Other");
  EXPECT_EQ(ProtocolCategoryName(-1), "Other");
  EXPECT_EQ(ProtocolCategoryColor(0), 255u);       // red in the low byte
  EXPECT_EQ(ProtocolCategoryColor(4), 16711680u);  // blue
  EXPECT_EQ(ProtocolCategoryColor(1), 192u | 220u << 8 | 192u << 16);
  EXPECT_EQ(ProtocolCategoryColor(16), 0xFFFFFFu);
  EXPECT_EQ(ProtocolCategoryColor(99), 0xFFFFFFu);
}

TEST(NameTables, EncapsulationNames) {
  EXPECT_EQ(EncapsulationName(0), "Etype");
  EXPECT_EQ(EncapsulationName(2), "NovRaw");
  EXPECT_EQ(EncapsulationName(4), "MAC");
  EXPECT_EQ(EncapsulationName(5), "");
}

struct NamedValue {
  unsigned value;
  std::string_view name;
};

TEST(NameTables, SubProtocolNamesWrapAt128) {
  const NamedValue cases[] = {{0, "ICMP"},   {7, "Unknown"}, {17, "WAN Bdcast"}, {20, "LIP Echo"},   {21, "Unknown"},
                              {22, "Other"}, {127, "Other"}, {131, "TCP"},       {128 + 22, "Other"}};
  for (const auto& c : cases) EXPECT_EQ(SubProtocolName(c.value), c.name) << c.value;
}

TEST(NameTables, IpxSockets) {
  const NamedValue cases[] = {
      {0x0451, "NCP"}, {0x0457, "Serialize"}, {0x0454, "0454"}, {0x4000, "4000"}, {0xABCD, "ABCD"}};
  for (const auto& c : cases) EXPECT_EQ(IpxSocketName(static_cast<uint16_t>(c.value)), c.name) << c.value;
}

TEST(NameTables, BuiltInPorts) {
  // Rows that share a name, both ends of the table, and ports between its entries.
  const NamedValue cases[] = {{20, "FTP Data"}, {67, "Bootp"}, {68, "Bootp"}, {127, "Sun RPC"}, {2638, "Sybase"},
                              {1575, "Oracle"}, {3301, "SAP"}, {0, ""},       {22, ""},         {65535, ""}};
  for (const auto& c : cases) EXPECT_EQ(BuiltInPortName(static_cast<uint16_t>(c.value)), c.name) << c.value;
}

}  // namespace
}  // namespace corvanta

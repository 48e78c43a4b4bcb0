#include <gtest/gtest.h>

#include "decode/CaptureModel.h"
#include "naming/LearnedNames.h"

namespace corvanta {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(LearnedNames, FirstNameWins) {
  CaptureModel model;
  Bytes ip = {10, 1, 2, 3};
  EXPECT_EQ(LookupLearnedName(model, ip), "");
  EXPECT_TRUE(AddLearnedName(model, ip, "from-names-file"));
  EXPECT_FALSE(AddLearnedName(model, ip, "from-dns-answer"));
  EXPECT_EQ(LookupLearnedName(model, ip), "from-names-file");
  EXPECT_EQ(model.Names.Count(), 1);
}

TEST(LearnedNames, CutToFortyOneCharacters) {
  CaptureModel model;
  Bytes mac = {0, 0xA0, 0xC9, 1, 2, 3};
  std::string longName(100, 'n');
  longName[40] = 'L';
  EXPECT_TRUE(AddLearnedName(model, mac, longName));
  std::string_view stored = LookupLearnedName(model, mac);
  EXPECT_EQ(stored.size(), 41u);
  EXPECT_EQ(stored.back(), 'L');
}

TEST(LearnedNames, AddressLengthsAreSeparateKeys) {
  CaptureModel model;
  // An IP address, a MAC address and an IPX address that share leading bytes.
  Bytes ip = {0, 0, 0, 1};
  Bytes mac = {0, 0, 0, 1, 0, 0};
  Bytes ipx = {0, 0, 0, 1, 0, 0, 0x0C, 1, 2, 3};
  AddLearnedName(model, ip, "ip");
  AddLearnedName(model, mac, "mac");
  AddLearnedName(model, ipx, "ipx");
  EXPECT_EQ(LookupLearnedName(model, ip), "ip");
  EXPECT_EQ(LookupLearnedName(model, mac), "mac");
  EXPECT_EQ(LookupLearnedName(model, ipx), "ipx");
  EXPECT_EQ(LookupLearnedName(model, Bytes{0, 0, 0}), "");
}

TEST(LearnedNames, EmptyNameDoesNotHideALaterOne) {
  CaptureModel model;
  Bytes ip = {192, 168, 0, 1};
  EXPECT_FALSE(AddLearnedName(model, ip, ""));
  EXPECT_TRUE(AddLearnedName(model, ip, "router"));
  EXPECT_EQ(LookupLearnedName(model, ip), "router");
}

TEST(LearnedNames, ManyNamesStayFindable) {
  CaptureModel model;
  for (int i = 0; i < 5000; ++i)
    ASSERT_TRUE(AddLearnedName(model, Bytes{10, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)},
                               "host" + std::to_string(i)));
  for (int i = 0; i < 5000; i += 7)
    ASSERT_EQ(LookupLearnedName(model, Bytes{10, 0, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}),
              "host" + std::to_string(i));
}

}  // namespace
}  // namespace corvanta

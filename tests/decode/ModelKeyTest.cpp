#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decode/ModelTypes.h"

namespace corvanta {
namespace {

AddressKey Key(std::vector<uint8_t> bytes) { return AddressKey::Of(bytes.data(), bytes.size()); }

TEST(ModelKey, OrderingIsUnsignedBytewiseWithPrefixFirst) {
  EXPECT_LT(Key({1, 2}), Key({1, 2, 0}));  // a proper prefix sorts first
  EXPECT_LT(Key({}), Key({0}));
  EXPECT_LT(Key({0x7F}), Key({0x80}));              // bytes compare unsigned
  EXPECT_LT(Key({0x00, 0xFF, 0xFF}), Key({0xFF}));  // the first differing byte decides before length
  EXPECT_GT(Key({2}), Key({1, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Key({1, 2, 3}), Key({1, 2, 3}));
  EXPECT_NE(Key({1, 2, 3}), Key({1, 2, 3, 0x20}));  // the length takes part even when padding would match
}

TEST(ModelKey, IpAndIpxKeysOrderByBytesThenLength) {
  AddressKey ip = Key({10, 0, 0, 1});
  AddressKey ipxSameNet = Key({10, 0, 0, 1, 0, 0, 0xC0, 0, 0, 1});
  AddressKey ipxLowerNet = Key({9, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(ip.Length, kIpKeyLength);
  EXPECT_EQ(ipxSameNet.Length, kIpxKeyLength);
  EXPECT_LT(ip, ipxSameNet);
  EXPECT_LT(ipxLowerNet, ip);
}

TEST(ModelKey, ConstructionPadsWithSpacesAndCutsAtCapacity) {
  AddressKey mac = Key({0, 0, 0x0C, 1, 2, 3});
  EXPECT_EQ(mac.Length, kMacKeyLength);
  EXPECT_EQ(mac.Bytes[6], 0x20);
  EXPECT_EQ(mac.Bytes[9], 0x20);
  EXPECT_EQ(AddressKey{}.Bytes[0], 0x20);

  std::vector<uint8_t> twelve(12, 7);
  EXPECT_EQ(AddressKey::Of(twelve.data(), twelve.size()).Length, 10);
  EXPECT_EQ(NameKey::Of(twelve.data(), twelve.size()).Length, 12);

  // A name key made from an address key holds the same bytes and compares with its peers.
  NameKey fromMac = NameKey::From(mac);
  EXPECT_EQ(fromMac, NameKey::Of(mac.View()));
  EXPECT_EQ(fromMac.Length, 6);
}

TEST(ModelKey, KeyFromFrameDataReadsZeroPastTheEnd) {
  uint8_t frame[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  AddressKey k = AddressKey::At(ByteView(frame, sizeof frame), 4, 6);
  EXPECT_EQ(k, Key({5, 6, 7, 8, 0, 0}));
  EXPECT_EQ(AddressKey::At(ByteView(frame, sizeof frame), 100, 4), Key({0, 0, 0, 0}));
}

// Addresses inside the frame are read in whole words; they must equal the same bytes read
// one by one, and compare and hash alike whichever way they were made.
TEST(ModelKey, WordReadKeysEqualByteReadKeys) {
  std::vector<uint8_t> frame(40);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(0xF0 ^ (i * 37));
  const ByteView view(frame.data(), frame.size());
  for (size_t count : {4u, 6u, 10u}) {
    for (size_t offset = 0; offset + count <= frame.size(); ++offset) {
      AddressKey word = AddressKey::At(view, offset, count);
      AddressKey bytes = AddressKey::Of(frame.data() + offset, count);
      ASSERT_EQ(word, bytes) << count << "@" << offset;
      ASSERT_EQ(word <=> bytes, std::strong_ordering::equal);
      ASSERT_EQ(word.Length, count);
      for (size_t i = count; i < AddressKey::kCapacity; ++i) ASSERT_EQ(word.Bytes[i], 0x20);
    }
  }
  // One byte more or fewer is another key.
  EXPECT_NE(AddressKey::At(view, 0, 6), AddressKey::At(view, 0, 4));
  EXPECT_NE(AddressKey::At(view, 0, 6), AddressKey::At(view, 1, 6));
}

TEST(ModelKey, ShortStringCutsAt41) {
  TNameHead head;
  head.Name.Assign(std::string(60, 'x'));
  EXPECT_EQ(head.Name.View(), std::string(41, 'x'));
  head.Name.Assign("FS1");
  EXPECT_EQ(head.Name.View(), "FS1");
}

TEST(ModelKey, SetsIgnoreMembersBeyondTheirWidth) {
  uint8_t encaps = 0;
  AddToSet(encaps, kEncapSnap);
  AddToSet(encaps, 8);  // beyond a byte: ignored
  EXPECT_EQ(encaps, 0x08);
  EXPECT_TRUE(InSet(encaps, kEncapSnap));
  EXPECT_FALSE(InSet(encaps, 200));

  uint32_t categories = 0;
  AddToSet(categories, kCatOther);
  EXPECT_EQ(categories, 1u << 16);

  FrameStatusSet status = 0;
  AddToSet(status, kFrameStatusGood);
  AddToSet(status, kFrameStatusCrcError);
  EXPECT_EQ(status, 0x09);
}

TEST(ModelKey, PortBasedSubProtocols) {
  int portBased = 0;
  for (int s = 0; s < kSubProtocolCount; ++s) portBased += IsPortBased(static_cast<SubProtocol>(s)) ? 1 : 0;
  EXPECT_EQ(portBased, 7);
  EXPECT_TRUE(IsPortBased(kSubPBurst));
  EXPECT_FALSE(IsPortBased(kSubNcp));
  EXPECT_FALSE(IsPortBased(kSubIcmp));
}

}  // namespace
}  // namespace corvanta

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "decode/InternetChecksum.h"
#include "decode/NetworkProtocols.h"
#include "naming/UserPorts.h"

namespace corvanta {
namespace {

TEST(IpProtocolIndex, MapsTheListedProtocolsAndEverythingElseToOtherIp) {
  EXPECT_EQ(IpProtocolIndex(1), kSubIcmp);
  EXPECT_EQ(IpProtocolIndex(2), kSubIgmp);
  EXPECT_EQ(IpProtocolIndex(3), kSubGgp);
  EXPECT_EQ(IpProtocolIndex(6), kSubTcp);
  EXPECT_EQ(IpProtocolIndex(8), kSubEgp);
  EXPECT_EQ(IpProtocolIndex(17), kSubUdp);
  EXPECT_EQ(IpProtocolIndex(88), kSubIgrp);
  for (int other : {0, 4, 5, 7, 41, 47, 50, 89, 255})
    EXPECT_EQ(IpProtocolIndex(static_cast<uint8_t>(other)), kSubOtherIp);
}

TEST(IpxSubProtocol, TypesZeroAndFourGoBySourceSocketThenDestination) {
  for (uint8_t type : {0, 4}) {
    EXPECT_EQ(IpxSubProtocol(type, 0x0451, 0x4003, 0).sub, kSubNcp);
    EXPECT_EQ(IpxSubProtocol(type, 0x0452, 0x0453, 0).sub, kSubSap);  // the source decides first
    EXPECT_EQ(IpxSubProtocol(type, 0x4003, 0x0453, 0).sub, kSubRip);
    EXPECT_EQ(IpxSubProtocol(type, 0x4003, 0x0455, 0).sub, kSubNetBios);
    EXPECT_EQ(IpxSubProtocol(type, 0x0550, 0x4003, 0).sub, kSubSmb);
    EXPECT_EQ(IpxSubProtocol(type, 0x4003, 0x0554, 0).sub, kSubSmb);
    EXPECT_EQ(IpxSubProtocol(type, 0x0555, 0x054F, 0).sub, kSubOtherIpx);
    EXPECT_EQ(IpxSubProtocol(type, 0x0456, 0x4003, 0).sub, kSubOtherIpx);
  }
}

TEST(IpxSubProtocol, OtherPacketTypes) {
  EXPECT_EQ(IpxSubProtocol(1, 0, 0, 0).sub, kSubRip);
  EXPECT_EQ(IpxSubProtocol(2, 0, 0, 0).sub, kSubEcho);
  EXPECT_EQ(IpxSubProtocol(3, 0, 0, 0).sub, kSubError);
  EXPECT_EQ(IpxSubProtocol(5, 0, 0, 0x8000).sub, kSubSpx);
  EXPECT_EQ(IpxSubProtocol(5, 0, 0, 0x0800).sub, kSubSpx2);  // data[0] bit 0x08
  EXPECT_EQ(IpxSubProtocol(5, 0, 0, 0x0008).sub, kSubSpx);   // data[1] does not count
  EXPECT_EQ(IpxSubProtocol(0x14, 0, 0, 0).sub, kSubWanBroadcast);
  EXPECT_EQ(IpxSubProtocol(25, 0, 0, 0).sub, kSubNetWareLite);
  EXPECT_EQ(IpxSubProtocol(26, 0, 0, 0).sub, kSubNetWareLite);
  for (int other : {6, 7, 16, 18, 19, 21, 24, 27, 255})
    EXPECT_EQ(IpxSubProtocol(static_cast<uint8_t>(other), 0x0451, 0x0451, 0x2222).sub, kSubOtherIpx) << other;
}

TEST(IpxSubProtocol, NcpPacketTypeByItsFirstWord) {
  EXPECT_EQ(IpxSubProtocol(0x11, 0x4001, 0x4002, 0x1111).sub, kSubLipEcho);
  EXPECT_EQ(IpxSubProtocol(0x11, 0x4000, 0x4002, 0x1111).sub, kSubNcp);  // both must be above 0x4000
  EXPECT_EQ(IpxSubProtocol(0x11, 0x4001, 0x0451, 0x1111).sub, kSubNcp);
  EXPECT_EQ(IpxSubProtocol(0x11, 0x4001, 0x0451, 0x7777).sub, kSubPBurst);
  EXPECT_EQ(IpxSubProtocol(0x11, 0x4001, 0x0451, 0x2222).sub, kSubNcp);
  EXPECT_FALSE(IpxSubProtocol(0x11, 0x4001, 0x0451, 0x2222).serverBusy);
  IpxKind busy = IpxSubProtocol(0x11, 0x0451, 0x4001, 0x9999);
  EXPECT_EQ(busy.sub, kSubNcp);
  EXPECT_TRUE(busy.serverBusy);
  EXPECT_FALSE(IpxSubProtocol(0, 0x0451, 0x4001, 0x9999).serverBusy);
}

TEST(IcmpDirection, RepliesAndRequestsByType) {
  for (int reply : {0, 3, 4, 5, 9, 11, 12, 13, 16, 18, 34, 36})
    EXPECT_EQ(IcmpDirection(static_cast<uint8_t>(reply)), kPacketReply) << reply;
  for (int request : {1, 2, 6, 7, 8, 10, 14, 15, 17, 33, 35, 37, 40, 255})
    EXPECT_EQ(IcmpDirection(static_cast<uint8_t>(request)), kPacketRequest) << request;
}

TEST(ServerDirection, TheLowerPortServesWhenEitherIsBelow1024) {
  EXPECT_EQ(ServerDirection(1025, 80, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(80, 1025, nullptr), kPacketReply);
  EXPECT_EQ(ServerDirection(1433, 80, nullptr), kPacketRequest);  // a known high port does not beat 80
  EXPECT_EQ(ServerDirection(20, 21, nullptr), kPacketReply);
  EXPECT_EQ(ServerDirection(53, 53, nullptr), 0);
  EXPECT_EQ(ServerDirection(0, 0, nullptr), 0);
}

TEST(ServerDirection, KnownHighPortsBeforeTheLowerPortRule) {
  EXPECT_EQ(ServerDirection(1100, 1200, nullptr), kPacketReply);
  EXPECT_EQ(ServerDirection(1200, 1100, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(2000, 2000, nullptr), 0);
  EXPECT_EQ(ServerDirection(5000, 1433, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(1433, 5000, nullptr), kPacketReply);
  EXPECT_EQ(ServerDirection(1433, 1352, nullptr), kPacketRequest);  // the destination is asked first
  EXPECT_EQ(ServerDirection(1352, 1433, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(60000, 65535, nullptr), kPacketReply);
}

TEST(ServerDirection, UserPortsCountAsKnown) {
  UserPorts ports;
  ports.Add(UserPorts::MakeItem("5000", "Billing"));
  EXPECT_EQ(ServerDirection(6000, 5000, &ports), kPacketRequest);
  EXPECT_EQ(ServerDirection(5000, 6000, &ports), kPacketReply);
  EXPECT_EQ(ServerDirection(5000, 4000, &ports), kPacketReply);
  EXPECT_EQ(ServerDirection(5000, 4000, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(6000, 5000, nullptr), kPacketRequest);
  EXPECT_EQ(ServerDirection(5000, 6000, nullptr), kPacketReply);
}

// Word-by-word reference.
uint16_t ReferenceSum(const std::vector<uint8_t>& bytes, size_t from, size_t count, uint32_t initial) {
  uint64_t sum = initial;
  for (size_t i = 0; i < count; i += 2) {
    uint32_t hi = bytes[from + i];
    uint32_t lo = i + 1 < count ? bytes[from + i + 1] : 0;
    sum += hi << 8 | lo;
  }
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(sum);
}

TEST(InternetChecksum, KnownValues) {
  const uint8_t rfc1071[] = {0x00, 0x01, 0xF2, 0x03, 0xF4, 0xF5, 0xF6, 0xF7};
  EXPECT_EQ(OnesComplementSum(rfc1071, sizeof rfc1071), 0xDDF2);
  EXPECT_EQ(InternetChecksum(rfc1071, sizeof rfc1071), 0x220D);
  // A real IPv4 header (checksum field zeroed) and its checksum.
  const uint8_t header[] = {0x45, 0x00, 0x00, 0x73, 0x00, 0x00, 0x40, 0x00, 0x40, 0x11,
                            0x00, 0x00, 0xC0, 0xA8, 0x00, 0x01, 0xC0, 0xA8, 0x00, 0xC7};
  EXPECT_EQ(InternetChecksum(header, sizeof header), 0xB861);
  EXPECT_EQ(InternetChecksum(nullptr, 0), 0xFFFF);
  const uint8_t odd[] = {0x12, 0x34, 0x56};
  EXPECT_EQ(OnesComplementSum(odd, 3), 0x6834);            // the odd byte is a high byte
  EXPECT_EQ(OnesComplementSum(odd, 3, 0x1'0000), 0x6835);  // initial folds too
}

TEST(InternetChecksum, AgreesWithWordByWordSumsAtAnyAlignmentAndLength) {
  std::mt19937 random(7);
  std::vector<uint8_t> bytes(300);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  for (size_t from = 0; from < 9; ++from)
    for (size_t count = 0; count + from <= bytes.size(); count += 1 + count / 7)
      for (uint32_t initial : {0u, 0xFFFFu, 0x2FFFDu}) {
        ASSERT_EQ(OnesComplementSum(bytes.data() + from, count, initial), ReferenceSum(bytes, from, count, initial))
            << from << " " << count << " " << initial;
        if (initial == 0 && count <= 64) {
          ASSERT_EQ(ShortOnesComplementSum(bytes.data() + from, count), ReferenceSum(bytes, from, count, 0)) << count;
        }
      }
  std::vector<uint8_t> ones(1500, 0xFF);
  EXPECT_EQ(OnesComplementSum(ones.data(), ones.size()), 0xFFFF);
  // Over more than one of the wide loop's blocks (512 KiB).
  std::vector<uint8_t> large((size_t{1} << 20) + 37);
  for (uint8_t& b : large) b = static_cast<uint8_t>(random() | 0x80);
  EXPECT_EQ(OnesComplementSum(large.data() + 1, large.size() - 1), ReferenceSum(large, 1, large.size() - 1, 0));
  large.assign((size_t{1} << 20) + 36, 0xFF);
  EXPECT_EQ(OnesComplementSum(large.data(), large.size()), 0xFFFF);
  // Only all-zero data sums to 0; words that cancel out sum to 0xFFFF.
  std::vector<uint8_t> zeros(1500, 0);
  EXPECT_EQ(OnesComplementSum(zeros.data(), zeros.size()), 0);
  EXPECT_EQ(ShortOnesComplementSum(zeros.data(), 64), 0);
  std::vector<uint8_t> cancel(64, 0);
  cancel[0] = 0x80;
  cancel[30] = 0x7F;
  cancel[31] = 0xFF;
  EXPECT_EQ(OnesComplementSum(cancel.data(), cancel.size()), ReferenceSum(cancel, 0, cancel.size(), 0));
  EXPECT_EQ(OnesComplementSum(cancel.data(), cancel.size()), 0xFFFF);
}

TEST(InternetChecksum, PiecesChainThroughTheInitialValue) {
  std::vector<uint8_t> bytes(101);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  uint16_t head = OnesComplementSum(bytes.data(), 40);
  EXPECT_EQ(OnesComplementSum(bytes.data() + 40, 61, head), OnesComplementSum(bytes.data(), 101));
}

TEST(InternetChecksum, TheTwoZerosAgree) {
  EXPECT_TRUE(ChecksumsAgree(0x1234, 0x1234));
  EXPECT_FALSE(ChecksumsAgree(0x1234, 0x1235));
  EXPECT_TRUE(ChecksumsAgree(0x0000, 0xFFFF));
  EXPECT_TRUE(ChecksumsAgree(0xFFFF, 0x0000));
  EXPECT_FALSE(ChecksumsAgree(0x0000, 0xFFFE));
}

}  // namespace
}  // namespace corvanta

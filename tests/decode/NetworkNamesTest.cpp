#include <gtest/gtest.h>

#include <string>

#include "NetworkTestBench.h"
#include "decode/NetworkNames.h"
#include "naming/LearnedNames.h"

namespace corvanta::testing {
namespace {

class NetworkNames : public NetworkBench {
 protected:
  void FeedDnsReply(const Bytes& message) { Feed(EtherIp(IpUdp(kIpC, kIpA, 53, 1025, message), kMacA, kMacB)); }
  std::string NameOf(const Ip4Addr& a) const { return std::string(LookupLearnedName(model, IpKey(a).View())); }
};

void PutName(Bytes& out, std::initializer_list<std::string_view> labels) {
  for (std::string_view l : labels) {
    out.push_back(static_cast<uint8_t>(l.size()));
    out.insert(out.end(), l.begin(), l.end());
  }
}

// A record with its owner named by a pointer.
void PutRecord(Bytes& out, uint16_t owner, uint16_t type, const Bytes& data) {
  PutBe16(out, static_cast<uint16_t>(0xC000 | owner));
  PutBe16(out, type);
  PutBe16(out, 1);
  PutBe32(out, 300);
  PutBe16(out, static_cast<uint16_t>(data.size()));
  Append(out, data);
}

Bytes DnsHeader(uint8_t questions, uint8_t answers) {
  return {0x12, 0x34, 0x81, 0x80, 0, questions, 0, answers, 0, 0, 0, 0};
}

TEST_F(NetworkNames, ARecordsOfADnsReplyAreLearned) {
  const Ip4Addr second = {192, 168, 1, 9};
  FeedDnsReply(DnsAnswer(1, "www.example.com", {{10, 9, 9, 9}, second}));
  EXPECT_EQ(NameOf({10, 9, 9, 9}), "www.example.com");
  EXPECT_EQ(NameOf(second), "www.example.com");
  // The first name stays.
  FeedDnsReply(DnsAnswer(2, "other.example.com", {second}));
  EXPECT_EQ(NameOf(second), "www.example.com");
  // Without the response bit nothing is read.
  Bytes query = DnsAnswer(3, "query.example", {{10, 1, 1, 1}});
  query[2] &= 0x7F;
  FeedDnsReply(query);
  EXPECT_EQ(NameOf({10, 1, 1, 1}), "");
}

TEST_F(NetworkNames, RecordsAfterACnameAreFoundByTheirLength) {
  Bytes m = DnsHeader(1, 2);
  PutName(m, {"www", "example", "com"});  // at 12; "example.com" at 16
  m.push_back(0);
  PutBe16(m, 1);
  PutBe16(m, 1);
  Bytes cname;
  PutName(cname, {"edge", "cdn"});
  PutBe16(cname, 0xC010);
  const uint16_t cnameAt = static_cast<uint16_t>(m.size() + 12);
  PutRecord(m, 12, 5, cname);
  PutRecord(m, cnameAt, 1, {10, 7, 7, 7});
  FeedDnsReply(m);
  EXPECT_EQ(NameOf({10, 7, 7, 7}), "edge.cdn.example.com");
  EXPECT_EQ(model.Names.Count(), 1);
}

TEST_F(NetworkNames, OnlyTypeOneWithFourBytesIsAnAddress) {
  Bytes m = DnsHeader(1, 3);
  const uint16_t nameAt = static_cast<uint16_t>(m.size());
  PutName(m, {"host"});
  m.push_back(0);
  PutBe16(m, 1);
  PutBe16(m, 1);
  PutRecord(m, nameAt, 257, {10, 5, 5, 5});  // CAA: the low byte of its type is 1
  PutRecord(m, nameAt, 1, {10, 6, 6, 6, 6});
  PutRecord(m, nameAt, 1, {10, 8, 8, 8});
  FeedDnsReply(m);
  EXPECT_EQ(NameOf({10, 5, 5, 5}), "");
  EXPECT_EQ(NameOf({10, 6, 6, 6}), "");
  EXPECT_EQ(NameOf({10, 8, 8, 8}), "host");
}

TEST_F(NetworkNames, CountsRunningPastTheMessageEndQuietly) {
  Bytes m = DnsAnswer(1, "a.example", {{10, 2, 2, 2}});
  m[7] = 200;
  FeedDnsReply(m);
  EXPECT_EQ(NameOf({10, 2, 2, 2}), "a.example");
  m[5] = 255;  // questions that never end
  FeedDnsReply(m);
  EXPECT_EQ(model.Names.Count(), 1);
}

TEST_F(NetworkNames, BadNamesTeachNothing) {
  Bytes outside = DnsHeader(0, 1);
  PutRecord(outside, 0x3FF0, 1, {10, 3, 3, 3});  // owner far outside the message
  FeedDnsReply(outside);
  Bytes longLabel = DnsHeader(0, 1);
  longLabel.push_back(60);  // a label running past the end
  longLabel.push_back('x');
  longLabel.push_back(0);
  PutRecord(longLabel, 12, 1, {10, 3, 3, 4});
  FeedDnsReply(longLabel);
  Bytes loop = DnsHeader(0, 1);
  PutBe16(loop, 0xC00E);  // a pointer to the next pointer
  PutBe16(loop, 0xC00C);
  PutRecord(loop, 12, 1, {10, 3, 3, 5});
  FeedDnsReply(loop);
  EXPECT_EQ(model.Names.Count(), 0);
}

TEST(ReadDnsName, FollowsPointersAndCutsAt41Characters) {
  Bytes m(12, 0);
  PutName(m, {"abc", "de"});
  m.push_back(0);
  PutName(m, {"x"});
  PutBe16(m, 0xC00C);
  NameBuffer name;
  ASSERT_TRUE(ReadDnsName(ByteView(m.data(), m.size()), 20, name));
  EXPECT_EQ(name.View(), "x.abc.de");

  Bytes big(12, 0);
  PutName(big, {std::string(30, 'a'), std::string(30, 'b')});
  big.push_back(0);
  NameBuffer cut;
  ASSERT_TRUE(ReadDnsName(ByteView(big.data(), big.size()), 12, cut));
  EXPECT_EQ(cut.View(), std::string(30, 'a') + "." + std::string(10, 'b'));

  NameBuffer self;
  Bytes loop = {0xC0, 0x00};
  EXPECT_FALSE(ReadDnsName(ByteView(loop.data(), loop.size()), 0, self));
  NameBuffer reserved;
  Bytes flags = {0x41, 'a', 0};
  EXPECT_FALSE(ReadDnsName(ByteView(flags.data(), flags.size()), 0, reserved));
  NameBuffer empty;
  EXPECT_FALSE(ReadDnsName(ByteView(), 0, empty));
}

}  // namespace
}  // namespace corvanta::testing

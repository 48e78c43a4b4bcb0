#include <gtest/gtest.h>

#include <string>

#include "NetworkTestBench.h"
#include "naming/LearnedNames.h"

namespace corvanta::testing {
namespace {

const IpxAddress kServer = {0x00000010, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x01}, kNcpSocket};
const IpxAddress kClient = {0x00000020, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x02}, 0x4003};

IpxAddress WithSocket(IpxAddress a, uint16_t socket) {
  a.socket = socket;
  return a;
}

class NetworkIpx : public NetworkBench {
 protected:
  void FeedIpx(uint8_t type, const IpxAddress& dst, const IpxAddress& src, const Bytes& data, uint8_t tc = 0,
               const MacAddr& dstMac = kMacB) {
    Feed(EtherIpx(IpxPacket(type, dst, src, data, tc), dstMac));
  }
  std::string NameOf(const AddressKey& key) const { return std::string(LookupLearnedName(model, key.View())); }
};

TEST_F(NetworkIpx, NcpRequestsAndReplies) {
  FeedIpx(0x11, kServer, kClient, NcpRequest(7, 3, 1, 0x48, Filler(10)), 0x13);
  const TPacket& read = Newest();
  EXPECT_EQ(read.Flags, kPacketRequest | kPacketRead);
  EXPECT_EQ(read.Function(), 0x48);
  EXPECT_EQ(read.Sequence, 7u);
  EXPECT_EQ(read.TTL, 3);  // the hop count of the transport control
  EXPECT_EQ(read.HeaderLength, 30);
  EXPECT_EQ(read.TotalLength, 30 + 7 + 10);
  EXPECT_EQ(read.TransportHeaderLength, 0);

  FeedIpx(0x11, kServer, kClient, NcpRequest(8, 3, 1, 0x49, {}));
  EXPECT_EQ(Newest().Flags, kPacketRequest | kPacketWrite);
  FeedIpx(0x11, kServer, kClient, NcpRequest(9, 3, 1, 0x17, {}));
  EXPECT_EQ(Newest().Flags, kPacketRequest);

  FeedIpx(0x11, kClient, kServer, NcpReply(9, 3, 1, 0, 0, {}));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(Newest().Sequence, 9u);
  EXPECT_EQ(Newest().Function(), 0);

  Bytes busy = NcpReply(9, 3, 1, 0, 0, {});
  busy[0] = busy[1] = 0x99;
  FeedIpx(0x11, kClient, kServer, busy);
  EXPECT_EQ(Newest().Flags, kPacketReply | kPacketServerBusy);

  Bytes other = NcpRequest(10, 3, 1, 0x48, {});
  other[0] = other[1] = 0x44;  // neither request nor reply: no sequence
  FeedIpx(0x11, kServer, kClient, other);
  EXPECT_EQ(Newest().Flags, 0);
  EXPECT_EQ(Newest().Sequence, 0u);

  const NetAddressNode* client = model.NetAddresses.Find(IpxKey(kClient));
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->Category, kCatIpx);
  EXPECT_EQ(model.Counts.IpxAddresses, 2);
  EXPECT_EQ(model.Counts.SendingIpxAddresses, 2);
  EXPECT_EQ(model.Counts.IpAddresses, 0);
  // NCP has one conversation per direction, whatever the sockets.
  const TNetPeer* peer = Peer(IpxKey(kClient), IpxKey(kServer));
  ASSERT_NE(peer, nullptr);
  EXPECT_EQ(peer->Packets, 4);
  EXPECT_EQ(model.Objects.PacketsBySubProtocol(*peer)[kSubNcp], 4);
  EXPECT_EQ(PacketsOf(Conversation(IpxKey(kClient), IpxKey(kServer), 0x4003, kNcpSocket)).size(), 4u);
}

TEST_F(NetworkIpx, SpxAndSpx2FieldsAndConnectionIds) {
  FeedIpx(5, WithSocket(kServer, 0x8060), kClient, SpxHeader(0x40, 0, 0x1234, 0x5678, 7, 3, 5));
  const TPacket& p = Newest();
  EXPECT_EQ(p.Flags, kPacketRequest);
  EXPECT_EQ(p.TransportHeaderLength, 12);
  EXPECT_EQ(p.Sequence, 7u);
  EXPECT_EQ(p.Acknowledge, 3u);
  const TTransHead* c = Conversation(IpxKey(kClient), IpxKey(kServer), 0x1234, 0x5678);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->SubProtocol, kSubSpx);

  FeedIpx(5, kClient, WithSocket(kServer, 0x8060), SpxHeader(0x80 | 0x08, 0, 0x5678, 0x1234, 3, 8, 5));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  const TTransHead* back = Conversation(IpxKey(kServer), IpxKey(kClient), 0x5678, 0x1234);
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->SubProtocol, kSubSpx2);
}

TEST_F(NetworkIpx, NetBiosOverIpxFieldsAndNames) {
  Bytes data(60, 0);
  data[0] = 0x80;
  data[1] = 2;  // a name claim: no direction, the name is learned
  data[2] = 0x34;
  data[3] = 0x12;
  data[4] = 0x78;
  data[5] = 0x56;
  data[6] = 0x02;
  data[7] = 0x01;
  data[14] = 0x04;
  data[15] = 0x03;
  const std::string name = "WORKSTATION1   \x20";
  std::copy(name.begin(), name.end(), data.begin() + 34);
  const IpxAddress src = WithSocket(kClient, kNetBiosIpxSocket);
  FeedIpx(4, WithSocket(kServer, kNetBiosIpxSocket), src, data);
  EXPECT_EQ(Newest().Flags, 0);
  EXPECT_EQ(Newest().Sequence, 0x0102u);
  EXPECT_EQ(Newest().Acknowledge, 0x0304u);
  EXPECT_NE(Conversation(IpxKey(src), IpxKey(kServer), 0x1234, 0x5678), nullptr);
  EXPECT_EQ(NameOf(IpxKey(src)), "WORKSTATION1");

  data[1] = 1;
  FeedIpx(4, WithSocket(kServer, kNetBiosIpxSocket), src, data);
  EXPECT_EQ(Newest().Flags, kPacketReply);
  data[0] = 0;
  FeedIpx(4, WithSocket(kServer, kNetBiosIpxSocket), src, data);
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  EXPECT_EQ(model.Names.Count(), 1);
}

TEST_F(NetworkIpx, SmbAndPacketBurst) {
  Bytes smb(40, 0);
  smb[30] = 0x0A;
  smb[31] = 0x0B;
  FeedIpx(4, kClient, WithSocket(kServer, 0x0550), smb);
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(Newest().Sequence, 0x0A0Bu);
  FeedIpx(4, WithSocket(kServer, 0x0553), WithSocket(kClient, 0x0552), smb);
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  FeedIpx(4, WithSocket(kServer, 0x0553), WithSocket(kClient, 0x0551), smb);
  EXPECT_EQ(Newest().Flags, 0);

  Bytes burst(60, 0);
  burst[0] = burst[1] = 0x77;
  burst[21] = 5;  // burst sequence
  burst[23] = 5;  // acknowledge sequence
  burst[36] = 1;  // read
  FeedIpx(0x11, kServer, kClient, burst);
  EXPECT_EQ(Newest().Flags, kPacketRequest | kPacketRead);
  EXPECT_EQ(Newest().Sequence, 5u);
  burst[36] = 2;
  burst[21] = 6;
  burst[23] = 4;
  FeedIpx(0x11, kServer, kClient, burst);
  EXPECT_EQ(Newest().Flags, kPacketReply | kPacketWrite);
  burst[28] = 1;  // a burst offset: not the first fragment
  FeedIpx(0x11, kServer, kClient, burst);
  EXPECT_EQ(Newest().Flags, kPacketReply);
}

TEST_F(NetworkIpx, NovellRawFramesAreDecodedToo) {
  Feed(PadFrame(EthernetNovellRaw(kMacB, kMacA, IpxPacket(0x11, kServer, kClient, NcpRequest(1, 3, 1, 0x48, {})))));
  EXPECT_EQ(Newest().Flags, kPacketRequest | kPacketRead);
}

TEST_F(NetworkIpx, SapRepliesNameTheirServices) {
  const IpxAddress fs1 = {0x00000030, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x03}, 0x0451};
  const IpxAddress fs2 = {0x00000040, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x04}, 0x0451};
  std::vector<SapEntry> entries = {{4, "FS1", fs1, 1}, {4, "FS2", fs2, 2}};
  FeedIpx(4, WithSocket(kClient, kSapSocket), WithSocket(kServer, kSapSocket), SapResponse(2, entries));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(NameOf(IpxKey(fs1)), "FS1");
  EXPECT_EQ(NameOf(IpxKey(fs2)), "FS2");
  EXPECT_EQ(NameOf(MacKey(kMacA)), "FS1");  // one hop away: the sender itself
  EXPECT_EQ(model.Names.Count(), 3);

  // The direction goes by the destination socket alone.
  FeedIpx(4, WithSocket(kServer, 0x4003), WithSocket(kClient, kSapSocket), SapResponse(4, entries));
  EXPECT_EQ(Newest().Flags, kPacketRequest);
  FeedIpx(4, WithSocket(kServer, kSapSocket), WithSocket(kClient, 0x4003), SapQuery(1, 4));
  EXPECT_EQ(Newest().Flags, kPacketReply);
  EXPECT_EQ(model.Names.Count(), 3);
}

TEST_F(NetworkIpx, SapNamesNeedAClosingZeroWithinTheFirst41Bytes) {
  const IpxAddress fs = {0x00000030, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x03}, 0x0451};
  std::vector<SapEntry> entries = {{4, std::string(41, 'L'), fs, 1}, {4, std::string(40, 'M'), kClient, 3}};
  FeedIpx(4, WithSocket(kClient, kSapSocket), WithSocket(kServer, kSapSocket), SapResponse(2, entries));
  EXPECT_EQ(NameOf(IpxKey(fs)), "");
  EXPECT_EQ(NameOf(IpxKey(kClient)), std::string(40, 'M'));
}

TEST_F(NetworkIpx, SapReadsOnlyTheEntriesOfThePacket) {
  const IpxAddress fs = {0x00000030, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x03}, 0x0451};
  Bytes frameBytes = EtherIpx(IpxPacket(4, WithSocket(kClient, kSapSocket), WithSocket(kServer, kSapSocket),
                                        SapResponse(2, {{4, "FS1", fs, 3}})));
  // Trailing bytes after the packet look like one more entry.
  Bytes trailer(64, 0);
  trailer[2] = 'X';
  trailer[50] = 0x99;
  Append(frameBytes, trailer);
  Feed(frameBytes);
  EXPECT_EQ(NameOf(IpxKey(fs)), "FS1");
  EXPECT_EQ(model.Names.Count(), 1);
}

TEST_F(NetworkIpx, SapLengthBeyondTheFrameEndsQuietly) {
  const IpxAddress fs = {0x00000030, {0x00, 0x00, 0x1B, 0x00, 0x00, 0x03}, 0x0451};
  Bytes ipx = IpxPacket(4, WithSocket(kClient, kSapSocket), WithSocket(kServer, kSapSocket),
                        SapResponse(2, {{4, "FS1", fs, 3}}));
  ipx[2] = 0x7F;  // a length of 32 KB
  Feed(EtherIpx(ipx));
  EXPECT_EQ(NameOf(IpxKey(fs)), "FS1");
  EXPECT_EQ(model.Names.Count(), 1);
  EXPECT_EQ(Newest().TotalLength, 0x7F00 | ipx[3]);
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include "analysis/ModelBuilder.h"
#include "analysis/Selection.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::ModelBuilder;

const AddressKey kA = Ip(10, 0, 0, 1);
const AddressKey kB = Ip(10, 0, 0, 2);
const AddressKey kC = Ip(10, 0, 0, 3);

TEST(SelectionTest, FindsPeersByAddress) {
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  int32_t ac = b.Peer(kA, kC);
  const NetAddressNode& a = *b.model.NetAddresses.Find(kA);
  EXPECT_EQ(FindNetPeer(b.model, a, kB), ab);
  EXPECT_EQ(FindNetPeer(b.model, a, kC), ac);
  EXPECT_EQ(FindNetPeer(b.model, a, kA), -1);
  EXPECT_EQ(FindNetPeer(b.model, *b.model.NetAddresses.Find(kB), kA), -1);  // B never sent

  int32_t ca = b.Peer(kC, kA);
  PeerDirectory directory(b.model);
  EXPECT_EQ(directory.Find(kA, kB), ab);
  EXPECT_EQ(directory.Find(kA, kC), ac);
  EXPECT_EQ(directory.Find(kC, kA), ca);
  EXPECT_EQ(directory.Find(kB, kA), -1);
  EXPECT_EQ(directory.Find(kC, kB), -1);
}

// A pair whose receiver names no node (a damaged or hand-made model) matches no address
// and reads as a one-way pair.
TEST(SelectionTest, PairWithoutReceiverNodeMatchesNothing) {
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  b.Peer(kB, kA);
  b.model.Objects.Get<TNetPeer>(ab).Receiver = -1;
  const NetAddressNode& a = *b.model.NetAddresses.Find(kA);
  EXPECT_EQ(FindNetPeer(b.model, a, kB), -1);
  EXPECT_EQ(PeerDirectory(b.model).Find(kA, kB), -1);
  EXPECT_EQ(b.model.NetAddresses.AddressAt(b.model.Objects.Get<TNetPeer>(ab).Receiver).Length, 0);
  Selection s = b.Select(kA, ab, b.Conversation(ab, kSubUdp, 1, 2));
  ResolveReverse(b.model, s);
  EXPECT_TRUE(s.OneWay);
  EXPECT_EQ(s.ReverseStation, nullptr);
}

TEST(SelectionTest, AnsweringConversationBySubProtocol) {
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  int32_t ba = b.Peer(kB, kA);
  b.Conversation(ba, kSubUdp, 53, 1026);
  int32_t udpForTcp = b.Conversation(ba, kSubUdp, 80, 1025);  // UDP filed under the TCP ports
  int32_t icmp = b.Conversation(ba, kSubIcmp);
  int32_t ncp = b.Conversation(ba, kSubNcp, 0x0451, 0x4005);
  const TNetPeer& reverse = b.model.Objects.Get<TNetPeer>(ba);
  auto head = [&](SubProtocol sub, uint16_t source, uint16_t destination) {
    return b.model.Objects.Get<TTransHead>(b.Conversation(ab, sub, source, destination));
  };
  EXPECT_EQ(FindAnsweringConversation(b.model, reverse, head(kSubTcp, 1025, 80)), udpForTcp);
  EXPECT_EQ(FindAnsweringConversation(b.model, reverse, head(kSubIcmp, 0, 0)), icmp);
  // Not port-based: the same sub-protocol, whatever its sockets.
  EXPECT_EQ(FindAnsweringConversation(b.model, reverse, head(kSubNcp, 0x4003, 0x0451)), ncp);
  EXPECT_EQ(FindAnsweringConversation(b.model, reverse, head(kSubSpx, 1, 2)), -1);
  // SMB is port-based like the others: its answers come back on the swapped sockets.
  int32_t smbOther = b.Conversation(ba, kSubSmb, 0x0552, 0x4001);
  int32_t smb = b.Conversation(ba, kSubSmb, 0x0550, 0x4001);
  EXPECT_EQ(FindReverseConversation(b.model, reverse, head(kSubSmb, 0x4001, 0x0550)), smb);
  EXPECT_NE(smb, smbOther);
  EXPECT_EQ(FindReverseConversation(b.model, reverse, head(kSubSmb, 0x4002, 0x0550)), -1);
}

TEST(SelectionTest, MirrorPrefersTheSameSubProtocol) {
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  int32_t ba = b.Peer(kB, kA);
  int32_t udp = b.Conversation(ba, kSubUdp, 80, 1025);
  int32_t tcp = b.Conversation(ba, kSubTcp, 80, 1025);
  const TNetPeer& reverse = b.model.Objects.Get<TNetPeer>(ba);
  const TTransHead& forwardTcp = b.model.Objects.Get<TTransHead>(b.Conversation(ab, kSubTcp, 1025, 80));
  EXPECT_EQ(FindMirrorConversation(b.model, reverse, forwardTcp), tcp);
  const TTransHead& forwardSpx = b.model.Objects.Get<TTransHead>(b.Conversation(ab, kSubSpx, 1025, 80));
  EXPECT_EQ(FindMirrorConversation(b.model, reverse, forwardSpx), udp);  // swapped ports only
  const TTransHead& unmatched = b.model.Objects.Get<TTransHead>(b.Conversation(ab, kSubTcp, 1025, 81));
  EXPECT_EQ(FindMirrorConversation(b.model, reverse, unmatched), -1);
}

TEST(SelectionTest, ResolveReverseAndSwap) {
  ModelBuilder b;
  int32_t ab = b.Peer(kA, kB);
  int32_t forward = b.Conversation(ab, kSubTcp, 1025, 80);
  int32_t ba = b.Peer(kB, kA);
  int32_t reverse = b.Conversation(ba, kSubTcp, 80, 1025);
  b.Peer(kC, kA);

  Selection s = b.Select(kA, ab, forward, 3, 9);
  ResolveReverse(b.model, s);
  EXPECT_FALSE(s.OneWay);
  EXPECT_EQ(s.ReverseStation, b.model.NetAddresses.Find(kB));
  EXPECT_EQ(s.ReversePeer, ba);
  EXPECT_EQ(s.ReverseConversation, reverse);

  s.SwapDirection();
  EXPECT_EQ(s.SourceStation, b.model.NetAddresses.Find(kB));
  EXPECT_EQ(s.CurrentConversation, reverse);
  s.SwapDirection();
  EXPECT_EQ(s.SourceStation, b.model.NetAddresses.Find(kA));
  EXPECT_EQ(s.DestPeer, ab);
  EXPECT_EQ(s.CurrentConversation, forward);
  EXPECT_EQ(s.FirstPacketNumber, 3);
  EXPECT_EQ(s.LastPacketNumber, 9);

  // C sends to A, but A never sent to C.
  int32_t ca = FindNetPeer(b.model, *b.model.NetAddresses.Find(kC), kA);
  Selection fromC = b.Select(kC, ca, b.Conversation(ca, kSubUdp, 1, 2));
  ResolveReverse(b.model, fromC);
  EXPECT_TRUE(fromC.OneWay);
  EXPECT_EQ(fromC.ReversePeer, -1);

  // The destination has never sent at all.
  int32_t ad = b.Peer(kA, Ip(10, 0, 0, 4));
  Selection toD = b.Select(kA, ad, b.Conversation(ad, kSubUdp, 1, 2));
  ResolveReverse(b.model, toD);
  EXPECT_TRUE(toD.OneWay);

  Selection empty;
  ResolveReverse(b.model, empty);
  EXPECT_TRUE(empty.OneWay);
}

}  // namespace
}  // namespace corvanta

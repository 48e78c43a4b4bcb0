#include <gtest/gtest.h>

#include "analysis/ClientServerTable.h"
#include "analysis/ModelBuilder.h"
#include "analysis/Toolbox.h"
#include "naming/IcmpMessages.h"
#include "naming/UserPorts.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::Ipx;
using testing::ModelBuilder;
using testing::Pkt;
using testing::Tcp;

const AddressKey kA = Ip(10, 0, 0, 1);
const AddressKey kB = Ip(10, 0, 0, 2);
const AddressKey kC = Ip(10, 0, 0, 3);
const AddressKey kD = Ip(10, 0, 0, 4);

std::vector<std::string> Texts(const std::vector<ToolboxEntry>& list) {
  std::vector<std::string> texts;
  for (const ToolboxEntry& e : list) texts.push_back(e.Text);
  return texts;
}

// A: web client of B with an ICMP exchange; B answers both; C sends to A only; A sends to D,
// which never sends.
struct Trace {
  ModelBuilder b;
  int32_t ab, ba, ca, ad;
  int32_t tcp, icmpEcho, icmpUnreachable, tcpBack, icmpBack, udpToD;
  Trace() {
    ab = b.Peer(kA, kB);
    ad = b.Peer(kA, kD);
    ba = b.Peer(kB, kA);
    ca = b.Peer(kC, kA);
    tcp = b.Conversation(ab, kSubTcp, 1025, 80);
    icmpEcho = b.Conversation(ab, kSubIcmp);
    icmpUnreachable = b.Conversation(ab, kSubIcmp);
    icmpBack = b.Conversation(ba, kSubIcmp);
    tcpBack = b.Conversation(ba, kSubTcp, 80, 1025);
    udpToD = b.Conversation(ad, kSubUdp, 53, 53);
    b.Conversation(ca, kSubUdp, 1, 2);
    b.Add(tcp, Tcp(1, 0, 1000, 1, 100, kPacketRequest));
    b.Add(tcpBack, Tcp(2, 10, 1, 1100, 10, kPacketReply));
    b.Add(icmpEcho, Pkt{.frame = 3, .seq = 7, .window = 8});
    b.Add(icmpBack, Pkt{.frame = 4, .seq = 7, .window = 0});
    b.Add(icmpUnreachable, Pkt{.frame = 5, .seq = 0, .window = 3 | 3 << 8});
  }
};

TEST(ToolboxTest, IcmpMessageTexts) {
  EXPECT_EQ(IcmpMessageText(0, 0), "Echo Reply");
  EXPECT_EQ(IcmpMessageText(3, 4), "Fragmentation needed and Don't Fragment was set");
  EXPECT_EQ(IcmpMessageText(3, 8), "");
  EXPECT_EQ(IcmpMessageText(5, 3), "Redirect Datagram for the Type of Service and Host");
  EXPECT_EQ(IcmpMessageText(11, 1), "Fragment Reassembly Time Exceeded");
  EXPECT_EQ(IcmpMessageText(36, 0), "Mobile Registration Reply");
  EXPECT_EQ(IcmpMessageText(7, 0), "");
}

TEST(ToolboxTest, ListsInModelOrder) {
  Trace t;
  ToolboxState box;
  box.Reset(&t.b.model, 9, nullptr, nullptr);
  // Senders only (D never sent), in key order.
  EXPECT_EQ(Texts(box.Sources()), (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "10.0.0.3"}));
  EXPECT_EQ(Texts(box.Targets()), (std::vector<std::string>{"10.0.0.2", "10.0.0.4"}));
  EXPECT_EQ(Texts(box.Apps()),
            (std::vector<std::string>{"TCP/Port 1025<->HTTP", "ICMP Echo", "ICMP Port Unreachable"}));
  EXPECT_EQ(box.AppText(), "TCP/Port 1025<->HTTP");
  EXPECT_FALSE(box.OneWay());

  // An unreachable report naming a packet, an unknown type, and the IPX form.
  t.b.model.Packets.At(t.b.model.Objects.Get<TTransHead>(t.icmpUnreachable).FirstPacket).Sequence = 12;
  const TTransHead& unreachable = t.b.model.Objects.Get<TTransHead>(t.icmpUnreachable);
  EXPECT_EQ(ToolboxAppText(t.b.model, unreachable, UserPorts()), "ICMP Port Unreachable (pkt 12)");
  t.b.model.Packets.At(unreachable.FirstPacket).Window = 7;
  EXPECT_EQ(ToolboxAppText(t.b.model, unreachable, UserPorts()), "ICMP");
  TTransHead ncp;
  ncp.SubProtocol = kSubNcp;
  ncp.SourcePort = 0x4003;
  ncp.DestinationPort = 0x0451;
  EXPECT_EQ(ToolboxAppText(t.b.model, ncp, UserPorts()), "IPX (Socket 4003<->NCP)/NCP");
  ncp.SubProtocol = 22;
  EXPECT_EQ(ToolboxAppText(t.b.model, ncp, UserPorts()), "Other");

  EXPECT_TRUE(box.SelectTarget(1));  // D never sent: one-way
  EXPECT_TRUE(box.OneWay());
  EXPECT_FALSE(box.Swap());
  EXPECT_FALSE(box.SelectTarget(1));  // the same entry again
  EXPECT_TRUE(box.SelectSource(2));
  EXPECT_EQ(box.DestinationText(), "10.0.0.1");
  EXPECT_TRUE(box.OneWay());  // A never sent to C

  box.Reset(nullptr, 0, nullptr, nullptr);
  EXPECT_TRUE(box.Sources().empty());
  EXPECT_TRUE(box.Apps().empty());
  EXPECT_EQ(box.GetNetDst().SourceStation, nullptr);
}

TEST(ToolboxTest, IpxNamesByVendor) {
  ModelBuilder b;
  const AddressKey client = Ipx(0x10, {0x00, 0x00, 0x0C, 0x11, 0x22, 0x33});
  const AddressKey server = Ipx(0x10, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
  b.Conversation(b.Peer(client, server), kSubNcp, 0x4003, 0x0451);
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  ToolboxState box;
  box.Reset(&b.model, 3, nullptr, &vendors);
  EXPECT_EQ(box.SourceText(), "10.Cisco 112233");
  box.SetIpxByOui(false);
  EXPECT_EQ(box.SourceText(), "10.00000C112233");
  EXPECT_EQ(box.DestinationText(), "10.000000000001");
  EXPECT_EQ(box.SourceIndex(), 0);
}

TEST(ToolboxTest, SwapTwiceRestoresTheSelection) {
  Trace t;
  ToolboxState box;
  box.Reset(&t.b.model, 9, nullptr, nullptr);
  struct Case {
    int app;
    std::string reversedApp;
  };
  // The ICMP entries have no mirror text; the second one is not the first of its kind.
  for (const Case& c : {Case{0, "TCP/HTTP<->Port 1025"}, Case{1, "ICMP Echo Reply"}, Case{2, "ICMP Echo Reply"}}) {
    SCOPED_TRACE(c.app);
    box.SelectSource(1);
    box.SelectSource(0);
    box.SelectApp(c.app);
    const std::string app = box.AppText();
    ASSERT_TRUE(box.Swap());
    EXPECT_EQ(box.SourceText(), "10.0.0.2");
    EXPECT_EQ(box.DestinationText(), "10.0.0.1");
    EXPECT_EQ(box.AppText(), c.reversedApp);
    ASSERT_TRUE(box.Swap());
    EXPECT_EQ(box.SourceText(), "10.0.0.1");
    EXPECT_EQ(box.DestinationText(), "10.0.0.2");
    EXPECT_EQ(box.AppText(), app);
    EXPECT_EQ(box.AppIndex(), c.app);
  }
  // The reverse triple is that of the swap.
  box.SelectApp(0);
  Selection s = box.GetNetDst();
  EXPECT_EQ(s.CurrentConversation, t.tcp);
  EXPECT_EQ(s.ReversePeer, t.ba);
  EXPECT_EQ(s.ReverseConversation, t.tcpBack);
  EXPECT_FALSE(s.OneWay);
}

TEST(ToolboxTest, PreselectsByIdentityThenByText) {
  Trace t;
  ToolboxState box;
  box.Reset(&t.b.model, 9, nullptr, nullptr);

  // The table writes "ICMP Echo (Ping)": only the identity finds the second ICMP head.
  RequestedConversation request;
  request.Source = "10.0.0.1";
  request.Destination = "10.0.0.2";
  request.App = "ICMP Echo (Ping)";
  request.SenderKey = std::string("\x0A\x00\x00\x01", 4);
  request.Peer = t.ab;
  request.Head = t.icmpUnreachable;
  box.Preselect(request);
  EXPECT_EQ(box.AppIndex(), 2);

  // Texts alone: an unmatched application keeps entry 0, not the last one.
  request.SenderKey.clear();
  box.Preselect(request);
  EXPECT_EQ(box.SourceIndex(), 0);
  EXPECT_EQ(box.AppIndex(), 0);

  RequestedConversation byText;
  byText.Source = "10.0.0.3";
  byText.Destination = "10.0.0.1";
  box.Preselect(byText);
  EXPECT_EQ(box.SourceText(), "10.0.0.3");
  EXPECT_TRUE(box.OneWay());

  RequestedConversation nowhere;
  nowhere.Source = "192.168.1.1";
  nowhere.Destination = "10.9.9.9";
  box.Preselect(nowhere);
  EXPECT_EQ(box.SourceIndex(), 0);
  EXPECT_EQ(box.TargetIndex(), 0);
  EXPECT_EQ(box.AppIndex(), 0);
}

TEST(ToolboxTest, TableRequestSelectsItsRow) {
  Trace t;
  BrisqonSettings settings;
  ClientServerTable table;
  table.Build({t.b.model, settings}, {});
  ToolboxState box;
  box.Reset(&t.b.model, 9, nullptr, nullptr);
  ASSERT_GT(table.RowCount(), 0u);
  for (size_t row = 0; row < table.RowCount(); ++row) {
    const RequestedConversation request = table.Request(row, nullptr);
    box.Preselect(request);
    const Selection s = box.GetNetDst();
    EXPECT_EQ(s.DestPeer, request.Peer);
    EXPECT_EQ(s.CurrentConversation, request.Head);
  }
}

TEST(ToolboxTest, RangeEditsBoundEachOther) {
  Trace t;
  ToolboxState box;
  box.Reset(&t.b.model, 100, nullptr, nullptr);
  EXPECT_EQ(box.FirstPacket(), 1);
  EXPECT_EQ(box.LastPacket(), 100);
  EXPECT_EQ(box.SetLastPacket(40), 40);
  EXPECT_EQ(box.FirstMax(), 40);
  EXPECT_EQ(box.SetFirstPacket(50), 40);  // not beyond the end
  EXPECT_EQ(box.LastMin(), 40);
  EXPECT_EQ(box.SetLastPacket(10), 40);  // not before the start
  EXPECT_EQ(box.SetLastPacket(500), 100);
  EXPECT_EQ(box.SetFirstPacket(0), 1);
  Selection s = box.GetNetDst();
  EXPECT_EQ(s.FirstPacketNumber, 1);
  EXPECT_EQ(s.LastPacketNumber, 100);
  box.SetFirstPacket(20);
  box.ResetRange();
  EXPECT_EQ(box.FirstPacket(), 1);
  EXPECT_EQ(box.LastPacket(), 100);
}

}  // namespace
}  // namespace corvanta

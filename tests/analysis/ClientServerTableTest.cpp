#include <gtest/gtest.h>

#include <algorithm>

#include "analysis/ClientServerTable.h"
#include "analysis/ModelBuilder.h"
#include "naming/LearnedNames.h"
#include "naming/VendorTable.h"

namespace corvanta {
namespace {

using testing::Ip;
using testing::Ipx;
using testing::ModelBuilder;
using testing::Pkt;
using testing::Tcp;

const AddressKey kClient = Ip(10, 0, 0, 1);
const AddressKey kServer = Ip(10, 0, 0, 2);
const AddressKey kOther = Ip(10, 0, 0, 3);

// A TCP exchange: `requests` client segments 0.1 s apart, each answered `delay` later by a
// server segment (the first `replies` of them are answered).
struct TcpExchange {
  uint16_t clientPort = 1025;
  uint16_t serverPort = 80;
  int requests = 5;
  int replies = 5;
  int requestPayload = 100;
  int replyPayload = 1000;
  double delay = 2000;
  PacketFlags requestFlags = kPacketRequest;
};

struct Table {
  ModelBuilder b;
  BrisqonSettings settings;
  ClientServerOptions options;
  ClientServerTable table;
  int frame = 1;

  void Add(const AddressKey& client, const AddressKey& server, const TcpExchange& x) {
    int32_t forward = b.Conversation(b.Peer(client, server), kSubTcp, x.clientPort, x.serverPort);
    int32_t reverse = -1;
    if (x.replies > 0) reverse = b.Conversation(b.Peer(server, client), kSubTcp, x.serverPort, x.clientPort);
    for (int k = 0; k < x.requests; ++k) {
      uint32_t seq = 1000 + uint32_t(x.requestPayload) * k;
      b.Add(forward, Tcp(frame++, k * 1e5, seq, 1, x.requestPayload, x.requestFlags, 0x18));
      if (k < x.replies)
        b.Add(reverse, Tcp(frame++, k * 1e5 + x.delay, 5000 + uint32_t(x.replyPayload) * k,
                           seq + uint32_t(x.requestPayload), x.replyPayload, kPacketReply, 0x18));
    }
  }
  const ClientServerRow& Build() {
    ClientServerSources sources{b.model, settings};
    table.Build(sources, options);
    static const ClientServerRow kEmpty{};
    return table.RowCount() ? table.Rows()[0] : kEmpty;
  }
};

TEST(ClientServerTableTest, TwoWayConversationRow) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{});
  const ClientServerRow& row = t.Build();
  ASSERT_EQ(t.table.RowCount(), 1u);
  EXPECT_EQ(row[kCsColClient], "10.0.0.1");
  EXPECT_EQ(row[kCsColServer], "10.0.0.2");
  EXPECT_EQ(row[kCsColProtocol], "TCP/Port 1025<->HTTP");
  EXPECT_EQ(row[kCsColPackets], "10");
  EXPECT_EQ(row[kCsColBytes], "6,080");  // 5 x 158 + 5 x 1058
  EXPECT_EQ(row[kCsColDuration], "00:00:00.402");
  EXPECT_EQ(row[kCsColResponseTime], " 2.000");
  EXPECT_EQ(row[kCsColClientToServer], " 1.975");   // 790 bytes in 0.4 s
  EXPECT_EQ(row[kCsColServerToClient], " 13.225");  // 5290 bytes in 0.4 s
  EXPECT_EQ(row[kCsColClientKey], std::string("\x0A\x00\x00\x01", 4));
  EXPECT_EQ(row[kCsColServerKey], std::string("\x0A\x00\x00\x02", 4));
  EXPECT_EQ(row[kCsColA], kCsMark);  // 13 KB/s is not above the default 100
  for (int c = kCsColB; c <= kCsColI; ++c) EXPECT_EQ(row[c], "") << c;
  EXPECT_EQ(t.table.ConversationsCaption(), "1 Conversation Analyzed");

  t.options.Choice = PacketsBytesChoice::kClientToServer;
  EXPECT_EQ(t.Build()[kCsColPackets], "5");
  EXPECT_EQ(t.table.Rows()[0][kCsColBytes], "790");
  EXPECT_EQ(t.table.Headers()[kCsColPackets], "Pkts Clt->Svr");
  t.options.Choice = PacketsBytesChoice::kServerToClient;
  EXPECT_EQ(t.Build()[kCsColBytes], "5,290");
  EXPECT_EQ(t.table.Headers()[kCsColBytes], "Bytes Clt<-Svr");

  t.settings.SetThreshold(CheckId::kCSLowThroughput, 12);
  EXPECT_EQ(t.Build()[kCsColA], "");
  t.settings.SetThreshold(CheckId::kCSLowThroughput, 13);
  EXPECT_EQ(t.Build()[kCsColA], kCsMark);
}

TEST(ClientServerTableTest, OneWayReplyListsTheSenderAsServer) {
  Table t;
  t.b.Station(kServer, {0x00, 0x00, 0x0C, 0x12, 0x34, 0x56});
  int32_t conversation = t.b.Conversation(t.b.Peer(kServer, kClient), kSubTcp, 80, 1025);
  for (int k = 0; k < 5; ++k) t.b.Add(conversation, Tcp(k + 1, k * 1e5, 5000 + 1000 * k, 1, 1000, kPacketReply));
  const ClientServerRow& row = t.Build();
  ASSERT_EQ(t.table.RowCount(), 1u);
  EXPECT_EQ(row[kCsColClient], "10.0.0.1");
  EXPECT_EQ(row[kCsColServer], "10.0.0.2");
  EXPECT_EQ(row[kCsColProtocol], "TCP/Port 1025<->HTTP");
  EXPECT_EQ(row[kCsColClientToServer], "-");
  EXPECT_EQ(row[kCsColServerToClient], " 13.225");
  EXPECT_EQ(row[kCsColResponseTime], "-");
  EXPECT_EQ(row[kCsColA], "");
  EXPECT_EQ(ClientServerStation(t.b.model, nullptr, row[kCsColServerKey]), "00000C123456");
  EXPECT_EQ(ClientServerStation(t.b.model, nullptr, row[kCsColClientKey]), "UNKNOWN");  // it never sent

  t.options.Choice = PacketsBytesChoice::kClientToServer;
  EXPECT_EQ(t.Build()[kCsColPackets], "0");
  EXPECT_EQ(t.table.Rows()[0][kCsColBytes], "0");
}

TEST(ClientServerTableTest, OneWayFromTheClientHasNoServerFiguresOrMarks) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{.requests = 6, .replies = 0});
  const ClientServerRow& row = t.Build();
  ASSERT_EQ(t.table.RowCount(), 1u);
  EXPECT_EQ(row[kCsColServerToClient], "-");
  EXPECT_EQ(row[kCsColClientToServer], " 1.896");  // 948 bytes in 0.5 s
  EXPECT_EQ(row[kCsColA], "");
  EXPECT_EQ(row[kCsColD], "");
  EXPECT_EQ(row[kCsColPackets], "6");
}

TEST(ClientServerTableTest, FtpControlNeverGetsAOrD) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{.serverPort = 21, .replyPayload = 100});
  const ClientServerRow& row = t.Build();
  ASSERT_EQ(t.table.RowCount(), 1u);
  EXPECT_EQ(row[kCsColProtocol], "TCP/Port 1025<->FTP Control");
  EXPECT_EQ(row[kCsColA], "");
  EXPECT_EQ(row[kCsColD], "");
  EXPECT_EQ(t.table.Totals()[kCsColA], 0);
}

TEST(ClientServerTableTest, InefficientClientNeedsSmallFramesAndABalancedRatio) {
  Table t;
  t.settings.SetEnabled(CheckId::kCSLowThroughput, false);
  t.Add(kClient, kServer, TcpExchange{.requests = 6, .replies = 5, .replyPayload = 100});
  EXPECT_EQ(t.Build()[kCsColD], kCsMark);  // 6:5 packets, 158-byte answers
  EXPECT_EQ(t.table.Totals()[kCsColD], 1);
  EXPECT_EQ(t.table.Rows()[0][kCsColA], "");

  Table many;
  many.Add(kClient, kServer, TcpExchange{.requests = 8, .replies = 5, .replyPayload = 100});
  EXPECT_EQ(many.Build()[kCsColD], "");  // 1.6 is above the ratio limit of 1.5
  many.settings.SetThreshold(CheckId::kCSInefficientClient, 3);
  EXPECT_EQ(many.Build()[kCsColD], kCsMark);

  Table large;
  large.Add(kClient, kServer, TcpExchange{.requests = 6, .replies = 5, .replyPayload = 200});
  EXPECT_EQ(large.Build()[kCsColD], "");  // the conversation's frames average 203 bytes
}

TEST(ClientServerTableTest, SlowResponseAndBusyServerMarks) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{.delay = 2000});
  t.settings.SetThreshold(CheckId::kCSSlowResponseTime, 2);
  EXPECT_EQ(t.Build()[kCsColB], kCsMark);  // 2 ms is not below 2
  EXPECT_EQ(t.table.Rows()[0][kCsColC], "");
  t.settings.SetThreshold(CheckId::kCSSlowResponseTime, 3);
  EXPECT_EQ(t.Build()[kCsColB], "");

  // Fewer than four pairs: a response time, but no judgement.
  Table few;
  few.settings.SetThreshold(CheckId::kCSSlowResponseTime, 1);
  few.Add(kClient, kServer, TcpExchange{.requests = 3, .replies = 3});
  EXPECT_EQ(few.Build()[kCsColResponseTime], " 2.000");
  EXPECT_EQ(few.table.Rows()[0][kCsColB], "");

  // One fast answer among slow ones: the average exceeds ten times the best.
  Table busy;
  busy.Add(kClient, kServer, TcpExchange{.requests = 4, .replies = 4, .delay = 20000});
  busy.b.model.Packets.At(1).Time = 1000;  // the first answer comes after 1 ms
  EXPECT_EQ(busy.Build()[kCsColC], kCsMark);
  busy.settings.SetThreshold(CheckId::kCSBusyNetwork, 1);  // factor 30
  EXPECT_EQ(busy.Build()[kCsColC], "");

  // A server-busy packet marks C whatever the delays.
  Table flagged;
  flagged.Add(kClient, kServer, TcpExchange{.requestFlags = kPacketRequest | kPacketServerBusy});
  EXPECT_EQ(flagged.Build()[kCsColC], kCsMark);
  flagged.settings.SetEnabled(CheckId::kCSBusyNetwork, false);
  EXPECT_EQ(flagged.Build()[kCsColC], "");
}

TEST(ClientServerTableTest, EventTotalsCountEvenWhenTheCellIsOff) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{});
  t.b.model.Packets.At(2).Flags |= kPacketRetransmission;                 // a client segment
  t.b.model.Packets.At(3).Flags |= kPacketRetransmission | kPacketReset;  // a server segment
  t.settings.SetEnabled(CheckId::kTCPTransportRetransmission, false);
  const ClientServerRow& row = t.Build();
  EXPECT_EQ(row[kCsColE], "");
  EXPECT_EQ(t.table.Totals()[kCsColE], 2);
  EXPECT_EQ(row[kCsColH], "1");
  EXPECT_EQ(t.table.LegendEToH()[0], "E = # of Transport Retransmissions - 2");
  EXPECT_EQ(t.table.LegendEToH()[3], "H = # of TCP Resets - 1");

  t.settings.SetEnabled(CheckId::kTCPTransportRetransmission, true);
  t.settings.SetEnabled(CheckId::kTCPResetConnection, false);
  const ClientServerRow& again = t.Build();
  EXPECT_EQ(again[kCsColE], "2");
  EXPECT_EQ(again[kCsColH], "");
  EXPECT_EQ(t.table.Totals()[kCsColH], 0);  // H counts only while switched on
}

TEST(ClientServerTableTest, RowsThatAreLeftOut) {
  Table t;
  // First packet sent to a group address.
  t.Add(kClient, kServer, TcpExchange{.requestFlags = kPacketRequest | kPacketGroup});
  // A sub-protocol the engine does not analyse.
  int32_t igmp = t.b.Conversation(t.b.Peer(kClient, kOther), kSubIgmp);
  t.b.Add(igmp, Pkt{.frame = 100, .flags = kPacketRequest});
  // Neither request nor reply.
  t.Add(kOther, kServer, TcpExchange{.requestFlags = 0});
  t.Build();
  EXPECT_EQ(t.table.RowCount(), 0u);
  EXPECT_EQ(t.table.ConversationsCaption(), "");
  EXPECT_EQ(t.table.LegendAToD()[0], "A = Low Server to Client Throughput - 0");
  EXPECT_EQ(t.table.LegendI()[0], "I = # of ICMP Error Reports - 0");
  EXPECT_EQ(t.table.LegendI()[3], "- = Insufficient Data");
  // Each left-out conversation is counted once with its reason; answering halves are not.
  EXPECT_EQ(t.table.NotListed(), (std::array<int32_t, kNotListedReasons>{1, 1, 1, 0}));
  EXPECT_EQ(t.table.NotListedCount(), 3);
  EXPECT_EQ(t.table.NotListedText(),
            "3 conversations of the trace not listed: 1 sent to a broadcast or multicast address, 1 without a "
            "request, 1 of a protocol not analyzed.");
}

// When the peer's answers sit in a conversation that is not this one's mirror, the row is
// one-way: the sender's own traffic is never shown as the peer's.
TEST(ClientServerTableTest, MissingMirrorConversationIsTreatedAsOneWay) {
  Table t;
  // NCP answers are found by sub-protocol, whatever the sockets; the mirror needs them swapped.
  int32_t forward = t.b.Conversation(t.b.Peer(kClient, kServer), kSubNcp, 0x4000, 0x0451);
  int32_t reverse = t.b.Conversation(t.b.Peer(kServer, kClient), kSubNcp, 0x0452, 0x4001);
  for (int k = 0; k < 5; ++k) {
    t.b.Add(forward,
            Pkt{.frame = 2 * k + 1, .time = k * 1e5, .length = 200, .flags = kPacketRequest, .seq = uint32_t(k)});
    t.b.Add(reverse,
            Pkt{.frame = 2 * k + 2, .time = k * 1e5 + 900, .length = 300, .flags = kPacketReply, .seq = uint32_t(k)});
  }
  const ClientServerRow& row = t.Build();
  ASSERT_EQ(t.table.RowCount(), 1u);  // the server's answers are no row of their own
  EXPECT_EQ(row[kCsColProtocol], "IPX (Socket 4000<->NCP)/NCP");
  EXPECT_EQ(row[kCsColResponseTime], " 0.900");
  EXPECT_EQ(row[kCsColClientToServer], " 2.500");
  EXPECT_EQ(row[kCsColServerToClient], "-");
  EXPECT_EQ(row[kCsColPackets], "5");
}

// A first packet marked both request and reply names the peer as client; each direction's
// figures then stay with the run that measured that direction.
TEST(ClientServerTableTest, FirstPacketWithBothDirectionBitsKeepsDirectionsApart) {
  Table t;
  int32_t fromServer = t.b.Conversation(t.b.Peer(kServer, kClient), kSubUdp, 53, 1025);
  int32_t fromClient = t.b.Conversation(t.b.Peer(kClient, kServer), kSubUdp, 1025, 53);
  for (int k = 0; k < 4; ++k) {
    t.b.Add(fromServer, Pkt{.frame = 3 * k + 1,
                            .time = k * 1e5,
                            .length = 100,
                            .flags = kPacketRequest | kPacketReply,
                            .id = uint16_t(k)});
    t.b.Add(fromClient, {Pkt{.frame = 3 * k + 2, .time = k * 1e5 + 500, .length = 300, .flags = kPacketRequest},
                         Pkt{.frame = 3 * k + 3, .time = k * 1e5 + 600, .length = 300, .flags = kPacketRequest}});
  }
  t.options.Choice = PacketsBytesChoice::kClientToServer;
  EXPECT_EQ(t.Build()[kCsColClient], "10.0.0.1");  // the client's own requests make a row as well
  ASSERT_EQ(t.table.RowCount(), 2u);
  const ClientServerRow& mixed = t.table.Rows()[1];
  EXPECT_EQ(mixed[kCsColClient], "10.0.0.1");
  EXPECT_EQ(mixed[kCsColServer], "10.0.0.2");
  EXPECT_EQ(mixed[kCsColProtocol], "UDP/Port 1025<->DNS");
  EXPECT_EQ(mixed[kCsColPackets], "8");              // the client's
  EXPECT_EQ(mixed[kCsColClientToServer], " 7.997");  // 2400 bytes in 0.3001 s
  EXPECT_EQ(mixed[kCsColServerToClient], " 1.333");  // 400 bytes in 0.3 s
}

TEST(ClientServerTableTest, NamesAddressesAndStations) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{});
  const uint8_t server[] = {10, 0, 0, 2};
  AddLearnedName(t.b.model, server, "webserver");
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  t.b.Station(kClient, {0x00, 0x00, 0x0C, 0xAB, 0xCD, 0xEF}, 1);
  t.b.Station(kServer, {0x02, 0x00, 0x00, 0x00, 0x00, 0x01});
  ClientServerSources sources{t.b.model, t.settings, &vendors};
  t.table.Build(sources, t.options);
  ASSERT_EQ(t.table.RowCount(), 1u);
  const ClientServerRow& row = t.table.Rows()[0];
  EXPECT_EQ(row[kCsColServer], "webserver");
  EXPECT_EQ(ClientServerStation(t.b.model, &vendors, row[kCsColClientKey]), "Cisco ABCDEF");
  EXPECT_EQ(ClientServerStation(t.b.model, &vendors, row[kCsColServerKey]), "020000000001");

  // Without the selection columns the visible ones stay as they were.
  ClientServerTable listed;
  ClientServerOptions listing = t.options;
  listing.SelectionColumns = false;
  listed.Build(sources, listing);
  ASSERT_EQ(listed.RowCount(), 1u);
  for (int c = 0; c < kCsColumns; ++c) {
    const bool selection = c == kCsColSenderKey || c == kCsColConversation;
    EXPECT_EQ(listed.Rows()[0][static_cast<size_t>(c)], selection ? "" : row[static_cast<size_t>(c)]) << c;
  }

  t.table.RewriteNames(t.b.model, &vendors, false, true);
  EXPECT_EQ(t.table.Rows()[0][kCsColServer], "10.0.0.2");
  t.table.RewriteNames(t.b.model, &vendors, true, true);
  EXPECT_EQ(t.table.Rows()[0][kCsColServer], "webserver");

  RequestedConversation request = t.table.Request(0, &vendors);
  EXPECT_EQ(request.Source, "10.0.0.1");
  EXPECT_EQ(request.Destination, "10.0.0.2");
  EXPECT_EQ(request.SourceVendor, "");
  EXPECT_EQ(request.App, "TCP/Port 1025<->HTTP");
  EXPECT_EQ(t.table.Request(5, &vendors).Source, "");
}

TEST(ClientServerTableTest, IpxConversation) {
  Table t;
  const AddressKey client = Ipx(0x00000010, {0x00, 0x00, 0x0C, 0x11, 0x22, 0x33});
  const AddressKey server = Ipx(0x00000010, {0x00, 0x00, 0x00, 0x00, 0x00, 0x01});
  int32_t forward = t.b.Conversation(t.b.Peer(client, server), kSubNcp, 0x4003, 0x0451);
  int32_t reverse = t.b.Conversation(t.b.Peer(server, client), kSubNcp, 0x0451, 0x4003);
  for (int k = 0; k < 4; ++k) {
    t.b.Add(forward, Pkt{.frame = 2 * k + 1, .time = k * 1e5, .flags = kPacketRequest, .seq = uint32_t(k)});
    t.b.Add(reverse, Pkt{.frame = 2 * k + 2, .time = k * 1e5 + 1500, .flags = kPacketReply, .seq = uint32_t(k)});
  }
  VendorTable vendors;
  vendors.Add({0x00, 0x00, 0x0C}, "Cisco ");
  ClientServerSources sources{t.b.model, t.settings, &vendors};
  t.table.Build(sources, t.options);
  ASSERT_GE(t.table.RowCount(), 1u);
  const ClientServerRow& row = t.table.Rows()[0];
  EXPECT_EQ(row[kCsColClient], "10.Cisco 112233");
  EXPECT_EQ(row[kCsColServer], "10.000000000001");
  EXPECT_EQ(row[kCsColProtocol], "IPX (Socket 4003<->NCP)/NCP");
  EXPECT_EQ(row[kCsColResponseTime], " 1.500");
  EXPECT_EQ(row[kCsColClientKey].size(), 10u);
  RequestedConversation request = t.table.Request(0, &vendors);
  EXPECT_EQ(request.Source, "10.00000C112233");
  EXPECT_EQ(request.SourceVendor, "10.Cisco 112233");
  t.table.RewriteNames(t.b.model, &vendors, true, false);
  EXPECT_EQ(t.table.Rows()[0][kCsColClient], "10.00000C112233");
}

TEST(ClientServerTableTest, PollRunsWhileBuilding) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{});
  t.Add(kClient, kOther, TcpExchange{});
  int polls = 0;
  ClientServerSources sources{t.b.model, t.settings};
  t.table.Build(sources, t.options, [&] { ++polls; });
  EXPECT_EQ(polls, 1);  // one group of conversations
  EXPECT_EQ(t.table.ConversationsCaption(), "2 Conversations Analyzed");
}

// Several hundred conversations of varied shape: the rows, their order and the totals do
// not depend on how many threads measure them.
TEST(ClientServerTableTest, ThreadsGiveTheSameTable) {
  Table t;
  for (int i = 0; i < 600; ++i) {
    TcpExchange x;
    x.clientPort = static_cast<uint16_t>(1025 + i);
    x.requests = 2 + i % 7;
    x.replies = i % 5 == 0 ? 0 : x.requests - i % 3;
    x.delay = 500 + 97 * (i % 13);
    x.replyPayload = i % 4 == 0 ? 40 : 1400;
    t.Add(Ip(10, 0, uint8_t(i / 200), uint8_t(1 + i % 200)), Ip(10, 1, 0, uint8_t(1 + i % 3)), x);
  }
  t.Build();
  const std::vector<ClientServerRow> single = t.table.Rows();
  const auto totals = t.table.Totals();
  const auto notListed = t.table.NotListed();
  ASSERT_GT(single.size(), 400u);
  for (int threads : {2, 3, 8}) {
    t.options.Threads = threads;
    int polls = 0;
    t.table.Build(ClientServerSources{t.b.model, t.settings}, t.options, [&] { ++polls; });
    EXPECT_EQ(t.table.Rows(), single) << threads;
    EXPECT_EQ(t.table.Totals(), totals) << threads;
    EXPECT_EQ(t.table.NotListed(), notListed) << threads;
    EXPECT_GE(polls, 1);
  }
}

TEST(ClientServerTableTest, ClipboardText) {
  Table t;
  t.Add(kClient, kServer, TcpExchange{});
  t.Build();
  EXPECT_EQ(t.table.CopyText(9, 0, 10, 1), "Client\tServer\r\n10.0.0.1\t10.0.0.2\r\n");
  // Without the header row in the selection the header still leads.
  EXPECT_EQ(t.table.CopyText(11, 1, 11, 1), "Protocol/Application\r\nTCP/Port 1025<->HTTP\r\n");
  // A range past the grid is cut to it.
  EXPECT_EQ(t.table.CopyText(17, 0, 40, 99), "Clt<-Svr Thput*\r\n 13.225\r\n");
  EXPECT_EQ(t.table.CopyText(5, 0, 4, 1), "");
}

// The rows a column is sized from: the longest texts over every row, not the first rows.
TEST(ClientServerTableTest, LongestCells) {
  Table t;
  for (uint16_t port : {1025, 1026, 1027, 1028}) t.Add(kClient, kServer, TcpExchange{.clientPort = port});
  t.Add(kClient, Ip(10, 0, 0, 200), TcpExchange{});
  t.Build();
  ASSERT_EQ(t.table.RowCount(), 5u);
  size_t longest = 0;  // the row naming 10.0.0.200
  for (size_t r = 0; r < 5; ++r)
    if (t.table.Rows()[r][kCsColServer] == "10.0.0.200") longest = r;
  EXPECT_EQ(t.table.LongestCells(kCsColServer, 1), std::vector<size_t>{longest});
  const std::vector<size_t> all = t.table.LongestCells(kCsColServer, 9);
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[0], longest);
  // Equal lengths keep the table's order.
  EXPECT_TRUE(std::is_sorted(all.begin() + 1, all.end()));
  EXPECT_TRUE(t.table.LongestCells(kCsColumns, 3).empty());
  EXPECT_TRUE(t.table.LongestCells(kCsColServer, 0).empty());
}

}  // namespace
}  // namespace corvanta

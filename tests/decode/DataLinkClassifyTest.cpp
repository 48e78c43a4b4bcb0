// Data-link classification: the EtherType and SAP tables, the Ethernet and Token Ring
// encapsulations, and the kinds of destination address.
#include <gtest/gtest.h>

#include <vector>

#include "DecoderHarness.h"
#include "Packets.h"
#include "decode/DataLink.h"

namespace corvanta::testing {
namespace {

ByteView View(const Bytes& b) { return ByteView(b.data(), b.size()); }

// An IP header whose bytes 20..21 (the source port without options) hold port.
Bytes IpWithPort(uint16_t port) {
  Bytes b(28, 0);
  b[0] = 0x45;
  b[20] = static_cast<uint8_t>(port >> 8);
  b[21] = static_cast<uint8_t>(port);
  return b;
}

IpxAddress IpxTo(uint16_t socket) {
  IpxAddress a;
  a.network = 0x1234;
  a.node = Station(9);
  a.socket = socket;
  return a;
}

TEST(EtherTypeCategory, FollowsTheTable) {
  struct Row {
    uint16_t type;
    ProtocolCategory category;
  };
  const std::vector<Row> rows = {
      {0x0600, kCatXns},       {0x0601, kCatXns},       {0x0807, kCatXns},       {0x0806, kCatArpRarp},
      {0x8035, kCatArpRarp},   {0x0BAD, kCatVines},     {0x6000, kCatDecnet},    {0x6003, kCatDecnet},
      {0x6004, kCatLat},       {0x6005, kCatDecnet},    {0x6006, kCatDecnet},    {0x6007, kCatLavc},
      {0x6008, kCatDecnet},    {0x6009, kCatDecnet},    {0x600A, kCatOther},     {0x8038, kCatBpdu},
      {0x8039, kCatDecnet},    {0x8042, kCatDecnet},    {0x8043, kCatOther},     {0x9000, kCatDecnet},
      {0x809B, kCatAppletalk}, {0x80F2, kCatAppletalk}, {0x80F4, kCatAppletalk}, {0x80F5, kCatOther},
      {0x8137, kCatIpx},       {0x86DD, kCatOther},     {0x05DC, kCatOther},     {0x0000, kCatOther},
  };
  Bytes empty(64, 0);
  for (const Row& r : rows) EXPECT_EQ(EtherTypeCategory(r.type, View(empty), 0), r.category) << std::hex << r.type;
}

TEST(EtherTypeCategory, IpOnNetBiosPortsIsNetBiosIp) {
  for (uint16_t port : {137, 138, 139}) {
    Bytes ip = IpWithPort(port);
    EXPECT_EQ(EtherTypeCategory(0x0800, View(ip), 0), kCatNetBiosIp) << port;
  }
  for (uint16_t port : {136, 140, 53}) {
    Bytes ip = IpWithPort(port);
    EXPECT_EQ(EtherTypeCategory(0x0800, View(ip), 0), kCatIp) << port;
  }
}

TEST(EtherTypeCategory, IpxToTheNetBiosSocketIsNetBiosIpx) {
  Bytes netbios = IpxPacket(0x14, IpxTo(kNetBiosIpxSocket), IpxTo(kNetBiosIpxSocket), {});
  Bytes ncp = IpxPacket(0x11, IpxTo(kNcpSocket), IpxTo(0x4003), {});
  EXPECT_EQ(EtherTypeCategory(0x8137, View(netbios), 0), kCatNetBiosIpx);
  EXPECT_EQ(EtherTypeCategory(0x8137, View(ncp), 0), kCatIpx);
  // Only the destination socket decides: a reply from the NetBIOS socket elsewhere is IPX.
  Bytes reply = IpxPacket(0x14, IpxTo(0x4003), IpxTo(kNetBiosIpxSocket), {});
  EXPECT_EQ(EtherTypeCategory(0x8137, View(reply), 0), kCatIpx);
}

TEST(SapCategory, FollowsTheTable) {
  struct Row {
    uint8_t dsap;
    ProtocolCategory category;
  };
  const std::vector<Row> rows = {
      {0x03, kCatSna},        {0x04, kCatSna},        {0x05, kCatSna},   {0x08, kCatSna},     {0x0C, kCatSna},
      {0x06, kCatIp},         {0x10, kCatIpx},        {0x20, kCatIso},   {0x34, kCatIso},     {0xEC, kCatIso},
      {0xFE, kCatIso},        {0x42, kCatBpdu},       {0x80, kCatXns},   {0x98, kCatArpRarp}, {0xBC, kCatVines},
      {0xF0, kCatNetBiosLlc}, {0xF1, kCatNetBiosLlc}, {0xAA, kCatOther}, {0x00, kCatOther},   {0xFF, kCatOther},
  };
  Bytes frame(64, 0);
  for (const Row& r : rows) EXPECT_EQ(SapCategory(r.dsap, View(frame), 17), r.category) << std::hex << int(r.dsap);
}

TEST(SapCategory, E0IsIpxOnlyForUnnumberedInformation) {
  Bytes frame(64, 0);
  frame[16] = 0x03;
  EXPECT_EQ(SapCategory(0xE0, View(frame), 17), kCatIpx);
  frame[16] = 0x13;
  EXPECT_EQ(SapCategory(0xE0, View(frame), 17), kCatOther);
}

TEST(ClassifyEthernet, LengthFieldBoundaryIs1500) {
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 1500, {0x42, 0x42, 0x03}));
  DataLinkFrame f = ClassifyEthernet(View(frame), 64, 0);
  EXPECT_EQ(f.link.encapsulation, kEncapLlc);
  EXPECT_EQ(f.link.category, kCatBpdu);
  EXPECT_EQ(f.link.networkOffset, 18);

  frame[12] = 0x05;
  frame[13] = 0xDD;  // 1501
  f = ClassifyEthernet(View(frame), 64, 0);
  EXPECT_EQ(f.link.encapsulation, kEncapEtype);
  EXPECT_EQ(f.link.category, kCatOther);
  EXPECT_EQ(f.link.networkOffset, 15);
}

TEST(ClassifyEthernet, EncapsulationsAndNetworkOffsets) {
  Bytes ip = IpUdp({10, 0, 0, 1}, {10, 0, 0, 2}, 1024, 53, Filler(20));
  DataLinkFrame e2 = ClassifyEthernet(View(EthernetII(Station(2), Station(1), 0x0800, ip)), 80, 0);
  EXPECT_EQ(e2.link.encapsulation, kEncapEtype);
  EXPECT_EQ(e2.link.category, kCatIp);
  EXPECT_EQ(e2.link.networkOffset, 15);
  EXPECT_EQ(e2.link.source, Key(Station(1)));
  EXPECT_EQ(e2.link.destination, Key(Station(2)));

  Bytes snapFrame = EthernetSnap(Station(2), Station(1), 0x0800, IpUdp({10, 0, 0, 1}, {10, 0, 0, 2}, 137, 137, {}));
  DataLinkFrame snap = ClassifyEthernet(View(snapFrame), 80, 0);
  EXPECT_EQ(snap.link.encapsulation, kEncapSnap);
  EXPECT_EQ(snap.link.category, kCatNetBiosIp);  // the port is found behind the SNAP header
  EXPECT_EQ(snap.link.networkOffset, 23);

  Bytes raw = EthernetNovellRaw(Station(2), Station(1), IpxPacket(0x14, IpxTo(kNetBiosIpxSocket), IpxTo(0x4003), {}));
  DataLinkFrame novell = ClassifyEthernet(View(raw), 64, 0);
  EXPECT_EQ(novell.link.encapsulation, kEncapNovRaw);
  EXPECT_EQ(novell.link.category, kCatNetBiosIpx);
  EXPECT_EQ(novell.link.networkOffset, 15);

  Bytes llcIpx = EthernetLlc(Station(2), Station(1), 0x10, 0x10, 0x03,
                             IpxPacket(0x14, IpxTo(kNetBiosIpxSocket), IpxTo(0x4003), {}));
  EXPECT_EQ(ClassifyEthernet(View(llcIpx), 64, 0).link.category, kCatNetBiosIpx);
  llcIpx[17 + 17] = 0x51;  // destination socket 0x0451
  EXPECT_EQ(ClassifyEthernet(View(llcIpx), 64, 0).link.category, kCatIpx);
}

TEST(ClassifyEthernet, NovellRawWinsWhateverTheLengthField) {
  Bytes raw = EthernetNovellRaw(Station(2), Station(1), IpxPacket(0x11, IpxTo(kNcpSocket), IpxTo(0x4003), {}));
  raw[12] = 0x00;
  raw[13] = 0x05;  // disagrees with the packet
  DataLinkFrame f = ClassifyEthernet(View(raw), 64, 0);
  EXPECT_EQ(f.link.encapsulation, kEncapNovRaw);
  EXPECT_EQ(f.link.category, kCatIpx);
}

TEST(ClassifyEthernet, ShortFramesHaveNoEncapsulation) {
  Bytes frame = EthernetII(kBroadcastMac, Station(1), 0x0800, {});
  DataLinkFrame f = ClassifyEthernet(View(frame), 17, 0);
  EXPECT_TRUE(f.addressed);
  EXPECT_EQ(f.link.encapsulation, kNoEncapsulation);
  EXPECT_EQ(f.link.category, kCatOther);
  EXPECT_TRUE(f.broadcast);

  f = ClassifyEthernet(View(frame), 15, 0);
  EXPECT_FALSE(f.addressed);
  EXPECT_EQ(f.link.source.Length, 0);
  EXPECT_TRUE(f.link.group);  // the group bit is read whatever the length
}

TEST(ClassifyEthernet, GroupAddressesAndStatusMember) {
  Bytes frame = PadFrame(EthernetII(Station(2), Station(1), 0x0806, {}));
  DataLinkFrame unicast = ClassifyEthernet(View(frame), 64, 0);
  EXPECT_FALSE(unicast.link.group);
  EXPECT_EQ(unicast.statusMember, kFrameStatusGood);

  frame[0] = 0x01;  // 01-00-0C-...: multicast
  DataLinkFrame multicast = ClassifyEthernet(View(frame), 64, kStatusCrcError);
  EXPECT_TRUE(multicast.link.group);
  EXPECT_TRUE(multicast.multicast);
  EXPECT_FALSE(multicast.broadcast);
  EXPECT_EQ(multicast.statusMember, kFrameStatusCrcError);

  frame[0] = 0xFF;
  DataLinkFrame broadcast = ClassifyEthernet(View(frame), 64, kStatusAlignmentError);
  EXPECT_TRUE(broadcast.broadcast);
  EXPECT_FALSE(broadcast.multicast);
  EXPECT_EQ(broadcast.statusMember, kFrameStatusCrcError);
}

TEST(ClassifyTokenRing, SourceRoutingBitIsNotPartOfTheAddress) {
  TokenRingAddressing a;
  a.dst = Station(2);
  a.src = Station(1);
  a.route = {0x0011, 0x0022, 0x0030};  // routing field of 8 bytes
  Bytes frame = TokenRingSnap(a, 0x0800, IpUdp({10, 0, 0, 1}, {10, 0, 0, 2}, 138, 138, {}));
  DataLinkFrame f = ClassifyTokenRing(View(frame));
  EXPECT_EQ(f.link.source, Key(Station(1)));
  EXPECT_TRUE(f.sourceRouted);
  EXPECT_EQ(f.link.encapsulation, kEncapSnap);
  EXPECT_EQ(f.link.networkOffset, 8 + 23);
  EXPECT_EQ(f.link.category, kCatNetBiosIp);
  EXPECT_EQ(f.statusMember, kFrameStatusGood);

  Bytes llc = TokenRingLlc(a, 0xE0, 0xE0, 0x03, IpxPacket(0x11, IpxTo(kNcpSocket), IpxTo(0x4003), {}));
  f = ClassifyTokenRing(View(llc));
  EXPECT_EQ(f.link.encapsulation, kEncapLlc);
  EXPECT_EQ(f.link.networkOffset, 8 + 18);
  EXPECT_EQ(f.link.category, kCatIpx);

  a.route.clear();
  f = ClassifyTokenRing(View(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {})));
  EXPECT_FALSE(f.sourceRouted);
  EXPECT_EQ(f.link.networkOffset, 18);
  EXPECT_EQ(f.link.category, kCatNetBiosLlc);
}

TEST(ClassifyTokenRing, AllOnesIsMulticastAndOtherGroupsBroadcast) {
  TokenRingAddressing a;
  a.src = Station(1);
  a.dst = kBroadcastMac;
  DataLinkFrame ones = ClassifyTokenRing(View(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {})));
  EXPECT_TRUE(ones.link.group);
  EXPECT_TRUE(ones.multicast);
  EXPECT_FALSE(ones.broadcast);

  a.dst = {0x80, 0x01, 0x43, 0x00, 0x00, 0x00};
  DataLinkFrame bridge = ClassifyTokenRing(View(TokenRingLlc(a, 0x42, 0x42, 0x03, {})));
  EXPECT_TRUE(bridge.broadcast);
  EXPECT_FALSE(bridge.multicast);

  a.dst = kNetBiosFunctional;
  EXPECT_TRUE(ClassifyTokenRing(View(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}))).multicast);

  a.dst = {0x40, 0x00, 0x00, 0x00, 0x00, 0x01};  // locally administered, not a group
  EXPECT_FALSE(ClassifyTokenRing(View(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}))).link.group);
}

TEST(ClassifyTokenRing, MacFrames) {
  std::array<uint8_t, 10> counts = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  Bytes report = SoftErrorReport(Station(1), Station(2), counts);
  DataLinkFrame f = ClassifyTokenRing(View(report));
  EXPECT_TRUE(f.macFrame);
  EXPECT_EQ(f.link.encapsulation, kEncapMac);
  EXPECT_EQ(f.link.category, kCatMac);
  EXPECT_EQ(f.macCommand, kMacReportSoftError);
  EXPECT_TRUE(f.reportToErrorMonitor);

  Bytes elsewhere = SoftErrorReport(Station(1), Station(2), counts, Station(3));
  EXPECT_FALSE(ClassifyTokenRing(View(elsewhere)).reportToErrorMonitor);
  Bytes monitor = MonitorPresent(true, Station(1), Station(2));
  EXPECT_FALSE(ClassifyTokenRing(View(monitor)).reportToErrorMonitor);
  EXPECT_EQ(ClassifyTokenRing(View(monitor)).macCommand, kMacActiveMonitorPresent);
}

TEST(SoftErrorCounts, ReadsTheTenCountsInKindOrder) {
  // Builder order: line, internal, burst, AC, abort, lost, congestion, copied, frequency, token.
  Bytes report = SoftErrorReport(Station(1), Station(2), {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  auto c = SoftErrorCounts(View(report));
  EXPECT_EQ(c[kSoftLine], 1);
  EXPECT_EQ(c[kSoftInternal], 2);
  EXPECT_EQ(c[kSoftBurst], 3);
  EXPECT_EQ(c[kSoftAc], 4);
  EXPECT_EQ(c[kSoftAbortDelimiter], 5);
  EXPECT_EQ(c[kSoftLostFrame], 6);
  EXPECT_EQ(c[kSoftReceiveCongestion], 7);
  EXPECT_EQ(c[kSoftFrameCopied], 8);
  EXPECT_EQ(c[kSoftFrequency], 9);
  EXPECT_EQ(c[kSoftToken], 10);

  Bytes shortFrame(20, 0xEE);
  auto s = SoftErrorCounts(View(shortFrame));
  EXPECT_EQ(s[kSoftLine], 0);  // past the data: zero
}

TEST(NetBiosSourceName, TakesNameClaimsAndDatagramsFromUnnumberedFrames) {
  Bytes add = EthernetLlc(kNetBiosMulticast, Station(1), 0xF0, 0xF0, 0x03,
                          NetBiosHeader(kNetBiosAddNameQuery, "", "  FILESRV\x01 "));
  EXPECT_EQ(NetBiosSourceName(View(add), 18), std::optional<std::string>("FILESRV"));

  Bytes datagram = EthernetLlc(kNetBiosMulticast, Station(1), 0xF0, 0xF0, 0x03,
                               NetBiosHeader(kNetBiosDatagram, "WORKGROUP", "ALICE"));
  EXPECT_EQ(NetBiosSourceName(View(datagram), 18), std::optional<std::string>("ALICE"));

  Bytes query = EthernetLlc(kNetBiosMulticast, Station(1), 0xF0, 0xF0, 0x03,
                            NetBiosHeader(kNetBiosNameQuery, "FILESRV", "ALICE"));
  EXPECT_FALSE(NetBiosSourceName(View(query), 18));

  Bytes information = Ethernet8023(kNetBiosMulticast, Station(1),
                                   Cat({LlcInformationHeader(0xF0, 0xF0, 1, 1), NetBiosHeader(0x08, "", "ALICE")}));
  EXPECT_FALSE(NetBiosSourceName(View(information), 18));
}

TEST(NetBiosSourceName, NameRunningPastTheDataIsCut) {
  Bytes add =
      EthernetLlc(kNetBiosMulticast, Station(1), 0xF0, 0xF0, 0x03, NetBiosHeader(kNetBiosAddNameQuery, "", "BOB"));
  add.resize(18 + 27 + 2);  // only "BO" remains
  EXPECT_EQ(NetBiosSourceName(View(add), 18), std::optional<std::string>("BO"));
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include <string>

#include "Packets.h"

namespace corvanta::testing {
namespace {

const MacAddr kA = {0x00, 0xA0, 0xC9, 0x01, 0x02, 0x03};
const MacAddr kB = {0x08, 0x00, 0x20, 0x04, 0x05, 0x06};
const Ip4Addr kIpA = {192, 168, 1, 10};
const Ip4Addr kIpB = {10, 0, 0, 7};

uint16_t Be16(const Bytes& b, size_t at) { return static_cast<uint16_t>(b[at] << 8 | b[at + 1]); }
uint32_t Be32(const Bytes& b, size_t at) { return static_cast<uint32_t>(Be16(b, at)) << 16 | Be16(b, at + 2); }
Bytes Slice(const Bytes& b, size_t at, size_t n) { return Bytes(b.begin() + at, b.begin() + at + n); }
Bytes Mac(const MacAddr& m) { return Bytes(m.begin(), m.end()); }

// Verifies a TCP or UDP checksum the way a receiver does: the sum over the pseudo header and
// the segment, stored checksum included, is all ones.
bool TransportChecksumOk(const Bytes& ip) {
  size_t h = (ip[0] & 0x0F) * 4u;
  Bytes pseudo = Slice(ip, 12, 8);
  pseudo.push_back(0);
  pseudo.push_back(ip[9]);
  size_t length = Be16(ip, 2) - h;
  pseudo.push_back(static_cast<uint8_t>(length >> 8));
  pseudo.push_back(static_cast<uint8_t>(length));
  Append(pseudo, Slice(ip, h, length));
  return InternetChecksum(pseudo.data(), pseudo.size()) == 0;
}

TEST(Packets, InternetChecksumKnownValue) {
  Bytes header = {0x45, 0x00, 0x00, 0x73, 0x00, 0x00, 0x40, 0x00, 0x40, 0x11,
                  0x00, 0x00, 0xC0, 0xA8, 0x00, 0x01, 0xC0, 0xA8, 0x00, 0xC7};
  EXPECT_EQ(InternetChecksum(header.data(), header.size()), 0xB861);
  Bytes odd = {0x01, 0x02, 0x03};
  EXPECT_EQ(InternetChecksum(odd.data(), odd.size()), static_cast<uint16_t>(~(0x0102 + 0x0300)));
}

TEST(Packets, EthernetEncapsulations) {
  Bytes payload = Filler(46);
  Bytes ii = EthernetII(kB, kA, 0x0800, payload);
  EXPECT_EQ(Slice(ii, 0, 6), Mac(kB));
  EXPECT_EQ(Slice(ii, 6, 6), Mac(kA));
  EXPECT_EQ(Be16(ii, 12), 0x0800);
  EXPECT_EQ(ii.size(), 60u);

  Bytes llc = EthernetLlc(kB, kA, 0xF0, 0xF0, 0x03, Filler(10));
  EXPECT_EQ(Be16(llc, 12), 13);
  EXPECT_EQ(llc[14], 0xF0);
  EXPECT_EQ(llc[16], 0x03);
  EXPECT_EQ(PadFrame(llc).size(), 60u);
  EXPECT_EQ(PadFrame(Filler(70)).size(), 70u);

  Bytes snap = EthernetSnap(kB, kA, 0x8137, Filler(4));
  EXPECT_EQ(Be16(snap, 14), 0xAAAA);
  EXPECT_EQ(Be16(snap, 20), 0x8137);

  Bytes raw = EthernetNovellRaw(kB, kA, IpxPacket(17, {}, {}, Filler(8)));
  EXPECT_EQ(Be16(raw, 14), 0xFFFF);
  EXPECT_EQ(Be16(raw, 12), 38);

  Bytes info = LlcInformationHeader(0x04, 0x04, 5, 9);
  EXPECT_EQ(info, (Bytes{0x04, 0x04, 10, 18}));
}

TEST(Packets, TokenRingRoutingAndLlc) {
  TokenRingAddressing a;
  a.dst = kB;
  a.src = kA;
  Bytes plain = TokenRingLlc(a, 0xF0, 0xF0, 0x03, Filler(4));
  EXPECT_EQ(plain[0], 0x10);
  EXPECT_EQ(plain[1], 0x40);
  EXPECT_EQ(plain[8] & 0x80, 0);
  EXPECT_EQ(plain[14], 0xF0);

  a.route = {0x0011, 0x0020};
  a.allRoutesBroadcast = true;
  Bytes routed = TokenRingSnap(a, 0x0800, Filler(4));
  EXPECT_EQ(routed[8] & 0x80, 0x80);
  EXPECT_EQ(routed[8] & 0x7F, kA[0]);
  size_t r = routed[14] & 0x1F;
  EXPECT_EQ(r, 6u);
  EXPECT_EQ(routed[14] & 0xE0, 0x80);
  EXPECT_EQ(Be16(routed, 16), 0x0011);
  EXPECT_EQ(Be16(routed, 14 + r), 0xAAAA);
  EXPECT_EQ(Be16(routed, 20 + r), 0x0800);
}

TEST(Packets, TokenRingMacFrames) {
  MacAddr upstream = {0x10, 0x00, 0x5A, 0x11, 0x22, 0x33};
  Bytes report = SoftErrorReport(kA, upstream, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(report[1] & 0xC0, 0);
  EXPECT_EQ(Slice(report, 2, 6), Mac(kRingErrorMonitor));
  EXPECT_EQ(report[17], 0x29);
  EXPECT_EQ(Be16(report, 14), report.size() - 14);
  EXPECT_EQ(Slice(report, 20, 5), (Bytes{1, 2, 3, 4, 5}));
  EXPECT_EQ(Slice(report, 28, 5), (Bytes{6, 7, 8, 9, 10}));
  EXPECT_EQ(Slice(report, 42, 6), Mac(upstream));

  Bytes active = MonitorPresent(true, kA, upstream);
  EXPECT_EQ(active[17], 0x05);
  EXPECT_EQ(Slice(active, 26, 6), Mac(upstream));
  EXPECT_EQ(MonitorPresent(false, kA, upstream)[17], 0x06);
}

TEST(Packets, Ipv4HeaderFields) {
  Ipv4Options o;
  o.id = 0x1234;
  o.ttl = 32;
  o.fragmentOffset = 1480;
  o.moreFragments = true;
  Bytes ip = Ipv4Packet(kIpA, kIpB, kIpUdp, Filler(100), o);
  EXPECT_EQ(ip[0], 0x45);
  EXPECT_EQ(Be16(ip, 2), 120);
  EXPECT_EQ(Be16(ip, 4), 0x1234);
  EXPECT_EQ(ip[8], 32);
  EXPECT_EQ(ip[9], kIpUdp);
  EXPECT_EQ(Be16(ip, 6) & 0x2000, 0x2000);
  EXPECT_EQ((Be16(ip, 6) * 8) % 65536, 1480);
  EXPECT_EQ(InternetChecksum(ip.data(), 20), 0);
  EXPECT_EQ(Slice(ip, 12, 4), Bytes(kIpA.begin(), kIpA.end()));

  o.options = {0x94, 0x04, 0x00};  // padded to four bytes
  o.badChecksum = true;
  Bytes withOptions = Ipv4Packet(kIpA, kIpB, kIpTcp, {}, o);
  EXPECT_EQ(withOptions[0], 0x46);
  EXPECT_EQ(withOptions.size(), 24u);
  EXPECT_NE(InternetChecksum(withOptions.data(), 24), 0);
}

TEST(Packets, TcpAndUdpChecksums) {
  TcpSegment s;
  s.srcPort = 1030;
  s.dstPort = 80;
  s.seq = 0x01020304;
  s.ack = 0x0A0B0C0D;
  s.flags = kTcpSyn | kTcpAck;
  s.window = 0;
  s.mss = 1460;
  Bytes ip = IpTcp(kIpA, kIpB, s);
  const size_t t = 20;
  EXPECT_EQ(Be16(ip, t), 1030);
  EXPECT_EQ(Be16(ip, t + 2), 80);
  EXPECT_EQ(Be32(ip, t + 4), 0x01020304u);
  EXPECT_EQ(Be32(ip, t + 8), 0x0A0B0C0Du);
  EXPECT_EQ(ip[t + 12] >> 4, 6);
  EXPECT_EQ(ip[t + 13], kTcpSyn | kTcpAck);
  EXPECT_EQ(Be16(ip, t + 14), 0);
  EXPECT_EQ(ip[t + 20], 2);
  EXPECT_EQ(Be16(ip, t + 22), 1460);
  EXPECT_TRUE(TransportChecksumOk(ip));

  s.mss = 0;
  s.payload = Filler(33);  // odd length
  EXPECT_TRUE(TransportChecksumOk(IpTcp(kIpA, kIpB, s)));
  s.badChecksum = true;
  EXPECT_FALSE(TransportChecksumOk(IpTcp(kIpA, kIpB, s)));

  Bytes udp = IpUdp(kIpA, kIpB, 1100, 53, Filler(17));
  EXPECT_EQ(Be16(udp, 24), 25);
  EXPECT_TRUE(TransportChecksumOk(udp));
  Bytes noSum = UdpHeader(kIpA, kIpB, 1100, 53, Filler(17), true);
  EXPECT_EQ(Be16(noSum, 6), 0);
}

TEST(Packets, IcmpArpAndDns) {
  Bytes echo = IcmpEcho(false, 0x0200, 7, Filler(32));
  EXPECT_EQ(echo[0], 8);
  EXPECT_EQ(Be16(echo, 6), 7);
  EXPECT_EQ(InternetChecksum(echo.data(), echo.size()), 0);
  EXPECT_EQ(IcmpEcho(true, 1, 1, {})[0], 0);

  Bytes original = IpUdp(kIpA, kIpB, 1050, 69, Filler(40));
  Bytes unreachable = IcmpUnreachable(3, original);
  EXPECT_EQ(unreachable[0], 3);
  EXPECT_EQ(unreachable[1], 3);
  EXPECT_EQ(unreachable.size(), 8u + 20 + 8);
  EXPECT_EQ(Slice(unreachable, 8, 28), Slice(original, 0, 28));
  EXPECT_EQ(InternetChecksum(unreachable.data(), unreachable.size()), 0);

  Bytes arp = ArpPacket(kArpReply, kA, kIpA, kB, kIpB);
  EXPECT_EQ(arp.size(), 28u);
  EXPECT_EQ(Be16(arp, 6), kArpReply);
  EXPECT_EQ(Slice(arp, 8, 6), Mac(kA));
  EXPECT_EQ(Slice(arp, 24, 4), Bytes(kIpB.begin(), kIpB.end()));

  // Walk the answer the way the decoder does: skip the questions, then read the records.
  Bytes dns = DnsAnswer(0x1234, "www.example.com", {{10, 1, 2, 3}, {10, 1, 2, 4}});
  ASSERT_EQ(dns[5], 1);
  ASSERT_EQ(dns[7], 2);
  size_t c = 12;
  ++c;
  while (dns[c] != 0) ++c;
  c += 1 + 4;
  for (int i = 0; i < 2; ++i) {
    size_t offset = static_cast<size_t>((dns[c] & 0x3F) << 8 | dns[c + 1]);
    EXPECT_EQ(offset, 12u);
    EXPECT_EQ(dns[c + 3], 1);
    EXPECT_EQ(Slice(dns, c + 12, 4), (Bytes{10, 1, 2, static_cast<uint8_t>(3 + i)}));
    c += 16;
  }
  EXPECT_EQ(c, dns.size());
  EXPECT_EQ(dns[12], 3);
  EXPECT_EQ(std::string(dns.begin() + 13, dns.begin() + 16), "www");

  Bytes query = DnsQuery(0x1234, "host");
  EXPECT_EQ(Be16(query, 2) & 0x8000, 0);
  EXPECT_EQ(query.size(), 12u + 6 + 4);
}

TEST(Packets, IpxServices) {
  IpxAddress server{0x1234, kB, kNcpSocket};
  IpxAddress client{0x1234, kA, 0x4002};
  Bytes request = IpxPacket(17, server, client, NcpRequest(9, 0x0105, 1, 0x48, Filler(12)));
  EXPECT_EQ(Be16(request, 0), 0xFFFF);
  EXPECT_EQ(Be16(request, 2), request.size());
  EXPECT_EQ(request[5], 17);
  EXPECT_EQ(Be32(request, 6), 0x1234u);
  EXPECT_EQ(Slice(request, 10, 6), Mac(kB));
  EXPECT_EQ(Be16(request, 16), kNcpSocket);
  EXPECT_EQ(Slice(request, 22, 6), Mac(kA));
  EXPECT_EQ(Be16(request, 28), 0x4002);
  const size_t d = 30;
  EXPECT_EQ(Be16(request, d), 0x2222);
  EXPECT_EQ(request[d + 2], 9);
  EXPECT_EQ(request[d + 3], 0x05);
  EXPECT_EQ(request[d + 5], 0x01);
  EXPECT_EQ(request[d + 6], 0x48);
  Bytes reply = NcpReply(9, 0x0105, 1, 0, 0, {});
  EXPECT_EQ(Be16(reply, 0), 0x3333);
  EXPECT_EQ(reply[2], 9);

  Bytes spx = SpxHeader(0x80, 0, 0x1111, 0x2222, 3, 4, 5);
  EXPECT_EQ(spx.size(), 12u);
  EXPECT_EQ(Be16(spx, 2), 0x1111);
  EXPECT_EQ(Be16(spx, 6), 3);
  EXPECT_EQ(Be16(spx, 8), 4);

  SapEntry fs{4, "FS1", {0x1234, kB, kNcpSocket}, 1};
  SapEntry print{7, "PRINTQ", {0x5678, kA, 0x8060}, 2};
  Bytes sap = IpxPacket(4, {}, server, SapResponse(2, {fs, print}));
  EXPECT_EQ(Be16(sap, 30), 2);
  for (int k = 0; k < 2; ++k) {
    size_t e = 32 + 64 * k;
    EXPECT_LT(30u + 64 * k, Be16(sap, 2));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&sap[e + 2])), k == 0 ? "FS1" : "PRINTQ");
    EXPECT_EQ(Be32(sap, e + 50), k == 0 ? 0x1234u : 0x5678u);
    EXPECT_EQ(sap[e + 63], k == 0 ? 1 : 2);
  }
  EXPECT_EQ(SapQuery(3, 4), (Bytes{0, 3, 0, 4}));

  Bytes rip = RipPacket(2, {{0x1234, 1, 2}, {0x5678, 3, 4}});
  EXPECT_EQ(rip.size(), 2u + 16);
  EXPECT_EQ(Be32(rip, 10), 0x5678u);
  EXPECT_EQ(Be16(rip, 16), 4);
}

TEST(Packets, NetBiosOverLlc) {
  Bytes frame = EthernetLlc(kNetBiosMulticast, kA, 0xF0, 0xF0, 0x03,
                            NetBiosHeader(kNetBiosAddNameQuery, "ACCTG-PC", "ACCTG-PC", 0x21));
  // Network offset 18 (1-based): the command at 21, the source name at 45..60.
  const size_t n = 18;
  EXPECT_EQ(frame[n - 2], 0x03);
  EXPECT_EQ(frame[n - 1], 44);
  EXPECT_EQ(frame[n + 3], kNetBiosAddNameQuery);
  EXPECT_EQ(std::string(frame.begin() + n + 27, frame.begin() + n + 43), "ACCTG-PC        ");
  EXPECT_EQ(frame.size(), 14u + 3 + 44);
}

}  // namespace
}  // namespace corvanta::testing

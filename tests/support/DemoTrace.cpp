#include "DemoTrace.h"

#include <algorithm>
#include <string>

#include "Packets.h"
#include "trace/FrameRecord.h"

namespace corvanta::testing {

namespace {

struct Host {
  MacAddr mac;  // the station the frames go to or come from (the router for remote hosts)
  Ip4Addr ip;
};

const Host kClientA = {{0x00, 0xA0, 0xC9, 0x11, 0x22, 0x33}, {192, 168, 1, 10}};
const Host kClientB = {{0x00, 0x60, 0x08, 0x44, 0x55, 0x66}, {192, 168, 1, 11}};
const Host kWebServer = {{0x08, 0x00, 0x20, 0xAA, 0xBB, 0xCC}, {192, 168, 1, 20}};
const Host kDnsServer = {{0x00, 0x10, 0x4B, 0x01, 0x02, 0x03}, {192, 168, 1, 2}};
const Host kRouter = {{0x00, 0x00, 0x0C, 0x12, 0x34, 0x56}, {192, 168, 1, 1}};
const Host kPrinter = {{0x00, 0xA0, 0x24, 0x0A, 0x0B, 0x0C}, {192, 168, 1, 30}};
const Host kRemoteMail = {kRouter.mac, {10, 1, 1, 5}};

constexpr uint32_t kIpxNet = 0x00001234;
const MacAddr kFileServerMac = {0x00, 0x00, 0x1B, 0x9A, 0xBC, 0xDE};
const MacAddr kIpxClientRawMac = {0x00, 0x40, 0x05, 0x33, 0x44, 0x55};
const MacAddr kIpxClientIIMac = {0x00, 0x20, 0xAF, 0x66, 0x77, 0x88};
const MacAddr kNetBiosD = {0x00, 0x00, 0xF8, 0x01, 0x02, 0x03};
const MacAddr kNetBiosE = {0x00, 0x00, 0xF8, 0x04, 0x05, 0x06};

// Deterministic pseudo-random numbers, so the demo is the same on every build.
class Random {
 public:
  uint32_t Next() {
    state_ = state_ * 1103515245u + 12345u;
    return state_ >> 8;
  }
  // Uniform in [low, high).
  double Between(double low, double high) { return low + (high - low) * (Next() % 10000) / 10000.0; }

 private:
  uint32_t state_ = 20240601;
};

class Demo {
 public:
  void Add(double seconds, Bytes frame, uint16_t status = 0) {
    TestFrame f;
    f.offsetUs = seconds * 1e6;
    f.status = status;
    f.bytes = std::move(frame);
    frames_.push_back(std::move(f));
  }
  // An IP packet between two hosts on the local segment (or through the router).
  void Ip(double seconds, const Host& from, const Host& to, uint8_t protocol, const Bytes& transport,
          uint16_t status = 0) {
    Ipv4Options o;
    o.id = nextIpId_++;
    o.ttl = from.mac == kRouter.mac && from.ip != kRouter.ip ? 61 : 128;
    Add(seconds, PadFrame(EthernetII(to.mac, from.mac, 0x0800, Ipv4Packet(from.ip, to.ip, protocol, transport, o))),
        status);
  }
  std::vector<TestFrame> Take() {
    std::stable_sort(frames_.begin(), frames_.end(),
                     [](const TestFrame& a, const TestFrame& b) { return a.offsetUs < b.offsetUs; });
    return std::move(frames_);
  }

 private:
  std::vector<TestFrame> frames_;
  uint16_t nextIpId_ = 0x1A00;
};

// One TCP connection; each side's sequence number advances with what it sends.
class TcpSession {
 public:
  TcpSession(Demo& demo, const Host& client, uint16_t clientPort, const Host& server, uint16_t serverPort,
             uint32_t clientIsn, uint32_t serverIsn)
      : demo_(demo), client_(client), server_(server), clientPort_(clientPort), serverPort_(serverPort) {
    seq_[0] = clientIsn;
    seq_[1] = serverIsn;
  }

  // Sends from the client (fromClient) or the server; returns the sequence number used.
  uint32_t Send(double t, bool fromClient, uint8_t flags, const Bytes& payload, uint16_t window = 8760,
                uint16_t mss = 0) {
    int side = fromClient ? 0 : 1;
    uint32_t seq = seq_[side];
    Emit(t, fromClient, flags, seq, payload, window, mss);
    seq_[side] += static_cast<uint32_t>(payload.size());
    if (flags & (kTcpSyn | kTcpFin)) seq_[side] += 1;
    return seq;
  }
  // The same segment once more, with its first sequence number.
  void Resend(double t, bool fromClient, uint32_t seq, const Bytes& payload) {
    Emit(t, fromClient, kTcpAck | kTcpPsh, seq, payload, 8760, 0);
  }
  void Handshake(double t, double rtt) {
    Send(t, true, kTcpSyn, {}, 8192, 1460);
    Send(t + rtt / 2, false, kTcpSyn | kTcpAck, {}, 8760, 1460);
    Send(t + rtt, true, kTcpAck, {});
  }
  void Close(double t, double rtt) {
    Send(t, true, kTcpFin | kTcpAck, {});
    Send(t + rtt / 2, false, kTcpAck, {});
    Send(t + rtt / 2 + 0.0004, false, kTcpFin | kTcpAck, {});
    Send(t + rtt, true, kTcpAck, {});
  }

 private:
  void Emit(double t, bool fromClient, uint8_t flags, uint32_t seq, const Bytes& payload, uint16_t window,
            uint16_t mss) {
    TcpSegment s;
    s.srcPort = fromClient ? clientPort_ : serverPort_;
    s.dstPort = fromClient ? serverPort_ : clientPort_;
    s.seq = seq;
    s.ack = (flags & kTcpAck) ? seq_[fromClient ? 1 : 0] : 0;
    s.flags = flags;
    s.window = window;
    s.mss = mss;
    s.payload = payload;
    const Host& from = fromClient ? client_ : server_;
    const Host& to = fromClient ? server_ : client_;
    demo_.Ip(t, from, to, kIpTcp, TcpHeader(from.ip, to.ip, s));
  }

  Demo& demo_;
  Host client_;
  Host server_;
  uint16_t clientPort_;
  uint16_t serverPort_;
  uint32_t seq_[2];
};

Bytes HttpRequest(const std::string& page) {
  return TextBytes("GET " + page +
                   " HTTP/1.0\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT)\r\n"
                   "Accept: */*\r\nHost: intranet.example.com\r\n\r\n");
}

// A page download: request, then the server's segments, acknowledged by the client every
// second segment. With retransmit, one segment is lost and sent again.
void WebSession(Demo& demo, Random& rnd, double t, const Host& client, uint16_t port, size_t pageBytes,
                bool retransmit) {
  TcpSession tcp(demo, client, port, kWebServer, 80, 0x10000000u + port * 7919u, 0x5A000000u + port * 104729u);
  const double rtt = 0.0012;
  tcp.Handshake(t, rtt);
  t += rtt + 0.002;
  tcp.Send(t, true, kTcpAck | kTcpPsh, HttpRequest("/reports/page" + std::to_string(port) + ".html"));
  t += 0.015;
  Bytes header = TextBytes("HTTP/1.0 200 OK\r\nServer: Netscape-Enterprise/3.6\r\nContent-Type: text/html\r\n\r\n");
  size_t sent = 0;
  int segment = 0;
  while (sent < pageBytes) {
    size_t n = std::min<size_t>(1460, pageBytes - sent);
    Bytes payload = segment == 0 ? header : Bytes{};
    Append(payload, Filler(n - payload.size(), static_cast<uint8_t>(segment)));
    uint32_t seq = tcp.Send(t, false, kTcpAck, payload);
    if (retransmit && segment == 5) {
      // The client acknowledges only up to this segment again; after a timeout it comes again.
      tcp.Resend(t + 0.35, false, seq, payload);
      t += 0.35;
    }
    sent += n;
    ++segment;
    t += 0.0013 + rnd.Between(0, 0.0006);
    if (segment % 2 == 0 || sent >= pageBytes) {
      tcp.Send(t, true, kTcpAck, {});
      t += 0.0004;
    }
  }
  tcp.Close(t + 0.01, rtt);
}

// A telnet session: keystrokes echoed by the server; once the client's buffer is full it
// advertises a zero window, and opens it again shortly after.
void TelnetSession(Demo& demo, Random& rnd, double start, double end) {
  TcpSession tcp(demo, kClientB, 1045, kWebServer, 23, 0x33000000u, 0x44000000u);
  tcp.Handshake(start, 0.0011);
  double t = start + 0.05;
  tcp.Send(t, false, kTcpAck | kTcpPsh, TextBytes("\r\nSunOS 5.6\r\n\r\nlogin: "));
  t += 0.3;
  bool zeroWindowDone = false;
  const std::string typed = "ls -l /export/home/reports; cat summary.txt; df -k; who; uptime; ";
  size_t k = 0;
  while (t < end) {
    Bytes key = {static_cast<uint8_t>(typed[k++ % typed.size()])};
    tcp.Send(t, true, kTcpAck | kTcpPsh, key);
    tcp.Send(t + 0.0009, false, kTcpAck | kTcpPsh, key);
    tcp.Send(t + 0.12, true, kTcpAck, {});
    if (!zeroWindowDone && t > 30.0) {
      // A burst of output fills the client's buffer.
      double u = t + 0.2;
      for (int i = 0; i < 6; ++i, u += 0.0013) tcp.Send(u, false, kTcpAck | kTcpPsh, Filler(1200, 'A'));
      tcp.Send(u + 0.001, true, kTcpAck, {}, 0);
      tcp.Send(u + 0.3, true, kTcpAck, {}, 8760);
      t = u + 0.3;
      zeroWindowDone = true;
    }
    t += rnd.Between(0.35, 0.9);
  }
  tcp.Close(end, 0.0011);
}

void NameLookup(Demo& demo, double t, const Host& client, uint16_t id, const std::string& name, const Ip4Addr& answer) {
  uint16_t port = static_cast<uint16_t>(1100 + id % 200);
  demo.Ip(t, client, kDnsServer, kIpUdp, UdpHeader(client.ip, kDnsServer.ip, port, 53, DnsQuery(id, name)));
  demo.Ip(t + 0.0031, kDnsServer, client, kIpUdp,
          UdpHeader(kDnsServer.ip, client.ip, 53, port, DnsAnswer(id, name, {answer})));
}

void Arp(Demo& demo, double t, const Host& asker, const Host& target) {
  demo.Add(t, PadFrame(EthernetII(kBroadcastMac, asker.mac, 0x0806,
                                  ArpPacket(kArpRequest, asker.mac, asker.ip, MacAddr{}, target.ip))));
  demo.Add(t + 0.0004, PadFrame(EthernetII(asker.mac, target.mac, 0x0806,
                                           ArpPacket(kArpReply, target.mac, target.ip, asker.mac, asker.ip))));
}

void Pings(Demo& demo, double t, const Host& from, const Host& to, int count) {
  for (int i = 0; i < count; ++i, t += 1.0) {
    Bytes data = TextBytes("abcdefghijklmnopqrstuvwabcdefghi");
    demo.Ip(t, from, to, kIpIcmp, IcmpEcho(false, 0x0200, static_cast<uint16_t>(0x0100 + i), data));
    demo.Ip(t + 0.0008, to, from, kIpIcmp, IcmpEcho(true, 0x0200, static_cast<uint16_t>(0x0100 + i), data));
  }
}

// A TFTP read request to a host without TFTP service: it answers port unreachable.
void PortUnreachable(Demo& demo, double t) {
  Bytes request = {0, 1};
  Append(request, TextBytes("config.txt"));
  request.push_back(0);
  Append(request, TextBytes("octet"));
  request.push_back(0);
  Ipv4Options o;
  o.id = 0x7700;
  o.ttl = 128;
  Bytes packet = IpUdp(kClientB.ip, kPrinter.ip, 1050, 69, request, o);
  demo.Add(t, PadFrame(EthernetII(kPrinter.mac, kClientB.mac, 0x0800, packet)));
  demo.Ip(t + 0.0007, kPrinter, kClientB, kIpIcmp, IcmpUnreachable(3, packet));
}

// A connection attempt to a remote mail server that is refused with a reset.
void RefusedConnection(Demo& demo, double t) {
  TcpSession tcp(demo, kClientA, 1031, kRemoteMail, 25, 0x77000000u, 0);
  tcp.Send(t, true, kTcpSyn, {}, 8192, 1460);
  tcp.Send(t + 0.042, false, kTcpRst | kTcpAck, {}, 0);
}

// NetWare: SAP and RIP broadcasts, a client attaching, and file reads and writes with NCP.
class NetWare {
 public:
  NetWare(Demo& demo, Random& rnd) : demo_(demo), rnd_(rnd) {}

  void Broadcasts(double t) {
    IpxAddress from{kIpxNet, kFileServerMac, kSapSocket};
    IpxAddress to{kIpxNet, kBroadcastMac, kSapSocket};
    SapEntry fs1{4, "FS1", {kIpxNet, kFileServerMac, kNcpSocket}, 1};
    SapEntry print{7, "PRINTQ_1", {kIpxNet, kFileServerMac, 0x8060}, 1};
    Raw(t, kBroadcastMac, kFileServerMac, IpxPacket(4, to, from, SapResponse(2, {fs1, print})));
    from.socket = to.socket = kRipSocket;
    Raw(t + 0.05, kBroadcastMac, kFileServerMac,
        IpxPacket(1, to, from, RipPacket(2, {{kIpxNet, 1, 1}, {0x00005678, 2, 3}})));
  }

  // A client on Ethernet II finds the nearest server and its route.
  void FindServer(double t) {
    IpxAddress client{0, kIpxClientIIMac, 0x4003};
    IpxAddress anyServer{0, kBroadcastMac, kSapSocket};
    EtherII(t, kBroadcastMac, kIpxClientIIMac, IpxPacket(4, anyServer, client, SapQuery(3, 4)));
    SapEntry fs1{4, "FS1", {kIpxNet, kFileServerMac, kNcpSocket}, 1};
    EtherII(
        t + 0.0012, kIpxClientIIMac, kFileServerMac,
        IpxPacket(4, {kIpxNet, kIpxClientIIMac, 0x4003}, {kIpxNet, kFileServerMac, kSapSocket}, SapResponse(4, {fs1})));
    IpxAddress ripAll{0, kBroadcastMac, kRipSocket};
    EtherII(t + 0.01, kBroadcastMac, kIpxClientIIMac,
            IpxPacket(1, ripAll, {0, kIpxClientIIMac, kRipSocket}, RipPacket(1, {{kIpxNet, 0xFFFF, 0xFFFF}})));
    EtherII(t + 0.0112, kIpxClientIIMac, kFileServerMac,
            IpxPacket(1, {kIpxNet, kIpxClientIIMac, kRipSocket}, {kIpxNet, kFileServerMac, kRipSocket},
                      RipPacket(2, {{kIpxNet, 1, 1}})));
  }

  // NCP traffic of one client from start to end: reads of 512 bytes, some writes.
  void Client(double start, double end, const MacAddr& mac, uint16_t socket, bool raw, uint16_t connection,
              uint16_t crcErrorAt) {
    IpxAddress client{kIpxNet, mac, socket};
    IpxAddress server{kIpxNet, kFileServerMac, kNcpSocket};
    uint8_t seq = 0;
    // Create a service connection.
    Send(raw, start, kFileServerMac, mac, IpxPacket(17, server, client, Bytes{0x11, 0x11, 0, 0xFF, 0, 0xFF, 0}));
    Send(raw, start + 0.0015, mac, kFileServerMac, IpxPacket(17, client, server, NcpReply(0, connection, 0, 0, 0, {})));
    double t = start + 0.2;
    uint32_t offset = 0;
    uint16_t count = 0;
    while (t < end) {
      ++seq;
      bool write = count % 7 == 6;
      Bytes request;
      uint8_t function;
      if (write) {
        function = 0x49;
        request = Cat({Bytes{0, 0, 0, 0, 0x12, 0x34},
                       Bytes{static_cast<uint8_t>(offset >> 24), static_cast<uint8_t>(offset >> 16),
                             static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset)},
                       Bytes{0x01, 0x00}, Filler(256, seq)});
      } else {
        function = 0x48;
        request = Cat({Bytes{0, 0, 0, 0, 0x12, 0x34},
                       Bytes{static_cast<uint8_t>(offset >> 24), static_cast<uint8_t>(offset >> 16),
                             static_cast<uint8_t>(offset >> 8), static_cast<uint8_t>(offset)},
                       Bytes{0x02, 0x00}});
      }
      uint16_t status = count == crcErrorAt ? kStatusCrcError : 0;
      Send(raw, t, kFileServerMac, mac,
           IpxPacket(17, server, client, NcpRequest(seq, connection, 1, function, request)), status);
      Bytes reply = write ? Bytes{} : Cat({Bytes{0x02, 0x00}, Filler(512, seq)});
      double serverTime = 0.0018 + rnd_.Between(0, 0.002);
      Send(raw, t + serverTime, mac, kFileServerMac,
           IpxPacket(17, client, server, NcpReply(seq, connection, 1, 0, 0, reply)));
      offset += write ? 256 : 512;
      ++count;
      t += rnd_.Between(0.15, 0.6);
    }
  }

 private:
  void Raw(double t, const MacAddr& dst, const MacAddr& src, const Bytes& ipx, uint16_t status = 0) {
    demo_.Add(t, PadFrame(EthernetNovellRaw(dst, src, ipx)), status);
  }
  void EtherII(double t, const MacAddr& dst, const MacAddr& src, const Bytes& ipx, uint16_t status = 0) {
    demo_.Add(t, PadFrame(EthernetII(dst, src, 0x8137, ipx)), status);
  }
  void Send(bool raw, double t, const MacAddr& dst, const MacAddr& src, const Bytes& ipx, uint16_t status = 0) {
    if (raw)
      Raw(t, dst, src, ipx, status);
    else
      EtherII(t, dst, src, ipx, status);
  }

  Demo& demo_;
  Random& rnd_;
};

// NetBIOS over LLC: a station claims its name, another looks it up and sends a datagram.
void NetBiosLlc(Demo& demo, double t) {
  for (int i = 0; i < 3; ++i)
    demo.Add(t + 0.5 * i, PadFrame(EthernetLlc(kNetBiosMulticast, kNetBiosD, 0xF0, 0xF0, 0x03,
                                               NetBiosHeader(kNetBiosAddNameQuery, "ACCTG-PC", "ACCTG-PC", 0x21))));
  t += 10;
  demo.Add(t, PadFrame(EthernetLlc(kNetBiosMulticast, kNetBiosE, 0xF0, 0xF0, 0x03,
                                   NetBiosHeader(kNetBiosNameQuery, "ACCTG-PC", "PAYROLL", 0x35))));
  demo.Add(t + 0.002, PadFrame(EthernetLlc(kNetBiosE, kNetBiosD, 0xF0, 0xF0, 0x03,
                                           NetBiosHeader(kNetBiosNameRecognized, "PAYROLL", "ACCTG-PC", 0x35))));
  Bytes datagram = Cat({NetBiosHeader(kNetBiosDatagram, "ACCTG-PC", "PAYROLL"), TextBytes("Month-end totals ready.")});
  demo.Add(t + 1.0, PadFrame(EthernetLlc(kNetBiosD, kNetBiosE, 0xF0, 0xF0, 0x03, datagram)));
}

// Damaged frames: a few runts, collision fragments and frames with a bad check sequence.
void Errors(Demo& demo) {
  // Runts: complete but too short.
  demo.Add(12.5, Filler(40, 0x10));
  demo.Add(33.3, Cat({Bytes(kBroadcastMac.begin(), kBroadcastMac.end()),
                      Bytes(kClientB.mac.begin(), kClientB.mac.end()), Filler(34, 0x40)}));
  // Collision fragments: short and with a bad check sequence.
  demo.Add(18.2,
           Cat({Bytes(kWebServer.mac.begin(), kWebServer.mac.end()), Bytes(kClientA.mac.begin(), kClientA.mac.end()),
                Filler(8, 0x55)}),
           kStatusCrcError);
  demo.Add(18.2004, Filler(20, 0xAA), kStatusCrcError | kStatusAlignmentError);
  demo.Add(47.9,
           Cat({Bytes(kFileServerMac.begin(), kFileServerMac.end()),
                Bytes(kIpxClientRawMac.begin(), kIpxClientRawMac.end()), Filler(30, 0x01)}),
           kStatusCrcError);
}

}  // namespace

TracePlan DemoTracePlan() {
  Demo demo;
  Random rnd;

  Arp(demo, 0.05, kClientA, kWebServer);
  NameLookup(demo, 0.10, kClientA, 0x0A01, "intranet.example.com", kWebServer.ip);

  // Web downloads spread over the minute; the third loses a segment.
  double t = 0.2;
  for (int i = 0; i < 11; ++i) {
    const Host& client = i % 3 == 1 ? kClientB : kClientA;
    size_t page = 12000 + (rnd.Next() % 9) * 9000;
    WebSession(demo, rnd, t, client, static_cast<uint16_t>(1030 + 2 * i), page, i == 2);
    t += rnd.Between(4.0, 6.0);
  }

  Arp(demo, 1.8, kClientB, kWebServer);
  TelnetSession(demo, rnd, 2.0, 55.0);

  Pings(demo, 10.0, kClientA, kRouter, 4);
  NameLookup(demo, 20.0, kClientA, 0x0A02, "mail.example.com", kRemoteMail.ip);
  Arp(demo, 20.5, kClientA, kRouter);
  RefusedConnection(demo, 21.0);
  Arp(demo, 39.9, kClientB, kPrinter);
  PortUnreachable(demo, 40.0);
  NameLookup(demo, 45.0, kClientB, 0x0B01, "intranet.example.com", kWebServer.ip);

  NetWare netware(demo, rnd);
  netware.Broadcasts(0.5);
  netware.Broadcasts(30.5);
  netware.FindServer(3.0);
  netware.Client(1.0, 58.0, kIpxClientRawMac, 0x4002, true, 5, 40);
  netware.Client(3.2, 57.0, kIpxClientIIMac, 0x4003, false, 6, 90);

  NetBiosLlc(demo, 5.0);
  Errors(demo);

  TracePlan plan;
  plan.kind = 10;
  plan.topology = 0;
  plan.bandwidth = 10000000;
  plan.startUnixSeconds = 1015325100;  // 2002-03-05 10:45:00 UTC
  plan.comment = "Corvanta demo trace";
  plan.frames = demo.Take();
  return plan;
}

}  // namespace corvanta::testing

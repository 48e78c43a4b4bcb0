#include "TrafficGenerator.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "Packets.h"
#include "Payloads.h"

namespace corvanta::bench {

using namespace corvanta::testing;

namespace {

constexpr uint16_t kMss = 1460;

MacAddr HostMac(uint32_t vendor, uint32_t n) {
  return {static_cast<uint8_t>(vendor >> 16), static_cast<uint8_t>(vendor >> 8), static_cast<uint8_t>(vendor),
          static_cast<uint8_t>(n >> 16),      static_cast<uint8_t>(n >> 8),      static_cast<uint8_t>(n)};
}

struct IpHost {
  MacAddr mac;
  Ip4Addr ip;
};

// The segment's way out: every remote server is reached through one of a few routers.
MacAddr RouterMac(int i) { return HostMac(0x00000C, 0x07AC00 + static_cast<uint32_t>(i % 4)); }

IpHost IpClient(int i) {
  return {HostMac(0x00A0C9, 0x100000 + static_cast<uint32_t>(i)),
          {10, static_cast<uint8_t>(i >> 14), static_cast<uint8_t>(i >> 6), static_cast<uint8_t>(1 + (i & 63))}};
}
// The first few hundred servers are local; the others lie beyond the routers.
IpHost IpServer(int i) {
  if (i < 300) return {HostMac(0x080020, 0x200000 + static_cast<uint32_t>(i)), {192, 168, 1, static_cast<uint8_t>(i)}};
  return {RouterMac(i), {static_cast<uint8_t>(64 + (i >> 8) % 128), static_cast<uint8_t>(i), 17, 10}};
}
IpxAddress IpxHost(bool server, int i, uint16_t socket) {
  IpxAddress a;
  a.network = server ? 0x00000100u : 0x00001000u + static_cast<uint32_t>(i % 8);
  a.node = HostMac(server ? 0x00001B : 0x0020AF, (server ? 0x300000u : 0x400000u) + static_cast<uint32_t>(i));
  a.socket = socket;
  return a;
}

template <class T>
T Pick(std::mt19937_64& rng, T low, T high) {
  return std::uniform_int_distribution<T>(low, high)(rng);
}
double Uniform(std::mt19937_64& rng) { return std::uniform_real_distribution<double>(0, 1)(rng); }
// Spread evenly over the orders of magnitude between low and high.
double LogUniform(std::mt19937_64& rng, double low, double high) { return low * std::pow(high / low, Uniform(rng)); }
// Heavy-tailed sizes: half below the median, a few a hundred times larger.
uint32_t LogNormal(std::mt19937_64& rng, double median, double sigma, uint32_t low, uint32_t high) {
  const double v = median * std::exp(sigma * std::normal_distribution<double>(0, 1)(rng));
  return static_cast<uint32_t>(std::clamp(v, static_cast<double>(low), static_cast<double>(high)));
}
// Time a frame of this many bytes takes on the 100 Mbit/s wire, in microseconds.
double WireUs(size_t bytes) { return static_cast<double>(bytes + 24) * 0.08; }

}  // namespace

// One exchange between two hosts on its own clock; yields its frames one at a time.
class Session {
 public:
  virtual ~Session() = default;
  // The next frame's bytes and the time until the session's frame after it; false when the
  // session has ended.
  virtual bool Next(Bytes& frame, double& gapUs, std::mt19937_64& rng) = 0;
};

namespace {

enum class TcpKind : uint8_t { kWeb, kInteractive, kBulk, kRefused, kUnanswered };

// A TCP connection as seen near the client: handshake, request/response rounds, close.
// Responses go in full segments at line rate, a window's worth per round trip, with an
// acknowledgement every second segment; interactive sessions trade small ones with long
// pauses. Refused connections end in a reset; unanswered ones repeat their SYN.
class TcpSession : public Session {
 public:
  TcpSession(const IpHost& client, const IpHost& server, std::string site, uint16_t clientPort, uint16_t serverPort,
             TcpKind kind, std::mt19937_64& rng)
      : c_(client),
        s_(server),
        site_(std::move(site)),
        cport_(clientPort),
        sport_(serverPort),
        kind_(kind),
        app_(AppOfPort(serverPort)) {
    cseq_ = static_cast<uint32_t>(rng());
    sseq_ = static_cast<uint32_t>(rng());
    // Local servers answer within a millisecond; remote ones take tens.
    rttUs_ = server.ip[0] == 192 ? LogUniform(rng, 150, 1500) : LogUniform(rng, 4000, 180000);
    switch (kind) {
      case TcpKind::kWeb: {
        const double u = Uniform(rng);
        rounds_ = u < 0.9 ? 1 : u < 0.985 ? Pick<int>(rng, 2, 3) : Pick<int>(rng, 4, 8);
        break;
      }
      case TcpKind::kInteractive: rounds_ = Pick<int>(rng, 3, 30); break;
      default: rounds_ = 1; break;
    }
  }

  bool Next(Bytes& frame, double& gapUs, std::mt19937_64& rng) override {
    switch (state_) {
      case 0:
        frame = FromClient(kTcpSyn, {}, kMss);
        if (kind_ == TcpKind::kUnanswered) {
          // The SYN is sent again after 1 and 3 seconds.
          gapUs = 1e6 * (1 << synTries_);
          if (++synTries_ == 3) state_ = 10;
          return true;
        }
        ++cseq_;
        gapUs = rttUs_;
        state_ = kind_ == TcpKind::kRefused ? 9 : 1;
        return true;
      case 1:
        frame = FromServer(kTcpSyn | kTcpAck, {}, kMss);
        ++sseq_;
        gapUs = HostUs(rng);
        state_ = 2;
        return true;
      case 2:
        frame = FromClient(kTcpAck, {});
        gapUs = LogUniform(rng, 100, 3000);  // the client prepares its request
        state_ = 3;
        return true;
      case 3: {  // a request
        const size_t size = kind_ == TcpKind::kInteractive ? Pick<size_t>(rng, 1, 40)
                            : kind_ == TcpKind::kBulk      ? Pick<size_t>(rng, 80, 300)
                                                           : Pick<size_t>(rng, 250, 900);
        Bytes request = AppRequest(app_, round_, size, site_, rng);
        const auto sent = static_cast<uint32_t>(request.size());
        frame = FromClient(kTcpAck | kTcpPsh, std::move(request));
        cseq_ += sent;
        const uint32_t answer = kind_ == TcpKind::kInteractive ? Pick<uint32_t>(rng, 1, 300)
                                : kind_ == TcpKind::kBulk      ? LogNormal(rng, 100000, 1.0, 20000, 20000000)
                                                               : LogNormal(rng, 600, 1.3, 120, 5000000);
        response_ = AppResponse(app_, round_, answer, rng);
        remaining_ = static_cast<uint32_t>(response_.Size());
        ++round_;
        unacked_ = 0;
        inWindow_ = 0;
        // The server's round trip and its think time.
        gapUs = rttUs_ + (kind_ == TcpKind::kInteractive ? LogUniform(rng, 50, 2000) : LogUniform(rng, 200, 40000));
        state_ = 4;
        return true;
      }
      case 4: {  // the response, segment by segment
        const uint32_t size = std::min<uint32_t>(remaining_, kMss);
        Bytes payload = response_.Read(response_.Size() - remaining_, size);
        gapUs = WireUs(size + 54);
        // One segment in a few hundred is sent again after a timeout.
        if (Pick<int>(rng, 0, 399) == 0) {
          frame = FromServer(kTcpAck, std::move(payload));
          gapUs = 2 * rttUs_ + 200000;
          return true;
        }
        frame = FromServer(kTcpAck | (size == remaining_ ? kTcpPsh : 0), std::move(payload));
        sseq_ += size;
        remaining_ -= size;
        ++unacked_;
        if (remaining_ == 0 || unacked_ == 2) {
          state_ = 5;
          gapUs = HostUs(rng);
        }
        return true;
      }
      case 5:  // the client's acknowledgement
        frame = FromClient(kTcpAck, {});
        unacked_ = 0;
        if (remaining_ > 0) {
          // A window grows by half each round trip, up to 44 segments.
          inWindow_ += 2;
          gapUs = WireUs(kMss);
          if (inWindow_ >= window_) {
            window_ = std::min(44, window_ + window_ / 2);
            inWindow_ = 0;
            gapUs = rttUs_;
          }
          state_ = 4;
          return true;
        }
        if (--rounds_ > 0) {
          gapUs = kind_ == TcpKind::kInteractive ? LogUniform(rng, 100000, 4000000) : LogUniform(rng, 2000, 800000);
          state_ = 3;
        } else {
          gapUs = LogUniform(rng, 1000, 3000000);  // idle until the connection is closed
          state_ = 6;
        }
        return true;
      case 6:  // close: one in fifty with a reset
        if (Pick<int>(rng, 0, 49) == 0) {
          frame = FromServer(kTcpRst | kTcpAck, {});
          state_ = 10;
          return true;
        }
        frame = FromClient(kTcpFin | kTcpAck, {});
        ++cseq_;
        gapUs = rttUs_;
        state_ = 7;
        return true;
      case 7:
        frame = FromServer(kTcpFin | kTcpAck, {});
        ++sseq_;
        gapUs = HostUs(rng);
        state_ = 8;
        return true;
      case 8:
        frame = FromClient(kTcpAck, {});
        state_ = 10;
        return true;
      case 9:  // nothing listens on the port
        frame = FromServer(kTcpRst | kTcpAck, {});
        state_ = 10;
        return true;
      default: return false;
    }
  }

 private:
  static double HostUs(std::mt19937_64& rng) { return LogUniform(rng, 20, 400); }
  Bytes FromClient(uint8_t flags, Bytes payload, uint16_t mss = 0) {
    return Segment(true, flags, std::move(payload), mss);
  }
  Bytes FromServer(uint8_t flags, Bytes payload, uint16_t mss = 0) {
    return Segment(false, flags, std::move(payload), mss);
  }
  Bytes Segment(bool fromClient, uint8_t flags, Bytes payload, uint16_t mss) {
    const IpHost& src = fromClient ? c_ : s_;
    const IpHost& dst = fromClient ? s_ : c_;
    const TcpSegment segment{.srcPort = fromClient ? cport_ : sport_,
                             .dstPort = fromClient ? sport_ : cport_,
                             .seq = fromClient ? cseq_ : sseq_,
                             .ack = (flags & kTcpAck) ? (fromClient ? sseq_ : cseq_) : 0,
                             .flags = flags,
                             .window = static_cast<uint16_t>(fromClient ? 64240 : 29200),
                             .mss = mss,
                             .payload = std::move(payload)};
    Ipv4Options o;
    o.id = ipId_++;
    o.ttl = fromClient ? 128 : s_.ip[0] == 192 ? 64 : 52;
    o.dontFragment = true;
    return PadFrame(EthernetII(dst.mac, src.mac, 0x0800, IpTcp(src.ip, dst.ip, segment, o)));
  }

  IpHost c_, s_;
  std::string site_;
  uint16_t cport_, sport_;
  TcpKind kind_;
  App app_;
  int round_ = 0;
  AppStream response_;
  double rttUs_ = 0;
  int rounds_ = 1;
  uint32_t cseq_ = 0, sseq_ = 0, remaining_ = 0;
  int unacked_ = 0;
  int window_ = 10;
  int inWindow_ = 0;
  int synTries_ = 0;
  int state_ = 0;
  uint16_t ipId_ = 1;
};

// Request and reply pairs of one kind: DNS, SNMP, NTP, ICMP echo, ARP, NCP, SAP, RIP. The
// reply follows after the round trip, the next request after a pause.
class PairSession : public Session {
 public:
  using Builder = std::function<Bytes(bool reply, int round, std::mt19937_64& rng)>;
  PairSession(int rounds, double replyUs, double pauseUs, Builder build)
      : rounds_(rounds), replyUs_(replyUs), pauseUs_(pauseUs), build_(std::move(build)) {}
  bool Next(Bytes& frame, double& gapUs, std::mt19937_64& rng) override {
    if (round_ >= rounds_) return false;
    frame = build_(reply_, round_, rng);
    gapUs = reply_ ? pauseUs_ * (0.5 + Uniform(rng)) : replyUs_ * (0.8 + 0.4 * Uniform(rng));
    if (reply_) ++round_;
    reply_ = !reply_;
    return true;
  }

 private:
  int rounds_;
  double replyUs_;
  double pauseUs_;
  int round_ = 0;
  bool reply_ = false;
  Builder build_;
};

}  // namespace

TrafficGenerator::TrafficGenerator(const TrafficOptions& options) : options_(options), rng_(options.seed) {}

TrafficGenerator::~TrafficGenerator() = default;

// A few servers carry most of the load.
int TrafficGenerator::PickServer() {
  return std::min(options_.ipServers - 1,
                  static_cast<int>(std::exponential_distribution<double>(8.0 / options_.ipServers)(rng_)));
}

std::unique_ptr<Session> TrafficGenerator::NewSession() {
  std::mt19937_64& rng = rng_;
  const int kind = Pick<int>(rng, 0, 999);
  const IpHost client = IpClient(Pick<int>(rng, 0, options_.ipClients - 1));
  const int serverIndex = PickServer();
  const IpHost server = IpServer(serverIndex);
  const auto port = static_cast<uint16_t>(Pick<int>(rng, 49152, 65535));
  if (kind < 760) {
    static constexpr uint16_t kWebPorts[] = {443, 443, 443, 443, 80, 80, 8080, 445};
    const uint16_t serverPort = kWebPorts[Pick<size_t>(rng, 0, std::size(kWebPorts) - 1)];
    const TcpKind tcp = kind < 520   ? TcpKind::kWeb
                        : kind < 670 ? TcpKind::kRefused
                        : kind < 750 ? TcpKind::kUnanswered
                        : kind < 756 ? TcpKind::kInteractive
                                     : TcpKind::kBulk;
    const uint16_t port2 = tcp == TcpKind::kInteractive ? (Pick<int>(rng, 0, 3) ? 22 : 23)
                           : tcp == TcpKind::kBulk      ? (Pick<int>(rng, 0, 1) ? 20 : 445)
                                                        : serverPort;
    return std::make_unique<TcpSession>(client, server, SiteName(serverIndex), port, port2, tcp, rng);
  }
  // UDP and ICMP answer after a local or a remote round trip.
  const double rttUs = server.ip[0] == 192 ? LogUniform(rng, 150, 1500) : LogUniform(rng, 4000, 120000);
  if (kind < 912) {  // DNS and other UDP
    static constexpr uint16_t kUdpPorts[] = {53, 53, 53, 53, 53, 53, 161, 123, 514, 5353};
    const uint16_t serverPort = kUdpPorts[Pick<size_t>(rng, 0, std::size(kUdpPorts) - 1)];
    const int rounds = serverPort == 161 ? Pick<int>(rng, 2, 20) : 1;
    // Names are asked for the sites the clients go to.
    const int site = PickServer();
    const std::string siteName = SiteName(site);
    const auto id = static_cast<uint16_t>(rng());
    return std::make_unique<PairSession>(rounds, rttUs, 20000, [=](bool reply, int round, std::mt19937_64& r) {
      const Bytes payload = UdpMessage(serverPort, reply, round, id, siteName, IpServer(site).ip, r);
      if (!reply)
        return PadFrame(
            EthernetII(server.mac, client.mac, 0x0800, IpUdp(client.ip, server.ip, port, serverPort, payload)));
      return PadFrame(
          EthernetII(client.mac, server.mac, 0x0800, IpUdp(server.ip, client.ip, serverPort, port, payload)));
    });
  }
  if (kind < 927) {  // ping, once a second
    const auto id = static_cast<uint16_t>(rng());
    return std::make_unique<PairSession>(4, rttUs, 1e6, [=](bool reply, int round, std::mt19937_64&) {
      const Bytes echo = IcmpEcho(reply, id, static_cast<uint16_t>(round), Filler(56));
      if (!reply)
        return PadFrame(EthernetII(server.mac, client.mac, 0x0800, Ipv4Packet(client.ip, server.ip, kIpIcmp, echo)));
      return PadFrame(EthernetII(client.mac, server.mac, 0x0800, Ipv4Packet(server.ip, client.ip, kIpIcmp, echo)));
    });
  }
  if (kind < 950) {  // ARP for a local host
    const IpHost local = IpServer(serverIndex % 300);
    return std::make_unique<PairSession>(1, 300, 0, [=](bool reply, int, std::mt19937_64&) {
      if (!reply)
        return PadFrame(
            EthernetII(kBroadcastMac, client.mac, 0x0806, ArpPacket(kArpRequest, client.mac, client.ip, {}, local.ip)));
      return PadFrame(
          EthernetII(client.mac, local.mac, 0x0806, ArpPacket(kArpReply, local.mac, local.ip, client.mac, client.ip)));
    });
  }
  const int ipxClient = Pick<int>(rng, 0, options_.ipxClients - 1);
  const int ipxServer = Pick<int>(rng, 0, options_.ipxServers - 1);
  if (kind < 977) {  // NetWare file service
    const uint16_t connection = static_cast<uint16_t>(1 + ipxClient);
    const IpxAddress c = IpxHost(false, ipxClient, static_cast<uint16_t>(0x4000 + ipxClient % 64));
    const IpxAddress s = IpxHost(true, ipxServer, kNcpSocket);
    return std::make_unique<PairSession>(
        Pick<int>(rng, 3, 20), LogUniform(rng, 300, 3000), 15000, [=](bool reply, int round, std::mt19937_64& r) {
          const auto sequence = static_cast<uint8_t>(round);
          if (!reply) {
            const Bytes ncp = NcpRequest(sequence, connection, 1, 72, Filler(Pick<size_t>(r, 10, 60)));
            return PadFrame(EthernetNovellRaw(s.node, c.node, IpxPacket(17, s, c, ncp)));
          }
          const Bytes ncp = NcpReply(sequence, connection, 1, 0, 0, Filler(Pick<size_t>(r, 20, 1024)));
          return PadFrame(EthernetNovellRaw(c.node, s.node, IpxPacket(17, c, s, ncp)));
        });
  }
  // SAP and RIP: a query to all and the server's answer.
  const bool sap = kind < 990;
  const IpxAddress c = IpxHost(false, ipxClient, sap ? kSapSocket : kRipSocket);
  const IpxAddress s = IpxHost(true, ipxServer, sap ? kSapSocket : kRipSocket);
  return std::make_unique<PairSession>(1, 2000, 0, [=](bool reply, int, std::mt19937_64&) {
    IpxAddress all = s;
    all.node = kBroadcastMac;
    if (sap) {
      if (!reply) return PadFrame(EthernetNovellRaw(kBroadcastMac, c.node, IpxPacket(4, all, c, SapQuery(3, 4))));
      SapEntry entry;
      entry.name = "FS" + std::to_string(ipxServer);
      entry.address = s;
      return PadFrame(EthernetNovellRaw(c.node, s.node, IpxPacket(4, c, s, SapResponse(4, {entry}))));
    }
    if (!reply)
      return PadFrame(EthernetNovellRaw(kBroadcastMac, c.node, IpxPacket(1, all, c, RipPacket(1, {{0x100}}))));
    return PadFrame(EthernetNovellRaw(c.node, s.node, IpxPacket(1, c, s, RipPacket(2, {{0x100, 1, 2}}))));
  });
}

bool TrafficGenerator::Next(TestFrame& frame) {
  if (produced_ >= options_.frames) return false;
  for (;;) {
    // Sessions start as a Poisson process; each then runs on its own clock.
    while (queue_.empty() || nextArrivalUs_ <= queue_.front().atUs) {
      size_t place = sessions_.size();
      if (!free_.empty()) {
        place = free_.back();
        free_.pop_back();
      } else {
        sessions_.emplace_back();
      }
      sessions_[place] = NewSession();
      queue_.push_back(Due{nextArrivalUs_, scheduled_++, place});
      std::push_heap(queue_.begin(), queue_.end(), std::greater<>());
      nextArrivalUs_ += std::exponential_distribution<double>(options_.sessionsPerSecond / 1e6)(rng_);
    }
    std::pop_heap(queue_.begin(), queue_.end(), std::greater<>());
    const Due due = queue_.back();
    queue_.pop_back();
    double gapUs = 0;
    if (!sessions_[due.session]->Next(frame.bytes, gapUs, rng_)) {
      sessions_[due.session].reset();
      free_.push_back(due.session);
      continue;
    }
    queue_.push_back(Due{due.atUs + gapUs, scheduled_++, due.session});
    std::push_heap(queue_.begin(), queue_.end(), std::greater<>());
    frame.offsetUs = std::floor(due.atUs);
    break;
  }
  frame.wireLength = 0;
  frame.status = 0;
  ++produced_;
  return true;
}

TracePlan TrafficPlan(AnalyzerKind kind, const TrafficOptions& options) {
  TracePlan plan;
  plan.kind = kind;
  plan.bandwidth = 100000000;
  TrafficGenerator generator(options);
  TestFrame frame;
  while (generator.Next(frame)) plan.frames.push_back(frame);
  return plan;
}

uint64_t WriteLargeTrace(const std::string& path, AnalyzerKind kind, const TrafficOptions& options) {
  // The file header's size; the records after it do not depend on each other, so the file is
  // written a slice at a time and the header patched at the end.
  size_t headerSize = 0;
  if (kind == 15) headerSize = 16;
  if (kind == 10) headerSize = 128;
  if (kind == kAnalyzerTcpdump) headerSize = 24;
  if (headerSize == 0) return 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return 0;

  TrafficGenerator generator(options);
  TracePlan slice;
  slice.kind = kind;
  // Snoop says 100 Mbit/s Ethernet with data-link type 10, which other tools do not read;
  // the snoop trace keeps type 4 (10 Mbit/s) so that they can be measured on it.
  slice.bandwidth = kind == 10 ? 100000000 : 10000000;
  std::vector<uint8_t> header;
  uint64_t size = 0;
  TestFrame frame;
  bool more = true;
  while (more) {
    slice.frames.clear();
    while (slice.frames.size() < 20000 && (more = generator.Next(frame))) slice.frames.push_back(frame);
    if (slice.frames.empty() && !header.empty()) break;
    const std::vector<uint8_t> image = WriteTrace(slice);
    if (image.size() < headerSize) return 0;
    // The first slice keeps its header, to be patched at the end; the others give records only.
    const size_t skip = header.empty() ? 0 : headerSize;
    if (header.empty()) header.assign(image.begin(), image.begin() + static_cast<long>(headerSize));
    out.write(reinterpret_cast<const char*>(image.data() + skip), static_cast<std::streamsize>(image.size() - skip));
    size += image.size() - skip;
  }
  if (kind == 10) {
    if (size > UINT32_MAX) return 0;
    SetLe32(header, 16, static_cast<uint32_t>(generator.Produced()));
    SetLe32(header, 20, static_cast<uint32_t>(size));
    // Other readers of the format take the end offset from 28.
    SetLe32(header, 28, static_cast<uint32_t>(size));
  }
  out.seekp(0);
  out.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
  out.close();
  return out ? size : 0;
}

}  // namespace corvanta::bench

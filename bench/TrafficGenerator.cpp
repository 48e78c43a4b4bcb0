#include "TrafficGenerator.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>

#include "Packets.h"

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

IpHost IpClient(int i) {
  return {HostMac(0x00A0C9, 0x100000 + static_cast<uint32_t>(i)),
          {10, static_cast<uint8_t>(1 + i / 250), static_cast<uint8_t>(1 + i % 250), 20}};
}
IpHost IpServer(int i) {
  return {HostMac(0x080020, 0x200000 + static_cast<uint32_t>(i)),
          {192, 168, static_cast<uint8_t>(i / 250), static_cast<uint8_t>(1 + i % 250)}};
}
IpxAddress IpxHost(bool server, int i, uint16_t socket) {
  IpxAddress a;
  a.network = server ? 0x00000100u : 0x00001000u + static_cast<uint32_t>(i % 8);
  a.node = HostMac(server ? 0x00001B : 0x0020AF, (server ? 0x300000u : 0x400000u) + static_cast<uint32_t>(i));
  a.socket = socket;
  return a;
}

}  // namespace

// One exchange between two hosts; yields its frames one at a time.
class Session {
 public:
  virtual ~Session() = default;
  // The next frame's bytes; false when the session has ended.
  virtual bool Next(Bytes& frame, std::mt19937_64& rng) = 0;
};

namespace {

template <class T>
T Pick(std::mt19937_64& rng, T low, T high) {
  return std::uniform_int_distribution<T>(low, high)(rng);
}

// A TCP connection: handshake, request/response rounds, close. Bulk responses go in full
// segments with an acknowledgement every second one; interactive sessions trade small ones.
class TcpSession : public Session {
 public:
  TcpSession(const IpHost& client, const IpHost& server, uint16_t clientPort, uint16_t serverPort, int rounds,
             bool bulk, std::mt19937_64& rng)
      : c_(client), s_(server), cport_(clientPort), sport_(serverPort), rounds_(rounds), bulk_(bulk) {
    cseq_ = static_cast<uint32_t>(rng());
    sseq_ = static_cast<uint32_t>(rng());
  }

  bool Next(Bytes& frame, std::mt19937_64& rng) override {
    switch (state_) {
      case 0:
        frame = FromClient(kTcpSyn, {}, kMss);
        ++cseq_;
        state_ = 1;
        return true;
      case 1:
        frame = FromServer(kTcpSyn | kTcpAck, {}, kMss);
        ++sseq_;
        state_ = 2;
        return true;
      case 2:
        frame = FromClient(kTcpAck, {});
        state_ = 3;
        return true;
      case 3: {  // a request
        if (rounds_-- <= 0) {
          state_ = 6;
          return Next(frame, rng);
        }
        const size_t size = bulk_ ? Pick<size_t>(rng, 250, 700) : Pick<size_t>(rng, 1, 40);
        frame = FromClient(kTcpAck | kTcpPsh, Filler(size, static_cast<uint8_t>(size)));
        cseq_ += static_cast<uint32_t>(size);
        // Response size: mostly small pages, now and then a large download.
        const double u = std::uniform_real_distribution<double>(0, 1)(rng);
        remaining_ = bulk_ ? static_cast<uint32_t>(400 + 2000 / (0.02 + u * u) * (u > 0.97 ? 20 : 1))
                           : Pick<uint32_t>(rng, 1, 300);
        unacked_ = 0;
        state_ = 4;
        return true;
      }
      case 4: {  // the response, segment by segment
        const uint32_t size = std::min<uint32_t>(remaining_, kMss);
        Bytes payload = Filler(size, static_cast<uint8_t>(sseq_));
        // One segment in a few hundred is sent twice.
        if (Pick<int>(rng, 0, 399) == 0) {
          frame = FromServer(kTcpAck, payload);
          return true;
        }
        frame = FromServer(kTcpAck | (size == remaining_ ? kTcpPsh : 0), payload);
        sseq_ += size;
        remaining_ -= size;
        ++unacked_;
        if (remaining_ == 0 || unacked_ == 2) state_ = 5;
        return true;
      }
      case 5:  // the client's acknowledgement
        frame = FromClient(kTcpAck, {});
        unacked_ = 0;
        state_ = remaining_ > 0 ? 4 : 3;
        return true;
      case 6:  // close: one in fifty with a reset
        if (Pick<int>(rng, 0, 49) == 0) {
          frame = FromServer(kTcpRst | kTcpAck, {});
          state_ = 9;
          return true;
        }
        frame = FromClient(kTcpFin | kTcpAck, {});
        ++cseq_;
        state_ = 7;
        return true;
      case 7:
        frame = FromServer(kTcpFin | kTcpAck, {});
        ++sseq_;
        state_ = 8;
        return true;
      case 8:
        frame = FromClient(kTcpAck, {});
        state_ = 9;
        return true;
      default: return false;
    }
  }

 private:
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
                             .window = 16384,
                             .mss = mss,
                             .payload = std::move(payload)};
    Ipv4Options o;
    o.id = ipId_++;
    o.ttl = fromClient ? 64 : 128;
    return PadFrame(EthernetII(dst.mac, src.mac, 0x0800, IpTcp(src.ip, dst.ip, segment, o)));
  }

  IpHost c_, s_;
  uint16_t cport_, sport_;
  int rounds_;
  bool bulk_;
  uint32_t cseq_ = 0, sseq_ = 0, remaining_ = 0;
  int unacked_ = 0;
  int state_ = 0;
  uint16_t ipId_ = 1;
};

// Request and reply pairs of one kind: DNS, SNMP, NTP, ICMP echo, ARP, NCP, SAP, RIP.
class PairSession : public Session {
 public:
  using Builder = std::function<Bytes(bool reply, int round, std::mt19937_64& rng)>;
  PairSession(int rounds, Builder build) : rounds_(rounds), build_(std::move(build)) {}
  bool Next(Bytes& frame, std::mt19937_64& rng) override {
    if (round_ >= rounds_) return false;
    frame = build_(reply_, round_, rng);
    if (reply_) ++round_;
    reply_ = !reply_;
    return true;
  }

 private:
  int rounds_;
  int round_ = 0;
  bool reply_ = false;
  Builder build_;
};

}  // namespace

TrafficGenerator::TrafficGenerator(const TrafficOptions& options) : options_(options), rng_(options.seed) {
  for (int i = 0; i < options_.concurrentSessions; ++i) sessions_.push_back(NewSession());
}

TrafficGenerator::~TrafficGenerator() = default;

std::unique_ptr<Session> TrafficGenerator::NewSession() {
  std::mt19937_64& rng = rng_;
  const int kind = Pick<int>(rng, 0, 99);
  const IpHost client = IpClient(Pick<int>(rng, 0, options_.ipClients - 1));
  // A few servers carry most of the load.
  const int serverIndex = std::min(
      options_.ipServers - 1, static_cast<int>(std::exponential_distribution<double>(6.0 / options_.ipServers)(rng)));
  const IpHost server = IpServer(serverIndex);
  const auto port = static_cast<uint16_t>(Pick<int>(rng, 1024, 60999));
  if (kind < 45) {
    static constexpr uint16_t kBulkPorts[] = {80, 80, 80, 443, 8080, 20, 139, 445};
    const uint16_t serverPort = kBulkPorts[Pick<size_t>(rng, 0, std::size(kBulkPorts) - 1)];
    return std::make_unique<TcpSession>(client, server, port, serverPort, Pick<int>(rng, 1, 6), true, rng);
  }
  if (kind < 52) {
    const uint16_t serverPort = Pick<int>(rng, 0, 1) ? 23 : 22;
    return std::make_unique<TcpSession>(client, server, port, serverPort, Pick<int>(rng, 5, 60), false, rng);
  }
  if (kind < 70) {  // DNS and other UDP
    static constexpr uint16_t kUdpPorts[] = {53, 53, 53, 161, 123, 514};
    const uint16_t serverPort = kUdpPorts[Pick<size_t>(rng, 0, std::size(kUdpPorts) - 1)];
    const int rounds = serverPort == 161 ? Pick<int>(rng, 2, 20) : 1;
    return std::make_unique<PairSession>(rounds, [=](bool reply, int round, std::mt19937_64& r) {
      const size_t size = reply ? Pick<size_t>(r, 60, 480) : Pick<size_t>(r, 30, 90);
      const Bytes payload = Filler(size, static_cast<uint8_t>(round));
      if (!reply)
        return PadFrame(
            EthernetII(server.mac, client.mac, 0x0800, IpUdp(client.ip, server.ip, port, serverPort, payload)));
      return PadFrame(
          EthernetII(client.mac, server.mac, 0x0800, IpUdp(server.ip, client.ip, serverPort, port, payload)));
    });
  }
  if (kind < 75) {  // ping
    const auto id = static_cast<uint16_t>(rng());
    return std::make_unique<PairSession>(4, [=](bool reply, int round, std::mt19937_64&) {
      const Bytes echo = IcmpEcho(reply, id, static_cast<uint16_t>(round), Filler(56));
      if (!reply)
        return PadFrame(EthernetII(server.mac, client.mac, 0x0800, Ipv4Packet(client.ip, server.ip, kIpIcmp, echo)));
      return PadFrame(EthernetII(client.mac, server.mac, 0x0800, Ipv4Packet(server.ip, client.ip, kIpIcmp, echo)));
    });
  }
  if (kind < 80) {  // ARP
    return std::make_unique<PairSession>(1, [=](bool reply, int, std::mt19937_64&) {
      if (!reply)
        return PadFrame(EthernetII(kBroadcastMac, client.mac, 0x0806,
                                   ArpPacket(kArpRequest, client.mac, client.ip, {}, server.ip)));
      return PadFrame(EthernetII(client.mac, server.mac, 0x0806,
                                 ArpPacket(kArpReply, server.mac, server.ip, client.mac, client.ip)));
    });
  }
  const int ipxClient = Pick<int>(rng, 0, options_.ipxClients - 1);
  const int ipxServer = Pick<int>(rng, 0, options_.ipxServers - 1);
  if (kind < 97) {  // NetWare file service
    const uint16_t connection = static_cast<uint16_t>(1 + ipxClient);
    const IpxAddress c = IpxHost(false, ipxClient, static_cast<uint16_t>(0x4000 + ipxClient % 64));
    const IpxAddress s = IpxHost(true, ipxServer, kNcpSocket);
    return std::make_unique<PairSession>(Pick<int>(rng, 10, 120), [=](bool reply, int round, std::mt19937_64& r) {
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
  const bool sap = kind < 99;
  const IpxAddress c = IpxHost(false, ipxClient, sap ? kSapSocket : kRipSocket);
  const IpxAddress s = IpxHost(true, ipxServer, sap ? kSapSocket : kRipSocket);
  return std::make_unique<PairSession>(1, [=](bool reply, int, std::mt19937_64&) {
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
    std::unique_ptr<Session>& session = sessions_[Pick<size_t>(rng_, 0, sessions_.size() - 1)];
    if (session->Next(frame.bytes, rng_)) break;
    session = NewSession();
  }
  // Gaps between frames average 1 / framesPerSecond.
  clockUs_ += std::exponential_distribution<double>(options_.framesPerSecond / 1e6)(rng_);
  frame.offsetUs = std::floor(clockUs_);
  frame.wireLength = 0;
  frame.status = 0;
  ++produced_;
  return true;
}

TraceSpec TrafficSpec(AnalyzerKind kind, const TrafficOptions& options) {
  TraceSpec plan;
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
  TraceSpec slice;
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

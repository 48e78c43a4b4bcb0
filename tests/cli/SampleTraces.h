#pragma once
// Small traces of every supported kind and medium, for the command-line tests and as seeds
// of the fuzz targets.
#include <string>
#include <utility>
#include <vector>

#include "Packets.h"
#include "TraceWriter.h"
#include "trace/Detection.h"

namespace corvanta::testing {

inline const MacAddr kClientMac = {0x00, 0x20, 0xAF, 0x11, 0x22, 0x33};
inline const MacAddr kServerMac = {0x08, 0x00, 0x20, 0x44, 0x55, 0x66};
inline const Ip4Addr kClientIp = {10, 0, 0, 1};
inline const Ip4Addr kServerIp = {10, 0, 0, 2};

// A short web session, an ARP broadcast and a multicast frame, on the given medium.
inline TracePlan SessionPlan(AnalyzerKind kind, Topology topology) {
  TracePlan plan;
  plan.kind = kind;
  plan.topology = topology;
  auto frame = [&](const MacAddr& dst, const MacAddr& src, uint16_t type, const Bytes& payload) {
    if (topology == kEthernet) return PadFrame(EthernetII(dst, src, type, payload));
    TokenRingAddressing a;
    a.dst = dst;
    a.src = src;
    return TokenRingSnap(a, type, payload);
  };
  double t = 0;
  auto add = [&](Bytes bytes) {
    plan.frames.push_back({std::move(bytes), 0, t, 0});
    t += 20000;
  };
  add(frame(kBroadcastMac, kClientMac, 0x0806, ArpPacket(kArpRequest, kClientMac, kClientIp, {}, kServerIp)));
  add(frame(kClientMac, kServerMac, 0x0806, ArpPacket(kArpReply, kServerMac, kServerIp, kClientMac, kClientIp)));
  uint32_t cseq = 1000, sseq = 5000;
  const uint16_t cport = 1030, sport = 80;
  add(frame(
      kServerMac, kClientMac, 0x0800,
      IpTcp(kClientIp, kServerIp, {.srcPort = cport, .dstPort = sport, .seq = cseq, .flags = kTcpSyn, .payload = {}})));
  add(frame(kClientMac, kServerMac, 0x0800,
            IpTcp(kServerIp, kClientIp,
                  {.srcPort = sport,
                   .dstPort = cport,
                   .seq = sseq,
                   .ack = cseq + 1,
                   .flags = kTcpSyn | kTcpAck,
                   .payload = {}})));
  ++cseq, ++sseq;
  // Six requests of 120 bytes, each answered with 900.
  auto data = [&](bool fromClient, uint16_t size, uint8_t fill) {
    uint32_t& seq = fromClient ? cseq : sseq;
    const TcpSegment segment{.srcPort = fromClient ? cport : sport,
                             .dstPort = fromClient ? sport : cport,
                             .seq = seq,
                             .ack = fromClient ? sseq : cseq,
                             .flags = kTcpAck | kTcpPsh,
                             .payload = Filler(size, fill)};
    seq += size;
    add(fromClient ? frame(kServerMac, kClientMac, 0x0800, IpTcp(kClientIp, kServerIp, segment))
                   : frame(kClientMac, kServerMac, 0x0800, IpTcp(kServerIp, kClientIp, segment)));
  };
  for (uint8_t i = 0; i < 6; ++i) {
    data(true, 120, i);
    data(false, 900, i);
  }
  const MacAddr multicast = {0x01, 0x00, 0x5E, 0x00, 0x00, 0x09};
  add(frame(multicast, kServerMac, 0x0800, IpUdp(kServerIp, {224, 0, 0, 9}, 520, 520, Filler(24))));
  return plan;
}

// Token Ring ring poll and soft-error reports: three stations, one of which reports line
// and burst errors against two upstream neighbours in turn.
inline TracePlan RingErrorsPlan(AnalyzerKind kind) {
  TracePlan plan;
  plan.kind = kind;
  plan.topology = kTokenRing;
  const MacAddr a = {0x10, 0x00, 0x5A, 0x00, 0x00, 0x01};
  const MacAddr b = {0x10, 0x00, 0x5A, 0x00, 0x00, 0x02};
  const MacAddr c = {0x10, 0x00, 0x5A, 0x00, 0x00, 0x03};
  double t = 0;
  auto add = [&](Bytes bytes) {
    plan.frames.push_back({std::move(bytes), 0, t, 0});
    t += 7000000;
  };
  for (int round = 0; round < 2; ++round) {
    add(MonitorPresent(true, a, c));
    add(MonitorPresent(false, b, a));
    add(MonitorPresent(false, c, b));
  }
  // line, internal, burst, AC, abort delimiter, lost frame, receive congestion, frame copied, frequency, token
  add(SoftErrorReport(b, a, {3, 0, 2, 0, 0, 0, 0, 0, 0, 0}));
  add(SoftErrorReport(b, c, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  add(SoftErrorReport(c, b, {0, 0, 0, 0, 0, 0, 4, 0, 0, 0}));
  return plan;
}

struct Written {
  AnalyzerKind kind;
  Topology topology;
  std::string name;
};

// Every supported kind on every medium its analyzer captures, named as the analyzer names its
// files (detection and the header read look at the extension).
inline std::vector<Written> WrittenKinds() {
  std::vector<Written> all;
  for (AnalyzerKind kind : SupportedAnalyzers) {
    for (Topology topology : {kEthernet, kTokenRing}) {
      if (kind == 18 && topology == kTokenRing) continue;  // the FireBerd 500 captures Ethernet only
      const std::string extension =
          kind == 20 && topology == kEthernet ? ".s04" : DefaultTraceExtension(kind, topology);
      all.push_back({kind, topology, "trace" + extension});
    }
  }
  return all;
}

}  // namespace corvanta::testing

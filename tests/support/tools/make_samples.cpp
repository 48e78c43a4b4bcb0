// Writes the sample traces used to look at the windows: Token Ring rings of 12 and 120
// stations, an all-broadcast IPX trace, a SYN scan and a day-long trace of one frame a second.
#include <cstdio>
#include <string>
#include <vector>

#include "Packets.h"
#include "TraceWriter.h"

using namespace corvanta;
using namespace corvanta::testing;

namespace {

MacAddr Station(int i) { return {0x00, 0x00, 0x0C, 0x12, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)}; }

void Add(TracePlan& plan, const Bytes& bytes, double offsetUs) {
  TestFrame f;
  f.bytes = bytes;
  f.offsetUs = offsetUs;
  plan.frames.push_back(f);
}

TracePlan Ring(int stations) {
  TracePlan plan;
  plan.kind = 10;
  plan.topology = kTokenRing;
  plan.bandwidth = 16000000;
  double t = 0;
  for (int i = 1; i <= stations; ++i)
    Add(plan, MonitorPresent(i == 1, Station(i), Station(i == 1 ? stations : i - 1)), t += 7000);
  using Counts = std::array<uint8_t, 10>;  // line, internal, burst, AC, abort, lost, congestion, FC, frequency, token
  for (int i = 2; i <= stations; i += 5) {
    Add(plan, SoftErrorReport(Station(i), Station(i - 1), Counts{2, 0, 1, 0, 0, 0, 0, 0, 0, 0}), t += 9000);
    Add(plan, SoftErrorReport(Station(i + 1), Station(i), Counts{0, 1, 0, 0, 0, 1, 2, 0, 0, 1}), t += 9000);
  }
  TokenRingAddressing a;
  for (int k = 0; k < 40; ++k) {
    a.src = Station(1 + k % stations);
    a.dst = Station(1 + (k * 7 + 3) % stations);
    Add(plan, TokenRingLlc(a, 0xF0, 0xF0, 0x03, Filler(40 + static_cast<size_t>(k) * 25)), t += 150000);
  }
  return plan;
}

TracePlan IpxBroadcast() {
  TracePlan plan;
  plan.kind = 10;
  plan.bandwidth = 10000000;
  double t = 0;
  for (int k = 0; k < 300; ++k) {
    IpxAddress src{0x10, Station(1 + k % 9), kSapSocket};
    IpxAddress dst{0x10, kBroadcastMac, kSapSocket};
    const Bytes data = k % 2 ? SapResponse(2, {SapEntry{4, "SERVER" + std::to_string(k % 9), src, 1}})
                             : RipPacket(2, {RipEntry{0x10 + static_cast<uint32_t>(k % 5), 1, 2}});
    if (k % 2 == 0) {
      src.socket = dst.socket = kRipSocket;
    }
    Add(plan, EthernetII(kBroadcastMac, Station(1 + k % 9), 0x8137, IpxPacket(k % 2 ? 4 : 1, dst, src, data)),
        t += 60000);
  }
  return plan;
}

TracePlan SynScan(int ports) {
  TracePlan plan;
  plan.kind = 10;
  plan.bandwidth = 100000000;
  const Ip4Addr scanner{10, 0, 0, 66};
  const Ip4Addr target{10, 0, 0, 5};
  const MacAddr scannerMac = Station(66);
  const MacAddr targetMac = Station(5);
  double t = 0;
  for (int i = 0; i < ports; ++i) {
    TcpSegment syn;
    syn.srcPort = static_cast<uint16_t>(40000 + i % 3);
    syn.dstPort = static_cast<uint16_t>(1 + i);
    syn.seq = 1000u + static_cast<uint32_t>(i);
    syn.flags = kTcpSyn;
    Add(plan, EthernetII(targetMac, scannerMac, 0x0800, IpTcp(scanner, target, syn)), t += 500);
    TcpSegment answer;
    answer.srcPort = syn.dstPort;
    answer.dstPort = syn.srcPort;
    answer.ack = syn.seq + 1;
    answer.flags = (i % 250 == 21) ? kTcpSyn | kTcpAck : kTcpRst | kTcpAck;
    Add(plan, EthernetII(scannerMac, targetMac, 0x0800, IpTcp(target, scanner, answer)), t += 300);
  }
  return plan;
}

TracePlan DayLong() {
  TracePlan plan;
  plan.kind = 10;
  plan.bandwidth = 10000000;
  for (int s = 0; s < 86400; ++s) {
    const bool busy = (s / 3600) % 6 == 2;
    const MacAddr dst = s % 17 == 0 ? kBroadcastMac : Station(2);
    Add(plan, EthernetII(dst, Station(1), 0x0806, Filler(busy ? 1400 : 46 + static_cast<size_t>(s % 300))), s * 1e6);
  }
  return plan;
}

bool Save(const std::string& folder, const char* name, const TracePlan& plan) {
  const std::string path = folder + "/" + name;
  if (SaveFile(path, WriteTrace(plan))) return true;
  std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_samples FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
  bool ok = Save(folder, "ring12.cap", Ring(12));
  ok = Save(folder, "ring120.cap", Ring(120)) && ok;
  ok = Save(folder, "ipx-broadcast.cap", IpxBroadcast()) && ok;
  ok = Save(folder, "synscan.cap", SynScan(1994)) && ok;
  ok = Save(folder, "daylong.cap", DayLong()) && ok;
  return ok ? 0 : 1;
}

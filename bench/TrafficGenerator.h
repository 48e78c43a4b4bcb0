#pragma once
// Large, realistic traces for the benchmarks: a busy 100 Mbit/s Ethernet segment where
// tens of thousands of hosts open about a hundred thousand TCP connections per million
// frames. Most connections are short web exchanges (handshake, a request or a few,
// responses of heavy-tailed size, close); some are refused or never answered; a few are
// long interactive sessions or bulk transfers. Beside them: DNS and other UDP, ICMP echo,
// ARP, and NetWare file service over IPX (NCP, SAP, RIP). The sessions carry their
// protocols' own messages (HTTP, TLS, SMB2, DNS, ...). Every session keeps its own
// clock (round trips, server think time, segments at line rate, client pauses) and the
// frames of all sessions are merged in time order.
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TraceWriter.h"

namespace corvanta::bench {

// Raised whenever the traffic changes, so that traces made before are made again.
inline constexpr int kTrafficVersion = 3;

struct TrafficOptions {
  uint64_t frames = 1000000;
  uint32_t seed = 1;
  int ipClients = 20000;
  int ipServers = 3000;
  int ipxClients = 400;
  int ipxServers = 12;
  // New sessions per second of trace time (a Poisson process).
  double sessionsPerSecond = 2000;
};

class Session;

// Produces the frames of the traffic in time order, deterministically for a seed.
class TrafficGenerator {
 public:
  explicit TrafficGenerator(const TrafficOptions& options);
  ~TrafficGenerator();
  TrafficGenerator(const TrafficGenerator&) = delete;
  TrafficGenerator& operator=(const TrafficGenerator&) = delete;

  // The next frame; false once the wanted number of frames was produced.
  bool Next(testing::TestFrame& frame);
  uint64_t Produced() const { return produced_; }

 private:
  std::unique_ptr<Session> NewSession();
  int PickServer();

  struct Due {
    double atUs;
    uint64_t order;  // ties go in the order the frames were scheduled
    size_t session;
    bool operator>(const Due& o) const { return atUs != o.atUs ? atUs > o.atUs : order > o.order; }
  };

  TrafficOptions options_;
  std::mt19937_64 rng_;
  std::vector<std::unique_ptr<Session>> sessions_;  // null: a free place
  std::vector<size_t> free_;
  std::vector<Due> queue_;  // a min-heap on time
  uint64_t scheduled_ = 0;
  double nextArrivalUs_ = 0;
  uint64_t produced_ = 0;
};

// Writes the traffic as a trace of the analyzer kind (15 snoop or 10 NetXRay) to path,
// through the trace writers a slice of frames at a time. Returns the file's size, 0 on failure.
uint64_t WriteLargeTrace(const std::string& path, AnalyzerKind kind, const TrafficOptions& options);

// The traffic's frames as a trace plan (for small traces that fit in memory).
testing::TracePlan TrafficPlan(AnalyzerKind kind, const TrafficOptions& options);

}  // namespace corvanta::bench

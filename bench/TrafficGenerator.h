#pragma once
// Large, realistic traces for the benchmarks: a busy 100 Mbit/s Ethernet segment with
// thousands of hosts, TCP sessions (bulk transfers with real segment sizes, interactive
// sessions, handshakes, acknowledgements, the odd retransmission and reset), DNS and other
// UDP, ICMP echo, ARP, and NetWare file service over IPX (NCP, SAP, RIP).
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "TraceWriter.h"

namespace corvanta::bench {

struct TrafficOptions {
  uint64_t frames = 1000000;
  uint32_t seed = 1;
  int ipClients = 3000;
  int ipServers = 250;
  int ipxClients = 400;
  int ipxServers = 12;
  int concurrentSessions = 256;
  double framesPerSecond = 20000;  // average
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

  TrafficOptions options_;
  std::mt19937_64 rng_;
  std::vector<std::unique_ptr<Session>> sessions_;
  uint64_t produced_ = 0;
  double clockUs_ = 0;
};

// Writes the traffic as a trace of the analyzer kind (15 snoop or 10 NetXRay) to path,
// through the trace writers a slice of frames at a time. Returns the file's size, 0 on failure.
uint64_t WriteLargeTrace(const std::string& path, AnalyzerKind kind, const TrafficOptions& options);

// The traffic's frames as a trace plan (for small traces that fit in memory).
testing::TraceSpec TrafficSpec(AnalyzerKind kind, const TrafficOptions& options);

}  // namespace corvanta::bench

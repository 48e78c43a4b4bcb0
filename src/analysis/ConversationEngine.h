#pragma once
// The conversation analysis engine: measures one direction of one conversation over a
// packet range — what the source sent and the destination returned, the duration, the
// throughput in a sliding window of packets, and the delay between each command and the
// response that answers it.
#include <array>
#include <cstdint>

#include "analysis/Selection.h"
#include "decode/CaptureModel.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

// Why a run could not measure everything it was asked to.
enum AnalysisStateCode : int16_t {
  kAnalysisOk = 0,
  kAnalysisUnsupported = 1,   // sub-protocol not supported
  kAnalysisOneWay = 2,        // packets are one-way
  kAnalysisNoReverse = 3,     // no reverse conversation
  kAnalysisNoEcho = 4,        // no echo request from the sender
  kAnalysisAcksOnly = 6,      // the sender sent only TCP acknowledgements
  kAnalysisNoCommand = 7,     // no command packet from the sender
  kAnalysisNothingAcked = 11  // the responder acknowledged no TCP data
};

// Which responses count as latency pairs.
enum class ResponseSizeFilter : uint8_t { kAll, kSmall, kLarge };

inline constexpr int kMinSampleWindow = 4;
inline constexpr int kMaxSampleWindow = 100;
inline constexpr int kSmallResponseMax = 100;   // bytes, inclusive
inline constexpr int kLargeResponseMin = 1000;  // bytes, inclusive
// Start values of the lowest rate and the best delay: no sample or pair lowered them.
inline constexpr double kNoLowest = 2147483647.0;

struct AnalysisOptions {
  bool ThroughputMode = false;  // feed the sent packets to the throughput window
  bool LatencyMode = false;     // pair commands with responses
  bool ProblemMode = false;     // restrict the sub-protocols as latency mode does
  bool IncludeAckPackets = true;
  int SampleWindow = 8;  // packets per throughput sample, 4..100
  ResponseSizeFilter SizeFilter = ResponseSizeFilter::kAll;
  bool IncludeLocalMediaTime = true;  // keep the response's transmission time in the delay
  Topology Medium = kEthernet;
  double BandwidthMbps = 10;
};

struct EventCounts {
  int32_t Retransmissions = 0;
  int32_t LocallyRouted = 0;  // frames in and out of the same router port
  int32_t ZeroWindows = 0;
  int32_t Resets = 0;
  int32_t IcmpReports = 0;
};

// The outputs of one run. Byte sums are 64-bit so that no trace can overflow them.
struct AnalysisResult {
  int16_t AnalysisState = kAnalysisOk;
  int32_t SendPackets = 0;
  int64_t SendBytes = 0;
  int32_t ReceivePackets = 0;
  int64_t ReceiveBytes = 0;
  double FirstTime = 0;  // microseconds
  double Duration = 0;   // microseconds
  int32_t ThroughputPackets = 0;
  int64_t ThroughputBytes = 0;
  int64_t NetworkPayloadBytes = 0;
  double LowestThroughput = kNoLowest;  // bytes per second
  double PeakThroughput = 0;
  int32_t Pairs = 0;
  double BestDelay = kNoLowest;  // microseconds
  double WorstDelay = 0;
  double TotalDelay = 0;
  EventCounts Events;
};

// Sub-protocols that latency and problem mode analyse: ICMP, TCP, UDP, NCP, SPX, SPXII,
// NetBIOS, SMB and PBurst.
bool IsLatencySubProtocol(unsigned subProtocol);

class ConversationEngine {
 public:
  explicit ConversationEngine(const CaptureModel& model) : model_(model) {}

  // Set by the caller before a run.
  AnalysisOptions Options;
  // When set, the reverse peer is looked up here instead of along the destination's chain.
  const PeerDirectory* Directory = nullptr;
  // Set when a visited forward packet, or a reverse packet that a latency run paired with or
  // passed over, carries the server-busy flag; runs never clear it.
  bool ServerBusySeen = false;

  // Measures the forward direction of the selection. OneWay is read, and set when the run
  // finds the reverse direction missing.
  const AnalysisResult& AnalyzeConversation(Selection& selection);
  // Measures the reverse triple of the selection in place of the forward one (nothing when
  // the reverse conversation is unknown), leaving the selection as it was.
  const AnalysisResult& AnalyzeReverse(Selection& selection);

  const AnalysisResult& Result() const { return result_; }

 private:
  struct Slot {
    double Time = 0;
    int32_t Length = 0;
  };
  // Later segments that may end where a command ends.
  static constexpr int kTcpLookAhead = 41;
  // A later segment of the forward chain and where it ends in sequence space.
  struct Ahead {
    int32_t Index = -1;
    uint32_t End = 0;
  };

  const TPacket& P(int32_t index) const { return model_.Packets.At(index); }
  int32_t Frame(int32_t index) const { return P(index).FrameNumber; }
  // The packet after `index`, -1 at the chain's end (or when a damaged chain would loop).
  int32_t Next(int32_t index);

  void FindReverseChain(Selection& selection, const TTransHead& head);
  bool FindStartPoint(const TTransHead& head);
  template <class Found>
  bool AdvanceStartUntil(Found found);
  void ReverseAdvance();
  void Pair(const TTransHead& head);
  int32_t FindResponse(const TTransHead& head, const TPacket& command);
  template <class Walk>
  int32_t FindAcknowledgement(uint32_t expected, Walk& walk);
  void StepReverse(int32_t next) {
    r_ = next;
    ++rPosition_;
  }
  bool EndsAgainLater(int32_t command, uint32_t end);
  void Feed(int32_t index);

  void CountEvents(const TPacket& p);
  void CountSent(const TPacket& p);
  void CountReceived(const TPacket& p);
  void KeepLatest(const TPacket& p);

  const CaptureModel& model_;
  AnalysisResult result_;

  // Per run.
  int32_t first_ = 1;
  int32_t last_ = 0;
  int32_t s_ = -1;  // forward packet
  int32_t r_ = -1;  // reverse packet
  int64_t rPosition_ = 0;  // steps R took along its chain
  // Where a TCP response search stopped, for later ones to resume.
  struct Resume {
    bool Valid = false;
    uint32_t MostPassed = 0;  // the largest acknowledgement passed over on the way
    int32_t At = -1;          // the packet it stopped at; -1: the chain's end
    int64_t Position = 0;     // that packet's position along the chain
  } resume_;
  bool reverse_ = false;
  int32_t previousIdentification_ = -1;
  double latestTime_ = 0;
  int64_t stepBudget_ = 0;
  int window_ = 8;
  int insert_ = 0;
  int64_t ringBytes_ = 0;
  std::array<Slot, kMaxSampleWindow> ring_{};
  // The segments after the last command looked at, kept while S moves forward, so that each
  // packet is visited once rather than once per command before it.
  std::array<Ahead, kTcpLookAhead> ahead_{};
  int aheadFirst_ = 0;
  int aheadCount_ = 0;
  int32_t aheadNext_ = -1;  // the chain's packet after the last one kept
  int32_t aheadBudget_ = 0;
};

}  // namespace corvanta

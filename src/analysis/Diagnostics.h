#pragma once
// Packet diagnostics: the fixed sequence of checks every drawn frame of the visualizer
// passes through. Each check that fires adds a short message to the frame and counts one
// event for the frame's direction; the counters of one pass feed the problem summary.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "analysis/BrisqonSettings.h"
#include "decode/CaptureModel.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

// 0 source to destination, 1 destination to source.
inline constexpr int kForward = 0;
inline constexpr int kReverse = 1;

// The events of one direction. Counters saturate at their type's maximum.
struct DirectionCounters {
  int32_t IcmpReports = 0;
  int32_t LowTtl = 0;
  int32_t LowMss = 0;
  int32_t IdleTooLong = 0;
  int32_t SlowAcks = 0;
  int32_t LowWindow = 0;
  int32_t StuckWindow = 0;
  int32_t LocallyRouted = 0;
  int64_t LocallyRoutedBytes = 0;
  int32_t Retransmissions = 0;
  int64_t RetransmittedBytes = 0;
  // Delay between each retransmission and the packet it repeats, over those whose original
  // is known (TimedRetransmissions of them), in microseconds.
  double RetransmissionDelay = 0;
  int32_t TimedRetransmissions = 0;
  int32_t RetransmissionsAfterError = 0;
  int32_t ServerBusy = 0;
  int32_t Resets = 0;
  int32_t MissingFragments = 0;
  int32_t ZeroWindows = 0;
  int32_t CrcErrors = 0;
  int32_t IpChecksumErrors = 0;
  int32_t UdpChecksumErrors = 0;
  int32_t TcpChecksumErrors = 0;
  int32_t ShortPackets = 0;
  int32_t LongPackets = 0;
  bool operator==(const DirectionCounters&) const = default;
};

struct DiagnosticCounters {
  std::array<DirectionCounters, 2> Direction{};  // kForward, kReverse
  int32_t TotalMessages = 0;
  bool operator==(const DiagnosticCounters&) const = default;
};

// What the checks read besides the packet: fixed for one pass.
struct DiagnosticContext {
  const CaptureModel* Model = nullptr;
  const BrisqonSettings* Settings = nullptr;
  SubProtocol CurrentSubProtocol = kSubTcp;
  bool SourceIsIp = true;  // the selected source station is an IP address
  Topology Medium = kEthernet;
  AnalyzerKind Analyzer = 0;
  std::array<uint16_t, 2> MaxWindow{};   // of the forward and the reverse conversation
  std::array<uint16_t, 2> MaxSegment{};  // the same conversations' TTransHead::MaxSegment
  char ThousandsSep = ',';
  char DecimalSep = '.';
};

// What the checks remember between frames of one pass.
struct DiagnosticState {
  // The last real packet drawn in each direction (PacketList index), -1 before the first.
  std::array<int32_t, 2> LastDrawn{-1, -1};
  DiagnosticCounters Counters;
};

inline constexpr int kMaxStoredMessages = 10;

// The findings for one frame. Every event is counted; the first ten texts are kept.
struct PacketDiagnosis {
  std::vector<std::string> Messages;
  int Count = 0;
  bool Inverted = false;  // an ICMP report record: drawn and counted in the other direction
};

// Runs the checks on the packet at `index` travelling in `direction` (kForward or
// kReverse); an ICMP report record turns the direction round. Gap placeholders are not
// checked. `out` is cleared first.
void DiagnosePacket(const DiagnosticContext& context, DiagnosticState& state, int32_t index, int& direction,
                    PacketDiagnosis& out);

// Notes a drawn packet as the last of its direction; placeholders and report records are not.
void NoteDrawnPacket(const CaptureModel& model, DiagnosticState& state, int32_t index, int direction);

// The packet before `index` in its chain, passing over placeholders and report records; -1 when none.
int32_t PreviousRealPacket(const CaptureModel& model, int32_t index);

// The segment that the packet at `index` acknowledges, searched from `start` (the last
// drawn packet of the other direction) back over at most 20 real packets: the one whose
// sequence number plus its payload (1 for an empty SYN or FIN) equals the acknowledgement
// number, modulo 2^32. -1 when none is found.
int32_t FindAcknowledgedSegment(const CaptureModel& model, int32_t start, int32_t index);

// TCP payload of a packet: IP total length less both headers, never negative.
int32_t TcpPayloadOf(const TPacket& p);

// The text of an ICMP message ("Port Unreachable"); "ICMP type T code C" when unknown.
std::string IcmpReportText(uint8_t type, uint8_t code);

}  // namespace corvanta

#include "analysis/Diagnostics.h"

#include <cmath>
#include <limits>
#include <string_view>

#include "decode/PacketFlags.h"
#include "naming/IcmpMessages.h"
#include "naming/TextFormat.h"

namespace corvanta {

namespace {

constexpr uint16_t kFinSynRst = kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst;
constexpr uint16_t kNotPureAck = kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst | kTcpFlagPsh | kTcpFlagUrg;
constexpr PacketFlags kErrorFlags =
    kPacketTcpChecksumError | kPacketUdpChecksumError | kPacketIpChecksumError | kPacketCrcError;
constexpr int kAckSearchLimit = 20;
constexpr int kMinEthernetFrame = 64;
constexpr int kMaxEthernetFrame = 1518;
// The two NetMon kinds record frames without their check sequence.
constexpr AnalyzerKind kNetMon1 = 8;
constexpr AnalyzerKind kNetMon2 = 9;

bool IsGap(const TPacket& p) { return IsGapPlaceholder(p.Flags); }
// Told by the report bit: the learned-server pass may have changed the direction bits.
bool IsReport(const TPacket& p) { return !IsGap(p) && (p.Flags & kPacketIcmpReport) != 0; }

template <class T>
void Bump(T& counter, int64_t amount = 1) {
  const int64_t sum = static_cast<int64_t>(counter) + amount;
  counter = sum > std::numeric_limits<T>::max() ? std::numeric_limits<T>::max() : static_cast<T>(sum);
}

int64_t RoundMs(double microseconds) { return static_cast<int64_t>(std::nearbyint(microseconds / 1000.0)); }

class Checks {
 public:
  Checks(const DiagnosticContext& c, DiagnosticState& s, PacketDiagnosis& out)
      : c_(c), s_(s), out_(out), model_(*c.Model), settings_(*c.Settings) {}

  void Run(int32_t index, int& d) {
    const TPacket& p = model_.Packets.At(index);
    if (IsGap(p)) return;
    if (c_.SourceIsIp && On(CheckId::kIPLowTTL) && p.TTL <= settings_.Threshold(CheckId::kIPLowTTL))
      Add("Low TTL", Dir(d).LowTtl);
    if (IsReport(p)) {
      if (!On(CheckId::kICMP)) return;
      const uint8_t type = static_cast<uint8_t>(p.Window & 0xFF);
      const uint8_t code = static_cast<uint8_t>(p.Window >> 8);
      std::string text = IcmpReportText(type, code);
      if (type != 0 && type != 8) text += " (pkt " + std::to_string(p.Sequence) + ")";
      d = 1 - d;
      out_.Inverted = true;
      Add(std::move(text), Dir(d).IcmpReports);
      return;
    }
    // Later fragments and records without a TCP header carry no TCP fields to judge.
    if (c_.CurrentSubProtocol == kSubTcp && model_.Packets.FragmentOffset(index) == 0 && p.TransportHeaderLength != 0)
      Tcp(index, p, d);
    if ((p.Flags & (kPacketRoutedDuplicate | kPacketRetransmission)) != 0) Repeats(index, p, d);
    FlagChecks(p, d);
  }

 private:
  bool On(CheckId id) const { return settings_.Enabled(id); }
  int Threshold(CheckId id) const { return settings_.Threshold(id); }
  DirectionCounters& Dir(int d) { return s_.Counters.Direction[d]; }
  std::string Ms2(double microseconds) const { return FormatN(microseconds / 1000.0, 1, 2, c_.ThousandsSep, c_.DecimalSep); }

  void Add(std::string text, int32_t& counter) {
    if (static_cast<int>(out_.Messages.size()) < kMaxStoredMessages) out_.Messages.push_back(std::move(text));
    ++out_.Count;
    Bump(counter);
    Bump(s_.Counters.TotalMessages);
  }

  void Tcp(int32_t index, const TPacket& p, int d) {
    if (On(CheckId::kTCPLowMSS) && (p.TcpFlags & kTcpFlagSyn) != 0 && (p.Flags & kPacketMaxSegment) != 0 &&
        c_.MaxSegment[d] <= Threshold(CheckId::kTCPLowMSS))
      Add("Low Starting MSS", Dir(d).LowMss);
    if ((p.TcpFlags & kFinSynRst) != 0) return;
    const PacketList& packets = model_.Packets;
    const int32_t q = s_.LastDrawn[1 - d];
    const uint16_t w = c_.MaxWindow[d];
    if (q >= 0 && On(CheckId::kTCPIdleTooLong)) {
      const double delta = p.Time - packets.At(q).Time;
      if (delta / 1'000'000.0 > Threshold(CheckId::kTCPIdleTooLong))
        Add("Idle Too Long (" + FormatN(delta / 1'000'000.0, 1, 0, c_.ThousandsSep, c_.DecimalSep) + " secs from Pkt " +
                std::to_string(packets.At(q).FrameNumber) + ")",
            Dir(d).IdleTooLong);
    }
    if (On(CheckId::kTCPLowWindow)) {
      const int64_t limit = static_cast<int64_t>(std::nearbyint(w * double(Threshold(CheckId::kTCPLowWindow)) / 100.0));
      if (p.Window != 0 && p.Window < limit) Add("Low Window", Dir(d).LowWindow);
    }
    const int32_t r = s_.LastDrawn[d];
    if (On(CheckId::kTCPStuckWindow) && r >= 0 && p.Window < w && packets.At(r).Window == p.Window) {
      const int64_t t = RoundMs(p.Time - packets.At(r).Time);
      if (t > 0 && t >= Threshold(CheckId::kTCPStuckWindow))
        Add("Window Stuck at " + std::to_string(p.Window) + " (largest = " + std::to_string(w) + ")",
            Dir(d).StuckWindow);
    }
    if (q >= 0 && TcpPayloadOf(p) == 0 && (p.TcpFlags & kNotPureAck) == 0 && On(CheckId::kTCPSlowAck)) {
      const int32_t a = FindAcknowledgedSegment(model_, q, index);
      if (a >= 0) {
        const double delta = p.Time - packets.At(a).Time;
        if (RoundMs(delta) > Threshold(CheckId::kTCPSlowAck))
          Add("Slow Ack (" + Ms2(delta) + " ms from Pkt " + std::to_string(packets.At(a).FrameNumber) + ")",
              Dir(d).SlowAcks);
      }
    }
  }

  // The packet a repeat repeats: as many real packets back as its distance says.
  int32_t Original(int32_t index) const {
    const int distance = model_.Packets.RetransmitDistance(index);
    int steps = distance > 1 ? distance : 1;
    int32_t o = index;
    while (steps-- > 0 && o >= 0) o = PreviousRealPacket(model_, o);
    return o;
  }

  void Repeats(int32_t index, const TPacket& p, int d) {
    const int32_t o = Original(index);
    const TPacket* original = o >= 0 ? &model_.Packets.At(o) : nullptr;
    const SubProtocol sub = c_.CurrentSubProtocol;
    if ((p.Flags & kPacketRoutedDuplicate) != 0 &&
        On(sub >= kSubNcp ? CheckId::kIPXLocalRouting : CheckId::kIPLocalRouting)) {
      Add(original ? "Locally Routed (Pkt " + std::to_string(original->FrameNumber) + ")" : std::string("Locally Routed"),
          Dir(d).LocallyRouted);
      Bump(Dir(d).LocallyRoutedBytes, p.Length);
    }
    if ((p.Flags & kPacketRetransmission) == 0) return;
    const double delta = original ? p.Time - original->Time : 0;
    auto fast = [&](CheckId threshold) { return original && RoundMs(delta) < Threshold(threshold); };
    bool isFast = false;
    bool on = true;
    switch (sub) {
      case kSubTcp:
        isFast = fast(CheckId::kTCPFastTransportRetransmission);
        on = On(isFast ? CheckId::kTCPFastTransportRetransmission : CheckId::kTCPTransportRetransmission);
        break;
      case kSubNcp:
        isFast = fast(CheckId::kNCPFastTransportRetransmission);
        on = On(isFast ? CheckId::kNCPFastTransportRetransmission : CheckId::kNCPTransportRetransmission);
        break;
      case kSubSpx:
      case kSubSpx2:
        isFast = fast(CheckId::kSPXFastTransportRetransmission);
        on = On(isFast ? CheckId::kSPXFastTransportRetransmission : CheckId::kSPXTransportRetransmission);
        break;
      case kSubPBurst:
        isFast = fast(CheckId::kNCPFastTransportRetransmission);
        on = On(CheckId::kNCPPacketBurst);
        break;
      default: break;
    }
    if (!on) return;
    std::string text = isFast ? "Fast Transport Retransmission" : "Transport Retransmission";
    if (sub == kSubNcp) text = "NCP Command " + text;
    std::string suffix;
    if (sub == kSubPBurst)
      suffix = p.Function() != 0 ? " requesting " + std::to_string(p.Function()) + " PBurst pkt(s)"
                               : " requesting PBurst sequence " + std::to_string(uint64_t{p.Acknowledge} + 1);
    if (original) text += " (" + Ms2(delta) + " ms from pkt " + std::to_string(original->FrameNumber) + ")";
    DirectionCounters& counters = Dir(d);
    Add(text + suffix, counters.Retransmissions);
    Bump(counters.RetransmittedBytes, p.Length);
    if (original) {
      counters.RetransmissionDelay += delta;
      Bump(counters.TimedRetransmissions);
      if ((original->Flags & kErrorFlags) != 0) Bump(counters.RetransmissionsAfterError);
    }
  }

  void FlagChecks(const TPacket& p, int d) {
    DirectionCounters& n = Dir(d);
    struct FlagCheck {
      PacketFlags Bit;
      CheckId Check;
      const char* Text;
      int32_t DirectionCounters::* Counter;
    };
    static constexpr FlagCheck kFlagChecks[] = {
        {kPacketServerBusy, CheckId::kNCPServerBusy, "Server Busy", &DirectionCounters::ServerBusy},
        {kPacketReset, CheckId::kTCPResetConnection, "Reset Connection", &DirectionCounters::Resets},
        {kPacketMissingFragment, CheckId::kIPMissingFragment, "Missing Fragment", &DirectionCounters::MissingFragments},
        {kPacketZeroWindow, CheckId::kTCPZeroWindow, "Zero Window", &DirectionCounters::ZeroWindows},
        {kPacketCrcError, CheckId::kEthernetCRCError, "DLC CRC Error", &DirectionCounters::CrcErrors},
        {kPacketIpChecksumError, CheckId::kIPChecksumError, "IP Checksum Error", &DirectionCounters::IpChecksumErrors},
        {kPacketUdpChecksumError, CheckId::kUDPChecksumError, "UDP Checksum Error",
         &DirectionCounters::UdpChecksumErrors},
        {kPacketTcpChecksumError, CheckId::kTCPChecksumError, "TCP Checksum Error",
         &DirectionCounters::TcpChecksumErrors},
    };
    for (const FlagCheck& f : kFlagChecks)
      if ((p.Flags & f.Bit) != 0 && On(f.Check)) Add(f.Text, n.*f.Counter);
    if (c_.Medium != kEthernet) return;
    if (p.Length < kMinEthernetFrame && c_.Analyzer != kNetMon1 && c_.Analyzer != kNetMon2 &&
        On(CheckId::kEthernetUndersized))
      Add("Short Packet", n.ShortPackets);
    if (p.Length > kMaxEthernetFrame && On(CheckId::kEthernetOversized)) Add("Long Packet", n.LongPackets);
  }

  const DiagnosticContext& c_;
  DiagnosticState& s_;
  PacketDiagnosis& out_;
  const CaptureModel& model_;
  const BrisqonSettings& settings_;
};

}  // namespace

int32_t TcpPayloadOf(const TPacket& p) {
  const int32_t payload = int32_t{p.TotalLength} - p.HeaderLength - p.TransportHeaderLength;
  return payload > 0 ? payload : 0;
}

int32_t PreviousRealPacket(const CaptureModel& model, int32_t index) {
  const PacketList& packets = model.Packets;
  if (!packets.Contains(index)) return -1;
  int32_t i = packets.Previous(index);
  for (int32_t budget = packets.Count(); packets.Contains(i) && budget > 0; --budget) {
    const TPacket& p = packets.At(i);
    if (!IsGap(p) && !IsReport(p)) return i;
    i = packets.Previous(i);
  }
  return -1;
}

int32_t FindAcknowledgedSegment(const CaptureModel& model, int32_t start, int32_t index) {
  const PacketList& packets = model.Packets;
  if (start == index || !packets.Contains(start) || !packets.Contains(index)) return -1;
  const uint32_t ack = packets.At(index).Acknowledge;
  int32_t c = start;
  if (IsGap(packets.At(c)) || IsReport(packets.At(c))) c = PreviousRealPacket(model, c);
  for (int tested = 0; c >= 0 && tested < kAckSearchLimit; ++tested) {
    const TPacket& p = packets.At(c);
    uint32_t length = static_cast<uint32_t>(TcpPayloadOf(p));
    if (length == 0 && (p.TcpFlags & (kTcpFlagSyn | kTcpFlagFin)) != 0) length = 1;
    if (p.Sequence + length == ack) return c;  // unsigned: modulo 2^32
    c = PreviousRealPacket(model, c);
  }
  return -1;
}

void NoteDrawnPacket(const CaptureModel& model, DiagnosticState& state, int32_t index, int direction) {
  const TPacket& p = model.Packets.At(index);
  if (!IsGap(p) && !IsReport(p)) state.LastDrawn[direction] = index;
}

void DiagnosePacket(const DiagnosticContext& context, DiagnosticState& state, int32_t index, int& direction,
                    PacketDiagnosis& out) {
  out.Messages.clear();
  out.Count = 0;
  out.Inverted = false;
  if (context.Model == nullptr || context.Settings == nullptr || !context.Model->Packets.Contains(index)) return;
  Checks(context, state, out).Run(index, direction);
}

std::string IcmpReportText(uint8_t type, uint8_t code) {
  const std::string_view text = IcmpMessageText(type, code);
  if (text.empty()) return "ICMP type " + std::to_string(type) + " code " + std::to_string(code);
  return std::string(text);
}

}  // namespace corvanta

#include "analysis/ConversationEngine.h"

#include <algorithm>

#include "decode/PacketFlags.h"

namespace corvanta {

namespace {

constexpr uint16_t kTcpFlagMask = 0x1F;  // FIN, SYN, RST, PSH, ACK
constexpr uint16_t kTcpAckOnly = 0x10;
constexpr uint16_t kIcmpEchoRequest = 8;  // type 8, code 0
constexpr PacketFlags kPairingErrors =
    kPacketCrcError | kPacketTcpChecksumError | kPacketUdpChecksumError | kPacketIpChecksumError;

// Records that are not frames of the conversation: gap placeholders, and ICMP reports filed
// into it. Told by the report bit rather than the whole value, which the learned-server
// pass may have changed.
bool IsGap(const TPacket& p) { return IsGapPlaceholder(p.Flags); }
bool IsReport(const TPacket& p) { return !IsGap(p) && (p.Flags & kPacketIcmpReport) != 0; }
bool IsMarker(const TPacket& p) { return IsGap(p) || IsReport(p); }

int32_t TcpPayload(const TPacket& p) {
  return std::max(0, int32_t{p.TotalLength} - p.HeaderLength - p.TransportHeaderLength);
}
bool IsPureAck(const TPacket& p) { return (p.TcpFlags & kTcpFlagMask) == kTcpAckOnly && TcpPayload(p) == 0; }
// Where a segment ends in sequence space; a segment without payload counts one.
uint32_t SegmentEnd(const TPacket& p) {
  int32_t payload = TcpPayload(p);
  return p.Sequence + static_cast<uint32_t>(payload == 0 ? 1 : payload);
}

}  // namespace

bool IsLatencySubProtocol(unsigned subProtocol) {
  switch (subProtocol) {
    case kSubIcmp:
    case kSubTcp:
    case kSubUdp:
    case kSubNcp:
    case kSubSpx:
    case kSubSpx2:
    case kSubNetBios:
    case kSubSmb:
    case kSubPBurst: return true;
    default: return false;
  }
}

int32_t ConversationEngine::Next(int32_t index) {
  if (stepBudget_-- <= 0) return -1;
  int32_t next = model_.Packets.Next(index);
  return model_.Packets.Contains(next) ? next : -1;
}

void ConversationEngine::CountEvents(const TPacket& p) {
  if (IsGap(p)) return;
  EventCounts& e = result_.Events;
  if (p.Flags & kPacketRetransmission) ++e.Retransmissions;
  if (p.Flags & kPacketRoutedDuplicate) ++e.LocallyRouted;
  if (p.Flags & kPacketZeroWindow) ++e.ZeroWindows;
  if (p.Flags & kPacketReset) ++e.Resets;
  if (p.Flags & kPacketServerBusy) ServerBusySeen = true;
  if (IsReport(p)) ++e.IcmpReports;
}

// A placeholder repeats the length of the frame after it, so counting it would count that
// frame twice.
void ConversationEngine::CountSent(const TPacket& p) {
  if (IsMarker(p)) return;
  ++result_.SendPackets;
  result_.SendBytes += p.Length;
}

// Only answers within the range count, so a range that starts or ends inside the
// conversation counts the replies it holds.
void ConversationEngine::CountReceived(const TPacket& p) {
  if (IsMarker(p) || p.FrameNumber < first_ || p.FrameNumber > last_) return;
  ++result_.ReceivePackets;
  result_.ReceiveBytes += p.Length;
}

void ConversationEngine::KeepLatest(const TPacket& p) {
  if (IsGap(p) || p.FrameNumber > last_) return;
  latestTime_ = std::max(latestTime_, p.Time);
}

const AnalysisResult& ConversationEngine::AnalyzeReverse(Selection& selection) {
  selection.SwapDirection();
  AnalyzeConversation(selection);
  selection.SwapDirection();
  return result_;
}

const AnalysisResult& ConversationEngine::AnalyzeConversation(Selection& selection) {
  result_ = AnalysisResult{};
  first_ = selection.FirstPacketNumber;
  last_ = selection.LastPacketNumber;
  window_ = std::clamp(Options.SampleWindow, kMinSampleWindow, kMaxSampleWindow);
  insert_ = 0;
  ringBytes_ = 0;
  std::fill_n(ring_.begin(), window_, Slot{});  // Feed uses no slot past the window
  aheadCount_ = 0;
  reverse_ = false;
  rPosition_ = 0;
  resume_ = Resume{};
  previousIdentification_ = -1;
  // Two walks (forward and reverse) never take more steps than there are packets, twice.
  stepBudget_ = 2 * int64_t{model_.Packets.Count()} + 2;

  const TTransHead& head = model_.Objects.Get<TTransHead>(selection.CurrentConversation);
  if ((Options.LatencyMode || Options.ProblemMode) && !IsLatencySubProtocol(head.SubProtocol)) {
    result_.AnalysisState = kAnalysisUnsupported;
    return result_;
  }
  if (!model_.Packets.Contains(head.FirstPacket)) return result_;

  // Start point: the first packet of the range, or the last packet of a conversation that
  // ends before the range.
  s_ = head.FirstPacket;
  CountEvents(P(s_));
  for (int32_t next; (Frame(s_) < first_ || IsGap(P(s_))) && (next = Next(s_)) >= 0;) {
    s_ = next;
    CountEvents(P(s_));
  }
  const TPacket& start = P(s_);
  CountSent(start);
  result_.FirstTime = start.Time;
  latestTime_ = start.Time;

  if (Options.ThroughputMode)
    Feed(s_);
  else
    FindReverseChain(selection, head);
  // A conversation that ended before the range shows only its last packet.
  if (Frame(s_) < first_) return result_;
  bool started = false;
  if (!Options.ThroughputMode && result_.AnalysisState == kAnalysisOk && reverse_) started = FindStartPoint(head);
  if (!reverse_) r_ = s_;

  if ((started || Options.ThroughputMode) && Frame(s_) <= last_ && Frame(r_) <= last_) {
    for (;;) {
      if (reverse_) {
        ReverseAdvance();
        if (Options.LatencyMode) Pair(head);
      }
      previousIdentification_ = P(s_).Identification;
      KeepLatest(P(s_));
      int32_t next = Next(s_);
      if (next < 0) break;
      s_ = next;
      const TPacket& p = P(s_);
      CountEvents(p);
      KeepLatest(p);
      if (p.FrameNumber > last_ || Frame(reverse_ ? r_ : s_) > last_) break;
      CountSent(p);
      if (Options.ThroughputMode) Feed(s_);
    }
  }

  if (reverse_) {
    ReverseAdvance();
    for (int32_t next; Frame(r_) <= last_ && (next = Next(r_)) >= 0;) {
      StepReverse(next);
      CountReceived(P(r_));
      KeepLatest(P(r_));
    }
  }
  result_.Duration = std::max(0.0, latestTime_ - result_.FirstTime);
  return result_;
}

void ConversationEngine::FindReverseChain(Selection& selection, const TTransHead& head) {
  int32_t peer = -1;
  if (!selection.OneWay && selection.SourceStation != nullptr) {
    const NetAddressNode* destination =
        model_.NetAddresses.At(model_.Objects.Get<TNetPeer>(selection.DestPeer).Receiver);
    if (Directory != nullptr)
      peer = Directory->Find(destination, model_.NetAddresses.FindId(selection.SourceStation->Address));
    else if (destination != nullptr)
      peer = FindNetPeer(model_, *destination, *selection.SourceStation);
  }
  if (peer < 0) {
    selection.OneWay = true;
    result_.AnalysisState = kAnalysisOneWay;
    return;
  }
  int32_t answering = FindAnsweringConversation(model_, model_.Objects.Get<TNetPeer>(peer), head);
  int32_t first = model_.Objects.Get<TTransHead>(answering).FirstPacket;
  if (answering < 0 || !model_.Packets.Contains(first)) {
    result_.AnalysisState = kAnalysisNoReverse;
    return;
  }
  r_ = first;
  rPosition_ = 0;
  reverse_ = true;
  CountReceived(P(r_));
  KeepLatest(P(r_));
}

// Moves S forward until `found` accepts it, counting each packet as the main loop does.
// No start point when the chain or the range ends first.
template <class Found>
bool ConversationEngine::AdvanceStartUntil(Found found) {
  for (;;) {
    if (!IsMarker(P(s_)) && found(P(s_))) return true;
    int32_t next = Next(s_);
    if (next < 0) return false;
    s_ = next;
    const TPacket& p = P(s_);
    CountEvents(p);
    KeepLatest(p);
    if (p.FrameNumber > last_) return false;
    CountSent(p);
    if (Options.ThroughputMode) Feed(s_);
    ReverseAdvance();
  }
}

bool ConversationEngine::FindStartPoint(const TTransHead& head) {
  const unsigned sub = head.SubProtocol;
  if (sub == kSubIcmp) {
    if (!AdvanceStartUntil([](const TPacket& p) { return p.Window == kIcmpEchoRequest; })) {
      result_.AnalysisState = kAnalysisNoEcho;
      return false;
    }
  } else if (sub == kSubTcp) {
    if (!AdvanceStartUntil([](const TPacket& p) { return !IsPureAck(p); })) {
      result_.AnalysisState = kAnalysisAcksOnly;
      return false;
    }
  } else if (IsLatencySubProtocol(sub)) {
    // The others start at the first command not sent to a group.
    if (!AdvanceStartUntil(
            [](const TPacket& p) { return (p.Flags & kPacketRequest) != 0 && (p.Flags & kPacketGroup) == 0; })) {
      if (sub != kSubUdp) result_.AnalysisState = kAnalysisNoCommand;
      return false;
    }
  }
  // Any other sub-protocol (only a run outside latency and problem mode) starts where it stands.
  ReverseAdvance();
  if (Frame(r_) < Frame(s_)) return false;
  if (head.SubProtocol == kSubTcp) {
    // Skip answers to data sent before the start point.
    while (P(s_).Sequence >= P(r_).Acknowledge) {
      int32_t next = Next(r_);
      if (next < 0) {
        result_.AnalysisState = kAnalysisNothingAcked;
        return false;
      }
      StepReverse(next);
      CountReceived(P(r_));
      KeepLatest(P(r_));
      ReverseAdvance();
    }
  }
  return true;
}

void ConversationEngine::ReverseAdvance() {
  for (int32_t next; Frame(r_) < Frame(s_) && (next = Next(r_)) >= 0;) {
    StepReverse(next);
    CountReceived(P(r_));
    KeepLatest(P(r_));
  }
}

bool ConversationEngine::EndsAgainLater(int32_t command, uint32_t end) {
  // Drop what lies up to the command; a command outside the kept segments starts afresh.
  int at = 0;
  while (at < aheadCount_ && ahead_[static_cast<size_t>((aheadFirst_ + at) % kTcpLookAhead)].Index != command) ++at;
  if (at < aheadCount_) {
    aheadFirst_ = (aheadFirst_ + at + 1) % kTcpLookAhead;
    aheadCount_ -= at + 1;
  } else {
    aheadFirst_ = 0;
    aheadCount_ = 0;
    aheadNext_ = model_.Packets.Next(command);
    aheadBudget_ = model_.Packets.Count();
  }
  for (; aheadCount_ < kTcpLookAhead && model_.Packets.Contains(aheadNext_) && aheadBudget_ > 0; --aheadBudget_) {
    const TPacket& p = P(aheadNext_);
    if (!IsMarker(p))
      ahead_[static_cast<size_t>((aheadFirst_ + aheadCount_++) % kTcpLookAhead)] = Ahead{aheadNext_, SegmentEnd(p)};
    aheadNext_ = model_.Packets.Next(aheadNext_);
  }
  for (int i = 0; i < aheadCount_; ++i)
    if (ahead_[static_cast<size_t>((aheadFirst_ + i) % kTcpLookAhead)].End == end) return true;
  return false;
}

int32_t ConversationEngine::FindResponse(const TTransHead& head, const TPacket& command) {
  int32_t budget = model_.Packets.Count();
  // Calls look(index, packet) on the reverse packets from `from` (markers passed over) until
  // it returns 1 (that packet answers), -1 (no answer) or the chain ends (-1).
  auto walk = [&](int32_t from, auto look) -> int32_t {
    for (int32_t i = from; model_.Packets.Contains(i) && budget-- > 0; i = model_.Packets.Next(i)) {
      const TPacket& p = P(i);
      if (IsMarker(p)) continue;
      if ((p.Flags & kPacketServerBusy) != 0) ServerBusySeen = true;
      int verdict = look(i, p);
      if (verdict != 0) return verdict > 0 ? i : -1;
    }
    return -1;
  };
  // Searches for an equal number. A command nobody answered (an echo) would have them walk
  // the rest of the chain: a response further away than the bound answers no command, and
  // the bound keeps many unanswered commands from taking quadratic time. A server-busy reply
  // only says that the answer is coming: the answer that follows is the response.
  constexpr int kEqualitySearchLimit = 1024;
  auto equal = [&](auto isResponse) {
    int examined = 0;
    int32_t busy = -1;
    int32_t found = walk(r_, [&](int32_t i, const TPacket& p) {
      if (++examined > kEqualitySearchLimit) return -1;
      if (!isResponse(i, p)) return 0;
      if ((p.Flags & kPacketServerBusy) == 0) return 1;
      if (busy < 0) busy = i;
      return 0;
    });
    return found >= 0 ? found : busy;
  };
  switch (head.SubProtocol) {
    case kSubIcmp:
      // A later fragment carries no ICMP header, so no sequence number to answer.
      return equal([&](int32_t i, const TPacket& p) {
        return model_.Packets.FragmentOffset(i) == 0 && p.Sequence == command.Sequence;
      });
    case kSubNcp:
    case kSubSmb: return equal([&](int32_t, const TPacket& p) { return p.Sequence == command.Sequence; });
    case kSubSpx:
    case kSubSpx2:
    case kSubNetBios:
    case kSubPBurst: {
      // These sequence fields are 16-bit and wrap.
      uint32_t expected = (command.Sequence + 1) & 0xFFFFu;
      return equal([&](int32_t, const TPacket& p) { return p.Acknowledge == expected; });
    }
    case kSubUdp:
      return walk(r_, [&](int32_t, const TPacket& p) { return p.FrameNumber >= command.FrameNumber ? 1 : 0; });
    case kSubTcp: return FindAcknowledgement(SegmentEnd(command), walk);
    default: return -1;
  }
}

// The TCP search ends at the first acknowledgement that reaches the command's end; behind a
// large window that is many packets on. The packets a search passed over acknowledged less
// than the largest of them, so a later search for an end above that resumes where the last
// one stopped: each reverse packet is then passed over about once. A search that starts
// afresh and stops sooner (a retransmitted segment's, say) leaves the further one in place.
template <class Walk>
int32_t ConversationEngine::FindAcknowledgement(uint32_t expected, Walk& walk) {
  const bool resume = resume_.Valid && resume_.Position >= rPosition_ && resume_.MostPassed < expected;
  if (resume && resume_.At < 0) return -1;  // the chain ended below this end
  int32_t from = resume ? resume_.At : r_;
  int64_t position = resume ? resume_.Position : rPosition_;
  uint32_t mostPassed = resume ? resume_.MostPassed : 0;
  int32_t stop = -1;
  int64_t stopPosition = INT64_MAX;
  // The chain position of each packet the walk reaches, markers included, as R counts them.
  int32_t at = from;
  int32_t found = walk(from, [&](int32_t i, const TPacket& p) {
    for (; at != i && model_.Packets.Contains(at); at = model_.Packets.Next(at)) ++position;
    if (p.Acknowledge < expected) {
      mostPassed = std::max(mostPassed, p.Acknowledge);
      return 0;
    }
    stop = i;
    stopPosition = position;
    return p.Acknowledge == expected ? 1 : -1;
  });
  const bool earlierReachesFurther = resume_.Valid && resume_.Position >= rPosition_ && resume_.Position > stopPosition;
  if (resume || !earlierReachesFurther) resume_ = Resume{true, mostPassed, stop, stopPosition};
  return found;
}

void ConversationEngine::Pair(const TTransHead& head) {
  const TPacket& command = P(s_);
  if (IsMarker(command) || (command.Flags & kPairingErrors) != 0 || command.FrameNumber == last_) return;
  if (head.SubProtocol == kSubTcp && IsPureAck(command)) return;
  if (head.SubProtocol == kSubUdp && command.Identification == previousIdentification_) return;
  if (head.SubProtocol == kSubIcmp && model_.Packets.FragmentOffset(s_) != 0) return;  // no ICMP header to answer

  int32_t answer = FindResponse(head, command);
  if (answer < 0) return;
  // An acknowledgement that also covers a later segment ending at the same place answers
  // that one as well: the pair is ambiguous.
  if (head.SubProtocol == kSubTcp && EndsAgainLater(s_, SegmentEnd(command))) return;

  const TPacket& response = P(answer);
  double delay = response.Time - command.Time;
  if (!Options.IncludeLocalMediaTime && Options.BandwidthMbps > 0)
    delay -= response.Length * 8.0 / Options.BandwidthMbps;
  if (delay < 0 || (command.Flags & (kPacketRoutedDuplicate | kPacketRetransmission)) != 0) return;
  if (Options.SizeFilter == ResponseSizeFilter::kSmall && response.Length > kSmallResponseMax) return;
  if (Options.SizeFilter == ResponseSizeFilter::kLarge && response.Length < kLargeResponseMin) return;

  ++result_.Pairs;
  result_.WorstDelay = std::max(result_.WorstDelay, delay);
  result_.BestDelay = std::min(result_.BestDelay, delay);
  result_.TotalDelay += delay;
}

void ConversationEngine::Feed(int32_t index) {
  const TPacket& p = P(index);
  if (IsMarker(p)) return;
  if (!Options.IncludeAckPackets && IsPureAck(p)) return;
  if (p.FrameNumber < first_ || p.FrameNumber > last_) return;

  ++result_.ThroughputPackets;
  result_.ThroughputBytes += p.Length;
  result_.NetworkPayloadBytes += int32_t{p.TotalLength} - p.HeaderLength;
  ringBytes_ += p.Length - ring_[insert_].Length;
  ring_[insert_] = Slot{p.Time, p.Length};

  if (result_.ThroughputPackets >= window_) {
    const Slot& oldest = ring_[insert_ + 1 == window_ ? 0 : insert_ + 1];
    double span = ring_[insert_].Time - oldest.Time;
    if (span >= 0) {
      // The oldest frame's own time on the wire belongs to the sample.
      if (Options.BandwidthMbps > 0) {
        if (Options.Medium == kEthernet)
          span += (oldest.Length + 20) * 8.0 / Options.BandwidthMbps;  // preamble and inter-frame gap
        else if (Options.Medium == kTokenRing)
          span += oldest.Length * 8.0 / Options.BandwidthMbps;
      }
      // No time at all (a medium without a transmission time): no rate to take.
      if (span > 0) {
        double rate = static_cast<double>(ringBytes_) / (span / 1000000.0);
        result_.PeakThroughput = std::max(result_.PeakThroughput, rate);
        result_.LowestThroughput = std::min(result_.LowestThroughput, rate);
      }
    }
  }
  insert_ = insert_ + 1 == window_ ? 0 : insert_ + 1;
}

}  // namespace corvanta

// Conversation and packet tracking: network peers, conversations, packet records with gap
// placeholders, retransmission, duplicate and fragment marks, ICMP report records, and the
// post-pass over learned server ports.
#include <algorithm>
#include <vector>

#include "decode/NetworkStage.h"
#include "decode/PacketFlags.h"

namespace corvanta {

namespace {

constexpr uint16_t kFinSynRst = kTcpFlagFin | kTcpFlagSyn | kTcpFlagRst;
constexpr int kCandidateLimit = 20;
// Earlier fragments of one datagram examined for the one this fragment follows: more than
// a 64 KB datagram has at the smallest common MTU (576). The bound keeps floods of
// unmatched fragments of one identification from walking back over each other.
constexpr int kFragmentWalkLimit = 128;
constexpr double kNcpRetryWindow = 10'000'000;  // microseconds

int64_t Payload(const TPacket& p) { return int64_t{p.TotalLength} - p.HeaderLength - p.TransportHeaderLength; }

uint32_t ReporterAddress(const AddressKey& source) {
  uint32_t address = 0;
  for (size_t i = 0; i < kIpKeyLength && i < source.Length; ++i) address = address << 8 | source.Bytes[i];
  return address;
}

RecentSegment SegmentOf(const PacketList& packets, int32_t index) {
  const TPacket& p = packets.At(index);
  return RecentSegment{p.Sequence, static_cast<int32_t>(Payload(p)), packets.FragmentOffset(index), p.TcpFlags, p.TTL};
}

}  // namespace

int32_t NetworkStage::CreatePeer(int32_t receiver) {
  int32_t index = model_.Objects.New<TNetPeer>();
  model_.Objects.Get<TNetPeer>(index).Receiver = receiver;
  return index;
}

int32_t NetworkStage::CreateConversation(const Packet& p) {
  int32_t index = model_.Objects.New<TTransHead>();
  TTransHead& c = model_.Objects.Get<TTransHead>(index);
  c.SubProtocol = p.sub;
  c.SourcePort = p.sourcePort;
  c.DestinationPort = p.destinationPort;
  return index;
}

TTransHead& NetworkStage::FileConversation(const Packet& p, NetAddressNode& source, int32_t receiver, bool newSender,
                                           uint64_t position, int32_t& index) {
  ModelObjects& objects = model_.Objects;
  ChainIndex& chains = model_.Chains;
  int32_t peerIndex = newSender ? -1 : chains.FindPeer(&source, receiver, objects);
  if (peerIndex < 0) {
    if (newSender) ++(p.ip ? model_.Counts.SendingIpAddresses : model_.Counts.SendingIpxAddresses);
    peerIndex = CreatePeer(receiver);
    objects.AppendToChain(source.FirstPeer, source.LastPeer, peerIndex, &TNetPeer::NextPeer);
    chains.AddPeer(&source, peerIndex, objects, position);
    chains.ConversationTail(peerIndex, position);  // its table grows here, as the conversations' below
  }

  TNetPeer& peer = objects.Get<TNetPeer>(peerIndex);
  const TPacket& r = p.record;
  objects.CountPackets(peer, p.sub);
  peer.LastTTL = r.TTL;
  Accumulate(peer.Bytes, r.Length);

  // Port-based conversations match on their ports alone, whatever the packet's protocol.
  index = chains.FindConversation(peerIndex, p.sub, p.sourcePort, p.destinationPort, objects);
  if (index < 0) {
    index = CreateConversation(p);
    objects.AppendToChain(peer.FirstConversation, chains.ConversationTail(peerIndex), index,
                          &TTransHead::NextConversation);
    chains.AddConversation(peerIndex, objects.Get<TTransHead>(index), index, objects, position);
    chains.Filter(index, position);  // its table grows here, with the trace's progress at hand
  }
  TTransHead& conversation = objects.Get<TTransHead>(index);
  if (conversation.MaxSegment == 0) conversation.MaxSegment = p.maxSegment;
  return conversation;
}

// Placeholders and ICMP report records are not packets of the conversation: the rules that
// look at earlier packets pass over them.
int32_t NetworkStage::PreviousReal(int32_t index) const {
  const PacketList& packets = model_.Packets;
  int32_t i = packets.Previous(index);
  for (int32_t budget = packets.Count(); packets.Contains(i) && budget > 0; --budget) {
    if (IsRealPacket(packets.At(i).Flags)) return i;
    i = packets.Previous(i);
  }
  return -1;
}

int32_t NetworkStage::AppendPacket(const Packet& p, TTransHead& conversation, const FrameRecord& frame,
                                   int32_t& previous) {
  PacketList& packets = model_.Packets;
  const TPacket& r = p.record;
  int32_t index = packets.Append(conversation);
  // A gap placeholder put in below is not real: the packet after it has the same previous.
  previous = PreviousReal(index);

  bool gap = false;
  if (previous >= 0) {
    const TPacket& before = packets.At(previous);
    if (p.sub == kSubTcp && (r.TcpFlags & kTcpFlagSyn) == 0 && p.fragmentOffset == 0 &&
        packets.FragmentOffset(previous) == 0) {
      // Later fragments carry no sequence number: no gap is judged next to them.
      int64_t expected = int64_t{before.Sequence} + Payload(before) + 1;
      gap = expected >= 0 && expected <= UINT32_MAX && expected < int64_t{r.Sequence} &&
            (before.Flags & kPacketRetransmission) == 0;
    } else if (p.sub == kSubNcp && r.Sequence != 0) {
      gap = before.Sequence < r.Sequence && r.Sequence - before.Sequence >= 2;
    }
  }
  if (gap) {
    TPacket& placeholder = packets.At(index);
    placeholder.Time = packets.At(previous).Time;
    placeholder.Length = r.Length;
    placeholder.FrameNumber = r.FrameNumber;
    placeholder.Sequence = r.Sequence;
    placeholder.Acknowledge = r.Acknowledge;
    placeholder.Flags = r.Flags | kPacketGap;
    index = packets.Append(conversation);
  }

  packets.Fill(index, r);
  TPacket& packet = packets.At(index);
  if ((frame.Status & kStatusCrcError) != 0) packet.Flags |= kPacketCrcError;
  if (p.fragmentOffset != 0) packets.SetFragmentOffset(index, p.fragmentOffset);
  return index;
}

void NetworkStage::MarkTcpFlags(const Packet& p, TPacket& packet) {
  if (p.sub != kSubTcp || p.fragmentOffset != 0) return;  // a later fragment has no TCP header
  if ((packet.TcpFlags & kTcpFlagRst) != 0) packet.Flags |= kPacketReset;
  if ((packet.TcpFlags & kFinSynRst) == 0 && packet.Window == 0) packet.Flags |= kPacketZeroWindow;
}

// Calls match(candidate, count) on the previous packet and then on earlier ones until it
// returns true, limit candidates were examined (0: no limit), or the next would be the
// conversation's first packet (which is a candidate only as the previous one).
template <class Match>
void NetworkStage::WalkCandidates(int32_t previous, int limit, Match match) {
  int count = 0;
  // Each step looks one real packet further back; that look is kept for the next step.
  int32_t ahead = previous >= 0 ? PreviousReal(previous) : -1;
  for (int32_t c = previous; c >= 0;) {
    ++count;
    if (match(c, model_.Packets.At(c), count)) return;
    if (limit != 0 && count >= limit) return;
    c = ahead;
    if (c < 0) return;
    ahead = PreviousReal(c);
    if (ahead < 0) return;
  }
}

void NetworkStage::MarkRepeats(const Packet& p, int32_t index, int32_t previous, const TTransHead& conversation,
                               const RepeatFilter& filter) {
  TPacket& packet = model_.Packets.At(index);
  if (p.ip && p.fragmentOffset != 0) MarkMissingFragment(packet, p.fragmentOffset, previous);
  if (p.sub == kSubPBurst) {
    MarkPacketBurstRepeat(p, packet, previous);
    return;
  }
  if (previous < 0) return;
  switch (p.sub) {
    case kSubTcp:
      if (p.fragmentOffset == 0) MarkTcpRetransmission(index, previous, conversation, filter);
      break;
    case kSubNcp:
    case kSubSpx: MarkSequencedRepeat(p, packet, previous); break;
    case kSubSpx2: MarkSpx2Repeat(index, previous); break;
    default: break;
  }
}

// Marked until the fragment that ends where this one starts is found among the earlier
// packets of the same identification, the conversation's first packet included (fragments
// arrive in any order). A fragment with no earlier packet is marked too.
void NetworkStage::MarkMissingFragment(TPacket& packet, uint16_t offset, int32_t previous) {
  packet.Flags |= kPacketMissingFragment;
  int examined = 0;
  for (int32_t c = previous; c >= 0 && examined < kFragmentWalkLimit; c = PreviousReal(c), ++examined) {
    const TPacket& candidate = model_.Packets.At(c);
    if (candidate.Identification != packet.Identification) return;
    if (int64_t{model_.Packets.FragmentOffset(c)} + candidate.TotalLength - candidate.HeaderLength == offset) {
      packet.Flags &= ~kPacketMissingFragment;
      return;
    }
  }
}

void NetworkStage::MarkTcpRetransmission(int32_t index, int32_t previous, const TTransHead& conversation,
                                         const RepeatFilter& filter) {
  TPacket& packet = model_.Packets.At(index);
  if (packet.Acknowledge < model_.Packets.At(previous).Acknowledge) return;
  const bool control = (packet.TcpFlags & kFinSynRst) != 0;
  auto match = [&](const RecentSegment& c, int count) {
    const bool cControl = (c.TcpFlags & kFinSynRst) != 0;
    const int64_t length = int64_t{c.Payload} + (cControl ? 1 : 0);
    if (c.FragmentOffset != 0 || (length == 0 && c.TTL <= packet.TTL) || c.Sequence != packet.Sequence) return false;
    model_.Packets.SetRetransmitDistance(index, static_cast<uint8_t>(count));
    if (packet.TTL < c.TTL)
      packet.Flags |= kPacketRoutedDuplicate;
    else if (control == cControl)
      packet.Flags |= kPacketRetransmission;
    return true;
  };
  static_assert(RecentSegments::kKept == kCandidateLimit);
  ChainIndex& chains = model_.Chains;
  // A conversation with its recent segments kept has more real packets than candidates:
  // every kept one is a candidate.
  if (const RecentSegments* recent = chains.Recent(&conversation)) {
    for (int back = 0; back < RecentSegments::kKept; ++back)
      if (recent->SequenceBack(back) == packet.Sequence && match(recent->Back(back), back + 1)) return;
    return;
  }
  int examined = 0;
  bool matched = false;
  if (filter.RulesOut(packet.Sequence, packet.TTL)) {
    // The walk would examine every candidate and match none: the previous packet, and each
    // earlier real one but the first.
    examined = std::min(kCandidateLimit, std::max(1, filter.RealPackets - 1));
  } else {
    WalkCandidates(previous, kCandidateLimit, [&](int32_t c, const TPacket& candidate, int count) {
      examined = count;
      // Most candidates differ in sequence number: no need to gather the rest of them.
      if (candidate.Sequence != packet.Sequence) return false;
      matched = match(SegmentOf(model_.Packets, c), count);
      return matched;
    });
  }
  // All candidates were examined, so the conversation has more real packets than that:
  // from now on its last ones are kept.
  if (matched || examined < kCandidateLimit) return;
  RecentSegments& recent = chains.AddRecent(&conversation);
  int32_t c = previous;
  for (int back = RecentSegments::kKept - 1; back >= 0 && c >= 0; --back, c = PreviousReal(c))
    recent.Set(back, SegmentOf(model_.Packets, c));
  recent.Newest = RecentSegments::kKept - 1;
}

// Notes a real packet in its conversation's repeat filter, and among its recent segments when
// they are kept.
void NetworkStage::KeepRecent(const TTransHead& conversation, RepeatFilter& filter, int32_t index) {
  const TPacket& packet = model_.Packets.At(index);
  if (!IsRealPacket(packet.Flags)) return;
  const RecentSegment segment = SegmentOf(model_.Packets, index);
  filter.Note(int64_t{segment.Payload} + ((segment.TcpFlags & kFinSynRst) != 0 ? 1 : 0), segment.Sequence, segment.TTL);
  if (RecentSegments* recent = model_.Chains.Recent(&conversation)) recent->Push(segment);
}

// NCP and SPX: a request repeating the previous request's sequence number.
void NetworkStage::MarkSequencedRepeat(const Packet& p, TPacket& packet, int32_t previous) {
  if ((packet.Flags & kPacketRequest) == 0 || (packet.Flags & kPacketGroup) != 0) return;
  const TPacket& m = model_.Packets.At(previous);
  if ((m.Flags & kPacketRequest) == 0 || m.Sequence != packet.Sequence) return;
  if (packet.TTL > m.TTL)
    packet.Flags |= kPacketRoutedDuplicate;
  else if (p.sub == kSubSpx || (packet.Time - m.Time < kNcpRetryWindow && packet.Function() == m.Function()))
    packet.Flags |= kPacketRetransmission;
}

void NetworkStage::MarkSpx2Repeat(int32_t index, int32_t previous) {
  TPacket& packet = model_.Packets.At(index);
  if ((packet.Flags & kPacketRequest) == 0 || (packet.Flags & kPacketGroup) != 0) return;
  WalkCandidates(previous, kCandidateLimit, [&](int32_t, const TPacket& c, int count) {
    if ((c.Flags & kPacketRequest) == 0 || c.Sequence != packet.Sequence) return false;
    model_.Packets.SetRetransmitDistance(index, static_cast<uint8_t>(count));
    packet.Flags |= c.TTL >= packet.TTL ? kPacketRetransmission : kPacketRoutedDuplicate;
    return true;
  });
}

// Packet burst: a request naming missing fragments (data[35]) repeats data already sent.
void NetworkStage::MarkPacketBurstRepeat(const Packet& p, TPacket& packet, int32_t previous) {
  if ((packet.Flags & kPacketGroup) != 0) return;
  const TPacket* m = previous >= 0 ? &model_.Packets.At(previous) : nullptr;
  const uint8_t missing = p.data.U8(p.network + 30 + 35);
  if (!m || m->TTL >= packet.TTL || m->Sequence != packet.Sequence) {
    if (missing != 0) {
      packet.Flags |= kPacketRetransmission;
      packet.SetFunction(missing);
    } else if (m && m->Sequence == packet.Sequence && HasFlags(m->Flags, kPacketRequest | kPacketRead)) {
      packet.Flags |= kPacketRetransmission;
      packet.SetFunction(0);
    }
  } else {
    packet.Flags |= kPacketRoutedDuplicate;
  }
}

// An ICMP error quoting a TCP or UDP packet of the trace is filed, as a record of its own,
// directly after that packet in the packet's conversation.
void NetworkStage::FileIcmpReport(const Packet& p, int32_t index) {
  const TPacket& icmp = model_.Packets.At(index);
  const uint8_t type = static_cast<uint8_t>(icmp.Window & 0xFF);
  if (type != 3 && type != 4 && type != 5 && type != 11) return;
  const ByteView& d = p.data;
  const size_t e = p.transport + 8;  // the quoted IP header
  const uint8_t protocol = d.U8(e + 9);
  if (protocol != 6 && protocol != 17) return;
  const AddressKey source = AddressKey::At(d, e + 12, kIpKeyLength);
  const AddressKey destination = AddressKey::At(d, e + 16, kIpKeyLength);
  const uint16_t identification = d.U16be(e + 4);
  const uint16_t sourcePort = d.U16be(e + 20);
  const uint16_t destinationPort = d.U16be(e + 22);

  const NetAddressNode* node = model_.NetAddresses.Find(source);
  const int32_t receiver = model_.NetAddresses.FindId(destination);
  if (!node || node->FirstPeer == 0 || receiver == NetAddressTree::kNoNode) return;
  ModelObjects& objects = model_.Objects;
  int32_t peerIndex = model_.Chains.FindPeer(node, receiver, model_.Objects);
  if (!objects.Is<TNetPeer>(peerIndex)) return;

  int32_t conversationIndex = -1;
  model_.ForEachConversation(objects.Get<TNetPeer>(peerIndex), [&](int32_t c, const TTransHead& h) {
    if (h.SourcePort != sourcePort || h.DestinationPort != destinationPort) return true;
    conversationIndex = c;
    return false;
  });
  if (!objects.Is<TTransHead>(conversationIndex)) return;
  TTransHead& conversation = objects.Get<TTransHead>(conversationIndex);

  PacketList& packets = model_.Packets;
  int32_t target = conversation.LastPacket;
  // Identifications repeat every 65536 packets: a match further back names another packet,
  // and the bound keeps floods of reports from walking long conversations again and again.
  for (int32_t budget = 65536; packets.Contains(target) && budget > 0; --budget) {
    const TPacket& candidate = packets.At(target);
    if (IsRealPacket(candidate.Flags) && candidate.Identification == identification) break;
    target = packets.Previous(target);
  }
  if (!packets.Contains(target) || !IsRealPacket(packets.At(target).Flags) ||
      packets.At(target).Identification != identification)
    return;

  const int32_t referredFrame = packets.At(target).FrameNumber;
  const int32_t created = packets.InsertAfter(conversation, target);
  if (created < 0) return;
  TPacket& report = packets.At(created);
  report.Time = icmp.Time;
  report.Length = icmp.Length;
  report.FrameNumber = icmp.FrameNumber;
  report.HeaderLength = icmp.HeaderLength;
  report.TotalLength = icmp.TotalLength;
  report.Identification = icmp.Identification;
  report.Window = icmp.Window;
  report.TTL = icmp.TTL;
  report.Sequence = static_cast<uint32_t>(referredFrame);
  // The station that sent the report, as four address bytes read big-endian.
  report.Acknowledge = ReporterAddress(p.source);
  report.Flags = kIcmpReportFlags;
}

// Servers found on unregistered ports (a SYN to them) decide the direction of every packet
// of their conversations with them. Only the direction bits change; report records keep theirs.
void NetworkStage::MarkLearnedServers() {
  PacketList& packets = model_.Packets;
  const LearnedServerTable& learned = model_.LearnedServers;
  if (learned.Empty()) return;
  // Only a pair with a learned server at one end has conversations to mark: the pairs the
  // servers sent, and then, in one pass over all pairs in the order they were made, those
  // sent to a server. That reads far less than walking every address's chains. Each packet
  // belongs to one conversation, so they can be marked in any order and their chains
  // followed together.
  const NetAddressTree& addresses = model_.NetAddresses;
  std::vector<bool> server(static_cast<size_t>(addresses.IdLimit()), false);
  std::vector<const NetAddressNode*> servers;
  learned.ForEachServer([&](const AddressKey& address) {
    const int32_t id = addresses.FindId(address);
    if (id == NetAddressTree::kNoNode || server[static_cast<size_t>(id)]) return;
    server[static_cast<size_t>(id)] = true;
    servers.push_back(addresses.At(id));
  });
  struct Marking {
    int32_t First;
    bool ToServer;
    bool FromServer;
  };
  std::vector<Marking> pending;
  const auto note = [&](const TNetPeer& peer, const AddressKey* sender, const TTransHead& conversation) {
    const bool toServer = learned.Contains(addresses.AddressAt(peer.Receiver), conversation.DestinationPort);
    const bool fromServer = sender != nullptr && learned.Contains(*sender, conversation.SourcePort);
    if (toServer || fromServer) pending.push_back({conversation.FirstPacket, toServer, fromServer});
  };
  // The pairs the servers sent: their chains followed side by side, so that the waits for
  // memory overlap, then their conversations, fetched some pairs ahead.
  const ModelObjects& objects = model_.Objects;
  const auto sent = model_.NetPeersOf(servers.size(), [&](size_t c) { return servers[c]; });
  std::vector<bool> done(static_cast<size_t>(objects.CountOf<TNetPeer>()), false);
  for (const auto& [owner, index] : sent) done[static_cast<size_t>(ModelObjects::SlotOf(index))] = true;
  model_.ForEachConversationOf(
      sent.size(), [&](size_t n) { return sent[n].second; },
      [&](size_t n, int32_t, const TTransHead& conversation) {
        note(objects.Get<TNetPeer>(sent[n].second), &servers[sent[n].first]->Address, conversation);
      });
  // Then, in one pass over all pairs in the order they were made, those sent to a server.
  objects.ForEachOf<TNetPeer>([&](int32_t index, const TNetPeer& peer) {
    const auto receiver = static_cast<size_t>(peer.Receiver);
    if (peer.Receiver >= 0 && receiver < server.size() && server[receiver] &&
        !done[static_cast<size_t>(ModelObjects::SlotOf(index))])
      model_.ForEachConversation(peer,
                                 [&](int32_t, const TTransHead& conversation) { note(peer, nullptr, conversation); });
  });
  FollowChains(
      packets, pending.size(), [&](size_t c) { return pending[c].First; },
      [&](size_t, size_t c, size_t, int32_t, TPacket& packet) {
        if (IsIcmpReport(packet.Flags)) return;
        if (pending[c].ToServer) packet.Flags = (packet.Flags & ~kPacketReply) | kPacketRequest;
        if (pending[c].FromServer) packet.Flags = (packet.Flags & ~kPacketRequest) | kPacketReply;
      });
}

void NetworkStage::DetectChecksumOffload() {
  std::vector<int32_t> firsts;
  model_.NetAddresses.ForEach([&](NetAddressNode& node) {
    // Random damage never hits every packet of a sender; an adapter that fills in the
    // checksums after the capture took the frame does, or every packet with data when the
    // system still sums its bare acknowledgements itself.
    const bool all = node.ChecksumsJudged >= kOffloadMinJudged && node.ChecksumsRight == 0;
    const bool data = node.DataChecksumsJudged >= kOffloadMinJudged && node.DataChecksumsRight == 0;
    if (!all && !data) return;
    model_.ChecksumOffload.push_back(node.Address);
    model_.ForEachNetPeer(node, [&](int32_t, const TNetPeer& peer) {
      model_.ForEachConversation(
          peer, [&](int32_t, const TTransHead& conversation) { firsts.push_back(conversation.FirstPacket); });
    });
  });
  if (firsts.empty()) return;
  constexpr PacketFlags kTransportChecksums = kPacketTcpChecksumError | kPacketUdpChecksumError;
  FollowChains(
      model_.Packets, firsts.size(), [&](size_t c) { return firsts[c]; },
      [&](size_t, size_t, size_t, int32_t, TPacket& packet) {
        if (!IsIcmpReport(packet.Flags)) packet.Flags &= ~kTransportChecksums;
      });
}

}  // namespace corvanta

#include "decode/NetworkStage.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "decode/InternetChecksum.h"
#include "decode/NetworkProtocols.h"
#include "decode/PacketFlags.h"

namespace corvanta {

namespace {

constexpr size_t kIpxHeaderLength = 30;

// The folded sum of count bytes from offset, the 16-bit field at skip (when it lies inside)
// taken as zero: summed in one pass, the field then taken away (its complement added; bytes
// past the data read as zero on both sides). Where nothing else is left the answer may be
// either zero of one's complement, which checksum verdicts treat alike. skip and offset must
// have the same parity, as every checksum field does.
uint16_t SumSkipping(ByteView data, size_t offset, size_t count, size_t skip, uint32_t initial) {
  const ByteView all = data.Sub(offset, count);
  const uint32_t sum = OnesComplementSum(all.data(), all.size(), initial);
  if (skip < offset || skip + 2 > offset + count) return static_cast<uint16_t>(sum);
  const uint32_t rest = sum + static_cast<uint16_t>(~data.U16be(skip));
  return static_cast<uint16_t>((rest & 0xFFFFu) + (rest >> 16));
}

// SumSkipping's answer for an IPv4 header of whole 32-bit words, its checksum field at 10:
// the upper half of the third word as a little-endian machine reads it, the lower half on a
// big-endian one.
uint16_t IpHeaderSum(ByteView data, size_t offset, size_t length) {
  if (length % 4 != 0 || length < 12 || !data.Has(offset, length))
    return SumSkipping(data, offset, length, offset + 10, 0);
  const uint8_t* p = data.data() + offset;
  uint16_t field;
  std::memcpy(&field, p + 10, 2);
  const int shift = std::endian::native == std::endian::little ? 16 : 0;
  // Most headers have no options: a fixed count the compiler unrolls.
  const uint64_t sum = length == 20 ? MachineWordSum(p, 5) : MachineWordSum(p, length / 4);
  return FoldedMachineSum(sum - (uint64_t{field} << shift));
}

// NetBIOS sessions over IP keep their category in the statistics, but are IP packets to the
// model: without them the server side of every session would be missing.
bool CarriesIp(const DataLinkResult& link) { return link.category == kCatIp || link.category == kCatNetBiosIp; }

}  // namespace

bool NetworkStage::AddressKeys(const FrameRecord& frame, const DataLinkResult& link, AddressKey& source,
                               AddressKey& destination) {
  const bool ip = CarriesIp(link);
  if (link.networkOffset == 0 || (!ip && link.category != kCatIpx && link.category != kCatNetBiosIpx)) return false;
  const ByteView d(frame.Data.data(), std::min<size_t>(frame.CapturedLength, kMaxFrameLength));
  const size_t n = link.networkOffset - 1u;
  source = AddressKey::At(d, n + (ip ? 12 : 18), ip ? kIpKeyLength : kIpxKeyLength);
  destination = AddressKey::At(d, n + (ip ? 16 : 6), ip ? kIpKeyLength : kIpxKeyLength);
  return true;
}

bool NetworkStage::Parse(const FrameRecord& frame, const DataLinkResult& link, double time, Packet& p) {
  // ParseHeaders clears the rest of p; only a frame it never sees is cleared here.
  if (!AddressKeys(frame, link, p.source, p.destination)) {
    p = Packet{};
    return false;
  }
  ParseHeaders(frame, link, time, p);
  return true;
}

void NetworkStage::ParseHeaders(const FrameRecord& frame, const DataLinkResult& link, double time, Packet& p) {
  const AddressKey source = p.source;
  const AddressKey destination = p.destination;
  p = Packet{};
  p.source = source;
  p.destination = destination;
  const bool ip = CarriesIp(link);
  // Only the captured bytes are read; fields past them read as zero, never as what an
  // earlier frame left in the buffer.
  p.data = ByteView(frame.Data.data(), std::min<size_t>(frame.CapturedLength, kMaxFrameLength));
  p.network = link.networkOffset - 1u;
  p.ip = ip;
  p.group = link.group;
  TPacket& r = p.record;
  r.Time = time;
  r.Length = frame.Length;
  r.FrameNumber = frame.FrameNumber;
  if (p.group) r.Flags |= kPacketGroup;

  const ByteView& d = p.data;
  const size_t n = p.network;
  if (ip) {
    p.sub = IpProtocolIndex(d.U8(n + 9));
    ParseIp(p, frame);
  } else {
    p.sourcePort = d.U16be(n + 28);
    p.destinationPort = d.U16be(n + 16);
    IpxKind kind = IpxSubProtocol(d.U8(n + 5), p.sourcePort, p.destinationPort, d.U16be(n + kIpxHeaderLength));
    p.sub = kind.sub;
    if (kind.serverBusy) r.Flags |= kPacketServerBusy;
    ParseIpx(p);
  }
}

void NetworkStage::Decode(const FrameRecord& frame, const DataLinkResult& link) {
  Packet p;
  if (Parse(frame, link, frame.Timestamp, p)) Decode(frame, link, p);
}

void NetworkStage::Decode(const FrameRecord& frame, const DataLinkResult& link, Packet& p) {
  const TPacket& r = p.record;
  bool newSender = false;
  NetAddressNode& source = NoteSource(p, link, newSender);
  if (p.ip) {
    FileIpTransport(p);
    // Counted for the offload check after the pass.
    if (p.checksum != ChecksumVerdict::kNotJudged) {
      const bool right = p.checksum == ChecksumVerdict::kRight;
      Accumulate(source.ChecksumsJudged, 1);
      if (right) Accumulate(source.ChecksumsRight, 1);
      if (int32_t{r.TotalLength} - r.HeaderLength - r.TransportHeaderLength > 0) {
        Accumulate(source.DataChecksumsJudged, 1);
        if (right) Accumulate(source.DataChecksumsRight, 1);
      }
    }
  } else {
    LearnIpxNames(p, link);
  }

  // The sender's pair names the receiver's node, so the receiver is noted first.
  const int32_t receiver = NoteDestination(p, link);
  int32_t conversationIndex = -1;
  TTransHead& conversation = FileConversation(p, source, receiver, newSender, frame.Position, conversationIndex);
  RepeatFilter& filter = model_.Chains.Filter(conversationIndex);
  int32_t previous = -1;
  int32_t index = AppendPacket(p, conversation, frame, previous);

  MarkTcpFlags(p, model_.Packets.At(index));
  MarkRepeats(p, index, previous, conversation, filter);
  KeepRecent(conversation, filter, index);
  if (p.sub == kSubIcmp) FileIcmpReport(p, index);
}

NetAddressNode& NetworkStage::NoteSource(const Packet& p, const DataLinkResult& link, bool& newSender) {
  bool inserted = false;
  NetAddressNode& node = model_.NetAddresses.FindOrInsert(p.source, inserted);
  newSender = false;
  if (inserted) {
    node.Category = p.ip ? ProtocolCategory{kCatIp} : link.category;
    node.Station = link.sourceStation;
    ++(p.ip ? model_.Counts.IpAddresses : model_.Counts.IpxAddresses);
  }
  if ((node.Roles & kRolesSent) == 0) {
    node.Roles = kRolesSent;
    newSender = true;
  }
  AddToSet(node.SubProtocols, p.sub);
  node.WorkSubProtocols = node.SubProtocols;
  Accumulate(node.PacketsSent, 1);
  Accumulate(node.BytesSent, p.record.Length);
  return node;
}

int32_t NetworkStage::NoteDestination(const Packet& p, const DataLinkResult& link) {
  bool inserted = false;
  const int32_t id = model_.NetAddresses.FindOrInsertId(p.destination, inserted);
  NetAddressNode& node = *model_.NetAddresses.At(id);
  if (inserted) {
    node.Category = p.ip ? ProtocolCategory{kCatIp} : link.category;
    node.Station = link.destinationStation;
    ++(p.ip ? model_.Counts.IpAddresses : model_.Counts.IpxAddresses);
  }
  AddToSet(node.SubProtocols, p.sub);
  Accumulate(node.PacketsReceived, 1);
  Accumulate(node.BytesReceived, p.record.Length);
  return id;
}

void NetworkStage::ParseIpx(Packet& p) {
  const ByteView& d = p.data;
  const size_t x = p.network;
  const size_t data = x + kIpxHeaderLength;
  TPacket& r = p.record;
  r.HeaderLength = kIpxHeaderLength;
  r.TotalLength = d.U16be(x + 2);
  r.TTL = d.U8(x + 4) & 0x0F;
  const uint16_t w = d.U16be(data);

  switch (p.sub) {
    case kSubSmb:
      if (p.sourcePort == 0x0550) r.Flags |= kPacketReply;
      if (p.sourcePort == 0x0552) r.Flags |= kPacketRequest;
      r.Sequence = d.U16be(data + 30);
      break;
    case kSubNcp:
      if (w == 0x2222 || w == 0x1111 || w == 0x5555) r.Flags |= kPacketRequest;
      if (w == 0x3333 || w == 0x9999) r.Flags |= kPacketReply;
      if (w == 0x2222) {
        r.SetFunction(d.U8(data + 6));
        if (r.Function() == 0x48) r.Flags |= kPacketRead;
        if (r.Function() == 0x49) r.Flags |= kPacketWrite;
      }
      if (r.Flags & kPacketDirection) r.Sequence = d.U8(data + 2);
      break;
    case kSubPBurst:
      r.Sequence = d.U16be(data + 20);
      r.Acknowledge = d.U16be(data + 22);
      r.Flags |= r.Sequence != r.Acknowledge ? kPacketReply : kPacketRequest;
      if (d.U8(data + 35) == 0 && d.U32le(data + 28) == 0) {
        uint8_t function = d.U8(data + 36);
        if (function == 1) r.Flags |= kPacketRead;
        if (function == 2) r.Flags |= kPacketWrite;
      }
      break;
    case kSubSpx:
    case kSubSpx2:
      r.TransportHeaderLength = 12;
      r.Flags |= (d.U8(data) & 0x80) != 0 ? kPacketReply : kPacketRequest;
      p.sourcePort = d.U16be(data + 2);
      p.destinationPort = d.U16be(data + 4);
      r.Sequence = d.U16be(data + 6);
      r.Acknowledge = d.U16be(data + 8);
      break;
    case kSubNetBios: {
      const uint8_t kind = d.U8(data + 1);
      if (kind != 2 && kind != 4) r.Flags |= (d.U8(data) & 0x80) != 0 ? kPacketReply : kPacketRequest;
      p.sourcePort = d.U16le(data + 2);
      p.destinationPort = d.U16le(data + 4);
      r.Sequence = d.U16le(data + 6);
      r.Acknowledge = d.U16le(data + 14);
      break;
    }
    case kSubSap: r.Flags |= p.destinationPort == 0x0452 ? kPacketReply : kPacketRequest; break;
    default: break;
  }
}

void NetworkStage::LearnIpxNames(const Packet& p, const DataLinkResult& link) {
  if (p.sub == kSubNetBios) {
    const uint8_t kind = p.data.U8(p.network + kIpxHeaderLength + 1);
    if (kind == 2 || kind == 3) LearnNetBiosName(p);
  } else if (p.sub == kSubSap && p.destinationPort == 0x0452) {
    LearnSapNames(p, link);
  }
}

void NetworkStage::ParseIp(Packet& p, const FrameRecord& frame) {
  const ByteView& d = p.data;
  const size_t h = p.network;
  TPacket& r = p.record;
  r.HeaderLength = static_cast<uint8_t>((d.U8(h) & 0x0F) * 4);
  r.TotalLength = d.U16be(h + 2);
  r.Identification = d.U16be(h + 4);
  p.fragmentOffset = static_cast<uint16_t>(d.U16be(h + 6) * 8u);  // the flag bits fall off the top
  const bool moreFragments = (d.U8(h + 6) & 0x20) != 0;
  r.TTL = d.U8(h + 8);
  p.transport = h + r.HeaderLength;

  // Checksums are judged only when the whole IP packet was captured, ahead of the 4-byte
  // check sequence. (h is 0-based: the packet ends at h + TotalLength.)
  const bool checks = frame.Length == frame.CapturedLength && h + r.TotalLength + 4 <= frame.Length;
  if (checks) {
    uint16_t computed = static_cast<uint16_t>(~IpHeaderSum(d, h, r.HeaderLength));
    if (!ChecksumsAgree(computed, d.U16be(h + 10))) r.Flags |= kPacketIpChecksumError;
  }

  const size_t t = p.transport;
  switch (p.sub) {
    case kSubIcmp: {
      if (p.fragmentOffset != 0) break;  // a later fragment carries no ICMP header
      const uint8_t type = d.U8(t);
      r.Window = static_cast<uint16_t>(d.U8(t + 1) << 8 | type);
      r.Flags |= IcmpDirection(type);
      if (type == 8 || type == 0) r.Sequence = d.U16be(t + 6);
      break;
    }
    // The transport checksum covers the whole datagram: a first fragment holds only part of it.
    case kSubTcp:
    case kSubUdp: ParseIpTransport(p, checks && !moreFragments); break;
    default: break;
  }
}

void NetworkStage::ParseIpTransport(Packet& p, bool checks) {
  const ByteView& d = p.data;
  const size_t t = p.transport;
  TPacket& r = p.record;
  const bool tcp = p.sub == kSubTcp;
  if (!tcp) r.TransportHeaderLength = 8;
  // A later fragment carries no transport header: its ports are its first fragment's.
  if (p.fragmentOffset != 0) return;

  p.sourcePort = d.U16be(t);
  p.destinationPort = d.U16be(t + 2);
  if (checks) JudgeTransportChecksum(p);

  if (!tcp) {
    // Name, management and DNS services tell requests from replies in their own headers.
    const auto onPort = [&p](uint16_t port) { return p.sourcePort == port || p.destinationPort == port; };
    if (onPort(137)) r.Flags |= (d.U8(t + 10) & 0x80) != 0 ? kPacketReply : kPacketRequest;
    if (onPort(161)) {
      const uint8_t pdu = d.U8(t + 21);
      if (pdu == 0xA0 || pdu == 0xA1) r.Flags |= kPacketRequest;
      if (pdu == 0xA2) r.Flags |= kPacketReply;
    }
    if (onPort(53)) r.Flags |= (d.U8(t + 10) & 0x80) != 0 ? kPacketReply : kPacketRequest;
    return;
  }

  r.Sequence = d.U32be(t + 4);
  r.Acknowledge = d.U32be(t + 8);
  r.TransportHeaderLength = static_cast<uint8_t>((d.U8(t + 12) >> 4) * 4);
  r.TcpFlags = d.U8(t + 13);
  r.Window = d.U16be(t + 14);
  if ((r.TcpFlags & kTcpFlagSyn) != 0) {
    if (d.U8(t + 20) == 2) p.maxSegment = d.U16be(t + 22);
    if (p.maxSegment != 0) r.Flags |= kPacketMaxSegment;
  }
}

void NetworkStage::FileIpTransport(Packet& p) {
  if (p.sub != kSubTcp && p.sub != kSubUdp) return;
  TPacket& r = p.record;
  FragmentPortTable& fragments = model_.FragmentPorts;
  if (p.fragmentOffset != 0) {
    // The ports of a later fragment are those of the most recently written slot of its
    // identification (from the cursor backwards, as the slots are written in a ring).
    for (int back = 0; back < FragmentPortTable::kSlots; ++back) {
      const FragmentPortTable::Slot& slot = fragments.Slots[static_cast<size_t>(
          (fragments.Cursor - back + FragmentPortTable::kSlots) % FragmentPortTable::kSlots)];
      if (slot.Identification != r.Identification) continue;
      p.sourcePort = slot.SourcePort;
      p.destinationPort = slot.DestinationPort;
      break;
    }
    return;
  }

  r.Flags |= ServerDirection(p.sourcePort, p.destinationPort, env_.userPorts);
  if (fragments.Slots[fragments.Cursor].Identification != r.Identification) {
    fragments.Cursor = static_cast<uint8_t>((fragments.Cursor + 1) % FragmentPortTable::kSlots);
    fragments.Slots[fragments.Cursor] = {r.Identification, p.sourcePort, p.destinationPort};
  }

  if (p.sub == kSubUdp) {
    // The header's reply bit, as the server ports may call a query a reply too.
    if ((p.sourcePort == 53 || p.destinationPort == 53) && (p.data.U8(p.transport + 10) & 0x80) != 0)
      LearnDnsAnswers(p);
    return;
  }
  if ((r.TcpFlags & (kTcpFlagSyn | kTcpFlagAck)) == kTcpFlagSyn && p.destinationPort >= 1024 && p.sourcePort != 20)
    model_.LearnedServers.Add(p.destination, p.destinationPort);
}

void NetworkStage::JudgeTransportChecksum(Packet& p) {
  const ByteView& d = p.data;
  TPacket& r = p.record;
  if (r.TotalLength < r.HeaderLength) return;  // no transport bytes to judge
  const bool tcp = p.sub == kSubTcp;
  const size_t t = p.transport;
  const size_t field = t + (tcp ? 16 : 6);
  const uint16_t stored = d.U16be(field);
  if (stored == 0) return;  // UDP: no checksum sent

  const uint32_t length = static_cast<uint32_t>(r.TotalLength - r.HeaderLength);
  const ByteView addresses = d.Sub(p.network + 12, 8);
  uint32_t pseudo = ShortOnesComplementSum(addresses.data(), addresses.size());
  pseudo += tcp ? 6u : 17u;
  pseudo += tcp ? length : d.U16be(t + 4);
  // On the reader's thread, where this runs when reading ahead, the bytes were just copied.
  const uint16_t sum = SumSkipping(d, t, length, field, pseudo);
  if (ChecksumsAgree(static_cast<uint16_t>(~sum), stored)) {
    p.checksum = ChecksumVerdict::kRight;
    return;
  }
  p.checksum = ChecksumVerdict::kWrong;
  r.Flags |= tcp ? kPacketTcpChecksumError : kPacketUdpChecksumError;
}

}  // namespace corvanta

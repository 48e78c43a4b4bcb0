#include "decode/DataLink.h"

#include "trace/FrameRecord.h"

namespace corvanta {

namespace {

constexpr uint16_t kMaxLengthField = 1500;  // above: an EtherType
constexpr uint32_t kEthernetMinForType = 18;
constexpr uint32_t kEthernetMinForAddresses = 16;

// Positions of the soft-error counts in a report, indexed by SoftErrorKind.
constexpr std::array<uint8_t, kSoftErrorKindCount> kSoftErrorPositions = {
    24,  // abort delimiter
    23,  // AC
    22,  // burst
    30,  // frame copied
    31,  // frequency
    21,  // internal
    20,  // line
    28,  // lost frame
    29,  // receive congestion
    32,  // token
};

bool IsNetBiosIpPort(uint16_t port) { return port >= 137 && port <= 139; }

ProtocolCategory IpxCategory(ByteView data, size_t ipxHeader) {
  return IsNetBiosOverIpx(data, ipxHeader) ? kCatNetBiosIpx : kCatIpx;
}

void SetEncapsulation(DataLinkFrame& f, Encapsulation e, ProtocolCategory category, uint16_t networkOffset) {
  f.link.encapsulation = e;
  f.link.category = category;
  f.link.networkOffset = networkOffset;
}

}  // namespace

bool IsNetBiosOverIpx(ByteView data, size_t ipxHeader) {
  return data.U8(ipxHeader + 16) == 0x04 && data.U8(ipxHeader + 17) == 0x55;
}

ProtocolCategory EtherTypeCategory(uint16_t etherType, ByteView data, size_t networkHeader) {
  switch (etherType) {
    case 0x0600:
    case 0x0601:
    case 0x0807: return kCatXns;
    case 0x0800: return IsNetBiosIpPort(data.U16be(networkHeader + 20)) ? kCatNetBiosIp : kCatIp;
    case 0x0806:
    case 0x8035: return kCatArpRarp;
    case 0x0BAD: return kCatVines;
    case 0x6004: return kCatLat;
    case 0x6007: return kCatLavc;
    case 0x8038: return kCatBpdu;
    case 0x809B:
    case 0x80F2:
    case 0x80F3:
    case 0x80F4: return kCatAppletalk;
    case 0x8137: return IpxCategory(data, networkHeader);
    case 0x9000: return kCatDecnet;
    default: break;
  }
  if ((etherType >= 0x6000 && etherType <= 0x6009) || (etherType >= 0x8039 && etherType <= 0x8042)) return kCatDecnet;
  return kCatOther;
}

ProtocolCategory SapCategory(uint8_t dsap, ByteView data, size_t networkHeader) {
  switch (dsap) {
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x08:
    case 0x0C: return kCatSna;
    case 0x06: return kCatIp;
    case 0x10: return IpxCategory(data, networkHeader);
    case 0x20:
    case 0x34:
    case 0xEC:
    case 0xFE: return kCatIso;
    case 0x42: return kCatBpdu;
    case 0x80: return kCatXns;
    case 0x98: return kCatArpRarp;
    case 0xBC: return kCatVines;
    case 0xE0: return networkHeader >= 1 && data.U8(networkHeader - 1) == 0x03 ? kCatIpx : kCatOther;
    case 0xF0:
    case 0xF1: return kCatNetBiosLlc;
    default: return kCatOther;
  }
}

DataLinkFrame ClassifyEthernet(ByteView data, uint32_t length, uint16_t status) {
  DataLinkFrame f;
  f.link.encapsulation = kNoEncapsulation;
  f.link.category = kCatOther;
  if (length >= kEthernetMinForAddresses) {
    f.addressed = true;
    f.link.destination = AddressKey::At(data, 0, kMacKeyLength);
    f.link.source = AddressKey::At(data, 6, kMacKeyLength);
  }
  f.statusMember = (status & (kStatusCrcError | kStatusAlignmentError)) ? kFrameStatusCrcError : kFrameStatusGood;
  f.link.group = IsGroupAddress(data.U8(0), kEthernet);
  f.broadcast = f.link.group && data.U8(0) == 0xFF;
  f.multicast = f.link.group && !f.broadcast;
  if (length < kEthernetMinForType) return f;

  uint16_t type = data.U16be(12);
  if (type <= kMaxLengthField) {
    if (data.U8(14) == 0xFF && data.U8(15) == 0xFF)
      SetEncapsulation(f, kEncapNovRaw, IpxCategory(data, 14), 15);
    else if (data.U8(14) == 0xAA && data.U8(15) == 0xAA)
      SetEncapsulation(f, kEncapSnap, EtherTypeCategory(data.U16be(20), data, 22), 23);
    else
      SetEncapsulation(f, kEncapLlc, SapCategory(data.U8(14), data, 17), 18);
  } else {
    SetEncapsulation(f, kEncapEtype, EtherTypeCategory(type, data, 14), 15);
  }
  return f;
}

DataLinkFrame ClassifyTokenRing(ByteView data) {
  DataLinkFrame f;
  f.addressed = true;
  f.link.destination = AddressKey::At(data, 2, kMacKeyLength);
  f.link.source = AddressKey::At(data, 8, kMacKeyLength);
  f.link.source.Bytes[0] &= 0x7F;  // the routing information indicator is not part of the address
  f.statusMember = kFrameStatusGood;

  uint8_t first = data.U8(2);
  f.link.group = IsGroupAddress(first, kTokenRing);
  // Functional addresses and the all-ones broadcast count as multicast, the rest as broadcast.
  f.multicast = f.link.group && (first & 0xC0) == 0xC0;
  f.broadcast = f.link.group && !f.multicast;

  uint8_t fc = data.U8(1);
  if ((fc & 0xC0) != 0) {
    size_t r = 0;
    if (data.U8(8) & 0x80) {
      f.sourceRouted = true;
      r = data.U8(14) & 0x1F;
    }
    if (data.U8(14 + r) == 0xAA && data.U8(15 + r) == 0xAA)
      SetEncapsulation(f, kEncapSnap, EtherTypeCategory(data.U16be(20 + r), data, 22 + r),
                       static_cast<uint16_t>(r + 23));
    else
      SetEncapsulation(f, kEncapLlc, SapCategory(data.U8(14 + r), data, 17 + r), static_cast<uint16_t>(r + 18));
    return f;
  }

  f.macFrame = true;
  SetEncapsulation(f, kEncapMac, kCatMac, 0);
  f.macCommand = data.U8(kMacCommandOffset);
  f.reportToErrorMonitor =
      f.macCommand == kMacReportSoftError && f.link.destination == AddressKey::Of(kRingErrorMonitorAddress);
  return f;
}

std::array<uint8_t, kSoftErrorKindCount> SoftErrorCounts(ByteView data) {
  std::array<uint8_t, kSoftErrorKindCount> counts{};
  for (int k = 0; k < kSoftErrorKindCount; ++k) counts[k] = data.U8(kSoftErrorPositions[k]);
  return counts;
}

std::optional<std::string> NetBiosSourceName(ByteView data, uint16_t networkOffset) {
  if (networkOffset < 2) return std::nullopt;
  size_t start = networkOffset - 1;  // 0-based first byte of the NetBIOS header
  if ((data.U8(start - 1) & 0x03) != 0x03) return std::nullopt;
  uint8_t command = data.U8(start + 4);
  if (command != 0x01 && command != 0x08) return std::nullopt;

  std::array<uint8_t, 16> raw{};
  data.Copy(start + 28, raw.data(), raw.size());
  size_t first = 0, last = raw.size();
  while (first < last && raw[first] <= 32) ++first;
  while (last > first && raw[last - 1] <= 32) --last;
  std::string name(reinterpret_cast<const char*>(raw.data()) + first, last - first);
  if (name.size() > kLearnedNameMax) name.resize(kLearnedNameMax);
  return name;
}

}  // namespace corvanta

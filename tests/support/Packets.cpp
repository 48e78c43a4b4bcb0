#include "Packets.h"

#include <algorithm>

#include "TraceWriter.h"

namespace corvanta::testing {

namespace {

void PutBytes(Bytes& out, const uint8_t* data, size_t size) { out.insert(out.end(), data, data + size); }
template <size_t N>
void PutArray(Bytes& out, const std::array<uint8_t, N>& a) {
  PutBytes(out, a.data(), a.size());
}

void PutMacHeader(Bytes& out, const MacAddr& dst, const MacAddr& src) {
  PutArray(out, dst);
  PutArray(out, src);
}

// Pseudo-header sum for TCP and UDP checksums.
uint32_t PseudoHeaderSum(const Ip4Addr& src, const Ip4Addr& dst, uint8_t protocol, size_t length) {
  uint32_t sum = 0;
  sum += static_cast<uint32_t>(src[0] << 8 | src[1]) + static_cast<uint32_t>(src[2] << 8 | src[3]);
  sum += static_cast<uint32_t>(dst[0] << 8 | dst[1]) + static_cast<uint32_t>(dst[2] << 8 | dst[3]);
  sum += protocol;
  sum += static_cast<uint32_t>(length);
  return sum;
}

// Packet type, sequence, connection low byte, task, connection high byte.
Bytes NcpHeader(uint16_t type, uint8_t sequence, uint16_t connection, uint8_t task) {
  Bytes out;
  PutBe16(out, type);
  out.push_back(sequence);
  out.push_back(static_cast<uint8_t>(connection));
  out.push_back(task);
  out.push_back(static_cast<uint8_t>(connection >> 8));
  return out;
}

void PutIpxAddress(Bytes& out, const IpxAddress& a) {
  PutBe32(out, a.network);
  PutArray(out, a.node);
  PutBe16(out, a.socket);
}

void PutName16(Bytes& out, std::string_view name) {
  for (size_t i = 0; i < 16; ++i) out.push_back(i < name.size() ? static_cast<uint8_t>(name[i]) : ' ');
}

void PutDnsName(Bytes& out, std::string_view name) {
  while (!name.empty()) {
    size_t dot = name.find('.');
    std::string_view label = name.substr(0, dot);
    out.push_back(static_cast<uint8_t>(label.size()));
    for (char c : label) out.push_back(static_cast<uint8_t>(c));
    if (dot == std::string_view::npos) break;
    name.remove_prefix(dot + 1);
  }
  out.push_back(0);
}

}  // namespace

Bytes& Append(Bytes& out, const Bytes& more) {
  out.insert(out.end(), more.begin(), more.end());
  return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) Append(out, p);
  return out;
}

Bytes TextBytes(std::string_view text) { return Bytes(text.begin(), text.end()); }

Bytes Filler(size_t count, uint8_t first) {
  Bytes out(count);
  for (size_t i = 0; i < count; ++i) out[i] = static_cast<uint8_t>(first + i);
  return out;
}

Bytes PadFrame(Bytes frame, size_t minimum) {
  if (frame.size() < minimum) frame.resize(minimum, 0);
  return frame;
}

uint16_t InternetChecksum(const uint8_t* data, size_t size, uint32_t initial) {
  uint64_t sum = initial;
  for (size_t i = 0; i + 1 < size; i += 2) sum += static_cast<uint32_t>(data[i] << 8 | data[i + 1]);
  if (size & 1) sum += static_cast<uint32_t>(data[size - 1] << 8);
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint16_t>(~sum & 0xFFFF);
}

// ---- Ethernet

Bytes EthernetII(const MacAddr& dst, const MacAddr& src, uint16_t etherType, const Bytes& payload) {
  Bytes out;
  PutMacHeader(out, dst, src);
  PutBe16(out, etherType);
  return Append(out, payload);
}

Bytes Ethernet8023(const MacAddr& dst, const MacAddr& src, const Bytes& payload) {
  Bytes out;
  PutMacHeader(out, dst, src);
  PutBe16(out, static_cast<uint16_t>(payload.size()));
  return Append(out, payload);
}

Bytes LlcHeader(uint8_t dsap, uint8_t ssap, uint8_t control) { return {dsap, ssap, control}; }

Bytes LlcInformationHeader(uint8_t dsap, uint8_t ssap, uint8_t sendSeq, uint8_t receiveSeq) {
  return {dsap, ssap, static_cast<uint8_t>(sendSeq << 1), static_cast<uint8_t>(receiveSeq << 1)};
}

Bytes SnapHeader(uint16_t etherType, uint32_t oui) {
  Bytes out = {
      0xAA, 0xAA, 0x03, static_cast<uint8_t>(oui >> 16), static_cast<uint8_t>(oui >> 8), static_cast<uint8_t>(oui)};
  PutBe16(out, etherType);
  return out;
}

Bytes EthernetLlc(const MacAddr& dst, const MacAddr& src, uint8_t dsap, uint8_t ssap, uint8_t control,
                  const Bytes& payload) {
  return Ethernet8023(dst, src, Cat({LlcHeader(dsap, ssap, control), payload}));
}

Bytes EthernetSnap(const MacAddr& dst, const MacAddr& src, uint16_t etherType, const Bytes& payload) {
  return Ethernet8023(dst, src, Cat({SnapHeader(etherType), payload}));
}

Bytes EthernetNovellRaw(const MacAddr& dst, const MacAddr& src, const Bytes& ipxPacket) {
  return Ethernet8023(dst, src, ipxPacket);
}

// ---- Token Ring

Bytes TokenRingHeader(const TokenRingAddressing& a) {
  Bytes out = {a.ac, a.fc};
  MacAddr src = a.src;
  if (!a.route.empty()) src[0] |= 0x80;
  PutMacHeader(out, a.dst, src);
  if (!a.route.empty()) {
    uint8_t length = static_cast<uint8_t>(2 + 2 * a.route.size()) & 0x1F;
    out.push_back(static_cast<uint8_t>((a.allRoutesBroadcast ? 0x80 : 0x00) | length));
    out.push_back(static_cast<uint8_t>((a.backward ? 0x80 : 0x00) | 0x30));
    for (uint16_t rd : a.route) PutBe16(out, rd);
  }
  return out;
}

Bytes TokenRingLlc(const TokenRingAddressing& a, uint8_t dsap, uint8_t ssap, uint8_t control, const Bytes& payload) {
  return Cat({TokenRingHeader(a), LlcHeader(dsap, ssap, control), payload});
}

Bytes TokenRingSnap(const TokenRingAddressing& a, uint16_t etherType, const Bytes& payload) {
  return Cat({TokenRingHeader(a), SnapHeader(etherType), payload});
}

Bytes TokenRingMacFrame(const MacAddr& dst, const MacAddr& src, uint8_t command, uint8_t destClass, uint8_t sourceClass,
                        const std::vector<MacSubvector>& subvectors) {
  TokenRingAddressing a;
  a.dst = dst;
  a.src = src;
  a.fc = 0x00;
  Bytes vector;
  for (const MacSubvector& sv : subvectors) {
    vector.push_back(static_cast<uint8_t>(2 + sv.value.size()));
    vector.push_back(sv.id);
    Append(vector, sv.value);
  }
  Bytes out = TokenRingHeader(a);
  PutBe16(out, static_cast<uint16_t>(4 + vector.size()));
  out.push_back(static_cast<uint8_t>((destClass & 0x0F) << 4 | (sourceClass & 0x0F)));
  out.push_back(command);
  return Append(out, vector);
}

Bytes SoftErrorReport(const MacAddr& src, const MacAddr& upstream, const std::array<uint8_t, 10>& counts,
                      const MacAddr& dst) {
  Bytes isolating(counts.begin(), counts.begin() + 5);
  isolating.push_back(0);
  Bytes nonIsolating(counts.begin() + 5, counts.end());
  nonIsolating.push_back(0);
  return TokenRingMacFrame(
      dst, src, 0x29, 0x4, 0x0,
      {{0x2D, isolating}, {0x2E, nonIsolating}, {0x0B, {0, 0, 0, 0}}, {0x02, Bytes(upstream.begin(), upstream.end())}});
}

Bytes MonitorPresent(bool active, const MacAddr& src, const MacAddr& upstream) {
  return TokenRingMacFrame(kBroadcastMac, src, active ? 0x05 : 0x06, 0x0, 0x0,
                           {{0x0B, {0, 0, 0, 0}}, {0x02, Bytes(upstream.begin(), upstream.end())}});
}

// ---- IPv4

Bytes Ipv4Packet(const Ip4Addr& src, const Ip4Addr& dst, uint8_t protocol, const Bytes& payload, const Ipv4Options& o) {
  Bytes options = o.options;
  while (options.size() % 4) options.push_back(0);
  size_t headerLength = 20 + options.size();
  Bytes out;
  out.push_back(static_cast<uint8_t>(0x40 | (headerLength / 4)));
  out.push_back(o.tos);
  PutBe16(out, static_cast<uint16_t>(headerLength + payload.size()));
  PutBe16(out, o.id);
  uint16_t fragment = static_cast<uint16_t>((o.fragmentOffset / 8) & 0x1FFF);
  if (o.moreFragments) fragment |= 0x2000;
  if (o.dontFragment) fragment |= 0x4000;
  PutBe16(out, fragment);
  out.push_back(o.ttl);
  out.push_back(protocol);
  PutBe16(out, 0);
  PutArray(out, src);
  PutArray(out, dst);
  Append(out, options);
  uint16_t checksum = InternetChecksum(out.data(), headerLength);
  if (o.badChecksum) checksum = static_cast<uint16_t>(checksum ^ 0x5A5A);
  SetBe16(out, 10, checksum);
  return Append(out, payload);
}

Bytes TcpHeader(const Ip4Addr& src, const Ip4Addr& dst, const TcpSegment& s) {
  Bytes out;
  PutBe16(out, s.srcPort);
  PutBe16(out, s.dstPort);
  PutBe32(out, s.seq);
  PutBe32(out, s.ack);
  size_t headerLength = s.mss ? 24 : 20;
  out.push_back(static_cast<uint8_t>(headerLength / 4 << 4));
  out.push_back(s.flags);
  PutBe16(out, s.window);
  PutBe16(out, 0);  // checksum
  PutBe16(out, 0);  // urgent pointer
  if (s.mss) {
    out.push_back(2);
    out.push_back(4);
    PutBe16(out, s.mss);
  }
  Append(out, s.payload);
  uint16_t checksum = InternetChecksum(out.data(), out.size(), PseudoHeaderSum(src, dst, kIpTcp, out.size()));
  if (s.badChecksum) checksum = static_cast<uint16_t>(checksum ^ 0x1234);
  SetBe16(out, 16, checksum);
  return out;
}

Bytes UdpHeader(const Ip4Addr& src, const Ip4Addr& dst, uint16_t srcPort, uint16_t dstPort, const Bytes& payload,
                bool zeroChecksum) {
  Bytes out;
  PutBe16(out, srcPort);
  PutBe16(out, dstPort);
  PutBe16(out, static_cast<uint16_t>(8 + payload.size()));
  PutBe16(out, 0);
  Append(out, payload);
  if (!zeroChecksum) {
    uint16_t checksum = InternetChecksum(out.data(), out.size(), PseudoHeaderSum(src, dst, kIpUdp, out.size()));
    SetBe16(out, 6, checksum == 0 ? 0xFFFF : checksum);
  }
  return out;
}

Bytes IpTcp(const Ip4Addr& src, const Ip4Addr& dst, const TcpSegment& s, const Ipv4Options& o) {
  return Ipv4Packet(src, dst, kIpTcp, TcpHeader(src, dst, s), o);
}

Bytes IpUdp(const Ip4Addr& src, const Ip4Addr& dst, uint16_t srcPort, uint16_t dstPort, const Bytes& payload,
            const Ipv4Options& o) {
  return Ipv4Packet(src, dst, kIpUdp, UdpHeader(src, dst, srcPort, dstPort, payload), o);
}

Bytes IcmpMessage(uint8_t type, uint8_t code, uint32_t rest, const Bytes& data) {
  Bytes out = {type, code, 0, 0};
  PutBe32(out, rest);
  Append(out, data);
  SetBe16(out, 2, InternetChecksum(out.data(), out.size()));
  return out;
}

Bytes IcmpEcho(bool reply, uint16_t id, uint16_t seq, const Bytes& data) {
  return IcmpMessage(reply ? 0 : 8, 0, static_cast<uint32_t>(id) << 16 | seq, data);
}

Bytes IcmpUnreachable(uint8_t code, const Bytes& originalIpPacket) {
  size_t headerLength = originalIpPacket.empty() ? 0 : (originalIpPacket[0] & 0x0F) * 4u;
  size_t quoted = std::min(originalIpPacket.size(), headerLength + 8);
  return IcmpMessage(3, code, 0, Bytes(originalIpPacket.begin(), originalIpPacket.begin() + static_cast<long>(quoted)));
}

Bytes ArpPacket(uint16_t operation, const MacAddr& senderMac, const Ip4Addr& senderIp, const MacAddr& targetMac,
                const Ip4Addr& targetIp) {
  Bytes out;
  PutBe16(out, 1);
  PutBe16(out, 0x0800);
  out.push_back(6);
  out.push_back(4);
  PutBe16(out, operation);
  PutArray(out, senderMac);
  PutArray(out, senderIp);
  PutArray(out, targetMac);
  PutArray(out, targetIp);
  return out;
}

Bytes DnsQuery(uint16_t id, std::string_view name) {
  Bytes out;
  PutBe16(out, id);
  PutBe16(out, 0x0100);
  PutBe16(out, 1);
  PutBe16(out, 0);
  PutBe16(out, 0);
  PutBe16(out, 0);
  PutDnsName(out, name);
  PutBe16(out, 1);
  PutBe16(out, 1);
  return out;
}

Bytes DnsAnswer(uint16_t id, std::string_view name, const std::vector<Ip4Addr>& addresses, uint32_t ttl) {
  Bytes out;
  PutBe16(out, id);
  PutBe16(out, 0x8180);
  PutBe16(out, 1);
  PutBe16(out, static_cast<uint16_t>(addresses.size()));
  PutBe16(out, 0);
  PutBe16(out, 0);
  PutDnsName(out, name);
  PutBe16(out, 1);
  PutBe16(out, 1);
  for (const Ip4Addr& a : addresses) {
    PutBe16(out, 0xC00C);  // the name of the question
    PutBe16(out, 1);
    PutBe16(out, 1);
    PutBe32(out, ttl);
    PutBe16(out, 4);
    PutArray(out, a);
  }
  return out;
}

// ---- IPX

Bytes IpxPacket(uint8_t packetType, const IpxAddress& dst, const IpxAddress& src, const Bytes& data,
                uint8_t transportControl) {
  Bytes out;
  PutBe16(out, 0xFFFF);
  PutBe16(out, static_cast<uint16_t>(30 + data.size()));
  out.push_back(transportControl);
  out.push_back(packetType);
  PutIpxAddress(out, dst);
  PutIpxAddress(out, src);
  return Append(out, data);
}

Bytes SpxHeader(uint8_t connectionControl, uint8_t dataStreamType, uint16_t srcConnection, uint16_t dstConnection,
                uint16_t sequence, uint16_t acknowledge, uint16_t allocation) {
  Bytes out = {connectionControl, dataStreamType};
  PutBe16(out, srcConnection);
  PutBe16(out, dstConnection);
  PutBe16(out, sequence);
  PutBe16(out, acknowledge);
  PutBe16(out, allocation);
  return out;
}

Bytes NcpRequest(uint8_t sequence, uint16_t connection, uint8_t task, uint8_t function, const Bytes& data) {
  Bytes out = NcpHeader(0x2222, sequence, connection, task);
  out.push_back(function);
  return Append(out, data);
}

Bytes NcpReply(uint8_t sequence, uint16_t connection, uint8_t task, uint8_t completion, uint8_t status,
               const Bytes& data) {
  Bytes out = NcpHeader(0x3333, sequence, connection, task);
  out.push_back(completion);
  out.push_back(status);
  return Append(out, data);
}

Bytes SapQuery(uint16_t operation, uint16_t serviceType) {
  Bytes out;
  PutBe16(out, operation);
  PutBe16(out, serviceType);
  return out;
}

Bytes SapResponse(uint16_t operation, const std::vector<SapEntry>& entries) {
  Bytes out;
  PutBe16(out, operation);
  for (const SapEntry& e : entries) {
    PutBe16(out, e.serviceType);
    for (size_t i = 0; i < 48; ++i) out.push_back(i < e.name.size() ? static_cast<uint8_t>(e.name[i]) : 0);
    PutIpxAddress(out, e.address);
    PutBe16(out, e.hops);
  }
  return out;
}

Bytes RipPacket(uint16_t operation, const std::vector<RipEntry>& entries) {
  Bytes out;
  PutBe16(out, operation);
  for (const RipEntry& e : entries) {
    PutBe32(out, e.network);
    PutBe16(out, e.hops);
    PutBe16(out, e.ticks);
  }
  return out;
}

Bytes NetBiosHeader(uint8_t command, std::string_view destName, std::string_view srcName, uint16_t correlator,
                    uint8_t data1, uint16_t data2) {
  Bytes out;
  PutLe16(out, 44);
  PutLe16(out, 0xEFFF);
  out.push_back(command);
  out.push_back(data1);
  PutLe16(out, data2);
  PutLe16(out, correlator);
  PutLe16(out, 0);
  PutName16(out, destName);
  PutName16(out, srcName);
  return out;
}

}  // namespace corvanta::testing

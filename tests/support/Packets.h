#pragma once
// Frame builders for tests, the demo trace and the benchmarks. Every function returns the
// bytes of one header with what it carries; checksums are computed unless asked otherwise.
// Ethernet frames come without their check sequence (the trace writers add it).
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace corvanta::testing {

using Bytes = std::vector<uint8_t>;
using MacAddr = std::array<uint8_t, 6>;
using Ip4Addr = std::array<uint8_t, 4>;

inline constexpr MacAddr kBroadcastMac = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
inline constexpr MacAddr kRingErrorMonitor = {0xC0, 0x00, 0x00, 0x00, 0x00, 0x08};
inline constexpr MacAddr kNetBiosFunctional = {0xC0, 0x00, 0x00, 0x00, 0x00, 0x80};
inline constexpr MacAddr kNetBiosMulticast = {0x03, 0x00, 0x00, 0x00, 0x00, 0x01};

// ---- Byte helpers
Bytes& Append(Bytes& out, const Bytes& more);
Bytes Cat(std::initializer_list<Bytes> parts);
Bytes TextBytes(std::string_view text);
// count bytes counting up from first (wrapping at 256).
Bytes Filler(size_t count, uint8_t first = 0);
// Pads with zero bytes to at least minimum bytes (60: the smallest Ethernet frame without
// its check sequence).
Bytes PadFrame(Bytes frame, size_t minimum = 60);
// One's-complement sum as used by IP, TCP, UDP and ICMP, over data after initial.
uint16_t InternetChecksum(const uint8_t* data, size_t size, uint32_t initial = 0);

// ---- Ethernet
Bytes EthernetII(const MacAddr& dst, const MacAddr& src, uint16_t etherType, const Bytes& payload);
// 802.3 header whose length field is the payload size.
Bytes Ethernet8023(const MacAddr& dst, const MacAddr& src, const Bytes& payload);
// Unnumbered (one control byte) and information (two bytes: N(S), N(R)) LLC headers.
Bytes LlcHeader(uint8_t dsap, uint8_t ssap, uint8_t control = 0x03);
Bytes LlcInformationHeader(uint8_t dsap, uint8_t ssap, uint8_t sendSeq, uint8_t receiveSeq);
Bytes SnapHeader(uint16_t etherType, uint32_t oui = 0);
Bytes EthernetLlc(const MacAddr& dst, const MacAddr& src, uint8_t dsap, uint8_t ssap, uint8_t control,
                  const Bytes& payload);
Bytes EthernetSnap(const MacAddr& dst, const MacAddr& src, uint16_t etherType, const Bytes& payload);
// Novell's raw 802.3: the IPX packet (checksum FF FF) straight after the length field.
Bytes EthernetNovellRaw(const MacAddr& dst, const MacAddr& src, const Bytes& ipxPacket);

// ---- Token Ring
struct TokenRingAddressing {
  MacAddr dst{};
  MacAddr src{};
  uint8_t ac = 0x10;
  uint8_t fc = 0x40;  // LLC frame; MAC frames use 0x00 or 0x01
  // Route designators (ring number << 4 | bridge); non-empty adds a routing field and sets
  // the routing information indicator in the source address.
  std::vector<uint16_t> route;
  bool allRoutesBroadcast = false;
  bool backward = false;  // direction bit
};
// AC, FC, addresses and the routing field.
Bytes TokenRingHeader(const TokenRingAddressing& a);
Bytes TokenRingLlc(const TokenRingAddressing& a, uint8_t dsap, uint8_t ssap, uint8_t control, const Bytes& payload);
Bytes TokenRingSnap(const TokenRingAddressing& a, uint16_t etherType, const Bytes& payload);

struct MacSubvector {
  uint8_t id = 0;
  Bytes value;
};
// A MAC frame (FC 0x00): major vector with its length, class and command, then subvectors.
Bytes TokenRingMacFrame(const MacAddr& dst, const MacAddr& src, uint8_t command, uint8_t destClass, uint8_t sourceClass,
                        const std::vector<MacSubvector>& subvectors);
// Report soft error (command 0x29) with the ten counts in the order line, internal, burst,
// AC, abort delimiter, lost frame, receive congestion, frame copied, frequency, token; the
// upstream neighbour lands at frame offset 42.
Bytes SoftErrorReport(const MacAddr& src, const MacAddr& upstream, const std::array<uint8_t, 10>& counts,
                      const MacAddr& dst = kRingErrorMonitor);
// Active (0x05) or standby (0x06) monitor present; the upstream neighbour lands at offset 26.
Bytes MonitorPresent(bool active, const MacAddr& src, const MacAddr& upstream);

// ---- IPv4
inline constexpr uint8_t kIpIcmp = 1;
inline constexpr uint8_t kIpTcp = 6;
inline constexpr uint8_t kIpUdp = 17;

struct Ipv4Options {
  uint8_t ttl = 64;
  uint16_t id = 0;
  uint16_t fragmentOffset = 0;  // bytes, a multiple of 8
  bool moreFragments = false;
  bool dontFragment = false;
  uint8_t tos = 0;
  Bytes options;  // padded to a multiple of 4
  bool badChecksum = false;
};
Bytes Ipv4Packet(const Ip4Addr& src, const Ip4Addr& dst, uint8_t protocol, const Bytes& payload,
                 const Ipv4Options& o = {});

inline constexpr uint8_t kTcpFin = 0x01;
inline constexpr uint8_t kTcpSyn = 0x02;
inline constexpr uint8_t kTcpRst = 0x04;
inline constexpr uint8_t kTcpPsh = 0x08;
inline constexpr uint8_t kTcpAck = 0x10;
inline constexpr uint8_t kTcpUrg = 0x20;

struct TcpSegment {
  uint16_t srcPort = 0;
  uint16_t dstPort = 0;
  uint32_t seq = 0;
  uint32_t ack = 0;
  uint8_t flags = kTcpAck;
  uint16_t window = 8760;
  uint16_t mss = 0;  // non-zero: an MSS option
  Bytes payload;
  bool badChecksum = false;
};
// The TCP header and payload with the checksum over the pseudo header of src and dst.
Bytes TcpHeader(const Ip4Addr& src, const Ip4Addr& dst, const TcpSegment& s);
// The UDP header and payload; checksum 0 (none) when zeroChecksum.
Bytes UdpHeader(const Ip4Addr& src, const Ip4Addr& dst, uint16_t srcPort, uint16_t dstPort, const Bytes& payload,
                bool zeroChecksum = false);
// Whole IP packets.
Bytes IpTcp(const Ip4Addr& src, const Ip4Addr& dst, const TcpSegment& s, const Ipv4Options& o = {});
Bytes IpUdp(const Ip4Addr& src, const Ip4Addr& dst, uint16_t srcPort, uint16_t dstPort, const Bytes& payload,
            const Ipv4Options& o = {});

// ICMP message with its checksum: type, code, the 4 header bytes after the checksum, data.
Bytes IcmpMessage(uint8_t type, uint8_t code, uint32_t rest, const Bytes& data);
Bytes IcmpEcho(bool reply, uint16_t id, uint16_t seq, const Bytes& data);
// Destination unreachable (type 3) quoting the IP header and 8 bytes of the packet.
Bytes IcmpUnreachable(uint8_t code, const Bytes& originalIpPacket);

inline constexpr uint16_t kArpRequest = 1;
inline constexpr uint16_t kArpReply = 2;
Bytes ArpPacket(uint16_t operation, const MacAddr& senderMac, const Ip4Addr& senderIp, const MacAddr& targetMac,
                const Ip4Addr& targetIp);

// DNS: a standard query for an A record, and its answer with one A record per address.
Bytes DnsQuery(uint16_t id, std::string_view name);
Bytes DnsAnswer(uint16_t id, std::string_view name, const std::vector<Ip4Addr>& addresses, uint32_t ttl = 3600);

// ---- IPX
struct IpxAddress {
  uint32_t network = 0;
  MacAddr node{};
  uint16_t socket = 0;
};
inline constexpr uint16_t kNcpSocket = 0x0451;
inline constexpr uint16_t kSapSocket = 0x0452;
inline constexpr uint16_t kRipSocket = 0x0453;
inline constexpr uint16_t kNetBiosIpxSocket = 0x0455;

// The 30-byte IPX header (checksum FF FF, length, transport control, packet type,
// destination, source) and data.
Bytes IpxPacket(uint8_t packetType, const IpxAddress& dst, const IpxAddress& src, const Bytes& data,
                uint8_t transportControl = 0);
// The 12-byte SPX header.
Bytes SpxHeader(uint8_t connectionControl, uint8_t dataStreamType, uint16_t srcConnection, uint16_t dstConnection,
                uint16_t sequence, uint16_t acknowledge, uint16_t allocation);
// NCP request (0x2222) and reply (0x3333) headers with their data.
Bytes NcpRequest(uint8_t sequence, uint16_t connection, uint8_t task, uint8_t function, const Bytes& data);
Bytes NcpReply(uint8_t sequence, uint16_t connection, uint8_t task, uint8_t completion, uint8_t status,
               const Bytes& data);

struct SapEntry {
  uint16_t serviceType = 4;  // file server
  std::string name;
  IpxAddress address;
  uint16_t hops = 1;
};
// SAP query (operation 1 general, 3 nearest) and response (2 general, 4 nearest).
Bytes SapQuery(uint16_t operation, uint16_t serviceType);
Bytes SapResponse(uint16_t operation, const std::vector<SapEntry>& entries);

struct RipEntry {
  uint32_t network = 0;
  uint16_t hops = 1;
  uint16_t ticks = 2;
};
// RIP request (1) or response (2).
Bytes RipPacket(uint16_t operation, const std::vector<RipEntry>& entries);

// ---- NetBIOS frames (over LLC SAP 0xF0): the 44-byte header of name and datagram commands.
inline constexpr uint8_t kNetBiosAddNameQuery = 0x01;
inline constexpr uint8_t kNetBiosDatagram = 0x08;
inline constexpr uint8_t kNetBiosNameQuery = 0x0A;
inline constexpr uint8_t kNetBiosNameRecognized = 0x0E;
// Names are blank-padded to 16 characters.
Bytes NetBiosHeader(uint8_t command, std::string_view destName, std::string_view srcName, uint16_t correlator = 0,
                    uint8_t data1 = 0, uint16_t data2 = 0);

}  // namespace corvanta::testing

#pragma once
// Bits of TPacket::Flags. The record stores them as int32; the top bits are set through
// two's-complement conversion.
#include <cstdint>

namespace corvanta {

using PacketFlags = int32_t;

inline constexpr PacketFlags kPacketRequest = 0x0001;  // client to server, or a command
inline constexpr PacketFlags kPacketReply = 0x0002;    // server to client, or a response
inline constexpr PacketFlags kPacketGroup = 0x0004;    // sent to a broadcast or multicast MAC address
inline constexpr PacketFlags kPacketRead = 0x0008;     // NCP or packet-burst read
inline constexpr PacketFlags kPacketWrite = 0x0010;    // NCP or packet-burst write
inline constexpr PacketFlags kPacketIcmpReport = 0x0020;
// A SYN with the maximum segment size option; the value is its conversation's MaxSegment.
inline constexpr PacketFlags kPacketMaxSegment = 0x0040;
inline constexpr PacketFlags kPacketZeroWindow = 0x0200;
inline constexpr PacketFlags kPacketRoutedDuplicate = 0x0400;  // an earlier copy seen before a router hop
inline constexpr PacketFlags kPacketRetransmission = 0x0800;
inline constexpr PacketFlags kPacketTcpChecksumError = 0x1000;
inline constexpr PacketFlags kPacketUdpChecksumError = 0x2000;
inline constexpr PacketFlags kPacketIpChecksumError = 0x4000;
inline constexpr PacketFlags kPacketCrcError = 0x8000;
inline constexpr PacketFlags kPacketMissingFragment = 0x20000;  // the preceding IP fragment was not seen
inline constexpr PacketFlags kPacketReset = 0x40000;
inline constexpr PacketFlags kPacketServerBusy = static_cast<PacketFlags>(0x80000000u);
// A gap placeholder has every upper bit: packets are missing before the next record.
inline constexpr PacketFlags kPacketGap = static_cast<PacketFlags>(0xFFFF0000u);

inline constexpr PacketFlags kPacketDirection = kPacketRequest | kPacketReply;
// The whole Flags value of a record made from an ICMP error report.
inline constexpr PacketFlags kIcmpReportFlags = kPacketIcmpReport | kPacketReply;

// Bits of TPacket::TcpFlags, the TCP header's flag byte.
inline constexpr uint16_t kTcpFlagFin = 0x01;
inline constexpr uint16_t kTcpFlagSyn = 0x02;
inline constexpr uint16_t kTcpFlagRst = 0x04;
inline constexpr uint16_t kTcpFlagPsh = 0x08;
inline constexpr uint16_t kTcpFlagAck = 0x10;
inline constexpr uint16_t kTcpFlagUrg = 0x20;

constexpr bool IsGapPlaceholder(PacketFlags flags) { return (flags & kPacketGap) == kPacketGap; }
constexpr bool IsIcmpReport(PacketFlags flags) { return flags == kIcmpReportFlags; }
// Neither a placeholder nor an ICMP report record: a packet of the trace filed as itself.
constexpr bool IsRealPacket(PacketFlags flags) { return !IsGapPlaceholder(flags) && !IsIcmpReport(flags); }
constexpr bool HasFlags(PacketFlags flags, PacketFlags bits) { return (flags & bits) == bits; }

}  // namespace corvanta

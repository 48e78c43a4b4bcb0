#pragma once
// The fixed tables of the network stage: sub-protocols of IP and IPX packets and the
// client/server direction of ports and ICMP types.
#include <cstdint>

#include "decode/ModelTypes.h"
#include "decode/PacketFlags.h"

namespace corvanta {

class UserPorts;

// The SubProtocol of an IP protocol number (7 "other IP" for any not listed).
SubProtocol IpProtocolIndex(uint8_t protocol);

struct IpxKind {
  SubProtocol sub = kSubOtherIpx;
  bool serverBusy = false;  // an NCP "request being processed" reply (0x9999)
};
// The SubProtocol of an IPX packet from its packet type, sockets and first two data bytes.
IpxKind IpxSubProtocol(uint8_t packetType, uint16_t sourceSocket, uint16_t destinationSocket, uint16_t firstWord);

// Request or reply for an ICMP type.
PacketFlags IcmpDirection(uint8_t type);

// Request, reply or neither for a TCP or UDP packet between two ports: a port below 1024 or,
// failing that, a known port (user ports first, then the built-in table) is the server's;
// else the lower port. userPorts may be null (built-in names only).
PacketFlags ServerDirection(uint16_t sourcePort, uint16_t destinationPort, const UserPorts* userPorts);

}  // namespace corvanta

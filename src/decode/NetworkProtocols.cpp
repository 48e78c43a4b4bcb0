#include "decode/NetworkProtocols.h"

#include "naming/ProtocolNames.h"
#include "naming/UserPorts.h"

namespace corvanta {

SubProtocol IpProtocolIndex(uint8_t protocol) {
  switch (protocol) {
    case 1: return kSubIcmp;
    case 2: return kSubIgmp;
    case 3: return kSubGgp;
    case 6: return kSubTcp;
    case 8: return kSubEgp;
    case 17: return kSubUdp;
    case 88: return kSubIgrp;
    default: return kSubOtherIp;
  }
}

namespace {

// The service of a well-known IPX socket; kSubOtherIpx for any other.
SubProtocol SocketService(uint16_t socket) {
  switch (socket) {
    case 0x0451: return kSubNcp;
    case 0x0452: return kSubSap;
    case 0x0453: return kSubRip;
    case 0x0455: return kSubNetBios;
    default: return socket >= 0x0550 && socket <= 0x0554 ? kSubSmb : kSubOtherIpx;
  }
}

}  // namespace

IpxKind IpxSubProtocol(uint8_t packetType, uint16_t sourceSocket, uint16_t destinationSocket, uint16_t firstWord) {
  switch (packetType) {
    case 0:
    case 4: {
      SubProtocol s = SocketService(sourceSocket);
      return {s != kSubOtherIpx ? s : SocketService(destinationSocket)};
    }
    case 1: return {kSubRip};
    case 2: return {kSubEcho};
    case 3: return {kSubError};
    case 5: return {(firstWord >> 8 & 0x08) != 0 ? kSubSpx2 : kSubSpx};
    case 0x11:
      switch (firstWord) {
        case 0x1111: return {sourceSocket > 0x4000 && destinationSocket > 0x4000 ? kSubLipEcho : kSubNcp};
        case 0x7777: return {kSubPBurst};
        case 0x9999: return {kSubNcp, true};
        default: return {kSubNcp};
      }
    case 0x14: return {kSubWanBroadcast};
    case 25:
    case 26: return {kSubNetWareLite};
    default: return {kSubOtherIpx};
  }
}

PacketFlags IcmpDirection(uint8_t type) {
  switch (type) {
    case 0:
    case 3:
    case 4:
    case 5:
    case 9:
    case 11:
    case 12:
    case 13:
    case 16:
    case 18:
    case 34:
    case 36: return kPacketReply;
    default: return kPacketRequest;
  }
}

namespace {

bool IsServerPort(uint16_t port, const UserPorts* userPorts) {
  return userPorts ? IsKnownPort(*userPorts, port) : !BuiltInPortName(port).empty();
}

PacketFlags LowerPortServes(uint16_t sourcePort, uint16_t destinationPort) {
  if (sourcePort < destinationPort) return kPacketReply;
  if (destinationPort < sourcePort) return kPacketRequest;
  return 0;
}

}  // namespace

PacketFlags ServerDirection(uint16_t sourcePort, uint16_t destinationPort, const UserPorts* userPorts) {
  if (sourcePort < 1024 || destinationPort < 1024) return LowerPortServes(sourcePort, destinationPort);
  if (IsServerPort(destinationPort, userPorts)) return kPacketRequest;
  if (IsServerPort(sourcePort, userPorts)) return kPacketReply;
  return LowerPortServes(sourcePort, destinationPort);
}

}  // namespace corvanta

#pragma once
// Data-link classification of Ethernet and Token Ring frames: addresses, encapsulation,
// protocol category, network-header position and the kind of destination. Pure functions
// of the frame bytes; reads past the data given yield zero.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "decode/DecodeTypes.h"
#include "decode/ModelTypes.h"
#include "trace/Bytes.h"

namespace corvanta {

// A frame too short for an encapsulation (Ethernet below 18 bytes).
inline constexpr Encapsulation kNoEncapsulation = 0xFF;

// Token Ring MAC major vector commands.
inline constexpr uint8_t kMacActiveMonitorPresent = 0x05;
inline constexpr uint8_t kMacStandbyMonitorPresent = 0x06;
inline constexpr uint8_t kMacReportSoftError = 0x29;
inline constexpr size_t kMacCommandOffset = 17;
inline constexpr size_t kSoftErrorUpstreamOffset = 42;
inline constexpr size_t kMonitorUpstreamOffset = 26;

// The ring error monitor, the only destination whose soft-error reports reach the totals.
inline constexpr std::array<uint8_t, 6> kRingErrorMonitorAddress = {0xC0, 0x00, 0x00, 0x00, 0x00, 0x08};

// A group (broadcast or multicast) MAC address by its first byte: the individual/group bit,
// which Ethernet sends first (0x01) and Token Ring keeps in the high bit (0x80).
constexpr bool IsGroupAddress(uint8_t firstByte, Topology topology) {
  return (firstByte & (topology == kTokenRing ? 0x80 : 0x01)) != 0;
}

// NetBIOS over IPX: the destination socket (IPX header bytes 16 and 17) is 0x0455.
bool IsNetBiosOverIpx(ByteView data, size_t ipxHeader);

// Category of an EtherType. networkHeader: 0-based start of the header the type announces
// (IP frames on the NetBIOS ports and IPX frames to the NetBIOS socket get their own).
ProtocolCategory EtherTypeCategory(uint16_t etherType, ByteView data, size_t networkHeader);
// Category of an 802.2 DSAP; networkHeader is the 0-based position after the LLC header
// (the control byte stands just before it).
ProtocolCategory SapCategory(uint8_t dsap, ByteView data, size_t networkHeader);

struct DataLinkFrame {
  // Keys, encapsulation (kNoEncapsulation when none), category, 1-based network offset,
  // group flag. The station pointers stay null here.
  DataLinkResult link;
  bool addressed = false;  // the addresses were read (Ethernet: at least 16 bytes)
  bool broadcast = false;  // a group frame counted as broadcast
  bool multicast = false;  // a group frame counted as multicast
  FrameStatusSet statusMember = kFrameStatusGood;
  bool sourceRouted = false;          // Token Ring LLC frame with a routing field
  bool macFrame = false;              // Token Ring MAC frame
  uint8_t macCommand = 0;             // its major vector command
  bool reportToErrorMonitor = false;  // a soft-error report to C0 00 00 00 00 08
};

// An alignment error in status counts as a CRC error.
DataLinkFrame ClassifyEthernet(ByteView data, uint32_t length, uint16_t status);
DataLinkFrame ClassifyTokenRing(ByteView data);

// The ten counts of a report soft error MAC frame, indexed by SoftErrorKind.
std::array<uint8_t, kSoftErrorKindCount> SoftErrorCounts(ByteView data);

// The source name of a NetBIOS name-claim or datagram frame carried in an unnumbered LLC
// frame, without leading and trailing blanks and control characters; nullopt for other
// frames. networkOffset is 1-based.
std::optional<std::string> NetBiosSourceName(ByteView data, uint16_t networkOffset);

}  // namespace corvanta

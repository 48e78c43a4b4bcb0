#pragma once
// What the data-link stage hands to the network stage for one frame, and the services both
// stages read while a trace is decoded.
#include <cstdint>

#include "decode/ModelTypes.h"
#include "trace/AnalyzerKind.h"

namespace corvanta {

class VendorTable;
class UserPorts;

struct DecodeEnvironment {
  Topology topology = kEthernet;
  AnalyzerKind kind = kNotATrace;
  int bandwidthMbps = 10;                  // BandwidthMbps, for the utilisation statistics
  const VendorTable* vendors = nullptr;    // null: no vendor indexes
  const UserPorts* userPorts = nullptr;    // null: built-in port names only
};

struct DataLinkResult {
  AddressKey source;        // MAC keys (Token Ring source with the routing bit cleared)
  AddressKey destination;
  Encapsulation encapsulation = 0;
  ProtocolCategory category = 0;
  uint16_t networkOffset = 0;  // 1-based start of the network header; 0 none
  bool group = false;          // sent to a group (broadcast or multicast) address
  StationNode* sourceStation = nullptr;       // null when the frame updated no station
  StationNode* destinationStation = nullptr;
};

}  // namespace corvanta

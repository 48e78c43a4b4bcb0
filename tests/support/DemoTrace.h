#pragma once
#include "TraceWriter.h"

namespace corvanta::testing {

// A minute of a 10 Mbit/s Ethernet LAN as a NetXRay trace: web and telnet sessions over
// TCP (with a retransmission, a zero window and a reset), DNS, ICMP echo and a port
// unreachable, ARP, NetWare file service (NCP, SAP, RIP), NetBIOS over LLC, and a few
// CRC errors, runts and collision fragments. The same frames every time.
TracePlan DemoTracePlan();

}  // namespace corvanta::testing

#include "analysis/BrisqonSettings.h"

#include <algorithm>

#include "naming/SettingsStore.h"

namespace corvanta {
namespace {

struct CheckTexts {
  std::string_view Description;
  std::string_view Causes;
  std::string_view Remedies;
};

constexpr std::string_view kChecksumCauses =
    "A store and forward device such as a switch or router may have corrupted the IP header, the frame contains a "
    "CRC error, the source stack incorrectly computed the checksum.";

constexpr std::string_view kChecksumRemedies =
    "Check to see if a switch or router is corrupting packets in memory by simultaneoulsy capturing packets on both "
    "sides, see if the packet/frame also contains a CRC error (if so, check \"Ethernet CRC Error\"), check for "
    "checksum errors on the same segment as the host.";

constexpr std::string_view kRetransmissionCauses =
    "The packet being retransmitted may not have reached the destination or a returning acknowledgement may not have "
    "reached the source. Packets could be discarded by switches or routers because of network congestion or CRC "
    "errors.";

constexpr std::string_view kNovellRetransmissionRemedies =
    "Check round-trip packet delay (latency) to see if it exceeds the NCP timeout value, ensure that network is "
    "error-free end-to-end and has adequate bandwidth.";

constexpr std::string_view kSlowReceiverCauses = "Inefficient application, CPU contention, inefficent adapter/drivers.";

constexpr std::string_view kSlowReceiverRemedies =
    "Check to see if the application or other applications are CPU intensive, consider setting the TCP window size "
    "to at least four times the TCP segment size, check for adapter and adapter driver efficiency, consider "
    "upgrading the platform.";

// C/S Busy Network or Server
constexpr CheckTexts kCSBusyNetworkTexts{
    "There is a moderate to high fluctuation in response time.  The higher the sensitivity, the higher the "
    "likelihood that this problem will be flagged.",
    "Busy server, bandwidth contention, congested switches or routers.",
    "Optimize application usage on the server or upgrade server platform, upgrade or segment highly utilized network "
    "segments between the client and server, check packet processing delay on switches and routers."};

// C/S Inefficient Client
constexpr CheckTexts kCSInefficientClientTexts{
    "Clients that are \"chatty\" and utilize small average packet sizes.  The higher the sensitivity, the higher the "
    "likelihood that this problem will be flagged.",
    "Terminal-to-host applications, two-tier client/server applications, any application that operates on small "
    "amounts of data at a time.",
    "If these applications are generating a significant number of packets, you may want to optimize the application "
    "(if possible) to send or receive more data per packet rather than across several smaller packets or consider a "
    "three-tier client/server architecture."};

// C/S Low Server to Client Thput (Kbytes/sec)
constexpr CheckTexts kCSLowThroughputTexts{
    "The throughput (Kbytes/sec) from the server is at or lower than the threshold.",
    "Busy server, network segments with low bandwidth, client is not using sliding window or packet burst protocol "
    "to recieve data.",
    "Optimize application usage on the server or upgrade server platform, upgrade low bandwidth segments between the "
    "client and server, re-architect the application to receive multiple packets per request."};

// C/S Slow Server to Client Resp Time (ms)
constexpr CheckTexts kCSSlowResponseTimeTexts{
    "The average response time from the server is equal to or higher than the threshold.",
    "Busy server, network segments with low bandwidth, high round trip delay due to distance or highly latent "
    "networks such as frame relay.",
    "Optimize application usage on the server or upgrade server platform, upgrade low bandwidth segments between the "
    "client and server, consider point-to-point or cell relay for WANs."};

// Ethernet CRC Frame Error
constexpr CheckTexts kEthernetCRCErrorTexts{
    "The CRC re-computed by the analyzer when the frame was received did not match the CRC at the end of the frame, "
    "indicating one or more corrupted bits in the frame.",
    "Bad NIC or transceiver, bad connector termination, poor patch panel connections, split pair in the wiring, "
    "wrong cable type, excessive cable length, crosstalk or interference from outside sources.",
    "Check NIC-to-hub wiring with a good cable tester, check hub, check source port on the segment from which the "
    "frame was captured."};

// Ethernet Oversized Frame
constexpr CheckTexts kEthernetOversizedTexts{
    "The frame exceeds the IEEE 802.3 standard maximum Ethernet frame size of 1518 bytes (including the 4-byte CRC).",
    "The sending NIC was intentionally programmed to send a larger than allowed frame or a transceiver has "
    "\"jabbered\" (exceeded the transmit time for a maximum sized frame).  The former will usually have a valid CRC "
    "whereas the latter will not have a valid CRC.",
    "Check originating application and NIC driver, check port on the segment from which the frame was captured."};

// Ethernet Undersized Frame
constexpr CheckTexts kEthernetUndersizedTexts{
    "The frame is smaller than the IEEE 802.3 standard minimum Ethernet frame size of 64 bytes (including the 4-byte "
    "CRC).",
    "The sending NIC was intentionally programmed to send a smaller than allowed frame or the frame is a collision "
    "fragment. frame).  The former will usually have a valid CRC whereas the latter will not have a valid CRC.",
    "Check originating application and NIC driver, ensure that wiring and hub count is within spec check for bad "
    "NICs or transceivers."};

// ICMP Error Reports
constexpr CheckTexts kICMPTexts{
    "ICMP is an integral part of IP used to report an error in datagram processing.",
    "The ICMP message will indicate the cause, such as nework, host, protocol, or port unreachable, datagram "
    "redirect from a router, time (IP TTL) expired, etc.",
    "Look at the end host or network that the report on datagram is trying to reach and use the ICMP information to "
    "correct the problem at the end host or intervening network."};

// IP Checksum Error
constexpr CheckTexts kIPChecksumErrorTexts{
    "The header portion of the IP datagram is in error.  One or more bits has erroneously changed (with the "
    "exception of the TTL) since the IP datagram was transmitted by the source IP host.",
    kChecksumCauses, kChecksumRemedies};

// IP Local Routing (in/out same router port)
constexpr CheckTexts kIPLocalRoutingTexts{
    "Two identical IP packets except for the TTL have been detected.",
    "A router may have multiple subnets assigned to a port and a host is sending the packet to the\"default gateway\" "
    "for packets not on the same subnet as the host.",
    "Consider rearchitecting the IP subnet space."};

// IP Low TTL
constexpr CheckTexts kIPLowTTLTexts{
    "The TTL has fallen below a pre-determined threshold indicating that the packet can only traverse that many more "
    "routers before it is discarded.",
    "The orginating IP host transmitted the packet with a low TTL to begin with, the packet has traversed a large "
    "number of routers, the packet is looping.",
    "Check the starting TTL at the source host, trace the path between the host and the segment that that packet was "
    "captured from, check for routing loops."};

// IP Missing Fragment
constexpr CheckTexts kIPMissingFragmentTexts{
    "An IP datagram has been fragmented by the host application or a router, and one of the fragments is missing.",
    "A fragment has been dropped by a switch or router or the analyzer couldn't keep up with the packet . "
    "transmission rate.",
    "Capture at other points in the path between the source and destination for dropped packets, check dropped "
    "packet statistics and buffer sizing in switches or routers, check performance of analyzer."};

// IPX Local Routing (in/out same router port)
constexpr CheckTexts kIPXLocalRoutingTexts{
    "Two identical IPX packets except for the hop count have been detected.",
    "A client with an incorrect DLC encapsulation type may be sending packets to a server/router router for DLC "
    "encapsulation translation.",
    "Consider using one DLC encapsulation type for IPX throughput your network."};

// NCP Fast Retransmission (ms) and NCP Transport Retransmission
constexpr CheckTexts kNCPRetransmissionTexts{
    "The source node is sending an NCP command packet with a sequence number that matches a previously sent NCP "
    "packet to the same server and socket number.",
    kRetransmissionCauses, kNovellRetransmissionRemedies};

// NCP Packet Burst Retransmit Requests
constexpr CheckTexts kNCPPacketBurstTexts{
    "One or more packets in a packet burst have not be received.",
    "One or more burst packets did not return to the sender. Packets could be discarded by switches or routers "
    "because of network congestion or CRC errors, the recipient of the burst may be dropping packets.",
    "Ensure that network is error-free end-to-end and has adequate bandwidth, if packet bursts are being received at "
    "the destination segment then check for adequate NIC buffer and platform processing capability."};

// NCP Server Busy Reply
constexpr CheckTexts kNCPServerBusyTexts{
    "The server has already queued a previously identical NCP command packet but has not yet acted on the command.",
    "The server is busy processing other tasks, the server is perfoming a single-threaded operation such as a "
    "bindery lookup using NDS bindery emulation, the server is waiting for a response from another server such as an "
    "NDS authetication.",
    "Distribute the overall load to another server, check for frequency of bindery lookups under NDS, check the NDS "
    "tree structure, increase the hardware (CPU, memory, NIC, etc.) performance of the platform."};

// SPX/SPX II Fast Retransmission (ms) and SPX/SPX II Transport Retransmission
constexpr CheckTexts kSPXRetransmissionTexts{
    "The source node is sending an SPX packet with a sequence number that matches a previously sent NCP packet to "
    "the same server and socket number.",
    kRetransmissionCauses, kNovellRetransmissionRemedies};

// TCP Checksum Error
constexpr CheckTexts kTCPChecksumErrorTexts{
    "The TCP header and/or data is in error.  One or more bits has erroneously changed since the TCP segment was "
    "transmitted by the source IP host.",
    kChecksumCauses, kChecksumRemedies};

// TCP Fast Retransmission (ms) and TCP Transport Retransmission
constexpr CheckTexts kTCPRetransmissionTexts{
    "The source IP node is sending another TCP packet that with a sequence number that matches a previously sent TCP "
    "packet to the same destination IP address and TCP port numbers.",
    kRetransmissionCauses,
    "Check round-trip packet delay (latency) to see if it exceeds the TCP timeout value, ensure that network is "
    "error-free end-to-end and has adequate bandwidth."};

// TCP Idle Too Long (seconds)
constexpr CheckTexts kTCPIdleTooLongTexts{
    "The TCP connection hasn't been used since the threshold setting in seconds. ",
    "Normally, applications such as a Web browser will free up a connection as soon as a file loads. TCP 'SYN' "
    "attacks or other applications such as Telnet or FTP, can hold a port open much longer.",
    "Have the server time-out connections after a certain amount of time, increase the server's port capacity, check "
    "the apps that are communicating with your server."};

// TCP Low Starting MSS
constexpr CheckTexts kTCPLowMSSTexts{
    "The TCP Maximum Segment Size (MSS) is at or below the threshold setting. ",
    "Either the default TCP MSS or the MSS set by an appliation may not be set to the optimal value. Some TCP speed "
    "optimizers will change the MSS for low-speed dial-up connections.",
    "Check the default TCP MSS setting, check the application using TCP."};

// TCP Low Window (percent of max window)
constexpr CheckTexts kTCPLowWindowTexts{"The application is not keeping up with the incoming TCP segments.",
                                        kSlowReceiverCauses, kSlowReceiverRemedies};

// TCP Reset Connection
constexpr CheckTexts kTCPResetConnectionTexts{
    "One end of a TCP connection has set the RST flag in a TCP packet which usually indicates an abrupt disconnect.  "
    "The normal TCP disconnect is to FIN.",
    "An error condition is causing a host or proxy server to drop the connection. Compare to TCP Protocol "
    "Negotiation Failure.",
    "Check for overload problems at the host, check for dropped connections on the Internet side of a proxy server."};

// TCP Slow Acknowledgement (ms)
constexpr CheckTexts kTCPSlowAckTexts{
    "The recipient appears to be slow in acknowledging TCP data segments.",
    "Network latency, recipient is slow to process the data.",
    "Check round-trip packet delay (latency), check the CPU utilization of the receiver, check the responsiveness of "
    "the receiver by capturing at the receving end of the data."};

// TCP Stuck Window (ms)
constexpr CheckTexts kTCPStuckWindowTexts{
    "The application is one or packets behind in processing incoming TCP segments.", kSlowReceiverCauses,
    "Check to see if the application or other applications are CPU intensive. This problem is usually not as serious "
    "as a Zero Window."};

// TCP Zero Window
constexpr CheckTexts kTCPZeroWindowTexts{"The receipient's TCP receive buffer is full.", kSlowReceiverCauses,
                                         kSlowReceiverRemedies};

// UDP Checksum Error
constexpr CheckTexts kUDPChecksumErrorTexts{
    "The UDP header and/or data is in error.  One or more bits has erroneously changed since the UDP datagram was "
    "transmitted by the source IP host.",
    kChecksumCauses, kChecksumRemedies};

constexpr CheckInfo Switch(CheckId id, std::string_view text, std::string_view switch_name, const CheckTexts& t) {
  return {id,       text,      switch_name, {}, CheckValueKind::kNone, 0, 0, 0, UnitLabel::kNone, t.Description,
          t.Causes, t.Remedies};
}

constexpr CheckInfo Valued(CheckId id, std::string_view text, std::string_view switch_name,
                           std::string_view threshold_name, CheckValueKind kind, uint16_t def, uint16_t min,
                           uint16_t max, UnitLabel unit, const CheckTexts& t) {
  return {id, text, switch_name, threshold_name, kind, def, min, max, unit, t.Description, t.Causes, t.Remedies};
}

constexpr std::array<CheckInfo, kCheckCount> kChecks = {{
    Valued(CheckId::kCSBusyNetwork, "C/S Busy Network or Server", "EnableCSBusyNetwork", "ThresholdCSBusyNetwork",
           CheckValueKind::kSensitivity, 2, 1, 3, UnitLabel::kNone, kCSBusyNetworkTexts),
    Valued(CheckId::kCSInefficientClient, "C/S Inefficient Client", "EnableCSInefficientClient",
           "ThresholdCSInefficientClient", CheckValueKind::kSensitivity, 2, 1, 3, UnitLabel::kNone,
           kCSInefficientClientTexts),
    Valued(CheckId::kCSLowThroughput, "C/S Low Server to Client Thput (Kbytes/sec)", "EnableCSLowThroughput",
           "ThresholdCSLowThroughput", CheckValueKind::kThreshold, 100, 1, 65535, UnitLabel::kKbytesPerSec,
           kCSLowThroughputTexts),
    Valued(CheckId::kCSSlowResponseTime, "C/S Slow Server to Client Resp Time (ms)", "EnableCSSlowResponseTime",
           "ThresholdCSSlowResponseTime", CheckValueKind::kThreshold, 100, 1, 65535, UnitLabel::kMilliseconds,
           kCSSlowResponseTimeTexts),
    Switch(CheckId::kEthernetCRCError, "Ethernet CRC Frame Error", "EnableEthernetCRCError", kEthernetCRCErrorTexts),
    Switch(CheckId::kEthernetOversized, "Ethernet Oversized Frame", "EnableEthernetOversized", kEthernetOversizedTexts),
    Switch(CheckId::kEthernetUndersized, "Ethernet Undersized Frame", "EnableEthernetUndersized",
           kEthernetUndersizedTexts),
    Switch(CheckId::kICMP, "ICMP Error Reports", "EnableICMP", kICMPTexts),
    Switch(CheckId::kIPChecksumError, "IP Checksum Error", "EnableIPChecksumError", kIPChecksumErrorTexts),
    Switch(CheckId::kIPLocalRouting, "IP Local Routing (in/out same router port)", "EnableIPLocalRouting",
           kIPLocalRoutingTexts),
    Valued(CheckId::kIPLowTTL, "IP Low TTL", "EnableIPLowTTL", "ThresholdIPLowTTL", CheckValueKind::kThreshold, 1, 1,
           255, UnitLabel::kNone, kIPLowTTLTexts),
    Switch(CheckId::kIPMissingFragment, "IP Missing Fragment", "EnableIPMissingFragment", kIPMissingFragmentTexts),
    Switch(CheckId::kIPXLocalRouting, "IPX Local Routing (in/out same router port)", "EnableIPXLocalRouting",
           kIPXLocalRoutingTexts),
    Valued(CheckId::kNCPFastTransportRetransmission, "NCP Fast Retransmission (ms)",
           "EnableNCPFastTransportRetransmission", "ThresholdNCPFastTransportRetransmission",
           CheckValueKind::kThreshold, 150, 1, 65535, UnitLabel::kMilliseconds, kNCPRetransmissionTexts),
    Switch(CheckId::kNCPPacketBurst, "NCP Packet Burst Retransmit Requests", "EnableNCPPacketBurst",
           kNCPPacketBurstTexts),
    Switch(CheckId::kNCPServerBusy, "NCP Server Busy Reply", "EnableNCPServerBusy", kNCPServerBusyTexts),
    Switch(CheckId::kNCPTransportRetransmission, "NCP Transport Retransmission", "EnableNCPTransportRetransmission",
           kNCPRetransmissionTexts),
    Valued(CheckId::kSPXFastTransportRetransmission, "SPX/SPX II Fast Retransmission (ms)",
           "EnableSPXFastTransportRetransmission", "ThresholdSPXFastTransportRetransmission",
           CheckValueKind::kThreshold, 150, 1, 65535, UnitLabel::kMilliseconds, kSPXRetransmissionTexts),
    Switch(CheckId::kSPXTransportRetransmission, "SPX/SPX II Transport Retransmission",
           "EnableSPXTransportRetransmission", kSPXRetransmissionTexts),
    Switch(CheckId::kTCPChecksumError, "TCP Checksum Error", "EnableTCPChecksumError", kTCPChecksumErrorTexts),
    Valued(CheckId::kTCPFastTransportRetransmission, "TCP Fast Retransmission (ms)",
           "EnableTCPFastTransportRetransmission", "ThresholdTCPFastTransportRetransmission",
           CheckValueKind::kThreshold, 150, 1, 65535, UnitLabel::kMilliseconds, kTCPRetransmissionTexts),
    Valued(CheckId::kTCPIdleTooLong, "TCP Idle Too Long (seconds)", "EnableTCPIdleTooLong", "ThresholdTCPIdleTooLong",
           CheckValueKind::kThreshold, 300, 1, 65535, UnitLabel::kSeconds, kTCPIdleTooLongTexts),
    Valued(CheckId::kTCPLowMSS, "TCP Low Starting MSS", "EnableTCPLowMSS", "ThresholdTCPLowMSS",
           CheckValueKind::kThreshold, 1024, 128, 65535, UnitLabel::kNone, kTCPLowMSSTexts),
    Valued(CheckId::kTCPLowWindow, "TCP Low Window (percent of max window)", "EnableTCPLowWindow",
           "ThresholdTCPLowWindow", CheckValueKind::kThreshold, 10, 1, 99, UnitLabel::kPercent, kTCPLowWindowTexts),
    Switch(CheckId::kTCPResetConnection, "TCP Reset Connection", "EnableTCPResetConnection", kTCPResetConnectionTexts),
    Valued(CheckId::kTCPSlowAck, "TCP Slow Acknowledgement (ms)", "EnableTCPSlowAck", "ThresholdTCPSlowAck",
           CheckValueKind::kThreshold, 250, 1, 65535, UnitLabel::kMilliseconds, kTCPSlowAckTexts),
    Valued(CheckId::kTCPStuckWindow, "TCP Stuck Window (ms)", "EnableTCPStuckWindow", "ThresholdTCPStuckWindow",
           CheckValueKind::kThreshold, 2000, 100, 50000, UnitLabel::kMilliseconds, kTCPStuckWindowTexts),
    Switch(CheckId::kTCPTransportRetransmission, "TCP Transport Retransmission", "EnableTCPTransportRetransmission",
           kTCPRetransmissionTexts),
    Switch(CheckId::kTCPZeroWindow, "TCP Zero Window", "EnableTCPZeroWindow", kTCPZeroWindowTexts),
    Switch(CheckId::kUDPChecksumError, "UDP Checksum Error", "EnableUDPChecksumError", kUDPChecksumErrorTexts),
}};

constexpr bool IdsMatchPositions() {
  for (size_t i = 0; i < kCheckCount; ++i)
    if (CheckIndex(kChecks[i].Id) != i) return false;
  return true;
}
static_assert(IdsMatchPositions(), "check table out of step with CheckId");

constexpr bool ListIsSorted() {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 1; i < kCheckCount; ++i) {
    std::string_view a = kChecks[i - 1].Text, b = kChecks[i].Text;
    if (!std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return lower(x) < lower(y); }))
      return false;
  }
  return true;
}
// The dialog's list is sorted without regard to case; CheckId follows that order.
static_assert(ListIsSorted(), "CheckId must follow the sorted list order");

constexpr std::array<CheckId, kCheckCount> MakeSortedChecks() {
  std::array<CheckId, kCheckCount> ids{};
  for (size_t i = 0; i < kCheckCount; ++i) ids[i] = kChecks[i].Id;
  return ids;
}
constexpr std::array<CheckId, kCheckCount> kSortedChecks = MakeSortedChecks();

uint16_t ClampToRange(const CheckInfo& info, int value) {
  return static_cast<uint16_t>(std::clamp<int>(value, info.Min, info.Max));
}

}  // namespace

const CheckInfo& GetCheckInfo(CheckId id) { return kChecks[CheckIndex(id)]; }

const std::array<CheckId, kCheckCount>& SortedChecks() { return kSortedChecks; }

std::string_view UnitLabelText(UnitLabel unit) {
  switch (unit) {
    case UnitLabel::kNone: return {};
    case UnitLabel::kPackets: return "packets";
    case UnitLabel::kMilliseconds: return "milliseconds";
    case UnitLabel::kSeconds: return "seconds";
    case UnitLabel::kPercent: return "percent";
    case UnitLabel::kKbytesPerSec: return "Kbytes/sec";
  }
  return {};
}

std::string_view SensitivityLabel(int position) {
  switch (position) {
    case 1: return "Low";
    case 2: return "Medium";
    case 3: return "High";
    default: return {};
  }
}

BrisqonValues BrisqonValues::Defaults() {
  BrisqonValues v;
  v.Enabled.fill(true);
  for (const CheckInfo& info : kChecks) v.Threshold[CheckIndex(info.Id)] = info.Default;
  return v;
}

BrisqonSettings::BrisqonSettings() : live_(BrisqonValues::Defaults()), working_(live_) {}

bool BrisqonSettings::AnyEnabled() const {
  return std::any_of(live_.Enabled.begin(), live_.Enabled.end(), [](bool on) { return on; });
}

void BrisqonSettings::SetThreshold(CheckId id, int value) {
  const CheckInfo& info = GetCheckInfo(id);
  if (info.HasValue()) live_.Threshold[CheckIndex(id)] = ClampToRange(info, value);
}

void BrisqonSettings::SetWorkingThreshold(CheckId id, int value) {
  const CheckInfo& info = GetCheckInfo(id);
  if (info.HasValue()) working_.Threshold[CheckIndex(id)] = ClampToRange(info, value);
}

void BrisqonSettings::RestoreDefault(CheckId id) {
  const CheckInfo& info = GetCheckInfo(id);
  if (info.HasValue()) working_.Threshold[CheckIndex(id)] = info.Default;
}

std::string SetProblemSetting(BrisqonSettings& settings, std::string_view name, int64_t value) {
  for (CheckId id : SortedChecks()) {
    const CheckInfo& info = GetCheckInfo(id);
    if (name == info.SwitchName) {
      if (value != 0 && value != 1) return std::string(name) + " is 0 or 1";
      settings.SetEnabled(id, value == 1);
      return {};
    }
    if (info.HasValue() && name == info.ThresholdName) {
      if (value < info.Min || value > info.Max)
        return std::string(name) + " is from " + std::to_string(info.Min) + " to " + std::to_string(info.Max);
      settings.SetThreshold(id, static_cast<int>(value));
      return {};
    }
  }
  return "no problem finder setting is called " + std::string(name);
}

void BrisqonSettings::Load(const SettingsStore& store) {
  const std::string section(kProblemFinderSection);
  for (const CheckInfo& info : kChecks) {
    const size_t i = CheckIndex(info.Id);
    live_.Enabled[i] = store.ReadBool(section, std::string(info.SwitchName), true);
    if (!info.HasValue()) continue;
    // A value the dialog could never have produced (another program, a damaged store, a value above 16 bits)
    // is not clamped to a limit but replaced by the default, the one value known to be sensible.
    const int64_t v = store.ReadInteger(section, std::string(info.ThresholdName), info.Default);
    live_.Threshold[i] = v >= info.Min && v <= info.Max ? static_cast<uint16_t>(v) : info.Default;
  }
  working_ = live_;
}

void BrisqonSettings::Save(SettingsStore& store) const {
  const std::string section(kProblemFinderSection);
  for (const CheckInfo& info : kChecks) {
    const size_t i = CheckIndex(info.Id);
    if (info.HasValue()) store.WriteInteger(section, std::string(info.ThresholdName), live_.Threshold[i]);
    store.WriteBool(section, std::string(info.SwitchName), live_.Enabled[i]);
  }
}

}  // namespace corvanta

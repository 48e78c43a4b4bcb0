#include "naming/ProtocolNames.h"

#include <array>

#include "naming/TextFormat.h"

namespace corvanta {

namespace {

constexpr int kCategories = 17;     // ProtocolCategory 0..16
constexpr int kEncapsulations = 5;  // Encapsulation 0..4

constexpr std::array<std::string_view, kCategories> kCategoryNames = {
    "Appletalk",   "ARP/RARP",   "BPDU",        "DECnet", "IP",  "IPX",   "ISO", "LAT",  "LAVC",
    "NetBIOS-LLC", "NetBIOS-IP", "NetBIOS-IPX", "SNA",    "XNS", "VINES", "MAC", "Other"};

constexpr std::array<uint32_t, kCategories> kCategoryColors = {
    MakeColor(255, 0, 0),     MakeColor(192, 220, 192), MakeColor(255, 255, 0), MakeColor(0, 255, 0),
    MakeColor(0, 0, 255),     MakeColor(128, 0, 128),   MakeColor(0, 0, 0),     MakeColor(128, 0, 0),
    MakeColor(0, 128, 0),     MakeColor(128, 128, 0),   MakeColor(0, 0, 128),   MakeColor(0, 128, 128),
    MakeColor(128, 128, 128), MakeColor(192, 192, 192), MakeColor(255, 0, 255), MakeColor(0, 255, 255),
    MakeColor(255, 255, 255)};

constexpr std::array<std::string_view, kEncapsulations> kEncapsulationNames = {"Etype", "LLC", "NovRaw", "SNAP", "MAC"};

constexpr std::array<std::string_view, 22> kSubProtocolNames = {
    "ICMP",  "IGMP",       "GGP",   "TCP",          "EGP",      "UDP",    "IGRP",   "Unknown",
    "NCP",   "SPX",        "SPXII", "NetBIOS",      "SMB",      "RIP",    "PBurst", "Echo",
    "Error", "WAN Bdcast", "SAP",   "NetWare Lite", "LIP Echo", "Unknown"};

struct PortName {
  uint16_t port;
  std::string_view name;
};

// Sorted by port for the binary search below.
constexpr PortName kPortNames[] = {
    {20, "FTP Data"},
    {21, "FTP Control"},
    {23, "Telnet"},
    {25, "SMTP"},
    {53, "DNS"},
    {67, "Bootp"},
    {68, "Bootp"},
    {79, "Finger"},
    {80, "HTTP"},
    {107, "Remote Telnet"},
    {109, "POP2"},
    {110, "POP3"},
    {111, "Sun RPC"},
    {115, "Simple File Transfer"},
    {119, "NNTP"},
    {123, "Network Time Protocol"},
    {127, "Sun RPC"},
    {137, "NetBIOS Name"},
    {138, "NetBIOS Datagram"},
    {139, "NetBIOS Session"},
    {161, "SNMP"},
    {162, "SNMP Trap"},
    {194, "Internet Relay Chat"},
    {213, "IPS"},
    {396, "NetWare"},
    {515, "Print"},
    {532, "Readnews"},
    {666, "Doom"},
    {1352, "Lotus Notes"},
    {1433, "MS SQL Server"},
    {1498, "Sybase"},
    {1524, "Ingres"},
    {1525, "Oracle"},
    {1527, "Oracle"},
    {1571, "Oracle"},
    {1575, "Oracle"},
    {2382, "MS OLAP"},
    {2383, "MS OLAP"},
    {2638, "Sybase"},
    {3264, "CC:mail"},
    {3300, "SAP"},
    {3301, "SAP"},
};

}  // namespace

std::string_view ProtocolCategoryName(int category) {
  if (category < 0 || category >= kCategories) category = kCategories - 1;
  return kCategoryNames[static_cast<size_t>(category)];
}

uint32_t ProtocolCategoryColor(int category) {
  if (category < 0 || category >= kCategories) category = kCategories - 1;
  return kCategoryColors[static_cast<size_t>(category)];
}

std::string_view EncapsulationName(int encapsulation) {
  if (encapsulation < 0 || encapsulation >= kEncapsulations) return {};
  return kEncapsulationNames[static_cast<size_t>(encapsulation)];
}

std::string_view SubProtocolName(unsigned subProtocol) {
  unsigned s = subProtocol % 128;
  return s < kSubProtocolNames.size() ? kSubProtocolNames[s] : std::string_view("Other");
}

std::string IpxSocketName(uint16_t socket) {
  switch (socket) {
    case 0x0451: return "NCP";
    case 0x0452: return "SAP";
    case 0x0453: return "RIP";
    case 0x0455: return "NetBIOS";
    case 0x0456: return "Diag";
    case 0x0457: return "Serialize";
    default: break;
  }
  uint8_t bytes[2] = {static_cast<uint8_t>(socket >> 8), static_cast<uint8_t>(socket)};
  return FormatHexBytes(bytes);
}

std::string_view BuiltInPortName(uint16_t port) {
  size_t lo = 0, hi = std::size(kPortNames);
  while (lo < hi) {
    size_t mid = (lo + hi) / 2;
    if (kPortNames[mid].port < port)
      lo = mid + 1;
    else
      hi = mid;
  }
  if (lo < std::size(kPortNames) && kPortNames[lo].port == port) return kPortNames[lo].name;
  return {};
}

}  // namespace corvanta

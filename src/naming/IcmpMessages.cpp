#include "naming/IcmpMessages.h"

#include <array>

namespace corvanta {

std::string_view IcmpMessageText(uint8_t type, uint8_t code) {
  static constexpr std::array<std::string_view, 8> kUnreachable = {"Network Unreachable",
                                                                   "Host Unreachable",
                                                                   "Protocol Unreachable",
                                                                   "Port Unreachable",
                                                                   "Fragmentation needed and Don't Fragment was set",
                                                                   "Source Route Failed",
                                                                   "Destination Network Unknown",
                                                                   "Destination Host Unknown"};
  static constexpr std::array<std::string_view, 4> kRedirect = {
      "Redirect Datagram for the Network", "Redirect Datagram for the Host",
      "Redirect Datagram for the Type of Service and Network", "Redirect Datagram for the Type of Service and Host"};
  static constexpr std::array<std::string_view, 2> kTimeExceeded = {"Time to Live Exceeded in Transit",
                                                                    "Fragment Reassembly Time Exceeded"};
  switch (type) {
    case 0: return "Echo Reply";
    case 3: return code < kUnreachable.size() ? kUnreachable[code] : std::string_view();
    case 4: return "Source Quench";
    case 5: return code < kRedirect.size() ? kRedirect[code] : std::string_view();
    case 6: return "Alternative Host Address";
    case 8: return "Echo";
    case 9: return "Router Advertisement";
    case 10: return "Router Selection";
    case 11: return code < kTimeExceeded.size() ? kTimeExceeded[code] : std::string_view();
    case 13: return "Timestamp";
    case 14: return "Timestamp Reply";
    case 15: return "Information Request";
    case 16: return "Information Reply";
    case 17: return "Address Mask Request";
    case 18: return "Address Mask Reply";
    case 30: return "Traceroute";
    case 32: return "Mobile Host Redirect";
    case 33: return "IPv6 Where-Are-You";
    case 34: return "IPv6 I-Am-Here";
    case 35: return "Mobile Registration Agent";
    case 36: return "Mobile Registration Reply";
    default: return {};
  }
}

}  // namespace corvanta

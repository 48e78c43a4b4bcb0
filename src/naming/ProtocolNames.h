#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace corvanta {

// Colours hold red in the lowest byte, green next and blue in the third.
constexpr uint32_t MakeColor(uint8_t red, uint8_t green, uint8_t blue) {
  return static_cast<uint32_t>(red) | static_cast<uint32_t>(green) << 8 | static_cast<uint32_t>(blue) << 16;
}

// Category names and chart colours; an index outside 0..16 counts as 16 "Other".
std::string_view ProtocolCategoryName(int category);
uint32_t ProtocolCategoryColor(int category);

// "Etype", "LLC", "NovRaw", "SNAP", "MAC"; empty for an index outside 0..4.
std::string_view EncapsulationName(int encapsulation);

// The sub-protocol's name; the argument is taken modulo 128.
std::string_view SubProtocolName(unsigned subProtocol);

// The well-known IPX sockets by name, any other as four upper-case hex digits.
std::string IpxSocketName(uint16_t socket);

// The built-in TCP/UDP port name, empty when the port is not in the table.
std::string_view BuiltInPortName(uint16_t port);

}  // namespace corvanta

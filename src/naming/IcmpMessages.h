#pragma once
// The texts of ICMP messages, by type and, where the type has several meanings, code.
#include <cstdint>
#include <string_view>

namespace corvanta {

// "Echo Reply", "Port Unreachable", ...; empty for a type or code without a text.
std::string_view IcmpMessageText(uint8_t type, uint8_t code);

}  // namespace corvanta

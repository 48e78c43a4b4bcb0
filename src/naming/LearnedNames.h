#pragma once
#include <cstdint>
#include <span>
#include <string_view>

namespace corvanta {

class CaptureModel;

// Names for addresses (4 bytes IP, 6 MAC, 10 IPX), imported from other analyzers' address
// books and learned from the traffic. The first name stored for an address stays; a name
// is cut to 41 characters. An empty name is not stored, so it cannot hide a later one.
// Returns whether the name was stored.
bool AddLearnedName(CaptureModel& model, std::span<const uint8_t> address, std::string_view name);

// The learned name of the address, empty when there is none. The text lives in the model
// until its next Reset.
std::string_view LookupLearnedName(const CaptureModel& model, std::span<const uint8_t> address);

}  // namespace corvanta

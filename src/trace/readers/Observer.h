#pragma once
#include <string_view>

#include "trace/Bytes.h"

namespace corvanta {

// Refusal shown after the file name when an Observer header carries no version digit.
inline constexpr std::string_view kObserverVersionRefusal = " has an unreadable Observer version.";

// The version digit V of an Observer file header: the character after the first "=" in
// its first 32 bytes. -1 when there is no "=" or the character is not a digit.
int ObserverVersion(const ByteView& header);

}  // namespace corvanta

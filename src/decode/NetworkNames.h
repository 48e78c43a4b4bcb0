#pragma once
// Reading names out of DNS responses, bounded by the message whatever its counts and
// pointers say.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "decode/ModelTypes.h"
#include "trace/Bytes.h"

namespace corvanta {

// A name being assembled, cut at the length of a learned name.
struct NameBuffer {
  std::array<char, kLearnedNameMax> chars{};
  size_t length = 0;

  void Add(char c) {
    if (length < chars.size()) chars[length++] = c;
  }
  bool Full() const { return length == chars.size(); }
  std::string_view View() const { return {chars.data(), length}; }
};

// The labels of the name at offset in the message, joined by ".", following compression
// pointers. False when the name runs outside the message or loops.
bool ReadDnsName(ByteView message, size_t offset, NameBuffer& name);

// Calls found(address, name) for each A record among the answers of a DNS response
// (address: the 4 bytes; name: the record's owner name). Questions are skipped by their
// terminating zero byte; answers are walked by their record length. Reading ends quietly
// where the counts or lengths lead outside the message.
template <class Found>
void ForEachDnsAddress(ByteView message, Found&& found) {
  const unsigned questions = message.U8(5);
  const unsigned answers = message.U8(7);
  size_t cursor = 12;
  for (unsigned q = 0; q < questions; ++q) {
    ++cursor;  // past the first length byte, then on to the name's closing zero
    while (cursor < message.size() && message.U8(cursor) != 0) ++cursor;
    cursor += 1 + 4;
    if (cursor > message.size()) return;
  }
  for (unsigned a = 0; a < answers; ++a) {
    if (!message.Has(cursor, 12)) return;
    const uint8_t first = message.U8(cursor);
    if ((first & 0xC0) != 0xC0) return;  // answers name their owner by a compression pointer
    const size_t owner = static_cast<size_t>(first & 0x3F) << 8 | message.U8(cursor + 1);
    const uint16_t type = message.U16be(cursor + 2);
    const uint16_t dataLength = message.U16be(cursor + 10);
    if (type == 1 && dataLength == 4 && message.Has(cursor + 12, 4)) {
      NameBuffer name;
      if (!ReadDnsName(message, owner, name)) return;
      std::array<uint8_t, 4> address;
      message.Copy(cursor + 12, address.data(), address.size());
      found(address, name.View());
    }
    cursor += 12u + dataLength;
  }
}

}  // namespace corvanta

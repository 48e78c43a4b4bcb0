// Names learned from the traffic: NetBIOS over IPX, SAP service entries and DNS answers.
#include "decode/NetworkNames.h"

#include <algorithm>

#include "decode/NetworkStage.h"
#include "naming/LearnedNames.h"

namespace corvanta {

namespace {

constexpr size_t kIpxData = 30;  // data[k] is IPX[30 + k]
constexpr size_t kSapEntrySize = 64;
constexpr size_t kSapFirstEntry = 32;  // in the IPX packet, after the operation word
constexpr int kMaxPointerJumps = 32;

}  // namespace

bool ReadDnsName(ByteView message, size_t offset, NameBuffer& name) {
  size_t pos = offset;
  int jumps = 0;
  while (!name.Full()) {
    if (pos >= message.size()) return false;
    const uint8_t length = message.U8(pos);
    if (length == 0) break;
    if ((length & 0xC0) == 0xC0) {
      if (++jumps > kMaxPointerJumps || !message.Has(pos, 2)) return false;
      pos = static_cast<size_t>(length & 0x3F) << 8 | message.U8(pos + 1);
      continue;
    }
    if ((length & 0xC0) != 0 || !message.Has(pos + 1, length)) return false;
    if (name.length > 0) name.Add('.');
    for (size_t i = 0; i < length; ++i) name.Add(static_cast<char>(message.U8(pos + 1 + i)));
    pos += 1u + length;
  }
  return true;
}

void NetworkStage::LearnNetBiosName(const Packet& p) {
  NameBuffer name;
  const size_t start = p.network + kIpxData + 34;
  for (size_t i = 0; i < 16; ++i) name.Add(static_cast<char>(p.data.U8(start + i)));
  while (name.length > 0 && static_cast<uint8_t>(name.chars[name.length - 1]) <= 32) --name.length;
  AddLearnedName(model_, p.source.View(), name.View());
}

// A SAP reply lists 64-byte service entries after its operation word; only whole entries
// inside both the IPX length and the frame are read.
void NetworkStage::LearnSapNames(const Packet& p, const DataLinkResult& link) {
  const size_t total = p.record.TotalLength;
  for (size_t entry = kSapFirstEntry; entry + kSapEntrySize <= total; entry += kSapEntrySize) {
    const size_t e = p.network + entry;
    if (!p.data.Has(e, kSapEntrySize)) return;
    // The name field ends at its first zero byte within the 41 read; without one it is empty.
    size_t length = 0;
    while (length < kLearnedNameMax && p.data.U8(e + 2 + length) != 0) ++length;
    if (length == kLearnedNameMax) length = 0;  // no closing zero among the bytes read: no name
    NameBuffer name;
    for (size_t i = 0; i < length; ++i) name.Add(static_cast<char>(p.data.U8(e + 2 + i)));
    const AddressKey address = AddressKey::At(p.data, e + 50, kIpxKeyLength);
    AddLearnedName(model_, address.View(), name.View());
    if (p.data.U8(e + 63) == 1) AddLearnedName(model_, link.source.View(), name.View());
  }
}

void NetworkStage::LearnDnsAnswers(const Packet& p) {
  const size_t message = p.transport + 8;
  const size_t udpEnd = p.transport + p.data.U16be(p.transport + 4);
  const size_t ipEnd = p.network + p.record.TotalLength;
  const size_t end = std::min({udpEnd, ipEnd, p.data.size()});
  if (end <= message) return;
  ForEachDnsAddress(
      p.data.Sub(message, end - message),
      [this](const std::array<uint8_t, 4>& address, std::string_view name) { AddLearnedName(model_, address, name); });
}

}  // namespace corvanta

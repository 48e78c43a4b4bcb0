#pragma once
// The plain records of the capture model: enumerations, address keys, the five record
// classes owned by ModelObjects, the packet record and the tree nodes.
#include <algorithm>
#include <array>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

#include "trace/Bytes.h"
#include "trace/Prefetch.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace corvanta {

// Protocol category of a frame (byte, 0..16).
using ProtocolCategory = uint8_t;
enum : ProtocolCategory {
  kCatAppletalk = 0,
  kCatArpRarp,
  kCatBpdu,
  kCatDecnet,
  kCatIp,
  kCatIpx,
  kCatIso,
  kCatLat,
  kCatLavc,
  kCatNetBiosLlc,
  kCatNetBiosIp,
  kCatNetBiosIpx,
  kCatSna,
  kCatXns,
  kCatVines,
  kCatMac,
  kCatOther
};
inline constexpr int kProtocolCategoryCount = kCatOther + 1;
static_assert(kProtocolCategoryCount == 17);

// Data-link encapsulation of a frame (byte, 0..4).
using Encapsulation = uint8_t;
enum : Encapsulation { kEncapEtype = 0, kEncapLlc, kEncapNovRaw, kEncapSnap, kEncapMac };
inline constexpr int kEncapsulationCount = kEncapMac + 1;
static_assert(kEncapsulationCount == 5);

// Transport or service protocol above IP or IPX (byte, 0..22; 22 is never assigned).
using SubProtocol = uint8_t;
enum : SubProtocol {
  kSubIcmp = 0,
  kSubIgmp,
  kSubGgp,
  kSubTcp,
  kSubEgp,
  kSubUdp,
  kSubIgrp,
  kSubOtherIp,
  kSubNcp,
  kSubSpx,
  kSubSpx2,
  kSubNetBios,
  kSubSmb,
  kSubRip,
  kSubPBurst,
  kSubEcho,
  kSubError,
  kSubWanBroadcast,
  kSubSap,
  kSubNetWareLite,
  kSubLipEcho,
  kSubOtherIpx
};
inline constexpr int kSubProtocolCount = kSubOtherIpx + 2;  // with the unassigned 22
static_assert(kSubProtocolCount == 23);

// Sub-protocols whose conversations are told apart by their pair of ports or sockets.
constexpr bool IsPortBased(SubProtocol s) {
  return s == kSubTcp || s == kSubUdp || s == kSubSpx || s == kSubSpx2 || s == kSubNetBios || s == kSubSmb ||
         s == kSubPBurst;
}

// Set over 0..3 of the frames' status: 3 for a good frame, 0 for one with the CRC error bit.
using FrameStatusSet = uint8_t;
inline constexpr int kFrameStatusCrcError = 0;
inline constexpr int kFrameStatusGood = 3;

// Bit sets over small enumerations: member m is bit (1 << m). Members beyond the set's
// width are ignored rather than shifted out of range.
template <class Set>
constexpr void AddToSet(Set& set, unsigned member) {
  if (member < sizeof(Set) * 8) set = static_cast<Set>(set | (Set{1} << member));
}
template <class Set>
constexpr bool InSet(Set set, unsigned member) {
  return member < sizeof(Set) * 8 && (set >> member & 1u) != 0;
}

// Roles bits of a station or network address: both set once it has sent.
inline constexpr uint16_t kRolesSent = 3;

// Token Ring soft-error kinds, in the order of the counters of TMACInfo and of the trace
// totals. A station's SoftErrorFlags bit for kind k is (1 << k).
enum SoftErrorKind : uint8_t {
  kSoftAbortDelimiter = 0,
  kSoftAc,
  kSoftBurst,
  kSoftFrameCopied,
  kSoftFrequency,
  kSoftInternal,
  kSoftLine,
  kSoftLostFrame,
  kSoftReceiveCongestion,
  kSoftToken
};
inline constexpr int kSoftErrorKindCount = kSoftToken + 1;
static_assert(kSoftErrorKindCount == 10);

// A length-prefixed byte string compared as such: equal when length and bytes agree;
// ordered bytewise unsigned with a proper prefix first. Bytes past the length are spaces.
template <size_t N>
struct alignas(8) BasicKey {
  static_assert(N < 256);
  static constexpr size_t kCapacity = N;

  // The bytes first and the length after them: a key built in two whole words is copied in
  // two whole words, with no load waiting on a mix of narrower stores.
  std::array<uint8_t, N> Bytes = Spaces();
  uint8_t Length = 0;
  // Named padding, always zero: copies then move the whole key in whole words.
  std::array<uint8_t, (8 - (N + 1) % 8) % 8> Unused{};

  // The first count bytes at data (at most N are kept).
  static BasicKey Of(const uint8_t* data, size_t count) {
    BasicKey k;
    k.Length = static_cast<uint8_t>(std::min(count, N));
    if (k.Length) std::memcpy(k.Bytes.data(), data, k.Length);
    return k;
  }
  static BasicKey Of(std::span<const uint8_t> bytes) { return Of(bytes.data(), bytes.size()); }
  // count bytes of a frame from offset; bytes past the data read as zero.
  static BasicKey At(ByteView data, size_t offset, size_t count) {
    if constexpr (N == 10) {
      // The addresses of every frame: built in registers when they lie inside the data.
      if ((count == 4 || count == 6 || count == 10) && data.Has(offset, count)) return Word(data.data() + offset, count);
    }
    BasicKey k;
    k.Length = static_cast<uint8_t>(std::min(count, N));
    data.Copy(offset, k.Bytes.data(), k.Length);
    return k;
  }
  // A key of another capacity with the same bytes (cut to N).
  template <size_t M>
  static BasicKey From(const BasicKey<M>& other) {
    return Of(other.View());
  }

  std::span<const uint8_t> View() const { return {Bytes.data(), Length}; }

  // A well-spread hash of the key (equal keys hash alike: the bytes past the length are
  // always spaces). Address keys are taken as two words rather than byte by byte, as every
  // frame hashes several of them.
  uint64_t Hash() const {
    if constexpr (N == 10) {
      uint64_t low;
      uint16_t high;
      std::memcpy(&low, Bytes.data(), 8);
      std::memcpy(&high, Bytes.data() + 8, 2);
      uint64_t h = (low ^ 0x9E3779B97F4A7C15ull) * 0xBF58476D1CE4E5B9ull;
      h ^= (uint64_t{high} << 8 | Length) * 0x94D049BB133111EBull;
      h ^= h >> 31;
      h *= 0xD6E8FEB86659FD93ull;
      return h ^ (h >> 32);
    } else {
      uint64_t h = 0x9E3779B97F4A7C15ull ^ Length;
      for (uint8_t b : View()) h = (h ^ b) * 0x100000001B3ull;
      h ^= h >> 32;
      h *= 0xD6E8FEB86659FD93ull;
      return h ^ (h >> 32);
    }
  }

  // Every key is built with spaces past its length, so whole keys compare as their bytes.
  friend bool operator==(const BasicKey& a, const BasicKey& b) {
    if (a.Length != b.Length) return false;
    if constexpr (N == 10) {
      // Two words, not a library call: every frame compares keys in its lookups.
      uint64_t x;
      uint64_t y;
      uint16_t u;
      uint16_t v;
      std::memcpy(&x, a.Bytes.data(), 8);
      std::memcpy(&y, b.Bytes.data(), 8);
      std::memcpy(&u, a.Bytes.data() + 8, 2);
      std::memcpy(&v, b.Bytes.data() + 8, 2);
      return x == y && u == v;
    } else {
      return a.Bytes == b.Bytes;
    }
  }
  friend std::strong_ordering operator<=>(const BasicKey& a, const BasicKey& b) {
    size_t n = std::min(a.Length, b.Length);
    int c = n ? std::memcmp(a.Bytes.data(), b.Bytes.data(), n) : 0;  // memcmp compares as unsigned char
    if (c != 0) return c < 0 ? std::strong_ordering::less : std::strong_ordering::greater;
    return a.Length <=> b.Length;
  }

 private:
  static constexpr std::array<uint8_t, N> Spaces() {
    std::array<uint8_t, N> a{};
    a.fill(0x20);
    return a;
  }
  // A key of 4, 6 or 10 bytes (N == 10) assembled as two little-endian words and stored once.
  static BasicKey Word(const uint8_t* p, size_t count) {
    constexpr uint64_t kSpaces = 0x2020202020202020ull;
    uint64_t low;
    uint64_t high;  // bytes 8 and 9, then the length
    if (count == 10) {
      uint16_t last;
      std::memcpy(&low, p, 8);
      std::memcpy(&last, p + 8, 2);
      high = last;
    } else {
      uint32_t first;
      std::memcpy(&first, p, 4);
      low = first;
      if (count == 6) {
        uint16_t next;
        std::memcpy(&next, p + 4, 2);
        low |= uint64_t{next} << 32;
      }
      low |= kSpaces << (8 * count);
      high = 0x2020;
    }
    high |= uint64_t{count} << 16;
    BasicKey k;
    static_assert(std::endian::native == std::endian::little || N != 10);
#ifdef __SSE2__
    // Joined in a register: two word stores read back as one would wait for both to land.
    const __m128i both = _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(static_cast<void*>(&k)), both);
#else
    const uint64_t words[2] = {low, high};
    std::memcpy(static_cast<void*>(&k), words, 16);
#endif
    return k;
  }
};

// MAC addresses (6 bytes), IP (4) and IPX (10: network then node) addresses.
using AddressKey = BasicKey<10>;
// Keys of learned names: an address of up to 41 bytes.
using NameKey = BasicKey<41>;

inline constexpr size_t kMacKeyLength = 6;
inline constexpr size_t kIpKeyLength = 4;
inline constexpr size_t kIpxKeyLength = 10;

// A length-prefixed text of at most N characters; longer text is cut.
template <size_t N>
struct ShortString {
  uint8_t Length = 0;
  std::array<char, N> Chars{};

  std::string_view View() const { return {Chars.data(), Length}; }
  void Assign(std::string_view text) {
    Length = static_cast<uint8_t>(std::min(text.size(), N));
    if (Length) std::memcpy(Chars.data(), text.data(), Length);
  }
};

inline constexpr size_t kLearnedNameMax = 41;

// ---- Records owned by ModelObjects, addressed by their index there. A new record has
// every field zero except its links, which start at their "none" value.

// One ordered pair of stations that exchanged a frame; chained from the sender's StationNode.
// Its frames by encapsulation and by protocol are read and counted through ModelObjects.
struct TDLCPeer {
  int32_t Receiver = -1;  // the receiver's node id in the station tree; -1 names none
  FrameStatusSet FrameStatus = 0;
  uint8_t Encapsulations = 0;  // set over Encapsulation
  uint32_t Protocols = 0;      // set over ProtocolCategory
  int32_t Frames = 0;
  int32_t Bytes = 0;
  int32_t NextPeer = 0;  // next peer of the same sender; below 1 means none
  // The pair's DlcBreakdown in ModelObjects; -1 while every frame had the one encapsulation
  // and the one protocol of its sets (most pairs), whose counts are then Frames.
  int32_t Breakdown = -1;
};
static_assert(sizeof(TDLCPeer) <= 28, "TDLCPeer must stay compact: a trace has one per pair of stations");

// One ordered pair of network addresses; chained from the sender's NetAddressNode. Its
// packets by sub-protocol are read and counted through ModelObjects.
struct TNetPeer {
  int32_t Receiver = -1;  // the receiver's node id in the network-address tree; -1 names none
  uint8_t LastTTL = 0;
  uint32_t SubProtocols = 0;  // set over SubProtocol
  int32_t FirstConversation = -1;
  int32_t Packets = 0;
  int32_t Bytes = 0;
  int32_t NextPeer = 0;  // next peer of the same sender; 0 means none
  // The pair's NetBreakdown in ModelObjects; -1 while every packet had the one sub-protocol
  // of its set, whose count is then Packets.
  int32_t Breakdown = -1;
};
static_assert(sizeof(TNetPeer) <= 32, "TNetPeer must stay compact: a trace has one per pair of addresses");

// The frames of a TDLCPeer by encapsulation and by protocol, once it has more than one of
// either (or a frame outside them).
struct DlcBreakdown {
  std::array<int32_t, kEncapsulationCount> FramesByEncapsulation{};
  std::array<int32_t, kProtocolCategoryCount> FramesByProtocol{};
};
// The packets of a TNetPeer by sub-protocol, once it has more than one.
using NetBreakdown = std::array<int32_t, kSubProtocolCount>;

// One conversation of a TNetPeer.
struct TTransHead {
  uint8_t SubProtocol = 0;  // a SubProtocol value
  uint16_t SourcePort = 0;
  uint16_t DestinationPort = 0;
  // The maximum segment size of the first SYN that gave one; its SYNs have kPacketMaxSegment.
  uint16_t MaxSegment = 0;
  int32_t FirstPacket = -1;  // index in PacketList
  int32_t LastPacket = -1;
  int32_t NextConversation = -1;  // next conversation of the same TNetPeer
};

// Token Ring: a station's upstream neighbour and the soft errors reported against one.
struct TMACInfo {
  AddressKey Neighbour;
  uint16_t VendorIndex = 0;
  std::array<int32_t, kSoftErrorKindCount> SoftErrors{};  // indexed by SoftErrorKind
  int32_t Next = -1;                                      // next TMACInfo of the same station
};

// One learned name.
struct TNameHead {
  ShortString<kLearnedNameMax> Name;
};

// One IP or IPX packet of a conversation, a gap placeholder or an ICMP report record; owned
// by PacketList. A report record keeps the reported frame's number in Sequence and the
// reporting station's IPv4 address (big-endian value) in Acknowledge. Fields are grouped by
// size so that millions of them stay compact; the few that most packets lack (a later
// fragment's offset, a repeat's distance) are kept by PacketList beside the records, and a
// SYN's maximum segment size by its conversation.
struct TPacket {
  double Time = 0;  // microseconds
  int32_t FrameNumber = 0;
  uint32_t Sequence = 0;
  uint32_t Acknowledge = 0;
  int32_t Flags = 0;  // PacketFlags
  uint16_t Length = 0;
  uint16_t TotalLength = 0;
  // IP: the datagram's identification. IPX has none: its packets keep their Function here.
  uint16_t Identification = 0;
  uint16_t Window = 0;
  // The neighbours in the conversation, as steps from this record; PacketList reads and
  // writes them (Previous, Next).
  int16_t PreviousStep = 0;
  int16_t NextStep = 0;
  uint8_t TcpFlags = 0;  // the TCP header's flag byte
  uint8_t HeaderLength = 0;
  uint8_t TransportHeaderLength = 0;
  uint8_t TTL = 0;

  // IPX: the NCP function of a request, or the fragments a packet-burst request names missing.
  uint8_t Function() const { return static_cast<uint8_t>(Identification); }
  void SetFunction(uint8_t function) { Identification = function; }
};
static_assert(sizeof(TPacket) <= 40, "TPacket must stay compact: the model holds every IP and IPX packet");

// ---- Tree nodes. Left, Right and Red belong to the tree; the rest to the decoder.

struct StationNode {
  AddressKey Address;
  int32_t Left = 0;
  int32_t Right = 0;
  uint8_t Red = 0;
  FrameStatusSet FrameStatus = 0;
  FrameStatusSet WorkFrameStatus = 0;
  uint8_t Encapsulations = 0;
  uint8_t WorkEncapsulations = 0;
  uint16_t VendorIndex = 0;
  uint16_t ErrorFramesSent = 0;
  uint16_t FramesAfterCollision = 0;
  uint16_t Roles = 0;
  uint16_t SoftErrorFlags = 0;
  uint32_t Protocols = 0;
  uint32_t WorkProtocols = 0;
  int32_t FramesSent = 0;
  int32_t BytesSent = 0;
  int32_t FramesReceived = 0;
  int32_t BytesReceived = 0;
  int32_t GroupFramesSent = 0;
  int32_t FirstPeer = 0;       // first TDLCPeer; meaningful only once Roles shows the station has sent
  int32_t LastPeer = -1;       // the chain's tail, where the next TDLCPeer is linked
  int32_t FirstRingInfo = -1;  // first TMACInfo
};

struct NetAddressNode {
  AddressKey Address;
  int32_t Left = 0;
  int32_t Right = 0;
  uint8_t Red = 0;
  ProtocolCategory Category = 0;  // 4 IP, 5 IPX or 11 NetBIOS-IPX
  uint16_t Roles = 0;
  StationNode* Station = nullptr;  // the station the address was first seen with
  uint32_t SubProtocols = 0;
  uint32_t WorkSubProtocols = 0;
  int32_t PacketsSent = 0;
  int32_t BytesSent = 0;
  int32_t PacketsReceived = 0;
  int32_t BytesReceived = 0;
  int32_t FirstPeer = 0;  // first TNetPeer; 0 means none
  int32_t LastPeer = -1;  // the chain's tail, where the next TNetPeer is linked
  // TCP and UDP checksums of the packets it sent that were judged, and those found right;
  // then the same for the packets among them that carried data.
  int32_t ChecksumsJudged = 0;
  int32_t ChecksumsRight = 0;
  int32_t DataChecksumsJudged = 0;
  int32_t DataChecksumsRight = 0;
};

struct NameNode {
  NameKey Address;
  int32_t Left = 0;
  int32_t Right = 0;
  uint8_t Red = 0;
  int32_t NameIndex = -1;  // the TNameHead holding the name
};

// ---- Model-wide tables.

struct ModelCounts {
  int32_t Stations = 0;
  int32_t SendingStations = 0;
  int32_t IpAddresses = 0;
  int32_t SendingIpAddresses = 0;
  int32_t IpxAddresses = 0;  // categories 5 and 11
  int32_t SendingIpxAddresses = 0;
};

// The ports of recent first IP fragments, so that later fragments find their conversation.
struct alignas(kCacheLine) FragmentPortTable {
  struct Slot {
    uint16_t Identification = 0;
    uint16_t SourcePort = 0;
    uint16_t DestinationPort = 0;
  };
  static constexpr int kSlots = 32;
  std::array<Slot, kSlots> Slots{};
  uint8_t Cursor = 0;  // 0..31
};

}  // namespace corvanta

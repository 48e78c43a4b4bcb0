#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "DecoderHarness.h"
#include "decode/InternetChecksum.h"
#include "decode/PacketFlags.h"

namespace corvanta::testing {
namespace {

constexpr PacketFlags kChecksumFlags = kPacketIpChecksumError | kPacketTcpChecksumError | kPacketUdpChecksumError;

// An IP packet of random shape: TCP or UDP, any payload size, options now and then, and a
// byte spoiled anywhere (header, checksum field, payload) in a third of them.
Bytes RandomIpPacket(std::mt19937& rng) {
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const Ip4Addr src{10, 0, 0, static_cast<uint8_t>(1 + pick(9))};
  const Ip4Addr dst{10, 0, 1, static_cast<uint8_t>(1 + pick(9))};
  Bytes payload(static_cast<size_t>(pick(5) == 0 ? pick(4) : pick(1400)));
  for (uint8_t& b : payload) b = static_cast<uint8_t>(rng());
  Ipv4Options o;
  if (pick(5) == 0) o.options = Bytes(static_cast<size_t>(4 * (1 + pick(3))), 1);
  Bytes ip;
  if (pick(2) == 0) {
    TcpSegment s;
    s.srcPort = static_cast<uint16_t>(1024 + pick(100));
    s.dstPort = 80;
    s.seq = static_cast<uint32_t>(rng());
    s.payload = payload;
    ip = IpTcp(src, dst, s, o);
  } else {
    ip = IpUdp(src, dst, static_cast<uint16_t>(1024 + pick(100)), 69, payload, o);
  }
  if (pick(3) == 0) ip[static_cast<size_t>(pick(static_cast<int>(ip.size())))] ^= static_cast<uint8_t>(1 + pick(255));
  return ip;
}

// Whether an IPv4 header's checksum is wrong, by the plain sum of its bytes; none when a
// spoiled byte left no IPv4 header of the packet's own length.
std::optional<bool> IpHeaderWrong(const Bytes& ip) {
  const size_t length = (ip[0] & 0x0Fu) * 4u;
  if ((ip[0] >> 4) != 4 || length < 20 || length > ip.size() || (size_t{ip[2]} << 8 | ip[3]) != ip.size())
    return std::nullopt;
  Bytes header(ip.begin(), ip.begin() + static_cast<std::ptrdiff_t>(length));
  const auto stored = static_cast<uint16_t>(header[10] << 8 | header[11]);
  header[10] = header[11] = 0;
  return !ChecksumsAgree(InternetChecksum(header.data(), header.size()), stored);
}

// Whether a TCP or UDP checksum is wrong, by the plain sum of pseudo-header and segment
// (the decoder's pseudo-header takes UDP's length from the UDP header); none when it is not
// judged: no sound IPv4 header, a fragment, or a UDP checksum left at zero.
std::optional<bool> TransportWrong(const Bytes& ip) {
  if (!IpHeaderWrong(ip)) return std::nullopt;
  const size_t h = (ip[0] & 0x0Fu) * 4u;
  const uint8_t protocol = ip[9];
  const bool tcp = protocol == 6;
  if ((!tcp && protocol != 17) || (ip[6] & 0x3F) != 0 || ip[7] != 0) return std::nullopt;
  const size_t field = h + (tcp ? 16 : 6);
  if (field + 2 > ip.size() || (!tcp && ip[field] == 0 && ip[field + 1] == 0)) return std::nullopt;
  const size_t length = tcp ? ip.size() - h : size_t{ip[h + 4]} << 8 | ip[h + 5];
  Bytes all(ip.begin() + 12, ip.begin() + 20);
  all.insert(all.end(), {0, protocol, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
  all.insert(all.end(), ip.begin() + static_cast<std::ptrdiff_t>(h), ip.end());
  return OnesComplementSum(all.data(), all.size()) != 0xFFFF;
}

// Frames through the reader's thread (FirstStage), their headers read there or left to the
// decoding thread, are filed as those read directly: the same flags, checksum verdicts
// included, whatever the offsets' parity, options, padding and spoiled bytes; the checksums
// agree with plain sums.
TEST(StagedFrameTest, ReadAheadFramesAreFiledAsDirectOnes) {
  std::mt19937 rng(20261208);
  for (Topology topology : {kEthernet, kTokenRing}) {
    DecoderHarness direct(topology);
    DecoderHarness staged(topology);
    int errors = 0;
    int oddOffsets = 0;
    int headers = 0;
    int transports = 0;
    for (int i = 0; i < 3000; ++i) {
      Bytes ip = RandomIpPacket(rng);
      Bytes frame;
      const int shape = static_cast<int>(rng() % 3);
      if (topology == kEthernet) {
        if (shape == 0) frame = EthernetII(Station(2), Station(1), 0x0800, ip);
        if (shape == 1) frame = EthernetSnap(Station(2), Station(1), 0x0800, ip);
        if (shape == 2) frame = EthernetLlc(Station(2), Station(1), 0x06, 0x06, 0x03, ip);  // network at an odd offset
        frame = PadFrame(frame);
      } else {
        TokenRingAddressing a;
        a.dst = Station(2);
        a.src = Station(1);
        for (int r = 0; r < shape; ++r) a.route.push_back(static_cast<uint16_t>(0x011 + r));
        frame = rng() % 2 ? TokenRingSnap(a, 0x0800, ip) : TokenRingLlc(a, 0x06, 0x06, 0x03, ip);
        frame.insert(frame.end(), 4, 0);  // the check sequence, behind which checksums are judged
      }
      if ((std::search(frame.begin(), frame.end(), ip.begin(), ip.end()) - frame.begin()) % 2 == 1) ++oddOffsets;
      direct.Feed(frame);
      FeedOptions o;
      o.staged = true;
      o.decoderWaits = rng() % 2 == 0;  // headers read on either thread
      staged.Feed(frame, o);
      ASSERT_EQ(direct.model.Packets.Count(), staged.model.Packets.Count()) << i;
      const TPacket& expected = direct.model.Packets.At(direct.model.Packets.Count() - 1);
      const TPacket& actual = staged.model.Packets.At(staged.model.Packets.Count() - 1);
      ASSERT_EQ(actual.Flags, expected.Flags) << "frame " << i;
      if (expected.Flags & kChecksumFlags) ++errors;
      if (const auto wrong = IpHeaderWrong(ip)) {
        ASSERT_EQ((expected.Flags & kPacketIpChecksumError) != 0, *wrong) << "frame " << i;
        ++headers;
      }
      if (const auto wrong = TransportWrong(ip)) {
        ASSERT_EQ((expected.Flags & (kPacketTcpChecksumError | kPacketUdpChecksumError)) != 0, *wrong) << "frame " << i;
        ++transports;
      }
    }
    EXPECT_GT(errors, 300) << topology;
    EXPECT_GT(oddOffsets, 300) << topology;
    EXPECT_GT(headers, 2900) << topology;
    EXPECT_GT(transports, 2500) << topology;
    EXPECT_GT(direct.model.Packets.Count(), 2900);
  }
}

}  // namespace
}  // namespace corvanta::testing

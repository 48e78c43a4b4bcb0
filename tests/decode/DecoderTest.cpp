// The decoder as the processing loop drives it: passes, pre-scan, name learning, address
// books, and a whole trace read through a reader.
#include <gtest/gtest.h>

#include "DecoderHarness.h"
#include "TraceWriter.h"
#include "naming/LearnedNames.h"
#include "naming/TempDir.h"
#include "trace/ProcessTrace.h"

namespace corvanta::testing {
namespace {

const MacAddr kA = Station(0xA1);
const MacAddr kB = Station(0xB2);

Bytes NetBiosClaim(const MacAddr& src, std::string_view name) {
  return PadFrame(EthernetLlc(kNetBiosMulticast, src, 0xF0, 0xF0, 0x03, NetBiosHeader(kNetBiosAddNameQuery, "", name)));
}

std::string LearnedName(const CaptureModel& model, const MacAddr& mac) {
  return std::string(LookupLearnedName(model, std::span<const uint8_t>(mac.data(), mac.size())));
}

TEST(Decoder, BeginPassStartsAFreshTrace) {
  DecoderHarness h;
  h.Feed(PadFrame(EthernetII(kB, kA, 0x0806, {})));
  const StationNode* sender = h.Find(kA);
  ASSERT_NE(sender, nullptr);
  EXPECT_GE(h.model.Chains.FindPeer(sender, h.model.Stations.FindId(Key(kB)), h.model.Objects), 0);
  h.End();
  ASSERT_EQ(h.model.Counts.Stations, 2);
  // The chain indexes serve decoding only and are gone once the pass has ended; the chains stay.
  EXPECT_EQ(h.model.Chains.FindPeer(sender, h.model.Stations.FindId(Key(kB)), h.model.Objects), -1);
  EXPECT_EQ(h.Peers(kA).size(), 1u);

  TraceInfo info;
  info.kind = 15;
  info.topology = kTokenRing;
  info.bandwidthMbps = 4;
  h.Dec().BeginPass(info, false);
  EXPECT_EQ(h.model.Counts.Stations, 0);
  EXPECT_EQ(h.model.Stations.Count(), 0);
  EXPECT_EQ(h.model.Objects.Count(), 0);
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 0);
  EXPECT_EQ(h.stats.IntervalCount, 0);
  EXPECT_EQ(h.stats.BandwidthBytesPerSecond, 500000);
  EXPECT_EQ(h.stats.Medium, kTokenRing);
  EXPECT_EQ(h.Dec().Environment().topology, kTokenRing);
  EXPECT_EQ(h.Dec().FramesRead(), 0);

  // A medium the header could not tell keeps the environment's.
  info.topology = kUnknownTopology;
  info.bandwidthMbps = 0;
  h.Dec().BeginPass(info, false);
  EXPECT_EQ(h.Dec().Environment().topology, kTokenRing);
  EXPECT_EQ(h.stats.BandwidthBytesPerSecond, 500000);
}

TEST(Decoder, PreScanCountsTheFrameAndAsksToStop) {
  DecoderHarness h;
  TraceInfo info;
  h.Dec().BeginPass(info, true);
  EXPECT_TRUE(h.Feed(PadFrame(EthernetII(kB, kA, 0x0806, {}))));
  EXPECT_EQ(h.Dec().FramesRead(), 1);
  EXPECT_EQ(h.model.Stations.Count(), 0);
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 0);
  EXPECT_EQ(h.stats.TraceStats[kStatLargest].Value, 0);
}

TEST(Decoder, NormalFramesDoNotAskToStop) {
  DecoderHarness h;
  EXPECT_FALSE(h.Feed(PadFrame(EthernetII(kB, kA, 0x0806, {}))));
  EXPECT_FALSE(h.Feed(Bytes(3, 0)));
  EXPECT_EQ(h.Dec().FramesRead(), 2);
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 2);
}

TEST(Decoder, LearnsNetBiosNamesFromLlcFrames) {
  DecoderHarness h;
  h.Feed(NetBiosClaim(kA, "ALICE"));
  h.Feed(NetBiosClaim(kA, "SOMETHING ELSE"));  // the first name stays
  EXPECT_EQ(LearnedName(h.model, kA), "ALICE");
  EXPECT_EQ(h.stats.ProtocolStats[kCatNetBiosLlc].Frames, 2);

  // Below 58 bytes an Ethernet frame is not looked at beyond the data link.
  Bytes shortClaim = NetBiosClaim(kB, "BOB");
  h.Feed(shortClaim, {.length = 57});
  EXPECT_EQ(LearnedName(h.model, kB), "");
  h.Feed(shortClaim, {.length = 58});
  EXPECT_EQ(LearnedName(h.model, kB), "BOB");
}

TEST(Decoder, LearnsNetBiosNamesOnTokenRing) {
  DecoderHarness h(kTokenRing);
  TokenRingAddressing a;
  a.src = kA;
  a.dst = kNetBiosFunctional;
  a.route = {0x0011, 0x0020};
  h.Feed(TokenRingLlc(a, 0xF0, 0xF0, 0x03, NetBiosHeader(kNetBiosDatagram, "GROUP", "RINGHOST")));
  EXPECT_EQ(LearnedName(h.model, kA), "RINGHOST");
}

TEST(Decoder, LongFramesAndStaleBufferBytesAreReadSafely) {
  DecoderHarness h(kTokenRing);
  TokenRingAddressing a;
  a.src = kA;
  a.dst = kB;
  a.route = {0x0011, 0x0022, 0x0033, 0x0044, 0x0055, 0x0066, 0x0077};  // 16-byte routing field
  Bytes full(kMaxFrameLength, 0xFF);
  Bytes header = TokenRingLlc(a, 0xF0, 0xF0, 0x03, {});
  std::copy(header.begin(), header.end(), full.begin());
  h.Feed(full, {.length = kMaxFrameLength});
  // A short frame with the rest of the previous frame behind it in the buffer.
  h.Feed(Bytes(4, 0x10), {.length = 4, .keepBuffer = true});
  EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 2);
  EXPECT_EQ(h.stats.SizeBuckets[71], 1);
}

// Past its length a frame reads as zero, whatever an earlier frame left in the buffer: the
// queue of a reader running ahead holds other leftovers than the reader's own buffer, and
// both must decode alike.
TEST(Decoder, ShortFramesDoNotReadAnEarlierFrame) {
  TokenRingAddressing a;
  a.src = kA;
  a.dst = kB;
  for (const bool keepBuffer : {false, true}) {
    DecoderHarness h(kTokenRing);
    h.Feed(TokenRingLlc(a, 0xF0, 0xF0, 0x03, {}));
    h.Feed(Bytes{0x10, 0x40, 0x00}, {.length = 3, .keepBuffer = keepBuffer});
    ASSERT_NE(h.Find(kA), nullptr);
    EXPECT_EQ(h.Find(kA)->FramesSent, 1) << keepBuffer;
    const StationNode* zero = h.Find({0, 0, 0, 0, 0, 0});
    ASSERT_NE(zero, nullptr) << keepBuffer;
    EXPECT_EQ(zero->FramesSent, 1) << keepBuffer;
  }
}

TEST(Decoder, ArbitraryBytesNeverFault) {
  for (Topology topology : {kEthernet, kTokenRing}) {
    DecoderHarness h(topology);
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < 1500; ++i) {
      Bytes bytes(next() % 200, 0);
      for (uint8_t& b : bytes) b = static_cast<uint8_t>(next() >> 16);
      // Steer some frames into the interesting branches.
      if (bytes.size() > 18 && i % 3 == 0) bytes[1] = 0x00;  // Token Ring MAC frame
      if (bytes.size() > 18 && i % 5 == 0) bytes[17] = static_cast<uint8_t>(i % 2 ? 0x29 : 0x05);
      FeedOptions o;
      o.status = static_cast<uint16_t>(next() & 0xC000);
      o.keepBuffer = true;
      if (i % 97 == 0) o.length = kMaxFrameLength;
      h.Feed(bytes, o);
    }
    h.End();
    EXPECT_EQ(h.stats.TraceStats[kStatFrames].Value, 1500);
    EXPECT_TRUE(h.model.Stations.IsValid());
  }
}

// Frames whose check sequence decoding is said not to read decode alike whatever it holds (a
// reader leaves it zero for them); the tails put an MSS option, DNS and SNMP flags where a read
// past the datagram would find them, and the ports an ICMP error quotes. The frames end right after the fields read, or
// not.
TEST(Decoder, CheckSequenceUnreadWhereDecodingSaysSo) {
  const Ip4Addr a{10, 0, 0, 1}, b{10, 0, 0, 2};
  const std::array<Bytes, 4> tails = {Bytes{0, 0, 0, 0}, Bytes{0x02, 0x04, 0x05, 0xB4}, Bytes{0xA2, 0xA0, 0x80, 0xFF},
                                      Bytes{0x04, 0x02, 0x00, 0x35}};
  std::vector<Bytes> packets;
  // A packet without its last bytes, which the frame's tail stands in for.
  const auto cut = [&](const Bytes& packet, size_t bytes) {
    packets.push_back(Bytes(packet.begin(), packet.end() - static_cast<std::ptrdiff_t>(bytes)));
  };
  for (size_t optionBytes : {0, 8, 40}) {
    Ipv4Options o;
    o.options = Bytes(optionBytes, 1);
    for (size_t payload : {0, 1, 2, 4, 6, 10, 13, 20, 40}) {
      const Bytes data = Filler(payload, 0x41);
      const TcpSegment syn{.srcPort = 1025, .dstPort = 80, .flags = kTcpSyn, .payload = data};
      packets.push_back(IpTcp(a, b, syn, o));
      packets.push_back(IpTcp(b, a, {.srcPort = 80, .dstPort = 1025, .payload = data}, o));
      for (uint16_t port : {53, 137, 161, 2000}) packets.push_back(IpUdp(a, b, 1026, port, data, o));
      cut(IpUdp(b, a, 53, 1026, DnsAnswer(7, "host", {{10, 0, 0, 9}}), o), 4);
      packets.push_back(Ipv4Packet(a, b, 1, IcmpEcho(false, 1, 2, data), o));
    }
    cut(Ipv4Packet(b, a, 1, IcmpUnreachable(3, IpUdp(a, b, 1026, 53, {}, o)), o), 8);
  }
  std::array<std::unique_ptr<DecoderHarness>, tails.size()> decoders;
  for (auto& d : decoders) d = std::make_unique<DecoderHarness>();
  int unread = 0;
  int read = 0;
  for (const Bytes& packet : packets)
    for (int said : {0, -4, 4, 8, 60})  // the datagram's length as stored, against the bytes
      for (size_t padding : {0, 3, 9}) {
        Bytes ip = Cat({packet, Filler(padding)});
        const auto total = static_cast<uint16_t>(static_cast<int>(packet.size()) + said);
        ip[2] = static_cast<uint8_t>(total >> 8);
        ip[3] = static_cast<uint8_t>(total);
        const Bytes frame = PadFrame(EthernetII(kB, kA, 0x0800, ip));
        FeedOptions o{.length = static_cast<uint32_t>(frame.size() + 4)};
        FrameRecord probe;
        std::copy(frame.begin(), frame.end(), probe.Data.begin());
        probe.Length = probe.CapturedLength = static_cast<uint16_t>(o.length);
        if (DecodingReadsCheckSequence(probe, kEthernet)) {
          ++read;
          continue;
        }
        ++unread;
        for (size_t t = 0; t < tails.size(); ++t) decoders[t]->Feed(Cat({frame, tails[t]}), o);
        const CaptureModel& first = decoders[0]->model;
        for (size_t t = 1; t < tails.size(); ++t) {
          const CaptureModel& other = decoders[t]->model;
          ASSERT_EQ(other.Packets.Count(), first.Packets.Count());
          const TPacket& x = first.Packets.At(first.Packets.Count() - 1);
          const TPacket& y = other.Packets.At(other.Packets.Count() - 1);
          ASSERT_EQ(std::tie(x.Flags, x.Sequence, x.Acknowledge, x.Window, x.TcpFlags, x.TransportHeaderLength),
                    std::tie(y.Flags, y.Sequence, y.Acknowledge, y.Window, y.TcpFlags, y.TransportHeaderLength))
              << "frame of " << frame.size() << " bytes, tail " << t;
          for (const Bytes& tail : tails)
            ASSERT_EQ(LookupLearnedName(other, tail), LookupLearnedName(first, tail)) << "tail " << t;
        }
      }
  EXPECT_GT(unread, 200);
  EXPECT_GT(read, 50);
  // A bare acknowledgement, the commonest frame, is spared the CRC; a Token Ring frame is not.
  FrameRecord shortFrame;
  const Bytes ack = PadFrame(EthernetII(kB, kA, 0x0800, IpTcp(a, b, {})));
  std::copy(ack.begin(), ack.end(), shortFrame.Data.begin());
  shortFrame.Length = static_cast<uint16_t>(ack.size() + 4);
  EXPECT_FALSE(DecodingReadsCheckSequence(shortFrame, kEthernet));
  EXPECT_TRUE(DecodingReadsCheckSequence(shortFrame, kTokenRing));
}

TEST(Decoder, ImportsTheAddressBookBeforeTheFirstFrame) {
  TempDir dir;
  std::string record(80, '\0');
  for (int i = 0; i < 6; ++i) record[4 + i] = static_cast<char>(kA[i]);
  const std::string name = "Imported";
  std::copy(name.begin(), name.end(), record.begin() + 10);
  dir.Write("tables/site.adr", record);

  CaptureModel model;
  TraceStatistics stats;
  Decoder decoder(model, stats, DecodeEnvironment{});
  AddressBookFolders folders;
  folders.observerTables = dir.path() / "tables";
  decoder.UseAddressBooks(folders, "site.adr");
  TraceInfo info;
  info.kind = 12;
  info.topology = kEthernet;
  decoder.BeginPass(info, false);
  EXPECT_EQ(LearnedName(model, kA), "Imported");
}

TEST(Decoder, WholeTraceThroughTheProcessingLoop) {
  TracePlan trace;
  trace.kind = 15;  // snoop
  trace.topology = kEthernet;
  Bytes arp = EthernetII(kBroadcastMac, kA, 0x0806, ArpPacket(kArpRequest, kA, {10, 0, 0, 1}, {}, {10, 0, 0, 2}));
  Bytes reply = EthernetII(kA, kB, 0x0806, ArpPacket(kArpReply, kB, {10, 0, 0, 2}, kA, {10, 0, 0, 1}));
  trace.frames.push_back({PadFrame(arp), 0, 0, 0});
  trace.frames.push_back({PadFrame(reply), 0, 1500, 0});
  trace.frames.push_back({PadFrame(NetBiosClaim(kB, "BOB")), 0, 1200000, 0});
  TempDir dir;
  std::vector<uint8_t> image = WriteTrace(trace);
  ASSERT_FALSE(image.empty());
  auto path = dir.Write("trace.snoop", std::string(image.begin(), image.end()));

  CaptureModel model;
  TraceStatistics stats;
  DecodeEnvironment env;
  Decoder decoder(model, stats, env);
  TraceInfo info;
  info.path = path.string();
  info.kind = 15;
  info.topology = kEthernet;
  info.bandwidthMbps = 10;
  PassResult result = ProcessTraceFile(info, decoder, nullptr, false);
  ASSERT_TRUE(result.headerRead);
  EXPECT_EQ(result.framesRead, 3);
  EXPECT_EQ(decoder.FramesRead(), 3);
  EXPECT_EQ(stats.TraceStats[kStatFrames].Value, 3);
  EXPECT_EQ(stats.TraceStats[kStatBroadcast].Value, 1);
  EXPECT_EQ(stats.TraceStats[kStatMulticast].Value, 1);
  EXPECT_EQ(stats.ProtocolStats[kCatArpRarp].Frames, 2);
  EXPECT_EQ(stats.IntervalCount, 2);  // one closed by the third frame, one by the end of the pass
  EXPECT_EQ(stats.ElapsedTime, 1200000.0);
  EXPECT_EQ(model.Counts.Stations, 4);
  EXPECT_EQ(model.Counts.SendingStations, 2);
  EXPECT_EQ(LearnedName(model, kB), "BOB");
  EXPECT_EQ(decoder.ElapsedTime(), 1200000.0);
}

// Stopped part-way with the data-link stage on the reader's thread, the statistics, the
// stations and the network stage still account for the same frames.
TEST(Decoder, StoppedPassCountsTheSameFramesInEveryStage) {
  TracePlan trace;
  trace.kind = 15;
  trace.topology = kEthernet;
  const int n = 2000;
  for (int i = 0; i < n; ++i) {
    const Ip4Addr client = {10, 0, static_cast<uint8_t>(i / 250), static_cast<uint8_t>(1 + i % 250)};
    MacAddr mac = kA;
    mac[5] = static_cast<uint8_t>(i);
    trace.frames.push_back(
        {PadFrame(EthernetII(kB, mac, 0x0800, IpUdp(client, {10, 9, 9, 9}, 1024, 53, Filler(20)))), 0, 1000.0 * i, 0});
  }
  TempDir dir;
  std::vector<uint8_t> image = WriteTrace(trace);
  ASSERT_FALSE(image.empty());
  auto path = dir.Write("many.snoop", std::string(image.begin(), image.end()));
  for (auto [ahead, staged] : {std::pair{false, false}, {false, true}, {true, false}}) {
    CaptureModel model;
    TraceStatistics stats;
    Decoder decoder(model, stats, DecodeEnvironment{});
    TraceInfo info;
    info.path = path.string();
    info.kind = 15;
    info.topology = kEthernet;
    PassOptions options;
    options.readAhead = ahead;
    options.stageAhead = staged;
    PassResult result = ProcessTraceFile(
        info, decoder, [](const ReadProgress& p) { return p.frames == 300; }, options);
    ASSERT_TRUE(result.stopped);
    EXPECT_GE(result.framesRead, 300);
    if (!ahead) {
      EXPECT_EQ(result.framesRead, 300);
    }
    EXPECT_EQ(decoder.FramesRead(), result.framesRead);
    EXPECT_EQ(stats.TraceStats[kStatFrames].Value, result.framesRead);
    int64_t sent = 0;
    model.Stations.ForEach([&](const StationNode& s) { sent += s.FramesSent; });
    EXPECT_EQ(sent, result.framesRead) << ahead;
    EXPECT_EQ(model.Packets.Count(), result.framesRead) << ahead;
    EXPECT_EQ(decoder.ElapsedTime(), 1000.0 * (result.framesRead - 1)) << ahead;
  }
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "DemoTrace.h"
#include "Packets.h"
#include "TraceTestFiles.h"
#include "trace/OpenTrace.h"

namespace corvanta::testing {
namespace {

uint16_t Be16(const Bytes& b, size_t at) {
  return at + 1 < b.size() ? static_cast<uint16_t>(b[at] << 8 | b[at + 1]) : 0;
}
uint32_t Be32(const Bytes& b, size_t at) { return static_cast<uint32_t>(Be16(b, at)) << 16 | Be16(b, at + 2); }

// What the demo holds, counted from its frames.
struct Mix {
  int syn = 0, reset = 0, zeroWindow = 0, retransmissions = 0;
  int dnsAnswers = 0, echoRequests = 0, echoReplies = 0, portUnreachable = 0, arp = 0;
  int ncpRequests = 0, ncpReplies = 0, sap = 0, rip = 0, netbiosLlc = 0;
  int crcErrors = 0, runts = 0, collisionFragments = 0;
  std::set<int> encapsulations;
};

Mix Count(const std::vector<TestFrame>& frames) {
  Mix m;
  std::set<std::tuple<uint32_t, uint16_t, uint32_t>> segments;
  for (const TestFrame& f : frames) {
    const Bytes& b = f.bytes;
    bool crc = (f.status & 0x8000) != 0;
    if (b.size() < 60) {
      if (crc)
        ++m.collisionFragments;
      else
        ++m.runts;
      continue;
    }
    if (crc) ++m.crcErrors;
    uint16_t type = Be16(b, 12);
    size_t ipx = 0;
    if (type <= 1500) {
      if (Be16(b, 14) == 0xFFFF) {
        ipx = 14;
        m.encapsulations.insert(2);
      } else if (b[14] == 0xF0) {
        ++m.netbiosLlc;
        m.encapsulations.insert(1);
      }
    } else if (type == 0x8137) {
      ipx = 14;
      m.encapsulations.insert(0);
    } else if (type == 0x0806) {
      ++m.arp;
    } else if (type == 0x0800) {
      m.encapsulations.insert(0);
      size_t t = 14 + (b[14] & 0x0F) * 4u;
      uint8_t protocol = b[23];
      if (protocol == kIpTcp) {
        uint8_t flags = b[t + 13];
        if (flags & kTcpSyn) ++m.syn;
        if (flags & kTcpRst) ++m.reset;
        if (!(flags & (kTcpSyn | kTcpRst | kTcpFin)) && Be16(b, t + 14) == 0) ++m.zeroWindow;
        size_t payload = Be16(b, 16) - (t - 14) - (b[t + 12] >> 4) * 4u;
        if (payload > 0 && !segments.insert({Be32(b, 26), Be16(b, t), Be32(b, t + 4)}).second) ++m.retransmissions;
      } else if (protocol == kIpUdp) {
        if (Be16(b, t) == 53 && (Be16(b, t + 10) & 0x8000) && Be16(b, t + 14) > 0) ++m.dnsAnswers;
      } else if (protocol == kIpIcmp) {
        if (b[t] == 8) ++m.echoRequests;
        if (b[t] == 0) ++m.echoReplies;
        if (b[t] == 3 && b[t + 1] == 3) ++m.portUnreachable;
      }
    }
    if (ipx) {
      uint16_t socket = Be16(b, ipx + 16);
      uint16_t source = Be16(b, ipx + 28);
      if (socket == kSapSocket || source == kSapSocket) ++m.sap;
      if (socket == kRipSocket || source == kRipSocket) ++m.rip;
      uint16_t w = Be16(b, ipx + 30);
      if (w == 0x2222 || w == 0x1111) ++m.ncpRequests;
      if (w == 0x3333) ++m.ncpReplies;
    }
  }
  return m;
}

TEST(DemoTrace, RealisticMixOverAMinute) {
  TracePlan plan = DemoTracePlan();
  EXPECT_EQ(plan.kind, 10);
  EXPECT_EQ(plan.topology, kEthernet);
  EXPECT_EQ(plan.bandwidth, 10000000u);
  ASSERT_GT(plan.frames.size(), 500u);
  for (size_t i = 1; i < plan.frames.size(); ++i) ASSERT_LE(plan.frames[i - 1].offsetUs, plan.frames[i].offsetUs);
  EXPECT_GT(plan.frames.back().offsetUs, 50e6);
  EXPECT_LT(plan.frames.back().offsetUs, 65e6);

  Mix m = Count(plan.frames);
  EXPECT_GE(m.syn, 20);
  EXPECT_EQ(m.reset, 1);
  EXPECT_EQ(m.zeroWindow, 1);
  EXPECT_EQ(m.retransmissions, 1);
  EXPECT_GE(m.dnsAnswers, 3);
  EXPECT_GE(m.echoRequests, 4);
  EXPECT_EQ(m.echoReplies, m.echoRequests);
  EXPECT_EQ(m.portUnreachable, 1);
  EXPECT_GE(m.arp, 6);
  EXPECT_GE(m.ncpRequests, 100);
  EXPECT_EQ(m.ncpReplies, m.ncpRequests);
  EXPECT_GE(m.sap, 3);
  EXPECT_GE(m.rip, 3);
  EXPECT_GE(m.netbiosLlc, 5);
  EXPECT_GE(m.crcErrors, 2);
  EXPECT_GE(m.runts, 2);
  EXPECT_GE(m.collisionFragments, 2);
  EXPECT_EQ(m.encapsulations, (std::set<int>{0, 1, 2}));

  // The same frames on every build.
  TracePlan again = DemoTracePlan();
  ASSERT_EQ(again.frames.size(), plan.frames.size());
  EXPECT_EQ(again.frames[plan.frames.size() / 2].bytes, plan.frames[plan.frames.size() / 2].bytes);
}

TEST(DemoTrace, OpensAsAnEthernetNetXRayTrace) {
  TracePlan plan = DemoTracePlan();
  std::vector<uint8_t> image = WriteTrace(plan);
  if (image.empty()) GTEST_SKIP() << "no NetXRay writer";
  TempFile file(image, "demo.cap");
  OpenOutcome o = OpenTrace(file.path());
  ASSERT_TRUE(o.accepted) << o.refusal;
  EXPECT_EQ(o.info.kind, 10);
  EXPECT_EQ(o.info.topology, kEthernet);
  EXPECT_EQ(o.info.bandwidthMbps, 10);

  RecordingSink sink;
  PassResult r = ProcessTraceFile(o.info, sink, nullptr, false);
  ASSERT_EQ(sink.frames.size(), plan.frames.size());
  EXPECT_EQ(r.framesRead, static_cast<int32_t>(plan.frames.size()));
  for (size_t i = 0; i < plan.frames.size(); ++i) {
    const TestFrame& want = plan.frames[i];
    const RecordedFrame& got = sink.frames[i];
    ASSERT_EQ(got.length, want.bytes.size() + 4) << i;
    ASSERT_EQ(got.status & kStatusCrcError, want.status & kStatusCrcError) << i;
  }
}

}  // namespace
}  // namespace corvanta::testing

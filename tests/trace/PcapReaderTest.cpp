// libpcap and pcapng files: detection, the option that reads them, the frames libpcap hands
// over, and damaged files.
#include <gtest/gtest.h>

#include "Packets.h"
#include "ReaderHarness.h"
#include "TraceTestFiles.h"
#include "trace/Bytes.h"
#include "trace/Crc32.h"
#include "trace/OpenTrace.h"
#include "trace/TimeUtil.h"
#include "writers/PcapWriter.h"
#include "writers/SnifferFamily.h"

namespace corvanta::testing {
namespace {

const OpenOptions kPcapOn{.readPcap = true};

TracePlan PlanOf(AnalyzerKind kind, std::vector<TestFrame> frames, Topology topology = kEthernet) {
  TracePlan plan;
  plan.kind = kind;
  plan.topology = topology;
  plan.frames = std::move(frames);
  return plan;
}

OpenOutcome Open(const std::vector<uint8_t>& image, const std::string& name, const OpenOptions& options) {
  TempFile file(image, name);
  return OpenTrace(file.path(), options);
}

struct Read {
  OpenOutcome open;
  PassResult pass;
  std::vector<RecordedFrame> frames;
};

// The whole open flow with the option on, then the pass.
Read OpenAndRead(const std::vector<uint8_t>& image, const std::string& name = "t.pcap") {
  TempFile file(image, name);
  Read r;
  r.open = OpenTrace(file.path(), kPcapOn);
  if (!r.open.accepted) return r;
  RecordingSink sink;
  r.pass = ProcessTraceFile(r.open.info, sink, nullptr, false);
  r.frames = std::move(sink.frames);
  return r;
}

std::vector<TestFrame> ThreeFrames() {
  return {PatternFrame(100, 0, 1), PatternFrame(42, 1500, 2), {Filler(80, 4), 200, 250000}};
}

TEST(PcapDetection, SignaturesAndTheModifiedBoundary) {
  const std::vector<uint8_t> pcapng = WritePcapNg(PlanOf(25, ThreeFrames()), 0);
  TempFile ng(pcapng, "a.pcapng");
  EXPECT_EQ(DetectAnalyzer(ng.path()).kind, kAnalyzerPcapNg);
  std::vector<uint8_t> badOrder = pcapng;
  SetLe32(badOrder, 8, 0x12345678);
  TempFile bad(badOrder, "b.pcapng");
  EXPECT_EQ(DetectAnalyzer(bad.path()).kind, kNotATrace);

  TempFile nano(WritePcap(PlanOf(17, ThreeFrames()), {.nanoseconds = true}), "n.pcap");
  const Detection n = DetectAnalyzer(nano.path());
  EXPECT_EQ(n.kind, kAnalyzerTcpdump);
  EXPECT_TRUE(n.pcapNanoseconds);

  // The second record's captured length against the snapshot length: equal is an ordinary
  // capture cut at the snapshot length; one more is the longer-header variant.
  for (uint32_t snap : {42u, 41u}) {
    TempFile file(WritePcap(PlanOf(17, ThreeFrames()), {.snapLength = snap}), "s.pcap");
    const Detection d = DetectAnalyzer(file.path());
    EXPECT_EQ(d.kind, kAnalyzerTcpdump);
    EXPECT_EQ(d.pcapModified, snap == 41u) << snap;
    EXPECT_EQ(AnalyzerDisplayName(d.kind, kEthernet, d.pcapModified), snap == 41u ? "tcpdump (modified)" : "tcpdump");
  }
  EXPECT_EQ(AnalyzerDisplayName(kAnalyzerPcapNg, kEthernet, false), "pcapng");
}

TEST(PcapOption, OffRefusesAsBeforeOnAcceptsEthernetAndTokenRing) {
  const std::vector<uint8_t> ethernet = WritePcap(PlanOf(17, ThreeFrames()));
  const std::vector<uint8_t> swapped = WritePcap(PlanOf(17, ThreeFrames()), {.swapped = true});
  const std::vector<uint8_t> tokenRing = WritePcap(PlanOf(17, ThreeFrames(), kTokenRing));
  const std::vector<uint8_t> fddi = WritePcap(PlanOf(17, ThreeFrames()), {.linkType = 10});
  const std::vector<uint8_t> raw = WritePcap(PlanOf(17, ThreeFrames()), {.linkType = 101});
  const std::vector<uint8_t> nano = WritePcap(PlanOf(17, ThreeFrames()), {.nanoseconds = true});
  const std::vector<uint8_t> modified = WritePcap(PlanOf(17, ThreeFrames()), {.snapLength = 41});
  const std::vector<uint8_t> ng = WritePcapNg(PlanOf(25, ThreeFrames()), 0);
  const std::vector<uint8_t> ngTokenRing = WritePcapNg(PlanOf(25, ThreeFrames(), kTokenRing), 0);
  const std::vector<uint8_t> ngRaw = WritePcapNg(PlanOf(25, ThreeFrames()), 101);
  const std::string unsupported = " contains an unsupported analyzer or topology.";
  const std::string notATrace = " is osbolete, not supported, or not a trace file.";
  const std::string badInterface = " contains an unsupported interface.";
  struct Row {
    const std::vector<uint8_t>& image;
    std::string off;  // refusal with the option off
    std::string on;   // refusal with it on; empty: accepted
    Topology topology;
    uint32_t bandwidth;
  };
  const Row rows[] = {{ethernet, unsupported, "", kEthernet, 10000000},
                      {swapped, unsupported, "", kEthernet, 10000000},
                      {tokenRing, unsupported, "", kTokenRing, 16000000},
                      {fddi, badInterface, badInterface, 0, 0},
                      {raw, badInterface, badInterface, 0, 0},
                      {nano, notATrace, "", kEthernet, 10000000},
                      {modified, unsupported, unsupported, 0, 0},
                      {ng, notATrace, "", kEthernet, 10000000},
                      {ngTokenRing, notATrace, "", kTokenRing, 16000000},
                      {ngRaw, notATrace, badInterface, 0, 0}};
  int i = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(i++);
    EXPECT_EQ(Open(row.image, "t.cap", {}).refusal, "t.cap" + row.off);
    const OpenOutcome on = Open(row.image, "t.cap", kPcapOn);
    EXPECT_EQ(on.refusal, row.on.empty() ? "" : "t.cap" + row.on);
    if (row.on.empty()) {
      EXPECT_TRUE(on.accepted);
      EXPECT_EQ(on.info.topology, row.topology);
      EXPECT_EQ(on.info.bandwidth, row.bandwidth);
    }
  }
}

TEST(PcapReader, EthernetFramesAsForSnoop) {
  TracePlan plan = PlanOf(17, ThreeFrames());
  plan.frames.push_back(PatternFrame(40000, 300000, 5));  // beyond the frame buffer
  plan.frames.push_back(PatternFrame(60, 400000, 6));
  const Read r = OpenAndRead(WritePcap(plan, {.snapLength = 65535}));
  ASSERT_TRUE(r.open.accepted) << r.open.refusal;
  ASSERT_EQ(r.frames.size(), 5u);
  EXPECT_FALSE(r.pass.partial);

  // Captured whole: the check sequence is added; a short frame is first raised to 60.
  const RecordedFrame& whole = r.frames[0];
  EXPECT_EQ(whole.length, 104);
  EXPECT_EQ(whole.capturedLength, 104);
  EXPECT_EQ(ByteView(whole.data.data(), 104).U32le(100), Crc32(0, whole.data.data(), 100));
  EXPECT_EQ(r.frames[1].length, 64);
  EXPECT_EQ(r.frames[1].capturedLength, 64);
  // Sliced: the check sequence counts on the wire only; what was not captured reads as zero.
  EXPECT_EQ(r.frames[2].length, 204);
  EXPECT_EQ(r.frames[2].capturedLength, 80);
  EXPECT_EQ(Bytes(r.frames[2].data.begin() + 80, r.frames[2].data.begin() + 204), Bytes(124, 0));
  // Beyond the buffer: cut and counted as sliced, and the next frame follows.
  EXPECT_EQ(r.frames[3].length, kMaxFrameLength);
  EXPECT_EQ(r.pass.slicedCount, 2);
  EXPECT_TRUE(std::equal(plan.frames[4].bytes.begin(), plan.frames[4].bytes.end(), r.frames[4].data.begin()));

  // Times: the first frame's time of day (TZ=UTC in tests) and the start from it.
  EXPECT_DOUBLE_EQ(r.frames[0].timestamp, 12 * 3600e6);
  EXPECT_DOUBLE_EQ(r.frames[2].timestamp, 12 * 3600e6 + 250000);
  EXPECT_DOUBLE_EQ(r.pass.startTime, EncodeDate(2000, 1, 1) + 0.5);
}

TEST(PcapReader, ByteOrdersTimeResolutionsAndPcapngGiveTheSameFrames) {
  const TracePlan plan = PlanOf(17, ThreeFrames());
  const Read reference = OpenAndRead(WritePcap(plan));
  ASSERT_EQ(reference.frames.size(), 3u);
  const Read others[] = {OpenAndRead(WritePcap(plan, {.swapped = true})),
                         OpenAndRead(WritePcap(plan, {.nanoseconds = true})),
                         OpenAndRead(WritePcap(plan, {.swapped = true, .nanoseconds = true})),
                         OpenAndRead(WritePcapNg(plan, 0), "t.pcapng")};
  for (const Read& r : others) {
    ASSERT_EQ(r.frames.size(), 3u) << r.open.refusal;
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(r.frames[i].data, reference.frames[i].data);
      EXPECT_EQ(r.frames[i].length, reference.frames[i].length);
      EXPECT_DOUBLE_EQ(r.frames[i].timestamp, reference.frames[i].timestamp);
    }
  }
}

TEST(PcapReader, TokenRingFramesAreHandedOverAsStored) {
  const Read r = OpenAndRead(WritePcap(PlanOf(17, {PatternFrame(100, 0), {Filler(50), 300, 10}}, kTokenRing)));
  ASSERT_EQ(r.frames.size(), 2u);
  EXPECT_EQ(r.frames[0].length, 100);
  EXPECT_EQ(r.frames[0].capturedLength, 100);
  EXPECT_EQ(r.frames[1].length, 300);
  EXPECT_EQ(r.frames[1].capturedLength, 50);
}

// Damaged files end quietly with the frames before the damage; a pass that ends before the
// end of the file is partial.
TEST(PcapReader, DamagedFilesKeepTheFramesBefore) {
  std::vector<TestFrame> frames;
  for (int i = 0; i < 6; ++i) frames.push_back(PatternFrame(100, i * 1000.0, static_cast<uint8_t>(i)));
  const std::vector<uint8_t> pcap = WritePcap(PlanOf(17, frames));
  const std::vector<uint8_t> ng = WritePcapNg(PlanOf(25, frames), 0);
  const size_t pcapRecord = 16 + 100, third = 24 + 2 * pcapRecord;

  std::vector<uint8_t> cut(pcap.begin(), pcap.end() - 30);
  std::vector<uint8_t> hugeLength = pcap;
  SetLe32(hugeLength, third + 8, 0x7FFFFFFF);
  std::vector<uint8_t> ngCut(ng.begin(), ng.end() - 30);
  std::vector<uint8_t> ngBadBlock = ng;
  const size_t ngRecord = 12 + 20 + 100, ngThird = 28 + 20 + 2 * ngRecord;
  SetLe32(ngBadBlock, ngThird + 4, 7);  // a block length no block can have
  struct Row {
    const char* what;
    const std::vector<uint8_t>& image;
    size_t frames;
  };
  const Row rows[] = {
      {"pcap cut", cut, 5}, {"pcap length", hugeLength, 2}, {"pcapng cut", ngCut, 5}, {"pcapng block", ngBadBlock, 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Read r = OpenAndRead(row.image);
    ASSERT_TRUE(r.open.accepted) << r.open.refusal;
    EXPECT_EQ(r.frames.size(), row.frames);
    EXPECT_TRUE(r.pass.partial);
  }
  // A second interface of another link type: libpcap ends the read there.
  const Read mixed = OpenAndRead(WritePcapNg(PlanOf(25, frames), 1, 101), "m.pcapng");
  ASSERT_TRUE(mixed.open.accepted) << mixed.open.refusal;
  EXPECT_LE(mixed.frames.size(), 3u);
}

// Bytes flipped all over both formats: the open flow and the pass end quietly.
TEST(PcapReader, FlippedBytesNeverCrash) {
  std::vector<TestFrame> frames;
  for (int i = 0; i < 8; ++i) frames.push_back(PatternFrame(60 + 10 * i, i * 1000.0, static_cast<uint8_t>(i)));
  for (const std::vector<uint8_t>& good : {WritePcap(PlanOf(17, frames)), WritePcapNg(PlanOf(25, frames), 0)}) {
    for (size_t at = 0; at < good.size(); at += 7) {
      std::vector<uint8_t> bad = good;
      bad[at] ^= static_cast<uint8_t>(0x5A + at);
      const Read r = OpenAndRead(bad);
      EXPECT_LE(r.frames.size(), good.size() / 16) << at;
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

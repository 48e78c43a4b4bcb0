// Traces of the snoop, LANalyzer, LANWatch, WWG, TTC, HP, IBM and Digitech formats written
// by the test writers: each is recognised, its header accepted and every frame read through
// the whole open and processing path; damaged copies (cut short, bytes changed, fields set to
// extremes) end their pass without standing still or reading outside a buffer.
#include <gtest/gtest.h>

#include <random>

#include "Packets.h"
#include "ReaderHarness.h"
#include "trace/OpenTrace.h"

namespace corvanta::testing {
namespace {

TracePlan SamplePlan(AnalyzerKind kind) {
  TracePlan plan;
  plan.kind = kind;
  plan.frames = {{Filler(60, 1)},           {Filler(200, 2), 0, 100},   {Filler(42, 3), 0, 250, kStatusCrcError},
                 {Filler(1514, 4), 0, 900}, {Filler(90, 5), 400, 1200}, {Filler(61, 6), 0, 5000}};
  return plan;
}

// Where the damage goes: the whole file, except for Digitech whose header fields, buffer
// table and records sit in small parts of large buffers.
size_t Place(AnalyzerKind kind, size_t size, std::mt19937& rng) {
  if (kind != 2) return std::uniform_int_distribution<size_t>(0, size - 1)(rng);
  const size_t starts[] = {0, 8238, 65536};
  const size_t at = starts[std::uniform_int_distribution<size_t>(0, 2)(rng)];
  return at + std::uniform_int_distribution<size_t>(0, 255)(rng);
}

std::vector<uint8_t> Damage(AnalyzerKind kind, std::vector<uint8_t> image, std::mt19937& rng) {
  switch (std::uniform_int_distribution<int>(0, 2)(rng)) {
    case 0: image.resize(std::uniform_int_distribution<size_t>(0, image.size())(rng)); break;
    case 1:
      for (int n = std::uniform_int_distribution<int>(1, 8)(rng); n > 0; --n)
        image[Place(kind, image.size(), rng)] = static_cast<uint8_t>(rng());
      break;
    default: {
      const uint32_t extremes[] = {0, 1, 4, 0xFFFF, 0x8000, 0x7FFFFFFF, 0xFFFFFFFF, 32768, 32769, 65535};
      const size_t at = Place(kind, image.size(), rng);
      if (at + 4 <= image.size()) SetLe32(image, at, extremes[rng() % std::size(extremes)]);
      break;
    }
  }
  return image;
}

struct Written {
  AnalyzerKind kind;
  Topology topology;
  const char* name;
};

// One trace of every kind and medium these readers take, named as its analyzer names them.
const Written kWritten[] = {
    {2, kEthernet, "TRACE.DAT"},   {2, kTokenRing, "TRACE.DAT"},   {5, kEthernet, "trace.eth"},
    {5, kTokenRing, "trace.trn"},  {6, kEthernet, "trace.dgc"},    {6, kTokenRing, "trace.dgc"},
    {13, kEthernet, "trace.tr1"},  {13, kTokenRing, "trace.tr1"},  {14, kEthernet, "trace.dmp"},
    {14, kTokenRing, "trace.dmp"}, {15, kEthernet, "trace.snoop"}, {15, kTokenRing, "trace.snoop"},
    {16, kEthernet, "trace.cap"},  {16, kTokenRing, "trace.cap"},  {18, kEthernet, "trace.pkt"},
    {20, kEthernet, "trace.s04"},  {20, kTokenRing, "trace.t04"},  {21, kEthernet, "trace.an1"},
    {21, kTokenRing, "trace.an1"}, {22, kEthernet, "trace.cap"},   {22, kTokenRing, "trace.cap"},
    {23, kEthernet, "trace.cap"},  {23, kTokenRing, "trace.cap"}};

TEST(WrittenTraces, OpenAndReadThroughTheWholePath) {
  for (const Written& w : kWritten) {
    SCOPED_TRACE(std::to_string(w.kind) + " " + w.name);
    TracePlan plan = SamplePlan(w.kind);
    plan.topology = w.topology;
    TempFile file(WriteTrace(plan), w.name);
    OpenOutcome open = OpenTrace(file.path());
    ASSERT_TRUE(open.accepted) << open.refusal;
    EXPECT_EQ(open.info.kind, w.kind);
    EXPECT_EQ(open.info.topology, w.topology);
    RecordingSink sink;
    PassResult pass = ProcessTraceFile(open.info, sink, {}, false);
    EXPECT_TRUE(pass.headerRead);
    EXPECT_EQ(sink.frames.size(), plan.frames.size());
  }
}

TEST(DamagedTraces, EveryPassEndsWithinItsBuffers) {
  std::mt19937 rng(20240613);
  for (AnalyzerKind kind : {2, 5, 6, 13, 14, 15, 16, 18, 20, 21, 22, 23}) {
    SCOPED_TRACE(static_cast<int>(kind));
    const std::vector<uint8_t> image = WriteTrace(SamplePlan(kind));
    ASSERT_FALSE(image.empty());
    TraceInfo info;
    info.kind = kind;
    for (int round = 0; round < 80; ++round) {
      TempFile file(Damage(kind, image, rng));
      info.topology = round % 3 == 0 ? kTokenRing : kEthernet;
      ReadResult r = RunReader(info, file.path());
      for (const RecordedFrame& f : r.frames) {
        ASSERT_LE(f.length, kMaxFrameLength);
        ASSERT_LE(f.capturedLength, kMaxFrameLength);
      }
    }
  }
}

}  // namespace
}  // namespace corvanta::testing

#include <gtest/gtest.h>

#include <random>

#include "TraceWriter.h"
#include "trace/readers/SnifferDecompress.h"
#include "writers/SnifferWriter.h"

namespace corvanta {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Expand(const Bytes& payload, bool* ok = nullptr) {
  Bytes window;
  bool result = ExpandSnifferBlock(ByteView(payload.data(), payload.size()), window);
  if (ok) *ok = result;
  return window;
}

// A source over a byte string that remembers how much each call asked for.
struct VectorSource {
  explicit VectorSource(Bytes b) : bytes(std::move(b)) {}
  size_t operator()(uint8_t* dst, size_t count) {
    requests.push_back(count);
    size_t n = std::min(count, bytes.size() - at);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, dst);
    at += n;
    return n;
  }
  Bytes bytes;
  size_t at = 0;
  std::vector<size_t> requests;
};

Bytes ReadAll(const Bytes& compressed, size_t count, bool* ok = nullptr) {
  VectorSource source(compressed);
  SnifferDecompressor d([&source](uint8_t* dst, size_t n) { return source(dst, n); }, 0);
  Bytes out(count);
  bool result = d.Read(out.data(), count);
  if (ok) *ok = result;
  return out;
}

TEST(SnifferExpand, LiteralsAndEveryCommandKind) {
  // Control 0x0000: two literals.
  EXPECT_EQ(Expand({0x00, 0x00, 'A', 'B'}), (Bytes{'A', 'B'}));
  // c below 16: c + 3 copies of n.
  EXPECT_EQ(Expand({0x00, 0x80, 2, 'x'}), Bytes(5, 'x'));
  // c 16..31: (c & 15) + 16 n + 19 copies of the third byte.
  EXPECT_EQ(Expand({0x00, 0x80, 16 + 5, 2, 'y'}), Bytes(5 + 32 + 19, 'y'));
  // c 48 and up: c >> 4 bytes from (c & 15) + 16 n + 3 back. Three literals, then 3 from 3 back.
  EXPECT_EQ(Expand({0x00, 0x10, 'a', 'b', 'c', 0x30, 0}), (Bytes{'a', 'b', 'c', 'a', 'b', 'c'}));
  // c 32..47: m + 16 bytes from the distance. 20 literal bytes, then 16 + 1 bytes from 20 back.
  Bytes plain(20);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>('a' + i);
  Bytes payload{0x00, 0x00};
  payload.insert(payload.end(), plain.begin(), plain.begin() + 16);
  payload.insert(payload.end(), {0x00, 0x08});
  payload.insert(payload.end(), plain.begin() + 16, plain.end());
  payload.insert(payload.end(), {32 + 1, 1, 1});  // distance 1 + 16 + 3 = 20, length 17
  Bytes expected = plain;
  expected.insert(expected.end(), plain.begin(), plain.begin() + 17);
  EXPECT_EQ(Expand(payload), expected);
}

TEST(SnifferExpand, ControlBitsRunFromTheTopAndGroupsRepeat) {
  // 16 literals in the first group, then a second control word with a run.
  Bytes payload{0x00, 0x00};
  for (int i = 0; i < 16; ++i) payload.push_back(static_cast<uint8_t>(i));
  payload.insert(payload.end(), {0x00, 0x80, 0, 9});
  Bytes expected;
  for (int i = 0; i < 16; ++i) expected.push_back(static_cast<uint8_t>(i));
  expected.insert(expected.end(), 3, 9);
  EXPECT_EQ(Expand(payload), expected);
}

TEST(SnifferExpand, CorruptBlocksGiveNoOutput) {
  bool ok = true;
  // A copy reaching before the window: two literals, then 3 bytes from 3 back.
  EXPECT_TRUE(Expand({0x00, 0x20, 'a', 'b', 0x30, 0}, &ok).empty());
  EXPECT_FALSE(ok);
  // An item cut off by the end of the block.
  EXPECT_TRUE(Expand({0x00, 0x40, 'a', 16}, &ok).empty());
  EXPECT_FALSE(ok);
  EXPECT_TRUE(Expand({0x00, 0x40, 'a', 16, 1}, &ok).empty());
  EXPECT_FALSE(ok);
  // A lone byte where a control word belongs.
  EXPECT_TRUE(Expand({0x00}, &ok).empty());
  EXPECT_FALSE(ok);
  // Growth beyond the window: 16 maximal runs of 4114 bytes.
  Bytes runs{0xFF, 0xFF};
  for (int i = 0; i < 16; ++i) runs.insert(runs.end(), {31, 255, 7});
  EXPECT_TRUE(Expand(runs, &ok).empty());
  EXPECT_FALSE(ok);
  // An empty payload is an empty block, not a corrupt one.
  EXPECT_TRUE(Expand({}, &ok).empty());
  EXPECT_TRUE(ok);
}

// A copy longer than its distance moves the source range as a whole: what lies past the
// window's end reads as the unwritten (zero) part, not as the bytes being written.
TEST(SnifferExpand, OverlappingCopyMovesTheSourceAsAWhole) {
  EXPECT_EQ(Expand({0x00, 0x10, 'a', 'b', 'c', 0x50, 0}), (Bytes{'a', 'b', 'c', 'a', 'b', 'c', 0, 0}));
}

TEST(SnifferDecompressor, StoredBlockPassesBytesThrough) {
  EXPECT_EQ(ReadAll({0x05, 0x80, 1, 2, 3, 4, 5}, 5), (Bytes{1, 2, 3, 4, 5}));
}

TEST(SnifferDecompressor, RequestsSpanBlocksAndSkipEmptyAndCorruptOnes) {
  Bytes stream{0x02, 0x80, 'a', 'b'};                                        // stored
  stream.insert(stream.end(), {0x00, 0x80});                                 // empty stored block
  stream.insert(stream.end(), {0x06, 0x00, 0x00, 0x20, 'x', 'y', 0x30, 0});  // bad distance: nothing
  stream.insert(stream.end(), {0x04, 0x00, 0x00, 0x80, 1, 'c'});             // four 'c'
  bool ok = false;
  EXPECT_EQ(ReadAll(stream, 6, &ok), (Bytes{'a', 'b', 'c', 'c', 'c', 'c'}));
  EXPECT_TRUE(ok);
}

TEST(SnifferDecompressor, RunsDryQuietly) {
  bool ok = true;
  ReadAll({0x05, 0x80, 1, 2, 3}, 3, &ok);  // block promises more than the input holds
  EXPECT_FALSE(ok);
  ReadAll({0x02, 0x80, 1, 2}, 3, &ok);  // more requested than the stream holds
  EXPECT_FALSE(ok);
  ReadAll({0x02}, 1, &ok);  // half a block header
  EXPECT_FALSE(ok);
}

TEST(SnifferDecompressor, ReadsInputInChunksAndTracksItsPosition) {
  Bytes plain(30000);
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<uint8_t>(i * 7 + i / 100);
  Bytes compressed = testing::CompressSnifferBlocks(plain, 10000, true);
  VectorSource source(compressed);
  SnifferDecompressor d([&source](uint8_t* dst, size_t n) { return source(dst, n); }, 1000);
  Bytes out(plain.size());
  ASSERT_TRUE(d.Read(out.data(), 100));
  EXPECT_EQ(d.InputPosition(), 1000u + 2 + 10000);  // the first block is consumed whole
  ASSERT_TRUE(d.Read(nullptr, 100));                // skipping
  ASSERT_TRUE(d.Read(out.data() + 200, plain.size() - 200));
  EXPECT_TRUE(std::equal(out.begin() + 200, out.end(), plain.begin() + 200));
  EXPECT_EQ(d.InputPosition(), 1000u + compressed.size());
  for (size_t request : source.requests) EXPECT_EQ(request, kSnifferInputChunk);
  EXPECT_FALSE(d.Read(out.data(), 1));
}

// The writer's compressor and the decompressor agree on mixed data, with every command kind
// in use and block boundaries falling anywhere.
TEST(SnifferDecompressor, RoundTripsTheWritersCompressor) {
  std::mt19937 rng(7);
  Bytes plain;
  for (int part = 0; part < 60; ++part) {
    switch (part % 5) {
      case 0: plain.insert(plain.end(), 5 + part % 13, static_cast<uint8_t>(part)); break;   // short run
      case 1: plain.insert(plain.end(), 40 + part * 20, static_cast<uint8_t>(part)); break;  // long run
      case 2: {                                                                              // random
        for (int i = 0; i < 50 + part; ++i) plain.push_back(static_cast<uint8_t>(rng()));
        break;
      }
      case 3: {  // a repeat of recent bytes, long
        Bytes copy(plain.end() - 60, plain.end() - 10);
        plain.insert(plain.end(), copy.begin(), copy.end());
        break;
      }
      default: {  // a short repeat
        Bytes copy(plain.end() - 30, plain.end() - 24);
        plain.insert(plain.end(), copy.begin(), copy.end());
        plain.push_back(static_cast<uint8_t>(rng()));
      }
    }
  }
  for (size_t blockSize : {size_t{97}, size_t{4096}, size_t{0x7FFF}}) {
    testing::SnifferCompressionStats stats;
    Bytes compressed = testing::CompressSnifferBlocks(plain, blockSize, false, &stats);
    EXPECT_GT(stats.compressedBlocks, 0);
    if (blockSize > 97) {
      EXPECT_GT(stats.literals, 0);
      EXPECT_GT(stats.shortRuns, 0);
      EXPECT_GT(stats.longRuns, 0);
      EXPECT_GT(stats.shortCopies, 0);
      EXPECT_GT(stats.longCopies, 0);
      EXPECT_LT(compressed.size(), plain.size());
    }
    EXPECT_EQ(ReadAll(compressed, plain.size()), plain) << blockSize;
  }
}

}  // namespace
}  // namespace corvanta

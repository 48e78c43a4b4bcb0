#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "trace/LargeBlocks.h"

namespace corvanta {
namespace {

TEST(LargeBlocks, LargeOnesTakeWholeAlignedHugePages) {
  EXPECT_EQ(LargeBlockBytes(100), 100u);
  EXPECT_EQ(LargeBlockBytes(kLargeBlock - 1), kLargeBlock - 1);
  EXPECT_EQ(LargeBlockBytes(kLargeBlock), kHugePage);
  EXPECT_EQ(LargeBlockBytes(kHugePage + 1), 2 * kHugePage);
  for (size_t bytes : {size_t{64}, kLargeBlock - 1, kLargeBlock, 3 * kHugePage + 5}) {
    auto* block = static_cast<uint8_t*>(AllocateLargeBlock(bytes));
    ASSERT_NE(block, nullptr);
    if (bytes >= kLargeBlock) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % kHugePage, 0u) << bytes;
    }
    std::memset(block, 0xA5, bytes);  // the whole block is ours
    FreeLargeBlock(block, bytes);
  }
  FreeLargeBlock(nullptr, kHugePage);
}

TEST(LargeBlocks, ContainersGrowAcrossTheThreshold) {
  std::vector<int32_t, LargeBlockAllocator<int32_t>> values;
  for (int32_t i = 0; i < 1 << 20; ++i) values.push_back(i);
  int64_t sum = 0;
  for (int32_t v : values) sum += v;
  EXPECT_EQ(sum, (int64_t{1} << 20) * ((1 << 20) - 1) / 2);
  values.assign(10, 7);
  values.shrink_to_fit();
  EXPECT_EQ(values.size(), 10u);
}

// Taking pages ahead never changes a byte: written ones stay, the rest read zero; any range.
TEST(LargeBlocks, PopulatingKeepsContents) {
  const size_t bytes = 5 * 4096 + 100;
  auto* block = static_cast<uint8_t*>(AllocateZeroedBlock(bytes));
  block[4096 + 7] = 42;
  PopulateForWriting(block + 4096 + 3, 2 * 4096);
  PopulateForWriting(block + bytes - 10, 10);
  PopulateForWriting(block, 0);
  size_t nonzero = 0;
  for (size_t i = 0; i < bytes; ++i) nonzero += block[i] != 0;
  EXPECT_EQ(nonzero, 1u);
  EXPECT_EQ(block[4096 + 7], 42);
  FreeZeroedBlock(block, bytes);
}

// The background thread only fills in pages: what the owners write stays. Blocks are freed
// with their ranges still queued or under way, and a new faulter can start once one ends.
TEST(LargeBlocks, BackgroundPageFaultsLeaveContentsAlone) {
  bool active = false;
  {
    BackgroundPageFaults faults;
    active = faults.Active();
    BackgroundPageFaults second;
    EXPECT_FALSE(second.Active());
    std::vector<std::pair<uint8_t*, size_t>> kept;
    for (int round = 0; round < 6; ++round) {
      const size_t bytes = kHugePage * static_cast<size_t>(1 + round % 3) + 4096;
      auto* block = static_cast<uint8_t*>(AllocateLargeBlock(bytes));
      // Ranges anywhere in the block, on page boundaries or not.
      FaultInLater(block + 1000 * round, bytes / 2);
      FaultInLater(block + bytes / 2, bytes - bytes / 2);
      if (round % 2 == 1) {
        FreeLargeBlock(block, bytes);  // most likely still queued
        continue;
      }
      for (size_t i = 0; i < bytes; i += 997) block[i] = static_cast<uint8_t>(i / 997 + round);
      kept.emplace_back(block, bytes);
    }
    for (size_t k = 0; k < kept.size(); ++k) {
      const auto [block, bytes] = kept[k];
      const int round = static_cast<int>(2 * k);
      bool same = true;
      for (size_t i = 0; i < bytes; i += 997) same = same && block[i] == static_cast<uint8_t>(i / 997 + round);
      EXPECT_TRUE(same) << round;
      FreeLargeBlock(block, bytes);
    }
  }
  BackgroundPageFaults again;
  EXPECT_EQ(again.Active(), active);  // the first one's place is free again
  auto* block = static_cast<uint8_t*>(AllocateLargeBlock(kHugePage));
  FaultInLater(block, kHugePage);
  FreeLargeBlock(block, kHugePage);
}

}  // namespace
}  // namespace corvanta

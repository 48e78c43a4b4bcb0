#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

}  // namespace
}  // namespace corvanta

// Large blocks handed back are kept for the same size only, within the caps; small ones go.
#include <gtest/gtest.h>

#include <vector>

#include "overlay/engine/pixels/block_reserve.h"
#include "overlay/engine/pixels/dib_block.h"

namespace zt {
namespace {

namespace reserve = block_reserve;

TEST(BlockReserve, AKeptBlockServesTheSameSizeOnlyAndSmallBlocksAreNotKept) {
  reserve::Clear();
  const std::size_t big = reserve::kSmallest + 40;
  void* first = reserve::Take(big);
  ASSERT_NE(first, nullptr);
  reserve::Give(first, big);
  EXPECT_EQ(reserve::KeptBlocks(), 1u);
  EXPECT_EQ(reserve::KeptBytes(), big);
  void* other = reserve::Take(big + 3);  // another size: a new block
  EXPECT_NE(other, first);
  EXPECT_EQ(reserve::KeptBlocks(), 1u);
  EXPECT_EQ(reserve::Take(big), first);
  EXPECT_EQ(reserve::KeptBlocks(), 0u);
  reserve::Give(first, big);
  reserve::Give(other, big + 3);

  void* small = reserve::Take(reserve::kSmallest - 1);
  reserve::Give(small, reserve::kSmallest - 1);
  EXPECT_EQ(reserve::KeptBlocks(), 2u);
  reserve::Clear();
  EXPECT_EQ(reserve::KeptBlocks(), 0u);
  EXPECT_EQ(reserve::KeptBytes(), 0u);
}

TEST(BlockReserve, BeyondItsCapsTheOldestKeptBlocksGo) {
  reserve::Clear();
  const std::size_t size = reserve::kSmallest;
  std::vector<void*> blocks;
  for (std::size_t i = 0; i < reserve::kMostBlocks + 3; ++i) blocks.push_back(reserve::Take(size + i));
  for (std::size_t i = 0; i < blocks.size(); ++i) reserve::Give(blocks[i], size + i);
  EXPECT_EQ(reserve::KeptBlocks(), reserve::kMostBlocks);
  // The newest are kept: the sizes of the first three are gone.
  void* oldest = reserve::Take(size);
  EXPECT_EQ(reserve::KeptBlocks(), reserve::kMostBlocks);
  void* newest = reserve::Take(size + blocks.size() - 1);
  EXPECT_EQ(newest, blocks.back());
  reserve::Give(newest, size + blocks.size() - 1);
  reserve::Give(oldest, size);
  reserve::Clear();

  // A block as large as all that may be kept is freed at once.
  void* huge = reserve::Take(reserve::kMostBytes + 1);
  ASSERT_NE(huge, nullptr);
  reserve::Give(huge, reserve::kMostBytes + 1);
  EXPECT_EQ(reserve::KeptBlocks(), 0u);
}

TEST(BlockReserve, AnImageOfTheSameSizeReusesTheBlockOfTheOneBeforeWithAFreshHeader) {
  reserve::Clear();
  DibPtr first = DibBlock::Allocate(640, 480);
  first->Header().biXPelsPerMeter = 1234;
  const void* memory = first.get();
  first.reset();
  EXPECT_EQ(reserve::KeptBlocks(), 1u);
  DibPtr second = DibBlock::Allocate(640, 480);
  EXPECT_EQ(static_cast<const void*>(second.get()), memory);
  EXPECT_EQ(second->Header().biXPelsPerMeter, 0);
  EXPECT_EQ(second->Width(), 640);
  second.reset();
  DibPtr turned = DibBlock::Allocate(480, 640);  // the same bytes in another shape
  EXPECT_EQ(static_cast<const void*>(turned.get()), memory);
  EXPECT_EQ(turned->Width(), 480);
  EXPECT_EQ(turned->Height(), 640);
  turned.reset();
  reserve::Clear();
}

}  // namespace
}  // namespace zt

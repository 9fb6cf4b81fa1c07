// Every vector level's pixel loops against the plain ones, byte for byte, on the levels this
// processor has: odd lengths, the extremes of the byte range, and data that ends exactly where
// its memory ends (AddressSanitizer reports any read or write beyond it).
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "overlay/engine/pixels/compose.h"
#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/scan_image.h"
#include "overlay/engine/pixels/vector_level.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

std::vector<VectorLevel> LevelsHere() {
  std::vector<VectorLevel> levels = {VectorLevel::kPlain};
  if (ProcessorLevel() >= VectorLevel::kSsse3) levels.push_back(VectorLevel::kSsse3);
  return levels;
}

std::vector<std::uint8_t> Bytes(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned r = random();
    // A third of the bytes at the ends of the range, where sums and rounding overflow first.
    bytes[i] = static_cast<std::uint8_t>(r % 3 == 0 ? (r & 8 ? 255 : 0) : r >> 8);
  }
  return bytes;
}

TEST(PixelKernels, EveryLevelHalvesLikeThePlainLoop) {
  for (const VectorLevel level : LevelsHere()) {
    const PixelKernels& kernels = KernelsAt(level);
    for (std::size_t pixels = 0; pixels <= 41; ++pixels) {
      const std::size_t n = 3 * pixels;
      // Each row and the target in a block of its own that ends where the data ends.
      const std::vector<std::uint8_t> a = Bytes(2 * n, static_cast<unsigned>(pixels));
      const std::vector<std::uint8_t> b = Bytes(2 * n, static_cast<unsigned>(pixels + 100));
      std::vector<std::uint8_t> expected(n), got(n);
      HalvePairsPlain(a.data(), b.data(), n, expected.data());
      kernels.halvePairs(a.data(), b.data(), n, got.data());
      ASSERT_EQ(got, expected) << VectorLevelName(level) << ", " << pixels << " pixels";
    }
    // The plain loop itself is the rounded mean of each 2 x 2 block.
    const std::uint8_t a[6] = {255, 0, 1, 255, 0, 2}, b[6] = {255, 0, 2, 254, 1, 2};
    std::uint8_t mean[3];
    kernels.halvePairs(a, b, 3, mean);
    EXPECT_EQ(mean[0], 255);  // (255 + 255 + 255 + 254 + 2) / 4
    EXPECT_EQ(mean[1], 0);    // (0 + 0 + 0 + 1 + 2) / 4
    EXPECT_EQ(mean[2], 2);    // (1 + 2 + 2 + 2 + 2) / 4
  }
}

TEST(PixelKernels, EveryLevelTurnsBlocksLikeThePlainLoop) {
  for (const VectorLevel level : LevelsHere()) {
    const PixelKernels& kernels = KernelsAt(level);
    for (const int blocks : {1, 2, 7}) {
      // Source rows of 12 bytes a block, stored upwards (down is negative) so that the first
      // block's first row ends the memory; target rows likewise, padded to 40 bytes.
      const std::ptrdiff_t sourceRow = 12, targetRow = 12 * blocks + 4;
      const std::vector<std::uint8_t> source =
          Bytes(static_cast<std::size_t>(4 * blocks * sourceRow), 7u + blocks);
      const std::size_t targetBytes = static_cast<std::size_t>(4 * targetRow);
      std::vector<std::uint8_t> expected(targetBytes, 0xAA), got(targetBytes, 0xAA);
      const std::uint8_t* top = source.data() + source.size() - sourceRow;
      TurnBlocksPlain(top, -sourceRow, expected.data() + targetBytes - targetRow, -targetRow, blocks);
      kernels.turnBlocks(top, -sourceRow, got.data() + targetBytes - targetRow, -targetRow, blocks);
      ASSERT_EQ(got, expected) << VectorLevelName(level) << ", " << blocks << " blocks";
      // Target row k holds pixel 3 - k of each source row; the padding is untouched.
      const std::uint8_t* firstTargetRow = expected.data() + targetBytes - targetRow;
      for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 4; ++i)
          ASSERT_EQ(
              0, std::memcmp(firstTargetRow - k * targetRow + 3 * i, top - i * sourceRow + 3 * (3 - k), 3));
      EXPECT_EQ(expected[targetBytes - 1], 0xAA);
    }
  }
}

TEST(PixelKernels, EveryLevelResamplesGroupsOfTargetsLikeThePlainLoop) {
  // Enlarging by little and by much, an axis whose last groups would read past the row, and a
  // slight shrink that still has two taps (its groups end where their taps spread too far).
  for (const auto& [from, to] : {std::pair{5, 7}, std::pair{17, 40}, std::pair{1920, 2400},
                                 std::pair{100, 101}, std::pair{6, 31}, std::pair{10, 9}, std::pair{3, 3}}) {
    const AxisTaps xs = BuildAxis(from, to);
    const AcrossGroups plan = PlanAcrossGroups(xs, from);
    if (xs.taps != 2) {
      EXPECT_EQ(plan.groups, 0) << from << " to " << to;
      continue;
    }
    // A row shorter than one load has no group.
    EXPECT_EQ(plan.groups > 0, from >= 6) << from << " to " << to;
    for (std::int32_t g = 0; g < plan.groups; ++g)
      ASSERT_LE(3 * plan.first[g] + 16, 3 * from) << "a group's load leaves the row";
    // The row ends where its memory ends.
    const std::vector<std::uint8_t> row =
        Bytes(3 * static_cast<std::size_t>(from), static_cast<unsigned>(to));
    std::vector<RowSum> expected(3 * static_cast<std::size_t>(to));
    Across(row.data(), 0, xs, 0, to, expected.data());
    expected.resize(3 * static_cast<std::size_t>(plan.groups) * AcrossGroups::kTargets);
    for (const VectorLevel level : LevelsHere()) {
      std::vector<RowSum> got(expected.size());
      KernelsAt(level).acrossGroups(row.data(), xs, plan, got.data());
      ASSERT_EQ(got, expected) << VectorLevelName(level) << ", " << from << " to " << to;
    }
  }
}

TEST(PixelKernels, EveryLevelLaysInkLikeThePlainLoop) {
  for (const VectorLevel level : LevelsHere()) {
    const PixelKernels& kernels = KernelsAt(level);
    for (std::size_t pixels = 0; pixels <= 41; ++pixels) {
      const std::size_t n = 3 * pixels;
      // Source bytes around the ink threshold of 200; both rows end where their memory ends.
      std::vector<std::uint8_t> src = Bytes(n, static_cast<unsigned>(pixels + 7));
      for (std::size_t i = 0; i < n; ++i)
        src[i] = static_cast<std::uint8_t>(src[i] % 3 == 0 ? 199 : 200 + src[i] % 56);
      const std::vector<std::uint8_t> dst = Bytes(n, static_cast<unsigned>(pixels + 300));
      std::vector<std::uint8_t> expected = dst, got = dst;
      LayInkPlain(src.data(), expected.data(), n);
      kernels.layInk(src.data(), got.data(), n);
      ASSERT_EQ(got, expected) << VectorLevelName(level) << ", " << pixels << " pixels";
    }
    // A pixel with one byte below 200 is ink and goes over whole; one with all at 200 or more
    // leaves the target's pixel as it was.
    const std::uint8_t src[15] = {200, 200, 200, 255, 199, 255, 0, 0, 0, 255, 255, 200, 210, 220, 180};
    std::uint8_t dst[15] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    kernels.layInk(src, dst, 15);
    const std::uint8_t laid[15] = {1, 2, 3, 255, 199, 255, 0, 0, 0, 10, 11, 12, 210, 220, 180};
    EXPECT_EQ(0, std::memcmp(dst, laid, 15)) << VectorLevelName(level);
  }
}

TEST(PixelKernels, EveryLevelBlendsRowsLikeThePlainLoop) {
  for (const VectorLevel level : LevelsHere()) {
    const PixelKernels& kernels = KernelsAt(level);
    for (const auto& [wa, wb] : {std::pair{256, 0}, std::pair{0, 256}, std::pair{128, 128}, std::pair{1, 255},
                                 std::pair{255, 1}, std::pair{77, 179}, std::pair{100, 100}}) {
      for (std::size_t n = 0; n <= 37; ++n) {
        // Row sums of bytes weighted across, up to 255 * kOne, a third at the ends of the range.
        const std::vector<std::uint8_t> bytes = Bytes(2 * n, static_cast<unsigned>(n * 31 + wa));
        std::vector<RowSum> a(n), b(n);
        for (std::size_t i = 0; i < n; ++i) {
          a[i] = static_cast<RowSum>(bytes[i] * kOne + (bytes[i] == 255 ? 0 : bytes[n + i] % kOne));
          b[i] = static_cast<RowSum>(bytes[n + i] * kOne);
        }
        std::vector<std::uint8_t> expected(n), got(n);
        BlendRowsPlain(a.data(), static_cast<Weight>(wa), b.data(), static_cast<Weight>(wb), n,
                       expected.data());
        kernels.blendRows(a.data(), static_cast<Weight>(wa), b.data(), static_cast<Weight>(wb), n,
                          got.data());
        ASSERT_EQ(got, expected) << VectorLevelName(level) << ", " << wa << "/" << wb << ", " << n
                                 << " bytes";
      }
    }
    // The plain loop rounds the weighted mean: (255 * 256 * 100 + 0 + 2^15) >> 16 = 100.
    const RowSum full = 255 * kOne, none = 0;
    std::uint8_t mean = 0;
    kernels.blendRows(&full, 100, &none, 156, 1, &mean);
    EXPECT_EQ(mean, 100);
  }
}

TEST(PixelKernels, EnlargedImagesAreTheSameAtEveryLevel) {
  const DibPtr image = test::MakeImage(61, 37, [](int x, int y) {
    return test::Bgr{static_cast<std::uint8_t>(x * 29 + y), static_cast<std::uint8_t>(255 - x * y),
                     static_cast<std::uint8_t>(y * 5 + (x & 1) * 250)};
  });
  for (const auto& [tw, th] : {std::pair{77, 50}, std::pair{240, 37}, std::pair{60, 90}}) {
    SetVectorLevel(VectorLevel::kPlain);
    const DibPtr plain = ResampleRegion(ViewOf(*image), Region{1, 0, 61, 37}, tw, th);
    for (const VectorLevel level : LevelsHere()) {
      SetVectorLevel(level);
      const DibPtr got = ResampleRegion(ViewOf(*image), Region{1, 0, 61, 37}, tw, th);
      ASSERT_TRUE(plain && got);
      EXPECT_EQ(0, std::memcmp(got->Pixels(), plain->Pixels(), plain->PixelBytes()))
          << VectorLevelName(level) << " " << tw << "x" << th;
    }
    SetVectorLevel(ProcessorLevel());
  }
}

TEST(PixelKernels, TheLevelInUseIsTheProcessorsUnlessLoweredAndNeverAboveIt) {
  EXPECT_EQ(ActiveLevel(), ProcessorLevel());
  SetVectorLevel(VectorLevel::kPlain);
  EXPECT_EQ(ActiveLevel(), VectorLevel::kPlain);
  EXPECT_EQ(&Kernels(), &KernelsAt(VectorLevel::kPlain));
  SetVectorLevel(VectorLevel::kSsse3);
  EXPECT_EQ(ActiveLevel(), ProcessorLevel());
}

TEST(PixelKernels, TheTurnedScanIsTheSameAtEveryLevel) {
  // Odd and even sides, rows whose ends fall inside and outside whole blocks and cells.
  for (const auto& [w, h] : {std::pair{97, 67}, std::pair{64, 130}, std::pair{35, 9}, std::pair{258, 66}}) {
    const DibPtr image = test::MakeImage(w, h, [](int x, int y) {
      return test::Bgr{static_cast<std::uint8_t>(x * 13 + y), static_cast<std::uint8_t>(190 + (x ^ y) % 66),
                       static_cast<std::uint8_t>(y * 7)};
    });
    SetVectorLevel(VectorLevel::kPlain);
    TurnedScan plain;
    ASSERT_TRUE(TurnScan(ViewOf(*image), plain));
    for (const VectorLevel level : LevelsHere()) {
      SetVectorLevel(level);
      TurnedScan turned;
      ASSERT_TRUE(TurnScan(ViewOf(*image), turned));
      EXPECT_EQ(0, std::memcmp(turned.scan->Pixels(), plain.scan->Pixels(), plain.scan->PixelBytes()))
          << VectorLevelName(level) << " " << w << "x" << h;
      EXPECT_EQ(0, std::memcmp(turned.half->Pixels(), plain.half->Pixels(), plain.half->PixelBytes()));
      EXPECT_EQ(0, std::memcmp(turned.mask->Pixels(), plain.mask->Pixels(), plain.mask->PixelBytes()));
      EXPECT_EQ(turned.ink.flags, plain.ink.flags);
    }
    SetVectorLevel(ProcessorLevel());
  }
}

TEST(PixelKernels, TheOverlayIsTheSameAtEveryLevel) {
  // Ink strokes of bytes just either side of the threshold on a light, uneven background.
  const DibPtr scan = test::MakeImage(133, 97, [](int x, int y) {
    const bool ink = (x + 2 * y) % 37 < 3 || (x * y) % 101 == 0;
    const auto v = static_cast<std::uint8_t>(200 + (x ^ y) % 56);
    return ink ? test::Bgr{static_cast<std::uint8_t>(199 - x % 3), v, v} : test::Bgr{v, 255, 200};
  });
  const DibPtr screen = test::MakeImage(101, 71, [](int x, int y) {
    return test::Bgr{static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 3),
                     static_cast<std::uint8_t>(x ^ y)};
  });
  const InkCells ink = FindInkCells(*scan);
  struct Case {
    std::int32_t size;
    Region screenRegion, scanRegion;
  };
  // Shrinking and enlarging, at PC size and at board size, with edges off the cell columns.
  for (const Case& c : {Case{kSaveImagePcSize, {3, 2, 98, 70}, {5, 1, 130, 95}},
                        Case{kSaveImagePcSize, {0, 0, 101, 71}, {17, 9, 60, 40}},
                        Case{kSaveImageBoardSize, {1, 1, 100, 60}, {7, 3, 120, 90}},
                        Case{kSaveImageBoardSize, {0, 0, 101, 71}, {30, 20, 70, 50}}}) {
    SetVectorLevel(VectorLevel::kPlain);
    DibPtr plain;
    ASSERT_TRUE(ComposeOverlay(*screen, *scan, ink, c.size, c.screenRegion, c.scanRegion, plain));
    for (const VectorLevel level : LevelsHere()) {
      SetVectorLevel(level);
      DibPtr got;
      ASSERT_TRUE(ComposeOverlay(*screen, *scan, ink, c.size, c.screenRegion, c.scanRegion, got));
      EXPECT_EQ(test::PackedBytes(*got), test::PackedBytes(*plain))
          << VectorLevelName(level) << ", size " << c.size << ", scan region from x " << c.scanRegion.left;
    }
    SetVectorLevel(ProcessorLevel());
  }
}

}  // namespace
}  // namespace zt

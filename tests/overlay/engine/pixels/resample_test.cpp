// The area-averaging resampler and the three ways the engine uses it.
#include <gtest/gtest.h>

#include <vector>

#include "overlay/engine/pixels/resample.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;

TEST(Resample, HalvingAveragesEachTwoByTwoBlock) {
  DibPtr source = test::MakeImage(4, 2, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(10 * x + 100 * y), static_cast<std::uint8_t>(x == 0 ? 255 : 0), 1};
  });
  DibPtr half = HalveImage(*source);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->Width(), 2);
  EXPECT_EQ(half->Height(), 1);
  // (0 + 10 + 100 + 110) / 4 = 55; green (255 + 0 + 255 + 0) / 4 = 127.5 rounds up; red stays 1.
  EXPECT_EQ(test::PixelAt(*half, 0, 0), (Bgr{55, 128, 1}));
  EXPECT_EQ(test::PixelAt(*half, 1, 0), (Bgr{75, 0, 1}));
}

TEST(Resample, OddSizesHalveByIntegerDivisionAndKeepFlatColour) {
  const Bgr grey{123, 45, 210};
  DibPtr scan = test::Filled(1001, 751, grey);
  DibPtr half = HalveImage(*scan);
  ASSERT_TRUE(half);
  EXPECT_EQ(half->Width(), 500);
  EXPECT_EQ(half->Height(), 375);
  for (int y : {0, 187, 374})
    for (int x : {0, 250, 499}) ASSERT_EQ(test::PixelAt(*half, x, y), grey);
  // One pixel wide or high has no half.
  EXPECT_FALSE(HalveImage(*test::Filled(1, 8, grey)));
}

TEST(Resample, ThirdsWeighSharedPixelsByTheirCoveredArea) {
  // 3 -> 2 across: target 0 covers source 0 and half of 1; target 1 the other half and 2.
  DibPtr source = test::MakeImage(3, 1, [](int x, int) {
    const std::uint8_t v[] = {0, 120, 240};
    return Bgr{v[x], v[x], v[x]};
  });
  DibPtr out;
  ASSERT_TRUE(StretchRegion(*source, 2, 1, Region{0, 0, 3, 1}, out));
  EXPECT_EQ(test::PixelAt(*out, 0, 0).b, 40);   // (0 * 2 + 120) / 3
  EXPECT_EQ(test::PixelAt(*out, 1, 0).b, 200);  // (120 + 240 * 2) / 3
}

TEST(Resample, EnlargingRepeatsPixelsWhollyInside) {
  DibPtr source = test::MakeImage(2, 2, test::Coded);
  DibPtr out;
  ASSERT_TRUE(StretchRegion(*source, 4, 4, Region{0, 0, 2, 2}, out));
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) ASSERT_EQ(test::PixelAt(*out, x, y), test::Coded(x / 2, y / 2));
}

TEST(StretchRegion, TakesTheRegionFromTopDownCoordinates) {
  DibPtr source = test::MakeImage(6, 5, test::Coded);
  DibPtr out;
  // Rows 1 and 2 (top-down), columns 3 to 5: copied 1:1.
  ASSERT_TRUE(StretchRegion(*source, 3, 2, Region{3, 1, 6, 3}, out));
  EXPECT_EQ(out->Width(), 3);
  EXPECT_EQ(out->Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) ASSERT_EQ(test::PixelAt(*out, x, y), test::Coded(x + 3, y + 1));

  EXPECT_FALSE(StretchRegion(*source, 3, 2, Region{3, 1, 3, 3}, out));  // empty region
  EXPECT_FALSE(out);
  EXPECT_FALSE(StretchRegion(*source, 3, 2, Region{3, 1, 7, 3}, out));  // outside the source
  EXPECT_FALSE(StretchRegion(*source, 0, 2, Region{0, 0, 6, 5}, out));  // no target size
}

TEST(ScaleByPercent, SizeIsPercentOfEachSideTruncated) {
  DibPtr screen = test::Filled(1366, 767, test::kWhite);
  DibPtr half;
  ASSERT_TRUE(ScaleByPercent(1366, 767, *screen, 50, half));
  EXPECT_EQ(half->Width(), 683);
  EXPECT_EQ(half->Height(), 383);
  DibPtr out;
  EXPECT_FALSE(ScaleByPercent(1366, 767, *screen, 0, out));
  EXPECT_FALSE(ScaleByPercent(1, 1, *test::Filled(1, 1, test::kWhite), 50, out));
}

// Each target pixel summed straight from its covered source area, one pixel at a time: the
// fast row paths (fixed tap counts, shared rows, many rows a target) must give the same bytes.
std::vector<std::vector<std::pair<int, std::int64_t>>> Coverage(std::int64_t source, std::int64_t target) {
  std::vector<std::vector<std::pair<int, std::int64_t>>> taps(static_cast<std::size_t>(target));
  for (std::int64_t t = 0; t < target; ++t) {
    std::int64_t covered = 0, given = 0;
    for (std::int64_t s = 0; s < source; ++s) {
      const std::int64_t lo = std::max(s * target, t * source),
                         hi = std::min((s + 1) * target, (t + 1) * source);
      if (hi <= lo) continue;
      covered += hi - lo;
      const std::int64_t total = (covered * 256 + source / 2) / source;
      taps[t].push_back({static_cast<int>(s), total - given});
      given = total;
    }
  }
  return taps;
}

TEST(Resample, EverySizeMatchesThePixelByPixelAreaSum) {
  DibPtr source = test::MakeImage(23, 17, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x * 11 + y * 3), static_cast<std::uint8_t>(x * y * 7),
               static_cast<std::uint8_t>(255 - y * 13)};
  });
  const Region region{2, 1, 21, 16};
  for (const auto& size : {std::pair{5, 4}, std::pair{19, 15}, std::pair{14, 9}, std::pair{3, 40},
                           std::pair{40, 3}, std::pair{31, 22}, std::pair{1, 1}}) {
    DibPtr out;
    ASSERT_TRUE(StretchRegion(*source, size.first, size.second, region, out));
    const auto xs = Coverage(region.Width(), size.first), ys = Coverage(region.Height(), size.second);
    for (int ty = 0; ty < size.second; ++ty)
      for (int tx = 0; tx < size.first; ++tx) {
        std::int64_t sum[3] = {0, 0, 0};
        for (const auto& [sy, wy] : ys[ty])
          for (const auto& [sx, wx] : xs[tx]) {
            const Bgr p = test::PixelAt(*source, region.left + sx, region.top + sy);
            sum[0] += p.b * wx * wy;
            sum[1] += p.g * wx * wy;
            sum[2] += p.r * wx * wy;
          }
        const Bgr expected{static_cast<std::uint8_t>((sum[0] + (1 << 15)) >> 16),
                           static_cast<std::uint8_t>((sum[1] + (1 << 15)) >> 16),
                           static_cast<std::uint8_t>((sum[2] + (1 << 15)) >> 16)};
        ASSERT_EQ(test::PixelAt(*out, tx, ty), expected)
            << size.first << "x" << size.second << " at " << tx << "," << ty;
      }
  }
}

}  // namespace
}  // namespace zt

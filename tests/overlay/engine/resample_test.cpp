// The area-averaging resampler and the three ways the engine uses it.
#include <gtest/gtest.h>

#include "overlay/engine/resample.h"
#include "test_images.h"

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

}  // namespace
}  // namespace zt

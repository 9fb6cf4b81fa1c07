// Laying stretched ink resamples only around ink; what it lays must be exactly what stretching
// the whole region and testing every pixel gives.
#include <gtest/gtest.h>

#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/scan_image.h"
#include "overlay/engine/pixels/stretched_ink.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;

// Near-white paper with a little ink: single pixels at the first and last columns of 16-pixel
// cells (counted from column 0 and from column 5) with clean cells beside them, a short stroke
// and a pale grey that is ink in one channel only.
Bgr Paper(int x, int y) {
  if ((x == 15 || x == 32) && y % 7 == 3) return test::kInk;
  if ((x == 37 || x == 52) && y % 11 == 5) return test::kInk;
  if (x >= 60 && x < 64 && y >= 20 && y < 26) return Bgr{20, 30, 40};
  if (x == 90 && y == 41) return Bgr{255, 255, 199};
  return Bgr{static_cast<std::uint8_t>(200 + (x * 7 + y) % 56), 250, static_cast<std::uint8_t>(230 + y % 20)};
}

TEST(LayStretchedInk, LaysWhatTheWholeStretchWouldLay) {
  DibPtr scan = test::MakeImage(97, 53, Paper);
  const Bgr screenColour{10, 120, 60};
  for (const Region from : {Region{0, 0, 97, 53}, Region{5, 2, 91, 50}, Region{16, 3, 17, 52}}) {
    // Shrinking by less and more than a third, enlarging, one pixel, and mixed directions.
    for (const auto& [tw, th] : {std::pair{70, 40}, std::pair{19, 11}, std::pair{150, 90}, std::pair{1, 1},
                                 std::pair{130, 17}, std::pair{33, 101}}) {
      const Region at{3, 2, 3 + tw, 2 + th};
      DibPtr laid = test::Filled(tw + 5, th + 4, screenColour);
      ASSERT_TRUE(LayStretchedInk(ViewOf(*scan), FindInkCells(*scan), from, *laid, at));
      DibPtr stretched;
      ASSERT_TRUE(StretchRegion(*scan, tw, th, from, stretched));
      for (int y = 0; y < th + 4; ++y)
        for (int x = 0; x < tw + 5; ++x) {
          Bgr expected = screenColour;
          if (x >= at.left && x < at.right && y >= at.top && y < at.bottom) {
            const Bgr s = test::PixelAt(*stretched, x - at.left, y - at.top);
            const std::uint8_t bytes[3] = {s.b, s.g, s.r};
            if (IsInk(bytes)) expected = s;
          }
          ASSERT_EQ(test::PixelAt(*laid, x, y), expected) << "from " << from.left << "," << from.top << " to "
                                                          << tw << "x" << th << " at " << x << "," << y;
        }
    }
  }
}

TEST(LayStretchedInk, RefusesRegionsOutsideTheirImages) {
  DibPtr scan = test::Filled(20, 10, test::kInk);
  DibPtr target = test::Filled(10, 10, test::kWhite);
  EXPECT_FALSE(
      LayStretchedInk(ViewOf(*scan), FindInkCells(*scan), Region{0, 0, 21, 10}, *target, Region{0, 0, 5, 5}));
  EXPECT_FALSE(LayStretchedInk(ViewOf(*scan), FindInkCells(*scan), Region{0, 0, 20, 10}, *target,
                               Region{6, 0, 11, 5}));
  EXPECT_FALSE(
      LayStretchedInk(ViewOf(*scan), FindInkCells(*scan), Region{4, 0, 4, 10}, *target, Region{0, 0, 5, 5}));
  EXPECT_FALSE(
      LayStretchedInk(ViewOf(*scan), FindInkCells(*scan), Region{0, 0, 20, 10}, *target, Region{0, 3, 5, 3}));
  EXPECT_EQ(test::PixelAt(*target, 0, 0), test::kWhite);
}

}  // namespace
}  // namespace zt

// Where the scan lies on the screen.
#include <gtest/gtest.h>

#include "overlay/engine/pixels/region.h"

namespace zt {
namespace {

// A placement's values in order: the screen's width and height, the scan's, the zooms, x and y.
Placement Screen1920Scan2400(std::int32_t x = 0, std::int32_t y = 0, std::int32_t wz = 100,
                             std::int32_t hz = 100) {
  return {1920, 1080, 2400, 1700, wz, hz, x, y};
}

TEST(ClampInt, ArgumentOrderIsHighLowValue) {
  EXPECT_EQ(ClampInt(10, 0, 11), 10);
  EXPECT_EQ(ClampInt(10, 0, -1), 0);
  EXPECT_EQ(ClampInt(10, 0, 7), 7);
  EXPECT_EQ(ClampInt(10, 0, 0x7FFFFFFFLL * 4), 10);
}

TEST(ComputeRegions, AtOriginTheScanIsScreenHighAndScaledAlike) {
  Region screen, scan;
  ASSERT_TRUE(ComputeRegions(Screen1920Scan2400(), screen, scan));
  // fw = 2400 * 100 * 1080 / (1700 * 100) = 1524, fh = 1080.
  EXPECT_EQ(screen, (Region{0, 0, 1524, 1080}));
  EXPECT_EQ(scan, (Region{0, 0, 2400, 1700}));
}

TEST(ComputeRegions, OffsetsCropTheScanOrMissTheScreen) {
  Region screen, scan;
  // Negative x crops the scan's left part: (100 * 1700 * 100) / (100 * 1080) = 157.
  ASSERT_TRUE(ComputeRegions(Screen1920Scan2400(-100, 0), screen, scan));
  EXPECT_EQ(screen, (Region{0, 0, 1424, 1080}));
  EXPECT_EQ(scan.left, 157);
  EXPECT_EQ(scan.right, 2400);
  // Right and below: the scan reaches beyond the screen, its far part is cut.
  ASSERT_TRUE(ComputeRegions(Screen1920Scan2400(800, 500), screen, scan));
  EXPECT_EQ(screen, (Region{800, 500, 1920, 1080}));
  EXPECT_EQ(scan, (Region{0, 0, (1120 * 170000) / 108000, (580 * 170000) / 108000}));
  // Entirely to the right: an empty screen region.
  ASSERT_TRUE(ComputeRegions(Screen1920Scan2400(1920, 0), screen, scan));
  EXPECT_TRUE(screen.Empty());
  EXPECT_EQ(scan.Width(), 0);
}

TEST(ComputeRegions, LargeProductsDoNotOverflow) {
  // cw * wz * sh = 3.24e10 and (sw - x) * ch * 100 = 7.48e9 are beyond 32 bits.
  const Placement p{3840, 2160, 30000, 20000, 500, 500, 100, -1000};
  Region screen, scan;
  ASSERT_TRUE(ComputeRegions(p, screen, scan));
  EXPECT_EQ(screen, (Region{100, 0, 3840, 2160}));  // fw = 16200, fh = 10800
  EXPECT_EQ(scan.left, 0);
  EXPECT_EQ(scan.right, 6925);  // 3740 * 2000000 / 1080000
  EXPECT_EQ(scan.top, 1851);    // 1000 * 2000000 / 1080000
  EXPECT_EQ(scan.bottom, 5851);
}

TEST(ComputeRegions, ValuesWithoutAPlacementFail) {
  Region screen, scan;
  EXPECT_FALSE(ComputeRegions(Screen1920Scan2400(0, 0, 0, 100), screen, scan));
  EXPECT_FALSE(ComputeRegions(Screen1920Scan2400(0, 0, 100, 0), screen, scan));
  EXPECT_FALSE(ComputeRegions(Screen1920Scan2400(0, 0, -5, 100), screen, scan));
  Placement zeroHeight = Screen1920Scan2400();
  zeroHeight.scanHeight = 0;
  EXPECT_FALSE(ComputeRegions(zeroHeight, screen, scan));
  Placement noScreen = Screen1920Scan2400();
  noScreen.screenHeight = 0;
  EXPECT_FALSE(ComputeRegions(noScreen, screen, scan));
}

}  // namespace
}  // namespace zt

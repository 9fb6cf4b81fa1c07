// The overlaid image in both sizes.
#include <gtest/gtest.h>

#include "overlay/engine/pixels/compose.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;

const Bgr kScreenColour{90, 160, 40};

// A 4 x 4 scan with an ink column at x = 1 and an ink pixel at (3, 3) on white.
DibPtr InkedScan() {
  return test::MakeImage(
      4, 4, [](int x, int y) { return x == 1 || (x == 3 && y == 3) ? test::kInk : test::kWhite; });
}

TEST(ComposeOverlay, PcSizeLaysStretchedInkOverTheScreenshot) {
  DibPtr screen = test::MakeImage(10, 8, [](int x, int y) {
    return Bgr{static_cast<std::uint8_t>(x), 0, static_cast<std::uint8_t>(y)};
  });
  DibPtr scan = InkedScan();
  DibPtr out;
  // The top three rows of the scan, twice as wide, at (2, 1) on the screen.
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{2, 1, 10, 8},
                             Region{0, 0, 4, 3}, out));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Width(), 10);
  EXPECT_EQ(out->Height(), 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && y >= 1 && y < 8;
      // Scan column 1 maps to screen columns 4 and 5 (twice as wide); scan row 3 is cut off.
      const bool ink = inside && (x == 4 || x == 5);
      const Bgr expected = ink ? test::kInk : test::PixelAt(*screen, x, y);
      ASSERT_EQ(test::PixelAt(*out, x, y), expected) << x << "," << y;
    }

  // A covered area with screen rows above and below it: rows outside it are the screenshot's.
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{2, 2, 10, 6},
                             Region{0, 0, 4, 3}, out));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool ink = y >= 2 && y < 6 && (x == 4 || x == 5);
      ASSERT_EQ(test::PixelAt(*out, x, y), ink ? test::kInk : test::PixelAt(*screen, x, y)) << x << "," << y;
    }
}

TEST(ComposeOverlay, BoardSizeKeepsScanInkOverTheStretchedScreen) {
  DibPtr screen = test::Filled(8, 8, kScreenColour);
  SetPixel(*screen, 0, 0, test::kBlack);
  DibPtr scan = InkedScan();
  DibPtr out;
  // Screen region (0,0)-(8,8) onto scan region (0,0)-(2,4): the left half of the scan is covered.
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImageBoardSize, Region{0, 0, 8, 8},
                             Region{0, 0, 2, 4}, out));
  ASSERT_TRUE(out);
  EXPECT_EQ(out->Width(), 4);
  EXPECT_EQ(out->Height(), 4);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) {
      Bgr expected = test::PixelAt(*scan, x, y);  // outside: the plain scan
      if (x < 2 && expected == test::kWhite) {
        // Inside, background shows the stretched screen: (0,0) averages one black pixel of
        // the 4 x 2 block it covers with seven screen-coloured ones.
        expected = kScreenColour;
        if (x == 0 && y == 0) expected = Bgr{79, 140, 35};
      }
      ASSERT_EQ(test::PixelAt(*out, x, y), expected) << x << "," << y;
    }
}

TEST(ComposeOverlay, NothingToOverlayWhenTheScanMissesTheScreen) {
  DibPtr screen = test::Filled(8, 8, kScreenColour);
  DibPtr scan = InkedScan();
  DibPtr out = test::Filled(1, 1, test::kWhite);
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{8, 0, 8, 8},
                             Region{0, 0, 0, 4}, out));
  EXPECT_FALSE(out);
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImageBoardSize, Region{0, 8, 8, 8},
                             Region{0, 0, 4, 0}, out));
  EXPECT_FALSE(out);
}

TEST(ComposeOverlay, ASliverOfScreenStillGetsTheScanEdge) {
  // Rounding can leave a covered screen column with an empty scan region: the edge pixel is used.
  DibPtr screen = test::Filled(8, 4, kScreenColour);
  DibPtr scan = test::Filled(4, 4, test::kInk);
  DibPtr out;
  ASSERT_TRUE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{7, 0, 8, 4},
                             Region{0, 0, 0, 4}, out));
  ASSERT_TRUE(out);
  EXPECT_EQ(test::PixelAt(*out, 7, 2), test::kInk);
  EXPECT_EQ(test::PixelAt(*out, 6, 2), kScreenColour);
}

TEST(ComposeOverlay, RegionsOutsideTheirImagesFail) {
  DibPtr screen = test::Filled(8, 8, kScreenColour);
  DibPtr scan = InkedScan();
  DibPtr out;
  EXPECT_FALSE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{0, 0, 9, 8},
                              Region{0, 0, 4, 4}, out));
  EXPECT_FALSE(ComposeOverlay(*screen, *scan, FindInkCells(*scan), kSaveImagePcSize, Region{0, 0, 8, 8},
                              Region{-1, 0, 4, 4}, out));
  EXPECT_FALSE(out);
  // Ink cells of another image cannot stand for the scan's.
  EXPECT_FALSE(ComposeOverlay(*screen, *scan, FindInkCells(*screen), kSaveImagePcSize, Region{0, 0, 8, 8},
                              Region{0, 0, 4, 4}, out));
}

}  // namespace
}  // namespace zt

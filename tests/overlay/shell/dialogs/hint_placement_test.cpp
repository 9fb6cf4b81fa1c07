// Where the calibration hint opens beside the settings dialog.
#include <gtest/gtest.h>

#include "overlay/shell/dialogs/hint_placement.h"

namespace zt::shell {
namespace {

const PixelRect kScreen{0, 0, 1920, 1040};  // a work area above a taskbar

TEST(HintPlacement, BesideTheDialogNeverOverItAndOnTheWorkArea) {
  // Room on the right: there, tops level.
  EXPECT_EQ(PlaceHintBeside({400, 200, 1100, 800}, 450, 150, kScreen), (PixelPoint{1100, 200}));
  // No room on the right: on the left.
  EXPECT_EQ(PlaceHintBeside({1300, 200, 1900, 800}, 450, 150, kScreen), (PixelPoint{850, 200}));
  // A dialog low on the screen: the hint moves up onto the work area, still beside it.
  EXPECT_EQ(PlaceHintBeside({400, 950, 1100, 1500}, 450, 150, kScreen), (PixelPoint{1100, 890}));
  // Room on neither side: the roomier side, pushed onto the work area.
  EXPECT_EQ(PlaceHintBeside({100, 0, 1600, 700}, 450, 150, kScreen), (PixelPoint{1470, 0}));
  // A display that is not the primary one: its own work area counts.
  const PixelRect second{1920, 0, 2944, 768};
  EXPECT_EQ(PlaceHintBeside({2400, 100, 2900, 500}, 400, 120, second), (PixelPoint{2000, 100}));
  // Wider than the work area: it starts at the work area's left edge.
  EXPECT_EQ(PlaceHintBeside({0, 0, 100, 100}, 2500, 100, kScreen), (PixelPoint{0, 0}));
}

}  // namespace
}  // namespace zt::shell

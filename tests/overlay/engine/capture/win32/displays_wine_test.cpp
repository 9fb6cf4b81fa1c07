// The displays and their capture with two screens side by side (run with --two-screens: a
// 1920x1080 primary screen and a 1024x768 one to its right).
#include <windows.h>

#include <gtest/gtest.h>

#include "overlay/engine/capture/displays.h"
#include "overlay/engine/capture/screen_capture.h"
#include "tests/support/drawn_window.h"
#include "tests/support/wine_process.h"

namespace zt {
namespace {

bool ShowsColour(const DibBlock& image, COLORREF colour) {
  for (const POINT p : {POINT{5, 5}, POINT{image.Width() / 2, image.Height() / 2},
                        POINT{image.Width() - 5, image.Height() - 5}}) {
    const std::uint8_t* pixel = image.TopDownRow(p.y) + 3 * p.x;
    if (pixel[0] != GetBValue(colour) || pixel[1] != GetGValue(colour) || pixel[2] != GetRValue(colour))
      return false;
  }
  return true;
}

RECT Place(const DisplayInfo& display) { return {display.left, display.top, display.right, display.bottom}; }

constexpr COLORREF kLaptopColour = RGB(30, 140, 60);
constexpr COLORREF kProjectorColour = RGB(220, 90, 10);

TEST(Displays, BothScreensAreListedByAnIdentityOfTheirOwn) {
  const std::vector<DisplayInfo> displays = ListDisplays();
  ASSERT_EQ(displays.size(), 2u);
  const DisplayInfo& primary = displays[0];
  const DisplayInfo& second = displays[1];
  EXPECT_TRUE(primary.primary);
  EXPECT_FALSE(second.primary);
  EXPECT_EQ(primary.left, 0);
  EXPECT_EQ(primary.top, 0);
  EXPECT_EQ(primary.Width(), 1920);
  EXPECT_EQ(primary.Height(), 1080);
  EXPECT_EQ(second.left, 1920);
  EXPECT_EQ(second.top, 0);
  EXPECT_EQ(second.Width(), 1024);
  EXPECT_EQ(second.Height(), 768);
  // The monitor's device interface, not the output's \\.\DISPLAYn name that changes with the order.
  EXPECT_EQ(second.identity.rfind("\\\\?\\", 0), 0u) << second.identity;
  EXPECT_NE(primary.identity, second.identity);
  EXPECT_EQ(second.output, "\\\\.\\DISPLAY2");
  EXPECT_FALSE(second.name.empty());
}

TEST(Displays, TheChosenDisplayIsCapturedInItsOwnSizeAndAGoneOneFallsBackToThePrimary) {
  const std::vector<DisplayInfo> displays = ListDisplays();
  ASSERT_EQ(displays.size(), 2u);
  // A topmost window of one colour over each whole display.
  const winetest::DrawnWindow laptop(kLaptopColour, Place(displays[0]));
  const winetest::DrawnWindow projector(kProjectorColour, Place(displays[1]));
  winetest::Pump(300);

  DibPtr chosen = CaptureChosenDisplay(displays[1].identity);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->Width(), 1024);
  EXPECT_EQ(chosen->Height(), 768);
  EXPECT_TRUE(ShowsColour(*chosen, kProjectorColour));

  for (const char* identity : {"", "\\\\?\\DISPLAY#Unplugged#0009&0000#{e6f07b5f}"}) {
    DibPtr primary = CaptureChosenDisplay(identity);
    ASSERT_TRUE(primary);
    EXPECT_EQ(primary->Width(), 1920) << identity;
    EXPECT_EQ(primary->Height(), 1080) << identity;
    EXPECT_TRUE(ShowsColour(*primary, kLaptopColour)) << identity;
  }
}

}  // namespace
}  // namespace zt

// Screen capture on a virtual screen: a topmost window of a known colour reads back exactly.
#include <windows.h>

#include <gtest/gtest.h>

#include "overlay/engine/capture/screen_capture.h"
#include "tests/support/drawn_window.h"
#include "tests/support/wine_process.h"

namespace zt {
namespace {

constexpr COLORREF kColour = RGB(200, 40, 120);

TEST(ScreenCapture, ReadsBackWhatTheScreenShows) {
  const winetest::DrawnWindow window(kColour, RECT{0, 0, 200, 100});
  ASSERT_TRUE(window.Shown());
  winetest::Pump(300);  // the window system draws it
  DibPtr area = CaptureScreenArea(300, 150);
  ASSERT_TRUE(area);
  EXPECT_EQ(area->Width(), 300);
  EXPECT_EQ(area->Height(), 150);
  EXPECT_EQ(area->Header().biBitCount, 24);
  // Top-down (10, 10) and (190, 90) lie inside the window.
  for (const POINT p : {POINT{10, 10}, POINT{190, 90}}) {
    const std::uint8_t* pixel = area->TopDownRow(p.y) + 3 * p.x;
    EXPECT_EQ(pixel[0], GetBValue(kColour));
    EXPECT_EQ(pixel[1], GetGValue(kColour));
    EXPECT_EQ(pixel[2], GetRValue(kColour));
  }

  DibPtr screen = CapturePrimaryScreen();
  ASSERT_TRUE(screen);
  EXPECT_EQ(screen->Width(), GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(screen->Height(), GetSystemMetrics(SM_CYSCREEN));
  EXPECT_FALSE(CaptureScreenArea(0, 10));
}

}  // namespace
}  // namespace zt

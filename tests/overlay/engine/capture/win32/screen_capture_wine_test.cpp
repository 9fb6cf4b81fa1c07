// Screen capture on a virtual screen: a topmost window of a known colour reads back exactly.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/win32/gdi_handles.h"
#include "overlay/engine/capture/screen_capture.h"

namespace zt {
namespace {

constexpr COLORREF kColour = RGB(200, 40, 120);

class ColouredWindow {
 public:
  ColouredWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = m_brush.Get();
    wc.lpszClassName = "ZtCaptureTestWindow";
    RegisterClassA(&wc);
    m_window = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, wc.hInstance, nullptr);
    UpdateWindow(m_window);
    // Let the window system draw it.
    for (int i = 0; i < 30; ++i) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(10);
    }
  }
  ~ColouredWindow() {
    if (m_window) DestroyWindow(m_window);
  }
  ColouredWindow(const ColouredWindow&) = delete;
  ColouredWindow& operator=(const ColouredWindow&) = delete;
  bool Shown() const { return m_window != nullptr; }

 private:
  app::Brush m_brush{CreateSolidBrush(kColour)};
  HWND m_window = nullptr;
};

TEST(ScreenCapture, ReadsBackWhatTheScreenShows) {
  ColouredWindow window;
  ASSERT_TRUE(window.Shown());
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

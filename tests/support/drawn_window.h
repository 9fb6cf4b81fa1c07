// A window of one colour drawn on the screen, for the Wine tests to capture or to cover a display.
#pragma once

#include <windows.h>

#include <utility>

#include "common/win32/gdi_handles.h"

namespace zt::winetest {

// Paints the brush kept in the window's user data: the colour can change while the window stays.
inline LRESULT CALLBACK DrawnWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(w, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r,
             reinterpret_cast<HBRUSH>(GetWindowLongPtrA(w, GWLP_USERDATA)));
    return 1;
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

// Topmost unless said otherwise (a slide show's window is an ordinary one).
class DrawnWindow {
 public:
  DrawnWindow(COLORREF colour, const RECT& place, bool topmost = true) : m_brush(CreateSolidBrush(colour)) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &DrawnWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZtDrawnOnTheScreen";
    RegisterClassA(&wc);
    m_hwnd = CreateWindowExA((topmost ? WS_EX_TOPMOST : 0) | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP,
                             place.left, place.top, place.right - place.left, place.bottom - place.top,
                             nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_brush.Get()));
    ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
    UpdateWindow(m_hwnd);
  }
  ~DrawnWindow() { DestroyWindow(m_hwnd); }
  DrawnWindow(const DrawnWindow&) = delete;
  DrawnWindow& operator=(const DrawnWindow&) = delete;
  bool Shown() const { return m_hwnd && IsWindowVisible(m_hwnd); }

  void Repaint(COLORREF colour) {
    // The old brush goes only once the window paints with the new one.
    app::Brush fresh(CreateSolidBrush(colour));
    SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(fresh.Get()));
    RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    m_brush = std::move(fresh);
  }

 private:
  app::Brush m_brush;
  HWND m_hwnd = nullptr;
};

}  // namespace zt::winetest

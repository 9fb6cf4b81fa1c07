// Owners of GDI objects and device contexts, and a guard that undoes a SelectObject, so that an
// early return can neither leak a GDI object nor leave a DC with our object selected.
#pragma once

#include <windows.h>

#include "common/win32/unique_handle.h"

namespace zt::app {

// A pen, brush, font or bitmap, deleted with DeleteObject.
template <typename T>
using GdiObject = UniqueOwner<ClosedBy<T, &DeleteObject>>;

using Font = GdiObject<HFONT>;
using Bitmap = GdiObject<HBITMAP>;
using Pen = GdiObject<HPEN>;
using Brush = GdiObject<HBRUSH>;

// A DC of our own (CreateCompatibleDC for a memory DC, CreateDCA), deleted with DeleteDC.
using UniqueDc = UniqueOwner<ClosedBy<HDC, &DeleteDC>>;

// A window's DC from GetDC, given back with ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : m_window(window), m_dc(GetDC(window)) {}
  ~WindowDc() {
    if (m_dc) ReleaseDC(m_window, m_dc);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return m_dc; }
  explicit operator bool() const { return m_dc != nullptr; }

 private:
  HWND m_window;
  HDC m_dc;
};

// BeginPaint and EndPaint around one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : m_window(window) { BeginPaint(window, &m_paint); }
  ~PaintDc() { EndPaint(m_window, &m_paint); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return m_paint.hdc; }

 private:
  HWND m_window;
  PAINTSTRUCT m_paint{};
};

// Selects an object into a DC and selects the previous one back at the end of the scope.
class SelectGuard {
 public:
  SelectGuard(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(object ? SelectObject(dc, object) : nullptr) {
    if (m_previous == HGDI_ERROR) m_previous = nullptr;
  }
  ~SelectGuard() {
    if (m_previous) SelectObject(m_dc, m_previous);
  }
  SelectGuard(const SelectGuard&) = delete;
  SelectGuard& operator=(const SelectGuard&) = delete;
  explicit operator bool() const { return m_previous != nullptr; }

 private:
  HDC m_dc;
  HGDIOBJ m_previous;
};

}  // namespace zt::app

// A top-down DIB section to draw into or copy the screen into, for the test programs.
#pragma once

#include <windows.h>

#include "common/win32/gdi_handles.h"

namespace zt::winetest {

// width x height at bitsPerPixel (24 or 32), rows from the top; *bits receives the pixels.
// Empty (and *bits null) when the system cannot make it.
inline app::Bitmap TopDownSection(HDC dc, int width, int height, int bitsPerPixel, void** bits) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel);
  *bits = nullptr;
  return app::Bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace zt::winetest

// Screen capture through GDI: a bitmap in the display's own format, filled by BitBlt from the
// display DC and read back as 24-bit rows.
#include <windows.h>

#include "common/win32/gdi_handles.h"
#include "common/win32/physical_pixels.h"
#include "overlay/engine/capture/displays.h"
#include "overlay/engine/capture/screen_capture.h"

namespace zt {

namespace {

constexpr DWORD kCaptureBlt = 0x40000000;  // CAPTUREBLT: include layered windows

// Display DC, display-compatible bitmap and a memory DC with the bitmap selected, released in
// the right order whatever step failed.
class ScreenBitmap {
 public:
  ScreenBitmap(std::int32_t width, std::int32_t height) {
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    m_display.Reset(CreateDCA("DISPLAY", nullptr, nullptr, nullptr));
    if (!m_display) return;
    m_bitmap.Reset(CreateDIBitmap(m_display.Get(), &header, 0, nullptr, nullptr, 0));
    if (!m_bitmap) return;
    m_memory.Reset(CreateCompatibleDC(nullptr));
    if (!m_memory) return;
    m_previous = SelectObject(m_memory.Get(), m_bitmap.Get());
    if (!m_previous || m_previous == HGDI_ERROR) m_previous = nullptr;
  }
  // The bitmap leaves the memory DC first; the owners then go in reverse order of making.
  ~ScreenBitmap() { Deselect(); }
  ScreenBitmap(const ScreenBitmap&) = delete;
  ScreenBitmap& operator=(const ScreenBitmap&) = delete;

  bool Ready() const { return m_previous != nullptr; }
  HDC Display() const { return m_display.Get(); }
  HDC Memory() const { return m_memory.Get(); }
  HBITMAP Bitmap() const { return m_bitmap.Get(); }
  // The bitmap is read back only once it is no longer selected into a DC.
  void Deselect() {
    if (m_previous) SelectObject(m_memory.Get(), m_previous);
    m_previous = nullptr;
  }

  BITMAPINFOHEADER header{};

 private:
  app::UniqueDc m_display;
  app::Bitmap m_bitmap;
  app::UniqueDc m_memory;
  HGDIOBJ m_previous = nullptr;
};

}  // namespace

DibPtr CaptureScreenArea(std::int32_t width, std::int32_t height) {
  return CaptureScreenRect(0, 0, width, height);
}

DibPtr CaptureScreenRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height) {
  DibPtr block = DibBlock::Allocate(width, height);
  if (!block) return nullptr;
  ScreenBitmap bitmap(width, height);
  if (!bitmap.Ready()) return nullptr;
  if (!BitBlt(bitmap.Memory(), 0, 0, width, height, bitmap.Display(), left, top, SRCCOPY | kCaptureBlt))
    return nullptr;
  bitmap.Deselect();
  BITMAPINFO info{};
  info.bmiHeader = bitmap.header;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(block->PixelBytes());
  if (GetDIBits(bitmap.Memory(), bitmap.Bitmap(), 0, static_cast<UINT>(height), block->Pixels(), &info,
                DIB_RGB_COLORS) == 0)
    return nullptr;
  return block;
}

DibPtr CapturePrimaryScreen() {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  if (width <= 0 || height <= 0) return nullptr;
  return CaptureScreenArea(width, height);
}

DibPtr CaptureChosenDisplay(const std::string& identity) {
  if (!identity.empty()) {
    const app::PhysicalPixels physical;
    const std::vector<DisplayInfo> displays = ListDisplays();
    if (const DisplayInfo* chosen = FindChosenDisplay(displays, identity))
      return CaptureScreenRect(chosen->left, chosen->top, chosen->Width(), chosen->Height());
  }
  return CapturePrimaryScreen();
}

}  // namespace zt

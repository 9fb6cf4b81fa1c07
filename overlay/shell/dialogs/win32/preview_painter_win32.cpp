#include "overlay/shell/dialogs/win32/preview_painter.h"

namespace zt::shell {

namespace {

constexpr COLORREF kOutlineYellow = RGB(255, 255, 0);

HBITMAP MakeBitmap(HDC dc, const DibBlock& block) {
  BITMAPINFO info{};
  static_assert(sizeof(BITMAPINFOHEADER) == sizeof(BitmapInfoHeader), "the block starts with the header");
  info.bmiHeader = *reinterpret_cast<const BITMAPINFOHEADER*>(&block.Header());
  return CreateDIBitmap(dc, &info.bmiHeader, CBM_INIT, block.Pixels(), &info, DIB_RGB_COLORS);
}

RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

// Stretches all of (or the source part of) bitmap into target with the raster operation.
void StretchInto(HDC dc, HBITMAP bitmap, const PixelRect& target, const PixelRect& source, DWORD rop) {
  app::UniqueDc memory(CreateCompatibleDC(dc));
  if (!memory) return;
  app::SelectGuard selected(memory.Get(), bitmap);
  if (!selected) return;
  StretchBlt(dc, target.left, target.top, target.Width(), target.Height(), memory.Get(), source.left,
             source.top, source.Width(), source.Height(), rop);
}

void Outline(HDC dc, const PixelRect& r, HPEN pen) {
  app::SelectGuard penSelected(dc, pen);
  app::SelectGuard brushSelected(dc, GetStockObject(HOLLOW_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace

bool PreviewBitmaps::Make(HDC dc, const DibBlock& screenHalf, const DibBlock& scanHalf,
                          const DibBlock& scanMask) {
  Clear();
  m_screen.Reset(MakeBitmap(dc, screenHalf));
  m_scan.Reset(MakeBitmap(dc, scanHalf));
  m_mask.Reset(MakeBitmap(dc, scanMask));
  if (!Ready()) {
    Clear();
    return false;
  }
  m_screenWidth = screenHalf.Width();
  m_screenHeight = screenHalf.Height();
  m_scanWidth = scanHalf.Width();
  m_scanHeight = scanHalf.Height();
  return true;
}

void PreviewBitmaps::Clear() {
  m_screen.Reset();
  m_scan.Reset();
  m_mask.Reset();
  m_screenWidth = m_screenHeight = m_scanWidth = m_scanHeight = 0;
}

void PaintPreview(HDC dc, const PreviewBitmaps& bitmaps, const PreviewPicture& picture) {
  if (!bitmaps.Ready()) return;
  const bool visible = picture.scan.Visible();
  const PixelRect& scan = picture.scan.target;
  if (picture.boardSize && visible) {
    const RECT white = ToRect(scan);
    FillRect(dc, &white, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchInto(dc, bitmaps.Screen(), picture.layout.fitted,
              {0, 0, bitmaps.ScreenWidth(), bitmaps.ScreenHeight()}, SRCCOPY);
  {
    const app::Pen dotted(CreatePen(PS_DOT, 2, kOutlineYellow));
    if (!picture.boardSize)
      Outline(dc, picture.layout.fitted, dotted.Get());
    else if (visible)
      Outline(dc, scan, dotted.Get());
  }
  if (!picture.boardSize && visible) {
    const app::Pen black(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    Outline(dc, scan, black.Get());
  }
  if (visible) {
    // The mask whitens the ink's place, then the scan's ink is laid into it.
    StretchInto(dc, bitmaps.Mask(), scan, picture.scan.source, SRCPAINT);
    StretchInto(dc, bitmaps.Scan(), scan, picture.scan.source, SRCAND);
  }
}

void PaintPreviewBuffered(HDC dc, const PreviewBitmaps& bitmaps, const PreviewPicture& picture) {
  const PixelRect& clip = picture.layout.clip;
  if (clip.Width() <= 0 || clip.Height() <= 0) return;
  app::UniqueDc buffer(CreateCompatibleDC(dc));
  const app::Bitmap canvas(CreateCompatibleBitmap(dc, clip.Width(), clip.Height()));
  if (!buffer || !canvas) return;
  app::SelectGuard selected(buffer.Get(), canvas.Get());
  if (!selected) return;
  // The buffer's origin is the clip area's top-left corner; the painting keeps client coordinates.
  POINT oldOrigin{};
  SetViewportOrgEx(buffer.Get(), -clip.left, -clip.top, &oldOrigin);
  const RECT area = ToRect(clip);
  FillRect(buffer.Get(), &area, GetSysColorBrush(COLOR_BTNFACE));
  PaintPreview(buffer.Get(), bitmaps, picture);
  SetViewportOrgEx(buffer.Get(), oldOrigin.x, oldOrigin.y, nullptr);
  BitBlt(dc, clip.left, clip.top, clip.Width(), clip.Height(), buffer.Get(), 0, 0, SRCCOPY);
}

}  // namespace zt::shell

// The settings dialog's preview on screen: the three images as bitmaps of the display's own
// format, and the painting of screenshot, outline and scan overlay where the geometry says.
#pragma once

#include <windows.h>

#include "common/win32/gdi_handles.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/shell/dialogs/preview_geometry.h"

namespace zt::shell {

class PreviewBitmaps {
 public:
  // Makes the three bitmaps on dc; on any failure none is kept and false returned.
  bool Make(HDC dc, const DibBlock& screenHalf, const DibBlock& scanHalf, const DibBlock& scanMask);
  void Clear();
  bool Ready() const { return m_screen && m_scan && m_mask; }

  HBITMAP Screen() const { return m_screen.Get(); }
  HBITMAP Scan() const { return m_scan.Get(); }
  HBITMAP Mask() const { return m_mask.Get(); }
  int ScreenWidth() const { return m_screenWidth; }
  int ScreenHeight() const { return m_screenHeight; }
  int ScanWidth() const { return m_scanWidth; }
  int ScanHeight() const { return m_scanHeight; }

 private:
  app::Bitmap m_screen, m_scan, m_mask;
  int m_screenWidth = 0, m_screenHeight = 0, m_scanWidth = 0, m_scanHeight = 0;
};

struct PreviewPicture {
  PreviewLayout layout;
  ScanPlacement scan;
  bool boardSize = false;  // the outputs take the scan's size rather than the screen's
};

// Paints the preview into dc in client coordinates, in this order: the white ground of a board-
// size output, the screenshot, the dotted yellow outline of what the saved overlay covers, the
// black outline of the scan on a screen-size output, the scan's ink.
void PaintPreview(HDC dc, const PreviewBitmaps& bitmaps, const PreviewPicture& picture);

// Paints the preview off screen and copies the clip area to dc in one go, so that a drag does
// not flicker; the rest of the clip area shows the dialog's face colour.
void PaintPreviewBuffered(HDC dc, const PreviewBitmaps& bitmaps, const PreviewPicture& picture);

}  // namespace zt::shell

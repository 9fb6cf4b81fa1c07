#include "overlay/engine/compose.h"

#include <cstring>

#include "overlay/engine/resample.h"
#include "overlay/engine/scan_image.h"

namespace zt {

namespace {

bool Inside(const Region& r, const DibBlock& image) {
  return r.left >= 0 && r.top >= 0 && r.left <= r.right && r.top <= r.bottom && r.right <= image.Width() &&
         r.bottom <= image.Height();
}

// Rounding in the placement can leave the source side of a covered area without a whole pixel;
// the pixel row or column at its edge is what lies there.
Region AtLeastOnePixel(Region r, const DibBlock& image) {
  if (r.right <= r.left) {
    if (r.left >= image.Width()) r.left = image.Width() - 1;
    r.right = r.left + 1;
  }
  if (r.bottom <= r.top) {
    if (r.top >= image.Height()) r.top = image.Height() - 1;
    r.bottom = r.top + 1;
  }
  return r;
}

}  // namespace

bool ComposeOverlay(const DibBlock& screen, const DibBlock& scan, std::int32_t saveImageSize,
                    const Region& screenRegion, const Region& scanRegion, DibPtr& out) {
  out.reset();
  if (!Inside(screenRegion, screen) || !Inside(scanRegion, scan)) return false;
  if (screenRegion.Empty()) return true;  // the placed scan does not reach the screen

  const bool pcSize = saveImageSize != kSaveImageBoardSize;
  const DibBlock& base = pcSize ? screen : scan;
  const DibBlock& other = pcSize ? scan : screen;
  const Region& at = pcSize ? screenRegion : scanRegion;
  const Region from = AtLeastOnePixel(pcSize ? scanRegion : screenRegion, other);

  DibPtr piece;
  if (!at.Empty() && !StretchRegion(other, at.Width(), at.Height(), from, piece)) return false;

  DibPtr result = DibBlock::AllocateLike(base.Header(), base.Width(), base.Height());
  if (!result) return false;
  std::memcpy(result->Pixels(), base.Pixels(), base.PixelBytes());
  if (!piece) {
    out = std::move(result);
    return true;
  }

  const std::size_t span = 3 * static_cast<std::size_t>(at.Width());
  for (std::int32_t r = at.top; r < at.bottom; ++r) {
    std::uint8_t* dst = result->TopDownRow(r) + 3 * static_cast<std::size_t>(at.left);
    const std::uint8_t* baseRow = base.TopDownRow(r) + 3 * static_cast<std::size_t>(at.left);
    const std::uint8_t* pieceRow = piece->TopDownRow(r - at.top);
    // PC size: the piece is the stretched scan; board size: the base is the scan.
    const std::uint8_t* scanRow = pcSize ? pieceRow : baseRow;
    const std::uint8_t* screenRow = pcSize ? baseRow : pieceRow;
    for (std::size_t i = 0; i < span; i += 3) {
      const std::uint8_t* src = IsInk(scanRow + i) ? scanRow + i : screenRow + i;
      dst[i] = src[0];
      dst[i + 1] = src[1];
      dst[i + 2] = src[2];
    }
  }
  out = std::move(result);
  return true;
}

}  // namespace zt

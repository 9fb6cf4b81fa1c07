#include "overlay/engine/compose.h"

#include <cstring>
#include <new>
#include <vector>

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

// Each stretched row goes straight into the covered part of its result row. PC size: the
// stretched scan's ink over the screenshot's row; board size: the scan's ink over the
// stretched screen, which is written in place.
class CoveredRows final : public ResampledRows {
 public:
  CoveredRows(const DibBlock& base, DibBlock& result, const Region& at, bool pcSize)
      : m_base(base), m_result(result), m_at(at), m_pcSize(pcSize),
        m_left(3 * static_cast<std::size_t>(at.left)), m_span(3 * static_cast<std::size_t>(at.Width())),
        m_scanRow(pcSize ? m_span : 0) {}

  std::uint8_t* Row(std::int32_t ty) override {
    return m_pcSize ? m_scanRow.data() : m_result.TopDownRow(m_at.top + ty) + m_left;
  }

  void RowDone(std::int32_t ty) override {
    const std::uint8_t* baseRow = m_base.TopDownRow(m_at.top + ty);
    std::uint8_t* row = m_result.TopDownRow(m_at.top + ty);
    const std::size_t rest = m_left + m_span;
    std::memcpy(row, baseRow, m_left);
    std::memcpy(row + rest, baseRow + rest, m_base.RowBytes() - rest);
    std::uint8_t* dst = row + m_left;
    const std::uint8_t* scan = m_pcSize ? m_scanRow.data() : baseRow + m_left;
    if (m_pcSize) std::memcpy(dst, baseRow + m_left, m_span);
    for (std::size_t i = 0; i < m_span; i += 3) {
      if (IsInk(scan + i)) {
        dst[i] = scan[i];
        dst[i + 1] = scan[i + 1];
        dst[i + 2] = scan[i + 2];
      }
    }
  }

 private:
  const DibBlock& m_base;
  DibBlock& m_result;
  Region m_at;
  bool m_pcSize;
  std::size_t m_left, m_span;
  std::vector<std::uint8_t> m_scanRow;
};

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

  DibPtr result = DibBlock::AllocateLike(base.Header(), base.Width(), base.Height());
  if (!result) return false;
  if (at.Empty()) {
    std::memcpy(result->Pixels(), base.Pixels(), base.PixelBytes());
    out = std::move(result);
    return true;
  }
  // Rows above and below the covered area are the base's; rows are stored bottom-up, so each
  // side is one stretch of memory.
  const std::size_t rowBytes = base.RowBytes();
  const std::size_t below = rowBytes * static_cast<std::size_t>(base.Height() - at.bottom);
  const std::size_t above = rowBytes * static_cast<std::size_t>(at.top);
  std::memcpy(result->Pixels(), base.Pixels(), below);
  std::memcpy(result->Pixels() + base.PixelBytes() - above, base.Pixels() + base.PixelBytes() - above, above);

  try {
    CoveredRows rows(base, *result, at, pcSize);
    if (!ResampleRegionInto(ViewOf(other), from, at.Width(), at.Height(), rows)) return false;
  } catch (const std::bad_alloc&) {
    return false;
  }
  out = std::move(result);
  return true;
}

}  // namespace zt

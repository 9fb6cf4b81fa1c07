#include "overlay/engine/pixels/compose.h"

#include <algorithm>
#include <cstring>

#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/stretched_ink.h"

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

// Board size: each row of the stretched screen goes straight into the covered part of its result
// row, and the scan's ink is laid over it. Cells of the scan without ink are not read.
class CoveredRows final : public ResampledRows {
 public:
  CoveredRows(const DibBlock& scan, const InkCells& ink, DibBlock& result, const Region& at)
      : m_scan(scan),
        m_ink(ink),
        m_result(result),
        m_at(at),
        m_left(3 * static_cast<std::size_t>(at.left)),
        m_span(3 * static_cast<std::size_t>(at.Width())),
        m_kernels(Kernels()) {}

  std::uint8_t* Row(std::int32_t ty) override { return m_result.TopDownRow(m_at.top + ty) + m_left; }

  void RowDone(std::int32_t ty) override {
    const std::uint8_t* scanRow = m_scan.TopDownRow(m_at.top + ty);
    std::uint8_t* row = m_result.TopDownRow(m_at.top + ty);
    const std::size_t rest = m_left + m_span;
    std::memcpy(row, scanRow, m_left);
    std::memcpy(row + rest, scanRow + rest, m_scan.RowBytes() - rest);
    // The ink is laid by runs of neighbouring cells with ink.
    const std::uint8_t* cells = m_ink.Band(m_at.top + ty);
    constexpr std::int32_t kCell = InkCells::kColumns;
    for (std::int32_t x = m_at.left; x < m_at.right;) {
      if (!cells[x / kCell]) {
        x = (x / kCell + 1) * kCell;
        continue;
      }
      std::int32_t end = (x / kCell + 1) * kCell;
      while (end < m_at.right && cells[end / kCell]) end += kCell;
      end = std::min(end, m_at.right);
      const std::size_t i = 3 * static_cast<std::size_t>(x);
      m_kernels.layInk(scanRow + i, row + i, 3 * static_cast<std::size_t>(end - x));
      x = end;
    }
  }

 private:
  const DibBlock& m_scan;
  const InkCells& m_ink;
  DibBlock& m_result;
  Region m_at;
  std::size_t m_left, m_span;
  const PixelKernels& m_kernels;
};

}  // namespace

bool ComposeOverlay(const DibBlock& screen, const DibBlock& scan, const InkCells& scanInk,
                    std::int32_t saveImageSize, const Region& screenRegion, const Region& scanRegion,
                    DibPtr& out) {
  out.reset();
  if (!Inside(screenRegion, screen) || !Inside(scanRegion, scan)) return false;
  if (!scanInk.Fit(scan.Width(), scan.Height())) return false;
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
  // Rows above and below the covered area are the base image's; rows are stored bottom-up, so
  // each side is one stretch of memory.
  const std::size_t rowBytes = base.RowBytes();
  const std::size_t below = rowBytes * static_cast<std::size_t>(base.Height() - at.bottom);
  const std::size_t above = rowBytes * static_cast<std::size_t>(at.top);
  std::memcpy(result->Pixels(), base.Pixels(), below);
  std::memcpy(result->Pixels() + base.PixelBytes() - above, base.Pixels() + base.PixelBytes() - above, above);
  if (pcSize) {
    // PC size: the covered rows are the screenshot's, each with the stretched scan's ink laid
    // over it as soon as it is copied.
    if (!LayStretchedInk(ViewOf(other), scanInk, from, *result, at, &base)) return false;
    out = std::move(result);
    return true;
  }

  CoveredRows rows(base, scanInk, *result, at);
  if (!ResampleRegionInto(ViewOf(other), from, at.Width(), at.Height(), rows)) return false;
  out = std::move(result);
  return true;
}

}  // namespace zt

#include "overlay/engine/stretched_ink.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "overlay/engine/resample_kernels.h"
#include "overlay/engine/scan_image.h"

namespace zt {

bool LayStretchedInk(const DibView& source, const InkCells& ink, const Region& region, DibBlock& target,
                     const Region& at) {
  if (region.Empty() || at.Empty() || region.left < 0 || region.top < 0 || region.right > source.width ||
      region.bottom > source.height || at.left < 0 || at.top < 0 || at.right > target.Width() ||
      at.bottom > target.Height() || !ink.Fit(source.width, source.height))
    return false;
  try {
    const std::int32_t sw = region.Width(), sh = region.Height();
    const std::int32_t tw = at.Width(), th = at.Height();
    const AxisTaps xs = BuildAxis(sw, tw);
    const AxisTaps ys = BuildAxis(sh, th);
    const std::uint8_t* regionLeft =
        source.TopDownRow(region.top) + 3 * static_cast<std::size_t>(region.left);
    const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);

    // The cells under the region's columns, and the target columns whose taps reach into each;
    // first[] grows with t, so each cell is reached by one run of targets.
    constexpr std::int32_t kCell = InkCells::kColumns;
    const std::int32_t firstCell = region.left / kCell;
    const std::int32_t cells = (region.right - 1) / kCell - firstCell + 1;
    std::vector<std::int32_t> reachBegin(static_cast<std::size_t>(cells), tw);
    std::vector<std::int32_t> reachEnd(static_cast<std::size_t>(cells), 0);
    for (std::int32_t t = 0; t < tw; ++t) {
      const std::int32_t lastCell = (region.left + xs.first[t] + xs.taps - 1) / kCell - firstCell;
      for (std::int32_t c = (region.left + xs.first[t]) / kCell - firstCell; c <= lastCell; ++c) {
        reachBegin[c] = std::min(reachBegin[c], t);
        reachEnd[c] = std::max(reachEnd[c], t + 1);
      }
    }

    std::vector<std::uint8_t> rowCells(static_cast<std::size_t>(cells));
    std::vector<RowSum> column(3 * static_cast<std::size_t>(sw));
    std::vector<std::uint8_t> stretched(3 * static_cast<std::size_t>(tw));
    for (std::int32_t ty = 0; ty < th; ++ty) {
      std::fill(rowCells.begin(), rowCells.end(), std::uint8_t{0});
      const std::int32_t topRow = region.top + ys.first[ty];
      for (std::int32_t row = topRow - topRow % InkCells::kRows; row < topRow + ys.taps;
           row += InkCells::kRows) {
        const std::uint8_t* flags = ink.Band(row) + firstCell;
        for (std::int32_t c = 0; c < cells; ++c) rowCells[c] |= flags[c];
      }
      std::uint8_t* targetRow = target.TopDownRow(at.top + ty) + 3 * static_cast<std::size_t>(at.left);
      // Resample one run of targets and lay what turns out ink.
      auto lay = [&](std::int32_t ta, std::int32_t tb) {
        const std::int32_t s0 = xs.first[ta];
        const std::int32_t s1 = xs.first[tb - 1] + xs.taps;
        WeighDown(regionLeft + 3 * static_cast<std::size_t>(s0), down, ys, ty,
                  3 * static_cast<std::size_t>(s1 - s0), column.data());
        Across(column.data(), s0, xs, ta, tb, stretched.data());
        const std::uint8_t* p = stretched.data();
        for (std::int32_t t = ta; t < tb; ++t, p += 3)
          if (IsInk(p)) std::memcpy(targetRow + 3 * static_cast<std::size_t>(t), p, 3);
      };
      std::int32_t runBegin = 0, runEnd = 0;  // targets still to lay; empty while runEnd is 0
      for (std::int32_t c = 0; c < cells; ++c) {
        if (!rowCells[c] || reachEnd[c] == 0) continue;
        if (runEnd > 0 && reachBegin[c] > runEnd) {
          lay(runBegin, runEnd);
          runEnd = 0;
        }
        if (runEnd == 0) runBegin = reachBegin[c];
        runEnd = std::max(runEnd, reachEnd[c]);
      }
      if (runEnd > 0) lay(runBegin, runEnd);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace zt

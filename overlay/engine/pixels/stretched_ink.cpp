#include "overlay/engine/pixels/stretched_ink.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample_kernels.h"
#include "overlay/engine/pixels/worker_pool.h"

namespace zt {

namespace {

// What every row of the stretch shares: the taps of both axes, and for each cell under the
// region's columns the run of target columns whose taps reach into it.
struct InkStretch {
  const InkCells& ink;
  Region region, at;
  AxisTaps xs, ys;
  const std::uint8_t* regionLeft = nullptr;
  std::ptrdiff_t down = 0;
  std::int32_t firstCell = 0, cells = 0;
  std::vector<std::int32_t> reachBegin, reachEnd;

  InkStretch(const DibView& source, const InkCells& cellsOfSource, const Region& from, const Region& to)
      : ink(cellsOfSource),
        region(from),
        at(to),
        xs(BuildAxis(from.Width(), to.Width())),
        ys(BuildAxis(from.Height(), to.Height())),
        regionLeft(source.TopDownRow(from.top) + 3 * static_cast<std::size_t>(from.left)),
        down(-static_cast<std::ptrdiff_t>(source.rowBytes)) {
    // first[] grows with t, so each cell is reached by one run of targets.
    constexpr std::int32_t kCell = InkCells::kColumns;
    const std::int32_t tw = to.Width();
    firstCell = from.left / kCell;
    cells = (from.right - 1) / kCell - firstCell + 1;
    reachBegin.assign(static_cast<std::size_t>(cells), tw);
    reachEnd.assign(static_cast<std::size_t>(cells), 0);
    for (std::int32_t t = 0; t < tw; ++t) {
      const std::int32_t lastCell = (from.left + xs.first[t] + xs.taps - 1) / kCell - firstCell;
      for (std::int32_t c = (from.left + xs.first[t]) / kCell - firstCell; c <= lastCell; ++c) {
        reachBegin[c] = std::min(reachBegin[c], t);
        reachEnd[c] = std::max(reachEnd[c], t + 1);
      }
    }
  }
};

// Target rows [ty0, ty1) of the stretch laid over the target, with buffers of their own.
class InkRows {
 public:
  InkRows(const InkStretch& plan, DibBlock& target)
      : m_plan(plan),
        m_target(target),
        m_rowCells(static_cast<std::size_t>(plan.cells)),
        m_column(3 * static_cast<std::size_t>(plan.region.Width())),
        m_stretched(3 * static_cast<std::size_t>(plan.at.Width())),
        m_kernels(Kernels()) {}

  void Lay(std::int32_t ty0, std::int32_t ty1, const DibBlock* under) {
    for (std::int32_t ty = ty0; ty < ty1; ++ty) {
      if (under) {
        const std::int32_t y = m_plan.at.top + ty;
        std::memcpy(m_target.TopDownRow(y), under->TopDownRow(y), m_target.RowBytes());
      }
      LayRow(ty);
    }
  }

 private:
  // The cells with ink under the source rows of target row ty.
  void GatherCells(std::int32_t ty) {
    const InkStretch& p = m_plan;
    std::fill(m_rowCells.begin(), m_rowCells.end(), std::uint8_t{0});
    const std::int32_t topRow = p.region.top + p.ys.first[ty];
    for (std::int32_t row = topRow - topRow % InkCells::kRows; row < topRow + p.ys.taps;
         row += InkCells::kRows) {
      const std::uint8_t* flags = p.ink.Band(row) + p.firstCell;
      for (std::int32_t c = 0; c < p.cells; ++c) m_rowCells[c] |= flags[c];
    }
  }

  void LayRow(std::int32_t ty) {
    GatherCells(ty);
    const InkStretch& p = m_plan;
    std::int32_t runBegin = 0, runEnd = 0;  // targets still to lay; empty while runEnd is 0
    for (std::int32_t c = 0; c < p.cells; ++c) {
      if (!m_rowCells[c] || p.reachEnd[c] == 0) continue;
      if (runEnd > 0 && p.reachBegin[c] > runEnd) {
        LayRun(ty, runBegin, runEnd);
        runEnd = 0;
      }
      if (runEnd == 0) runBegin = p.reachBegin[c];
      runEnd = std::max(runEnd, p.reachEnd[c]);
    }
    if (runEnd > 0) LayRun(ty, runBegin, runEnd);
  }

  // Resamples one run of targets and lays what turns out ink.
  void LayRun(std::int32_t ty, std::int32_t ta, std::int32_t tb) {
    const InkStretch& p = m_plan;
    const std::int32_t s0 = p.xs.first[ta];
    const std::int32_t s1 = p.xs.first[tb - 1] + p.xs.taps;
    WeighDown(p.regionLeft + 3 * static_cast<std::size_t>(s0), p.down, p.ys, ty,
              3 * static_cast<std::size_t>(s1 - s0), m_column.data());
    Across(m_column.data(), s0, p.xs, ta, tb, m_stretched.data());
    std::uint8_t* targetRow = m_target.TopDownRow(p.at.top + ty) + 3 * static_cast<std::size_t>(p.at.left);
    m_kernels.layInk(m_stretched.data(), targetRow + 3 * static_cast<std::size_t>(ta),
                     3 * static_cast<std::size_t>(tb - ta));
  }

  const InkStretch& m_plan;
  DibBlock& m_target;
  std::vector<std::uint8_t> m_rowCells;
  std::vector<RowSum> m_column;
  std::vector<std::uint8_t> m_stretched;
  const PixelKernels& m_kernels;
};

}  // namespace

bool LayStretchedInk(const DibView& source, const InkCells& ink, const Region& region, DibBlock& target,
                     const Region& at, const DibBlock* under) {
  if (region.Empty() || at.Empty() || region.left < 0 || region.top < 0 || region.right > source.width ||
      region.bottom > source.height || at.left < 0 || at.top < 0 || at.right > target.Width() ||
      at.bottom > target.Height() || !ink.Fit(source.width, source.height))
    return false;
  if (under && (under->Width() != target.Width() || under->Height() != target.Height())) return false;
  try {
    const InkStretch plan(source, ink, region, at);
    // Rows go in bands over the engine's workers; a band writes only its own target rows, each
    // copied from under (when given) while the band is in the cache.
    constexpr std::int32_t kBandRows = 32;
    const std::int32_t th = at.Height();
    std::atomic<bool> outOfMemory{false};
    EngineWorkers().ForEachBand(th, kBandRows, [&](int ty0, int ty1) {
      try {
        InkRows(plan, target).Lay(ty0, ty1, under);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
    });
    return !outOfMemory;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace zt

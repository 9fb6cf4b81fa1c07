#include "overlay/engine/pixels/resample.h"

#include <algorithm>
#include <atomic>
#include <new>
#include <vector>

#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample_kernels.h"
#include "overlay/engine/pixels/worker_pool.h"

namespace zt {

namespace {

// Target rows go in bands of this many, spread over the engine's workers. Each band has its own
// buffers, and the rows of a band are made in order.
constexpr std::int32_t kBandRows = 32;

// Exactly half in both directions: each target pixel is the rounded mean of a 2 x 2 block, which
// is what the general weights give too (128 each way), only faster.
void HalveExactly(const DibView& source, const Region& region, std::int32_t targetWidth, std::int32_t ty0,
                  std::int32_t ty1, ResampledRows& rows) {
  const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
  const PixelKernels& kernels = Kernels();
  for (std::int32_t ty = ty0; ty < ty1; ++ty) {
    const std::uint8_t* a =
        source.TopDownRow(region.top + 2 * ty) + 3 * static_cast<std::size_t>(region.left);
    const std::uint8_t* b = a + down;
    kernels.halvePairs(a, b, n, rows.Row(ty));
    rows.RowDone(ty);
  }
}

// Fewer target rows than source rows: weigh the rows down first, then resample the one combined
// row across. The sums are exact, so the order does not change the result.
void ShrinkRows(const std::uint8_t* regionLeft, std::ptrdiff_t down, std::int32_t regionWidth,
                const AxisTaps& xs, const AxisTaps& ys, std::int32_t targetWidth, std::int32_t ty0,
                std::int32_t ty1, ResampledRows& rows) {
  const std::size_t m = 3 * static_cast<std::size_t>(regionWidth);
  std::vector<RowSum> column(m);
  for (std::int32_t ty = ty0; ty < ty1; ++ty) {
    WeighDown(regionLeft, down, ys, ty, m, column.data());
    Across(column.data(), 0, xs, 0, targetWidth, rows.Row(ty));
    rows.RowDone(ty);
  }
}

// As many target rows as source rows or more: resample each source row across once;
// neighbouring target rows share at most two of them, so two are kept. Each target row is then
// at most two of them weighted down.
void GrowRows(const std::uint8_t* regionLeft, std::ptrdiff_t down, const AxisTaps& xs,
              const AcrossGroups& groups, const AxisTaps& ys, std::int32_t targetWidth, std::int32_t ty0,
              std::int32_t ty1, ResampledRows& rows) {
  const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
  const PixelKernels& kernels = Kernels();
  const std::int32_t grouped = groups.groups * AcrossGroups::kTargets;
  std::vector<RowSum> cache[2] = {std::vector<RowSum>(n), std::vector<RowSum>(n)};
  std::int32_t cached[2] = {-1, -1};
  int nextSlot = 0;
  for (std::int32_t ty = ty0; ty < ty1; ++ty) {
    const Weight* wy = ys.weights.data() + static_cast<std::size_t>(ty) * ys.taps;
    const RowSum* taken[2] = {nullptr, nullptr};
    Weight weights[2] = {0, 0};
    int count = 0;
    for (std::int32_t k = 0; k < ys.taps && count < 2; ++k) {
      if (wy[k] == 0) continue;
      const std::int32_t sy = ys.first[ty] + k;
      int slot = cached[0] == sy ? 0 : (cached[1] == sy ? 1 : -1);
      if (slot < 0) {
        slot = nextSlot;
        nextSlot ^= 1;
        // The grouped targets by the vector loop where there is one, the rest one by one.
        const std::uint8_t* row = regionLeft + down * sy;
        kernels.acrossGroups(row, xs, groups, cache[slot].data());
        Across(row, 0, xs, grouped, targetWidth, cache[slot].data() + 3 * static_cast<std::size_t>(grouped));
        cached[slot] = sy;
      }
      taken[count] = cache[slot].data();
      weights[count] = wy[k];
      ++count;
    }
    // One row alone is blended with itself at no weight.
    if (count == 1) taken[1] = taken[0];
    kernels.blendRows(taken[0], weights[0], taken[1], weights[1], n, rows.Row(ty));
    rows.RowDone(ty);
  }
}

// Rows into a new block, with the padding of each row set to zero.
class BlockRows final : public ResampledRows {
 public:
  explicit BlockRows(DibBlock& block) : m_block(block), m_used(3 * static_cast<std::size_t>(block.Width())) {}
  std::uint8_t* Row(std::int32_t ty) override { return m_block.TopDownRow(ty); }
  void RowDone(std::int32_t ty) override {
    std::uint8_t* row = m_block.TopDownRow(ty);
    std::fill(row + m_used, row + m_block.RowBytes(), std::uint8_t{0});
  }

 private:
  DibBlock& m_block;
  std::size_t m_used;
};

}  // namespace

bool ResampleRegionInto(const DibView& source, const Region& region, std::int32_t targetWidth,
                        std::int32_t targetHeight, ResampledRows& rows) {
  if (targetWidth <= 0 || targetHeight <= 0 || region.Empty() || region.left < 0 || region.top < 0 ||
      region.right > source.width || region.bottom > source.height)
    return false;
  if (region.Width() == 2 * targetWidth && region.Height() == 2 * targetHeight) {
    EngineWorkers().ForEachBand(targetHeight, kBandRows, [&](int ty0, int ty1) {
      HalveExactly(source, region, targetWidth, ty0, ty1, rows);
    });
    return true;
  }
  try {
    const AxisTaps xs = BuildAxis(region.Width(), targetWidth);
    const AxisTaps ys = BuildAxis(region.Height(), targetHeight);
    const std::uint8_t* regionLeft =
        source.TopDownRow(region.top) + 3 * static_cast<std::size_t>(region.left);
    const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
    const bool shrink = targetHeight < region.Height();
    const AcrossGroups groups = shrink ? AcrossGroups{} : PlanAcrossGroups(xs, region.Width());
    std::atomic<bool> outOfMemory{false};
    EngineWorkers().ForEachBand(targetHeight, kBandRows, [&](int ty0, int ty1) {
      try {
        if (shrink)
          ShrinkRows(regionLeft, down, region.Width(), xs, ys, targetWidth, ty0, ty1, rows);
        else
          GrowRows(regionLeft, down, xs, groups, ys, targetWidth, ty0, ty1, rows);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
    });
    return !outOfMemory;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

DibPtr ResampleRegion(const DibView& source, const Region& region, std::int32_t targetWidth,
                      std::int32_t targetHeight) {
  if (targetWidth <= 0 || targetHeight <= 0) return nullptr;
  DibPtr out = DibBlock::AllocateLike(*source.header, targetWidth, targetHeight);
  if (!out) return nullptr;
  BlockRows rows(*out);
  if (!ResampleRegionInto(source, region, targetWidth, targetHeight, rows)) return nullptr;
  return out;
}

bool ScaleByPercent(std::int32_t width, std::int32_t height, const DibBlock& source, std::int32_t percent,
                    DibPtr& out) {
  out.reset();
  if (width != source.Width() || height != source.Height() || percent <= 0) return false;
  const std::int64_t tw = static_cast<std::int64_t>(width) * percent / 100;
  const std::int64_t th = static_cast<std::int64_t>(height) * percent / 100;
  if (tw <= 0 || th <= 0 || tw > 0x7FFFFFFF || th > 0x7FFFFFFF) return false;
  out = ResampleRegion(ViewOf(source), Region{0, 0, width, height}, static_cast<std::int32_t>(tw),
                       static_cast<std::int32_t>(th));
  return out != nullptr;
}

bool StretchRegion(const DibBlock& source, std::int32_t targetWidth, std::int32_t targetHeight,
                   const Region& region, DibPtr& out) {
  out = ResampleRegion(ViewOf(source), region, targetWidth, targetHeight);
  return out != nullptr;
}

DibPtr HalveImage(const DibBlock& source) {
  return ResampleRegion(ViewOf(source), Region{0, 0, source.Width(), source.Height()}, source.Width() / 2,
                        source.Height() / 2);
}

}  // namespace zt

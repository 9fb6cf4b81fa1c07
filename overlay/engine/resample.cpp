#include "overlay/engine/resample.h"

#include <algorithm>
#include <new>
#include <vector>

namespace zt {

namespace {

// Weights of one axis are fixed-point fractions of kOne; with 8-bit samples the row sums stay
// below 2^20 and the final sums below 2^32.
constexpr std::uint32_t kShift = 12;
constexpr std::uint32_t kOne = 1u << kShift;
constexpr std::uint32_t kHalf = 1u << (2 * kShift - 1);

inline std::uint8_t Finish(std::uint32_t sum) { return static_cast<std::uint8_t>((sum + kHalf) >> (2 * kShift)); }

// Source taps of each target index: every target has the same number of taps, starting at
// first[t]; a target that covers fewer source indices gets zero weights for the rest, and its
// first index moves back where needed so that all taps stay inside the source. The weights of
// a target add up to exactly kOne.
struct AxisTaps {
  std::int32_t taps = 0;
  std::vector<std::int32_t> first;
  std::vector<std::uint32_t> weights;  // taps per target
};

// Target index t covers [t * S, (t + 1) * S) and source index s covers [s * T, (s + 1) * T),
// both in units of 1/T source pixels, so overlaps are exact integers that add up to S.
AxisTaps BuildAxis(std::int64_t sourceSize, std::int64_t targetSize) {
  AxisTaps axis;
  for (std::int64_t t = 0; t < targetSize; ++t) {
    const std::int64_t count = ((t + 1) * sourceSize - 1) / targetSize - t * sourceSize / targetSize + 1;
    axis.taps = std::max(axis.taps, static_cast<std::int32_t>(count));
  }
  const std::int64_t taps = axis.taps;  // never more than sourceSize
  axis.first.resize(static_cast<std::size_t>(targetSize));
  axis.weights.assign(static_cast<std::size_t>(targetSize * taps), 0);
  for (std::int64_t t = 0; t < targetSize; ++t) {
    const std::int64_t begin = t * sourceSize;
    const std::int64_t end = begin + sourceSize;
    const std::int64_t first = begin / targetSize;
    const std::int64_t last = (end - 1) / targetSize;
    const std::int64_t start = std::min(first, sourceSize - taps);
    axis.first[t] = static_cast<std::int32_t>(start);
    std::uint32_t* w = axis.weights.data() + t * taps;
    // Rounded running totals keep the sum at exactly kOne.
    std::int64_t covered = 0;
    std::uint32_t given = 0;
    for (std::int64_t s = first; s <= last; ++s) {
      const std::int64_t lo = s * targetSize > begin ? s * targetSize : begin;
      const std::int64_t hi = (s + 1) * targetSize < end ? (s + 1) * targetSize : end;
      covered += hi - lo;
      const auto total = static_cast<std::uint32_t>((covered * kOne + sourceSize / 2) / sourceSize);
      w[s - start] = total - given;
      given = total;
    }
  }
  return axis;
}

// One row resampled across with Taps taps a target pixel (0: any number): three sums per target
// pixel, each sample times its weight. The row holds source bytes, or sums of source rows
// already weighted down the column; in the latter case the sums are final and become bytes.
template <int Taps, typename Sample, typename Out>
void AcrossWith(const Sample* row, const AxisTaps& xs, std::int32_t targetWidth, Out* out) {
  const std::int32_t taps = Taps > 0 ? Taps : xs.taps;
  const std::int32_t* first = xs.first.data();
  const std::uint32_t* w = xs.weights.data();
  for (std::int32_t t = 0; t < targetWidth; ++t, out += 3, w += taps) {
    const Sample* p = row + 3 * static_cast<std::size_t>(first[t]);
    std::uint32_t b = 0, g = 0, r = 0;
    for (std::int32_t k = 0; k < taps; ++k, p += 3) {
      b += p[0] * w[k];
      g += p[1] * w[k];
      r += p[2] * w[k];
    }
    if constexpr (sizeof(Out) == 1) {
      out[0] = Finish(b);
      out[1] = Finish(g);
      out[2] = Finish(r);
    } else {
      out[0] = b;
      out[1] = g;
      out[2] = r;
    }
  }
}

template <typename Sample, typename Out>
void Across(const Sample* row, const AxisTaps& xs, std::int32_t targetWidth, Out* out) {
  switch (xs.taps) {
    case 1:
      AcrossWith<1>(row, xs, targetWidth, out);
      break;
    case 2:
      AcrossWith<2>(row, xs, targetWidth, out);
      break;
    case 3:
      AcrossWith<3>(row, xs, targetWidth, out);
      break;
    default:
      AcrossWith<0>(row, xs, targetWidth, out);
      break;
  }
}

// The weighted sum of up to three source rows; rows with zero weight are left out, which does
// not change the sums.
void DownColumn(const std::uint8_t* const* rows, const std::uint32_t* weights, int count, std::size_t m,
                std::uint32_t* acc) {
  if (count == 1) {
    const std::uint8_t* a = rows[0];
    const std::uint32_t wa = weights[0];
    for (std::size_t i = 0; i < m; ++i) acc[i] = a[i] * wa;
  } else if (count == 2) {
    const std::uint8_t *a = rows[0], *b = rows[1];
    const std::uint32_t wa = weights[0], wb = weights[1];
    for (std::size_t i = 0; i < m; ++i) acc[i] = a[i] * wa + b[i] * wb;
  } else {
    const std::uint8_t *a = rows[0], *b = rows[1], *c = rows[2];
    const std::uint32_t wa = weights[0], wb = weights[1], wc = weights[2];
    for (std::size_t i = 0; i < m; ++i) acc[i] = a[i] * wa + b[i] * wb + c[i] * wc;
  }
}

// Exactly half in both directions: each target pixel is the rounded mean of a 2 x 2 block, which
// is what the general weights give too (2048 each way), only faster.
void HalveExactly(const DibView& source, const Region& region, std::int32_t targetWidth,
                  std::int32_t targetHeight, ResampledRows& rows) {
  const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
  for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
    const std::uint8_t* a =
        source.TopDownRow(region.top + 2 * ty) + 3 * static_cast<std::size_t>(region.left);
    const std::uint8_t* b = a + down;
    std::uint8_t* dst = rows.Row(ty);
    for (std::size_t i = 0; i < n; i += 3, a += 6, b += 6) {
      dst[i] = static_cast<std::uint8_t>((a[0] + a[3] + b[0] + b[3] + 2) >> 2);
      dst[i + 1] = static_cast<std::uint8_t>((a[1] + a[4] + b[1] + b[4] + 2) >> 2);
      dst[i + 2] = static_cast<std::uint8_t>((a[2] + a[5] + b[2] + b[5] + 2) >> 2);
    }
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
    HalveExactly(source, region, targetWidth, targetHeight, rows);
    return true;
  }
  try {
    const AxisTaps xs = BuildAxis(region.Width(), targetWidth);
    const AxisTaps ys = BuildAxis(region.Height(), targetHeight);
    const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
    const std::uint8_t* regionLeft =
        source.TopDownRow(region.top) + 3 * static_cast<std::size_t>(region.left);
    const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);

    if (targetHeight < region.Height()) {
      // Fewer target rows than source rows: weigh the rows down first, then resample the one
      // combined row across. The sums are exact, so the order does not change the result.
      const std::size_t m = 3 * static_cast<std::size_t>(region.Width());
      std::vector<std::uint32_t> column(m);
      std::vector<const std::uint8_t*> taken(static_cast<std::size_t>(ys.taps));
      std::vector<std::uint32_t> weights(static_cast<std::size_t>(ys.taps));
      for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
        const std::uint32_t* wy = ys.weights.data() + static_cast<std::size_t>(ty) * ys.taps;
        int count = 0;
        for (std::int32_t k = 0; k < ys.taps; ++k) {
          if (wy[k] == 0) continue;
          taken[count] = regionLeft + down * (ys.first[ty] + k);
          weights[count] = wy[k];
          ++count;
        }
        DownColumn(taken.data(), weights.data(), std::min(count, 3), m, column.data());
        // Shrinking to less than a third adds the further rows one by one.
        for (int k = 3; k < count; ++k) {
          const std::uint8_t* src = taken[k];
          const std::uint32_t weight = weights[k];
          for (std::size_t i = 0; i < m; ++i) column[i] += src[i] * weight;
        }
        Across(column.data(), xs, targetWidth, rows.Row(ty));
        rows.RowDone(ty);
      }
      return true;
    }

    // As many target rows as source rows or more: resample each source row across once;
    // neighbouring target rows share at most two of them, so two are kept. Each target row is
    // then at most two of them weighted down.
    std::vector<std::uint32_t> cache[2] = {std::vector<std::uint32_t>(n), std::vector<std::uint32_t>(n)};
    std::int32_t cached[2] = {-1, -1};
    int nextSlot = 0;
    for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
      const std::uint32_t* wy = ys.weights.data() + static_cast<std::size_t>(ty) * ys.taps;
      const std::uint32_t* taken[2] = {nullptr, nullptr};
      std::uint32_t weights[2] = {0, 0};
      int count = 0;
      for (std::int32_t k = 0; k < ys.taps && count < 2; ++k) {
        if (wy[k] == 0) continue;
        const std::int32_t sy = ys.first[ty] + k;
        int slot = cached[0] == sy ? 0 : (cached[1] == sy ? 1 : -1);
        if (slot < 0) {
          slot = nextSlot;
          nextSlot ^= 1;
          Across(regionLeft + down * sy, xs, targetWidth, cache[slot].data());
          cached[slot] = sy;
        }
        taken[count] = cache[slot].data();
        weights[count] = wy[k];
        ++count;
      }
      std::uint8_t* dst = rows.Row(ty);
      if (count == 1) {
        const std::uint32_t* a = taken[0];
        const std::uint32_t wa = weights[0];
        for (std::size_t i = 0; i < n; ++i) dst[i] = Finish(a[i] * wa);
      } else {
        const std::uint32_t *a = taken[0], *b = taken[1];
        const std::uint32_t wa = weights[0], wb = weights[1];
        for (std::size_t i = 0; i < n; ++i) dst[i] = Finish(a[i] * wa + b[i] * wb);
      }
      rows.RowDone(ty);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
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

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

// Source taps of each target index: the covered source indices [first, first + count) and their
// weights, which add up to exactly kOne.
struct AxisTaps {
  std::vector<std::int32_t> first;
  std::vector<std::int32_t> count;
  std::vector<std::int32_t> offset;  // into weights
  std::vector<std::uint32_t> weights;
};

// Target index t covers [t * S, (t + 1) * S) and source index s covers [s * T, (s + 1) * T),
// both in units of 1/T source pixels, so overlaps are exact integers that add up to S.
AxisTaps BuildAxis(std::int64_t sourceSize, std::int64_t targetSize) {
  AxisTaps axis;
  axis.first.resize(targetSize);
  axis.count.resize(targetSize);
  axis.offset.resize(targetSize);
  axis.weights.reserve(targetSize + sourceSize + 1);
  for (std::int64_t t = 0; t < targetSize; ++t) {
    const std::int64_t begin = t * sourceSize;
    const std::int64_t end = begin + sourceSize;
    const std::int64_t first = begin / targetSize;
    const std::int64_t last = (end - 1) / targetSize;
    axis.first[t] = static_cast<std::int32_t>(first);
    axis.count[t] = static_cast<std::int32_t>(last - first + 1);
    axis.offset[t] = static_cast<std::int32_t>(axis.weights.size());
    // Rounded running totals keep the sum at exactly kOne.
    std::int64_t covered = 0;
    std::uint32_t given = 0;
    for (std::int64_t s = first; s <= last; ++s) {
      const std::int64_t lo = s * targetSize > begin ? s * targetSize : begin;
      const std::int64_t hi = (s + 1) * targetSize < end ? (s + 1) * targetSize : end;
      covered += hi - lo;
      const auto total = static_cast<std::uint32_t>((covered * kOne + sourceSize / 2) / sourceSize);
      axis.weights.push_back(total - given);
      given = total;
    }
  }
  return axis;
}

// One row resampled across: three sums per target pixel, each sample times its weight. The row
// holds source bytes, or sums of source rows already weighted down the column.
template <typename Sample>
void ResampleRow(const Sample* row, const AxisTaps& xs, std::int32_t targetWidth, std::uint32_t* out) {
  for (std::int32_t t = 0; t < targetWidth; ++t, out += 3) {
    const Sample* p = row + 3 * static_cast<std::size_t>(xs.first[t]);
    const std::uint32_t* w = xs.weights.data() + xs.offset[t];
    std::uint32_t b = p[0] * w[0], g = p[1] * w[0], r = p[2] * w[0];
    const std::int32_t count = xs.count[t];
    if (count > 1) {
      // Resizing by less than half gives two or three taps; they are spelled out.
      b += p[3] * w[1];
      g += p[4] * w[1];
      r += p[5] * w[1];
      for (std::int32_t k = 2; k < count; ++k) {
        b += p[3 * k] * w[k];
        g += p[3 * k + 1] * w[k];
        r += p[3 * k + 2] * w[k];
      }
    }
    out[0] = b;
    out[1] = g;
    out[2] = r;
  }
}

// Exactly half in both directions: each target pixel is the rounded mean of a 2 x 2 block, which
// is what the general weights give too (2048 each way), only faster.
void HalveExactly(const DibView& source, const Region& region, DibBlock& out) {
  const std::size_t n = 3 * static_cast<std::size_t>(out.Width());
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
  for (std::int32_t ty = 0; ty < out.Height(); ++ty) {
    const std::uint8_t* a =
        source.TopDownRow(region.top + 2 * ty) + 3 * static_cast<std::size_t>(region.left);
    const std::uint8_t* b = a + down;
    std::uint8_t* dst = out.TopDownRow(ty);
    for (std::size_t i = 0; i < n; i += 3, a += 6, b += 6) {
      dst[i] = static_cast<std::uint8_t>((a[0] + a[3] + b[0] + b[3] + 2) >> 2);
      dst[i + 1] = static_cast<std::uint8_t>((a[1] + a[4] + b[1] + b[4] + 2) >> 2);
      dst[i + 2] = static_cast<std::uint8_t>((a[2] + a[5] + b[2] + b[5] + 2) >> 2);
    }
    std::fill(dst + n, dst + out.RowBytes(), std::uint8_t{0});
  }
}

}  // namespace

DibPtr ResampleRegion(const DibView& source, const Region& region, std::int32_t targetWidth,
                      std::int32_t targetHeight) {
  if (targetWidth <= 0 || targetHeight <= 0 || region.Empty() || region.left < 0 || region.top < 0 ||
      region.right > source.width || region.bottom > source.height)
    return nullptr;
  DibPtr out = DibBlock::AllocateLike(*source.header, targetWidth, targetHeight);
  if (!out) return nullptr;
  if (region.Width() == 2 * targetWidth && region.Height() == 2 * targetHeight) {
    HalveExactly(source, region, *out);
    return out;
  }
  try {
    const AxisTaps xs = BuildAxis(region.Width(), targetWidth);
    const AxisTaps ys = BuildAxis(region.Height(), targetHeight);
    const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
    const std::uint8_t* regionLeft =
        source.TopDownRow(region.top) + 3 * static_cast<std::size_t>(region.left);
    const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
    auto finish = [&](const std::vector<std::uint32_t>& sum, std::int32_t ty) {
      std::uint8_t* dst = out->TopDownRow(ty);
      for (std::size_t i = 0; i < n; ++i)
        dst[i] = static_cast<std::uint8_t>((sum[i] + (1u << (2 * kShift - 1))) >> (2 * kShift));
      std::fill(dst + n, dst + out->RowBytes(), std::uint8_t{0});
    };

    if (targetHeight < region.Height()) {
      // Fewer target rows than source rows: weigh the rows down first, then resample the one
      // combined row across. The sums are exact, so the order does not change the result.
      const std::size_t m = 3 * static_cast<std::size_t>(region.Width());
      std::vector<std::uint32_t> column(m), sum(n);
      for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
        const std::uint32_t* wy = ys.weights.data() + ys.offset[ty];
        for (std::int32_t k = 0; k < ys.count[ty]; ++k) {
          const std::uint8_t* src = regionLeft + down * (ys.first[ty] + k);
          const std::uint32_t weight = wy[k];
          std::uint32_t* acc = column.data();
          if (k == 0) {
            for (std::size_t i = 0; i < m; ++i) acc[i] = src[i] * weight;
          } else {
            for (std::size_t i = 0; i < m; ++i) acc[i] += src[i] * weight;
          }
        }
        ResampleRow(column.data(), xs, targetWidth, sum.data());
        finish(sum, ty);
      }
      return out;
    }

    // As many target rows as source rows or more: resample each source row across once;
    // neighbouring target rows share at most two of them, so two are kept.
    std::vector<std::uint32_t> cache[2] = {std::vector<std::uint32_t>(n), std::vector<std::uint32_t>(n)};
    std::int32_t cached[2] = {-1, -1};
    int nextSlot = 0;
    std::vector<std::uint32_t> sum(n);
    for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
      const std::uint32_t* wy = ys.weights.data() + ys.offset[ty];
      for (std::int32_t k = 0; k < ys.count[ty]; ++k) {
        const std::int32_t sy = ys.first[ty] + k;
        int slot = cached[0] == sy ? 0 : (cached[1] == sy ? 1 : -1);
        if (slot < 0) {
          slot = nextSlot;
          nextSlot ^= 1;
          ResampleRow(regionLeft + down * sy, xs, targetWidth, cache[slot].data());
          cached[slot] = sy;
        }
        const std::uint32_t* row = cache[slot].data();
        const std::uint32_t weight = wy[k];
        std::uint32_t* acc = sum.data();
        if (k == 0) {
          for (std::size_t i = 0; i < n; ++i) acc[i] = row[i] * weight;
        } else {
          for (std::size_t i = 0; i < n; ++i) acc[i] += row[i] * weight;
        }
      }
      finish(sum, ty);
    }
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
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

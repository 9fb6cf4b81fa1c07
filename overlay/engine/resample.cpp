#include "overlay/engine/resample.h"

#include <cstring>
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

// One source row resampled across: three sums per target pixel, each sample times its weight.
void ResampleRow(const std::uint8_t* row, const AxisTaps& xs, std::int32_t targetWidth, std::uint32_t* out) {
  for (std::int32_t t = 0; t < targetWidth; ++t, out += 3) {
    const std::uint8_t* p = row + 3 * static_cast<std::size_t>(xs.first[t]);
    const std::uint32_t* w = xs.weights.data() + xs.offset[t];
    std::uint32_t b = 0, g = 0, r = 0;
    for (std::int32_t k = 0; k < xs.count[t]; ++k, p += 3) {
      b += p[0] * w[k];
      g += p[1] * w[k];
      r += p[2] * w[k];
    }
    out[0] = b;
    out[1] = g;
    out[2] = r;
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
  try {
    const AxisTaps xs = BuildAxis(region.Width(), targetWidth);
    const AxisTaps ys = BuildAxis(region.Height(), targetHeight);
    const std::size_t n = 3 * static_cast<std::size_t>(targetWidth);
    // Neighbouring target rows share at most their boundary source rows, so two resampled
    // rows kept from before save most of the horizontal work.
    std::vector<std::uint32_t> cache[2] = {std::vector<std::uint32_t>(n), std::vector<std::uint32_t>(n)};
    std::int32_t cached[2] = {-1, -1};
    int nextSlot = 0;
    std::vector<std::uint32_t> sum(n);
    const std::uint8_t* regionLeft =
        source.TopDownRow(region.top) + 3 * static_cast<std::size_t>(region.left);
    const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
    for (std::int32_t ty = 0; ty < targetHeight; ++ty) {
      std::fill(sum.begin(), sum.end(), 0u);
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
        for (std::size_t i = 0; i < n; ++i) sum[i] += row[i] * weight;
      }
      std::uint8_t* dst = out->TopDownRow(ty);
      for (std::size_t i = 0; i < n; ++i) {
        dst[i] = static_cast<std::uint8_t>((sum[i] + (1u << (2 * kShift - 1))) >> (2 * kShift));
      }
      std::memset(dst + n, 0, out->RowBytes() - n);
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

#include "overlay/engine/pixels/resample_kernels.h"

#include <algorithm>

namespace zt {

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
    Weight* w = axis.weights.data() + t * taps;
    // Rounded running totals keep the sum at exactly kOne.
    std::int64_t covered = 0;
    std::uint32_t given = 0;
    for (std::int64_t s = first; s <= last; ++s) {
      const std::int64_t lo = s * targetSize > begin ? s * targetSize : begin;
      const std::int64_t hi = (s + 1) * targetSize < end ? (s + 1) * targetSize : end;
      covered += hi - lo;
      const auto total = static_cast<std::uint32_t>((covered * kOne + sourceSize / 2) / sourceSize);
      w[s - start] = static_cast<Weight>(total - given);
      given = total;
    }
  }
  return axis;
}

namespace {

// The weighted sum of one to three rows.
void DownColumn(const std::uint8_t* const* rows, const Weight* weights, int count, std::size_t m,
                RowSum* acc) {
  if (count == 1) {
    const std::uint8_t* a = rows[0];
    const RowSum wa = weights[0];
    for (std::size_t i = 0; i < m; ++i) acc[i] = static_cast<RowSum>(a[i] * wa);
  } else if (count == 2) {
    const std::uint8_t *a = rows[0], *b = rows[1];
    const RowSum wa = weights[0], wb = weights[1];
    for (std::size_t i = 0; i < m; ++i) acc[i] = static_cast<RowSum>(a[i] * wa + b[i] * wb);
  } else {
    const std::uint8_t *a = rows[0], *b = rows[1], *c = rows[2];
    const RowSum wa = weights[0], wb = weights[1], wc = weights[2];
    for (std::size_t i = 0; i < m; ++i) acc[i] = static_cast<RowSum>(a[i] * wa + b[i] * wb + c[i] * wc);
  }
}

}  // namespace

void WeighDown(const std::uint8_t* top, std::ptrdiff_t down, const AxisTaps& ys, std::int32_t ty,
               std::size_t m, RowSum* acc) {
  const Weight* wy = ys.weights.data() + static_cast<std::size_t>(ty) * ys.taps;
  const std::uint8_t* first = top + down * ys.first[ty];
  const std::uint8_t* rows[3] = {};
  Weight weights[3] = {};
  int count = 0;
  std::int32_t k = 0;
  for (; k < ys.taps && count < 3; ++k) {
    if (wy[k] == 0) continue;
    rows[count] = first + down * k;
    weights[count] = wy[k];
    ++count;
  }
  DownColumn(rows, weights, count, m, acc);
  // Shrinking to less than a third adds the further rows one by one.
  for (; k < ys.taps; ++k) {
    if (wy[k] == 0) continue;
    const std::uint8_t* src = first + down * k;
    const RowSum weight = wy[k];
    for (std::size_t i = 0; i < m; ++i) acc[i] = static_cast<RowSum>(acc[i] + src[i] * weight);
  }
}

}  // namespace zt

// The building blocks of the area-averaging resampler: the source taps and weights of each target
// index along one axis, and the row loops that apply them. Shared by the resampler and by the
// laying of stretched ink, which resamples only parts of rows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zt {

// Weights of one axis are fixed-point fractions of kOne. With 8-bit samples a sum weighted along
// one axis stays below 2^16, so such row sums are 16-bit values, which the vector units multiply
// eight at a time; the final sums stay below 2^24.
constexpr std::uint32_t kShift = 8;
constexpr std::uint32_t kOne = 1u << kShift;
constexpr std::uint32_t kHalf = 1u << (2 * kShift - 1);
using Weight = std::uint16_t;
using RowSum = std::uint16_t;

inline std::uint8_t Finish(std::uint32_t sum) {
  return static_cast<std::uint8_t>((sum + kHalf) >> (2 * kShift));
}

// n bytes of target pixels, each the rounded mean of a 2 x 2 block: two pixels of row a and the
// two below them in row b. What the general weights give for exact halving (128 each way).
inline void HalvePairs(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint8_t* dst) {
  for (std::size_t i = 0; i < n; i += 3, a += 6, b += 6) {
    dst[i] = static_cast<std::uint8_t>((a[0] + a[3] + b[0] + b[3] + 2) >> 2);
    dst[i + 1] = static_cast<std::uint8_t>((a[1] + a[4] + b[1] + b[4] + 2) >> 2);
    dst[i + 2] = static_cast<std::uint8_t>((a[2] + a[5] + b[2] + b[5] + 2) >> 2);
  }
}

// Source taps of each target index: every target has the same number of taps, starting at
// first[t]; a target that covers fewer source indices gets zero weights for the rest, and its
// first index moves back where needed so that all taps stay inside the source. The weights of
// a target add up to exactly kOne.
struct AxisTaps {
  std::int32_t taps = 0;
  std::vector<std::int32_t> first;
  std::vector<Weight> weights;  // taps per target
};

// Target index t covers [t * S, (t + 1) * S) and source index s covers [s * T, (s + 1) * T),
// both in units of 1/T source pixels, so overlaps are exact integers that add up to S.
AxisTaps BuildAxis(std::int64_t sourceSize, std::int64_t targetSize);

// Targets [begin, end) of one row resampled across with Taps taps a target pixel (0: any number):
// three sums per target pixel, each sample times its weight. row holds the samples of source
// index base onwards: source bytes, or sums of source rows already weighted down the column; in
// the latter case the sums are final and become bytes, otherwise they are row sums. out receives
// target begin onwards.
template <int Taps, typename Sample, typename Out>
void AcrossWith(const Sample* row, std::int32_t base, const AxisTaps& xs, std::int32_t begin,
                std::int32_t end, Out* out) {
  const std::int32_t taps = Taps > 0 ? Taps : xs.taps;
  const std::int32_t* first = xs.first.data();
  const Weight* w = xs.weights.data() + static_cast<std::size_t>(begin) * taps;
  for (std::int32_t t = begin; t < end; ++t, out += 3, w += taps) {
    const Sample* p = row + 3 * static_cast<std::size_t>(first[t] - base);
    std::uint32_t b = 0, g = 0, r = 0;
    if constexpr (Taps == 2) {
      // The two weights add up to kOne, so one product a channel does: p0 * w0 + p1 * w1 is
      // p0 * kOne + (p1 - p0) * w1.
      const std::int32_t w1 = w[1];
      b = static_cast<std::uint32_t>((std::int32_t{p[0]} << kShift) + (p[3] - p[0]) * w1);
      g = static_cast<std::uint32_t>((std::int32_t{p[1]} << kShift) + (p[4] - p[1]) * w1);
      r = static_cast<std::uint32_t>((std::int32_t{p[2]} << kShift) + (p[5] - p[2]) * w1);
    } else {
      for (std::int32_t k = 0; k < taps; ++k, p += 3) {
        const std::uint32_t weight = w[k];
        b += p[0] * weight;
        g += p[1] * weight;
        r += p[2] * weight;
      }
    }
    if constexpr (sizeof(Out) == 1) {
      out[0] = Finish(b);
      out[1] = Finish(g);
      out[2] = Finish(r);
    } else {
      out[0] = static_cast<RowSum>(b);
      out[1] = static_cast<RowSum>(g);
      out[2] = static_cast<RowSum>(r);
    }
  }
}

template <typename Sample, typename Out>
void Across(const Sample* row, std::int32_t base, const AxisTaps& xs, std::int32_t begin, std::int32_t end,
            Out* out) {
  switch (xs.taps) {
    case 1:
      AcrossWith<1>(row, base, xs, begin, end, out);
      break;
    case 2:
      AcrossWith<2>(row, base, xs, begin, end, out);
      break;
    case 3:
      AcrossWith<3>(row, base, xs, begin, end, out);
      break;
    default:
      AcrossWith<0>(row, base, xs, begin, end, out);
      break;
  }
}

// The source rows of target row ty weighted down the column: m bytes of each, starting in row 0 at
// top and one row lower every down bytes. Rows with zero weight are left out, which does not
// change the sums.
void WeighDown(const std::uint8_t* top, std::ptrdiff_t down, const AxisTaps& ys, std::int32_t ty,
               std::size_t m, RowSum* acc);

}  // namespace zt

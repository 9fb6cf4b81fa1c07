// The SSSE3 table: byte shuffles move whole three-byte pixels at once. Compiled for SSSE3 by
// function attributes only, so nothing else in the program can come to need it; KernelsAt hands
// these out only where the processor has it.
#include <tmmintrin.h>

#include <cstring>

#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample_kernels.h"

#define ZT_SSSE3 __attribute__((target("ssse3")))

namespace zt {

namespace {

// Twelve bytes exactly: the last pixels of an image may end its memory.
ZT_SSSE3 inline __m128i Load12(const std::uint8_t* p) {
  std::uint32_t high;
  std::memcpy(&high, p + 8, 4);
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                            _mm_cvtsi32_si128(static_cast<int>(high)));
}

ZT_SSSE3 inline void Store12(std::uint8_t* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  const auto high = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
  std::memcpy(p + 8, &high, 4);
}

}  // namespace

// Each source row's four pixels are spread to four 32-bit lanes, the 4 x 4 lanes transposed,
// and each column packed back to twelve bytes.
ZT_SSSE3 void TurnBlocksSsse3(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst,
                              std::ptrdiff_t nextRow, int blocks) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  for (int i = 0; i < blocks; ++i, src += 4 * down, dst += 12) {
    const __m128i e0 = _mm_shuffle_epi8(Load12(src), spread);
    const __m128i e1 = _mm_shuffle_epi8(Load12(src + down), spread);
    const __m128i e2 = _mm_shuffle_epi8(Load12(src + 2 * down), spread);
    const __m128i e3 = _mm_shuffle_epi8(Load12(src + 3 * down), spread);
    const __m128i t0 = _mm_unpacklo_epi32(e0, e1), t1 = _mm_unpacklo_epi32(e2, e3);
    const __m128i t2 = _mm_unpackhi_epi32(e0, e1), t3 = _mm_unpackhi_epi32(e2, e3);
    // Column j holds pixel j of the four source rows: target row 3 - j.
    Store12(dst, _mm_shuffle_epi8(_mm_unpackhi_epi64(t2, t3), pack));
    Store12(dst + nextRow, _mm_shuffle_epi8(_mm_unpacklo_epi64(t2, t3), pack));
    Store12(dst + 2 * nextRow, _mm_shuffle_epi8(_mm_unpackhi_epi64(t0, t1), pack));
    Store12(dst + 3 * nextRow, _mm_shuffle_epi8(_mm_unpacklo_epi64(t0, t1), pack));
  }
}

namespace {

// The sums of horizontal pixel pairs of 48 bytes (16 pixels) of a row, in four groups of six
// 16-bit lanes: group g, lane 3 * q + c is byte c of pixel 2 * (2g + q) plus byte c of the pixel
// after it. Each group is a 12-byte window whose pairs a shuffle puts side by side for the
// multiply-add with ones.
ZT_SSSE3 inline void PairSums(const std::uint8_t* p, __m128i sums[4]) {
  const __m128i pairs = _mm_setr_epi8(0, 3, 1, 4, 2, 5, 6, 9, 7, 10, 8, 11, -1, -1, -1, -1);
  const __m128i ones = _mm_set1_epi8(1);
  const __m128i a0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i a1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
  const __m128i a2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 32));
  const __m128i windows[4] = {a0, _mm_alignr_epi8(a1, a0, 12), _mm_alignr_epi8(a2, a1, 8),
                              _mm_srli_si128(a2, 4)};
  for (int g = 0; g < 4; ++g) sums[g] = _mm_maddubs_epi16(_mm_shuffle_epi8(windows[g], pairs), ones);
}

}  // namespace

// 24 target bytes (eight pixels) from 48 bytes of each row at a time; the rest as the plain loop.
ZT_SSSE3 void HalvePairsSsse3(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                              std::uint8_t* dst) {
  const __m128i two = _mm_set1_epi16(2);
  const __m128i twelve = _mm_setr_epi8(0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 13, -1, -1, -1, -1);
  std::size_t i = 0;
  for (; i + 24 <= n; i += 24, a += 48, b += 48) {
    __m128i top[4], bottom[4], means[4];
    PairSums(a, top);
    PairSums(b, bottom);
    for (int g = 0; g < 4; ++g)
      means[g] = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(top[g], bottom[g]), two), 2);
    const __m128i first = _mm_shuffle_epi8(_mm_packus_epi16(means[0], means[1]), twelve);
    const __m128i second = _mm_shuffle_epi8(_mm_packus_epi16(means[2], means[3]), twelve);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_or_si128(first, _mm_slli_si128(second, 12)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + i + 16), _mm_srli_si128(second, 4));
  }
  HalvePairs(a, b, n - i, dst + i);
}

// Four targets at a time: one load holds their eight taps, three shuffles pair each channel's
// two samples as 16-bit lanes, and multiply-adds with the paired weights give the sums.
ZT_SSSE3 void AcrossGroupsSsse3(const std::uint8_t* row, const AxisTaps&, const AcrossGroups& plan,
                                RowSum* out) {
  // The sums lie in [0, 65280]: moved down by 32768 they pack to signed 16 bits unclipped, and
  // flipping the top bit moves them back.
  const __m128i down = _mm_set1_epi32(32768);
  const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
  const auto* shuffles = reinterpret_cast<const __m128i*>(plan.shuffles.data());
  const auto* weights = reinterpret_cast<const __m128i*>(plan.weights.data());
  for (std::int32_t g = 0; g < plan.groups; ++g, shuffles += 3, weights += 3, out += 12) {
    const __m128i src =
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 3 * static_cast<std::size_t>(plan.first[g])));
    __m128i sums[3];
    for (int r = 0; r < 3; ++r)
      sums[r] = _mm_sub_epi32(
          _mm_madd_epi16(_mm_shuffle_epi8(src, _mm_loadu_si128(shuffles + r)), _mm_loadu_si128(weights + r)),
          down);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_xor_si128(_mm_packs_epi32(sums[0], sums[1]), flip));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + 8),
                     _mm_xor_si128(_mm_packs_epi32(sums[2], sums[2]), flip));
  }
}

// Four pixels at a time: the bytes below 200 are found at once, spread to a 32-bit lane a pixel,
// where a lane without any is a background pixel, and packed back as the mask of the bytes that
// stay.
ZT_SSSE3 void LayInkSsse3(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i pack = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m128i highestInk = _mm_set1_epi8(static_cast<char>(199));
  const __m128i zero = _mm_setzero_si128();
  std::size_t i = 0;
  for (; i + 12 <= n; i += 12) {
    const __m128i s = Load12(src + i);
    const __m128i low = _mm_cmpeq_epi8(_mm_min_epu8(s, highestInk), s);
    const __m128i keep = _mm_shuffle_epi8(_mm_cmpeq_epi32(_mm_shuffle_epi8(low, spread), zero), pack);
    Store12(dst + i, _mm_or_si128(_mm_and_si128(keep, Load12(dst + i)), _mm_andnot_si128(keep, s)));
  }
  LayInkPlain(src + i, dst + i, n - i);
}

// Sixteen targets at a time. The sums, moved down by 32768 (the top bit flipped), are signed
// 16-bit lanes that pair with their weights for the multiply-add; what the move took off,
// 32768 * (wa + wb), comes back with the rounding. Sums stay below 2^24, so nothing overflows.
ZT_SSSE3 void BlendRowsSsse3(const RowSum* a, Weight wa, const RowSum* b, Weight wb, std::size_t n,
                             std::uint8_t* dst) {
  const __m128i flip = _mm_set1_epi16(static_cast<short>(0x8000));
  const __m128i weights = _mm_set1_epi32(static_cast<int>(wa | static_cast<std::uint32_t>(wb) << 16));
  const __m128i back = _mm_set1_epi32(static_cast<int>(32768u * (wa + wb) + kHalf));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    __m128i sums[4];
    for (int h = 0; h < 2; ++h) {
      const __m128i x = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i + 8 * h)), flip);
      const __m128i y = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i + 8 * h)), flip);
      sums[2 * h] =
          _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(x, y), weights), back), 16);
      sums[2 * h + 1] =
          _mm_srli_epi32(_mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(x, y), weights), back), 16);
    }
    const __m128i bytes =
        _mm_packus_epi16(_mm_packs_epi32(sums[0], sums[1]), _mm_packs_epi32(sums[2], sums[3]));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), bytes);
  }
  BlendRowsPlain(a + i, wa, b + i, wb, n - i, dst + i);
}

}  // namespace zt

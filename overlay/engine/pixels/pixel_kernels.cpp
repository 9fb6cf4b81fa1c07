#include "overlay/engine/pixels/pixel_kernels.h"

#include <cstring>

#include "overlay/engine/pixels/ink_pixel.h"
#include "overlay/engine/pixels/resample_kernels.h"

namespace zt {

namespace {

inline std::uint64_t Load64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline std::uint32_t Load32(const std::uint8_t* p) {
  std::uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// One block: the pixels travel in registers, so each target row gets two stores instead of four
// three-byte ones.
inline void TurnBlock4(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst,
                       std::ptrdiff_t nextRow) {
  std::uint32_t px[4][4];
  for (int i = 0; i < 4; ++i, src += down) {
    const std::uint64_t a = Load64(src);
    const std::uint32_t b = Load32(src + 8);
    px[i][0] = static_cast<std::uint32_t>(a) & 0xFFFFFFu;
    px[i][1] = static_cast<std::uint32_t>(a >> 24) & 0xFFFFFFu;
    px[i][2] = static_cast<std::uint32_t>(a >> 48) | (b & 0xFFu) << 16;
    px[i][3] = b >> 8;
  }
  for (int k = 0; k < 4; ++k, dst += nextRow) {
    const int j = 3 - k;
    const std::uint64_t low =
        px[0][j] | static_cast<std::uint64_t>(px[1][j]) << 24 | static_cast<std::uint64_t>(px[2][j]) << 48;
    const std::uint32_t high = px[2][j] >> 16 | px[3][j] << 8;
    std::memcpy(dst, &low, 8);
    std::memcpy(dst + 8, &high, 4);
  }
}

const PixelKernels kPlain{&TurnBlocksPlain, &HalvePairsPlain, &AcrossGroupsPlain, &LayInkPlain,
                          &BlendRowsPlain};
#if defined(__i386__) || defined(__x86_64__)
const PixelKernels kSsse3{&TurnBlocksSsse3, &HalvePairsSsse3, &AcrossGroupsSsse3, &LayInkSsse3,
                          &BlendRowsSsse3};
#endif

}  // namespace

void TurnBlocksPlain(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst, std::ptrdiff_t nextRow,
                     int blocks) {
  for (int i = 0; i < blocks; ++i, src += 4 * down, dst += 12) TurnBlock4(src, down, dst, nextRow);
}

void HalvePairsPlain(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint8_t* dst) {
  HalvePairs(a, b, n, dst);
}

void AcrossGroupsPlain(const std::uint8_t* row, const AxisTaps& xs, const AcrossGroups& plan, RowSum* out) {
  Across(row, 0, xs, 0, plan.groups * AcrossGroups::kTargets, out);
}

void LayInkPlain(const std::uint8_t* src, std::uint8_t* dst, std::size_t n) {
  for (std::size_t i = 0; i < n; i += 3)
    if (IsInk(src + i)) std::memcpy(dst + i, src + i, 3);
}

void BlendRowsPlain(const RowSum* a, Weight wa, const RowSum* b, Weight wb, std::size_t n,
                    std::uint8_t* dst) {
  for (std::size_t i = 0; i < n; ++i)
    dst[i] = Finish(static_cast<std::uint32_t>(a[i]) * wa + static_cast<std::uint32_t>(b[i]) * wb);
}

const PixelKernels& KernelsAt(VectorLevel level) {
#if defined(__i386__) || defined(__x86_64__)
  if (level >= VectorLevel::kSsse3 && ProcessorLevel() >= VectorLevel::kSsse3) return kSsse3;
#endif
  (void)level;
  return kPlain;
}

const PixelKernels& Kernels() { return KernelsAt(ActiveLevel()); }

}  // namespace zt

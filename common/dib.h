// The 40-byte bitmap header and row arithmetic shared by the engine and the image-file library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt {

// Same layout as the platform's BITMAPINFOHEADER.
struct BitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};

static_assert(sizeof(BitmapInfoHeader) == 40);
static_assert(offsetof(BitmapInfoHeader, biWidth) == 4);
static_assert(offsetof(BitmapInfoHeader, biHeight) == 8);
static_assert(offsetof(BitmapInfoHeader, biPlanes) == 12);
static_assert(offsetof(BitmapInfoHeader, biBitCount) == 14);
static_assert(offsetof(BitmapInfoHeader, biCompression) == 16);
static_assert(offsetof(BitmapInfoHeader, biSizeImage) == 20);
static_assert(offsetof(BitmapInfoHeader, biXPelsPerMeter) == 24);
static_assert(offsetof(BitmapInfoHeader, biYPelsPerMeter) == 28);
static_assert(offsetof(BitmapInfoHeader, biClrUsed) == 32);
static_assert(offsetof(BitmapInfoHeader, biClrImportant) == 36);

inline constexpr std::uint32_t kBiRgb = 0;
inline constexpr std::size_t kBitmapInfoHeaderSize = 40;

// Bytes of one pixel row: bits rounded up to whole 32-bit words. 0 for a width or bit count
// that is not positive. Computed in 64 bits so that no width overflows it.
constexpr std::uint64_t DibRowBytes(std::int64_t width, int bitsPerPixel) {
  if (width <= 0 || bitsPerPixel <= 0) return 0;
  return ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32) * 4;
}

// A 24-bit row: (3 * width + 3) rounded down to a multiple of 4.
constexpr std::uint64_t DibRowBytes24(std::int64_t width) { return DibRowBytes(width, 24); }

static_assert(DibRowBytes24(1) == 4 && DibRowBytes24(4) == 12 && DibRowBytes24(5) == 16);
static_assert(DibRowBytes(1, 1) == 4 && DibRowBytes(33, 1) == 8);

// Bytes of a 24-bit pixel area, or 0 when the dimensions are not positive.
constexpr std::uint64_t DibImageBytes24(std::int64_t width, std::int64_t height) {
  return height <= 0 ? 0 : DibRowBytes24(width) * static_cast<std::uint64_t>(height);
}

}  // namespace zt

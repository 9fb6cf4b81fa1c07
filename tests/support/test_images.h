// Small images for the engine's tests: built pixel by pixel, read back top-down.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"

namespace zt::test {

struct Bgr {
  std::uint8_t b, g, r;
  bool operator==(const Bgr& o) const { return b == o.b && g == o.g && r == o.r; }
};

inline constexpr Bgr kWhite{255, 255, 255};
inline constexpr Bgr kBlack{0, 0, 0};
inline constexpr Bgr kInk{30, 20, 200};

inline Bgr PixelAt(const DibBlock& dib, int x, int y) {
  const std::uint8_t* p = dib.TopDownRow(y) + 3 * x;
  return Bgr{p[0], p[1], p[2]};
}

inline void SetPixel(DibBlock& dib, int x, int y, Bgr c) {
  std::uint8_t* p = dib.TopDownRow(y) + 3 * x;
  p[0] = c.b;
  p[1] = c.g;
  p[2] = c.r;
}

// An image whose pixel (x, y), top-down, is colour(x, y); padding bytes are zero.
inline DibPtr MakeImage(int width, int height, const std::function<Bgr(int, int)>& colour) {
  DibPtr dib = DibBlock::Allocate(width, height);
  std::memset(dib->Pixels(), 0, dib->PixelBytes());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) SetPixel(*dib, x, y, colour(x, y));
  return dib;
}

inline DibPtr Filled(int width, int height, Bgr c) {
  return MakeImage(width, height, [c](int, int) { return c; });
}

// Each pixel distinct: its coordinates are in its bytes.
inline Bgr Coded(int x, int y) {
  return Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
             static_cast<std::uint8_t>(x + 7 * y)};
}

// The block's bytes (header and rows), as a loader hands them out.
inline std::vector<std::uint8_t> PackedBytes(const DibBlock& dib) {
  const auto* p = static_cast<const std::uint8_t*>(dib.Packed());
  return std::vector<std::uint8_t>(p, p + 40 + dib.PixelBytes());
}

// A 1-bit packed DIB with palette entries 0 and 1; bit(x, y) top-down.
inline std::vector<std::uint8_t> Monochrome(int width, int height, Bgr zero, Bgr one,
                                            const std::function<bool(int, int)>& bit) {
  const std::size_t rowBytes = ((width + 31) / 32) * 4;
  std::vector<std::uint8_t> bytes(40 + 8 + rowBytes * height, 0);
  BitmapInfoHeader h{};
  h.biSize = 40;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 1;
  h.biClrUsed = 2;
  std::memcpy(bytes.data(), &h, 40);
  const std::uint8_t palette[8] = {zero.b, zero.g, zero.r, 0, one.b, one.g, one.r, 0};
  std::memcpy(bytes.data() + 40, palette, 8);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = bytes.data() + 48 + rowBytes * (height - 1 - y);
    for (int x = 0; x < width; ++x)
      if (bit(x, y)) row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
  }
  return bytes;
}

}  // namespace zt::test

#include "overlay/engine/scan_image.h"

#include <algorithm>
#include <cstring>

#include "overlay/engine/resample.h"

namespace zt {

std::optional<LoadedDibLayout> ReadLoadedDib(const void* packed) {
  if (!packed) return std::nullopt;
  LoadedDibLayout dib;
  std::memcpy(&dib.header, packed, sizeof dib.header);
  const BitmapInfoHeader& h = dib.header;
  if (h.biSize != kBitmapInfoHeaderSize || h.biWidth <= 0 || h.biHeight <= 0 || h.biPlanes != 1 ||
      h.biCompression != kBiRgb)
    return std::nullopt;
  const auto* bytes = static_cast<const std::uint8_t*>(packed) + kBitmapInfoHeaderSize;
  if (h.biBitCount == 24) {
    // A 24-bit image from the load carries no palette.
    if (h.biClrUsed != 0) return std::nullopt;
    dib.pixels = bytes;
  } else if (h.biBitCount == 1) {
    // Two entries; 0 is the usual shorthand for "all that the depth allows".
    if (h.biClrUsed != 2 && h.biClrUsed != 0) return std::nullopt;
    dib.palette = bytes;
    dib.pixels = bytes + 2 * 4;
  } else {
    return std::nullopt;
  }
  dib.bitsPerPixel = h.biBitCount;
  dib.rowBytes = static_cast<std::size_t>(DibRowBytes(h.biWidth, h.biBitCount));
  // The 24-bit form of the image must be one the engine can hold.
  if (DibImageBytes24(h.biWidth, h.biHeight) > kMaxDibPixelBytes) return std::nullopt;
  return dib;
}

DibView ViewOfLoaded(const LoadedDibLayout& dib) {
  DibView view;
  view.width = dib.header.biWidth;
  view.height = dib.header.biHeight;
  view.rowBytes = dib.rowBytes;
  view.pixels = dib.pixels;
  view.header = &dib.header;
  return view;
}

DibPtr ExpandMonochrome(const LoadedDibLayout& dib) {
  if (dib.bitsPerPixel != 1) return nullptr;
  const int width = dib.header.biWidth;
  const int height = dib.header.biHeight;
  DibPtr out = DibBlock::AllocateLike(dib.header, width, height);
  if (!out) return nullptr;
  std::uint8_t colours[2][3];
  for (int i = 0; i < 2; ++i) std::memcpy(colours[i], dib.palette + 4 * i, 3);
  const std::size_t outRow = out->RowBytes();
  const int fullBytes = width / 8;
  const int tailBits = width % 8;
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = dib.pixels + dib.rowBytes * static_cast<std::size_t>(y);
    std::uint8_t* dst = out->Pixels() + outRow * static_cast<std::size_t>(y);
    for (int i = 0; i < fullBytes; ++i, ++src) {
      const unsigned bits = *src;
      for (int bit = 7; bit >= 0; --bit, dst += 3) std::memcpy(dst, colours[(bits >> bit) & 1u], 3);
    }
    for (int bit = 7; bit > 7 - tailBits; --bit, dst += 3) std::memcpy(dst, colours[(*src >> bit) & 1u], 3);
    // Padding bytes of the row get a defined value.
    std::fill(dst, out->Pixels() + outRow * static_cast<std::size_t>(y + 1), std::uint8_t{0});
  }
  return out;
}

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

// Four source rows of four pixels each (12 bytes apart by step) become four target rows of four
// pixels: target row k takes pixel 3 - k of each source row. The pixels travel in registers, so
// each target row gets two stores instead of four three-byte ones.
inline void TurnBlock4(const std::uint8_t* src, std::ptrdiff_t srcStep, std::uint8_t* dst,
                       std::ptrdiff_t dstStep) {
  std::uint32_t px[4][4];
  for (int i = 0; i < 4; ++i, src += srcStep) {
    const std::uint64_t a = Load64(src);
    const std::uint32_t b = Load32(src + 8);
    px[i][0] = static_cast<std::uint32_t>(a) & 0xFFFFFFu;
    px[i][1] = static_cast<std::uint32_t>(a >> 24) & 0xFFFFFFu;
    px[i][2] = static_cast<std::uint32_t>(a >> 48) | (b & 0xFFu) << 16;
    px[i][3] = b >> 8;
  }
  for (int k = 0; k < 4; ++k, dst += dstStep) {
    const int j = 3 - k;
    const std::uint64_t low =
        px[0][j] | static_cast<std::uint64_t>(px[1][j]) << 24 | static_cast<std::uint64_t>(px[2][j]) << 48;
    const std::uint32_t high = px[2][j] >> 16 | px[3][j] << 8;
    std::memcpy(dst, &low, 8);
    std::memcpy(dst + 8, &high, 4);
  }
}

}  // namespace

DibPtr TurnQuarterAnticlockwise(const DibView& source) {
  const int w = source.width;
  const int h = source.height;
  DibPtr out = DibBlock::AllocateLike(*source.header, h, w);
  if (!out) return nullptr;
  // Target row r (top-down) is source column W-1-r read from the top row downwards. The work
  // goes in tiles of 128 target rows by 32 target columns, which keeps both the source rows and
  // the target rows of a tile inside the cache and the address translation buffers; inside a
  // tile, blocks of 4 x 4 pixels move at a time.
  constexpr int kTileRows = 128;
  constexpr int kTileColumns = 32;
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
  const std::ptrdiff_t nextRow = -static_cast<std::ptrdiff_t>(out->RowBytes());  // one row lower
  for (int r0 = 0; r0 < w; r0 += kTileRows) {
    const int r1 = std::min(w, r0 + kTileRows);
    for (int c0 = 0; c0 < h; c0 += kTileColumns) {
      const int c1 = std::min(h, c0 + kTileColumns);
      int r = r0;
      for (; r + 4 <= r1; r += 4) {
        std::uint8_t* dst = out->TopDownRow(r) + 3 * static_cast<std::size_t>(c0);
        const std::uint8_t* src = source.TopDownRow(c0) + 3 * static_cast<std::size_t>(w - 4 - r);
        int c = c0;
        for (; c + 4 <= c1; c += 4, src += 4 * down, dst += 12) TurnBlock4(src, down, dst, nextRow);
        for (; c < c1; ++c, src += down, dst += 3) {
          std::uint8_t* d = dst;
          for (int k = 3; k >= 0; --k, d += nextRow) std::memcpy(d, src + 3 * k, 3);
        }
      }
      for (; r < r1; ++r) {
        std::uint8_t* dst = out->TopDownRow(r) + 3 * static_cast<std::size_t>(c0);
        const std::uint8_t* src = source.TopDownRow(c0) + 3 * static_cast<std::size_t>(w - 1 - r);
        for (int c = c0; c < c1; ++c, src += down, dst += 3) std::memcpy(dst, src, 3);
      }
    }
  }
  for (int r = 0; r < w; ++r) {
    std::uint8_t* row = out->TopDownRow(r);
    std::fill(row + 3 * static_cast<std::size_t>(h), row + out->RowBytes(), std::uint8_t{0});
  }
  return out;
}

namespace {

// One row of the ink mask from the same row of the image, padding set to zero.
void MaskRow(const std::uint8_t* src, std::size_t used, std::size_t rowBytes, std::uint8_t* dst) {
  for (std::size_t i = 0; i < used; i += 3) {
    const std::uint8_t v = IsInk(src + i) ? 255 : 0;
    dst[i] = dst[i + 1] = dst[i + 2] = v;
  }
  std::fill(dst + used, dst + rowBytes, std::uint8_t{0});
}

class HalfAndMaskRows final : public ResampledRows {
 public:
  HalfAndMaskRows(DibBlock& half, DibBlock& mask)
      : m_half(half), m_mask(mask), m_used(3 * static_cast<std::size_t>(half.Width())) {}
  std::uint8_t* Row(std::int32_t ty) override { return m_half.TopDownRow(ty); }
  void RowDone(std::int32_t ty) override {
    std::uint8_t* row = m_half.TopDownRow(ty);
    std::fill(row + m_used, row + m_half.RowBytes(), std::uint8_t{0});
    MaskRow(row, m_used, m_half.RowBytes(), m_mask.TopDownRow(ty));
  }

 private:
  DibBlock& m_half;
  DibBlock& m_mask;
  std::size_t m_used;
};

}  // namespace

bool HalveWithInkMask(const DibBlock& image, DibPtr& half, DibPtr& mask) {
  half.reset();
  mask.reset();
  const std::int32_t w = image.Width() / 2, h = image.Height() / 2;
  DibPtr newHalf = DibBlock::AllocateLike(image.Header(), w, h);
  if (!newHalf) return false;
  DibPtr newMask = DibBlock::AllocateLike(newHalf->Header(), w, h);
  if (!newMask) return false;
  HalfAndMaskRows rows(*newHalf, *newMask);
  if (!ResampleRegionInto(ViewOf(image), Region{0, 0, image.Width(), image.Height()}, w, h, rows))
    return false;
  half = std::move(newHalf);
  mask = std::move(newMask);
  return true;
}

DibPtr MakeInkMask(const DibBlock& image) {
  DibPtr out = DibBlock::AllocateLike(image.Header(), image.Width(), image.Height());
  if (!out) return nullptr;
  const std::size_t rowBytes = image.RowBytes();
  const std::size_t used = 3 * static_cast<std::size_t>(image.Width());
  for (int y = 0; y < image.Height(); ++y) {
    const std::uint8_t* src = image.Pixels() + rowBytes * y;
    MaskRow(src, used, rowBytes, out->Pixels() + rowBytes * y);
  }
  return out;
}

}  // namespace zt

#include <cstdio>
#include <cstring>
#include <vector>

#include "cvimgfileio/decoded.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

namespace zt::img {

namespace {

std::uint32_t U16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24;
}

// One channel of a bit-field pixel, scaled to 8 bits.
struct Field {
  std::uint32_t mask = 0;
  int shift = 0;
  std::uint32_t max = 0;
  explicit Field(std::uint32_t m) : mask(m) {
    if (!m) return;
    while (!(m & 1)) m >>= 1, ++shift;
    max = m;
  }
  std::uint8_t Get(std::uint32_t px) const {
    if (!max) return 0;
    return static_cast<std::uint8_t>((((px & mask) >> shift) * 255 + max / 2) / max);
  }
};

// Run-length data (8 or 4 bits a pixel) into one index per pixel, rows from the bottom.
// Runs past the right edge are clipped; data that ends before the end-of-bitmap code is a
// truncated file.
void DecodeRle(const std::uint8_t* p, std::size_t n, std::uint32_t w, std::uint32_t h, std::uint32_t bits,
               std::vector<std::uint8_t>& indices) {
  std::size_t at = 0;
  std::uint32_t x = 0, y = 0;
  auto put = [&](std::uint8_t v) {
    if (x < w && y < h) indices[static_cast<std::size_t>(y) * w + x] = v;
    ++x;
  };
  while (at + 2 <= n) {
    const std::uint32_t count = p[at], code = p[at + 1];
    at += 2;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count; ++i)
        put(bits == 8 ? static_cast<std::uint8_t>(code)
                      : static_cast<std::uint8_t>(i & 1 ? code & 15 : code >> 4));
    } else if (code == 0) {
      x = 0, ++y;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      if (at + 2 > n) break;
      x += p[at], y += p[at + 1];
      at += 2;
    } else {
      const std::size_t bytes = bits == 8 ? code : (code + 1) / 2;
      if (at + bytes > n) break;
      for (std::uint32_t i = 0; i < code; ++i)
        put(bits == 8 ? p[at + i]
                      : static_cast<std::uint8_t>(i & 1 ? p[at + i / 2] & 15 : p[at + i / 2] >> 4));
      at += (bytes + 1) & ~std::size_t{1};  // absolute runs keep 16-bit alignment
    }
    if (y >= h) return;
  }
  Fail(IMGFILE_ERR_CORRUPT);
}

void Finish(Decoded& out, std::int32_t ppmX, std::int32_t ppmY, std::uint32_t bits, bool topDown, bool rle) {
  if (ppmX > 0 && ppmY > 0) {
    out.resX = DpiFrom(ppmX / 100.0, 2);
    out.resY = DpiFrom(ppmY / 100.0, 2);
  }
  char text[96];
  std::snprintf(text, sizeof text, "BMP %ux%u, %u bit%s%s", static_cast<unsigned>(out.dib.Width()),
                static_cast<unsigned>(out.dib.Height()), static_cast<unsigned>(bits),
                topDown ? ", top-down" : "", rle ? ", run-length" : "");
  out.description = text;
}

}  // namespace

void DecodeBmp(const std::uint8_t* data, std::size_t size, Decoded& out) {
  if (size < 26) Fail(IMGFILE_ERR_CORRUPT);
  const std::uint32_t offBits = U32(data + 10);
  const std::uint32_t hdr = U32(data + 14);
  if (hdr != 12 && (hdr < 40 || hdr > 124)) Fail(IMGFILE_ERR_UNSUPPORTED);
  if (14ull + hdr > size) Fail(IMGFILE_ERR_CORRUPT);
  const std::uint8_t* h = data + 14;

  std::int64_t width, height;
  std::uint32_t bits, compression = 0, clrUsed = 0;
  std::int32_t ppmX = 0, ppmY = 0;
  if (hdr == 12) {
    width = U16(h + 4);
    height = static_cast<std::int16_t>(U16(h + 6));
    bits = U16(h + 10);
  } else {
    width = static_cast<std::int32_t>(U32(h + 4));
    height = static_cast<std::int32_t>(U32(h + 8));
    bits = U16(h + 14);
    compression = U32(h + 16);
    ppmX = static_cast<std::int32_t>(U32(h + 24));
    ppmY = static_cast<std::int32_t>(U32(h + 28));
    clrUsed = U32(h + 32);
  }
  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0) Fail(IMGFILE_ERR_CORRUPT);
  CheckImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    Fail(IMGFILE_ERR_UNSUPPORTED);

  // Bit fields follow a 40-byte header, or sit inside the larger ones.
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (compression == 3 || compression == 6) {
    if (bits != 16 && bits != 32) Fail(IMGFILE_ERR_UNSUPPORTED);
    if (14ull + 40 + 12 > size) Fail(IMGFILE_ERR_CORRUPT);
    for (int i = 0; i < 3; ++i) masks[i] = U32(h + 40 + 4 * i);
  } else if ((compression == 1 && bits != 8) || (compression == 2 && bits != 4) || compression > 2) {
    Fail(IMGFILE_ERR_UNSUPPORTED);  // embedded JPEG/PNG bitmaps and the like
  }
  const bool rle = compression == 1 || compression == 2;
  if (rle && topDown) Fail(IMGFILE_ERR_CORRUPT);  // run-length bitmaps are always bottom-up
  const Field red(masks[0]), green(masks[1]), blue(masks[2]);

  // The palette: three-byte entries after a 12-byte header, four-byte ones otherwise.
  Rgb palette[256] = {};
  std::uint32_t colours = 0;
  if (bits <= 8) {
    colours = clrUsed == 0 || clrUsed > (1u << bits) ? 1u << bits : clrUsed;
    const std::size_t entry = hdr == 12 ? 3 : 4;
    std::uint64_t at = 14ull + hdr + (compression == 3 && hdr == 40 ? 12 : 0);
    const std::uint64_t avail = size > at ? (size - at) / entry : 0;
    if (avail < colours) {
      if (avail == 0) Fail(IMGFILE_ERR_CORRUPT);
      colours = static_cast<std::uint32_t>(avail);
    }
    for (std::uint32_t i = 0; i < colours; ++i, at += entry)
      palette[i] = {data[at + 2], data[at + 1], data[at]};
  }

  const std::uint32_t w = static_cast<std::uint32_t>(width), ht = static_cast<std::uint32_t>(height);
  if (offBits > size) Fail(IMGFILE_ERR_CORRUPT);
  if (rle) {
    out.dib.Create(w, ht, 24);
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * ht, 0);
    DecodeRle(data + offBits, size - offBits, w, ht, bits, indices);
    for (std::uint32_t y = 0; y < ht; ++y) {
      std::uint8_t* dst = out.dib.Row(y);
      const std::uint8_t* src = indices.data() + static_cast<std::size_t>(ht - 1 - y) * w;
      for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
        const Rgb c = src[x] < colours ? palette[src[x]] : Rgb{0, 0, 0};
        dst[0] = c.b, dst[1] = c.g, dst[2] = c.r;
      }
    }
    Finish(out, ppmX, ppmY, bits, false, true);
    return;
  }
  const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
  if (stride * static_cast<std::uint64_t>(height) > size - offBits) Fail(IMGFILE_ERR_CORRUPT);

  if (bits == 1) {
    out.dib.Create(w, ht, 1);
    out.dib.SetPalette(0, palette[0]);
    out.dib.SetPalette(1, colours > 1 ? palette[1] : palette[0]);
  } else {
    out.dib.Create(w, ht, 24);
  }
  for (std::uint32_t y = 0; y < ht; ++y) {
    const std::uint8_t* src = data + offBits + stride * (topDown ? y : ht - 1 - y);
    std::uint8_t* dst = out.dib.Row(y);
    switch (bits) {
      case 1: {
        std::memcpy(dst, src, static_cast<std::size_t>((w + 7) / 8));
        break;
      }
      case 4:
      case 8:
        for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
          const unsigned i = bits == 8 ? src[x] : (x & 1 ? src[x >> 1] & 15 : src[x >> 1] >> 4);
          const Rgb c = i < colours ? palette[i] : Rgb{0, 0, 0};
          dst[0] = c.b, dst[1] = c.g, dst[2] = c.r;
        }
        break;
      case 24:
        std::memcpy(dst, src, 3ull * w);
        break;
      default:  // 16 and 32 bits through the bit fields
        for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
          const std::uint32_t px = bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
          dst[0] = blue.Get(px), dst[1] = green.Get(px), dst[2] = red.Get(px);
        }
    }
  }
  if (bits == 1 && w % 8) {
    // Stray bits after the last pixel would otherwise survive into the caller's image.
    for (std::uint32_t y = 0; y < ht; ++y)
      out.dib.Row(y)[w / 8] &= static_cast<std::uint8_t>(0xFF00 >> (w % 8));
  }
  Finish(out, ppmX, ppmY, bits, topDown, false);
}

}  // namespace zt::img

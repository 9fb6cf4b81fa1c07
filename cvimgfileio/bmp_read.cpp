#include <cstdio>
#include <cstring>
#include <vector>

#include "cvimgfileio/decoded.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

namespace zt::img {

namespace {

// Sizes of the file header and of the info headers we read: the old 12-byte core header and
// everything from the 40-byte info header up to the 124-byte fifth version.
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestHeaderSize = 124;

// Compression codes of the info header. Bit fields with alpha use the same three masks as plain
// bit fields; the alpha mask after them is not read.
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
constexpr std::uint32_t kBitFieldMasksSize = 12;  // red, green and blue, four bytes each

// Run-length escape codes (a zero count followed by one of these).
constexpr std::uint32_t kRleEndOfLine = 0;
constexpr std::uint32_t kRleEndOfBitmap = 1;
constexpr std::uint32_t kRleDelta = 2;

std::uint32_t U16(const std::uint8_t* p) { return p[0] | p[1] << 8; }
std::uint32_t U32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24;
}

// What the headers say, checked.
struct BmpHeader {
  std::uint32_t offBits = 0;     // where the rows start, from the start of the file
  std::uint32_t headerSize = 0;  // of the info header
  std::uint32_t width = 0, height = 0;
  bool topDown = false;
  std::uint32_t bits = 0, compression = kBiRgb, clrUsed = 0;
  std::int32_t ppmX = 0, ppmY = 0;
  bool RunLength() const { return compression == kBiRle8 || compression == kBiRle4; }
};

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

struct BitFields {
  Field red, green, blue;
};

// Indices the file has no colour for come out black.
struct Palette {
  Rgb entries[256] = {};
  std::uint32_t count = 0;
  Rgb At(unsigned i) const { return i < count ? entries[i] : Rgb{0, 0, 0}; }
};

bool IsBitFields(std::uint32_t compression) {
  return compression == kBiBitfields || compression == kBiAlphaBitfields;
}

// Bit fields only make sense for 16 and 32 bits, run-length coding only for its own depth;
// embedded JPEG/PNG bitmaps and the like are not ours to decode.
void CheckCompression(const BmpHeader& hd) {
  if (IsBitFields(hd.compression)) {
    if (hd.bits != 16 && hd.bits != 32) Fail(IMGFILE_ERR_UNSUPPORTED);
  } else if ((hd.compression == kBiRle8 && hd.bits != 8) || (hd.compression == kBiRle4 && hd.bits != 4) ||
             hd.compression > kBiRle4) {
    Fail(IMGFILE_ERR_UNSUPPORTED);
  }
  if (hd.RunLength() && hd.topDown) Fail(IMGFILE_ERR_CORRUPT);  // run-length bitmaps are always bottom-up
}

BmpHeader ReadHeader(const std::uint8_t* data, std::size_t size) {
  if (size < kFileHeaderSize + kCoreHeaderSize) Fail(IMGFILE_ERR_CORRUPT);
  BmpHeader hd;
  hd.offBits = U32(data + 10);
  hd.headerSize = U32(data + kFileHeaderSize);
  if (hd.headerSize != kCoreHeaderSize &&
      (hd.headerSize < kInfoHeaderSize || hd.headerSize > kLargestHeaderSize))
    Fail(IMGFILE_ERR_UNSUPPORTED);
  if (std::uint64_t{kFileHeaderSize} + hd.headerSize > size) Fail(IMGFILE_ERR_CORRUPT);
  const std::uint8_t* h = data + kFileHeaderSize;

  std::int64_t width, height;
  if (hd.headerSize == kCoreHeaderSize) {
    width = U16(h + 4);
    height = static_cast<std::int16_t>(U16(h + 6));
    hd.bits = U16(h + 10);
  } else {
    width = static_cast<std::int32_t>(U32(h + 4));
    height = static_cast<std::int32_t>(U32(h + 8));
    hd.bits = U16(h + 14);
    hd.compression = U32(h + 16);
    hd.ppmX = static_cast<std::int32_t>(U32(h + 24));
    hd.ppmY = static_cast<std::int32_t>(U32(h + 28));
    hd.clrUsed = U32(h + 32);
  }
  // A negative height is how a bitmap says its rows run from the top.
  hd.topDown = height < 0;
  if (hd.topDown) height = -height;
  if (width <= 0 || height <= 0) Fail(IMGFILE_ERR_CORRUPT);
  CheckImageSize(static_cast<std::uint64_t>(width), static_cast<std::uint64_t>(height));
  hd.width = static_cast<std::uint32_t>(width);
  hd.height = static_cast<std::uint32_t>(height);
  if (hd.bits != 1 && hd.bits != 4 && hd.bits != 8 && hd.bits != 16 && hd.bits != 24 && hd.bits != 32)
    Fail(IMGFILE_ERR_UNSUPPORTED);

  CheckCompression(hd);
  return hd;
}

// Without bit-field compression 16 bits are 5-5-5 and 32 bits 8-8-8. The masks follow a 40-byte
// header, or sit inside the larger ones: the same place either way.
BitFields ReadBitFields(const std::uint8_t* data, std::size_t size, const BmpHeader& hd) {
  std::uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (hd.bits == 32) masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
  if (IsBitFields(hd.compression)) {
    const std::uint64_t at = kFileHeaderSize + kInfoHeaderSize;
    if (at + kBitFieldMasksSize > size) Fail(IMGFILE_ERR_CORRUPT);
    for (int i = 0; i < 3; ++i) masks[i] = U32(data + at + 4 * i);
  }
  return {Field(masks[0]), Field(masks[1]), Field(masks[2])};
}

// Three-byte entries after a core header, four-byte ones otherwise. A table cut short by the end
// of the file keeps the colours it has; one with none at all is a damaged file.
Palette ReadPalette(const std::uint8_t* data, std::size_t size, const BmpHeader& hd) {
  Palette palette;
  if (hd.bits > 8) return palette;
  palette.count = hd.clrUsed == 0 || hd.clrUsed > (1u << hd.bits) ? 1u << hd.bits : hd.clrUsed;
  const std::size_t entry = hd.headerSize == kCoreHeaderSize ? 3 : 4;
  std::uint64_t at =
      std::uint64_t{kFileHeaderSize} + hd.headerSize +
      (hd.compression == kBiBitfields && hd.headerSize == kInfoHeaderSize ? kBitFieldMasksSize : 0);
  const std::uint64_t avail = size > at ? (size - at) / entry : 0;
  if (avail < palette.count) {
    if (avail == 0) Fail(IMGFILE_ERR_CORRUPT);
    palette.count = static_cast<std::uint32_t>(avail);
  }
  for (std::uint32_t i = 0; i < palette.count; ++i, at += entry)
    palette.entries[i] = {data[at + 2], data[at + 1], data[at]};
  return palette;
}

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
    } else if (code == kRleEndOfLine) {
      x = 0, ++y;
    } else if (code == kRleEndOfBitmap) {
      return;
    } else if (code == kRleDelta) {
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

// Run-length rows decode to palette indices first (pixels a delta skips keep index 0), then go
// through the palette into a 24-bit image.
void ReadRunLengthRows(const std::uint8_t* p, std::size_t n, const BmpHeader& hd, const Palette& palette,
                       Decoded& out) {
  const std::uint32_t w = hd.width, h = hd.height;
  out.dib.Create(w, h, 24);
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(w) * h, 0);
  DecodeRle(p, n, w, h, hd.bits, indices);
  for (std::uint32_t y = 0; y < h; ++y) {
    std::uint8_t* dst = out.dib.Row(y);
    const std::uint8_t* src = indices.data() + static_cast<std::size_t>(h - 1 - y) * w;
    for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
      const Rgb c = palette.At(src[x]);
      dst[0] = c.b, dst[1] = c.g, dst[2] = c.r;
    }
  }
}

void IndexedRow(const std::uint8_t* src, std::uint32_t w, std::uint32_t bits, const Palette& palette,
                std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
    const unsigned i = bits == 8 ? src[x] : (x & 1 ? src[x >> 1] & 15 : src[x >> 1] >> 4);
    const Rgb c = palette.At(i);
    dst[0] = c.b, dst[1] = c.g, dst[2] = c.r;
  }
}

void BitFieldRow(const std::uint8_t* src, std::uint32_t w, std::uint32_t bits, const BitFields& fields,
                 std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < w; ++x, dst += 3) {
    const std::uint32_t px = bits == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
    dst[0] = fields.blue.Get(px), dst[1] = fields.green.Get(px), dst[2] = fields.red.Get(px);
  }
}

// Uncompressed rows, each padded to four bytes. One bit stays one bit with its two colours;
// every other depth becomes 24 bits.
void ReadRows(const std::uint8_t* p, std::size_t n, const BmpHeader& hd, const Palette& palette,
              const BitFields& fields, Decoded& out) {
  const std::uint32_t w = hd.width, h = hd.height;
  const std::uint64_t stride = ((std::uint64_t{w} * hd.bits + 31) / 32) * 4;
  if (stride * h > n) Fail(IMGFILE_ERR_CORRUPT);

  if (hd.bits == 1) {
    out.dib.Create(w, h, 1);
    out.dib.SetPalette(0, palette.entries[0]);
    out.dib.SetPalette(1, palette.count > 1 ? palette.entries[1] : palette.entries[0]);
  } else {
    out.dib.Create(w, h, 24);
  }
  for (std::uint32_t y = 0; y < h; ++y) {
    const std::uint8_t* src = p + stride * (hd.topDown ? y : h - 1 - y);
    std::uint8_t* dst = out.dib.Row(y);
    switch (hd.bits) {
      case 1:
        std::memcpy(dst, src, static_cast<std::size_t>((w + 7) / 8));
        break;
      case 4:
      case 8:
        IndexedRow(src, w, hd.bits, palette, dst);
        break;
      case 24:
        std::memcpy(dst, src, 3ull * w);
        break;
      default:  // 16 and 32 bits
        BitFieldRow(src, w, hd.bits, fields, dst);
    }
  }
  if (hd.bits == 1 && w % 8) {
    // Stray bits after the last pixel would otherwise survive into the caller's image.
    for (std::uint32_t y = 0; y < h; ++y)
      out.dib.Row(y)[w / 8] &= static_cast<std::uint8_t>(0xFF00 >> (w % 8));
  }
}

void Finish(Decoded& out, const BmpHeader& hd) {
  if (hd.ppmX > 0 && hd.ppmY > 0) {
    out.resX = DpiFrom(hd.ppmX / 100.0, 2);
    out.resY = DpiFrom(hd.ppmY / 100.0, 2);
  }
  char text[96];
  std::snprintf(text, sizeof text, "BMP %ux%u, %u bit%s%s", static_cast<unsigned>(out.dib.Width()),
                static_cast<unsigned>(out.dib.Height()), static_cast<unsigned>(hd.bits),
                hd.topDown ? ", top-down" : "", hd.RunLength() ? ", run-length" : "");
  out.description = text;
}

}  // namespace

void DecodeBmp(const std::uint8_t* data, std::size_t size, Decoded& out) {
  const BmpHeader hd = ReadHeader(data, size);
  const BitFields fields = ReadBitFields(data, size, hd);
  const Palette palette = ReadPalette(data, size, hd);
  if (hd.offBits > size) Fail(IMGFILE_ERR_CORRUPT);
  if (hd.RunLength())
    ReadRunLengthRows(data + hd.offBits, size - hd.offBits, hd, palette, out);
  else
    ReadRows(data + hd.offBits, size - hd.offBits, hd, palette, fields, out);
  Finish(out, hd);
}

}  // namespace zt::img

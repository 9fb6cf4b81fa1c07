#include "overlay/engine/pixels/scan_image.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "overlay/engine/pixels/pixel_kernels.h"
#include "overlay/engine/pixels/resample.h"
#include "overlay/engine/pixels/resample_kernels.h"
#include "overlay/engine/pixels/worker_pool.h"

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

// The memory of the next tile of a turn, asked for a few cache lines at a time while the current
// tile is worked on. The turn walks both images across their rows, which the processor does not
// foresee; fetched this way, the waits for memory overlap the work instead of stalling it.
class NextTileFetch {
 public:
  static constexpr std::size_t kLine = 64;

  // Source rows [c0, c1) with bytes [from, to) of each, and target rows [r0, r1) with bytes
  // [at, end) of each, where end stays inside the row.
  NextTileFetch(const DibView& source, int c0, int c1, std::size_t from, std::size_t to, DibBlock& target,
                int r0, int r1, std::size_t at, std::size_t end)
      : m_source(source),
        m_target(target),
        m_sourceRow(c0),
        m_sourceEnd(c1),
        m_from(from),
        m_to(to),
        m_offset(from),
        m_targetRow(r0),
        m_targetEnd(r1),
        m_at(at),
        m_end(end) {}

  // Some of the lines; called once for every four target rows of a tile. Eight source lines and
  // four target rows a call cover the next tile of a band of up to 64 rows: 32 source rows of at
  // most three lines, and the band's target rows.
  void Some() {
    for (int i = 0; i < 8 && m_sourceRow < m_sourceEnd; ++i) {
      __builtin_prefetch(m_source.TopDownRow(m_sourceRow) + m_offset);
      m_offset += kLine;
      if (m_offset >= m_to) {
        m_offset = m_from;
        ++m_sourceRow;
      }
    }
    for (int i = 0; i < 4 && m_targetRow < m_targetEnd; ++i, ++m_targetRow) {
      std::uint8_t* row = m_target.TopDownRow(m_targetRow);
      for (std::size_t o = m_at; o < m_end; o += kLine) __builtin_prefetch(row + o, 1);
    }
  }

 private:
  const DibView& m_source;
  DibBlock& m_target;
  int m_sourceRow, m_sourceEnd;
  std::size_t m_from, m_to, m_offset;
  int m_targetRow, m_targetEnd;
  std::size_t m_at, m_end;
};

// Target rows [r0, r1) of the quarter turn: target row r (top-down) is source column W-1-r read
// from the top row downwards. The rows go in tiles of 32 target columns, which keeps both the
// source rows and the target rows of a tile inside the cache and the address translation
// buffers; inside a tile, blocks of 4 x 4 pixels move at a time.
void TurnRows(const PixelKernels& kernels, const DibView& source, DibBlock& out, std::int32_t r0,
              std::int32_t r1) {
  constexpr int kTileColumns = 32;
  const int w = source.width;
  const int h = source.height;
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(source.rowBytes);
  const std::ptrdiff_t nextRow = -static_cast<std::ptrdiff_t>(out.RowBytes());  // one row lower
  const std::size_t from = 3 * static_cast<std::size_t>(w - r1), to = 3 * static_cast<std::size_t>(w - r0);
  for (int c0 = 0; c0 < h; c0 += kTileColumns) {
    const int c1 = std::min(h, c0 + kTileColumns);
    const int c2 = std::min(h, c1 + kTileColumns);
    NextTileFetch next(source, c1, c2, from, to, out, r0, r1, 3 * static_cast<std::size_t>(c1),
                       3 * static_cast<std::size_t>(c2));
    int r = r0;
    for (; r + 4 <= r1; r += 4) {
      next.Some();
      std::uint8_t* dst = out.TopDownRow(r) + 3 * static_cast<std::size_t>(c0);
      const std::uint8_t* src = source.TopDownRow(c0) + 3 * static_cast<std::size_t>(w - 4 - r);
      const int blocks = (c1 - c0) / 4;
      kernels.turnBlocks(src, down, dst, nextRow, blocks);
      src += 4 * blocks * down;
      dst += 12 * blocks;
      for (int c = c0 + 4 * blocks; c < c1; ++c, src += down, dst += 3)
        for (int k = 0; k < 4; ++k) std::memcpy(dst + nextRow * k, src + 3 * (3 - k), 3);
    }
    for (; r < r1; ++r) {
      std::uint8_t* dst = out.TopDownRow(r) + 3 * static_cast<std::size_t>(c0);
      const std::uint8_t* src = source.TopDownRow(c0) + 3 * static_cast<std::size_t>(w - 1 - r);
      for (int c = c0; c < c1; ++c, src += down, dst += 3) std::memcpy(dst, src, 3);
    }
  }
  for (int row = r0; row < r1; ++row) {
    std::uint8_t* bytes = out.TopDownRow(row);
    std::fill(bytes + 3 * static_cast<std::size_t>(h), bytes + out.RowBytes(), std::uint8_t{0});
  }
}

// Ink mask pixels for the image pixels in the first used bytes of src.
void MaskPixels(const std::uint8_t* src, std::size_t used, std::uint8_t* dst) {
  for (std::size_t i = 0; i < used; i += 3) {
    const std::uint8_t v = IsInk(src + i) ? 255 : 0;
    dst[i] = dst[i + 1] = dst[i + 2] = v;
  }
}

// One row of the ink mask from the same row of the image, padding set to zero.
void MaskRow(const std::uint8_t* src, std::size_t used, std::size_t rowBytes, std::uint8_t* dst) {
  MaskPixels(src, used, dst);
  std::fill(dst + used, dst + rowBytes, std::uint8_t{0});
}

// Half rows, each masked as soon as it is made.
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

// Rows [r0, r1) of the turned scan, r0 and r1 even and the width even, halved into the half rows
// from r0 / 2 on, with their mask and the ink cells of the rows, in one pass of 16 columns at a
// time. A cell of two rows without ink halves to background (an average of bytes of 200 or more
// is 200 or more), so its part of the mask is black without a test.
void HalveBand(const PixelKernels& kernels, const DibBlock& scan, std::int32_t r0, std::int32_t r1,
               DibBlock& half, DibBlock& mask, InkCells& ink) {
  constexpr std::size_t kCellBytes = 3 * InkCells::kColumns;
  const std::size_t used = 3 * static_cast<std::size_t>(scan.Width());
  const std::size_t halfUsed = used / 2;
  for (std::int32_t y = r0; y < r1; y += 2) {
    const std::uint8_t* a = scan.TopDownRow(y);
    const std::uint8_t* b = scan.TopDownRow(y + 1);
    std::uint8_t* halfRow = half.TopDownRow(y / 2);
    std::uint8_t* maskRow = mask.TopDownRow(y / 2);
    std::uint8_t* flags = ink.flags.data() + static_cast<std::size_t>(y / InkCells::kRows) * ink.across;
    for (std::size_t from = 0; from < used; from += kCellBytes, ++flags) {
      const std::size_t count = std::min(kCellBytes, used - from);
      std::uint8_t lowest = 255;
      for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t low = a[from + i] < b[from + i] ? a[from + i] : b[from + i];
        lowest = low < lowest ? low : lowest;
      }
      std::uint8_t* dst = halfRow + from / 2;
      kernels.halvePairs(a + from, b + from, count / 2, dst);
      std::uint8_t* maskCell = maskRow + from / 2;
      if (lowest >= 200) {
        std::memset(maskCell, 0, count / 2);
      } else {
        *flags = 1;
        MaskPixels(dst, count / 2, maskCell);
      }
    }
    std::fill(halfRow + halfUsed, halfRow + half.RowBytes(), std::uint8_t{0});
    std::fill(maskRow + halfUsed, maskRow + mask.RowBytes(), std::uint8_t{0});
  }
}

}  // namespace

bool TurnScan(const DibView& source, TurnedScan& out) {
  out = TurnedScan{};
  const std::int32_t w = source.width, h = source.height;  // the turned scan is h x w
  const std::int32_t halfWidth = h / 2, halfHeight = w / 2;
  if (halfWidth <= 0 || halfHeight <= 0) return false;
  TurnedScan made;
  made.scan = DibBlock::AllocateLike(*source.header, h, w);
  if (!made.scan) return false;
  made.half = DibBlock::AllocateLike(made.scan->Header(), halfWidth, halfHeight);
  if (!made.half) return false;
  made.mask = DibBlock::AllocateLike(made.half->Header(), halfWidth, halfHeight);
  if (!made.mask) return false;
  try {
    made.ink.Reset(h, w);
  } catch (const std::bad_alloc&) {
    return false;
  }
  // Band by band, each band worked on while it is still in the cache. When both sides are even,
  // halving is averaging each 2 x 2 block, so each band is halved, masked and searched for ink in
  // one pass (bands have an even number of rows: no averaged pair of rows is split between two);
  // otherwise the halving spreads the whole image over the smaller size and waits for the turn.
  // Bands touch disjoint rows of every image and disjoint bands of ink cells (kBandRows is a
  // multiple of InkCells::kRows), so they are spread over the engine's workers.
  constexpr std::int32_t kBandRows = 64;
  static_assert(kBandRows % InkCells::kRows == 0 && kBandRows % 2 == 0, "bands own whole cells and pairs");
  const bool pairs = h % 2 == 0 && w % 2 == 0;
  const PixelKernels& kernels = Kernels();
  EngineWorkers().ForEachBand(w, kBandRows, [&](int r0, int r1) {
    TurnRows(kernels, source, *made.scan, r0, r1);
    if (pairs) {
      HalveBand(kernels, *made.scan, r0, r1, *made.half, *made.mask, made.ink);
    } else {
      MarkInkRows(*made.scan, r0, r1, made.ink);
    }
  });
  if (!pairs) {
    HalfAndMaskRows rows(*made.half, *made.mask);
    if (!ResampleRegionInto(ViewOf(*made.scan), Region{0, 0, h, w}, halfWidth, halfHeight, rows))
      return false;
  }
  out = std::move(made);
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

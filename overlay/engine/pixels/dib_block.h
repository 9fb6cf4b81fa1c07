// DibBlock: the engine's in-memory image. One heap block holds the 40-byte header followed by
// bottom-up 24-bit rows (blue, green, red; rows padded to a multiple of 4 bytes). The block is
// owned through DibPtr; handing the pointer over hands the image over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/dib.h"

namespace zt {

class DibBlock;

struct DibBlockDelete {
  void operator()(DibBlock* block) const;
};
using DibPtr = std::unique_ptr<DibBlock, DibBlockDelete>;

// Largest pixel area the engine allocates: keeps every offset and size inside 31 bits, which the
// 32-bit program and the image-file library's int sizes rely on.
inline constexpr std::uint64_t kMaxDibPixelBytes = 0x7FFF0000u;

class DibBlock {
 public:
  // A new block of width x height with the usual header (24 bits, BI_RGB, biSizeImage set) and
  // uninitialised pixels; null when a dimension is not positive, the size is beyond
  // kMaxDibPixelBytes or memory runs out.
  static DibPtr Allocate(std::int64_t width, std::int64_t height);
  // The same, with the header copied from like and its size fields replaced.
  static DibPtr AllocateLike(const BitmapInfoHeader& like, std::int64_t width, std::int64_t height);

  BitmapInfoHeader& Header() { return m_header; }
  const BitmapInfoHeader& Header() const { return m_header; }
  // Header followed by the rows: what the image-file library's write takes.
  const void* Packed() const { return this; }

  int Width() const { return Header().biWidth; }
  int Height() const { return Header().biHeight; }
  std::size_t RowBytes() const { return static_cast<std::size_t>(DibRowBytes24(Width())); }
  std::size_t PixelBytes() const { return RowBytes() * static_cast<std::size_t>(Height()); }

  std::uint8_t* Pixels() { return reinterpret_cast<std::uint8_t*>(this) + kBitmapInfoHeaderSize; }
  const std::uint8_t* Pixels() const {
    return reinterpret_cast<const std::uint8_t*>(this) + kBitmapInfoHeaderSize;
  }
  // Row y counted from the top of the picture (rows are stored bottom-up).
  std::uint8_t* TopDownRow(int y) {
    return Pixels() + RowBytes() * static_cast<std::size_t>(Height() - 1 - y);
  }
  const std::uint8_t* TopDownRow(int y) const {
    return Pixels() + RowBytes() * static_cast<std::size_t>(Height() - 1 - y);
  }

  DibBlock(const DibBlock&) = delete;
  DibBlock& operator=(const DibBlock&) = delete;

 private:
  // Made only by Allocate, at the start of the block whose rest holds the rows.
  explicit DibBlock(const BitmapInfoHeader& header) : m_header(header) {}

  BitmapInfoHeader m_header;
};

static_assert(sizeof(DibBlock) == kBitmapInfoHeaderSize, "the rows follow the header directly");

// A read-only look at 24-bit rows that may live in a block the engine does not own (a loaded
// packed DIB). Rows are bottom-up with rowBytes between them.
struct DibView {
  int width = 0;
  int height = 0;
  std::size_t rowBytes = 0;
  const std::uint8_t* pixels = nullptr;
  const BitmapInfoHeader* header = nullptr;

  const std::uint8_t* TopDownRow(int y) const {
    return pixels + rowBytes * static_cast<std::size_t>(height - 1 - y);
  }
};

DibView ViewOf(const DibBlock& block);

}  // namespace zt

#include "cvimgfileio/dib_output.h"

#include <cstring>
#include <new>

#include "common/dib.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

namespace zt::img {

namespace {

BitmapInfoHeader* Header(void* block) { return static_cast<BitmapInfoHeader*>(block); }

}  // namespace

DibOutput::~DibOutput() { Free(); }

void DibOutput::Free() {
  FreeDibBlock(block_);
  block_ = nullptr;
  pixels_ = nullptr;
}

int DibOutput::TryCreate(std::uint32_t width, std::uint32_t height, int bits) {
  Free();
  if (width == 0 || height == 0) return IMGFILE_ERR_CORRUPT;
  if (width > kMaxSide || height > kMaxSide || std::uint64_t{width} * height > kMaxPixels)
    return IMGFILE_ERR_TOO_LARGE;
  const std::uint64_t row = DibRowBytes(width, bits);
  const std::uint32_t colours = bits == 1 ? 2 : 0;
  const std::uint64_t total = kBitmapInfoHeaderSize + colours * 4ull + row * height;
  if (total > SIZE_MAX) return IMGFILE_ERR_TOO_LARGE;
  block_ = AllocDibBlock(static_cast<std::size_t>(total));
  if (!block_) return IMGFILE_ERR_NO_MEMORY;
  BitmapInfoHeader* h = Header(block_);
  std::memset(h, 0, kBitmapInfoHeaderSize + colours * 4);
  h->biSize = kBitmapInfoHeaderSize;
  h->biWidth = static_cast<std::int32_t>(width);
  h->biHeight = static_cast<std::int32_t>(height);
  h->biPlanes = 1;
  h->biBitCount = static_cast<std::uint16_t>(bits);
  h->biCompression = kBiRgb;
  h->biSizeImage = static_cast<std::uint32_t>(row * height);
  h->biClrUsed = colours;
  h->biClrImportant = colours;
  pixels_ = static_cast<std::uint8_t*>(block_) + kBitmapInfoHeaderSize + colours * 4;
  rowBytes_ = static_cast<std::size_t>(row);
  width_ = width;
  height_ = height;
  bits_ = bits;
  // Decoders set every pixel byte of a 24-bit row and OR the bits of a 1-bit one, so only
  // the row padding (and 1-bit rows as a whole) need clearing.
  const std::size_t used = bits == 24 ? 3u * width : 0;
  if (used < row)
    for (std::uint32_t y = 0; y < height; ++y)
      std::memset(pixels_ + y * row + used, 0, static_cast<std::size_t>(row - used));
  if (bits == 1) SetPalette(1, {255, 255, 255});
  return IMGFILE_OK;
}

void DibOutput::Create(std::uint32_t width, std::uint32_t height, int bits) {
  const int rc = TryCreate(width, height, bits);
  if (rc != IMGFILE_OK) Fail(rc);
}

void DibOutput::SetPalette(int index, Rgb c) {
  std::uint8_t* e = static_cast<std::uint8_t*>(block_) + kBitmapInfoHeaderSize + index * 4;
  e[0] = c.b;
  e[1] = c.g;
  e[2] = c.r;
  e[3] = 0;
}

Rgb DibOutput::Palette(int index) const {
  const std::uint8_t* e = static_cast<const std::uint8_t*>(block_) + kBitmapInfoHeaderSize + index * 4;
  return {e[2], e[1], e[0]};
}

void DibOutput::SetResolution(unsigned dpiX, unsigned dpiY) {
  Header(block_)->biXPelsPerMeter = static_cast<std::int32_t>(dpiX * 10000u / 254u);
  Header(block_)->biYPelsPerMeter = static_cast<std::int32_t>(dpiY * 10000u / 254u);
}

void* DibOutput::Release() {
  void* p = block_;
  block_ = nullptr;
  pixels_ = nullptr;
  return p;
}

}  // namespace zt::img

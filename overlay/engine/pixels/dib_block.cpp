#include "overlay/engine/pixels/dib_block.h"

#include <new>

#include "overlay/engine/pixels/block_reserve.h"

namespace zt {

void DibBlockDelete::operator()(DibBlock* block) const {
  const std::size_t bytes = kBitmapInfoHeaderSize + block->PixelBytes();
  block->~DibBlock();
  block_reserve::Give(static_cast<void*>(block), bytes);
}

DibPtr DibBlock::AllocateLike(const BitmapInfoHeader& like, std::int64_t width, std::int64_t height) {
  if (width <= 0 || height <= 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return nullptr;
  const std::uint64_t pixelBytes = DibImageBytes24(width, height);
  if (pixelBytes == 0 || pixelBytes > kMaxDibPixelBytes) return nullptr;
  void* memory = block_reserve::Take(static_cast<std::size_t>(kBitmapInfoHeaderSize + pixelBytes));
  if (!memory) return nullptr;
  BitmapInfoHeader header = like;
  header.biSize = kBitmapInfoHeaderSize;
  header.biWidth = static_cast<std::int32_t>(width);
  header.biHeight = static_cast<std::int32_t>(height);
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = kBiRgb;
  header.biSizeImage = static_cast<std::uint32_t>(pixelBytes);
  header.biClrUsed = 0;
  header.biClrImportant = 0;
  return DibPtr(new (memory) DibBlock(header));
}

DibPtr DibBlock::Allocate(std::int64_t width, std::int64_t height) {
  BitmapInfoHeader blank{};
  return AllocateLike(blank, width, height);
}

DibView ViewOf(const DibBlock& block) {
  DibView view;
  view.width = block.Width();
  view.height = block.Height();
  view.rowBytes = block.RowBytes();
  view.pixels = block.Pixels();
  view.header = &block.Header();
  return view;
}

}  // namespace zt

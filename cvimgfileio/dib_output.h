// The packed DIB the load call hands out: header, palette, bottom-up rows. On Windows it lives
// in a locked GlobalAlloc block (the caller frees it with GlobalUnlock + GlobalFree), elsewhere in
// a malloc block freed by IMGFILE_FreeDib. Until Release() the object owns the block.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::img {

struct Rgb {
  std::uint8_t r, g, b;
};

class DibOutput {
 public:
  DibOutput() = default;
  ~DibOutput();
  DibOutput(const DibOutput&) = delete;
  DibOutput& operator=(const DibOutput&) = delete;

  // Allocates a width x height DIB of 24 bits, or of 1 bit with a two-entry palette (black,
  // white until set). Returns IMGFILE_OK or a negative code; never throws.
  int TryCreate(std::uint32_t width, std::uint32_t height, int bits);
  // Same, throwing ImgError.
  void Create(std::uint32_t width, std::uint32_t height, int bits);

  // Row y counted from the top of the picture.
  std::uint8_t* Row(std::uint32_t y) { return pixels_ + (height_ - 1 - y) * rowBytes_; }
  std::size_t RowBytes() const { return rowBytes_; }
  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  int Bits() const { return bits_; }
  bool Empty() const { return block_ == nullptr; }

  void SetPalette(int index, Rgb c);
  Rgb Palette(int index) const;
  // Records the resolution in the header as pixels per metre.
  void SetResolution(unsigned dpiX, unsigned dpiY);

  // Hands the block to the caller.
  void* Release();

 private:
  void Free();

  void* block_ = nullptr;
  std::uint8_t* pixels_ = nullptr;
  std::size_t rowBytes_ = 0;
  std::uint32_t width_ = 0, height_ = 0;
  int bits_ = 0;
};

// The memory of a block: a locked GlobalAlloc block on Windows (the API hands it out so), malloc
// elsewhere. Null when there is none.
void* AllocDibBlock(std::size_t bytes);
// Releases a block made by DibOutput (the native IMGFILE_FreeDib and the Windows
// GlobalUnlock + GlobalFree pair).
void FreeDibBlock(void* block);

}  // namespace zt::img

// A validated view of the caller's 24-bit DIB for the write call.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::img {

class DibInput {
 public:
  // Throws ImgError(IMGFILE_ERR_ARGUMENT) for anything but an uncompressed 24-bit DIB with
  // positive width, and IMGFILE_ERR_TOO_LARGE beyond the caps. Rows may be bottom-up (positive
  // height) or top-down.
  explicit DibInput(const void* dib);

  std::uint32_t Width() const { return width_; }
  std::uint32_t Height() const { return height_; }
  // Blue-green-red row y counted from the top.
  const std::uint8_t* Row(std::uint32_t y) const {
    return pixels_ + (topDown_ ? y : height_ - 1 - y) * rowBytes_;
  }

 private:
  const std::uint8_t* pixels_;
  std::size_t rowBytes_;
  std::uint32_t width_, height_;
  bool topDown_;
};

// Encoders for the write call; each returns the finished file's bytes or throws ImgError.
struct ByteBuffer;
// firstBlock: the bytes the JPEG file's block starts with (0: half the image's bytes and 64 KB).
void EncodeJpeg(const DibInput& dib, unsigned resX, unsigned resY, int quality, ByteBuffer& out,
                std::size_t firstBlock = 0);
void EncodeTiff(const DibInput& dib, unsigned resX, unsigned resY, ByteBuffer& out);
void EncodePdf(const DibInput& dib, unsigned resX, unsigned resY, int pageWidth, int pageHeight, int offsetX,
               int offsetY, ByteBuffer& out);

}  // namespace zt::img

#include "cvimgfileio/dib_input.h"

#include <cstring>

#include "common/dib.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"

namespace zt::img {

DibInput::DibInput(const void* dib) {
  if (!dib) Fail(IMGFILE_ERR_ARGUMENT);
  BitmapInfoHeader h;
  std::memcpy(&h, dib, sizeof h);
  if (h.biSize < kBitmapInfoHeaderSize || h.biSize > 124 || h.biBitCount != 24 || h.biCompression != kBiRgb ||
      h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == INT32_MIN || h.biClrUsed > 256)
    Fail(IMGFILE_ERR_ARGUMENT);
  topDown_ = h.biHeight < 0;
  width_ = static_cast<std::uint32_t>(h.biWidth);
  height_ = static_cast<std::uint32_t>(topDown_ ? -h.biHeight : h.biHeight);
  CheckImageSize(width_, height_);
  rowBytes_ = static_cast<std::size_t>(DibRowBytes24(width_));
  pixels_ = static_cast<const std::uint8_t*>(dib) + h.biSize + 4 * h.biClrUsed;
}

}  // namespace zt::img

#include "cvimgfileio/size_caps.h"

#include "cvimgfileio/errors.h"

namespace zt::img {

void CheckImageSize(std::uint64_t width, std::uint64_t height) {
  if (width == 0 || height == 0) Fail(IMGFILE_ERR_CORRUPT);
  if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels) Fail(IMGFILE_ERR_TOO_LARGE);
}

}  // namespace zt::img

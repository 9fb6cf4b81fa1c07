// What counts as ink on a scan: any pixel that is not near white. Every step that looks for ink
// (the mask, the ink cells, the kernels, the calibration marks) asks these.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt {

// A scan pixel is background when its blue, green and red bytes are all 200 or more.
inline bool IsBackground(const std::uint8_t* bgr) { return bgr[0] >= 200 && bgr[1] >= 200 && bgr[2] >= 200; }
inline bool IsInk(const std::uint8_t* bgr) { return !IsBackground(bgr); }

// Whether any of the whole pixels in these bytes is ink. A pixel is ink when one of its bytes is
// below 200, so the lowest byte answers for all of them at once.
inline bool AnyInk(const std::uint8_t* bgr, std::size_t bytes) {
  std::uint8_t lowest = 255;
  for (std::size_t i = 0; i < bytes; ++i) lowest = bgr[i] < lowest ? bgr[i] : lowest;
  return lowest < 200;
}

}  // namespace zt

// Regions and the placement of the scan on the screenshot.
#pragma once

#include <cstdint>

namespace zt {

// Left, top, right, bottom in top-down image coordinates; right and bottom are exclusive.
struct Region {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const Region& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// high when value > high, else low when value < low, else value.
std::int32_t ClampInt(std::int32_t high, std::int32_t low, std::int64_t value);

struct Placement {
  std::int32_t screenWidth = 0;  // full screenshot
  std::int32_t screenHeight = 0;
  std::int32_t scanWidth = 0;  // full scan, turned to landscape
  std::int32_t scanHeight = 0;
  std::int32_t widthZoom = 100;  // percent
  std::int32_t heightZoom = 100;
  std::int32_t x = 0;  // scan's top-left corner on the screenshot
  std::int32_t y = 0;
};

// The screen region (the part of the screenshot that the placed scan covers) and the scan
// region (the part of the scan that lies on the screen). At 100 percent the scan's height
// equals the screen height. Computed in 64 bits; false for sizes or zooms that are not
// positive (they have no placement) or beyond 2^20 (no real screen, scan or zoom is that big).
bool ComputeRegions(const Placement& p, Region& screenRegion, Region& scanRegion);

}  // namespace zt

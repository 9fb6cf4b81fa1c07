#include "overlay/engine/pixels/region.h"

namespace zt {

namespace {
constexpr std::int32_t kMaxPlacementValue = 1 << 20;
}  // namespace

std::int32_t ClampInt(std::int32_t high, std::int32_t low, std::int64_t value) {
  if (value > high) return high;
  if (value < low) return low;
  return static_cast<std::int32_t>(value);
}

bool ComputeRegions(const Placement& p, Region& screenRegion, Region& scanRegion) {
  auto usable = [](std::int32_t v) { return v > 0 && v <= kMaxPlacementValue; };
  if (!usable(p.screenWidth) || !usable(p.screenHeight) || !usable(p.scanWidth) || !usable(p.scanHeight) ||
      !usable(p.widthZoom) || !usable(p.heightZoom))
    return false;
  const std::int64_t sw = p.screenWidth, sh = p.screenHeight;
  const std::int64_t cw = p.scanWidth, ch = p.scanHeight;
  const std::int64_t wz = p.widthZoom, hz = p.heightZoom;
  const std::int64_t x = p.x, y = p.y;

  // With sizes and zooms below 2^20 and offsets below 2^31 every product stays inside 63 bits.
  const std::int64_t fw = (cw * wz * sh) / (ch * 100);
  const std::int64_t fh = (ch * hz * sh) / (ch * 100);

  screenRegion.left = ClampInt(p.screenWidth, 0, x);
  screenRegion.right = ClampInt(p.screenWidth, 0, x + fw);
  screenRegion.top = ClampInt(p.screenHeight, 0, y);
  screenRegion.bottom = ClampInt(p.screenHeight, 0, y + fh);

  scanRegion.left = ClampInt(p.scanWidth, 0, (-x * ch * 100) / (wz * sh));
  scanRegion.right = ClampInt(p.scanWidth, 0, ((sw - x) * ch * 100) / (wz * sh));
  scanRegion.top = ClampInt(p.scanHeight, 0, (-y * ch * 100) / (hz * sh));
  scanRegion.bottom = ClampInt(p.scanHeight, 0, ((sh - y) * ch * 100) / (hz * sh));
  return true;
}

}  // namespace zt

// The targets of the calibration pattern, in display (screenshot) pixels. The pattern drawn on
// the display and the fit of the user's marks both take the targets from here.
#pragma once

#include <cstdint>
#include <vector>

namespace zt {

struct TargetPoint {
  double x, y;  // the pixel at the target's centre, counted from the display's top-left
};

// Five targets in their number order 1..5: top-left, top-right, centre, bottom-left,
// bottom-right. The outer four sit an eighth of the width and of the height in from the edges,
// far enough in to lie on the board when the projection reaches beyond it; every value is a
// whole pixel, so the pattern can draw each target exactly where the fit expects it. The
// targets form three columns and three rows, at most two in any one of them.
std::vector<TargetPoint> CalibrationTargets(std::int32_t displayWidth, std::int32_t displayHeight);

}  // namespace zt

#include "overlay/engine/calibration/calibration_targets.h"

namespace zt {

std::vector<TargetPoint> CalibrationTargets(std::int32_t displayWidth, std::int32_t displayHeight) {
  const double left = displayWidth / 8, right = displayWidth - displayWidth / 8, middle = displayWidth / 2;
  const double top = displayHeight / 8, bottom = displayHeight - displayHeight / 8,
               centre = displayHeight / 2;
  return {{left, top}, {right, top}, {middle, centre}, {left, bottom}, {right, bottom}};
}

}  // namespace zt

#include <cmath>

#include "cvimgfileio/decoded.h"

namespace zt::img {

unsigned DpiFrom(double value, int unit) {
  if (!(value > 0) || !std::isfinite(value)) return 0;
  const double dpi = unit == 2 ? value * 2.54 : value;
  if (dpi < 0.5 || dpi > 65535) return 0;
  return static_cast<unsigned>(std::lround(dpi));
}

}  // namespace zt::img

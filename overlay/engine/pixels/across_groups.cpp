#include "overlay/engine/pixels/across_groups.h"

namespace zt {

AcrossGroups PlanAcrossGroups(const AxisTaps& xs, std::int32_t sourceWidth) {
  AcrossGroups plan;
  if (xs.taps != 2) return plan;
  const auto targets = static_cast<std::int32_t>(xs.first.size());
  for (std::int32_t t0 = 0; t0 + AcrossGroups::kTargets <= targets; t0 += AcrossGroups::kTargets) {
    const std::int32_t first = xs.first[t0];
    const std::int32_t last = xs.first[t0 + AcrossGroups::kTargets - 1] + 1;
    // The 16-byte load at the first pixel must hold every tap and stay inside the source row.
    if (3 * (last - first) + 3 > 16 || 3 * first + 16 > 3 * sourceWidth) break;
    plan.first.push_back(first);
    for (std::int32_t k = 0; k < AcrossGroups::kTargets; ++k) {
      const std::int32_t t = t0 + k;
      const auto at = static_cast<std::uint8_t>(3 * (xs.first[t] - first));
      for (int c = 0; c < 3; ++c) {
        plan.shuffles.insert(plan.shuffles.end(), {static_cast<std::uint8_t>(at + c), 0x80,
                                                   static_cast<std::uint8_t>(at + 3 + c), 0x80});
        plan.weights.push_back(static_cast<std::int16_t>(xs.weights[2 * static_cast<std::size_t>(t)]));
        plan.weights.push_back(static_cast<std::int16_t>(xs.weights[2 * static_cast<std::size_t>(t) + 1]));
      }
    }
    ++plan.groups;
  }
  return plan;
}

}  // namespace zt

// A two-tap axis (enlarging, where each target reads two neighbouring source pixels) laid out
// for the vector resampler: targets in groups of four whose eight taps lie in one 16-byte load,
// with the byte shuffle that pairs each target's two samples and the pairs' weights.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/pixels/resample_kernels.h"

namespace zt {

struct AcrossGroups {
  static constexpr std::int32_t kTargets = 4;  // targets a group
  std::int32_t groups = 0;                     // groups from target 0 that the vector loop takes
  std::vector<std::int32_t> first;             // the group's first source pixel
  std::vector<std::uint8_t> shuffles;          // 3 x 16 bytes a group: (sample 0, 0, sample 1, 0) ...
  std::vector<std::int16_t> weights;           // 3 x 8 a group: (weight 0, weight 1) per channel
};

// The groups of an axis of sourceWidth pixels: as many leading groups as have their taps within
// 16 bytes and their load within the source's pixels; none when the axis has other than two taps.
AcrossGroups PlanAcrossGroups(const AxisTaps& xs, std::int32_t sourceWidth);

}  // namespace zt

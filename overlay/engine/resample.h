// Area-averaging resampling: each target pixel is the average of the source area it covers,
// weighted by how much of each source pixel lies inside it. Integer arithmetic throughout, so
// results are the same on every platform.
#pragma once

#include <cstdint>

#include "overlay/engine/dib_block.h"
#include "overlay/engine/region.h"

namespace zt {

// The source region (top-down, inside the source) resampled to targetWidth x targetHeight; the
// header is the source header with the target size. Null when the region is empty or outside
// the source, the target size is not positive, or memory runs out.
DibPtr ResampleRegion(const DibView& source, const Region& region, std::int32_t targetWidth,
                      std::int32_t targetHeight);

// A new block of (width * percent / 100) x (height * percent / 100) from the whole source.
bool ScaleByPercent(std::int32_t width, std::int32_t height, const DibBlock& source, std::int32_t percent,
                    DibPtr& out);

// The region of the source stretched to the target size.
bool StretchRegion(const DibBlock& source, std::int32_t targetWidth, std::int32_t targetHeight,
                   const Region& region, DibPtr& out);

// The whole image at (width / 2) x (height / 2).
DibPtr HalveImage(const DibBlock& source);

}  // namespace zt

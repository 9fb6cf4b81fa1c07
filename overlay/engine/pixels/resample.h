// Area-averaging resampling: each target pixel is the average of the source area it covers,
// weighted by how much of each source pixel lies inside it. Integer arithmetic throughout, so
// results are the same on every platform.
#pragma once

#include <cstdint>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/region.h"

namespace zt {

// The source region (top-down, inside the source) resampled to targetWidth x targetHeight; the
// header is the source header with the target size. Null when the region is empty or outside
// the source, the target size is not positive, or memory runs out.
DibPtr ResampleRegion(const DibView& source, const Region& region, std::int32_t targetWidth,
                      std::int32_t targetHeight);

// Where the rows of a resampled region go, so that a caller can use each row at once instead of
// holding the whole resampled image. The rows come in bands, each band's from the top; bands
// are made at the same time on the engine's workers, so Row and RowDone must be safe to call
// for different rows from different threads (writing only what belongs to that row does it).
class ResampledRows {
 public:
  // Room for 3 * targetWidth bytes of target row ty; it must stay valid until RowDone(ty).
  virtual std::uint8_t* Row(std::int32_t ty) = 0;
  virtual void RowDone(std::int32_t ty) = 0;

 protected:
  ~ResampledRows() = default;
};

// The same resampling row by row into rows; false in the cases where ResampleRegion gives null
// (then rows may have received some of the rows).
bool ResampleRegionInto(const DibView& source, const Region& region, std::int32_t targetWidth,
                        std::int32_t targetHeight, ResampledRows& rows);

// A new block of (width * percent / 100) x (height * percent / 100) from the whole source.
bool ScaleByPercent(std::int32_t width, std::int32_t height, const DibBlock& source, std::int32_t percent,
                    DibPtr& out);

// The region of the source stretched to the target size.
bool StretchRegion(const DibBlock& source, std::int32_t targetWidth, std::int32_t targetHeight,
                   const Region& region, DibPtr& out);

// The whole image at (width / 2) x (height / 2).
DibPtr HalveImage(const DibBlock& source);

}  // namespace zt

// Laying the ink of a stretched scan region over an image, as the PC-size overlay does it.
#pragma once

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"
#include "overlay/engine/pixels/region.h"

namespace zt {

// The source region is stretched to the size of at; every stretched pixel that is ink replaces
// the target pixel at its place inside at, all other target pixels stay as they are. Gives the
// same pixels as stretching the whole region and testing each, but resamples only around ink: an
// average of pixels whose bytes are all 200 or more has bytes of 200 or more, so a target pixel
// whose source area holds no ink cannot be ink. False when a region is empty or outside its
// image, or memory runs out (the target may then have received some ink).
// ink tells where the whole source holds ink. With under (an image of the target's size), each
// target row inside at is first copied from the same row of under, just before its ink is laid.
bool LayStretchedInk(const DibView& source, const InkCells& ink, const Region& region, DibBlock& target,
                     const Region& at, const DibBlock* under = nullptr);

}  // namespace zt

// The overlaid image: the scan's ink over the screenshot, placed by the two regions.
#pragma once

#include <cstdint>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"
#include "overlay/engine/pixels/region.h"

namespace zt {

enum SaveImageSize : std::int32_t {
  kSaveImagePcSize = 0,     // the overlay has the screenshot's size
  kSaveImageBoardSize = 1,  // the overlay has the scan's size
};

// PC size: the screenshot with the scan region, stretched to the screen region, laid over it.
// Board size: the scan with the screen region, stretched to the scan region, laid under its ink.
// Inside the covered area ink comes from the scan and everything else from the screenshot;
// outside it the base image shows unchanged. An empty screen region gives true and no block.
// scanInk tells where the scan holds ink. False when a region lies outside its image, scanInk
// is not the scan's, or memory runs out.
bool ComposeOverlay(const DibBlock& screen, const DibBlock& scan, const InkCells& scanInk,
                    std::int32_t saveImageSize, const Region& screenRegion, const Region& scanRegion,
                    DibPtr& out);

}  // namespace zt

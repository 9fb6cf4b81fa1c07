// The image set of the current scan: what the settings dialog shows and the save composes.
#pragma once

#include <cstdint>
#include <string>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"

namespace zt {

// All five images are present or none is; the pipeline builds a new set aside and replaces the
// whole set in one move, so the dialog and the save never see a scan with another's screenshot.
struct ImageSet {
  DibPtr scan;             // full scan, turned to landscape
  DibPtr scanHalf;         // scan at width/2 x height/2
  DibPtr scanMask;         // half size: white where the scan has ink, black elsewhere
  InkCells scanInk;        // where scan holds ink
  DibPtr screen;           // the screenshot paired with the scan
  DibPtr screenHalf;       // the screenshot at 50 percent
  std::string scanPath;    // the scan file the set was made from
  std::uint16_t resX = 0;  // dots per inch, from the scan's load
  std::uint16_t resY = 0;
  std::int32_t pageOffsetX = 0;  // points, from the scan's load
  std::int32_t pageOffsetY = 0;
  std::int64_t captureTime = 0;  // when the screenshot was taken, seconds since 1970 (UTC)

  bool Empty() const { return scan == nullptr; }
};

}  // namespace zt

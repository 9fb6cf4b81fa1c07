// Finding the marks a user drew on the board at the calibration targets: compact groups of ink,
// told apart from noise specks and from longer strokes or writing.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"

namespace zt {

struct ScanMark {
  double x, y;          // centroid of the mark's ink pixels, full turned scan pixels from the top-left
  std::int32_t pixels;  // ink pixels in the mark
  std::int32_t left, top, right, bottom;  // bounding box of those pixels; right and bottom exclusive

  bool operator==(const ScanMark& o) const {
    return x == o.x && y == o.y && pixels == o.pixels && left == o.left && top == o.top && right == o.right &&
           bottom == o.bottom;
  }
};

struct ScanMarks {
  std::vector<ScanMark> marks;  // by top, then left, then the rest of the box, pixels and centroid
  std::int32_t specks = 0;      // groups too small to be a mark
  std::int32_t strokes = 0;     // groups larger than a mark
  double inkShare = 0;          // share of the scan's 4 x 4 pixel blocks holding ink, 0..1
};

// A group of ink is the ink of 4 x 4 blocks joined through sides and corners, so pieces of ink
// with a gap of up to three pixels between them always join (up to seven may). It is a mark when neither side
// of its box is longer than the scan height / kMarkMaxDivisor, its longer side is at least the larger of
// kMarkMinSide pixels and the scan height / kMarkMinDivisor, and it has kMarkMinPixels ink pixels or more.
inline constexpr std::int32_t kMarkMaxDivisor = 12;
inline constexpr std::int32_t kMarkMinDivisor = 200;
inline constexpr std::int32_t kMarkMinSide = 3;
inline constexpr std::int32_t kMarkMinPixels = 12;

// Reads only the cells that hold ink; cells must Fit the scan.
ScanMarks FindScanMarks(const DibBlock& scan, const InkCells& cells);
// The same result from reading every pixel.
ScanMarks FindScanMarksPlain(const DibBlock& scan);

}  // namespace zt

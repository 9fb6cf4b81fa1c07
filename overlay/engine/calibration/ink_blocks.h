// A scan's ink on a coarse grid of small blocks, and the groups of touching ink blocks. Ink that
// is a few pixels apart shares a block or touches through a neighbour, so the pieces of a broken
// stroke make one group.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"

namespace zt {

struct InkBlocks {
  // A block is kSide x kSide pixels, aligned with the ink cells (a cell is one band of blocks).
  static constexpr std::int32_t kSide = 4;
  static_assert(InkCells::kRows == kSide && InkCells::kColumns % kSide == 0, "cells split into blocks");

  std::int32_t across = 0;  // blocks in a row; the last may be narrower than kSide
  std::int32_t down = 0;
  std::vector<std::uint8_t> ink;  // row by row from the top: 1 where any pixel of the block is ink
  std::int32_t inkCount = 0;      // blocks with ink
};

// The blocks read from the cells that hold ink only (cells must Fit the scan).
InkBlocks InkBlocksFromCells(const DibBlock& scan, const InkCells& cells);
// The same, reading every pixel.
InkBlocks InkBlocksPlain(const DibBlock& scan);

// Groups of ink blocks joined through their sides and corners. Group g holds the block indices
// (row * across + column) order[start[g]] up to order[start[g + 1]]; groups come in the order of
// their first block from the top-left.
struct BlockGroups {
  std::vector<std::int32_t> order;
  std::vector<std::int32_t> start;
  std::int32_t Count() const { return static_cast<std::int32_t>(start.size()) - 1; }
};
BlockGroups GroupInkBlocks(const InkBlocks& blocks);

}  // namespace zt

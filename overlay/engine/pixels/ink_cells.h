// Where a scan holds ink, cell by cell, so that the overlay can leave the ink-free parts of a
// scan (most of a whiteboard) unread.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"

namespace zt {

struct InkCells {
  // One flag for each band of 4 rows (top-down) and 16 columns; set when a pixel in it is ink.
  static constexpr std::int32_t kRows = 4;
  static constexpr std::int32_t kColumns = 16;

  std::int32_t across = 0;  // cells in a band
  std::int32_t bands = 0;
  std::vector<std::uint8_t> flags;  // band by band from the top

  // All clear, sized for an image of width x height.
  void Reset(std::int32_t width, std::int32_t height);
  // Whether these are the cells of an image of width x height.
  bool Fit(std::int32_t width, std::int32_t height) const {
    return across == Across(width) && bands == Bands(height);
  }
  static std::int32_t Across(std::int32_t width) { return (width + kColumns - 1) / kColumns; }
  static std::int32_t Bands(std::int32_t height) { return (height + kRows - 1) / kRows; }
  const std::uint8_t* Band(std::int32_t row) const {
    return flags.data() + static_cast<std::size_t>(row / kRows) * across;
  }
};

// Marks the cells of rows [top, bottom) of the image that hold ink. Bands are found whole when
// top and bottom are multiples of kRows (or bottom is the image's last row).
void MarkInkRows(const DibBlock& image, std::int32_t top, std::int32_t bottom, InkCells& cells);

// The cells of an image found by reading all of it.
InkCells FindInkCells(const DibBlock& image);

}  // namespace zt

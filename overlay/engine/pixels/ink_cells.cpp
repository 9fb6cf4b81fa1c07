#include "overlay/engine/pixels/ink_cells.h"

#include "overlay/engine/pixels/ink_pixel.h"

namespace zt {

void InkCells::Reset(std::int32_t width, std::int32_t height) {
  across = Across(width);
  bands = Bands(height);
  flags.assign(static_cast<std::size_t>(across) * bands, 0);
}

void MarkInkRows(const DibBlock& image, std::int32_t top, std::int32_t bottom, InkCells& cells) {
  const std::int32_t whole = image.Width() / InkCells::kColumns;
  const std::int32_t rest = image.Width() - whole * InkCells::kColumns;
  for (std::int32_t y = top; y < bottom; ++y) {
    const std::uint8_t* row = image.TopDownRow(y);
    std::uint8_t* flags = cells.flags.data() + static_cast<std::size_t>(y / InkCells::kRows) * cells.across;
    // A whole cell has a fixed length, which the compiler turns into a few vector minimums.
    for (std::int32_t c = 0; c < whole; ++c, row += 3 * InkCells::kColumns)
      flags[c] |= AnyInk(row, 3 * InkCells::kColumns);
    if (rest > 0) flags[whole] |= AnyInk(row, 3 * static_cast<std::size_t>(rest));
  }
}

InkCells FindInkCells(const DibBlock& image) {
  InkCells cells;
  cells.Reset(image.Width(), image.Height());
  MarkInkRows(image, 0, image.Height(), cells);
  return cells;
}

}  // namespace zt

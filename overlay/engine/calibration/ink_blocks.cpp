#include "overlay/engine/calibration/ink_blocks.h"

#include <algorithm>

#include "overlay/engine/pixels/ink_pixel.h"

namespace zt {

namespace {

InkBlocks EmptyBlocks(const DibBlock& scan) {
  InkBlocks blocks;
  blocks.across = (scan.Width() + InkBlocks::kSide - 1) / InkBlocks::kSide;
  blocks.down = (scan.Height() + InkBlocks::kSide - 1) / InkBlocks::kSide;
  blocks.ink.assign(static_cast<std::size_t>(blocks.across) * blocks.down, 0);
  return blocks;
}

void CountInk(InkBlocks& blocks) {
  blocks.inkCount = static_cast<std::int32_t>(std::count(blocks.ink.begin(), blocks.ink.end(), 1));
}

}  // namespace

InkBlocks InkBlocksFromCells(const DibBlock& scan, const InkCells& cells) {
  InkBlocks blocks = EmptyBlocks(scan);
  constexpr std::int32_t kPerCell = InkCells::kColumns / InkBlocks::kSide;
  for (std::int32_t band = 0; band < cells.bands; ++band) {
    const std::uint8_t* flags = cells.flags.data() + static_cast<std::size_t>(band) * cells.across;
    std::uint8_t* row = blocks.ink.data() + static_cast<std::size_t>(band) * blocks.across;
    const std::int32_t bottom = std::min(scan.Height(), (band + 1) * InkBlocks::kSide);
    for (std::int32_t c = 0; c < cells.across; ++c) {
      if (!flags[c]) continue;
      const std::int32_t last = std::min(blocks.across, (c + 1) * kPerCell);
      for (std::int32_t y = band * InkBlocks::kSide; y < bottom; ++y) {
        const std::uint8_t* pixels = scan.TopDownRow(y);
        for (std::int32_t b = c * kPerCell; b < last; ++b) {
          const std::int32_t width = std::min(InkBlocks::kSide, scan.Width() - b * InkBlocks::kSide);
          row[b] |= AnyInk(pixels + 3 * b * InkBlocks::kSide, 3 * static_cast<std::size_t>(width));
        }
      }
    }
  }
  CountInk(blocks);
  return blocks;
}

InkBlocks InkBlocksPlain(const DibBlock& scan) {
  InkBlocks blocks = EmptyBlocks(scan);
  for (std::int32_t y = 0; y < scan.Height(); ++y) {
    const std::uint8_t* pixels = scan.TopDownRow(y);
    std::uint8_t* row = blocks.ink.data() + static_cast<std::size_t>(y / InkBlocks::kSide) * blocks.across;
    for (std::int32_t x = 0; x < scan.Width(); ++x)
      if (IsInk(pixels + 3 * x)) row[x / InkBlocks::kSide] = 1;
  }
  CountInk(blocks);
  return blocks;
}

BlockGroups GroupInkBlocks(const InkBlocks& blocks) {
  BlockGroups groups;
  groups.order.reserve(static_cast<std::size_t>(blocks.inkCount));
  groups.start.push_back(0);
  std::vector<std::uint8_t> seen(blocks.ink.size(), 0);
  for (std::size_t first = 0; first < blocks.ink.size(); ++first) {
    if (!blocks.ink[first] || seen[first]) continue;
    // The group grows in order itself: every block taken is later asked for its neighbours.
    seen[first] = 1;
    groups.order.push_back(static_cast<std::int32_t>(first));
    for (std::size_t next = groups.order.size() - 1; next < groups.order.size(); ++next) {
      const std::int32_t at = groups.order[next];
      const std::int32_t bx = at % blocks.across, by = at / blocks.across;
      for (std::int32_t y = std::max(0, by - 1); y <= std::min(blocks.down - 1, by + 1); ++y)
        for (std::int32_t x = std::max(0, bx - 1); x <= std::min(blocks.across - 1, bx + 1); ++x) {
          const std::int32_t index = y * blocks.across + x;
          if (!blocks.ink[index] || seen[index]) continue;
          seen[index] = 1;
          groups.order.push_back(index);
        }
    }
    groups.start.push_back(static_cast<std::int32_t>(groups.order.size()));
  }
  return groups;
}

}  // namespace zt

#include "overlay/engine/calibration/scan_marks.h"

#include <algorithm>
#include <limits>
#include <tuple>

#include "overlay/engine/calibration/ink_blocks.h"
#include "overlay/engine/pixels/ink_pixel.h"

namespace zt {

namespace {

// A group's ink pixels, added up pixel by pixel.
struct GroupInk {
  std::int64_t pixels = 0, sumX = 0, sumY = 0;
  std::int32_t left = std::numeric_limits<std::int32_t>::max(),
               top = std::numeric_limits<std::int32_t>::max(), right = 0, bottom = 0;

  void Add(std::int32_t x, std::int32_t y) {
    ++pixels;
    sumX += x;
    sumY += y;
    left = std::min(left, x);
    top = std::min(top, y);
    right = std::max(right, x + 1);
    bottom = std::max(bottom, y + 1);
  }
};

// The ink of each group, reading the pixels of its blocks only.
std::vector<GroupInk> MeasureGroups(const DibBlock& scan, const InkBlocks& blocks,
                                    const BlockGroups& groups) {
  std::vector<GroupInk> ink(static_cast<std::size_t>(groups.Count()));
  for (std::int32_t g = 0; g < groups.Count(); ++g)
    for (std::int32_t i = groups.start[g]; i < groups.start[g + 1]; ++i) {
      const std::int32_t left = groups.order[i] % blocks.across * InkBlocks::kSide;
      const std::int32_t top = groups.order[i] / blocks.across * InkBlocks::kSide;
      for (std::int32_t y = top; y < std::min(scan.Height(), top + InkBlocks::kSide); ++y) {
        const std::uint8_t* row = scan.TopDownRow(y);
        for (std::int32_t x = left; x < std::min(scan.Width(), left + InkBlocks::kSide); ++x)
          if (IsInk(row + 3 * x)) ink[g].Add(x, y);
      }
    }
  return ink;
}

// The same, reading every pixel of the scan and finding each one's group through its block.
std::vector<GroupInk> MeasureGroupsPlain(const DibBlock& scan, const InkBlocks& blocks,
                                         const BlockGroups& groups) {
  std::vector<std::int32_t> groupOf(blocks.ink.size(), -1);
  for (std::int32_t g = 0; g < groups.Count(); ++g)
    for (std::int32_t i = groups.start[g]; i < groups.start[g + 1]; ++i) groupOf[groups.order[i]] = g;
  std::vector<GroupInk> ink(static_cast<std::size_t>(groups.Count()));
  for (std::int32_t y = 0; y < scan.Height(); ++y) {
    const std::uint8_t* row = scan.TopDownRow(y);
    for (std::int32_t x = 0; x < scan.Width(); ++x)
      if (IsInk(row + 3 * x))
        ink[groupOf[(y / InkBlocks::kSide) * blocks.across + x / InkBlocks::kSide]].Add(x, y);
  }
  return ink;
}

// Groups sorted into marks, specks and strokes.
ScanMarks MarksOf(const std::vector<GroupInk>& groups, const InkBlocks& blocks, std::int32_t scanHeight) {
  ScanMarks result;
  result.inkShare = blocks.ink.empty() ? 0.0 : static_cast<double>(blocks.inkCount) / blocks.ink.size();
  const std::int32_t maxSide = scanHeight / kMarkMaxDivisor;
  const std::int32_t minSide = std::max(kMarkMinSide, scanHeight / kMarkMinDivisor);
  for (const GroupInk& g : groups) {
    const std::int32_t longer = std::max(g.right - g.left, g.bottom - g.top);
    if (longer > maxSide) {
      ++result.strokes;
    } else if (longer < minSide || g.pixels < kMarkMinPixels) {
      ++result.specks;
    } else {
      const double n = static_cast<double>(g.pixels);
      result.marks.push_back(ScanMark{g.sumX / n, g.sumY / n, static_cast<std::int32_t>(g.pixels), g.left,
                                      g.top, g.right, g.bottom});
    }
  }
  std::sort(result.marks.begin(), result.marks.end(), [](const ScanMark& a, const ScanMark& b) {
    return std::tie(a.top, a.left, a.bottom, a.right, a.pixels, a.x, a.y) <
           std::tie(b.top, b.left, b.bottom, b.right, b.pixels, b.x, b.y);
  });
  return result;
}

}  // namespace

ScanMarks FindScanMarks(const DibBlock& scan, const InkCells& cells) {
  const InkBlocks blocks = InkBlocksFromCells(scan, cells);
  return MarksOf(MeasureGroups(scan, blocks, GroupInkBlocks(blocks)), blocks, scan.Height());
}

ScanMarks FindScanMarksPlain(const DibBlock& scan) {
  const InkBlocks blocks = InkBlocksPlain(scan);
  return MarksOf(MeasureGroupsPlain(scan, blocks, GroupInkBlocks(blocks)), blocks, scan.Height());
}

}  // namespace zt

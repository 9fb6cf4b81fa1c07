// The pixel loops that have vector versions, as one table per vector level. The plain table is
// the reference: every other table gives the same bytes for the same input.
#pragma once

#include <cstddef>
#include <cstdint>

#include "overlay/engine/pixels/across_groups.h"
#include "overlay/engine/pixels/resample_kernels.h"
#include "overlay/engine/pixels/vector_level.h"

namespace zt {

struct PixelKernels {
  // A run of 4 x 4 pixel blocks of the quarter turn. Block i reads four source rows of four
  // pixels (12 bytes each, down bytes apart) from src + 4 * i * down, and writes four target rows
  // (nextRow bytes apart) from dst + 12 * i: target row k takes pixel 3 - k of each source row.
  void (*turnBlocks)(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst, std::ptrdiff_t nextRow,
                     int blocks);
  // n bytes (whole pixels) of rounded 2 x 2 means of rows a and b, as HalvePairs makes them.
  void (*halvePairs)(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint8_t* dst);
  // The row sums of the targets of plan's groups (from target 0) of a source row of bytes, as
  // Across makes them.
  void (*acrossGroups)(const std::uint8_t* row, const AxisTaps& xs, const AcrossGroups& plan, RowSum* out);
  // n bytes (whole pixels) of dst take the pixels of src that are ink; the others stay.
  void (*layInk)(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);
  // n target bytes from two rows of sums (each at most 255 * kOne) weighted down:
  // Finish(a[i] * wa + b[i] * wb), where wa + wb is at most kOne.
  void (*blendRows)(const RowSum* a, Weight wa, const RowSum* b, Weight wb, std::size_t n, std::uint8_t* dst);
};

// The table of the active level.
const PixelKernels& Kernels();
// The table of a level; the plain table for a level the processor lacks.
const PixelKernels& KernelsAt(VectorLevel level);

// The plain loops, for the tables of the vector levels to finish odd ends with.
void TurnBlocksPlain(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst, std::ptrdiff_t nextRow,
                     int blocks);
void HalvePairsPlain(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint8_t* dst);
void AcrossGroupsPlain(const std::uint8_t* row, const AxisTaps& xs, const AcrossGroups& plan, RowSum* out);
void LayInkPlain(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);
void BlendRowsPlain(const RowSum* a, Weight wa, const RowSum* b, Weight wb, std::size_t n, std::uint8_t* dst);

#if defined(__i386__) || defined(__x86_64__)
void TurnBlocksSsse3(const std::uint8_t* src, std::ptrdiff_t down, std::uint8_t* dst, std::ptrdiff_t nextRow,
                     int blocks);
void HalvePairsSsse3(const std::uint8_t* a, const std::uint8_t* b, std::size_t n, std::uint8_t* dst);
void AcrossGroupsSsse3(const std::uint8_t* row, const AxisTaps& xs, const AcrossGroups& plan, RowSum* out);
void LayInkSsse3(const std::uint8_t* src, std::uint8_t* dst, std::size_t n);
void BlendRowsSsse3(const RowSum* a, Weight wa, const RowSum* b, Weight wb, std::size_t n, std::uint8_t* dst);
#endif

}  // namespace zt

// Calibration from one scan: the user marks the centre of each target of the calibration
// pattern on the board and scans it; the marks give the zooms and offsets that lay the scan's
// ink over the screenshot. Per axis the placement is linear, display = offset + scale * scan,
// with scale = zoom * screen height / (scan height * 100) (the overlay's placement), so the four
// values are a least-squares fit of the marks matched to their targets.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/dib_block.h"
#include "overlay/engine/ink_cells.h"
#include "overlay/engine/scan_marks.h"
#include "overlay/engine/settings_values.h"

namespace zt {

enum class CalibrationRefusal {
  None,
  NoMarks,           // the scan holds no ink beyond specks: a blank page or the wrong board
  AllInk,            // a share kAllInkShare or more of the scan is ink: a dark or soiled board
  TooFewMarks,       // fewer than three marks were found (long strokes and writing are no marks)
  MarksOffPattern,   // there are marks, but no placement puts three of them on targets: marks
                     // drawn away from the targets, or too much other writing beside them
  ResidualTooLarge,  // the marks lie on targets, but so loosely that the values cannot be
                     // trusted: marks drawn off centre, or a skewed or distorted scan
  OutOfRange,        // the values fitted lie outside what the settings accept (zooms 1..500,
                     // offsets -50000..5000), or the screen size is not positive
};

struct CalibrationResult {
  CalibrationRefusal refusal = CalibrationRefusal::None;
  // The settings, meaningful with refusal None (ResidualTooLarge and OutOfRange keep the fit).
  std::int32_t widthZoom = 0, heightZoom = 0, x = 0, y = 0;
  std::int32_t matched = 0;  // targets with a mark on them
  double residual = 0;       // root mean square distance, display pixels, of the matched marks
                             // placed by the fit from their targets
};

// A mark matches a target when a placement puts it within kMatchTolerance of the display height
// of the target; the fit is refused when its residual is beyond kResidualLimit of the display
// height. Marks turned 1 degree on the board leave a residual of about 1.2 %, so the limit has
// room for that and for marks drawn a little off centre. The tolerance is three times the limit
// because the first placements are made from two marks each, which carry those marks' errors to
// the others, and it stays far below half the targets' spacing (3/8 of the height).
inline constexpr double kMatchTolerance = 0.06;
inline constexpr double kResidualLimit = 0.02;
// Scans with at least this share of ink blocks are refused as all ink.
inline constexpr double kAllInkShare = 0.5;
// The search for the placement tries pairs of marks; of more marks than this, the ones with
// most ink are taken, which keeps the search small on a scan full of writing.
inline constexpr std::int32_t kMaxFittedMarks = 48;

// The fit alone, for marks of a scan scanHeight pixels high (refusals TooFewMarks onwards).
CalibrationResult FitCalibration(const std::vector<ScanMark>& marks, std::int32_t scanHeight,
                                 std::int32_t screenWidth, std::int32_t screenHeight);

// Finds the marks (through the cells that hold ink; cells not made for this scan are passed
// over and every pixel read) and fits the settings to them. scan is the full turned scan.
CalibrationResult CalibrateFromScan(const DibBlock& scan, const InkCells& cells, std::int32_t screenWidth,
                                    std::int32_t screenHeight);

}  // namespace zt

// Calibration from one scan: the user marks the centre of each target of the calibration
// pattern on the board and scans it; the marks give the zooms and offsets that lay the scan's
// ink over the screenshot. Per axis the placement is linear, display = offset + scale * scan,
// with scale = zoom * screen height / (scan height * 100) (the overlay's placement), so the four
// values are a least-squares fit of the marks matched to their targets. A calibration scan holds
// those marks and little else; a scan of anything else (writing, a drawing, scattered marks) is
// refused rather than fitted, because among a handful of marks some placing often puts three
// on targets.
#pragma once

#include <cstdint>
#include <vector>

#include "overlay/engine/calibration/scan_marks.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"
#include "overlay/engine/settings/settings_values.h"

namespace zt {

enum class CalibrationRefusal {
  None,
  NoMarks,           // the scan holds no ink beyond specks: a blank page or the wrong board
  AllInk,            // a share kAllInkShare or more of the scan is ink: a dark or soiled board
  TooFewMarks,       // fewer than three marks were found (long strokes and writing are no marks)
  MarksOffPattern,   // no placing a real set-up gives puts three marks on targets, or there is
                     // more other ink beside the matched marks than they allow: marks drawn
                     // away from the targets, writing or a drawing on the scan
  ResidualTooLarge,  // the marks lie on targets, but so loosely that the values cannot be
                     // trusted: marks drawn off centre, a stray mark beside a target that
                     // cannot be left out, or a skewed or distorted scan
  OutOfRange,        // the values fitted lie outside what the settings accept (zooms 1..500,
                     // offsets -50000..5000), or the screen size is not positive
};

struct CalibrationResult {
  CalibrationRefusal refusal = CalibrationRefusal::None;
  // The settings, meaningful with refusal None (ResidualTooLarge and OutOfRange keep the fit).
  std::int32_t widthZoom = 0, heightZoom = 0, x = 0, y = 0;
  std::int32_t matched = 0;  // targets with a mark on them (strays left out not counted)
  double residual = 0;       // root mean square distance, display pixels, of the matched marks
                             // placed by the fit from their targets
};

// A mark matches a target when a placement puts it within kMatchTolerance of the display height
// of the target; the fit is refused when its residual is beyond kResidualLimit of the display
// height. Marks turned 1 degree on the board leave a residual of about 1.2 %, so the limit has
// room for that and for marks drawn a little off centre. The tolerance is three times the limit
// because the first placements are made from two marks each, which carry those marks' errors to
// the others, and it stays far below half the targets' spacing (3/8 of the height).
//
// With four or five targets matched, a mark that the other marks, placed as on a board turned a
// little, put further than kResidualLimit from its target is a stray beside the target (a
// number, a slip of the pen) rather than a mark on it. It is left out of the fit and counts as
// other ink, so four honest marks and a stray give the values of the four; when the marks kept
// may not stand beside that much other ink (three marks and a stray), the scan is refused as
// ResidualTooLarge.
inline constexpr double kMatchTolerance = 0.06;
inline constexpr double kResidualLimit = 0.02;
// Scans with at least this share of ink blocks are refused as all ink.
inline constexpr double kAllInkShare = 0.5;
// The width and height zooms of a real set-up lie close together: they are equal when the
// display's pixels are as wide as tall on the board (the scan's pixels are), and a display
// stretched to a projector of another shape, 4:3 shown as 16:9, makes them differ by a third.
// Placings whose zooms differ by more than this ratio are never tried, and a fit that ends
// beyond it is refused as off the pattern.
inline constexpr double kMaxZoomRatio = 1.5;
// Other ink is the marks matched to no target and the strokes (specks are noise and do not
// count). A placing has four values to choose, so three marks (six coordinates) check it
// little, and among a handful of marks some three often fit three targets by chance: three
// matched marks are taken only on a scan with no other ink. Four or five targets matched by
// chance are rare, and each beyond three lets this many other marks or strokes stand beside the
// marks: a word written somewhere, the board's frame.
// A scan with more than the five targets allow is refused before any search, which keeps the
// search to a handful of marks.
inline constexpr std::int32_t kOtherInkPerExtraTarget = 2;

// The fit alone, for what was found on a scan scanHeight pixels high (refusals TooFewMarks
// onwards; inkShare is not looked at).
CalibrationResult FitCalibration(const ScanMarks& found, std::int32_t scanHeight, std::int32_t screenWidth,
                                 std::int32_t screenHeight);

// Finds the marks (through the cells that hold ink; cells not made for this scan are passed
// over and every pixel read) and fits the settings to them. scan is the full turned scan.
CalibrationResult CalibrateFromScan(const DibBlock& scan, const InkCells& cells, std::int32_t screenWidth,
                                    std::int32_t screenHeight);

}  // namespace zt

// Where the ink of a whiteboard scan must land on a PC-size overlay, worked out from the scan's
// own geometry for the road tests: an independent account of the turn, the zoom and the offset
// that the saved files are checked against.
#pragma once

#include <cstdint>

#include "tests/support/jpeg_scan.h"

namespace zt::winetest {

struct Calibration {
  int widthZoom = 100;  // percent; at 100 the turned scan's height is the screen height
  int heightZoom = 100;
  int x = 0;  // the turned scan's top-left corner on the screen
  int y = 0;
};

// A rectangle in screen pixels, fractional edges kept.
struct ScreenBox {
  double left = 0, top = 0, right = 0, bottom = 0;
  double CentreX() const { return (left + right) / 2; }
  double CentreY() const { return (top + bottom) / 2; }
  bool Contains(double px, double py, double margin = 0) const {
    return px >= left - margin && px < right + margin && py >= top - margin && py < bottom + margin;
  }
};

// The screen box of a stroke of a portrait scan (scanWidth x scanHeight, stroke rows bottom-up
// as written) on a screen screenHeight pixels high. The scan is turned a quarter anticlockwise:
// source column x, top-down row y becomes column y, row scanWidth - 1 - x, so the turned scan is
// scanHeight wide and scanWidth high. At zoom 100 its height fills the screen height and its
// width keeps the aspect ratio; the zooms scale each side in whole pixels, and the result is
// placed at (x, y).
inline ScreenBox StrokeOnScreen(const winetest::InkRect& stroke, int scanWidth, int scanHeight,
                                int screenHeight, const Calibration& c) {
  const std::int64_t turnedWidth = scanHeight, turnedHeight = scanWidth;
  const std::int64_t placedWidth = turnedWidth * c.widthZoom * screenHeight / (turnedHeight * 100);
  const std::int64_t placedHeight = turnedHeight * c.heightZoom * screenHeight / (turnedHeight * 100);
  // The stroke in the turned scan: top-down source rows become columns, source columns rows
  // counted from the right.
  const int firstColumn = scanHeight - stroke.y1, endColumn = scanHeight - stroke.y0;
  const int firstRow = scanWidth - stroke.x1, endRow = scanWidth - stroke.x0;
  const double sx = static_cast<double>(placedWidth) / static_cast<double>(turnedWidth);
  const double sy = static_cast<double>(placedHeight) / static_cast<double>(turnedHeight);
  return {c.x + firstColumn * sx, c.y + firstRow * sy, c.x + endColumn * sx, c.y + endRow * sy};
}

}  // namespace zt::winetest

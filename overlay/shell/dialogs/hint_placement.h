// Where the calibration hint opens: beside the settings dialog it explains, never over it, and
// inside the work area of the dialog's display.
#pragma once

#include "overlay/shell/dialogs/preview_geometry.h"

namespace zt::shell {

// The hint's top-left corner in screen pixels: right of the dialog with their tops level; left
// of it when the right has no room; where neither side has room, the side with more, kept on
// the work area (a hint wider than the work area starts at its left edge).
PixelPoint PlaceHintBeside(const PixelRect& dialog, int hintWidth, int hintHeight, const PixelRect& workArea);

}  // namespace zt::shell

// Capturing a screen into a DibBlock (Windows only).
#pragma once

#include <cstdint>
#include <string>

#include "overlay/engine/pixels/dib_block.h"

namespace zt {

// The width x height area at the screen's top-left corner, layered windows included; null on
// any failure.
DibPtr CaptureScreenArea(std::int32_t width, std::int32_t height);
// The same for the area at (left, top) of the virtual screen, in the calling thread's pixels.
DibPtr CaptureScreenRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height);

// The whole primary screen (never the rest of the virtual desktop); null on failure.
DibPtr CapturePrimaryScreen();

// The display of a stored choice (an identity from ListDisplays) in its physical pixels; the
// primary screen for the empty identity and, silently, for a display that is not attached: a
// message would appear on the very screen being projected.
DibPtr CaptureChosenDisplay(const std::string& identity);

}  // namespace zt

// Capturing the primary screen into a DibBlock (Windows only).
#pragma once

#include <cstdint>

#include "overlay/engine/dib_block.h"

namespace zt {

// The width x height area at the screen's top-left corner, layered windows included; null on
// any failure.
DibPtr CaptureScreenArea(std::int32_t width, std::int32_t height);

// The whole primary screen (never the rest of the virtual desktop); null on failure.
DibPtr CapturePrimaryScreen();

}  // namespace zt

// Reads the resolution from an EXIF block (the body of a JPEG APP1 marker starting "Exif\0\0").
#pragma once

#include <cstddef>
#include <cstdint>

namespace zt::img {

// dpi from the first IFD's XResolution/YResolution/ResolutionUnit; false when absent or damaged.
bool ExifResolution(const std::uint8_t* data, std::size_t size, unsigned& dpiX, unsigned& dpiY);

}  // namespace zt::img

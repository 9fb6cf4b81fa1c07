// What a decoder delivers: the DIB, the resolution, the page offsets and a short description.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "cvimgfileio/dib_output.h"

namespace zt::img {

struct Decoded {
  DibOutput dib;
  unsigned resX = 0, resY = 0;   // dpi; 0 = the file gives none
  int offsetX = 0, offsetY = 0;  // points from the page's top-left corner
  std::string description;
};

// Each decoder throws ImgError on failure; `out.dib` then holds nothing the caller must keep.
void DecodeJpeg(const std::uint8_t* data, std::size_t size, Decoded& out);
void DecodeTiff(const std::uint8_t* data, std::size_t size, Decoded& out);
void DecodeBmp(const std::uint8_t* data, std::size_t size, Decoded& out);
void DecodePdf(const std::uint8_t* data, std::size_t size, Decoded& out);

// Rounds a resolution in dots per unit to whole dpi (unit: 1 inch, 2 centimetre); 0 when the
// value is unusable.
unsigned DpiFrom(double value, int unit);

}  // namespace zt::img

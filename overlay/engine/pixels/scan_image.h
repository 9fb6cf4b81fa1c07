// Preparing a loaded scan: reading the library's packed DIB, expanding a two-colour scan to 24
// bits, the quarter turn to landscape and the ink mask.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "common/dib.h"
#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/ink_cells.h"
#include "overlay/engine/pixels/ink_pixel.h"

namespace zt {

// What the engine accepts from the load: 40-byte header, positive width and (bottom-up) height,
// one plane, BI_RGB, 24 bits without palette, or 1 bit with a two-entry palette; sizes within
// kMaxDibPixelBytes.
struct LoadedDibLayout {
  BitmapInfoHeader header{};
  int bitsPerPixel = 0;
  const std::uint8_t* palette = nullptr;  // four bytes an entry (blue, green, red, 0); 1 bit only
  const std::uint8_t* pixels = nullptr;
  std::size_t rowBytes = 0;
};
std::optional<LoadedDibLayout> ReadLoadedDib(const void* packed);

// A 24-bit view of a loaded 24-bit DIB.
DibView ViewOfLoaded(const LoadedDibLayout& dib);

// The 1-bit image as a 24-bit block: a 0 bit takes palette entry 0, a 1 bit entry 1, reading
// each byte from its most significant bit. Null when the block cannot be allocated.
DibPtr ExpandMonochrome(const LoadedDibLayout& dib);

// A loaded scan turned to landscape, with what the image set and the overlay take from it.
struct TurnedScan {
  DibPtr scan;   // a quarter turn anticlockwise: the source's top edge becomes the left edge;
                 // height x width with the source header's other fields, pixels copied
  DibPtr half;   // the turned scan halved as HalveImage does it
  DibPtr mask;   // the ink mask of the half
  InkCells ink;  // where the turned scan holds ink
};

// Turns the scan and makes the rest in the same pass over it. False, with out empty, when the
// turned scan is too small to halve or memory runs out.
bool TurnScan(const DibView& source, TurnedScan& out);

// White (255, 255, 255) where the image has ink, black elsewhere; same size and header.
DibPtr MakeInkMask(const DibBlock& image);

}  // namespace zt

// How many rows a TIFF's stored strip or tile data can decode to at most. A file that declares
// more than its data could ever hold is refused before its image is allocated: a few bytes must
// not make the library take hundreds of megabytes.
#pragma once

#include <cstdint>

namespace zt::img {

// True when stored bytes of data compressed with compression (a TIFF compression code) can
// decode to rows rows of rowBytes bytes each (the samples as stored, before any colour
// conversion). The bounds are the best ratios each coding reaches, with room to spare.
bool TiffDataCanHold(std::uint16_t compression, std::uint64_t stored, std::uint64_t rows,
                     std::uint64_t rowBytes);

}  // namespace zt::img

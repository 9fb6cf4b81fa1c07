// libtiff on a memory buffer: reading a file already in memory, writing into a growing one.
// Every handle is opened with our limits and with the library's messages silenced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tiffio.h>

namespace zt::img {

struct TiffMemory {
  const std::uint8_t* in = nullptr;          // reading
  std::vector<std::uint8_t>* out = nullptr;  // writing
  std::uint64_t size = 0;
  std::uint64_t pos = 0;
  // libtiff drops tags whose data lies beyond the end of the file with only a warning; for
  // us that is a truncated file.
  bool damaged = false;
};

// Opens mem for reading ("r") or writing ("w"); null on failure.
TIFF* OpenTiffMemory(TiffMemory& mem, const char* mode);

// Closes the handle when it goes out of scope.
struct TiffCloser {
  TIFF* tif;
  ~TiffCloser() {
    if (tif) TIFFClose(tif);
  }
};

}  // namespace zt::img

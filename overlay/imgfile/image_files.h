// The engine's two calls into the image-file library: load a scan, write an image. The pipeline
// holds this interface so that it runs with a fake in tests and with the library in the program.
#pragma once

#include <memory>
#include <string>

#include "overlay/imgfile/packed_dib.h"

namespace zt {

struct ScanLoad {
  PackedDib dib;  // 24 bits per pixel, or 1 bit per pixel with a two-entry palette
  unsigned short resX = 0;
  unsigned short resY = 0;
  int pageOffsetX = 0;
  int pageOffsetY = 0;
};

class ImageFiles {
 public:
  virtual ~ImageFiles() = default;

  // Loads the scan at path. A result below 0 is failure, and then out holds no block.
  virtual int LoadScan(const std::string& path, ScanLoad& out) = 0;

  // Writes a 24-bit DIB (40-byte header followed by the rows) as format to path, which must not
  // exist yet. A result below 0 is failure; kWriteTargetExists means that path was already there.
  virtual int WriteImage(const void* dib, unsigned short resX, unsigned short resY, int pageWidth,
                         int pageHeight, int offsetX, int offsetY, int format, const std::string& path) = 0;
};

inline constexpr int kWriteTargetExists = -7;

// The image-file library itself; present only in builds that have it.
std::unique_ptr<ImageFiles> MakeLibraryImageFiles();

}  // namespace zt

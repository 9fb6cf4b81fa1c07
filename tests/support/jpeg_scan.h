// Whiteboard scans for the frame's Wine tests, written by the image-file library as JPEGs.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "cvimgfileio/cvimgfileio.h"

namespace zt::winetest {

// A stroke of ink: columns x0..x1 and bottom-up rows y0..y1 (ends excluded).
struct InkRect {
  int x0, y0, x1, y1;
};

// A width x height scan of one grey level with dark strokes, replacing any file at path.
inline int WriteJpegScan(const std::string& path, int width, int height, unsigned char background,
                         const std::vector<InkRect>& ink) {
  const int row = (width * 3 + 3) & ~3;
  std::vector<unsigned char> dib(40 + static_cast<std::size_t>(row) * height, background);
  BITMAPINFOHEADER header{};
  header.biSize = 40;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  std::memcpy(dib.data(), &header, 40);
  for (const InkRect& r : ink)
    for (int y = r.y0; y < r.y1; ++y)
      for (int x = r.x0; x < r.x1; ++x) std::memset(&dib[40 + y * row + x * 3], 0x20, 3);
  DeleteFileA(path.c_str());
  return IMGFILE_WriteDib2File(dib.data(), 96, 96, 0, 0, 0, 0, IMGFILE_FORMAT_JPEG, path.c_str(), 0);
}

}  // namespace zt::winetest

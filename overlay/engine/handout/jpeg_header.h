// What a JPEG file says of itself before its pixels: size, components and resolution, read by
// libjpeg without decoding the image.
#pragma once

#include <string>

namespace zt {

struct JpegInfo {
  int width = 0, height = 0;
  int components = 0;
  double dpiX = 0, dpiY = 0;  // 0 when the file gives none
};

// False when bytes are no JPEG whose header libjpeg reads.
bool ReadJpegHeader(const std::string& bytes, JpegInfo& info);

}  // namespace zt

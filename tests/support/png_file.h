// PNG pictures of what the Wine tests and the demonstration saw, kept for a person to look at.
// Link zlib.
#pragma once

#include <zlib.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zt::winetest {

inline void PutBigEndian(std::vector<unsigned char>& out, unsigned value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

inline void PutPngChunk(std::vector<unsigned char>& png, const char* type,
                        const std::vector<unsigned char>& data) {
  PutBigEndian(png, static_cast<unsigned>(data.size()));
  const size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBigEndian(png,
               static_cast<unsigned>(crc32(0, png.data() + start, static_cast<uInt>(png.size() - start))));
}

// Writes an 8-bit RGB PNG of width x height top-down pixels given as 0x00RRGGBB.
inline bool WritePng(int width, int height, const std::vector<unsigned>& pixels, const std::string& path) {
  if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return false;
  std::vector<unsigned char> raw;
  raw.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // no filter
    for (int x = 0; x < width; ++x) {
      const unsigned c = pixels[static_cast<size_t>(y) * width + x];
      raw.push_back(static_cast<unsigned char>(c >> 16));
      raw.push_back(static_cast<unsigned char>(c >> 8));
      raw.push_back(static_cast<unsigned char>(c));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  std::vector<unsigned char> packed(packedSize);
  if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
    return false;
  packed.resize(packedSize);
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<unsigned char> header;
  PutBigEndian(header, static_cast<unsigned>(width));
  PutBigEndian(header, static_cast<unsigned>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB
  PutPngChunk(png, "IHDR", header);
  PutPngChunk(png, "IDAT", packed);
  PutPngChunk(png, "IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool written = std::fwrite(png.data(), 1, png.size(), f) == png.size();
  return std::fclose(f) == 0 && written;
}

}  // namespace zt::winetest

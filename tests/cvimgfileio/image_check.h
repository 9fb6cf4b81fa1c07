// Helpers for the library's tests: loading through the exported call with automatic release,
// reading pixels of the returned DIB, reference pictures in PNM form, and synthetic DIBs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cvimgfileio/cvimgfileio.h"

namespace zt::imgtest {

struct Pixel {
  std::uint8_t r, g, b;
};

// A reference picture, top-down RGB.
struct Picture {
  int width = 0, height = 0;
  std::vector<Pixel> px;
  Pixel At(int x, int y) const { return px[static_cast<std::size_t>(y) * width + x]; }
};

// Reads P4/P5/P6; fails the test and returns an empty picture when it cannot.
Picture ReadPnm(const std::string& path);

// Loads through `load`: the linked call, or the one found in the DLL.
using LoadFn = int(IMGFILE_API*)(const char*, int, void**, unsigned short*, unsigned short*, int*, int*,
                                 char*);

// The loaded DIB, released on destruction.
struct Loaded {
  int rc = 0;
  void* dib = nullptr;
  unsigned short resX = 0, resY = 0;
  int offX = 0, offY = 0;
  char info[IMGFILE_INFO_SIZE + 16];

  Loaded() = default;
  explicit Loaded(const std::string& path, LoadFn load = IMGFILE_LoadDibFromFile);
  Loaded(const Loaded&) = delete;
  Loaded& operator=(const Loaded&) = delete;
  ~Loaded();
  int Width() const;
  int Height() const;
  int Bits() const;
  // Pixel at (x, y) counted from the top, through the palette for 1-bit images.
  Pixel At(int x, int y) const;
};

void Load(const std::string& path, Loaded& out, LoadFn load);
inline void Load(const std::string& path, Loaded& out) { Load(path, out, IMGFILE_LoadDibFromFile); }

// Largest per-channel difference between the loaded image and the picture (255 when the sizes
// differ); rows beyond `rows` (when positive) are not compared.
int MaxDiff(const Loaded& img, const Picture& ref, int rows = 0);
// The same against a 24-bit DIB such as MakeDib's.
int MaxDiff(const Loaded& img, const std::vector<std::uint8_t>& dib);

// A bottom-up 24-bit DIB with a deterministic pattern.
std::vector<std::uint8_t> MakeDib(int width, int height);
Pixel DibPixel(const std::vector<std::uint8_t>& dib, int x, int y);

std::vector<std::uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& data);
bool FileExists(const std::string& path);
void RemoveFile(const std::string& path);

}  // namespace zt::imgtest

#include "tests/cvimgfileio/image_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/dib.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace zt::imgtest {

namespace {

const BitmapInfoHeader& Header(const void* dib) { return *static_cast<const BitmapInfoHeader*>(dib); }

}  // namespace

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::vector<std::uint8_t> data;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return data;
  std::uint8_t buf[65536];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
  std::fclose(f);
  return data;
}

bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& data) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (f) std::fclose(f);
  return f != nullptr;
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }

Picture ReadPnm(const std::string& path) {
  Picture p;
  const std::vector<std::uint8_t> d = ReadBytes(path);
  std::size_t at = 2;
  auto number = [&]() {
    while (at < d.size() &&
           (d[at] == ' ' || d[at] == '\n' || d[at] == '\r' || d[at] == '\t' || d[at] == '#')) {
      if (d[at] == '#')
        while (at < d.size() && d[at] != '\n') ++at;
      else
        ++at;
    }
    int v = 0;
    while (at < d.size() && d[at] >= '0' && d[at] <= '9') v = v * 10 + (d[at++] - '0');
    return v;
  };
  if (d.size() < 8 || d[0] != 'P' || (d[1] != '4' && d[1] != '5' && d[1] != '6')) {
    ADD_FAILURE() << "not a PNM picture: " << path;
    return p;
  }
  const char kind = static_cast<char>(d[1]);
  const int w = number(), h = number();
  if (kind != '4') number();  // maxval, 255 for our pictures
  ++at;
  const std::size_t row = kind == '4' ? (w + 7) / 8 : static_cast<std::size_t>(w) * (kind == '6' ? 3 : 1);
  if (w <= 0 || h <= 0 || d.size() < at + row * h) {
    ADD_FAILURE() << "damaged PNM picture: " << path;
    return p;
  }
  p.width = w;
  p.height = h;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* r = d.data() + at + row * y;
    for (int x = 0; x < w; ++x) {
      if (kind == '6') {
        p.px.push_back({r[3 * x], r[3 * x + 1], r[3 * x + 2]});
      } else if (kind == '5') {
        p.px.push_back({r[x], r[x], r[x]});
      } else {
        const std::uint8_t v = (r[x / 8] >> (7 - x % 8)) & 1 ? 0 : 255;  // PBM: 1 is black
        p.px.push_back({v, v, v});
      }
    }
  }
  return p;
}

Loaded::Loaded(const std::string& path, LoadFn load) { Load(path, *this, load); }

Loaded::~Loaded() {
  if (!dib) return;
#ifdef _WIN32
  HGLOBAL h = GlobalHandle(dib);
  GlobalUnlock(h);
  GlobalFree(h);
#else
  IMGFILE_FreeDib(dib);  // native tests link the library
#endif
}

int Loaded::Width() const { return Header(dib).biWidth; }
int Loaded::Height() const { return Header(dib).biHeight; }
int Loaded::Bits() const { return Header(dib).biBitCount; }

Pixel Loaded::At(int x, int y) const {
  const BitmapInfoHeader& h = Header(dib);
  const std::uint8_t* palette = static_cast<const std::uint8_t*>(dib) + h.biSize;
  const std::uint8_t* pixels = palette + 4 * h.biClrUsed;
  const std::uint8_t* row = pixels + DibRowBytes(h.biWidth, h.biBitCount) * (h.biHeight - 1 - y);
  if (h.biBitCount == 1) {
    const int i = (row[x / 8] >> (7 - x % 8)) & 1;
    return {palette[4 * i + 2], palette[4 * i + 1], palette[4 * i]};
  }
  return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
}

void Load(const std::string& path, Loaded& out, LoadFn load) {
  std::memset(out.info, 0x5A, sizeof out.info);
  out.rc = load(path.c_str(), 1, &out.dib, &out.resX, &out.resY, &out.offX, &out.offY, out.info);
}

int MaxDiff(const Loaded& img, const Picture& ref, int rows) {
  if (!img.dib || img.Width() != ref.width || (rows <= 0 && img.Height() != ref.height) ||
      img.Height() < rows)
    return 255;
  const int h = rows > 0 ? rows : ref.height;
  int worst = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < ref.width; ++x) {
      const Pixel a = img.At(x, y), b = ref.At(x, y);
      worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  return worst;
}

int MaxDiff(const Loaded& img, const std::vector<std::uint8_t>& dib) {
  const auto& h = *reinterpret_cast<const BitmapInfoHeader*>(dib.data());
  if (!img.dib || img.Width() != h.biWidth || img.Height() != h.biHeight) return 255;
  int worst = 0;
  for (int y = 0; y < h.biHeight; ++y)
    for (int x = 0; x < h.biWidth; ++x) {
      const Pixel a = img.At(x, y), b = DibPixel(dib, x, y);
      worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
    }
  return worst;
}

std::vector<std::uint8_t> MakeDib(int width, int height) {
  const std::size_t row = DibRowBytes24(width);
  std::vector<std::uint8_t> dib(kBitmapInfoHeaderSize + row * height, 0);
  BitmapInfoHeader h{};
  h.biSize = kBitmapInfoHeaderSize;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = 24;
  std::memcpy(dib.data(), &h, sizeof h);
  // Smooth enough for JPEG to keep close, varied enough to catch swapped channels and rows.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib.data() + kBitmapInfoHeaderSize + row * (height - 1 - y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 255 / std::max(1, width - 1));   // blue grows to the right
      p[1] = static_cast<std::uint8_t>(y * 255 / std::max(1, height - 1));  // green grows downwards
      p[2] = static_cast<std::uint8_t>(200 - (x + y) * 150 / std::max(1, width + height));
    }
  return dib;
}

Pixel DibPixel(const std::vector<std::uint8_t>& dib, int x, int y) {
  const BitmapInfoHeader& h = Header(dib.data());
  const std::uint8_t* p =
      dib.data() + kBitmapInfoHeaderSize + DibRowBytes24(h.biWidth) * (h.biHeight - 1 - y) + 3 * x;
  return {p[2], p[1], p[0]};
}

}  // namespace zt::imgtest

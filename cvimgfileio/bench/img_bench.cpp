// Times the library's calls against direct libjpeg-turbo/libtiff calls doing the same work in
// the same run, and prints each ratio (target: load and JPEG write at most 1.15).
//   img_bench [folder for the scratch files, default "."]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <tiffio.h>

#include "common/dib.h"
#include "cvimgfileio/cvimgfileio.h"
#include "cvimgfileio/dib_output.h"

namespace {

using Clock = std::chrono::steady_clock;

// Best of several runs, in milliseconds.
double Best(int runs, const std::function<void()>& work) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  return best;
}

std::vector<std::uint8_t> MakeDib(int w, int h) {
  const std::size_t row = zt::DibRowBytes24(w);
  std::vector<std::uint8_t> dib(40 + row * h);
  zt::BitmapInfoHeader hd{};
  hd.biSize = 40, hd.biWidth = w, hd.biHeight = h, hd.biPlanes = 1, hd.biBitCount = 24;
  std::memcpy(dib.data(), &hd, 40);
  // Something like a scan: a light background with strokes and a gradient.
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = dib.data() + 40 + row * y + 3 * x;
      const bool ink = ((x / 7 + y / 11) % 23) == 0;
      p[0] = ink ? 40 : static_cast<std::uint8_t>(230 + x % 20);
      p[1] = ink ? 30 : static_cast<std::uint8_t>(235 + y % 15);
      p[2] = ink ? 160 : 240;
    }
  return dib;
}

void DirectJpegWrite(const std::vector<std::uint8_t>& dib, int w, int h, const char* path) {
  FILE* f = std::fopen(path, "wb");
  jpeg_compress_struct c;
  jpeg_error_mgr e;
  c.err = jpeg_std_error(&e);
  jpeg_create_compress(&c);
  jpeg_stdio_dest(&c, f);
  c.image_width = w, c.image_height = h, c.input_components = 3, c.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  c.density_unit = 1, c.X_density = 96, c.Y_density = 96;
  jpeg_start_compress(&c, TRUE);
  const std::size_t row = zt::DibRowBytes24(w);
  while (c.next_scanline < c.image_height) {
    JSAMPROW r = const_cast<JSAMPROW>(dib.data() + 40 + row * (h - 1 - c.next_scanline));
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::fclose(f);
}

void DirectJpegRead(const char* path, std::vector<std::uint8_t>& pixels) {
  FILE* f = std::fopen(path, "rb");
  jpeg_decompress_struct d;
  jpeg_error_mgr e;
  d.err = jpeg_std_error(&e);
  jpeg_create_decompress(&d);
  jpeg_stdio_src(&d, f);
  jpeg_read_header(&d, TRUE);
  d.out_color_space = JCS_EXT_BGR;
  jpeg_start_decompress(&d);
  const std::size_t row = zt::DibRowBytes24(d.output_width);
  pixels.resize(row * d.output_height);
  while (d.output_scanline < d.output_height) {
    JSAMPROW r = pixels.data() + row * (d.output_height - 1 - d.output_scanline);
    jpeg_read_scanlines(&d, &r, 1);
  }
  jpeg_finish_decompress(&d);
  jpeg_destroy_decompress(&d);
  std::fclose(f);
}

void DirectTiffWrite(const std::vector<std::uint8_t>& dib, int w, int h, const char* path) {
  TIFF* t = TIFFOpen(path, "w");
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(t, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  const std::size_t row = zt::DibRowBytes24(w);
  std::vector<std::uint8_t> rgb(3 * w);
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* s = dib.data() + 40 + row * (h - 1 - y);
    for (int i = 0; i < 3 * w; i += 3) rgb[i] = s[i + 2], rgb[i + 1] = s[i + 1], rgb[i + 2] = s[i];
    TIFFWriteScanline(t, rgb.data(), y, 0);
  }
  TIFFClose(t);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dir = argc > 1 ? argv[1] : ".";
  const int runs = 7;
  const std::string scan = dir + "/bench_scan.jpg", out = dir + "/bench_out", base = dir + "/bench_base";

  // Load: a 2400 x 1700 JPEG.
  const auto big = MakeDib(2400, 1700);
  std::remove(scan.c_str());
  DirectJpegWrite(big, 2400, 1700, scan.c_str());
  std::vector<std::uint8_t> pixels;
  const double loadBase = Best(runs, [&] { DirectJpegRead(scan.c_str(), pixels); });
  const double loadOurs = Best(runs, [&] {
    void* dib = nullptr;
    unsigned short rx, ry;
    int ox, oy;
    char info[IMGFILE_INFO_SIZE];
    if (IMGFILE_LoadDibFromFile(scan.c_str(), 1, &dib, &rx, &ry, &ox, &oy, info) != IMGFILE_OK) std::abort();
    zt::img::FreeDibBlock(dib);
  });

  // Writes: 1920 x 1080, the screenshot size.
  const auto shot = MakeDib(1920, 1080);
  auto ours = [&](int format) {
    return Best(runs, [&] {
      std::remove(out.c_str());
      if (IMGFILE_WriteDib2File(shot.data(), 96, 96, 1440, 810, 0, 0, format, out.c_str(), 0) != IMGFILE_OK)
        std::abort();
    });
  };
  auto direct = [&](void (*fn)(const std::vector<std::uint8_t>&, int, int, const char*)) {
    return Best(runs, [&] {
      std::remove(base.c_str());
      fn(shot, 1920, 1080, base.c_str());
    });
  };
  const double jpegBase = direct(DirectJpegWrite), jpegOurs = ours(IMGFILE_FORMAT_JPEG);
  const double tiffBase = direct(DirectTiffWrite), tiffOurs = ours(IMGFILE_FORMAT_TIFF);
  const double pdfOurs = ours(IMGFILE_FORMAT_PDF);  // against the JPEG encode it is built on
  std::remove(out.c_str());
  std::remove(base.c_str());
  std::remove(scan.c_str());

  std::printf("%-28s %10s %10s %7s\n", "case", "ours ms", "direct ms", "ratio");
  auto line = [](const char* name, double o, double b, bool target) {
    std::printf("%-28s %10.2f %10.2f %7.3f%s\n", name, o, b, o / b,
                target ? (o / b <= 1.15 ? "  ok" : "  OVER 1.15") : "");
  };
  line("load 2400x1700 JPEG", loadOurs, loadBase, true);
  line("write 1920x1080 JPEG", jpegOurs, jpegBase, true);
  line("write 1920x1080 TIFF", tiffOurs, tiffBase, false);
  line("write 1920x1080 PDF (vs JPEG)", pdfOurs, jpegBase, false);
  return 0;
}

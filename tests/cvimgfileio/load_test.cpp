// Files made by other tools load with the right pixels, depth, resolution and description.
// The tests run in the folder make_samples.sh filled.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/cvimgfileio/image_check.h"

namespace zt::imgtest {
namespace {

struct Sample {
  const char* file;
  const char* reference;
  int bits;       // expected depth of the DIB
  int tolerance;  // 0 where the format is lossless
  int dpi;        // expected resolution
  int rows;       // rows to compare, 0 = all
  int dpiY = 0;   // when it differs from dpi
};

void PrintTo(const Sample& s, std::ostream* os) { *os << s.file; }

class ToolMadeFile : public ::testing::TestWithParam<Sample> {};

TEST_P(ToolMadeFile, LoadsWithTheReferencePixels) {
  const Sample& s = GetParam();
  const Loaded img(s.file);
  ASSERT_EQ(img.rc, IMGFILE_OK) << s.file;
  ASSERT_NE(img.dib, nullptr);
  EXPECT_EQ(img.Bits(), s.bits);
  const Picture ref = ReadPnm(s.reference);
  EXPECT_LE(MaxDiff(img, ref, s.rows), s.tolerance);
  EXPECT_EQ(img.resX, s.dpi);
  EXPECT_EQ(img.resY, s.dpiY ? s.dpiY : s.dpi);
  EXPECT_EQ(img.offX, 0);
  EXPECT_EQ(img.offY, 0);
  EXPECT_NE(std::strstr(img.info, "97x6"), nullptr) << img.info;
}

INSTANTIATE_TEST_SUITE_P(
    Formats, ToolMadeFile,  // files without a resolution report 96 dpi
    ::testing::Values(
        Sample{"bmp1.bmp", "mono.pbm", 1, 0, 96, 0}, Sample{"bmp8.bmp", "q200.ppm", 24, 0, 96, 0},
        Sample{"bmp8rle.bmp", "q200.ppm", 24, 0, 96, 0}, Sample{"bmp24.bmp", "ref.ppm", 24, 0, 96, 0},
        Sample{"base.jpg", "base.ppm", 24, 2, 200, 0}, Sample{"prog.jpg", "prog.ppm", 24, 2, 96, 0},
        Sample{"grey.jpg", "grey.ppm", 24, 2, 96, 0}, Sample{"cmyk.jpg", "cmyk.ppm", 24, 6, 96, 0},
        Sample{"rgb_none.tif", "ref.ppm", 24, 0, 150, 0}, Sample{"rgb_lzw.tif", "ref.ppm", 24, 0, 150, 0},
        Sample{"rgb_zip.tif", "ref.ppm", 24, 0, 150, 0}, Sample{"rgb_packbits.tif", "ref.ppm", 24, 0, 150, 0},
        Sample{"rgb_tiled.tif", "ref.ppm", 24, 0, 150, 0}, Sample{"rgb_strips.tif", "ref.ppm", 24, 0, 150, 0},
        Sample{"rgb_jpeg.tif", "rgb_jpeg.ppm", 24, 3, 150, 0}, Sample{"rgb16.tif", "ref.ppm", 24, 0, 96, 0},
        Sample{"grey8.tif", "grey.pgm", 24, 0, 96, 0}, Sample{"palette.tif", "q16.ppm", 24, 0, 96, 0},
        Sample{"rgba.tif", "ref.ppm", 24, 0, 96, 0}, Sample{"orient_bl.tif", "ref.ppm", 24, 0, 96, 0},
        Sample{"orient_br.tif", "ref.ppm", 24, 0, 96, 0}, Sample{"orient_tr.tif", "ref.ppm", 24, 0, 96, 0},
        Sample{"bw_white.tif", "mono.pbm", 1, 0, 300, 0}, Sample{"bw_black.tif", "mono.pbm", 1, 0, 96, 0},
        Sample{"bw_g4.tif", "mono.pbm", 1, 0, 300, 0}, Sample{"bw_g3.tif", "mono.pbm", 1, 0, 300, 0},
        Sample{"bw_g3_2d.tif", "mono.pbm", 1, 0, 300, 0}, Sample{"bw_g4_tiled.tif", "mono.pbm", 1, 0, 96, 0},
        // fax2tiff adds a row for the end-of-page code and uses fax resolutions.
        Sample{"bw_fax2tiff.tif", "mono.pbm", 1, 0, 204, 61, 196}));

// The palette of a two-colour DIB follows the file's polarity, so the engine's expansion
// gives the same picture either way.
TEST(TwoColourTiff, PaletteFollowsThePhotometricTag) {
  const Loaded white("bw_white.tif"), black("bw_black.tif");
  ASSERT_EQ(white.rc, IMGFILE_OK);
  ASSERT_EQ(black.rc, IMGFILE_OK);
  const std::uint8_t* pw = static_cast<const std::uint8_t*>(white.dib) + 40;
  const std::uint8_t* pb = static_cast<const std::uint8_t*>(black.dib) + 40;
  EXPECT_EQ(pw[0], 255);  // min-is-white: bit 0 is white
  EXPECT_EQ(pw[4], 0);
  EXPECT_EQ(pb[0], 0);  // min-is-black: bit 0 is black
  EXPECT_EQ(pb[4], 255);
  EXPECT_EQ(static_cast<const std::uint32_t*>(white.dib)[8], 2u);  // biClrUsed
}

struct PdfSample {
  const char* file;
  const char* reference;
  int bits;
  int tolerance;
  int dpi;
};

void PrintTo(const PdfSample& s, std::ostream* os) { *os << s.file; }

class ToolMadePdf : public ::testing::TestWithParam<PdfSample> {};

// img2pdf centres the image on an A4 page (595.28 x 841.89 points).
TEST_P(ToolMadePdf, LoadsTheFirstImageWithItsPlacement) {
  const PdfSample& s = GetParam();
  const Loaded img(s.file);
  ASSERT_EQ(img.rc, IMGFILE_OK) << s.file;
  EXPECT_EQ(img.Bits(), s.bits);
  EXPECT_LE(MaxDiff(img, ReadPnm(s.reference)), s.tolerance);
  EXPECT_EQ(img.resX, s.dpi);
  EXPECT_EQ(img.resY, s.dpi);
  if (s.dpi == 72) {
    EXPECT_NEAR(img.offX, (595.28 - 97) / 2, 1);
    EXPECT_NEAR(img.offY, (841.89 - 61) / 2, 1);
  }
  EXPECT_NE(std::strstr(img.info, "PDF"), nullptr) << img.info;
}

INSTANTIATE_TEST_SUITE_P(Pages, ToolMadePdf,
                         ::testing::Values(PdfSample{"dct.pdf", "base.ppm", 24, 2, 72},
                                           PdfSample{"flate.pdf", "ref.ppm", 24, 0, 72},
                                           PdfSample{"ccitt.pdf", "mono.pbm", 1, 0, 72},
                                           PdfSample{"grey.pdf", "grey.pgm", 24, 0, 72},
                                           PdfSample{"palette.pdf", "q16.ppm", 24, 0, 72},
                                           PdfSample{"gs.pdf", "ref.ppm", 24, 0, 72},
                                           PdfSample{"two_pages.pdf", "mono.pbm", 1, 0, 72},
                                           PdfSample{"flate_144dpi.pdf", "ref.ppm", 24, 0, 144}));

}  // namespace
}  // namespace zt::imgtest

namespace zt::imgtest {
namespace {

// An EXIF block with X/YResolution and ResolutionUnit inch (little-endian), its offsets
// shifted by `skew` to make it point outside itself.
std::vector<std::uint8_t> ExifSegment(std::uint32_t dpi, std::uint32_t skew) {
  std::vector<std::uint8_t> t = {'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0};
  auto u16 = [&](unsigned v) { t.push_back(v & 255), t.push_back(v >> 8); };
  auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(0x011A), u16(5), u32(1), u32(50 + skew);
  u16(0x011B), u16(5), u32(1), u32(58 + skew);
  u16(0x0128), u16(3), u32(1), u32(2);
  u32(0);
  u32(dpi), u32(1), u32(dpi), u32(1);
  std::vector<std::uint8_t> seg = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
  seg.insert(seg.end(), t.begin(), t.end());
  seg[2] = static_cast<std::uint8_t>((seg.size() - 2) >> 8);
  seg[3] = static_cast<std::uint8_t>(seg.size() - 2);
  return seg;
}

// prog.jpg's JFIF header gives no unit, so the resolution must come from EXIF when present.
TEST(JpegResolution, ComesFromExifWhenJfifHasNone) {
  const std::vector<std::uint8_t> jpeg = ReadBytes("prog.jpg");
  ASSERT_GT(jpeg.size(), 2u);
  for (std::uint32_t skew : {0u, 4000u}) {
    std::vector<std::uint8_t> file(jpeg.begin(), jpeg.begin() + 2);
    const auto seg = ExifSegment(300, skew);
    file.insert(file.end(), seg.begin(), seg.end());
    file.insert(file.end(), jpeg.begin() + 2, jpeg.end());
    const std::string path = "written/exif" + std::to_string(skew) + ".jpg";
    ASSERT_TRUE(WriteBytes(path, file));
    const Loaded img(path);
    ASSERT_EQ(img.rc, IMGFILE_OK);
    EXPECT_EQ(img.resX, skew ? 96 : 300);  // a block pointing outside itself is ignored
    EXPECT_EQ(img.resY, skew ? 96 : 300);
  }
}

}  // namespace
}  // namespace zt::imgtest

// Damaged, truncated, oversized and foreign files fail with their own codes, never crash and
// (under the sanitizers) never leak; the description never outgrows its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/dib.h"
#include "cvimgfileio/tiff_data_bound.h"
#include "tests/cvimgfileio/image_check.h"

namespace zt::imgtest {
namespace {

using img::TiffDataCanHold;

const char* const kSamples[] = {"bmp8rle.bmp",   "bmp1.bmp",  "bmp8.bmp",     "bmp24.bmp",   "base.jpg",
                                "prog.jpg",      "cmyk.jpg",  "rgb_lzw.tif",  "rgb_zip.tif", "rgb_jpeg.tif",
                                "rgb_tiled.tif", "bw_g4.tif", "bw_g3_2d.tif", "palette.tif", "dct.pdf",
                                "flate.pdf",     "ccitt.pdf", "gs.pdf",       "palette.pdf", "two_pages.pdf"};

bool IsFailureCode(int rc) { return rc <= IMGFILE_ERR_ARGUMENT && rc >= IMGFILE_ERR_WRITE; }

// Truncation anywhere inside the pixel data must be noticed; a cut in the trailing structure
// of a PDF may be repaired, so PDFs are cut within their first half only.
TEST(HostileInput, TruncatedFilesFail) {
  for (const char* name : kSamples) {
    const std::vector<std::uint8_t> full = ReadBytes(name);
    ASSERT_GT(full.size(), 100u) << name;
    const bool pdf = std::strstr(name, ".pdf") != nullptr;
    for (double part : {0.0, 0.02, 0.3, 0.5, pdf ? 0.45 : 0.9}) {
      std::vector<std::uint8_t> cut(full.begin(), full.begin() + static_cast<long>(full.size() * part));
      const std::string path = std::string("written/cut_") + name;
      RemoveFile(path);
      ASSERT_TRUE(WriteBytes(path, cut));
      const Loaded img(path);
      EXPECT_TRUE(IsFailureCode(img.rc)) << name << " cut at " << part << ": " << img.rc;
      EXPECT_EQ(img.dib, nullptr);
    }
  }
}

// Flipped bytes: any result is acceptable as long as it is a defined one and a success
// delivers a well-formed DIB. ZT_IMG_ROUNDS raises the number of damaged copies for a longer
// run by hand.
TEST(HostileInput, CorruptedFilesFailOrLoadCleanly) {
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  const char* env = std::getenv("ZT_IMG_ROUNDS");
  const int rounds = env ? std::atoi(env) : 12;
  for (const char* name : kSamples) {
    const std::vector<std::uint8_t> full = ReadBytes(name);
    for (int round = 0; round < rounds; ++round) {
      std::vector<std::uint8_t> bad = full;
      // Every other copy is damaged in its first kilobyte only, where the headers are.
      const std::size_t span = round % 2 ? std::min<std::size_t>(bad.size(), 1024) : bad.size();
      for (int i = 0; i < 1 + round % 16; ++i)
        bad[(next() >> 8) % span] ^= static_cast<std::uint8_t>(1 + (next() >> 8) % 255);
      const std::string path = std::string("written/bad_") + name;
      RemoveFile(path);
      ASSERT_TRUE(WriteBytes(path, bad));
      const Loaded img(path);
      if (img.rc == IMGFILE_OK) {
        ASSERT_NE(img.dib, nullptr);
        EXPECT_TRUE(img.Bits() == 24 || img.Bits() == 1);
        EXPECT_GT(img.Width(), 0);
        EXPECT_GT(img.Height(), 0);
        EXPECT_GT(img.resX, 0);
        EXPECT_LT(std::strlen(img.info), static_cast<std::size_t>(IMGFILE_INFO_SIZE));
      } else {
        EXPECT_TRUE(IsFailureCode(img.rc)) << name << ": " << img.rc;
        EXPECT_EQ(img.dib, nullptr);
      }
    }
  }
}

TEST(HostileInput, EachFailureHasItsCode) {
  EXPECT_EQ(Loaded("no such file.jpg").rc, IMGFILE_ERR_OPEN);
  EXPECT_EQ(Loaded("written").rc, IMGFILE_ERR_OPEN);
  ASSERT_TRUE(WriteBytes("written/empty.jpg", {}));
  EXPECT_EQ(Loaded("written/empty.jpg").rc, IMGFILE_ERR_CORRUPT);
  ASSERT_TRUE(WriteBytes("written/text.jpg", {'h', 'e', 'l', 'l', 'o'}));
  EXPECT_EQ(Loaded("written/text.jpg").rc, IMGFILE_ERR_UNSUPPORTED);
  void* dib = nullptr;
  unsigned short rx, ry;
  int ox, oy;
  char info[IMGFILE_INFO_SIZE];
  EXPECT_EQ(IMGFILE_LoadDibFromFile("base.jpg", 2, &dib, &rx, &ry, &ox, &oy, info), IMGFILE_ERR_ARGUMENT);
  EXPECT_EQ(IMGFILE_LoadDibFromFile(nullptr, 1, &dib, &rx, &ry, &ox, &oy, info), IMGFILE_ERR_ARGUMENT);
  EXPECT_EQ(IMGFILE_LoadDibFromFile("base.jpg", 1, nullptr, &rx, &ry, &ox, &oy, info), IMGFILE_ERR_ARGUMENT);
  EXPECT_EQ(dib, nullptr);
}

// Puts width x length into the tags of a little-endian TIFF's first directory.
void SetTiffSize(std::vector<std::uint8_t>& tiff, std::uint16_t width, std::uint16_t length) {
  ASSERT_GT(tiff.size(), 8u);
  ASSERT_EQ(tiff[0], 'I');
  const std::size_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | static_cast<std::size_t>(tiff[7]) << 24;
  ASSERT_LT(ifd + 2, tiff.size());
  for (std::size_t i = 0, n = tiff[ifd] | tiff[ifd + 1] << 8; i < n && ifd + 14 + 12 * i <= tiff.size();
       ++i) {
    std::uint8_t* e = &tiff[ifd + 2 + 12 * i];
    const unsigned tag = e[0] | e[1] << 8, type = e[2] | e[3] << 8;
    const std::uint16_t side = tag == 256 ? width : length;
    if (tag != 256 && tag != 257) continue;
    e[8] = static_cast<std::uint8_t>(side), e[9] = static_cast<std::uint8_t>(side >> 8);
    if (type == 4) e[10] = e[11] = 0;
  }
}

// Sizes beyond the caps are refused before any pixel memory is taken.
TEST(HostileInput, OversizedImagesAreRefused) {
  // A JPEG whose frame header claims 60000 x 60000.
  std::vector<std::uint8_t> jpeg = ReadBytes("base.jpg");
  for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
      jpeg[i + 5] = 0xEA, jpeg[i + 6] = 0x60, jpeg[i + 7] = 0xEA, jpeg[i + 8] = 0x60;
      break;
    }
  ASSERT_TRUE(WriteBytes("written/huge.jpg", jpeg));
  // A bitmap header claiming 50000 x 50000 pixels over a few bytes.
  std::vector<std::uint8_t> bmp = ReadBytes("bmp24.bmp");
  ASSERT_GT(bmp.size(), 54u);
  const std::int32_t side = 50000;
  std::memcpy(bmp.data() + 18, &side, 4);  // biWidth
  std::memcpy(bmp.data() + 22, &side, 4);  // biHeight
  ASSERT_TRUE(WriteBytes("written/huge.bmp", bmp));
  // A TIFF whose width and length tags say 60000.
  std::vector<std::uint8_t> tiff = ReadBytes("rgb_none.tif");
  SetTiffSize(tiff, 60000, 60000);
  ASSERT_TRUE(WriteBytes("written/huge.tif", tiff));
  for (const char* name : {"written/huge.jpg", "written/huge.bmp", "written/huge.tif"})
    EXPECT_EQ(Loaded(name).rc, IMGFILE_ERR_TOO_LARGE) << name;
}

// Within the caps, but far more than the file's strips could ever decode to: refused as damaged
// before the image is allocated, whatever the coding. The honest samples still load.
TEST(HostileInput, TiffsDeclaringMoreThanTheirDataHoldsAreRefused) {
  for (const char* name : {"rgb_none.tif", "rgb_lzw.tif", "rgb_zip.tif", "rgb_tiled.tif", "bw_g4.tif"}) {
    std::vector<std::uint8_t> tiff = ReadBytes(name);
    SetTiffSize(tiff, 12000, 12000);
    const std::string path = std::string("written/declared_") + name;
    ASSERT_TRUE(WriteBytes(path, tiff));
    EXPECT_EQ(Loaded(path).rc, IMGFILE_ERR_CORRUPT) << name;
    EXPECT_EQ(Loaded(name).rc, IMGFILE_OK) << name;
  }
  // Tiled files hold their data in tiles, strips in name only: every tile counts.
  for (const char* name : {"rgb_none_tiled.tif", "bw_g4_tiled.tif"})
    EXPECT_EQ(Loaded(name).rc, IMGFILE_OK) << name;
}

TEST(TiffDataBound, EachCodingHasItsBestRatio) {
  constexpr std::uint16_t kNone = 1, kFax4 = 4, kLzw = 5, kOldJpeg = 6, kDeflate = 8;
  // A blank fax page: one bit a row, however wide.
  EXPECT_TRUE(TiffDataCanHold(kFax4, 8188, 65500, 65500 / 8));
  EXPECT_FALSE(TiffDataCanHold(kFax4, 100, 12000, 1500));
  // Uncompressed rows are stored whole (subsampled colour down to a third of the estimate).
  EXPECT_TRUE(TiffDataCanHold(kNone, 300 * 100 * 3, 100, 300 * 3));
  EXPECT_TRUE(TiffDataCanHold(kNone, 300 * 100, 100, 300 * 3));
  EXPECT_FALSE(TiffDataCanHold(kNone, 300 * 100 * 3, 12000, 300 * 3));
  // A white page compresses very well, but not without bound.
  EXPECT_TRUE(TiffDataCanHold(kDeflate, 432000, 12000, 12000 * 3));
  EXPECT_FALSE(TiffDataCanHold(kLzw, 1000, 12000, 12000 * 3));
  // No data at all holds nothing; old-style JPEG is left to libtiff.
  EXPECT_FALSE(TiffDataCanHold(kLzw, 0, 1, 3));
  EXPECT_TRUE(TiffDataCanHold(kOldJpeg, 0, 12000, 36000));
  // Declared sizes that would overflow a product are compared without one.
  EXPECT_FALSE(TiffDataCanHold(kNone, 1000, 65500, ~std::uint64_t{0} / 2));
}

// A bitmap file's headers (300 dpi, a grey palette at 4 bits) and `extra` bytes (the palette, or
// masks), then `data` zero bytes for the pixels at its end.
std::vector<std::uint8_t> BmpFile(int width, int height, int bits, std::uint32_t compression,
                                  std::size_t extra, std::size_t data) {
  const std::uint32_t off = static_cast<std::uint32_t>(14 + 40 + extra);
  std::vector<std::uint8_t> f(off + data, 0);
  f[0] = 'B', f[1] = 'M';
  std::memcpy(&f[10], &off, 4);
  BitmapInfoHeader hd{};
  hd.biSize = 40;
  hd.biWidth = width;
  hd.biHeight = height;
  hd.biPlanes = 1;
  hd.biBitCount = static_cast<std::uint16_t>(bits);
  hd.biCompression = compression;
  hd.biXPelsPerMeter = hd.biYPelsPerMeter = 11811;  // 300 dpi
  std::memcpy(&f[14], &hd, 40);
  for (int i = 0; i < 16 && bits == 4; ++i)
    f[54 + 4 * i] = f[55 + 4 * i] = f[56 + 4 * i] = static_cast<std::uint8_t>(i * 17);
  return f;
}

// Builds an uncompressed bitmap file of the reference picture at 4, 16 or 32 bits, bottom-up
// or top-down, so that depths and layouts ImageMagick does not write are covered too.
std::vector<std::uint8_t> MakeBmp(const Picture& p, int bits, bool topDown) {
  const int w = p.width, h = p.height;
  const std::size_t stride = ((static_cast<std::size_t>(w) * bits + 31) / 32) * 4;
  std::vector<std::uint8_t> f = BmpFile(w, topDown ? -h : h, bits, 0, bits == 4 ? 64 : 0, stride * h);
  std::uint8_t* const pixels = f.data() + f.size() - stride * h;
  for (int y = 0; y < h; ++y) {
    std::uint8_t* row = pixels + stride * (topDown ? y : h - 1 - y);
    for (int x = 0; x < w; ++x) {
      const Pixel c = p.At(x, y);
      if (bits == 4) {
        row[x / 2] |= static_cast<std::uint8_t>((c.g / 17) << (x % 2 ? 0 : 4));
      } else if (bits == 16) {  // 5-5-5
        const unsigned v = (c.r >> 3) << 10 | (c.g >> 3) << 5 | (c.b >> 3);
        row[2 * x] = static_cast<std::uint8_t>(v), row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
      } else {
        row[4 * x] = c.b, row[4 * x + 1] = c.g, row[4 * x + 2] = c.r, row[4 * x + 3] = 0x80;
      }
    }
  }
  return f;
}

TEST(BitmapLayouts, FourSixteenAndThirtyTwoBitsBothWaysUp) {
  const Picture ref = ReadPnm("ref.ppm");
  for (int bits : {4, 16, 32})
    for (bool topDown : {false, true}) {
      const std::string path = "written/made" + std::to_string(bits) + (topDown ? "td" : "bu") + ".bmp";
      ASSERT_TRUE(WriteBytes(path, MakeBmp(ref, bits, topDown)));
      const Loaded img(path);
      ASSERT_EQ(img.rc, IMGFILE_OK) << path;
      EXPECT_EQ(img.Bits(), 24);
      EXPECT_EQ(img.resX, 300);
      // What each depth can hold of the picture: grey levels of 17, five bits a channel.
      int worst = 0;
      for (int y = 0; y < ref.height; ++y)
        for (int x = 0; x < ref.width; ++x) {
          const Pixel a = img.At(x, y), b = ref.At(x, y);
          if (bits == 4) worst = std::max(worst, std::abs(a.g - b.g / 17 * 17));
          if (bits == 16)
            worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
          if (bits == 32) worst = std::max({worst, std::abs(a.r - b.r) * 8, std::abs(a.b - b.b) * 8});
        }
      EXPECT_LE(worst, 8) << path;
    }
}

// Four-bit run-length coding with an encoded run, an absolute run (padded to a word), a
// delta that skips two pixels, and the end codes.
TEST(BitmapLayouts, FourBitRunLength) {
  const std::vector<std::uint8_t> runs = {
      0x05, 0x12, 0x00, 0x00,                           // row 0: 1 2 1 2 1
      0x00, 0x05, 0x34, 0x56, 0x70, 0x00, 0x00, 0x00,   // row 1: 3 4 5 6 7
      0x00, 0x02, 0x02, 0x00, 0x03, 0x88, 0x00, 0x01};  // row 2: _ _ 8 8 8
  std::vector<std::uint8_t> f = BmpFile(5, 3, 4, 2, 64, runs.size());
  std::copy(runs.begin(), runs.end(), f.end() - runs.size());
  ASSERT_TRUE(WriteBytes("written/rle4.bmp", f));
  const Loaded img("written/rle4.bmp");
  ASSERT_EQ(img.rc, IMGFILE_OK);
  const int expected[3][5] = {{0, 0, 8, 8, 8}, {3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}};  // top row first
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(img.At(x, y).g, expected[y][x] * 17) << x << "," << y;
  // Without its end code the same data is a truncated file.
  f.resize(f.size() - 2);
  ASSERT_TRUE(WriteBytes("written/rle4cut.bmp", f));
  EXPECT_EQ(Loaded("written/rle4cut.bmp").rc, IMGFILE_ERR_CORRUPT);
}

// Sixteen bits with the masks the file gives (5-6-5 here), not the 5-5-5 used without them.
TEST(BitmapLayouts, BitFieldMasksFromTheFile) {
  std::vector<std::uint8_t> f = BmpFile(3, 1, 16, 3, 12, 8);
  const std::uint32_t masks[3] = {0xF800, 0x07E0, 0x001F};
  std::memcpy(&f[54], masks, 12);
  const std::uint16_t px[3] = {0xF800, 0x07E0, 0x041F};  // red, green, half green with blue
  std::memcpy(&f[f.size() - 8], px, 6);
  ASSERT_TRUE(WriteBytes("written/bitfields565.bmp", f));
  const Loaded img("written/bitfields565.bmp");
  ASSERT_EQ(img.rc, IMGFILE_OK);
  const Pixel expected[3] = {{255, 0, 0}, {0, 255, 0}, {0, 130, 255}};  // 32 of 63 is 130 of 255
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(img.At(x, 0).r, expected[x].r) << x;
    EXPECT_EQ(img.At(x, 0).g, expected[x].g) << x;
    EXPECT_EQ(img.At(x, 0).b, expected[x].b) << x;
  }
}

TEST(Description, NamesFormatAndSizeWithinTheBuffer) {
  for (const char* name : kSamples) {
    const Loaded img(name);
    ASSERT_EQ(img.rc, IMGFILE_OK) << name;
    const std::size_t len = std::strlen(img.info);
    EXPECT_GT(len, 5u);
    EXPECT_LT(len, static_cast<std::size_t>(IMGFILE_INFO_SIZE));
    EXPECT_EQ(static_cast<unsigned char>(img.info[IMGFILE_INFO_SIZE]), 0x5A);  // nothing beyond
  }
}

}  // namespace
}  // namespace zt::imgtest

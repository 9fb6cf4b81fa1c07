#include <algorithm>
#include <cstdio>
#include <vector>

#include "cvimgfileio/decoded.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/size_caps.h"
#include "cvimgfileio/tiff_data_bound.h"
#include "cvimgfileio/tiff_memory.h"

namespace zt::img {

namespace {

const char* CompressionName(std::uint16_t c) {
  switch (c) {
    case COMPRESSION_NONE:
      return "uncompressed";
    case COMPRESSION_CCITTRLE:
      return "CCITT RLE";
    case COMPRESSION_CCITTFAX3:
      return "CCITT G3";
    case COMPRESSION_CCITTFAX4:
      return "CCITT G4";
    case COMPRESSION_LZW:
      return "LZW";
    case COMPRESSION_OJPEG:
    case COMPRESSION_JPEG:
      return "JPEG";
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
      return "Deflate";
    case COMPRESSION_PACKBITS:
      return "PackBits";
    default:
      return "compressed";
  }
}

// The RGBA reader's pixels are premultiplied when the file has alpha; putting them on white
// is then one addition.
std::uint8_t OnWhite(std::uint32_t c, std::uint32_t a) {
  return static_cast<std::uint8_t>(std::min(255u, c + 255 - a));
}

// The bytes of strip or tile data the file holds: what its byte counts say, but never more than
// the file itself.
std::uint64_t StoredDataBytes(TIFF* tif, std::uint64_t fileSize) {
  std::uint64_t stored = 0;
  // Strip counts come from RowsPerStrip, which a tiled file does not have.
  const std::uint32_t pieces = TIFFIsTiled(tif) ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
  for (std::uint32_t i = 0; i < pieces && stored < fileSize; ++i) stored += TIFFGetStrileByteCount(tif, i);
  return stored < fileSize ? stored : fileSize;
}

struct RgbaImage {
  TIFFRGBAImage img;
  bool begun = false;
  ~RgbaImage() {
    if (begun) TIFFRGBAImageEnd(&img);
  }
};

}  // namespace

void DecodeTiff(const std::uint8_t* data, std::size_t size, Decoded& out) {
  TiffMemory mem;
  mem.in = data;
  mem.size = size;
  TiffCloser tif{OpenTiffMemory(mem, "r")};
  if (!tif.tif || mem.damaged) Fail(IMGFILE_ERR_CORRUPT);

  std::uint32_t w = 0, h = 0;
  if (!TIFFGetField(tif.tif, TIFFTAG_IMAGEWIDTH, &w) || !TIFFGetField(tif.tif, TIFFTAG_IMAGELENGTH, &h))
    Fail(IMGFILE_ERR_CORRUPT);
  CheckImageSize(w, h);
  std::uint16_t bps = 1, spp = 1, photometric = PHOTOMETRIC_MINISWHITE, compression = COMPRESSION_NONE;
  TIFFGetFieldDefaulted(tif.tif, TIFFTAG_BITSPERSAMPLE, &bps);
  TIFFGetFieldDefaulted(tif.tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
  TIFFGetFieldDefaulted(tif.tif, TIFFTAG_COMPRESSION, &compression);
  if (!TIFFGetField(tif.tif, TIFFTAG_PHOTOMETRIC, &photometric)) {
    photometric = spp >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFSetField(tif.tif, TIFFTAG_PHOTOMETRIC, photometric);
  }
  if (!TIFFIsCODECConfigured(compression)) Fail(IMGFILE_ERR_UNSUPPORTED);
  const std::uint64_t rowBytes = (std::uint64_t{w} * bps * spp + 7) / 8;
  if (!TiffDataCanHold(compression, StoredDataBytes(tif.tif, size), h, rowBytes)) Fail(IMGFILE_ERR_CORRUPT);

  const bool bilevel = bps == 1 && spp == 1 &&
                       (photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK);
  char emsg[1024] = "";
  if (!TIFFRGBAImageOK(tif.tif, emsg)) Fail(IMGFILE_ERR_UNSUPPORTED);

  RgbaImage rgba;
  if (!TIFFRGBAImageBegin(&rgba.img, tif.tif, 0, emsg)) Fail(IMGFILE_ERR_CORRUPT);
  rgba.begun = true;
  // The reader hands rows over as the file stores them (its own flips only work within one
  // band); the mirrorings of the four upright orientations are applied here. The transposed
  // ones (5 to 8) are delivered as stored.
  rgba.img.req_orientation = rgba.img.orientation;
  const std::uint16_t orientation = rgba.img.orientation;
  const bool flipRows = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT;
  const bool flipColumns = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT;

  out.dib.Create(w, h, bilevel ? 1 : 24);
  if (bilevel) {
    // Bit values stay as in the file; the palette says what they mean.
    const bool minIsWhite = photometric == PHOTOMETRIC_MINISWHITE;
    out.dib.SetPalette(0, minIsWhite ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
    out.dib.SetPalette(1, minIsWhite ? Rgb{0, 0, 0} : Rgb{255, 255, 255});
  }

  // Decode in bands so that the RGBA buffer stays small whatever the image size.
  std::uint32_t rowsPerStrip = 0, tileRows = 0;
  std::uint32_t band = 64;
  if (TIFFIsTiled(tif.tif) && TIFFGetField(tif.tif, TIFFTAG_TILELENGTH, &tileRows) && tileRows > 0)
    band = tileRows;
  else if (TIFFGetField(tif.tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) && rowsPerStrip > 0)
    band = rowsPerStrip;
  const std::uint32_t maxBand =
      std::max<std::uint32_t>(1, static_cast<std::uint32_t>((16u << 20) / (4ull * w)));
  if (band > maxBand) band = maxBand;
  band = std::min(band, h);
  std::vector<std::uint32_t> buf(static_cast<std::size_t>(w) * band);

  for (std::uint32_t y0 = 0; y0 < h; y0 += band) {
    const std::uint32_t rows = std::min(band, h - y0);
    rgba.img.row_offset = static_cast<int>(y0);
    rgba.img.col_offset = 0;
    if (!TIFFRGBAImageGet(&rgba.img, buf.data(), w, rows)) Fail(IMGFILE_ERR_CORRUPT);
    for (std::uint32_t r = 0; r < rows; ++r) {
      const std::uint32_t* p = buf.data() + static_cast<std::size_t>(r) * w;
      std::uint8_t* dst = out.dib.Row(flipRows ? h - 1 - (y0 + r) : y0 + r);
      if (bilevel) {
        const bool oneIsBlack = photometric == PHOTOMETRIC_MINISWHITE;
        for (std::uint32_t x = 0; x < w; ++x) {
          const bool white = TIFFGetR(p[x]) >= 128;
          const std::uint32_t c = flipColumns ? w - 1 - x : x;
          if (white != oneIsBlack) dst[c >> 3] |= static_cast<std::uint8_t>(0x80 >> (c & 7));
        }
      } else {
        for (std::uint32_t x = 0; x < w; ++x) {
          const std::uint32_t px = p[flipColumns ? w - 1 - x : x];
          const std::uint32_t a = TIFFGetA(px);
          *dst++ = OnWhite(TIFFGetB(px), a);
          *dst++ = OnWhite(TIFFGetG(px), a);
          *dst++ = OnWhite(TIFFGetR(px), a);
        }
      }
    }
  }

  if (mem.damaged) Fail(IMGFILE_ERR_CORRUPT);
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif.tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif.tif, TIFFTAG_XRESOLUTION, &xres) &&
      TIFFGetField(tif.tif, TIFFTAG_YRESOLUTION, &yres) &&
      (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER)) {
    out.resX = DpiFrom(xres, unit == RESUNIT_INCH ? 1 : 2);
    out.resY = DpiFrom(yres, unit == RESUNIT_INCH ? 1 : 2);
  }
  char text[128];
  std::snprintf(text, sizeof text, "TIFF %ux%u, %u x %u bit, %s", static_cast<unsigned>(w),
                static_cast<unsigned>(h), static_cast<unsigned>(spp), static_cast<unsigned>(bps),
                CompressionName(compression));
  out.description = text;
}

}  // namespace zt::img

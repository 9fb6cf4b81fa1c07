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

// Rows of 64 unless the file's strips or tiles say otherwise; never more than 16 MB of RGBA.
constexpr std::uint32_t kDefaultBandRows = 64;
constexpr std::uint32_t kMaxBandBytes = 16u << 20;

// What the first directory says, checked.
struct TiffHeader {
  std::uint32_t width = 0, height = 0;
  std::uint16_t bitsPerSample = 1, samplesPerPixel = 1;
  std::uint16_t photometric = PHOTOMETRIC_MINISWHITE, compression = COMPRESSION_NONE;
  bool bilevel = false;
};

TiffHeader ReadHeader(TIFF* tif, std::uint64_t fileSize) {
  TiffHeader hd;
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &hd.width) ||
      !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &hd.height))
    Fail(IMGFILE_ERR_CORRUPT);
  CheckImageSize(hd.width, hd.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &hd.bitsPerSample);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &hd.samplesPerPixel);
  TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &hd.compression);
  // Without a photometric tag, guess from the samples and set it, so that the RGBA reader takes
  // them as we do.
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &hd.photometric)) {
    hd.photometric = hd.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, hd.photometric);
  }
  if (!TIFFIsCODECConfigured(hd.compression)) Fail(IMGFILE_ERR_UNSUPPORTED);
  const std::uint64_t rowBytes = (std::uint64_t{hd.width} * hd.bitsPerSample * hd.samplesPerPixel + 7) / 8;
  if (!TiffDataCanHold(hd.compression, StoredDataBytes(tif, fileSize), hd.height, rowBytes))
    Fail(IMGFILE_ERR_CORRUPT);
  hd.bilevel = hd.bitsPerSample == 1 && hd.samplesPerPixel == 1 &&
               (hd.photometric == PHOTOMETRIC_MINISWHITE || hd.photometric == PHOTOMETRIC_MINISBLACK);
  return hd;
}

struct Flips {
  bool rows = false, columns = false;
};

// The reader hands rows over as the file stores them (its own flips only work within one band);
// the mirrorings of the four upright orientations are applied as the rows are copied out. The
// transposed ones (5 to 8) are delivered as stored.
Flips BeginRgba(TIFF* tif, RgbaImage& rgba) {
  char emsg[1024] = "";
  if (!TIFFRGBAImageOK(tif, emsg)) Fail(IMGFILE_ERR_UNSUPPORTED);
  if (!TIFFRGBAImageBegin(&rgba.img, tif, 0, emsg)) Fail(IMGFILE_ERR_CORRUPT);
  rgba.begun = true;
  rgba.img.req_orientation = rgba.img.orientation;
  const std::uint16_t orientation = rgba.img.orientation;
  Flips flips;
  flips.rows = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT;
  flips.columns = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT;
  return flips;
}

// A two-colour image stays one bit: the bit values stay as in the file, the palette says what
// they mean. Everything else becomes 24 bits.
void CreateDib(const TiffHeader& hd, Decoded& out) {
  out.dib.Create(hd.width, hd.height, hd.bilevel ? 1 : 24);
  if (!hd.bilevel) return;
  const bool minIsWhite = hd.photometric == PHOTOMETRIC_MINISWHITE;
  out.dib.SetPalette(0, minIsWhite ? Rgb{255, 255, 255} : Rgb{0, 0, 0});
  out.dib.SetPalette(1, minIsWhite ? Rgb{0, 0, 0} : Rgb{255, 255, 255});
}

// Rows decoded at a time, so that the RGBA buffer stays small whatever the image size.
std::uint32_t BandRows(TIFF* tif, std::uint32_t width, std::uint32_t height) {
  std::uint32_t rowsPerStrip = 0, tileRows = 0;
  std::uint32_t band = kDefaultBandRows;
  if (TIFFIsTiled(tif) && TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileRows) && tileRows > 0)
    band = tileRows;
  else if (TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) && rowsPerStrip > 0)
    band = rowsPerStrip;
  const std::uint32_t maxBand =
      std::max<std::uint32_t>(1, static_cast<std::uint32_t>(kMaxBandBytes / (4ull * width)));
  if (band > maxBand) band = maxBand;
  return std::min(band, height);
}

void BilevelRow(const std::uint32_t* p, std::uint32_t w, bool oneIsBlack, bool flipColumns,
                std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < w; ++x) {
    const bool white = TIFFGetR(p[x]) >= 128;
    const std::uint32_t c = flipColumns ? w - 1 - x : x;
    if (white != oneIsBlack) dst[c >> 3] |= static_cast<std::uint8_t>(0x80 >> (c & 7));
  }
}

void ColourRow(const std::uint32_t* p, std::uint32_t w, bool flipColumns, std::uint8_t* dst) {
  for (std::uint32_t x = 0; x < w; ++x) {
    const std::uint32_t px = p[flipColumns ? w - 1 - x : x];
    const std::uint32_t a = TIFFGetA(px);
    *dst++ = OnWhite(TIFFGetB(px), a);
    *dst++ = OnWhite(TIFFGetG(px), a);
    *dst++ = OnWhite(TIFFGetR(px), a);
  }
}

void ReadRows(TIFF* tif, RgbaImage& rgba, const TiffHeader& hd, Flips flips, Decoded& out) {
  const std::uint32_t w = hd.width, h = hd.height;
  const std::uint32_t band = BandRows(tif, w, h);
  std::vector<std::uint32_t> buf(static_cast<std::size_t>(w) * band);
  const bool oneIsBlack = hd.photometric == PHOTOMETRIC_MINISWHITE;
  for (std::uint32_t y0 = 0; y0 < h; y0 += band) {
    const std::uint32_t rows = std::min(band, h - y0);
    rgba.img.row_offset = static_cast<int>(y0);
    rgba.img.col_offset = 0;
    if (!TIFFRGBAImageGet(&rgba.img, buf.data(), w, rows)) Fail(IMGFILE_ERR_CORRUPT);
    for (std::uint32_t r = 0; r < rows; ++r) {
      const std::uint32_t* p = buf.data() + static_cast<std::size_t>(r) * w;
      std::uint8_t* dst = out.dib.Row(flips.rows ? h - 1 - (y0 + r) : y0 + r);
      if (hd.bilevel)
        BilevelRow(p, w, oneIsBlack, flips.columns, dst);
      else
        ColourRow(p, w, flips.columns, dst);
    }
  }
}

// A missing unit counts as inches; with the unit "none" the values only relate the two axes and
// the image gets no dpi.
void ReadResolution(TIFF* tif, Decoded& out) {
  float xres = 0, yres = 0;
  std::uint16_t unit = RESUNIT_INCH;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) &&
      (unit == RESUNIT_INCH || unit == RESUNIT_CENTIMETER)) {
    out.resX = DpiFrom(xres, unit == RESUNIT_INCH ? 1 : 2);
    out.resY = DpiFrom(yres, unit == RESUNIT_INCH ? 1 : 2);
  }
}

void Describe(const TiffHeader& hd, Decoded& out) {
  char text[128];
  std::snprintf(text, sizeof text, "TIFF %ux%u, %u x %u bit, %s", static_cast<unsigned>(hd.width),
                static_cast<unsigned>(hd.height), static_cast<unsigned>(hd.samplesPerPixel),
                static_cast<unsigned>(hd.bitsPerSample), CompressionName(hd.compression));
  out.description = text;
}

}  // namespace

void DecodeTiff(const std::uint8_t* data, std::size_t size, Decoded& out) {
  TiffMemory mem;
  mem.in = data;
  mem.size = size;
  TiffCloser tif{OpenTiffMemory(mem, "r")};
  if (!tif.tif || mem.damaged) Fail(IMGFILE_ERR_CORRUPT);

  const TiffHeader hd = ReadHeader(tif.tif, size);
  RgbaImage rgba;  // ended before the file is closed
  const Flips flips = BeginRgba(tif.tif, rgba);
  CreateDib(hd, out);
  ReadRows(tif.tif, rgba, hd, flips, out);
  // libtiff only warns about data beyond the end of the file; the memory handle notes it.
  if (mem.damaged) Fail(IMGFILE_ERR_CORRUPT);
  ReadResolution(tif.tif, out);
  Describe(hd, out);
}

}  // namespace zt::img

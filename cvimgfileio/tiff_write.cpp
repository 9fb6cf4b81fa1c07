#include <vector>

#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/dib_input.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/tiff_memory.h"

namespace zt::img {

// RGB, 8 bits a sample, LZW with the horizontal predictor: lossless and read everywhere.
void EncodeTiff(const DibInput& dib, unsigned resX, unsigned resY, ByteBuffer& out) {
  TiffMemory mem;
  mem.out = &out.bytes;
  {
    TiffCloser tif{OpenTiffMemory(mem, "w")};
    if (!tif.tif) Fail(IMGFILE_ERR_NO_MEMORY);
    const std::uint32_t w = dib.Width(), h = dib.Height();
    TIFFSetField(tif.tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif.tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif.tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif.tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif.tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif.tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif.tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif.tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
    TIFFSetField(tif.tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tif.tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif.tif, 0));
    TIFFSetField(tif.tif, TIFFTAG_XRESOLUTION, static_cast<float>(resX));
    TIFFSetField(tif.tif, TIFFTAG_YRESOLUTION, static_cast<float>(resY));
    TIFFSetField(tif.tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<std::uint8_t> row(3ull * w);
    for (std::uint32_t y = 0; y < h; ++y) {
      const std::uint8_t* src = dib.Row(y);
      for (std::size_t i = 0; i < row.size(); i += 3) {
        row[i] = src[i + 2];
        row[i + 1] = src[i + 1];
        row[i + 2] = src[i];
      }
      if (TIFFWriteScanline(tif.tif, row.data(), y, 0) < 0) Fail(IMGFILE_ERR_WRITE);
    }
    if (!TIFFFlush(tif.tif)) Fail(IMGFILE_ERR_WRITE);
  }
  out.bytes.resize(static_cast<std::size_t>(mem.size));
}

}  // namespace zt::img

#include "overlay/engine/handout/jpeg_header.h"

#include <csetjmp>

#include "cvimgfileio/jpeg_error.h"

namespace zt {

namespace {

// A fatal libjpeg error jumps back to the setjmp here, between which and the jump nothing has a
// destructor.
bool ReadHeader(jpeg_decompress_struct& cinfo, img::JpegError& err, const std::string& bytes) {
  if (setjmp(err.jump)) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.data()),
               static_cast<unsigned long>(bytes.size()));
  return jpeg_read_header(&cinfo, TRUE) == JPEG_HEADER_OK;
}

}  // namespace

bool ReadJpegHeader(const std::string& bytes, JpegInfo& info) {
  if (bytes.size() < 4) return false;
  jpeg_decompress_struct cinfo{};
  img::JpegError err;
  cinfo.err = img::InitJpegError(err);
  const bool read = ReadHeader(cinfo, err, bytes);
  if (read) {
    info.width = static_cast<int>(cinfo.image_width);
    info.height = static_cast<int>(cinfo.image_height);
    info.components = cinfo.num_components;
    const double perInch = cinfo.density_unit == 1 ? 1.0 : cinfo.density_unit == 2 ? 2.54 : 0.0;
    info.dpiX = cinfo.X_density * perInch;
    info.dpiY = cinfo.Y_density * perInch;
  }
  jpeg_destroy_decompress(&cinfo);
  return read && info.width > 0 && info.height > 0;
}

}  // namespace zt

#include <cstring>

#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/dib_input.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/jpeg_error.h"

namespace zt::img {

namespace {

struct State {
  jpeg_compress_struct cinfo;
  JpegError err;
};

// Holds only trivially destructible locals: error_exit jumps back into it.
int Encode(State& s, const DibInput& dib, unsigned resX, unsigned resY, int quality, ByteBuffer& out) {
  jpeg_compress_struct& cinfo = s.cinfo;
  cinfo.err = InitJpegError(s.err);
  if (setjmp(s.err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return JpegResult(s.err) == IMGFILE_ERR_NO_MEMORY ? IMGFILE_ERR_NO_MEMORY : IMGFILE_ERR_WRITE;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &out.mallocData, &out.mallocSize);
  cinfo.image_width = dib.Width();
  cinfo.image_height = dib.Height();
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.write_JFIF_header = TRUE;
  cinfo.density_unit = 1;
  cinfo.X_density = static_cast<UINT16>(resX);
  cinfo.Y_density = static_cast<UINT16>(resY);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPROW>(dib.Row(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return IMGFILE_OK;
}

}  // namespace

void EncodeJpeg(const DibInput& dib, unsigned resX, unsigned resY, int quality, ByteBuffer& out) {
  State s;
  std::memset(&s, 0, sizeof s);
  const int rc = Encode(s, dib, resX, resY, quality, out);
  if (rc != IMGFILE_OK) Fail(rc);
}

}  // namespace zt::img

#include <cstdlib>
#include <cstring>

#include "cvimgfileio/byte_buffer.h"
#include "cvimgfileio/dib_input.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/jpeg_error.h"

namespace zt::img {

namespace {

// The encoded file goes into one malloc block, first reserved for half the image's bytes (more
// than a photograph at quality 90 needs) and doubled when it runs out. Pages of the block that
// the encoder never reaches are never touched; libjpeg's own memory destination starts at 4 KB
// and doubles, so a file of megabytes passes through a dozen blocks, each fresh pages from the
// system and copied over.
struct GrowingDest {
  jpeg_destination_mgr pub;
  ByteBuffer* out;  // mallocSize is the block's capacity until the encoder ends
};

struct State {
  jpeg_compress_struct cinfo;
  JpegError err;
  GrowingDest dest;
};

void InitDest(j_compress_ptr) {}

boolean EmptyDest(j_compress_ptr cinfo) {
  GrowingDest* dest = reinterpret_cast<GrowingDest*>(cinfo->dest);
  ByteBuffer& out = *dest->out;
  const unsigned long used = out.mallocSize;  // the block is full
  if (used > static_cast<unsigned long>(-1) / 2)
    JpegFail(reinterpret_cast<j_common_ptr>(cinfo), IMGFILE_ERR_NO_MEMORY);
  void* bigger = std::realloc(out.mallocData, 2 * static_cast<std::size_t>(used));
  if (!bigger) JpegFail(reinterpret_cast<j_common_ptr>(cinfo), IMGFILE_ERR_NO_MEMORY);
  out.mallocData = static_cast<unsigned char*>(bigger);
  out.mallocSize = 2 * used;
  dest->pub.next_output_byte = out.mallocData + used;
  dest->pub.free_in_buffer = used;
  return TRUE;
}

void TermDest(j_compress_ptr cinfo) {
  GrowingDest* dest = reinterpret_cast<GrowingDest*>(cinfo->dest);
  dest->out->mallocSize -= static_cast<unsigned long>(dest->pub.free_in_buffer);
}

// Holds only trivially destructible locals: error_exit jumps back into it.
int Encode(State& s, const DibInput& dib, unsigned resX, unsigned resY, int quality, ByteBuffer& out,
           std::size_t reserve) {
  jpeg_compress_struct& cinfo = s.cinfo;
  cinfo.err = InitJpegError(s.err);
  if (setjmp(s.err.jump)) {
    jpeg_destroy_compress(&cinfo);
    return JpegResult(s.err) == IMGFILE_ERR_NO_MEMORY ? IMGFILE_ERR_NO_MEMORY : IMGFILE_ERR_WRITE;
  }
  jpeg_create_compress(&cinfo);
  out.mallocData = static_cast<unsigned char*>(std::malloc(reserve));
  if (!out.mallocData) JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), IMGFILE_ERR_NO_MEMORY);
  out.mallocSize = static_cast<unsigned long>(reserve);
  s.dest.out = &out;
  s.dest.pub.next_output_byte = out.mallocData;
  s.dest.pub.free_in_buffer = reserve;
  s.dest.pub.init_destination = InitDest;
  s.dest.pub.empty_output_buffer = EmptyDest;
  s.dest.pub.term_destination = TermDest;
  cinfo.dest = &s.dest.pub;
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

void EncodeJpeg(const DibInput& dib, unsigned resX, unsigned resY, int quality, ByteBuffer& out,
                std::size_t firstBlock) {
  if (firstBlock == 0) firstBlock = 3 * static_cast<std::size_t>(dib.Width()) * dib.Height() / 2 + 65536;
  State s;
  std::memset(&s, 0, sizeof s);
  const int rc = Encode(s, dib, resX, resY, quality, out, firstBlock);
  if (rc != IMGFILE_OK) Fail(rc);
}

}  // namespace zt::img

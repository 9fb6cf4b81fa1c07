#include <cstring>

#include "cvimgfileio/decoded.h"
#include "cvimgfileio/errors.h"
#include "cvimgfileio/exif.h"
#include "cvimgfileio/jpeg_error.h"
#include "cvimgfileio/size_caps.h"

namespace zt::img {

namespace {

// The data is all in memory; running out of it means the file is truncated. (libjpeg's own
// memory source would invent an end marker and deliver a grey remainder instead.)
void InitSource(j_decompress_ptr) {}
boolean FillInput(j_decompress_ptr cinfo) {
  JpegFail(reinterpret_cast<j_common_ptr>(cinfo), IMGFILE_ERR_CORRUPT);
}
void SkipInput(j_decompress_ptr cinfo, long bytes) {
  if (bytes <= 0) return;
  jpeg_source_mgr* src = cinfo->src;
  if (static_cast<unsigned long>(bytes) > src->bytes_in_buffer) FillInput(cinfo);
  src->next_input_byte += bytes;
  src->bytes_in_buffer -= static_cast<std::size_t>(bytes);
}
void TermSource(j_decompress_ptr) {}

// Progressive files can hold thousands of tiny scans that each cost a pass over the
// coefficients; beyond a sane number the file is rejected.
void Progress(j_common_ptr cinfo) {
  const j_decompress_ptr d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxJpegScans) JpegFail(cinfo, IMGFILE_ERR_CORRUPT);
}

std::uint8_t Mul255(unsigned a, unsigned b) { return static_cast<std::uint8_t>((a * b + 127) / 255); }

struct State {
  jpeg_decompress_struct cinfo;
  JpegError err;
  jpeg_source_mgr src;
  jpeg_progress_mgr progress;
};

// Holds only trivially destructible locals: error_exit jumps back into it.
int Decode(State& s, const std::uint8_t* data, std::size_t size, Decoded& out) {
  jpeg_decompress_struct& cinfo = s.cinfo;
  cinfo.err = InitJpegError(s.err);
  if (setjmp(s.err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return JpegResult(s.err);
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = static_cast<long>(kMaxCodecAlloc);
  s.src.next_input_byte = data;
  s.src.bytes_in_buffer = size;
  s.src.init_source = InitSource;
  s.src.fill_input_buffer = FillInput;
  s.src.skip_input_data = SkipInput;
  s.src.resync_to_restart = jpeg_resync_to_restart;
  s.src.term_source = TermSource;
  cinfo.src = &s.src;
  s.progress.progress_monitor = Progress;
  cinfo.progress = &s.progress;
  jpeg_save_markers(&cinfo, JPEG_APP0 + 1, 0xFFFF);
  jpeg_read_header(&cinfo, TRUE);

  const std::uint32_t w = cinfo.image_width, h = cinfo.image_height;
  if (w == 0 || h == 0) JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), IMGFILE_ERR_CORRUPT);
  if (w > kMaxSide || h > kMaxSide || std::uint64_t{w} * h > kMaxPixels)
    JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), IMGFILE_ERR_TOO_LARGE);

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  // Adobe's writers store CMYK inverted (0 = full ink) and say so with their marker.
  const bool inverted = cinfo.saw_Adobe_marker;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  cinfo.dct_method = JDCT_ISLOW;

  const int rc = out.dib.TryCreate(w, h, 24);
  if (rc != IMGFILE_OK) JpegFail(reinterpret_cast<j_common_ptr>(&cinfo), rc);

  if (cinfo.saw_JFIF_marker && (cinfo.density_unit == 1 || cinfo.density_unit == 2)) {
    out.resX = DpiFrom(cinfo.X_density, cinfo.density_unit);
    out.resY = DpiFrom(cinfo.Y_density, cinfo.density_unit);
  }
  if (out.resX == 0 || out.resY == 0) {
    for (jpeg_saved_marker_ptr m = cinfo.marker_list; m; m = m->next) {
      unsigned x = 0, y = 0;
      if (m->marker == JPEG_APP0 + 1 && ExifResolution(m->data, m->data_length, x, y)) {
        out.resX = x;
        out.resY = y;
        break;
      }
    }
  }

  jpeg_start_decompress(&cinfo);
  JSAMPARRAY cmykRow =
      cmyk ? (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, w * 4, 1)
           : nullptr;
  while (cinfo.output_scanline < h) {
    const std::uint32_t y = cinfo.output_scanline;
    std::uint8_t* dst = out.dib.Row(y);
    if (!cmyk) {
      JSAMPROW row = dst;
      jpeg_read_scanlines(&cinfo, &row, 1);
      continue;
    }
    jpeg_read_scanlines(&cinfo, cmykRow, 1);
    const std::uint8_t* p = cmykRow[0];
    for (std::uint32_t x = 0; x < w; ++x, p += 4, dst += 3) {
      unsigned c = p[0], m = p[1], yy = p[2], k = p[3];
      if (!inverted) c = 255 - c, m = 255 - m, yy = 255 - yy, k = 255 - k;
      dst[0] = Mul255(yy, k);
      dst[1] = Mul255(m, k);
      dst[2] = Mul255(c, k);
    }
  }
  // The end marker is not needed once every row is in; a missing one is no reason to fail.
  const bool progressive = jpeg_has_multiple_scans(&cinfo);
  const bool grey = cinfo.num_components == 1;
  jpeg_destroy_decompress(&cinfo);
  char text[96];
  std::snprintf(text, sizeof text, "JPEG %ux%u, %s%s", static_cast<unsigned>(w), static_cast<unsigned>(h),
                cmyk ? "CMYK" : (grey ? "greyscale" : "colour"), progressive ? ", progressive" : "");
  out.description = text;
  return IMGFILE_OK;
}

}  // namespace

void DecodeJpeg(const std::uint8_t* data, std::size_t size, Decoded& out) {
  State s;
  std::memset(&s, 0, sizeof s);
  const int rc = Decode(s, data, size, out);
  if (rc != IMGFILE_OK) Fail(rc);
}

}  // namespace zt::img

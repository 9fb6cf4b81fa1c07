#include "cvimgfileio/jpeg_error.h"

#include "cvimgfileio/cvimgfileio.h"

namespace zt::img {

namespace {

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  JpegError* err = reinterpret_cast<JpegError*>(cinfo->err);
  std::longjmp(err->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level < 0) cinfo->err->num_warnings++;
}

void OutputMessage(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InitJpegError(JpegError& err) {
  jpeg_std_error(&err.mgr);
  err.mgr.error_exit = ErrorExit;
  err.mgr.emit_message = EmitMessage;
  err.mgr.output_message = OutputMessage;
  err.code = 0;
  return &err.mgr;
}

void JpegFail(j_common_ptr cinfo, int code) {
  JpegError* err = reinterpret_cast<JpegError*>(cinfo->err);
  err->code = code;
  std::longjmp(err->jump, 1);
}

int JpegResult(const JpegError& err) {
  if (err.code != 0) return err.code;
  switch (err.mgr.msg_code) {
    case JERR_OUT_OF_MEMORY:
      return IMGFILE_ERR_NO_MEMORY;
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_ARITH_NOTIMPL:
    case JERR_BAD_PRECISION:
    case JERR_BAD_IN_COLORSPACE:
      return IMGFILE_ERR_UNSUPPORTED;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
      return IMGFILE_ERR_TOO_LARGE;
    default:
      return IMGFILE_ERR_CORRUPT;
  }
}

}  // namespace zt::img

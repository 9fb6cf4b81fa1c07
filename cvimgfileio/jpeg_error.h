// libjpeg reports fatal errors through error_exit, which must not return. Ours jumps back to the
// setjmp in the decoding or encoding function, which then cleans up and reports a result code;
// the functions between setjmp and the jump keep no objects with destructors.
#pragma once

#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

namespace zt::img {

struct JpegError {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  int code;  // set before jumping; 0 means "map the library's message code"
};

// Installs the handlers; the warnings are counted and otherwise ignored.
jpeg_error_mgr* InitJpegError(JpegError& err);

// Jumps out with the given code.
[[noreturn]] void JpegFail(j_common_ptr cinfo, int code);

// The result code for the error that made libjpeg jump.
int JpegResult(const JpegError& err);

}  // namespace zt::img

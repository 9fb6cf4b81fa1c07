// Failures inside the library travel as an ImgError carrying the call's negative result code;
// the two exported calls catch it (and every other exception) at their edge.
#pragma once

#include "cvimgfileio/cvimgfileio.h"

namespace zt::img {

struct ImgError {
  int code;
};

[[noreturn]] inline void Fail(int code) { throw ImgError{code}; }

}  // namespace zt::img

#include <windows.h>

#include "overlay/imgfile/library_platform.h"

namespace zt {

std::string LibraryPath(const std::string& path) { return path; }

void ReleaseLoadedDib(void* block) {
  HGLOBAL handle = GlobalHandle(block);
  GlobalUnlock(handle);
  GlobalFree(handle);
}

}  // namespace zt

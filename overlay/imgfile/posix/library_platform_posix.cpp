#include "cvimgfileio/cvimgfileio.h"
#include "overlay/imgfile/library_platform.h"

namespace zt {

std::string LibraryPath(const std::string& path) {
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return native;
}

void ReleaseLoadedDib(void* block) { IMGFILE_FreeDib(block); }

}  // namespace zt

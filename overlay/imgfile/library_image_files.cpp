#include "cvimgfileio/cvimgfileio.h"
#include "overlay/imgfile/image_files.h"

#include <string>

#include "overlay/imgfile/library_platform.h"

namespace zt {

static_assert(kWriteTargetExists == IMGFILE_ERR_TARGET_EXISTS);

namespace {

class LibraryImageFiles final : public ImageFiles {
 public:
  int LoadScan(const std::string& path, ScanLoad& out) override {
    out = ScanLoad();
    void* dib = nullptr;
    char info[IMGFILE_INFO_SIZE] = {};  // the library's description; the engine does not use it
    const int result = IMGFILE_LoadDibFromFile(LibraryPath(path).c_str(), 1, &dib, &out.resX, &out.resY,
                                               &out.pageOffsetX, &out.pageOffsetY, info);
    if (result < 0) {
      if (dib) ReleaseLoadedDib(dib);
      return result;
    }
    if (!dib) return IMGFILE_ERR_CORRUPT;
    out.dib = PackedDib(dib, ReleaseLoadedDib);
    return result;
  }

  int WriteImage(const void* dib, unsigned short resX, unsigned short resY, int pageWidth, int pageHeight,
                 int offsetX, int offsetY, int format, const std::string& path) override {
    return IMGFILE_WriteDib2File(dib, resX, resY, pageWidth, pageHeight, offsetX, offsetY, format,
                                 LibraryPath(path).c_str(), 0);
  }
};

}  // namespace

std::unique_ptr<ImageFiles> MakeLibraryImageFiles() { return std::make_unique<LibraryImageFiles>(); }

}  // namespace zt

// CvImgFileIO.dll as the engine uses it: loaded at run time, both calls found by their
// undecorated names, DIBs handed out as locked global blocks.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/win32/handles.h"
#include "tests/cvimgfileio/image_check.h"

namespace zt::imgtest {
namespace {

using WriteFn = int(__stdcall*)(const void*, unsigned short, unsigned short, int, int, int, int, int,
                                const char*, int);

class Dll : public ::testing::Test {
 protected:
  void SetUp() override {
    module_.Reset(LoadLibraryA("CvImgFileIO.dll"));
    ASSERT_TRUE(module_) << "CvImgFileIO.dll not found beside the test";
    load_ = reinterpret_cast<LoadFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "IMGFILE_LoadDibFromFile")));
    write_ = reinterpret_cast<WriteFn>(
        reinterpret_cast<void*>(GetProcAddress(module_.Get(), "IMGFILE_WriteDib2File")));
    ASSERT_NE(load_, nullptr);
    ASSERT_NE(write_, nullptr);
  }
  app::UniqueModule module_;
  LoadFn load_ = nullptr;
  WriteFn write_ = nullptr;
};

// A caller that links the import library (through the __stdcall header) reaches the exports.
TEST_F(Dll, ImportLibraryReachesTheExports) {
  const Loaded img("bw_g4.tif");
  ASSERT_EQ(img.rc, IMGFILE_OK);
  EXPECT_EQ(img.Bits(), 1);
  const auto dib = MakeDib(9, 9);
  RemoveFile("written\\imported.jpg");
  EXPECT_EQ(IMGFILE_WriteDib2File(dib.data(), 96, 96, 10, 10, 0, 0, IMGFILE_FORMAT_JPEG,
                                  "written\\imported.jpg", 0),
            IMGFILE_OK);
}

TEST_F(Dll, ExportsOnlyTheUndecoratedNames) {
  EXPECT_EQ(GetProcAddress(module_.Get(), "_IMGFILE_LoadDibFromFile@32"), nullptr);
  EXPECT_EQ(GetProcAddress(module_.Get(), "IMGFILE_FreeDib"), nullptr);
}

TEST_F(Dll, WritesEachFormatAndLoadsItBackAsAGlobalBlock) {
  const auto dib = MakeDib(161, 83);
  for (int format : {IMGFILE_FORMAT_JPEG, IMGFILE_FORMAT_TIFF, IMGFILE_FORMAT_PDF}) {
    const std::string path = "written\\dll_" + std::to_string(format);
    RemoveFile(path);
    ASSERT_EQ(write_(dib.data(), 120, 120, 612, 792, 72, 144, format, path.c_str(), 0), IMGFILE_OK) << format;
    EXPECT_EQ(write_(dib.data(), 120, 120, 612, 792, 72, 144, format, path.c_str(), 0),
              IMGFILE_ERR_TARGET_EXISTS);
    const Loaded img(path, load_);
    ASSERT_EQ(img.rc, IMGFILE_OK) << format;
    // The block is a locked global allocation large enough for header and rows.
    HGLOBAL h = GlobalHandle(img.dib);
    ASSERT_NE(h, nullptr);
    EXPECT_GE(GlobalSize(h), 40u + ((161 * 3 + 3) & ~3u) * 83);
    EXPECT_EQ(img.Width(), 161);
    EXPECT_EQ(img.resX, 120);
    EXPECT_LE(MaxDiff(img, dib), format == IMGFILE_FORMAT_TIFF ? 0 : 12) << format;
    if (format == IMGFILE_FORMAT_PDF) {
      EXPECT_EQ(img.offX, 72);
      EXPECT_EQ(img.offY, 144);
    }
  }
}

// The cross-built codecs: fax, LZW, deflate, JPEG in TIFF, progressive and CMYK JPEG, PDF filters.
TEST_F(Dll, ReadsToolMadeFiles) {
  struct Case {
    const char* file;
    const char* reference;
    int bits, tolerance;
  } cases[] = {{"bw_g4.tif", "mono.pbm", 1, 0},
               {"bw_g3_2d.tif", "mono.pbm", 1, 0},
               {"rgb_lzw.tif", "ref.ppm", 24, 0},
               {"rgb_zip.tif", "ref.ppm", 24, 0},
               {"rgb_jpeg.tif", "rgb_jpeg.ppm", 24, 3},
               {"prog.jpg", "prog.ppm", 24, 2},
               {"cmyk.jpg", "cmyk.ppm", 24, 6},
               {"bmp8.bmp", "q200.ppm", 24, 0},
               {"ccitt.pdf", "mono.pbm", 1, 0},
               {"flate.pdf", "ref.ppm", 24, 0},
               {"gs.pdf", "ref.ppm", 24, 0}};
  for (const Case& c : cases) {
    const Loaded img(c.file, load_);
    ASSERT_EQ(img.rc, IMGFILE_OK) << c.file;
    EXPECT_EQ(img.Bits(), c.bits) << c.file;
    EXPECT_LE(MaxDiff(img, ReadPnm(c.reference)), c.tolerance) << c.file;
  }
}

TEST_F(Dll, FailuresAreNegativeAndLeaveNothing) {
  const Loaded missing("written\\absent.tif", load_);
  EXPECT_EQ(missing.rc, IMGFILE_ERR_OPEN);
  EXPECT_EQ(missing.dib, nullptr);
  const auto dib = MakeDib(4, 4);
  EXPECT_EQ(write_(dib.data(), 96, 96, 100, 100, 0, 0, IMGFILE_FORMAT_JPEG, "written\\no folder\\x.jpg", 0),
            IMGFILE_ERR_WRITE);
  EXPECT_FALSE(FileExists("written\\no folder\\x.jpg"));
}

}  // namespace
}  // namespace zt::imgtest

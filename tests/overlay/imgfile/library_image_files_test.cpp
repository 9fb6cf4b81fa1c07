// The engine's two calls through the real image-file library: what the pipeline relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "overlay/engine/pixels/dib_block.h"
#include "overlay/engine/pixels/scan_image.h"
#include "overlay/imgfile/image_files.h"

namespace zt {
namespace {

DibPtr Gradient(int width, int height) {
  DibPtr dib = DibBlock::Allocate(width, height);
  std::memset(dib->Pixels(), 0, dib->PixelBytes());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib->TopDownRow(y) + 3 * x;
      p[0] = static_cast<std::uint8_t>(x * 2);
      p[1] = static_cast<std::uint8_t>(y * 3);
      p[2] = static_cast<std::uint8_t>(x + y);
    }
  return dib;
}

class LibraryImageFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::temp_directory_path() /
             ("zt_imgfile_" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    std::filesystem::create_directories(folder);
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  std::string Path(const char* name) const { return (folder / name).string(); }

  std::filesystem::path folder;
  std::unique_ptr<ImageFiles> images = MakeLibraryImageFiles();
};

TEST_F(LibraryImageFilesTest, WrittenImagesLoadBackAsTheEngineExpects) {
  DibPtr image = Gradient(120, 80);
  struct Case {
    const char* name;
    int format;
  };
  for (const Case c : {Case{"a.jpg", 13}, Case{"a.tif", 9}, Case{"a.pdf", 59}}) {
    const std::string path = Path(c.name);
    ASSERT_GE(images->WriteImage(image->Packed(), 200, 200, 842, 595, 36, 0, c.format, path), 0) << c.name;
    ScanLoad load;
    ASSERT_GE(images->LoadScan(path, load), 0) << c.name;
    ASSERT_TRUE(load.dib);
    const auto layout = ReadLoadedDib(load.dib.Get());
    ASSERT_TRUE(layout) << c.name;
    EXPECT_EQ(layout->header.biWidth, 120);
    EXPECT_EQ(layout->header.biHeight, 80);
    EXPECT_GT(load.resX, 0);
    EXPECT_GT(load.resY, 0);
    if (c.format == 9) {
      // TIFF is lossless: the rows come back byte for byte.
      ASSERT_EQ(layout->bitsPerPixel, 24);
      const DibView view = ViewOfLoaded(*layout);
      for (int y = 0; y < 80; ++y)
        ASSERT_EQ(0, std::memcmp(view.TopDownRow(y), image->TopDownRow(y), 360)) << y;
    }
  }
}

TEST_F(LibraryImageFilesTest, AnExistingTargetIsNeverReplaced) {
  const std::string path = Path("taken.jpg");
  { std::ofstream(path, std::ios::binary) << "mine"; }
  DibPtr image = Gradient(16, 16);
  EXPECT_EQ(images->WriteImage(image->Packed(), 96, 96, 12, 12, 0, 0, 13, path), kWriteTargetExists);
  std::ifstream in(path, std::ios::binary);
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "mine");
}

TEST_F(LibraryImageFilesTest, BadScansFailWithoutABlock) {
  const std::string garbage = Path("garbage.jpg");
  { std::ofstream(garbage, std::ios::binary) << "\xFF\xD8\xFF\xE0 not really a jpeg"; }
  ScanLoad load;
  EXPECT_LT(images->LoadScan(garbage, load), 0);
  EXPECT_FALSE(load.dib);
  EXPECT_LT(images->LoadScan(Path("missing.jpg"), load), 0);
  EXPECT_FALSE(load.dib);
}

}  // namespace
}  // namespace zt

// A scan file made by the image-file library goes through the whole pipeline: the saved files
// are real images of the expected sizes, and the original is the scan's bytes.
#include <gtest/gtest.h>

#include "overlay/engine/pixels/scan_image.h"
#include "overlay/engine/scan_pipeline.h"
#include "overlay/imgfile/image_files.h"
#include "tests/support/fake_pipeline_host.h"
#include "tests/support/test_files.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

class PipelineFilesTest : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    host.AttachAutoSaving(pipeline, saves.Win());
    host.screenWidth = 320;
    host.screenHeight = 200;
  }

  // A portrait scan (as the board stores it) with a dark stroke, written by the library.
  std::string MakeScan(const std::string& name, int format) {
    DibPtr scan = test::MakeImage(
        170, 240, [](int x, int y) { return x > 40 && x < 50 && y < 200 ? test::kInk : test::kWhite; });
    const std::string path = board.Win(name);
    EXPECT_GE(images->WriteImage(scan->Packed(), 200, 200, 612, 792, 0, 0, format, test::NativePath(path)),
              0);
    return path;
  }

  // Width and height of a written image, as the library reads it back.
  std::pair<int, int> SizeOf(const std::string& path) {
    ScanLoad load;
    if (images->LoadScan(test::NativePath(path), load) < 0) return {0, 0};
    const auto layout = ReadLoadedDib(load.dib.Get());
    return layout ? std::pair<int, int>{layout->header.biWidth, layout->header.biHeight}
                  : std::pair<int, int>{0, 0};
  }

  test::TempDir appData, board, saves;
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem(appData.Win());
  std::unique_ptr<ImageFiles> images = MakeLibraryImageFiles();
  test::FakeHost host;
  CScanPipeline pipeline{host, *images, *fs, NoLeadBytes};
};

TEST_P(PipelineFilesTest, PcAndBoardSize) {
  const std::string extension = GetParam();
  const int format = extension == ".pdf" ? 59 : extension == ".tif" ? 9 : 13;
  const std::string scan = MakeScan("SCAN0001" + extension, format);

  pipeline.TakeScan(scan, ScanSource::Board);
  ASSERT_TRUE(host.boxes.empty());
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\SCAN0001" + extension)), test::ReadAll(scan));
  EXPECT_EQ(SizeOf(saves.Win("Original\\SCAN0001_Screenshot" + extension)), (std::pair<int, int>{320, 200}));
  EXPECT_EQ(SizeOf(saves.Win("SCAN0001_Overlaid" + extension)), (std::pair<int, int>{320, 200}));

  host.settings.saveImageSize = 1;
  pipeline.SaveOverlay();
  ASSERT_TRUE(host.boxes.empty());
  // Board size: the overlay has the landscape scan's size.
  EXPECT_EQ(SizeOf(saves.Win("SCAN0001_Overlaid_001" + extension)), (std::pair<int, int>{240, 170}));
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\SCAN0001_001" + extension)), test::ReadAll(scan));
}

INSTANTIATE_TEST_SUITE_P(Formats, PipelineFilesTest, ::testing::Values(".jpg", ".tif", ".pdf"));

}  // namespace
}  // namespace zt

// Saving onto a folder that cannot take the files, with the real image-file library and file
// system: a folder on a full filesystem, one on a read-only filesystem (both made by
// with_faulty_folders.sh) and one that vanishes in the middle of the save. Each save ends in the
// failure box with no partial file and nothing that was there lost or changed, the scan stays for
// the next try, and that try onto a sound folder writes all three files. And a scan file cut short
// as it is being loaded.
#include <gtest/gtest.h>

#include <sys/statvfs.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "overlay/engine/scan_pipeline.h"
#include "overlay/imgfile/image_files.h"
#include "tests/support/fake_pipeline_host.h"
#include "tests/support/test_files.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

constexpr char kSaveFail[] = "save failed";
constexpr char kLoadFail[] = "load failed";

std::string WinPath(std::string native) {
  std::replace(native.begin(), native.end(), '/', '\\');
  return native;
}

// The library, with a hook before each write.
class HookedImageFiles final : public ImageFiles {
 public:
  int LoadScan(const std::string& path, ScanLoad& out) override {
    if (beforeLoad) beforeLoad(path);
    return m_library->LoadScan(path, out);
  }
  int WriteImage(const void* dib, unsigned short resX, unsigned short resY, int pageWidth, int pageHeight,
                 int offsetX, int offsetY, int format, const std::string& path) override {
    if (beforeWrite) beforeWrite();
    return m_library->WriteImage(dib, resX, resY, pageWidth, pageHeight, offsetX, offsetY, format, path);
  }
  std::function<void()> beforeWrite;
  std::function<void(const std::string&)> beforeLoad;

 private:
  std::unique_ptr<ImageFiles> m_library = MakeLibraryImageFiles();
};

// Every regular file below folder with its bytes.
std::vector<std::pair<std::string, std::vector<std::uint8_t>>> Contents(const std::string& folder) {
  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> files;
  if (!std::filesystem::exists(folder)) return files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file())
      files.emplace_back(entry.path().string(), test::ReadAll(entry.path().string()));
  std::sort(files.begin(), files.end());
  return files;
}

class SaveFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    host.AttachAutoSaving(pipeline, sound.Win());
    host.settings.autoSave = 0;  // the scan is loaded and waits; each save is asked for below
    host.screenWidth = 320;
    host.screenHeight = 200;
    DibPtr scan = test::MakeImage(
        170, 240, [](int x, int y) { return x > 40 && x < 50 && y < 200 ? test::kInk : test::kWhite; });
    const std::string path = board.Win("SCAN0001.JPG");
    ASSERT_GE(images.WriteImage(scan->Packed(), 200, 200, 612, 792, 0, 0, 13, test::NativePath(path)), 0);
    pipeline.TakeScan(path, ScanSource::Board);
    ASSERT_TRUE(pipeline.HasImageSet());
  }

  // A save into folder fails as a user sees it and changes nothing there; then a save into a
  // sound folder writes the three files.
  void ExpectFailureThenRecovery(const std::string& folder) {
    const auto before = Contents(folder);
    host.settings.saveFolder = WinPath(folder);
    host.boxes.clear();
    pipeline.SaveOverlay();
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kSaveFail});
    EXPECT_EQ(pipeline.Saved(), false);
    EXPECT_EQ(Contents(folder), before);
    ASSERT_TRUE(pipeline.HasImageSet());

    images.beforeWrite = nullptr;
    host.settings.saveFolder = sound.Win();
    host.boxes.clear();
    pipeline.SaveOverlay();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(pipeline.Saved(), true);
    EXPECT_EQ(Contents(test::NativePath(sound.Win())).size(), 3u);
  }

  // A folder that with_faulty_folders.sh made, or a skip when the test runs without it.
  static std::string Prepared(const char* variable) {
    const char* folder = std::getenv(variable);
    return folder ? folder : "";
  }

  test::TempDir appData, board, sound;
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem(appData.Win());
  HookedImageFiles images;
  test::FakeHost host;
  CScanPipeline pipeline{host, images, *fs, NoLeadBytes};
};

TEST_F(SaveFaults, FullFilesystem) {
  const std::string folder = Prepared("ZT_FULL_FOLDER");
  if (folder.empty()) GTEST_SKIP() << "needs the small filesystem of with_faulty_folders.sh";
  // What the user saved before stays; the rest of the filesystem is filled up to a few bytes.
  test::WriteAll(folder + "/EARLIER_Overlaid.JPG", std::vector<std::uint8_t>(3000, 0x5A));
  struct statvfs space {};
  ASSERT_EQ(statvfs(folder.c_str(), &space), 0);
  const auto free = static_cast<std::size_t>(space.f_bavail) * space.f_frsize;
  ASSERT_GT(free, 2048u);
  test::WriteAll(folder + "/filler", std::vector<std::uint8_t>(free - 2048, 0));
  ExpectFailureThenRecovery(folder);
}

TEST_F(SaveFaults, ReadOnlyFilesystem) {
  const std::string folder = Prepared("ZT_READONLY_FOLDER");
  if (folder.empty()) GTEST_SKIP() << "needs the read-only filesystem of with_faulty_folders.sh";
  ASSERT_FALSE(Contents(folder).empty()) << "the earlier overlay the script left there";
  ExpectFailureThenRecovery(folder);
}

TEST_F(SaveFaults, FolderVanishesDuringTheSave) {
  test::TempDir doomed;
  const std::string folder = test::NativePath(doomed.Win());
  // The screenshot is written on a worker beside the overlay: two writes may remove the folder
  // at once, and the one that finds it gone is no fault.
  images.beforeWrite = [folder] {
    std::error_code gone;
    std::filesystem::remove_all(folder, gone);
  };
  ExpectFailureThenRecovery(folder);
  EXPECT_FALSE(std::filesystem::exists(folder)) << "a missing save folder is not made";
}

// The board rewrites a scan as it is being loaded: the load fails as a user sees it, the scan
// before it stays shown and saveable, and nothing is saved from the cut file.
TEST_F(SaveFaults, ScanCutWhileBeingLoaded) {
  const std::string shown = pipeline.Images().scanPath;
  // The settings folder, with the shown scan's working copy.
  const std::string settings = test::NativePath(appData.Win("Corvane"));
  const auto working = Contents(settings);
  ASSERT_EQ(working.size(), 1u);
  std::filesystem::copy_file(test::NativePath(board.Win("SCAN0001.JPG")),
                             test::NativePath(board.Win("SCAN0002.JPG")));
  images.beforeLoad = [](const std::string& path) {
    std::filesystem::resize_file(test::NativePath(path),
                                 std::filesystem::file_size(test::NativePath(path)) / 2);
  };
  host.settings.autoSave = 1;
  host.boxes.clear();
  pipeline.TakeScan(board.Win("SCAN0002.JPG"), ScanSource::Board);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_EQ(pipeline.Images().scanPath, shown);
  EXPECT_EQ(Contents(settings), working);
  EXPECT_TRUE(Contents(test::NativePath(sound.Win())).empty());

  images.beforeLoad = nullptr;
  host.boxes.clear();
  pipeline.SaveOverlay();
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(Contents(test::NativePath(sound.Win())).size(), 3u);
}

}  // namespace
}  // namespace zt

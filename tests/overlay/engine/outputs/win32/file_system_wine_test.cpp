// The Windows file system under the working copy and the outputs: the shell's local application
// data folder, copies that never replace, and names chosen in a real folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/outputs/output_names.h"
#include "overlay/engine/outputs/working_copy.h"
#include "tests/support/wine_process.h"

namespace zt {
namespace {

using winetest::ReadFileBytes;
using winetest::WriteFileText;

class Win32FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    folder = std::string(temp) + "zt_engine_fs_" + std::to_string(GetCurrentProcessId());
    ASSERT_TRUE(fs->MakeDirectory(folder));
  }
  void TearDown() override {
    // The test made a handful of files; remove what it knows of.
    for (const char* name :
         {"\\a.jpg", "\\b.jpg", "\\Original\\s_Screenshot.jpg", "\\Original\\s.jpg", "\\s_Overlaid.jpg"})
      DeleteFileA((folder + name).c_str());
    RemoveDirectoryA((folder + "\\Original").c_str());
    RemoveDirectoryA(folder.c_str());
  }

  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  std::string folder;
};

TEST_F(Win32FileSystemTest, CopiesToNewFilesOnly) {
  ASSERT_TRUE(WriteFileText(folder + "\\a.jpg", "first"));
  ASSERT_TRUE(WriteFileText(folder + "\\b.jpg", "second"));
  EXPECT_EQ(fs->CopyToNew(folder + "\\a.jpg", folder + "\\b.jpg"), CopyResult::kTargetExists);
  EXPECT_EQ(ReadFileBytes(folder + "\\b.jpg"), "second");
  // A missing source over an existing target: the target stays.
  EXPECT_EQ(fs->CopyToNew(folder + "\\missing.jpg", folder + "\\b.jpg"), CopyResult::kTargetExists);
  EXPECT_EQ(ReadFileBytes(folder + "\\b.jpg"), "second");
  EXPECT_EQ(fs->CopyToNew(folder + "\\missing.jpg", folder + "\\c.jpg"), CopyResult::kFailed);
  EXPECT_FALSE(fs->Exists(folder + "\\c.jpg"));
  EXPECT_TRUE(fs->CopyReplacing(folder + "\\a.jpg", folder + "\\b.jpg"));
  EXPECT_EQ(ReadFileBytes(folder + "\\b.jpg"), "first");
  EXPECT_TRUE(fs->IsDirectory(folder));
  EXPECT_FALSE(fs->IsDirectory(folder + "\\a.jpg"));
}

TEST_F(Win32FileSystemTest, NamesAreChosenInARealFolder) {
  OutputPaths paths;
  ASSERT_TRUE(ChooseOutputNames(*fs, folder, "s", ".jpg", paths, SystemLeadByte));
  EXPECT_TRUE(fs->IsDirectory(folder + "\\Original"));
  EXPECT_EQ(paths.overlaid, folder + "\\s_Overlaid.jpg");
  ASSERT_TRUE(WriteFileText(paths.overlaid, "x"));
  ASSERT_TRUE(ChooseOutputNames(*fs, folder + "\\", "s", ".jpg", paths, SystemLeadByte));
  EXPECT_EQ(paths.original, folder + "\\Original\\s_001.jpg");
}

// What the outbox needs: a folder's entries, an empty folder removed, and which folders may come
// back (a share, a drive letter that is not there now).
TEST_F(Win32FileSystemTest, ListsAndRemovesFoldersAndKnowsAShareFromALocalFolder) {
  ASSERT_TRUE(WriteFileText(folder + "\\a.jpg", "first"));
  ASSERT_TRUE(fs->MakeDirectory(folder + "\\Original"));
  std::vector<FolderEntry> entries;
  ASSERT_TRUE(fs->ListFolder(folder, entries));
  ASSERT_EQ(entries.size(), 2u);
  const bool originalFirst = entries[0].folder;
  EXPECT_EQ(entries[originalFirst ? 0 : 1].name, "Original");
  EXPECT_FALSE(entries[originalFirst ? 1 : 0].folder);
  EXPECT_FALSE(fs->ListFolder(folder + "\\missing", entries));
  EXPECT_TRUE(fs->RemoveFolder(folder + "\\Original"));
  EXPECT_FALSE(fs->IsDirectory(folder + "\\Original"));

  EXPECT_TRUE(fs->MayBeOffline("\\\\server\\boards\\room12"));
  EXPECT_FALSE(fs->MayBeOffline(folder));
  char absent[] = "?:\\Boards";
  for (char letter = 'Z'; letter > 'D'; --letter) {
    const char root[4] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) {
      absent[0] = letter;
      break;
    }
  }
  ASSERT_NE(absent[0], '?');
  EXPECT_TRUE(fs->MayBeOffline(absent));
}

TEST_F(Win32FileSystemTest, WorkingCopyGoesToTheLocalSettingsFolder) {
  std::string appData;
  ASSERT_TRUE(fs->LocalAppDataFolder(appData));
  ASSERT_TRUE(WriteFileText(folder + "\\a.jpg", "scan one"));
  std::string working;
  ASSERT_TRUE(MakeWorkingCopy(*fs, folder + "\\a.jpg", working, SystemLeadByte));
  EXPECT_EQ(working, appData + "\\Corvane\\Zentab Lumbrel\\a.jpg");
  EXPECT_EQ(ReadFileBytes(working), "scan one");
  // A failed copy puts the previous one back.
  EXPECT_FALSE(MakeWorkingCopy(*fs, folder + "\\missing.jpg", working, SystemLeadByte));
  EXPECT_EQ(ReadFileBytes(working), "scan one");
  EXPECT_FALSE(fs->Exists(appData + "\\Corvane\\Zentab Lumbrel\\_old.tmp"));
  EXPECT_TRUE(fs->RemoveFile(working));
}

}  // namespace
}  // namespace zt

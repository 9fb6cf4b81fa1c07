// The board road's listing of a drive's root folder, played by a temp folder, under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/win32/handles.h"
#include "overlay/shell/drive_watch/drive_listing.h"
#include "tests/support/wine_process.h"

namespace zt {
namespace {

using winetest::WriteFileText;

TEST(Win32DriveListing, ListsScanFilesWithTimesAndFoldersAndLockedFilesWithout) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string folder =
      std::string(temp) + "zt_board_root_" + std::to_string(GetCurrentProcessId()) + "\\";
  ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
  ASSERT_TRUE(WriteFileText(folder + "0001.JPG", "scan"));
  ASSERT_TRUE(WriteFileText(folder + "0002.TIF", "scan"));
  ASSERT_TRUE(WriteFileText(folder + "LOCKED.JPG", "scan"));
  ASSERT_TRUE(WriteFileText(folder + "README", "no extension"));
  ASSERT_TRUE(CreateDirectoryA((folder + "DCIM.OLD").c_str(), nullptr));
  FILETIME when{0x12345678, 0x01D00000};
  app::UniqueHandle h(CreateFileA((folder + "0002.TIF").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(h);
  SetFileTime(h.Get(), nullptr, nullptr, &when);
  h.Reset();
  // Held without sharing: the watch cannot open it.
  app::UniqueHandle locked(
      CreateFileA((folder + "LOCKED.JPG").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(locked);

  const std::vector<ListedEntry> listing = ListScanFiles(folder);
  locked.Reset();
  std::map<std::string, std::optional<std::uint64_t>> byName;
  for (const ListedEntry& e : listing) byName[e.name] = e.lastWrite;
  EXPECT_EQ(byName.size(), 4u) << "README has no three-letter extension";
  EXPECT_EQ(byName.count("README"), 0u);
  EXPECT_TRUE(byName["0001.JPG"].has_value());
  EXPECT_EQ(byName["0002.TIF"], (std::uint64_t{0x01D00000} << 32) | 0x12345678);
  EXPECT_FALSE(byName["LOCKED.JPG"].has_value());
  EXPECT_FALSE(byName["DCIM.OLD"].has_value());

  for (const char* name : {"0001.JPG", "0002.TIF", "LOCKED.JPG", "README"})
    DeleteFileA((folder + name).c_str());
  RemoveDirectoryA((folder + "DCIM.OLD").c_str());
  RemoveDirectoryA(folder.c_str());
  EXPECT_TRUE(ListScanFiles(folder).empty()) << "a drive that is gone lists nothing";
}

}  // namespace
}  // namespace zt

// Format choice and output names, on a listing of Windows paths.
#include <gtest/gtest.h>

#include <set>

#include "overlay/engine/outputs/output_names.h"

namespace zt {
namespace {

// Only what name choosing asks: which paths exist, which are folders, making folders.
class ListedFiles final : public FileSystem {
 public:
  bool Exists(const std::string& p) override { return files.count(p) || folders.count(p); }
  bool IsDirectory(const std::string& p) override { return folders.count(p) > 0; }
  bool MakeDirectory(const std::string& p) override {
    if (refuseFolders) return false;
    made.push_back(p);
    return folders.insert(p).second;
  }
  CopyResult CopyToNew(const std::string&, const std::string&) override { return CopyResult::kFailed; }
  bool CopyReplacing(const std::string&, const std::string&) override { return false; }
  bool MoveReplacing(const std::string&, const std::string&) override { return false; }
  bool RemoveFile(const std::string&) override { return false; }
  bool ListFolder(const std::string&, std::vector<FolderEntry>&) override { return false; }
  bool RemoveFolder(const std::string&) override { return false; }
  bool MayBeOffline(const std::string&) override { return false; }
  bool LocalAppDataFolder(std::string&) override { return false; }

  std::set<std::string> files;
  std::set<std::string> folders{"D:\\Boards"};
  std::vector<std::string> made;
  bool refuseFolders = false;
};

OutputFormat Format(const std::string& path) {
  OutputFormat f;
  EXPECT_TRUE(FormatFromExtension(f, path, NoLeadBytes));
  return f;
}

TEST(FormatFromExtension, KnownExtensionsKeepTheirCaseOthersBecomeJpg) {
  EXPECT_EQ(Format("E:\\SCAN0001.PDF").format, 59);
  EXPECT_EQ(Format("E:\\SCAN0001.PDF").extension, ".PDF");
  EXPECT_EQ(Format("E:\\SCAN0001.PDF").name, "SCAN0001");
  EXPECT_EQ(Format("E:\\x.tiff").format, 9);
  EXPECT_EQ(Format("E:\\x.tiff").extension, ".tiff");
  EXPECT_EQ(Format("E:\\x.Tif").format, 9);
  EXPECT_EQ(Format("E:\\a.JPEG").format, 13);
  EXPECT_EQ(Format("E:\\a.jpg").extension, ".jpg");
  EXPECT_EQ(Format("E:\\a.JPG").extension, ".JPG");
  const OutputFormat bmp = Format("E:\\board.bmp");
  EXPECT_EQ(bmp.format, 13);
  EXPECT_EQ(bmp.name, "board");
  EXPECT_EQ(bmp.extension, ".jpg");
  // The extension is what follows the last dot of the file name, not of a folder.
  const OutputFormat dotted = Format("E:\\v1.2\\scan");
  EXPECT_EQ(dotted.name, "scan");
  EXPECT_EQ(dotted.extension, ".jpg");
  EXPECT_EQ(Format("E:\\a.b.pdf").name, "a.b");
}

TEST(ChooseOutputNames, FirstSaveAndSecondSave) {
  ListedFiles fs;
  OutputPaths out;
  ASSERT_TRUE(ChooseOutputNames(fs, "D:\\Boards", "SCAN0001", ".PDF", out, NoLeadBytes));
  EXPECT_EQ(out.screenshot, "D:\\Boards\\Original\\SCAN0001_Screenshot.PDF");
  EXPECT_EQ(out.original, "D:\\Boards\\Original\\SCAN0001.PDF");
  EXPECT_EQ(out.overlaid, "D:\\Boards\\SCAN0001_Overlaid.PDF");
  EXPECT_EQ(fs.made, std::vector<std::string>{"D:\\Boards\\Original"});

  fs.files = {out.screenshot, out.original, out.overlaid};
  ASSERT_TRUE(ChooseOutputNames(fs, "D:\\Boards\\", "SCAN0001", ".PDF", out, NoLeadBytes));
  EXPECT_EQ(out.screenshot, "D:\\Boards\\Original\\SCAN0001_Screenshot_001.PDF");
  EXPECT_EQ(out.original, "D:\\Boards\\Original\\SCAN0001_001.PDF");
  EXPECT_EQ(out.overlaid, "D:\\Boards\\SCAN0001_Overlaid_001.PDF");
  EXPECT_EQ(fs.made.size(), 1u);  // Original already there
}

TEST(ChooseOutputNames, AnyOneExistingFileTakesTheWholeNumber) {
  for (const std::string taken : {"D:\\Boards\\SCAN0001_Overlaid.PDF", "D:\\Boards\\Original\\SCAN0001.PDF",
                                  "D:\\Boards\\Original\\SCAN0001_Screenshot.PDF"}) {
    ListedFiles fs;
    fs.files = {taken};
    OutputPaths out;
    ASSERT_TRUE(ChooseOutputNames(fs, "D:\\Boards", "SCAN0001", ".PDF", out, NoLeadBytes));
    EXPECT_EQ(out.overlaid, "D:\\Boards\\SCAN0001_Overlaid_001.PDF") << taken;
  }
}

TEST(ChooseOutputNames, FailsWhenAllThousandAreTaken) {
  ListedFiles fs;
  fs.files.insert("D:\\Boards\\s_Overlaid.jpg");
  char name[64];
  for (int i = 1; i < 1000; ++i) {
    std::snprintf(name, sizeof name, "D:\\Boards\\s_Overlaid_%03d.jpg", i);
    fs.files.insert(name);
  }
  OutputPaths out;
  EXPECT_FALSE(ChooseOutputNames(fs, "D:\\Boards", "s", ".jpg", out, NoLeadBytes));
  fs.files.erase("D:\\Boards\\s_Overlaid_999.jpg");
  ASSERT_TRUE(ChooseOutputNames(fs, "D:\\Boards", "s", ".jpg", out, NoLeadBytes));
  EXPECT_EQ(out.original, "D:\\Boards\\Original\\s_999.jpg");
}

TEST(ChooseOutputNames, ADoubleByteTrailByteIsNotATrailingBackslash) {
  // Shift-JIS "表" is 0x95 0x5C: the folder name ends in a backslash byte but not a backslash.
  const std::string folder = "D:\\\x95\x5C";
  ListedFiles fs;
  fs.folders = {folder};
  OutputPaths out;
  ASSERT_TRUE(ChooseOutputNames(fs, folder, "s", ".jpg", out, ShiftJisLeadByte));
  EXPECT_EQ(out.overlaid, folder + "\\s_Overlaid.jpg");
}

TEST(ChooseOutputNames, RefusesWhatItCannotMakeOrName) {
  ListedFiles fs;
  fs.refuseFolders = true;
  OutputPaths out;
  EXPECT_FALSE(ChooseOutputNames(fs, "D:\\Boards", "s", ".jpg", out, NoLeadBytes));
  // A name that would make the screenshot path longer than 259 bytes.
  ListedFiles roomy;
  EXPECT_FALSE(ChooseOutputNames(roomy, "D:\\Boards", std::string(230, 'n'), ".jpg", out, NoLeadBytes));
  EXPECT_TRUE(ChooseOutputNames(roomy, "D:\\Boards", std::string(200, 'n'), ".jpg", out, NoLeadBytes));
}

}  // namespace
}  // namespace zt

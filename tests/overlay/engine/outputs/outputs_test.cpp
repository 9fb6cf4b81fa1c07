// The working copy and the three outputs, on a real folder.
#include <gtest/gtest.h>

#include "overlay/engine/outputs/outputs.h"
#include "overlay/engine/outputs/working_copy.h"
#include "tests/support/test_files.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::FileExists;
using test::ReadAll;
using test::WriteAll;

TEST(BoardPage, A4OnlyWhenTheScanWithItsMarginsIsWide) {
  std::int32_t w = 0, h = 0;
  // 2400 px at 200 dpi = 864 points, plus 2 x 36: A4 landscape.
  ASSERT_TRUE(BoardPage(2400, 200, 36, w, h));
  EXPECT_EQ(w, 842);
  EXPECT_EQ(h, 595);
  // 816 points in all: Letter landscape; 817: A4.
  ASSERT_TRUE(BoardPage(1600, 144, 0, w, h));  // 800
  EXPECT_EQ(w, 792);
  EXPECT_EQ(h, 612);
  ASSERT_TRUE(BoardPage(1600, 144, 8, w, h));  // 816
  EXPECT_EQ(w, 792);
  ASSERT_TRUE(BoardPage(1634, 144, 0, w, h));  // 817
  EXPECT_EQ(w, 842);
  EXPECT_FALSE(BoardPage(2400, 0, 36, w, h));
}

class WorkingCopyTest : public ::testing::Test {
 protected:
  std::string settingsFolder() const { return appData.Win("Corvane\\Zentab Lumbrel"); }
  test::TempDir appData, board;
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem(appData.Win());
};

TEST_F(WorkingCopyTest, CopiesIntoTheSettingsFolderAndReplacesThePreviousCopy) {
  WriteAll(board.Win("SCAN1.JPG"), {1, 2, 3});
  WriteAll(board.Win("SCAN2.JPG"), {4, 5});
  std::string working;
  ASSERT_TRUE(MakeWorkingCopy(*fs, board.Win("SCAN1.JPG"), working, NoLeadBytes));
  EXPECT_EQ(working, settingsFolder() + "\\SCAN1.JPG");
  EXPECT_EQ(ReadAll(working), (std::vector<std::uint8_t>{1, 2, 3}));

  ASSERT_TRUE(MakeWorkingCopy(*fs, board.Win("SCAN2.JPG"), working, NoLeadBytes));
  EXPECT_EQ(ReadAll(working), (std::vector<std::uint8_t>{4, 5}));
  // The old copy went away with its parking place; the board's files are untouched.
  EXPECT_FALSE(FileExists(settingsFolder() + "\\_old.tmp"));
  EXPECT_EQ(ReadAll(board.Win("SCAN1.JPG")), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(WorkingCopyTest, AFailedCopyRestoresThePreviousOne) {
  WriteAll(board.Win("SCAN1.JPG"), {1, 2, 3});
  std::string working;
  ASSERT_TRUE(MakeWorkingCopy(*fs, board.Win("SCAN1.JPG"), working, NoLeadBytes));
  const std::string before = working;
  EXPECT_FALSE(MakeWorkingCopy(*fs, board.Win("GONE.JPG"), working, NoLeadBytes));
  EXPECT_EQ(working, before);
  EXPECT_EQ(ReadAll(working), (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_FALSE(FileExists(settingsFolder() + "\\_old.tmp"));
  // Nothing to copy from a scan that is the copy itself.
  EXPECT_FALSE(MakeWorkingCopy(*fs, working, working, NoLeadBytes));
  EXPECT_EQ(ReadAll(before), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(WorkingCopyTest, APendingCopyThatIsDroppedPutsThePreviousOneBack) {
  WriteAll(board.Win("SCAN1.JPG"), {1, 2, 3});
  std::string working;
  ASSERT_TRUE(MakeWorkingCopy(*fs, board.Win("SCAN1.JPG"), working, NoLeadBytes));
  const std::string first = working;
  auto previousIsBack = [&](const char* what) {
    EXPECT_EQ(working, first) << what;
    EXPECT_EQ(ReadAll(first), (std::vector<std::uint8_t>{1, 2, 3})) << what;
    EXPECT_FALSE(FileExists(settingsFolder() + "\\SCAN2.JPG")) << what;
    EXPECT_FALSE(FileExists(settingsFolder() + "\\_old.tmp")) << what;
  };
  WriteAll(board.Win("SCAN2.JPG"), {4, 5});
  {
    PendingWorkingCopy pending(*fs, NoLeadBytes);
    ASSERT_TRUE(pending.Begin(board.Win("SCAN2.JPG"), working));
    EXPECT_EQ(ReadAll(settingsFolder() + "\\SCAN2.JPG"), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_FALSE(FileExists(first)) << "parked meanwhile";
    pending.Drop();
    previousIsBack("another name");
  }
  {
    PendingWorkingCopy pending(*fs, NoLeadBytes);
    ASSERT_TRUE(pending.Begin(board.Win("SCAN2.JPG"), working));
  }
  previousIsBack("left to the destructor");
  WriteAll(board.Win("SCAN1.JPG"), {7});
  {
    PendingWorkingCopy pending(*fs, NoLeadBytes);
    ASSERT_TRUE(pending.Begin(board.Win("SCAN1.JPG"), working));
    EXPECT_EQ(ReadAll(first), (std::vector<std::uint8_t>{7}));
    pending.Drop();
    previousIsBack("the same name");
  }
  // Kept, it is what MakeWorkingCopy makes.
  PendingWorkingCopy pending(*fs, NoLeadBytes);
  ASSERT_TRUE(pending.Begin(board.Win("SCAN2.JPG"), working));
  pending.Keep(working);
  EXPECT_EQ(working, settingsFolder() + "\\SCAN2.JPG");
  EXPECT_EQ(ReadAll(working), (std::vector<std::uint8_t>{4, 5}));
  EXPECT_FALSE(FileExists(first));
  EXPECT_FALSE(FileExists(settingsFolder() + "\\_old.tmp"));
}

#ifndef _WIN32
// Natively there is no shell to name the folder.
TEST(WorkingCopy, FailsWithoutALocalAppDataFolder) {
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  std::string working = "unchanged";
  EXPECT_FALSE(MakeWorkingCopy(*fs, "/etc/hostname", working, NoLeadBytes));
  EXPECT_EQ(working, "unchanged");
}
#endif

class WriteOutputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteAll(folder.Win("work.pdf"), {9, 9, 9});
    sources.screen = screen.get();
    sources.scan = scan.get();
    sources.workingCopy = folder.Win("work.pdf");
    sources.resX = 200;
    sources.resY = 300;
    sources.pageOffsetX = 36;
    sources.pageOffsetY = 20;
    plan.format = kFormatPdf;
    ASSERT_TRUE(ChooseOutputNames(*fs, folder.Win(), "SCAN", ".pdf", plan.paths, NoLeadBytes));
  }

  test::TempDir folder;
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  test::FakeImageFiles images;
  DibPtr screen = test::Filled(1366, 768, test::kBlack);
  DibPtr scan = test::Filled(2400, 1700, test::kWhite);
  DibPtr overlay = test::Filled(2400, 1700, test::kInk);
  OutputSources sources;
  OutputPlan plan;

  // Which of a plan's three files exist: screenshot, original, overlay.
  static std::vector<bool> Present(const OutputPlan& p) {
    return {FileExists(p.paths.screenshot), FileExists(p.paths.original), FileExists(p.paths.overlaid)};
  }
  const std::vector<bool> kNone{false, false, false};
};

TEST_F(WriteOutputsTest, PcSizeWritesAtScreenResolution) {
  sources.overlay = nullptr;  // the scan missed the screen: the screenshot stands in
  ASSERT_TRUE(WriteOutputs(images, *fs, plan, sources));
  ASSERT_EQ(images.writes.size(), 2u);
  for (const test::WriteCall& call : images.writes) {
    EXPECT_EQ(call.resX, 96);
    EXPECT_EQ(call.resY, 96);
    EXPECT_EQ(call.pageWidth, 1024);  // 1366 * 72 / 96
    EXPECT_EQ(call.pageHeight, 576);
    EXPECT_EQ(call.offsetX, 0);
    EXPECT_EQ(call.format, 59);
    EXPECT_EQ(call.width, 1366);
  }
  EXPECT_EQ(images.WriteTo(plan.paths.screenshot).width, 1366);
  EXPECT_EQ(images.WriteTo(plan.paths.overlaid).width, 1366);
  EXPECT_EQ(ReadAll(plan.paths.original), (std::vector<std::uint8_t>{9, 9, 9}));
}

TEST_F(WriteOutputsTest, BoardSizeUsesTheScanPage) {
  plan.saveImageSize = kSaveImageBoardSize;
  sources.overlay = overlay.get();
  ASSERT_TRUE(WriteOutputs(images, *fs, plan, sources));
  ASSERT_EQ(images.writes.size(), 2u);
  const test::WriteCall& call = images.WriteTo(plan.paths.overlaid);
  EXPECT_EQ(call.width, 2400);
  EXPECT_EQ(call.resX, 200);
  EXPECT_EQ(call.resY, 300);
  EXPECT_EQ(call.pageWidth, 842);
  EXPECT_EQ(call.pageHeight, 595);
  EXPECT_EQ(call.offsetX, 36);
  EXPECT_EQ(call.offsetY, 20);

  // Without an overlay the scan file itself is the overlaid output.
  OutputPlan again = plan;
  ASSERT_TRUE(ChooseOutputNames(*fs, folder.Win(), "SCAN", ".pdf", again.paths, NoLeadBytes));
  EXPECT_NE(again.paths.overlaid, plan.paths.overlaid);
  sources.overlay = nullptr;
  ASSERT_TRUE(WriteOutputs(images, *fs, again, sources));
  EXPECT_EQ(images.writes.size(), 3u);
  EXPECT_EQ(ReadAll(again.paths.overlaid), (std::vector<std::uint8_t>{9, 9, 9}));
}

TEST_F(WriteOutputsTest, NeverReplacesAnExistingFile) {
  WriteAll(plan.paths.original, {7});
  EXPECT_FALSE(WriteOutputs(images, *fs, plan, sources));
  EXPECT_EQ(ReadAll(plan.paths.original), (std::vector<std::uint8_t>{7}));
  // The screenshot written before the failing step stays.
  EXPECT_TRUE(FileExists(plan.paths.screenshot));

  OutputPlan other = plan;
  ASSERT_TRUE(ChooseOutputNames(*fs, folder.Win(), "SCAN", ".pdf", other.paths, NoLeadBytes));
  WriteAll(other.paths.screenshot, {6});
  EXPECT_FALSE(WriteOutputs(images, *fs, other, sources));
  EXPECT_EQ(ReadAll(other.paths.screenshot), (std::vector<std::uint8_t>{6}));
}

TEST_F(WriteOutputsTest, AFailedWriteLeavesNoPartialFile) {
  images.failWritesTo = plan.paths.overlaid;
  images.leavePartial = true;
  EXPECT_FALSE(WriteOutputs(images, *fs, plan, sources));
  EXPECT_EQ(Present(plan), (std::vector<bool>{true, true, false}));
}

// The overlay is written beside the screenshot; when the screenshot or the original then fails,
// the files are those the steps in order would have left: the overlay goes too.
TEST_F(WriteOutputsTest, AnOverlayWrittenBesideAFailingScreenshotIsRemoved) {
  sources.overlay = overlay.get();
  plan.saveImageSize = kSaveImageBoardSize;
  images.failWritesTo = plan.paths.screenshot;
  images.leavePartial = true;
  EXPECT_FALSE(WriteOutputs(images, *fs, plan, sources));
  EXPECT_EQ(Present(plan), kNone);

  OutputPlan other = plan;
  ASSERT_TRUE(ChooseOutputNames(*fs, folder.Win(), "SCAN", ".pdf", other.paths, NoLeadBytes));
  images.failWritesTo.clear();
  sources.workingCopy = folder.Win("vanished.pdf");  // the original cannot be copied
  EXPECT_FALSE(WriteOutputs(images, *fs, other, sources));
  EXPECT_EQ(Present(other), (std::vector<bool>{true, false, false}));
}

TEST_F(WriteOutputsTest, AWriterAbandonedBeforeItsOverlayLeavesNothing) {
  sources.overlay = overlay.get();
  {
    OutputWriter writer(images, *fs, plan, *screen);
    ASSERT_TRUE(writer.Start());
    writer.Abandon();
    EXPECT_FALSE(writer.Finish(sources)) << "an abandoned writer writes nothing more";
    EXPECT_EQ(Present(plan), kNone);
  }
  // Started before the scan's page is known: a page that cannot be worked out takes the
  // screenshot away again.
  plan.saveImageSize = kSaveImageBoardSize;
  sources.resX = 0;
  OutputWriter writer(images, *fs, plan, *screen);
  ASSERT_TRUE(writer.Start());
  EXPECT_FALSE(writer.Finish(sources));
  EXPECT_EQ(Present(plan), kNone);
}

TEST_F(WriteOutputsTest, ZeroResolutionFailsBeforeWritingAnything) {
  plan.saveImageSize = kSaveImageBoardSize;
  sources.overlay = overlay.get();
  sources.resX = 0;
  EXPECT_FALSE(WriteOutputs(images, *fs, plan, sources));
  EXPECT_TRUE(images.writes.empty());
  EXPECT_FALSE(FileExists(plan.paths.original));
}

TEST(PlanOutputs, NeedsAnExistingSaveFolderAndAPlacement) {
  test::TempDir folder;
  std::unique_ptr<FileSystem> fs = MakeSystemFileSystem();
  DibPtr screen = test::Filled(1920, 1080, test::kBlack);
  DibPtr scan = test::Filled(2400, 1700, test::kWhite);
  SettingsValues settings;
  settings.saveFolder = folder.Win();
  settings.saveImageSize = 1;
  settings.x = -100;
  OutputPlan plan;
  ASSERT_TRUE(PlanOutputs(*fs, settings, "E:\\SCAN0001.PDF", *screen, *scan, plan, NoLeadBytes));
  EXPECT_EQ(plan.format, 59);
  EXPECT_EQ(plan.saveImageSize, 1);
  EXPECT_EQ(plan.paths.overlaid, folder.Win("SCAN0001_Overlaid.PDF"));
  EXPECT_EQ(plan.screenRegion, (Region{0, 0, 1424, 1080}));
  EXPECT_EQ(plan.scanRegion.left, 157);

  SettingsValues missing = settings;
  missing.saveFolder = folder.Win("nowhere");
  EXPECT_FALSE(PlanOutputs(*fs, missing, "E:\\SCAN0001.PDF", *screen, *scan, plan, NoLeadBytes));
  EXPECT_FALSE(FileExists(folder.Win("nowhere")));
  SettingsValues zeroZoom = settings;
  zeroZoom.widthZoom = 0;
  EXPECT_FALSE(PlanOutputs(*fs, zeroZoom, "E:\\SCAN0001.PDF", *screen, *scan, plan, NoLeadBytes));
}

}  // namespace
}  // namespace zt

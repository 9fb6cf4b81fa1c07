// The scan pipeline against a stand-in frame, with real files in temporary folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "overlay/engine/calibration/calibration_targets.h"
#include "overlay/engine/scan_pipeline.h"
#include "tests/support/fake_pipeline_host.h"
#include "tests/support/test_files.h"
#include "tests/support/test_images.h"

namespace zt {
namespace {

using test::Bgr;
using test::kUnsavedQuestion;
using ::testing::ElementsAre;

constexpr char kLoadFail[] = "load failed";
constexpr char kSaveFail[] = "save failed";

// A portrait scan as the board stores it: white with a dark stroke.
std::vector<std::uint8_t> PortraitScan(Bgr ink = test::kInk) {
  DibPtr dib = test::MakeImage(
      60, 80, [ink](int x, int y) { return x > 10 && x < 14 && y < 70 ? ink : test::kWhite; });
  return test::PackedBytes(*dib);
}

// The system's file system, where the folders under share lie on another machine.
class ShareFileSystem final : public FileSystem {
 public:
  explicit ShareFileSystem(std::unique_ptr<FileSystem> fs) : m_fs(std::move(fs)) {}
  bool Exists(const std::string& p) override { return m_fs->Exists(p); }
  bool IsDirectory(const std::string& p) override { return m_fs->IsDirectory(p); }
  bool MakeDirectory(const std::string& p) override { return m_fs->MakeDirectory(p); }
  CopyResult CopyToNew(const std::string& f, const std::string& t) override { return m_fs->CopyToNew(f, t); }
  bool CopyReplacing(const std::string& f, const std::string& t) override {
    return m_fs->CopyReplacing(f, t);
  }
  bool MoveReplacing(const std::string& f, const std::string& t) override {
    return m_fs->MoveReplacing(f, t);
  }
  bool RemoveFile(const std::string& p) override { return m_fs->RemoveFile(p); }
  bool ListFolder(const std::string& p, std::vector<FolderEntry>& e) override {
    return m_fs->ListFolder(p, e);
  }
  bool RemoveFolder(const std::string& p) override { return m_fs->RemoveFolder(p); }
  bool MayBeOffline(const std::string& p) override { return !share.empty() && p.rfind(share, 0) == 0; }
  bool LocalAppDataFolder(std::string& f) override { return m_fs->LocalAppDataFolder(f); }
  std::string share;

 private:
  std::unique_ptr<FileSystem> m_fs;
};

class PipelineTest : public ::testing::Test {
 protected:
  void SetUp() override { host.AttachAutoSaving(pipeline, saves.Win()); }

  std::string PutScan(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    const std::string path = board.Win(name);
    test::WriteAll(path, bytes);
    return path;
  }
  std::string PutGoodScan(const std::string& name, test::LoadValues v = {}) {
    return PutScan(name, test::ScanFileBytes(PortraitScan(), v));
  }

  void Signal(const std::string& path, ScanSource source = ScanSource::Board) {
    EXPECT_EQ(pipeline.TakeScan(path, source), 0);
  }
  // The screen captured at a scan's signal, before the scan is handled.
  const DibBlock* CaptureAtSignal(DibPtr screen) {
    const DibBlock* captured = screen.get();
    host.nextCapture = std::move(screen);
    EXPECT_TRUE(pipeline.CaptureScreen());
    return captured;
  }

  // Files under a folder, relative and sorted.
  static std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    const std::string root = test::NativePath(folder);
    if (!std::filesystem::is_directory(root)) return names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root))
      if (entry.is_regular_file()) names.push_back(entry.path().generic_string().substr(root.size() + 1));
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::string> Saved() const { return Files(saves.Win()); }
  // The settings folder holds the image set's working copy, named as its scan.
  std::string SettingsFolder(const std::string& name = std::string()) const {
    return appData.Win(name.empty() ? "Corvane\\Zentab Lumbrel" : "Corvane\\Zentab Lumbrel\\" + name);
  }

  test::TempDir appData, board, saves;
  std::unique_ptr<ShareFileSystem> fs =
      std::make_unique<ShareFileSystem>(MakeSystemFileSystem(appData.Win()));
  test::FakeImageFiles images;
  test::FakeHost host;
  CScanPipeline pipeline{host, images, *fs, NoLeadBytes};
};

TEST_F(PipelineTest, AutoSaveWritesTheThreeFilesWithoutAWindow) {
  const std::string scan = PutGoodScan("SCAN0001.JPG");
  Signal(scan);
  EXPECT_EQ(host.savesAsked, 1);
  EXPECT_TRUE(host.steps.empty());
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0001.JPG", "Original/SCAN0001_Screenshot.JPG",
                                   "SCAN0001_Overlaid.JPG"));
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\SCAN0001.JPG")), test::ReadAll(scan));
  EXPECT_EQ(pipeline.Saved(), true);
  EXPECT_FALSE(pipeline.IsBusy());  // the scan's pass is over
  EXPECT_EQ(host.rearms, 1);
  EXPECT_EQ(host.calibrationHidden, 1);

  // The image set: landscape scan, halves, mask; load values from the file.
  ASSERT_TRUE(pipeline.HasImageSet());
  EXPECT_EQ(pipeline.Images().scan->Width(), 80);
  EXPECT_EQ(pipeline.Images().scan->Height(), 60);
  EXPECT_EQ(pipeline.Images().scanHalf->Width(), 40);
  EXPECT_EQ(pipeline.Images().scanMask->Height(), 30);
  EXPECT_EQ(pipeline.Images().screenHalf->Width(), 32);
  EXPECT_EQ(pipeline.Images().resX, 200);
  EXPECT_EQ(pipeline.Images().pageOffsetX, 36);
  EXPECT_EQ(pipeline.Images().scanPath, scan);

  // Saving the same set again takes the next free number.
  pipeline.SaveOverlay();
  EXPECT_EQ(Saved().size(), 6u);
  EXPECT_TRUE(test::FileExists(saves.Win("SCAN0001_Overlaid_001.JPG")));
  // The frame hears of each save once its files are written.
  EXPECT_EQ(host.savedOverlays, (std::vector<std::string>{saves.Win("SCAN0001_Overlaid.JPG"),
                                                          saves.Win("SCAN0001_Overlaid_001.JPG")}));
}

TEST_F(PipelineTest, TheOriginalIsTheImageThatWasLoadedThoughTheScanFileChangesMeanwhile) {
  const std::string scan = PutGoodScan("SCAN0001.JPG");
  const std::vector<std::uint8_t> loaded = test::ReadAll(scan);
  std::string loadedFrom;
  // The board writes its next scan under the same name while this one is being loaded.
  images.afterRead = [&](const std::string& path) {
    loadedFrom = path;
    test::WriteAll(scan, test::ScanFileBytes(PortraitScan(test::kBlack)));
  };
  Signal(scan);
  EXPECT_NE(loadedFrom, scan) << "the scan file was read twice";
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\SCAN0001.JPG")), loaded);
  EXPECT_EQ(images.loads, 1);
}

TEST_F(PipelineTest, WithoutAutoSaveTheDialogOpensAndNothingIsWritten) {
  host.settings.autoSave = 0;
  Signal(PutGoodScan("SCAN0001.JPG"));
  EXPECT_THAT(host.steps, ElementsAre(FrameStep::OpenSettings));
  EXPECT_EQ(host.savesAsked, 0);
  EXPECT_TRUE(Saved().empty());
  EXPECT_EQ(pipeline.Saved(), false);
}

TEST_F(PipelineTest, StartUpPassShowsTheScanInsteadOfSaving) {
  CScanPipeline atStart(host, images, *fs, NoLeadBytes);  // as constructed: in its start-up pass
  host.pipeline = &atStart;
  auto Signal = [&](const std::string& path) { EXPECT_EQ(atStart.TakeScan(path, ScanSource::Board), 0); };
  Signal(PutScan("BAD.JPG", {1, 2, 3}));
  EXPECT_TRUE(atStart.InStartupPass());  // only a successful start-up pass ends it
  EXPECT_TRUE(host.steps.empty());

  Signal(PutGoodScan("SCAN0001.JPG"));
  EXPECT_THAT(host.steps, ElementsAre(FrameStep::OpenSettings));
  EXPECT_EQ(host.savesAsked, 0);
  EXPECT_TRUE(Saved().empty());
  EXPECT_FALSE(atStart.InStartupPass());
  EXPECT_EQ(host.calibrationHidden, 0);
  EXPECT_EQ(host.rearms, 2);
}

TEST_F(PipelineTest, AScanThatCannotBeLoadedKeepsThePreviousSet) {
  Signal(PutGoodScan("SCAN0001.JPG", {300, 300, 5, 6}));
  ASSERT_TRUE(pipeline.HasImageSet());
  const DibBlock* scanBefore = pipeline.Images().scan.get();
  const auto workingBytes = test::ReadAll(SettingsFolder("SCAN0001.JPG"));
  host.savesAsked = 0;

  auto truncated = test::ScanFileBytes(PortraitScan());
  truncated.resize(truncated.size() / 2);
  auto deep = test::ScanFileBytes(PortraitScan());
  deep[16 + 14] = 8;  // a depth the pixel steps do not handle
  const std::vector<std::uint8_t> junk = {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'};
  // The same name as the working copy, so a lost copy would show; and another name, whose copy,
  // made beside the load, goes again with the failure.
  const std::pair<const char*, std::vector<std::uint8_t>> bad[] = {
      {"SCAN0001.JPG", junk}, {"SCAN0001.JPG", truncated}, {"SCAN0001.JPG", deep}, {"SCAN0002.JPG", junk}};
  for (const auto& [name, bytes] : bad) {
    host.boxes.clear();
    // The screenshot of the signal lets the auto-save begin writing it beside the load.
    CaptureAtSignal(test::Filled(40, 30, test::kBlack));
    Signal(PutScan(name, bytes));
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
    EXPECT_EQ(pipeline.Images().scan.get(), scanBefore);
    EXPECT_EQ(pipeline.Images().resX, 300);
    EXPECT_EQ(pipeline.Images().pageOffsetY, 6);
    EXPECT_THAT(Files(SettingsFolder()), ElementsAre("SCAN0001.JPG"));  // no _old.tmp either
    EXPECT_EQ(test::ReadAll(SettingsFolder("SCAN0001.JPG")), workingBytes);
    EXPECT_EQ(pipeline.Saved(), true);
    EXPECT_FALSE(pipeline.IsBusy());
    // The auto-save's screenshot, begun beside the load, went with the failure.
    EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0001.JPG", "Original/SCAN0001_Screenshot.JPG",
                                     "SCAN0001_Overlaid.JPG"));
  }
  EXPECT_EQ(host.savesAsked, 0);
  EXPECT_EQ(host.rearms, 5);  // every pass ends with the poll re-armed
  // The set's working copy is still the first scan's: it goes with the set.
  pipeline.ReleaseImages();
  EXPECT_TRUE(Files(SettingsFolder()).empty());
}

TEST_F(PipelineTest, AFailedWorkingCopyRestoresTheOldOne) {
  Signal(PutGoodScan("SCAN0001.JPG"));
  const DibBlock* before = pipeline.Images().scan.get();
  // The settings folder is taken by a file: no copy can be made there.
  std::filesystem::remove_all(test::NativePath(appData.Win("Corvane")));
  test::WriteAll(appData.Win("Corvane"), {0});
  host.boxes.clear();
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_EQ(pipeline.Images().scan.get(), before);
  EXPECT_NE(pipeline.Images().scanPath, board.Win("SCAN0002.JPG"));
  // Once the folder is back, the set's working copy is still the first scan's: it goes with the set.
  std::filesystem::remove(test::NativePath(appData.Win("Corvane")));
  std::filesystem::create_directories(test::NativePath(SettingsFolder()));
  test::WriteAll(SettingsFolder("SCAN0001.JPG"), {1});
  pipeline.ReleaseImages();
  EXPECT_TRUE(Files(SettingsFolder()).empty());
}

TEST_F(PipelineTest, AnAutoSaveThatFailsAfterItsScreenshotWasBegunLeavesNoFile) {
  // The screenshot's file is begun before the scan is loaded; a placement without valid values
  // fails the save once the scan's size is known.
  host.settings.widthZoom = 0;
  CaptureAtSignal(test::Filled(40, 30, test::kBlack));
  host.duringBox = [&] {
    EXPECT_TRUE(Saved().empty()) << "the begun screenshot is gone before the box is up";
  };
  Signal(PutGoodScan("SCAN0001.JPG"));
  host.duringBox = nullptr;
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kSaveFail});
  EXPECT_TRUE(Saved().empty());
  EXPECT_EQ(pipeline.Saved(), false);

  // Mended, the same kind of signal saves, the screenshot from the moment of the signal.
  host.settings.widthZoom = 100;
  host.boxes.clear();
  CaptureAtSignal(test::Filled(40, 30, test::kInk));
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0002.JPG", "Original/SCAN0002_Screenshot.JPG",
                                   "SCAN0002_Overlaid.JPG"));
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\SCAN0002_Screenshot.JPG")),
            test::PackedBytes(*test::Filled(40, 30, test::kInk)));
}

TEST_F(PipelineTest, TheWaitingScreenshotIsUsedOnceAndAFailedCaptureIsALoadFailure) {
  const DibBlock* pending = CaptureAtSignal(test::Filled(40, 30, test::kBlack));
  Signal(PutGoodScan("SCAN0001.JPG"));
  EXPECT_EQ(pipeline.Images().screen.get(), pending);
  EXPECT_EQ(host.captures, 1);  // the signal's only

  // The set took the waiting screenshot: the next scan needs a capture of its own.
  host.captureWorks = false;
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(host.captures, 2);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_EQ(pipeline.Images().screen.get(), pending);
  EXPECT_EQ(images.loads, 1);  // no scan is loaded without a screenshot
}

TEST_F(PipelineTest, ABusyFrameHandsTheScanBack) {
  host.busy.exiting = true;
  const std::string scan = PutGoodScan("SCAN0001.JPG");
  Signal(scan, ScanSource::Board);
  EXPECT_EQ(host.forgotten, std::vector<std::string>{scan});
  EXPECT_THAT(host.retries, ElementsAre(Retry::DriveWatch));
  EXPECT_EQ(images.loads, 0);
  EXPECT_EQ(host.rearms, 0);

  // Timer 100 waits while busy, then restarts the drive watch.
  pipeline.OnWatchRetry();
  EXPECT_EQ(host.retries.size(), 2u);
  EXPECT_TRUE(host.steps.empty());
  host.busy.exiting = false;
  pipeline.OnWatchRetry();
  EXPECT_THAT(host.steps, ElementsAre(FrameStep::StartDriveWatch));
  EXPECT_THAT(host.cancelled, ElementsAre(Retry::DriveWatch, Retry::DriveWatch));

  // An SD scan waits for timer 104 instead.
  host.busy.settingsDialogOpen = true;  // not yet initialised
  host.retries.clear();
  host.steps.clear();
  Signal(scan, ScanSource::SdCard);
  EXPECT_THAT(host.retries, ElementsAre(Retry::SdScan));
  EXPECT_EQ(host.forgotten.size(), 1u);
  pipeline.OnSdScanRetry();  // it waits: the retry offers it again
  EXPECT_THAT(host.steps, ElementsAre(FrameStep::TakeQueuedScan));
  // A board scan took its place meanwhile: the SD retry lapses, and the waiting is over, so that a
  // card scan queued later is no waiting one.
  pipeline.QueueScan(scan, ScanSource::Board);
  pipeline.OnSdScanRetry();
  pipeline.QueueScan(scan, ScanSource::SdCard);
  pipeline.OnSdScanRetry();
  EXPECT_EQ(host.steps.size(), 1u);
}

TEST(BusyTest, DialogOnlyCountsWhileStartingOrInAModalStep) {
  BusyInputs in;
  EXPECT_FALSE(IsBusy(in));
  in.settingsDialogInModalStep = true;  // no dialog open: ignored
  EXPECT_FALSE(IsBusy(in));
  in.settingsDialogOpen = true;
  in.settingsDialogInitialised = true;
  EXPECT_TRUE(IsBusy(in));
  in.settingsDialogInModalStep = false;
  EXPECT_FALSE(IsBusy(in));
  in.settingsDialogInitialised = false;
  EXPECT_TRUE(IsBusy(in));
  for (bool BusyInputs::*flag : {&BusyInputs::exiting, &BusyInputs::sessionEnding, &BusyInputs::processing}) {
    BusyInputs one;
    one.*flag = true;
    EXPECT_TRUE(IsBusy(one));
  }
}

class DialogOpenTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    host.settings.autoSave = 0;
    Signal(PutGoodScan("SCAN0001.JPG"));
    dialog.SetImages(pipeline.Images().scanHalf.get(), pipeline.Images().screenHalf.get(),
                     pipeline.Images().scanMask.get(), 80, 60, 64, 48, false);
    dialog.imagesHandedOver = 0;
    host.dialog = &dialog;
    host.steps.clear();
    host.rearms = 0;
  }
  test::FakeSettingsDialog dialog;
};

TEST_F(DialogOpenTest, YesToTheMultiScanQuestionSavesTheShownOverlay) {
  host.answers = {true};
  const DibBlock* shown = pipeline.Images().scan.get();
  Signal(PutGoodScan("SCAN0002.JPG"));
  ASSERT_EQ(host.boxes.size(), 1u);
  EXPECT_EQ(host.boxes[0], kUnsavedQuestion);
  EXPECT_THAT(dialog.events, ElementsAre("box", "store"));
  EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0001.JPG", "Original/SCAN0001_Screenshot.JPG",
                                   "SCAN0001_Overlaid.JPG"));
  EXPECT_TRUE(dialog.saved);
  EXPECT_EQ(pipeline.Saved(), true);
  // The second scan is not loaded; the dialog keeps the first.
  EXPECT_EQ(pipeline.Images().scan.get(), shown);
  EXPECT_EQ(dialog.imagesHandedOver, 0);
  EXPECT_EQ(images.loads, 1);
  EXPECT_EQ(pipeline.AskingAboutUnsavedOverlay(), false);
  EXPECT_GE(host.rearms, 1);
}

TEST_F(DialogOpenTest, NoGivesTheOverlayUpAndScansDuringTheQuestionAreDropped) {
  host.answers = {false};
  const std::string third = PutGoodScan("SCAN0003.JPG");
  host.duringBox = [&] {
    // The box's message loop delivers another scan: it is dropped with its screenshot.
    EXPECT_FALSE(pipeline.IsBusy());
    CaptureAtSignal(test::Filled(8, 8, test::kBlack));
    host.duringBox = nullptr;
    Signal(third);
    EXPECT_EQ(dialog.broughtToFront, 1);
  };
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(host.boxes.size(), 1u);
  EXPECT_TRUE(dialog.saved);
  EXPECT_EQ(pipeline.Saved(), true);
  EXPECT_TRUE(dialog.events.size() == 1 && dialog.events[0] == "box");
  EXPECT_TRUE(Saved().empty());
  EXPECT_EQ(images.loads, 1);
  // The dropped scan's screenshot went with it: taken again, the scan has a screen of its own.
  Signal(third);
  EXPECT_EQ(dialog.imagesHandedOver, 1);
  EXPECT_EQ(dialog.screenSize, (std::pair<int, int>{64, 48}));  // not the dropped 8 x 8
}

TEST_F(DialogOpenTest, ASavedOverlayIsReplacedWithoutAQuestion) {
  dialog.saved = true;
  const std::string second = PutGoodScan("SCAN0002.JPG");
  Signal(second);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(dialog.imagesHandedOver, 1);
  EXPECT_EQ(dialog.scanHalf, pipeline.Images().scanHalf.get());
  EXPECT_EQ(dialog.mask, pipeline.Images().scanMask.get());
  EXPECT_EQ(dialog.scanSize, (std::pair<int, int>{80, 60}));
  EXPECT_EQ(dialog.screenSize, (std::pair<int, int>{64, 48}));
  EXPECT_FALSE(dialog.saved);
  EXPECT_EQ(dialog.rebuilds, 1);
  EXPECT_EQ(dialog.broughtToFront, 1);
  EXPECT_EQ(pipeline.Images().scanPath, second);
  EXPECT_TRUE(host.steps.empty());  // the open dialog is reused
  EXPECT_TRUE(Saved().empty());
}

TEST_F(DialogOpenTest, ADisplayThatCannotBeRebuiltClosesTheDialog) {
  dialog.saved = true;
  dialog.rebuildSucceeds = false;
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_TRUE(dialog.closedForLoadFailure);
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_EQ(dialog.broughtToFront, 1);
}

TEST_F(DialogOpenTest, AnUndecodableScanKeepsTheDialogsOverlay) {
  dialog.saved = true;
  Signal(PutScan("SCAN0002.JPG", {0, 0}));
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_EQ(dialog.imagesHandedOver, 0);
  EXPECT_EQ(dialog.broughtToFront, 0);
  EXPECT_FALSE(dialog.closedForLoadFailure);
}

// The end of the session may arrive during any box of the pipeline; the frame then ends and
// forgets the dialog. The pipeline must not reach it afterwards (AddressSanitizer sees a use).
class DialogClosedDuringBoxTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    host.settings.autoSave = 0;
    Signal(PutGoodScan("SCAN0001.JPG"));
    closing = std::make_unique<test::FakeSettingsDialog>();
    closing->SetImages(pipeline.Images().scanHalf.get(), pipeline.Images().screenHalf.get(),
                       pipeline.Images().scanMask.get(), 80, 60, 64, 48, false);
    host.dialog = closing.get();
    host.duringBox = [this] {
      host.dialog = nullptr;
      closing.reset();
    };
  }
  std::unique_ptr<test::FakeSettingsDialog> closing;
};

TEST_F(DialogClosedDuringBoxTest, YesToTheMultiScanQuestionStillSaves) {
  host.answers = {true};
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kUnsavedQuestion});
  EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0001.JPG", "Original/SCAN0001_Screenshot.JPG",
                                   "SCAN0001_Overlaid.JPG"));
  EXPECT_EQ(pipeline.AskingAboutUnsavedOverlay(), false);
}

TEST_F(DialogClosedDuringBoxTest, NoToTheMultiScanQuestionGivesTheOverlayUp) {
  host.answers = {false};
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(pipeline.Saved(), true);
  EXPECT_TRUE(Saved().empty());
}

TEST_F(DialogClosedDuringBoxTest, ALoadFailureBoxAfterAFailedRebuildLeavesTheGoneDialogAlone) {
  closing->saved = true;
  closing->rebuildSucceeds = false;
  Signal(PutGoodScan("SCAN0002.JPG"));
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
  EXPECT_FALSE(closing);
}

// Auto-save lives in the INI file, which always reads: a registry failure (already shown to the
// user) does not turn an auto-saved scan into an open dialog.
TEST_F(PipelineTest, AutoSaveHoldsWhenOnlyTheGeometryCannotBeRead) {
  host.settingsReadable = false;
  Signal(PutGoodScan("SCAN0001.JPG"));
  EXPECT_EQ(host.savesAsked, 1);
  EXPECT_TRUE(std::find(host.steps.begin(), host.steps.end(), FrameStep::OpenSettings) == host.steps.end());
}

class SaveFailureTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    host.settings.autoSave = 0;
    Signal(PutGoodScan("SCAN0001.JPG"));
    ASSERT_TRUE(pipeline.HasImageSet());
  }
  // After a failure the set is still there and saves once the cause is gone.
  void ExpectFailureThenRecovery(const std::function<void()>& mend) {
    host.boxes.clear();
    host.savedOverlays.clear();
    pipeline.SaveOverlay();
    EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kSaveFail});
    EXPECT_EQ(pipeline.Saved(), false);
    EXPECT_TRUE(host.savedOverlays.empty());  // a failed save is no page of the lesson
    ASSERT_TRUE(pipeline.HasImageSet());
    mend();
    host.boxes.clear();
    pipeline.SaveOverlay();
    EXPECT_TRUE(host.boxes.empty());
    EXPECT_EQ(pipeline.Saved(), true);
  }
};

TEST_F(SaveFailureTest, MissingSaveFolder) {
  host.settings.saveFolder = saves.Win("gone");
  ExpectFailureThenRecovery([&] { host.settings.saveFolder = saves.Win(); });
}

// A share away for a while: the saves wait on this PC, told beside the icon, and arrive once it is
// back, oldest first, byte for byte, under the names free there then. A full local disk still fails.
TEST_F(SaveFailureTest, SavesToAShareThatIsAwayWaitOnThisPcAndArriveOnceItIsBack) {
  const std::string share = saves.Win("share");
  fs->share = share;
  host.settings.saveFolder = share;
  const std::string outbox = SettingsFolder("Outbox");
  images.failWritesFrom = 0;
  ExpectFailureThenRecovery([&] { images.failWritesFrom = -1; });  // the second save waits
  EXPECT_TRUE(Files(outbox).size() == 3u && host.savesWaiting == 1) << Files(outbox).size();
  pipeline.SaveOverlay();
  EXPECT_EQ(host.savesWaiting, 2);
  EXPECT_EQ(Files(outbox).size(), 6u);
  EXPECT_TRUE(host.savedOverlays.empty());
  EXPECT_THAT(host.retries, ::testing::Contains(Retry::WaitingSaves));
  const std::vector<std::uint8_t> waitingOverlay = test::ReadAll(outbox + "\\" + Files(outbox)[2]);

  std::filesystem::create_directory(test::NativePath(share));
  test::WriteAll(share + "\\SCAN0001_Overlaid.JPG", {7});  // a name taken meanwhile
  // Not ours, and a slot without a whole save: left alone, and in nobody's way.
  test::WriteAll(outbox + "\\notes.txt", {1});
  std::filesystem::create_directory(test::NativePath(outbox + "\\5_1"));
  test::WriteAll(outbox + "\\5_1\\X_Overlaid.JPG", {2});
  pipeline.DeliverWaitingSaves();
  pipeline.DeliverWaitingSaves();
  EXPECT_THAT(Files(share),
              ElementsAre("Original/SCAN0001_001.JPG", "Original/SCAN0001_002.JPG",
                          "Original/SCAN0001_Screenshot_001.JPG", "Original/SCAN0001_Screenshot_002.JPG",
                          "SCAN0001_Overlaid.JPG", "SCAN0001_Overlaid_001.JPG", "SCAN0001_Overlaid_002.JPG"));
  EXPECT_EQ(test::ReadAll(share + "\\SCAN0001_Overlaid.JPG"), std::vector<std::uint8_t>{7});
  EXPECT_EQ(test::ReadAll(share + "\\SCAN0001_Overlaid_001.JPG"), waitingOverlay);
  EXPECT_EQ(test::ReadAll(share + "\\Original\\SCAN0001_002.JPG"), test::ReadAll(board.Win("SCAN0001.JPG")));
  EXPECT_THAT(Files(outbox), ElementsAre("5_1/X_Overlaid.JPG", "notes.txt"));
  EXPECT_EQ(host.savedOverlays, (std::vector<std::string>{share + "\\SCAN0001_Overlaid_001.JPG",
                                                          share + "\\SCAN0001_Overlaid_002.JPG"}));
  EXPECT_THAT(host.cancelled, ::testing::Contains(Retry::WaitingSaves));
  EXPECT_TRUE(host.boxes.empty());

  // The share is there but refuses the files: the save fails as any save does, nothing waits.
  images.failWritesFrom = 0;
  pipeline.SaveOverlay();
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kSaveFail});
  EXPECT_THAT(Files(outbox), ElementsAre("5_1/X_Overlaid.JPG", "notes.txt"));
}

TEST_F(SaveFailureTest, UnreadableSettings) {
  host.settingsReadable = false;
  ExpectFailureThenRecovery([&] { host.settingsReadable = true; });
}

TEST_F(SaveFailureTest, AFailingWrite) {
  images.failWritesFrom = 0;
  images.leavePartial = true;
  ExpectFailureThenRecovery([&] { images.failWritesFrom = -1; });
  EXPECT_THAT(Saved(), ElementsAre("Original/SCAN0001.JPG", "Original/SCAN0001_Screenshot.JPG",
                                   "SCAN0001_Overlaid.JPG"));
}

TEST_F(SaveFailureTest, AllNamesTaken) {
  std::filesystem::create_directory(test::NativePath(saves.Win("Original")));
  char name[64];
  for (int i = 0; i < 1000; ++i) {
    std::snprintf(name, sizeof name, i ? "SCAN0001_Overlaid_%03d.JPG" : "SCAN0001_Overlaid.JPG", i);
    test::WriteAll(saves.Win(name), {1});
  }
  ExpectFailureThenRecovery(
      [&] { std::filesystem::remove(test::NativePath(saves.Win("SCAN0001_Overlaid_500.JPG"))); });
  EXPECT_EQ(test::ReadAll(saves.Win("SCAN0001_Overlaid.JPG")), std::vector<std::uint8_t>{1});
  EXPECT_TRUE(test::FileExists(saves.Win("Original\\SCAN0001_500.JPG")));
}

TEST_F(SaveFailureTest, ZeroZoomOrResolution) {
  host.settings.heightZoom = 0;
  ExpectFailureThenRecovery([&] { host.settings.heightZoom = 100; });
  // A scan that reports no resolution cannot be saved at its own size; a new set that does can.
  host.settings.saveImageSize = 1;
  test::LoadValues noResolution;
  noResolution.resX = 0;
  Signal(PutGoodScan("SCAN0002.JPG", noResolution));
  ASSERT_EQ(pipeline.Images().resX, 0);
  ExpectFailureThenRecovery([&] { Signal(PutGoodScan("SCAN0003.JPG")); });
}

TEST_F(SaveFailureTest, NoImageSetIsAFailureNotACrash) {
  ASSERT_THAT(Files(SettingsFolder()), ElementsAre("SCAN0001.JPG"));
  pipeline.ReleaseImages();
  EXPECT_TRUE(Files(SettingsFolder()).empty());  // the working copy went with the set
  host.boxes.clear();
  pipeline.SaveOverlay();
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kSaveFail});
}

TEST_F(PipelineTest, AFailedLoadAfterASaveIsToldAndStopsNothing) {
  Signal(PutGoodScan("SCAN0001.JPG"));
  EXPECT_EQ(Saved().size(), 3u);
  Signal(PutScan("SCAN0002.JPG", {0}));
  EXPECT_EQ(host.BoxTexts(), std::vector<std::string>{kLoadFail});
}

TEST_F(PipelineTest, TwoColourScansOverlayLikeTrueColourOnes) {
  auto bit = [](int x, int y) { return x > 10 && x < 14 && y < 70; };
  auto mono = test::Monochrome(60, 80, test::kWhite, test::kInk, bit);
  Signal(PutScan("MONO.TIF", test::ScanFileBytes(mono)));
  Signal(PutGoodScan("TRUE.TIF"));
  ASSERT_EQ(images.writes.size(), 4u);
  const auto monoOverlay = test::ReadAll(saves.Win("MONO_Overlaid.TIF"));
  const auto trueOverlay = test::ReadAll(saves.Win("TRUE_Overlaid.TIF"));
  ASSERT_FALSE(monoOverlay.empty());
  EXPECT_EQ(monoOverlay, trueOverlay);
  EXPECT_EQ(images.writes[1].format, 9);
}

TEST_F(PipelineTest, ABitmapScanIsSavedAsJpegWithItsBytesAsTheOriginal) {
  const std::string scan = PutGoodScan("board.bmp");
  Signal(scan);
  EXPECT_THAT(Saved(),
              ElementsAre("Original/board.jpg", "Original/board_Screenshot.jpg", "board_Overlaid.jpg"));
  EXPECT_EQ(test::ReadAll(saves.Win("Original\\board.jpg")), test::ReadAll(scan));
  ASSERT_EQ(images.writes.size(), 2u);
  EXPECT_EQ(images.writes[0].format, 13);
  EXPECT_EQ(images.writes[1].format, 13);
}

// A calibration scan as the board stores it (portrait), its marks where the values below put the
// calibration targets of a 640 x 480 screen on the turned 800 x 600 scan.
constexpr int kCalibrationScreenWidth = 640, kCalibrationScreenHeight = 480;
constexpr int kWidthZoom = 90, kHeightZoom = 110, kX = 20, kY = -10;

std::vector<std::uint8_t> CalibrationScan(bool withMarks) {
  constexpr int turnedWidth = 800, turnedHeight = 600;
  const double across = kWidthZoom * kCalibrationScreenHeight / (turnedHeight * 100.0);
  const double down = kHeightZoom * kCalibrationScreenHeight / (turnedHeight * 100.0);
  std::vector<TargetPoint> marks;
  if (withMarks)
    for (const TargetPoint& t : CalibrationTargets(kCalibrationScreenWidth, kCalibrationScreenHeight))
      marks.push_back({(t.x - kX) / across, (t.y - kY) / down});
  // The turned pixel (u, v) is the stored pixel (width - 1 - v, u).
  DibPtr dib = test::MakeImage(turnedHeight, turnedWidth, [&](int x, int y) {
    const double u = y, v = turnedHeight - 1 - x;
    for (const TargetPoint& m : marks)
      if ((u - m.x) * (u - m.x) + (v - m.y) * (v - m.y) <= 36) return test::kBlack;
    return test::kWhite;
  });
  return test::PackedBytes(*dib);
}

class CalibrationTest : public DialogOpenTest {
 protected:
  void SetUp() override {
    DialogOpenTest::SetUp();
    dialog.SetSavedFlag(true);  // what is on show was saved
    host.screenWidth = kCalibrationScreenWidth;
    host.screenHeight = kCalibrationScreenHeight;
    pipeline.BeginCalibration();
  }
  std::string PutCalibrationScan(const std::string& name, bool withMarks = true) {
    return PutScan(name, test::ScanFileBytes(CalibrationScan(withMarks)));
  }
};

TEST_F(CalibrationTest, TheNextScanFillsTheDialogsValuesAndIsNeverSaved) {
  Signal(PutCalibrationScan("SCAN0002.JPG"), ScanSource::SdCard);
  EXPECT_TRUE(host.boxes.empty());
  EXPECT_EQ(host.patternsEnded, 1);
  ASSERT_EQ(dialog.calibration.size(), 4u);
  EXPECT_NEAR(dialog.calibration[0], kWidthZoom, 1);
  EXPECT_NEAR(dialog.calibration[1], kHeightZoom, 1);
  EXPECT_NEAR(dialog.calibration[2], kX, 2);
  EXPECT_NEAR(dialog.calibration[3], kY, 2);
  // The dialog shows the calibration scan over the screen of its signal, with nothing to save;
  // its values come after the images, so that the preview places the new scan.
  EXPECT_EQ(pipeline.Images().scanPath, board.Win("SCAN0002.JPG"));
  EXPECT_EQ(dialog.scanHalf, pipeline.Images().scanHalf.get());
  EXPECT_TRUE(dialog.saved);
  EXPECT_THAT(dialog.events, ElementsAre("calibration"));

  // Save in the dialog stores the settings (the dialog's part), writes no overlay of it and
  // says so.
  pipeline.SaveOverlay();
  EXPECT_TRUE(Saved().empty());
  EXPECT_THAT(host.BoxTexts(), ElementsAre("calibration stored"));

  // The calibration ended with its scan: the next scan is an ordinary one again, and saves.
  Signal(PutGoodScan("SCAN0003.JPG"));
  EXPECT_EQ(host.patternsEnded, 1);
  EXPECT_FALSE(pipeline.Saved());
  EXPECT_EQ(dialog.calibration.size(), 4u);
  EXPECT_THAT(dialog.events, ElementsAre("calibration", "box"));
  pipeline.SaveOverlay();
  EXPECT_EQ(Saved().size(), 3u);
}

TEST_F(CalibrationTest, AScanWithoutMarksIsRefusedAndLeavesTheShownScanAndValues) {
  const DibBlock* shownScan = pipeline.Images().scan.get();
  const auto workingBytes = test::ReadAll(SettingsFolder("SCAN0001.JPG"));
  Signal(PutCalibrationScan("SCAN0002.JPG", false));
  EXPECT_THAT(host.BoxTexts(), ElementsAre("refused: no marks"));
  EXPECT_EQ(host.patternsEnded, 1);  // the targets go before the box is up
  EXPECT_TRUE(dialog.calibration.empty());
  EXPECT_EQ(dialog.imagesHandedOver, 0);
  EXPECT_EQ(pipeline.Images().scan.get(), shownScan);
  EXPECT_THAT(Files(SettingsFolder()), ElementsAre("SCAN0001.JPG"));
  EXPECT_EQ(test::ReadAll(SettingsFolder("SCAN0001.JPG")), workingBytes);
  EXPECT_TRUE(Saved().empty());
  EXPECT_EQ(host.rearms, 1);
  pipeline.ReleaseImages();  // the working copy is still the shown scan's: it goes with it
  EXPECT_TRUE(Files(SettingsFolder()).empty());
}

TEST_F(CalibrationTest, AnUnsavedOverlayOnShowIsAskedAboutOnceTheTargetsHaveGone) {
  dialog.SetSavedFlag(false);
  int patternsWhenAsked = -1;
  host.duringBox = [&] { patternsWhenAsked = host.patternsEnded; };
  Signal(PutCalibrationScan("SCAN0002.JPG"));
  EXPECT_THAT(host.BoxTexts(), ElementsAre(kUnsavedQuestion));
  EXPECT_EQ(patternsWhenAsked, 1);
  EXPECT_TRUE(dialog.calibration.empty());
  EXPECT_EQ(pipeline.Images().scanPath, board.Win("SCAN0001.JPG"));
  // The calibration ended with the targets: the next scan is an ordinary one.
  Signal(PutGoodScan("SCAN0003.JPG"));
  EXPECT_EQ(host.patternsEnded, 1);
  EXPECT_EQ(pipeline.Images().scanPath, board.Win("SCAN0003.JPG"));
}

}  // namespace
}  // namespace zt

// The real ZTChkScan.exe under Wine, with this test playing the service that owns the block.
// Wine answers no SCSI pass-through, so what the board says is covered by the native tests; here
// the block protocol, the timers, the single instance and the quit request run for real.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/drive_letter_map.h"
#include "tests/support/wine_process.h"

namespace zt::chkscan {
namespace {

namespace dm = drivemap;
using zt::winetest::Program;

const std::string kChecker = zt::winetest::DosPath(ZT_CHECKER_EXE);

// The service's side of the block: created zeroed, held for the test's length.
class CheckerRun : public ::testing::Test {
 protected:
  void CreateBlock() {
    section.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, dm::kSize, dm::kName));
    ASSERT_TRUE(section);
    view.Reset(MapViewOfFile(section.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
    ASSERT_TRUE(view);
    ZeroMemory(view.Get(), dm::kSize);
  }
  volatile unsigned char& At(std::size_t i) { return static_cast<unsigned char*>(view.Get())[i]; }
  void TearDown() override {
    for (Program* p : {&first, &second}) {
      if (*p && zt::winetest::WaitExit(*p, 0) == STILL_ACTIVE) TerminateProcess(p->process.Get(), 0);
      if (*p) WaitForSingleObject(p->process.Get(), 5000);
    }
  }

  app::UniqueHandle section;
  app::MappedView view;
  Program first;
  Program second;
};

TEST_F(CheckerRun, PendingScanIsLeftAloneSecondCopyEndsAndQuitRequestEndsIt) {
  CreateBlock();
  At(dm::kScanPressed) = dm::kScanPressedSet;
  At(dm::kDriveChanged) = dm::kDriveChangedSet;
  At(dm::kTerminateChecker) = dm::kTerminateCheckerSet;
  first = zt::winetest::Start(kChecker);
  ASSERT_TRUE(first);
  ASSERT_TRUE(zt::winetest::WaitFor(zt::winetest::CheckerMutexExists, 5000));

  // Several poll ticks with the event not taken: nothing read further, nothing written, no quit.
  Sleep(1000);
  EXPECT_EQ(At(dm::kScanPressed), dm::kScanPressedSet);
  EXPECT_EQ(At(dm::kDriveChanged), dm::kDriveChangedSet);
  EXPECT_EQ(zt::winetest::WaitExit(first, 0), STILL_ACTIVE);

  // A second copy ends at once and changes nothing.
  second = zt::winetest::Start(kChecker);
  ASSERT_TRUE(second);
  EXPECT_NE(zt::winetest::WaitExit(second, 5000), STILL_ACTIVE);
  EXPECT_EQ(At(dm::kDriveChanged), dm::kDriveChangedSet);
  EXPECT_EQ(zt::winetest::WaitExit(first, 0), STILL_ACTIVE);

  // Event taken, no letter: the first three bytes are cleared, then the quit request is seen.
  At(dm::kScanPressed) = 0;
  EXPECT_EQ(zt::winetest::WaitExit(first, 2000), 0u);
  EXPECT_EQ(At(dm::kDriveChanged), 0);
  EXPECT_EQ(At(dm::kDriveLetter), 0);
  EXPECT_EQ(At(dm::kTerminateChecker), dm::kTerminateCheckerSet);
  EXPECT_EQ(At(dm::kRestartChecker), 0);
  EXPECT_FALSE(zt::winetest::CheckerMutexExists());
}

TEST_F(CheckerRun, WaitsForTheBlockAndRetriesAVolumeThatWillNotOpen) {
  first = zt::winetest::Start(kChecker);
  ASSERT_TRUE(first);
  ASSERT_TRUE(zt::winetest::WaitFor(zt::winetest::CheckerMutexExists, 5000));
  Sleep(700);  // a few attach attempts without a block
  CreateBlock();

  // No such drive in the prefix: the open fails on every retry, so 'N' stays and the quit
  // request is not looked at; the service's forced termination ends such a checker.
  At(dm::kDriveLetter) = 'Q';
  At(dm::kDriveChanged) = dm::kDriveChangedSet;
  At(dm::kTerminateChecker) = dm::kTerminateCheckerSet;
  Sleep(1000);
  EXPECT_EQ(At(dm::kDriveChanged), dm::kDriveChangedSet);
  EXPECT_EQ(At(dm::kScanPressed), 0);
  EXPECT_EQ(zt::winetest::WaitExit(first, 0), STILL_ACTIVE);

  // The letter withdrawn while 'N' still stands: cleared without an open, then the quit.
  At(dm::kDriveLetter) = 0;
  EXPECT_EQ(zt::winetest::WaitExit(first, 2000), 0u);
  EXPECT_EQ(At(dm::kDriveChanged), 0);
}

}  // namespace
}  // namespace zt::chkscan

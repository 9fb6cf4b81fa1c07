// The board road with real processes under Wine: the detector service registered and running in
// the prefix, a removable drive letter mapped to a folder (run_board_road.sh sets it up), and the
// test build of ZTLumbrel whose only stand-in is the board's USB device on that letter. This test
// plays the scan checker: it holds the checker's mutex, takes the drive change, writes each scan
// into the board's folder and sets the scan flag, as the checker does when the button is pressed.
#include <windows.h>

#include <dbt.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/drive_letter_map.h"
#include "common/win32/handles.h"
#include "overlay/shell/frame/win32/main_frame.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/detector_look.h"
#include "tests/support/jpeg_scan.h"
#include "tests/support/lumbrel_look.h"
#include "tests/support/shell_wine_fixture.h"
#include "tests/support/simulated_card.h"

namespace zt::shell {
namespace {

namespace dm = drivemap;
using winetest::WaitFor;

constexpr RECT kDrawnRect{40, 40, 440, 340};
constexpr COLORREF kRoundColours[] = {RGB(200, 40, 40), RGB(40, 160, 60), RGB(150, 60, 170)};
// The checker's poll and the frame's: a flag set or taken is seen within this time, with room
// for a loaded machine.
constexpr DWORD kSeenWithinMs = 1500;
// The frame takes the flag as the last step of handling the scan: the test, looking every 20 ms,
// sees it within one poll period of the last file, with room for a loaded machine.
constexpr DWORD kTakenAfterSaveMs = 400;

using winetest::Env;

// A whiteboard scan of the given name on the board's drive.
int WriteBoardScan(const std::string& path) {
  return winetest::WriteJpegScan(path, 600, 800, 0xF4, {{280, 100, 292, 700}, {100, 390, 500, 402}});
}

// The removal or arrival of a volume as the system broadcasts it to top-level windows.
LRESULT BroadcastVolume(HWND frame, WPARAM event, char letter) {
  DEV_BROADCAST_VOLUME volume{};
  volume.dbcv_size = sizeof volume;
  volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
  volume.dbcv_unitmask = 1u << (letter - 'A');
  DWORD_PTR result = 0;
  SendMessageTimeoutA(frame, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG,
                      5000, &result);
  return static_cast<LRESULT>(result);
}

// What the board road needs of the prefix, set up once and taken down at the end: the service
// running (and no scan checker installed, since this test plays it), the SD checker installed for
// the fall-back, auto-save into a folder of the work area.
class BoardRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(Env("ZT_BOARD_LETTER").size(), 1u) << "run through run_board_road.sh";
    m_letter = Env("ZT_BOARD_LETTER")[0];
    m_board = std::string(1, m_letter) + ":\\";
    ASSERT_EQ(GetDriveTypeA(m_board.c_str()), static_cast<UINT>(DRIVE_REMOVABLE)) << m_board;
    const std::string checkerExe = Env("ZT_CHECKER_EXE");
    const std::string work = checkerExe.substr(0, checkerExe.find_last_of('\\') + 1);
    m_saves = work + "saves";
    m_boardFolder = work + "board";

    winetest::ResetStore();
    CreateDirectoryA(m_saves.c_str(), nullptr);
    CAppSettings settings;
    ASSERT_TRUE(settings.SaveAllSettings(winetest::SavingInto(m_saves)));
    DeleteFileA(winetest::InstalledScanChecker().c_str());
    ASSERT_TRUE(m_sdChecker.ok);

    ASSERT_EQ(winetest::RunToEnd(kDetector, "-Service"), 0u);
    ASSERT_TRUE(m_service.Open());
    ASSERT_TRUE(m_service.Start() && m_service.WaitState(SERVICE_RUNNING, 10000))
        << "the service did not start";
    ASSERT_TRUE(winetest::WaitFor([&] { return m_map.Open(); }, 3000)) << "no drive-letter map";
    m_checkerMutex.Reset(CreateMutexA(nullptr, FALSE, dm::kCheckerMutex));
    ASSERT_NE(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS)) << "a scan checker runs already";
  }

  void TearDown() override {
    if (m_program.Runs()) {
      TerminateProcess(m_program.process.Get(), 1);
    }
    m_checkerMutex.Reset();
    if (m_service.Stop()) m_service.WaitState(SERVICE_STOPPED, 5000);
    winetest::RunToEnd(kDetector, "-UnregServer");
    winetest::ResetStore();
  }

  bool AllOutputs(const std::string& name) const {
    return winetest::AllExist(winetest::ScanOutputs(m_saves, name));
  }

  // What the checker does when the main program publishes a letter: open the volume, take the change.
  bool TakeDriveChange() {
    if (!WaitFor(
            [&] {
              return m_map[dm::kDriveLetter] == m_letter && m_map[dm::kDriveChanged] == dm::kDriveChangedSet;
            },
            10000))
      return false;
    m_map[dm::kDriveChanged] = 0;
    return true;
  }
  bool MapCleared() const {
    return m_map[dm::kDriveLetter] == 0 && m_map[dm::kScanPressed] == 0 && m_map[dm::kDriveChanged] == 0 &&
           m_map[dm::kRestartChecker] == 0;
  }

  // One press of the scan button per round, with a new scan on the board and the drawn window in
  // the round's colour: the screenshot of that moment, the three files, the flag taken.
  void PressForANewScanEachRound(winetest::DrawnWindow& drawn) {
    std::vector<ULONGLONG> times;
    for (int i = 0; i < 3; ++i) {
      const std::string name = "ZT00000" + std::to_string(i + 2) + ".JPG";
      drawn.Repaint(kRoundColours[i]);
      winetest::Pump(300);
      ASSERT_EQ(WriteBoardScan(m_board + name), IMGFILE_OK);
      // A folder whose name looks like a scan's, made after the scan, is passed over.
      if (i == 1) {
        ASSERT_TRUE(CreateDirectoryA((m_board + "LATER.DIR").c_str(), nullptr));
      }
      const ULONGLONG pressed = GetTickCount64();
      m_map[dm::kScanPressed] = dm::kScanPressedSet;
      ASSERT_TRUE(WaitFor([&] { return AllOutputs(name); }, 30000)) << name << " did not become three files";
      const ULONGLONG saved = GetTickCount64();
      ASSERT_TRUE(WaitFor([&] { return m_map[dm::kScanPressed] == 0; }, kTakenAfterSaveMs))
          << "the flag stays set";
      times.push_back(saved - pressed);
      std::printf("%s: scan button to the last of the three files: %llu ms, flag taken %llu ms later\n",
                  name.c_str(), times.back(), GetTickCount64() - saved);
      winetest::Pump(300);  // the files are complete
      EXPECT_TRUE(winetest::Near(winetest::FileColourAt(winetest::ScanOutputs(m_saves, name)[1], 240, 190),
                                 kRoundColours[i]))
          << "the screenshot is not that of the press";
    }
    std::sort(times.begin(), times.end());
    std::printf("median, scan button to the last file: %llu ms\n", times[times.size() / 2]);
  }

  static inline const std::string kDetector = winetest::DosPath(ZT_DETECTOR_EXE);
  char m_letter = 0;
  std::string m_board, m_boardFolder, m_saves;
  winetest::InstalledChecker m_sdChecker;
  winetest::ServiceLook m_service;
  winetest::MapLook m_map;
  app::UniqueHandle m_checkerMutex;
  winetest::Program m_program;
};

// What a start-up pass, a press, a removal and a published letter mean is ruled by the pipeline,
// drive watch, device change and drive map tests; the road shows them wired to the real service.
TEST_F(BoardRoad, TheScanButtonBringsTheBoardsNewScanAsThreeFilesAndAnUnplugFallsBackToTheCard) {
  // A scan already on the board: the start-up pass shows it in the settings dialog.
  ASSERT_EQ(WriteBoardScan(m_board + "ZT000001.JPG"), IMGFILE_OK);
  winetest::DrawnWindow drawn(kRoundColours[0], kDrawnRect);
  m_program = winetest::Start(Env("ZT_STAND_IN_EXE"));
  ASSERT_TRUE(m_program);
  ASSERT_TRUE(TakeDriveChange()) << "the board's letter was not published";
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = winetest::SettingsDialogOf(m_program.id)) != nullptr; }, 20000))
      << "the start-up pass opens no settings dialog";
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(dialog, IDC_SAVE_NOW)) != FALSE; }, 5000))
      << "the dialog does not show the scan already on the board";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));
  EXPECT_EQ(winetest::CheckerProcessId(), 0u) << "with a board the SD checker is not started";

  ASSERT_NO_FATAL_FAILURE(PressForANewScanEachRound(drawn));
  // A press without a new scan: nothing is written and polling goes on.
  m_map[dm::kScanPressed] = dm::kScanPressedSet;
  ASSERT_TRUE(WaitFor([&] { return m_map[dm::kScanPressed] == 0; }, 5000)) << "the flag stays set";

  // The board's removal clears the map and the card takes over.
  HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(MoveFileA(m_boardFolder.c_str(), (m_boardFolder + ".away").c_str()));
  BroadcastVolume(frame, DBT_DEVICEREMOVECOMPLETE, m_letter);
  EXPECT_TRUE(WaitFor([&] { return MapCleared(); }, kSeenWithinMs)) << "the letter and flags stay";
  EXPECT_TRUE(WaitFor([] { return winetest::CheckerProcessId() != 0; }, 10000))
      << "no fall-back to the SD checker";
  app::UniqueHandle sdChecker(OpenProcess(SYNCHRONIZE, FALSE, winetest::CheckerProcessId()));

  // Plugged in again: published anew, and the SD checker, left without a client, ends.
  ASSERT_TRUE(MoveFileA((m_boardFolder + ".away").c_str(), m_boardFolder.c_str()));
  BroadcastVolume(frame, DBT_DEVICEARRIVAL, m_letter);
  EXPECT_TRUE(TakeDriveChange()) << "the board was not published again";
  EXPECT_EQ(WaitForSingleObject(sdChecker.Get(), 10000), WAIT_OBJECT_0) << "the SD checker stays";

  // At exit the program clears what it published.
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(m_program.process.Get(), 15000), WAIT_OBJECT_0);
  EXPECT_TRUE(MapCleared());
}

}  // namespace
}  // namespace zt::shell

// The wireless road with the real programs under Wine: ZTLumbrel.exe from its build folder (with
// its language files, help and image-file library), ZTChkSDWiFi.exe installed below
// %PROGRAMFILES%, a simulated card on 127.0.0.1 (run_e2e.py starts it and writes sdwifi.ini), and
// a coloured window on the virtual screen. The cases run in order against one run of ZTLumbrel:
//   1. it finds a checker that takes no registration; when that one dies, the watchdog starts
//      the installed checker, which serves every later case;
//   2. a scan arriving while the start-up settings dialog has its folder browser open waits, and
//      is shown once the browser is gone; Save writes its three files;
//   3. with the dialog closed, each scan becomes the three files at once, the ink placed by the
//      calibration;
//   4. the exit command unregisters: the checker ends and the download folder is emptied.
// Started with --silent-checker, this program plays the checker of case 1 instead.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/application.h"
#include "common/win32/handles.h"
#include "cvimgfileio/cvimgfileio.h"
#include "overlay/shell/frame/win32/main_frame.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "placement_reference.h"
#include "tests/support/jpeg_scan.h"
#include "tests/support/lumbrel_look.h"
#include "tests/support/shell_wine_fixture.h"
#include "tests/support/simulated_card.h"

namespace zt::shell {
namespace {

using winetest::CardControl;
using winetest::Env;
using winetest::WaitFor;

constexpr char kSilentCheckerSwitch[] = "--silent-checker";

// The window drawn on the screen before the scans arrive: its colour must be in the screenshots,
// and in the overlays wherever the scan has no ink.
constexpr COLORREF kDrawnColour = RGB(30, 120, 200);
constexpr RECT kDrawnRect{40, 40, 840, 600};

// The test scans: 600 x 800 portraits, near-white, with two strokes that the turn makes one
// upright and one lying in the landscape scan. Calibrated, they land apart from each other and
// from where an uncalibrated placement would put them, all inside the drawn window.
constexpr int kScanWidth = 600, kScanHeight = 800;
constexpr winetest::InkRect kStrokes[] = {{340, 634, 520, 650}, {544, 400, 560, 600}};
constexpr winetest::Calibration kCalibration{80, 90, 100, 50};
// Between a stroke's edge and a probe beside it: more than the resampling spreads the edge.
constexpr int kBeside = 10;

// ---- The silent checker ----------------------------------------------------------------------

// Owns a window of the checker's class and takes registrations without ever answering them. The
// block it was given is shown in its title, for the test to read.
LRESULT CALLBACK SilentCheckerProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  static const UINT channel = RegisterWindowMessageA(sdchannel::kMessageName);
  if (message == channel && wParam == sdchannel::kRegister && lParam) {
    const auto* block = reinterpret_cast<const sdchannel::RegistrationBlock*>(lParam);
    const std::string folder(block->destinationFolder,
                             sdchannel::BoundedLength(block->destinationFolder, sdchannel::kPathSize));
    char title[400];
    std::snprintf(title, sizeof title, "registered %08X %u %u %s", static_cast<unsigned>(block->clientWindow),
                  static_cast<unsigned>(block->folderMask), static_cast<unsigned>(block->firstPass),
                  folder.c_str());
    SetWindowTextA(w, title);
    return 0;
  }
  if (message == WM_TIMER) PostQuitMessage(0);  // forgotten by the test: go at last
  return DefWindowProcA(w, message, wParam, lParam);
}

int RunSilentChecker() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &SilentCheckerProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = sdchannel::kCheckerWindowClass;
  if (!RegisterClassA(&wc)) return 2;
  HWND w = CreateWindowExA(0, wc.lpszClassName, "silent", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           wc.hInstance, nullptr);
  if (!w) return 2;
  SetTimer(w, 1, 180000, nullptr);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
  return 0;
}

// What the silent checker shows once ZTLumbrel's frame has registered.
std::string ExpectedRegistration(HWND frame, const std::string& folder) {
  char text[400];
  std::snprintf(text, sizeof text, "registered %08X %u 0 %s",
                static_cast<unsigned>(sdchannel::WindowToField(reinterpret_cast<std::uintptr_t>(frame))),
                static_cast<unsigned>(sdchannel::kDefaultFolderMask), folder.c_str());
  return text;
}

std::string WindowText(HWND w) {
  char text[400] = {};
  GetWindowTextA(w, text, sizeof text);
  return text;
}

std::string ImageOf(HANDLE process) {
  char path[MAX_PATH] = {};
  DWORD size = sizeof path;
  return QueryFullProcessImageNameA(process, 0, path, &size) ? std::string(path, size) : std::string();
}

// ---- Pixels ----------------------------------------------------------------------------------

std::string Describe(COLORREF c) {
  if (c == CLR_INVALID) return "nothing";
  char text[32];
  std::snprintf(text, sizeof text, "rgb(%d,%d,%d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

bool IsInk(COLORREF c) {
  return c != CLR_INVALID && GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90;
}

// The overlay of a test scan, saved at PC size with kCalibration: dark ink in the middle of each
// stroke where the calibration puts it, the drawn window just beside it and where an uncalibrated
// placement would have put it.
void ExpectInkWhereCalibrated(const std::string& overlaid) {
  const winetest::Picture picture = winetest::LoadPicture(overlaid);
  ASSERT_TRUE(picture.Loaded()) << overlaid;
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_EQ(picture.width, GetSystemMetrics(SM_CXSCREEN)) << "a PC-size overlay has the screen's size";
  EXPECT_EQ(picture.height, screenHeight);
  std::vector<winetest::ScreenBox> placed;
  for (const winetest::InkRect& stroke : kStrokes)
    placed.push_back(winetest::StrokeOnScreen(stroke, kScanWidth, kScanHeight, screenHeight, kCalibration));

  struct Probe {
    double x, y;
    bool ink;
    const char* where;
  };
  for (size_t i = 0; i < placed.size(); ++i) {
    const winetest::ScreenBox& at = placed[i];
    const winetest::ScreenBox uncalibrated =
        winetest::StrokeOnScreen(kStrokes[i], kScanWidth, kScanHeight, screenHeight, winetest::Calibration{});
    const Probe probes[] = {
        {at.CentreX(), at.CentreY(), true, "on the stroke"},
        {at.left - kBeside, at.CentreY(), false, "left of the stroke"},
        {at.right + kBeside, at.CentreY(), false, "right of the stroke"},
        {at.CentreX(), at.top - kBeside, false, "above the stroke"},
        {at.CentreX(), at.bottom + kBeside, false, "below the stroke"},
        {uncalibrated.CentreX(), uncalibrated.CentreY(), false,
         "where an uncalibrated placement puts the stroke"},
    };
    for (const Probe& p : probes) {
      const int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
      // The layout of the scans and the window, not the program, is checked here.
      ASSERT_TRUE(x >= kDrawnRect.left + 4 && x < kDrawnRect.right - 4 && y >= kDrawnRect.top + 4 &&
                  y < kDrawnRect.bottom - 4)
          << "probe outside the drawn window";
      if (!p.ink) {
        for (const winetest::ScreenBox& other : placed)
          ASSERT_FALSE(other.Contains(p.x, p.y, kBeside / 2)) << "probe on a stroke";
      }
      const COLORREF colour = picture.AtScreen(x, y);
      const bool expected = p.ink ? IsInk(colour) : winetest::Near(colour, kDrawnColour, 40);
      EXPECT_TRUE(expected) << "stroke " << i << ", " << p.where << " at " << x << "," << y << ": "
                            << Describe(colour)
                            << (p.ink ? " instead of ink" : " instead of the drawn window") << " in "
                            << overlaid;
    }
  }
}

// ---- The road --------------------------------------------------------------------------------

// What the cases share: one run of ZTLumbrel and the checker serving it.
struct Road {
  std::string exe, work, saves, downloads;
  winetest::InstalledChecker installed;
  winetest::DrawnWindow drawn{kDrawnColour, kDrawnRect};
  winetest::Program program;
  app::UniqueHandle checker;  // the installed checker, once the watchdog has started it

  std::vector<std::string> Outputs(const std::string& name) const {
    return winetest::ScanOutputs(saves, name);
  }

  // Writes a test scan and puts it on the card, newer than every file before it.
  void PutScanOnCard(const std::string& name, int minute) const {
    const std::string scan = work + name;
    ASSERT_EQ(winetest::WriteJpegScan(scan, kScanWidth, kScanHeight, 0xF4, {kStrokes[0], kStrokes[1]}),
              IMGFILE_OK);
    const std::string add = "add?folder=DCIM&name=" + name + "&minute=" + std::to_string(minute) +
                            "&file=" + winetest::UnixPath(scan);
    EXPECT_TRUE(CardControl(add)) << add;
  }
};

using winetest::AllExist;
bool AnyExists(const std::vector<std::string>& paths) { return !winetest::NoneExists(paths); }

class WirelessRoad : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Auto-save on into a folder of the work area, and a calibration that moves and squeezes the scan.
    winetest::ResetStore();
    s_road = new Road;
    s_road->exe = Env("ZT_LUMBREL_EXE");
    const std::string checkerExe = Env("ZT_CHECKER_EXE");
    s_road->work = checkerExe.substr(0, checkerExe.find_last_of('\\') + 1);
    s_road->saves = s_road->work + "saves";
    CreateDirectoryA(s_road->saves.c_str(), nullptr);
    CAppSettings settings;
    s_settingsSaved = settings.SaveAllSettings(RoadSettings(false));
    s_road->downloads = settings.SdDownloadFolder();
  }

  static SettingsValues RoadSettings(bool collectHandout) {
    SettingsValues calibrated = winetest::SavingInto(s_road->saves);
    calibrated.widthZoom = kCalibration.widthZoom;
    calibrated.heightZoom = kCalibration.heightZoom;
    calibrated.x = kCalibration.x;
    calibrated.y = kCalibration.y;
    calibrated.lessonHandout = collectHandout ? 1 : 0;
    return calibrated;
  }

  static void TearDownTestSuite() {
    if (s_road->program.Runs()) TerminateProcess(s_road->program.process.Get(), 1);  // an earlier case failed
    delete s_road;
    s_road = nullptr;
    winetest::ResetStore();
  }

  void SetUp() override {
    ASSERT_FALSE(Env("ZT_CARD_URL").empty()) << "run through run_e2e.py";
    ASSERT_FALSE(s_road->exe.empty()) << "ZT_LUMBREL_EXE names the program";
    ASSERT_TRUE(s_settingsSaved);
    ASSERT_TRUE(s_road->installed.ok);
    ASSERT_TRUE(s_road->drawn.Shown());
  }

  static Road* s_road;
  static bool s_settingsSaved;
};

Road* WirelessRoad::s_road = nullptr;
bool WirelessRoad::s_settingsSaved = false;

TEST_F(WirelessRoad, TheWatchdogStartsTheInstalledCheckerWhenTheOneFoundDiesWithoutAnswering) {
  Road& r = *s_road;
  ASSERT_EQ(FindWindowA(sdchannel::kCheckerWindowClass, nullptr), nullptr);
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  const winetest::Program silent = winetest::Start(self, kSilentCheckerSwitch);
  ASSERT_TRUE(silent);
  ASSERT_TRUE(WaitFor([&] { return winetest::CheckerProcessId() == silent.id; }, 10000))
      << "the silent checker shows no window";
  const HWND silentWindow = FindWindowA(sdchannel::kCheckerWindowClass, nullptr);

  r.program = winetest::Start(r.exe);
  ASSERT_TRUE(r.program);

  // ZTLumbrel takes the window it finds for the checker and writes its registration into it.
  ASSERT_TRUE(WaitFor([&] { return WindowText(silentWindow).rfind("registered", 0) == 0; }, 20000))
      << "ZTLumbrel does not register with the checker it finds";
  const HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(WindowText(silentWindow), ExpectedRegistration(frame, r.downloads));
  // Without a board the start opens the settings dialog once; it stays open for the next case.
  ASSERT_TRUE(WaitFor([&] { return winetest::SettingsDialogOf(r.program.id) != nullptr; }, 20000))
      << "the start-up pass opens no settings dialog";
  // While the silent one lives, no second checker is started.
  winetest::Pump(500);
  EXPECT_EQ(winetest::CheckerProcessId(), silent.id);

  ASSERT_TRUE(TerminateProcess(silent.process.Get(), 1));
  ASSERT_EQ(WaitForSingleObject(silent.process.Get(), 5000), WAIT_OBJECT_0);
  const ULONGLONG killed = GetTickCount64();
  DWORD replacement = 0;
  const bool restarted = WaitFor(
      [&] {
        replacement = winetest::CheckerProcessId();
        return replacement != 0 && replacement != silent.id;
      },
      2000);
  std::printf("the silent checker killed to the installed checker's window: %llu ms\n",
              GetTickCount64() - killed);
  ASSERT_TRUE(restarted) << "the watchdog started no checker within 2 s";
  r.checker.Reset(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, replacement));
  ASSERT_TRUE(r.checker);
  EXPECT_EQ(lstrcmpiA(ImageOf(r.checker.Get()).c_str(),
                      (Env("PROGRAMFILES") + sdchannel::kCheckerRelativePath).c_str()),
            0)
      << ImageOf(r.checker.Get());

  // The card answers from now on; the checker's first pass learns the file already there, and
  // the next cases' scans come through this checker.
  ASSERT_TRUE(CardControl("root?mode=normal"));
  winetest::Pump(2500);
}

TEST_F(WirelessRoad, AScanArrivingWhileTheFolderBrowserIsOpenWaitsAndIsThenShownAndSavedByHand) {
  Road& r = *s_road;
  ASSERT_TRUE(r.program.Runs());
  ASSERT_TRUE(r.checker) << "needs the checker of the first case";
  const HWND dialog = winetest::SettingsDialogOf(r.program.id);
  ASSERT_NE(dialog, nullptr) << "the start-up settings dialog has gone";
  const HWND save = GetDlgItem(dialog, IDC_SAVE_NOW);
  ASSERT_NE(save, nullptr);
  // The calibration hint came up with the dialog; the user closes it, and the screenshot then
  // shows the drawn window where the hint was.
  HWND hint = nullptr;
  EXPECT_TRUE(
      WaitFor([&] { return (hint = winetest::DialogOf(r.program.id, IDC_CALIB_TEXT)) != nullptr; }, 5000))
      << "no calibration hint with the settings dialog";
  if (hint) {
    PostMessageA(hint, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(hint) || !IsWindowVisible(hint); }, 5000));
  }

  // The folder browser makes the dialog busy.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_BROWSE)));
  HWND browser = nullptr;
  ASSERT_TRUE(
      WaitFor([&] { return (browser = winetest::DialogOwnedBy(r.program.id, dialog)) != nullptr; }, 10000))
      << "no folder browser";

  const std::string name = "05011105.JPG";
  const std::vector<std::string> outputs = r.Outputs(name);
  r.PutScanOnCard(name, 5);
  ASSERT_TRUE(WaitFor([&] { return winetest::Exists(r.downloads + name); }, 15000))
      << "the checker delivered nothing";
  // Delivered, the scan waits: no preview, nothing written, for as long as the browser is open.
  EXPECT_FALSE(WaitFor([&] { return IsWindowEnabled(save) || AnyExists(outputs); }, 3000))
      << "the scan was taken while the dialog was busy";
  ASSERT_TRUE(IsWindow(browser));

  PostMessageA(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(browser); }, 5000)) << "the browser does not close";
  const ULONGLONG closed = GetTickCount64();
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(save) != FALSE; }, 3000))
      << "the waiting scan is not shown once the browser has closed";
  std::printf("browser closed to the waiting scan shown: %llu ms\n", GetTickCount64() - closed);
  EXPECT_FALSE(AnyExists(outputs)) << "an open dialog shows the scan, it does not save it";

  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SAVE_NOW, BN_CLICKED), reinterpret_cast<LPARAM>(save));
  ASSERT_TRUE(WaitFor([&] { return AllExist(outputs); }, 15000)) << "Save wrote no three files";
  winetest::Pump(500);  // the files are complete
  ExpectInkWhereCalibrated(outputs[0]);

  // Saved: OK closes without a question.
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000)) << "OK leaves the dialog open";
}

TEST_F(WirelessRoad, ScansOnTheCardBecomeThreeFilesWithTheInkWhereTheCalibrationPutsIt) {
  Road& r = *s_road;
  ASSERT_TRUE(r.program.Runs());
  ASSERT_TRUE(r.checker) << "needs the checker of the first case";
  ASSERT_EQ(winetest::SettingsDialogOf(r.program.id), nullptr);
  // These three overlays, in a lesson of their own, are the pages of its handout (run_e2e.py
  // checks it).
  ASSERT_TRUE(CAppSettings().SaveAllSettings(RoadSettings(true)));
  PostMessageA(FindWindowA(kFrameClassName, nullptr), WM_COMMAND, ID_TRAY_NEW_LESSON, 0);

  std::vector<ULONGLONG> times;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "0501110" + std::to_string(i) + ".JPG";
    const std::vector<std::string> outputs = r.Outputs(name);
    const ULONGLONG arrival = GetTickCount64();
    r.PutScanOnCard(name, 10 + i);
    ASSERT_TRUE(WaitFor([&] { return AllExist(outputs); }, 30000)) << name << " did not become three files";
    times.push_back(GetTickCount64() - arrival);
    std::printf("%s: on the card to the last of the three files: %llu ms\n", name.c_str(), times.back());
    winetest::Pump(500);  // the files are complete
    EXPECT_TRUE(winetest::Near(winetest::FileColourAt(outputs[1], 240, 190), kDrawnColour))
        << "the screenshot lacks the window";
    ExpectInkWhereCalibrated(outputs[0]);
  }
  std::sort(times.begin(), times.end());
  std::printf("median, on the card to the last file: %llu ms\n", times[times.size() / 2]);
}

TEST_F(WirelessRoad, TheExitCommandUnregistersTheCheckerEndsAndTheDownloadsAreGone) {
  Road& r = *s_road;
  ASSERT_TRUE(r.program.Runs());
  ASSERT_TRUE(r.checker) << "needs the checker of the first case";
  const HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(winetest::FolderIsEmpty(r.downloads)) << "the delivered scans are kept while the program runs";
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(r.program.process.Get(), 15000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(r.checker.Get(), 10000), WAIT_OBJECT_0)
      << "the checker outlives its last client";
  EXPECT_TRUE(winetest::FolderIsEmpty(r.downloads)) << r.downloads;
}

}  // namespace
}  // namespace zt::shell

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], zt::shell::kSilentCheckerSwitch) == 0)
    return zt::shell::RunSilentChecker();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

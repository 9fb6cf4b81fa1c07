// The wireless road with the real programs under Wine: ZTLumbrel.exe from its build folder (with
// its language files, help and image-file library), ZTChkSDWiFi.exe installed below
// %PROGRAMFILES%, a simulated card on 127.0.0.1 (run_e2e.py starts it and writes sdwifi.ini), and
// a coloured window on the virtual screen. A whiteboard scan put on the card must come out as the
// three files in the save folder; at exit the checker ends and the download folder is empty.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/app/application.h"
#include "common/app/handles.h"
#include "common/sd_channel.h"
#include "cvimgfileio/cvimgfileio.h"
#include "installed_checker.h"
#include "jpeg_scan.h"
#include "overlay/shell/app_settings.h"
#include "overlay/shell/main_frame.h"
#include "overlay/shell/resource.h"
#include "road_support.h"
#include "shell_wine_fixture.h"

namespace zt::shell {
namespace {

using e2e::CardControl;
using e2e::Env;

using road::WaitFor;

// The window drawn on the screen before the scans arrive: its colour must be in the screenshots.
constexpr COLORREF kDrawnColour = RGB(30, 120, 200);
constexpr RECT kDrawnRect{40, 40, 440, 340};

TEST(WirelessRoad, ScansOnTheCardBecomeThreeFilesAndTheCheckerEndsWithTheProgram) {
  ASSERT_FALSE(Env("ZT_CARD_URL").empty()) << "run through run_e2e.py";
  const std::string exe = Env("ZT_LUMBREL_EXE");
  ASSERT_FALSE(exe.empty()) << "ZT_LUMBREL_EXE names the program";
  const std::string checkerExe = Env("ZT_CHECKER_EXE");
  const std::string work = checkerExe.substr(0, checkerExe.find_last_of('\\') + 1);

  // Auto-save on, into a folder of the work area.
  test::ResetStore();
  const std::string saves = work + "saves";
  CreateDirectoryA(saves.c_str(), nullptr);
  std::string downloads;
  {
    CAppSettings settings;
    ASSERT_TRUE(settings.SaveAllSettings(saves.c_str(), 1, 0, 100, 100, 0, 0));
    downloads = settings.SdDownloadFolder();
  }
  e2e::InstalledChecker installed;
  ASSERT_TRUE(installed.ok);
  ASSERT_EQ(FindWindowA(sdchannel::kCheckerWindowClass, nullptr), nullptr);
  road::DrawnWindow drawn(kDrawnColour, kDrawnRect);
  ASSERT_TRUE(drawn.Shown());
  app::PumpUntil([] { return false; }, 300);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + exe + "\"";
  ASSERT_TRUE(
      CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  app::UniqueHandle program(pi.hProcess), programThread(pi.hThread);

  // Without a board the start opens the settings dialog once; the user closes it.
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = road::SettingsDialogOf(pi.dwProcessId)) != nullptr; }, 20000))
      << "the start-up pass opens no settings dialog";
  PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000));

  // The frame has started the installed checker and registered with it.
  ASSERT_TRUE(WaitFor([] { return road::CheckerProcessId() != 0; }, 10000)) << "no checker started";
  app::UniqueHandle checker(OpenProcess(SYNCHRONIZE, FALSE, road::CheckerProcessId()));
  ASSERT_TRUE(checker);
  // The card answers from now on; the checker's first pass learns the file already there.
  CardControl("root?mode=normal");
  app::PumpUntil([] { return false; }, 2500);

  std::vector<ULONGLONG> times;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "0501110" + std::to_string(i) + ".JPG";
    const std::string stem = name.substr(0, 8);
    const std::string scan = work + name;
    // A portrait whiteboard scan: near-white with two dark strokes.
    ASSERT_EQ(test::WriteJpegScan(scan, 600, 800, 0xF4, {{280, 100, 292, 700}, {100, 390, 500, 402}}),
              IMGFILE_OK);
    const std::string outputs[] = {saves + "\\" + stem + "_Overlaid.JPG",
                                   saves + "\\Original\\" + stem + "_Screenshot.JPG",
                                   saves + "\\Original\\" + name};
    const ULONGLONG arrival = GetTickCount64();
    CardControl("add?folder=DCIM&name=" + name + "&minute=" + std::to_string(10 + i) +
                "&file=" + road::UnixPath(scan));
    const bool all = WaitFor(
        [&] {
          return std::all_of(std::begin(outputs), std::end(outputs),
                             [](const std::string& p) { return road::Exists(p); });
        },
        30000);
    ASSERT_TRUE(all) << name << " did not become three files";
    times.push_back(GetTickCount64() - arrival);
    std::printf("%s: on the card to the last of the three files: %llu ms\n", name.c_str(), times.back());
    EXPECT_EQ(road::SettingsDialogOf(pi.dwProcessId), nullptr) << "auto-save shows no dialog";
    app::PumpUntil([] { return false; }, 500);  // the files are complete
    EXPECT_TRUE(road::Near(road::FileColourAt(outputs[1], 240, 190), kDrawnColour))
        << "the screenshot lacks the window";
  }
  std::sort(times.begin(), times.end());
  std::printf("median, on the card to the last file: %llu ms\n", times[times.size() / 2]);

  // Exit from the tray menu: the program unregisters, the checker ends, the downloads are gone.
  HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(road::Exists(downloads + "05011102.JPG"));
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(program.Get(), 15000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(checker.Get(), 10000), WAIT_OBJECT_0);
  EXPECT_TRUE(road::FolderIsEmpty(downloads)) << downloads;
  test::ResetStore();
}

}  // namespace
}  // namespace zt::shell

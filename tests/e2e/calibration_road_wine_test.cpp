// Calibration from one scan on the wireless road, with the real programs under Wine and two
// screens side by side (a 1920x1080 primary screen, a 1024x768 "projector" to its right): the
// projector is the chosen display; the settings dialog's button puts the targets on it; a scan
// of marks drawn on the targets arrives through the simulated card and fills the dialog's values
// without being saved; after OK, the next scan's ink lands on the targets in a screenshot of the
// projector.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/win32/gdi_handles.h"
#include "cvimgfileio/cvimgfileio.h"
#include "overlay/engine/calibration/calibration_targets.h"
#include "overlay/engine/capture/displays.h"
#include "overlay/shell/dialogs/win32/calibration_pattern.h"
#include "overlay/shell/frame/win32/frame_class.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/win32/app_settings.h"
#include "tests/support/jpeg_scan.h"
#include "tests/support/lumbrel_look.h"
#include "tests/support/png_file.h"
#include "tests/support/shell_wine_fixture.h"
#include "tests/support/simulated_card.h"

namespace zt::shell {
namespace {

using winetest::CardControl;
using winetest::Env;
using winetest::WaitFor;

constexpr COLORREF kLaptopColour = RGB(30, 140, 60);
constexpr COLORREF kProjectorColour = RGB(220, 90, 10);

// The scans are 600 x 800 portraits, 800 x 600 once turned. The marks lie where these values put
// the targets of the projector's 1024 x 768 screen.
constexpr int kScanWidth = 600, kScanHeight = 800;
constexpr int kWidthZoom = 110, kHeightZoom = 95, kX = 40, kY = -20;
constexpr int kMarkHalf = 7;  // a 15 x 15 dot
constexpr int kProjectorWidth = 1024, kProjectorHeight = 768;

// A dot on each target, in the stored portrait's bottom-up rows; the turned pixel (u, v) is the
// stored pixel (width - 1 - v, u) counted from the top.
std::vector<winetest::InkRect> MarksOnTargets() {
  const int turnedHeight = kScanWidth;
  const double across = kWidthZoom * kProjectorHeight / (turnedHeight * 100.0);
  const double down = kHeightZoom * kProjectorHeight / (turnedHeight * 100.0);
  std::vector<winetest::InkRect> marks;
  for (const TargetPoint& t : CalibrationTargets(kProjectorWidth, kProjectorHeight)) {
    const int u = static_cast<int>(std::lround((t.x - kX) / across));
    const int v = static_cast<int>(std::lround((t.y - kY) / down));
    const int x = kScanWidth - 1 - v, y = kScanHeight - 1 - u;
    marks.push_back({x - kMarkHalf, y - kMarkHalf, x + kMarkHalf + 1, y + kMarkHalf + 1});
  }
  return marks;
}

int EditNumber(HWND dialog, int id) {
  char text[32] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return std::atoi(text);
}

// The window's client area as the screen shows it, as a PNG for a person to look at.
bool KeepPicture(HWND window, const std::string& path) {
  RECT r{};
  GetClientRect(window, &r);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int width = r.right - r.left, height = r.bottom - r.top;
  std::vector<unsigned> pixels(static_cast<size_t>(width) * height);
  bool read = false;
  {
    const app::WindowDc screen(nullptr);
    const app::UniqueDc memory(CreateCompatibleDC(screen.Get()));
    const app::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    {
      const app::SelectGuard selected(memory.Get(), bitmap.Get());
      BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY);
    }
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    read = GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS) == height;
  }
  for (unsigned& p : pixels) p &= 0xFFFFFF;
  return read && winetest::WritePng(width, height, pixels, path);
}

COLORREF PixelAt(const winetest::Picture& picture, int x, int y) {
  const unsigned p = picture.pixels[static_cast<size_t>(y) * picture.width + x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

bool IsInk(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }

TEST(CalibrationRoad, AScanOfTheTargetsCalibratesTheProjectorAndTheNextScanLandsOnThem) {
  ASSERT_FALSE(Env("ZT_CARD_URL").empty()) << "run through run_e2e.py";
  const std::vector<DisplayInfo> displays = ListDisplays();
  ASSERT_EQ(displays.size(), 2u) << "run with two screens";
  const DisplayInfo& projector = displays[1];
  ASSERT_EQ(projector.Width(), kProjectorWidth);

  // Auto-save into the work area, the projector chosen, nothing calibrated yet.
  winetest::ResetStore();
  const std::string checkerExe = Env("ZT_CHECKER_EXE");
  const std::string work = checkerExe.substr(0, checkerExe.find_last_of('\\') + 1);
  const std::string saves = work + "saves";
  CreateDirectoryA(saves.c_str(), nullptr);
  std::string downloads;
  {
    CAppSettings settings;
    SettingsValues values = winetest::SavingInto(saves);
    values.captureDisplay = projector.identity;
    values.captureDisplayName = projector.name;
    ASSERT_TRUE(settings.SaveAllSettings(values));
    downloads = settings.SdDownloadFolder();
  }
  const winetest::InstalledChecker installed;
  ASSERT_TRUE(installed.ok);
  const winetest::DrawnWindow laptop(kLaptopColour, RECT{40, 40, 840, 600});
  const winetest::DrawnWindow slide(kProjectorColour, RECT{1920, 0, 2944, 768}, false);
  ASSERT_TRUE(laptop.Shown() && slide.Shown());

  winetest::Program program = winetest::Start(Env("ZT_LUMBREL_EXE"));
  ASSERT_TRUE(program);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = winetest::SettingsDialogOf(program.id)) != nullptr; }, 20000))
      << "the start-up pass opens no settings dialog";
  ASSERT_TRUE(WaitFor([&] { return winetest::CheckerProcessId() != 0; }, 20000)) << "no checker started";
  ASSERT_TRUE(CardControl("root?mode=normal"));
  winetest::Pump(2500);  // the checker's first pass learns the files already on the card
  EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_GETCURSEL, 0, 0), 2)
      << "the projector is chosen";

  // The button puts the targets on the projector.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CALIBRATE_SCAN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CALIBRATE_SCAN)));
  HWND targets = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] { return (targets = FindWindowA(kCalibrationPatternClass, nullptr)) && IsWindowVisible(targets); },
      10000))
      << "no targets shown";
  RECT placed{};
  GetWindowRect(targets, &placed);
  EXPECT_EQ(placed.left, projector.left);
  EXPECT_EQ(placed.right, projector.right);
  EXPECT_EQ(placed.bottom, projector.bottom);
  // The targets on the projector's screen as a scan's screenshot will take them.
  const ULONGLONG shown = GetTickCount64();
  const TargetPoint centre = CalibrationTargets(kProjectorWidth, kProjectorHeight)[2];
  ASSERT_TRUE(WaitFor(
      [&] {
        const app::WindowDc screen(nullptr);
        const COLORREF c =
            GetPixel(screen.Get(), projector.left + static_cast<int>(centre.x), static_cast<int>(centre.y));
        return GetRValue(c) > 150 && GetGValue(c) < 80 && GetBValue(c) < 80;
      },
      15000))
      << "the targets do not reach the projector's screen";
  std::printf("targets shown to the targets on the screen: %llu ms\n", GetTickCount64() - shown);

  // The marks' scan arrives through the card: the values fill the dialog, nothing is saved.
  const std::string calibrationName = "12091930.JPG";
  ASSERT_EQ(winetest::WriteJpegScan(work + calibrationName, kScanWidth, kScanHeight, 0xF4, MarksOnTargets()),
            IMGFILE_OK);
  ASSERT_TRUE(CardControl("add?folder=DCIM&name=" + calibrationName +
                          "&minute=30&file=" + winetest::UnixPath(work + calibrationName)));
  ASSERT_TRUE(WaitFor([&] { return EditNumber(dialog, IDC_WIDTH_ZOOM) != 100; }, 30000))
      << "the calibration scan filled no values";
  winetest::Pump(500);
  EXPECT_FALSE(IsWindow(targets)) << "the targets outlive the calibration scan";
  EXPECT_NEAR(EditNumber(dialog, IDC_WIDTH_ZOOM), kWidthZoom, 1);
  EXPECT_NEAR(EditNumber(dialog, IDC_HEIGHT_ZOOM), kHeightZoom, 1);
  EXPECT_NEAR(EditNumber(dialog, IDC_X_OFFSET), kX, 3);
  EXPECT_NEAR(EditNumber(dialog, IDC_Y_OFFSET), kY, 3);
  EXPECT_TRUE(winetest::NoneExists(winetest::ScanOutputs(saves, calibrationName)))
      << "a calibration scan is no overlay";
  EXPECT_TRUE(KeepPicture(dialog, std::string(ZT_ARTIFACT_DIR) + "/calibrated_dialog.png"));

  // OK stores them, without a question: nothing on show waits to be saved.
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000)) << "OK leaves the dialog open";
  {
    CAppSettings settings;
    SettingsValues stored;
    ASSERT_TRUE(settings.ReadRegistrySettings(stored));
    EXPECT_NEAR(stored.widthZoom, kWidthZoom, 1);
    EXPECT_EQ(stored.captureDisplay, projector.identity);
  }

  // The next scan, ink on the same spots of the board: its overlay has the projector's size and
  // the ink on the targets, the slide around them.
  const std::string name = "12091931.JPG";
  const std::vector<std::string> outputs = winetest::ScanOutputs(saves, name);
  ASSERT_EQ(winetest::WriteJpegScan(work + name, kScanWidth, kScanHeight, 0xF4, MarksOnTargets()),
            IMGFILE_OK);
  ASSERT_TRUE(
      CardControl("add?folder=DCIM&name=" + name + "&minute=31&file=" + winetest::UnixPath(work + name)));
  ASSERT_TRUE(WaitFor([&] { return winetest::AllExist(outputs); }, 30000))
      << name << " did not become three files";
  winetest::Pump(500);
  const winetest::Picture overlay = winetest::LoadPicture(outputs[0]);
  ASSERT_TRUE(overlay.Loaded());
  EXPECT_EQ(overlay.width, kProjectorWidth);
  EXPECT_EQ(overlay.height, kProjectorHeight);
  for (const TargetPoint& t : CalibrationTargets(kProjectorWidth, kProjectorHeight)) {
    const int x = static_cast<int>(t.x), y = static_cast<int>(t.y);
    EXPECT_TRUE(IsInk(PixelAt(overlay, x, y))) << "no ink on the target at " << x << "," << y;
    EXPECT_TRUE(winetest::Near(PixelAt(overlay, x + 30, y), kProjectorColour, 40))
        << "beside " << x << "," << y;
  }
  const winetest::Picture screenshot = winetest::LoadPicture(outputs[1]);
  ASSERT_TRUE(screenshot.Loaded());
  EXPECT_EQ(screenshot.width, kProjectorWidth);
  EXPECT_TRUE(winetest::Near(PixelAt(screenshot, 500, 300), kProjectorColour, 40))
      << "not the projector's screen";

  const HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(program.process.Get(), 15000), WAIT_OBJECT_0);
  winetest::ResetStore();
}

}  // namespace
}  // namespace zt::shell

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

// An overlay of the projector's size with the ink on each target and the slide around it.
void ExpectInkOnTheTargets(const std::string& overlaid) {
  const winetest::Picture overlay = winetest::LoadPicture(overlaid);
  ASSERT_TRUE(overlay.Loaded()) << overlaid;
  EXPECT_EQ(overlay.width, kProjectorWidth);
  EXPECT_EQ(overlay.height, kProjectorHeight);
  for (const TargetPoint& t : CalibrationTargets(kProjectorWidth, kProjectorHeight)) {
    const int x = static_cast<int>(t.x), y = static_cast<int>(t.y);
    EXPECT_TRUE(IsInk(PixelAt(overlay, x, y))) << "no ink on the target at " << x << "," << y;
    EXPECT_TRUE(winetest::Near(PixelAt(overlay, x + 30, y), kProjectorColour, 40))
        << "beside " << x << "," << y;
  }
}

// Whether the screen shows the targets' red at (x, y).
bool ScreenIsTargetRed(int x, int y) {
  const app::WindowDc screen(nullptr);
  const COLORREF c = GetPixel(screen.Get(), x, y);
  return GetRValue(c) > 150 && GetGValue(c) < 80 && GetBValue(c) < 80;
}

// ZTLumbrel started with auto-save into the work area, the projector chosen and nothing calibrated
// yet; the checker installed and a slide on each screen.
class CalibrationRoad : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env("ZT_CARD_URL").empty()) << "run through run_e2e.py";
    const std::vector<DisplayInfo> displays = ListDisplays();
    ASSERT_EQ(displays.size(), 2u) << "run with two screens";
    projector = displays[1];
    ASSERT_EQ(projector.Width(), kProjectorWidth);
    winetest::ResetStore();
    CreateDirectoryA(saves.c_str(), nullptr);
    SettingsValues values = winetest::SavingInto(saves);
    values.captureDisplay = projector.identity;
    values.captureDisplayName = projector.name;
    ASSERT_TRUE(CAppSettings().SaveAllSettings(values));
    ASSERT_TRUE(installed.ok);
    ASSERT_TRUE(laptop.Shown() && slide.Shown());
    program = winetest::Start(Env("ZT_LUMBREL_EXE"));
    ASSERT_TRUE(program);
    ASSERT_TRUE(WaitFor([&] { return (dialog = winetest::SettingsDialogOf(program.id)) != nullptr; }, 20000))
        << "the start-up pass opens no settings dialog";
    ASSERT_TRUE(WaitFor([&] { return winetest::CheckerProcessId() != 0; }, 20000)) << "no checker started";
  }
  void TearDown() override {
    if (program.Runs()) TerminateProcess(program.process.Get(), 1);
    winetest::ResetStore();
  }

  // Writes a scan with a mark on each target and puts it on the card, newer than every file before.
  void PutMarksOnCard(const std::string& name, int minute) const {
    ASSERT_EQ(winetest::WriteJpegScan(work + name, kScanWidth, kScanHeight, 0xF4, MarksOnTargets()),
              IMGFILE_OK);
    EXPECT_TRUE(CardControl("add?folder=DCIM&name=" + name + "&minute=" + std::to_string(minute) +
                            "&file=" + winetest::UnixPath(work + name)));
  }

  const std::string checkerExe = Env("ZT_CHECKER_EXE");
  const std::string work = checkerExe.substr(0, checkerExe.find_last_of('\\') + 1);
  const std::string saves = work + "saves";
  DisplayInfo projector;
  const winetest::InstalledChecker installed;
  const winetest::DrawnWindow laptop{kLaptopColour, RECT{40, 40, 840, 600}};
  const winetest::DrawnWindow slide{kProjectorColour, RECT{1920, 0, 2944, 768}, false};
  winetest::Program program;
  HWND dialog = nullptr;
};

// Where the targets go, the fit, and the values it gives the dialog and the store are the display
// choice, calibration and pipeline tests' to rule; the road shows them wired together.
TEST_F(CalibrationRoad, AScanOfTheTargetsCalibratesTheProjectorAndTheNextScanLandsOnThem) {
  ASSERT_TRUE(CardControl("root?mode=normal"));
  winetest::Pump(2500);  // the checker's first pass learns the files already on the card

  // The button puts the targets on the projector, and on its screen as a scan's screenshot takes it.
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_CALIBRATE_SCAN, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CALIBRATE_SCAN)));
  ASSERT_TRUE(WaitFor([] { return IsWindowVisible(FindWindowA(kCalibrationPatternClass, nullptr)); }, 10000))
      << "no targets shown";
  const ULONGLONG shown = GetTickCount64();
  const TargetPoint centre = CalibrationTargets(kProjectorWidth, kProjectorHeight)[2];
  const int x = projector.left + static_cast<int>(centre.x), y = static_cast<int>(centre.y);
  ASSERT_TRUE(WaitFor([&] { return ScreenIsTargetRed(x, y); }, 15000))
      << "the targets do not reach the projector's screen";
  std::printf("targets shown to the targets on the screen: %llu ms\n", GetTickCount64() - shown);

  // The marks' scan arrives through the card and fills the dialog's values; OK stores them
  // without a question, as nothing on show waits to be saved.
  PutMarksOnCard("12091930.JPG", 30);
  ASSERT_TRUE(WaitFor([&] { return EditNumber(dialog, IDC_WIDTH_ZOOM) != 100; }, 30000))
      << "the calibration scan filled no values";
  winetest::Pump(500);
  EXPECT_TRUE(KeepPicture(dialog, std::string(ZT_ARTIFACT_DIR) + "/calibrated_dialog.png"));
  PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog); }, 5000)) << "OK leaves the dialog open";

  // The next scan, ink on the same spots of the board: it lands on the targets.
  const std::vector<std::string> outputs = winetest::ScanOutputs(saves, "12091931.JPG");
  PutMarksOnCard("12091931.JPG", 31);
  ASSERT_TRUE(WaitFor([&] { return winetest::AllExist(outputs); }, 30000))
      << "12091931.JPG did not become three files";
  winetest::Pump(500);
  ExpectInkOnTheTargets(outputs[0]);

  const HWND frame = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(frame, nullptr);
  PostMessageA(frame, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(program.process.Get(), 15000), WAIT_OBJECT_0);
}

}  // namespace
}  // namespace zt::shell

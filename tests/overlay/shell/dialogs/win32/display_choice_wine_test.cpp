// The display choice and the calibration targets with two screens side by side (a 1920x1080
// primary screen and a 1024x768 one to its right), as a user meets them.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "overlay/engine/calibration/calibration_targets.h"
#include "overlay/engine/capture/displays.h"
#include "overlay/engine/capture/screen_capture.h"
#include "overlay/shell/dialogs/win32/calibration_pattern.h"
#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/caption_keys.h"
#include "tests/support/drawn_window.h"
#include "tests/support/registry_look.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

using namespace winetest;

std::vector<std::string> ListEntries(HWND dialog) {
  std::vector<std::string> entries;
  const int count = static_cast<int>(SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = {};
    SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    entries.push_back(text);
  }
  return entries;
}

int Chosen(HWND dialog) {
  return static_cast<int>(SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_GETCURSEL, 0, 0));
}

// As the user's choice in the list arrives: the selection, then the notification.
void Choose(HWND dialog, int entry) {
  SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_SETCURSEL, entry, 0);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_DISPLAY_CHOICE, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_DISPLAY_CHOICE)));
}

class DisplayChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    displays = ListDisplays();
    ASSERT_EQ(displays.size(), 2u) << "run with two screens";
  }
  void TearDown() override { ResetStore(); }

  Recorder recorder;
  CAppSettings settings{recorder.Sink(), ExeFolder().c_str()};
  TestFrame frame;
  std::vector<DisplayInfo> displays;
};

TEST_F(DisplayChoiceTest, EachDisplayIsListedAndKeepsItsOwnValues) {
  CSettingsDlg dlg(settings, frame.Hwnd(), DialogImages{}, true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    const std::vector<std::string> entries = ListEntries(d);
    ASSERT_EQ(entries.size(), 3u);
    // The primary screen's choice and the display that is primary now are told apart.
    EXPECT_EQ(entries[0], "Primary screen (whichever display is primary)");
    EXPECT_EQ(entries[1], displays[0].name + " - 1920 x 1080 (primary now)");
    EXPECT_EQ(entries[2], displays[1].name + " - 1024 x 768");
    EXPECT_EQ(Chosen(d), 0);
    EXPECT_EQ(Text(d, IDC_DISPLAY_LABEL), "Display:");
    EXPECT_EQ(Text(d, IDC_CALIBRATE_SCAN), "Calibrate from a scan...");

    SetDlgItemTextA(d, IDC_WIDTH_ZOOM, "150");
    Choose(d, 2);  // nothing stored for it yet: the values on show stay
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "150");
    SetDlgItemTextA(d, IDC_X_OFFSET, "-40");
    SetDlgItemTextA(d, IDC_HEIGHT_ZOOM, "80");
    Choose(d, 0);
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "0");
    EXPECT_EQ(Text(d, IDC_HEIGHT_ZOOM), "100");
    Choose(d, 2);
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "-40");
    EXPECT_EQ(Text(d, IDC_HEIGHT_ZOOM), "80");
    SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  // The key's five values are the chosen display's; the primary screen keeps its own record.
  SettingsValues stored;
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.captureDisplay, displays[1].identity);
  EXPECT_EQ(stored.captureDisplayName, displays[1].name);
  EXPECT_EQ(stored.widthZoom, 150);
  EXPECT_EQ(stored.heightZoom, 80);
  EXPECT_EQ(stored.x, -40);
  EXPECT_EQ(settings.ReadDisplayCalibration(""), (DisplayCalibration{0, 150, 100, 0, 0}));

  // Opened again, the dialog shows the stored choice, and the primary screen brings back its values.
  CSettingsDlg again(settings, frame.Hwnd(), DialogImages{}, true);
  RunModal(again, frame.Hwnd(), [&](HWND d) {
    EXPECT_EQ(Chosen(d), 2);
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "-40");
    Choose(d, 0);
    EXPECT_EQ(Text(d, IDC_HEIGHT_ZOOM), "100");
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "150");
    SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0);  // nothing on show to lose: no question
  });
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.captureDisplay, displays[1].identity);
}

TEST_F(DisplayChoiceTest, AStoredDisplayThatIsNotAttachedIsShownAsSuchAndKept) {
  SettingsValues values = SavingInto("C:\\Scans");
  values.captureDisplay = "\\\\?\\DISPLAY#Unplugged#0009&0000#{e6f07b5f}";
  values.captureDisplayName = "Projector 9";
  values.widthZoom = 70;
  ASSERT_TRUE(settings.SaveAllSettings(values));
  CSettingsDlg dlg(settings, frame.Hwnd(), DialogImages{}, true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    const std::vector<std::string> entries = ListEntries(d);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[3], "Projector 9 (not connected)");
    EXPECT_EQ(Chosen(d), 3);
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "70");
    SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  SettingsValues stored;
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.captureDisplay, values.captureDisplay);
  EXPECT_TRUE(recorder.messages.empty());
}

TEST_F(DisplayChoiceTest, TheCalibrateButtonAsksTheFrameForTheTargets) {
  CSettingsDlg dlg(settings, frame.Hwnd(), DialogImages{}, true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    Choose(d, 2);
    SendMessageA(GetDlgItem(d, IDC_CALIBRATE_SCAN), BM_CLICK, 0, 0);
    EXPECT_EQ(frame.Count(UM_CALIBRATEFROMSCAN), 1);
    EXPECT_EQ(dlg.ChosenDisplay(), displays[1].identity);
    // Another display chosen while the targets are up: they go, so that no display is calibrated
    // from targets shown on another.
    const int endsBefore = frame.Count(UM_ENDCALIBRATION);
    Choose(d, 0);
    EXPECT_EQ(frame.Count(UM_ENDCALIBRATION), endsBefore + 1);
    Choose(d, 2);
    // Values from a calibration scan count as the user's unsaved work.
    dlg.ApplyCalibration(64, 72, -120, 35);
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "64");
    EXPECT_EQ(Text(d, IDC_Y_OFFSET), "35");
    AnswerNextBox(d, IDYES);
    SendMessageA(GetDlgItem(d, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(LastBoxText(),
              "Your changes have not been saved.\nDiscard them and close the settings window?");
  });
  SettingsValues stored;
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.widthZoom, 100);  // cancelled: nothing stored, not even the displays looked at
  EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kKeyPath, "CaptureDisplay"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::string(kKeyPath) + "\\Displays"));
}

// Whether the screen pixel under p is the targets' red.
bool IsTargetRed(const DibBlock& screen, int x, int y) {
  const std::uint8_t* pixel = screen.TopDownRow(y) + 3 * x;
  return pixel[2] > 150 && pixel[1] < 80 && pixel[0] < 80;
}

TEST_F(DisplayChoiceTest, TheTargetsCoverTheChosenDisplayAndEscLeavesThem) {
  // A slide shown on the projector before: the targets come in front of it.
  const DrawnWindow slide(RGB(128, 128, 128),
                          RECT{displays[1].left, displays[1].top, displays[1].right, displays[1].bottom},
                          false);
  PumpAsDialogLoop(300);
  LOGFONTA font = settings.DialogFont();
  // The instruction the user reads, whole: the picture kept below shows that it fits.
  CCalibrationPattern pattern(frame.Hwnd(), settings.CaptionText(caption::kMesCalibPattern), font);
  ASSERT_TRUE(pattern.Show(displays[1]));
  PumpAsDialogLoop(500);
  RECT placed{};
  GetWindowRect(pattern.Hwnd(), &placed);
  EXPECT_EQ(placed.left, 1920);
  EXPECT_EQ(placed.top, 0);
  EXPECT_EQ(placed.right - placed.left, 1024);
  EXPECT_EQ(placed.bottom - placed.top, 768);

  // What a scan's screenshot of that display holds: the targets where the fit expects them.
  DibPtr screen = CaptureChosenDisplay(displays[1].identity);
  ASSERT_TRUE(screen);
  ASSERT_EQ(screen->Width(), 1024);
  const std::vector<TargetPoint> targets = CalibrationTargets(1024, 768);
  ASSERT_EQ(targets.size(), 5u);
  for (const TargetPoint& t : targets)
    EXPECT_TRUE(IsTargetRed(*screen, static_cast<int>(t.x), static_cast<int>(t.y))) << t.x << "," << t.y;
  const std::uint8_t* ground = screen->TopDownRow(100) + 3 * 512;  // white, not the slide's grey
  EXPECT_TRUE(ground[0] > 240 && ground[1] > 240 && ground[2] > 240);
  Capture picture{screen->Width(), screen->Height(), {}};
  for (int y = 0; y < screen->Height(); ++y)
    for (int x = 0; x < screen->Width(); ++x) {
      const std::uint8_t* p = screen->TopDownRow(y) + 3 * x;
      picture.pixels.push_back((unsigned{p[2]} << 16) | (unsigned{p[1]} << 8) | p[0]);
    }
  EXPECT_TRUE(WritePng(picture, ZT_ARTIFACT_DIR "/calibration_pattern.png"));

  SendMessageA(pattern.Hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
  PumpAsDialogLoop(100);
  EXPECT_EQ(frame.Count(UM_ENDCALIBRATION), 1);
}

}  // namespace
}  // namespace zt::shell

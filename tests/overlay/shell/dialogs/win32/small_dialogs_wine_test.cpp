// The About window and the calibration hint: modeless, captions from the language file, closed
// by hiding, shown again as the same window.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "overlay/shell/dialogs/win32/about_dialog.h"
#include "overlay/shell/dialogs/win32/calibration_dialog.h"
#include "overlay/shell/resource.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

// The dialogs are driven with the Wine tests' helpers.
using namespace winetest;

class SmallDialogsTest : public ::testing::Test {
 protected:
  Recorder recorder;
  CAppSettings settings{recorder.Sink(), ExeFolder().c_str()};
  TestFrame frame;
};

TEST_F(SmallDialogsTest, AboutShowsVersionRightsAndLibraryNoticesAndComesBackAsOneWindow) {
  CAboutDlg about(settings);
  ASSERT_TRUE(about.CreateModeless(frame.Hwnd()));
  about.Show(true);
  PumpAsDialogLoop(100);
  const HWND d = about.Hwnd();
  EXPECT_EQ(WindowText(d), "About Zentab Lumbrel");
  EXPECT_EQ(Text(d, IDC_VERSION_TEXT), settings.CaptionText(caption::kMesVersionNum));
  EXPECT_EQ(Text(d, IDC_COPYRIGHT_TEXT), settings.CaptionText(caption::kMesCopyright));
  EXPECT_EQ(Text(d, IDOK), "OK");
  EXPECT_EQ(Text(d, IDC_IJG_NOTICE),
            "This software is based in part on the work of the Independent JPEG Group.");
  const std::string tiff = Text(d, IDC_LIBTIFF_NOTICE);
  EXPECT_EQ(tiff, kTiffNotice);
  EXPECT_EQ(
      tiff.rfind("Copyright (c) 1988-1997 Sam Leffler\r\nCopyright (c) 1991-1997 Silicon Graphics, Inc.\r\n",
                 0),
      0u);
  EXPECT_NE(tiff.find("Permission to use, copy, modify, distribute, and sell this software"),
            std::string::npos);
  EXPECT_NE(tiff.find("OF THIS SOFTWARE."), std::string::npos);
  // The template's two library labels stay as they are.
  EXPECT_NE(FindWindowExA(d, nullptr, "Static", "IJG Jpeg Library:"), nullptr);
  EXPECT_NE(FindWindowExA(d, nullptr, "Static", "LibTIFF:"), nullptr);
  // The template's icon static shows the program's icon.
  EXPECT_NE(SendMessageA(FindWindowExA(d, nullptr, "Static", nullptr), STM_GETICON, 0, 0), 0);

  SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_TRUE(IsWindow(d));
  SendMessageA(d, WM_CLOSE, 0, 0);  // the close box hides it too
  EXPECT_TRUE(IsWindow(d));
  about.Show(true);
  EXPECT_EQ(about.Hwnd(), d);
  EXPECT_TRUE(IsWindowVisible(d));
  about.Destroy();
  PumpAsDialogLoop(50);
  EXPECT_FALSE(IsWindow(d));
}

TEST_F(SmallDialogsTest, CalibrationHintShowsItsTextAndHidesOnClose) {
  CCalibrationDlg hint(settings);
  ASSERT_TRUE(hint.CreateModeless(frame.Hwnd()));
  hint.Show(true);
  PumpAsDialogLoop(100);
  const HWND d = hint.Hwnd();
  EXPECT_EQ(WindowText(d), "Calibration");
  EXPECT_EQ(WindowText(d), settings.CaptionText(caption::kCaptionCalib));
  // The key ends with a blank, as the language files spell it.
  EXPECT_FALSE(settings.CaptionText(caption::kMesCalib).empty());
  EXPECT_EQ(Text(d, IDC_CALIB_TEXT), settings.CaptionText(caption::kMesCalib));
  EXPECT_EQ(Text(d, IDOK), settings.CaptionText(caption::kClose));
  EXPECT_NE(SendDlgItemMessageA(d, IDC_CALIB_ICON, STM_GETICON, 0, 0), 0);
  SendMessageA(GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(d));
  EXPECT_TRUE(IsWindow(d));
}

}  // namespace
}  // namespace zt::shell

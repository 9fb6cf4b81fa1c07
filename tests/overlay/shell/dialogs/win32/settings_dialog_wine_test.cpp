// The settings dialog as a user meets it, on a virtual X screen: real windows, real messages,
// a stand-in frame, the shipped English captions and a private settings store.
#include <gtest/gtest.h>

#include "dialog_driver.h"
#include "overlay/shell/dialogs/preview_geometry.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
#include "overlay/shell/dialogs/win32/settings_dialog_captions.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/resource.h"
#include "tests/support/registry_look.h"
#include "tests/support/shell_wine_fixture.h"

namespace zt::shell {
namespace {

// The dialogs are driven with the Wine tests' helpers.
using namespace winetest;

constexpr int kScreenW = 1920, kScreenH = 1080, kScanW = 1600, kScanH = 1200;

PixelRect ControlRect(HWND dialog, int id) {
  RECT r{};
  GetWindowRect(GetDlgItem(dialog, id), &r);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}

void SetText(HWND dialog, int id, const char* text) { SetDlgItemTextA(dialog, id, text); }
void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void Mouse(HWND dialog, UINT message, PixelPoint p) {
  SendMessageA(dialog, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(p.x, p.y));
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetStore();
    screenHalf = MakeScreenshot(kScreenW / 2, kScreenH / 2);
    scanHalf = MakeScan(kScanW / 2, kScanH / 2);
    scanMask = MakeMask(*scanHalf);
  }
  void TearDown() override { ResetStore(); }

  DialogImages Images() const {
    return {scanHalf.get(), screenHalf.get(), scanMask.get(), kScanW, kScanH, kScreenW, kScreenH};
  }
  // Where the geometry puts the scan for the values the dialog shows.
  ScanPlacement ExpectedScan(HWND dialog, CSettingsDlg& dlg, PreviewLayout& layout) const {
    layout = MakeLayout(ControlRect(dialog, IDC_PREVIEW_BOX), ControlRect(dialog, IDC_PREVIEW_CLIP),
                        screenHalf->Width(), screenHalf->Height(), kSizes);
    const SettingsValues v = dlg.CurrentValues();
    return PlaceScan(layout, PreviewOffset(layout, kSizes, v.x, v.y), v.widthZoom, v.heightZoom,
                     scanHalf->Width(), scanHalf->Height());
  }

  const FullSizes kSizes{kScreenW, kScreenH, kScanW, kScanH};
  Recorder recorder;
  CAppSettings settings{recorder.Sink(), ExeFolder().c_str()};
  TestFrame frame;
  DibPtr screenHalf, scanHalf, scanMask;
};

TEST_F(SettingsDialogTest, ShowsTheLanguageFilesCaptionsAndTheStoredValues) {
  WritePrivateProfileStringA("Settings", "LessonHandout", "1", settings.SettingsFilePath());
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    EXPECT_TRUE(dlg.Initialised());
    EXPECT_FALSE(dlg.InModalStep());
    EXPECT_EQ(WindowText(d), "Zentab Lumbrel");
    for (const ControlCaption& control : kSettingsDialogCaptions) {
      const std::string text = settings.CaptionText(control.caption);
      EXPECT_FALSE(text.empty()) << control.caption.key;
      EXPECT_EQ(Text(d, control.id), text) << control.caption.key;
    }
    EXPECT_EQ(settings.CaptionText(caption::kSaveFile), "Save now");  // the English file, not a template text
    // The stored defaults, and Save enabled now that a preview exists.
    EXPECT_EQ(Text(d, IDC_SAVE_FOLDER), MyPictures());
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "0");
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "100");
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_LESSON_HANDOUT), static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_SAVE_BALLOON), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_SAVE_NOW)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(d, IDC_POLICY_NOTE)));  // nothing an administrator set
    EXPECT_EQ(frame.Count(UM_SHOWCALIBRATION), 1);
    dlg.Close(IDCANCEL);
  });
}

TEST_F(SettingsDialogTest, PaintsTheScanOverTheScreenshotWhereTheOffsetsPutIt) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    // Move the scan by typing, then read the preview back from the screen.
    SetText(d, IDC_X_OFFSET, "384");
    SetText(d, IDC_Y_OFFSET, "108");
    UpdateWindow(d);
    PumpAsDialogLoop(100);
    PreviewLayout layout;
    const ScanPlacement scan = ExpectedScan(d, dlg, layout);
    ASSERT_TRUE(scan.Visible());
    ASSERT_EQ(scan.source.Width(), scanHalf->Width());  // the whole scan is in view
    const Capture shot = CaptureClient(d);
    ASSERT_GT(shot.width, layout.clip.right);
    const PixelRect& t = scan.target;
    const unsigned inkCentre = shot.At((t.left + t.right) / 2, (t.top + t.bottom) / 2);
    EXPECT_LT(Red(inkCentre) + Green(inkCentre) + Blue(inkCentre), 3 * 60) << std::hex << inkCentre;
    // Where the scan has no ink the screenshot shows through: the desktop right of its window.
    const PixelPoint clear{t.left + t.Width() * 85 / 100, t.top + t.Height() / 4};
    const int sx = (clear.x - layout.fitted.left) * screenHalf->Width() / layout.fitted.Width();
    const int sy = (clear.y - layout.fitted.top) * screenHalf->Height() / layout.fitted.Height();
    const std::uint8_t* under = screenHalf->TopDownRow(sy) + 3 * sx;
    const unsigned shown = shot.At(clear.x, clear.y);
    EXPECT_TRUE(Near(shown, (under[2] << 16) | (under[1] << 8) | under[0], 30)) << std::hex << shown;
    // Left of the scan, the blue desktop; the scan's edge has its black outline.
    const unsigned desktop = shot.At(layout.fitted.left + 8, t.top + t.Height() / 2);
    EXPECT_GT(Blue(desktop), Red(desktop) + 40) << std::hex << desktop;
    EXPECT_TRUE(Near(shot.At(t.left, t.top + t.Height() / 3), 0x000000, 40));
    // The dotted yellow outline marks the screenshot the saved overlay will cover.
    int yellow = 0;
    for (int x = layout.fitted.left; x < layout.fitted.right; ++x) {
      const unsigned c = shot.At(x, layout.fitted.top);
      if (Red(c) > 200 && Green(c) > 200 && Blue(c) < 90) ++yellow;
    }
    EXPECT_GT(yellow, layout.fitted.Width() / 4);
    EXPECT_TRUE(WritePng(CaptureClient(d), ZT_ARTIFACT_DIR "/settings_dialog.png"));
    dlg.Close(IDCANCEL);
  });
}

// Steps and their timing are ruled natively: each way of stepping once, between them every arrow.
TEST_F(SettingsDialogTest, ArrowsStepTheScanOnAClickAnAltKeyAndWhileHeld) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_X_OFFSET, "100");
    SetText(d, IDC_Y_OFFSET, "50");
    Click(d, IDC_MOVE_LEFT);  // one BM_CLICK is one step
    PumpAsDialogLoop(150);
    EXPECT_EQ(dlg.CurrentValues().x, 99);
    EXPECT_EQ(dlg.CurrentValues().y, 50);
    // Alt+arrow keys step through the accelerators, from whichever control has the focus.
    SetForegroundWindow(d);
    SetFocus(GetDlgItem(d, IDC_X_OFFSET));
    const WORD keys[][2] = {{VK_MENU, 0},
                            {VK_RIGHT, 0},
                            {VK_RIGHT, KEYEVENTF_KEYUP},
                            {VK_DOWN, 0},
                            {VK_DOWN, KEYEVENTF_KEYUP},
                            {VK_MENU, KEYEVENTF_KEYUP}};
    for (const auto& key : keys) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = key[0];
      input.ki.dwFlags = key[1] | (key[0] == VK_MENU ? 0 : KEYEVENTF_EXTENDEDKEY);
      SendInput(1, &input, sizeof input);
    }
    PumpAsDialogLoop(200);
    EXPECT_EQ(dlg.CurrentValues().x, 100);
    EXPECT_EQ(dlg.CurrentValues().y, 51);
    // Holding the up button: a step at 300 ms, then every 100 ms, and one at release.
    const HWND up = GetDlgItem(d, IDC_MOVE_UP);
    const DWORD pressed = GetTickCount();
    SendMessageA(up, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
    PumpAsDialogLoop(650);
    const DWORD held = GetTickCount() - pressed;
    SendMessageA(up, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
    PumpAsDialogLoop(150);
    // At most the steps the time allows; fewer where a step's repaint outlasts the timer (the
    // system then drops ticks, as it does for any timer). The cadence itself is ruled natively.
    const int allowed = 1 + (held >= 300 ? 1 + static_cast<int>(held - 300) / 100 : 0);
    const int steps = 51 - dlg.CurrentValues().y;
    EXPECT_LE(steps, allowed + 1) << "held " << held << " ms";
    EXPECT_GE(steps, 3) << "held " << held << " ms";
    Click(d, IDCANCEL);
  });
}

// The drag's maths is ruled natively: the mouse reaches it, and an edge keeps the offset unmoved.
TEST_F(SettingsDialogTest, DraggingTheScanOrAnEdgeMovesOrZoomsItAsTheGeometrySays) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_X_OFFSET, "300");
    SetText(d, IDC_Y_OFFSET, "100");
    PreviewLayout layout;
    ScanPlacement scan = ExpectedScan(d, dlg, layout);
    const PixelPoint offset = PreviewOffset(layout, kSizes, 300, 100);
    // Pull the right edge: the width zoom follows, the offset stays.
    const PixelPoint rightEdge{scan.target.right - 1, (scan.target.top + scan.target.bottom) / 2};
    const PixelPoint pulled{rightEdge.x + 30, rightEdge.y};
    ASSERT_EQ(HitTest(layout, scan, rightEdge), kDragRight);
    DragStart start = BeginDrag(layout, kDragRight, rightEdge, offset, 100, 100);
    const int widened = DragTo(layout, start, pulled, offset, 100, 100).widthZoom;
    Mouse(d, WM_LBUTTONDOWN, rightEdge);
    Mouse(d, WM_MOUSEMOVE, pulled);
    Mouse(d, WM_LBUTTONUP, pulled);
    EXPECT_GT(widened, 100);
    EXPECT_EQ(dlg.CurrentValues().widthZoom, widened);
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), std::to_string(widened));
    EXPECT_EQ(dlg.CurrentValues().x, 300);
    // Drag the scan: the offsets follow the mouse as the geometry converts it.
    scan = ExpectedScan(d, dlg, layout);
    const PixelPoint centre{(scan.target.left + scan.target.right) / 2, rightEdge.y};
    const PixelPoint to{centre.x + 40, centre.y - 20};
    ASSERT_EQ(HitTest(layout, scan, centre), kDragMove);
    start = BeginDrag(layout, kDragMove, centre, offset, widened, 100);
    const PixelPoint dragged = DragTo(layout, start, to, offset, widened, 100).previewOffset;
    const ScreenOffsets moved = ScreenOffsetsFromPreview(layout, kSizes, dragged);
    Mouse(d, WM_LBUTTONDOWN, centre);
    EXPECT_EQ(GetCapture(), d);
    Mouse(d, WM_MOUSEMOVE, {centre.x + 20, centre.y - 10});
    Mouse(d, WM_MOUSEMOVE, to);
    Mouse(d, WM_LBUTTONUP, to);
    EXPECT_NE(GetCapture(), d);
    EXPECT_EQ(dlg.CurrentValues().x, moved.x);
    EXPECT_EQ(dlg.CurrentValues().y, moved.y);
    EXPECT_NE(moved.x, 300);
    Click(d, IDCANCEL);
  });
}

// The typing rules are offset_typing's: here the keys reach them, the caret after the digits.
TEST_F(SettingsDialogTest, TypedValuesAreFilteredAndDefaultsBringEveryControlBack) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), true);
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_X_OFFSET, "-0");  // a minus and a zero go back to the minus
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "-");
    SetText(d, IDC_X_OFFSET, "");
    const HWND x = GetDlgItem(d, IDC_X_OFFSET);
    for (char c : std::string("12a3")) SendMessageA(x, WM_CHAR, static_cast<WPARAM>(c), 1);
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "123");
    EXPECT_EQ(dlg.CurrentValues().x, 123);
    // Zooms: the up-down control takes 1 to 500; another text gives way to its position.
    SetText(d, IDC_WIDTH_ZOOM, "150");
    EXPECT_EQ(dlg.CurrentValues().widthZoom, 150);
    SetText(d, IDC_WIDTH_ZOOM, "600");
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "150");

    // Defaults: nothing saved, every control back.
    SetText(d, IDC_SAVE_FOLDER, "C:\\elsewhere");
    Click(d, IDC_AUTO_SAVE);  // off
    Click(d, IDC_SIZE_BOARD);
    SetText(d, IDC_Y_OFFSET, "30");
    SetText(d, IDC_HEIGHT_ZOOM, "120");
    Click(d, IDC_LESSON_HANDOUT);
    Click(d, IDC_SAVE_BALLOON);
    Click(d, IDC_DEFAULTS);
    const SettingsValues v = dlg.CurrentValues();
    EXPECT_EQ(v.saveFolder, MyPictures());
    EXPECT_EQ(v.autoSave, 1);
    EXPECT_EQ(v.saveImageSize, 0);
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.widthZoom, 100);
    EXPECT_EQ(v.heightZoom, 100);
    EXPECT_EQ(v.lessonHandout + v.saveBalloon, 0);
    EXPECT_EQ(GetFileAttributesA(settings.SettingsFilePath()), INVALID_FILE_ATTRIBUTES);
    // The overlay counts as saved: Cancel asks nothing.
    Click(d, IDCANCEL);
  });
  EXPECT_EQ(code, IDCANCEL);
}

// What an administrator set is shown greyed under one line; neither the arrows, a drag nor
// Defaults change it, and OK stores the user's own values, not the administrator's.
TEST_F(SettingsDialogTest, SettingsAnAdministratorSetAreGreyedUnderANoteAndStayAsSet) {
  ASSERT_TRUE(
      WriteText(HKEY_LOCAL_MACHINE, kPolicyKey, "SaveFolderPath", "C:\\Boards\\%USERNAME%", REG_EXPAND_SZ));
  ASSERT_TRUE(WriteDword(HKEY_LOCAL_MACHINE, kPolicyKey, "AutoSave", 0));
  ASSERT_TRUE(WriteDword(HKEY_CURRENT_USER, kPolicyKey, "XCoordinate", 40));
  char user[128] = {};
  GetEnvironmentVariableA("USERNAME", user, sizeof user);
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), true);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    EXPECT_EQ(Text(d, IDC_SAVE_FOLDER), std::string("C:\\Boards\\") + user);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_AUTO_SAVE), static_cast<UINT>(BST_UNCHECKED));
    for (int id : {IDC_SAVE_FOLDER, IDC_BROWSE, IDC_AUTO_SAVE, IDC_X_OFFSET, IDC_MOVE_LEFT, IDC_MOVE_UP,
                   IDC_CALIBRATE_SCAN, IDC_DISPLAY_CHOICE})
      EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, id))) << id;
    for (int id : {IDC_WIDTH_ZOOM, IDC_Y_OFFSET, IDC_SIZE_BOARD, IDC_LESSON_HANDOUT})
      EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, id))) << id;
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(d, IDC_POLICY_NOTE)));
    EXPECT_EQ(Text(d, IDC_POLICY_NOTE), settings.CaptionText(caption::kPolicyNote));
    SendMessageA(d, WM_COMMAND, IDC_MOVE_RIGHT, 0);  // as Alt+Right sends it
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "40");
    PreviewLayout layout;
    const ScanPlacement scan = ExpectedScan(d, dlg, layout);
    const PixelPoint middle{(scan.target.left + scan.target.right) / 2,
                            (scan.target.top + scan.target.bottom) / 2};
    Mouse(d, WM_LBUTTONDOWN, middle);
    Mouse(d, WM_MOUSEMOVE, {middle.x + 30, middle.y});
    Mouse(d, WM_LBUTTONUP, {middle.x + 30, middle.y});
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "40");
    EXPECT_EQ(Text(d, IDC_WIDTH_ZOOM), "100");
    Click(d, IDC_DEFAULTS);
    EXPECT_EQ(Text(d, IDC_X_OFFSET), "40");
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_AUTO_SAVE), static_cast<UINT>(BST_UNCHECKED));
    SetText(d, IDC_WIDTH_ZOOM, "130");
    UpdateWindow(d);
    PumpAsDialogLoop(100);
    EXPECT_TRUE(WritePng(CaptureClient(d), ZT_ARTIFACT_DIR "/settings_dialog_policy.png"));
    Click(d, IDOK);
  });
  SettingsValues stored;
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicyKey);
  RegDeleteTreeA(HKEY_CURRENT_USER, kPolicyKey);
  settings.LoadAllSettings(stored);
  EXPECT_EQ(stored.saveFolder, MyPictures());
  EXPECT_EQ(stored.autoSave, 1);
  EXPECT_EQ(stored.x, 0);
  EXPECT_EQ(stored.widthZoom, 130);
}

TEST_F(SettingsDialogTest, SaveStoresTheSettingsAndAsksTheFrameForTheOutputs) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  frame.onSaveOverlay = [&] { dlg.SetSavedFlag(true); };  // as the frame does after writing the files
  const std::string folder = LocalAppData();
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_SAVE_FOLDER, folder.c_str());
    Click(d, IDC_AUTO_SAVE);  // off
    Click(d, IDC_SIZE_BOARD);
    SetText(d, IDC_X_OFFSET, "50");
    SetText(d, IDC_Y_OFFSET, "-20");
    SetText(d, IDC_HEIGHT_ZOOM, "120");
    Click(d, IDC_SAVE_BALLOON);
    Click(d, IDC_SAVE_NOW);
    EXPECT_EQ(frame.Count(UM_SAVEOVERLAY), 1);
    EXPECT_TRUE(recorder.messages.empty());
    // Saved now: OK asks nothing and closes.
    Click(d, IDOK);
  });
  EXPECT_EQ(code, IDOK);
  SettingsValues stored{"(unread)", -1, -1, -1, -1, 0, 0, "", ""};
  settings.ReadIniSettings(stored);
  EXPECT_EQ(stored.saveFolder, folder);
  EXPECT_EQ(stored.autoSave, 0);
  EXPECT_EQ(stored.saveBalloon, 1);
  EXPECT_EQ(stored.lessonHandout, 0);
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.saveImageSize, 1);
  EXPECT_EQ(stored.widthZoom, 100);
  EXPECT_EQ(stored.heightZoom, 120);
  EXPECT_EQ(stored.x, 50);
  EXPECT_EQ(stored.y, -20);
}

TEST_F(SettingsDialogTest, OkAndCancelAskAboutAnUnsavedOverlay) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_X_OFFSET, "77");
    // Cancel with a change and an unsaved overlay: No keeps the dialog.
    AnswerNextBox(d, IDNO);
    Click(d, IDCANCEL);
    EXPECT_EQ(LastBoxText(), settings.CaptionText(caption::kMesNotSavedCancel));
    EXPECT_TRUE(IsWindowVisible(d));
    // OK: No keeps it too, and nothing was stored.
    AnswerNextBox(d, IDNO, [&](HWND) { EXPECT_TRUE(dlg.InModalStep()); });
    Click(d, IDOK);
    EXPECT_EQ(LastBoxText(), settings.CaptionText(caption::kMesNotSavedOk));
    EXPECT_FALSE(dlg.InModalStep());
    EXPECT_EQ(GetFileAttributesA(settings.SettingsFilePath()), INVALID_FILE_ATTRIBUTES);
    // Yes: the settings are stored (not the outputs) and the dialog ends.
    AnswerNextBox(d, IDYES);
    Click(d, IDOK);
  });
  EXPECT_EQ(code, IDOK);
  EXPECT_EQ(frame.Count(UM_SAVEOVERLAY), 0);
  SettingsValues stored;
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.x, 77);
}

TEST_F(SettingsDialogTest, WithoutImagesTheValuesCanStillBeEditedAndStored) {
  CSettingsDlg dlg(settings, frame.Hwnd(), DialogImages{}, false);
  EXPECT_FALSE(dlg.HasImages());
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_SAVE_NOW)));
    // No preview: a press in it starts no drag.
    const PixelRect clip = ControlRect(d, IDC_PREVIEW_CLIP);
    Mouse(d, WM_LBUTTONDOWN, {(clip.left + clip.right) / 2, (clip.top + clip.bottom) / 2});
    EXPECT_NE(GetCapture(), d);
    Mouse(d, WM_LBUTTONUP, {0, 0});
    SetText(d, IDC_Y_OFFSET, "-33");
    SetText(d, IDC_WIDTH_ZOOM, "250");
    Click(d, IDOK);  // no overlay to lose: no question
  });
  EXPECT_EQ(code, IDOK);
  SettingsValues stored;
  ASSERT_TRUE(settings.ReadRegistrySettings(stored));
  EXPECT_EQ(stored.y, -33);
  EXPECT_EQ(stored.widthZoom, 250);
}

TEST_F(SettingsDialogTest, SessionEndGoesToTheFrame) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), true);
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    frame.closeAppResult = 0;  // the user cancelled the close prompt
    EXPECT_EQ(SendMessageA(d, WM_QUERYENDSESSION, 0, 0), 0);
    EXPECT_TRUE(IsWindow(d));
    frame.closeAppResult = 1;
    frame.onCloseApp = [&] { dlg.Close(IDCANCEL); };
    EXPECT_EQ(SendMessageA(d, WM_QUERYENDSESSION, 0, 0), 1);
  });
  EXPECT_EQ(code, IDCANCEL);
  EXPECT_EQ(frame.Count(UM_CLOSEAPP), 2);
}

TEST_F(SettingsDialogTest, EndingDuringItsOwnQuestionLeavesNoModalStepAndStoresNothing) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  frame.onCloseApp = [&] { dlg.Close(IDCANCEL); };
  bool stepWhileOpen = false, stepAfterClose = true;
  const INT_PTR code = RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_X_OFFSET, "5");
    // The session ends while the OK question is open; the box is answered Yes afterwards.
    AnswerNextBox(d, IDYES, [&](HWND) {
      stepWhileOpen = dlg.InModalStep();
      SendMessageA(d, WM_QUERYENDSESSION, 0, 0);
      stepAfterClose = dlg.InModalStep();
    });
    Click(d, IDOK);
  });
  EXPECT_TRUE(stepWhileOpen);
  EXPECT_FALSE(stepAfterClose);
  EXPECT_FALSE(dlg.InModalStep());
  EXPECT_EQ(code, IDCANCEL);
  EXPECT_EQ(GetFileAttributesA(settings.SettingsFilePath()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SettingsDialogTest, AWindowDestroyedUnderItsQuestionIsNotTouchedAgain) {
  CSettingsDlg dlg(settings, frame.Hwnd(), Images(), false);
  RunModal(dlg, frame.Hwnd(), [&](HWND d) {
    SetText(d, IDC_Y_OFFSET, "9");
    AnswerNextBox(d, IDYES, [&](HWND) { DestroyWindow(d); });  // as when its owner goes
    Click(d, IDCANCEL);
  });
  EXPECT_FALSE(dlg.InModalStep());
  EXPECT_EQ(dlg.Hwnd(), nullptr);
  EXPECT_EQ(GetFileAttributesA(settings.SettingsFilePath()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace zt::shell

// The real main frame under Wine on a virtual screen, driven by the messages a user and the
// system send it: the hidden window, the tray menu, a scan handed over, the settings dialog
// and the close sequence with its question.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/sd_channel.h"
#include "common/win32/application.h"
#include "common/win32/directory_walk.h"
#include "common/win32/handles.h"
#include "cvimgfileio/cvimgfileio.h"
#include "overlay/shell/dialogs/win32/about_dialog.h"
#include "overlay/shell/dialogs/win32/calibration_dialog.h"
#include "overlay/shell/dialogs/win32/calibration_pattern.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/frame/lesson_words.h"
#include "overlay/shell/frame/win32/main_frame.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/sdlink/win32/checker_channel_win32.h"
#include "tests/support/jpeg_scan.h"
#include "tests/support/lumbrel_look.h"
#include "tests/support/shell_wine_fixture.h"
#include "tests/support/wine_process.h"

namespace zt::shell {
namespace {

// Steps that run from a thread timer, so that they go on inside the nested message loops of
// menus, dialogs and message boxes, where the test's own code is blocked.
class Script {
 public:
  using Step = std::function<bool()>;  // true: done, go to the next step
  explicit Script(std::vector<Step> steps) : m_steps(std::move(steps)) {
    s_current = this;
    m_timer = SetTimer(nullptr, 0, 50, &Script::Tick);
  }
  ~Script() {
    KillTimer(nullptr, m_timer);
    s_current = nullptr;
  }
  bool Done() const { return m_next >= m_steps.size(); }

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    Script* self = s_current;
    if (!self || self->Done() || self->m_running) return;
    self->m_running = true;  // a step may itself run a nested loop
    if (self->m_steps[self->m_next]()) ++self->m_next;
    self->m_running = false;
  }
  static inline Script* s_current = nullptr;
  std::vector<Step> m_steps;
  std::size_t m_next = 0;
  bool m_running = false;
  UINT_PTR m_timer = 0;
};

// A visible dialog-class window of this thread that passes fits.
struct DialogSearch {
  bool (*fits)(HWND);
  HWND found = nullptr;
};

BOOL CALLBACK FindDialogProc(HWND w, LPARAM search) {
  auto* s = reinterpret_cast<DialogSearch*>(search);
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770" && IsWindowVisible(w) && s->fits(w)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

HWND FindThreadDialog(bool (*fits)(HWND)) {
  DialogSearch search{fits};
  EnumThreadWindows(GetCurrentThreadId(), &FindDialogProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A message box, or the calibration hint: any dialog but the settings dialog.
HWND FindMessageBox() {
  return FindThreadDialog([](HWND w) { return !GetDlgItem(w, IDC_SAVE_FOLDER); });
}

// A message box proper: its text is the static 0xFFFF, which the hint has not.
HWND FindTextBox() {
  return FindThreadDialog([](HWND w) { return GetDlgItem(w, 0xFFFF) != nullptr; });
}

BOOL CALLBACK CountFramesProc(HWND w, LPARAM count) {
  char cls[64] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == kFrameClassName) ++*reinterpret_cast<int*>(count);
  return TRUE;
}

std::string MessageBoxText(HWND box) {
  char text[1024] = {};
  GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
  return text;
}

using winetest::Exists;

class MainFrame : public ::testing::Test {
 protected:
  void SetUp() override {
    winetest::ResetStore();
    saves = winetest::ExeFolder() + "saves";
    winetest::RemoveTree(saves);
    CreateDirectoryA(saves.c_str(), nullptr);
    scan = winetest::ExeFolder() + "SCAN0001.JPG";
    ASSERT_EQ(winetest::WriteJpegScan(scan, 120, 160, 0xFF, {{50, 20, 56, 140}}), IMGFILE_OK);
    ASSERT_TRUE(frame.CreateFrame());
    ShowWindow(frame.Hwnd(), SW_HIDE);
    // No board here: the look for it, already posted, would open the settings dialog of the
    // start-up pass. The cases below begin after it; the start-up case sets the flag again.
    frame.Pipeline().EndStartupPass();
  }
  void TearDown() override {
    frame.Destroy();
    winetest::RemoveTree(saves);
    winetest::ResetStore();
  }

  void StoreSettings(int autoSave) {
    ASSERT_TRUE(frame.Settings().SaveAllSettings(winetest::SavingInto(saves, autoSave)));
  }
  // Hands the scan to the frame as the drive watch does, past the start-up pass.
  void HandOverScan() {
    frame.Pipeline().QueueScan(scan, ScanSource::Board);
    PostMessageA(frame.Hwnd(), UM_NEWSCAN, 0, 0);
  }
  bool RunScript(Script& script, DWORD ms = 20000) {
    return winetest::WaitFor([&] { return script.Done(); }, ms);
  }
  // The tray menu as a click on the icon shows it: each item's text and command.
  struct ShownMenu {
    std::vector<std::string> texts;
    std::vector<UINT> ids;
  };
  ShownMenu ClickTray() {
    ShownMenu shown;
    Script script({[&] {
      HWND menuWindow = FindWindowA("#32768", nullptr);
      if (!menuWindow || !IsWindowVisible(menuWindow)) return false;
      HMENU menu = reinterpret_cast<HMENU>(SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
      for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        shown.texts.push_back(text);
        shown.ids.push_back(GetMenuItemID(menu, i));
      }
      EndMenu();
      return true;
    }});
    PostMessageA(frame.Hwnd(), UM_TRAYNOTIFY, 0, WM_RBUTTONDOWN);
    EXPECT_TRUE(RunScript(script, 10000)) << "no menu";
    return shown;
  }

  std::string saves, scan;
  CMainFrame frame;
};

TEST_F(MainFrame, IsAHiddenOnePixelPopupFoundByItsClass) {
  EXPECT_EQ(FindWindowA(kFrameClassName, nullptr), frame.Hwnd());
  EXPECT_FALSE(IsWindowVisible(frame.Hwnd()));
  // The system adds WS_CLIPSIBLINGS to every top-level window.
  const DWORD style = static_cast<DWORD>(GetWindowLongA(frame.Hwnd(), GWL_STYLE));
  EXPECT_EQ((style | WS_VISIBLE) & ~WS_CLIPSIBLINGS, kFrameStyle);
  RECT r{};
  GetWindowRect(frame.Hwnd(), &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right - r.left, 1);
  EXPECT_EQ(r.bottom - r.top, 1);
  // The tray record: the frame's window, id 0, message, icon and tip, callback UM_TRAYNOTIFY.
  const NOTIFYICONDATAA& tray = frame.TrayIcon().Data();
  EXPECT_EQ(tray.hWnd, frame.Hwnd());
  EXPECT_EQ(tray.uID, 0u);
  EXPECT_EQ(tray.uFlags, 7u);
  EXPECT_EQ(tray.uCallbackMessage, UM_TRAYNOTIFY);
  EXPECT_NE(tray.hIcon, nullptr);
  EXPECT_STREQ(tray.szTip, "Zentab Lumbrel");
  EXPECT_EQ(tray.cbSize, sizeof(NOTIFYICONDATAA));
}

TEST_F(MainFrame, TrayClickShowsTheMenuInTheLanguageFilesWords) {
  const ShownMenu menu = ClickTray();
  EXPECT_EQ(menu.texts, (std::vector<std::string>{frame.Settings().CaptionText(caption::kSettings), "",
                                                  frame.Settings().CaptionText(caption::kHelp),
                                                  frame.Settings().CaptionText(caption::kAbout), "",
                                                  frame.Settings().CaptionText(caption::kExit)}));
  EXPECT_EQ(menu.ids, (std::vector<UINT>{32775, 0, 32776, 57664, 0, 32774}));
}

TEST_F(MainFrame, NoMenuWhileAScanIsBeingProcessed) {
  // A scan that cannot be loaded: its box is up while the scan is still being handled.
  StoreSettings(1);
  winetest::WriteFileBytes(scan, "not an image");
  bool menuSeen = false;
  ULONGLONG clicked = 0;
  Script script({[&] {
                   if (!FindMessageBox()) return false;
                   EXPECT_TRUE(frame.IsBusy());  // the scan's pass is still on
                   PostMessageA(frame.Hwnd(), UM_TRAYNOTIFY, 0, WM_LBUTTONDOWN);
                   clicked = GetTickCount64();
                   return true;
                 },
                 [&] {
                   HWND menuWindow = FindWindowA("#32768", nullptr);
                   menuSeen = menuSeen || (menuWindow && IsWindowVisible(menuWindow));
                   if (GetTickCount64() - clicked < 1000) return false;
                   if (menuSeen) EndMenu();  // so that a failing case still ends
                   PostMessageA(FindMessageBox(), WM_COMMAND, IDOK, 0);
                   return true;
                 }});
  HandOverScan();
  ASSERT_TRUE(RunScript(script));
  EXPECT_FALSE(menuSeen);
  EXPECT_FALSE(frame.IsBusy());
}

TEST_F(MainFrame, AnAutoSavedScanBecomesThreeFilesWithoutAWindow) {
  StoreSettings(1);
  HandOverScan();
  const std::string overlay = saves + "\\SCAN0001_Overlaid.JPG";
  ASSERT_TRUE(winetest::WaitFor([&] { return Exists(overlay); }, 20000));
  EXPECT_TRUE(Exists(saves + "\\Original\\SCAN0001_Screenshot.JPG"));
  EXPECT_TRUE(Exists(saves + "\\Original\\SCAN0001.JPG"));
  EXPECT_EQ(frame.OpenSettingsDialog(), nullptr);
  EXPECT_EQ(FindMessageBox(), nullptr);
  EXPECT_TRUE(frame.Pipeline().Saved());
}

TEST_F(MainFrame, WithoutABoardTheStartOpensTheSettingsDialogOnce) {
  // A frame as the program makes it: its look for the board is still to come.
  frame.Destroy();
  CMainFrame atStart;
  ASSERT_TRUE(atStart.CreateFrame());
  ShowWindow(atStart.Hwnd(), SW_HIDE);
  ASSERT_TRUE(atStart.Pipeline().InStartupPass());
  int openings = 0;
  HWND seen = nullptr;
  Script script({[&] {
    CSettingsDlg* dialog = atStart.OpenSettingsDialog();
    if (!dialog || !dialog->Initialised() || dialog->Hwnd() == seen) return false;
    seen = dialog->Hwnd();
    ++openings;
    EXPECT_FALSE(dialog->HasImages());
    PostMessageA(dialog->Hwnd(), WM_COMMAND, IDCANCEL, 0);
    return true;
  }});
  ASSERT_TRUE(RunScript(script, 10000)) << "no settings dialog at start";
  EXPECT_FALSE(atStart.Pipeline().InStartupPass());
  ASSERT_TRUE(winetest::WaitFor([&] { return atStart.OpenSettingsDialog() == nullptr; }, 5000));
  // Another look finds no board either; the dialog does not come again.
  PostMessageA(atStart.Hwnd(), UM_CHECKDRIVE, 0, 0);
  winetest::WaitFor([&] { return atStart.OpenSettingsDialog() != nullptr; }, 1500);
  EXPECT_EQ(atStart.OpenSettingsDialog(), nullptr);
  EXPECT_EQ(openings, 1);
}

TEST_F(MainFrame, AboutIsOneWindowShownAgainAndTheCalibrationHintComesOncePerRun) {
  SendMessageA(frame.Hwnd(), WM_COMMAND, ID_APP_ABOUT, 0);
  ASSERT_NE(frame.AboutDialog(), nullptr);
  HWND about = frame.AboutDialog()->Hwnd();
  ASSERT_TRUE(IsWindowVisible(about));
  SendMessageA(about, WM_COMMAND, IDOK, 0);  // hides it, keeps it
  EXPECT_FALSE(IsWindowVisible(about));
  SendMessageA(frame.Hwnd(), WM_COMMAND, ID_APP_ABOUT, 0);
  EXPECT_EQ(frame.AboutDialog()->Hwnd(), about);
  EXPECT_TRUE(IsWindowVisible(about));

  SendMessageA(frame.Hwnd(), UM_SHOWCALIBRATION, 0, 0);
  ASSERT_NE(frame.CalibrationDialog(), nullptr);
  HWND hint = frame.CalibrationDialog()->Hwnd();
  EXPECT_TRUE(IsWindowVisible(hint));
  SendMessageA(hint, WM_COMMAND, IDOK, 0);
  SendMessageA(frame.Hwnd(), UM_SHOWCALIBRATION, 0, 0);  // a later opening of the settings dialog
  EXPECT_EQ(frame.CalibrationDialog()->Hwnd(), hint);
  EXPECT_FALSE(IsWindowVisible(hint));
}

// Answers the next message box of this thread with one button and keeps its text.
struct BoxAnswer {
  static inline int button = 0;
  static inline std::string text;
  static void Arm(int answer) {
    button = answer;
    text.clear();
    SetTimer(nullptr, 0, 200, &BoxAnswer::Tick);
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindMessageBox();
    if (!box) return;
    KillTimer(nullptr, id);
    text = MessageBoxText(box);
    PostMessageA(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
  }
};

TEST_F(MainFrame, WithoutAutoSaveTheDialogShowsTheScanAndEndingTheSessionAsksFirst) {
  StoreSettings(0);
  LRESULT firstAnswer = -1, secondAnswer = -1;
  std::string firstQuestion;
  HWND frameWindow = frame.Hwnd();
  Script script({
      // The dialog opens with the scan on display and nothing saved.
      [&] {
        CSettingsDlg* dialog = frame.OpenSettingsDialog();
        return dialog && dialog->Initialised() && dialog->HasImages();
      },
      // The end of the session asks about the unsaved overlay; Cancel refuses it.
      [&] {
        EXPECT_FALSE(Exists(saves + "\\SCAN0001_Overlaid.JPG"));
        BoxAnswer::Arm(IDCANCEL);
        firstAnswer = SendMessageA(frameWindow, WM_QUERYENDSESSION, 0, 0);
        firstQuestion = BoxAnswer::text;
        return true;
      },
      [&] { return IsWindow(frameWindow) && frame.OpenSettingsDialog() != nullptr; },
      // Asked again, now of the dialog (the system asks every window): Yes saves the overlay and
      // lets the program go; the close sequence destroys the dialog inside this very call, and
      // the answer must still be yes.
      [&] {
        BoxAnswer::Arm(IDYES);
        secondAnswer = SendMessageA(frame.OpenSettingsDialog()->Hwnd(), WM_QUERYENDSESSION, 0, 0);
        return true;
      },
  });
  HandOverScan();
  ASSERT_TRUE(RunScript(script, 30000));
  EXPECT_EQ(firstAnswer, 0);
  EXPECT_EQ(firstQuestion, frame.Settings().CaptionText(caption::kMesImageNotSaved));
  EXPECT_EQ(secondAnswer, 1);
  EXPECT_FALSE(IsWindow(frameWindow));
  EXPECT_EQ(frame.OpenSettingsDialog(), nullptr);
  EXPECT_TRUE(Exists(saves + "\\SCAN0001_Overlaid.JPG"));
  EXPECT_TRUE(Exists(saves + "\\Original\\SCAN0001.JPG"));
}

TEST_F(MainFrame, AMinimisedSettingsDialogComesBackAndTheHintGoesWithTheDialog) {
  HWND dialogWindow = nullptr, hint = nullptr;
  RECT dialogRect{}, hintRect{};
  bool restored = false;
  Script script({
      [&] {
        CSettingsDlg* dialog = frame.OpenSettingsDialog();
        if (!dialog || !dialog->Initialised() || !frame.CalibrationDialog()) return false;
        dialogWindow = dialog->Hwnd();
        hint = frame.CalibrationDialog()->Hwnd();
        if (!IsWindowVisible(hint)) return false;
        GetWindowRect(dialogWindow, &dialogRect);
        GetWindowRect(hint, &hintRect);
        ShowWindow(dialogWindow, SW_MINIMIZE);
        return true;
      },
      // Asked for again (the tray's settings command): it comes back, not only the focus.
      [&] {
        if (!IsIconic(dialogWindow)) return false;
        PostMessageA(frame.Hwnd(), UM_OPENSETTINGS, 0, 0);
        return true;
      },
      [&] {
        restored = !IsIconic(dialogWindow) && IsWindowVisible(dialogWindow);
        if (!restored) return false;
        PostMessageA(dialogWindow, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
  });
  PostMessageA(frame.Hwnd(), UM_OPENSETTINGS, 0, 0);
  ASSERT_TRUE(RunScript(script, 20000));
  EXPECT_TRUE(restored);
  // The hint opened beside the dialog, not over it.
  RECT overlap{};
  EXPECT_FALSE(IntersectRect(&overlap, &dialogRect, &hintRect));
  EXPECT_TRUE(hintRect.left == dialogRect.right || hintRect.right == dialogRect.left);
  // Once the dialog is gone, so is the hint: the next scan's screenshot must not hold it.
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.OpenSettingsDialog() == nullptr; }, 5000));
  EXPECT_FALSE(IsWindowVisible(hint));
}

TEST_F(MainFrame, TheModelessWindowsTakeTheirKeysWhileTheSettingsDialogIsOpen) {
  HWND about = nullptr, hint = nullptr;
  bool aboutClosedByEscape = false, hintClosedByEnter = false;
  Script script({
      [&] {
        CSettingsDlg* dialog = frame.OpenSettingsDialog();
        if (!dialog || !dialog->Initialised() || !frame.CalibrationDialog()) return false;
        hint = frame.CalibrationDialog()->Hwnd();
        SendMessageA(frame.Hwnd(), WM_COMMAND, ID_APP_ABOUT, 0);
        about = frame.AboutDialog() ? frame.AboutDialog()->Hwnd() : nullptr;
        if (!about || !IsWindowVisible(about) || !IsWindowVisible(hint)) return false;
        // Keys reach a window through the loop that runs: the settings dialog's, here.
        PostMessageA(about, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(hint, WM_KEYDOWN, VK_RETURN, 0);
        return true;
      },
      [&, looks = 0]() mutable {
        aboutClosedByEscape = !IsWindowVisible(about);
        hintClosedByEnter = !IsWindowVisible(hint);
        if ((!aboutClosedByEscape || !hintClosedByEnter) && ++looks < 40) return false;
        PostMessageA(frame.OpenSettingsDialog()->Hwnd(), WM_COMMAND, IDCANCEL, 0);
        return true;
      },
  });
  PostMessageA(frame.Hwnd(), UM_OPENSETTINGS, 0, 0);
  ASSERT_TRUE(RunScript(script, 10000));
  EXPECT_TRUE(aboutClosedByEscape);
  EXPECT_TRUE(hintClosedByEnter);
}

TEST_F(MainFrame,
       TheTargetsComeWithTheButtonGoWithEscAltF4ADisplayChangeOrTheDialogAndAnUnattachedDisplayIsRefused) {
  SettingsValues values = winetest::SavingInto(saves);
  values.captureDisplay = "\\\\?\\DISPLAY#Unplugged#0009&0000#{e6f07b5f}";
  values.captureDisplayName = "Projector 9";
  ASSERT_TRUE(frame.Settings().SaveAllSettings(values));
  HWND dialog = nullptr;
  std::string refusal;
  bool targetsAfterRefusal = true;
  RECT placed{};
  const auto press = [&](int id, WORD code = BN_CLICKED) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  };
  const auto targets = [] { return FindWindowA(kCalibrationPatternClass, nullptr); };
  // Once the targets are up, a message to them; once they and the calibration are gone, the
  // button again.
  const auto upThenSend = [&](UINT message, WPARAM w, LPARAM l) -> Script::Step {
    return [&, message, w, l] {
      if (!targets()) return false;
      PostMessageA(targets(), message, w, l);
      return true;
    };
  };
  const Script::Step goneThenAgain = [&] {
    if (targets()) return false;
    press(IDC_CALIBRATE_SCAN);
    return true;
  };
  Script script({
      [&] {
        CSettingsDlg* open = frame.OpenSettingsDialog();
        if (!open || !open->Initialised()) return false;
        dialog = open->Hwnd();
        press(IDC_CALIBRATE_SCAN);
        return true;
      },
      // The chosen display is not attached: a message, and no targets on another display.
      [&] {
        const HWND box = FindTextBox();
        if (!box) return false;
        refusal = MessageBoxText(box);
        targetsAfterRefusal = targets() != nullptr;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&] {
        if (FindTextBox()) return false;
        SendDlgItemMessageA(dialog, IDC_DISPLAY_CHOICE, CB_SETCURSEL, 0, 0);
        press(IDC_DISPLAY_CHOICE, CBN_SELCHANGE);
        press(IDC_CALIBRATE_SCAN);
        return true;
      },
      // The primary screen's targets; Esc takes them away and ends the calibration.
      [&] {
        const HWND shown = targets();
        if (!shown || !IsWindowVisible(shown)) return false;
        GetWindowRect(shown, &placed);
        PostMessageA(shown, WM_KEYDOWN, VK_ESCAPE, 0);
        return true;
      },
      goneThenAgain,
      // Alt+F4 and a display change end the calibration as Esc does.
      upThenSend(WM_CLOSE, 0, 0),
      goneThenAgain,
      upThenSend(WM_DISPLAYCHANGE, 24, MAKELPARAM(800, 600)),
      goneThenAgain,
      // Up again, they go with the dialog.
      [&] {
        if (!targets()) return false;
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return true;
      },
  });
  PostMessageA(frame.Hwnd(), UM_OPENSETTINGS, 0, 0);
  ASSERT_TRUE(RunScript(script, 60000));
  EXPECT_EQ(refusal, frame.Settings().CaptionText(caption::kMesCalibNoDisplay));
  EXPECT_FALSE(targetsAfterRefusal);
  EXPECT_EQ(placed.left, 0);
  EXPECT_EQ(placed.right, GetSystemMetrics(SM_CXSCREEN));
  EXPECT_EQ(placed.bottom, GetSystemMetrics(SM_CYSCREEN));
  ASSERT_TRUE(winetest::WaitFor([&] { return frame.OpenSettingsDialog() == nullptr; }, 5000));
  EXPECT_EQ(targets(), nullptr);
}

// A taskbar window of this process that takes every icon and keeps what it was sent; it is
// found before the real one.
std::vector<std::string> g_taskbarData;
LRESULT CALLBACK RecordingTaskbarProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_COPYDATA) return DefWindowProcA(w, message, wParam, lParam);
  const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
  g_taskbarData.emplace_back(static_cast<const char*>(data->lpData), data->cbData);
  return TRUE;
}

// How many of the taskbar's records carry text, in the wide characters the shell passes on.
int RecordsHolding(const std::string& text) {
  std::wstring wide(text.size() + 1, L'\0');
  wide.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(),
                                                           static_cast<int>(wide.size()))) -
              1);
  const std::string bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
  int count = 0;
  for (const std::string& record : g_taskbarData) count += record.find(bytes) != std::string::npos;
  return count;
}

// A taskbar window for one test, answering through proc.
class StandInTaskbar {
 public:
  explicit StandInTaskbar(WNDPROC proc) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = proc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "Shell_TrayWnd";
    RegisterClassA(&cls);
    m_window = CreateWindowExA(WS_EX_TOPMOST, "Shell_TrayWnd", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    g_taskbarData.clear();
  }
  ~StandInTaskbar() {
    DestroyWindow(m_window);
    UnregisterClassA("Shell_TrayWnd", GetModuleHandleA(nullptr));
  }
  bool First() const { return m_window && FindWindowA("Shell_TrayWnd", nullptr) == m_window; }

 private:
  HWND m_window = nullptr;
};

TEST_F(MainFrame, AChosenDisplayNotAttachedGivesThePrimaryScreenWithItsOwnValuesAndOneWord) {
  const StandInTaskbar taskbar(RecordingTaskbarProc);
  ASSERT_TRUE(taskbar.First());
  // The projector's values would save the scan at the board's size; the primary screen's own
  // record says the screen's.
  SettingsValues values = winetest::SavingInto(saves, 1);
  values.captureDisplay = "\\\\?\\DISPLAY#Unplugged#0009&0000#{e6f07b5f}";
  values.captureDisplayName = "Projector 9";
  values.saveImageSize = 1;
  ASSERT_TRUE(frame.Settings().SaveAllSettings(values));
  ASSERT_TRUE(frame.Settings().WriteDisplayCalibration("", {0, 100, 100, 0, 0}));
  const std::string word = frame.Settings().CaptionText(caption::kMesDisplayAbsent);
  const std::string told = word.substr(0, word.find("%s")) + "Projector 9" + word.substr(word.find("%s") + 2);

  for (const char* overlay : {"\\SCAN0001_Overlaid.JPG", "\\SCAN0001_Overlaid_001.JPG"}) {
    HandOverScan();
    ASSERT_TRUE(winetest::WaitFor([&] { return Exists(saves + overlay); }, 20000)) << overlay;
    const winetest::Picture picture = winetest::LoadPicture(saves + overlay);
    EXPECT_EQ(picture.width, GetSystemMetrics(SM_CXSCREEN)) << overlay;
    EXPECT_EQ(picture.height, GetSystemMetrics(SM_CYSCREEN)) << overlay;
  }
  winetest::Pump(200);
  EXPECT_EQ(RecordsHolding(told), 1) << "told once, beside the icon";
  EXPECT_EQ(FindMessageBox(), nullptr);
}

// The checker could not put a scan into the program's folder, taken away while it runs: the
// folder is there again for its next try, and the user is told once, beside the icon.
TEST_F(MainFrame, ADeliveryTheCheckerCouldNotMakeMakesTheFolderAgainAndIsToldOnce) {
  const StandInTaskbar taskbar(RecordingTaskbarProc);
  ASSERT_TRUE(taskbar.First());
  winetest::Pump(1500);  // no board here: the frame turns to the checker
  const std::string folder = frame.Settings().SdDownloadFolder();
  winetest::RemoveTree(folder.substr(0, folder.size() - 1));
  const UINT channel = RegisterWindowMessageA(sdchannel::kMessageName);
  for (int i = 0; i < 2; ++i) SendMessageA(frame.Hwnd(), channel, sdchannel::kDeliveryFailed, 0);
  EXPECT_NE(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
  winetest::Pump(200);
  EXPECT_EQ(RecordsHolding(frame.Settings().CaptionText(caption::kMesSdDeliveryFailed)), 1);
  EXPECT_EQ(FindMessageBox(), nullptr);
}

// With a lesson setting on, the menu offers the lesson's items; a save is told beside the icon,
// the lesson's handout is built from the save folder when asked, and a new lesson is said to
// begin.
TEST_F(MainFrame, WithALessonSettingOnTheMenuOffersTheLessonAndASaveIsToldBesideTheIcon) {
  const StandInTaskbar taskbar(RecordingTaskbarProc);
  ASSERT_TRUE(taskbar.First());
  SettingsValues values = winetest::SavingInto(saves, 1);
  values.saveBalloon = 1;
  ASSERT_TRUE(frame.Settings().SaveAllSettings(values));
  EXPECT_EQ(ClickTray().ids, (std::vector<UINT>{32775, 0, ID_TRAY_OPEN_FOLDER, ID_TRAY_HANDOUT,
                                                ID_TRAY_NEW_LESSON, 0, 32776, 57664, 0, 32774}));
  HandOverScan();
  ASSERT_TRUE(winetest::WaitFor([&] { return Exists(saves + "\\SCAN0001_Overlaid.JPG"); }, 20000));
  winetest::Pump(300);
  EXPECT_EQ(RecordsHolding(FillIn(frame.Settings().CaptionText(caption::kMesSaved), {"SCAN0001"})), 1);
  const std::string handouts = saves + "\\Lesson_*.pdf";
  EXPECT_FALSE(app::ForEachEntry(handouts, [](const WIN32_FIND_DATAA&) {}))
      << "not collected: no handout by itself";

  SendMessageA(frame.Hwnd(), WM_COMMAND, ID_TRAY_HANDOUT, 0);
  WIN32_FIND_DATAA found{};
  EXPECT_TRUE(app::ForEachEntry(handouts, [&](const WIN32_FIND_DATAA& f) { found = f; }));
  EXPECT_GT(found.nFileSizeLow, 1000u) << found.cFileName;
  SendMessageA(frame.Hwnd(), WM_COMMAND, ID_TRAY_NEW_LESSON, 0);
  EXPECT_EQ(RecordsHolding(frame.Settings().CaptionText(caption::kMesNewLesson)), 1);
  EXPECT_EQ(FindMessageBox(), nullptr);
}

// A save folder on a drive that is away: the save waits on this PC with one word beside the icon
// and no box, and the frame's timer moves it into the save folder once there is one to take it.
TEST_F(MainFrame, ASaveFolderAwayKeepsTheSaveOnThisPcAndTheTimerDeliversIt) {
  const StandInTaskbar taskbar(RecordingTaskbarProc);
  ASSERT_TRUE(taskbar.First());
  std::string away = "?:\\Boards";
  for (char letter = 'Z'; letter > 'D' && away[0] == '?'; --letter) {
    const char root[4] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) away[0] = letter;
  }
  ASSERT_NE(away[0], '?');
  ASSERT_TRUE(frame.Settings().SaveAllSettings(winetest::SavingInto(away, 1)));
  const std::string outbox = winetest::SettingsFolder() + "\\Outbox";
  const auto waiting = [&] {
    int slots = 0;
    app::ForEachEntry(outbox + "\\*_*", [&](const WIN32_FIND_DATAA&) { ++slots; });
    return slots;
  };
  HandOverScan();
  ASSERT_TRUE(winetest::WaitFor([&] { return waiting() == 1 && frame.Pipeline().Saved(); }, 20000));
  HandOverScan();  // a second save: still one word
  ASSERT_TRUE(winetest::WaitFor([&] { return waiting() == 2 && frame.Pipeline().Saved(); }, 20000));
  winetest::Pump(500);
  EXPECT_EQ(RecordsHolding(frame.Settings().CaptionText(caption::kMesSaveWaiting)), 1);
  EXPECT_EQ(FindMessageBox(), nullptr);
  EXPECT_FALSE(Exists(saves + "\\SCAN0001_Overlaid.JPG"));

  StoreSettings(1);  // the folder the saves are to go to now
  SendMessageA(frame.Hwnd(), WM_TIMER, kTimerWaitingSaves, 0);
  EXPECT_TRUE(Exists(saves + "\\SCAN0001_Overlaid.JPG"));
  EXPECT_TRUE(Exists(saves + "\\Original\\SCAN0001_Screenshot_001.JPG"));
  EXPECT_FALSE(frame.Pipeline().HasWaitingSaves());
  EXPECT_TRUE(Exists(outbox));  // the outbox stays, empty
}

// A taskbar window of this process that refuses every icon, as a busy one does; it is found
// before the real one.
LRESULT CALLBACK RefusingTaskbarProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COPYDATA) return FALSE;
  return DefWindowProcA(w, message, wParam, lParam);
}

TEST(TrayIcon, AnIconTheTaskbarRefusedIsAddedOnceItTakesIt) {
  auto busy = std::make_unique<StandInTaskbar>(RefusingTaskbarProc);
  ASSERT_TRUE(busy->First());
  winetest::ResetStore();
  CMainFrame frame;
  ASSERT_TRUE(frame.CreateFrame());
  frame.Pipeline().EndStartupPass();
  EXPECT_FALSE(frame.TrayIcon().Added());
  winetest::Pump(2500);
  EXPECT_FALSE(frame.TrayIcon().Added()) << "still refused";
  busy.reset();
  // No TaskbarCreated comes: the taskbar was there all along, only busy.
  EXPECT_TRUE(winetest::WaitFor([&] { return frame.TrayIcon().Added(); }, 5000));
  frame.Destroy();
}

// The checker's window on a thread that answers nothing for a while, as a checker in the middle
// of a slow download does.
TEST(CheckerChannel, AnUnregisterTheCheckerDoesNotAnswerReturnsWithinSeconds) {
  struct Stuck {
    HWND window = nullptr;
    app::UniqueHandle ready{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    static DWORD WINAPI Run(void* p) {
      auto* self = static_cast<Stuck*>(p);
      self->window = CreateWindowExA(0, "STATIC", "stuck", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
      SetEvent(self->ready.Get());
      Sleep(9000);  // busy: no messages are taken meanwhile
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      DestroyWindow(self->window);
      return 0;
    }
  } stuck;
  const app::UniqueHandle thread(CreateThread(nullptr, 0, &Stuck::Run, &stuck, 0, nullptr));
  ASSERT_TRUE(thread);
  ASSERT_EQ(WaitForSingleObject(stuck.ready.Get(), 5000), WAIT_OBJECT_0);
  WinCheckerChannel channel;
  const ULONGLONG start = GetTickCount64();
  const bool answered =
      channel.Send(reinterpret_cast<CheckerWindow>(stuck.window), sdchannel::kUnregister, 0x1234);
  const ULONGLONG waited = GetTickCount64() - start;
  EXPECT_FALSE(answered);
  EXPECT_LE(waited, kSendTimeoutMs + 2000u) << "the tray's thread waited for the checker";
  WaitForSingleObject(thread.Get(), 20000);
}

// The program itself: one copy per machine, hidden, ended by its exit command.
TEST(ZTLumbrelProgram, RunsOnceAndEndsByItsExitCommand) {
  const char* exe = std::getenv("ZT_LUMBREL_EXE");
  ASSERT_NE(exe, nullptr) << "ZT_LUMBREL_EXE names the program";
  auto frames = [] {
    int count = 0;
    EnumWindows(&CountFramesProc, reinterpret_cast<LPARAM>(&count));
    return count;
  };
  const winetest::Program first = winetest::Start(exe);
  ASSERT_TRUE(first) << "CreateProcess failed with error " << first.error;
  HWND window = nullptr;
  for (int i = 0; i < 150 && !window; ++i, Sleep(100)) window = FindWindowA(kFrameClassName, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));

  const winetest::Program second = winetest::Start(exe);
  // Seen now and then under Wine: the second start refused. Its error is the one the refusal gave
  // (Wine gives 193 when it cannot load the program file, as while a build replaces it); the
  // first program is still ended below.
  EXPECT_TRUE(second) << "CreateProcess failed with error " << second.error;
  if (second) {
    EXPECT_EQ(winetest::WaitExit(second, 15000), 0u);
    EXPECT_EQ(frames(), 1);
    EXPECT_TRUE(first.Runs());
  }

  PostMessageA(window, WM_COMMAND, ID_TRAY_EXIT, 0);
  EXPECT_EQ(WaitForSingleObject(first.process.Get(), 15000), WAIT_OBJECT_0);
  EXPECT_EQ(frames(), 0);
}

}  // namespace
}  // namespace zt::shell

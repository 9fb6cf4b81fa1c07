// The settings dialog's opening, its values, the buttons and what the frame calls on it. The
// preview and the mouse, typing and arrow steps are in settings_dialog_preview_win32.cpp.
#include "overlay/shell/dialogs/win32/settings_dialog.h"

#include <commctrl.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "common/win32/shell_folder.h"
#include "overlay/shell/dialogs/offset_typing.h"
#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/dialogs/win32/policy_locks.h"
#include "overlay/shell/dialogs/win32/settings_dialog_captions.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/resource.h"

namespace zt::shell {

namespace {

constexpr int kArrowIds[4] = {IDC_MOVE_UP, IDC_MOVE_DOWN, IDC_MOVE_LEFT, IDC_MOVE_RIGHT};
constexpr int kArrowIcons[4] = {IDI_ARROW_UP, IDI_ARROW_DOWN, IDI_ARROW_LEFT, IDI_ARROW_RIGHT};
constexpr UINT kMaxFolderChars = 255;

// Sets a flag for the length of a modal step (question, folder browser, save).
class StepFlag {
 public:
  explicit StepFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~StepFlag() { m_flag = false; }
  StepFlag(const StepFlag&) = delete;
  StepFlag& operator=(const StepFlag&) = delete;

 private:
  bool& m_flag;
};

app::UniqueItemIdList FolderItem(const std::string& folder) {
  app::UniqueItemIdList item;
  if (folder.empty() || !PathIsDirectoryA(folder.c_str())) return item;
  IShellFolder* desktop = nullptr;
  if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return item;
  wchar_t wide[MAX_PATH] = {};
  if (MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH) > 0)
    desktop->ParseDisplayName(nullptr, nullptr, wide, nullptr, item.Receive(), nullptr);
  desktop->Release();
  return item;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM preselect) {
  if (message == BFFM_INITIALIZED && preselect) SendMessageA(browser, BFFM_SETSELECTIONA, FALSE, preselect);
  return 0;
}

}  // namespace

CSettingsDlg::CSettingsDlg(CAppSettings& settings, HWND frame, const DialogImages& images, bool saved)
    : Dialog(IDD_SETTINGS),
      m_pSettings(&settings),
      m_hFrame(frame),
      m_displaySwitch([this](const std::string& identity) { return StoredDisplayValues(identity); }) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  SetImages(images.scanHalf, images.screenHalf, images.scanMask, images.scanWidth, images.scanHeight,
            images.screenWidth, images.screenHeight, saved);
}

CSettingsDlg::~CSettingsDlg() {
  for (CHoldButton& arrow : m_arrows) arrow.Detach();
}

bool CSettingsDlg::InModalStep() const {
  return !m_bEnded && (m_bOkRunning || m_bCancelAsking || m_bBrowsing || m_bSaving);
}

bool CSettingsDlg::Alive() const { return !m_bEnded && Hwnd() && IsWindow(Hwnd()); }

bool CSettingsDlg::HasImages() { return ImagesPresent(); }

void CSettingsDlg::SetImages(const DibBlock* scanHalf, const DibBlock* screenHalf, const DibBlock* scanMask,
                             int scanWidth, int scanHeight, int screenWidth, int screenHeight, bool saved) {
  m_images = {scanHalf, screenHalf, scanMask, scanWidth, scanHeight, screenWidth, screenHeight};
  m_sizes.screenWidth = screenWidth > 0 ? screenWidth : GetSystemMetrics(SM_CXSCREEN);
  m_sizes.screenHeight = screenHeight > 0 ? screenHeight : GetSystemMetrics(SM_CYSCREEN);
  m_sizes.scanWidth = scanWidth > 0 ? scanWidth : m_sizes.screenWidth;
  m_sizes.scanHeight = scanHeight > 0 ? scanHeight : m_sizes.screenHeight;
  m_bSaved = saved;
}

// ---- Opening -------------------------------------------------------------------------------

bool CSettingsDlg::OnInitDialog() {
  ExcludeFromCapture(Hwnd());
  SetUpControls();
  SetCaptions();
  if (ImagesPresent() && !RebuildDisplay(false)) {
    MessageBoxA(Hwnd(), m_pSettings->CaptionText(caption::kMesLoadFailImage).c_str(),
                ApplicationTitle().c_str(), kMessageBoxNotice);
    m_bInitialised = true;
    Close(IDCANCEL);
    return true;
  }
  LoadValues();
  m_bInitialised = true;
  // A box of the settings store ran a loop of its own, in which the program may have closed.
  if (Alive()) BringToFront();
  return true;
}

void CSettingsDlg::SetUpControls() {
  const HINSTANCE module = GetModuleHandleA(nullptr);
  const auto icon = [module](int id, int size) {
    return reinterpret_cast<LPARAM>(
        LoadImageA(module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, LR_SHARED));
  };
  SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, icon(IDI_TRAY, GetSystemMetrics(SM_CXICON)));
  SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, icon(IDI_TRAY, GetSystemMetrics(SM_CXSMICON)));
  m_font = CreatePointFont(m_pSettings->DialogFont());
  ApplyFont(Hwnd(), m_font.Get());
  for (int i = 0; i < 4; ++i) {
    m_arrows[i].Attach(Item(kArrowIds[i]));
    SendDlgItemMessageA(Hwnd(), kArrowIds[i], BM_SETIMAGE, IMAGE_ICON, icon(kArrowIcons[i], 16));
  }
  SendDlgItemMessageA(Hwnd(), IDC_SAVE_FOLDER, EM_LIMITTEXT, kMaxFolderChars, 0);
  m_hAccel = LoadAcceleratorsA(module, MAKEINTRESOURCEA(IDR_SETTINGS_ACCEL));
}

void CSettingsDlg::SetCaptions() {
  SetWindowTextA(Hwnd(), m_pSettings->AppName());
  for (const ControlCaption& control : kSettingsDialogCaptions)
    SetCaption(Hwnd(), control.id, *m_pSettings, control.caption);
}

void CSettingsDlg::LoadValues() {
  for (int spin : {IDC_WIDTH_SPIN, IDC_HEIGHT_SPIN})
    SendDlgItemMessageA(Hwnd(), spin, UDM_SETRANGE32, kMinZoom, kMaxZoom);
  m_pSettings->LoadAllSettings(m_values);
  if (!Alive()) return;  // closed while a failure of the store was shown
  m_stored = m_values;
  m_policy = m_pSettings->Policy();
  FillDisplayChoice();
  ShowValues();
  ShowPolicyLocks();
  UpdatePreview();
}

void CSettingsDlg::ShowPolicyLocks() {
  bool greyed = false;
  const auto grey = [&](const PolicyLock& lock) {
    if (!m_policy.Has(lock.setting)) return;
    for (int id : lock.controls) EnableWindow(Item(id), FALSE);
    greyed = true;
  };
  for (const PolicyLock& lock : kPolicyLocks) grey(lock);
  for (const PolicyLock& lock : kGeometryLocks) grey(lock);
  if (GeometryLocked())
    for (int id : kWholeGeometryControls) EnableWindow(Item(id), FALSE);
  if (greyed) return;
  ShowWindow(Item(IDC_POLICY_NOTE), SW_HIDE);
  // Nothing greyed: the dialog ends where the note's band begins.
  RECT band{0, 0, 0, 12};
  MapDialogRect(Hwnd(), &band);
  RECT window{};
  GetWindowRect(Hwnd(), &window);
  SetWindowPos(Hwnd(), nullptr, 0, 0, window.right - window.left, window.bottom - window.top - band.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CSettingsDlg::GeometryLocked() const {
  for (AdminSetting setting : kGeometrySettings)
    if (m_policy.Has(setting)) return true;
  return false;
}

// ---- Values --------------------------------------------------------------------------------

void CSettingsDlg::TakeOverValues() {
  if (!Alive()) return;
  for (int id : {IDC_X_OFFSET, IDC_Y_OFFSET}) {
    const std::string text = ItemText(id);
    if (text.empty() || text == "-") {
      m_bWritingControls = true;
      SetItemText(id, "0");
      m_bWritingControls = false;
    }
  }
  m_values.saveFolder = ItemText(IDC_SAVE_FOLDER);
  m_values.autoSave = IsChecked(IDC_AUTO_SAVE) ? 1 : 0;
  m_values.lessonHandout = IsChecked(IDC_LESSON_HANDOUT) ? 1 : 0;
  m_values.saveBalloon = IsChecked(IDC_SAVE_BALLOON) ? 1 : 0;
  m_values.saveImageSize = IsChecked(IDC_SIZE_BOARD) ? 1 : 0;
  m_values.x = OffsetFromText(ItemText(IDC_X_OFFSET), XOffsetRange(m_sizes));
  m_values.y = OffsetFromText(ItemText(IDC_Y_OFFSET), YOffsetRange(m_sizes));
  m_values.widthZoom = Zoom(IDC_WIDTH_SPIN);
  m_values.heightZoom = Zoom(IDC_HEIGHT_SPIN);
}

void CSettingsDlg::ShowValues() {
  m_bWritingControls = true;
  SetItemText(IDC_SAVE_FOLDER, m_values.saveFolder);
  SetChecked(IDC_AUTO_SAVE, m_values.autoSave != 0);
  SetChecked(IDC_LESSON_HANDOUT, m_values.lessonHandout != 0);
  SetChecked(IDC_SAVE_BALLOON, m_values.saveBalloon != 0);
  SetChecked(IDC_SIZE_PC, m_values.saveImageSize == 0);
  SetChecked(IDC_SIZE_BOARD, m_values.saveImageSize == 1);
  m_bWritingControls = false;
  SetZoom(IDC_WIDTH_SPIN, m_values.widthZoom);
  SetZoom(IDC_HEIGHT_SPIN, m_values.heightZoom);
  ShowOffsets();
}

void CSettingsDlg::ShowOffsets() {
  m_bWritingControls = true;
  SetItemText(IDC_X_OFFSET, std::to_string(m_values.x));
  SetItemText(IDC_Y_OFFSET, std::to_string(m_values.y));
  m_bWritingControls = false;
}

int CSettingsDlg::Zoom(int spinId) const {
  if (!Alive()) return spinId == IDC_WIDTH_SPIN ? m_values.widthZoom : m_values.heightZoom;
  return static_cast<int>(SendDlgItemMessageA(Hwnd(), spinId, UDM_GETPOS32, 0, 0));
}

void CSettingsDlg::SetZoom(int spinId, int zoom) {
  (spinId == IDC_WIDTH_SPIN ? m_values.widthZoom : m_values.heightZoom) = ClampZoom(zoom);
  m_bWritingControls = true;
  SendDlgItemMessageA(Hwnd(), spinId, UDM_SETPOS32, 0, ClampZoom(zoom));
  m_bWritingControls = false;
}

bool CSettingsDlg::SaveValues() {
  // The displays left in this dialog keep what they had; the chosen one's goes with the geometry.
  const bool saved = m_pSettings->SaveAllSettings(m_values, m_displaySwitch.Left(m_values.captureDisplay));
  if (saved) {
    m_stored = m_values;
    m_bCalibrated = false;
  }
  return saved;
}

SettingsValues CSettingsDlg::CurrentValues() {
  TakeOverValues();
  return m_values;
}

// ---- What the frame calls ------------------------------------------------------------------

void CSettingsDlg::StoreSettings() {
  StepFlag saving(m_bSaving);
  TakeOverValues();
  SaveValues();
}

void CSettingsDlg::CloseForLoadFailure() { Close(kSettingsDialogLoadFailed); }

void CSettingsDlg::Close(int code) {
  m_bitmaps.Clear();
  if (m_bEnded) return;
  m_bEnded = true;
  EndDialog(code);
}

void CSettingsDlg::OnDestroy() {
  // However the window goes (ended, or destroyed with its owner), the frame must not see a modal
  // step still running.
  m_bEnded = true;
  m_bitmaps.Clear();
  if (GetCapture() == Hwnd()) ReleaseCapture();
}

void CSettingsDlg::BringToFront() {
  if (!Alive()) return;
  // Minimised, it has no taskbar button to come back by.
  if (IsIconic(Hwnd())) ShowWindow(Hwnd(), SW_RESTORE);
  // The system lets a program take the foreground only from the foreground's own input queue and
  // after the lock time-out: join the queue and lift the time-out for one call.
  const HWND foreground = GetForegroundWindow();
  const DWORD ownThread = GetCurrentThreadId();
  const DWORD foregroundThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
  const bool attached = foregroundThread && foregroundThread != ownThread &&
                        AttachThreadInput(ownThread, foregroundThread, TRUE);
  DWORD lockTimeout = 0;
  SystemParametersInfoA(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &lockTimeout, 0);
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, 0);
  SetForegroundWindow(Hwnd());
  SystemParametersInfoA(SPI_SETFOREGROUNDLOCKTIMEOUT, 0,
                        reinterpret_cast<PVOID>(static_cast<UINT_PTR>(lockTimeout)), 0);
  if (attached) AttachThreadInput(ownThread, foregroundThread, FALSE);
  // Topmost for a moment: WM_WINDOWPOSCHANGED takes it back, leaving the dialog on top.
  SetWindowPos(Hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CSettingsDlg::OnWindowPosChanged(const WINDOWPOS& pos) {
  if (GetWindowLongA(Hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST)
    SetWindowPos(Hwnd(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (!(pos.flags & SWP_SHOWWINDOW)) return;
  SetForegroundWindow(Hwnd());
  SetFocus(Hwnd());
  SetWindowPos(Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  if (m_hFrame) PostMessageA(m_hFrame, UM_SHOWCALIBRATION, 0, 0);
}

// ---- Messages ------------------------------------------------------------------------------

bool CSettingsDlg::PreTranslateMessage(MSG& msg) {
  return m_hAccel && TranslateAcceleratorA(Hwnd(), m_hAccel, &msg) != 0;
}

bool CSettingsDlg::OnCommand(WORD id, WORD notifyCode) {
  switch (id) {
    case IDC_X_OFFSET:
    case IDC_Y_OFFSET:
      if (notifyCode == EN_CHANGE) OnOffsetEdited(id);
      return true;
    case IDC_WIDTH_ZOOM:
    case IDC_HEIGHT_ZOOM:
      if (notifyCode == EN_CHANGE) OnZoomEdited(id);
      return true;
    case IDC_SIZE_PC:
    case IDC_SIZE_BOARD:
      if (notifyCode == BN_CLICKED) {
        TakeOverValues();
        RepaintPreview();
      }
      return true;
    case IDC_AUTO_SAVE:
    case IDC_LESSON_HANDOUT:
    case IDC_SAVE_BALLOON:
      if (notifyCode == BN_CLICKED) TakeOverValues();
      return true;
    case IDC_MOVE_UP:
    case IDC_MOVE_DOWN:
    case IDC_MOVE_LEFT:
    case IDC_MOVE_RIGHT:
      // Keyboard presses and Alt+arrow keys; mouse presses come as UM_HOLDREPEAT.
      Step(id);
      return true;
    case IDC_BROWSE:
      OnBrowse();
      return true;
    case IDC_DEFAULTS:
      OnDefaults();
      return true;
    case IDC_SAVE_NOW:
      OnSaveNow();
      return true;
    case IDC_DISPLAY_CHOICE:
      if (notifyCode == CBN_SELCHANGE) OnDisplayChosen();
      return true;
    case IDC_CALIBRATE_SCAN:
      OnCalibrateFromScan();
      return true;
    case IDOK:
      OnOk();
      return true;
    case IDCANCEL:
      OnCancel();
      return true;
    default:
      return false;
  }
}

bool CSettingsDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_PAINT: {
      app::PaintDc paint(Hwnd());
      if (PreviewShown()) PaintPreviewBuffered(paint.Get(), m_bitmaps, Picture());
      return true;
    }
    case WM_PRINTCLIENT:
      if (PreviewShown()) PaintPreview(reinterpret_cast<HDC>(wParam), m_bitmaps, Picture());
      return true;
    case UM_HOLDREPEAT:
      Step(static_cast<int>(wParam));
      return true;
    case WM_LBUTTONDOWN:
      OnButtonDown({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_MOUSEMOVE:
      OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
      return true;
    case WM_LBUTTONUP:
      EndDrag();
      return true;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != Hwnd()) m_drag = {};
      return false;
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT || reinterpret_cast<HWND>(wParam) != Hwnd()) return false;
      POINT p{};
      GetCursorPos(&p);
      ScreenToClient(Hwnd(), &p);
      if (!SetPreviewCursor({p.x, p.y})) return false;
      result = TRUE;
      return true;
    }
    case WM_WINDOWPOSCHANGED:
      OnWindowPosChanged(*reinterpret_cast<const WINDOWPOS*>(lParam));
      return false;
    default:
      return false;
  }
}

bool CSettingsDlg::OnQueryEndSession(LRESULT& answer) {
  // The frame runs the close sequence and decides for the whole program; the sequence ends this
  // dialog and destroys its window.
  answer = m_hFrame ? SendMessageA(m_hFrame, UM_CLOSEAPP, 0, 0) : TRUE;
  return true;
}

// ---- Buttons -------------------------------------------------------------------------------

int CSettingsDlg::AskYesNo(const Caption& question) {
  return MessageBoxA(Hwnd(), m_pSettings->CaptionText(question).c_str(), ApplicationTitle().c_str(),
                     MB_YESNO | MB_ICONQUESTION);
}

void CSettingsDlg::OnBrowse() {
  TakeOverValues();
  StepFlag browsing(m_bBrowsing);
  const app::UniqueItemIdList preselect = FolderItem(m_values.saveFolder);
  BROWSEINFOA info{};
  info.hwndOwner = Hwnd();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(preselect.Get());
  const app::UniqueItemIdList chosen(SHBrowseForFolderA(&info));
  char path[MAX_PATH] = {};
  if (!chosen || !Alive() || !SHGetPathFromIDListA(chosen.Get(), path)) return;
  SetItemText(IDC_SAVE_FOLDER, path);
  m_values.saveFolder = ItemText(IDC_SAVE_FOLDER);
}

void CSettingsDlg::OnDefaults() {
  // This PC's defaults: the program's own, or what the installation gave. The display stays (it is
  // where the screen is, not how to save), and so does the lesson gap, which the dialog never sets.
  SettingsValues defaults = m_pSettings->Defaults();
  defaults.captureDisplay = m_values.captureDisplay;
  defaults.captureDisplayName = m_values.captureDisplayName;
  defaults.lessonGapMinutes = m_values.lessonGapMinutes;
  m_values = defaults;
  m_policy.ApplyTo(m_values);  // what the administrator set is not the user's to reset
  ShowValues();
  UpdatePreview();
}

void CSettingsDlg::OnCalibrateFromScan() {
  TakeOverValues();
  // The frame shows the targets on the chosen display and takes the next scan for them.
  if (m_hFrame) SendMessageA(m_hFrame, UM_CALIBRATEFROMSCAN, 0, 0);
}

void CSettingsDlg::ApplyCalibration(int widthZoom, int heightZoom, int x, int y) {
  if (!Alive() || GeometryLocked()) return;
  TakeOverValues();
  m_values.widthZoom = widthZoom;
  m_values.heightZoom = heightZoom;
  m_values.x = x;
  m_values.y = y;
  m_bCalibrated = true;
  ShowValues();
  UpdatePreview();
}

void CSettingsDlg::OnSaveNow() {
  StepFlag saving(m_bSaving);
  TakeOverValues();
  // A failed write has told the user; the outputs then wait for a save that works.
  if (!SaveValues() || !Alive()) return;
  if (m_hFrame) SendMessageA(m_hFrame, UM_SAVEOVERLAY, 0, 0);
}

void CSettingsDlg::OnOk() {
  StepFlag running(m_bOkRunning);
  if (ImagesPresent() && !m_bSaved) {
    const int answer = AskYesNo(caption::kMesNotSavedOk);
    if (!Alive() || answer != IDYES) return;
  }
  TakeOverValues();
  SaveValues();
  if (Alive()) Close(IDOK);
}

void CSettingsDlg::OnCancel() {
  TakeOverValues();
  const bool changed =
      m_pSettings->ImageSettingsChanged(m_values) || m_pSettings->FolderSettingsChanged(m_values);
  // Values found from a calibration scan are work of the user's too, though that scan is never
  // saved as an overlay.
  const bool unsavedWork = (!m_bSaved && ImagesPresent()) || m_bCalibrated;
  if (changed && unsavedWork) {
    StepFlag asking(m_bCancelAsking);
    const int answer = AskYesNo(caption::kMesNotSavedCancel);
    if (!Alive() || answer == IDNO) return;
  }
  Close(IDCANCEL);
}

}  // namespace zt::shell

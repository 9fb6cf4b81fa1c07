#include "overlay/shell/frame/win32/main_frame.h"

#include <dbt.h>
#include <shellapi.h>

#include <vector>

#include "common/sd_channel.h"
#include "common/win32/directory_walk.h"
#include "overlay/engine/capture/displays.h"
#include "overlay/engine/capture/screen_capture.h"
#include "overlay/shell/device_watch/device_change.h"
#include "overlay/shell/dialogs/display_label.h"
#include "overlay/shell/dialogs/win32/about_dialog.h"
#include "overlay/shell/dialogs/win32/calibration_dialog.h"
#include "overlay/shell/dialogs/win32/calibration_pattern.h"
#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
#include "overlay/shell/drive_watch/drive_listing.h"
#include "overlay/shell/frame/close_prompt.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/frame/help_path.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {

namespace {

// The engine's box styles and answer, as the system numbers them.
static_assert(kMessageBoxNotice == (MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST));
static_assert(kMessageBoxYesNo == (kMessageBoxNotice | MB_YESNO));
static_assert(kAnswerYes == IDYES);

constexpr UINT kCloseQuestionStyle = MB_ICONWARNING | MB_YESNOCANCEL;

// The message that takes each step the pipeline asks for, and the timer of each retry.
UINT StepMessage(FrameStep step) {
  switch (step) {
    case FrameStep::StartDriveWatch:
      return UM_STARTWATCH;
    case FrameStep::TakeQueuedScan:
      return UM_NEWSCAN;
    case FrameStep::OpenSettings:
      break;
  }
  return UM_OPENSETTINGS;
}
UINT_PTR RetryTimer(Retry what) {
  switch (what) {
    case Retry::DriveWatch:
      return kTimerWatchRetry;
    case Retry::SdScan:
      return kTimerSdScanRetry;
    case Retry::WaitingSaves:
      break;
  }
  return kTimerWaitingSaves;
}
UINT_PTR LinkTimerId(LinkTimer timer) {
  return timer == LinkTimer::Connect ? kTimerSdConnect : kTimerSdWatchdog;
}

const Caption& NoticeCaption(Notice notice) {
  switch (notice) {
    case Notice::LoadFailed:
      return caption::kMesLoadFailImage;
    case Notice::SaveFailed:
      return caption::kMesFailedToSave;
    case Notice::CalibrationStored:
      break;
  }
  return caption::kMesCalibStored;
}

// What the user is told when a calibration scan is refused.
const Caption& RefusalCaption(CalibrationRefusal refusal) {
  switch (refusal) {
    case CalibrationRefusal::NoMarks:
      return caption::kMesCalibNoMarks;
    case CalibrationRefusal::AllInk:
      return caption::kMesCalibAllInk;
    case CalibrationRefusal::TooFewMarks:
      return caption::kMesCalibFewMarks;
    case CalibrationRefusal::MarksOffPattern:
      return caption::kMesCalibOffPattern;
    case CalibrationRefusal::ResidualTooLarge:
      return caption::kMesCalibResidual;
    case CalibrationRefusal::OutOfRange:
    case CalibrationRefusal::None:
      break;
  }
  return caption::kMesCalibRange;
}

}  // namespace

CMainFrame::CMainFrame(std::unique_ptr<DeviceTree> deviceTree)
    : FrameWindow(kFrameClassName),
      m_pImageFiles(MakeLibraryImageFiles()),
      m_pFileSystem(MakeSystemFileSystem()),
      m_pipeline(*this, *m_pImageFiles, *m_pFileSystem),
      m_lessonDesk(
          m_settings, *m_pImageFiles,
          [this](const std::string& text, const std::string& folder) { TellByBalloon(text, folder); },
          [this](const std::string& text) { ShowMessage(text, kMessageBoxNotice); }),
      m_trayIcon(m_settings),
      m_pDeviceTree(std::move(deviceTree)) {
  BindMessages();
}

CMainFrame::~CMainFrame() { Destroy(); }

// The frame's message table, in the order the messages are listed for the frame: window life,
// the custom messages, the timers, the tray menu's commands, then the messages the frame takes
// before all others (the end of the session, the close request, the tray and the SD checker).
void CMainFrame::BindMessages() {
  OnMessage(WM_CREATE, [this](WPARAM, LPARAM) { return OnCreate(); });
  OnMessage(WM_DESTROY, [this](WPARAM, LPARAM) { return OnDestroy(); });
  OnMessage(WM_DEVICECHANGE, [this](WPARAM w, LPARAM l) { return OnDeviceChange(w, l); });

  OnMessage(UM_STARTWATCH, [this](WPARAM, LPARAM) { return OnStartWatch(); });
  OnMessage(UM_NEWSCAN, [this](WPARAM, LPARAM) { return static_cast<LRESULT>(m_pipeline.OnNewScan()); });
  OnMessage(UM_OPENSETTINGS, [this](WPARAM, LPARAM) { return OnOpenSettings(); });
  OnMessage(UM_SHOWCALIBRATION, [this](WPARAM, LPARAM) { return OnShowCalibration(); });
  OnMessage(UM_CALIBRATEFROMSCAN, [this](WPARAM, LPARAM) { return OnCalibrateFromScan(); });
  OnMessage(UM_ENDCALIBRATION, [this](WPARAM, LPARAM) { return OnEndCalibration(); });
  OnMessage(UM_SAVEOVERLAY,
            [this](WPARAM, LPARAM) { return static_cast<LRESULT>(m_pipeline.SaveOverlay()); });
  OnMessage(UM_CHECKDRIVE, [this](WPARAM, LPARAM) { return OnCheckDrive(); });
  OnMessage(UM_POLLSCANFLAG, [this](WPARAM, LPARAM) { return OnPollScanFlag(); });
  OnMessage(UM_WATCHFOUNDSCAN, [this](WPARAM, LPARAM) { return OnWatchFoundScan(); });
  OnMessage(UM_WATCHFOUNDNOTHING, [this](WPARAM, LPARAM) { return OnWatchFoundNothing(); });
  OnMessage(UM_LESSONPAGE, [this](WPARAM, LPARAM) {
    m_lessonDesk.OnSavedOverlays();
    return LRESULT{0};
  });

  OnTimer(kTimerWatchRetry, [this] { m_pipeline.OnWatchRetry(); });
  OnTimer(kTimerScanPoll, [this] { Post(UM_POLLSCANFLAG); });
  OnTimer(kTimerSdConnect, [this] { OnSdConnectTimer(); });
  OnTimer(kTimerSdScanRetry, [this] { m_pipeline.OnSdScanRetry(); });
  OnTimer(kTimerSdWatchdog, [this] { OnSdWatchdogTimer(); });
  OnTimer(kTimerTrayRetry, [this] { AddTrayIcon(); });
  OnTimer(kTimerWaitingSaves, [this] { OnWaitingSavesTimer(); });

  OnCommand(ID_TRAY_SETTINGS, [this] { OnSettingsCommand(); });
  OnCommand(ID_TRAY_HELP, [this] { OnHelpCommand(); });
  OnCommand(ID_APP_ABOUT, [this] { OnAboutCommand(); });
  OnCommand(ID_TRAY_EXIT, [this] { OnExitCommand(); });
  OnCommand(ID_TRAY_OPEN_FOLDER, [this] { m_lessonDesk.OpenSaveFolder(); });
  OnCommand(ID_TRAY_HANDOUT, [this] { m_lessonDesk.OpenHandout(); });
  OnCommand(ID_TRAY_NEW_LESSON, [this] { m_lessonDesk.StartNewLesson(); });

  OnMessage(WM_QUERYENDSESSION, [this](WPARAM, LPARAM) { return OnCloseRequest(); });
  OnMessage(UM_CLOSEAPP, [this](WPARAM, LPARAM) { return OnCloseRequest(); });
  OnMessage(UM_TRAYNOTIFY, [this](WPARAM, LPARAM l) { return OnTrayNotify(l); });
  m_nSdCheckerMsg = OnRegisteredMessage(sdchannel::kMessageName,
                                        [this](WPARAM w, LPARAM l) { return OnSdCheckerMessage(w, l); });
  // Explorer restarted: the taskbar lost its icons and asks for them again.
  OnRegisteredMessage("TaskbarCreated", [this](WPARAM, LPARAM) {
    AddTrayIcon();
    return LRESULT{0};
  });
}

bool CMainFrame::CreateFrame() { return Create(m_settings.AppName(), kFrameStyle); }

LRESULT CMainFrame::OnCreate() {
  HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME));
  SendMessageA(Hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(Hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  if (HMENU system = GetSystemMenu(Hwnd(), FALSE)) {
    DeleteMenu(system, SC_RESTORE, MF_BYCOMMAND);
    DeleteMenu(system, SC_MAXIMIZE, MF_BYCOMMAND);
  }
  SetWindowPos(Hwnd(), nullptr, 0, 0, 1, 1, SWP_NOZORDER | SWP_NOREDRAW);
  m_trayIcon.Attach(Hwnd(), UM_TRAYNOTIFY);
  AddTrayIcon();  // a missing taskbar is no reason not to run
  // Fire and forget: without it, only volume broadcasts arrive.
  m_hDevNotify = RegisterUsbNotification(Hwnd());
  Post(UM_CHECKDRIVE);
  // Saves a previous run could not deliver are offered to the save folder again soon.
  if (m_pipeline.HasWaitingSaves()) SetTimer(kTimerWaitingSaves, kRetryIntervalMs);
  return 0;
}

LRESULT CMainFrame::OnDestroy() {
  EndSettingsDialog();
  EndCalibrationPattern();
  m_driveWatch.Wait();
  m_pipeline.ReleaseImages();
  m_lessonDesk.Finish();  // a save made just before the end is still a page of the handout
  m_trayIcon.Remove();
  m_driveMap.Close();  // clears the published letter and flags for the scan checker
  m_hDevNotify.Reset();
  // Unregistered, the checker ends by itself once it has no other client.
  m_sdLink.Disconnect(reinterpret_cast<CheckerWindow>(Hwnd()));
  DeleteSdDownloads();
  return 0;
}

// ---- Tray ----------------------------------------------------------------------------------

LRESULT CMainFrame::OnTrayNotify(LPARAM mouseMessage) {
  if (mouseMessage == NIN_BALLOONUSERCLICK && !m_strBalloonOpens.empty()) {
    ShellExecuteA(nullptr, "open", m_strBalloonOpens.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return 0;
  }
  if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return 0;
  POINT cursor{};
  GetCursorPos(&cursor);  // where the click was, before anything else moves it
  if (IsBusy() || m_pipeline.AskingAboutUnsavedOverlay()) {
    if (m_pSettingsDlg) m_pSettingsDlg->BringToFront();
    return 0;
  }
  m_trayIcon.ShowMenu(cursor, MenuShowsLesson());
  return 0;
}

bool CMainFrame::MenuShowsLesson() {
  SettingsValues values;
  m_settings.ReadIniSettings(values);
  return values.lessonHandout == 1 || values.saveBalloon == 1;
}

void CMainFrame::AddTrayIcon() {
  KillTimer(kTimerTrayRetry);
  if (!m_trayIcon.Add()) SetTimer(kTimerTrayRetry, kTrayRetryIntervalMs);
}

void CMainFrame::OnSettingsCommand() { Post(UM_OPENSETTINGS); }

void CMainFrame::OnHelpCommand() {
  char relative[caption::kPathHelp.bufferSize] = {};
  m_settings.LoadCaption(caption::kPathHelp.section, caption::kPathHelp.key, kDefaultHelpPath, relative,
                         sizeof relative);
  const std::optional<std::string> page = HelpPagePath(m_settings.ProgramFolder(), relative);
  if (!page) return;  // a path that does not fit is not opened cut short
  ShellExecuteA(nullptr, "open", page->c_str(), nullptr, nullptr, SW_SHOW);
}

void CMainFrame::OnAboutCommand() {
  if (m_pAboutDlg && m_pAboutDlg->Hwnd()) {
    ShowWindow(m_pAboutDlg->Hwnd(), SW_SHOW);
    SetForegroundWindow(m_pAboutDlg->Hwnd());
    return;
  }
  auto about = std::make_unique<CAboutDlg>(m_settings);
  if (!about->CreateModeless(Hwnd())) return;
  about->Show(true);
  m_pAboutDlg = std::move(about);
}

void CMainFrame::OnExitCommand() { CloseProgram(true); }

// ---- Settings dialog and calibration hint --------------------------------------------------

LRESULT CMainFrame::OnOpenSettings() {
  if (m_pSettingsDlg) {
    m_pSettingsDlg->BringToFront();  // restored too, when it was minimised
    return 0;
  }
  DialogImages images;
  if (m_pipeline.HasImageSet()) {
    const ImageSet& set = m_pipeline.Images();
    images.scanHalf = set.scanHalf.get();
    images.screenHalf = set.screenHalf.get();
    images.scanMask = set.scanMask.get();
    images.scanWidth = set.scan->Width();
    images.scanHeight = set.scan->Height();
    images.screenWidth = set.screen->Width();
    images.screenHeight = set.screen->Height();
  }
  CSettingsDlg dialog(m_settings, Hwnd(), images, m_pipeline.Saved());
  m_pSettingsDlg = &dialog;
  dialog.DoModal(Hwnd());
  // The dialog's loop may have run the whole close sequence; only the pointer is left to drop.
  m_pSettingsDlg = nullptr;
  // The targets belong to the dialog's calibration: they never outlive it.
  EndCalibrationPattern();
  // The hint explains the dialog: it goes with it, and is never left on the screen that the
  // next scan captures.
  HideCalibrationHint();
  return 0;
}

LRESULT CMainFrame::OnShowCalibration() {
  if (m_pCalibrationDlg) return 0;  // once per run
  auto hint = std::make_unique<CCalibrationDlg>(m_settings);
  if (!hint->CreateModeless(Hwnd())) return 0;
  if (m_pSettingsDlg) PlaceBeside(hint->Hwnd(), m_pSettingsDlg->Hwnd());
  hint->Show(true);
  m_pCalibrationDlg = std::move(hint);
  return 0;
}

// ---- Close sequence ------------------------------------------------------------------------

LRESULT CMainFrame::OnCloseRequest() { return CloseProgram(false); }

LRESULT CMainFrame::CloseProgram(bool exitCommand) {
  std::uint8_t& flag = exitCommand ? m_bExiting : m_bSessionEnding;
  flag = 1;
  if ((!exitCommand || m_pSettingsDlg) && !AskAboutUnsavedSettings()) {
    flag = 0;
    return 0;  // the end of the session is refused
  }
  EndSettingsDialog();
  DestroyModelessDialogs();
  m_driveWatch.Wait();
  KillTimer(kTimerWatchRetry);
  KillTimer(kTimerScanPoll);
  m_pipeline.ReleaseImages();
  KillTimer(kTimerTrayRetry);
  m_trayIcon.Remove();
  Destroy();
  return 1;
}

bool CMainFrame::AskAboutUnsavedSettings() {
  if (!m_pSettingsDlg) return true;
  OpenDialogState state;
  state.initialised = m_pSettingsDlg->Initialised();
  state.saved = m_pSettingsDlg->SavedFlag();
  state.hasImages = m_pSettingsDlg->HasImages();
  if (state.initialised) {  // before that the controls hold nothing the user chose
    const SettingsValues v = m_pSettingsDlg->CurrentValues();
    state.imageSettingsChanged = m_settings.ImageSettingsChanged(v);
    state.folderSettingsChanged = m_settings.FolderSettingsChanged(v);
  }
  const ClosePrompt prompt = ChooseClosePrompt(state);
  if (!prompt.question) return true;

  const std::string text = m_settings.CaptionText(*prompt.question);
  const int answer =
      MessageBoxA(m_pSettingsDlg->Hwnd(), text.c_str(), m_settings.AppName(), kCloseQuestionStyle);
  if (answer == IDCANCEL) return false;
  if (answer != IDYES) return true;
  // The box ran a message loop of its own: the dialog may have gone meanwhile.
  if (prompt.yesStoresSettings && m_pSettingsDlg) m_pSettingsDlg->StoreSettings();
  if (prompt.yesSavesOverlay && m_pipeline.HasImageSet()) m_pipeline.SaveOverlay();
  return true;
}

void CMainFrame::EndSettingsDialog() {
  if (!m_pSettingsDlg) return;
  m_pSettingsDlg->Close(IDCANCEL);
  m_pSettingsDlg = nullptr;
}

void CMainFrame::DestroyModelessDialogs() {
  if (m_pAboutDlg) m_pAboutDlg->Destroy();
  m_pAboutDlg.reset();
  if (m_pCalibrationDlg) m_pCalibrationDlg->Destroy();
  m_pCalibrationDlg.reset();
}

void CMainFrame::DeleteSdDownloads() {
  const std::string folder = m_settings.SdDownloadFolder();
  if (folder.empty()) return;
  // Listed whole before the first deletion: the search never sees the folder change under it.
  std::vector<std::string> files;
  app::ForEachEntry(folder + "*.*", [&](const WIN32_FIND_DATAA& found) {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back(folder + found.cFileName);
  });
  for (const std::string& file : files) DeleteFileA(file.c_str());
}

// ---- The board road ------------------------------------------------------------------------

LRESULT CMainFrame::OnCheckDrive() {
  const BoardDrive board = m_boardFinder.Find();
  if (board.found)
    OnBoardFound(board);
  else
    OnNoBoard();
  return 0;
}

void CMainFrame::OnBoardFound(const BoardDrive& board) {
  if (board.boardId != m_strBoardId) {
    m_strBoardId = board.boardId;
    m_driveWatch.ClearHistory();  // a different board starts afresh
  }
  if (m_driveMap.PublishedLetter()) return;
  if (m_driveMap.Publish(board.letter)) {
    KillTimer(kTimerSdConnect);
    m_sdLink.Disconnect(reinterpret_cast<CheckerWindow>(Hwnd()));
    Post(UM_POLLSCANFLAG);
    return;
  }
  // The detector service's map is missing; a later device event tries again.
  ShowMessage(m_settings.CaptionText(caption::kMesFailedToAccessSetting), kMessageBoxNotice);
  // The box ran a loop of its own, in which the program may have been closed.
  if (IsWindow(Hwnd())) LeaveStartupPassForSettings();
}

// Without a board the scans come from the wireless card.
void CMainFrame::OnNoBoard() {
  m_driveWatch.ClearHistory();
  LeaveStartupPassForSettings();
  if (!m_sdLink.Connect(reinterpret_cast<CheckerWindow>(Hwnd()), m_settings.SdDownloadFolder()))
    SetTimer(kTimerSdConnect, kRetryIntervalMs);
}

// The first look after start-up that finds nothing to show opens the settings dialog once, so
// that the user sees where scans go; not where the administrator has already said so.
void CMainFrame::LeaveStartupPassForSettings() {
  if (!m_pipeline.InStartupPass()) return;
  m_pipeline.EndStartupPass();
  if (!m_settings.AdminGaveSaveFolder()) Post(UM_OPENSETTINGS);
}

LRESULT CMainFrame::OnDeviceChange(WPARAM event, LPARAM data) {
  if (event == kDeviceArrival) {
    if (!m_driveMap.PublishedLetter()) Post(UM_CHECKDRIVE);
    return TRUE;
  }
  if (event == kDeviceRemoveComplete) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
    const DWORD unitMask = header && header->dbch_devicetype == kDeviceTypeVolume
                               ? reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data)->dbcv_unitmask
                               : 0;
    if (header && RemovalTakesDrive(m_driveMap.PublishedLetter(), header->dbch_devicetype, unitMask)) {
      KillTimer(kTimerScanPoll);
      KillTimer(kTimerWatchRetry);  // a retry would look at a drive that is gone
      m_driveMap.Forget();
      Post(UM_CHECKDRIVE);
    }
    return TRUE;
  }
  return DefWindowProcA(Hwnd(), WM_DEVICECHANGE, event, data);
}

// ---- The drive watch ------------------------------------------------------------------------

LRESULT CMainFrame::OnStartWatch() {
  // The busy test is made here rather than on the thread: the thread must not look at a settings
  // dialog that this thread may be destroying.
  if (IsBusy()) {
    SetTimer(kTimerWatchRetry, kRetryIntervalMs);
    return 0;
  }
  switch (m_driveWatch.Start(m_driveMap.PublishedLetter())) {
    case WatchStart::Started:
    case WatchStart::PassRunning:  // its result comes by message
      break;
    case WatchStart::ScanWaiting:  // the last pass's scan is still being handled: look again later
    case WatchStart::NotStarted:
      SetTimer(kTimerWatchRetry, kRetryIntervalMs);
      break;
  }
  return 0;
}

std::vector<ListedEntry> CMainFrame::ListScanFiles(const std::string& root) {
  return zt::ListScanFiles(root);
}

bool CMainFrame::PassEnded(bool foundScan) {
  return Post(foundScan ? UM_WATCHFOUNDSCAN : UM_WATCHFOUNDNOTHING);
}

LRESULT CMainFrame::OnWatchFoundScan() {
  if (const std::optional<std::string> scan = m_driveWatch.TakeFoundScan()) {
    m_pipeline.TakeScan(*scan, ScanSource::Board);
  }
  // Only now may the next pass write the path and the known files again.
  m_driveWatch.ScanHandled();
  return 0;
}

LRESULT CMainFrame::OnWatchFoundNothing() {
  RearmScanPoll();
  LeaveStartupPassForSettings();
  return 0;
}

LRESULT CMainFrame::OnPollScanFlag() {
  if (!m_driveMap.PublishedLetter()) return 0;  // polling ends until a letter is published again
  if (m_driveMap.ScanPressed() || m_pipeline.InStartupPass()) {
    // The screenshot belongs to the press of the button; the file is looked for afterwards.
    m_pipeline.CaptureScreen();
    Post(UM_STARTWATCH);
    return 0;
  }
  SetTimer(kTimerScanPoll, kScanPollIntervalMs);
  return 0;
}

LRESULT CMainFrame::OnCalibrateFromScan() {
  if (!m_pSettingsDlg) return 0;
  EndCalibrationPattern();
  const std::string chosen = m_pSettingsDlg->ChosenDisplay();
  const std::vector<DisplayInfo> displays = ListDisplays();
  // A chosen display that is not attached cannot be calibrated: the targets would go to the
  // primary screen and the values found there would be stored as the missing display's.
  const DisplayInfo* display =
      chosen.empty() ? CaptureDisplayFor(displays, "") : FindChosenDisplay(displays, chosen);
  if (!display) {
    ShowMessage(m_settings.CaptionText(caption::kMesCalibNoDisplay), kMessageBoxNotice);
    return 0;
  }
  auto pattern = std::make_unique<CCalibrationPattern>(
      Hwnd(), m_settings.CaptionText(caption::kMesCalibPattern), m_settings.DialogFont());
  if (!pattern->Show(*display)) return 0;
  HideCalibrationHint();  // the hint's advice is for calibrating by hand
  m_pPattern = std::move(pattern);
  m_strPatternDisplay = chosen;
  m_pipeline.BeginCalibration();
  return 0;
}

LRESULT CMainFrame::OnEndCalibration() {
  EndCalibrationPattern();
  if (m_pSettingsDlg) m_pSettingsDlg->BringToFront();
  return 0;
}

// ---- The wireless road ---------------------------------------------------------------------

// Timer 103: try the checker again, as long as no board drive is published.
void CMainFrame::OnSdConnectTimer() {
  if (m_driveMap.PublishedLetter()) return;
  if (!m_sdLink.Connect(reinterpret_cast<CheckerWindow>(Hwnd()), m_settings.SdDownloadFolder()))
    SetTimer(kTimerSdConnect, kRetryIntervalMs);
}

void CMainFrame::OnSdWatchdogTimer() { m_sdLink.Watchdog(); }

// Codes 2, 3 and the checker's delivery failure; anything else goes to the default procedure.
LRESULT CMainFrame::OnSdCheckerMessage(WPARAM code, LPARAM block) {
  const auto address = static_cast<RemoteAddress>(block);
  if (code == sdchannel::kRegistrationTaken) {
    m_sdLink.ReleaseRegistrationBlock(address);
    return 0;
  }
  if (code == sdchannel::kFileDelivered) {
    m_sdLink.TakeDeliveredPath(address);
    return 0;
  }
  if (code == sdchannel::kDeliveryFailed) {
    if (m_sdLink.DeliveryFailed()) TellByBalloon(m_settings.CaptionText(caption::kMesSdDeliveryFailed));
    return 0;
  }
  return DefWindowProcA(Hwnd(), m_nSdCheckerMsg, code, block);
}

bool CMainFrame::TellByBalloon(const std::string& text, const std::string& clickOpens) {
  m_strBalloonOpens = clickOpens;
  if (!m_trayIcon.ShowBalloon(text)) return false;
  m_bBalloonShown = true;
  return true;
}

// ---- PipelineHost ----------------------------------------------------------------------------

void CMainFrame::Later(FrameStep step) { Post(StepMessage(step)); }
void CMainFrame::SaveOverlayNow() { Send(UM_SAVEOVERLAY); }

void CMainFrame::OverlaySaved(const SavedOverlay& saved) {
  m_lessonDesk.Queue(saved);
  Post(UM_LESSONPAGE);
}
void CMainFrame::RetryLater(Retry what) {
  SetTimer(RetryTimer(what), what == Retry::WaitingSaves ? kWaitingSavesIntervalMs : kRetryIntervalMs);
}
void CMainFrame::CancelRetry(Retry what) {
  KillTimer(RetryTimer(what));
  // All delivered: a later outage is told again.
  if (what == Retry::WaitingSaves) m_bSaveWaitingTold = false;
}

void CMainFrame::SaveWaitsForFolder() {
  // Told until the shell has shown it once (a taskbar not ready yet shows nothing).
  if (!m_bSaveWaitingTold)
    m_bSaveWaitingTold = TellByBalloon(m_settings.CaptionText(caption::kMesSaveWaiting));
}

void CMainFrame::OnWaitingSavesTimer() {
  KillTimer(kTimerWaitingSaves);
  // Never in the middle of a scan or under a question's box: the next tick comes.
  if (m_pipeline.IsBusy() || m_pipeline.AskingAboutUnsavedOverlay()) {
    SetTimer(kTimerWaitingSaves, kWaitingSavesIntervalMs);
    return;
  }
  m_pipeline.DeliverWaitingSaves();
}

void CMainFrame::Tell(Notice notice) {
  ShowMessage(m_settings.CaptionText(NoticeCaption(notice)), kMessageBoxNotice);
}

void CMainFrame::TellCalibrationRefused(CalibrationRefusal why) {
  ShowMessage(m_settings.CaptionText(RefusalCaption(why)), kMessageBoxNotice);
}

bool CMainFrame::AskToSaveUnsavedOverlay() {
  const std::string text = m_settings.CaptionText(caption::kMesMultiScan);
  return ShowMessage(text, kMessageBoxYesNo) == kAnswerYes;
}

// ---- LinkClock -------------------------------------------------------------------------------

void CMainFrame::SetLinkTimer(LinkTimer timer, unsigned milliseconds) {
  SetTimer(LinkTimerId(timer), milliseconds);
}
void CMainFrame::KillLinkTimer(LinkTimer timer) { KillTimer(LinkTimerId(timer)); }
void CMainFrame::PostNewScan() { Post(UM_NEWSCAN); }

int CMainFrame::ShowMessage(const std::string& text, unsigned style) {
  return MessageBoxA(nullptr, text.c_str(), ApplicationTitle().c_str(), style);
}

bool CMainFrame::LoadAllSettings(SettingsValues& values) {
  const bool read = m_settings.LoadAllSettings(values);
  // Without the dialog the stored choice decides the capture (with the dialog, its preview shows
  // what will be saved).
  if (!m_pSettingsDlg && !values.captureDisplay.empty()) StandInForAbsentDisplay(values);
  return read;
}

// The capture of a chosen display that is not attached takes the primary one: the scan is laid
// over it with the primary display's own values, not the absent one's, and the user is told
// once, beside the tray icon rather than in a box on the projected screen.
void CMainFrame::StandInForAbsentDisplay(SettingsValues& values) {
  const std::vector<DisplayInfo> displays = ListDisplays();
  if (FindChosenDisplay(displays, values.captureDisplay)) {
    m_strToldAbsentDisplay.clear();
    return;
  }
  const DisplayInfo* primary = CaptureDisplayFor(displays, "");
  PutCalibration(StandInCalibration(
                     values, primary ? m_settings.ReadDisplayCalibration(primary->identity) : std::nullopt,
                     m_settings.ReadDisplayCalibration("")),
                 values);
  if (m_strToldAbsentDisplay == values.captureDisplay) return;
  m_strToldAbsentDisplay = values.captureDisplay;
  const std::string& name =
      values.captureDisplayName.empty() ? values.captureDisplay : values.captureDisplayName;
  TellByBalloon(DisplayLabel(m_settings.CaptionText(caption::kMesDisplayAbsent), name, 0, 0));
}

DibPtr CMainFrame::CaptureScreenImage() {
  // A word of ours beside the tray icon is no part of what the screen showed; one may stay up as
  // long as the user is away from the keyboard.
  if (m_bBalloonShown) m_trayIcon.HideBalloon();
  m_bBalloonShown = false;
  // The targets' display while they are up; else the open dialog's choice, which counts before it
  // is stored; else the stored one.
  if (m_pPattern) return CaptureChosenDisplay(m_strPatternDisplay);
  if (m_pSettingsDlg && m_pSettingsDlg->Initialised())
    return CaptureChosenDisplay(m_pSettingsDlg->ChosenDisplay());
  SettingsValues stored;
  m_settings.ReadRegistrySettings(stored);
  return CaptureChosenDisplay(stored.captureDisplay);
}

void CMainFrame::EndCalibrationPattern() {
  m_pipeline.EndCalibration();
  m_pPattern.reset();
}

SettingsDialogLink* CMainFrame::SettingsDialog() { return m_pSettingsDlg; }

void CMainFrame::HideCalibrationHint() {
  if (m_pCalibrationDlg && m_pCalibrationDlg->Hwnd()) m_pCalibrationDlg->Show(false);
}

void CMainFrame::RearmScanPoll() {
  if (!m_driveMap.PublishedLetter()) return;
  m_driveMap.ScanTaken();
  SetTimer(kTimerScanPoll, kScanPollIntervalMs);
}

void CMainFrame::ForgetKnownFile(const std::string& path) { m_driveWatch.ForgetKnownFile(path); }

BusyInputs CMainFrame::FrameBusyState() {
  BusyInputs in;
  in.settingsDialogOpen = m_pSettingsDlg != nullptr;
  in.settingsDialogInitialised = m_pSettingsDlg && m_pSettingsDlg->Initialised();
  in.settingsDialogInModalStep = m_pSettingsDlg && m_pSettingsDlg->InModalStep();
  in.exiting = m_bExiting != 0;
  in.sessionEnding = m_bSessionEnding != 0;
  return in;
}

}  // namespace zt::shell

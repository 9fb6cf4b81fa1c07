// CMainFrame: the hidden window that owns all of ZTLumbrel's state. It owns the tray icon, the
// timers and the messages that move a scan from signalled to saved, the modeless About and
// calibration windows and the orderly shutdown, and it is the host of the scan pipeline.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "common/win32/frame_window.h"
#include "common/win32/handles.h"
#include "overlay/engine/outputs/file_system.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/scan_pipeline.h"
#include "overlay/imgfile/image_files.h"
#include "overlay/shell/device_watch/board_drive_finder.h"
#include "overlay/shell/device_watch/win32/device_notification.h"
#include "overlay/shell/device_watch/win32/device_tree_win32.h"
#include "overlay/shell/device_watch/win32/drive_map_client.h"
#include "overlay/shell/drive_watch/drive_watch.h"
#include "overlay/shell/frame/win32/frame_class.h"
#include "overlay/shell/frame/win32/lesson_desk.h"
#include "overlay/shell/frame/win32/tray_icon.h"
#include "overlay/shell/sdlink/sd_checker_link.h"
#include "overlay/shell/sdlink/win32/checker_channel_win32.h"
#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

class CSettingsDlg;
class CAboutDlg;
class CCalibrationDlg;
class CCalibrationPattern;

// A popup that is moved to 0,0 at 1 x 1 and hidden at once.
inline constexpr DWORD kFrameStyle = WS_POPUP | WS_VISIBLE | WS_SYSMENU;
static_assert(kFrameStyle == 0x90080000);

class CMainFrame final : public app::FrameWindow,
                         public PipelineHost,
                         private LinkClock,
                         private DriveWatchHost {
 public:
  // The device tree is the system's; a test build of the program hands in a stand-in board.
  explicit CMainFrame(std::unique_ptr<DeviceTree> deviceTree = std::make_unique<WinDeviceTree>());
  ~CMainFrame() override;

  // Creates the window; WM_CREATE adds the tray icon and starts the search for the board.
  bool CreateFrame();

  CAppSettings& Settings() { return m_settings; }
  CScanPipeline& Pipeline() { return m_pipeline; }
  CSettingsDlg* OpenSettingsDialog() const { return m_pSettingsDlg; }
  CAboutDlg* AboutDialog() const { return m_pAboutDlg.get(); }
  CCalibrationDlg* CalibrationDialog() const { return m_pCalibrationDlg.get(); }
  const CTrayIcon& TrayIcon() const { return m_trayIcon; }
  bool IsBusy() { return m_pipeline.IsBusy(); }

  // PipelineHost
  void Later(FrameStep step) override;
  void SaveOverlayNow() override;
  void OverlaySaved(const SavedOverlay& saved) override;
  void RetryLater(Retry what) override;
  void CancelRetry(Retry what) override;
  void SaveWaitsForFolder() override;
  void Tell(Notice notice) override;
  void TellCalibrationRefused(CalibrationRefusal why) override;
  bool AskToSaveUnsavedOverlay() override;
  bool LoadAllSettings(SettingsValues& values) override;
  DibPtr CaptureScreenImage() override;
  void EndCalibrationPattern() override;
  SettingsDialogLink* SettingsDialog() override;
  void HideCalibrationHint() override;
  void RearmScanPoll() override;
  void ForgetKnownFile(const std::string& path) override;
  BusyInputs FrameBusyState() override;

 private:
  // LinkClock
  void SetLinkTimer(LinkTimer timer, unsigned milliseconds) override;
  void KillLinkTimer(LinkTimer timer) override;
  void PostNewScan() override;

  // DriveWatchHost, on the watch thread.
  std::vector<ListedEntry> ListScanFiles(const std::string& root) override;
  bool PassEnded(bool foundScan) override;

  void BindMessages();

  // Window life.
  LRESULT OnCreate();
  LRESULT OnDestroy();

  // Custom messages and the tray.
  LRESULT OnTrayNotify(LPARAM mouseMessage);
  // Adds the icon, and keeps trying every two seconds until the taskbar takes it.
  void AddTrayIcon();
  LRESULT OnOpenSettings();
  LRESULT OnShowCalibration();
  // Calibration from a scan: the targets on the dialog's chosen display, until the scan comes or
  // the user leaves them.
  LRESULT OnCalibrateFromScan();
  LRESULT OnEndCalibration();
  LRESULT OnCloseRequest();
  void StandInForAbsentDisplay(SettingsValues& values);
  // News beside the tray icon, never a box on the projected screen; a click on it opens
  // clickOpens when that is given.
  // True when the shell showed it.
  bool TellByBalloon(const std::string& text, const std::string& clickOpens = std::string());
  // A box with text; returns the button chosen.
  int ShowMessage(const std::string& text, unsigned style);

  // Commands of the tray menu.
  void OnSettingsCommand();
  void OnHelpCommand();
  void OnAboutCommand();
  void OnExitCommand();
  // The lesson's items, in the menu once either of the lesson's settings is on.
  bool MenuShowsLesson();

  // The close sequence of the exit command (exitCommand) and of the end of the session.
  // Returns 1 when the program goes, 0 when the user cancelled.
  LRESULT CloseProgram(bool exitCommand);
  // The unsaved-settings question; false on Cancel.
  bool AskAboutUnsavedSettings();
  void EndSettingsDialog();
  void DestroyModelessDialogs();
  void DeleteSdDownloads();

  // The board road: the search for the board's drive and the device broadcasts that start it.
  LRESULT OnCheckDrive();
  void OnBoardFound(const BoardDrive& board);
  void OnNoBoard();
  void LeaveStartupPassForSettings();
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  LRESULT OnPollScanFlag();
  // The drive watch: one pass at a time on a thread of its own, which reports by posted message.
  LRESULT OnStartWatch();
  LRESULT OnWatchFoundScan();
  LRESULT OnWatchFoundNothing();

  // The wireless road.
  LRESULT OnSdCheckerMessage(WPARAM code, LPARAM block);
  void OnSdConnectTimer();
  void OnSdWatchdogTimer();
  void OnWaitingSavesTimer();

  CAppSettings m_settings;
  std::unique_ptr<ImageFiles> m_pImageFiles;
  std::unique_ptr<FileSystem> m_pFileSystem;
  CScanPipeline m_pipeline;
  CLessonDesk m_lessonDesk;
  CTrayIcon m_trayIcon;
  std::string m_strBalloonOpens;    // what a click on the word beside the icon opens
  bool m_bBalloonShown = false;     // since the last capture
  bool m_bSaveWaitingTold = false;  // the user knows saves wait for the save folder
  WinCheckerChannel m_sdChannel;
  CSDCheckerLink m_sdLink{m_sdChannel, *this, m_pipeline, *m_pFileSystem};
  UINT m_nSdCheckerMsg = 0;
  CDriveMapClient m_driveMap;
  std::unique_ptr<DeviceTree> m_pDeviceTree;
  CBoardDriveFinder m_boardFinder{*m_pDeviceTree};
  app::UniqueDeviceNotification m_hDevNotify;
  std::string m_strBoardId;
  CSettingsDlg* m_pSettingsDlg = nullptr;  // only while its modal loop runs
  std::unique_ptr<CAboutDlg> m_pAboutDlg;
  std::unique_ptr<CCalibrationDlg> m_pCalibrationDlg;
  std::unique_ptr<CCalibrationPattern> m_pPattern;
  std::string m_strPatternDisplay;     // the display the targets are on (empty: the primary screen)
  std::string m_strToldAbsentDisplay;  // the chosen display the user was told is not attached
  DriveWatch m_driveWatch{*this};      // last: its pass calls back into the members above
  std::uint8_t m_bExiting = 0;
  std::uint8_t m_bSessionEnding = 0;
};

}  // namespace zt::shell

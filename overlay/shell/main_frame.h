// CMainFrame: the hidden window that owns all of ZTLumbrel's state. It owns the tray icon, the
// timers and the messages that move a scan from signalled to saved, the modeless About and
// calibration windows and the orderly shutdown, and it is the host of the scan pipeline.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "common/app/frame_window.h"
#include "common/app/handles.h"
#include "overlay/engine/file_system.h"
#include "overlay/engine/pipeline_host.h"
#include "overlay/engine/scan_pipeline.h"
#include "overlay/imgfile/image_files.h"
#include "overlay/shell/app_settings.h"
#include "overlay/shell/checker_channel_win32.h"
#include "overlay/shell/sd_checker_link.h"
#include "overlay/shell/tray_icon.h"

namespace zt::shell {

class CSettingsDlg;
class CAboutDlg;
class CCalibrationDlg;

inline constexpr char kFrameClassName[] = "ZTLumbrelMainFrame";
// WS_POPUP | WS_VISIBLE | WS_SYSMENU: a popup that is moved to 0,0 at 1 x 1 and hidden at once.
inline constexpr DWORD kFrameStyle = 0x90080000;

class CMainFrame final : public app::FrameWindow, public PipelineHost {
 public:
  CMainFrame();
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
  void PostFrameMessage(unsigned message) override;
  void SendFrameMessage(unsigned message) override;
  void SetFrameTimer(unsigned id, unsigned milliseconds) override;
  void KillFrameTimer(unsigned id) override;
  int ShowMessage(const std::string& text, unsigned style) override;
  std::string MessageCaption(const char* key, std::size_t bufferSize) override;
  bool LoadAllSettings(SettingsValues& values) override;
  DibPtr CaptureScreenImage() override;
  SettingsDialogLink* SettingsDialog() override;
  void HideCalibrationHint() override;
  void RearmScanPoll() override;
  void ForgetKnownFile(const std::string& path) override;
  BusyInputs FrameBusyState() override;

 private:
  void BindMessages();

  // Window life.
  LRESULT OnCreate();
  LRESULT OnDestroy();

  // Custom messages and the tray.
  LRESULT OnTrayNotify(LPARAM mouseMessage);
  LRESULT OnOpenSettings();
  LRESULT OnShowCalibration();
  LRESULT OnCloseRequest();

  // Commands of the tray menu.
  void OnSettingsCommand();
  void OnHelpCommand();
  void OnAboutCommand();
  void OnExitCommand();

  // The close sequence of the exit command (exitCommand) and of the end of the session.
  // Returns 1 when the program goes, 0 when the user cancelled.
  LRESULT CloseProgram(bool exitCommand);
  // The unsaved-settings question; false on Cancel.
  bool AskAboutUnsavedSettings();
  void EndSettingsDialog();
  void DestroyModelessDialogs();
  void WaitForWatchThread();
  void DeleteSdDownloads();

  // Filled by the board road (the device watch, the drive watch) and the wireless road (the link
  // with the SD checker); until they land no board drive is ever published and no checker is
  // linked, so these have nothing to act on.
  LRESULT OnStartWatch();
  LRESULT OnCheckDrive();
  LRESULT OnPollScanFlag();
  LRESULT OnDeviceChange(WPARAM event, LPARAM data);
  LRESULT OnSdCheckerMessage(WPARAM code, LPARAM block);
  void OnSdConnectTimer();
  void OnSdWatchdogTimer();

  CAppSettings m_settings;
  std::unique_ptr<ImageFiles> m_pImageFiles;
  std::unique_ptr<FileSystem> m_pFileSystem;
  CScanPipeline m_pipeline;
  CTrayIcon m_trayIcon;
  WinCheckerChannel m_sdChannel;
  CSDCheckerLink m_sdLink{m_sdChannel, *this, m_pipeline};
  UINT m_nSdCheckerMsg = 0;
  HDEVNOTIFY m_hDevNotify = nullptr;
  std::string m_strBoardId;
  CSettingsDlg* m_pSettingsDlg = nullptr;  // only while its modal loop runs
  std::unique_ptr<CAboutDlg> m_pAboutDlg;
  std::unique_ptr<CCalibrationDlg> m_pCalibrationDlg;
  app::UniqueHandle m_hWatchThread;
  std::uint8_t m_bExiting = 0;
  std::uint8_t m_bSessionEnding = 0;
};

}  // namespace zt::shell

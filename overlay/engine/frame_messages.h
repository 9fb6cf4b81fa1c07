// Messages, timers and message-box styles of the main frame that the engine uses.
#pragma once

namespace zt {

inline constexpr unsigned UM_STARTWATCH = 0x0501;
inline constexpr unsigned UM_NEWSCAN = 0x0502;
inline constexpr unsigned UM_TRAYNOTIFY = 0x0503;
inline constexpr unsigned UM_OPENSETTINGS = 0x0504;
inline constexpr unsigned UM_SHOWCALIBRATION = 0x0505;
inline constexpr unsigned UM_SAVEOVERLAY = 0x0506;
inline constexpr unsigned UM_CLOSEAPP = 0x0509;
inline constexpr unsigned UM_CHECKDRIVE = 0x050A;
inline constexpr unsigned UM_POLLSCANFLAG = 0x050B;
// Sent by the settings dialog: show the calibration targets and take the next scan for them.
inline constexpr unsigned UM_CALIBRATEFROMSCAN = 0x050E;
// Posted by the calibration targets' window when the user leaves it (Esc).
inline constexpr unsigned UM_ENDCALIBRATION = 0x050F;

// Frame timers; each is a one-shot that its handler sets again when needed.
inline constexpr unsigned kTimerWatchRetry = 100;  // start the drive watch again once not busy
inline constexpr unsigned kTimerScanPoll = 102;
inline constexpr unsigned kTimerSdConnect = 103;
inline constexpr unsigned kTimerSdScanRetry = 104;  // an SD scan waits for the frame
inline constexpr unsigned kTimerSdWatchdog = 105;
inline constexpr unsigned kRetryIntervalMs = 1000;

// MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST, and the same with MB_YESNO.
inline constexpr unsigned kMessageBoxNotice = 0x52000;
inline constexpr unsigned kMessageBoxYesNo = 0x52004;
inline constexpr int kAnswerYes = 6;  // IDYES

// The settings dialog ends with this code when it cannot show a new image set.
inline constexpr int kSettingsDialogLoadFailed = 2;

}  // namespace zt

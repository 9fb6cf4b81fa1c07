// ZTLumbrel's own window messages, timers and message-box styles: the whole protocol between the
// frame, its dialogs and the tray, in one list. The numbers are part of what the program is
// (tests and neighbours send them), so they never change; only the meanings below are added to.
#pragma once

namespace zt::shell {

// Messages of the frame window.
inline constexpr unsigned UM_STARTWATCH = 0x0501;
inline constexpr unsigned UM_NEWSCAN = 0x0502;
inline constexpr unsigned UM_TRAYNOTIFY = 0x0503;
inline constexpr unsigned UM_OPENSETTINGS = 0x0504;
inline constexpr unsigned UM_SHOWCALIBRATION = 0x0505;
inline constexpr unsigned UM_SAVEOVERLAY = 0x0506;
// Posted by an arrow button to its dialog while it is held (wParam: the button's id).
inline constexpr unsigned UM_HOLDREPEAT = 0x0507;
inline constexpr unsigned UM_CLOSEAPP = 0x0509;
inline constexpr unsigned UM_CHECKDRIVE = 0x050A;
inline constexpr unsigned UM_POLLSCANFLAG = 0x050B;
// Posted by the drive watch thread when its pass found no new scan: the frame, not the thread,
// re-arms the scan poll (timers belong to the frame's own thread).
inline constexpr unsigned UM_WATCHFOUNDNOTHING = 0x050C;
// Posted by the drive watch thread when its pass found a new scan: the frame takes the path from
// the watch and handles it as a new scan from the board.
inline constexpr unsigned UM_WATCHFOUNDSCAN = 0x050D;
// Sent by the settings dialog: show the calibration targets and take the next scan for them.
inline constexpr unsigned UM_CALIBRATEFROMSCAN = 0x050E;
// Posted by the calibration targets' window when the user leaves it (Esc).
inline constexpr unsigned UM_ENDCALIBRATION = 0x050F;
// Posted after a save has written its three files: the lesson takes the overlay up (its handout,
// the word beside the tray icon), never inside the save itself.
inline constexpr unsigned UM_LESSONPAGE = 0x0510;

// Frame timers; each is a one-shot that its handler sets again when needed.
inline constexpr unsigned kTimerWatchRetry = 100;  // start the drive watch again once not busy
inline constexpr unsigned kTimerScanPoll = 102;
inline constexpr unsigned kTimerSdConnect = 103;
inline constexpr unsigned kTimerSdScanRetry = 104;  // an SD scan waits for the frame
inline constexpr unsigned kTimerSdWatchdog = 105;
// Tries again to put the icon into a taskbar that was not ready for it (at log-on, or busy):
// without the icon the program could be neither used nor ended.
inline constexpr unsigned kTimerTrayRetry = 106;
// Saves kept on this PC until the save folder can be reached again are offered to it this often.
inline constexpr unsigned kTimerWaitingSaves = 107;
inline constexpr unsigned kWaitingSavesIntervalMs = 30000;
// The arrow button's own timer, on the button's window.
inline constexpr unsigned kHoldTimerId = 101;

inline constexpr unsigned kRetryIntervalMs = 1000;
inline constexpr unsigned kScanPollIntervalMs = 100;
inline constexpr unsigned kTrayRetryIntervalMs = 2000;

// MB_OK | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST, and the same with MB_YESNO.
inline constexpr unsigned kMessageBoxNotice = 0x52000;
inline constexpr unsigned kMessageBoxYesNo = 0x52004;
inline constexpr int kAnswerYes = 6;  // IDYES

// The settings dialog ends with this code when it cannot show a new image set.
inline constexpr int kSettingsDialogLoadFailed = 2;

}  // namespace zt::shell

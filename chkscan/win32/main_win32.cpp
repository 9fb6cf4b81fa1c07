// ZTChkScan: the hidden scan-button checker. Started by the detector service; one instance per
// machine. It attaches to the DriveLetterMap, asks the board's volume every 300 ms whether the
// scan button was pressed and marks a press in the block.
#include <windows.h>

#include "chkscan/scan_checker.h"
#include "chkscan/win32/drive_map_attach_win32.h"
#include "chkscan/win32/volume_device_win32.h"
#include "common/drive_letter_map.h"
#include "common/win32/frame_window.h"
#include "common/win32/hidden_frame_program.h"

namespace zt::chkscan {
namespace {

constexpr UINT_PTR ATTACH_TIMER_ID = 1;
constexpr UINT_PTR POLL_TIMER_ID = 2;
constexpr UINT kAttachDelayMs = 300;

class CMainFrame : public app::FrameWindow {
 public:
  CMainFrame() : FrameWindow("ZTChkScanFrame"), m_checker(m_device) {
    OnTimer(ATTACH_TIMER_ID, [this] { OnAttachTimer(); });
    OnTimer(POLL_TIMER_ID, [this] { OnPollTimer(); });
    QuitOnDestroy(true);
  }
  ~CMainFrame() override {
    Destroy();
    m_checker.CloseVolume();
  }

  bool Start() {
    if (!Create("ZTChkScan")) return false;
    // A 1 x 1 pop-up at the corner of the screen that is never shown.
    SetWindowLongPtrA(Hwnd(), GWL_STYLE, WS_POPUP | WS_SYSMENU);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 1, 1,
                 SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    ShowWindow(Hwnd(), SW_HIDE);
    if (m_map.AttachMap()) return SetTimer(POLL_TIMER_ID, kPollDelayMs);
    return SetTimer(ATTACH_TIMER_ID, kAttachDelayMs);
  }

 private:
  // Both timers are one-shot: the next tick is counted from the end of this one.
  void OnAttachTimer() {
    if (m_map.AttachMap()) {
      SetTimer(POLL_TIMER_ID, kPollDelayMs);
    } else {
      SetTimer(ATTACH_TIMER_ID, kAttachDelayMs);
    }
  }

  void OnPollTimer() {
    switch (m_checker.Tick(m_map.View())) {
      case NextTick::kPoll:
        SetTimer(POLL_TIMER_ID, kPollDelayMs);
        break;
      case NextTick::kRetryOpen:
        SetTimer(POLL_TIMER_ID, kRetryDelayMs);
        break;
      case NextTick::kQuit:
        m_map.Detach();
        PostQuitMessage(0);
        break;
    }
  }

  WinVolumeDevice m_device;
  CScanChecker m_checker;
  DriveMapAttachment m_map;
};

}  // namespace
}  // namespace zt::chkscan

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return zt::app::RunHiddenFrameProgram(zt::drivemap::kCheckerMutex,
                                        &zt::app::StartFrame<zt::chkscan::CMainFrame>);
}

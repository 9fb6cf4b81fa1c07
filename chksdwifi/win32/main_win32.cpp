// ZTChkSDWiFi: the hidden wireless SD card poller. One instance per machine; polls the card one
// second after the end of each poll and ends when its last client unregisters.
#include <windows.h>

#include <memory>

#include "chksdwifi/card_poller.h"
#include "chksdwifi/win32/fetch_win32.h"
#include "chksdwifi/win32/host_win32.h"
#include "chksdwifi/win32/profile_win32.h"
#include "common/sd_channel.h"
#include "common/win32/frame_window.h"
#include "common/win32/hidden_frame_program.h"

namespace zt::sdwifi {
namespace {

namespace sc = sdchannel;

constexpr UINT_PTR POLL_TIMER_ID = 100;
constexpr UINT kPollPeriodMs = 1000;
constexpr UINT kPaneId = 0xE900;

class CMainFrame : public app::FrameWindow {
 public:
  CMainFrame()
      : FrameWindow(sc::kCheckerWindowClass),
        m_nMessage(RegisterWindowMessageA(sc::kMessageName)),
        m_messenger(m_nMessage) {
    const CCardConfig config(m_profile, ConfigPathForExecutable(ExecutablePath()));
    m_pPoller = std::make_unique<CCardPoller>(ReadCardSettings(config), m_files.SetUpDownloadFolder(),
                                              m_fetcher, m_files, m_messenger, m_blocks);
    OnRegisteredMessage(sc::kMessageName, [this](WPARAM w, LPARAM l) { return OnChannel(w, l); });
    OnTimer(POLL_TIMER_ID, [this] { OnPollTimer(); });
    QuitOnDestroy(true);
  }

  bool Start() {
    if (m_nMessage == 0 || !Create("ZTChkSDWiFi")) return false;
    // A plain captioned window without a client edge; it is never shown.
    SetWindowLongPtrA(Hwnd(), GWL_STYLE, WS_OVERLAPPED | WS_CAPTION);
    SetWindowLongPtrA(Hwnd(), GWL_EXSTYLE, GetWindowLongPtrA(Hwnd(), GWL_EXSTYLE) & ~WS_EX_CLIENTEDGE);
    SetWindowPos(Hwnd(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The blank child pane; destroyed with the frame.
    CreateWindowExA(WS_EX_CLIENTEDGE, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Hwnd(),
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kPaneId)), GetModuleHandleA(nullptr),
                    nullptr);
    return SetTimer(POLL_TIMER_ID, kPollPeriodMs);
  }

 private:
  // The timer is one-shot: the next poll starts one second after this one ended.
  void OnPollTimer() {
    m_pPoller->PollCard();
    if (Hwnd()) SetTimer(POLL_TIMER_ID, kPollPeriodMs);
  }

  LRESULT OnChannel(WPARAM wParam, LPARAM lParam) {
    const auto address = static_cast<BlockAddress>(lParam);
    // Compared whole: a 64-bit wParam with bits above the code is no code of ours.
    switch (wParam) {
      case sc::kRegister:
        m_pPoller->RegisterClient(address);
        break;
      case sc::kPathRead:
        m_pPoller->ReleasePathBlock(address);
        break;
      case sc::kUnregister:
        if (m_pPoller->UnregisterClient(sc::WindowToField(static_cast<std::uintptr_t>(lParam)))) {
          KillTimer(POLL_TIMER_ID);
          m_pPoller->CleanUpDownloads();
          Destroy();
        }
        break;
      default:
        break;
    }
    return 0;
  }

  UINT m_nMessage;
  WinProfileReader m_profile;
  WinInetFetcher m_fetcher;
  WinDownloadFiles m_files;
  WinClientMessenger m_messenger;
  WinBlockMemory m_blocks;
  std::unique_ptr<CCardPoller> m_pPoller;
};

std::unique_ptr<app::FrameWindow> StartChecker() {
  SetProcessShutdownParameters(0x200, 0);
  return app::StartFrame<CMainFrame>();
}

}  // namespace
}  // namespace zt::sdwifi

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return zt::app::RunHiddenFrameProgram(zt::sdchannel::kCheckerMutex, &zt::sdwifi::StartChecker);
}

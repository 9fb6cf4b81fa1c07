// The checker channel through Win32: FindWindowA by the checker's class, CreateProcessA of the
// installed checker, VirtualAllocEx and friends on the opened process, and the registered
// message "ZT_CHK_SDWIFI".
#pragma once

#include <windows.h>

#include "overlay/shell/sdlink/checker_channel.h"

namespace zt::shell {

inline constexpr unsigned kSendTimeoutMs = 3000;

class WinCheckerChannel final : public CheckerChannel {
 public:
  WinCheckerChannel();

  CheckerWindow FindChecker() override;
  // Starts %PROGRAMFILES%\Corvane\Zentab SD WiFi\ZTChkSDWiFi.exe, as this process sees
  // PROGRAMFILES.
  bool StartChecker() override;
  void Pause(unsigned milliseconds) override;
  std::unique_ptr<CheckerProcess> Open(CheckerWindow window) override;
  bool Post(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) override;
  // Waits at most kSendTimeoutMs.
  bool Send(CheckerWindow window, std::uint32_t code, std::uintptr_t lParam) override;

 private:
  UINT m_message;
};

}  // namespace zt::shell

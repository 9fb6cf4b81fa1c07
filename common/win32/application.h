// The application object: an initialisation step, then the thread's message loop.
#pragma once

#include <windows.h>

namespace zt::app {

class Application {
 public:
  Application();
  virtual ~Application() = default;
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs InitInstance; when it succeeds, the message loop until WM_QUIT. Returns ExitInstance's code.
  int Run();

  HINSTANCE Instance() const { return m_hInstance; }
  // The wParam of the WM_QUIT that ended the loop (0 when InitInstance failed).
  int QuitCode() const { return m_nQuitCode; }

 protected:
  // Creates the program's windows; false ends the program without a message loop.
  virtual bool InitInstance() = 0;
  virtual int ExitInstance() { return m_nQuitCode; }

 private:
  HINSTANCE m_hInstance;
  int m_nQuitCode = 0;
};

// Pumps this thread's messages until WM_QUIT, giving modeless dialogs their keyboard handling.
// Returns the quit code.
int RunMessageLoop();

// Dispatches pending messages until pred() holds or timeoutMs passes; true when pred() held.
// For code that must wait on its own thread without blocking it (and for tests).
template <typename Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs);

bool PumpOnce(DWORD waitMs);  // false when WM_QUIT was seen (it is reposted)

template <typename Pred>
bool PumpUntil(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!pred()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return pred();
    if (!PumpOnce(static_cast<DWORD>(end - now))) return pred();
  }
  return true;
}

}  // namespace zt::app

#include "common/win32/application.h"

#include "common/win32/dialog.h"

namespace zt::app {

Application::Application() : m_hInstance(GetModuleHandleA(nullptr)) {}

int Application::Run() {
  if (!InitInstance()) return ExitInstance();
  m_nQuitCode = RunMessageLoop();
  return ExitInstance();
}

namespace {

void Deliver(MSG& msg) {
  if (IsModelessDialogMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

}  // namespace

int RunMessageLoop() {
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(msg.wParam);
    if (got == -1) return -1;
    Deliver(msg);
  }
}

bool PumpOnce(DWORD waitMs) {
  MSG msg;
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
  }
  if (msg.message == WM_QUIT) {
    PostQuitMessage(static_cast<int>(msg.wParam));
    return false;
  }
  Deliver(msg);
  return true;
}

}  // namespace zt::app

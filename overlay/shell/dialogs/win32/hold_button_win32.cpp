#include "overlay/shell/dialogs/win32/hold_button.h"

#include <commctrl.h>
#include <windowsx.h>

namespace zt::shell {

namespace {

constexpr UINT_PTR kSubclassId = 1;

}  // namespace

bool CHoldButton::Attach(HWND button) {
  Detach();
  if (!button ||
      !SetWindowSubclass(button, &CHoldButton::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  m_hWnd = button;
  return true;
}

void CHoldButton::Detach() {
  if (!m_hWnd) return;
  if (IsWindow(m_hWnd)) {
    KillTimer(m_hWnd, kHoldTimerId);
    RemoveWindowSubclass(m_hWnd, &CHoldButton::SubclassProc, kSubclassId);
  }
  m_hWnd = nullptr;
}

bool CHoldButton::MouseInside(LPARAM lParam) const {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&client, p) != FALSE;
}

void CHoldButton::Apply(const HoldEffects& effects) {
  if (effects.captureMouse) SetCapture(m_hWnd);
  if (effects.releaseMouse && GetCapture() == m_hWnd) ReleaseCapture();
  if (effects.killTimer) KillTimer(m_hWnd, kHoldTimerId);
  if (effects.setTimerMs) SetTimer(m_hWnd, kHoldTimerId, effects.setTimerMs, nullptr);
  if (effects.postStep)
    PostMessageA(GetParent(m_hWnd), UM_HOLDREPEAT, static_cast<WPARAM>(GetDlgCtrlID(m_hWnd)), 0);
}

LRESULT CALLBACK CHoldButton::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR ref) {
  auto* self = reinterpret_cast<CHoldButton*>(ref);
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:  // a quick second click is a press like any other
      self->Apply(self->m_timing.ButtonDown());
      break;
    case WM_TIMER:
      if (wParam != kHoldTimerId) break;
      self->Apply(self->m_timing.TimerExpired(GetFocus() == hWnd));
      return 0;
    case WM_MOUSEMOVE:
      self->Apply(self->m_timing.MouseMoved(self->MouseInside(lParam)));
      break;
    case WM_LBUTTONUP:
      self->Apply(self->m_timing.ButtonUp());
      break;
    case WM_NCDESTROY:
      self->Detach();
      break;
    default:
      break;
  }
  return DefSubclassProc(hWnd, message, wParam, lParam);
}

}  // namespace zt::shell

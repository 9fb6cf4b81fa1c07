// CHoldButton: an arrow push button of the settings dialog that repeats while it is held. The
// button's window is subclassed; its timing lives in HoldButtonTiming, and each step reaches the
// dialog as UM_HOLDREPEAT with the button's id.
#pragma once

#include <windows.h>

#include "overlay/shell/dialogs/hold_button_timing.h"
#include "overlay/shell/frame/frame_messages.h"

namespace zt::shell {

class CHoldButton {
 public:
  CHoldButton() = default;
  ~CHoldButton() { Detach(); }
  CHoldButton(const CHoldButton&) = delete;
  CHoldButton& operator=(const CHoldButton&) = delete;

  bool Attach(HWND button);
  void Detach();
  HWND Hwnd() const { return m_hWnd; }
  bool Held() const { return m_timing.Held(); }

 private:
  static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
  void Apply(const HoldEffects& effects);
  bool MouseInside(LPARAM lParam) const;

  HWND m_hWnd = nullptr;
  HoldButtonTiming m_timing;
};

}  // namespace zt::shell

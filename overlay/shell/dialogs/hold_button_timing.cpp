#include "overlay/shell/dialogs/hold_button_timing.h"

namespace zt::shell {

HoldEffects HoldButtonTiming::ButtonDown() {
  m_bHeld = true;
  m_bPressed = true;
  HoldEffects effects;
  effects.captureMouse = true;
  effects.setTimerMs = kHoldFirstDelayMs;
  return effects;
}

HoldEffects HoldButtonTiming::TimerExpired(bool hasFocus) {
  HoldEffects effects;
  effects.killTimer = true;
  if (!m_bHeld) return effects;
  // A button that lost the focus (a message box came up, the user tabbed away) stops repeating.
  if (hasFocus) {
    effects.postStep = true;
    effects.setTimerMs = kHoldRepeatMs;
  }
  return effects;
}

HoldEffects HoldButtonTiming::MouseMoved(bool insideButton) {
  HoldEffects effects;
  if (insideButton || !m_bHeld) return effects;
  m_bHeld = false;
  effects.killTimer = true;
  return effects;
}

HoldEffects HoldButtonTiming::ButtonUp() {
  m_bHeld = false;
  HoldEffects effects;
  // A release whose press began elsewhere is no click.
  if (!m_bPressed) return effects;
  m_bPressed = false;
  // The capture goes first, so that the button itself no longer counts the press as a click: the
  // step posted here is the click's only step.
  effects.releaseMouse = true;
  effects.killTimer = true;
  effects.postStep = true;
  return effects;
}

}  // namespace zt::shell

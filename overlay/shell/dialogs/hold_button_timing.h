// The timing of an auto-repeat arrow button: a click is one step; holding the button steps after
// 300 ms and then every 100 ms, plus a last step when the button is let go; moving the mouse off
// the button stops the repetition. The button's window turns each event into the effects
// returned here (capture, timer, a step posted to the dialog).
#pragma once

namespace zt::shell {

// Its message to the dialog and its timer are in the frame's list (frame_messages.h).
inline constexpr unsigned kHoldFirstDelayMs = 300;
inline constexpr unsigned kHoldRepeatMs = 100;

struct HoldEffects {
  bool captureMouse = false;
  bool releaseMouse = false;
  bool killTimer = false;
  unsigned setTimerMs = 0;  // 0: no timer set
  bool postStep = false;
};

class HoldButtonTiming {
 public:
  HoldEffects ButtonDown();
  // The button's timer ran out; hasFocus tells whether the button still has the keyboard focus.
  HoldEffects TimerExpired(bool hasFocus);
  HoldEffects MouseMoved(bool insideButton);
  HoldEffects ButtonUp();

  bool Held() const { return m_bHeld; }

 private:
  bool m_bHeld = false;
  bool m_bPressed = false;  // the press began on this button; only then does the release step
};

}  // namespace zt::shell

// The arrow buttons' auto-repeat, run on a simulated clock: the test plays the button's window,
// applying each effect (capture, timer 101, a posted step) the way the window does.
#include <gtest/gtest.h>

#include <vector>

#include "overlay/shell/dialogs/hold_button_timing.h"

namespace zt::shell {
namespace {

class HeldButton {
 public:
  // The clock runs up to each event before the event happens.
  void Press(int at) {
    RunUntil(at);
    Apply(at, timing.ButtonDown());
  }
  void Release(int at) {
    RunUntil(at);
    Apply(at, timing.ButtonUp());
  }
  void MoveMouse(int at, bool inside) {
    RunUntil(at);
    Apply(at, timing.MouseMoved(inside));
  }
  void LoseFocus(int at) {
    RunUntil(at);
    focus = false;
  }
  void RunUntil(int at) {
    // A timer that neither stops nor re-arms would hang the test; the guard turns that into a failure.
    for (int guard = 0; timerAt >= 0 && timerAt <= at; ++guard) {
      ASSERT_LT(guard, 1000) << "timer 101 neither stopped nor moved on";
      Apply(timerAt, timing.TimerExpired(focus));
    }
  }

  HoldButtonTiming timing;
  std::vector<int> steps;  // times at which a step was posted
  bool captured = false;
  bool focus = true;
  int timerAt = -1;

 private:
  void Apply(int now, const HoldEffects& e) {
    if (e.captureMouse) captured = true;
    if (e.releaseMouse) captured = false;
    if (e.killTimer) timerAt = -1;
    if (e.setTimerMs) timerAt = now + static_cast<int>(e.setTimerMs);
    if (e.postStep) steps.push_back(now);
  }
};

TEST(HoldButton, AClickIsOneStep) {
  HeldButton b;
  b.Press(0);
  EXPECT_TRUE(b.captured);
  EXPECT_EQ(b.timerAt, 300);
  b.Release(120);
  EXPECT_EQ(b.steps, (std::vector<int>{120}));
  EXPECT_FALSE(b.captured);
  EXPECT_EQ(b.timerAt, -1);
  EXPECT_FALSE(b.timing.Held());
}

TEST(HoldButton, HoldingStepsAfter300msThenEvery100msAndOnceMoreAtRelease) {
  HeldButton b;
  b.Press(0);
  b.Release(650);
  EXPECT_EQ(b.steps, (std::vector<int>{300, 400, 500, 600, 650}));
}

TEST(HoldButton, LeavingTheButtonStopsTheRepetition) {
  HeldButton b;
  b.Press(0);
  b.MoveMouse(320, true);  // still on the button
  b.MoveMouse(350, false);
  EXPECT_FALSE(b.timing.Held());
  b.RunUntil(900);
  EXPECT_EQ(b.steps, (std::vector<int>{300}));
  b.Release(900);
  EXPECT_EQ(b.steps, (std::vector<int>{300, 900}));
}

TEST(HoldButton, LosingTheFocusStopsTheRepetition) {
  HeldButton b;
  b.Press(0);
  b.LoseFocus(450);
  b.RunUntil(1000);
  EXPECT_EQ(b.steps, (std::vector<int>{300, 400}));
  EXPECT_EQ(b.timerAt, -1);
}

TEST(HoldButton, AReleaseWithoutAPressOnTheButtonIsNoStep) {
  HeldButton b;
  b.Release(10);
  EXPECT_TRUE(b.steps.empty());
  b.Press(20);
  b.Release(30);
  b.Release(40);  // a second release without a new press
  EXPECT_EQ(b.steps, (std::vector<int>{30}));
}

}  // namespace
}  // namespace zt::shell

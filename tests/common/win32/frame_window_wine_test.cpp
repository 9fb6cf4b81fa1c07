// The hidden frame: message routing, registered messages and one-shot timers, for real.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/win32/application.h"
#include "common/win32/frame_window.h"

namespace zt::app {
namespace {

constexpr UINT kUmFirst = WM_USER + 0x101;
constexpr UINT kUmSecond = WM_USER + 0x102;

class RecordingFrame : public FrameWindow {
 public:
  RecordingFrame() : FrameWindow("ZTTestFrame") {
    OnMessage(kUmFirst, [this](WPARAM w, LPARAM) { return Record("first", w); });
    OnMessage(kUmSecond, [this](WPARAM w, LPARAM) { return Record("second", w); });
    m_registered = OnRegisteredMessage("ZT_TEST_REGISTERED",
                                       [this](WPARAM w, LPARAM) { return Record("registered", w); });
    OnMessage(WM_DEVICECHANGE, [this](WPARAM w, LPARAM) { return Record("device", w); });
    OnMessage(WM_QUERYENDSESSION, [this](WPARAM w, LPARAM) {
      Record("endsession", w);
      return LRESULT{FALSE};
    });
    OnCommand(40001, [this] { Record("command", 40001); });
  }
  LRESULT Record(const char* what, WPARAM w) {
    events.push_back(std::string(what) + ":" + std::to_string(w));
    return 1;
  }
  UINT m_registered = 0;
  std::vector<std::string> events;
};

TEST(FrameWindow, IsAHiddenTopLevelWindowFoundByItsClass) {
  RecordingFrame frame;
  ASSERT_TRUE(frame.Create("frame"));
  EXPECT_FALSE(IsWindowVisible(frame.Hwnd()));
  EXPECT_EQ(FindWindowA("ZTTestFrame", nullptr), frame.Hwnd());
  frame.Destroy();
  EXPECT_EQ(frame.Hwnd(), nullptr);
  EXPECT_EQ(FindWindowA("ZTTestFrame", nullptr), nullptr);
}

TEST(FrameWindow, PostedCustomAndRegisteredMessagesArriveInOrder) {
  RecordingFrame frame;
  ASSERT_TRUE(frame.Create());
  ASSERT_NE(frame.m_registered, 0u);
  EXPECT_EQ(frame.m_registered, RegisterWindowMessageA("ZT_TEST_REGISTERED"));
  ASSERT_TRUE(frame.Post(kUmSecond, 1));
  ASSERT_TRUE(frame.Post(frame.m_registered, 2));
  ASSERT_TRUE(frame.Post(kUmFirst, 3));
  ASSERT_TRUE(frame.Post(WM_COMMAND, 40001));
  ASSERT_TRUE(PumpUntil([&] { return frame.events.size() == 4; }, 2000));
  EXPECT_EQ(frame.events, (std::vector<std::string>{"second:1", "registered:2", "first:3", "command:40001"}));
}

TEST(FrameWindow, SentMessagesReturnTheHandlersResult) {
  RecordingFrame frame;
  ASSERT_TRUE(frame.Create());
  EXPECT_EQ(SendMessageA(frame.Hwnd(), WM_QUERYENDSESSION, 0, 0), FALSE);
  EXPECT_EQ(SendMessageA(frame.Hwnd(), WM_DEVICECHANGE, 0x8000, 0), 1);
  EXPECT_EQ(frame.events, (std::vector<std::string>{"endsession:0", "device:32768"}));
  // Unhandled messages reach the default procedure.
  EXPECT_EQ(SendMessageA(frame.Hwnd(), WM_USER + 0x300, 0, 0), 0);
}

TEST(FrameWindow, OneShotTimerFiresOnceAndCanReArm) {
  FrameWindow frame("ZTTestTimerFrame");
  ASSERT_TRUE(frame.Create());
  int fired = 0;
  frame.OnTimer(100, [&] {
    ++fired;
    if (fired == 1) frame.SetTimer(100, 20);  // re-arm once
  });
  ASSERT_TRUE(frame.SetTimer(100, 20));
  ASSERT_TRUE(PumpUntil([&] { return fired == 2; }, 2000));
  // Not re-armed the second time: it must stay silent.
  PumpUntil([] { return false; }, 300);
  EXPECT_EQ(fired, 2);
}

TEST(FrameWindow, KilledTimerNeverFires) {
  FrameWindow frame("ZTTestTimerFrame");
  ASSERT_TRUE(frame.Create());
  int fired = 0;
  frame.OnTimer(105, [&] { ++fired; });
  ASSERT_TRUE(frame.SetTimer(105, 30));
  frame.KillTimer(105);
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(fired, 0);
}

TEST(FrameWindow, QuitOnDestroyEndsTheLoop) {
  FrameWindow frame("ZTTestQuitFrame");
  ASSERT_TRUE(frame.Create());
  frame.QuitOnDestroy(true);
  frame.OnTimer(1, [&] { frame.Destroy(); });
  frame.SetTimer(1, 10);
  EXPECT_EQ(RunMessageLoop(), 0);
  EXPECT_EQ(frame.Hwnd(), nullptr);
}

}  // namespace
}  // namespace zt::app

#include <gtest/gtest.h>

#include "common/win32/application.h"
#include "common/win32/frame_window.h"

namespace zt::app {
namespace {

class TestApp : public Application {
 public:
  bool initOk = true;
  bool exited = false;
  FrameWindow frame{"ZTTestAppFrame"};

 protected:
  bool InitInstance() override {
    if (!initOk) return false;
    if (!frame.Create()) return false;
    frame.OnTimer(1, [] { PostQuitMessage(3); });
    return frame.SetTimer(1, 10);
  }
  int ExitInstance() override {
    exited = true;
    return QuitCode() + 10;
  }
};

TEST(Application, RunsTheLoopUntilQuitAndReturnsExitInstance) {
  TestApp app;
  EXPECT_EQ(app.Run(), 13);
  EXPECT_EQ(app.QuitCode(), 3);
  EXPECT_TRUE(app.exited);
}

TEST(Application, FailedInitSkipsTheLoop) {
  TestApp app;
  app.initOk = false;
  EXPECT_EQ(app.Run(), 10);
  EXPECT_TRUE(app.exited);
  EXPECT_EQ(app.frame.Hwnd(), nullptr);
}

}  // namespace
}  // namespace zt::app

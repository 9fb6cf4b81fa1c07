// A program whose only window is a hidden frame and of which one copy runs per machine (the tray
// application and the two checkers): the mutex, the frame, the loop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "common/win32/application.h"
#include "common/win32/frame_window.h"
#include "common/win32/handles.h"
#include "common/win32/single_instance.h"

namespace zt::app {

// Makes a Frame and calls its bool Start(); empty (the frame gone again) when it did not start.
template <typename Frame>
std::unique_ptr<FrameWindow> StartFrame() {
  auto frame = std::make_unique<Frame>();
  if (!frame->Start()) return nullptr;
  return frame;
}

// First of all claims the named mutex: a second copy ends at once, before it touches anything.
// Then startFrame makes and starts the frame, and the thread's messages are pumped until WM_QUIT.
// Returns the quit code, 0 when the program did not start. The mutex is let go only after the
// frame is gone.
inline int RunHiddenFrameProgram(const char* mutexName,
                                 const std::function<std::unique_ptr<FrameWindow>()>& startFrame) {
  UniqueHandle mutex;
  if (!ClaimSingleInstance(mutex, mutexName)) return 0;
  const std::unique_ptr<FrameWindow> frame = startFrame();
  if (!frame) return 0;
  return RunMessageLoop();
}

}  // namespace zt::app

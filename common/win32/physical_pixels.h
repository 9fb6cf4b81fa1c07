// While one of these lives, this thread sees every display in its physical pixels: monitor
// rectangles, the display DC and windows it creates are not scaled for a display whose scaling
// differs from the primary one's. The program itself stays system-aware, so its dialogs keep
// the look the system gives them. Where the system has no per-thread awareness (before Windows
// 10 version 1607) the scope does nothing: a display scaled differently from the primary one is
// then seen in the scaled pixels the system gives a system-aware program.
#pragma once

#include <windows.h>

namespace zt::app {

class PhysicalPixels {
 public:
  PhysicalPixels();
  ~PhysicalPixels();
  PhysicalPixels(const PhysicalPixels&) = delete;
  PhysicalPixels& operator=(const PhysicalPixels&) = delete;

 private:
  HANDLE m_previous = nullptr;  // the thread's awareness context before, or null
};

}  // namespace zt::app

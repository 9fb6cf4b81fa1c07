// While one of these lives, this thread sees every display in its physical pixels: monitor
// rectangles, the display DC and windows it creates are not scaled for a display whose scaling
// differs from the primary one's. The program itself stays system-aware, so its dialogs keep
// the look the system gives them. Where the system has no per-thread awareness the scope does
// nothing (every display is then seen unscaled anyway).
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

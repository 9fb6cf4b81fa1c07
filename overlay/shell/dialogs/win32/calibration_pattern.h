// The calibration targets: a window that fills one display with numbered targets and a short
// instruction, so that the user can mark the centre of each on the whiteboard and scan. It is
// part of what the screenshot of the calibration scan shows. Every end but the frame's own (Esc,
// Alt+F4, a display change, the window destroyed from outside) posts UM_ENDCALIBRATION to the
// frame, which ends the calibration and destroys the window.
#pragma once

#include <windows.h>

#include <string>

#include "common/win32/gdi_handles.h"
#include "overlay/engine/capture/displays.h"

namespace zt::shell {

// The targets' window class, by which tests and tools find it.
inline constexpr char kCalibrationPatternClass[] = "ZTLumbrelCalibrationTargets";

class CCalibrationPattern {
 public:
  CCalibrationPattern(HWND frame, std::string instruction, const LOGFONTA& font);
  ~CCalibrationPattern();
  CCalibrationPattern(const CCalibrationPattern&) = delete;
  CCalibrationPattern& operator=(const CCalibrationPattern&) = delete;

  // Covers display (physical pixels) in front of every other window and takes the keyboard.
  bool Show(const DisplayInfo& display);
  HWND Hwnd() const { return m_hWnd; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  void AskFrameToEnd() const;

  HWND m_hFrame;
  std::string m_strInstruction;
  LOGFONTA m_logFont;
  HWND m_hWnd = nullptr;
  bool m_bOwnerEnds = false;  // the destructor is taking the window away
};

}  // namespace zt::shell

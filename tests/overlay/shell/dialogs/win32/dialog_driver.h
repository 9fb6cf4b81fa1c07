// What the dialog tests under Wine share: a stand-in frame window that records the messages a
// dialog sends it, a way to run a script inside a modal dialog's own loop, a helper that answers
// the next message box, small pictures to show, and reading back what is on screen.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "overlay/engine/pixels/dib_block.h"

namespace zt::winetest {

// A hidden top-level window standing in for the main frame.
class TestFrame {
 public:
  TestFrame();
  ~TestFrame();
  HWND Hwnd() const { return m_hWnd; }
  int Count(UINT message) const;
  // What UM_CLOSEAPP answers; the hook runs first, as the frame's close sequence would.
  LRESULT closeAppResult = 1;
  std::function<void()> onCloseApp;
  std::function<void()> onSaveOverlay;

 private:
  static LRESULT CALLBACK Proc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND m_hWnd = nullptr;
  std::vector<UINT> m_received;
};

// Runs script once the modal loop that DoModal starts is running and its dialog shows, settled;
// returns DoModal's result. The script must end the dialog (a dialog still open afterwards is
// ended with -2).
template <typename DialogT>
INT_PTR RunModal(DialogT& dialog, HWND owner, const std::function<void(HWND)>& script);
// Runs script from a thread timer once ready() holds.
void StartScript(const std::function<void()>& script, const std::function<bool()>& ready);
void EndIfOpen(HWND dialog);

// Dispatches the thread's messages for about ms milliseconds, offering each to the message
// filter first as a modal dialog's loop does.
void PumpAsDialogLoop(DWORD ms);
// Waits (about 2 s at most) for the dialog to show, then lets it settle.
void WaitVisible(HWND dialog);
// Finds the message box owned by owner within about 2 s; null when none came.
HWND WaitForMessageBox(HWND owner);
std::string BoxText(HWND box);
// When the next message box owned by owner comes up, onBox runs with it (inside the box's loop)
// and the box is then answered with button (IDYES, IDNO, IDOK).
void AnswerNextBox(HWND owner, int button, std::function<void(HWND box)> onBox = nullptr);
// The text the last answered box showed ("" when none came).
std::string LastBoxText();

std::string WindowText(HWND window);
inline std::string Text(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// 24-bit pictures: a desktop-like screenshot, and a whiteboard scan with ink and its mask.
DibPtr MakeScreenshot(int width, int height);
DibPtr MakeScan(int width, int height);
DibPtr MakeMask(const DibBlock& scan);
// The ink square of MakeScan, in the scan's own pixels: a fraction of its size.
struct InkSquare {
  double left = 0.375, top = 0.375, right = 0.625, bottom = 0.625;
};

// The window's client area as it is on screen, top-down 0x00RRGGBB pixels.
struct Capture {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;
  unsigned At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
Capture CaptureClient(HWND window);
Capture CaptureWindow(HWND window);  // with the frame and title bar
bool WritePng(const Capture& capture, const std::string& path);

inline int Red(unsigned c) { return (c >> 16) & 0xFF; }
inline int Green(unsigned c) { return (c >> 8) & 0xFF; }
inline int Blue(unsigned c) { return c & 0xFF; }
bool Near(unsigned a, unsigned b, int tolerance = 24);

template <typename DialogT>
INT_PTR RunModal(DialogT& dialog, HWND owner, const std::function<void(HWND)>& script) {
  StartScript(
      [&dialog, &script] {
        const HWND hWnd = dialog.Hwnd();
        if (!hWnd) return;
        WaitVisible(hWnd);
        script(hWnd);
        EndIfOpen(dialog.Hwnd());
      },
      [&dialog] { return dialog.Hwnd() && IsWindowVisible(dialog.Hwnd()); });
  return dialog.DoModal(owner);
}

}  // namespace zt::winetest

// What the Wine tests of a scan's two roads (and the demonstration) share: waiting on other
// processes, a window of one colour drawn on the screen, ZTLumbrel's windows seen from outside,
// and a look at the pixels of the files it wrote.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "common/win32/application.h"

namespace zt::shell::road {

// Waits for pred while pumping, looking every 20 ms: the things waited for happen in other
// processes and send this thread no message, and the times printed must not be those of the pump.
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  while (!pred()) {
    if (GetTickCount64() >= end) return pred();
    app::PumpUntil([] { return false; }, 20);
  }
  return true;
}

inline void Pump(DWORD ms) { app::PumpUntil([] { return false; }, ms); }

bool Exists(const std::string& path);
bool FolderIsEmpty(const std::string& folder);  // folder ends in a backslash
// The folder of a "Z:\..." path as a Linux process names it.
std::string UnixPath(const std::string& winePath);

// A topmost window of one colour, painted by its class brush.
class DrawnWindow {
 public:
  DrawnWindow(COLORREF colour, const RECT& place);
  ~DrawnWindow();
  DrawnWindow(const DrawnWindow&) = delete;
  DrawnWindow& operator=(const DrawnWindow&) = delete;
  bool Shown() const { return m_hwnd && IsWindowVisible(m_hwnd); }
  void Repaint(COLORREF colour);

 private:
  HBRUSH m_brush;
  HWND m_hwnd = nullptr;
};

// A visible dialog of the process; with control, only one that has that control.
HWND DialogOf(DWORD process, int control = 0);
// A visible dialog of the process owned by owner, such as the folder browser of a dialog.
HWND DialogOwnedBy(DWORD process, HWND owner);
// ZTLumbrel's settings dialog: a dialog of its process with the save-folder edit.
HWND SettingsDialogOf(DWORD process);
// The process of the SD checker's window, 0 when there is none.
DWORD CheckerProcessId();

// An image file decoded by the image-file library: top-down 0x00RRGGBB pixels (24-bit files only).
struct Picture {
  int width = 0, height = 0;
  std::vector<unsigned> pixels;
  bool Loaded() const { return width > 0; }
  // The colour at a point given in screen pixels, the picture scaled to the screen.
  COLORREF AtScreen(int screenX, int screenY) const;
};
Picture LoadPicture(const std::string& path);  // not Loaded() when the file cannot be read

// The colour of an image file at a point given in screen pixels, the file scaled to the screen;
// CLR_INVALID when it cannot be read.
COLORREF FileColourAt(const std::string& path, int screenX, int screenY);
bool Near(COLORREF a, COLORREF b, int tolerance = 16);

// A started program and its process id.
struct Started {
  HANDLE process = nullptr;
  DWORD id = 0;
};
Started StartProgram(const std::string& exe, const std::string& arguments = "");

}  // namespace zt::shell::road

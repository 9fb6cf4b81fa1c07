// ZTLumbrel seen from outside, as the Wine tests of a scan's two roads (and the demonstration)
// look at it: its windows and its checker, the three files of a scan and their pixels, and a
// window of one colour drawn on the screen for it to capture.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/drawn_window.h"

namespace zt::winetest {

// The three files a scan becomes in the save folder (no backslash at its end): the overlay, the
// screenshot and the copy of the scan.
std::vector<std::string> ScanOutputs(const std::string& saveFolder, const std::string& scanName);

// A visible dialog of the process; with control, only one that has that control.
HWND DialogOf(DWORD process, int control = 0);
// A visible dialog of the process owned by owner, such as the folder browser of a dialog.
HWND DialogOwnedBy(DWORD process, HWND owner);
// ZTLumbrel's settings dialog: a dialog of its process with the save-folder edit.
HWND SettingsDialogOf(DWORD process);

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

}  // namespace zt::winetest

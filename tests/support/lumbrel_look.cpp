#include "tests/support/lumbrel_look.h"

#include "cvimgfileio/cvimgfileio.h"
#include "overlay/shell/resource.h"

namespace zt::winetest {

std::vector<std::string> ScanOutputs(const std::string& saveFolder, const std::string& scanName) {
  const std::string stem = scanName.substr(0, scanName.find_last_of('.'));
  return {saveFolder + "\\" + stem + "_Overlaid.JPG", saveFolder + "\\Original\\" + stem + "_Screenshot.JPG",
          saveFolder + "\\Original\\" + scanName};
}

namespace {

struct WindowSearch {
  DWORD process = 0;
  int control = 0;
  HWND owner = nullptr;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialogProc(HWND w, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (pid == s->process && std::string(cls) == "#32770" && IsWindowVisible(w) &&
      (!s->control || GetDlgItem(w, s->control)) && (!s->owner || GetWindow(w, GW_OWNER) == s->owner)) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND DialogOf(DWORD process, int control) {
  WindowSearch search{process, control, nullptr, nullptr};
  EnumWindows(&FindDialogProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND DialogOwnedBy(DWORD process, HWND owner) {
  if (!owner) return nullptr;
  WindowSearch search{process, 0, owner, nullptr};
  EnumWindows(&FindDialogProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SettingsDialogOf(DWORD process) { return DialogOf(process, IDC_SAVE_FOLDER); }

Picture LoadPicture(const std::string& path) {
  void* dib = nullptr;
  unsigned short rx = 0, ry = 0;
  int ox = 0, oy = 0;
  char info[IMGFILE_INFO_SIZE] = {};
  Picture picture;
  if (IMGFILE_LoadDibFromFile(path.c_str(), 1, &dib, &rx, &ry, &ox, &oy, info) < 0 || !dib) return picture;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(dib);
  if (header->biBitCount == 24 && header->biWidth > 0 && header->biHeight > 0) {
    const int w = header->biWidth, h = header->biHeight, row = (w * 3 + 3) & ~3;
    const auto* bits = reinterpret_cast<const unsigned char*>(header + 1);
    picture.pixels.resize(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
      const unsigned char* px = bits + static_cast<size_t>(h - 1 - y) * row;  // rows are stored bottom-up
      for (int x = 0; x < w; ++x, px += 3)
        picture.pixels[static_cast<size_t>(y) * w + x] =
            (unsigned{px[2]} << 16) | (unsigned{px[1]} << 8) | px[0];
    }
    picture.width = w;
    picture.height = h;
  }
  HGLOBAL block = GlobalHandle(dib);
  GlobalUnlock(block);
  GlobalFree(block);
  return picture;
}

COLORREF Picture::AtScreen(int screenX, int screenY) const {
  if (!Loaded()) return CLR_INVALID;
  const int x = screenX * width / GetSystemMetrics(SM_CXSCREEN);
  const int y = screenY * height / GetSystemMetrics(SM_CYSCREEN);
  if (x < 0 || y < 0 || x >= width || y >= height) return CLR_INVALID;
  const unsigned c = pixels[static_cast<size_t>(y) * width + x];
  return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
}

COLORREF FileColourAt(const std::string& path, int screenX, int screenY) {
  return LoadPicture(path).AtScreen(screenX, screenY);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  auto close = [tolerance](int x, int y) { return x - y < tolerance && y - x < tolerance; };
  return a != CLR_INVALID && close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
         close(GetBValue(a), GetBValue(b));
}

}  // namespace zt::winetest

#include "road_support.h"

#include <algorithm>

#include "common/sd_channel.h"
#include "cvimgfileio/cvimgfileio.h"
#include "overlay/shell/resource.h"

namespace zt::shell::road {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool FolderIsEmpty(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") empty = false;
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return empty;
}

std::string UnixPath(const std::string& winePath) {
  std::string p = winePath.substr(2);
  std::replace(p.begin(), p.end(), '\\', '/');
  return p;
}

namespace {

// Paints the brush kept in the window's user data: the colour can change while the window stays.
LRESULT CALLBACK DrawnWindowProc(HWND w, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT r;
    GetClientRect(w, &r);
    FillRect(reinterpret_cast<HDC>(wParam), &r, reinterpret_cast<HBRUSH>(GetWindowLongPtrA(w, GWLP_USERDATA)));
    return 1;
  }
  return DefWindowProcA(w, message, wParam, lParam);
}

}  // namespace

DrawnWindow::DrawnWindow(COLORREF colour, const RECT& place) : m_brush(CreateSolidBrush(colour)) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &DrawnWindowProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ZtDrawnOnTheScreen";
  RegisterClassA(&wc);
  m_hwnd = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP, place.left,
                           place.top, place.right - place.left, place.bottom - place.top, nullptr, nullptr,
                           wc.hInstance, nullptr);
  SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_brush));
  ShowWindow(m_hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(m_hwnd);
}

DrawnWindow::~DrawnWindow() {
  DestroyWindow(m_hwnd);
  DeleteObject(m_brush);
}

void DrawnWindow::Repaint(COLORREF colour) {
  HBRUSH old = m_brush;
  m_brush = CreateSolidBrush(colour);
  SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m_brush));
  RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  DeleteObject(old);
}

namespace {

struct WindowSearch {
  DWORD process = 0;
  int control = 0;
  HWND found = nullptr;
};

BOOL CALLBACK FindDialogProc(HWND w, LPARAM search) {
  auto* s = reinterpret_cast<WindowSearch*>(search);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  char cls[16] = {};
  GetClassNameA(w, cls, sizeof cls);
  if (pid == s->process && std::string(cls) == "#32770" && IsWindowVisible(w) &&
      (!s->control || GetDlgItem(w, s->control))) {
    s->found = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND DialogOf(DWORD process, int control) {
  WindowSearch search{process, control, nullptr};
  EnumWindows(&FindDialogProc, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND SettingsDialogOf(DWORD process) { return DialogOf(process, IDC_SAVE_FOLDER); }

DWORD CheckerProcessId() {
  DWORD pid = 0;
  GetWindowThreadProcessId(FindWindowA(sdchannel::kCheckerWindowClass, nullptr), &pid);
  return pid;
}

COLORREF FileColourAt(const std::string& path, int screenX, int screenY) {
  void* dib = nullptr;
  unsigned short rx = 0, ry = 0;
  int ox = 0, oy = 0;
  char info[IMGFILE_INFO_SIZE] = {};
  if (IMGFILE_LoadDibFromFile(path.c_str(), 1, &dib, &rx, &ry, &ox, &oy, info) < 0 || !dib)
    return CLR_INVALID;
  const auto* header = static_cast<const BITMAPINFOHEADER*>(dib);
  COLORREF colour = CLR_INVALID;
  if (header->biBitCount == 24) {
    const int w = header->biWidth, h = header->biHeight, row = (w * 3 + 3) & ~3;
    const int x = screenX * w / GetSystemMetrics(SM_CXSCREEN);
    const int y = screenY * h / GetSystemMetrics(SM_CYSCREEN);
    const auto* px = reinterpret_cast<const unsigned char*>(header + 1) + (h - 1 - y) * row + x * 3;
    colour = RGB(px[2], px[1], px[0]);
  }
  HGLOBAL block = GlobalHandle(dib);
  GlobalUnlock(block);
  GlobalFree(block);
  return colour;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  auto close = [tolerance](int x, int y) { return x - y < tolerance && y - x < tolerance; };
  return a != CLR_INVALID && close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
         close(GetBValue(a), GetBValue(b));
}

Started StartProgram(const std::string& exe) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string command = "\"" + exe + "\"";
  if (!CreateProcessA(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return {};
  CloseHandle(pi.hThread);
  return {pi.hProcess, pi.dwProcessId};
}

}  // namespace zt::shell::road

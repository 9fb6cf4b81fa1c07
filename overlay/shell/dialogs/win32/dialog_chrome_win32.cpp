#include "overlay/shell/dialogs/win32/dialog_chrome.h"

#include "overlay/shell/dialogs/hint_placement.h"
#include "overlay/shell/resource.h"

#include <cstdlib>
#include <vector>

namespace zt::shell {

app::Font CreatePointFont(const LOGFONTA& logFont) {
  LOGFONTA font = logFont;
  app::WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  // Tenths of a point to device pixels; negative asks for the character height.
  font.lfHeight = -std::abs(MulDiv(dpi, static_cast<int>(logFont.lfHeight), 720));
  return app::Font(CreateFontIndirectA(&font));
}

namespace {

BOOL CALLBACK SetChildFont(HWND child, LPARAM font) {
  SendMessageA(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

}  // namespace

void ApplyFont(HWND dialog, HFONT font) {
  EnumChildWindows(dialog, SetChildFont, reinterpret_cast<LPARAM>(font));
}

std::string ApplicationTitle() {
  char title[64] = {};
  if (LoadStringA(GetModuleHandleA(nullptr), IDS_APP_TITLE, title, sizeof title) > 0) return title;
  return "Zentab Lumbrel";
}

void SetCaption(HWND dialog, int id, const CAppSettings& settings, const Caption& caption) {
  const std::string text = settings.CaptionText(caption);
  if (id == 0)
    SetWindowTextA(dialog, text.c_str());
  else
    SetDlgItemTextA(dialog, id, text.c_str());
}

namespace {

// Windows 10 version 2004 (build 19041) or later, as the system itself reports it (the version
// calls of kernel32 answer what the program's manifest lets them).
bool CaptureExclusionSupported() {
  using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto get = ntdll ? reinterpret_cast<GetVersionFn>(
                               reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")))
                         : nullptr;
  OSVERSIONINFOW version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!get || get(&version) != 0) return false;
  return version.dwMajorVersion > 10 || (version.dwMajorVersion == 10 && version.dwBuildNumber >= 19041);
}

}  // namespace

void ExcludeFromCapture(HWND window) {
  // Earlier systems take the flag as "show black in captures", which is worse than showing the
  // window; older ones lack the call, so it is looked up at run time.
  if (!CaptureExclusionSupported()) return;
  constexpr DWORD kExcludeFromCapture = 0x11;  // WDA_EXCLUDEFROMCAPTURE
  using SetAffinityFn = BOOL(WINAPI*)(HWND, DWORD);
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto set = user32 ? reinterpret_cast<SetAffinityFn>(reinterpret_cast<void (*)()>(
                                GetProcAddress(user32, "SetWindowDisplayAffinity")))
                          : nullptr;
  if (set) set(window, kExcludeFromCapture);
}

void PlaceBeside(HWND window, HWND owner) {
  RECT own{}, placed{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetWindowRect(owner, &own) || !GetWindowRect(window, &placed) ||
      !GetMonitorInfoA(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor))
    return;
  const RECT& work = monitor.rcWork;
  const PixelPoint at =
      PlaceHintBeside({own.left, own.top, own.right, own.bottom}, placed.right - placed.left,
                      placed.bottom - placed.top, {work.left, work.top, work.right, work.bottom});
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace zt::shell

#include "overlay/shell/dialog_chrome.h"

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

std::string MessageCaption(const CAppSettings& settings, const char* key, DWORD bufferSize) {
  std::vector<char> buffer(bufferSize, '\0');
  settings.LoadCaption("Message", key, "", buffer.data(), bufferSize);
  buffer.back() = '\0';
  return buffer.data();
}

void SetCaption(HWND dialog, int id, const CAppSettings& settings, const char* key, DWORD bufferSize) {
  const std::string text = MessageCaption(settings, key, bufferSize);
  if (id == 0)
    SetWindowTextA(dialog, text.c_str());
  else
    SetDlgItemTextA(dialog, id, text.c_str());
}

}  // namespace zt::shell

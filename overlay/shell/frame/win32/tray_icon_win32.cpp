#include "overlay/shell/frame/win32/tray_icon.h"

#include <cstring>

#include "common/win32/handles.h"
#include "overlay/shell/resource.h"

namespace zt::shell {

namespace {

// The record as the shell takes it from 32-bit programs: the whole structure.
static_assert(sizeof(void*) != 4 || sizeof(NOTIFYICONDATAA) == 508);

constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7

// The tray menu's items that carry text, by position, with their commands and captions.
struct MenuItem {
  UINT position;
  UINT command;
  const Caption& caption;
};
constexpr MenuItem kMenuItems[] = {{0, ID_TRAY_SETTINGS, caption::kSettings},
                                   {2, ID_TRAY_HELP, caption::kHelp},
                                   {3, ID_APP_ABOUT, caption::kAbout},
                                   {5, ID_TRAY_EXIT, caption::kExit}};
// The lesson's items, put in after the settings' separator, and a separator after them.
constexpr MenuItem kLessonItems[] = {{2, ID_TRAY_OPEN_FOLDER, caption::kOpenFolder},
                                     {3, ID_TRAY_HANDOUT, caption::kHandout},
                                     {4, ID_TRAY_NEW_LESSON, caption::kNewLesson}};

// Copies text into a field of size bytes with its NUL, cut at a whole character when longer.
template <std::size_t size>
void CopyCut(char (&field)[size], const char* text) {
  std::size_t n = 0;
  while (text[n]) {
    const std::size_t step = IsDBCSLeadByte(static_cast<BYTE>(text[n])) && text[n + 1] ? 2 : 1;
    if (n + step >= size) break;
    n += step;
  }
  std::memcpy(field, text, n);
  field[n] = '\0';
}

}  // namespace

CTrayIcon::CTrayIcon(CAppSettings& settings) : m_settings(settings) {}

void CTrayIcon::Attach(HWND frame, UINT callbackMessage) {
  m_data = NOTIFYICONDATAA{};
  m_data.cbSize = sizeof(NOTIFYICONDATAA);
  m_data.hWnd = frame;
  m_data.uID = 0;
  m_data.uFlags = kTrayFlags;
  m_data.uCallbackMessage = callbackMessage;
  m_data.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TRAY));
  // The tip holds 64 bytes with its NUL; a longer name is cut at a whole character.
  CopyCut(m_data.szTip, m_settings.AppName());
}

bool CTrayIcon::Add() {
  // A taskbar that was slow to answer may have taken the icon all the same; then it can only be
  // changed, not added again.
  m_bAdded = Shell_NotifyIconA(NIM_ADD, &m_data) != FALSE || Shell_NotifyIconA(NIM_MODIFY, &m_data) != FALSE;
  return m_bAdded;
}

void CTrayIcon::Remove() {
  if (m_data.hWnd) Shell_NotifyIconA(NIM_DELETE, &m_data);
  m_bAdded = false;
}

bool CTrayIcon::ShowBalloon(const std::string& text) {
  if (!m_data.hWnd) return false;
  NOTIFYICONDATAA balloon = m_data;
  // A word the shell cannot show now is dropped, not shown later over a capture (NIF_REALTIME,
  // which shells older than it ignore).
  constexpr UINT kRealtime = 0x40;
  balloon.uFlags = NIF_INFO | kRealtime;
  balloon.dwInfoFlags = NIIF_INFO;
  CopyCut(balloon.szInfo, text.c_str());
  CopyCut(balloon.szInfoTitle, m_settings.AppName());
  return Shell_NotifyIconA(NIM_MODIFY, &balloon) != FALSE;
}

void CTrayIcon::HideBalloon() {
  if (!m_data.hWnd) return;
  NOTIFYICONDATAA balloon = m_data;
  balloon.uFlags = NIF_INFO;
  balloon.szInfo[0] = '\0';
  Shell_NotifyIconA(NIM_MODIFY, &balloon);
}

void CTrayIcon::ShowMenu(POINT point, bool lessonItems) {
  HWND frame = m_data.hWnd;
  app::UniqueMenu menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAYMENU)));
  if (!menu.Get()) return;
  HMENU popup = GetSubMenu(menu.Get(), 0);
  if (!popup) return;
  for (const MenuItem& item : kMenuItems) {
    const std::string text = m_settings.CaptionText(item.caption);
    ModifyMenuA(popup, item.position, MF_BYPOSITION | MF_STRING, item.command, text.c_str());
  }
  if (lessonItems) {
    for (const MenuItem& item : kLessonItems) {
      const std::string text = m_settings.CaptionText(item.caption);
      InsertMenuA(popup, item.position, MF_BYPOSITION | MF_STRING, item.command, text.c_str());
    }
    InsertMenuA(popup, 5, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
  }
  // The menu closes properly when the user clicks elsewhere only if the frame is in front, and
  // the WM_NULL afterwards lets the next click on the icon open it again.
  SetForegroundWindow(frame);
  SetFocus(frame);
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, point.x, point.y, 0, frame, nullptr);
  PostMessageA(frame, WM_NULL, 0, 0);
}

}  // namespace zt::shell

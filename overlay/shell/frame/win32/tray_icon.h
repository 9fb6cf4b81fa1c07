// CTrayIcon: the program's icon in the notification area and its menu. It works on the frame's
// own window, so the icon's callback and the menu's commands arrive at the frame.
#pragma once

#include <windows.h>
// shellapi.h needs windows.h first.
#include <shellapi.h>

#include <string>

#include "overlay/shell/settings/win32/app_settings.h"

namespace zt::shell {

class CTrayIcon {
 public:
  explicit CTrayIcon(CAppSettings& settings);
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Fills the icon record for frame; callbackMessage arrives with the mouse message in lParam.
  void Attach(HWND frame, UINT callbackMessage);
  // NIM_ADD; also after Explorer restarted, when the taskbar's icons are gone.
  bool Add();
  // NIM_DELETE, once.
  void Remove();
  // A short word beside the icon, titled with the program's name, that goes by itself: news
  // that needs no answer and must not stand on the projected screen as a box. False when the
  // icon is not there to carry it.
  bool ShowBalloon(const std::string& text);
  // Takes a word that may still be showing away.
  void HideBalloon();
  // The menu at point: its four items in the caption file's language, run modally; the chosen
  // command is posted to the frame as WM_COMMAND. With lessonItems, the save folder, the handout
  // and a new lesson come after the settings.
  void ShowMenu(POINT point, bool lessonItems = false);

  const NOTIFYICONDATAA& Data() const { return m_data; }
  // True once the taskbar has taken the icon.
  bool Added() const { return m_bAdded; }

 private:
  CAppSettings& m_settings;
  NOTIFYICONDATAA m_data{};
  bool m_bAdded = false;
};

}  // namespace zt::shell

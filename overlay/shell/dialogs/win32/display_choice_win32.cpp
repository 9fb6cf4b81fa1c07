// The settings dialog's list of displays: the primary screen, each attached display by name and
// size, and a stored choice that is not attached now, shown as such and kept until the user
// chooses another.
#include <windows.h>

#include <algorithm>

#include "common/win32/gdi_handles.h"
#include "overlay/engine/capture/displays.h"
#include "overlay/shell/dialogs/display_label.h"
#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
#include "overlay/shell/frame/frame_messages.h"
#include "overlay/shell/resource.h"
#include "overlay/shell/settings/caption_keys.h"

namespace zt::shell {

void CSettingsDlg::FillDisplayChoice() {
  const HWND list = Item(IDC_DISPLAY_CHOICE);
  SendMessageA(list, CB_RESETCONTENT, 0, 0);
  m_displayChoices.clear();
  const auto add = [&](const std::string& label, const std::string& identity, const std::string& name) {
    SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(label.c_str()));
    m_displayChoices.push_back({identity, name});
  };
  add(m_pSettings->CaptionText(caption::kDisplayPrimary), "", "");
  const std::string pattern = m_pSettings->CaptionText(caption::kDisplayItem);
  // The primary display says so, or it would look like a second "Primary screen".
  const std::string primaryPattern = m_pSettings->CaptionText(caption::kDisplayItemPrimary);
  const std::vector<DisplayInfo> displays = ListDisplays();
  const std::vector<std::string> names = DistinctDisplayNames(displays);
  for (std::size_t i = 0; i < displays.size(); ++i) {
    const DisplayInfo& display = displays[i];
    add(DisplayLabel(display.primary ? primaryPattern : pattern, names[i], display.Width(), display.Height()),
        display.identity, names[i]);
  }

  std::size_t chosen = 0;
  for (std::size_t i = 0; i < m_displayChoices.size(); ++i)
    if (m_displayChoices[i].identity == m_values.captureDisplay) chosen = i;
  // The same monitor on another connector stands for the stored choice.
  if (chosen == 0 && !m_values.captureDisplay.empty())
    if (const DisplayInfo* same = FindChosenDisplay(displays, m_values.captureDisplay))
      for (std::size_t i = 1; i < m_displayChoices.size(); ++i)
        if (m_displayChoices[i].identity == same->identity) chosen = i;
  if (chosen == 0 && !m_values.captureDisplay.empty()) {
    const std::string& name =
        m_values.captureDisplayName.empty() ? m_values.captureDisplay : m_values.captureDisplayName;
    add(DisplayLabel(m_pSettings->CaptionText(caption::kDisplayMissing), name, 0, 0), m_values.captureDisplay,
        m_values.captureDisplayName);
    chosen = m_displayChoices.size() - 1;
  }
  SendMessageA(list, CB_SETCURSEL, chosen, 0);
  WidenDropDown(list);
}

// The open list is as wide as its longest entry, so that no display's name is cut off in it.
void CSettingsDlg::WidenDropDown(HWND list) {
  LONG widest = 0;
  {
    const app::WindowDc dc(list);
    if (!dc) return;
    const app::SelectGuard font(dc.Get(), reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    char text[512];
    const LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
      if (SendMessageA(list, CB_GETLBTEXTLEN, i, 0) >= static_cast<LRESULT>(sizeof text)) continue;
      const LRESULT length = SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      SIZE size{};
      if (length > 0 && GetTextExtentPoint32A(dc.Get(), text, static_cast<int>(length), &size))
        widest = std::max(widest, size.cx);
    }
  }  // the list's DC is given back before the list is changed
  RECT box{};
  GetWindowRect(list, &box);
  const LONG margin = 2 * GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXVSCROLL) + 8;
  if (widest + margin > box.right - box.left) SendMessageA(list, CB_SETDROPPEDWIDTH, widest + margin, 0);
}

void CSettingsDlg::OnDisplayChosen() {
  const LRESULT chosen = SendDlgItemMessageA(Hwnd(), IDC_DISPLAY_CHOICE, CB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= m_displayChoices.size()) return;
  TakeOverValues();
  // Targets on the display left would calibrate the one chosen now: they go.
  if (m_hFrame) SendMessageA(m_hFrame, UM_ENDCALIBRATION, 0, 0);
  const DisplayEntry& entry = m_displayChoices[chosen];
  m_displaySwitch.Choose(m_values, entry.identity, entry.name);
  m_policy.ApplyTo(m_values);  // another display's values never stand over the administrator's
  ShowValues();
  UpdatePreview();
}

std::optional<DisplayCalibration> CSettingsDlg::StoredDisplayValues(const std::string& identity) const {
  // The store's geometry belongs to its chosen display; the record is only a copy of it.
  if (identity == m_stored.captureDisplay) return CalibrationOf(m_stored);
  return m_pSettings->ReadDisplayCalibration(identity);
}

}  // namespace zt::shell

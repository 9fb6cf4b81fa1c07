// The settings dialog's list of displays: the primary screen, each attached display by name and
// size, and a stored choice that is not attached now, shown as such and kept until the user
// chooses another.
#include <windows.h>

#include "overlay/engine/displays.h"
#include "overlay/engine/frame_messages.h"
#include "overlay/shell/dialogs/display_label.h"
#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/dialogs/win32/settings_dialog.h"
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
  add(MessageCaption(*m_pSettings, caption::kDisplayPrimary, 256), "", "");
  const std::string pattern = MessageCaption(*m_pSettings, caption::kDisplayItem, 256);
  for (const DisplayInfo& display : ListDisplays())
    add(DisplayLabel(pattern, display.name, display.Width(), display.Height()), display.identity,
        display.name);

  std::size_t chosen = 0;
  for (std::size_t i = 0; i < m_displayChoices.size(); ++i)
    if (m_displayChoices[i].identity == m_values.captureDisplay) chosen = i;
  if (chosen == 0 && !m_values.captureDisplay.empty()) {
    const std::string& name =
        m_values.captureDisplayName.empty() ? m_values.captureDisplay : m_values.captureDisplayName;
    add(DisplayLabel(MessageCaption(*m_pSettings, caption::kDisplayMissing, 256), name, 0, 0),
        m_values.captureDisplay, m_values.captureDisplayName);
    chosen = m_displayChoices.size() - 1;
  }
  SendMessageA(list, CB_SETCURSEL, chosen, 0);
}

void CSettingsDlg::OnDisplayChosen() {
  const LRESULT chosen = SendDlgItemMessageA(Hwnd(), IDC_DISPLAY_CHOICE, CB_GETCURSEL, 0, 0);
  if (chosen < 0 || static_cast<std::size_t>(chosen) >= m_displayChoices.size()) return;
  TakeOverValues();
  // Targets on the display left would calibrate the one chosen now: they go.
  if (m_hFrame) SendMessageA(m_hFrame, UM_ENDCALIBRATION, 0, 0);
  const DisplayEntry& entry = m_displayChoices[chosen];
  m_displaySwitch.Choose(m_values, entry.identity, entry.name);
  ShowValues();
  UpdatePreview();
}

std::optional<DisplayCalibration> CSettingsDlg::StoredDisplayValues(const std::string& identity) const {
  // The store's geometry belongs to its chosen display; the record is only a copy of it.
  if (identity == m_stored.captureDisplay) return CalibrationOf(m_stored);
  return m_pSettings->ReadDisplayCalibration(identity);
}

}  // namespace zt::shell

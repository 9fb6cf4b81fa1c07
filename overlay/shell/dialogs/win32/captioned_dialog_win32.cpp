#include "overlay/shell/dialogs/win32/captioned_dialog.h"

#include "overlay/shell/dialogs/win32/dialog_chrome.h"

namespace zt::shell {

CCaptionedDlg::CCaptionedDlg(int templateId, CAppSettings& settings)
    : Dialog(templateId), m_pSettings(&settings) {}

void CCaptionedDlg::PutCaption(int id, const Caption& caption) const {
  SetCaption(Hwnd(), id, *m_pSettings, caption);
}

bool CCaptionedDlg::OnInitDialog() {
  ExcludeFromCapture(Hwnd());
  m_font = CreatePointFont(m_pSettings->DialogFont());
  ApplyFont(Hwnd(), m_font.Get());
  FillControls();
  return true;
}

bool CCaptionedDlg::OnCommand(WORD id, WORD) {
  if (id != IDOK && id != IDCANCEL) return false;
  Show(false);
  return true;
}

}  // namespace zt::shell

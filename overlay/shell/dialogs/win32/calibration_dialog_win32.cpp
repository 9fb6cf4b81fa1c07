#include "overlay/shell/dialogs/win32/calibration_dialog.h"

#include "overlay/shell/dialogs/win32/dialog_chrome.h"
#include "overlay/shell/resource.h"

namespace zt::shell {

CCalibrationDlg::CCalibrationDlg(CAppSettings& settings) : Dialog(IDD_CALIBRATION), m_pSettings(&settings) {}

bool CCalibrationDlg::OnInitDialog() {
  ExcludeFromCapture(Hwnd());
  m_font = CreatePointFont(m_pSettings->DialogFont());
  ApplyFont(Hwnd(), m_font.Get());
  SetCaption(Hwnd(), 0, *m_pSettings, caption::kCaptionCalib);
  // The key really ends with a blank: that is how the language files spell it.
  SetCaption(Hwnd(), IDC_CALIB_TEXT, *m_pSettings, caption::kMesCalib);
  SetCaption(Hwnd(), IDOK, *m_pSettings, caption::kClose);
  SendDlgItemMessageA(Hwnd(), IDC_CALIB_ICON, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
  return true;
}

bool CCalibrationDlg::OnCommand(WORD id, WORD) {
  // Closing hides the hint; the frame keeps the window so that it appears once per run.
  if (id != IDOK && id != IDCANCEL) return false;
  Show(false);
  return true;
}

}  // namespace zt::shell
